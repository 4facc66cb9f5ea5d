// Little-endian packing of the output files, whatever the host's byte order.
// Bytes are gathered in a small buffer and handed on in chunks, so a file of
// twenty million bytes never sits whole in memory.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace model {

class scrittore_byte {
 public:
  virtual ~scrittore_byte() = default;

  void u8(std::uint8_t v) { metti(&v, 1); }
  void u16(std::uint16_t v) {
    std::uint8_t b[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
    metti(b, 2);
  }
  void i16(std::int16_t v) { u16(static_cast<std::uint16_t>(v)); }
  void i32(std::int32_t v) {
    auto u = static_cast<std::uint32_t>(v);
    std::uint8_t b[4];
    for (int k = 0; k < 4; ++k) b[k] = static_cast<std::uint8_t>(u >> (8 * k));
    metti(b, 4);
  }
  void f64(double v) {
    std::uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    std::uint8_t b[8];
    for (int k = 0; k < 8; ++k) b[k] = static_cast<std::uint8_t>(u >> (8 * k));
    metti(b, 8);
  }
  void byte(std::string_view s) { metti(s.data(), s.size()); }

  // Hands on what is still buffered. False once any chunk was refused.
  bool svuota() {
    if (n_ > 0 && ok_) ok_ = scarica(buf_.data(), n_);
    n_ = 0;
    return ok_;
  }
  bool ok() const { return ok_; }

 protected:
  // Receives each chunk; false stops the writing.
  virtual bool scarica(const std::uint8_t* dati, std::size_t n) = 0;

 private:
  void metti(const void* p, std::size_t n) {
    // The common case, a value that fits the buffer: inlined into the callers
    // with n known, it is a plain store.
    if (n <= buf_.size() - n_) {
      std::memcpy(buf_.data() + n_, p, n);
      n_ += n;
      return;
    }
    metti_a_pezzi(p, n);
  }
  void metti_a_pezzi(const void* p, std::size_t n) {
    const auto* b = static_cast<const std::uint8_t*>(p);
    while (n > 0) {
      if (n_ == buf_.size() && !svuota()) return;
      std::size_t k = std::min(n, buf_.size() - n_);
      std::memcpy(buf_.data() + n_, b, k);
      n_ += k;
      b += k;
      n -= k;
    }
  }

  std::array<std::uint8_t, 65536> buf_{};
  std::size_t n_ = 0;
  bool ok_ = true;
};

// Gathers the bytes in memory: for tests and for small files.
class scrittore_memoria final : public scrittore_byte {
 public:
  std::string dati;

 protected:
  bool scarica(const std::uint8_t* p, std::size_t n) override {
    dati.append(reinterpret_cast<const char*>(p), n);
    return true;
  }
};

}  // namespace model
