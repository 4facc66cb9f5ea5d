#include "reader/progressive.hpp"

#include <cstdint>

namespace reader {
namespace {

struct riferimento {
  std::int32_t p = 0, k = 0, f = 0;
};

riferimento da(const model::voce_stazione& v) { return {v.valore1, v.valore2, v.valore3}; }
void in(model::voce_stazione& v, const riferimento& r) {
  v.valore1 = r.p;
  v.valore2 = r.k;
  v.valore3 = r.f;
}

}  // namespace

void progressive_ordina(model::tabella_stazioni& tab) {
  const riferimento T = da(tab[model::voce_progressiva_tre]);
  const riferimento D = da(tab[model::voce_progressiva_due]);
  const riferimento U = da(tab[model::voce_progressiva_uno]);
  riferimento s81, s82, s83;  // all 0 unless a case below applies

  std::int64_t somma = static_cast<std::int64_t>(T.p) + D.p + U.p;
  if (somma != 0) {
    // By decreasing position; the greatest must be strictly greatest.
    if (T.p > D.p && T.p > U.p) {
      s81 = T;
      if (D.p > U.p) { s82 = D; s83 = U; } else { s82 = U; s83 = D; }
    } else if (D.p > T.p && D.p > U.p) {
      s81 = D;
      if (T.p > U.p) { s82 = T; s83 = U; } else { s82 = U; s83 = T; }
    } else if (U.p > T.p && U.p > D.p) {
      s81 = U;
      if (T.p > D.p) { s82 = T; s83 = D; } else { s82 = D; s83 = T; }
    }
  } else {
    // By kilometric value: the last test that holds decides.
    if (T.k > 0) { s81 = T; s82 = D; s83 = U; }
    if (D.k > 0) { s81 = D; s82 = T; s83 = U; }
    if (U.k > 0) { s81 = U; s82 = D; s83 = T; }
  }
  // K + 100 wraps in 32 bits.
  for (riferimento* r : {&s81, &s82, &s83}) {
    if (r->f == 1) r->k = static_cast<std::int32_t>(static_cast<std::uint32_t>(r->k) + 100u);
  }
  in(tab[model::voce_progressiva_tre], s81);
  in(tab[model::voce_progressiva_due], s82);
  in(tab[model::voce_progressiva_uno], s83);
}

}  // namespace reader
