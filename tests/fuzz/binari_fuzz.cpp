// Arbitrary bytes as each of the three binary files: the decoders must accept
// exactly what the writers can produce (what they accept writes back to the
// same bytes) and refuse the rest with an offset inside the file; and
// `scenario-tool dump` must decode or refuse any of them without fault.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "comune.hpp"
#include "model/file_binari.hpp"
#include "model/lettura_binari.hpp"
#include "tool/decodifica.hpp"
#include "tool/dump.hpp"

namespace {

void record(const std::string& b) {
  std::istringstream in(b);
  model::cursore_byte c(in, b.size());
  model::tabella_stazioni t;
  model::errore_formato e;
  std::array<std::uint64_t, model::numero_voci> offsets{};
  if (!model::leggi_record(c, t, e, &offsets)) {
    FUZZ_CONTROLLA(e.offset <= b.size());
    FUZZ_CONTROLLA(!e.motivo.empty());
    return;
  }
  model::scrittore_memoria w;
  model::scrivi_record(t, w);
  FUZZ_CONTROLLA(w.svuota());
  FUZZ_CONTROLLA(w.dati == b);
  for (int k = 0; k < model::numero_voci; ++k) {
    FUZZ_CONTROLLA(offsets[static_cast<std::size_t>(k)] < b.size());
    (void)tool::nome_ruolo(tool::ruolo_voce(k, t[k]));
    (void)tool::orario_hms(t[k].orario);
    (void)tool::utf8(t[k].testo);
  }
}

void celle(const std::string& b) {
  std::istringstream in(b);
  model::cursore_byte c(in, b.size());
  model::percorso p;
  model::errore_formato e;
  if (!model::leggi_celle(c, p, e)) {
    FUZZ_CONTROLLA(e.offset <= b.size());
    FUZZ_CONTROLLA(!e.motivo.empty());
    return;
  }
  model::scrittore_memoria w;
  model::scrivi_celle(p, w);
  FUZZ_CONTROLLA(w.svuota());
  FUZZ_CONTROLLA(w.dati == b);
  for (const model::cella& x : p.celle()) {
    (void)tool::decodifica_segnale(x);
    (void)tool::decodifica_velocita(x.dato1);
    (void)tool::decodifica_strisce(x.dato4);
    (void)tool::nome_elemento(x.elemento);
  }
}

void piano(const std::string& b) {
  std::istringstream in(b);
  model::indice_piano ip;
  model::errore_formato e;
  if (!model::scandisci_piano(in, b.size(), ip, e)) {
    FUZZ_CONTROLLA(e.offset <= b.size());
    FUZZ_CONTROLLA(!e.motivo.empty());
    return;
  }
  FUZZ_CONTROLLA(ip.valori == 2 * static_cast<std::uint64_t>(ip.punti));
  FUZZ_CONTROLLA(ip.per_tag[0] + ip.per_tag[1] + ip.per_tag[2] == ip.valori);
  // Written back, x values then y values, the points give the same bytes.
  model::scrittore_memoria wx, wy;
  auto scrivi = [](model::scrittore_byte& w, const model::valore_tracciato& v) {
    w.u16(static_cast<std::uint16_t>(v.tipo));
    if (v.tipo == model::tipo_valore::intero16) w.i16(static_cast<std::int16_t>(v.valore));
    if (v.tipo == model::tipo_valore::reale) w.f64(v.valore);
  };
  model::lettore_piano lp(in, b.size(), ip);
  std::int64_t j = 0, visti = 0;
  model::valore_tracciato x, y;
  while (lp.prossimo(j, x, y)) {
    FUZZ_CONTROLLA(j == visti++);
    scrivi(wx, x);
    scrivi(wy, y);
  }
  FUZZ_CONTROLLA(lp.errore() == nullptr);
  FUZZ_CONTROLLA(visti == ip.punti);
  FUZZ_CONTROLLA(wx.svuota() && wy.svuota());
  FUZZ_CONTROLLA(wx.dati + wy.dati == b);
}

// The dump verb reads files: the bytes go to a file of this process, under a
// name that says which kind of file it is, removed after each run.
std::string file_per(std::uint8_t scelta) {
  static const char* const suffissi[] = {".sim", ".dat", "_linea.dat"};
  return "/tmp/sb-fuzz-dump-" + std::to_string(::getpid()) + suffissi[scelta % 3];
}

void dump(const std::string& b, std::uint8_t scelta) {
  const std::string file = file_per(scelta);
  {
    std::ofstream f(file, std::ios::binary | std::ios::trunc);
    f.write(b.data(), static_cast<std::streamsize>(b.size()));
  }
  std::vector<std::string> args = {file};
  if (scelta & 4) args.push_back("--json");
  if (scelta % 3 == 2 && (scelta & 8)) args.insert(args.end(), {"--points", (scelta & 16) ? "0:40" : "3:9999999"});
  std::ostringstream out, err;
  const int esito = tool::verbo_dump(args, out, err);
  FUZZ_CONTROLLA(esito == 0 || esito == tool::uscita_dati);
  if (esito != 0) FUZZ_CONTROLLA(!err.str().empty());
  ::unlink(file.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
  const std::string b(reinterpret_cast<const char*>(dati), n);
  record(b);
  celle(b);
  piano(b);
  // The verb reads the same bytes as one kind of file, chosen by the last byte.
  dump(b, n > 0 ? dati[n - 1] : 0);
  return 0;
}
