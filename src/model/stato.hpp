// The build state: what the whole run shares, from the start to the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "model/percorso.hpp"
#include "model/stazioni.hpp"
#include "model/tracciato.hpp"

namespace model {

// Which text or pass recorded the last code, and where: the byte offset of
// the row's first item in that text. Authors' tools turn it into a line.
enum class fonte_codice : std::uint8_t { nessuna, linea, treno, validazione, codici_gara };

struct origine_codice {
  fonte_codice fonte = fonte_codice::nessuna;
  std::size_t offset = 0;   // start of the row's keyword item in its text
  std::int64_t cella = -1;  // the cell the code concerns, where there is one
  // A code the line description left stops the train run at its first
  // signal or slowdown row: the offset of that row in the train run.
  std::optional<std::size_t> fermato_treno;
};

struct stato_build {
  std::string nome_scenario;    // Windows-1252 bytes
  std::string codice_scenario;  // Windows-1252 bytes
  std::int32_t flag_tracciato = 1;
  std::int32_t codice_errore = 0;
  std::int32_t posizione_errore = 0;
  tabella_stazioni tabella;
  percorso celle;
  tracciato piano;
  origine_codice origine;
};

}  // namespace model
