// The validation pass and the competition codes, on cells set up by hand.
#include <gtest/gtest.h>

#include "placement/placement.hpp"

namespace {

using namespace model;

// A cell table of 300 cells with the given point items.
struct celle_prova {
  stato_build s;
  celle_prova() { s.celle.crea(300); }
  celle_prova& metti(std::int64_t i, std::uint8_t elemento, std::int16_t dato1 = 0) {
    s.celle.at(i)->elemento = elemento;
    s.celle.at(i)->dato1 = dato1;
    return *this;
  }
  // A slowdown: start cell (its speed in dato1) and end cell.
  celle_prova& rallentamento(std::int64_t inizio, std::int64_t fine, std::int16_t v) {
    return metti(inizio, el_inizio_rallentamento, v).metti(fine, el_fine_rallentamento, v);
  }
  std::vector<std::int64_t> automatici() const {
    std::vector<std::int64_t> v;
    for (std::int64_t i = 0; i <= s.celle.D(); ++i) {
      const cella* c = s.celle.at(i);
      if (c->elemento == el_abbattimento && c->dato1 == 180) v.push_back(i);
    }
    return v;
  }
  void valida() { placement::validazione(s); }
};

TEST(RegolaA, SegnaliPrimaDellAvviso) {
  struct {
    const char* nome;
    std::int16_t c9, c8;  // -1: free
    std::int16_t atteso9, atteso8;
  } casi[] = {
      {"riduce 270", 270, 75, 180, 75},
      {"tiene 120", 120, 75, 120, 75},
      {"usa la cella libera", 270, -1, 270, 180},
  };
  for (auto k : casi) {
    celle_prova c;
    c.metti(25, el_avviso_rallentamento).metti(10, el_segnale);
    if (k.c9 >= 0) c.metti(9, el_abbattimento, k.c9);
    if (k.c8 >= 0) c.metti(8, el_abbattimento, k.c8);
    c.valida();
    EXPECT_EQ(c.s.celle.at(9)->dato1, k.atteso9) << k.nome;
    EXPECT_EQ(c.s.celle.at(8)->dato1, k.atteso8) << k.nome;
    EXPECT_EQ(c.s.codice_errore, 0) << k.nome;
  }
}

TEST(RegolaA, CasiLimite) {
  celle_prova c;
  c.metti(10, el_avviso_rallentamento).metti(2, el_segnale);
  c.valida();
  EXPECT_TRUE(c.automatici().empty());

  celle_prova d;
  d.metti(60, el_avviso_rallentamento).metti(50, el_segnale).metti(49, el_segnale).metti(48, el_segnale);
  d.valida();
  // 49 and 48 are signals, so the signal in 50 has no cell: code 11; the
  // signal in 49 uses 47 (48 is a signal), the one in 48 uses 46.
  EXPECT_EQ(d.automatici(), (std::vector<std::int64_t>{46, 47}));
  EXPECT_EQ(d.s.codice_errore, 11);
  EXPECT_EQ(d.s.posizione_errore, 2500);
}

TEST(RegolaB, Finestre) {
  celle_prova c;
  c.rallentamento(40, 60, 120);
  c.valida();
  EXPECT_EQ(c.automatici(), (std::vector<std::int64_t>{22, 29, 35}));

  celle_prova d;
  d.rallentamento(40, 60, 120).metti(35, el_segnale).metti(34, el_segnale).metti(33, el_segnale);
  d.valida();
  EXPECT_EQ(d.s.codice_errore, 12);
  EXPECT_EQ(d.s.posizione_errore, 2000);
  EXPECT_EQ(d.automatici(), (std::vector<std::int64_t>{22, 29}));

  celle_prova e;
  e.rallentamento(7, 30, 120);
  e.valida();
  EXPECT_TRUE(e.automatici().empty());

  celle_prova f;
  f.rallentamento(8, 30, 120).metti(3, el_montagna);
  f.valida();
  EXPECT_EQ(f.automatici(), (std::vector<std::int64_t>{3}));
}

TEST(RegolaC, DentroIlRallentamento) {
  celle_prova c;
  c.rallentamento(100, 117, 100);
  c.valida();
  EXPECT_EQ(c.automatici(), (std::vector<std::int64_t>{82, 89, 95, 108, 116}));

  celle_prova d;
  d.rallentamento(100, 117, 110);
  d.valida();
  EXPECT_EQ(d.automatici(), (std::vector<std::int64_t>{82, 89, 95}));

  // The eighth step falls on a taken cell: the one before it, else after it;
  // the next one comes eight cells after the one placed.
  celle_prova e;
  e.rallentamento(100, 130, 50).metti(108, el_segnale).metti(107, el_segnale);
  e.valida();
  EXPECT_EQ(e.s.celle.at(109)->elemento, el_abbattimento);
  EXPECT_EQ(e.s.celle.at(117)->elemento, el_abbattimento);
  EXPECT_EQ(e.s.celle.at(116)->elemento, 0);

  celle_prova f;
  f.rallentamento(100, 130, 50).metti(108, el_segnale).metti(107, el_segnale).metti(109, el_segnale);
  f.valida();
  EXPECT_EQ(f.s.codice_errore, 13);
  EXPECT_EQ(f.s.posizione_errore, 5400);
}

TEST(RegolaC, SenzaFineSiFermaAllUltimaCella) {
  celle_prova c;
  c.metti(280, el_inizio_rallentamento, 50);
  c.valida();
  EXPECT_EQ(c.s.celle.at(288)->elemento, el_abbattimento);
  EXPECT_EQ(c.s.celle.at(296)->elemento, el_abbattimento);
  EXPECT_EQ(c.s.celle.at(299)->elemento, 0);
}

TEST(RegolaD, PrimoSegnaleDopoLaFine) {
  celle_prova c;
  c.rallentamento(100, 117, 100).metti(125, el_segnale);
  c.valida();
  EXPECT_EQ(c.s.celle.at(124)->elemento, el_abbattimento);

  celle_prova d;
  d.rallentamento(100, 117, 100).metti(130, el_segnale);
  d.valida();
  EXPECT_EQ(d.s.celle.at(129)->elemento, 0);

  // A fast slowdown: the search starts from its own end cell.
  celle_prova e;
  e.rallentamento(100, 117, 120).metti(125, el_segnale);
  e.valida();
  EXPECT_EQ(e.s.celle.at(124)->elemento, el_abbattimento);

  celle_prova f;
  f.rallentamento(100, 117, 100).metti(125, el_segnale).metti(124, el_fermata).metti(123, el_fermata);
  f.valida();
  EXPECT_EQ(f.s.codice_errore, 13);
  EXPECT_EQ(f.s.posizione_errore, 117 * 50);
}

TEST(Minimo, PareggioDaX) {
  EXPECT_EQ(placement::minimo(180, 270), 180);
  EXPECT_EQ(placement::minimo(180, 120), 120);
  EXPECT_EQ(placement::minimo(180, 180), 180);
}

stato_build con_nomi(std::string nome, std::string codice) {
  stato_build s;
  s.celle.crea(140);
  s.tabella[voce_scenario].testo = std::move(nome);
  s.tabella[voce_segnalamento].testo = std::move(codice);
  return s;
}

TEST(CodiciGara, Esempi) {
  struct {
    std::string nome, codice;
    std::int32_t og, st;
  } casi[] = {
      {"AB ", "R1", 2424, 32948},
      {"", "", 2583, 34355},
      {"ab ", "r1", 2424, 32948},
  };
  for (const auto& k : casi) {
    stato_build s = con_nomi(k.nome, k.codice);
    EXPECT_EQ(placement::codice_gara_og(s), k.og) << k.nome;
    EXPECT_EQ(placement::codice_gara_st(s), k.st) << k.nome;
    EXPECT_EQ(placement::memorizza_codici(s), 0);
    EXPECT_EQ(s.celle.at(1)->dato1, 5121);
    EXPECT_EQ(s.celle.at(1)->dato2, k.og);
    EXPECT_EQ(s.tabella[voce_scenario].intero1, 610);
    EXPECT_EQ(s.tabella[voce_scenario].orario, k.st);
  }
  // Accented capitals fold too.
  stato_build a = con_nomi("\xC8", ""), b = con_nomi("\xE8", "");
  EXPECT_EQ(placement::codice_gara_st(a), placement::codice_gara_st(b));
}

TEST(CodiciGara, PostiRiservatiOccupati) {
  stato_build s = con_nomi("N", "C");
  s.celle.at(1)->dato1 = 80;
  EXPECT_EQ(placement::memorizza_codici(s), 1250);
  EXPECT_EQ(s.tabella[voce_scenario].intero1, 0);

  stato_build t = con_nomi("N", "C");
  t.celle.at(1)->dato2 = 45;
  EXPECT_EQ(placement::memorizza_codici(t), 1251);
  EXPECT_EQ(t.celle.at(1)->dato1, 5121);
  EXPECT_EQ(t.tabella[voce_scenario].orario, 0);
}

}  // namespace
