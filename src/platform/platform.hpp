// What the builder needs from the system it runs on: file operations in one
// folder, the folder that holds the executable, the waiting window and the
// message box. One implementation per platform stands behind this interface;
// the rest of the code never asks which platform it is on.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// A failed file operation: which file, and the system's own reason.
struct Errore {
  std::string file;
  std::string motivo;
  std::string testo() const { return file + ": " + motivo; }
};

// A file being written. The bytes go to a temporary file beside the target;
// `conferma` puts it in the target's place in one step, so an earlier file of
// that name is either replaced whole or left as it was. A file dropped without
// `conferma` leaves no trace.
class FileInScrittura {
 public:
  virtual ~FileInScrittura() = default;
  virtual bool scrivi(const void* dati, std::size_t n, Errore& err) = 0;
  virtual bool conferma(Errore& err) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool esiste(const std::string& percorso) = 0;
  // Reads the whole file into `byte`.
  virtual bool leggi(const std::string& percorso, std::string& byte, Errore& err) = 0;
  // Starts replacing the file at `percorso`; nullptr (and `err`) on failure.
  virtual std::unique_ptr<FileInScrittura> crea(const std::string& percorso, Errore& err) = 0;
  virtual bool cancella(const std::string& percorso, Errore& err) = 0;
};

// The waiting window and the message box.
class Finestra {
 public:
  virtual ~Finestra() = default;
  // Shows the waiting window with its label and paints it once.
  virtual void mostra_attesa(std::string_view titolo) = 0;
  // A modal message with one OK button, waited for.
  virtual void messaggio(std::string_view titolo, std::string_view testo) = 0;
  virtual void chiudi() = 0;
};

std::unique_ptr<FileSystem> file_system_nativo();
std::unique_ptr<Finestra> finestra_nativa();
// The folder that holds the running executable (UTF-8).
std::string cartella_eseguibile();
// A file name inside a folder, with the platform's separator.
std::string unisci(std::string_view cartella, std::string_view nome);

}  // namespace platform
