#include "tool/dump.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <optional>
#include <ostream>
#include <vector>

#include "build/build.hpp"
#include "model/file_binari.hpp"
#include "model/lettura_binari.hpp"
#include "tool/decodifica.hpp"
#include "tool/json.hpp"
#include "tool/opzioni.hpp"

namespace tool {
namespace {

constexpr std::string_view uso_dump =
    "usage: scenario-tool dump FILE [--json] [--points A:B]\n"
    "\n"
    "Decodes one binary file of a build into a readable table. The kind of file\n"
    "comes from its name:\n"
    "  *.sim         record file: every record with its slot and role\n"
    "  *_linea.dat   plan file: a summary of the points (count, tags, extent, length)\n"
    "  *.dat         cell file: every cell that is not empty, its item and values\n"
    "  --points A:B  plan file only: also list points A to B (metres from the origin)\n"
    "  --json        print one JSON document instead of the table\n"
    "Texts are shown converted from Windows-1252 to UTF-8.\n"
    "\n"
    "Exit status: 0 decoded, 64 bad command line, 65 the file does not have its\n"
    "layout (the message names the byte offset), 66 the file cannot be opened.\n";

enum class tipo_file { record, celle, piano };

bool finisce_con(std::string_view s, std::string_view fine) {
  if (s.size() < fine.size()) return false;
  for (std::size_t k = 0; k < fine.size(); ++k) {
    char a = s[s.size() - fine.size() + k];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != fine[k]) return false;
  }
  return true;
}

std::optional<tipo_file> tipo_da_nome(std::string_view nome) {
  if (finisce_con(nome, ".sim")) return tipo_file::record;
  if (finisce_con(nome, "_linea.dat")) return tipo_file::piano;
  if (finisce_con(nome, ".dat")) return tipo_file::celle;
  return std::nullopt;
}

int errore_uso(std::ostream& err, const std::string& msg) {
  err << "scenario-tool dump: " << msg << " (see 'scenario-tool dump --help')\n";
  return build::uscita_uso;
}

int errore_dati(std::ostream& err, const std::string& nome, const model::errore_formato& e) {
  err << "scenario-tool dump: " << nome << ": " << e.testo() << "\n";
  return uscita_dati;
}

std::string fmt(const char* f, auto... a) {
  char buf[512];
  std::snprintf(buf, sizeof buf, f, a...);
  return buf;
}

// A double for JSON: the shortest text that reads back to the same value;
// null for what JSON cannot hold.
std::string numero_json(double v) {
  if (!std::isfinite(v)) return "null";
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// Builds one JSON object's members in order.
class oggetto {
 public:
  oggetto& n(std::string_view k, std::int64_t v) { return grezzo(k, std::to_string(v)); }
  oggetto& d(std::string_view k, double v) { return grezzo(k, numero_json(v)); }
  oggetto& s(std::string_view k, std::string_view v) { return grezzo(k, json_stringa(v)); }
  oggetto& grezzo(std::string_view k, std::string_view v) {
    if (!t_.empty()) t_ += ", ";
    t_ += json_stringa(k);
    t_ += ": ";
    t_ += v;
    return *this;
  }
  std::string str() const { return "{" + t_ + "}"; }

 private:
  std::string t_;
};

// ---- record file -------------------------------------------------------

struct campo_numerico {
  const char* nome;
  std::int64_t (*valore)(const model::voce_stazione&);
};

#define CAMPO(f) {#f, [](const model::voce_stazione& v) -> std::int64_t { return v.f; }}
const campo_numerico campi_voce[] = {
    CAMPO(tipo_stazione), CAMPO(valore1), CAMPO(valore2), CAMPO(valore3), CAMPO(opzione),
    CAMPO(intero1),       CAMPO(intero2), CAMPO(intero3), CAMPO(intero4), CAMPO(intero5),
    CAMPO(byte1),         CAMPO(byte2),   CAMPO(byte3),   CAMPO(byte4),   CAMPO(orario),
};
#undef CAMPO

// The fields a role gives a meaning to; "testo" stands for the text.
std::vector<std::string_view> campi_del_ruolo(ruolo r) {
  switch (r) {
    case ruolo::inutilizzata: return {};
    case ruolo::stazione: return {"*"};
    case ruolo::cartello: return {"testo"};
    case ruolo::progressiva:
    case ruolo::treno: return {"valore1", "valore2", "valore3"};
    case ruolo::scenario: return {"valore1", "valore2", "valore3", "testo", "intero1", "orario"};
    case ruolo::segnalamento:
      return {"valore1", "valore2", "valore3", "testo", "intero1", "intero3", "intero4", "intero5"};
  }
  return {};
}

// Fields set in a record that its role does not use, as " [also a=1, b=2]".
std::string altri_campi(ruolo r, const model::voce_stazione& v) {
  auto usati = campi_del_ruolo(r);
  auto usato = [&](std::string_view nome) {
    for (auto u : usati)
      if (u == "*" || u == nome) return true;
    return false;
  };
  std::string t;
  for (const auto& c : campi_voce) {
    std::int64_t x = c.valore(v);
    if (x != 0 && !usato(c.nome)) t += (t.empty() ? "" : ", ") + std::string(c.nome) + "=" + std::to_string(x);
  }
  if (!v.testo.empty() && !usato("testo")) t += (t.empty() ? "" : ", ") + std::string("testo=\"") + utf8(v.testo) + "\"";
  return t.empty() ? "" : " [also " + t + "]";
}

std::string dettagli_voce(ruolo r, const model::voce_stazione& v) {
  switch (r) {
    case ruolo::inutilizzata: return "";
    case ruolo::stazione:
      return fmt("at %d m, area %d..%d m, type %u, stop %u, time %s, layout %u,%u,%u %d,%d,%u %d,%d,%d, ",
                 v.valore3, v.valore1, v.valore2, unsigned{v.tipo_stazione}, unsigned{v.byte2},
                 orario_hms(v.orario).c_str(), unsigned{v.opzione}, unsigned{v.byte4}, unsigned{v.byte3},
                 int{v.intero1}, int{v.intero2}, unsigned{v.byte1}, int{v.intero3}, int{v.intero4}, int{v.intero5}) +
             "\"" + utf8(v.testo) + "\"";
    case ruolo::cartello: return "\"" + utf8(v.testo) + "\"";
    case ruolo::progressiva:
      return fmt("position %d m, kilometric value %d m, flag %d", v.valore1, v.valore2, v.valore3);
    case ruolo::treno:
      return fmt("braked mass %d %%, route length %d m, coaches %d", v.valore1, v.valore2, v.valore3);
    case ruolo::scenario:
      return fmt("backgrounds one %d, two %d, three %d; name \"", v.valore1, v.valore3, v.valore2) + utf8(v.testo) +
             fmt("\"; fixed value %d; second competition code %d", int{v.intero1}, v.orario);
    case ruolo::segnalamento:
      return fmt("signal repetition %d..%d m, %d codes; scenario code \"", v.valore1, v.valore2, v.valore3) +
             utf8(v.testo) + fmt("\"; sand %d; clock ", int{v.intero1}) + hms(v.intero3, v.intero4, v.intero5);
  }
  return "";
}

std::string json_voce(int n, std::uint64_t offset, ruolo r, const model::voce_stazione& v) {
  oggetto o;
  o.n("slot", n).n("offset", static_cast<std::int64_t>(offset)).s("role", chiave_ruolo(r));
  for (const auto& c : campi_voce) {
    o.n(c.nome, c.valore(v));
    if (std::string_view(c.nome) == "opzione") o.s("testo", utf8(v.testo));
  }
  oggetto d;
  switch (r) {
    case ruolo::inutilizzata: break;
    case ruolo::stazione:
      d.n("position", v.valore3).n("start", v.valore1).n("end", v.valore2).n("type", v.tipo_stazione)
          .n("stop", v.byte2).s("time", orario_hms(v.orario)).s("name", utf8(v.testo));
      break;
    case ruolo::cartello: d.s("text", utf8(v.testo)); break;
    case ruolo::progressiva: d.n("position", v.valore1).n("kilometric_value", v.valore2).n("flag", v.valore3); break;
    case ruolo::treno: d.n("braked_mass_percent", v.valore1).n("route_length", v.valore2).n("coaches", v.valore3); break;
    case ruolo::scenario:
      d.n("background_one", v.valore1).n("background_two", v.valore3).n("background_three", v.valore2)
          .s("name", utf8(v.testo)).n("fixed_value", v.intero1).n("second_competition_code", v.orario);
      break;
    case ruolo::segnalamento:
      d.n("repetition_start", v.valore1).n("repetition_end", v.valore2).n("codes", v.valore3)
          .s("scenario_code", utf8(v.testo)).n("sand", v.intero1).s("clock", hms(v.intero3, v.intero4, v.intero5));
      break;
  }
  o.grezzo("decoded", d.str());
  return o.str();
}

int dump_record(const std::string& nome, std::istream& in, std::uint64_t dim, bool json, std::ostream& out,
                std::ostream& err) {
  model::cursore_byte c(in, dim);
  model::tabella_stazioni t;
  std::array<std::uint64_t, model::numero_voci> offsets{};
  model::errore_formato e;
  if (!model::leggi_record(c, t, e, &offsets)) return errore_dati(err, nome, e);
  if (json) {
    out << "{\"file\": " << json_stringa(nome_breve(nome)) << ", \"kind\": \"records\", \"size\": " << dim
        << ", \"records\": [\n";
    for (int n = 0; n < model::numero_voci; ++n) {
      out << "  " << json_voce(n, offsets[static_cast<std::size_t>(n)], ruolo_voce(n, t[n]), t[n])
          << (n + 1 < model::numero_voci ? ",\n" : "\n");
    }
    out << "]}\n";
    return 0;
  }
  out << "record file \"" << nome_breve(nome) << "\": " << dim << " bytes, " << model::numero_voci << " records\n";
  out << "slot  offset  role            details\n";
  for (int n = 0; n < model::numero_voci; ++n) {
    ruolo r = ruolo_voce(n, t[n]);
    std::string riga = fmt("%4d  %6llu  %-14s  ", n, static_cast<unsigned long long>(offsets[static_cast<std::size_t>(n)]),
                           nome_ruolo(r)) +
                       dettagli_voce(r, t[n]) + altri_campi(r, t[n]);
    while (!riga.empty() && riga.back() == ' ') riga.pop_back();
    out << riga << "\n";
  }
  return 0;
}

// ---- cell file ---------------------------------------------------------

// The item of a cell and its values, in words; `resto` collects the values
// the kind does not use, when they are not 0.
struct descrizione_cella {
  std::string item, valori;
};

descrizione_cella descrivi(std::int64_t i, const model::cella& c) {
  descrizione_cella d;
  const char* nome = nome_elemento(c.elemento);
  d.item = *nome ? nome : fmt("kind %u", unsigned{c.elemento});
  bool usati[4] = {false, false, false, false};
  switch (c.elemento) {
    case model::el_segnale: {
      segnale g = decodifica_segnale(c);
      d.valori = fmt("sx %d: %d %d %d, dx %d: %d %d %d, rapp %d, tempo %u", g.sx, g.s[0], g.s[1], g.s[2], g.dx, g.d[0],
                     g.d[1], g.d[2], g.rapp, unsigned{c.tempo_segnale});
      usati[0] = usati[1] = usati[2] = usati[3] = true;
      break;
    }
    case model::el_fine_rallentamento:
    case model::el_inizio_rallentamento:
      d.valori = fmt("speed %d km/h, d_v %d, f_tt %d", c.dato1, c.dato2, c.dato3);
      usati[0] = usati[1] = usati[2] = true;
      break;
    case model::el_avviso_rallentamento:
      d.valori = fmt("speed %d km/h, d_v %d", c.dato1, c.dato2);
      usati[0] = usati[1] = true;
      break;
    case model::el_zona_avviso:
      d.valori = fmt("count %d, dato2 %d", c.dato1, c.dato2);
      usati[0] = usati[1] = true;
      break;
    case model::el_indicatore_vmax: {
      auto a = decodifica_velocita(c.dato1), b = decodifica_velocita(c.dato2), k = decodifica_velocita(c.dato3);
      auto s = decodifica_strisce(c.dato4);
      d.valori = fmt("%d %d %d: %d|%d %d|%d %d|%d, stripes %d|%d", c.dato1, c.dato2, c.dato3, a.sinistra, a.destra,
                     b.sinistra, b.destra, k.sinistra, k.destra, s.sinistra, s.destra);
      usati[0] = usati[1] = usati[2] = usati[3] = true;
      break;
    }
    case model::el_fermata:
      d.valori = fmt("station slot %d", c.dato1);
      usati[0] = true;
      break;
    case model::el_abbattimento:
      d.valori = fmt("code %d", c.dato1);
      usati[0] = true;
      break;
    case model::el_cartello:
      d.valori = fmt("sign slot %d", c.dato1);
      usati[0] = true;
      break;
    case model::el_nessuno:
      d.item = "-";
      if (i == 1 && (c.dato1 != 0 || c.dato2 != 0)) {
        d.valori = fmt("fixed value %d, first competition code %d", c.dato1, c.dato2);
        usati[0] = usati[1] = true;
      }
      break;
    default: break;
  }
  const std::int16_t dati[4] = {c.dato1, c.dato2, c.dato3, c.dato4};
  std::string resto;
  for (int k = 0; k < 4; ++k) {
    if (!usati[k] && dati[k] != 0) resto += fmt("%sdato%d=%d", resto.empty() ? "" : " ", k + 1, dati[k]);
  }
  if (c.elemento != model::el_segnale && c.tempo_segnale != 0)
    resto += fmt("%stempo_segnale=%u", resto.empty() ? "" : " ", unsigned{c.tempo_segnale});
  if (!resto.empty()) d.valori += (d.valori.empty() ? "" : "; ") + resto;
  return d;
}

std::string json_cella(std::int64_t i, std::uint64_t offset, const model::cella& c) {
  oggetto o;
  o.n("index", i).n("offset", static_cast<std::int64_t>(offset)).n("from", 50 * i).n("to", 50 * i + 49);
  o.n("elemento", c.elemento).s("kind", chiave_elemento(c.elemento));
  o.n("dato1", c.dato1).n("dato2", c.dato2).n("dato3", c.dato3).n("dato4", c.dato4);
  o.n("tempo_segnale", c.tempo_segnale).n("preavviso", c.preavviso).n("montagna", c.montagna);
  o.n("velocita", c.velocita).n("pendenza", c.pendenza).n("aderenza", c.aderenza);
  o.n("speed_kmh", kmh(c)).n("gradient", pendenza(c));
  oggetto d;
  switch (c.elemento) {
    case model::el_segnale: {
      segnale g = decodifica_segnale(c);
      d.n("sx", g.sx).n("s1", g.s[0]).n("s2", g.s[1]).n("s3", g.s[2]);
      d.n("dx", g.dx).n("d1", g.d[0]).n("d2", g.d[1]).n("d3", g.d[2]).n("rapp", g.rapp).n("tempo", c.tempo_segnale);
      break;
    }
    case model::el_fine_rallentamento:
    case model::el_inizio_rallentamento: d.n("speed", c.dato1).n("d_v", c.dato2).n("f_tt", c.dato3); break;
    case model::el_avviso_rallentamento: d.n("speed", c.dato1).n("d_v", c.dato2); break;
    case model::el_zona_avviso: d.n("count", c.dato1); break;
    case model::el_indicatore_vmax: {
      const std::int16_t v[3] = {c.dato1, c.dato2, c.dato3};
      const char* nomi[3] = {"a", "b", "c"};
      for (int k = 0; k < 3; ++k) {
        auto x = decodifica_velocita(v[k]);
        d.grezzo(nomi[k], oggetto().n("left", x.sinistra).n("right", x.destra).str());
      }
      auto s = decodifica_strisce(c.dato4);
      d.grezzo("stripes", oggetto().n("left", s.sinistra).n("right", s.destra).str());
      break;
    }
    case model::el_fermata: d.n("station_slot", c.dato1); break;
    case model::el_abbattimento: d.n("code", c.dato1); break;
    case model::el_cartello: d.n("sign_slot", c.dato1); break;
    case model::el_nessuno:
      if (i == 1) d.n("fixed_value", c.dato1).n("first_competition_code", c.dato2);
      break;
    default: break;
  }
  o.grezzo("decoded", d.str());
  return o.str();
}

// One row per cell that is not empty; the header has the same widths.
constexpr const char* formato_celle = "%5lld  %-15s %7llu  %-21s %-48s %4u %3u %4d %+4d %3u\n";
constexpr const char* formato_celle_testa = "%5s  %-15s %7s  %-21s %-48s %4s %3s %4s %4s %3s\n";

int dump_celle(const std::string& nome, std::istream& in, std::uint64_t dim, bool json, std::ostream& out,
               std::ostream& err) {
  model::errore_formato e;
  if (!model::controlla_dimensione_celle(dim, e)) return errore_dati(err, nome, e);
  auto numero = static_cast<std::int64_t>(dim / model::byte_cella);
  model::cursore_byte c(in, dim);
  model::cella x;
  auto rotto = [&](std::int64_t i) {
    e.offset = c.offset();
    e.motivo = "cell " + std::to_string(i) + " could not be read (the file is shorter than its size said)";
    return errore_dati(err, nome, e);
  };
  // First pass: count, so that the header can say it and a short read is
  // found before anything is printed.
  std::int64_t piene = 0;
  for (std::int64_t i = 0; i < numero; ++i) {
    if (!model::leggi_cella(c, x)) return rotto(i);
    piene += cella_vuota(x) ? 0 : 1;
  }
  c.vai(0);
  if (json) {
    out << "{\"file\": " << json_stringa(nome_breve(nome)) << ", \"kind\": \"cells\", \"size\": " << dim
        << ", \"count\": " << numero << ", \"not_empty\": " << piene << ", \"cells\": [";
  } else {
    out << "cell file \"" << nome_breve(nome) << "\": " << dim << " bytes, " << numero << " cells (0.." << numero - 1
        << "), " << piene << " not empty\n";
    out << fmt(formato_celle_testa, "cell", "metres", "offset", "item", "values", "appr", "mtn", "km/h", "grad",
               "adh");
  }
  std::int64_t scritte = 0;
  for (std::int64_t i = 0; i < numero; ++i) {
    std::uint64_t offset = c.offset();
    if (!model::leggi_cella(c, x)) return rotto(i);
    if (cella_vuota(x)) continue;
    if (json) {
      out << (scritte++ ? ",\n  " : "\n  ") << json_cella(i, offset, x);
      continue;
    }
    descrizione_cella d = descrivi(i, x);
    std::string metri = fmt("%lld..%lld", static_cast<long long>(50 * i), static_cast<long long>(50 * i + 49));
    out << fmt(formato_celle, static_cast<long long>(i), metri.c_str(), static_cast<unsigned long long>(offset),
               d.item.c_str(), d.valori.c_str(), unsigned{x.preavviso}, unsigned{x.montagna}, kmh(x), pendenza(x),
               unsigned{x.aderenza});
  }
  if (json) out << (scritte ? "\n" : "") << "]}\n";
  return 0;
}

// ---- plan file ---------------------------------------------------------

struct intervallo {
  std::int64_t da, a;
};

std::optional<intervallo> analizza_punti(const std::string& s) {
  auto k = s.find(':');
  if (k == std::string::npos) return std::nullopt;
  intervallo r{};
  auto leggi = [](std::string_view t, std::int64_t& v) {
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    return !t.empty() && ec == std::errc{} && p == t.data() + t.size() && v >= 0;
  };
  if (!leggi(std::string_view(s).substr(0, k), r.da) || !leggi(std::string_view(s).substr(k + 1), r.a) || r.da > r.a)
    return std::nullopt;
  return r;
}

const char* nome_tag(model::tipo_valore t) {
  switch (t) {
    case model::tipo_valore::vuoto: return "empty";
    case model::tipo_valore::intero16: return "i16";
    case model::tipo_valore::reale: return "f64";
  }
  return "";
}

std::string testo_valore(const model::valore_tracciato& v) {
  switch (v.tipo) {
    case model::tipo_valore::vuoto: return "-";
    case model::tipo_valore::intero16: return fmt("%d", static_cast<int>(v.valore));
    case model::tipo_valore::reale: return fmt("%.6f", v.valore);
  }
  return "";
}

struct riassunto_piano {
  bool esteso = false;
  double x_min = 0, x_max = 0, y_min = 0, y_max = 0;
  double lunghezza = 0;
  std::int64_t passi = 0;
};

bool presente(const model::valore_tracciato& v) {
  return v.tipo != model::tipo_valore::vuoto && std::isfinite(v.valore);
}

int dump_piano(const std::string& nome, std::istream& in, std::uint64_t dim, bool json,
               const std::optional<intervallo>& punti, std::ostream& out, std::ostream& err) {
  model::indice_piano ip;
  model::errore_formato e;
  if (!model::scandisci_piano(in, dim, ip, e)) return errore_dati(err, nome, e);

  riassunto_piano r;
  {
    model::lettore_piano l(in, dim, ip);
    std::int64_t j;
    model::valore_tracciato x, y;
    bool prima = false;
    double px = 0, py = 0;
    auto estendi = [](double v, double& lo, double& hi, bool primo) {
      if (primo || v < lo) lo = v;
      if (primo || v > hi) hi = v;
    };
    bool ha_x = false, ha_y = false;
    while (l.prossimo(j, x, y)) {
      if (presente(x)) estendi(x.valore, r.x_min, r.x_max, !ha_x), ha_x = true;
      if (presente(y)) estendi(y.valore, r.y_min, r.y_max, !ha_y), ha_y = true;
      bool ora = presente(x) && presente(y);
      if (ora && prima) {
        r.lunghezza += std::hypot(x.valore - px, y.valore - py);
        ++r.passi;
      }
      prima = ora;
      px = x.valore;
      py = y.valore;
    }
    if (l.errore()) return errore_dati(err, nome, *l.errore());
    r.esteso = ha_x && ha_y;
  }

  // Lists the points asked for, in a pass of its own; false (with the
  // message given) when the file changed since the scan.
  auto lista = [&](auto&& riga) -> bool {
    if (!punti) return true;
    model::lettore_piano l(in, dim, ip);
    std::int64_t j;
    model::valore_tracciato x, y;
    while (l.prossimo(j, x, y) && j <= punti->a) {
      if (j >= punti->da) riga(j, x, y);
    }
    if (l.errore()) errore_dati(err, nome, *l.errore());
    return l.errore() == nullptr;
  };

  if (json) {
    oggetto tag;
    tag.n("0", static_cast<std::int64_t>(ip.per_tag[0])).n("2", static_cast<std::int64_t>(ip.per_tag[1]))
        .n("5", static_cast<std::int64_t>(ip.per_tag[2]));
    oggetto o;
    o.s("file", nome_breve(nome)).s("kind", "plan").n("size", static_cast<std::int64_t>(dim)).n("points", ip.punti);
    o.n("values", static_cast<std::int64_t>(ip.valori)).grezzo("tags", tag.str());
    if (r.esteso) {
      o.grezzo("extent",
               oggetto().d("x_min", r.x_min).d("x_max", r.x_max).d("y_min", r.y_min).d("y_max", r.y_max).str());
    } else {
      o.grezzo("extent", "null");
    }
    o.d("length", r.lunghezza).n("steps", r.passi);
    std::string testa = o.str();
    testa.pop_back();  // the closing brace: the list follows
    out << testa;
    if (punti) {
      out << ", \"list\": [";
      bool primo = true;
      auto valore = [](const model::valore_tracciato& v) {
        return v.tipo == model::tipo_valore::vuoto ? std::string("null") : numero_json(v.valore);
      };
      bool ok = lista([&](std::int64_t j, const model::valore_tracciato& x, const model::valore_tracciato& y) {
        out << (primo ? "\n  " : ",\n  ")
            << oggetto().n("point", j).grezzo("x", valore(x)).n("x_tag", static_cast<int>(x.tipo))
                   .grezzo("y", valore(y)).n("y_tag", static_cast<int>(y.tipo)).str();
        primo = false;
      });
      out << (primo ? "" : "\n") << "]";
      if (!ok) return out << "}\n", uscita_dati;
    }
    out << "}\n";
    return 0;
  }

  out << "plan file \"" << nome_breve(nome) << "\": " << dim << " bytes, " << ip.punti << " points (0.."
      << ip.punti - 1 << "), " << ip.valori << " values\n";
  out << "tags: " << ip.per_tag[0] << " empty (0), " << ip.per_tag[1] << " 16-bit integer (2), " << ip.per_tag[2]
      << " 64-bit float (5)\n";
  if (r.esteso) {
    out << fmt("extent: x %.3f .. %.3f m, y %.3f .. %.3f m\n", r.x_min, r.x_max, r.y_min, r.y_max);
  } else {
    out << "extent: no point has both coordinates\n";
  }
  out << fmt("length: %.3f m over %lld steps\n", r.lunghezza, static_cast<long long>(r.passi));
  if (punti) {
    out << "  point                x                y\n";
    bool ok = lista([&](std::int64_t j, const model::valore_tracciato& x, const model::valore_tracciato& y) {
      out << fmt("%7lld %16s %16s", static_cast<long long>(j), testo_valore(x).c_str(), testo_valore(y).c_str());
      if (x.tipo != model::tipo_valore::reale || y.tipo != model::tipo_valore::reale)
        out << "  (" << nome_tag(x.tipo) << ", " << nome_tag(y.tipo) << ")";
      out << "\n";
    });
    if (!ok) return uscita_dati;
    if (punti->da >= ip.punti) out << "(the file has no point " << punti->da << ")\n";
  }
  return 0;
}

}  // namespace

int verbo_dump(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  opzioni o = analizza(args, {"--points"}, {"--json", "--help", "-h"}, 1);
  if (o.ha("--help") || o.ha("-h")) return out << uso_dump, 0;
  if (!o.errore.empty()) return errore_uso(err, o.errore);
  if (o.posizionali.empty()) return errore_uso(err, "missing FILE");
  const std::string& nome = o.posizionali[0];
  auto tipo = tipo_da_nome(nome);
  if (!tipo) return errore_uso(err, "cannot tell the kind of '" + nome + "' from its name (.sim, _linea.dat or .dat)");
  std::optional<intervallo> punti;
  if (auto p = o.valore("--points")) {
    if (*tipo != tipo_file::piano) return errore_uso(err, "--points applies to a plan file (_linea.dat) only");
    punti = analizza_punti(*p);
    if (!punti) return errore_uso(err, "--points wants A:B, two whole numbers with A <= B");
  }
  std::ifstream in;
  std::uint64_t dim = 0;
  std::string perche;
  if (!apri_binario(nome, in, dim, perche)) {
    err << "scenario-tool dump: " << nome << ": " << perche << "\n";
    return uscita_ingresso;
  }
  bool json = o.ha("--json");
  switch (*tipo) {
    case tipo_file::record: return dump_record(nome, in, dim, json, out, err);
    case tipo_file::celle: return dump_celle(nome, in, dim, json, out, err);
    case tipo_file::piano: return dump_piano(nome, in, dim, json, punti, out, err);
  }
  return 0;
}

}  // namespace tool
