#include "tool/plot.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <ostream>
#include <vector>

#include "build/build.hpp"
#include "model/lettura_binari.hpp"
#include "reader/codepage.hpp"
#include "tool/decodifica.hpp"
#include "tool/opzioni.hpp"
#include "tool/svg.hpp"

namespace tool {
namespace {

constexpr std::string_view uso_plot =
    "usage: scenario-tool plot --dir DIR [--name TEXT] [--code TEXT] --out FILE.svg\n"
    "\n"
    "Draws a compiled scenario as one SVG picture: the plan of the line with its\n"
    "stations, signals, speed boards and indicator signs, and under it the profile\n"
    "along the route (speed limit, gradient, adhesion, mountain sections, stations,\n"
    "signals, slowdowns, code reductions) on a kilometre axis.\n"
    "  --dir DIR     folder holding the files of a build\n"
    "  --name TEXT   scenario name (default \"LORVENA-CASTIRO \", trailing blank included)\n"
    "  --code TEXT   scenario code (default \"R47093\")\n"
    "  --out FILE    the SVG file to write\n"
    "The files read are NAME_linea.dat (the plan; without it only the profile is\n"
    "drawn), NAME_CODE.sim and NAME_CODE.dat.\n"
    "\n"
    "Exit status: 0 written, 64 bad command line, 65 a file does not have its layout,\n"
    "66 a file cannot be opened, 73 the picture cannot be written.\n";

constexpr int uscita_scrittura = 73;

// ---- what is drawn ------------------------------------------------------

struct stazione {
  std::string nome;  // UTF-8
  std::int64_t posizione = 0;
  int fermata = 0;  // 0: passed without stopping
  std::int32_t orario = 0;
};

struct punto {
  double x = 0, y = 0;
};

struct piano {
  bool presente = false;
  std::int64_t punti = 0;
  std::int64_t passo = 1;                       // one point drawn every `passo` metres
  std::vector<std::pair<std::int64_t, punto>> linea;  // thinned, by metre
  std::map<std::int64_t, punto> ancore;          // the points at the marked metres
  double x_min = 0, x_max = 0, y_min = 0, y_max = 0;
};

struct scenario_letto {
  model::tabella_stazioni tabella;
  model::percorso celle;
  std::int64_t fine = 0;  // route length drawn, m
  std::vector<stazione> stazioni;
  piano pn;
};

constexpr std::int64_t punti_disegnati = 3000;

bool presente(const model::valore_tracciato& v) {
  return v.tipo != model::tipo_valore::vuoto && std::isfinite(v.valore);
}

std::int64_t metri_cella(std::int64_t i) { return 50 * i; }

bool marcata_su_piano(std::uint8_t e) {
  return e == model::el_segnale || e == model::el_indicatore_vmax || e == model::el_cartello;
}

// Reads the plan: thinned to a few thousand points, plus the points at the
// metres where a station or an item is marked.
// The extent is the route's (points up to `fine`): the margin beyond its end
// is drawn only as far as the picture reaches.
bool leggi_piano(std::istream& in, std::uint64_t dim, std::int64_t fine, std::vector<std::int64_t> volute, piano& p,
                 model::errore_formato& e) {
  model::indice_piano ip;
  if (!model::scandisci_piano(in, dim, ip, e)) return false;
  p.presente = true;
  p.punti = ip.punti;
  p.passo = std::max<std::int64_t>(1, (ip.punti + punti_disegnati - 1) / punti_disegnati);
  std::sort(volute.begin(), volute.end());
  volute.erase(std::unique(volute.begin(), volute.end()), volute.end());
  std::size_t k = 0;
  bool primo = true;
  bool visto_percorso = false;  // a point of the route itself, not of the margin
  std::optional<std::pair<std::int64_t, punto>> ultimo;
  model::lettore_piano l(in, dim, ip);
  std::int64_t j;
  model::valore_tracciato x, y;
  while (l.prossimo(j, x, y)) {
    if (!presente(x) || !presente(y)) continue;
    punto q{x.valore, y.valore};
    if (j <= fine) visto_percorso = true;
    if (j <= fine || !visto_percorso) {
      if (primo) {
        p.x_min = p.x_max = q.x;
        p.y_min = p.y_max = q.y;
        primo = false;
      }
      p.x_min = std::min(p.x_min, q.x);
      p.x_max = std::max(p.x_max, q.x);
      p.y_min = std::min(p.y_min, q.y);
      p.y_max = std::max(p.y_max, q.y);
    }
    while (k < volute.size() && volute[k] < j) ++k;
    bool voluto = k < volute.size() && volute[k] == j;
    if (voluto) p.ancore[j] = q;
    if (j % p.passo == 0 || voluto) {
      p.linea.emplace_back(j, q);
      ultimo.reset();
    } else {
      ultimo = std::make_pair(j, q);
    }
  }
  if (ultimo) p.linea.push_back(*ultimo);
  if (l.errore()) {
    e = *l.errore();
    return false;
  }
  if (primo) p.presente = false;  // not one point with both coordinates
  return true;
}

// ---- layout helpers -----------------------------------------------------

struct rettangolo {
  double x0, y0, x1, y1;
  bool tocca(const rettangolo& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
};

// A "nice" step (1, 2 or 5 times a power of ten) near `grezzo`.
double passo_tondo(double grezzo) {
  if (grezzo <= 0) return 1;
  double p = std::pow(10.0, std::floor(std::log10(grezzo)));
  for (double m : {1.0, 2.0, 5.0, 10.0}) {
    if (m * p >= grezzo) return m * p;
  }
  return 10 * p;
}

std::string km(double metri) {
  double k = metri / 1000.0;
  char buf[32];
  if (std::fabs(k - std::round(k)) < 1e-9) {
    std::snprintf(buf, sizeof buf, "%.0f", k);
  } else {
    std::snprintf(buf, sizeof buf, "%.1f", k);
  }
  return buf;
}

const char* stile =
    "<style>\n"
    "text{font-family:'DejaVu Sans',Verdana,Arial,sans-serif;fill:#222}\n"
    ".titolo{font-size:22px;font-weight:bold}\n"
    ".sotto{font-size:13px;fill:#555}\n"
    ".sezione{font-size:15px;font-weight:bold;fill:#333}\n"
    ".asse{font-size:11px;fill:#555}\n"
    ".nome{font-size:12px;font-weight:bold}\n"
    ".nome-transito{font-size:12px;font-style:italic;fill:#666}\n"
    ".alone{stroke:#fff;stroke-width:3.5px;stroke-linejoin:round;paint-order:stroke}\n"
    ".piccolo{font-size:10px;fill:#444}\n"
    ".legenda{font-size:12px}\n"
    "</style>\n";

// Colours.
constexpr const char* c_linea = "#3a3a3a";
constexpr const char* c_margine = "#b0b0b0";
constexpr const char* c_segnale = "#d62728";
constexpr const char* c_cartello_v = "#1f5fbf";
constexpr const char* c_cartello_i = "#e08a00";
constexpr const char* c_velocita = "#1f3f8f";
constexpr const char* c_rallentamento = "#ff7f0e";
constexpr const char* c_salita = "#a0522d";
constexpr const char* c_discesa = "#2e8b57";
constexpr const char* c_aderenza = "#7b3fa0";
constexpr const char* c_montagna = "#c9d6ea";
constexpr const char* c_abbattimento = "#0f8f8f";
constexpr const char* c_griglia = "#e4e4e4";

// ---- the picture --------------------------------------------------------

class disegno {
 public:
  explicit disegno(const scenario_letto& s) : s_(s) {}

  std::string svg();

 private:
  double misura_piano(double larghezza);
  void disegna_piano(svg::documento& d, double top);
  double misura_profilo() const;
  void disegna_profilo(svg::documento& d, double top);
  void disegna_legenda(svg::documento& d, double top);

  // Horizontal position of a metre on the profile.
  double px(double metri) const { return sx0_ + metri / static_cast<double>(s_.fine) * (sx1_ - sx0_); }

  const scenario_letto& s_;
  static constexpr double larghezza_ = 1600;
  static constexpr double sx0_ = 90, sx1_ = 1570;  // profile's horizontal extent
  double scala_ = 1, ox_ = 0, oy_ = 0;             // plan: pixels per metre and origin
  double alto_piano_ = 0;
  double nomi_ = 0;  // height of the station names above the profile
};

double disegno::misura_piano(double larghezza) {
  if (!s_.pn.presente) return 0;
  const piano& p = s_.pn;
  double w = std::max(p.x_max - p.x_min, 1.0), h = std::max(p.y_max - p.y_min, 1.0);
  double max_w = larghezza - 2 * 160, max_h = 820;
  scala_ = std::min(max_w / w, max_h / h);
  alto_piano_ = h * scala_;
  ox_ = (larghezza - w * scala_) / 2;
  return alto_piano_ + 90;
}

void disegno::disegna_piano(svg::documento& d, double top) {
  const piano& p = s_.pn;
  oy_ = top + 50;
  auto X = [&](double x) { return ox_ + (x - p.x_min) * scala_; };
  auto Y = [&](double y) { return oy_ + (p.y_max - y) * scala_; };
  d.testo(sx0_ - 60, top + 16, "Plan of the line", "class=\"sezione\"");
  d.testo(sx0_ - 60, top + 34,
          "x, y in metres; one point drawn every " + std::to_string(p.passo) + " m of " + std::to_string(p.punti) +
              " points",
          "class=\"sotto\"");

  // Lines and marks stay inside the plan's panel: the margin beyond the
  // route's end may reach farther than the route itself.
  d.grezzo("<clipPath id=\"riquadro-piano\"><rect x=\"0\" y=\"" + svg::num(oy_ - 40) + "\" width=\"" +
           svg::num(larghezza_) + "\" height=\"" + svg::num(alto_piano_ + 60) + "\"/></clipPath>\n");
  d.gruppo("clip-path=\"url(#riquadro-piano)\"");

  // The route, solid up to its length and dashed over the margin beyond.
  std::string solido, margine;
  for (const auto& [j, q] : p.linea) {
    std::string xy = svg::num(X(q.x)) + "," + svg::num(Y(q.y)) + " ";
    if (j <= s_.fine) solido += xy;
    if (j >= s_.fine) margine += xy;
  }
  if (!margine.empty())
    d.vuoto("polyline", "points=\"" + margine + "\" fill=\"none\" stroke=\"" + c_margine +
                            "\" stroke-width=\"1.5\" stroke-dasharray=\"5 4\"");
  if (!solido.empty())
    d.vuoto("polyline", "points=\"" + solido + "\" fill=\"none\" stroke=\"" + c_linea +
                            "\" stroke-width=\"2.2\" stroke-linejoin=\"round\"");

  // Kilometre marks along the line.
  std::vector<rettangolo> occupati;
  double passo_km = passo_tondo(static_cast<double>(s_.fine) / 12.0);
  std::vector<std::pair<double, double>> segni_km;
  for (double m = passo_km; m < static_cast<double>(s_.fine); m += passo_km) {
    auto it = p.ancore.find(static_cast<std::int64_t>(m));
    if (it == p.ancore.end()) continue;
    d.cerchio(X(it->second.x), Y(it->second.y), 1.8, "fill=\"#777\"");
    segni_km.emplace_back(X(it->second.x), Y(it->second.y));
  }

  // Items of the cells.
  const auto& celle = s_.celle.celle();
  for (std::size_t i = 0; i < celle.size(); ++i) {
    const model::cella& c = celle[i];
    if (!marcata_su_piano(c.elemento)) continue;
    std::int64_t m = metri_cella(static_cast<std::int64_t>(i));
    auto it = p.ancore.find(m);
    if (it == p.ancore.end()) continue;
    double x = X(it->second.x), y = Y(it->second.y);
    if (c.elemento == model::el_segnale) {
      d.gruppo("", "signal at cell " + std::to_string(i) + " (" + km(static_cast<double>(m)) + " km)");
      d.cerchio(x, y, 2.6, std::string("fill=\"") + c_segnale + "\"");
    } else if (c.elemento == model::el_indicatore_vmax) {
      auto v = decodifica_velocita(c.dato1);
      d.gruppo("", "speed indicator board " + std::to_string(v.sinistra) + " km/h at " + km(static_cast<double>(m)) + " km");
      d.rettangolo(x - 2.6, y - 2.6, 5.2, 5.2, std::string("fill=\"") + c_cartello_v + "\"");
    } else {
      const model::voce_stazione* v = s_.tabella.voce(c.dato1);
      d.gruppo("", "indicator sign " + (v ? utf8(v->testo) : std::string("?")) + " at " +
                       km(static_cast<double>(m)) + " km");
      d.vuoto("polygon", "points=\"" + svg::num(x) + "," + svg::num(y - 4) + " " + svg::num(x + 4) + "," +
                             svg::num(y) + " " + svg::num(x) + "," + svg::num(y + 4) + " " + svg::num(x - 4) + "," +
                             svg::num(y) + "\" fill=\"" + c_cartello_i + "\"");
    }
    d.chiudi_gruppo();
  }
  d.chiudi_gruppo();

  // Stations: a ring and the name, placed where it covers no other name.
  struct voce_nome {
    double x, y;
    const stazione* st;
  };
  std::vector<voce_nome> nomi;
  for (const stazione& st : s_.stazioni) {
    auto it = p.ancore.find(st.posizione);
    if (it == p.ancore.end()) continue;
    nomi.push_back({X(it->second.x), Y(it->second.y), &st});
  }
  for (const auto& n : nomi) occupati.push_back({n.x - 5, n.y - 5, n.x + 5, n.y + 5});
  for (const auto& n : nomi) {
    d.cerchio(n.x, n.y, 4.5, "fill=\"#fff\" stroke=\"#000\" stroke-width=\"1.6\"");
  }
  const double fs = 12;
  for (const auto& n : nomi) {
    double w = svg::larghezza_testo(n.st->nome, fs);
    // Candidate places: right, left, above, below, then further out with a leader.
    const struct {
      double dx, dy;
      bool sinistra;
    } posti[] = {{8, 4, false},    {-8, 4, true},    {7, -7, false},  {-7, -7, true},  {7, 15, false},
                 {-7, 15, true},   {26, 4, false},   {-26, 4, true},  {22, -16, false}, {-22, -16, true},
                 {22, 24, false},  {-22, 24, true},  {48, 4, false},  {-48, 4, true},  {40, -28, false},
                 {-40, -28, true}, {40, 36, false},  {-40, 36, true}};
    std::optional<rettangolo> scelto;
    double tx = 0, ty = 0;
    bool sin = false;
    for (const auto& q : posti) {
      double x = n.x + q.dx, y = n.y + q.dy;
      rettangolo r = q.sinistra ? rettangolo{x - w - 2, y - fs + 1, x + 2, y + 4} : rettangolo{x - 2, y - fs + 1, x + w + 2, y + 4};
      bool libero = std::none_of(occupati.begin(), occupati.end(), [&](const rettangolo& o) { return o.tocca(r); });
      if (libero) {
        scelto = r;
        tx = x;
        ty = y;
        sin = q.sinistra;
        break;
      }
    }
    if (!scelto) {  // nothing free: the first place, overlapping
      tx = n.x + 8;
      ty = n.y + 4;
      scelto = rettangolo{tx - 2, ty - fs + 1, tx + w + 2, ty + 4};
    }
    occupati.push_back(*scelto);
    if (std::fabs(tx - n.x) > 12 || std::fabs(ty - 4 - n.y) > 12) {
      double lx = sin ? scelto->x1 - 2 : scelto->x0 + 2;
      d.linea(n.x, n.y, lx, ty - 4, "stroke=\"#888\" stroke-width=\"0.8\"");
    }
    d.testo(tx, ty, n.st->nome,
            std::string("class=\"") + (n.st->fermata ? "nome" : "nome-transito") + " alone\"" +
                (sin ? " text-anchor=\"end\"" : ""));
  }
  // Kilometre labels where they cover nothing.
  for (std::size_t k = 0; k < segni_km.size(); ++k) {
    auto [x, y] = segni_km[k];
    std::string t = km(passo_km * static_cast<double>(k + 1)) + " km";
    double w = svg::larghezza_testo(t, 10);
    rettangolo r{x + 4, y - 4, x + 6 + w, y + 8};
    if (std::any_of(occupati.begin(), occupati.end(), [&](const rettangolo& o) { return o.tocca(r); })) continue;
    occupati.push_back(r);
    d.testo(x + 5, y + 7, t, "class=\"piccolo alone\"");
  }

  // Scale bar.
  double metri = passo_tondo(120 / scala_);
  double bx = sx0_ - 60, by = oy_ + alto_piano_ + 28;
  d.linea(bx, by, bx + metri * scala_, by, "stroke=\"#333\" stroke-width=\"2\"");
  d.linea(bx, by - 4, bx, by + 4, "stroke=\"#333\" stroke-width=\"1.5\"");
  d.linea(bx + metri * scala_, by - 4, bx + metri * scala_, by + 4, "stroke=\"#333\" stroke-width=\"1.5\"");
  d.testo(bx + metri * scala_ + 8, by + 4, metri >= 1000 ? km(metri) + " km" : svg::num(metri) + " m", "class=\"asse\"");
}

// Heights of the profile's strips.
constexpr double h_velocita = 170, h_pendenza = 130, h_aderenza = 70, h_segnali = 54, spazio = 16, h_asse = 44;

double disegno::misura_profilo() const {
  return 40 + nomi_ + h_velocita + h_pendenza + h_aderenza + h_segnali + 3 * spazio + h_asse;
}

// Runs of equal values along the cells up to the route's length.
template <typename F>
std::vector<std::pair<std::int64_t, int>> serie(const model::percorso& p, std::int64_t fine, F valore) {
  std::vector<std::pair<std::int64_t, int>> r;  // (first cell, value)
  const auto& c = p.celle();
  for (std::size_t i = 0; i < c.size() && metri_cella(static_cast<std::int64_t>(i)) < fine; ++i) {
    int v = valore(c[i]);
    if (r.empty() || r.back().second != v) r.emplace_back(static_cast<std::int64_t>(i), v);
  }
  return r;
}

void disegno::disegna_profilo(svg::documento& d, double top) {
  const auto& celle = s_.celle.celle();
  const double fine = static_cast<double>(s_.fine);
  d.testo(sx0_ - 60, top + 16, "Profile along the route", "class=\"sezione\"");
  double y_nomi = top + 30 + nomi_;  // the names stand above this line
  double t_vel = y_nomi + 10, b_vel = t_vel + h_velocita;
  double t_pen = b_vel + spazio, b_pen = t_pen + h_pendenza;
  double t_ade = b_pen + spazio, b_ade = t_ade + h_aderenza;
  double t_seg = b_ade + spazio, b_seg = t_seg + h_segnali;
  double x_fine = px(fine);

  // Strip frames and kilometre grid.
  double passo_km = passo_tondo(fine / 22.0);
  for (double m = 0; m <= fine + 1e-6; m += passo_km) {
    double x = px(m);
    d.linea(x, t_vel, x, b_seg, std::string("stroke=\"") + c_griglia + "\" stroke-width=\"1\"");
  }

  // Mountain sections behind everything.
  {
    auto runs = serie(s_.celle, s_.fine, [](const model::cella& c) { return int{c.montagna}; });
    for (std::size_t k = 0; k < runs.size(); ++k) {
      if (runs[k].second == 0) continue;
      double m0 = static_cast<double>(metri_cella(runs[k].first));
      double m1 = k + 1 < runs.size() ? static_cast<double>(metri_cella(runs[k + 1].first)) : fine;
      m1 = std::min(m1, fine);
      d.gruppo("", "mountain section type " + std::to_string(runs[k].second) + ", " + km(m0) + " to " + km(m1) + " km");
      d.rettangolo(px(m0), t_vel, px(m1) - px(m0), b_seg - t_vel,
                   std::string("fill=\"") + c_montagna + "\" fill-opacity=\"0.6\"");
      if (px(m1) - px(m0) > 24)
        d.testo((px(m0) + px(m1)) / 2, t_vel + 12, "M" + std::to_string(runs[k].second),
                "class=\"piccolo\" text-anchor=\"middle\" fill=\"#4a5f80\"");
      d.chiudi_gruppo();
    }
  }

  for (auto [t, b] : {std::pair{t_vel, b_vel}, {t_pen, b_pen}, {t_ade, b_ade}, {t_seg, b_seg}}) {
    d.rettangolo(sx0_, t, x_fine - sx0_, b - t, "fill=\"none\" stroke=\"#999\" stroke-width=\"1\"");
  }

  // Stations: a line through every strip.
  for (const stazione& st : s_.stazioni) {
    if (st.posizione < 0 || st.posizione > s_.fine) continue;
    double x = px(static_cast<double>(st.posizione));
    d.linea(x, y_nomi, x, b_seg, st.fermata ? "stroke=\"#555\" stroke-width=\"0.9\"" :
                                              "stroke=\"#888\" stroke-width=\"0.8\" stroke-dasharray=\"3 3\"");
  }

  // Speed limit.
  auto velocita = serie(s_.celle, s_.fine, [](const model::cella& c) { return kmh(c); });
  int v_max = 0;
  for (auto [i, v] : velocita) v_max = std::max(v_max, v);
  for (const auto& c : celle)
    if (c.elemento == model::el_inizio_rallentamento) v_max = std::max<int>(v_max, c.dato1);
  double v_top = std::max(160.0, std::ceil(v_max / 20.0) * 20.0);
  auto Yv = [&](double v) { return b_vel - std::clamp(v, 0.0, v_top) / v_top * (h_velocita - 18); };
  for (double v = 0; v <= v_top; v += (v_top > 200 ? 50 : 20)) {
    d.linea(sx0_ - 4, Yv(v), sx0_, Yv(v), "stroke=\"#999\"");
    d.testo(sx0_ - 7, Yv(v) + 4, svg::num(v), "class=\"asse\" text-anchor=\"end\"");
  }
  d.testo(24, (t_vel + b_vel) / 2, "speed limit km/h",
          "class=\"asse\" text-anchor=\"middle\" transform=\"rotate(-90 24 " + svg::num((t_vel + b_vel) / 2) + ")\"");
  {
    std::string path;
    for (std::size_t k = 0; k < velocita.size(); ++k) {
      double m0 = static_cast<double>(metri_cella(velocita[k].first));
      double m1 = k + 1 < velocita.size() ? static_cast<double>(metri_cella(velocita[k + 1].first)) : fine;
      double y = Yv(velocita[k].second);
      path += (k == 0 ? "M" : "V") + svg::num(k == 0 ? px(m0) : y) + (k == 0 ? " " + svg::num(y) : "") + " H" +
              svg::num(px(std::min(m1, fine))) + " ";
    }
    if (!path.empty())
      d.vuoto("path", "d=\"" + path + "\" fill=\"none\" stroke=\"" + c_velocita + "\" stroke-width=\"1.8\"");
  }

  // Slowdowns: a bar at their speed from the start cell to the end cell.
  for (std::size_t i = 0; i < celle.size(); ++i) {
    const model::cella& c = celle[i];
    auto m = static_cast<double>(metri_cella(static_cast<std::int64_t>(i)));
    if (m > fine) break;
    if (c.elemento == model::el_inizio_rallentamento) {
      std::size_t f = i;
      while (f < celle.size() && celle[f].elemento != model::el_fine_rallentamento) ++f;
      if (f == celle.size()) f = i;
      double m1 = std::min(static_cast<double>(metri_cella(static_cast<std::int64_t>(f))), fine);
      double x0 = px(m), x1 = std::max(px(m1), x0 + 3);
      d.gruppo("", "slowdown " + std::to_string(c.dato1) + " km/h from " + km(m) + " to " + km(m1) + " km");
      d.rettangolo(x0, Yv(c.dato1) - 3, x1 - x0, 6, std::string("fill=\"") + c_rallentamento + "\"");
      d.testo((x0 + x1) / 2, Yv(c.dato1) - 7, std::to_string(c.dato1),
              std::string("class=\"piccolo alone\" text-anchor=\"middle\" fill=\"") + c_rallentamento + "\"");
      d.chiudi_gruppo();
    } else if (c.elemento == model::el_avviso_rallentamento) {
      double x = px(m);
      d.gruppo("", "slowdown warning " + std::to_string(c.dato1) + " km/h at " + km(m) + " km");
      d.vuoto("polygon", "points=\"" + svg::num(x - 5) + "," + svg::num(t_vel + 2) + " " + svg::num(x + 5) + "," +
                             svg::num(t_vel + 2) + " " + svg::num(x) + "," + svg::num(t_vel + 11) + "\" fill=\"" +
                             c_rallentamento + "\"");
      d.chiudi_gruppo();
    }
  }

  // Gradient: bars up (rising) or down (falling) from the zero line.
  auto pendenze = serie(s_.celle, s_.fine, [](const model::cella& c) { return pendenza(c); });
  int g_max = 5;
  for (auto [i, g] : pendenze) g_max = std::max(g_max, std::abs(g));
  double g_top = std::ceil(g_max / 5.0) * 5.0;
  double y0 = (t_pen + b_pen) / 2;
  auto Yg = [&](double g) { return y0 - g / g_top * (h_pendenza / 2 - 8); };
  for (std::size_t k = 0; k < pendenze.size(); ++k) {
    double m0 = static_cast<double>(metri_cella(pendenze[k].first));
    double m1 = std::min(k + 1 < pendenze.size() ? static_cast<double>(metri_cella(pendenze[k + 1].first)) : fine, fine);
    int g = pendenze[k].second;
    if (g == 0) continue;
    double y = Yg(g);
    d.rettangolo(px(m0), std::min(y, y0), std::max(px(m1) - px(m0), 0.5), std::fabs(y - y0),
                 std::string("fill=\"") + (g > 0 ? c_salita : c_discesa) + "\"");
  }
  d.linea(sx0_, y0, x_fine, y0, "stroke=\"#666\" stroke-width=\"0.8\"");
  for (double g : {-g_top, -g_top / 2, 0.0, g_top / 2, g_top}) {
    d.linea(sx0_ - 4, Yg(g), sx0_, Yg(g), "stroke=\"#999\"");
    d.testo(sx0_ - 7, Yg(g) + 4, (g > 0 ? "+" : "") + svg::num(g), "class=\"asse\" text-anchor=\"end\"");
  }
  d.testo(24, y0, "gradient \u2030",
          "class=\"asse\" text-anchor=\"middle\" transform=\"rotate(-90 24 " + svg::num(y0) + ")\"");

  // Adhesion.
  auto aderenze = serie(s_.celle, s_.fine, [](const model::cella& c) { return int{c.aderenza}; });
  int a_max = 100;
  for (auto [i, a] : aderenze) a_max = std::max(a_max, a);
  auto Ya = [&](double a) { return b_ade - a / a_max * (h_aderenza - 12); };
  {
    std::string path;
    for (std::size_t k = 0; k < aderenze.size(); ++k) {
      double m0 = static_cast<double>(metri_cella(aderenze[k].first));
      double m1 = std::min(k + 1 < aderenze.size() ? static_cast<double>(metri_cella(aderenze[k + 1].first)) : fine, fine);
      double y = Ya(aderenze[k].second);
      path += (k == 0 ? "M" + svg::num(px(m0)) + " " + svg::num(y) : "V" + svg::num(y)) + " H" + svg::num(px(m1)) + " ";
    }
    if (!path.empty())
      d.vuoto("path", "d=\"" + path + "\" fill=\"none\" stroke=\"" + c_aderenza + "\" stroke-width=\"1.8\"");
  }
  for (double a : {0.0, a_max / 2.0, static_cast<double>(a_max)}) {
    d.linea(sx0_ - 4, Ya(a), sx0_, Ya(a), "stroke=\"#999\"");
    d.testo(sx0_ - 7, Ya(a) + 4, svg::num(a), "class=\"asse\" text-anchor=\"end\"");
  }
  d.testo(24, (t_ade + b_ade) / 2, "adhesion",
          "class=\"asse\" text-anchor=\"middle\" transform=\"rotate(-90 24 " + svg::num((t_ade + b_ade) / 2) + ")\"");

  // Signals and code reductions.
  d.testo(24, (t_seg + b_seg) / 2, "signals",
          "class=\"asse\" text-anchor=\"middle\" transform=\"rotate(-90 24 " + svg::num((t_seg + b_seg) / 2) + ")\"");
  std::vector<rettangolo> etichette;
  for (std::size_t i = 0; i < celle.size(); ++i) {
    const model::cella& c = celle[i];
    auto m = static_cast<double>(metri_cella(static_cast<std::int64_t>(i)));
    if (m > fine) break;
    double x = px(m);
    if (c.elemento == model::el_segnale) {
      d.gruppo("", "signal at cell " + std::to_string(i) + " (" + km(m) + " km)");
      d.vuoto("polygon", "points=\"" + svg::num(x) + "," + svg::num(t_seg + 4) + " " + svg::num(x + 3.5) + "," +
                             svg::num(t_seg + 16) + " " + svg::num(x - 3.5) + "," + svg::num(t_seg + 16) +
                             "\" fill=\"" + c_segnale + "\"");
      d.linea(x, t_seg + 16, x, t_seg + 22, std::string("stroke=\"") + c_segnale + "\" stroke-width=\"1.2\"");
      d.chiudi_gruppo();
    } else if (c.elemento == model::el_abbattimento || c.elemento == model::el_abbattimento_nullo) {
      std::string v = c.elemento == model::el_abbattimento ? std::to_string(c.dato1) : "0";
      double y = b_seg - 20;
      d.gruppo("", "code reduction " + v + " at " + km(m) + " km");
      d.vuoto("polygon", "points=\"" + svg::num(x) + "," + svg::num(y - 5) + " " + svg::num(x + 5) + "," + svg::num(y) +
                             " " + svg::num(x) + "," + svg::num(y + 5) + " " + svg::num(x - 5) + "," + svg::num(y) +
                             "\" fill=\"" + c_abbattimento + "\"");
      double w = svg::larghezza_testo(v, 10);
      rettangolo r{x - w / 2 - 2, b_seg - 12, x + w / 2 + 2, b_seg - 1};
      if (std::none_of(etichette.begin(), etichette.end(), [&](const rettangolo& o) { return o.tocca(r); })) {
        etichette.push_back(r);
        d.testo(x, b_seg - 3, v, std::string("class=\"piccolo\" text-anchor=\"middle\" fill=\"") + c_abbattimento + "\"");
      }
      d.chiudi_gruppo();
    }
  }

  // Kilometre axis.
  for (double m = 0; m <= fine + 1e-6; m += passo_km) {
    double x = px(m);
    d.linea(x, b_seg, x, b_seg + 6, "stroke=\"#333\"");
    d.testo(x, b_seg + 19, km(m), "class=\"asse\" text-anchor=\"middle\"");
  }
  d.testo((sx0_ + x_fine) / 2, b_seg + 37, "km from the route origin (route length " + km(fine) + " km)",
          "class=\"asse\" text-anchor=\"middle\"");

  // Station names above the strips, spread so that none covers another.
  std::vector<std::pair<double, const stazione*>> posti;
  for (const stazione& st : s_.stazioni) {
    if (st.posizione < 0 || st.posizione > s_.fine) continue;
    posti.emplace_back(px(static_cast<double>(st.posizione)), &st);
  }
  const double passo_nomi = 14;
  std::vector<double> lx(posti.size());
  for (std::size_t k = 0; k < posti.size(); ++k)
    lx[k] = k == 0 ? posti[k].first : std::max(posti[k].first, lx[k - 1] + passo_nomi);
  for (std::size_t k = posti.size(); k-- > 0;) {
    double limite = k + 1 < posti.size() ? lx[k + 1] - passo_nomi : sx1_ + 20;
    lx[k] = std::min(lx[k], limite);
  }
  for (std::size_t k = 0; k < posti.size(); ++k) {
    const stazione& st = *posti[k].second;
    double x = posti[k].first, l = lx[k];
    double base = y_nomi - 14;
    d.vuoto("polyline", "points=\"" + svg::num(x) + "," + svg::num(y_nomi) + " " + svg::num(x) + "," +
                            svg::num(y_nomi - 4) + " " + svg::num(l) + "," + svg::num(base + 2) +
                            "\" fill=\"none\" stroke=\"#888\" stroke-width=\"0.8\"");
    std::string t = st.nome + (st.fermata ? "  " + orario_hms(st.orario).substr(0, orario_hms(st.orario).size() - 3) : "");
    d.testo(l + 4, base, t,
            std::string("class=\"") + (st.fermata ? "nome" : "nome-transito") + "\" transform=\"rotate(-90 " +
                svg::num(l + 4) + " " + svg::num(base) + ")\"");
  }
}

void disegno::disegna_legenda(svg::documento& d, double top) {
  double x = sx0_ - 60, y = top + 14;
  auto voce = [&](const std::string& simbolo, const std::string& testo) {
    d.grezzo(simbolo);
    d.testo(x + 22, y + 4, testo, "class=\"legenda\"");
    x += 30 + svg::larghezza_testo(testo, 12) + 18;
    if (x > larghezza_ - 220) {
      x = sx0_ - 60;
      y += 24;
    }
  };
  auto cerchio = [&](const char* fill, const char* stroke) {
    return "<circle cx=\"" + svg::num(x + 8) + "\" cy=\"" + svg::num(y) + "\" r=\"4.5\" fill=\"" + fill +
           "\" stroke=\"" + stroke + "\" stroke-width=\"1.5\"/>\n";
  };
  auto barra = [&](const char* colore, double h) {
    return "<rect x=\"" + svg::num(x) + "\" y=\"" + svg::num(y - h / 2) + "\" width=\"16\" height=\"" + svg::num(h) +
           "\" fill=\"" + colore + "\"/>\n";
  };
  voce(cerchio("#fff", "#000"), "station (bold: stop, italic: passed)");
  voce(cerchio(c_segnale, c_segnale), "signal");
  voce(barra(c_cartello_v, 7), "speed board");
  voce("<polygon points=\"" + svg::num(x + 8) + "," + svg::num(y - 5) + " " + svg::num(x + 13) + "," + svg::num(y) +
           " " + svg::num(x + 8) + "," + svg::num(y + 5) + " " + svg::num(x + 3) + "," + svg::num(y) + "\" fill=\"" +
           c_cartello_i + "\"/>\n",
       "indicator sign");
  voce(barra(c_velocita, 2.5), "speed limit");
  voce(barra(c_rallentamento, 6), "slowdown (speed)");
  voce(barra(c_salita, 10), "rising gradient");
  voce(barra(c_discesa, 10), "falling gradient");
  voce(barra(c_aderenza, 2.5), "adhesion");
  voce(barra(c_montagna, 14), "mountain section (M type)");
  voce("<polygon points=\"" + svg::num(x + 8) + "," + svg::num(y - 5) + " " + svg::num(x + 13) + "," + svg::num(y) +
           " " + svg::num(x + 8) + "," + svg::num(y + 5) + " " + svg::num(x + 3) + "," + svg::num(y) + "\" fill=\"" +
           c_abbattimento + "\"/>\n",
       "code reduction (value)");
  if (s_.pn.presente) {
    voce("<line x1=\"" + svg::num(x) + "\" y1=\"" + svg::num(y) + "\" x2=\"" + svg::num(x + 16) + "\" y2=\"" +
             svg::num(y) + "\" stroke=\"" + c_margine + "\" stroke-width=\"1.5\" stroke-dasharray=\"5 4\"/>\n",
         "plan beyond the route's end");
  }
}

std::string disegno::svg() {
  // Room for the station names above the profile: the longest name, upright.
  double piu_lungo = 60;
  for (const stazione& st : s_.stazioni) piu_lungo = std::max(piu_lungo, svg::larghezza_testo(st.nome + "  00:00", 12));
  nomi_ = std::min(piu_lungo + 20, 260.0);

  double alto_titolo = 70;
  double alto_piano = misura_piano(larghezza_);
  double alto_profilo = misura_profilo();
  double alto_legenda = 70;
  double altezza = alto_titolo + alto_piano + alto_profilo + alto_legenda;

  svg::documento d(larghezza_, altezza);
  d.grezzo(stile);
  d.rettangolo(0, 0, larghezza_, altezza, "fill=\"#ffffff\"");

  const model::voce_stazione& sc = s_.tabella[model::voce_scenario];
  const model::voce_stazione& sg = s_.tabella[model::voce_segnalamento];
  std::string titolo = utf8(sc.testo);
  while (!titolo.empty() && titolo.back() == ' ') titolo.pop_back();
  d.testo(sx0_ - 60, 34, titolo + "  \u2014  " + utf8(sg.testo), "class=\"titolo\"");
  std::int64_t segnali = 0;
  for (const auto& c : s_.celle.celle()) segnali += c.elemento == model::el_segnale;
  std::int64_t fermate = std::count_if(s_.stazioni.begin(), s_.stazioni.end(), [](const stazione& s) { return s.fermata; });
  d.testo(sx0_ - 60, 56,
          "route " + km(static_cast<double>(s_.fine)) + " km \u00b7 " + std::to_string(s_.stazioni.size()) +
              " stations (" + std::to_string(fermate) + " stops) \u00b7 " + std::to_string(segnali) + " signals" +
              (s_.pn.presente ? "" : " \u00b7 no plan file: profile only"),
          "class=\"sotto\"");

  double y = alto_titolo;
  if (s_.pn.presente) {
    disegna_piano(d, y);
    y += alto_piano;
  }
  disegna_profilo(d, y);
  y += alto_profilo;
  disegna_legenda(d, y);
  return d.fine();
}

// ---- reading ------------------------------------------------------------

struct errore_plot {
  int uscita = 0;
  std::string testo;
};

std::optional<errore_plot> leggi_scenario(const std::string& cartella, const std::string& nome,
                                          const std::string& codice, scenario_letto& s) {
  build::nomi_file n = build::nomi(nome, codice);
  auto percorso = [&](const std::string& f) {
    return (std::filesystem::u8path(cartella) / std::filesystem::u8path(f)).u8string();
  };
  auto testo = [](const auto& u8) { return std::string(u8.begin(), u8.end()); };
  const std::string record = testo(percorso(n.record)), celle = testo(percorso(n.celle)),
                    piano_f = testo(percorso(n.piano));

  auto apri = [&](const std::string& f, std::ifstream& in, std::uint64_t& dim) -> std::optional<errore_plot> {
    std::string perche;
    if (!apri_binario(f, in, dim, perche)) return errore_plot{uscita_ingresso, f + ": " + perche};
    return std::nullopt;
  };
  auto dati = [](const std::string& f, const model::errore_formato& e) {
    return errore_plot{uscita_dati, f + ": " + e.testo()};
  };

  model::errore_formato e;
  {
    std::ifstream in;
    std::uint64_t dim = 0;
    if (auto r = apri(record, in, dim)) return r;
    model::cursore_byte c(in, dim);
    if (!model::leggi_record(c, s.tabella, e)) return dati(record, e);
  }
  {
    std::ifstream in;
    std::uint64_t dim = 0;
    if (auto r = apri(celle, in, dim)) return r;
    model::cursore_byte c(in, dim);
    if (!model::leggi_celle(c, s.celle, e)) return dati(celle, e);
  }

  // The route's length as the record file gives it, within the cells.
  std::int64_t celle_metri = 50 * (s.celle.D() + 1);
  std::int64_t l = s.tabella[model::voce_treno].valore2;
  s.fine = l > 0 && l <= celle_metri ? l : celle_metri;

  for (int k = 1; k <= model::primo_cartello; ++k) {
    const model::voce_stazione& v = s.tabella[k];
    if (ruolo_voce(k, v) != ruolo::stazione) continue;
    s.stazioni.push_back({utf8(v.testo), v.valore3, v.byte2, v.orario});
  }

  std::error_code ec;
  if (std::filesystem::exists(std::filesystem::u8path(piano_f), ec)) {
    std::vector<std::int64_t> volute;
    for (const stazione& st : s.stazioni) volute.push_back(st.posizione);
    const auto& cc = s.celle.celle();
    for (std::size_t i = 0; i < cc.size(); ++i)
      if (marcata_su_piano(cc[i].elemento)) volute.push_back(metri_cella(static_cast<std::int64_t>(i)));
    double passo_km = passo_tondo(static_cast<double>(s.fine) / 12.0);
    for (double m = passo_km; m < static_cast<double>(s.fine); m += passo_km) volute.push_back(static_cast<std::int64_t>(m));
    volute.push_back(s.fine);
    std::ifstream in;
    std::uint64_t dim = 0;
    if (auto r = apri(piano_f, in, dim)) return r;
    if (!leggi_piano(in, dim, s.fine, std::move(volute), s.pn, e)) return dati(piano_f, e);
  }
  return std::nullopt;
}

int errore_uso(std::ostream& err, const std::string& msg) {
  err << "scenario-tool plot: " << msg << " (see 'scenario-tool plot --help')\n";
  return build::uscita_uso;
}

}  // namespace

int verbo_plot(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  opzioni o = analizza(args, {"--dir", "--name", "--code", "--out"}, {"--help", "-h"});
  if (o.ha("--help") || o.ha("-h")) return out << uso_plot, 0;
  if (!o.errore.empty()) return errore_uso(err, o.errore);
  auto dir = o.valore("--dir");
  auto file = o.valore("--out");
  if (!dir) return errore_uso(err, "missing --dir DIR");
  if (!file) return errore_uso(err, "missing --out FILE.svg");
  std::string nome = o.valore("--name").value_or(std::string(build::nome_predefinito));
  std::string codice = o.valore("--code").value_or(std::string(build::codice_predefinito));

  scenario_letto s;
  if (auto e = leggi_scenario(*dir, nome, codice, s)) {
    err << "scenario-tool plot: " << e->testo << "\n";
    return e->uscita;
  }
  std::string testo = disegno(s).svg();
  std::ofstream f(std::filesystem::u8path(*file), std::ios::binary | std::ios::trunc);
  f << testo;
  f.flush();
  if (!f) {
    err << "scenario-tool plot: " << *file << ": cannot be written\n";
    return uscita_scrittura;
  }
  return 0;
}

}  // namespace tool
