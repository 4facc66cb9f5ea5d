// The two compilers of the scenario texts: the line description, then the
// train run. Together they are `memorizza_dati`.
#pragma once

#include <cstdint>
#include <string>

#include "model/stato.hpp"

namespace reader {

// One scenario text as the compilation finds it. The compilation never
// touches files itself: it says which texts it deleted, and the caller
// deletes those files (or, for an author's own texts, leaves them be).
struct testo_scenario {
  bool presente = false;   // the file exists
  bool leggibile = true;   // it could be opened and read whole
  std::string byte;        // its content
  bool cancellato = false; // set by the compilation: the text is to be deleted
};

struct testi_scenario {
  testo_scenario linea;
  testo_scenario treno;
};

// The line description. True when the compilation goes on with the train
// run; `posto_cartello` is then the next free indicator sign slot.
bool compila_linea(model::stato_build& s, testi_scenario& t, std::int32_t& posto_cartello);
// The train run; stations must stay below slot `posto_cartello`.
void compila_treno(model::stato_build& s, testi_scenario& t, std::int32_t posto_cartello);
// Copies the scenario name and code into the record table, then compiles
// both texts.
void memorizza_dati(model::stato_build& s, testi_scenario& t);

}  // namespace reader
