#include "build/build.hpp"

#include "model/file_binari.hpp"
#include "placement/placement.hpp"
#include "reader/codepage.hpp"
#include "reader/testo.hpp"
#include "scenario/scenario.hpp"

namespace build {
namespace {

// Hands the packed bytes of an output file on to the file being written.
class scrittore_file final : public model::scrittore_byte {
 public:
  scrittore_file(platform::FileInScrittura& f, platform::Errore& err) : f_(f), err_(err) {}

 protected:
  bool scarica(const std::uint8_t* p, std::size_t n) override { return f_.scrivi(p, n, err_); }

 private:
  platform::FileInScrittura& f_;
  platform::Errore& err_;
};

template <class Scrivi>
bool scrivi_binario(platform::FileSystem& fs, const std::string& percorso, Scrivi&& scrivi,
                    platform::Errore& err) {
  auto f = fs.crea(percorso, err);
  if (!f) return false;
  scrittore_file w(*f, err);
  scrivi(w);
  if (!w.svuota()) return false;
  return f->conferma(err);
}

bool fallito(esito& e, platform::Errore err) {
  e.errore = std::move(err);
  e.uscita = uscita_errore_file;
  return false;
}

}  // namespace

nomi_file nomi(std::string_view nome_, std::string_view codice_) {
  std::string nome(nome_), codice(codice_);
  std::string base = nome + "_" + codice;
  return {nome + "_linea.txt",  base + "-.txt",     base + "_note.txt", base + "_rallentamenti.txt",
          base + "_scheda_treno.txt", nome + "_linea.dat", base + ".sim", base + ".dat"};
}

std::string messaggio_errore(std::int32_t codice) { return " Errore n. " + std::to_string(codice); }

bool scrivi_righe(platform::FileSystem& fs, const std::string& percorso,
                  std::span<const std::string_view> righe, platform::Errore& err) {
  std::string byte = reader::componi_righe(righe);
  auto f = fs.crea(percorso, err);
  return f && f->scrivi(byte.data(), byte.size(), err) && f->conferma(err);
}

bool scrivi_scenario(ambiente& amb, std::string_view nome, std::string_view codice, esito& e) {
  nomi_file n = nomi(nome, codice);
  const struct {
    const std::string& file;
    std::span<const std::string_view> righe;
  } testi[] = {
      {n.linea_txt, scenario::tabella_linea()},
      {n.treno_txt, scenario::tabella_treno()},
      {n.note, scenario::tabella_note()},
      {n.rallentamenti, scenario::tabella_rallentamenti()},
      {n.scheda, scenario::tabella_scheda()},
  };
  for (const auto& t : testi) {
    platform::Errore err;
    if (!scrivi_righe(amb.fs, platform::unisci(amb.cartella, t.file), t.righe, err)) return fallito(e, err);
  }
  return true;
}

std::int32_t compila(model::stato_build& s, std::int32_t j, reader::testi_scenario& testi) {
  s.flag_tracciato = j;
  s.codice_errore = 0;
  s.origine = {};
  s.tabella.svuota();
  s.celle = model::percorso{};
  s.piano.elimina();
  reader::memorizza_dati(s, testi);
  if (!s.celle.esiste()) return 0;
  placement::validazione(s);
  return placement::memorizza_codici(s);
}

bool scrivi_uscite(const model::stato_build& s, ambiente& amb, esito& e) {
  nomi_file n = nomi(reader::cp1252_a_utf8(s.nome_scenario), reader::cp1252_a_utf8(s.codice_scenario));
  platform::Errore err;
  if (s.flag_tracciato == 1 && s.piano.esiste()) {
    if (!scrivi_binario(amb.fs, platform::unisci(amb.cartella, n.piano),
                        [&](model::scrittore_byte& w) { model::scrivi_tracciato(s.piano, w); }, err))
      return fallito(e, err);
    e.scritti.push_back(n.piano);
  }
  if (!scrivi_binario(amb.fs, platform::unisci(amb.cartella, n.record),
                      [&](model::scrittore_byte& w) { model::scrivi_record(s.tabella, w); }, err))
    return fallito(e, err);
  e.scritti.push_back(n.record);
  if (!scrivi_binario(amb.fs, platform::unisci(amb.cartella, n.celle),
                      [&](model::scrittore_byte& w) { model::scrivi_celle(s.celle, w); }, err))
    return fallito(e, err);
  e.scritti.push_back(n.celle);
  return true;
}

reader::testo_scenario carica_testo(platform::FileSystem& fs, const std::string& percorso,
                                    std::optional<platform::Errore>& err) {
  reader::testo_scenario t;
  t.presente = fs.esiste(percorso);
  if (t.presente) {
    platform::Errore e;
    t.leggibile = fs.leggi(percorso, t.byte, e);
    if (!t.leggibile) err = e;
  }
  return t;
}

esito memorizza_percorso(model::stato_build& s, std::int32_t j, ambiente& amb) {
  esito e;
  nomi_file n = nomi(reader::cp1252_a_utf8(s.nome_scenario), reader::cp1252_a_utf8(s.codice_scenario));
  const std::string linea = platform::unisci(amb.cartella, n.linea_txt);
  const std::string treno = platform::unisci(amb.cartella, n.treno_txt);
  std::optional<platform::Errore> lettura;
  reader::testi_scenario testi;
  testi.linea = carica_testo(amb.fs, linea, lettura);
  testi.treno = carica_testo(amb.fs, treno, lettura);

  std::int32_t fermo = compila(s, j, testi);

  // The compilation said which texts it has done with.
  for (auto [t, percorso] : {std::pair{&testi.linea, &linea}, std::pair{&testi.treno, &treno}}) {
    if (t->cancellato && t->presente) {
      platform::Errore err;
      if (!amb.fs.cancella(*percorso, err)) {
        fallito(e, err);
        return e;
      }
    }
  }
  if (!s.celle.esiste()) {
    e.uscita = uscita_senza_uscite;
    return e;
  }
  if (fermo != 0) {
    e.fermo = fermo;
    e.uscita = uscita_senza_uscite;
    amb.finestra.messaggio(amb.titolo, messaggio_errore(fermo));
    return e;
  }
  if (!scrivi_uscite(s, amb, e)) return e;
  e.uscita = s.codice_errore == 0 ? uscita_ok : uscita_con_codice;
  return e;
}

esito form_load(model::stato_build& s, ambiente& amb, bool finestra) {
  s.nome_scenario = std::string(nome_predefinito);
  s.codice_scenario = std::string(codice_predefinito);
  if (finestra) {
    std::string titolo = s.nome_scenario;
    while (!titolo.empty() && titolo.back() == ' ') titolo.pop_back();
    amb.finestra.mostra_attesa(titolo + " " + s.codice_scenario);
  }
  esito e;
  if (!scrivi_scenario(amb, s.nome_scenario, s.codice_scenario, e)) return e;
  e = memorizza_percorso(s, 1, amb);
  if (finestra) amb.finestra.chiudi();
  return e;
}

}  // namespace build
