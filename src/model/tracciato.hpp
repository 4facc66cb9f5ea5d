// The per-metre plan of the track: for each point m = 0 to M (M = L + 7000)
// an x and a y, each empty, a 16-bit integer (points 0 and 1) or a 64-bit
// float. Points are computed in order from 2 upward and never skipped, so the
// table holds the computed coordinates contiguously and the tags follow from
// how far the computation got.
#pragma once

#include <cstdint>
#include <vector>

namespace model {

enum class tipo_valore : std::uint16_t { vuoto = 0, intero16 = 2, reale = 5 };

struct valore_tracciato {
  tipo_valore tipo = tipo_valore::vuoto;
  double valore = 0;  // a 16-bit integer is held exactly as a double
};

class tracciato {
 public:
  bool esiste() const { return esiste_; }
  // Sizes the plan to points 0..m, all empty.
  void crea(std::int64_t m) {
    x_.clear();
    y_.clear();
    x_.shrink_to_fit();
    y_.shrink_to_fit();
    if (m + 1 > 0) {
      x_.reserve(static_cast<std::size_t>(m + 1));
      y_.reserve(static_cast<std::size_t>(m + 1));
    }
    m_ = m;
    esiste_ = true;
  }
  void elimina() {
    *this = tracciato{};
  }
  std::int64_t M() const { return m_; }
  // Number of points computed so far (0, 1 and then 2, 3, … in order).
  std::int64_t calcolati() const { return static_cast<std::int64_t>(x_.size()); }

  // Points 0 and 1: (0, 0) and (0, 1), as 16-bit integers.
  void punti_iniziali() {
    x_.assign({0.0, 0.0});
    y_.assign({0.0, 1.0});
  }
  // Appends the next point; the caller keeps it within 0..M.
  void aggiungi(double x, double y) {
    x_.push_back(x);
    y_.push_back(y);
  }
  double x(std::int64_t j) const { return x_[static_cast<std::size_t>(j)]; }
  double y(std::int64_t j) const { return y_[static_cast<std::size_t>(j)]; }

  // The tagged value of point j, coordinate c (0 = x, 1 = y).
  valore_tracciato valore(std::int64_t j, int c) const {
    if (j < 0 || j >= calcolati()) return {};
    double v = c == 0 ? x(j) : y(j);
    return {j < 2 ? tipo_valore::intero16 : tipo_valore::reale, v};
  }

 private:
  std::vector<double> x_;
  std::vector<double> y_;
  std::int64_t m_ = -1;
  bool esiste_ = false;
};

}  // namespace model
