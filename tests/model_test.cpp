// The tables and the byte layouts of the three output files.
#include <gtest/gtest.h>

#include "model/file_binari.hpp"
#include "model/stato.hpp"

namespace {

using namespace model;

TEST(Arrotonda, MetaAlPari) {
  EXPECT_EQ(R(20.5), 20);
  EXPECT_EQ(R(21.5), 22);
  EXPECT_EQ(R(-0.5), 0);
  EXPECT_EQ(R(-1.5), -2);
  struct {
    std::int64_t l, d;
  } casi[] = {{0, 140}, {25, 140}, {75, 142}, {105500, 2250}, {105525, 2250}, {105575, 2252}, {1000000, 20140}};
  for (auto c : casi) EXPECT_EQ(ultima_cella_per(c.l), c.d) << c.l;
}

TEST(FileRecord, TabellaVuotaFa2958Byte) {
  tabella_stazioni t;
  t.svuota();
  scrittore_memoria w;
  scrivi_record(t, w);
  ASSERT_TRUE(w.svuota());
  EXPECT_EQ(w.dati.size(), 2958u);
  EXPECT_EQ(w.dati, std::string(2958, '\0'));
}

TEST(FileRecord, DisposizioneDiUnaVoce) {
  tabella_stazioni t;
  voce_stazione& v = t[1];
  v.tipo_stazione = 21;
  v.valore1 = -1;
  v.valore2 = 0x01020304;
  v.valore3 = 92900;
  v.opzione = 7;
  v.testo = "P.C Fr\xE8jus";
  v.intero1 = -2;
  v.intero5 = 0x0102;
  v.byte1 = 1;
  v.byte4 = 4;
  v.orario = 45660;
  scrittore_memoria w;
  scrivi_record(t, w);
  w.svuota();
  ASSERT_EQ(w.dati.size(), 2958u + 10);
  std::string r = w.dati.substr(34, 44);
  const unsigned char atteso[44] = {21, 0xFF, 0xFF, 0xFF, 0xFF, 4, 3, 2, 1, 0xE4, 0x6A, 1, 0, 7, 10, 0,
                                    'P', '.', 'C', ' ', 'F', 'r', 0xE8, 'j', 'u', 's', 0xFE, 0xFF, 0, 0, 0, 0,
                                    0, 0, 2, 1, 1, 0, 0, 4, 0x5C, 0xB2, 0, 0};
  EXPECT_EQ(r, std::string(reinterpret_cast<const char*>(atteso), 44));
}

TEST(FileCelle, QuindiciByteACellaInOrdine) {
  percorso p;
  p.crea(ultima_cella_per(0));
  p.at(1)->dato1 = 5121;
  p.at(1)->dato2 = -2;
  p.at(2)->elemento = 14;
  p.at(2)->aderenza = 70;
  scrittore_memoria w;
  scrivi_celle(p, w);
  w.svuota();
  ASSERT_EQ(w.dati.size(), 2115u);
  EXPECT_EQ(w.dati.substr(15, 15), std::string("\x00\x01\x14\xFE\xFF\0\0\0\0\0\0\0\0\0\0", 15));
  EXPECT_EQ(static_cast<unsigned char>(w.dati[30]), 14);
  EXPECT_EQ(static_cast<unsigned char>(w.dati[44]), 70);
}

TEST(FileTracciato, EtichetteEValori) {
  tracciato t;
  t.crea(7000);  // L = 0
  t.punti_iniziali();
  for (std::int64_t j = 2; j <= t.M() - 2; ++j) t.aggiungi(0.0, static_cast<double>(j));
  scrittore_memoria w;
  scrivi_tracciato(t, w);
  w.svuota();
  EXPECT_EQ(w.dati.size(), 139964u);
  EXPECT_EQ(dimensione_tracciato(t), 139964u);
  // x of point 0: tag 2, value 0; x of point 2: tag 5 and 0.0.
  EXPECT_EQ(w.dati.substr(0, 8), std::string("\x02\0\0\0\x02\0\0\0", 8));
  EXPECT_EQ(w.dati.substr(8, 10), std::string("\x05\0\0\0\0\0\0\0\0\0", 10));
  // x of points M − 1 and M are empty: two tags 0 before the y values begin.
  const std::size_t fine_x = 4 + 4 + 10 * 6997 + 2 + 2;
  EXPECT_EQ(w.dati.substr(fine_x - 4, 4), std::string(4, '\0'));
  // y of point 1 is the integer 1; y of point 2 is 2.0.
  EXPECT_EQ(w.dati.substr(fine_x, 8), std::string("\x02\0\0\0\x02\0\x01\0", 8));
  EXPECT_EQ(w.dati.substr(fine_x + 8, 10), std::string("\x05\0\0\0\0\0\0\0\0\x40", 10));
}

TEST(FileTracciato, VuotoSeNonCalcolato) {
  tracciato t;
  t.crea(3);
  scrittore_memoria w;
  scrivi_tracciato(t, w);
  w.svuota();
  EXPECT_EQ(w.dati, std::string(16, '\0'));
}

}  // namespace
