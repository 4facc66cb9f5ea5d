// Conversion of a fractional value to a whole number: to the nearest, halves
// to the even neighbour (20.5 gives 20, 21.5 gives 22). Every such conversion
// in the builder uses it: cell indices, table sizes, packed cell values.
#pragma once

#include <cmath>
#include <cstdint>

namespace model {

inline std::int64_t R(double x) {
  // nearbyint follows the default rounding mode, which rounds halves to even.
  return static_cast<std::int64_t>(std::nearbyint(x));
}

// The low 16 or 8 bits of a value, as the cell and record fields keep them.
inline std::int16_t basso16(std::int64_t v) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint64_t>(v)));
}
inline std::uint8_t basso8(std::int64_t v) {
  return static_cast<std::uint8_t>(static_cast<std::uint64_t>(v));
}

}  // namespace model
