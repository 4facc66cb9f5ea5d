#include "tool/cli.hpp"

#include <filesystem>
#include <iostream>
#include <optional>
#include <ostream>
#include <sstream>

#include "build/build.hpp"
#include "build/codici.hpp"
#include "reader/codepage.hpp"
#include "reader/testo.hpp"
#include "scenario/scenario.hpp"
#include "tool/json.hpp"
#include "tool/opzioni.hpp"
#include "tool/verbi.hpp"

namespace tool {
namespace {

constexpr std::string_view uso_generale =
    "usage: scenario-tool <command> [options]\n"
    "\n"
    "commands:\n"
    "  build     write the embedded scenario into a folder and build it there\n"
    "  example   write the embedded scenario's texts and documents into a folder\n"
    "  compile   compile a line description and a train run into the three binary files\n"
    "  dump      decode a record (.sim), cell (.dat) or plan (_linea.dat) file\n"
    "  plot      draw a compiled scenario as an SVG picture\n"
    "\n"
    "Run 'scenario-tool <command> --help' for a command's options.\n";

constexpr std::string_view uso_build =
    "usage: scenario-tool build --out DIR\n"
    "\n"
    "Writes the embedded scenario's texts and documents into DIR, compiles the texts\n"
    "(deleting them, as the builder does) and writes the three binary files there.\n"
    "\n"
    "Exit status: 0 built, 1 built with a code recorded, 2 no outputs written,\n"
    "3 a file operation failed, 64 bad command line.\n";

constexpr std::string_view uso_example =
    "usage: scenario-tool example --out DIR\n"
    "\n"
    "Writes the embedded scenario's line description, train run and driver documents\n"
    "into DIR, exactly as the builder writes them: a starting point for authors.\n";

constexpr std::string_view uso_compile =
    "usage: scenario-tool compile --line FILE --run FILE --out DIR [--name TEXT] [--code TEXT]\n"
    "                             [--no-plan] [--json]\n"
    "\n"
    "Compiles a line description and a train run (never deleting them), validates the\n"
    "cells, stores the competition codes and writes the three binary files into DIR.\n"
    "  --name TEXT   scenario name (default \"LORVENA-CASTIRO \", trailing blank included)\n"
    "  --code TEXT   scenario code (default \"R47093\")\n"
    "  --no-plan     do not build the plan nor write the plan file\n"
    "  --json        print one JSON object with the outcome on stdout\n"
    "\n"
    "Exit status: 0 written with no code, 1 written with a code recorded, 2 no outputs\n"
    "written, 3 a file operation failed, 64 bad command line.\n";

// The build's messages go to stderr; there is no window.
class finestra_console final : public platform::Finestra {
 public:
  explicit finestra_console(std::ostream& err) : err_(err) {}
  void mostra_attesa(std::string_view) override {}
  void messaggio(std::string_view, std::string_view testo) override { err_ << testo << "\n"; }
  void chiudi() override {}

 private:
  std::ostream& err_;
};

int errore_uso(std::ostream& err, const std::string& verbo, const std::string& msg) {
  err << "scenario-tool" << (verbo.empty() ? "" : " " + verbo) << ": " << msg
      << " (see 'scenario-tool " << (verbo.empty() ? "" : verbo + " ") << "--help')\n";
  return build::uscita_uso;
}

bool prepara_cartella(const std::string& cartella, std::ostream& err) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::u8path(cartella), ec);
  if (ec) {
    err << "scenario-tool: " << cartella << ": " << ec.message() << "\n";
    return false;
  }
  return true;
}

int riporta_errore_file(const build::esito& e, std::ostream& err) {
  if (e.errore) err << "scenario-tool: " << e.errore->testo() << "\n";
  return e.uscita;
}

// The options of a verb that takes only --out DIR. Returns the exit status
// when the verb is done already: help shown, bad usage, folder not made.
std::optional<int> solo_cartella(std::span<const std::string> args, const std::string& verbo, std::string_view uso,
                                 std::ostream& out, std::ostream& err, std::string& dir) {
  opzioni o = analizza(args, {"--out"}, {"--help", "-h"});
  if (o.ha("--help") || o.ha("-h")) return out << uso, 0;
  if (!o.errore.empty()) return errore_uso(err, verbo, o.errore);
  if (!o.valore("--out")) return errore_uso(err, verbo, "missing --out DIR");
  dir = *o.valore("--out");
  if (!prepara_cartella(dir, err)) return build::uscita_errore_file;
  return std::nullopt;
}

int verbo_build(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  std::string dir;
  if (auto fatto = solo_cartella(args, "build", uso_build, out, err, dir)) return *fatto;
  auto fs = platform::file_system_nativo();
  finestra_console finestra(err);
  build::ambiente amb{*fs, finestra, dir};
  model::stato_build s;
  build::esito e = build::form_load(s, amb, false);
  if (e.errore) return riporta_errore_file(e, err);
  // The build's texts are the embedded ones: diagnostics point into them.
  build::nomi_file n = build::nomi(build::nome_predefinito, build::codice_predefinito);
  std::string linea = reader::componi_righe(scenario::tabella_linea());
  std::string treno = reader::componi_righe(scenario::tabella_treno());
  riporta_compilazione(s, e, build::sorgenti{n.linea_txt, n.treno_txt, linea, treno}, out, err);
  return e.uscita;
}

int verbo_example(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  std::string dir;
  if (auto fatto = solo_cartella(args, "example", uso_example, out, err, dir)) return *fatto;
  auto fs = platform::file_system_nativo();
  finestra_console finestra(err);
  build::ambiente amb{*fs, finestra, dir};
  build::esito e;
  if (!build::scrivi_scenario(amb, build::nome_predefinito, build::codice_predefinito, e))
    return riporta_errore_file(e, err);
  return build::uscita_ok;
}

int verbo_compile(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  opzioni o = analizza(args, {"--line", "--run", "--out", "--name", "--code"},
                       {"--no-plan", "--json", "--help", "-h"});
  if (o.ha("--help") || o.ha("-h")) return out << uso_compile, 0;
  if (!o.errore.empty()) return errore_uso(err, "compile", o.errore);
  for (const char* richiesta : {"--line", "--run", "--out"}) {
    if (!o.valore(richiesta)) return errore_uso(err, "compile", std::string("missing ") + richiesta);
  }
  richiesta_compilazione r;
  r.linea = *o.valore("--line");
  r.treno = *o.valore("--run");
  r.cartella = *o.valore("--out");
  r.nome = o.valore("--name").value_or(std::string(build::nome_predefinito));
  r.codice = o.valore("--code").value_or(std::string(build::codice_predefinito));
  r.piano = !o.ha("--no-plan");
  r.json = o.ha("--json");
  if (!prepara_cartella(r.cartella, err)) return build::uscita_errore_file;
  return compila_scenario(r, out, err);
}

}  // namespace

int esegui(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << uso_generale;
    return build::uscita_uso;
  }
  const std::string& verbo = args[0];
  auto resto = args.subspan(1);
  if (verbo == "--help" || verbo == "-h" || verbo == "help") return out << uso_generale, 0;
  if (verbo == "build") return verbo_build(resto, out, err);
  if (verbo == "example") return verbo_example(resto, out, err);
  if (verbo == "compile") return verbo_compile(resto, out, err);
  if (int r = verbi_aggiuntivi(verbo, resto, out, err); r >= 0) return r;
  return errore_uso(err, "", "unknown command '" + verbo + "'");
}

}  // namespace tool
