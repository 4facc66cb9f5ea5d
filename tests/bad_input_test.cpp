// Broken texts through `scenario-tool compile`, end to end: binary garbage,
// empty texts, texts of commas, a 50 MB line, 40-digit numbers, NUL bytes, a
// missing general section, every row kind cut short, and the inputs kept in
// tests/data/bad (each a line description and a train run joined by the line
// "=====treno=====", as the compilation fuzzer takes them). Whatever the
// input, the tool ends by itself with status 0 to 3, reports a code it can
// explain, writes only its output files and only into the output folder, and
// leaves the author's texts as they were.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "build/build.hpp"
#include "build/codici.hpp"
#include "support/fixture.hpp"

namespace {

namespace fs = std::filesystem;

const std::string dati = SB_TESTDATA;
const std::string separatore = "\n=====treno=====\n";
const std::string linea_buona = prova::leggi_file(dati + "/piccola_linea.txt");
const std::string corsa_buona = prova::leggi_file(dati + "/piccola_corsa.txt");

struct caso {
  std::string nome;
  std::string linea, treno;
  std::optional<int> codice = std::nullopt;  // when the code is certain
};

std::map<std::string, std::string> contenuto(const fs::path& d) {
  std::map<std::string, std::string> m;
  for (const auto& e : fs::recursive_directory_iterator(d)) {
    m[fs::relative(e.path(), d).string()] = e.is_directory() ? "<folder>" : prova::leggi_file(e.path());
  }
  return m;
}

// The code in the --json outcome; nullopt when there is none.
std::optional<int> codice_json(const std::string& out) {
  const std::string chiave = "\"codice_errore\": ";
  auto k = out.find(chiave);
  if (k == std::string::npos) return std::nullopt;
  try {
    return std::stoi(out.substr(k + chiave.size()));
  } catch (...) {
    return std::nullopt;
  }
}

void compila(const caso& k) {
  SCOPED_TRACE(k.nome);
  prova::cartella_temporanea base;
  const fs::path in = base.path() / "in", out = base.path() / "out", qui = base.path() / "cwd";
  fs::create_directories(in);
  fs::create_directories(qui);
  prova::scrivi_file(in / "linea.txt", k.linea);
  prova::scrivi_file(in / "corsa.txt", k.treno);
  const auto testi = contenuto(in);

  std::string sout, serr;
  const int uscita = prova::esegui(SB_TOOL_PATH,
                                   {"compile", "--line", (in / "linea.txt").string(), "--run",
                                    (in / "corsa.txt").string(), "--out", out.string(), "--json"},
                                   &sout, &serr, qui.string());
  ASSERT_GE(uscita, 0);
  ASSERT_LE(uscita, build::uscita_errore_file) << "status " << uscita << " (128 + n: killed by signal n)\n"
                                               << serr.substr(0, 2000);
  EXPECT_NE(uscita, build::uscita_errore_file) << serr.substr(0, 2000);  // no file operation may fail here
  const std::optional<int> codice = codice_json(sout);
  ASSERT_TRUE(codice.has_value()) << sout.substr(0, 2000);
  EXPECT_NE(build::spiegazione(*codice), "unknown code") << *codice;
  if (k.codice) {
    EXPECT_EQ(*codice, *k.codice);
  }
  EXPECT_EQ(*codice == 0, uscita == build::uscita_ok) << "code " << *codice << ", status " << uscita;
  // A report the size of the input is no report: the row is named, not copied.
  EXPECT_LT(sout.size() + serr.size(), 100000u);

  // Only the output files, only in the output folder, all or none of them.
  const auto scritti = contenuto(out);
  if (uscita <= build::uscita_con_codice) {
    EXPECT_EQ(scritti.size(), 3u);
  } else {
    EXPECT_TRUE(scritti.empty());
  }
  const build::nomi_file n = build::nomi(build::nome_predefinito, build::codice_predefinito);
  for (const auto& [nome, byte] : scritti) {
    EXPECT_TRUE(nome == n.piano || nome == n.record || nome == n.celle) << nome;
  }
  EXPECT_TRUE(contenuto(in) == testi) << "the author's texts changed";
  EXPECT_TRUE(fs::is_empty(qui)) << "something was written into the working folder";
  EXPECT_EQ(contenuto(base.path()).size(), testi.size() + scritti.size() + 3) << "something was written beside";
}

std::string righe(std::initializer_list<std::string> l) {
  std::string t;
  for (const auto& r : l) t += r + "\r\n";
  return t;
}

std::string casuali(std::size_t n, unsigned seme) {
  std::mt19937 g(seme);
  std::string t(n, '\0');
  for (char& c : t) c = static_cast<char>(g() & 0xFF);
  return t;
}

TEST(IngressoGuasto, TestiRotti) {
  const std::string quaranta = "1234567890123456789012345678901234567890";
  const std::string zeri = std::string(36, '0');
  const std::string nul("\0", 1);
  const caso casi[] = {
      {"binary garbage as the line description", casuali(65536, 1), corsa_buona},
      {"binary garbage as the train run", linea_buona, casuali(65536, 2)},
      {"binary garbage after the general section", righe({"[generale]"}) + casuali(4096, 3),
       righe({"[generale]"}) + casuali(4096, 4)},
      {"an empty line description", "", corsa_buona, 25},
      {"an empty train run", linea_buona, "", 25},
      {"a line description of commas only", std::string(5000, ','), corsa_buona, 102},
      {"a train run of commas only", linea_buona, std::string(5000, ',')},
      {"commas after the general section", righe({"[generale]"}) + std::string(5000, ','), corsa_buona},
      {"a route length of 40 digits", righe({"[generale]", "lunghezza percorso, " + quaranta, "[fine]"}),
       corsa_buona, 25},
      {"a route length of 40 digits, mostly leading zeros",
       righe({"[generale]", "lunghezza percorso, " + zeri + "5000", "[fine]"}), corsa_buona},
      {"a negative number of 40 digits", linea_buona, righe({"[generale]", "velocita, 0, -" + quaranta, "[fine]"}),
       25},
      {"a signal position of 40 digits", linea_buona,
       righe({"[generale]", "segnale, " + quaranta + ", 1, 5, 6, 0, 1, 0, 0,0,0, 0", "[fine]"}), 25},
      {"NUL bytes inside keywords and numbers",
       righe({"[gene" + nul + "rale]", "lunghezza" + nul + "percorso, 50" + nul + "00", "[fine]"}),
       righe({"[generale]", "velocita, 0" + nul + ", 60", "segn" + nul + "ale, 1500, 1", "[fine]"})},
      {"a text of NUL bytes", std::string(4096, '\0'), std::string(4096, '\0')},
      {"no general section in the line description",
       righe({"lunghezza percorso,    5000", "[curve]", "curvad4,  1000,  200", "[fine]"}), corsa_buona, 102},
      {"no general section in the train run", linea_buona,
       righe({"numero vetture, 4", "velocita, 0, 60", "stazione, 0, 8, 400, 0, 0, 0, 0,0,0, 0,0,0, 1, 8,00, 0, A"})},
      {"no route length", righe({"[generale]", "sfondo uno, 3", "[curve]", "pendenza, 0, 5", "[fine]"}), corsa_buona,
       104},
      {"line ends of CR only", "[generale]\rlunghezza percorso, 5000\r[curve]\rcurvad4, 1000, 200\r[fine]\r",
       "[generale]\rvelocita, 0, 60\r[fine]\r"},
      {"a text that is UTF-16", std::string("\xFF\xFE[\0g\0e\0n\0e\0r\0a\0l\0e\0]\0\r\0\n\0", 26), corsa_buona},
  };
  for (const caso& k : casi) compila(k);
}

// Lines of 50 MB, as a keyword, as free text and as a number.
TEST(IngressoGuasto, UnaRigaDi50MB) {
  const std::size_t mb50 = 50u << 20;
  compila({"a 50 MB row in the line description",
           righe({"[generale]", "lunghezza percorso, 5000", "[curve]", std::string(mb50, 'x'), "[fine]"}),
           corsa_buona});
  compila({"a 50 MB number in the train run", linea_buona,
           righe({"[generale]", "velocita, 0, " + std::string(mb50, '7'), "[fine]"}), 25});
  compila({"a 50 MB station name", linea_buona,
           righe({"[generale]", "stazione, 0, 8, 400, 0, 0, 0, 0,0,0, 0,0,0, 1, 8,00, 0, " + std::string(mb50, 'N'),
                  "[fine]"})});
}

// Every row kind, cut after each of its items: at the very end of the text
// (a value missing there is a read past the end: code 25) and followed by the
// section's end.
TEST(IngressoGuasto, OgniRigaTroncata) {
  // Where a row goes: the line description's general section (before the
  // route length row, which then follows the cut row), its body, or the run.
  enum dove { generale, corpo, corsa };
  struct riga {
    dove d;
    std::vector<std::string> item;
  };
  const riga tipi[] = {
      {generale, {"lunghezza percorso", "5000"}},
      {generale, {"progressiva chilometrica uno", "0", "0", "0"}},
      {generale, {"sfondo uno", "3"}},
      {generale, {"ripetizione segnali 4 codici", "1000", "2000"}},
      {corpo, {"pendenza", "1000", "5"}},
      {corpo, {"curvad4", "1000", "200"}},
      {corpo, {"montagna", "1000", "2000", "12"}},
      {corpo, {"indicatori_vmax", "1000", "10", "10", "10", "1", "10", "10", "10", "1"}},
      {corpo, {"cartello_indicatore", "1000", "(Galleria)(Prova)"}},
      {corsa, {"percentuale massa frenata", "80"}},
      {corsa, {"numero vetture", "4"}},
      {corsa, {"velocita", "0", "60"}},
      {corsa, {"aderenza", "0", "100"}},
      {corsa, {"orologio", "8", "0", "0"}},
      {corsa, {"sabbia", "1"}},
      {corsa, {"segnale", "1500", "1", "5", "6", "0", "1", "0", "0", "0", "0", "0"}},
      {corsa, {"rallentamento", "2500", "30", "200", "1", "1", "0"}},
      {corsa, {"abbattimento", "3000", "180"}},
      {corsa, {"stazione", "0", "8", "400", "0", "0", "0", "0", "0", "0", "0", "0", "0", "1", "8", "00", "0", "INIZIO"}},
  };
  for (const riga& t : tipi) {
    const std::string prima =
        t.d == corpo ? "[generale]\r\nlunghezza percorso, 5000\r\n[curve]\r\n" : "[generale]\r\n";
    const std::string dopo =
        t.d == generale && t.item[0] != "lunghezza percorso" ? "\r\nlunghezza percorso, 5000\r\n[fine]\r\n"
                                                             : "\r\n[fine]\r\n";
    for (std::size_t n = 1; n < t.item.size(); ++n) {
      std::string r = t.item[0];
      for (std::size_t i = 1; i < n; ++i) r += ", " + t.item[i];
      const std::string nome = t.item[0] + " cut after " + std::to_string(n - 1) + " of " +
                               std::to_string(t.item.size() - 1) + " values";
      const std::optional<int> al_fondo = n > 1 ? std::optional<int>(25) : std::nullopt;
      if (t.d == corsa) {
        compila({nome + " at the end of the text", linea_buona, prima + r, al_fondo});
        compila({nome + ", then the section's end", linea_buona, prima + r + dopo});
      } else {
        compila({nome + " at the end of the text", prima + r, corsa_buona, al_fondo});
        compila({nome + ", then the section's end", prima + r + dopo, corsa_buona});
      }
    }
  }
}

// Inputs kept as files: edge cases written by hand, and any input that once
// made the build misbehave, as it was found. A file whose first line starts
// with "codice N" must give code N.
TEST(IngressoGuasto, IngressiConservati) {
  const fs::path cartella = fs::path(dati) / "bad";
  std::vector<fs::path> file;
  for (const auto& e : fs::directory_iterator(cartella)) {
    if (e.path().extension() == ".txt") file.push_back(e.path());
  }
  std::sort(file.begin(), file.end());
  ASSERT_FALSE(file.empty());
  for (const fs::path& f : file) {
    const std::string b = prova::leggi_file(f);
    const auto k = b.find(separatore);
    caso c{f.filename().string(), b.substr(0, k), k == std::string::npos ? "" : b.substr(k + separatore.size())};
    if (b.rfind("codice ", 0) == 0) c.codice = std::stoi(b.substr(7));
    compila(c);
  }
}

}  // namespace
