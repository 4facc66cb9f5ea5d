#include "model/file_binari.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

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

namespace {

// Little-endian values packed into a buffer of the caller's.
std::uint8_t* le16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  return p + 2;
}
std::uint8_t* le64(std::uint8_t* p, double d) {
  std::uint64_t u;
  std::memcpy(&u, &d, sizeof u);
  for (int k = 0; k < 8; ++k) p[k] = static_cast<std::uint8_t>(u >> (8 * k));
  return p + 8;
}

}  // namespace

// The plan is most of what a build writes (twenty million bytes for the
// longest route): its values are packed into a local buffer, where the
// compiler can keep the position in a register, and handed on a chunk at a
// time. The tags follow from the index: points 0 and 1 are 16-bit integers,
// then floats as far as the plan was computed, then empty points.
void scrivi_tracciato(const tracciato& t, scrittore_byte& w) {
  constexpr std::size_t valore_massimo = 10;  // tag and float
  std::array<std::uint8_t, 8192 * valore_massimo> buf;
  std::uint8_t* p = buf.data();
  auto spazio = [&] {
    if (static_cast<std::size_t>(buf.data() + buf.size() - p) < valore_massimo) {
      w.byte(std::string_view(reinterpret_cast<const char*>(buf.data()), static_cast<std::size_t>(p - buf.data())));
      p = buf.data();
    }
  };
  const std::int64_t calcolati = std::min(t.calcolati(), t.M() + 1);
  const std::int64_t interi = std::min<std::int64_t>(calcolati, 2);
  for (int c = 0; c < 2; ++c) {
    std::int64_t j = 0;
    for (; j < interi; ++j) {
      spazio();
      p = le16(p, static_cast<std::uint16_t>(tipo_valore::intero16));
      p = le16(p, static_cast<std::uint16_t>(static_cast<std::int16_t>(c == 0 ? t.x(j) : t.y(j))));
    }
    for (; j < calcolati; ++j) {
      spazio();
      p = le16(p, static_cast<std::uint16_t>(tipo_valore::reale));
      p = le64(p, c == 0 ? t.x(j) : t.y(j));
    }
    for (; j <= t.M(); ++j) {
      spazio();
      p = le16(p, static_cast<std::uint16_t>(tipo_valore::vuoto));
    }
  }
  w.byte(std::string_view(reinterpret_cast<const char*>(buf.data()), static_cast<std::size_t>(p - buf.data())));
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
