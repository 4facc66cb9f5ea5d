#include "reader/testo.hpp"

#include <limits>

#include "reader/codepage.hpp"

namespace reader {

std::string componi_righe(std::span<const std::string_view> righe) {
  std::string out;
  std::size_t n = std::min(righe.size(), capienza_tabella);
  for (std::size_t i = 0; i < n; ++i) {
    if (righe[i] == fine_tabella) break;
    out += utf8_a_cp1252(righe[i]);
    out += "\r\n";
  }
  return out;
}

void lettore::salta_blank() {
  while (pos_ < testo_.size() && testo_[pos_] == ' ') ++pos_;
}

// One line end: CR LF, a lone LF or a lone CR.
void lettore::consuma_a_capo() {
  if (testo_[pos_] == '\r' && pos_ + 1 < testo_.size() && testo_[pos_ + 1] == '\n') {
    pos_ += 2;
  } else {
    pos_ += 1;
  }
}

bool lettore::leggi_stringa(std::string& item) {
  if (fine()) return false;
  salta_blank();
  std::size_t inizio = pos_;
  while (pos_ < testo_.size() && testo_[pos_] != ',' && !a_capo(pos_)) ++pos_;
  std::size_t fine_item = pos_;
  while (fine_item > inizio && testo_[fine_item - 1] == ' ') --fine_item;
  item.assign(testo_.substr(inizio, fine_item - inizio));
  if (pos_ < testo_.size()) {
    if (testo_[pos_] == ',') {
      ++pos_;
    } else {
      consuma_a_capo();
    }
  }
  return true;
}

std::int64_t valore_numero(std::string_view t, bool& fuori) {
  fuori = false;
  bool negativo = !t.empty() && t[0] == '-';
  std::string_view cifre = negativo ? t.substr(1) : t;
  if (cifre.empty()) return 0;
  std::uint64_t v = 0;
  for (char c : cifre) {
    if (c < '0' || c > '9') return 0;
  }
  for (char c : cifre) {
    if (v > (std::numeric_limits<std::uint64_t>::max() - 9) / 10) {
      fuori = true;
      return 0;
    }
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
  }
  constexpr auto limite = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  if (v > limite) {
    fuori = true;
    return 0;
  }
  auto s = static_cast<std::int64_t>(v);
  return negativo ? -s : s;
}

bool lettore::leggi_numero(std::int64_t minimo, std::int64_t massimo, std::int64_t& valore) {
  if (fine()) return false;
  salta_blank();
  std::size_t inizio = pos_;
  while (pos_ < testo_.size() && testo_[pos_] != ' ' && testo_[pos_] != ',' && !a_capo(pos_)) ++pos_;
  std::string_view t = testo_.substr(inizio, pos_ - inizio);
  salta_blank();
  if (pos_ < testo_.size()) {
    if (testo_[pos_] == ',') {
      ++pos_;
    } else if (a_capo(pos_)) {
      consuma_a_capo();
    }
  }
  bool fuori = false;
  std::int64_t v = valore_numero(t, fuori);
  if (fuori || v < minimo || v > massimo) return false;
  valore = v;
  return true;
}

namespace {

// A number item into an integer target of type T, within T's range.
template <class T>
bool leggi_in(lettore& r, T& v) {
  std::int64_t x;
  if (!r.leggi_numero(std::numeric_limits<T>::min(), std::numeric_limits<T>::max(), x)) return false;
  v = static_cast<T>(x);
  return true;
}

}  // namespace

bool lettore::leggi(std::int32_t& v) { return leggi_in(*this, v); }
bool lettore::leggi(std::int16_t& v) { return leggi_in(*this, v); }
bool lettore::leggi(std::uint8_t& v) { return leggi_in(*this, v); }

bool contiene(std::string_view item, std::string_view parte) {
  return item.find(parte) != std::string_view::npos;
}

bool contiene_nc(std::string_view item, std::string_view parte) {
  if (parte.empty()) return true;
  if (item.size() < parte.size()) return false;
  for (std::size_t i = 0; i + parte.size() <= item.size(); ++i) {
    std::size_t k = 0;
    while (k < parte.size() &&
           minuscola(static_cast<unsigned char>(item[i + k])) == minuscola(static_cast<unsigned char>(parte[k])))
      ++k;
    if (k == parte.size()) return true;
  }
  return false;
}

}  // namespace reader
