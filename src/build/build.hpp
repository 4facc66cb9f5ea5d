// The build run: the start-up sequence, the build step that compiles,
// validates, stores the codes and writes the outputs, and the file names.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/stato.hpp"
#include "platform/platform.hpp"
#include "reader/compila.hpp"

namespace build {

constexpr std::string_view nome_predefinito = "LORVENA-CASTIRO ";
constexpr std::string_view codice_predefinito = "R47093";

// Exit status of both executables.
enum stato_uscita : int {
  uscita_ok = 0,          // outputs written, no code recorded
  uscita_con_codice = 1,  // outputs written, a code recorded
  uscita_senza_uscite = 2,// no outputs written (1250/1251, or no cell table)
  uscita_errore_file = 3, // a file operation failed
  uscita_uso = 64,        // bad command line (authoring tool only)
};

// File names, formed from the scenario name and code (UTF-8).
struct nomi_file {
  std::string linea_txt, treno_txt, note, rallentamenti, scheda, piano, record, celle;
};
nomi_file nomi(std::string_view nome, std::string_view codice);

// What a run did.
struct esito {
  int uscita = uscita_ok;
  std::vector<std::string> scritti;        // output files written, in order
  std::optional<platform::Errore> errore;  // the file operation that failed
  std::int32_t fermo = 0;                  // 1250 or 1251 when the run stopped
};

// Where a run reads and writes.
struct ambiente {
  platform::FileSystem& fs;
  platform::Finestra& finestra;
  std::string cartella;       // UTF-8
  std::string titolo = "R47093";
};

// Writes one line table as a text file, replacing any earlier one.
bool scrivi_righe(platform::FileSystem& fs, const std::string& percorso,
                  std::span<const std::string_view> righe, platform::Errore& err);

// Writes the scenario's two texts and three documents into the folder.
bool scrivi_scenario(ambiente& amb, std::string_view nome, std::string_view codice, esito& e);

// Compiles the texts into `s` and makes the validation and the competition
// codes: steps 1 to 5 of the build step, with no file operation of its own.
// Returns 0, 1250 or 1251 (a reserved place taken: the run stops there).
std::int32_t compila(model::stato_build& s, std::int32_t j, reader::testi_scenario& testi);

// Writes the plan (when flag_tracciato is 1), record and cell files.
bool scrivi_uscite(const model::stato_build& s, ambiente& amb, esito& e);

// The build step: reads the two texts from the folder (and deletes them, as
// the compilation says), compiles, validates, stores the codes and writes the
// outputs. `s` carries the name, the code and the tables afterwards.
esito memorizza_percorso(model::stato_build& s, std::int32_t j, ambiente& amb);

// The whole start-up sequence: window, texts and documents, build step.
esito form_load(model::stato_build& s, ambiente& amb, bool finestra = true);

// The message of codes 1250 and 1251.
std::string messaggio_errore(std::int32_t codice);

// The scenario text's state in a folder, as the compilation wants it.
reader::testo_scenario carica_testo(platform::FileSystem& fs, const std::string& percorso,
                                    std::optional<platform::Errore>& err);

}  // namespace build
