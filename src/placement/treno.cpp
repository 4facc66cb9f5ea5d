// The run's point items: signals, slowdowns and code reductions.
#include <cstdint>

#include "model/arrotonda.hpp"
#include "placement/placement.hpp"

namespace placement {

using model::basso16;
using model::basso8;
using model::R;

void memo_segnale(model::stato_build& s, std::int32_t posizione, std::int32_t sx, std::int32_t s1,
                  std::int32_t s2, std::int32_t s3, std::int32_t rapp, std::int32_t dx,
                  std::int32_t d1, std::int32_t d2, std::int32_t d3, std::int32_t tempo) {
  std::int64_t i = R(posizione / 50.0 + 1.0);
  model::cella* c = s.celle.at(i);
  if (c == nullptr || !c->libera()) {
    s.codice_errore = 16;
    s.origine.cella = i;
    return;
  }
  // The packed values are computed on the low 16 bits of the numbers.
  auto impacca = [](std::int32_t a, std::int32_t b) { return basso16(basso16(a) * 10 + basso16(b)); };
  c->elemento = model::el_segnale;
  c->dato1 = impacca(s1, d1);
  c->dato2 = impacca(s2, d2);
  c->dato3 = impacca(s3, d3);
  c->dato4 = basso16(basso16(rapp) * 10 + basso16(sx) * 3 + basso16(dx));
  std::int32_t tempo_memo = (tempo >= 1 && tempo <= 100) ? 101 : tempo;
  c->tempo_segnale = sx == 2 ? basso8(tempo_memo) : 0;
  // Approach marks two, four, six and eight cells before the signal; those
  // that would fall before the first cell are dropped.
  std::int64_t tipo = static_cast<std::int64_t>(sx) * 3 + dx;
  for (int b = 1; b <= 4; ++b) {
    if (model::cella* a = s.celle.at(i - 2 * b)) a->preavviso = basso8(tipo * 10 + b);
  }
}

void memo_rallentamento(model::stato_build& s, std::int32_t x, std::int32_t v, std::int32_t l,
                        std::int32_t f_tt, std::int32_t f_ta, std::int32_t d_v) {
  const std::int64_t fine = R((static_cast<double>(x) + l) / 50.0 + 1.0);
  const std::int64_t inizio = R(x / 50.0 + 1.0);
  const std::int64_t avviso = R((x - 1200.0) / 50.0 + 1.0);
  auto guasto = [&](std::int32_t codice, std::int64_t cella) {
    s.codice_errore = codice;
    s.origine.cella = cella;
  };
  if (x > 1500) {
    if (!s.celle.libera(avviso)) return guasto(17, avviso);
  } else {
    f_ta = 0;  // no warning cell and no warning zone this close to the origin
  }
  if (!s.celle.libera(inizio)) return guasto(18, inizio);
  if (!s.celle.libera(fine)) return guasto(19, fine);

  model::cella& cf = *s.celle.at(fine);
  cf.elemento = model::el_fine_rallentamento;
  if (d_v != 0) cf.dato2 = basso16(d_v);
  model::cella& ci = *s.celle.at(inizio);
  ci.elemento = model::el_inizio_rallentamento;
  if (d_v != 0) ci.dato2 = basso16(d_v);
  if (x > 1500) {
    model::cella& ca = *s.celle.at(avviso);
    ca.elemento = model::el_avviso_rallentamento;
    if (d_v != 0) ca.dato2 = basso16(d_v);
    ca.dato1 = basso16(v);
  }
  // Start and end may share one cell (a slowdown of length 0).
  for (model::cella* c : {&ci, &cf}) {
    c->dato1 = basso16(v);
    c->dato3 = basso16(f_tt);
  }

  const std::int64_t g = R((x - 1200.0) / 50.0);
  if (f_ta == 0) return;
  for (std::int64_t n = 0; n < 4; ++n) {
    if (!s.celle.libera(g - n)) return guasto(20, g - n);
  }
  for (std::int64_t n = 0; n < 4; ++n) {
    model::cella& z = *s.celle.at(g - n);
    z.elemento = model::el_zona_avviso;
    z.dato1 = basso16(n + 1);
    if (d_v != 0) z.dato2 = basso16(n + 1);
  }
}

bool memo_abbattimento(model::stato_build& s, std::int32_t p, std::int32_t c) {
  std::int64_t i = R(p / 50.0);
  model::cella* z = s.celle.at(i);
  if (z == nullptr || !z->libera()) {
    s.codice_errore = 7;
    s.posizione_errore = p;
    s.origine.cella = i;
    return false;
  }
  if (c > 0) {
    z->elemento = model::el_abbattimento;
    z->dato1 = basso16(c);
  } else {
    z->elemento = model::el_abbattimento_nullo;
  }
  return true;
}

}  // namespace placement
