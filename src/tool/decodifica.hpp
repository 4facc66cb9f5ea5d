// What the values of the record and cell files mean, shared by `dump` and
// `plot`: the kinds of point item spelled out, the packed values of signals
// and boards taken apart, the role of each record slot, and opening a file.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

#include "model/lettura_binari.hpp"
#include "model/percorso.hpp"
#include "model/stazioni.hpp"

namespace tool {

// Exit statuses of the reading verbs, beside build::uscita_uso (64).
constexpr int uscita_dati = 65;      // a file does not have its layout
constexpr int uscita_ingresso = 66;  // a file cannot be opened

// Opens a file (UTF-8 name) for binary reading and gives its size; on failure
// `errore` says why.
bool apri_binario(const std::string& nome, std::ifstream& in, std::uint64_t& dimensione, std::string& errore);

// The file name without its folder, as shown in headers.
std::string nome_breve(const std::string& percorso);

// Windows-1252 bytes as UTF-8.
std::string utf8(std::string_view cp1252);

// Seconds after midnight as h:mm:ss (hours may pass 23; negative times keep their sign).
std::string orario_hms(std::int64_t secondi);
std::string hms(std::int64_t h, std::int64_t m, std::int64_t s);

// ---- cells -------------------------------------------------------------

// The kind of point item, spelled out ("signal", "slowdown start", …), and a
// short key for JSON ("signal", "slowdown_start", …). Unknown codes give "".
const char* nome_elemento(std::uint8_t elemento);
const char* chiave_elemento(std::uint8_t elemento);

// A cell with every field 0.
bool cella_vuota(const model::cella& c);

// A signal's values: digit pairs s·10 + d in dato1 to dato3, and
// rapp·10 + sx·3 + dx in dato4.
struct segnale {
  int s[3], d[3];
  int rapp, sx, dx;
};
segnale decodifica_segnale(const model::cella& c);

// A speed indicator board value speed·20 + right-hand speed / 5.
struct velocita_cartello {
  int sinistra, destra;
};
velocita_cartello decodifica_velocita(std::int16_t dato);
// Stripes left·10 + right.
velocita_cartello decodifica_strisce(std::int16_t dato4);

// Speed limit in km/h and gradient in per mille from the cell fields.
inline int kmh(const model::cella& c) { return c.velocita * 5; }
inline int pendenza(const model::cella& c) { return static_cast<int>(c.pendenza) - 100; }

// ---- records -----------------------------------------------------------

enum class ruolo { inutilizzata, stazione, cartello, progressiva, treno, scenario, segnalamento };

// The role of slot `n`: 81 to 86 by their number; in 1 to 80 a record with
// a number is a station, one with only a text an indicator sign.
ruolo ruolo_voce(int n, const model::voce_stazione& v);
const char* nome_ruolo(ruolo r);   // "station", "indicator sign", …
const char* chiave_ruolo(ruolo r); // "station", "sign", …

}  // namespace tool
