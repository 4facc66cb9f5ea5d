// The line description compiler: general section, body rows, plan and
// gradient, mountain sections, boards and signs, and their failures.
#include <gtest/gtest.h>

#include "build/build.hpp"
#include "reader/piano.hpp"
#include "reader/progressive.hpp"
#include "support/fixture.hpp"

namespace {

using prova::compila;
using prova::linea_minima;
using prova::righe;
using prova::treno_minimo;

// A train run that leaves a trace: its braked-mass row, to tell whether it was read.
const std::string treno_traccia = treno_minimo({"percentuale massa frenata,    77"});

bool treno_letto(const prova::compilato& c) { return c.s.tabella[model::voce_treno].valore1 == 77; }

prova::compilato generale(const std::vector<std::string>& righe_generali) {
  std::vector<std::string> l = {"[generale]"};
  l.insert(l.end(), righe_generali.begin(), righe_generali.end());
  l.push_back("[curve]");
  l.push_back("[fine]");
  return compila(righe(l), treno_traccia);
}

TEST(SezioneGenerale, RigheDellaLinea) {
  auto c = generale({"lunghezza percorso,    105500", "progressiva chilometrica uno,    0,    -2000,    0",
                     "progressiva chilometrica due,    104250,    0,    1", "progressiva chilometrica tre,    0,    0,    1",
                     "sfondo uno,    0", "sfondo due,    1", "sfondo tre,    16500",
                     "ripetizione segnali 4 codici,    500,    104250"});
  const auto& t = c.s.tabella;
  EXPECT_EQ(c.s.codice_errore, 0);
  EXPECT_EQ(t[model::voce_treno].valore2, 105500);
  EXPECT_EQ(c.s.celle.D(), 2250);
  EXPECT_EQ(c.s.piano.M(), 112500);
  EXPECT_EQ(t[model::voce_scenario].valore1, 0);
  EXPECT_EQ(t[model::voce_scenario].valore2, 16500);
  EXPECT_EQ(t[model::voce_scenario].valore3, 1);
  EXPECT_EQ(t[model::voce_segnalamento].valore1, 500);
  EXPECT_EQ(t[model::voce_segnalamento].valore2, 104250);
  EXPECT_EQ(t[model::voce_segnalamento].valore3, 4);
  // After the ordering: the reference at 104250 first, K + 100 where F is 1.
  EXPECT_EQ(t[81].valore1, 104250);
  EXPECT_EQ(t[81].valore2, 100);
  EXPECT_EQ(t[82].valore2, -2000);
  EXPECT_EQ(t[83].valore2, 100);
  EXPECT_TRUE(treno_letto(c));
  EXPECT_TRUE(c.testi.linea.cancellato);
  EXPECT_TRUE(c.testi.treno.cancellato);
}

TEST(SezioneGenerale, MaiuscoleNelleParoleChiave) {
  auto c = generale({"LUNGHEZZA PERCORSO, 1000", "Progressiva chilometrica uno,    0,    -2000,    0", "Sfondo uno, 5"});
  EXPECT_EQ(c.s.codice_errore, 0);
  EXPECT_EQ(c.s.tabella[model::voce_treno].valore2, 1000);
  EXPECT_EQ(c.s.tabella[83].valore2, 0);
  EXPECT_EQ(c.s.tabella[model::voce_scenario].valore1, 0);
}

struct caso_codice {
  const char* nome;
  std::vector<std::string> generali;
  std::int32_t codice;
  bool tabella;  // a cell table exists afterwards
};

void PrintTo(const caso_codice& c, std::ostream* os) { *os << c.nome; }

class CodiciGenerali : public testing::TestWithParam<caso_codice> {};

TEST_P(CodiciGenerali, RegistratiSenzaLeggereIlTreno) {
  auto c = generale(GetParam().generali);
  EXPECT_EQ(c.s.codice_errore, GetParam().codice);
  EXPECT_EQ(c.s.celle.esiste(), GetParam().tabella);
  EXPECT_TRUE(c.testi.linea.cancellato);
  EXPECT_EQ(treno_letto(c), GetParam().codice == 0);
  EXPECT_EQ(c.testi.treno.cancellato, GetParam().codice == 0);
}

INSTANTIATE_TEST_SUITE_P(
    Casi, CodiciGenerali,
    testing::Values(caso_codice{"lunghezza_massima", {"lunghezza percorso, 1000000"}, 0, true},
                    caso_codice{"lunghezza_oltre", {"lunghezza percorso, 1000001"}, 1, false},
                    caso_codice{"lunghezza_negativa", {"lunghezza percorso, -1"}, 1, false},
                    caso_codice{"seconda_lunghezza_oltre", {"lunghezza percorso, 100", "lunghezza percorso, 1000001"}, 1, true},
                    caso_codice{"senza_lunghezza", {"sfondo uno, 3"}, 104, false},
                    caso_codice{"ripetizione_49", {"lunghezza percorso, 0", "ripetizione segnali 49 codici, 500, 1000"}, 0, true},
                    caso_codice{"ripetizione_meno_100", {"lunghezza percorso, 0", "ripetizione segnali 9, -100, 0"}, 0, true},
                    caso_codice{"ripetizione_510", {"lunghezza percorso, 0", "ripetizione segnali 4, 510, 0"}, 3, true},
                    caso_codice{"ripetizione_b_510", {"lunghezza percorso, 0", "ripetizione segnali 4, 500, 510"}, 4, true},
                    caso_codice{"ripetizione_senza_cifra", {"lunghezza percorso, 0", "ripetizione segnali, 500, 0"}, 5, true}),
    [](const auto& i) { return std::string(i.param.nome); });

TEST(SezioneGenerale, CodiciDellaRipetizione) {
  auto c = generale({"lunghezza percorso, 0", "ripetizione segnali 49 codici, 500, 1000"});
  EXPECT_EQ(c.s.tabella[model::voce_segnalamento].valore3, 4);
  c = generale({"lunghezza percorso, 0", "ripetizione segnali 9, -100, 0"});
  EXPECT_EQ(c.s.tabella[model::voce_segnalamento].valore3, 0);
}

TEST(SezioneGenerale, RicercaDiGenerale) {
  struct {
    std::string testo;
    std::int32_t codice;
    bool cancellata;
  } casi[] = {
      {righe({"prima", "[generale]"}), 102, true},  // as the very last item
      {righe({"niente", "qui"}), 102, true},
      {"", 25, true},
  };
  for (const auto& k : casi) {
    auto c = compila(k.testo, treno_traccia);
    EXPECT_EQ(c.s.codice_errore, k.codice) << k.testo;
    EXPECT_EQ(c.testi.linea.cancellato, k.cancellata);
    EXPECT_FALSE(c.s.celle.esiste());
  }
  prova::compilato c;
  c.s.nome_scenario = "N";
  c.testi.linea.presente = false;
  c.testi.treno = {true, true, treno_traccia, false};
  build::compila(c.s, 1, c.testi);
  EXPECT_EQ(c.s.codice_errore, 101);
  EXPECT_FALSE(c.testi.linea.cancellato);
  EXPECT_FALSE(c.testi.treno.cancellato);
}

TEST(SezioneGenerale, FineDellaSezione) {
  // "[" alone does not end it; an item beginning with "-" never does.
  auto c = compila(righe({"[generale]", "[ancora", "lunghezza percorso, 100", "-[x]", "sfondo uno, 3", "[curve]",
                          "pendenza, 0, 5", "[fine]"}),
                   treno_traccia);
  EXPECT_EQ(c.s.codice_errore, 0);
  EXPECT_EQ(c.s.tabella[model::voce_scenario].valore1, 3);
  EXPECT_EQ(c.s.celle.at(0)->pendenza, 105);
}

TEST(SezioneGenerale, SenzaCorpo) {
  auto c = compila(righe({"[generale]", "lunghezza percorso, 0"}), treno_traccia);
  EXPECT_EQ(c.s.codice_errore, 0);
  EXPECT_TRUE(treno_letto(c));
  EXPECT_EQ(c.s.piano.calcolati(), 6999);
  EXPECT_EQ(c.s.celle.at(137)->pendenza, 100);
  EXPECT_EQ(c.s.celle.at(138)->pendenza, 0);
}

TEST(Corpo, ControlloDellaPosizione) {
  // L = 0: D = 140, so (p + 100) / 50 may reach 140 at p = 6900.
  auto c = compila(linea_minima(0, {"pendenza, 0, 1", "pendenza, 6900, 2"}), treno_traccia);
  EXPECT_EQ(c.s.codice_errore, 0);
  c = compila(linea_minima(0, {"pendenza, 0, 1", "pendenza, 6950, 2", "montagna, 0, 500, 1"}), treno_traccia);
  EXPECT_EQ(c.s.codice_errore, 15);
  EXPECT_EQ(c.s.posizione_errore, 6950);
  EXPECT_TRUE(treno_letto(c));
  EXPECT_EQ(c.s.celle.at(0)->montagna, 0);   // the row after 15 was not read
  EXPECT_EQ(c.s.celle.at(137)->pendenza, 101);  // the end fill still ran
  EXPECT_EQ(c.s.piano.calcolati(), 6999);
}

TEST(Corpo, RegolaDelTrattino) {
  // Two dash items are skipped, the third is examined.
  auto c = compila(linea_minima(0, {"-a,-b,pendenza, 0, 7"}), treno_traccia);
  EXPECT_EQ(c.s.celle.at(0)->pendenza, 107);
  c = compila(linea_minima(0, {"-a,-b,-pendenza, 0, 7"}), treno_traccia);
  EXPECT_EQ(c.s.celle.at(0)->pendenza, 107);
  c = compila(linea_minima(0, {"-a,pendenza, 0, 7"}), treno_traccia);
  EXPECT_EQ(c.s.celle.at(0)->pendenza, 107);
}

TEST(Corpo, RigaDopoFineEsaminata) {
  auto c = compila(righe({"[generale]", "lunghezza percorso, 0", "[fine]", "pendenza, 0, 9", "x"}), treno_traccia);
  EXPECT_EQ(c.s.celle.at(0)->pendenza, 109);
}

TEST(Pendenza, Riempimenti) {
  auto c = compila(linea_minima(0, {"pendenza,   0,    0", "pendenza,  950,   1", "pendenza,  1200,   2"}), treno_minimo());
  for (int i = 0; i <= 18; ++i) EXPECT_EQ(c.s.celle.at(i)->pendenza, 100) << i;
  for (int i = 19; i <= 23; ++i) EXPECT_EQ(c.s.celle.at(i)->pendenza, 101) << i;
  EXPECT_EQ(c.s.celle.at(24)->pendenza, 102);
  EXPECT_EQ(c.s.celle.at(137)->pendenza, 102);
  EXPECT_EQ(c.s.celle.at(138)->pendenza, 0);
}

TEST(Pendenza, ValoriFuoriIntervalloEStessaPosizione) {
  auto c = compila(linea_minima(0, {"pendenza, 0, -5", "pendenza, 100, 200", "pendenza, 200, -101", "pendenza, 200, 3",
                                    "pendenza, 300, 0"}),
                   treno_minimo());
  EXPECT_EQ(c.s.celle.at(0)->pendenza, 95);
  EXPECT_EQ(c.s.celle.at(2)->pendenza, 44);
  // Two rows at 200: the second still writes one cell with the first's gradient.
  EXPECT_EQ(c.s.celle.at(4)->pendenza, 255);
  EXPECT_EQ(c.s.celle.at(5)->pendenza, 103);
}

TEST(Pendenza, MoltiRigheNonScrivonoOltreLaTabella) {
  std::vector<std::string> corpo;
  for (int i = 0; i < 500; ++i) corpo.push_back("pendenza, 6800, 1");
  auto c = compila(linea_minima(0, corpo), treno_minimo());
  EXPECT_EQ(c.s.codice_errore, 0);
  EXPECT_EQ(c.s.celle.at(140)->pendenza, 101);
}

TEST(Piano, CurvaturaDallaParola) {
  struct {
    const char* parola;
    bool ok;
    double k;
  } casi[] = {{"curvas3", true, -0.0004}, {"curvad4", true, 0.001}, {"curvad12", true, 0.0001},
              {"curvaS3", true, -0.0004}, {"curvad6", true, 0.003}, {"curvad7", false, 0}};
  for (auto c : casi) {
    double k = 0;
    EXPECT_EQ(reader::curvatura_di(c.parola, k), c.ok) << c.parola;
    if (c.ok) {
      EXPECT_EQ(k, c.k) << c.parola;
    }
  }
}

TEST(Piano, LineaDrittaEUnaCurva) {
  auto c = compila(linea_minima(0), treno_minimo());
  const auto& p = c.s.piano;
  EXPECT_EQ(p.valore(1, 1).tipo, model::tipo_valore::intero16);
  EXPECT_EQ(p.valore(2, 1).tipo, model::tipo_valore::reale);
  EXPECT_EQ(p.valore(6998, 1).valore, 6998.0);
  EXPECT_EQ(p.valore(6999, 0).tipo, model::tipo_valore::vuoto);

  c = compila(linea_minima(0, {"curvad4, 10, 2"}), treno_minimo());
  const auto& q = c.s.piano;
  EXPECT_DOUBLE_EQ(q.x(11), 0.001);
  EXPECT_DOUBLE_EQ(q.y(11), 11);
  EXPECT_DOUBLE_EQ(q.x(12), 0.003);
  EXPECT_NEAR(q.y(12), 11.999999, 1e-12);
  EXPECT_NEAR(q.x(13) - q.x(12), 0.002, 1e-12);
  EXPECT_NEAR(q.y(13) - q.y(12), 0.999999, 1e-12);
}

TEST(Piano, CurvaNonVaOltreIlPiano) {
  auto c = compila(linea_minima(0, {"curvad4, 6000, 5000"}), treno_minimo());
  EXPECT_EQ(c.s.codice_errore, 0);
  EXPECT_EQ(c.s.piano.calcolati(), 6999);
}

TEST(Piano, CodiciDelleCurve) {
  auto c = compila(linea_minima(0, {"curvad7, 10, 2"}), treno_traccia);
  EXPECT_EQ(c.s.codice_errore, 103);
  EXPECT_FALSE(treno_letto(c));
  EXPECT_EQ(c.s.piano.calcolati(), 2);
  // Without the plan, curve rows are not looked at.
  c = compila(linea_minima(0, {"curvad7, 10, 2"}), treno_traccia, 0);
  EXPECT_EQ(c.s.codice_errore, 0);
  EXPECT_FALSE(c.s.piano.esiste());
  // Past point 1000000.
  c = compila(linea_minima(1000000, {"curvad4, 999990, 100"}), treno_traccia);
  EXPECT_EQ(c.s.codice_errore, 103);
}

TEST(Progressive, Ordinamento) {
  struct rif {
    std::int32_t p, k, f;
  };
  struct {
    rif t, d, u;
    rif s81, s82, s83;
  } casi[] = {
      {{0, 0, 1}, {104250, 0, 1}, {0, -2000, 0}, {104250, 100, 1}, {0, -2000, 0}, {0, 100, 1}},
      {{300, 1, 0}, {200, 2, 0}, {100, 3, 0}, {300, 1, 0}, {200, 2, 0}, {100, 3, 0}},
      {{100, 1, 0}, {200, 2, 0}, {300, 3, 0}, {300, 3, 0}, {200, 2, 0}, {100, 1, 0}},
      {{500, 1, 1}, {500, 2, 1}, {0, 3, 1}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
      {{100, 0, 0}, {-100, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
      {{0, 1000, 0}, {0, 0, 0}, {0, 2000, 0}, {0, 2000, 0}, {0, 0, 0}, {0, 1000, 0}},
      {{0, 1000, 2}, {0, 0, 0}, {0, 0, 0}, {0, 1000, 2}, {0, 0, 0}, {0, 0, 0}},
      {{0, 2147483600, 1}, {0, 0, 0}, {0, 0, 0}, {0, -2147483596, 1}, {0, 0, 0}, {0, 0, 0}},
  };
  for (const auto& c : casi) {
    model::tabella_stazioni t;
    auto metti = [&](int s, rif r) { t[s].valore1 = r.p, t[s].valore2 = r.k, t[s].valore3 = r.f; };
    metti(81, c.t);
    metti(82, c.d);
    metti(83, c.u);
    reader::progressive_ordina(t);
    auto vale = [&](int s, rif r) {
      EXPECT_EQ(t[s].valore1, r.p) << s;
      EXPECT_EQ(t[s].valore2, r.k) << s;
      EXPECT_EQ(t[s].valore3, r.f) << s;
    };
    vale(81, c.s81);
    vale(82, c.s82);
    vale(83, c.s83);
  }
}

TEST(Montagne, SezioniEMarcatori) {
  auto c = compila(linea_minima(105500, {"montagna,   46650,  51650,  11", "montagna,   65100,  65250,  12",
                                          "montagna,   65300,  67300,  11", "montagna,   69400,  69450,  12",
                                          "montagna,   70000,  70000,  13", "montagna,   80000,  80500,  10",
                                          "montagna,   1225,  1275,  1"}),
                   treno_minimo());
  const auto& p = c.s.celle;
  EXPECT_EQ(p.at(932)->montagna, 0);
  EXPECT_EQ(p.at(933)->montagna, 1);
  EXPECT_EQ(p.at(1032)->montagna, 1);
  int marcatori = 0;
  for (int i = 933; i <= 1032; ++i) marcatori += p.at(i)->elemento == 11;
  EXPECT_EQ(marcatori, 25);
  EXPECT_EQ(p.at(936)->elemento, 11);
  EXPECT_EQ(p.at(1302)->montagna, 2);
  EXPECT_EQ(p.at(1304)->montagna, 2);
  EXPECT_EQ(p.at(1304)->elemento, 0);
  EXPECT_EQ(p.at(1306)->montagna, 3);
  EXPECT_EQ(p.at(1309)->elemento, 11);
  EXPECT_EQ(p.at(1345)->elemento, 11);
  EXPECT_EQ(p.at(1388)->montagna, 2);
  EXPECT_EQ(p.at(1600)->montagna, 10);
  EXPECT_EQ(p.at(1603)->elemento, 0);
  auto d = compila(linea_minima(0, {"montagna,   1225,  1275,  1"}), treno_minimo());
  EXPECT_EQ(d.s.celle.at(23)->montagna, 0);
  EXPECT_EQ(d.s.celle.at(24)->montagna, 1);
  EXPECT_EQ(d.s.celle.at(25)->montagna, 0);
}

TEST(Montagne, FuoriTabellaNonScrive) {
  auto c = compila(linea_minima(0, {"montagna, -1000, 99999999, 11"}), treno_minimo());
  EXPECT_EQ(c.s.codice_errore, 0);
  // Cell 0 is the 21st of the section as computed (it starts at cell −20).
  EXPECT_EQ(c.s.celle.at(0)->montagna, 1);
  EXPECT_EQ(c.s.celle.at(0)->elemento, 0);
  EXPECT_EQ(c.s.celle.at(3)->elemento, 11);
  EXPECT_EQ(c.s.celle.at(140)->montagna, 1);
}

TEST(Cartelli, IndicatoriVelocita) {
  auto c = compila(linea_minima(105500, {"montagna, 67000, 67400, 11",
                                          "indicatori_vmax,  800,  30,  30,  30,  0,  ,  ,  ,  0",
                                          "indicatori_vmax,  3450,  140,  155,  155,  2,  140,  155,  155,  2",
                                          "indicatori_vmax,  67200,  12,  13,  0,  1,  12,  13,  0,  1",
                                          "indicatori_vmax,  1225,  0,  0,  0,  -1,  0,  0,  0,  32767"}),
                   treno_minimo());
  ASSERT_EQ(c.s.codice_errore, 0);
  const auto* b = c.s.celle.at(17);
  EXPECT_EQ(b->elemento, 6);
  EXPECT_EQ(b->dato1, 600);
  EXPECT_EQ(b->dato4, 0);
  b = c.s.celle.at(70);
  EXPECT_EQ(std::vector<int>({b->dato1, b->dato2, b->dato3, b->dato4}), std::vector<int>({2828, 3131, 3131, 22}));
  b = c.s.celle.at(1345);  // a mountain marker replaced
  EXPECT_EQ(b->elemento, 6);
  EXPECT_EQ(b->dato1, 242);  // 240 + 2.4
  EXPECT_EQ(b->dato2, 263);  // 260 + 2.6
  EXPECT_EQ(c.s.celle.at(26)->elemento, 6);
  EXPECT_EQ(c.s.celle.at(26)->dato4, static_cast<std::int16_t>(-10 + 32767));
}

TEST(Cartelli, CodiciDeiCartelli) {
  auto c = compila(linea_minima(0, {"indicatori_vmax, 800, 30, 30, 30, 0, , , , 0",
                                    "indicatori_vmax, 810, 40, 40, 40, 0, , , , 0"}),
                   treno_traccia);
  EXPECT_EQ(c.s.codice_errore, 21);
  EXPECT_EQ(c.s.posizione_errore, 810);
  EXPECT_FALSE(treno_letto(c));
  EXPECT_TRUE(c.testi.linea.cancellato);
  EXPECT_FALSE(c.testi.treno.cancellato);

  // A value out of 16 bits keeps what was stored before it.
  c = compila(linea_minima(0, {"indicatori_vmax, 800, 30, 1700, 30, 0, , , , 0"}), treno_traccia);
  EXPECT_EQ(c.s.codice_errore, 25);
  EXPECT_EQ(c.s.celle.at(17)->elemento, 6);
  EXPECT_EQ(c.s.celle.at(17)->dato1, 600);
  EXPECT_TRUE(c.testi.treno.cancellato);

  c = compila(linea_minima(0, {"indicatori_vmax, -200, 30, 30, 30, 0, , , , 0"}), treno_traccia);
  EXPECT_EQ(c.s.codice_errore, 21);
}

TEST(Cartelli, IndicatoriETesti) {
  auto c = compila(linea_minima(105500, {"cartello_indicatore,  46450,   (PONTE  )(DORA   )(RIPARIA)",
                                          "cartello_indicatore,  46600,   (A)(B)",
                                          "cartello_indicatore,  85750,   (Fr\xE8jus)(13657m)"}),
                   treno_minimo());
  ASSERT_EQ(c.s.codice_errore, 0);
  EXPECT_EQ(c.s.celle.at(930)->elemento, 14);
  EXPECT_EQ(c.s.celle.at(930)->dato1, 80);
  EXPECT_EQ(c.s.celle.at(933)->dato1, 79);
  EXPECT_EQ(c.s.tabella[80].testo, "(PONTE  )(DORA   )(RIPARIA)");
  EXPECT_EQ(c.s.tabella[78].testo, "(Fr\xE8jus)(13657m)");
}

TEST(Cartelli, SegnaleSuCellaOccupata) {
  auto c = compila(linea_minima(0, {"indicatori_vmax, 800, 30, 30, 30, 0, , , , 0", "cartello_indicatore, 800, (X)"}),
                   treno_traccia);
  EXPECT_EQ(c.s.codice_errore, 6);
  EXPECT_EQ(c.s.posizione_errore, 800);
  EXPECT_TRUE(c.s.tabella[80].testo.empty());
  EXPECT_FALSE(treno_letto(c));
  c = compila(linea_minima(0, {"cartello_indicatore, -200, (X)"}), treno_traccia);
  EXPECT_EQ(c.s.codice_errore, 6);
}

TEST(Cartelli, NessunPostoOltreIlPrimo) {
  std::vector<std::string> corpo;
  for (int i = 0; i < 81; ++i) corpo.push_back("cartello_indicatore, " + std::to_string(100 * i) + ", (S)");
  auto c = compila(linea_minima(105500, corpo), treno_minimo({"stazione, 0, 8, 400, 0,0,0, 0,0,0, 0,0,0, 1, 12,30,0, A"}));
  EXPECT_EQ(c.s.codice_errore, 6);
  EXPECT_EQ(c.s.posizione_errore, 8000);
  EXPECT_EQ(c.s.tabella[1].testo, "(S)");
  EXPECT_TRUE(c.s.tabella[0].testo.empty());
}

}  // namespace
