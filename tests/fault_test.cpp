// Failing file operations while a scenario is built: the builder, `scenario-tool
// build` and `scenario-tool compile`. Whatever fails and wherever it fails, the
// run ends with status 3 and a report that names the file and the reason,
// every file that was in the folder before is either as it was or replaced
// whole by this run's content, the file that failed is as it was, and no
// temporary file is left behind.
//
// Root ignores permission bits, so besides the cases that need them (skipped
// under root) the faults come from means that bind root too: a file-size limit
// (a full disk), a folder where a file should go, a folder that goes away, and,
// in process, a file system that fails the n-th operation of a kind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "build/build.hpp"
#include "platform/platform.hpp"
#include "reader/testo.hpp"
#include "scenario/scenario.hpp"
#include "support/fixture.hpp"
#include "tool/verbi.hpp"

namespace {

namespace fs = std::filesystem;

const std::string dati = SB_TESTDATA;
const build::nomi_file nomi = build::nomi(build::nome_predefinito, build::codice_predefinito);
const std::string marca_cartella = "<folder>";

// ---- what a folder holds --------------------------------------------------

// File name → bytes; a folder shows as marca_cartella.
using istantanea = std::map<std::string, std::string>;

istantanea fotografa(const fs::path& d) {
  istantanea f;
  for (const auto& e : fs::directory_iterator(d)) {
    const std::string nome = e.path().filename().string();
    f[nome] = e.is_directory() ? marca_cartella : prova::leggi_file(e.path());
  }
  return f;
}

std::vector<std::string> nomi_uscite() { return {nomi.piano, nomi.record, nomi.celle}; }
std::vector<std::string> nomi_build() {
  return {nomi.linea_txt, nomi.treno_txt, nomi.note, nomi.rallentamenti, nomi.scheda,
          nomi.piano,     nomi.record,    nomi.celle};
}

// Earlier files of every name a run writes, with recognisable content, and
// one file no run touches.
void semina(const fs::path& d, const std::vector<std::string>& nomi_file) {
  for (const auto& n : nomi_file) prova::scrivi_file(d / n, "earlier " + n);
  prova::scrivi_file(d / "altro.txt", "not ours");
}

// After a failure on `colpito`: nothing temporary, nothing unknown, every
// file either as it was before or exactly this run's, the failed one as it was.
void controlla_cartella(const istantanea& prima, const istantanea& dopo, const istantanea& nuovo,
                        const std::string& colpito) {
  for (const auto& [nome, byte] : dopo) {
    SCOPED_TRACE(nome);
    EXPECT_EQ(nome.find(".tmp-"), std::string::npos) << "temporary file left behind";
    auto p = prima.find(nome);
    auto n = nuovo.find(nome);
    ASSERT_TRUE(p != prima.end() || n != nuovo.end()) << "a file no run writes";
    const bool come_prima = p != prima.end() && p->second == byte;
    const bool come_nuovo = n != nuovo.end() && n->second == byte;
    EXPECT_TRUE(come_prima || come_nuovo) << "neither the earlier content nor this run's (" << byte.size()
                                          << " bytes)";
  }
  if (!colpito.empty()) {
    auto p = prima.find(colpito);
    auto d = dopo.find(colpito);
    if (p == prima.end()) {
      EXPECT_EQ(d, dopo.end()) << colpito << " appeared although writing it failed";
    } else {
      ASSERT_NE(d, dopo.end()) << colpito << " is gone";
      EXPECT_TRUE(d->second == p->second) << colpito << " changed although writing it failed (" << d->second.size()
                                          << " bytes, " << p->second.size() << " before)";
    }
  }
  auto altro = dopo.find("altro.txt");
  if (prima.count("altro.txt")) {
    ASSERT_NE(altro, dopo.end());
    EXPECT_EQ(altro->second, "not ours");
  }
}

// ---- a file system that fails on request -----------------------------------

enum class operazione { crea, scrivi, conferma, cancella, leggi };

const char* nome_operazione(operazione o) {
  switch (o) {
    case operazione::crea: return "create";
    case operazione::scrivi: return "write";
    case operazione::conferma: return "rename";
    case operazione::cancella: return "delete";
    case operazione::leggi: return "read";
  }
  return "?";
}

enum class effetto {
  fallisce,           // the operation reports a failure of its own
  toglie_cartella,    // the folder is removed, then the real operation runs
  cartella_al_posto,  // a folder appears at the file's name, then the real operation runs
};

struct guasto {
  operazione op = operazione::crea;
  int n = 0;  // the n-th operation of that kind (counted from 1); 0: none
  effetto e = effetto::fallisce;
};

const std::string motivo_iniettato = "device failure (injected)";

// Wraps the native file system and counts its operations; the n-th of one
// kind fails as the fault says.
class fs_con_guasto final : public platform::FileSystem {
 public:
  fs_con_guasto(guasto g, fs::path cartella) : g_(g), cartella_(std::move(cartella)) {}

  std::map<operazione, int> conta;
  std::size_t operazioni = 0;  // all operations so far
  std::optional<std::size_t> quando;  // the ordinal of the one that failed
  std::string colpito;  // full name of the file whose operation failed

  // True when this operation is to fail here and now (then `err` says why).
  bool scatta(operazione op, const std::string& percorso, platform::Errore& err) {
    ++operazioni;
    if (++conta[op] != g_.n || op != g_.op) return false;
    quando = operazioni;
    colpito = percorso;
    switch (g_.e) {
      case effetto::fallisce:
        err = {percorso, motivo_iniettato};
        return true;
      case effetto::toglie_cartella:
        fs::remove_all(cartella_);
        return false;
      case effetto::cartella_al_posto:
        fs::remove(percorso);
        fs::create_directory(percorso);
        return false;
    }
    return false;
  }

  bool esiste(const std::string& p) override { return nativo_->esiste(p); }
  bool leggi(const std::string& p, std::string& byte, platform::Errore& err) override {
    return !scatta(operazione::leggi, p, err) && nativo_->leggi(p, byte, err);
  }
  std::unique_ptr<platform::FileInScrittura> crea(const std::string& p, platform::Errore& err) override;
  bool cancella(const std::string& p, platform::Errore& err) override {
    return !scatta(operazione::cancella, p, err) && nativo_->cancella(p, err);
  }

 private:
  guasto g_;
  fs::path cartella_;
  std::unique_ptr<platform::FileSystem> nativo_ = platform::file_system_nativo();
};

class file_con_guasto final : public platform::FileInScrittura {
 public:
  file_con_guasto(fs_con_guasto& fs, std::string percorso, std::unique_ptr<platform::FileInScrittura> f)
      : fs_(fs), percorso_(std::move(percorso)), f_(std::move(f)) {}
  bool scrivi(const void* dati, std::size_t n, platform::Errore& err) override {
    return !fs_.scatta(operazione::scrivi, percorso_, err) && f_->scrivi(dati, n, err);
  }
  bool conferma(platform::Errore& err) override {
    return !fs_.scatta(operazione::conferma, percorso_, err) && f_->conferma(err);
  }

 private:
  fs_con_guasto& fs_;
  std::string percorso_;
  std::unique_ptr<platform::FileInScrittura> f_;
};

std::unique_ptr<platform::FileInScrittura> fs_con_guasto::crea(const std::string& p, platform::Errore& err) {
  if (scatta(operazione::crea, p, err)) return nullptr;
  auto f = nativo_->crea(p, err);
  if (!f) return nullptr;
  return std::make_unique<file_con_guasto>(*this, p, std::move(f));
}

struct finestra_muta final : platform::Finestra {
  void mostra_attesa(std::string_view) override {}
  void messaggio(std::string_view, std::string_view) override {}
  void chiudi() override {}
};

// The start-up sequence in process, in folder `d`, through a failing file system.
struct esito_build {
  build::esito e;
  std::string colpito;
  std::map<operazione, int> conta;
  bool ultima = false;  // the failed operation was the run's last
};
esito_build costruisci(const fs::path& d, guasto g) {
  fs_con_guasto sys(g, d);
  finestra_muta f;
  build::ambiente amb{sys, f, d.string()};
  model::stato_build s;
  esito_build r{build::form_load(s, amb, false), sys.colpito, sys.conta, sys.quando == sys.operazioni};
  return r;
}

// `scenario-tool compile` in process: the small test scenario into `d`.
struct esito_compile {
  int uscita;
  std::string err;
  std::string colpito;
  std::map<operazione, int> conta;
};
esito_compile compila(const fs::path& d, guasto g) {
  fs_con_guasto sys(g, d);
  tool::richiesta_compilazione r;
  r.linea = dati + "/piccola_linea.txt";
  r.treno = dati + "/piccola_corsa.txt";
  r.cartella = d.string();
  r.nome = std::string(build::nome_predefinito);
  r.codice = std::string(build::codice_predefinito);
  std::ostringstream out, err;
  int u = tool::compila_scenario(r, sys, out, err);
  return {u, err.str(), sys.colpito, sys.conta};
}

// What a clean run leaves: its texts (before they are deleted), documents and outputs.
const istantanea& nuovo_build() {
  static const istantanea n = [] {
    prova::cartella_temporanea d;
    auto sys = platform::file_system_nativo();
    finestra_muta f;
    build::ambiente amb{*sys, f, d.str()};
    build::esito e;
    EXPECT_TRUE(build::scrivi_scenario(amb, build::nome_predefinito, build::codice_predefinito, e));
    istantanea testi = fotografa(d.path());
    EXPECT_EQ(costruisci(d.path(), {}).e.uscita, build::uscita_ok);
    istantanea tutto = fotografa(d.path());
    tutto.insert(testi.begin(), testi.end());
    return tutto;
  }();
  return n;
}

const istantanea& nuovo_compile() {
  static const istantanea n = [] {
    prova::cartella_temporanea d;
    EXPECT_EQ(compila(d.path(), {}).uscita, build::uscita_ok);
    return fotografa(d.path());
  }();
  return n;
}

// The ordinals worth failing among `n` operations of a kind: all of them when
// few, otherwise the first ones, one in the middle and the last ones.
std::vector<int> ordinali(int n) {
  std::set<int> k;
  for (int i = 1; i <= n; ++i) {
    if (n <= 10 || i <= 3 || i == n / 2 || i >= n - 2) k.insert(i);
  }
  return {k.begin(), k.end()};
}

// ---- in process: every operation of every kind fails in turn ---------------

TEST(GuastoInProcesso, BuildOgniOperazioneCheFallisce) {
  const istantanea& nuovo = nuovo_build();
  std::map<operazione, int> totali;
  {
    prova::cartella_temporanea d;
    totali = costruisci(d.path(), {}).conta;
  }
  ASSERT_EQ(totali[operazione::crea], 8);
  ASSERT_EQ(totali[operazione::conferma], 8);
  ASSERT_EQ(totali[operazione::cancella], 2);
  ASSERT_GE(totali[operazione::scrivi], 8);
  for (operazione op : {operazione::crea, operazione::scrivi, operazione::conferma, operazione::cancella}) {
    for (int n : ordinali(totali[op])) {
      SCOPED_TRACE(std::string(nome_operazione(op)) + " #" + std::to_string(n));
      prova::cartella_temporanea d;
      semina(d.path(), nomi_build());
      const istantanea prima = fotografa(d.path());
      esito_build r = costruisci(d.path(), {op, n, effetto::fallisce});
      EXPECT_EQ(r.e.uscita, build::uscita_errore_file);
      ASSERT_TRUE(r.e.errore.has_value());
      EXPECT_EQ(r.e.errore->file, r.colpito);
      EXPECT_EQ(r.e.errore->motivo, motivo_iniettato);
      EXPECT_TRUE(r.ultima) << "the run went on after the failure";
      const std::string colpito = fs::path(r.colpito).filename().string();
      // A text is deleted only after it has been written whole: a failed
      // delete leaves this run's text, not the earlier one.
      controlla_cartella(prima, fotografa(d.path()), nuovo, op == operazione::cancella ? "" : colpito);
    }
  }
}

TEST(GuastoInProcesso, CompileOgniOperazioneCheFallisce) {
  const istantanea& nuovo = nuovo_compile();
  std::map<operazione, int> totali;
  {
    prova::cartella_temporanea d;
    totali = compila(d.path(), {}).conta;
  }
  ASSERT_EQ(totali[operazione::crea], 3);
  ASSERT_EQ(totali[operazione::cancella], 0);  // an author's texts are never deleted
  for (operazione op : {operazione::crea, operazione::scrivi, operazione::conferma}) {
    for (int n : ordinali(totali[op])) {
      SCOPED_TRACE(std::string(nome_operazione(op)) + " #" + std::to_string(n));
      prova::cartella_temporanea d;
      semina(d.path(), nomi_uscite());
      const istantanea prima = fotografa(d.path());
      esito_compile r = compila(d.path(), {op, n, effetto::fallisce});
      EXPECT_EQ(r.uscita, build::uscita_errore_file);
      EXPECT_NE(r.err.find(r.colpito + ": " + motivo_iniettato), std::string::npos) << r.err;
      controlla_cartella(prima, fotografa(d.path()), nuovo, fs::path(r.colpito).filename().string());
    }
  }
}

// A text that cannot be read is a compilation failure (code 25), not a file
// failure: the report names the file, and the line description alone still
// builds its tables.
TEST(GuastoInProcesso, CompileUnTestoIlleggibile) {
  struct {
    int n;
    const char* file;
    int uscita;
  } casi[] = {{1, "piccola_linea.txt", build::uscita_senza_uscite}, {2, "piccola_corsa.txt", build::uscita_con_codice}};
  for (const auto& k : casi) {
    SCOPED_TRACE(k.file);
    prova::cartella_temporanea d;
    esito_compile r = compila(d.path(), {operazione::leggi, k.n, effetto::fallisce});
    EXPECT_EQ(r.uscita, k.uscita);
    EXPECT_NE(r.err.find(dati + "/" + k.file + ": " + motivo_iniettato), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("25"), std::string::npos) << r.err;
    for (const auto& [nome, byte] : fotografa(d.path())) EXPECT_EQ(nome.find(".tmp-"), std::string::npos);
  }
}

// The folder goes away, or a folder takes a file's name, while the run works:
// the real operation fails and the platform's reason is reported.
TEST(GuastoInProcesso, LaCartellaSparisceOCambia) {
  struct {
    const char* caso;
    guasto g;
    const char* motivo;
  } casi[] = {
      {"folder gone before the first text", {operazione::crea, 1, effetto::toglie_cartella}, "No such file"},
      {"folder gone before the plan file", {operazione::crea, 6, effetto::toglie_cartella}, "No such file"},
      {"folder gone before the cell file is renamed", {operazione::conferma, 8, effetto::toglie_cartella},
       "No such file"},
      {"folder gone before a text is deleted", {operazione::cancella, 1, effetto::toglie_cartella}, "No such file"},
      {"a folder at the record file's name", {operazione::crea, 7, effetto::cartella_al_posto}, "Is a directory"},
      {"a folder at the plan file's name as it is renamed", {operazione::conferma, 6, effetto::cartella_al_posto},
       "directory"},
  };
  for (const auto& k : casi) {
    SCOPED_TRACE(k.caso);
    prova::cartella_temporanea base;
    const fs::path d = base.path() / "out";
    fs::create_directory(d);
    semina(d, nomi_build());
    const istantanea prima = fotografa(d);
    esito_build r = costruisci(d, k.g);
    EXPECT_EQ(r.e.uscita, build::uscita_errore_file);
    ASSERT_TRUE(r.e.errore.has_value());
    EXPECT_EQ(r.e.errore->file, r.colpito);
    EXPECT_NE(r.e.errore->motivo.find(k.motivo), std::string::npos) << r.e.errore->motivo;
    if (!fs::exists(d)) continue;
    istantanea dopo = fotografa(d);
    const std::string colpito = fs::path(r.colpito).filename().string();
    if (k.g.e == effetto::cartella_al_posto) {
      // The folder that took the name is all there is under it.
      EXPECT_EQ(dopo[colpito], marca_cartella);
      EXPECT_TRUE(fs::is_empty(d / colpito));
      dopo.erase(colpito);
    }
    controlla_cartella(prima, dopo, nuovo_build(), "");
  }
}

// A folder removed before the run: nothing is written anywhere, not even the
// folder itself.
TEST(GuastoInProcesso, CartellaTolta) {
  prova::cartella_temporanea base;
  const fs::path d = base.path() / "tolta";
  esito_build r = costruisci(d, {});
  EXPECT_EQ(r.e.uscita, build::uscita_errore_file);
  ASSERT_TRUE(r.e.errore.has_value());
  EXPECT_EQ(r.e.errore->file, platform::unisci(d.string(), nomi.linea_txt));
  EXPECT_NE(r.e.errore->motivo.find("No such file"), std::string::npos);
  EXPECT_FALSE(fs::exists(d));
  EXPECT_TRUE(fs::is_empty(base.path()));

  esito_compile c = compila(d, {});
  EXPECT_EQ(c.uscita, build::uscita_errore_file);
  EXPECT_NE(c.err.find(platform::unisci(d.string(), nomi.piano) + ": No such file"), std::string::npos) << c.err;
  EXPECT_TRUE(fs::is_empty(base.path()));
}

// ---- end to end: the two executables ---------------------------------------

enum class programma { builder, tool_build, tool_compile };

const char* nome_programma(programma p) {
  switch (p) {
    case programma::builder: return "R47093";
    case programma::tool_build: return "scenario-tool build";
    case programma::tool_compile: return "scenario-tool compile";
  }
  return "?";
}

struct corsa {
  int uscita;
  std::string err;
};

// Runs one of them on folder `d`; `limite` > 0 caps the size of any file it
// writes (512-byte blocks), as a full disk would, with SIGXFSZ ignored so a
// write past it fails instead of killing the program.
corsa avvia(programma p, const fs::path& d, long limite = 0) {
  std::vector<std::string> args;
  switch (p) {
    case programma::builder: args = {(d / "R47093").string()}; break;
    case programma::tool_build: args = {SB_TOOL_PATH, "build", "--out", d.string()}; break;
    case programma::tool_compile:
      args = {SB_TOOL_PATH, "compile", "--line", dati + "/piccola_linea.txt", "--run", dati + "/piccola_corsa.txt",
              "--out", d.string()};
      break;
  }
  corsa c;
  if (limite > 0) {
    args.insert(args.begin(), {"-c", "ulimit -f \"$1\" && trap '' XFSZ && shift && exec \"$@\"", "sh",
                               std::to_string(limite)});
    c.uscita = prova::esegui("/bin/sh", args, nullptr, &c.err);
  } else {
    const std::string prog = args.front();
    args.erase(args.begin());
    c.uscita = prova::esegui(prog, args, nullptr, &c.err, fs::temp_directory_path().string());
  }
  return c;
}

std::vector<std::string> nomi_di(programma p) {
  return p == programma::tool_compile ? nomi_uscite() : nomi_build();
}

// A folder ready for a run, with earlier files of every name (and the builder).
void prepara(programma p, const fs::path& d) {
  semina(d, nomi_di(p));
  if (p == programma::builder) fs::copy_file(SB_BUILDER_PATH, d / "R47093");
}

const istantanea& nuovo_di(programma p) {
  static std::map<programma, istantanea> cache;
  auto it = cache.find(p);
  if (it != cache.end()) return it->second;
  prova::cartella_temporanea d;
  if (p == programma::builder) fs::copy_file(SB_BUILDER_PATH, d.path() / "R47093");
  EXPECT_EQ(avvia(p, d.path()).uscita, 0);
  istantanea n = fotografa(d.path());
  if (p != programma::tool_compile) {
    // The texts, deleted by the end of a run, as the run writes them.
    n[nomi.linea_txt] = reader::componi_righe(scenario::tabella_linea());
    n[nomi.treno_txt] = reader::componi_righe(scenario::tabella_treno());
  }
  return cache[p] = n;
}

TEST(GuastoEseguibili, OgniGuastoRiportatoConFileEMotivo) {
  struct caso {
    const char* nome;
    std::string colpito;  // the file the report must name
    const char* motivo;   // part of the reason
    void (*prepara)(const fs::path& d, const std::string& colpito);
    long limite = 0;
    bool serve_non_root = false;
  };
  const caso casi[] = {
      {"a folder at the cell file's name", nomi.celle, "Is a directory",
       [](const fs::path& d, const std::string& c) {
         fs::remove(d / c);
         fs::create_directory(d / c);
       }},
      {"a read-only earlier record file", nomi.record, "read-only",
       [](const fs::path& d, const std::string& c) { fs::permissions(d / c, fs::perms::owner_read); }},
      // 100000 bytes: the texts and documents fit, the plan file does not.
      {"a disk that fills up while the plan file is written", nomi.piano, "File too large",
       [](const fs::path&, const std::string&) {}, 195},
      {"a read-only output folder", "", "Permission denied",
       [](const fs::path& d, const std::string&) {
         fs::permissions(d, fs::perms::owner_read | fs::perms::owner_exec);
       },
       0, true},
  };
  for (programma p : {programma::builder, programma::tool_build, programma::tool_compile}) {
    const istantanea& nuovo = nuovo_di(p);
    for (const caso& k : casi) {
      SCOPED_TRACE(std::string(nome_programma(p)) + ": " + k.nome);
      if (k.serve_non_root && ::geteuid() == 0) continue;  // root writes into read-only folders
      prova::cartella_temporanea d;
      prepara(p, d.path());
      // In a read-only folder the first file written fails.
      const std::string colpito =
          !k.colpito.empty() ? k.colpito : p == programma::tool_compile ? nomi.piano : nomi.linea_txt;
      k.prepara(d.path(), colpito);
      const istantanea prima = fotografa(d.path());
      corsa c = avvia(p, d.path(), k.limite);
      fs::permissions(d.path(), fs::perms::owner_all, fs::perm_options::add);
      EXPECT_EQ(c.uscita, build::uscita_errore_file) << c.err;
      EXPECT_NE(c.err.find(platform::unisci(d.str(), colpito) + ": "), std::string::npos) << c.err;
      EXPECT_NE(c.err.find(k.motivo), std::string::npos) << c.err;
      istantanea dopo = fotografa(d.path());
      if (prima.at(colpito) == marca_cartella) {
        EXPECT_TRUE(fs::is_empty(d.path() / colpito));
      }
      controlla_cartella(prima, dopo, nuovo, colpito);
    }
  }
}

// A folder that cannot be made: the tool says which and why, and writes nothing.
TEST(GuastoEseguibili, UnaCartellaCheNonSiPuoCreare) {
  prova::cartella_temporanea d;
  prova::scrivi_file(d.path() / "un_file", "x");
  const std::string dentro = (d.path() / "un_file" / "uscite").string();
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"build", "--out", dentro},
        std::vector<std::string>{"compile", "--line", dati + "/piccola_linea.txt", "--run",
                                 dati + "/piccola_corsa.txt", "--out", dentro}}) {
    SCOPED_TRACE(args[0]);
    std::string err;
    EXPECT_EQ(prova::esegui(SB_TOOL_PATH, args, nullptr, &err), build::uscita_errore_file);
    EXPECT_NE(err.find(dentro), std::string::npos) << err;
    EXPECT_NE(err.find("Not a directory"), std::string::npos) << err;
    EXPECT_EQ(fotografa(d.path()), (istantanea{{"un_file", "x"}}));
  }
}

}  // namespace
