#include "tool/decodifica.hpp"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "reader/codepage.hpp"

namespace tool {

bool apri_binario(const std::string& nome, std::ifstream& in, std::uint64_t& dimensione, std::string& errore) {
  const auto p = std::filesystem::u8path(nome);
  std::error_code ec;
  auto stato = std::filesystem::status(p, ec);
  if (stato.type() == std::filesystem::file_type::not_found) {
    errore = "no such file";
    return false;
  }
  if (ec) {
    errore = ec.message();
    return false;
  }
  if (!std::filesystem::is_regular_file(stato)) {
    errore = "not a regular file";
    return false;
  }
  dimensione = std::filesystem::file_size(p, ec);
  if (ec) {
    errore = ec.message();
    return false;
  }
  in.open(p, std::ios::binary);
  if (!in) {
    errore = "cannot be opened for reading";
    return false;
  }
  return true;
}

std::string nome_breve(const std::string& percorso) {
  auto k = percorso.find_last_of("/\\");
  return k == std::string::npos ? percorso : percorso.substr(k + 1);
}

std::string utf8(std::string_view cp1252) { return reader::cp1252_a_utf8(cp1252); }

std::string hms(std::int64_t h, std::int64_t m, std::int64_t s) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", static_cast<long long>(h), static_cast<long long>(m),
                static_cast<long long>(s));
  return buf;
}

std::string orario_hms(std::int64_t secondi) {
  std::string segno = secondi < 0 ? "-" : "";
  std::int64_t a = secondi < 0 ? -secondi : secondi;
  return segno + hms(a / 3600, a / 60 % 60, a % 60);
}

const char* nome_elemento(std::uint8_t e) {
  switch (e) {
    case model::el_nessuno: return "none";
    case model::el_segnale: return "signal";
    case model::el_fine_rallentamento: return "slowdown end";
    case model::el_inizio_rallentamento: return "slowdown start";
    case model::el_avviso_rallentamento: return "slowdown warning";
    case model::el_zona_avviso: return "warning zone";
    case model::el_indicatore_vmax: return "speed indicator board";
    case model::el_fermata: return "station stop";
    case model::el_montagna: return "mountain marker";
    case model::el_abbattimento: return "code reduction";
    case model::el_abbattimento_nullo: return "code reduction <= 0";
    case model::el_cartello: return "indicator sign";
    default: return "";
  }
}

const char* chiave_elemento(std::uint8_t e) {
  switch (e) {
    case model::el_nessuno: return "none";
    case model::el_segnale: return "signal";
    case model::el_fine_rallentamento: return "slowdown_end";
    case model::el_inizio_rallentamento: return "slowdown_start";
    case model::el_avviso_rallentamento: return "slowdown_warning";
    case model::el_zona_avviso: return "warning_zone";
    case model::el_indicatore_vmax: return "speed_board";
    case model::el_fermata: return "station_stop";
    case model::el_montagna: return "mountain_marker";
    case model::el_abbattimento: return "code_reduction";
    case model::el_abbattimento_nullo: return "code_reduction_zero";
    case model::el_cartello: return "indicator_sign";
    default: return "";
  }
}

bool cella_vuota(const model::cella& c) { return c == model::cella{}; }

segnale decodifica_segnale(const model::cella& c) {
  segnale g{};
  const std::int16_t coppie[3] = {c.dato1, c.dato2, c.dato3};
  for (int k = 0; k < 3; ++k) {
    g.s[k] = coppie[k] / 10;
    g.d[k] = coppie[k] % 10;
  }
  g.rapp = c.dato4 / 10;
  g.sx = c.dato4 % 10 / 3;
  g.dx = c.dato4 % 10 % 3;
  return g;
}

velocita_cartello decodifica_velocita(std::int16_t dato) { return {dato / 20, dato % 20 * 5}; }
velocita_cartello decodifica_strisce(std::int16_t dato4) { return {dato4 / 10, dato4 % 10}; }

namespace {
bool numeri_nulli(const model::voce_stazione& v) {
  model::voce_stazione solo_testo;
  solo_testo.testo = v.testo;
  return v == solo_testo;
}
}  // namespace

ruolo ruolo_voce(int n, const model::voce_stazione& v) {
  switch (n) {
    case model::voce_progressiva_tre:
    case model::voce_progressiva_due:
    case model::voce_progressiva_uno: return ruolo::progressiva;
    case model::voce_treno: return ruolo::treno;
    case model::voce_scenario: return ruolo::scenario;
    case model::voce_segnalamento: return ruolo::segnalamento;
    default: break;
  }
  if (n == model::voce_zero) return ruolo::inutilizzata;
  if (!numeri_nulli(v)) return ruolo::stazione;
  return v.testo.empty() ? ruolo::inutilizzata : ruolo::cartello;
}

const char* nome_ruolo(ruolo r) {
  switch (r) {
    case ruolo::inutilizzata: return "unused";
    case ruolo::stazione: return "station";
    case ruolo::cartello: return "indicator sign";
    case ruolo::progressiva: return "km reference";
    case ruolo::treno: return "train";
    case ruolo::scenario: return "scenario";
    case ruolo::segnalamento: return "signalling";
  }
  return "";
}

const char* chiave_ruolo(ruolo r) {
  switch (r) {
    case ruolo::inutilizzata: return "unused";
    case ruolo::stazione: return "station";
    case ruolo::cartello: return "sign";
    case ruolo::progressiva: return "km_reference";
    case ruolo::treno: return "train";
    case ruolo::scenario: return "scenario";
    case ruolo::segnalamento: return "signalling";
  }
  return "";
}

}  // namespace tool
