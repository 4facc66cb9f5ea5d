// The train run compiler: the general data, the speed limits and adhesion
// spread over the cells, stations, signals, slowdowns and code reductions,
// and the end step with the kilometric reference check.
#include <cstdint>
#include <limits>

#include "model/arrotonda.hpp"
#include "placement/placement.hpp"
#include "reader/compila.hpp"
#include "reader/lettura_testo.hpp"
#include "reader/testo.hpp"

namespace reader {
namespace {

using model::R;

// A value held over a range of cells (speed limit or adhesion) and the first
// cell still to receive it.
struct riempimento {
  std::int64_t tenuto = 0;
  std::int64_t indice = 0;
};

bool in_32(std::int64_t v) {
  return v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max();
}

struct compilatore_treno : lettura_testo {
  riempimento velocita, aderenza;
  std::int64_t stazione = 1;  // slot of the next station
  std::int32_t posto_cartello;

  compilatore_treno(model::stato_build& st, testi_scenario& ts, std::int32_t posto)
      : lettura_testo(st, ts, ts.treno, model::fonte_codice::treno), posto_cartello(posto) {}

  // A row's fill stops before the last cell; the end step's fill writes any
  // cell of the table.
  template <class F>
  bool riempi(riempimento& f, std::int64_t fino, F&& scrivi, bool fino_all_ultima = false) {
    do {
      if (!fino_all_ultima && f.indice >= s.celle.D()) return true;
      if (model::cella* c = s.celle.at(f.indice)) {
        if (!scrivi(*c, f.tenuto)) return false;
      }
      f.indice += 1;
    } while (f.indice < fino);
    return true;
  }
  static bool scrivi_velocita(model::cella& c, std::int64_t limite) {
    std::int64_t v = R(static_cast<double>(limite) / 5.0);
    if (v < 0 || v > 255) return false;
    c.velocita = static_cast<std::uint8_t>(v);
    return true;
  }
  static bool scrivi_aderenza(model::cella& c, std::int64_t valore) {
    c.aderenza = model::basso8(valore);
    return true;
  }

  template <class F>
  passo riga_intervallo(riempimento& f, F&& scrivi) {
    std::int32_t p, v;
    if (!r.leggi(p) || !r.leggi(v)) return lettura_fallita();
    if (!posizione_valida(p)) return passo::fine_testo;
    std::int64_t n = R(p / 50.0);
    if (n > 0 && !riempi(f, n, scrivi)) return lettura_fallita();
    f.tenuto = v;
    return passo::avanti;
  }

  passo riga_segnale() {
    std::int32_t v[11];
    for (std::int32_t& x : v) {
      if (!r.leggi(x)) return lettura_fallita();
    }
    if (!posizione_valida(v[0])) return passo::fine_testo;
    const std::int32_t prima = s.codice_errore;
    placement::memo_segnale(s, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]);
    return dopo_riga(v[0], prima);
  }

  passo riga_rallentamento() {
    std::int32_t v[6];
    for (std::int32_t& x : v) {
      if (!r.leggi(x)) return lettura_fallita();
    }
    if (!posizione_valida(v[0])) return passo::fine_testo;
    const std::int32_t prima = s.codice_errore;
    placement::memo_rallentamento(s, v[0], v[1], v[2], v[3], v[4], v[5]);
    return dopo_riga(v[0], prima);
  }

  // After a signal or a slowdown: any code in the word ends the phase, also
  // one an earlier row left there (its origin is then kept: it is the cause).
  passo dopo_riga(std::int32_t posizione, std::int32_t codice_prima) {
    if (s.codice_errore <= 0) return passo::avanti;
    if (codice_prima > 0 && s.codice_errore == codice_prima) {
      t.treno.cancellato = true;
      s.posizione_errore = posizione;
      s.origine.fermato_treno = inizio_riga;
      return passo::fine;
    }
    return chiudi_con(s.codice_errore, posizione);
  }

  passo riga_abbattimento() {
    std::int32_t p, c;
    if (!r.leggi(p) || !r.leggi(c)) return lettura_fallita();
    if (!posizione_valida(p)) return passo::fine_testo;
    if (!placement::memo_abbattimento(s, p, c)) return chiudi_con(7, p);
    return passo::avanti;
  }

  passo riga_stazione();

  passo riga() {
    passo p = passo::avanti;
    auto prova = [&](bool vale, auto&& azione) {
      if (p == passo::avanti && vale) p = azione();
    };
    model::voce_stazione& treno = s.tabella[model::voce_treno];
    model::voce_stazione& segn = s.tabella[model::voce_segnalamento];
    auto leggi_in = [&](auto& campo) { return r.leggi(campo) ? passo::avanti : lettura_fallita(); };
    prova(contiene_nc(item, "frenata") && contiene_nc(item, "massa"), [&] { return leggi_in(treno.valore1); });
    prova(contiene_nc(item, "vetture"), [&] { return leggi_in(treno.valore3); });
    prova(contiene_nc(item, "velocit"), [&] { return riga_intervallo(velocita, scrivi_velocita); });
    prova(contiene_nc(item, "aderenza"), [&] { return riga_intervallo(aderenza, scrivi_aderenza); });
    prova(contiene_nc(item, "orologio"), [&] {
      passo q = leggi_in(segn.intero3);
      if (q == passo::avanti) q = leggi_in(segn.intero4);
      if (q == passo::avanti) q = leggi_in(segn.intero5);
      return q;
    });
    prova(contiene_nc(item, "sabbia"), [&] { return leggi_in(segn.intero1); });
    prova(contiene_nc(item, "segnale"), [&] { return riga_segnale(); });
    prova(contiene_nc(item, "rallentamento"), [&] { return riga_rallentamento(); });
    prova(contiene_nc(item, "abbattimento"), [&] { return riga_abbattimento(); });
    prova(contiene_nc(item, "stazione"), [&] { return riga_stazione(); });
    return p;
  }

  void passo_finale() {
    t.treno.cancellato = true;
    const std::int64_t limite = s.celle.D() - 2;
    if (!riempi(velocita, limite, scrivi_velocita, true)) return void(lettura_fallita());
    riempi(aderenza, limite, scrivi_aderenza, true);
    for (int slot : {model::voce_progressiva_tre, model::voce_progressiva_due, model::voce_progressiva_uno}) {
      const model::voce_stazione& v = s.tabella[slot];
      if (v.valore1 % 50 != 0 || v.valore2 % 50 != 0) {
        s.codice_errore = 2;
        s.origine = {model::fonte_codice::linea, 0, -1, std::nullopt};
      }
    }
  }

  void esegui() {
    if (!t.treno.presente || !t.treno.leggibile) return void(lettura_fallita());
    // Passes over the free text up to the general section.
    do {
      if (!leggi_item()) return void(lettura_fallita());
    } while (!r.fine() && !contiene_nc(item, "[generale]"));

    for (;;) {
      if (r.fine()) break;
      if (!leggi_item()) return void(lettura_fallita());
      if (r.fine()) break;
      bool fallita;
      if (!salta_trattini(fallita)) {
        if (fallita) return void(lettura_fallita());
        break;
      }
      passo p = riga();
      if (p == passo::fine) return;
      if (p == passo::fine_testo) break;
    }
    passo_finale();
  }
};

passo compilatore_treno::riga_stazione() {
  model::voce_stazione* rv = s.tabella.voce(stazione);
  if (rv == nullptr) return chiudi_con(10);
  model::voce_stazione& v = *rv;
  const std::int64_t j = stazione;

  if (!r.leggi(v.valore3)) return lettura_fallita();
  const std::int32_t p = v.valore3;
  if (!posizione_valida(p, 800.0)) return passo::fine_testo;
  if (p % 50 != 0) return chiudi_con(8, p);
  std::int32_t lunghezza;
  if (!r.leggi(v.tipo_stazione) || !r.leggi(lunghezza)) return lettura_fallita();
  if (lunghezza % 100 != 0) return chiudi_con(9, p);
  if (!r.leggi(v.opzione) || !r.leggi(v.byte4) || !r.leggi(v.byte3) || !r.leggi(v.intero1) ||
      !r.leggi(v.intero2) || !r.leggi(v.byte1) || !r.leggi(v.intero3) || !r.leggi(v.intero4) ||
      !r.leggi(v.intero5) || !r.leggi(v.byte2))
    return lettura_fallita();
  std::int32_t ore, minuti, secondi;
  if (!r.leggi(ore) || !r.leggi(minuti) || !r.leggi(secondi)) return lettura_fallita();
  const std::int64_t orario = (static_cast<std::int64_t>(ore) * 60 + minuti) * 60 + secondi;
  if (!in_32(orario)) return lettura_fallita();
  v.orario = static_cast<std::int32_t>(orario);
  if (!r.leggi_stringa(v.testo)) return lettura_fallita();

  // Start and end of the station area, by type.
  const std::uint8_t tipo = v.tipo_stazione;
  std::int64_t inizio, fine;
  if (tipo == 5 || tipo == 6) {
    inizio = static_cast<std::int64_t>(p) - lunghezza;
    fine = static_cast<std::int64_t>(p) + 150;
    v.byte3 = 0;
  } else if (tipo == 7 || tipo == 8) {
    inizio = static_cast<std::int64_t>(p) - lunghezza;
    fine = static_cast<std::int64_t>(p) + lunghezza;
    v.byte3 = 0;
  } else {
    inizio = static_cast<std::int64_t>(p) - lunghezza / 2;
    fine = static_cast<std::int64_t>(p) + lunghezza / 2 + (v.byte3 != 0 ? 50 : 0);
  }
  if (!in_32(inizio) || !in_32(fine)) return lettura_fallita();
  v.valore1 = static_cast<std::int32_t>(inizio);
  v.valore2 = static_cast<std::int32_t>(fine);
  if (lunghezza < 600) v.byte4 = 0;
  if (j == 1) {
    v.byte3 = 0;
    v.byte4 = 0;
  }
  if (tipo < 25) {
    const std::int64_t base = fine / 50;
    if (tipo != 5 && tipo != 6) {
      for (std::int64_t k = 1; k <= 4; ++k) {
        std::int64_t u = base - k - 1;
        if (u > 1) {
          if (model::cella* c = s.celle.at(u)) c->preavviso = static_cast<std::uint8_t>(80 + k);
        }
      }
    }
    const std::int64_t u = base - 1;
    model::cella* c = u > 1 ? s.celle.at(u) : nullptr;
    if (c == nullptr) {
      s.origine.cella = u;
      return chiudi_con(24);
    }
    c->elemento = model::el_fermata;
    c->dato1 = model::basso16(j);
  }
  if (j > 1) {
    const model::voce_stazione& prima = s.tabella[static_cast<int>(j - 1)];
    if (inizio - 350 < prima.valore2) return chiudi_con(22, p);
  }
  stazione = j + 1;
  if (stazione >= posto_cartello) return chiudi_con(10);
  return passo::avanti;
}

}  // namespace

void compila_treno(model::stato_build& s, testi_scenario& t, std::int32_t posto_cartello) {
  compilatore_treno c(s, t, posto_cartello);
  c.esegui();
}

}  // namespace reader
