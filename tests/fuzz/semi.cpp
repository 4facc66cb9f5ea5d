// Writes the seed corpora of the three harnesses into OUTDIR/lettore,
// OUTDIR/compila and OUTDIR/binari:
//   fuzz_semi OUTDIR LINE_OR_RUN_TEXT...
// The texts given on the command line (a line description is a text that
// names the route length) and the embedded scenario's two texts seed the item
// reader; each line description is joined with a train run the way
// fuzz_compila splits its input; and the files the build writes for them,
// with a short plan, seed the decoders.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "build/build.hpp"
#include "comune.hpp"
#include "model/file_binari.hpp"
#include "reader/testo.hpp"
#include "scenario/scenario.hpp"

namespace fs = std::filesystem;

namespace {

std::string leggi(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void scrivi(const fs::path& p, const std::string& b) {
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(b.data(), static_cast<std::streamsize>(b.size()));
}

template <class F>
std::string in_memoria(F&& f) {
  model::scrittore_memoria w;
  f(w);
  w.svuota();
  return w.dati;
}

struct testo {
  std::string nome, byte;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: fuzz_semi OUTDIR [TEXT...]\n";
    return 64;
  }
  const fs::path out = argv[1];
  for (const char* d : {"lettore", "compila", "binari"}) fs::create_directories(out / d);

  std::vector<testo> linee, corse;
  const std::string linea_inclusa = reader::componi_righe(scenario::tabella_linea());
  const std::string corsa_inclusa = reader::componi_righe(scenario::tabella_treno());
  if (!linea_inclusa.empty()) linee.push_back({"inclusa", linea_inclusa});
  if (!corsa_inclusa.empty()) corse.push_back({"inclusa", corsa_inclusa});
  for (int k = 2; k < argc; ++k) {
    const fs::path p = argv[k];
    testo t{p.stem().string(), leggi(p)};
    std::string minuscolo = t.byte;
    std::transform(minuscolo.begin(), minuscolo.end(), minuscolo.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    (minuscolo.find("lunghezza") != std::string::npos ? linee : corse).push_back(std::move(t));
  }

  int n = 0;
  for (const auto& t : linee) scrivi(out / "lettore" / ("linea_" + t.nome), t.byte);
  for (const auto& t : corse) scrivi(out / "lettore" / ("corsa_" + t.nome), t.byte);

  // Each line description with each of the first two train runs, and each
  // train run with each of the first two line descriptions.
  auto unisci = [&](const testo& l, const testo& c) {
    scrivi(out / "compila" / (l.nome + "+" + c.nome),
           l.byte + std::string(fuzz::separatore) + c.byte);
    ++n;
  };
  for (std::size_t i = 0; i < linee.size(); ++i)
    for (std::size_t j = 0; j < corse.size(); ++j)
      if (i < 2 || j < 2) unisci(linee[i], corse[j]);

  // The record and cell files of every build that makes a cell table.
  for (std::size_t i = 0; i < linee.size() && i < 4; ++i) {
    model::stato_build s;
    s.nome_scenario = std::string(build::nome_predefinito);
    s.codice_scenario = std::string(build::codice_predefinito);
    reader::testi_scenario testi;
    testi.linea = {true, true, linee[i].byte, false};
    testi.treno = {true, true, corse.empty() ? std::string() : corse.front().byte, false};
    build::compila(s, 0, testi);
    if (!s.celle.esiste()) continue;
    scrivi(out / "binari" / (linee[i].nome + ".sim"),
           in_memoria([&](model::scrittore_byte& w) { model::scrivi_record(s.tabella, w); }));
    scrivi(out / "binari" / (linee[i].nome + ".dat"),
           in_memoria([&](model::scrittore_byte& w) { model::scrivi_celle(s.celle, w); }));
  }
  // A short plan: the tags of a whole one (integers, floats, empty points)
  // in a few hundred bytes.
  model::tracciato t;
  t.crea(24);
  t.punti_iniziali();
  for (int j = 2; j <= 22; ++j) t.aggiungi(0.001 * j * j, j - 0.5);
  scrivi(out / "binari" / "piano_corto", in_memoria([&](model::scrittore_byte& w) { model::scrivi_tracciato(t, w); }));

  std::cout << "seeds: " << linee.size() + corse.size() << " texts, " << n << " joined inputs\n";
  return 0;
}
