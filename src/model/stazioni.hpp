// The record table: 87 records, stations from slot 1 upward, indicator sign
// texts from slot 80 downward, the scenario's general data in slots 81 to 86.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace model {

struct voce_stazione {
  std::uint8_t tipo_stazione = 0;
  std::int32_t valore1 = 0;
  std::int32_t valore2 = 0;
  std::int32_t valore3 = 0;
  std::uint8_t opzione = 0;
  std::string testo;  // Windows-1252 bytes, exactly as they will be stored
  std::int16_t intero1 = 0;
  std::int16_t intero2 = 0;
  std::int16_t intero3 = 0;
  std::int16_t intero4 = 0;
  std::int16_t intero5 = 0;
  std::uint8_t byte1 = 0;
  std::uint8_t byte2 = 0;
  std::uint8_t byte3 = 0;
  std::uint8_t byte4 = 0;
  std::int32_t orario = 0;

  bool operator==(const voce_stazione&) const = default;
};

constexpr int numero_voci = 87;
constexpr int voce_zero = 0;
constexpr int primo_cartello = 80;           // first indicator sign slot, counting down
constexpr int voce_progressiva_tre = 81;
constexpr int voce_progressiva_due = 82;
constexpr int voce_progressiva_uno = 83;
constexpr int voce_treno = 84;
constexpr int voce_scenario = 85;
constexpr int voce_segnalamento = 86;

struct tabella_stazioni {
  std::array<voce_stazione, numero_voci> voci;

  // Every number 0 and every text empty, in all 87 slots.
  void svuota() {
    for (auto& v : voci) v = voce_stazione{};
  }
  static bool valida(std::int64_t n) { return n >= 0 && n < numero_voci; }
  // Slot n, or nullptr when n is not a slot of the table.
  voce_stazione* voce(std::int64_t n) { return valida(n) ? &voci[static_cast<std::size_t>(n)] : nullptr; }
  const voce_stazione* voce(std::int64_t n) const {
    return valida(n) ? &voci[static_cast<std::size_t>(n)] : nullptr;
  }
  voce_stazione& operator[](int n) { return voci.at(static_cast<std::size_t>(n)); }
  const voce_stazione& operator[](int n) const { return voci.at(static_cast<std::size_t>(n)); }
};

}  // namespace model
