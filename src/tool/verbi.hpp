// The verbs of the authoring tool beyond the command line itself.
#pragma once

#include <iosfwd>
#include <span>
#include <string>

#include "build/build.hpp"
#include "build/diagnostica.hpp"

namespace tool {

struct richiesta_compilazione {
  std::string linea, treno, cartella, nome, codice;  // UTF-8
  bool piano = true;
  bool json = false;
};

// Compiles an author's two texts into the folder and reports the outcome.
int compila_scenario(const richiesta_compilazione& r, std::ostream& out, std::ostream& err);
// The same through a given file system (the native one above).
int compila_scenario(const richiesta_compilazione& r, platform::FileSystem& fs, std::ostream& out,
                     std::ostream& err);

// Reports the code a build recorded (stderr) and the files written (stdout).
void riporta_compilazione(const model::stato_build& s, const build::esito& e, const build::sorgenti& src,
                          std::ostream& out, std::ostream& err);

// Verbs added beside the core ones; -1 when `verbo` is none of them.
int verbi_aggiuntivi(const std::string& verbo, std::span<const std::string> args, std::ostream& out,
                     std::ostream& err);

}  // namespace tool
