// The item reader on arbitrary bytes: string reads and number reads, mixed in
// an order the input itself chooses, always to the end of the text. Every read
// must consume at least one byte while bytes remain (the compilers loop on
// it), items never hold a separator, and a number read gives the value of its
// item or fails exactly when that value does not fit.
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "comune.hpp"
#include "reader/codepage.hpp"
#include "reader/testo.hpp"

namespace {

bool separatore_item(char c) { return c == ',' || c == '\r' || c == '\n'; }

// The item a number read looks at, found independently of the reader: from
// `da`, past the blanks, up to a blank, a comma or a line end.
std::string_view item_numero(std::string_view t, std::size_t da) {
  while (da < t.size() && t[da] == ' ') ++da;
  std::size_t a = da;
  while (a < t.size() && t[a] != ' ' && !separatore_item(t[a])) ++a;
  return t.substr(da, a - da);
}

// The value the text rules give an item: an optional "-" and decimal digits,
// anything else 0; nullopt when it does not fit 64 bits.
bool valore_atteso(std::string_view item, std::int64_t& v) {
  v = 0;
  bool meno = !item.empty() && item[0] == '-';
  std::string_view cifre = meno ? item.substr(1) : item;
  if (cifre.empty()) return true;
  for (char c : cifre)
    if (c < '0' || c > '9') return true;
  std::uint64_t u = 0;
  auto [p, ec] = std::from_chars(cifre.data(), cifre.data() + cifre.size(), u);
  if (ec != std::errc() || p != cifre.data() + cifre.size()) return false;
  if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return false;
  v = meno ? -static_cast<std::int64_t>(u) : static_cast<std::int64_t>(u);
  return true;
}

template <class T>
void leggi_intero(reader::lettore& r, std::string_view t) {
  const std::size_t prima = r.posizione();
  std::int64_t atteso = 0;
  const bool entra = valore_atteso(item_numero(t, prima), atteso);
  T v{};
  const bool ok = r.leggi(v);
  const bool nel_tipo = entra && atteso >= std::numeric_limits<T>::min() && atteso <= std::numeric_limits<T>::max();
  FUZZ_CONTROLLA(ok == nel_tipo);
  if (ok) FUZZ_CONTROLLA(static_cast<std::int64_t>(v) == atteso);
  FUZZ_CONTROLLA(r.posizione() > prima);
}

void leggi_stringa(reader::lettore& r) {
  const std::size_t prima = r.posizione();
  std::string item;
  FUZZ_CONTROLLA(r.leggi_stringa(item));
  FUZZ_CONTROLLA(r.posizione() > prima);
  for (char c : item) FUZZ_CONTROLLA(!separatore_item(c));
  if (!item.empty()) FUZZ_CONTROLLA(item.front() != ' ' && item.back() != ' ');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
  const std::string_view t(reinterpret_cast<const char*>(dati), n);

  // Strings only, to the end.
  {
    reader::lettore r(t);
    while (!r.fine()) leggi_stringa(r);
    std::string item;
    FUZZ_CONTROLLA(!r.leggi_stringa(item));
    FUZZ_CONTROLLA(r.posizione() == n);
  }

  // Every kind of read, in the order the bytes choose.
  {
    reader::lettore r(t);
    while (!r.fine()) {
      switch (static_cast<unsigned char>(t[r.posizione()]) % 5) {
        case 0: leggi_stringa(r); break;
        case 1: leggi_intero<std::int32_t>(r, t); break;
        case 2: leggi_intero<std::int16_t>(r, t); break;
        case 3: leggi_intero<std::uint8_t>(r, t); break;
        default: {
          const std::size_t prima = r.posizione();
          std::int64_t v = 0;
          if (r.leggi_numero(-1000, 1000, v)) FUZZ_CONTROLLA(v >= -1000 && v <= 1000);
          FUZZ_CONTROLLA(r.posizione() > prima);
        }
      }
      FUZZ_CONTROLLA(r.posizione() <= n);
    }
    std::int32_t v = 0;
    FUZZ_CONTROLLA(!r.leggi(v));
  }

  // The code page loses nothing: any bytes come back from UTF-8 unchanged.
  FUZZ_CONTROLLA(reader::utf8_a_cp1252(reader::cp1252_a_utf8(t)) == t);
  return 0;
}
