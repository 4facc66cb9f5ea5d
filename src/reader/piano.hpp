// The plan of the line (x, y for every metre) and its gradient profile
// (the gradient in force in every cell), built from the curve and gradient rows.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/stato.hpp"

namespace reader {

struct stato_piano {
  std::int64_t indice_tracciato = 2;  // next plan point to compute
  std::int64_t indice_pendenza = 0;   // first cell whose gradient is not yet set
  std::int64_t pendenza_corrente = 0; // gradient in force
};

// The rotation per metre a curve keyword chooses; false when it names none.
bool curvatura_di(std::string_view parola, double& k);

// Points 0 and 1: (0, 0) and (0, 1).
void punti_iniziali(model::stato_build& s, stato_piano& p);
// Extends the plan straight to the curve's start and curved to its end.
// False (code 103 for the caller) on a bad keyword or past point 1000000.
bool curva(model::stato_build& s, stato_piano& p, std::string_view parola, std::int32_t inizio,
           std::int32_t lunghezza);
// Sets the cells before position `posizione` to the gradient in force, and
// makes `valore` the gradient in force.
void pendenza(model::stato_build& s, stato_piano& p, std::int32_t posizione, std::int32_t valore);
// End fills: the gradient up to the third-last cell, the plan up to M − 2.
void completa_pendenza(model::stato_build& s, stato_piano& p);
void completa_piano(model::stato_build& s, stato_piano& p);

}  // namespace reader
