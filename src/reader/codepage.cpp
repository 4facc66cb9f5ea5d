#include "reader/codepage.hpp"

#include <cstdint>

namespace reader {
namespace {

// Characters of bytes 0x80 to 0x9F; 0 where the code page has none.
constexpr char32_t alti[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// The byte for a character, or -1.
int byte_per(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (int k = 0; k < 32; ++k) {
    if (alti[k] == c && c != 0) return 0x80 + k;
  }
  // The unassigned bytes travel as the control characters of the same number.
  if (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D) return static_cast<int>(c);
  return -1;
}

// Decodes one UTF-8 character at s[i] and advances i past it. On a
// malformed sequence it skips one byte and returns false.
bool decodifica(std::string_view s, std::size_t& i, char32_t& out) {
  auto b = static_cast<unsigned char>(s[i]);
  int n = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
  if (n == 0) {
    out = b;
    ++i;
    return true;
  }
  if (n < 0 || s.size() - i <= static_cast<std::size_t>(n)) {
    ++i;
    return false;
  }
  char32_t c = b & (0x3F >> n);
  for (int k = 1; k <= n; ++k) {
    auto t = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
    if ((t & 0xC0) != 0x80) {
      ++i;
      return false;
    }
    c = (c << 6) | (t & 0x3F);
  }
  static constexpr char32_t minimo[4] = {0, 0x80, 0x800, 0x10000};
  if (c < minimo[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++i;
    return false;
  }
  i += static_cast<std::size_t>(n) + 1;
  out = c;
  return true;
}

void codifica(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string utf8_a_cp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    char32_t c;
    int b = decodifica(utf8, i, c) ? byte_per(c) : -1;
    out += b < 0 ? '?' : static_cast<char>(b);
  }
  return out;
}

std::string cp1252_a_utf8(std::string_view byte) {
  std::string out;
  out.reserve(byte.size());
  for (char ch : byte) {
    auto b = static_cast<unsigned char>(ch);
    char32_t c = b;
    if (b >= 0x80 && b < 0xA0 && alti[b - 0x80] != 0) c = alti[b - 0x80];
    codifica(c, out);
  }
  return out;
}

unsigned char minuscola(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
  }
}

}  // namespace reader
