#include "model/file_binari.hpp"

#include <algorithm>

namespace model {

void scrivi_record(const tabella_stazioni& t, scrittore_byte& w) {
  for (const voce_stazione& v : t.voci) {
    // The length field is 16 bits; a longer text is cut so the record stays readable.
    std::size_t n = std::min<std::size_t>(v.testo.size(), 0xFFFF);
    w.u8(v.tipo_stazione);
    w.i32(v.valore1);
    w.i32(v.valore2);
    w.i32(v.valore3);
    w.u8(v.opzione);
    w.u16(static_cast<std::uint16_t>(n));
    w.byte(std::string_view(v.testo).substr(0, n));
    w.i16(v.intero1);
    w.i16(v.intero2);
    w.i16(v.intero3);
    w.i16(v.intero4);
    w.i16(v.intero5);
    w.u8(v.byte1);
    w.u8(v.byte2);
    w.u8(v.byte3);
    w.u8(v.byte4);
    w.i32(v.orario);
  }
}

void scrivi_celle(const percorso& p, scrittore_byte& w) {
  for (const cella& c : p.celle()) {
    w.u8(c.elemento);
    w.i16(c.dato1);
    w.i16(c.dato2);
    w.i16(c.dato3);
    w.i16(c.dato4);
    w.u8(c.tempo_segnale);
    w.u8(c.preavviso);
    w.u8(c.montagna);
    w.u8(c.velocita);
    w.u8(c.pendenza);
    w.u8(c.aderenza);
  }
}

void scrivi_tracciato(const tracciato& t, scrittore_byte& w) {
  for (int c = 0; c < 2; ++c) {
    for (std::int64_t j = 0; j <= t.M(); ++j) {
      valore_tracciato v = t.valore(j, c);
      w.u16(static_cast<std::uint16_t>(v.tipo));
      if (v.tipo == tipo_valore::intero16) {
        w.i16(static_cast<std::int16_t>(v.valore));
      } else if (v.tipo == tipo_valore::reale) {
        w.f64(v.valore);
      }
    }
  }
}

std::uint64_t dimensione_record(const tabella_stazioni& t) {
  std::uint64_t n = 0;
  for (const voce_stazione& v : t.voci) n += byte_voce_vuota + std::min<std::size_t>(v.testo.size(), 0xFFFF);
  return n;
}

std::uint64_t dimensione_tracciato(const tracciato& t) {
  std::uint64_t n = 0;
  for (std::int64_t j = 0; j <= t.M(); ++j) {
    for (int c = 0; c < 2; ++c) {
      auto tipo = t.valore(j, c).tipo;
      n += 2 + (tipo == tipo_valore::intero16 ? 2 : tipo == tipo_valore::reale ? 8 : 0);
    }
  }
  return n;
}

}  // namespace model
