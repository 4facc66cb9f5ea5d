#include "support/fixture.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>

#include "build/build.hpp"
#include "reader/testo.hpp"
#include "scenario/scenario.hpp"

namespace prova {

std::string righe(const std::vector<std::string>& linee) {
  std::string out;
  for (const auto& l : linee) out += l + "\r\n";
  return out;
}

std::string linea_minima(std::int32_t lunghezza, const std::vector<std::string>& corpo) {
  std::vector<std::string> l = {"[generale]", "lunghezza percorso,    " + std::to_string(lunghezza), "[curve]"};
  l.insert(l.end(), corpo.begin(), corpo.end());
  l.push_back("[fine]");
  return righe(l);
}

std::string treno_minimo(const std::vector<std::string>& righe_treno) {
  std::vector<std::string> l = {"[generale]"};
  l.insert(l.end(), righe_treno.begin(), righe_treno.end());
  l.push_back("[fine]");
  return righe(l);
}

compilato compila(const std::string& linea, const std::string& treno, std::int32_t piano) {
  compilato c;
  c.s.nome_scenario = std::string(build::nome_predefinito);
  c.s.codice_scenario = std::string(build::codice_predefinito);
  c.testi.linea = {true, true, linea, false};
  c.testi.treno = {true, true, treno, false};
  c.fermo = build::compila(c.s, piano, c.testi);
  return c;
}

const compilato& embedded() {
  static const compilato c = compila(reader::componi_righe(scenario::tabella_linea()),
                                     reader::componi_righe(scenario::tabella_treno()));
  return c;
}

cartella_temporanea::cartella_temporanea() {
  static std::atomic<int> n{0};
  std::random_device rd;
  p_ = std::filesystem::temp_directory_path() /
       ("sb-test-" + std::to_string(::getpid()) + "-" + std::to_string(n++) + "-" + std::to_string(rd() % 100000));
  std::filesystem::create_directories(p_);
}

cartella_temporanea::~cartella_temporanea() {
  std::error_code ec;
  // Give back write permission first, in case a test took it away.
  for (auto& e : std::filesystem::recursive_directory_iterator(p_, ec)) {
    std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  }
  std::filesystem::permissions(p_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(p_, ec);
}

std::string leggi_file(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void scrivi_file(const std::filesystem::path& p, const std::string& byte) {
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f << byte;
}


int esegui(const std::string& programma, const std::vector<std::string>& args, std::string* out, std::string* err,
           const std::string& cartella) {
  // Output goes through temporary files so that neither pipe can fill up.
  cartella_temporanea tmp;
  std::string fo = (tmp.path() / "out").string(), fe = (tmp.path() / "err").string();
  pid_t pid = ::fork();
  if (pid == 0) {
    if (!cartella.empty() && ::chdir(cartella.c_str()) != 0) ::_exit(127);
    FILE* o = std::freopen(fo.c_str(), "w", stdout);
    FILE* e = std::freopen(fe.c_str(), "w", stderr);
    FILE* i = std::freopen("/dev/null", "r", stdin);
    (void)o;
    (void)e;
    (void)i;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(programma.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(programma.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (out) *out = leggi_file(fo);
  if (err) *err = leggi_file(fe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace prova
