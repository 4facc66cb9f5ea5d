#include "build/diagnostica.hpp"

#include <cstdlib>

#include "build/codici.hpp"
#include "model/arrotonda.hpp"
#include "reader/testo.hpp"

namespace build {
namespace {

using model::R;

std::string metri(std::int64_t m) { return std::to_string(m) + " m"; }

std::string tipo_di(std::uint8_t e) {
  switch (e) {
    case model::el_segnale: return "a signal";
    case model::el_fine_rallentamento: return "the end of a slowdown";
    case model::el_inizio_rallentamento: return "the start of a slowdown";
    case model::el_avviso_rallentamento: return "a slowdown warning";
    case model::el_zona_avviso: return "a slowdown warning zone";
    case model::el_indicatore_vmax: return "a speed indicator board";
    case model::el_fermata: return "a station stop";
    case model::el_abbattimento:
    case model::el_abbattimento_nullo: return "a code reduction";
    case model::el_cartello: return "an indicator sign";
    default: return "item " + std::to_string(e);
  }
}

// "(cell 61) falls on a cell already taken by a station stop", or "(cell −3)
// lies outside the cell table".
std::string occupata(const model::stato_build& s, std::int64_t cella) {
  std::string c = "(cell " + std::to_string(cella) + ")";
  if (!s.celle.valida(cella)) return c + " lies outside the cell table (cells 0 to " + std::to_string(s.celle.D()) + ")";
  return c + " falls on a cell already taken by " + tipo_di(s.celle.elemento(cella));
}

// One row per line: the line's first item and its first number.
struct riga_testo {
  std::size_t offset;
  std::string parola;
  std::int64_t primo;
};

std::vector<riga_testo> righe_di(std::string_view t) {
  std::vector<riga_testo> v;
  std::size_t i = 0;
  while (i < t.size()) {
    std::size_t fine = t.find_first_of("\r\n", i);
    if (fine == std::string_view::npos) fine = t.size();
    std::string_view l = t.substr(i, fine - i);
    reader::lettore r(l);
    riga_testo rt{i, "", 0};
    r.leggi_stringa(rt.parola);
    std::int64_t n = 0;
    if (!r.fine() && r.leggi_numero(INT64_MIN, INT64_MAX, n)) rt.primo = n;
    v.push_back(rt);
    i = fine;
    if (i < t.size()) i += (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ? 2 : 1;
  }
  return v;
}

// The line of the first row whose keyword holds `parola` and whose point
// item lands in `cella` (cell = R(p / 50 + scarto)).
std::optional<int> riga_per_cella(std::string_view t, std::string_view parola, std::int64_t cella, double scarto) {
  for (const riga_testo& r : righe_di(t)) {
    if (reader::contiene_nc(r.parola, parola) && R(static_cast<double>(r.primo) / 50.0 + scarto) == cella)
      return riga_di(t, r.offset);
  }
  return std::nullopt;
}

}  // namespace

int riga_di(std::string_view testo, std::size_t offset) {
  int riga = 1;
  for (std::size_t i = 0; i < offset && i < testo.size(); ++i) {
    if (testo[i] == '\n') {
      ++riga;
    } else if (testo[i] == '\r') {
      ++riga;
      if (i + 1 < testo.size() && testo[i + 1] == '\n') ++i;
    }
  }
  return riga;
}

std::optional<std::string> progressiva_km(const model::tabella_stazioni& t, std::int64_t posizione) {
  // The reference at the greatest position not beyond this one, in slot order.
  const model::voce_stazione* scelta = nullptr;
  for (int slot : {model::voce_progressiva_tre, model::voce_progressiva_due, model::voce_progressiva_uno}) {
    const model::voce_stazione& v = t[slot];
    if (v.valore1 == 0 && v.valore2 == 0 && v.valore3 == 0) continue;
    if (v.valore1 <= posizione && (!scelta || v.valore1 > scelta->valore1)) scelta = &v;
  }
  if (!scelta) return std::nullopt;
  // The stored value carries 100 more where the flag is 1.
  std::int64_t k = static_cast<std::int64_t>(scelta->valore2) - (scelta->valore3 == 1 ? 100 : 0) +
                   (posizione - scelta->valore1);
  std::string segno = k < 0 ? "-" : "";
  std::int64_t a = std::llabs(k);
  std::string m = std::to_string(a % 1000);
  return segno + std::to_string(a / 1000) + "+" + std::string(3 - m.size(), '0') + m;
}

std::string diagnostica::testo() const {
  std::string t;
  if (!file.empty()) {
    t += file;
    if (riga) {
      t += ':';
      t += std::to_string(*riga);
    }
    t += ": ";
  }
  return t + messaggio;
}

diagnostica diagnostica_codice(const model::stato_build& s, std::int32_t codice, const sorgenti& src) {
  diagnostica d;
  d.codice = codice;
  if (codice == 0) return d;
  const std::int64_t p = s.posizione_errore;
  const std::int64_t cella = s.origine.cella;
  std::string km;
  if (auto k = progressiva_km(s.tabella, p)) km = ", km " + *k;
  const std::string a_p = "at " + metri(p) + km;

  // Which text, and which line.
  std::string_view testo;
  switch (s.origine.fonte) {
    case model::fonte_codice::linea:
      d.file = src.nome_linea;
      testo = src.linea;
      break;
    case model::fonte_codice::treno:
      d.file = src.nome_treno;
      testo = src.treno;
      break;
    default:
      break;
  }
  if (!testo.empty()) d.riga = riga_di(testo, s.origine.offset);

  std::string m;
  switch (codice) {
    case 1: {
      std::int64_t l = s.tabella[model::voce_treno].valore2;
      m = "route length " + metri(l) + (l < 0 ? " is negative" : " is above the maximum of 1000000 m");
      break;
    }
    case 2: {
      d.file = src.nome_linea;
      d.riga.reset();
      for (const riga_testo& r : righe_di(src.linea)) {
        if (!reader::contiene(r.parola, "progressiva")) continue;
        reader::lettore l(src.linea.substr(r.offset));
        std::string w;
        std::int32_t pp = 0, kk = 0;
        l.leggi_stringa(w);
        if (l.leggi(pp) && l.leggi(kk) && (pp % 50 != 0 || kk % 50 != 0)) {
          d.riga = riga_di(src.linea, r.offset);
          m = "kilometric reference at " + metri(pp) + " with value " + metri(kk) + ": ";
          break;
        }
      }
      m += "position and kilometric value must be multiples of 50 m";
      break;
    }
    case 3: m = "first signal repetition position " + metri(s.tabella[86].valore1) + " is not a multiple of 50 m"; break;
    case 4: m = "second signal repetition position " + metri(s.tabella[86].valore2) + " is not a multiple of 50 m"; break;
    case 5: m = "signal repetition keyword holds neither \"4\" nor \"9\" (the number of codes)"; break;
    case 6:
      m = s.celle.valida(cella) && s.celle.libera(cella)
              ? "indicator sign " + a_p + ": no sign slot left (at most 80 signs)"
              : "indicator sign " + a_p + " " + occupata(s, cella);
      break;
    case 7: m = "code reduction " + a_p + " " + occupata(s, cella); break;
    case 8: m = "station " + a_p + ": its position is not a multiple of 50 m"; break;
    case 9: m = "station " + a_p + ": its length is not a multiple of 100 m"; break;
    case 10: m = "too many stations: the next one would reach the slots of the indicator signs"; break;
    case 11:
      d.file = src.nome_treno;
      d.riga = riga_per_cella(src.treno, "segnale", p / 50, 1.0);
      m = "signal in cell " + std::to_string(p / 50) + " (" + a_p +
          ") precedes a slowdown warning, but neither of the two cells before it is free or a code reduction";
      break;
    case 12:
      d.file = src.nome_treno;
      d.riga = riga_per_cella(src.treno, "rallentamento", p / 50, 1.0);
      m = "slowdown starting in cell " + std::to_string(p / 50) + " (" + a_p +
          "): no free cell for an automatic code reduction in one of the windows ahead of its start";
      break;
    case 13:
      d.file = src.nome_treno;
      m = "no free cell for an automatic code reduction near cell " + std::to_string(p / 50) + " (" + a_p +
          "), inside or just after a slowdown";
      break;
    case 15: {
      std::int64_t fino = (s.celle.D() * 50) - 100;
      std::string dove = a_p;
      if (s.origine.fermato_treno && !testo.empty()) {
        // The position recorded is the train run row that stopped; the cause
        // is the row the origin points at.
        reader::lettore l(testo.substr(std::min(s.origine.offset, testo.size())));
        std::string w;
        std::int32_t q = 0;
        l.leggi_stringa(w);
        l.leggi(q);
        dove = "at " + metri(q);
      }
      m = "row " + dove + " lies beyond the cell table (positions up to " + metri(fino) +
          " for this route length; stations up to " + metri(fino - 700) + ")";
      if (s.origine.fermato_treno) {
        m += "; the train run was then read up to its row at " + metri(p) + " (" + src.nome_treno + ":" +
             std::to_string(riga_di(src.treno, *s.origine.fermato_treno)) + ") and stopped there";
      }
      break;
    }
    case 16: m = "signal " + a_p + " " + occupata(s, cella); break;
    case 17: m = "slowdown " + a_p + ": its warning cell " + occupata(s, cella); break;
    case 18: m = "slowdown " + a_p + ": its start cell " + occupata(s, cella); break;
    case 19: m = "slowdown " + a_p + ": its end cell " + occupata(s, cella); break;
    case 20: m = "slowdown " + a_p + ": its warning zone " + occupata(s, cella); break;
    case 21: m = "speed indicator board " + a_p + " " + occupata(s, cella); break;
    case 22: m = "station " + a_p + " begins less than 350 m after the previous station's end"; break;
    case 24: m = "station: its stop cell would be cell " + std::to_string(cella) + ", which is not between cell 2 and the last cell"; break;
    case 25:
      if (testo.empty()) {
        d.riga.reset();
        m = "the text is missing, empty or cannot be read";
      } else {
        m = "a row is cut short by the end of the text, or a number does not fit its field";
      }
      break;
    case 101: d.file = src.nome_linea; m = "the line description does not exist"; break;
    case 102: m = "no \"[generale]\" item: the general section was not found"; break;
    case 103: m = "curve row: its keyword holds none of the digits 1 to 6, or the plan passes point 1000000"; break;
    case 104: m = "the general section has no route length row (\"lunghezza percorso, L\")"; break;
    case 1250:
    case 1251: {
      m = "something lies in cell 1 (positions 0 to 49 m), where the build stores its fixed values and codes";
      std::uint8_t e = s.celle.elemento(1);
      if (e != 0) m += ": cell 1 holds " + tipo_di(e);
      break;
    }
    default: m = std::string(spiegazione(codice)); break;
  }
  d.messaggio = "code " + std::to_string(codice) + ": " + m;
  return d;
}

std::vector<diagnostica> avvisi_codifica(std::string_view nome, std::string_view t) {
  std::vector<diagnostica> v;
  for (std::size_t i = 0; i < t.size(); ++i) {
    auto b = static_cast<unsigned char>(t[i]);
    bool utf8 = false;
    if (b >= 0xC2 && b <= 0xF4 && i + 1 < t.size()) {
      int n = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : 1;
      utf8 = i + static_cast<std::size_t>(n) < t.size();
      for (int k = 1; utf8 && k <= n; ++k) utf8 = (static_cast<unsigned char>(t[i + static_cast<std::size_t>(k)]) & 0xC0) == 0x80;
    }
    bool non_assegnato = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
    if (utf8 || non_assegnato) {
      diagnostica d;
      d.file = std::string(nome);
      d.riga = riga_di(t, i);
      d.messaggio = utf8 ? "warning: the text looks like UTF-8 (a character written as several bytes); texts are "
                           "read as Windows-1252, so names would be stored wrong"
                         : "warning: byte " + std::to_string(b) + " has no character in Windows-1252";
      v.push_back(d);
      break;  // one warning per text is enough
    }
  }
  return v;
}

}  // namespace build
