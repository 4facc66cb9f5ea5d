// `scenario-tool compile`: an author's texts through the same compilation,
// validation and competition codes as the builder, into a folder of choice.
#include <ostream>

#include "build/codici.hpp"
#include "build/diagnostica.hpp"
#include "reader/codepage.hpp"
#include "tool/json.hpp"
#include "tool/verbi.hpp"

namespace tool {

void riporta_compilazione(const model::stato_build& s, const build::esito& e, const build::sorgenti& src,
                          std::ostream& out, std::ostream& err) {
  if (s.codice_errore != 0) err << build::diagnostica_codice(s, s.codice_errore, src).testo() << "\n";
  for (const std::string& f : e.scritti) out << "wrote " << f << "\n";
}

int compila_scenario(const richiesta_compilazione& r, std::ostream& out, std::ostream& err) {
  auto fs = platform::file_system_nativo();
  return compila_scenario(r, *fs, out, err);
}

int compila_scenario(const richiesta_compilazione& r, platform::FileSystem& fs, std::ostream& out,
                     std::ostream& err) {
  model::stato_build s;
  s.nome_scenario = reader::utf8_a_cp1252(r.nome);
  s.codice_scenario = reader::utf8_a_cp1252(r.codice);

  std::optional<platform::Errore> lettura;
  reader::testi_scenario testi;
  testi.linea = build::carica_testo(fs, r.linea, lettura);
  testi.treno = build::carica_testo(fs, r.treno, lettura);
  if (lettura) err << "scenario-tool: " << lettura->testo() << "\n";

  const build::sorgenti src{r.linea, r.treno, testi.linea.byte, testi.treno.byte};
  std::vector<build::diagnostica> avvisi = build::avvisi_codifica(r.linea, testi.linea.byte);
  for (auto& a : build::avvisi_codifica(r.treno, testi.treno.byte)) avvisi.push_back(a);
  if (!r.json) {
    for (const auto& a : avvisi) err << a.testo() << "\n";
  }

  std::int32_t fermo = build::compila(s, r.piano ? 1 : 0, testi);

  build::esito e;
  struct finestra_muta final : platform::Finestra {
    void mostra_attesa(std::string_view) override {}
    void messaggio(std::string_view, std::string_view) override {}
    void chiudi() override {}
  } muta;
  build::ambiente amb{fs, muta, r.cartella};
  if (!s.celle.esiste()) {
    e.uscita = build::uscita_senza_uscite;
  } else if (fermo != 0) {
    e.fermo = fermo;
    e.uscita = build::uscita_senza_uscite;
    if (!r.json) {
      err << build::messaggio_errore(fermo) << "\n";
      err << build::diagnostica_codice(s, fermo, src).testo() << "\n";
    }
  } else if (build::scrivi_uscite(s, amb, e)) {
    e.uscita = s.codice_errore == 0 ? build::uscita_ok : build::uscita_con_codice;
  }
  if (e.errore) err << "scenario-tool: " << e.errore->testo() << "\n";

  std::int32_t codice = fermo != 0 ? fermo : s.codice_errore;
  if (r.json) {
    build::diagnostica d = build::diagnostica_codice(s, codice, src);
    out << "{\"codice_errore\": " << codice << ", \"posizione_errore\": " << s.posizione_errore
        << ", \"message\": " << json_stringa(build::spiegazione(codice)) << ", \"written\": [";
    for (std::size_t i = 0; i < e.scritti.size(); ++i) out << (i ? ", " : "") << json_stringa(e.scritti[i]);
    out << "]";
    if (!d.file.empty()) out << ", \"file\": " << json_stringa(d.file);
    if (d.riga) out << ", \"line\": " << *d.riga;
    if (codice != 0) out << ", \"diagnostic\": " << json_stringa(d.testo());
    if (!avvisi.empty()) {
      out << ", \"warnings\": [";
      for (std::size_t i = 0; i < avvisi.size(); ++i) out << (i ? ", " : "") << json_stringa(avvisi[i].testo());
      out << "]";
    }
    out << "}\n";
  } else {
    if (fermo == 0) riporta_compilazione(s, e, src, out, err);
    if (!s.celle.esiste()) err << "no cell table: nothing written\n";
  }
  return e.uscita;
}

}  // namespace tool
