// Messages for authors: what a recorded code means for their scenario, in the
// "file:line: message" form, with the position, the cell and the kilometre
// post where they are known.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/stato.hpp"

namespace build {

// The two texts as the author wrote them, with the names to show.
struct sorgenti {
  std::string nome_linea, nome_treno;
  std::string_view linea, treno;
};

struct diagnostica {
  std::int32_t codice = 0;
  std::string file;             // empty when no text is concerned
  std::optional<int> riga;      // 1-based line of the row that caused it
  std::string messaggio;        // "code 16: signal at 3000 m (cell 61) ..."
  std::string testo() const;    // "file:line: message"
};

// The diagnostic for the code the build recorded (or for a stop code).
diagnostica diagnostica_codice(const model::stato_build& s, std::int32_t codice, const sorgenti& src);

// Warnings about a text's encoding: lines holding bytes that are UTF-8
// sequences or bytes unassigned in Windows-1252.
std::vector<diagnostica> avvisi_codifica(std::string_view nome, std::string_view testo);

// The 1-based line that holds byte `offset` (CR LF, LF or CR end a line).
int riga_di(std::string_view testo, std::size_t offset);

// The kilometre post of a position, from the kilometric references: "96+500".
std::optional<std::string> progressiva_km(const model::tabella_stazioni& t, std::int64_t posizione);

}  // namespace build
