// The three binary files the simulator loads, byte for byte: the record file
// (.sim), the cell file (.dat) and the plan file (_linea.dat).
#pragma once

#include <cstdint>

#include "model/percorso.hpp"
#include "model/scrittore_byte.hpp"
#include "model/stazioni.hpp"
#include "model/tracciato.hpp"

namespace model {

constexpr std::size_t byte_voce_vuota = 34;  // a record with an empty text
constexpr std::size_t byte_cella = 15;

void scrivi_record(const tabella_stazioni& t, scrittore_byte& w);
void scrivi_celle(const percorso& p, scrittore_byte& w);
void scrivi_tracciato(const tracciato& t, scrittore_byte& w);

// Sizes of the files for given tables, without writing them.
std::uint64_t dimensione_record(const tabella_stazioni& t);
std::uint64_t dimensione_tracciato(const tracciato& t);

}  // namespace model
