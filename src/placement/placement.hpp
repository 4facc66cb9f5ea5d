// Placing the line's and the run's point items and ranges into the track
// cells, the validation pass that completes them, and the competition codes.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/stato.hpp"

namespace placement {

// Mountain sections so far: only the previous section's end is needed.
struct stato_montagne {
  std::int64_t numero = 0;
  std::int32_t fine_precedente = 0;
};

// Marks one mountain section. It cannot fail.
void memo_montagna(model::stato_build& s, stato_montagne& m, std::int32_t inizio, std::int32_t fine,
                   std::int32_t tipo);

enum class esito_cartello { posato, occupato, valore_fuori };

// Places one speed indicator board: occupato is code 21 (recorded here),
// valore_fuori a speed value that does not fit 16 bits (a read failure).
esito_cartello memo_indicatori_v_max(model::stato_build& s, std::int32_t posizione, std::int32_t vas,
                                     std::int32_t vbs, std::int32_t vcs, std::int32_t strisces,
                                     std::int32_t vad, std::int32_t vbd, std::int32_t vcd,
                                     std::int32_t strisced);

// Places one indicator sign with its text in slot `posto_cartello`, which it
// counts down. False (code 6 recorded) when the cell is taken or no slot is left.
bool memo_cartello(model::stato_build& s, std::int32_t p, std::string_view testo,
                   std::int32_t& posto_cartello);

// Places one signal and its four approach marks; code 16 when its cell is taken.
void memo_segnale(model::stato_build& s, std::int32_t posizione, std::int32_t sx, std::int32_t s1,
                  std::int32_t s2, std::int32_t s3, std::int32_t rapp, std::int32_t dx,
                  std::int32_t d1, std::int32_t d2, std::int32_t d3, std::int32_t tempo);

// Places one slowdown; codes 17 to 20.
void memo_rallentamento(model::stato_build& s, std::int32_t x, std::int32_t v, std::int32_t l,
                        std::int32_t f_tt, std::int32_t f_ta, std::int32_t d_v);

// Places one code reduction read from the train run; false (code 7) when its
// cell is taken or outside the table.
bool memo_abbattimento(model::stato_build& s, std::int32_t p, std::int32_t c);

// The validation pass: automatic code reductions around slowdowns; codes 11
// to 13 are recorded and the pass goes on.
void validazione(model::stato_build& s);

std::int32_t minimo(std::int32_t x, std::int32_t y);

// The competition codes of the code text built from the scenario code and name.
std::int32_t codice_gara_og(const model::stato_build& s);
std::int32_t codice_gara_st(const model::stato_build& s);

// Checks the reserved places and stores the fixed values and both codes.
// Returns 0, or 1250 / 1251 when a reserved place was taken (nothing stored then
// beyond what the steps before the check stored).
std::int32_t memorizza_codici(model::stato_build& s);

}  // namespace placement
