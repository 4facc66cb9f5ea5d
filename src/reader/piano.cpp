#include "reader/piano.hpp"

#include <algorithm>
#include <limits>

#include "model/arrotonda.hpp"
#include "reader/testo.hpp"

namespace reader {
namespace {

constexpr std::int64_t punti_massimi = 1000000;

// Computes the points up to `fino` (never past M − 2, so points M − 1 and
// M stay empty), straight (k = 0) or curved by k: each step is the
// difference of the two points before it, turned by k. False once the index
// passes `limite`. The two points before the next one are carried along,
// not read back from the table.
bool avanza(model::tracciato& t, stato_piano& p, std::int64_t fino, double k, bool curvo, std::int64_t limite) {
  const std::int64_t ultimo = std::min(fino, t.M() - 2);
  std::int64_t j = p.indice_tracciato;
  if (j > ultimo) return true;
  double x2 = t.x(j - 2), y2 = t.y(j - 2), x1 = t.x(j - 1), y1 = t.y(j - 1);
  bool entro = true;
  while (j <= ultimo) {
    const double dx = x1 - x2, dy = y1 - y2;
    const double x = curvo ? x1 + (dx + k * dy) : x1 + dx;
    const double y = curvo ? y1 + (dy - k * dx) : y1 + dy;
    t.aggiungi(x, y);
    x2 = x1;
    y2 = y1;
    x1 = x;
    y1 = y;
    j += 1;
    if (j > limite) {
      entro = false;
      break;
    }
  }
  p.indice_tracciato = j;
  return entro;
}

bool estendi(model::tracciato& t, stato_piano& p, std::int64_t fino, double k, bool curvo) {
  return avanza(t, p, fino, k, curvo, punti_massimi);
}

void metti_pendenza(model::stato_build& s, stato_piano& p) {
  if (model::cella* c = s.celle.at(p.indice_pendenza)) c->pendenza = model::basso8(p.pendenza_corrente + 100);
  p.indice_pendenza += 1;
}

}  // namespace

bool curvatura_di(std::string_view parola, double& k) {
  static constexpr struct {
    char cifra;
    double valore;
  } tabella[] = {{'1', 0.0001}, {'2', 0.0002}, {'3', 0.0004}, {'4', 0.001}, {'5', 0.002}, {'6', 0.003}};
  for (const auto& v : tabella) {
    if (parola.find(v.cifra) != std::string_view::npos) {
      k = v.valore;
      if (contiene_nc(parola, "s")) k = -k;
      return true;
    }
  }
  return false;
}

void punti_iniziali(model::stato_build& s, stato_piano&) { s.piano.punti_iniziali(); }

bool curva(model::stato_build& s, stato_piano& p, std::string_view parola, std::int32_t inizio,
           std::int32_t lunghezza) {
  double k;
  if (!curvatura_di(parola, k)) return false;
  if (!estendi(s.piano, p, inizio, 0.0, false)) return false;
  return estendi(s.piano, p, static_cast<std::int64_t>(inizio) + lunghezza, k, true);
}

void pendenza(model::stato_build& s, stato_piano& p, std::int32_t posizione, std::int32_t valore) {
  std::int64_t c = model::R(posizione / 50.0);
  if (c > 0) {
    do {
      metti_pendenza(s, p);
    } while (p.indice_pendenza < c);
  }
  p.pendenza_corrente = valore;
}

void completa_pendenza(model::stato_build& s, stato_piano& p) {
  do {
    metti_pendenza(s, p);
  } while (p.indice_pendenza < s.celle.D() - 2);
}

void completa_piano(model::stato_build& s, stato_piano& p) {
  avanza(s.piano, p, s.piano.M() - 2, 0.0, false, std::numeric_limits<std::int64_t>::max());
}

}  // namespace reader
