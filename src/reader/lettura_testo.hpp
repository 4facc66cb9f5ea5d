// What the two compilers share while they read one scenario text: the build
// state, the texts, the item reader on this text, the current item and where
// its row began, and the way a row ends the reading.
#pragma once

#include <cstdint>
#include <string>

#include "model/stato.hpp"
#include "reader/compila.hpp"
#include "reader/testo.hpp"

namespace reader {

// What a row leaves the compiler to do next.
enum class passo {
  avanti,      // go on reading
  fine_testo,  // code 15: stop reading, run the end-of-text step
  fine,        // the compilation of this text ends here
};

struct lettura_testo {
  model::stato_build& s;
  testi_scenario& t;
  testo_scenario& proprio;  // the text being read
  model::fonte_codice fonte;
  lettore r;
  std::string item;
  std::size_t inizio_riga = 0;

  lettura_testo(model::stato_build& st, testi_scenario& ts, testo_scenario& p, model::fonte_codice f)
      : s(st), t(ts), proprio(p), fonte(f), r(p.byte) {}

  // Records a code, and the row it came from.
  void segna(std::int32_t codice) {
    s.codice_errore = codice;
    s.origine.fonte = fonte;
    s.origine.offset = inizio_riga;
  }
  // Closes and deletes this text and records the code.
  passo chiudi_con(std::int32_t codice) {
    proprio.cancellato = true;
    segna(codice);
    return passo::fine;
  }
  passo chiudi_con(std::int32_t codice, std::int32_t posizione) {
    s.posizione_errore = posizione;
    return chiudi_con(codice);
  }
  // A failed file or item operation: both texts are deleted where they
  // still exist, and the compilation ends with code 25.
  passo lettura_fallita() {
    t.linea.cancellato = true;
    t.treno.cancellato = true;
    s.origine.cella = -1;
    segna(25);
    return passo::fine;
  }

  // Reads the next item as a row's first item.
  bool leggi_item() {
    inizio_riga = r.posizione();
    bool ok = r.leggi_stringa(item);
    // The row starts where its first item does, past any blanks.
    while (inizio_riga < proprio.byte.size() && proprio.byte[inizio_riga] == ' ') ++inizio_riga;
    return ok;
  }

  // The position check of every positioned row: (p + margin) / 50 must not
  // pass the last cell index; otherwise code 15 with the row's position.
  bool posizione_valida(std::int32_t p, double margine = 100.0) {
    if ((static_cast<double>(p) + margine) / 50.0 > static_cast<double>(s.celle.D())) {
      segna(15);
      s.posizione_errore = p;
      return false;
    }
    return true;
  }

  // The dash rule of the body and of the train run: up to two items holding
  // "-" are passed over. False when the text ended meanwhile.
  bool salta_trattini(bool& fallita) {
    fallita = false;
    for (int k = 0; k < 2 && contiene(item, "-"); ++k) {
      if (!r.leggi_stringa(item)) {
        fallita = true;
        return false;
      }
      if (r.fine()) return false;
    }
    return true;
  }
};

}  // namespace reader
