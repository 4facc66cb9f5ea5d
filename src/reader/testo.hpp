// Scenario texts: lines written from a line table, and read back item by item.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace reader {

// The entry that ends a line table; it is never written.
constexpr std::string_view fine_tabella = "riferimento fine del file";
// A line table has room for this many entries.
constexpr std::size_t capienza_tabella = 1001;

// The bytes of a text file for a line table: every entry before the end
// marker, in Windows-1252, each followed by CR LF.
std::string componi_righe(std::span<const std::string_view> righe);

// Reads a text item by item. It holds only the text and the read position.
class lettore {
 public:
  explicit lettore(std::string_view testo) : testo_(testo) {}

  // True exactly when every byte of the text has been consumed.
  bool fine() const { return pos_ >= testo_.size(); }
  std::size_t posizione() const { return pos_; }

  // One text item: up to the next comma or line end, without the blanks
  // before and after it. Fails only when no byte remains.
  bool leggi_stringa(std::string& item);

  // One number item into a target of the given range. Fails when no byte
  // remains or the value does not fit the target.
  bool leggi_numero(std::int64_t minimo, std::int64_t massimo, std::int64_t& valore);
  bool leggi(std::int32_t& v);
  bool leggi(std::int16_t& v);
  bool leggi(std::uint8_t& v);

 private:
  bool a_capo(std::size_t i) const { return testo_[i] == '\r' || testo_[i] == '\n'; }
  void salta_blank();
  void consuma_a_capo();

  std::string_view testo_;
  std::size_t pos_ = 0;
};

// The value of a number item's text: an optional "-" and decimal digits give
// their value, anything else 0. `fuori` is set when the value is too large
// for 64 bits.
std::int64_t valore_numero(std::string_view t, bool& fuori);

// Text tests the compilers use on items (substring tests).
bool contiene(std::string_view item, std::string_view parte);
bool contiene_nc(std::string_view item, std::string_view parte);  // any case

}  // namespace reader
