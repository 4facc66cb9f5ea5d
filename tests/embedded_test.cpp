// The scenario the builder carries: its two texts as written, and what their
// compilation leaves in the tables and the files.
#include <gtest/gtest.h>

#include <cmath>

#include "model/file_binari.hpp"
#include "placement/placement.hpp"
#include "reader/testo.hpp"
#include "scenario/scenario.hpp"
#include "support/fixture.hpp"

namespace {

std::vector<std::string> linee(const std::string& testo) {
  std::vector<std::string> v;
  std::size_t i = 0;
  while (i < testo.size()) {
    std::size_t f = testo.find("\r\n", i);
    EXPECT_NE(f, std::string::npos) << "every line ends with CR LF";
    if (f == std::string::npos) break;
    v.push_back(testo.substr(i, f - i));
    i = f + 2;
  }
  return v;
}

TEST(TestiIncorporati, LineaComeScritta) {
  std::string t = reader::componi_righe(scenario::tabella_linea());
  auto l = linee(t);
  ASSERT_EQ(l.size(), 642u);
  EXPECT_EQ(t.substr(0, 43), "[generale]\r\nlunghezza percorso,    105500\r\n");
  EXPECT_EQ(l.back(), "[fine]");
  EXPECT_EQ(t.find("riferimento fine del file"), std::string::npos);
  EXPECT_NE(t.find("(Fr\xE8jus)(13657m)"), std::string::npos);
  EXPECT_EQ(scenario::tabella_linea().size(), 643u);
  // Headers at their places.
  EXPECT_EQ(l[9], "[curve]");
  EXPECT_EQ(l[132], "[pendenze]");
  EXPECT_EQ(l[578], "[montagne]");
  EXPECT_EQ(l[592], "[cartelli]");
  EXPECT_EQ(l[625], "[indicazioni]");
  EXPECT_EQ(l[10], "curvas3,  500,  150");
  EXPECT_EQ(l[131], "curvas2,  106800,  400");
  EXPECT_EQ(l[133], "pendenza,   0,    0");
}

TEST(TestiIncorporati, CorsaComeScritta) {
  std::string t = reader::componi_righe(scenario::tabella_treno());
  auto l = linee(t);
  ASSERT_EQ(l.size(), 140u);
  EXPECT_EQ(l[10], "");
  EXPECT_EQ(l[11], "[generale]");
  EXPECT_EQ(l[15], "orologio,    12              29            30 ");
  EXPECT_EQ(l[64], "rallentamento,   98500,    50, 1150, 1,  1,  45");
  EXPECT_EQ(l.back(), "[fine]");
  EXPECT_EQ(t.find("riferimento fine del file"), std::string::npos);
  EXPECT_NE(t.find("P.C Fr\xE8jus"), std::string::npos);
}

TEST(ScenarioIncorporato, CompilaSenzaCodici) {
  const auto& c = prova::embedded();
  EXPECT_EQ(c.s.codice_errore, 0);
  EXPECT_EQ(c.fermo, 0);
  EXPECT_TRUE(c.testi.linea.cancellato);
  EXPECT_TRUE(c.testi.treno.cancellato);
}

TEST(ScenarioIncorporato, DatiGenerali) {
  const auto& t = prova::embedded().s.tabella;
  EXPECT_EQ(t[84].valore2, 105500);
  EXPECT_EQ(t[84].valore1, 100);
  EXPECT_EQ(t[84].valore3, 6);
  EXPECT_EQ(std::vector<int>({t[85].valore1, t[85].valore2, t[85].valore3}), std::vector<int>({0, 16500, 1}));
  EXPECT_EQ(std::vector<int>({t[86].valore1, t[86].valore2, t[86].valore3}), std::vector<int>({500, 104250, 4}));
  EXPECT_EQ(std::vector<int>({t[81].valore1, t[81].valore2, t[81].valore3}), std::vector<int>({104250, 100, 1}));
  EXPECT_EQ(std::vector<int>({t[82].valore1, t[82].valore2, t[82].valore3}), std::vector<int>({0, -2000, 0}));
  EXPECT_EQ(std::vector<int>({t[83].valore1, t[83].valore2, t[83].valore3}), std::vector<int>({0, 100, 1}));
  EXPECT_EQ(std::vector<int>({t[86].intero1, t[86].intero3, t[86].intero4, t[86].intero5}),
            std::vector<int>({100, 12, 29, 30}));
  EXPECT_EQ(t[85].testo, "LORVENA-CASTIRO ");
  EXPECT_EQ(t[86].testo, "R47093");
  EXPECT_EQ(t[85].intero1, 610);
  EXPECT_EQ(t[85].orario, placement::codice_gara_st(prova::embedded().s));
}

TEST(ScenarioIncorporato, Piano) {
  const auto& p = prova::embedded().s.piano;
  ASSERT_EQ(p.M(), 112500);
  for (int j = 2; j <= 500; ++j) {
    ASSERT_EQ(p.x(j), 0.0) << j;
    ASSERT_EQ(p.y(j), j) << j;
  }
  EXPECT_DOUBLE_EQ(p.x(501), -0.0004);
  EXPECT_DOUBLE_EQ(p.y(501), 501);
  EXPECT_DOUBLE_EQ(p.x(502), -0.0012);
  EXPECT_NEAR(p.y(502), 501.99999984, 1e-8);
  auto vicino = [&](std::int64_t j, double x, double y, double tol) {
    EXPECT_NEAR(p.x(j), x, tol) << j;
    EXPECT_NEAR(p.y(j), y, tol) << j;
  };
  vicino(1450, 154.085, 1415.988, 0.0005);
  vicino(105500, 42717.90, 82166.24, 0.005);
  vicino(112498, 42841.38, 89228.86, 0.005);
  EXPECT_EQ(p.valore(112499, 0).tipo, model::tipo_valore::vuoto);
  EXPECT_EQ(p.valore(112500, 1).tipo, model::tipo_valore::vuoto);
  double passo = std::hypot(p.x(112498) - p.x(112497), p.y(112498) - p.y(112497));
  EXPECT_NEAR(passo, 1.0156, 0.00005);
}

TEST(ScenarioIncorporato, CelleDellaLinea) {
  const auto& c = prova::embedded().s.celle;
  ASSERT_EQ(c.D(), 2250);
  for (int i = 933; i <= 1032; ++i) EXPECT_EQ(c.at(i)->montagna, 1) << i;
  EXPECT_EQ(c.at(17)->elemento, 6);
  EXPECT_EQ(std::vector<int>({c.at(17)->dato1, c.at(17)->dato2, c.at(17)->dato3, c.at(17)->dato4}),
            std::vector<int>({600, 600, 600, 0}));
  EXPECT_EQ(std::vector<int>({c.at(70)->dato1, c.at(70)->dato2, c.at(70)->dato3, c.at(70)->dato4}),
            std::vector<int>({2828, 3131, 3131, 22}));
  EXPECT_EQ(c.at(1345)->elemento, 6);
  EXPECT_EQ(c.at(1867)->elemento, 6);
  int cartello = 80;
  for (int i : {930, 933, 1040}) {
    EXPECT_EQ(c.at(i)->elemento, 14) << i;
    EXPECT_EQ(c.at(i)->dato1, cartello--) << i;
  }
  const auto& t = prova::embedded().s.tabella;
  EXPECT_EQ(t[80].testo, "(PONTE  )(DORA   )(RIPARIA)");
  EXPECT_FALSE(t[66].testo.empty());
  EXPECT_TRUE(t[65].testo.empty());
  for (int i = 2248; i <= 2250; ++i) {
    EXPECT_EQ(c.at(i)->pendenza, 0) << i;
    EXPECT_EQ(c.at(i)->velocita, 0) << i;
  }
  for (int i = 2060; i <= 2247; ++i) EXPECT_EQ(c.at(i)->velocita, 6) << i;
}

TEST(ScenarioIncorporato, CelleDellaCorsa) {
  const auto& c = prova::embedded().s.celle;
  ASSERT_EQ(c.D(), 2250);
  auto dati = [&](int i) {
    const auto* z = c.at(i);
    return std::vector<int>({z->elemento, z->dato1, z->dato2, z->dato3, z->dato4});
  };
  EXPECT_EQ(dati(19), std::vector<int>({1, 50, 60, 0, 13}));
  EXPECT_EQ(dati(61), std::vector<int>({1, 42, 11, 0, 8}));
  EXPECT_EQ(std::vector<int>({c.at(59)->preavviso, c.at(57)->preavviso, c.at(55)->preavviso, c.at(53)->preavviso}),
            std::vector<int>({81, 82, 83, 84}));
  EXPECT_EQ(dati(1994), std::vector<int>({2, 50, 45, 1, 0}));
  EXPECT_EQ(dati(1971), std::vector<int>({3, 50, 45, 1, 0}));
  EXPECT_EQ(c.at(1947)->elemento, 4);
  for (int n = 0; n < 4; ++n) EXPECT_EQ(dati(1946 - n), std::vector<int>({5, n + 1, n + 1, 0, 0}));
  EXPECT_EQ(dati(7)[0], 10);
  EXPECT_EQ(dati(7)[1], 1);
  EXPECT_EQ(dati(189)[1], 5);
  EXPECT_EQ(dati(12), std::vector<int>({12, 280, 0, 0, 0}));
  EXPECT_EQ(c.at(1)->dato1, 5121);
  EXPECT_EQ(c.at(1)->dato2, placement::codice_gara_og(prova::embedded().s));
  const auto& t = prova::embedded().s.tabella;
  EXPECT_EQ(t[1].valore1, -400);
  EXPECT_EQ(t[1].valore2, 400);
  EXPECT_EQ(t[1].orario, 12 * 3600 + 30 * 60);
  EXPECT_EQ(t[5].testo, "COLLEGNO");
  EXPECT_EQ(t[5].orario, 45660);
}

TEST(ScenarioIncorporato, FileScritti) {
  const auto& s = prova::embedded().s;
  ASSERT_EQ(s.celle.D(), 2250);
  model::scrittore_memoria celle, piano;
  model::scrivi_celle(s.celle, celle);
  model::scrivi_tracciato(s.piano, piano);
  celle.svuota();
  piano.svuota();
  EXPECT_EQ(celle.dati.size(), 15u * 2251);
  EXPECT_EQ(piano.dati.size(), 20u * 112500 - 36);
  EXPECT_EQ(celle.dati.substr(915, 5), std::string("\x01\x2A\x00\x0B\x00", 5));
  EXPECT_EQ(celle.dati.substr(16, 2), std::string("\x01\x14", 2));
}

}  // namespace
