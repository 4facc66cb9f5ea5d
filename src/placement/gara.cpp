// The competition codes: two checksums of the scenario's identity, stored
// with two fixed values in reserved places of the cell and record tables.
#include <array>
#include <cstdint>
#include <string>

#include "placement/placement.hpp"
#include "reader/codepage.hpp"

namespace placement {
namespace {

constexpr std::string_view coda = "aabbccddeeffgghhiillmmnnoo";
constexpr std::size_t lunghezza_codice = 25;

// The code text: scenario code and name, in lower case, padded with the
// fixed letters, cut to 25 characters (Windows-1252 bytes).
std::string testo_codice(const model::stato_build& s) {
  std::string t = s.tabella[model::voce_segnalamento].testo + s.tabella[model::voce_scenario].testo;
  for (char& c : t) c = static_cast<char>(reader::minuscola(static_cast<unsigned char>(c)));
  t += coda;
  t.resize(lunghezza_codice);
  return t;
}

}  // namespace

std::int32_t codice_gara_og(const model::stato_build& s) {
  std::int32_t somma = 0;
  for (char c : testo_codice(s)) somma += static_cast<unsigned char>(c);
  return somma;
}

std::int32_t codice_gara_st(const model::stato_build& s) {
  std::int32_t somma = 0;
  std::string t = testo_codice(s);
  for (std::size_t p = 0; p < t.size(); ++p) {
    somma += static_cast<std::int32_t>(p + 1) * static_cast<unsigned char>(t[p]);
  }
  return somma;
}

std::int32_t memorizza_codici(model::stato_build& s) {
  model::voce_stazione& scenario = s.tabella[model::voce_scenario];
  model::cella* prima = s.celle.at(1);
  if (prima == nullptr) return 1250;  // no cell 1 to hold the fixed value
  if (scenario.intero1 != 0 || prima->dato1 != 0) return 1250;
  scenario.intero1 = 610;
  prima->dato1 = 5121;
  if (scenario.orario != 0 || prima->dato2 != 0) return 1251;
  scenario.orario = codice_gara_st(s);
  prima->dato2 = static_cast<std::int16_t>(codice_gara_og(s));
  return 0;
}

}  // namespace placement
