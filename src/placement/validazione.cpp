// The validation pass: one walk over the cells that places code reductions
// of 180 ahead of the signals before a slowdown's warning cell, ahead of the
// slowdown's start, inside a slow slowdown and before the first signal after
// it. Where no free cell is found a code is recorded and the pass goes on.
#include <cstdint>

#include "placement/placement.hpp"

namespace placement {
namespace {

constexpr std::int16_t valore_automatico = 180;

struct passaggio {
  model::stato_build& s;

  model::cella* cella(std::int64_t i) { return s.celle.at(i); }
  bool libera(std::int64_t i) { return s.celle.libera(i); }
  std::uint8_t elemento(std::int64_t i) { return s.celle.elemento(i); }

  void posa(std::int64_t i) {
    model::cella* c = cella(i);
    c->elemento = model::el_abbattimento;
    c->dato1 = valore_automatico;
  }
  void codice(std::int32_t c, std::int64_t i) {
    s.codice_errore = c;
    s.posizione_errore = static_cast<std::int32_t>(i * 50);
    s.origine = {model::fonte_codice::validazione, 0, i, std::nullopt};
  }

  // Rule A: every signal in the 20 cells before a warning cell gets a code
  // reduction of at most 180 in one of the two cells before it.
  void regola_a(std::int64_t i) {
    for (std::int64_t k = 1; k <= 20; ++k) {
      std::int64_t a = i - k;
      if (a < 3) return;
      if (elemento(a) != model::el_segnale) continue;
      std::int64_t p = a - 1, q = a - 2;
      if (libera(p)) {
        posa(p);
      } else if (libera(q)) {
        posa(q);
      } else if (elemento(p) == model::el_abbattimento) {
        cella(p)->dato1 = static_cast<std::int16_t>(minimo(valore_automatico, cella(p)->dato1));
      } else if (elemento(q) == model::el_abbattimento) {
        cella(q)->dato1 = static_cast<std::int16_t>(minimo(valore_automatico, cella(q)->dato1));
      } else {
        codice(11, a);
      }
    }
  }

  // Rule B: three windows ahead of the slowdown's start.
  void regola_b(std::int64_t i) {
    static constexpr std::int64_t finestre[3][3] = {{5, 6, 7}, {11, 12, 13}, {18, 19, 20}};
    for (const auto& f : finestre) {
      if (i <= f[2]) continue;
      bool posato = false;
      for (std::int64_t d : f) {
        if (libera(i - d)) {
          posa(i - d);
          posato = true;
          break;
        }
      }
      if (!posato) codice(12, i);
    }
  }

  // Rule C: a code reduction every eight cells inside a slowdown slower than
  // 110 km/h. Ends at the end cell, or at the last cell of the table.
  // Returns the index it ended on.
  std::int64_t regola_c(std::int64_t i) {
    const std::int64_t d = s.celle.D();
    std::int64_t spazio = 0, j = i;
    for (;;) {
      j += 1;
      spazio += 1;
      if (spazio == 8) {
        if (libera(j)) {
          posa(j);
          spazio = 0;
        } else if (libera(j - 1)) {
          posa(j - 1);
          spazio = 1;
        } else if (libera(j + 1)) {
          posa(j + 1);
          spazio = -1;
        } else {
          codice(13, j);
        }
      }
      if (elemento(j) == model::el_fine_rallentamento || j >= d) return j;
    }
  }

  // Rule D: a code reduction before the first signal within 12 cells after
  // the slowdown's end cell j.
  void regola_d(std::int64_t j) {
    const std::int64_t d = s.celle.D();
    std::int64_t t = 0;
    for (std::int64_t m = j; m <= j + 12 && m <= d; ++m) {
      if (elemento(m) == model::el_segnale) {
        t = m - 1;
        break;
      }
    }
    if (t <= 0) return;
    if (libera(t)) {
      posa(t);
    } else if (libera(t - 1)) {
      posa(t - 1);
    } else {
      codice(13, j);
    }
  }

  void esegui() {
    const std::int64_t d = s.celle.D();
    for (std::int64_t i = 1; i <= d - 2; ++i) {
      std::uint8_t e = elemento(i);
      if (e == model::el_avviso_rallentamento) regola_a(i);
      if (e != model::el_inizio_rallentamento) continue;
      regola_b(i);
      if (cella(i)->dato1 < 110) {
        regola_d(regola_c(i));
      } else {
        // No walk through the slowdown: look for its end cell directly.
        for (std::int64_t j = i + 1; j <= d; ++j) {
          if (elemento(j) == model::el_fine_rallentamento) {
            regola_d(j);
            break;
          }
        }
      }
    }
  }
};

}  // namespace

std::int32_t minimo(std::int32_t x, std::int32_t y) { return x > y ? y : x; }

void validazione(model::stato_build& s) {
  if (!s.celle.esiste()) return;
  passaggio{s}.esegui();
}

}  // namespace placement
