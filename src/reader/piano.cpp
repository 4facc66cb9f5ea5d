#include "reader/piano.hpp"

#include "model/arrotonda.hpp"
#include "reader/testo.hpp"

namespace reader {
namespace {

constexpr std::int64_t punti_massimi = 1000000;

// The next plan point, straight (k = 0) or curved by k: the step is the
// difference of the two points before it, turned by k.
void punto(model::tracciato& t, std::int64_t j, double k, bool curvo) {
  double dx = t.x(j - 1) - t.x(j - 2);
  double dy = t.y(j - 1) - t.y(j - 2);
  if (curvo) {
    t.aggiungi(t.x(j - 1) + (dx + k * dy), t.y(j - 1) + (dy - k * dx));
  } else {
    t.aggiungi(t.x(j - 1) + dx, t.y(j - 1) + dy);
  }
}

// Computes points up to `fino` (never past M − 2, so points M − 1 and M stay
// empty). False once the index passes the 1000000 limit.
bool estendi(model::tracciato& t, stato_piano& p, std::int64_t fino, double k, bool curvo) {
  const std::int64_t ultimo = t.M() - 2;
  while (p.indice_tracciato <= fino && p.indice_tracciato <= ultimo) {
    punto(t, p.indice_tracciato, k, curvo);
    p.indice_tracciato += 1;
    if (p.indice_tracciato > punti_massimi) return false;
  }
  return true;
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
  const std::int64_t ultimo = s.piano.M() - 2;
  while (p.indice_tracciato <= ultimo) {
    punto(s.piano, p.indice_tracciato, 0.0, false);
    p.indice_tracciato += 1;
  }
}

}  // namespace reader
