// `scenario-tool dump` and the readers of the three binary files: tables
// written with the file writers come back field for field, malformed files
// give one message naming the offset and exit status 65, and the text dump
// of a small compiled scenario is pinned by golden files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "model/file_binari.hpp"
#include "model/lettura_binari.hpp"
#include "reader/codepage.hpp"
#include "support/fixture.hpp"

namespace {

namespace fs = std::filesystem;
using prova::esegui;

const std::string tool = SB_TOOL_PATH;
const std::string dati = SB_TESTDATA;

// ---- a small JSON reader, enough for the dump's documents ----------------

struct json {
  enum tipo_json { nullo, booleano, numero, stringa, lista, oggetto } tipo = nullo;
  double n = 0;
  std::string s;
  std::vector<json> a;
  std::vector<std::pair<std::string, json>> o;

  const json& operator[](const std::string& k) const {
    for (const auto& [chiave, v] : o)
      if (chiave == k) return v;
    ADD_FAILURE() << "no member " << k;
    static const json vuoto;
    return vuoto;
  }
  const json& operator[](std::size_t i) const { return a.at(i); }
  bool ha(const std::string& k) const {
    for (const auto& m : o)
      if (m.first == k) return true;
    return false;
  }
  std::int64_t i() const { return static_cast<std::int64_t>(n); }
};

class lettore_json {
 public:
  explicit lettore_json(const std::string& t) : t_(t) {}
  json documento() {
    json v = valore();
    spazi();
    if (k_ != t_.size()) throw std::runtime_error("text after the document at " + std::to_string(k_));
    return v;
  }

 private:
  void spazi() {
    while (k_ < t_.size() && std::isspace(static_cast<unsigned char>(t_[k_]))) ++k_;
  }
  char prossimo() {
    spazi();
    if (k_ >= t_.size()) throw std::runtime_error("document ends early");
    return t_[k_];
  }
  void atteso(char c) {
    if (prossimo() != c) throw std::runtime_error(std::string("expected ") + c + " at " + std::to_string(k_));
    ++k_;
  }
  json valore() {
    json v;
    char c = prossimo();
    if (c == '{') {
      v.tipo = json::oggetto;
      ++k_;
      if (prossimo() == '}') return ++k_, v;
      for (;;) {
        std::string chiave = stringa();
        atteso(':');
        v.o.emplace_back(chiave, valore());
        if (prossimo() == '}') return ++k_, v;
        atteso(',');
      }
    }
    if (c == '[') {
      v.tipo = json::lista;
      ++k_;
      if (prossimo() == ']') return ++k_, v;
      for (;;) {
        v.a.push_back(valore());
        if (prossimo() == ']') return ++k_, v;
        atteso(',');
      }
    }
    if (c == '"') {
      v.tipo = json::stringa;
      v.s = stringa();
      return v;
    }
    if (t_.compare(k_, 4, "null") == 0) return k_ += 4, v;
    if (t_.compare(k_, 4, "true") == 0) return k_ += 4, v.tipo = json::booleano, v.n = 1, v;
    if (t_.compare(k_, 5, "false") == 0) return k_ += 5, v.tipo = json::booleano, v;
    const char* inizio = t_.c_str() + k_;
    char* fine = nullptr;
    v.n = std::strtod(inizio, &fine);
    if (fine == inizio) throw std::runtime_error("not a value at " + std::to_string(k_));
    v.tipo = json::numero;
    k_ += static_cast<std::size_t>(fine - inizio);
    return v;
  }
  std::string stringa() {
    atteso('"');
    std::string s;
    while (k_ < t_.size() && t_[k_] != '"') {
      char c = t_[k_++];
      if (static_cast<unsigned char>(c) < 0x20) throw std::runtime_error("control character in a string");
      if (c != '\\') {
        s += c;
        continue;
      }
      char e = t_.at(k_++);
      switch (e) {
        case 'n': s += '\n'; break;
        case 'r': s += '\r'; break;
        case 't': s += '\t'; break;
        case 'u': s += static_cast<char>(std::stoi(t_.substr(k_, 4), nullptr, 16)); k_ += 4; break;
        default: s += e;
      }
    }
    atteso('"');
    return s;
  }

  const std::string& t_;
  std::size_t k_ = 0;
};

json leggi_json(const std::string& t) {
  try {
    return lettore_json(t).documento();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "malformed JSON: " << e.what() << "\n" << t.substr(0, 400);
    return {};
  }
}

// ---- writing tables into files -------------------------------------------

template <typename F>
std::string byte_di(F scrivi) {
  model::scrittore_memoria w;
  scrivi(w);
  w.svuota();
  return w.dati;
}

std::string file_record(const model::tabella_stazioni& t) {
  return byte_di([&](auto& w) { model::scrivi_record(t, w); });
}
std::string file_celle(const model::percorso& p) {
  return byte_di([&](auto& w) { model::scrivi_celle(p, w); });
}
std::string file_piano(const model::tracciato& t) {
  return byte_di([&](auto& w) { model::scrivi_tracciato(t, w); });
}

json dump_json(const fs::path& f, const std::vector<std::string>& altro = {}) {
  std::vector<std::string> args = {"dump", f.string(), "--json"};
  args.insert(args.end(), altro.begin(), altro.end());
  std::string out, err;
  EXPECT_EQ(esegui(tool, args, &out, &err), 0) << err;
  EXPECT_EQ(err, "");
  return leggi_json(out);
}

// A record table with every field set somewhere, extreme values included.
model::tabella_stazioni tabella_di_prova() {
  model::tabella_stazioni t;
  t.svuota();
  auto& a = t[1];
  a = {8, -400, 400, 0, 1, "INIZIO", -32768, 32767, 3, 4, 5, 255, 1, 0, 0, 45000};
  auto& b = t[2];
  b = {21, 92800, 93050, 92900, 0, "P.C Fr\xE8jus", 0, 0, 4, 1, 1, 0, 0, 1, 0, 0};
  t[3] = {12, 9100, 9500, 9300, 0, "A \"quoted\" \\ name", 1, 1, 4, 1, 1, 0, 60, 0, 0, -1};
  t[80].testo = "(PONTE  )(DORA   )(RIPARIA)";
  t[79].testo = "(Fr\xE8jus)(13657m)";
  t[81] = {0, 104250, 100, 1, 0, "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  t[82] = {0, 0, -2000, 0, 0, "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  t[83] = {0, 0, 100, 1, 0, "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  t[84] = {0, 100, 105500, 6, 0, "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  t[85] = {0, 0, 16500, 1, 0, "LORVENA-CASTIRO ", 610, 0, 0, 0, 0, 0, 0, 0, 0, 2147483647};
  t[86] = {0, 500, 104250, 4, 0, "R47093", 100, 7, 12, 29, 30, 0, 0, 0, 0, 0};
  t[0].intero2 = 9;  // slot 0 is unused, but what it holds still comes back
  return t;
}

void confronta_record(const json& doc, const model::tabella_stazioni& t) {
  ASSERT_EQ(doc["kind"].s, "records");
  ASSERT_EQ(doc["records"].a.size(), 87u);
  std::uint64_t offset = 0;
  for (int n = 0; n < model::numero_voci; ++n) {
    const json& r = doc["records"][static_cast<std::size_t>(n)];
    const model::voce_stazione& v = t[n];
    SCOPED_TRACE("slot " + std::to_string(n));
    EXPECT_EQ(r["slot"].i(), n);
    EXPECT_EQ(r["offset"].i(), static_cast<std::int64_t>(offset));
    offset += 34 + v.testo.size();
    EXPECT_EQ(r["tipo_stazione"].i(), v.tipo_stazione);
    EXPECT_EQ(r["valore1"].i(), v.valore1);
    EXPECT_EQ(r["valore2"].i(), v.valore2);
    EXPECT_EQ(r["valore3"].i(), v.valore3);
    EXPECT_EQ(r["opzione"].i(), v.opzione);
    EXPECT_EQ(r["testo"].s, reader::cp1252_a_utf8(v.testo));
    EXPECT_EQ(r["intero1"].i(), v.intero1);
    EXPECT_EQ(r["intero2"].i(), v.intero2);
    EXPECT_EQ(r["intero3"].i(), v.intero3);
    EXPECT_EQ(r["intero4"].i(), v.intero4);
    EXPECT_EQ(r["intero5"].i(), v.intero5);
    EXPECT_EQ(r["byte1"].i(), v.byte1);
    EXPECT_EQ(r["byte2"].i(), v.byte2);
    EXPECT_EQ(r["byte3"].i(), v.byte3);
    EXPECT_EQ(r["byte4"].i(), v.byte4);
    EXPECT_EQ(r["orario"].i(), v.orario);
  }
}

void confronta_celle(const json& doc, const model::percorso& p) {
  ASSERT_EQ(doc["kind"].s, "cells");
  EXPECT_EQ(doc["count"].i(), p.D() + 1);
  const auto& lista = doc["cells"].a;
  std::size_t k = 0;
  for (std::int64_t i = 0; i <= p.D(); ++i) {
    const model::cella& c = *p.at(i);
    if (c == model::cella{}) continue;  // empty cells are left out
    SCOPED_TRACE("cell " + std::to_string(i));
    ASSERT_LT(k, lista.size());
    const json& j = lista[k++];
    EXPECT_EQ(j["index"].i(), i);
    EXPECT_EQ(j["offset"].i(), 15 * i);
    EXPECT_EQ(j["elemento"].i(), c.elemento);
    EXPECT_EQ(j["dato1"].i(), c.dato1);
    EXPECT_EQ(j["dato2"].i(), c.dato2);
    EXPECT_EQ(j["dato3"].i(), c.dato3);
    EXPECT_EQ(j["dato4"].i(), c.dato4);
    EXPECT_EQ(j["tempo_segnale"].i(), c.tempo_segnale);
    EXPECT_EQ(j["preavviso"].i(), c.preavviso);
    EXPECT_EQ(j["montagna"].i(), c.montagna);
    EXPECT_EQ(j["velocita"].i(), c.velocita);
    EXPECT_EQ(j["pendenza"].i(), c.pendenza);
    EXPECT_EQ(j["aderenza"].i(), c.aderenza);
    EXPECT_EQ(j["speed_kmh"].i(), 5 * c.velocita);
    EXPECT_EQ(j["gradient"].i(), c.pendenza - 100);
  }
  EXPECT_EQ(k, lista.size()) << "cells listed that are empty";
  EXPECT_EQ(doc["not_empty"].i(), static_cast<std::int64_t>(lista.size()));
}

// Compares the points a..b listed by the dump with the plan.
void confronta_punti(const json& doc, const model::tracciato& t, std::int64_t a, std::int64_t b) {
  const auto& lista = doc["list"].a;
  ASSERT_EQ(static_cast<std::int64_t>(lista.size()), std::min(b, t.M()) - a + 1);
  for (std::int64_t j = a; j <= std::min(b, t.M()); ++j) {
    const json& p = lista[static_cast<std::size_t>(j - a)];
    SCOPED_TRACE("point " + std::to_string(j));
    EXPECT_EQ(p["point"].i(), j);
    for (int c = 0; c < 2; ++c) {
      model::valore_tracciato v = t.valore(j, c);
      const json& valore = p[c == 0 ? "x" : "y"];
      EXPECT_EQ(p[c == 0 ? "x_tag" : "y_tag"].i(), static_cast<int>(v.tipo));
      if (v.tipo == model::tipo_valore::vuoto) {
        EXPECT_EQ(valore.tipo, json::nullo);
      } else {
        EXPECT_EQ(valore.n, v.valore);  // exact: the dump writes doubles so they read back the same
      }
    }
  }
}

// ---- round trips ---------------------------------------------------------

TEST(DumpRitorno, RecordDiProvaCampoPerCampo) {
  prova::cartella_temporanea d;
  auto t = tabella_di_prova();
  prova::scrivi_file(d.path() / "prova.sim", file_record(t));
  json doc = dump_json(d.path() / "prova.sim");
  confronta_record(doc, t);
  // Roles and decoded values.
  const auto& r = doc["records"];
  EXPECT_EQ(r[0]["role"].s, "unused");
  EXPECT_EQ(r[1]["role"].s, "station");
  EXPECT_EQ(r[1]["decoded"]["time"].s, "12:30:00");
  EXPECT_EQ(r[2]["decoded"]["name"].s, "P.C Fr\xC3\xA8jus");
  EXPECT_EQ(r[3]["decoded"]["time"].s, "-0:00:01");
  EXPECT_EQ(r[4]["role"].s, "unused");
  EXPECT_EQ(r[79]["role"].s, "sign");
  EXPECT_EQ(r[80]["decoded"]["text"].s, "(PONTE  )(DORA   )(RIPARIA)");
  EXPECT_EQ(r[81]["role"].s, "km_reference");
  EXPECT_EQ(r[82]["decoded"]["kilometric_value"].i(), -2000);
  EXPECT_EQ(r[84]["decoded"]["route_length"].i(), 105500);
  EXPECT_EQ(r[85]["decoded"]["background_two"].i(), 1);
  EXPECT_EQ(r[85]["decoded"]["background_three"].i(), 16500);
  EXPECT_EQ(r[85]["decoded"]["second_competition_code"].i(), 2147483647);
  EXPECT_EQ(r[86]["decoded"]["clock"].s, "12:29:30");
  EXPECT_EQ(r[86]["decoded"]["codes"].i(), 4);
}

TEST(DumpRitorno, CelleDiProvaCampoPerCampo) {
  model::percorso p;
  p.crea(40);
  // Signal row "segnale, 3000, 2, 4, 1, 0, 0, 2, 2,1,0, 0" as it is placed.
  *p.at(3) = {model::el_segnale, 42, 11, 0, 8, 0, 0, 0, 20, 104, 70};
  *p.at(4) = {model::el_indicatore_vmax, 2010, 600, -32768, 22, 0, 0, 0, 0, 0, 0};
  *p.at(5) = {model::el_inizio_rallentamento, 50, 45, 1, 0, 0, 0, 1, 10, 98, 70};
  *p.at(6) = {model::el_zona_avviso, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0};
  *p.at(7) = {model::el_fermata, 5, 11, 0, 8, 0, 81, 0, 0, 0, 0};
  *p.at(8) = {model::el_abbattimento, 180, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  *p.at(9) = {model::el_abbattimento_nullo, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  *p.at(10) = {model::el_cartello, 80, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  *p.at(11) = {model::el_montagna, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0};
  *p.at(12) = {77, -1, 32767, 0, 0, 255, 255, 255, 255, 255, 255};  // a kind no placement writes
  *p.at(1) = {0, 5121, 2262, 0, 0, 0, 0, 0, 0, 0, 0};
  *p.at(40) = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};  // the last cell: one field set is enough
  prova::cartella_temporanea d;
  prova::scrivi_file(d.path() / "prova.dat", file_celle(p));
  json doc = dump_json(d.path() / "prova.dat");
  confronta_celle(doc, p);
  const auto& l = doc["cells"].a;
  ASSERT_EQ(l.size(), 12u);
  EXPECT_EQ(l[0]["decoded"]["fixed_value"].i(), 5121);
  EXPECT_EQ(l[0]["decoded"]["first_competition_code"].i(), 2262);
  const json& s = l[1]["decoded"];  // cell 3, the signal
  EXPECT_EQ(l[1]["kind"].s, "signal");
  EXPECT_EQ(std::vector<std::int64_t>({s["sx"].i(), s["s1"].i(), s["s2"].i(), s["s3"].i(), s["rapp"].i(), s["dx"].i(),
                                       s["d1"].i(), s["d2"].i(), s["d3"].i()}),
            std::vector<std::int64_t>({2, 4, 1, 0, 0, 2, 2, 1, 0}));
  const json& b = l[2]["decoded"];  // cell 4, the board
  EXPECT_EQ(b["a"]["left"].i(), 100);
  EXPECT_EQ(b["a"]["right"].i(), 50);
  EXPECT_EQ(b["b"]["left"].i(), 30);
  EXPECT_EQ(b["b"]["right"].i(), 0);
  EXPECT_EQ(b["stripes"]["left"].i(), 2);
  EXPECT_EQ(b["stripes"]["right"].i(), 2);
  EXPECT_EQ(l[3]["decoded"]["d_v"].i(), 45);
  EXPECT_EQ(l[5]["decoded"]["station_slot"].i(), 5);
  EXPECT_EQ(l[6]["decoded"]["code"].i(), 180);
  EXPECT_EQ(l[8]["decoded"]["sign_slot"].i(), 80);
  EXPECT_EQ(l[10]["kind"].s, "");
}

TEST(DumpRitorno, PianoDiProvaPuntoPerPunto) {
  model::tracciato t;
  t.crea(24);
  t.punti_iniziali();
  for (int j = 2; j <= 22; ++j) t.aggiungi(-1e-7 * j * j, j + 1.0 / 3.0);
  prova::cartella_temporanea d;
  prova::scrivi_file(d.path() / "prova_linea.dat", file_piano(t));
  json doc = dump_json(d.path() / "prova_linea.dat", {"--points", "0:30"});
  EXPECT_EQ(doc["kind"].s, "plan");
  EXPECT_EQ(doc["points"].i(), 25);
  EXPECT_EQ(doc["tags"]["0"].i(), 4);
  EXPECT_EQ(doc["tags"]["2"].i(), 4);
  EXPECT_EQ(doc["tags"]["5"].i(), 42);
  EXPECT_EQ(doc["extent"]["x_min"].n, -1e-7 * 22 * 22);
  EXPECT_EQ(doc["extent"]["y_max"].n, 22 + 1.0 / 3.0);
  double lunghezza = 0;
  for (int j = 1; j <= 22; ++j) lunghezza += std::hypot(t.x(j) - t.x(j - 1), t.y(j) - t.y(j - 1));
  EXPECT_NEAR(doc["length"].n, lunghezza, 1e-9);
  EXPECT_EQ(doc["steps"].i(), 22);
  confronta_punti(doc, t, 0, 30);
}

TEST(DumpRitorno, ScenarioIncorporatoCompilato) {
  const auto& c = prova::embedded();
  ASSERT_TRUE(c.s.celle.esiste());
  prova::cartella_temporanea d;
  prova::scrivi_file(d.path() / "e.sim", file_record(c.s.tabella));
  prova::scrivi_file(d.path() / "e.dat", file_celle(c.s.celle));
  prova::scrivi_file(d.path() / "e_linea.dat", file_piano(c.s.piano));
  confronta_record(dump_json(d.path() / "e.sim"), c.s.tabella);
  json celle = dump_json(d.path() / "e.dat");
  confronta_celle(celle, c.s.celle);
  json piano = dump_json(d.path() / "e_linea.dat", {"--points", "400:1600"});
  EXPECT_EQ(piano["points"].i(), c.s.piano.M() + 1);
  confronta_punti(piano, c.s.piano, 400, 1600);

  // The signal row at 3000 m: cell 61 at offset 915, its approach marks before it.
  const json* segnale = nullptr;
  std::map<std::int64_t, std::int64_t> preavvisi;
  for (const json& x : celle["cells"].a) {
    if (x["index"].i() == 61) segnale = &x;
    preavvisi[x["index"].i()] = x["preavviso"].i();
  }
  ASSERT_NE(segnale, nullptr);
  EXPECT_EQ((*segnale)["offset"].i(), 915);
  EXPECT_EQ((*segnale)["kind"].s, "signal");
  EXPECT_EQ(std::vector<std::int64_t>({(*segnale)["dato1"].i(), (*segnale)["dato2"].i(), (*segnale)["dato3"].i(),
                                       (*segnale)["dato4"].i()}),
            std::vector<std::int64_t>({42, 11, 0, 8}));
  EXPECT_EQ(std::vector<std::int64_t>({preavvisi[59], preavvisi[57], preavvisi[55], preavvisi[53]}),
            std::vector<std::int64_t>({81, 82, 83, 84}));
}

// ---- the readers, byte by byte -------------------------------------------

// Every shorter prefix of a well-formed file is refused, at an offset inside
// the prefix; nothing is read past its end (the tests run under ASan).
TEST(DumpLettura, OgniTroncamentoERifiutato) {
  auto t = tabella_di_prova();
  std::string rec = file_record(t);
  model::tracciato piano;
  piano.crea(12);
  piano.punti_iniziali();
  for (int j = 2; j <= 10; ++j) piano.aggiungi(0.5 * j, j);
  std::string pf = file_piano(piano);

  for (std::size_t n = 0; n < rec.size(); ++n) {
    std::istringstream in(rec.substr(0, n));
    model::cursore_byte c(in, n);
    model::tabella_stazioni letta;
    model::errore_formato e;
    ASSERT_FALSE(model::leggi_record(c, letta, e)) << n;
    EXPECT_LE(e.offset, n) << e.testo();
  }
  // A plan prefix is sound exactly when it ends between two values after an
  // even number of them (then it reads as a shorter plan).
  std::vector<std::size_t> confini = {0};
  for (int c = 0; c < 2; ++c) {
    for (std::int64_t j = 0; j <= piano.M(); ++j) {
      auto tipo = piano.valore(j, c).tipo;
      confini.push_back(confini.back() + 2 + (tipo == model::tipo_valore::intero16 ? 2 : tipo == model::tipo_valore::reale ? 8 : 0));
    }
  }
  ASSERT_EQ(confini.back(), pf.size());
  for (std::size_t n = 1; n < pf.size(); ++n) {
    std::istringstream in(pf.substr(0, n));
    model::indice_piano ip;
    model::errore_formato e;
    auto k = std::find(confini.begin(), confini.end(), n);
    bool sano = k != confini.end() && (k - confini.begin()) % 2 == 0;
    EXPECT_EQ(model::scandisci_piano(in, n, ip, e), sano) << n << " " << e.testo();
    if (!sano) {
      EXPECT_LE(e.offset, n) << e.testo();
    }
  }
  // And the whole files read back to the same tables.
  std::istringstream in(rec);
  model::cursore_byte c(in, rec.size());
  model::tabella_stazioni letta;
  model::errore_formato e;
  ASSERT_TRUE(model::leggi_record(c, letta, e)) << e.testo();
  EXPECT_EQ(letta.voci, t.voci);
}

TEST(DumpLettura, PianoGrandeSenzaCaricarlo) {
  // Two cursors walk the same stream: x from the start, y from the middle,
  // across many refills of their buffers.
  model::tracciato t;
  t.crea(40000);
  t.punti_iniziali();
  for (int j = 2; j <= 39998; ++j) t.aggiungi(std::sin(j * 1e-3) * 100, j);
  std::string pf = file_piano(t);
  std::istringstream in(pf);
  model::indice_piano ip;
  model::errore_formato e;
  ASSERT_TRUE(model::scandisci_piano(in, pf.size(), ip, e)) << e.testo();
  EXPECT_EQ(ip.punti, 40001);
  EXPECT_EQ(ip.inizio_y, 2 * 4 + 39997 * 10 + 2 * 2u);
  model::lettore_piano l(in, pf.size(), ip);
  std::int64_t j, attesi = 0;
  model::valore_tracciato x, y;
  while (l.prossimo(j, x, y)) {
    ASSERT_EQ(j, attesi);
    ASSERT_EQ(x.tipo, t.valore(j, 0).tipo);
    ASSERT_EQ(x.valore, t.valore(j, 0).valore);
    ASSERT_EQ(y.valore, t.valore(j, 1).valore);
    ++attesi;
  }
  EXPECT_EQ(attesi, 40001);
  EXPECT_EQ(l.errore(), nullptr);
}

// ---- malformed files through the tool ------------------------------------

struct caso_guasto {
  const char* nome;
  const char* file;  // the name tells the kind
  std::string byte;
  std::string messaggio;  // part of the one line on stderr
};

void PrintTo(const caso_guasto& c, std::ostream* os) { *os << c.nome; }

std::string tag(std::uint16_t t) { return std::string{static_cast<char>(t & 0xFF), static_cast<char>(t >> 8)}; }

std::vector<caso_guasto> casi_guasti() {
  std::string rec = file_record(tabella_di_prova());
  model::percorso p;
  p.crea(3);
  std::string celle = file_celle(p);
  std::string valido_piano = tag(2) + std::string(2, '\0') + tag(0) + tag(5) + std::string(8, '\x11') + tag(0);
  // A deterministic jumble of bytes.
  std::string caos;
  std::uint32_t s = 12345;
  for (int k = 0; k < 3001; ++k) caos += static_cast<char>((s = s * 1103515245u + 12345u) >> 24);
  // The first record's text length made to run past the end.
  std::string testo_lungo = rec.substr(0, 60);
  testo_lungo[14] = '\xE8';
  testo_lungo[15] = '\x03';
  return {
      {"record_vuoto", "a.sim", "", "offset 0: the file ends after 0 of the 87 records"},
      {"record_troncato_in_un_campo", "a.sim", rec.substr(0, 20),
       "offset 20: record of slot 0 cut short: intero3 needs 2 bytes, 0 remain"},
      {"record_troncato_nel_testo", "a.sim", rec.substr(0, 34 + 16 + 3),
       "offset 48: record of slot 1: text length 6 runs past the end of the file (3 bytes remain)"},
      {"record_lunghezza_oltre_la_fine", "a.sim", testo_lungo,
       "offset 14: record of slot 0: text length 1000 runs past the end of the file (44 bytes remain)"},
      {"record_troncato_nell_ultima", "a.sim", rec.substr(0, rec.size() - 1),
       "record of slot 86 cut short: orario needs 4 bytes, 3 remain"},
      {"record_byte_in_piu", "a.sim", rec + "xyz",
       "offset " + std::to_string(rec.size()) + ": 3 trailing bytes after the 87 records"},
      {"record_caos", "a.sim", caos, "offset "},
      {"celle_vuoto", "a.dat", "", "offset 0: empty file"},
      {"celle_una_cella_a_meta", "a.dat", celle.substr(0, 14), "offset 0: the file is 14 bytes"},
      {"celle_un_byte_in_piu", "a.dat", celle + "!", "offset 60: the file is 61 bytes, not a whole number"},
      {"celle_caos", "a.dat", caos, "offset 3000: the file is 3001 bytes"},
      {"piano_vuoto", "a_linea.dat", "", "offset 0: empty file"},
      {"piano_tag_sconosciuto", "a_linea.dat", valido_piano + tag(7) + std::string(8, '\0'),
       "offset 18: unknown tag 7"},
      {"piano_reale_troncato", "a_linea.dat", valido_piano + tag(5) + "abc",
       "offset 18: a value with tag 5 is cut short: it needs 8 bytes after its tag, 3 remain"},
      {"piano_intero_troncato", "a_linea.dat", valido_piano + tag(2) + "a",
       "offset 18: a value with tag 2 is cut short"},
      {"piano_tag_a_meta", "a_linea.dat", valido_piano + "\x05", "offset 18: a value's 2-byte tag is cut short"},
      {"piano_valori_dispari", "a_linea.dat", valido_piano + tag(0) + tag(0) + tag(0),
       "offset 24: the file holds an odd number of values (7)"},
      {"piano_caos", "a_linea.dat", caos, "offset "},
  };
}

class DumpGuasti : public testing::TestWithParam<caso_guasto> {};

TEST_P(DumpGuasti, UnaRigaConLOffsetEUscita65) {
  const auto& k = GetParam();
  prova::cartella_temporanea d;
  prova::scrivi_file(d.path() / k.file, k.byte);
  for (bool json : {false, true}) {
    std::vector<std::string> args = {"dump", (d.path() / k.file).string()};
    if (json) args.push_back("--json");
    std::string out, err;
    EXPECT_EQ(esegui(tool, args, &out, &err), 65) << err;
    EXPECT_EQ(out, "") << "nothing is printed before the file is known to be sound";
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find(k.messaggio), std::string::npos) << err;
    EXPECT_EQ(err.rfind("scenario-tool dump: ", 0), 0u) << err;
  }
}

INSTANTIATE_TEST_SUITE_P(Dump, DumpGuasti, testing::ValuesIn(casi_guasti()),
                         [](const auto& i) { return std::string(i.param.nome); });

TEST(DumpUso, ErroriDUsoEAiuto) {
  prova::cartella_temporanea d;
  prova::scrivi_file(d.path() / "a.sim", file_record(tabella_di_prova()));
  const std::string sim = (d.path() / "a.sim").string();
  const std::vector<std::string> casi[] = {
      {"dump"},
      {"dump", "a.txt"},
      {"dump", sim, sim},
      {"dump", sim, "--points", "0:5"},
      {"dump", "x_linea.dat", "--points", "5:1"},
      {"dump", "x_linea.dat", "--points", "5"},
      {"dump", "x_linea.dat", "--points", "-1:4"},
      {"dump", "x_linea.dat", "--points"},
      {"dump", sim, "--colour"},
  };
  for (const auto& args : casi) {
    std::string out, err;
    EXPECT_EQ(esegui(tool, args, &out, &err), 64) << args.back();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_EQ(out, "");
  }
  std::string out, err;
  EXPECT_EQ(esegui(tool, {"dump", (d.path() / "manca.dat").string()}, &out, &err), 66);
  EXPECT_NE(err.find("manca.dat"), std::string::npos) << err;
  EXPECT_EQ(esegui(tool, {"dump", "--help"}, &out), 0);
  EXPECT_EQ(out.rfind("usage: scenario-tool dump FILE", 0), 0u) << out;
}

// ---- golden files --------------------------------------------------------

// The text dump of the small compiled scenario, byte for byte. With
// SB_UPDATE_GOLDEN=1 in the environment the files are written afresh.
TEST(DumpGolden, PiccolaLineaCompilata) {
  prova::cartella_temporanea d;
  std::string err;
  ASSERT_EQ(esegui(tool, {"compile", "--line", dati + "/piccola_linea.txt", "--run", dati + "/piccola_corsa.txt",
                          "--out", d.str()},
                   nullptr, &err),
            0)
      << err;
  const struct {
    const char* file;
    std::vector<std::string> altro;
    const char* golden;
  } casi[] = {
      {"LORVENA-CASTIRO _R47093.sim", {}, "piccola.sim.txt"},
      {"LORVENA-CASTIRO _R47093.dat", {}, "piccola.dat.txt"},
      {"LORVENA-CASTIRO _linea.dat", {"--points", "995:1010"}, "piccola_linea.dat.txt"},
  };
  const bool aggiorna = std::getenv("SB_UPDATE_GOLDEN") != nullptr;
  for (const auto& k : casi) {
    std::vector<std::string> args = {"dump", (d.path() / k.file).string()};
    args.insert(args.end(), k.altro.begin(), k.altro.end());
    std::string out;
    ASSERT_EQ(esegui(tool, args, &out, &err), 0) << err;
    fs::path g = fs::path(dati) / "dump" / k.golden;
    if (aggiorna) prova::scrivi_file(g, out);
    EXPECT_EQ(out, prova::leggi_file(g)) << "differs from " << g;
  }
}

}  // namespace
