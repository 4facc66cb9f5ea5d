// What scenario-tool tells an author, pinned in golden files: for each broken
// scenario, the exact stderr of `compile` and its JSON. Set SB_UPDATE_GOLDEN=1
// to write the golden files anew after a deliberate change, and read the diff.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "build/diagnostica.hpp"
#include "support/fixture.hpp"

namespace {

namespace fs = std::filesystem;

struct caso {
  const char* nome;
  const char* linea;
  const char* corsa;
};

void PrintTo(const caso& c, std::ostream* os) { *os << c.nome; }

class Diagnostica : public testing::TestWithParam<caso> {};

void confronta(const fs::path& golden, const std::string& visto) {
  if (std::getenv("SB_UPDATE_GOLDEN")) {
    prova::scrivi_file(golden, visto);
    return;
  }
  ASSERT_TRUE(fs::exists(golden)) << golden << " is missing; run with SB_UPDATE_GOLDEN=1";
  EXPECT_EQ(visto, prova::leggi_file(golden)) << golden;
}

TEST_P(Diagnostica, MessaggiComeAttesi) {
  const caso& c = GetParam();
  const fs::path dati = fs::path(SB_TESTDATA);
  prova::cartella_temporanea out;
  // Run from the data folder so the messages name the texts as the author typed them.
  std::vector<std::string> args = {"compile", "--line", c.linea, "--run", c.corsa, "--out", out.str()};
  std::string so, se;
  int u = prova::esegui(SB_TOOL_PATH, args, &so, &se, dati.string());
  confronta(dati / "golden" / (std::string(c.nome) + ".stderr"), "exit " + std::to_string(u) + "\n" + se);
  args.push_back("--json");
  prova::cartella_temporanea out2;
  args[6] = out2.str();
  prova::esegui(SB_TOOL_PATH, args, &so, &se, dati.string());
  confronta(dati / "golden" / (std::string(c.nome) + ".json"), so);
}

INSTANTIATE_TEST_SUITE_P(
    Casi, Diagnostica,
    testing::Values(caso{"pulito", "piccola_linea.txt", "piccola_corsa.txt"},
                    caso{"linea_oltre_la_tabella", "diag/linea_oltre.txt", "piccola_corsa.txt"},
                    caso{"cartello_su_cartello", "diag/linea_cartelli.txt", "piccola_corsa.txt"},
                    caso{"curva_senza_cifra", "diag/linea_curva.txt", "piccola_corsa.txt"},
                    caso{"linea_troppo_lunga", "diag/linea_lunga.txt", "piccola_corsa.txt"},
                    caso{"ripetizione_storta", "diag/linea_ripetizione.txt", "piccola_corsa.txt"},
                    caso{"progressiva_storta", "diag/linea_progressive.txt", "piccola_corsa.txt"},
                    caso{"senza_generale", "diag/linea_senza_generale.txt", "piccola_corsa.txt"},
                    caso{"senza_lunghezza", "linea_senza_lunghezza.txt", "piccola_corsa.txt"},
                    caso{"linea_mancante", "manca.txt", "piccola_corsa.txt"},
                    caso{"testo_utf8", "diag/linea_utf8.txt", "piccola_corsa.txt"},
                    caso{"segnale_su_fermata", "piccola_linea.txt", "corsa_segnale_occupato.txt"},
                    caso{"stazioni_vicine", "piccola_linea.txt", "diag/corsa_stazioni_vicine.txt"},
                    caso{"stazione_fuori_passo", "piccola_linea.txt", "diag/corsa_stazione_posizione.txt"},
                    caso{"riga_tronca", "piccola_linea.txt", "diag/corsa_tronca.txt"},
                    caso{"numero_troppo_grande", "piccola_linea.txt", "diag/corsa_numero_grande.txt"},
                    caso{"avviso_occupato", "piccola_linea.txt", "diag/corsa_rallentamento.txt"},
                    caso{"abbattimento_su_fermata", "piccola_linea.txt", "diag/corsa_abbattimento.txt"},
                    caso{"corsa_mancante", "piccola_linea.txt", "manca.txt"},
                    caso{"righe_solo_lf", "piccola_linea.txt", "diag/corsa_lf.txt"},
                    caso{"validazione_segnali", "piccola_linea.txt", "diag/corsa_validazione.txt"},
                    caso{"validazione_finestre", "piccola_linea.txt", "diag/corsa_finestre.txt"},
                    caso{"cartello_a_zero", "linea_cartello_a_zero.txt", "piccola_corsa.txt"}),
    [](const auto& i) { return std::string(i.param.nome); });

TEST(RigaDi, FineRigaDiOgniTipo) {
  struct {
    std::string testo;
    std::size_t offset;
    int riga;
  } casi[] = {{"a\r\nb\r\nc", 6, 3}, {"a\nb\nc", 4, 3}, {"a\rb\rc", 4, 3}, {"a\n\n\nb", 4, 4}, {"abc", 2, 1}};
  for (const auto& k : casi) EXPECT_EQ(build::riga_di(k.testo, k.offset), k.riga) << k.testo;
}

TEST(ProgressivaKm, DaiRiferimenti) {
  model::tabella_stazioni t;
  t[81] = {};
  t[81].valore1 = 104250, t[81].valore2 = 100, t[81].valore3 = 1;
  t[82].valore1 = 0, t[82].valore2 = -2000;
  t[83].valore1 = 0, t[83].valore2 = 100, t[83].valore3 = 1;
  EXPECT_EQ(build::progressiva_km(t, 98500), "96+500");
  EXPECT_EQ(build::progressiva_km(t, 800), "-1+200");
  EXPECT_EQ(build::progressiva_km(t, 104500), "0+250");
  model::tabella_stazioni vuota;
  EXPECT_EQ(build::progressiva_km(vuota, 800), std::nullopt);
}

}  // namespace
