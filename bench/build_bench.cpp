// The build run against its floor. Each benchmark times, in every iteration,
// a build into a folder and then its floor: the same files, with the same
// sizes, written through the same platform calls (create, the same sequence
// of writes, rename) and the same deletions, with bytes that need no work.
// The ratio of the two is what the build adds to the I/O it cannot avoid.
//
//   Embedded            the embedded scenario, as the builder runs it
//   Sintetico/L/passo/piano   a synthetic scenario of route length L, rows in
//                       every passo-th stretch (bench/scenario_sintetico.hpp),
//                       built with the plan (piano 1) or without it (0)
//
// Counters: build_ms and floor_ms (mean per iteration), ratio (build / floor,
// summed over the iterations), written_MB (per build), peak_MB (the most
// resident memory the build added: VmHWM after it, reset before it, less
// VmRSS before it), heap_MB (the most heap it held at once, counted by the
// operator new of memoria_heap.cpp), each also per byte written, and rows (of the
// synthetic scenario).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "build/build.hpp"
#include "memoria_heap.hpp"
#include "platform/platform.hpp"
#include "scenario_sintetico.hpp"

namespace {

namespace fs = std::filesystem;
using orologio = std::chrono::steady_clock;

// ---- what a build does to the folder, recorded to be replayed ---------------

struct operazione_file {
  std::string percorso;
  std::vector<std::size_t> scritture;  // sizes of the write calls, in order
  bool cancella = false;               // a deletion instead of a file written
};

class fs_registrato final : public platform::FileSystem {
 public:
  explicit fs_registrato(platform::FileSystem& fs) : fs_(fs) {}
  std::vector<operazione_file> operazioni;

  bool esiste(const std::string& p) override { return fs_.esiste(p); }
  bool leggi(const std::string& p, std::string& b, platform::Errore& e) override { return fs_.leggi(p, b, e); }
  bool cancella(const std::string& p, platform::Errore& e) override {
    operazioni.push_back({p, {}, true});
    return fs_.cancella(p, e);
  }
  std::unique_ptr<platform::FileInScrittura> crea(const std::string& p, platform::Errore& e) override {
    auto f = fs_.crea(p, e);
    if (!f) return nullptr;
    operazioni.push_back({p, {}, false});
    return std::make_unique<file_registrato>(std::move(f), operazioni.back().scritture);
  }

 private:
  class file_registrato final : public platform::FileInScrittura {
   public:
    file_registrato(std::unique_ptr<platform::FileInScrittura> f, std::vector<std::size_t>& s)
        : f_(std::move(f)), s_(s) {}
    bool scrivi(const void* d, std::size_t n, platform::Errore& e) override {
      s_.push_back(n);
      return f_->scrivi(d, n, e);
    }
    bool conferma(platform::Errore& e) override { return f_->conferma(e); }

   private:
    std::unique_ptr<platform::FileInScrittura> f_;
    std::vector<std::size_t>& s_;
  };
  platform::FileSystem& fs_;
};

// The floor: the recorded operations, with bytes ready in memory.
bool pavimento(platform::FileSystem& fs, const std::vector<operazione_file>& ops, const std::string& byte) {
  platform::Errore err;
  for (const auto& op : ops) {
    if (op.cancella) {
      if (!fs.cancella(op.percorso, err)) return false;
      continue;
    }
    auto f = fs.crea(op.percorso, err);
    if (!f) return false;
    for (std::size_t n : op.scritture) {
      if (!f->scrivi(byte.data(), n, err)) return false;
    }
    if (!f->conferma(err)) return false;
  }
  return true;
}

std::uint64_t byte_scritti(const std::vector<operazione_file>& ops) {
  std::uint64_t n = 0;
  for (const auto& op : ops)
    for (std::size_t k : op.scritture) n += k;
  return n;
}

// ---- memory ----------------------------------------------------------------


// A value in kB from /proc/self/status ("VmRSS", "VmHWM").
long stato_kb(std::string_view campo) {
  std::ifstream f("/proc/self/status");
  std::string l;
  while (std::getline(f, l)) {
    if (l.compare(0, campo.size(), campo) == 0 && l.size() > campo.size() && l[campo.size()] == ':')
      return std::stol(l.substr(campo.size() + 1));
  }
  return -1;
}

// Resets the high-water mark to the current resident size.
void azzera_picco() {
  std::ofstream f("/proc/self/clear_refs");
  f << "5";
}

struct finestra_muta final : platform::Finestra {
  void mostra_attesa(std::string_view) override {}
  void messaggio(std::string_view, std::string_view) override {}
  void chiudi() override {}
};

class cartella_temporanea {
 public:
  cartella_temporanea() {
    p_ = fs::temp_directory_path() / ("sb-bench-" + std::to_string(::getpid()));
    fs::create_directories(p_);
  }
  ~cartella_temporanea() {
    std::error_code ec;
    fs::remove_all(p_, ec);
  }
  std::string str() const { return p_.string(); }

 private:
  fs::path p_;
};

// ---- the measure -------------------------------------------------------------

// `costruisci(fs, cartella)` makes one build and says whether it went as it must.
template <class Costruisci>
void misura(benchmark::State& st, Costruisci&& costruisci) {
  cartella_temporanea d;
  auto nativo = platform::file_system_nativo();

  // One build to learn its operations, and to check it.
  fs_registrato reg(*nativo);
  std::string perche;
  if (!costruisci(reg, d.str(), perche)) return st.SkipWithError(perche.c_str());
  const std::vector<operazione_file> ops = reg.operazioni;
  std::size_t piu_grande = 0;
  for (const auto& op : ops)
    for (std::size_t n : op.scritture) piu_grande = std::max(piu_grande, n);
  const std::string byte(piu_grande, 'x');
  const std::uint64_t scritti = byte_scritti(ops);

  double t_build = 0, t_pav = 0;
  long picco_kb = 0;
  std::int64_t picco_heap = 0;
  for (auto _ : st) {
    azzera_picco();
    banco::azzera_picco_heap();
    const long prima = stato_kb("VmRSS");
    const std::int64_t heap_prima = banco::heap_in_uso();
    auto t0 = orologio::now();
    const bool ok = costruisci(*nativo, d.str(), perche);
    auto t1 = orologio::now();
    picco_kb = std::max(picco_kb, stato_kb("VmHWM") - prima);
    picco_heap = std::max(picco_heap, banco::heap_picco() - heap_prima);
    if (!ok) return st.SkipWithError(perche.c_str());
    const bool ok_pav = pavimento(*nativo, ops, byte);
    auto t2 = orologio::now();
    if (!ok_pav) return st.SkipWithError("the floor's writes failed");
    const double b = std::chrono::duration<double>(t1 - t0).count();
    t_build += b;
    t_pav += std::chrono::duration<double>(t2 - t1).count();
    st.SetIterationTime(b);
  }
  const double it = static_cast<double>(st.iterations());
  st.counters["build_ms"] = 1000 * t_build / it;
  st.counters["floor_ms"] = 1000 * t_pav / it;
  st.counters["ratio"] = t_build / t_pav;
  st.counters["written_MB"] = static_cast<double>(scritti) / 1e6;
  st.counters["peak_MB"] = static_cast<double>(picco_kb) * 1024 / 1e6;
  st.counters["peak_per_byte"] = static_cast<double>(picco_kb) * 1024 / static_cast<double>(scritti);
  st.counters["heap_MB"] = static_cast<double>(picco_heap) / 1e6;
  st.counters["heap_per_byte"] = static_cast<double>(picco_heap) / static_cast<double>(scritti);
  st.SetBytesProcessed(static_cast<std::int64_t>(scritti) * st.iterations());
}

void Embedded(benchmark::State& st) {
  misura(st, [](platform::FileSystem& fs, const std::string& cartella, std::string& perche) {
    finestra_muta f;
    build::ambiente amb{fs, f, cartella};
    model::stato_build s;
    build::esito e = build::form_load(s, amb, false);
    if (e.uscita != build::uscita_ok) {
      perche = "the embedded build ended with status " + std::to_string(e.uscita) +
               (e.errore ? ": " + e.errore->testo() : "");
      return false;
    }
    return true;
  });
}
BENCHMARK(Embedded)->UseManualTime()->Unit(benchmark::kMillisecond);

// Counts the cells holding each kind of point item.
std::map<int, std::int64_t> conta_elementi(const model::percorso& p) {
  std::map<int, std::int64_t> n;
  for (const auto& c : p.celle()) ++n[c.elemento];
  return n;
}

void Sintetico(benchmark::State& st) {
  const auto lunghezza = static_cast<std::int32_t>(st.range(0));
  const auto passo = static_cast<int>(st.range(1));
  const auto piano = static_cast<std::int32_t>(st.range(2));
  const banco::scenario_sintetico sc = banco::genera(lunghezza, passo);
  const build::nomi_file nomi = build::nomi(build::nome_predefinito, build::codice_predefinito);
  bool controllato = false;

  misura(st, [&](platform::FileSystem& fs, const std::string& cartella, std::string& perche) {
    finestra_muta f;
    build::ambiente amb{fs, f, cartella};
    model::stato_build s;
    s.nome_scenario = std::string(build::nome_predefinito);
    s.codice_scenario = std::string(build::codice_predefinito);
    // The two texts, as the builder writes its own before compiling them.
    for (auto [nome, testo] : {std::pair{&nomi.linea_txt, &sc.linea}, std::pair{&nomi.treno_txt, &sc.treno}}) {
      platform::Errore err;
      auto f = fs.crea(platform::unisci(cartella, *nome), err);
      if (!f || !f->scrivi(testo->data(), testo->size(), err) || !f->conferma(err)) {
        perche = err.testo();
        return false;
      }
    }
    build::esito e = build::memorizza_percorso(s, piano, amb);
    if (e.uscita != build::uscita_ok) {
      perche = "the synthetic build ended with status " + std::to_string(e.uscita) + ", code " +
               std::to_string(s.codice_errore) + " at " + std::to_string(s.posizione_errore) + " m";
      return false;
    }
    if (!controllato) {
      // Every row went where it was meant to go.
      auto n = conta_elementi(s.celle);
      const bool ok = n[model::el_segnale] == sc.segnali && n[model::el_inizio_rallentamento] == sc.rallentamenti &&
                      n[model::el_indicatore_vmax] == sc.cartelli_v && n[model::el_fermata] == sc.stazioni &&
                      n[model::el_cartello] == sc.cartelli && n[model::el_abbattimento] >= sc.abbattimenti &&
                      (piano == 0 || s.piano.calcolati() == s.piano.M() - 1);
      if (!ok) {
        perche = "the synthetic build did not place every row";
        return false;
      }
      controllato = true;
    }
    return true;
  });
  st.counters["rows"] = static_cast<double>(sc.righe);
}
// Route length at full density; then row count at the longest route, with
// the plan (which is most of the bytes) and without it (where the rows are
// most of the work).
BENCHMARK(Sintetico)
    ->ArgNames({"L", "passo", "piano"})
    ->Args({125000, 1, 1})
    ->Args({250000, 1, 1})
    ->Args({500000, 1, 1})
    ->Args({1000000, 1, 1})
    ->Args({1000000, 8, 1})
    ->Args({1000000, 4, 1})
    ->Args({1000000, 2, 1})
    ->Args({1000000, 8, 0})
    ->Args({1000000, 4, 0})
    ->Args({1000000, 2, 0})
    ->Args({1000000, 1, 0})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
