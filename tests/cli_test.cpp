// The two executables end to end: the builder in its own folder, and the
// authoring tool's build, example and compile verbs.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/fixture.hpp"

namespace {

namespace fs = std::filesystem;
using prova::esegui;

const std::string dati = SB_TESTDATA;
const std::string tool = SB_TOOL_PATH;

const char* const uscite[] = {"LORVENA-CASTIRO _linea.dat", "LORVENA-CASTIRO _R47093.sim",
                              "LORVENA-CASTIRO _R47093.dat"};
const char* const documenti[] = {"LORVENA-CASTIRO _R47093_note.txt", "LORVENA-CASTIRO _R47093_rallentamenti.txt",
                                 "LORVENA-CASTIRO _R47093_scheda_treno.txt"};
const char* const testi[] = {"LORVENA-CASTIRO _linea.txt", "LORVENA-CASTIRO _R47093-.txt"};

std::vector<std::string> contenuto(const fs::path& d) {
  std::vector<std::string> n;
  for (auto& e : fs::directory_iterator(d)) n.push_back(e.path().filename().string());
  std::sort(n.begin(), n.end());
  return n;
}

std::vector<std::string> attesi_dopo_build(bool con_eseguibile) {
  std::vector<std::string> n(std::begin(uscite), std::end(uscite));
  n.insert(n.end(), std::begin(documenti), std::end(documenti));
  if (con_eseguibile) n.push_back("R47093");
  std::sort(n.begin(), n.end());
  return n;
}

TEST(Eseguibile, CostruisceNellaSuaCartella) {
  prova::cartella_temporanea d;
  fs::copy_file(SB_BUILDER_PATH, d.path() / "R47093");
  std::string out, err;
  // Started from elsewhere: it works in its own folder, not the current one.
  EXPECT_EQ(esegui((d.path() / "R47093").string(), {}, &out, &err, fs::temp_directory_path().string()), 0) << err;
  EXPECT_EQ(out, "Attendere\n");
  EXPECT_EQ(err, "");
  EXPECT_EQ(contenuto(d.path()), attesi_dopo_build(true));
}

TEST(ToolBuild, StessiByteDellEseguibileESostituisceIPrecedenti) {
  prova::cartella_temporanea a, b;
  fs::copy_file(SB_BUILDER_PATH, a.path() / "R47093");
  ASSERT_EQ(esegui((a.path() / "R47093").string(), {}), 0);
  // Earlier, longer files of the same names are replaced whole.
  for (const char* f : uscite) prova::scrivi_file(b.path() / f, std::string(3000000, 'x'));
  std::string out, err;
  ASSERT_EQ(esegui(tool, {"build", "--out", b.str()}, &out, &err), 0) << err;
  EXPECT_EQ(contenuto(b.path()), attesi_dopo_build(false));
  for (const char* f : uscite) EXPECT_EQ(prova::leggi_file(a.path() / f), prova::leggi_file(b.path() / f)) << f;
  for (const char* f : documenti) EXPECT_EQ(prova::leggi_file(a.path() / f), prova::leggi_file(b.path() / f)) << f;
}

TEST(ToolExample, ScriveITestiComeIlBuilder) {
  prova::cartella_temporanea d;
  std::string err;
  ASSERT_EQ(esegui(tool, {"example", "--out", d.str()}, nullptr, &err), 0) << err;
  std::vector<std::string> attesi(std::begin(testi), std::end(testi));
  attesi.insert(attesi.end(), std::begin(documenti), std::end(documenti));
  std::sort(attesi.begin(), attesi.end());
  EXPECT_EQ(contenuto(d.path()), attesi);
  // Compiling what example wrote gives what the build gives.
  prova::cartella_temporanea e, f;
  ASSERT_EQ(esegui(tool, {"compile", "--line", (d.path() / testi[0]).string(), "--run", (d.path() / testi[1]).string(),
                          "--out", e.str()}),
            0);
  ASSERT_EQ(esegui(tool, {"build", "--out", f.str()}), 0);
  for (const char* u : uscite) EXPECT_EQ(prova::leggi_file(e.path() / u), prova::leggi_file(f.path() / u)) << u;
  EXPECT_TRUE(fs::exists(d.path() / testi[0]));  // the author's texts stay
}

TEST(Compile, CorsaMancanteECodice25) {
  prova::cartella_temporanea d;
  std::string out;
  EXPECT_EQ(esegui(tool, {"compile", "--line", dati + "/piccola_linea.txt", "--run", dati + "/manca.txt", "--out", d.str(),
                          "--json"},
                   &out),
            1);
  EXPECT_NE(out.find("\"codice_errore\": 25"), std::string::npos);
}

TEST(Compile, IlFermoLasciaIntatteLeUscitePrecedenti) {
  prova::cartella_temporanea d;
  for (const char* f : uscite) prova::scrivi_file(d.path() / f, "precedente");
  std::string err;
  EXPECT_EQ(esegui(tool, {"compile", "--line", dati + "/linea_cartello_a_zero.txt", "--run", dati + "/piccola_corsa.txt",
                          "--out", d.str()},
                   nullptr, &err),
            2);
  EXPECT_NE(err.find(" Errore n. 1250"), std::string::npos) << err;
  for (const char* f : uscite) EXPECT_EQ(prova::leggi_file(d.path() / f), "precedente");
}

TEST(Compile, SenzaPianoNonScriveIlFileDelPiano) {
  prova::cartella_temporanea d;
  prova::scrivi_file(d.path() / uscite[0], "piano precedente");
  ASSERT_EQ(esegui(tool, {"compile", "--line", dati + "/piccola_linea.txt", "--run", dati + "/piccola_corsa.txt", "--out",
                          d.str(), "--no-plan"}),
            0);
  EXPECT_EQ(prova::leggi_file(d.path() / uscite[0]), "piano precedente");
  EXPECT_EQ(prova::leggi_file(d.path() / uscite[2]).size(), 15u * 241);
}

TEST(Compile, NomeECodiceScelti) {
  prova::cartella_temporanea d;
  std::string out;
  ASSERT_EQ(esegui(tool, {"compile", "--line", dati + "/piccola_linea.txt", "--run", dati + "/piccola_corsa.txt", "--out",
                          d.str(), "--name", "Prova è ", "--code", "X1"},
                   &out),
            0);
  EXPECT_TRUE(fs::exists(d.path() / "Prova è _X1.sim"));
  EXPECT_TRUE(fs::exists(d.path() / "Prova è _linea.dat"));
  // The name is stored in Windows-1252 in the record file.
  std::string sim = prova::leggi_file(d.path() / "Prova è _X1.sim");
  EXPECT_NE(sim.find("Prova \xE8 "), std::string::npos);
}

TEST(RigaDiComando, ErroriDUso) {
  struct {
    std::vector<std::string> args;
  } casi[] = {{{}}, {{"volare"}}, {{"build"}}, {{"build", "--out"}}, {{"compile", "--line", "a"}}, {{"build", "--zzz", "x"}}};
  for (const auto& k : casi) {
    std::string out, err;
    EXPECT_EQ(esegui(tool, k.args, &out, &err), 64);
    EXPECT_FALSE(err.empty());
  }
  std::string out;
  EXPECT_EQ(esegui(tool, {"--help"}, &out), 0);
  EXPECT_NE(out.find("usage: scenario-tool"), std::string::npos);
  EXPECT_EQ(esegui(tool, {"compile", "--help"}, &out), 0);
  EXPECT_NE(out.find("--no-plan"), std::string::npos);
}

}  // namespace
