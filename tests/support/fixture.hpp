// Small helpers the tests share: compiling texts held in memory, temporary
// folders, reading files, and a minimal line description to build on.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "model/stato.hpp"
#include "reader/compila.hpp"

namespace prova {

// Lines joined with CR LF, each line ending with one.
std::string righe(const std::vector<std::string>& linee);

// A line description whose general section holds only the route length L,
// followed by `corpo` rows.
std::string linea_minima(std::int32_t lunghezza, const std::vector<std::string>& corpo = {});
// A train run with the given rows after "[generale]".
std::string treno_minimo(const std::vector<std::string>& righe_treno = {});

struct compilato {
  model::stato_build s;
  reader::testi_scenario testi;
  std::int32_t fermo = 0;
};

// Runs the build step's compilation, validation and codes on texts in memory.
compilato compila(const std::string& linea, const std::string& treno, std::int32_t piano = 1);

// The embedded scenario, compiled as the builder does.
const compilato& embedded();

// A fresh temporary folder, removed at the end of the test.
class cartella_temporanea {
 public:
  cartella_temporanea();
  ~cartella_temporanea();
  const std::filesystem::path& path() const { return p_; }
  std::string str() const { return p_.string(); }

 private:
  std::filesystem::path p_;
};

std::string leggi_file(const std::filesystem::path& p);
void scrivi_file(const std::filesystem::path& p, const std::string& byte);

// Runs a program with arguments; captures stdout and stderr; returns its exit status.
int esegui(const std::string& programma, const std::vector<std::string>& args, std::string* out = nullptr,
           std::string* err = nullptr, const std::string& cartella = "");

}  // namespace prova
