// The track cells: one cell for every 50 m of route, from the origin to
// 7000 m beyond the route's end, cells 0 to D with D = R((L + 7000) / 50).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "model/arrotonda.hpp"

namespace model {

// Kinds of point item a cell can hold.
enum elemento_cella : std::uint8_t {
  el_nessuno = 0,
  el_segnale = 1,
  el_fine_rallentamento = 2,
  el_inizio_rallentamento = 3,
  el_avviso_rallentamento = 4,
  el_zona_avviso = 5,
  el_indicatore_vmax = 6,
  el_fermata = 10,
  el_montagna = 11,
  el_abbattimento = 12,
  el_abbattimento_nullo = 13,
  el_cartello = 14,
};

struct cella {
  std::uint8_t elemento = 0;
  std::int16_t dato1 = 0;
  std::int16_t dato2 = 0;
  std::int16_t dato3 = 0;
  std::int16_t dato4 = 0;
  std::uint8_t tempo_segnale = 0;
  std::uint8_t preavviso = 0;
  std::uint8_t montagna = 0;
  std::uint8_t velocita = 0;
  std::uint8_t pendenza = 0;
  std::uint8_t aderenza = 0;

  // A cell is free for a point item when it is empty or holds a mountain
  // marker, the one item later items may replace.
  bool libera() const { return elemento == el_nessuno || elemento == el_montagna; }
  bool operator==(const cella&) const = default;
};

// The last cell index for a route length L.
inline std::int64_t ultima_cella_per(std::int64_t lunghezza) {
  return R(static_cast<double>(lunghezza + 7000) / 50.0);
}

class percorso {
 public:
  bool esiste() const { return esiste_; }
  // Creates the table with cells 0 to d, every field 0, discarding any content.
  void crea(std::int64_t d) {
    celle_.assign(static_cast<std::size_t>(d + 1), cella{});
    d_ = d;
    esiste_ = true;
  }
  // The last index D.
  std::int64_t D() const { return d_; }
  bool valida(std::int64_t i) const { return esiste_ && i >= 0 && i <= d_; }
  // Cell i, or nullptr when i is outside 0..D: nothing outside is read or written.
  cella* at(std::int64_t i) { return valida(i) ? &celle_[static_cast<std::size_t>(i)] : nullptr; }
  const cella* at(std::int64_t i) const {
    return valida(i) ? &celle_[static_cast<std::size_t>(i)] : nullptr;
  }
  // Outside the table a cell is never free.
  bool libera(std::int64_t i) const {
    const cella* c = at(i);
    return c != nullptr && c->libera();
  }
  std::uint8_t elemento(std::int64_t i) const {
    const cella* c = at(i);
    return c ? c->elemento : 0;
  }
  const std::vector<cella>& celle() const { return celle_; }

 private:
  std::vector<cella> celle_;
  std::int64_t d_ = -1;
  bool esiste_ = false;
};

}  // namespace model
