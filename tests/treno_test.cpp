// The train run compiler: general data, fills, stations, signals, slowdowns
// and code reductions, and what each failure leaves behind.
#include <gtest/gtest.h>

#include "build/build.hpp"
#include "support/fixture.hpp"

namespace {

using prova::compila;
using prova::linea_minima;
using prova::righe;
using prova::treno_minimo;

prova::compilato treno(const std::vector<std::string>& r, std::int32_t lunghezza = 105500,
                       const std::vector<std::string>& corpo_linea = {}) {
  return compila(linea_minima(lunghezza, corpo_linea), treno_minimo(r));
}

std::vector<int> velocita(const prova::compilato& c, int da, int a) {
  std::vector<int> v;
  for (int i = da; i <= a; ++i) v.push_back(c.s.celle.at(i)->velocita);
  return v;
}

std::string stazione(int p, int tipo, int l, int flag_layout = 0, int estensione = 0, const char* nome = "S") {
  return "stazione, " + std::to_string(p) + ", " + std::to_string(tipo) + ", " + std::to_string(l) + ", 0, " +
         std::to_string(flag_layout) + ", " + std::to_string(estensione) + ", 0,0,0, 0,0,0, 60, 12,30,0, " + nome;
}

TEST(DatiGenerali, RigheECampi) {
  auto c = treno({"numero vetture,    6", "percentuale massa frenata,    100", "sabbia,    100",
                  "orologio,    12              29            30 "});
  const auto& t = c.s.tabella;
  EXPECT_EQ(c.s.codice_errore, 0);
  EXPECT_EQ(t[model::voce_treno].valore3, 6);
  EXPECT_EQ(t[model::voce_treno].valore1, 100);
  EXPECT_EQ(t[model::voce_segnalamento].intero1, 100);
  EXPECT_EQ(t[model::voce_segnalamento].intero3, 12);
  EXPECT_EQ(t[model::voce_segnalamento].intero4, 29);
  EXPECT_EQ(t[model::voce_segnalamento].intero5, 30);
  EXPECT_EQ(t[model::voce_segnalamento].intero2, 0);
}

TEST(DatiGenerali, ParoleChiaveEIntestazioni) {
  auto c = treno({"[vel_limite]", "[aderenze]", "[stazioni]", "[segnali]", "[rallentamenti]", "VELOCITA, 0, 50",
                  "-x", "-y", "-velocita, 1000, 60", "massa frenata vetture, 80, 5"});
  EXPECT_EQ(c.s.codice_errore, 0);
  EXPECT_EQ(c.s.celle.at(0)->velocita, 10);
  EXPECT_EQ(c.s.celle.at(20)->velocita, 12);
  // One item with two keywords reads two rows' worth of items, in table order.
  EXPECT_EQ(c.s.tabella[model::voce_treno].valore1, 80);
  EXPECT_EQ(c.s.tabella[model::voce_treno].valore3, 5);
}

TEST(Riempimenti, LimitiDiVelocita) {
  auto c = treno({"velocita,   0,    30", "velocita,     900,    60", "velocita,    2750,   100", "velocita,    4050,   145"});
  EXPECT_EQ(velocita(c, 0, 17), std::vector<int>(18, 6));
  EXPECT_EQ(velocita(c, 18, 54), std::vector<int>(37, 12));
  EXPECT_EQ(velocita(c, 55, 80), std::vector<int>(26, 20));
  EXPECT_EQ(c.s.celle.at(81)->velocita, 29);  // 145 / 5, held to the end step
  EXPECT_EQ(c.s.celle.at(2247)->velocita, 29);
  EXPECT_EQ(c.s.celle.at(2248)->velocita, 0);
}

TEST(Riempimenti, ArrotondamentiEStessaPosizione) {
  auto c = treno({"velocita, 0, 142", "velocita, 925, 143", "velocita, 975, 150", "velocita, 975, 20"});
  EXPECT_EQ(c.s.celle.at(0)->velocita, 28);
  EXPECT_EQ(c.s.celle.at(17)->velocita, 28);
  EXPECT_EQ(c.s.celle.at(18)->velocita, 29);
  EXPECT_EQ(c.s.celle.at(19)->velocita, 29);
  EXPECT_EQ(c.s.celle.at(20)->velocita, 30);  // the second row at 975 wrote one cell with 150
  EXPECT_EQ(c.s.celle.at(21)->velocita, 4);
}

TEST(Riempimenti, AderenzaBassi8Bit) {
  auto c = treno({"aderenza, 0, 100", "aderenza, 2000, 70", "aderenza, 3000, 300"});
  EXPECT_EQ(c.s.celle.at(39)->aderenza, 100);
  EXPECT_EQ(c.s.celle.at(40)->aderenza, 70);
  EXPECT_EQ(c.s.celle.at(60)->aderenza, 44);
  EXPECT_EQ(c.s.celle.at(2247)->aderenza, 44);
  EXPECT_EQ(c.s.celle.at(2248)->aderenza, 0);
}

TEST(Riempimenti, LimiteFuoriDaUnByteECodice25) {
  auto c = treno({"velocita, 0, 1300", "velocita, 100, 30"});
  EXPECT_EQ(c.s.codice_errore, 25);
  EXPECT_TRUE(c.testi.treno.cancellato);
}

TEST(Riempimenti, Codice15EPassoFinale) {
  auto c = treno({"velocita, 0, 50", "velocita, 105500, 60", "velocita, 200, 70"}, 0);
  EXPECT_EQ(c.s.codice_errore, 15);
  EXPECT_EQ(c.s.posizione_errore, 105500);
  EXPECT_EQ(velocita(c, 0, 137), std::vector<int>(138, 10));
  EXPECT_EQ(c.s.celle.at(138)->velocita, 0);
}

TEST(Riempimenti, SenzaGenerale) {
  auto c = compila(linea_minima(0), righe({"velocita, 0, 50", "[fine]"}));
  EXPECT_EQ(c.s.codice_errore, 0);
  EXPECT_EQ(c.s.celle.at(0)->velocita, 0);
  EXPECT_TRUE(c.testi.treno.cancellato);
}

TEST(Riempimenti, ControlloProgressive) {
  auto c = compila(righe({"[generale]", "lunghezza percorso, 0", "progressiva chilometrica uno, 0, 25, 0", "[curve]"}),
                   treno_minimo());
  EXPECT_EQ(c.s.codice_errore, 2);
}

TEST(Fallimenti, Codice25) {
  struct {
    const char* nome;
    reader::testo_scenario treno;
  } casi[] = {
      {"vuoto", {true, true, "", false}},
      {"mancante", {false, true, "", false}},
      {"illeggibile", {true, false, "", false}},
      {"riga tronca", {true, true, "[generale]\r\nsegnale, 900, 1, 5", false}},
      {"numero troppo grande", {true, true, "[generale]\r\nsabbia, 40000\r\nx\r\n", false}},
      {"dash oltre la fine", {true, true, "[generale]\r\n-a,-b", false}},
  };
  for (const auto& k : casi) {
    prova::compilato c;
    c.s.nome_scenario = "N";
    c.testi.linea = {true, true, linea_minima(0), false};
    c.testi.treno = k.treno;
    build::compila(c.s, 1, c.testi);
    if (std::string(k.nome) == "dash oltre la fine") {
      EXPECT_EQ(c.s.codice_errore, 0) << k.nome;  // the end of the text ends the loop
    } else {
      EXPECT_EQ(c.s.codice_errore, 25) << k.nome;
    }
    EXPECT_TRUE(c.testi.linea.cancellato);
    EXPECT_TRUE(c.testi.treno.cancellato);
  }
}

TEST(Fallimenti, RigaFallitaTieneCioCheHaLetto) {
  auto c = compila(linea_minima(105500), "[generale]\r\nstazione, 9300, 12, 400, 3, 0, 0, 7");
  EXPECT_EQ(c.s.codice_errore, 25);
  const auto& v = c.s.tabella[1];
  EXPECT_EQ(v.valore3, 9300);
  EXPECT_EQ(v.tipo_stazione, 12);
  EXPECT_EQ(v.opzione, 3);
  EXPECT_EQ(v.intero1, 7);
  EXPECT_TRUE(v.testo.empty());

  c = treno({"orologio, 12, 99999, 0"});
  EXPECT_EQ(c.s.codice_errore, 25);
  EXPECT_EQ(c.s.tabella[model::voce_segnalamento].intero3, 12);

  c = treno({"stazione, 0, 8, 400, 0,0,0, 0,0,0, 0,0,0, 1, 2000000, 0, 0, NOME"});
  EXPECT_EQ(c.s.codice_errore, 25);
  EXPECT_TRUE(c.s.tabella[1].testo.empty());
}

TEST(Stazioni, Esempi) {
  auto c = treno({"stazione,   0,  8,  400,  0, 1, 1,  0,0,0,  0,0,0,    1,  12,30, 0, PARTENZA",
                  "stazione,    2250, 11,  400,  1, 0, 1,  7,1,2,  2,1,1,    0,   0, 0, 0, QUADRIVIO ZAPPATA",
                  stazione(4000, 26, 200), stazione(5500, 5, 300),
                  "stazione,    9300, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,  12,41, 0, COLLEGNO",
                  "stazione,   92900, 21,  200,  0, 0, 1,  0,0,0,  4,1,1,    0,   0, 0, 0, P.C Fr\xE8jus"});
  ASSERT_EQ(c.s.codice_errore, 0);
  const auto& t = c.s.tabella;
  const auto& p = c.s.celle;
  EXPECT_EQ(t[1].valore1, -400);
  EXPECT_EQ(t[1].valore2, 400);
  EXPECT_EQ(t[1].byte3, 0);
  EXPECT_EQ(t[1].byte4, 0);
  EXPECT_EQ(t[1].orario, 45000);
  EXPECT_EQ(t[1].testo, "PARTENZA");
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(p.at(7 - k)->preavviso, 80 + k);
  EXPECT_EQ(p.at(7)->elemento, 10);
  EXPECT_EQ(p.at(7)->dato1, 1);
  EXPECT_EQ(t[2].valore1, 2050);
  EXPECT_EQ(t[2].valore2, 2500);
  EXPECT_EQ(t[2].byte3, 1);
  EXPECT_EQ(p.at(49)->dato1, 2);
  // Type 26: no marks, no stop cell.
  EXPECT_EQ(p.at(81)->elemento, 0);
  EXPECT_EQ(p.at(80)->preavviso, 0);
  // Type 5: end 150 m after p, stop cell, no marks.
  EXPECT_EQ(t[4].valore1, 5200);
  EXPECT_EQ(t[4].valore2, 5650);
  EXPECT_EQ(p.at(112)->elemento, 10);
  EXPECT_EQ(p.at(111)->preavviso, 0);
  EXPECT_EQ(t[5].valore1, 9100);
  EXPECT_EQ(t[5].valore2, 9500);
  EXPECT_EQ(t[5].orario, 45660);
  EXPECT_EQ(p.at(189)->dato1, 5);
  EXPECT_EQ(std::vector<int>({p.at(188)->preavviso, p.at(187)->preavviso, p.at(186)->preavviso, p.at(185)->preavviso}),
            std::vector<int>({81, 82, 83, 84}));
  EXPECT_EQ(t[6].testo, "P.C Fr\xE8jus");
}

TEST(Stazioni, TipiEFlag) {
  struct {
    int tipo, l, flag, est;
    int inizio, fine, byte3, byte4;
  } casi[] = {
      {12, 500, 1, 1, 9750, 10300, 1, 0},
      {7, 500, 1, 1, 9500, 10500, 0, 0},
      {12, 600, 1, 0, 9700, 10300, 0, 1},
      {6, 400, 1, 1, 9600, 10150, 0, 0},
  };
  for (auto k : casi) {
    auto c = treno({stazione(0, 8, 400), stazione(10000, k.tipo, k.l, k.flag, k.est)});
    ASSERT_EQ(c.s.codice_errore, 0) << k.tipo;
    const auto& v = c.s.tabella[2];
    EXPECT_EQ(v.valore1, k.inizio) << k.tipo;
    EXPECT_EQ(v.valore2, k.fine) << k.tipo;
    EXPECT_EQ(v.byte3, k.byte3) << k.tipo;
    EXPECT_EQ(v.byte4, k.byte4) << k.tipo;
  }
}

TEST(Stazioni, Codici) {
  struct {
    const char* nome;
    std::vector<std::string> righe;
    int codice, posizione;
  } casi[] = {
      {"posizione non multipla", {stazione(0, 8, 400), stazione(3025, 12, 400)}, 8, 3025},
      {"lunghezza non multipla", {stazione(3000, 12, 450)}, 9, 3000},
      {"fine a 100 m", {stazione(0, 12, 200)}, 24, 0},
      {"distanza 300", {stazione(0, 8, 400), stazione(900, 12, 400)}, 22, 900},
      {"oltre la tabella", {stazione(0, 8, 400), stazione(112000, 12, 400)}, 15, 112000},
  };
  for (const auto& k : casi) {
    auto c = treno(k.righe);
    EXPECT_EQ(c.s.codice_errore, k.codice) << k.nome;
    EXPECT_EQ(c.s.posizione_errore, k.posizione) << k.nome;
    EXPECT_TRUE(c.testi.treno.cancellato) << k.nome;
  }
  auto c = treno({stazione(0, 8, 400), stazione(950, 12, 400)});  // exactly 350 m
  EXPECT_EQ(c.s.codice_errore, 0);
  c = treno({stazione(-100, 12, 500)});  // negative, multiple of 50; ends at 150
  EXPECT_EQ(c.s.codice_errore, 0);
  EXPECT_EQ(c.s.celle.at(2)->elemento, 10);
  EXPECT_EQ(c.s.celle.at(1)->preavviso, 0);
}

TEST(Stazioni, PostiFinoAiCartelli) {
  std::vector<std::string> r;
  for (int i = 0; i < 79; ++i) r.push_back(stazione(1000 * i, 26, 200));
  auto c = treno(r);
  EXPECT_EQ(c.s.codice_errore, 10);
  EXPECT_EQ(c.s.tabella[79].valore3, 78000);
  r.pop_back();
  c = treno(r);
  EXPECT_EQ(c.s.codice_errore, 0);
}

TEST(Segnali, EsempiEImpacchettamento) {
  auto c = treno({"segnale,     900,   1, 5, 6,  0, 1,    0,  0,0,0, 0", "segnale,    3000,   2, 4, 1,  0, 0,    2,  2,1,0, 0",
                  "segnale, 5000, 2, 0,0,0, 0, 0, 0,0,0, 30", "segnale, 6000, 2, 0,0,0, 0, 0, 0,0,0, 150",
                  "segnale, 7000, 1, 0,0,0, 0, 0, 0,0,0, 30", "segnale, 925, 1, 0,0,0, 0, 0, 0,0,0, 0"});
  ASSERT_EQ(c.s.codice_errore, 0);
  const auto& p = c.s.celle;
  const auto* s = p.at(19);
  EXPECT_EQ(std::vector<int>({s->elemento, s->dato1, s->dato2, s->dato3, s->dato4, s->tempo_segnale}),
            std::vector<int>({1, 50, 60, 0, 13, 0}));
  EXPECT_EQ(std::vector<int>({p.at(17)->preavviso, p.at(15)->preavviso, p.at(13)->preavviso, p.at(11)->preavviso}),
            std::vector<int>({31, 32, 33, 34}));
  s = p.at(61);
  EXPECT_EQ(std::vector<int>({s->dato1, s->dato2, s->dato3, s->dato4}), std::vector<int>({42, 11, 0, 8}));
  EXPECT_EQ(p.at(53)->preavviso, 84);
  EXPECT_EQ(p.at(101)->tempo_segnale, 101);
  EXPECT_EQ(p.at(121)->tempo_segnale, 150);
  EXPECT_EQ(p.at(141)->tempo_segnale, 0);
  EXPECT_EQ(p.at(20)->elemento, 1);  // 925 m: 19.5 + 1 rounds to 20
}

TEST(Segnali, CelleOccupateEMarcatori) {
  auto c = treno({"segnale, 46550, 1, 0,0,0, 0, 0, 0,0,0, 0"}, 105500, {"montagna, 46450, 51650, 11"});
  EXPECT_EQ(c.s.codice_errore, 0);
  EXPECT_EQ(c.s.celle.at(932)->elemento, 1);

  c = treno({stazione(0, 8, 400), "segnale, 300, 1, 0,0,0, 0, 0, 0,0,0, 0", "velocita, 0, 50"});
  EXPECT_EQ(c.s.codice_errore, 16);
  EXPECT_EQ(c.s.posizione_errore, 300);
  EXPECT_EQ(c.s.celle.at(0)->velocita, 0);  // the end step did not run

  // A stop cell written over a signal keeps the signal's other values.
  c = treno({"segnale, 300, 1, 5,6,7, 0, 0, 0,0,0, 0", stazione(0, 8, 400)});
  EXPECT_EQ(c.s.codice_errore, 0);
  EXPECT_EQ(c.s.celle.at(7)->elemento, 10);
  EXPECT_EQ(c.s.celle.at(7)->dato2, 60);

  // Marks that would fall before cell 0 are dropped.
  c = treno({"segnale, 100, 1, 0,0,0, 0, 0, 0,0,0, 0"});
  EXPECT_EQ(c.s.codice_errore, 0);
  EXPECT_EQ(c.s.celle.at(1)->preavviso, 31);
  EXPECT_EQ(c.s.celle.at(3)->elemento, 1);

  c = treno({"segnale, -500, 1, 0,0,0, 0, 0, 0,0,0, 0"});
  EXPECT_EQ(c.s.codice_errore, 16);
}

TEST(Segnali, UnCodiceDellaLineaFermaIlTrenoAlPrimoSegnale) {
  auto c = treno({"velocita, 0, 50", "segnale, 3000, 1, 0,0,0, 0, 0, 0,0,0, 0", "sabbia, 7"}, 0,
                 {"pendenza, 99999, 1"});
  EXPECT_EQ(c.s.codice_errore, 15);
  EXPECT_EQ(c.s.posizione_errore, 3000);
  EXPECT_EQ(c.s.tabella[model::voce_segnalamento].intero1, 0);
}

TEST(Rallentamenti, Esempio) {
  auto c = treno({"rallentamento,   98500,    50, 1150, 1,  1,  45"});
  ASSERT_EQ(c.s.codice_errore, 0);
  const auto& p = c.s.celle;
  struct {
    int cella, elemento, d1, d2, d3;
  } attesi[] = {{1994, 2, 50, 45, 1}, {1971, 3, 50, 45, 1}, {1947, 4, 50, 45, 0},
                {1946, 5, 1, 1, 0},   {1945, 5, 2, 2, 0},   {1944, 5, 3, 3, 0}, {1943, 5, 4, 4, 0}};
  for (auto a : attesi) {
    const auto* z = p.at(a.cella);
    EXPECT_EQ(std::vector<int>({z->elemento, z->dato1, z->dato2, z->dato3}),
              std::vector<int>({a.elemento, a.d1, a.d2, a.d3}))
        << a.cella;
  }
}

TEST(Rallentamenti, VicinoAllOrigineELunghezzaZero) {
  auto c = treno({"rallentamento, 1500, 50, 500, 1, 1, 0"});
  EXPECT_EQ(c.s.codice_errore, 0);
  for (int i = 0; i < 30; ++i) EXPECT_NE(c.s.celle.at(i)->elemento, 4) << i;
  c = treno({"rallentamento, 1550, 50, 500, 1, 1, 0"});
  EXPECT_EQ(c.s.celle.at(8)->elemento, 4);
  EXPECT_EQ(c.s.celle.at(7)->elemento, 5);
  EXPECT_EQ(c.s.celle.at(7)->dato2, 0);
  c = treno({"rallentamento, 5000, 50, 0, 1, 0, 0"});
  EXPECT_EQ(c.s.celle.at(101)->elemento, 3);
}

TEST(Rallentamenti, Codici) {
  struct {
    const char* nome;
    std::vector<std::string> righe;
    int codice;
  } casi[] = {
      {"avviso", {"segnale, 3800, 1, 0,0,0, 0, 0, 0,0,0, 0", "rallentamento, 5000, 50, 500, 1, 1, 0"}, 17},
      {"inizio", {"segnale, 5000, 1, 0,0,0, 0, 0, 0,0,0, 0", "rallentamento, 5000, 50, 500, 1, 1, 0"}, 18},
      {"fine", {"segnale, 5500, 1, 0,0,0, 0, 0, 0,0,0, 0", "rallentamento, 5000, 50, 500, 1, 1, 0"}, 19},
      {"fine fuori", {"rallentamento, 5000, 50, 200000, 1, 1, 0"}, 19},
      {"fine negativa", {"rallentamento, 5000, 50, -9000, 1, 1, 0"}, 19},
      {"zona", {"segnale, 3700, 1, 0,0,0, 0, 0, 0,0,0, 0", "rallentamento, 5000, 50, 500, 1, 1, 0"}, 20},
  };
  for (const auto& k : casi) {
    auto c = treno(k.righe);
    EXPECT_EQ(c.s.codice_errore, k.codice) << k.nome;
    EXPECT_EQ(c.s.posizione_errore, 5000) << k.nome;
  }
  // Code 20 leaves the end, start and warning cells written.
  auto c = treno(casi[5].righe);
  EXPECT_EQ(c.s.celle.at(111)->elemento, 2);
  EXPECT_EQ(c.s.celle.at(101)->elemento, 3);
  EXPECT_EQ(c.s.celle.at(77)->elemento, 4);
}

TEST(Abbattimenti, CelleEValori) {
  auto c = treno({"abbattimento, 600, 280", "abbattimento, 1000, 0", "abbattimento, 46600, 75", "segnale, 600, 1, 0,0,0, 0, 0, 0,0,0, 0"},
                 105500, {"montagna, 46450, 51650, 11"});
  ASSERT_EQ(c.s.codice_errore, 0);
  EXPECT_EQ(c.s.celle.at(12)->elemento, 12);
  EXPECT_EQ(c.s.celle.at(12)->dato1, 280);
  EXPECT_EQ(c.s.celle.at(13)->elemento, 1);
  EXPECT_EQ(c.s.celle.at(20)->elemento, 13);
  EXPECT_EQ(c.s.celle.at(20)->dato1, 0);
  EXPECT_EQ(c.s.celle.at(932)->elemento, 12);

  c = treno({"abbattimento, 600, 280", "abbattimento, 610, 180"});
  EXPECT_EQ(c.s.codice_errore, 7);
  EXPECT_EQ(c.s.posizione_errore, 610);
  c = treno({"abbattimento, -600, 280"});
  EXPECT_EQ(c.s.codice_errore, 7);
}

}  // namespace
