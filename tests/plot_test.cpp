// `scenario-tool plot`: the picture of a compiled scenario is well-formed
// XML, names its stations with their special characters escaped, thins a
// long plan to a few thousand points, draws the profile alone when the plan
// file is missing, and refuses missing or malformed files with a message.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "support/fixture.hpp"

namespace {

namespace fs = std::filesystem;
using prova::esegui;

const std::string tool = SB_TOOL_PATH;
const std::string dati = SB_TESTDATA;
const std::string piano = "LORVENA-CASTIRO _linea.dat";
const std::string record = "LORVENA-CASTIRO _R47093.sim";
const std::string celle = "LORVENA-CASTIRO _R47093.dat";

// ---- a small XML well-formedness check -----------------------------------

struct esito_xml {
  std::string errore;                                   // empty when well-formed
  std::vector<std::pair<std::string, std::string>> testi;  // (element, unescaped text)
  std::map<std::string, std::vector<std::map<std::string, std::string>>> elementi;  // attributes by tag
};

bool utf8_valido(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    auto c = static_cast<unsigned char>(s[i]);
    int n = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (n < 0 || i + static_cast<std::size_t>(n) >= s.size()) return false;
    for (int k = 1; k <= n; ++k)
      if ((static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]) & 0xC0) != 0x80) return false;
    i += static_cast<std::size_t>(n) + 1;
  }
  return true;
}

class controllo_xml {
 public:
  explicit controllo_xml(const std::string& d) : d_(d) {}

  esito_xml esegui() {
    try {
      if (!utf8_valido(d_)) throw errore("not UTF-8");
      if (d_.compare(0, 5, "<?xml") == 0) k_ = d_.find("?>") + 2;
      int radici = 0;
      while (k_ < d_.size()) {
        if (d_[k_] != '<') {
          std::string t = testo('<');
          if (pila_.empty()) {
            if (t.find_first_not_of(" \t\r\n") != std::string::npos) throw errore("text outside the root");
          } else if (t.find_first_not_of(" \t\r\n") != std::string::npos) {
            r_.testi.emplace_back(pila_.back(), t);
          }
        } else if (d_.compare(k_, 4, "<!--") == 0) {
          auto f = d_.find("-->", k_);
          if (f == std::string::npos) throw errore("comment not closed");
          k_ = f + 3;
        } else if (d_.compare(k_, 2, "</") == 0) {
          k_ += 2;
          std::string n = nome();
          spazi();
          atteso('>');
          if (pila_.empty() || pila_.back() != n) throw errore("</" + n + "> closes nothing open");
          pila_.pop_back();
        } else {
          ++k_;
          if (pila_.empty() && radici++ > 0) throw errore("a second root element");
          std::string n = nome();
          std::map<std::string, std::string> attributi;
          for (;;) {
            bool spazio = spazi();
            if (d_.compare(k_, 2, "/>") == 0) {
              k_ += 2;
              break;
            }
            if (k_ < d_.size() && d_[k_] == '>') {
              ++k_;
              pila_.push_back(n);
              break;
            }
            if (!spazio) throw errore("no blank before an attribute");
            std::string a = nome();
            atteso('=');
            if (k_ >= d_.size() || (d_[k_] != '"' && d_[k_] != '\'')) throw errore("attribute value not quoted");
            char q = d_[k_++];
            std::string v = testo(q);
            atteso(q);
            if (!attributi.emplace(a, v).second) throw errore("attribute " + a + " twice");
          }
          r_.elementi[n].push_back(attributi);
        }
      }
      if (!pila_.empty()) throw errore("<" + pila_.back() + "> not closed");
      if (radici != 1) throw errore("no root element");
    } catch (const std::runtime_error& e) {
      r_.errore = e.what();
    }
    return r_;
  }

 private:
  std::runtime_error errore(const std::string& m) const {
    return std::runtime_error(m + " at byte " + std::to_string(k_));
  }
  bool spazi() {
    std::size_t da = k_;
    while (k_ < d_.size() && std::string_view(" \t\r\n").find(d_[k_]) != std::string_view::npos) ++k_;
    return k_ > da;
  }
  void atteso(char c) {
    if (k_ >= d_.size() || d_[k_] != c) throw errore(std::string("expected '") + c + "'");
    ++k_;
  }
  std::string nome() {
    std::size_t da = k_;
    while (k_ < d_.size() && (std::isalnum(static_cast<unsigned char>(d_[k_])) || std::string_view("_:.-").find(d_[k_]) != std::string_view::npos))
      ++k_;
    if (k_ == da || std::isdigit(static_cast<unsigned char>(d_[da]))) throw errore("expected a name");
    return d_.substr(da, k_ - da);
  }
  // Character data up to `fine`, its entities checked and replaced.
  std::string testo(char fine) {
    std::string t;
    while (k_ < d_.size() && d_[k_] != fine) {
      char c = d_[k_];
      if (c == '<') throw errore("'<' in text or an attribute");
      if (c == '&') {
        auto f = d_.find(';', k_);
        if (f == std::string::npos || f - k_ > 10) throw errore("'&' that starts no entity");
        std::string e = d_.substr(k_ + 1, f - k_ - 1);
        static const std::map<std::string, char> note = {
            {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
        if (auto it = note.find(e); it != note.end()) {
          t += it->second;
        } else if (e.size() > 1 && e[0] == '#' &&
                   std::all_of(e.begin() + 1, e.end(), [](char x) { return std::isdigit(static_cast<unsigned char>(x)); })) {
          t += '?';
        } else {
          throw errore("unknown entity &" + e + ";");
        }
        k_ = f + 1;
        continue;
      }
      if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t' && c != '\r')
        throw errore("control character");
      t += c;
      ++k_;
    }
    if (k_ >= d_.size() && fine != '<') throw errore("document ends inside a value");
    return t;
  }

  const std::string& d_;
  std::size_t k_ = 0;
  std::vector<std::string> pila_;
  esito_xml r_;
};

esito_xml controlla(const std::string& d) { return controllo_xml(d).esegui(); }

bool ha_testo(const esito_xml& x, const std::string& t) {
  return std::any_of(x.testi.begin(), x.testi.end(), [&](const auto& p) { return p.second == t; });
}

// The check itself finds what it is there to find.
TEST(PlotXml, IlControlloTrovaIGuasti) {
  const struct {
    const char* doc;
    bool buono;
  } casi[] = {
      {"<svg><g a=\"1\" b='2'><text>A &amp; B &lt;C&gt;</text></g><rect/></svg>", true},
      {"<?xml version=\"1.0\"?>\n<svg>\n</svg>\n", true},
      {"<svg><g></svg></g>", false},
      {"<svg><g></svg>", false},
      {"<svg>A & B</svg>", false},
      {"<svg>A &nbsp; B</svg>", false},
      {"<svg a=\"<\"/>", false},
      {"<svg a=\"1\" a=\"2\"/>", false},
      {"<svg a=1/>", false},
      {"<svg a=\"1\"b=\"2\"/>", false},
      {"<svg/><svg/>", false},
      {"<svg>\x01</svg>", false},
      {"<svg>\xE8</svg>", false},
      {"text<svg/>", false},
  };
  for (const auto& k : casi) EXPECT_EQ(controlla(k.doc).errore.empty(), k.buono) << k.doc << ": " << controlla(k.doc).errore;
}

// ---- compiled fixtures ---------------------------------------------------

// Compiles a line description and a train run (files under `d`, or the
// fixtures' own) into `d`.
void compila(const fs::path& d, const std::string& linea, const std::string& corsa,
             const std::vector<std::string>& altro = {}) {
  std::vector<std::string> args = {"compile", "--line", linea, "--run", corsa, "--out", d.string()};
  args.insert(args.end(), altro.begin(), altro.end());
  std::string err;
  ASSERT_EQ(esegui(tool, args, nullptr, &err), 0) << err;
}

std::string disegna(const fs::path& d, const std::vector<std::string>& altro = {}) {
  std::vector<std::string> args = {"plot", "--dir", d.string(), "--out", (d / "route.svg").string()};
  args.insert(args.end(), altro.begin(), altro.end());
  std::string out, err;
  EXPECT_EQ(esegui(tool, args, &out, &err), 0) << err;
  EXPECT_EQ(err, "");
  return prova::leggi_file(d / "route.svg");
}

// Points of every polyline in the picture.
std::vector<std::size_t> punti_polilinee(const esito_xml& x) {
  std::vector<std::size_t> n;
  auto it = x.elementi.find("polyline");
  if (it == x.elementi.end()) return n;
  for (const auto& a : it->second) {
    auto p = a.find("points");
    if (p == a.end()) continue;
    n.push_back(static_cast<std::size_t>(std::count(p->second.begin(), p->second.end(), ',')));
  }
  return n;
}

TEST(PlotSvg, FixtureCompilata) {
  prova::cartella_temporanea d;
  compila(d.path(), dati + "/piccola_linea.txt", dati + "/piccola_corsa.txt");
  std::string svg = disegna(d.path());
  esito_xml x = controlla(svg);
  ASSERT_EQ(x.errore, "") << svg.substr(0, 300);
  EXPECT_EQ(x.elementi.count("svg"), 1u);
  // Both stations are named on the plan and above the profile, with the stop's time.
  EXPECT_TRUE(ha_testo(x, "INIZIO"));
  EXPECT_TRUE(ha_testo(x, "FINE"));
  EXPECT_TRUE(ha_testo(x, "FINE  8:10"));
  EXPECT_TRUE(ha_testo(x, "Plan of the line"));
  EXPECT_TRUE(ha_testo(x, "Profile along the route"));
  // The one signal at 1500 m is marked on the plan and on the profile.
  auto segnali = std::count_if(x.testi.begin(), x.testi.end(), [](const auto& p) {
    return p.first == "title" && p.second.rfind("signal at cell 31", 0) == 0;
  });
  EXPECT_EQ(segnali, 2);
  // 12001 plan points are drawn thinned.
  for (std::size_t n : punti_polilinee(x)) EXPECT_LE(n, 3100u);
}

TEST(PlotSvg, NomiConCaratteriDaProteggere) {
  prova::cartella_temporanea d;
  // Windows-1252 texts, as an author's editor writes them.
  std::string linea = prova::leggi_file(dati + "/piccola_linea.txt");
  linea.insert(linea.find("[fine]"), "[indicazioni]\r\ncartello_indicatore,  2500,   (A&B)<C>\r\n");
  prova::scrivi_file(d.path() / "linea.txt", linea);
  std::string corsa = prova::leggi_file(dati + "/piccola_corsa.txt");
  auto k = corsa.find("FINE");
  corsa.replace(k, 4, "P&O <Nord> \"Fr\xE8jus\" l'ultima");
  prova::scrivi_file(d.path() / "corsa.txt", corsa);
  compila(d.path(), (d.path() / "linea.txt").string(), (d.path() / "corsa.txt").string());

  std::string svg = disegna(d.path());
  esito_xml x = controlla(svg);
  ASSERT_EQ(x.errore, "");
  EXPECT_TRUE(ha_testo(x, "P&O <Nord> \"Fr\xC3\xA8jus\" l'ultima"));
  EXPECT_NE(svg.find("P&amp;O &lt;Nord&gt; &quot;Fr\xC3\xA8jus&quot; l&apos;ultima"), std::string::npos);
  EXPECT_TRUE(std::any_of(x.testi.begin(), x.testi.end(), [](const auto& p) {
    return p.first == "title" && p.second.find("indicator sign (A&B)<C>") != std::string::npos;
  }));
}

TEST(PlotSvg, SenzaFileDelPianoSoloIlProfilo) {
  prova::cartella_temporanea d;
  compila(d.path(), dati + "/piccola_linea.txt", dati + "/piccola_corsa.txt");
  fs::remove(d.path() / piano);
  esito_xml x = controlla(disegna(d.path()));
  ASSERT_EQ(x.errore, "");
  EXPECT_FALSE(ha_testo(x, "Plan of the line"));
  EXPECT_TRUE(ha_testo(x, "Profile along the route"));
  EXPECT_TRUE(ha_testo(x, "INIZIO  8:00"));
  EXPECT_TRUE(punti_polilinee(x).size() == 2u) << "only the leaders of the two station names";
}

TEST(PlotSvg, NomeECodiceScelti) {
  prova::cartella_temporanea d;
  compila(d.path(), dati + "/piccola_linea.txt", dati + "/piccola_corsa.txt",
          {"--name", "Prova \xC3\xA8 ", "--code", "X1"});
  esito_xml x = controlla(disegna(d.path(), {"--name", "Prova \xC3\xA8 ", "--code", "X1"}));
  ASSERT_EQ(x.errore, "");
  EXPECT_TRUE(ha_testo(x, "Prova \xC3\xA8  \xE2\x80\x94  X1"));
  EXPECT_TRUE(ha_testo(x, "Plan of the line"));
}

// The longest route allowed: a plan of a million points and twenty million
// bytes, drawn with a few thousand.
TEST(PlotSvg, PercorsoLunghissimoSfoltito) {
  prova::cartella_temporanea d;
  prova::scrivi_file(d.path() / "linea.txt",
                     prova::linea_minima(1000000, {"curvas2,  200000,  30000", "curvad1,  600000,  90000",
                                                   "pendenza,   0,    0", "pendenza,  500000,   12"}));
  prova::scrivi_file(d.path() / "corsa.txt",
                     prova::treno_minimo({"velocita,   0,    100", "aderenza,   0,    100",
                                          "stazione,   0, 8,  400,  0, 0, 0,  0,0,0,  0,0,0,    1,  8,00, 0, ORIGINE",
                                          "stazione,   990000, 12,  400,  0, 0, 0,  0,0,0,  0,0,0,   60,  18,10, 0, "
                                          "CAPOLINEA"}));
  compila(d.path(), (d.path() / "linea.txt").string(), (d.path() / "corsa.txt").string());
  ASSERT_GT(fs::file_size(d.path() / piano), 20000000u);
  std::string svg = disegna(d.path());
  EXPECT_LT(svg.size(), 400000u);
  esito_xml x = controlla(svg);
  ASSERT_EQ(x.errore, "");
  auto n = punti_polilinee(x);
  ASSERT_FALSE(n.empty());
  EXPECT_GT(*std::max_element(n.begin(), n.end()), 2000u);
  for (std::size_t k : n) EXPECT_LE(k, 3100u);
  EXPECT_TRUE(ha_testo(x, "CAPOLINEA"));
  EXPECT_TRUE(ha_testo(x, "1000"));  // the last kilometre of the axis
}

// ---- refusals ------------------------------------------------------------

struct caso_errore {
  const char* nome;
  void (*guasta)(const fs::path&);
  int uscita;
  const char* messaggio;
};

void PrintTo(const caso_errore& c, std::ostream* os) { *os << c.nome; }

class PlotErrori : public testing::TestWithParam<caso_errore> {};

TEST_P(PlotErrori, MessaggioEUscita) {
  const auto& k = GetParam();
  prova::cartella_temporanea d;
  compila(d.path(), dati + "/piccola_linea.txt", dati + "/piccola_corsa.txt");
  k.guasta(d.path());
  std::string out, err;
  EXPECT_EQ(esegui(tool, {"plot", "--dir", d.str(), "--out", (d.path() / "route.svg").string()}, &out, &err), k.uscita);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find(k.messaggio), std::string::npos) << err;
  EXPECT_FALSE(fs::exists(d.path() / "route.svg"));
}

void tronca(const fs::path& f, std::size_t via) {
  std::string b = prova::leggi_file(f);
  prova::scrivi_file(f, b.substr(0, b.size() - via));
}

INSTANTIATE_TEST_SUITE_P(
    Plot, PlotErrori,
    testing::Values(
        caso_errore{"record_mancante", [](const fs::path& d) { fs::remove(d / record); }, 66, "R47093.sim: no such file"},
        caso_errore{"celle_mancanti", [](const fs::path& d) { fs::remove(d / celle); }, 66, "R47093.dat: no such file"},
        caso_errore{"record_troncato", [](const fs::path& d) { tronca(d / record, 5); }, 65,
                    "R47093.sim: offset 2985: record of slot 86 cut short: byte4 needs 1 byte, 0 remain"},
        caso_errore{"celle_troncate", [](const fs::path& d) { tronca(d / celle, 7); }, 65,
                    "R47093.dat: offset 3600: the file is 3608 bytes"},
        caso_errore{"piano_troncato", [](const fs::path& d) { tronca(d / piano, 3); }, 65,
                    "_linea.dat: offset 239960: a value's 2-byte tag is cut short"},
        caso_errore{"piano_con_tag_ignoto", [](const fs::path& d) { prova::scrivi_file(d / piano, std::string("\x09\x00\x00\x00", 4)); },
                    65, "_linea.dat: offset 0: unknown tag 9"}),
    [](const auto& i) { return std::string(i.param.nome); });

TEST(PlotUso, ErroriDUsoEAiuto) {
  const std::vector<std::string> casi[] = {
      {"plot"}, {"plot", "--dir", "x"}, {"plot", "--out", "x.svg"}, {"plot", "--dir", "x", "--out"},
      {"plot", "--dir", "x", "--out", "y.svg", "--colour", "red"}, {"plot", "x", "--dir", "x", "--out", "y.svg"}};
  for (const auto& args : casi) {
    std::string out, err;
    EXPECT_EQ(esegui(tool, args, &out, &err), 64) << args.back();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  }
  std::string out;
  EXPECT_EQ(esegui(tool, {"plot", "--help"}, &out), 0);
  EXPECT_EQ(out.rfind("usage: scenario-tool plot --dir DIR", 0), 0u) << out;
}

}  // namespace
