#include "scenario_sintetico.hpp"

#include <algorithm>
#include <vector>

namespace banco {
namespace {

std::string riga(std::initializer_list<std::string> item) {
  std::string r;
  for (const auto& i : item) r += (r.empty() ? "" : ", ") + i;
  return r;
}

std::string n(std::int64_t v) { return std::to_string(v); }

}  // namespace

// One stretch of 2000 m from b, in cells from B = b / 50 (relative cells):
//   1, 21   signals (their approach marks go into the cells before)
//   3, 25   speed indicator boards
//   5, 27   code reductions
//   7-10    the slowdown's warning zone, 11 its warning cell
//   14      a station's stop cell (stations: type 1, 400 m long, at b + 550)
//   33      an indicator sign
//   35, 37  the slowdown's start and end (40 km/h over 100 m)
// The validation pass then puts code reductions into cell 0 (after the
// slowdown before), 39 of the stretch before (ahead of signal 1, which
// precedes the warning cell) and 30, 24, 17 (the windows ahead of the start).
scenario_sintetico genera(std::int32_t lunghezza, int passo) {
  scenario_sintetico s;
  const std::int64_t tratti = lunghezza / 2000;
  std::vector<std::int64_t> usati;
  for (std::int64_t k = 1; k + 1 <= tratti; ++k) {
    if (k % passo == 0) usati.push_back(k);
  }
  const std::size_t ogni_stazione = std::max<std::size_t>(1, (usati.size() + 62) / 63);
  const std::size_t ogni_cartello = std::max<std::size_t>(1, (usati.size() + 14) / 15);

  std::vector<std::string> l = {"[generale]",
       riga({"lunghezza percorso", n(lunghezza)}),
       "progressiva chilometrica uno, 0, 100000, 0",
       "sfondo uno, 1",
       "sfondo due, 2",
       "sfondo tre, 3",
       riga({"ripetizione segnali 4 codici", "0", n(lunghezza)}),
       "[curve]"};
  for (std::int64_t k : usati) {
    const std::int64_t b = 2000 * k;
    l.push_back(riga({"curvad4", n(b + 200), "300"}));
    l.push_back(riga({k % 3 == 0 ? "curvas3" : "curvas4", n(b + 1200), "300"}));
    s.righe += 2;
  }
  l.push_back("[pendenze]");
  for (std::int64_t k : usati) {
    for (int j = 0; j < 8; ++j) l.push_back(riga({"pendenza", n(2000 * k + 250 * j), n((k + j) % 21 - 10)}));
    s.righe += 8;
  }
  l.push_back("[linea]");
  std::size_t contati = 0;
  for (std::int64_t k : usati) {
    const std::int64_t b = 2000 * k;
    l.push_back(riga({"montagna", n(b + 100), n(b + 500), "12"}));
    l.push_back(riga({"montagna", n(b + 1100), n(b + 1500), "2"}));
    l.push_back(riga({"indicatori_vmax", n(b + 100), "8", "6", "5", "1", "8", "6", "5", "1"}));
    l.push_back(riga({"indicatori_vmax", n(b + 1200), "7", "5", "4", "2", "7", "5", "4", "2"}));
    s.righe += 4;
    s.cartelli_v += 2;
    if (contati++ % ogni_cartello == 0 && s.cartelli < 15) {
      l.push_back(riga({"cartello_indicatore", n(b + 1600), "(Tratto)(" + n(k) + ")"}));
      ++s.righe;
      ++s.cartelli;
    }
  }
  l.push_back("[fine]");

  std::vector<std::string> t = {"Corsa sintetica per le misure.",
       "[generale]",
       "percentuale massa frenata, 80",
       "numero vetture, 8",
       "orologio, 8, 0, 0",
       "sabbia, 1"};
  contati = 0;
  for (std::int64_t k : usati) {
    const std::int64_t b = 2000 * k;
    t.push_back(riga({"velocita", n(b), "100"}));
    t.push_back(riga({"aderenza", n(b), "100"}));
    t.push_back(riga({"segnale", n(b), "1", "5", "6", "0", "1", "0", "0", "0", "0", "0"}));
    t.push_back(riga({"abbattimento", n(b + 250), "120"}));
    if (contati++ % ogni_stazione == 0 && s.stazioni < 63) {
      const std::int64_t minuti = s.stazioni * 10;
      t.push_back(riga({"stazione", n(b + 550), "1", "400", "0", "0", "0", "0", "0", "0", "0", "0", "0", "1",
                        n(8 + minuti / 60), n(minuti % 60), "0", "STAZIONE " + n(s.stazioni + 1)}));
      ++s.stazioni;
      ++s.righe;
    }
    t.push_back(riga({"velocita", n(b + 1000), "120"}));
    t.push_back(riga({"aderenza", n(b + 1000), "90"}));
    t.push_back(riga({"segnale", n(b + 1000), "1", "5", "6", "0", "1", "0", "0", "0", "0", "0"}));
    t.push_back(riga({"abbattimento", n(b + 1350), "150"}));
    t.push_back(riga({"rallentamento", n(b + 1700), "40", "100", "1", "1", "0"}));
    s.righe += 9;
    s.segnali += 2;
    s.abbattimenti += 2;
    s.rallentamenti += 1;
  }
  t.push_back("[fine]");
  for (const auto& r : l) s.linea += r + "\r\n";
  for (const auto& r : t) s.treno += r + "\r\n";
  return s;
}

}  // namespace banco
