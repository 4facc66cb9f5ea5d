// The whole compilation of a line description and a train run given as bytes
// (split at fuzz::separatore), with the plan and without it, as `scenario-tool
// compile` makes it: the encoding warnings, the compilation, the diagnostic of
// the code recorded, and the three output files, written into memory. Every
// code recorded must be one the tool can explain; what is written must have
// the size the tables promise and must read back, through the tools'
// decoders, into the very tables it was written from.
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "build/build.hpp"
#include "build/codici.hpp"
#include "build/diagnostica.hpp"
#include "comune.hpp"
#include "model/file_binari.hpp"
#include "model/lettura_binari.hpp"

namespace {

void controlla_record(const model::tabella_stazioni& t) {
  model::scrittore_memoria w;
  model::scrivi_record(t, w);
  FUZZ_CONTROLLA(w.svuota());
  FUZZ_CONTROLLA(w.dati.size() == model::dimensione_record(t));
  std::istringstream in(w.dati);
  model::cursore_byte c(in, w.dati.size());
  model::tabella_stazioni letta;
  model::errore_formato e;
  FUZZ_CONTROLLA(model::leggi_record(c, letta, e));
  for (int k = 0; k < model::numero_voci; ++k) {
    model::voce_stazione attesa = t[k];
    if (attesa.testo.size() > 0xFFFF) attesa.testo.resize(0xFFFF);  // the length field is 16 bits
    FUZZ_CONTROLLA(letta[k] == attesa);
  }
}

void controlla_celle(const model::percorso& p) {
  model::scrittore_memoria w;
  model::scrivi_celle(p, w);
  FUZZ_CONTROLLA(w.svuota());
  FUZZ_CONTROLLA(w.dati.size() == model::byte_cella * static_cast<std::size_t>(p.D() + 1));
  std::istringstream in(w.dati);
  model::cursore_byte c(in, w.dati.size());
  model::percorso letto;
  model::errore_formato e;
  FUZZ_CONTROLLA(model::leggi_celle(c, letto, e));
  FUZZ_CONTROLLA(letto.celle() == p.celle());
}

void controlla_piano(const model::tracciato& t) {
  model::scrittore_memoria w;
  model::scrivi_tracciato(t, w);
  FUZZ_CONTROLLA(w.svuota());
  FUZZ_CONTROLLA(w.dati.size() == model::dimensione_tracciato(t));
  // Reading back a plan of a long route takes most of a run's time, and
  // says nothing a shorter one does not: plans of up to 50000 points span
  // many of the writer's chunks already.
  if (t.M() > 50000) return;
  std::istringstream in(w.dati);
  model::indice_piano ip;
  model::errore_formato e;
  FUZZ_CONTROLLA(model::scandisci_piano(in, w.dati.size(), ip, e));
  FUZZ_CONTROLLA(ip.punti == t.M() + 1);
  // Points 0 and 1 are 16-bit integers, then floats as far as the plan got.
  const std::int64_t calcolati = t.calcolati();
  FUZZ_CONTROLLA(calcolati <= t.M() + 1);
  const std::uint64_t interi = static_cast<std::uint64_t>(std::min<std::int64_t>(calcolati, 2));
  FUZZ_CONTROLLA(ip.per_tag[1] == 2 * interi);
  FUZZ_CONTROLLA(ip.per_tag[2] == 2 * (static_cast<std::uint64_t>(calcolati) - interi));
  model::lettore_piano lp(in, w.dati.size(), ip);
  std::int64_t j = -1, visti = 0;
  model::valore_tracciato x, y;
  while (lp.prossimo(j, x, y)) {
    FUZZ_CONTROLLA(j == visti);
    const model::valore_tracciato ax = t.valore(j, 0), ay = t.valore(j, 1);
    FUZZ_CONTROLLA(x.tipo == ax.tipo && y.tipo == ay.tipo);
    if (x.tipo != model::tipo_valore::vuoto) {
      // Bit for bit: NaN compares unequal to itself.
      FUZZ_CONTROLLA(std::string_view(reinterpret_cast<const char*>(&x.valore), 8) ==
                     std::string_view(reinterpret_cast<const char*>(&ax.valore), 8));
      FUZZ_CONTROLLA(std::string_view(reinterpret_cast<const char*>(&y.valore), 8) ==
                     std::string_view(reinterpret_cast<const char*>(&ay.valore), 8));
    }
    ++visti;
  }
  FUZZ_CONTROLLA(lp.errore() == nullptr);
  FUZZ_CONTROLLA(visti == ip.punti);
}

void compila(const fuzz::testi& t, std::int32_t piano) {
  model::stato_build s;
  s.nome_scenario = std::string(build::nome_predefinito);
  s.codice_scenario = std::string(build::codice_predefinito);
  reader::testi_scenario testi;
  testi.linea = {true, true, std::string(t.linea), false};
  testi.treno = {true, true, std::string(t.treno), false};
  const build::sorgenti src{"linea.txt", "corsa.txt", t.linea, t.treno};
  for (std::string_view testo : {t.linea, t.treno}) {
    for (const build::diagnostica& d : build::avvisi_codifica("testo.txt", testo)) {
      FUZZ_CONTROLLA(d.riga && *d.riga >= 1);
      (void)d.testo();
    }
  }
  const std::int32_t fermo = build::compila(s, piano, testi);
  FUZZ_CONTROLLA(fermo == 0 || fermo == 1250 || fermo == 1251);
  FUZZ_CONTROLLA(s.codice_errore >= 0);
  const std::int32_t codice = fermo != 0 ? fermo : s.codice_errore;
  FUZZ_CONTROLLA(build::spiegazione(codice) != "unknown code");
  const build::diagnostica d = build::diagnostica_codice(s, codice, src);
  FUZZ_CONTROLLA(d.codice == codice);
  if (d.riga) FUZZ_CONTROLLA(*d.riga >= 1);
  if (codice != 0) FUZZ_CONTROLLA(!d.testo().empty());
  if (!s.celle.esiste()) return;  // nothing to write: the run reports it
  FUZZ_CONTROLLA(s.celle.D() >= 140 && s.celle.D() <= 20140);
  if (piano == 0) FUZZ_CONTROLLA(!s.piano.esiste());
  if (s.piano.esiste()) controlla_piano(s.piano);
  controlla_record(s.tabella);
  controlla_celle(s.celle);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
  const fuzz::testi t = fuzz::dividi(std::string_view(reinterpret_cast<const char*>(dati), n));
  compila(t, 1);
  compila(t, 0);
  return 0;
}
