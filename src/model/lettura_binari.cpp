#include "model/lettura_binari.hpp"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "model/file_binari.hpp"

namespace model {

namespace {
constexpr std::size_t dimensione_buffer = 65536;
}

cursore_byte::cursore_byte(std::istream& in, std::uint64_t dimensione, std::uint64_t da)
    : in_(in), dimensione_(dimensione), buf_(dimensione_buffer) {
  inizio_ = std::min(da, dimensione_);
}

void cursore_byte::vai(std::uint64_t offset) {
  offset = std::min(offset, dimensione_);
  if (offset >= inizio_ && offset <= inizio_ + n_) {
    i_ = static_cast<std::size_t>(offset - inizio_);
  } else {
    inizio_ = offset;
    n_ = 0;
    i_ = 0;
  }
}

bool cursore_byte::riempi() {
  // The unread rest of the buffer moves to its front.
  std::size_t resto = n_ - i_;
  std::memmove(buf_.data(), buf_.data() + i_, resto);
  inizio_ += i_;
  i_ = 0;
  n_ = resto;
  std::uint64_t da = inizio_ + n_;
  auto voluti = static_cast<std::size_t>(std::min<std::uint64_t>(buf_.size() - n_, dimensione_ - da));
  if (voluti == 0) return true;
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(da));
  in_.read(buf_.data() + n_, static_cast<std::streamsize>(voluti));
  auto avuti = static_cast<std::size_t>(std::max<std::streamsize>(in_.gcount(), 0));
  n_ += avuti;
  if (avuti < voluti) {
    // The stream is shorter than its size said: treat the rest as missing.
    guasto_ = true;
    dimensione_ = inizio_ + n_;
  }
  return true;
}

bool cursore_byte::leggi(void* dst, std::size_t n) {
  if (restanti() < n) return false;
  if (n_ - i_ < n) {
    riempi();
    if (n_ - i_ < n) return false;
  }
  std::memcpy(dst, buf_.data() + i_, n);
  i_ += n;
  return true;
}

bool cursore_byte::u8(std::uint8_t& v) { return leggi(&v, 1); }

bool cursore_byte::u16(std::uint16_t& v) {
  std::uint8_t b[2];
  if (!leggi(b, 2)) return false;
  v = static_cast<std::uint16_t>(b[0] | (b[1] << 8));
  return true;
}

bool cursore_byte::i16(std::int16_t& v) {
  std::uint16_t u;
  if (!u16(u)) return false;
  v = static_cast<std::int16_t>(u);
  return true;
}

bool cursore_byte::i32(std::int32_t& v) {
  std::uint8_t b[4];
  if (!leggi(b, 4)) return false;
  std::uint32_t u = 0;
  for (int k = 3; k >= 0; --k) u = (u << 8) | b[k];
  v = static_cast<std::int32_t>(u);
  return true;
}

bool cursore_byte::f64(double& v) {
  std::uint8_t b[8];
  if (!leggi(b, 8)) return false;
  std::uint64_t u = 0;
  for (int k = 7; k >= 0; --k) u = (u << 8) | b[k];
  std::memcpy(&v, &u, sizeof v);
  return true;
}

bool cursore_byte::byte(std::size_t n, std::string& s) {
  if (restanti() < n) return false;
  s.clear();
  s.reserve(n);
  char pezzo[4096];
  while (n > 0) {
    std::size_t k = std::min(n, sizeof pezzo);
    if (!leggi(pezzo, k)) return false;
    s.append(pezzo, k);
    n -= k;
  }
  return true;
}

// ---- record file -------------------------------------------------------

namespace {

// Reads the record fields in file order, reporting the first one cut short.
class lettore_voce {
 public:
  lettore_voce(cursore_byte& c, int slot, errore_formato& e) : c_(c), slot_(slot), e_(e) {}

  template <typename T>
  bool campo(T& v, const char* nome) {
    bool ok;
    if constexpr (sizeof(T) == 1) {
      ok = c_.u8(v);
    } else if constexpr (std::is_same_v<T, std::int16_t>) {
      ok = c_.i16(v);
    } else if constexpr (std::is_same_v<T, std::uint16_t>) {
      ok = c_.u16(v);
    } else {
      ok = c_.i32(v);
    }
    if (!ok) manca(nome, sizeof(T));
    return ok;
  }

  bool testo(std::string& s) {
    std::uint64_t dove = c_.offset();
    std::uint16_t n = 0;
    if (!campo(n, "text length")) return false;
    if (!c_.byte(n, s)) {
      e_.offset = dove;
      e_.motivo = "record of slot " + std::to_string(slot_) + ": text length " + std::to_string(n) +
                  " runs past the end of the file (" + std::to_string(c_.restanti()) + " bytes remain)";
      return false;
    }
    return true;
  }

 private:
  void manca(const char* nome, std::size_t n) {
    e_.offset = c_.offset();
    e_.motivo = "record of slot " + std::to_string(slot_) + " cut short: " + nome + " needs " + std::to_string(n) +
                (n == 1 ? " byte, " : " bytes, ") + std::to_string(c_.restanti()) + " remain";
  }

  cursore_byte& c_;
  int slot_;
  errore_formato& e_;
};

}  // namespace

bool leggi_record(cursore_byte& c, tabella_stazioni& t, errore_formato& e,
                  std::array<std::uint64_t, numero_voci>* offsets) {
  for (int n = 0; n < numero_voci; ++n) {
    voce_stazione& v = t[n];
    if (offsets) (*offsets)[static_cast<std::size_t>(n)] = c.offset();
    if (c.restanti() == 0) {
      e.offset = c.offset();
      e.motivo = "the file ends after " + std::to_string(n) + " of the " + std::to_string(numero_voci) + " records";
      return false;
    }
    lettore_voce r(c, n, e);
    bool ok = r.campo(v.tipo_stazione, "tipo_stazione") && r.campo(v.valore1, "valore1") &&
              r.campo(v.valore2, "valore2") && r.campo(v.valore3, "valore3") && r.campo(v.opzione, "opzione") &&
              r.testo(v.testo) && r.campo(v.intero1, "intero1") && r.campo(v.intero2, "intero2") &&
              r.campo(v.intero3, "intero3") && r.campo(v.intero4, "intero4") && r.campo(v.intero5, "intero5") &&
              r.campo(v.byte1, "byte1") && r.campo(v.byte2, "byte2") && r.campo(v.byte3, "byte3") &&
              r.campo(v.byte4, "byte4") && r.campo(v.orario, "orario");
    if (!ok) return false;
  }
  if (c.restanti() > 0) {
    e.offset = c.offset();
    e.motivo = std::to_string(c.restanti()) + " trailing bytes after the " + std::to_string(numero_voci) + " records";
    return false;
  }
  return true;
}

// ---- cell file ---------------------------------------------------------

bool controlla_dimensione_celle(std::uint64_t dimensione, errore_formato& e) {
  if (dimensione == 0) {
    e.offset = 0;
    e.motivo = "empty file: a cell file holds at least one 15-byte cell";
    return false;
  }
  if (dimensione % byte_cella != 0) {
    std::uint64_t intere = dimensione / byte_cella;
    e.offset = intere * byte_cella;
    e.motivo = "the file is " + std::to_string(dimensione) + " bytes, not a whole number of 15-byte cells: cell " +
               std::to_string(intere) + " is cut short after " + std::to_string(dimensione % byte_cella) + " bytes";
    return false;
  }
  return true;
}

bool leggi_cella(cursore_byte& c, cella& x) {
  return c.u8(x.elemento) && c.i16(x.dato1) && c.i16(x.dato2) && c.i16(x.dato3) && c.i16(x.dato4) &&
         c.u8(x.tempo_segnale) && c.u8(x.preavviso) && c.u8(x.montagna) && c.u8(x.velocita) && c.u8(x.pendenza) &&
         c.u8(x.aderenza);
}

bool leggi_celle(cursore_byte& c, percorso& p, errore_formato& e) {
  if (!controlla_dimensione_celle(c.dimensione(), e)) return false;
  auto numero = static_cast<std::int64_t>(c.dimensione() / byte_cella);
  p.crea(numero - 1);
  for (std::int64_t i = 0; i < numero; ++i) {
    if (!leggi_cella(c, *p.at(i))) {
      e.offset = c.offset();
      e.motivo = "cell " + std::to_string(i) + " could not be read (the file is shorter than its size said)";
      return false;
    }
  }
  return true;
}

// ---- plan file ---------------------------------------------------------

bool leggi_valore(cursore_byte& c, valore_tracciato& v, errore_formato& e) {
  std::uint64_t dove = c.offset();
  std::uint16_t tag = 0;
  if (!c.u16(tag)) {
    e.offset = dove;
    e.motivo = "a value's 2-byte tag is cut short (" + std::to_string(c.restanti()) + " byte remains)";
    return false;
  }
  bool ok = true;
  switch (tag) {
    case static_cast<std::uint16_t>(tipo_valore::vuoto):
      v = {tipo_valore::vuoto, 0.0};
      break;
    case static_cast<std::uint16_t>(tipo_valore::intero16): {
      std::int16_t i = 0;
      ok = c.i16(i);
      v = {tipo_valore::intero16, static_cast<double>(i)};
      break;
    }
    case static_cast<std::uint16_t>(tipo_valore::reale): {
      double d = 0;
      ok = c.f64(d);
      v = {tipo_valore::reale, d};
      break;
    }
    default:
      e.offset = dove;
      e.motivo = "unknown tag " + std::to_string(tag) + " (a value's tag is 0, 2 or 5)";
      return false;
  }
  if (!ok) {
    e.offset = dove;
    e.motivo = "a value with tag " + std::to_string(tag) + " is cut short: it needs " +
               std::to_string(tag == 2 ? 2 : 8) + " bytes after its tag, " + std::to_string(c.restanti()) +
               " remain";
  }
  return ok;
}

namespace {
constexpr std::uint64_t passo_segni = 4096;  // a bookmark every so many values
}

bool scandisci_piano(std::istream& in, std::uint64_t dimensione, indice_piano& ip, errore_formato& e) {
  ip = indice_piano{};
  if (dimensione == 0) {
    e.offset = 0;
    e.motivo = "empty file: a plan file holds the x and the y of at least one point";
    return false;
  }
  cursore_byte c(in, dimensione);
  std::vector<std::uint64_t> segni;  // offset of value k * passo_segni
  valore_tracciato v;
  while (c.restanti() > 0) {
    if (ip.valori % passo_segni == 0) segni.push_back(c.offset());
    if (!leggi_valore(c, v, e)) return false;
    ++ip.valori;
    ++ip.per_tag[v.tipo == tipo_valore::vuoto ? 0 : v.tipo == tipo_valore::intero16 ? 1 : 2];
  }
  if (c.guasto()) {
    e.offset = c.offset();
    e.motivo = "the file ended early while it was being read";
    return false;
  }
  if (ip.valori % 2 != 0) {
    e.offset = dimensione;
    e.motivo = "the file holds an odd number of values (" + std::to_string(ip.valori) +
               "): its x and y halves cannot pair";
    return false;
  }
  ip.punti = static_cast<std::int64_t>(ip.valori / 2);
  // Find the first y value from the nearest bookmark before it.
  std::uint64_t meta = ip.valori / 2;
  c.vai(segni[static_cast<std::size_t>(meta / passo_segni)]);
  for (std::uint64_t k = (meta / passo_segni) * passo_segni; k < meta; ++k) {
    if (!leggi_valore(c, v, e)) return false;
  }
  ip.inizio_y = c.offset();
  return true;
}

lettore_piano::lettore_piano(std::istream& in, std::uint64_t dimensione, const indice_piano& ip)
    : cx_(in, ip.inizio_y, 0), cy_(in, dimensione, ip.inizio_y), punti_(ip.punti) {}

bool lettore_piano::prossimo(std::int64_t& j, valore_tracciato& x, valore_tracciato& y) {
  if (j_ >= punti_ || errore()) return false;
  if (!leggi_valore(cx_, x, errore_) || !leggi_valore(cy_, y, errore_)) {
    if (errore_.motivo.empty()) errore_.motivo = "the file changed while it was being read";
    return false;
  }
  j = j_++;
  return true;
}

}  // namespace model
