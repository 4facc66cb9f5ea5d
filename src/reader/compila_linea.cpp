// The line description compiler: the general section, the ordering of the
// kilometric references, then the body rows (curves, gradients, mountain
// sections, speed indicator boards, indicator signs) and the end fills.
#include <cstdint>
#include <limits>

#include "model/arrotonda.hpp"
#include "placement/placement.hpp"
#include "reader/compila.hpp"
#include "reader/lettura_testo.hpp"
#include "reader/piano.hpp"
#include "reader/progressive.hpp"
#include "reader/testo.hpp"

namespace reader {
namespace {

using model::R;

constexpr std::int32_t lunghezza_massima = 1000000;

struct compilatore_linea : lettura_testo {
  bool tabelle_create = false;
  // Reading state of the body.
  stato_piano piano;
  placement::stato_montagne montagne;
  std::int32_t posto_cartello = model::primo_cartello;

  compilatore_linea(model::stato_build& st, testi_scenario& ts)
      : lettura_testo(st, ts, ts.linea, model::fonte_codice::linea) {}

  // --- general section -------------------------------------------------

  passo lunghezza() {
    std::int32_t l;
    if (!r.leggi(l)) return lettura_fallita();
    s.tabella[model::voce_treno].valore2 = l;
    // A negative length would leave no cell 1 and no plan point 1.
    if (l > lunghezza_massima || l < 0) return chiudi_con(1);
    s.celle.crea(model::ultima_cella_per(l));
    if (s.flag_tracciato != 0) s.piano.crea(static_cast<std::int64_t>(l) + 7000);
    tabelle_create = true;
    return passo::avanti;
  }

  passo terna(int slot) {
    model::voce_stazione& v = s.tabella[slot];
    if (!r.leggi(v.valore1) || !r.leggi(v.valore2) || !r.leggi(v.valore3)) return lettura_fallita();
    return passo::avanti;
  }

  passo valore(std::int32_t& campo) {
    if (!r.leggi(campo)) return lettura_fallita();
    return passo::avanti;
  }

  passo ripetizione() {
    model::voce_stazione& v = s.tabella[model::voce_segnalamento];
    if (!r.leggi(v.valore1) || !r.leggi(v.valore2)) return lettura_fallita();
    if (v.valore1 % 50 != 0) return chiudi_con(3);
    if (v.valore2 % 50 != 0) return chiudi_con(4);
    if (contiene(item, "4")) {
      v.valore3 = 4;
    } else if (contiene(item, "9")) {
      v.valore3 = 9;
    } else {
      return chiudi_con(5);
    }
    if (v.valore2 == 0) v.valore3 = 0;
    return passo::avanti;
  }

  // The tests of the general rows, in order, each on the current item.
  passo riga_generale() {
    passo p = passo::avanti;
    auto prova = [&](bool vale, auto&& azione) {
      if (p == passo::avanti && vale) p = azione();
    };
    prova(contiene_nc(item, "percorso") && contiene_nc(item, "lunghezza"), [&] { return lunghezza(); });
    prova(contiene(item, "tre") && contiene(item, "progressiva"),
          [&] { return terna(model::voce_progressiva_tre); });
    prova(contiene(item, "due") && contiene(item, "progressiva"),
          [&] { return terna(model::voce_progressiva_due); });
    prova(contiene(item, "uno") && contiene(item, "progressiva"),
          [&] { return terna(model::voce_progressiva_uno); });
    model::voce_stazione& sc = s.tabella[model::voce_scenario];
    prova(contiene(item, "sfondo") && contiene(item, "uno"), [&] { return valore(sc.valore1); });
    prova(contiene(item, "sfondo") && contiene(item, "due"), [&] { return valore(sc.valore3); });
    prova(contiene(item, "sfondo") && contiene(item, "tre"), [&] { return valore(sc.valore2); });
    prova(contiene(item, "segnali") && contiene(item, "ripetizione"), [&] { return ripetizione(); });
    return p;
  }

  static bool fine_generale(std::string_view item) {
    std::size_t k = item.find_first_not_of(' ');
    bool trattino = k != std::string_view::npos && item[k] == '-';
    return !trattino && contiene(item, "[") && contiene(item, "]");
  }

  // --- body ---------------------------------------------------------------

  passo riga_pendenza() {
    std::int32_t p, g;
    if (!r.leggi(p) || !r.leggi(g)) return lettura_fallita();
    if (!posizione_valida(p)) return passo::fine_testo;
    pendenza(s, piano, p, g);
    return passo::avanti;
  }

  passo riga_curva() {
    std::int32_t inizio, lunghezza;
    if (!r.leggi(inizio) || !r.leggi(lunghezza)) return lettura_fallita();
    if (!posizione_valida(inizio)) return passo::fine_testo;
    if (!curva(s, piano, item, inizio, lunghezza)) return chiudi_con(103);
    return passo::avanti;
  }

  passo riga_montagna() {
    std::int32_t inizio, fine, tipo;
    if (!r.leggi(inizio) || !r.leggi(fine) || !r.leggi(tipo)) return lettura_fallita();
    if (!posizione_valida(inizio)) return passo::fine_testo;
    placement::memo_montagna(s, montagne, inizio, fine, tipo);
    return dopo_posa(inizio);
  }

  passo riga_indicatori() {
    std::int32_t v[9];
    for (std::int32_t& x : v) {
      if (!r.leggi(x)) return lettura_fallita();
    }
    if (!posizione_valida(v[0])) return passo::fine_testo;
    auto e = placement::memo_indicatori_v_max(s, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
    if (e == placement::esito_cartello::valore_fuori) return lettura_fallita();
    return dopo_posa(v[0]);
  }

  // After a mountain section or a board: any code recorded ends the compilation.
  passo dopo_posa(std::int32_t posizione) {
    if (s.codice_errore > 0) {
      t.linea.cancellato = true;
      s.posizione_errore = posizione;
      segna(s.codice_errore);
      return passo::fine;
    }
    return passo::avanti;
  }

  passo riga_cartello() {
    std::int32_t p;
    if (!r.leggi(p)) return lettura_fallita();
    if (!r.leggi_stringa(item)) return lettura_fallita();
    if (!posizione_valida(p)) return passo::fine_testo;
    if (!placement::memo_cartello(s, p, item, posto_cartello)) return chiudi_con(6);
    return passo::avanti;
  }

  passo riga_corpo() {
    passo p = passo::avanti;
    auto prova = [&](bool vale, auto&& azione) {
      if (p == passo::avanti && vale) p = azione();
    };
    // Each test looks at the current item as it stands when its turn comes.
    prova(contiene_nc(item, "pendenza"), [&] { return riga_pendenza(); });
    prova(contiene_nc(item, "curva") && s.flag_tracciato != 0, [&] { return riga_curva(); });
    prova(contiene_nc(item, "montagna"), [&] { return riga_montagna(); });
    prova(contiene_nc(item, "indicatori_v"), [&] { return riga_indicatori(); });
    prova(contiene_nc(item, "indicat") && contiene_nc(item, "cartello"), [&] { return riga_cartello(); });
    return p;
  }

  // --- the whole text -----------------------------------------------------

  bool esegui() {
    if (!t.linea.presente) {
      segna(101);
      return false;
    }
    if (!t.linea.leggibile) {
      lettura_fallita();
      return false;
    }
    // The search for the general section.
    for (;;) {
      if (!leggi_item()) {
        lettura_fallita();
        return false;
      }
      if (r.fine()) {
        chiudi_con(102);
        return false;
      }
      if (contiene_nc(item, "[generale]")) break;
    }
    // The general section.
    for (;;) {
      if (r.fine()) break;
      if (!leggi_item()) return lettura_fallita(), false;
      if (r.fine()) break;
      for (int k = 0; k < 10; ++k) {
        if (contiene(item, "-") && !r.leggi_stringa(item)) return lettura_fallita(), false;
      }
      if (riga_generale() == passo::fine) return false;
      if (fine_generale(item)) break;
    }
    if (!tabelle_create) {
      // Without a route length there is no table to compile into.
      chiudi_con(104);
      return false;
    }
    progressive_ordina(s.tabella);
    if (s.flag_tracciato != 0) punti_iniziali(s, piano);

    passo p = passo::avanti;
    while (p == passo::avanti) {
      if (r.fine()) break;
      if (!leggi_item()) return lettura_fallita(), false;
      if (r.fine()) break;
      bool fallita;
      if (!salta_trattini(fallita)) {
        if (fallita) return lettura_fallita(), false;
        break;
      }
      p = riga_corpo();
      if (p == passo::fine) return false;
    }
    // End-of-text step, also after code 15.
    t.linea.cancellato = true;
    completa_pendenza(s, piano);
    if (s.flag_tracciato != 0) completa_piano(s, piano);
    return true;
  }
};

}  // namespace

bool compila_linea(model::stato_build& s, testi_scenario& t, std::int32_t& posto_cartello) {
  compilatore_linea c(s, t);
  bool avanti = c.esegui();
  posto_cartello = c.posto_cartello;
  return avanti;
}

void memorizza_dati(model::stato_build& s, testi_scenario& t) {
  s.tabella[model::voce_scenario].testo = s.nome_scenario;
  s.tabella[model::voce_segnalamento].testo = s.codice_scenario;
  std::int32_t posto_cartello = model::primo_cartello;
  if (compila_linea(s, t, posto_cartello)) compila_treno(s, t, posto_cartello);
}

}  // namespace reader
