// The line's fixed features: mountain sections, speed indicator boards and
// indicator signs.
#include <cstdint>

#include "model/arrotonda.hpp"
#include "placement/placement.hpp"

namespace placement {

using model::R;

void memo_montagna(model::stato_build& s, stato_montagne& m, std::int32_t inizio, std::int32_t fine,
                   std::int32_t tipo) {
  std::int64_t t = tipo;
  bool marcatori = t > 10;
  if (marcatori) t -= 10;
  m.numero += 1;
  if (m.numero > 1 && static_cast<std::int64_t>(inizio) - m.fine_precedente <= 150) t = 3;
  m.fine_precedente = fine;

  std::int64_t primo = R(inizio / 50.0);
  std::int64_t ultimo = R(fine / 50.0 - 1.0);
  // Only the cells inside the table are touched; the count that places every
  // fourth marker still runs over the section's cells as computed.
  std::int64_t da = std::max<std::int64_t>(primo, 0);
  std::int64_t a = std::min<std::int64_t>(ultimo, s.celle.D());
  for (std::int64_t i = da; i <= a; ++i) {
    model::cella* c = s.celle.at(i);
    if (c == nullptr) continue;
    c->montagna = model::basso8(t);
    std::int64_t conta = i - primo + 1;
    if (marcatori && conta % 4 == 0 && c->elemento == model::el_nessuno) c->elemento = model::el_montagna;
  }
}

namespace {

// R(vs × 20 + vd / 5) into a 16-bit field; false when it does not fit.
bool velocita_cartello(std::int32_t vs, std::int32_t vd, std::int16_t& out) {
  std::int64_t v = R(static_cast<double>(static_cast<std::int64_t>(vs) * 20) + vd / 5.0);
  if (v < INT16_MIN || v > INT16_MAX) return false;
  out = static_cast<std::int16_t>(v);
  return true;
}

}  // namespace

esito_cartello memo_indicatori_v_max(model::stato_build& s, std::int32_t posizione, std::int32_t vas,
                                     std::int32_t vbs, std::int32_t vcs, std::int32_t strisces,
                                     std::int32_t vad, std::int32_t vbd, std::int32_t vcd,
                                     std::int32_t strisced) {
  std::int64_t i = R(posizione / 50.0 + 1.0);
  model::cella* c = s.celle.at(i);
  if (c == nullptr || !c->libera()) {
    s.codice_errore = 21;
    s.origine.cella = i;
    return esito_cartello::occupato;
  }
  c->elemento = model::el_indicatore_vmax;
  // Each value is stored as soon as it is computed: a value that does not
  // fit leaves the ones before it in place.
  if (!velocita_cartello(vas, vad, c->dato1)) return esito_cartello::valore_fuori;
  if (!velocita_cartello(vbs, vbd, c->dato2)) return esito_cartello::valore_fuori;
  if (!velocita_cartello(vcs, vcd, c->dato3)) return esito_cartello::valore_fuori;
  c->dato4 = model::basso16(model::basso16(strisces) * 10 + model::basso16(strisced));
  return esito_cartello::posato;
}

bool memo_cartello(model::stato_build& s, std::int32_t p, std::string_view testo,
                   std::int32_t& posto_cartello) {
  std::int64_t i = R(p / 50.0 + 1.0);
  model::cella* c = s.celle.at(i);
  model::voce_stazione* v = posto_cartello >= 1 ? s.tabella.voce(posto_cartello) : nullptr;
  if (c == nullptr || !c->libera() || v == nullptr) {
    s.codice_errore = 6;
    s.posizione_errore = p;
    s.origine.cella = i;
    return false;
  }
  c->elemento = model::el_cartello;
  c->dato1 = model::basso16(posto_cartello);
  v->testo.assign(testo);
  posto_cartello -= 1;
  return true;
}

}  // namespace placement
