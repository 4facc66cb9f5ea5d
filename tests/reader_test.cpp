// Item reading, the line writer and the code page.
#include <gtest/gtest.h>

#include <array>
#include <variant>

#include "reader/codepage.hpp"
#include "reader/testo.hpp"

namespace {

using reader::lettore;

// One read in a sequence: a text item, or a number into a target.
struct lettura {
  enum tipo { stringa, i32, i16, u8 } t;
};

struct caso_lettura {
  const char* nome;
  std::string testo;
  std::vector<lettura::tipo> letture;
  std::vector<std::string> attesi;  // "!" marks a failed read
  bool fine_dopo;                   // end-of-text test after the reads
};

std::string leggi_uno(lettore& r, lettura::tipo t) {
  switch (t) {
    case lettura::stringa: {
      std::string s;
      return r.leggi_stringa(s) ? s : "!";
    }
    case lettura::i32: {
      std::int32_t v;
      return r.leggi(v) ? std::to_string(v) : "!";
    }
    case lettura::i16: {
      std::int16_t v;
      return r.leggi(v) ? std::to_string(v) : "!";
    }
    case lettura::u8: {
      std::uint8_t v;
      return r.leggi(v) ? std::to_string(v) : "!";
    }
  }
  return "?";
}

constexpr auto S = lettura::stringa;
constexpr auto I32 = lettura::i32;
constexpr auto I16 = lettura::i16;
constexpr auto U8 = lettura::u8;

void PrintTo(const caso_lettura& c, std::ostream* os) { *os << c.nome; }

class Letture : public testing::TestWithParam<caso_lettura> {};

TEST_P(Letture, DannoGliItemAttesi) {
  const caso_lettura& c = GetParam();
  lettore r(c.testo);
  std::vector<std::string> visti;
  for (auto t : c.letture) visti.push_back(leggi_uno(r, t));
  EXPECT_EQ(visti, c.attesi);
  EXPECT_EQ(r.fine(), c.fine_dopo);
}

INSTANTIATE_TEST_SUITE_P(
    Regole, Letture,
    testing::Values(
        caso_lettura{"orologio", "orologio,    12              29            30 \r\nx\r\n", {S, I16, I16, I16, S},
                     {"orologio", "12", "29", "30", "x"}, true},
        caso_lettura{"vuoti", "indicatori_vmax,  800,  30,  30,  30,  0,  ,  ,  ,  0\r\n",
                     {S, I32, I32, I32, I32, I32, I32, I32, I32, I32},
                     {"indicatori_vmax", "800", "30", "30", "30", "0", "0", "0", "0", "0"}, true},
        caso_lettura{"negativo", "progressiva chilometrica uno,    0,    -2000,    0\r\n", {S, I32, I32, I32},
                     {"progressiva chilometrica uno", "0", "-2000", "0"}, true},
        caso_lettura{"testo con blank", "cartello_indicatore,  46450,   (PONTE  )(DORA   )(RIPARIA)\r\n",
                     {S, I32, S}, {"cartello_indicatore", "46450", "(PONTE  )(DORA   )(RIPARIA)"}, true},
        caso_lettura{"blank finali tolti", "  nome con blank   ,x\r\n", {S, S}, {"nome con blank", "x"}, true},
        caso_lettura{"virgola iniziale", ", che si trova a OULX .\r\n", {S, S}, {"", "che si trova a OULX ."}, true},
        caso_lettura{"riga vuota", "\r\nx\r\n", {S, S}, {"", "x"}, true},
        caso_lettura{"virgole come numeri", ",  ,  ,\r\n", {I32, I32, I32, I32}, {"0", "0", "0", "0"}, true},
        caso_lettura{"solo LF", "a,1\nb,2\n", {S, I32, S, I32}, {"a", "1", "b", "2"}, true},
        caso_lettura{"solo CR", "a,1\rb,2\r", {S, I32, S, I32}, {"a", "1", "b", "2"}, true},
        caso_lettura{"un a capo alla volta", "a\r\n\r\nb", {S, S, S}, {"a", "", "b"}, true},
        caso_lettura{"fine senza a capo", "a,7", {S, I32}, {"a", "7"}, true},
        caso_lettura{"lettura oltre la fine", "a\r\n", {S, S}, {"a", "!"}, true},
        caso_lettura{"numero non numero", "12a, +5, 1.5, -, --3\r\n", {I32, I32, I32, I32, I32},
                     {"0", "0", "0", "0", "0"}, true},
        caso_lettura{"virgolette e tab ordinari", "\"a\tb\",x\r\n", {S, S}, {"\"a\tb\"", "x"}, true},
        caso_lettura{"limiti 32 bit", "2147483647,-2147483648,2147483648,-2147483649\r\n", {I32, I32, I32, I32},
                     {"2147483647", "-2147483648", "!", "!"}, true},
        caso_lettura{"limiti 16 bit", "32767,-32768,32768,-32769,40000\r\n", {I16, I16, I16, I16, I16},
                     {"32767", "-32768", "!", "!", "!"}, true},
        caso_lettura{"limiti 8 bit", "255,0,256,-1\r\n", {U8, U8, U8, U8}, {"255", "0", "!", "!"}, true},
        caso_lettura{"40 cifre", "1234567890123456789012345678901234567890\r\n", {I32}, {"!"}, true},
        caso_lettura{"numeri separati da blank", "1 2   3\r\n", {I32, I32, I32}, {"1", "2", "3"}, true},
        caso_lettura{"testo vuoto", "", {S}, {"!"}, true}),
    [](const auto& info) {
      std::string n = info.param.nome;
      for (char& c : n) if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return n;
    });

TEST(Lettore, LaFineArrivaDopoLUltimoItem) {
  lettore r("a\r\n[fine]\r\n");
  std::string s;
  ASSERT_TRUE(r.leggi_stringa(s));
  EXPECT_FALSE(r.fine());
  ASSERT_TRUE(r.leggi_stringa(s));
  EXPECT_EQ(s, "[fine]");
  EXPECT_TRUE(r.fine());
  EXPECT_FALSE(r.leggi_stringa(s));
}

TEST(Lettore, UnNumeroLasciaIlRestoDellaRigaAllaLetturaSeguente) {
  lettore r("12 abc\r\n");
  std::int32_t v;
  std::string s;
  ASSERT_TRUE(r.leggi(v));
  EXPECT_EQ(v, 12);
  ASSERT_TRUE(r.leggi_stringa(s));
  EXPECT_EQ(s, "abc");
}

TEST(ScrittoreRighe, FermaAlMarcatoreEScriveCrLf) {
  std::array<std::string_view, 5> t = {"[generale]", "", "Frèjus", "riferimento fine del file", "dopo"};
  EXPECT_EQ(reader::componi_righe(t), std::string("[generale]\r\n\r\nFr\xE8jus\r\n"));
  std::array<std::string_view, 1> solo = {"riferimento fine del file"};
  EXPECT_EQ(reader::componi_righe(solo), "");
}

TEST(ScrittoreRighe, NonLeggeOltreLaCapienzaDellaTabella) {
  std::vector<std::string_view> lunga(1200, "x");
  EXPECT_EQ(reader::componi_righe(lunga).size(), 1001u * 3);
}

TEST(CodePage, ConverteInEntrambiISensi) {
  EXPECT_EQ(reader::utf8_a_cp1252("è€Ž"), "\xE8\x80\x8E");
  EXPECT_EQ(reader::utf8_a_cp1252("日"), "?");
  EXPECT_EQ(reader::utf8_a_cp1252("\xFF" "a"), "?a");
  EXPECT_EQ(reader::cp1252_a_utf8("\xE8\x80"), "è€");
  // Every byte survives the round trip, the unassigned ones included.
  std::string tutti;
  for (int b = 1; b < 256; ++b) tutti += static_cast<char>(b);
  EXPECT_EQ(reader::utf8_a_cp1252(reader::cp1252_a_utf8(tutti)), tutti);
}

TEST(CodePage, Minuscole) {
  EXPECT_EQ(reader::minuscola('A'), 'a');
  EXPECT_EQ(reader::minuscola(0xC8), 0xE8);  // È → è
  EXPECT_EQ(reader::minuscola(0xD7), 0xD7);  // × stays
  EXPECT_EQ(reader::minuscola(0x8A), 0x9A);
  EXPECT_EQ(reader::minuscola(0x9F), 0xFF);
  EXPECT_TRUE(reader::contiene_nc("VELOCITA", "velocit"));
  EXPECT_FALSE(reader::contiene("Progressiva", "progressiva"));
}

}  // namespace
