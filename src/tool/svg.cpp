#include "tool/svg.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tool::svg {

std::string escape(std::string_view testo) {
  std::string out;
  out.reserve(testo.size());
  for (char ch : testo) {
    auto c = static_cast<unsigned char>(ch);
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out += '?';
        } else {
          out += ch;
        }
    }
  }
  return out;
}

std::string num(double v) {
  if (!std::isfinite(v)) return "0";
  v = std::clamp(v, -1e7, 1e7);  // far outside any picture: keeps the numbers short
  double r = std::round(v * 10.0) / 10.0;
  if (r == 0) r = 0;  // no "-0"
  char buf[48];
  if (r == std::floor(r)) {
    std::snprintf(buf, sizeof buf, "%.0f", r);
  } else {
    std::snprintf(buf, sizeof buf, "%.1f", r);
  }
  return buf;
}

documento::documento(double larghezza, double altezza) {
  t_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
       num(larghezza) + "\" height=\"" + num(altezza) + "\" viewBox=\"0 0 " + num(larghezza) + " " + num(altezza) +
       "\">\n";
}

documento& documento::vuoto(std::string_view tag, std::string_view attributi) {
  t_ += "<";
  t_ += tag;
  t_ += " ";
  t_ += attributi;
  t_ += "/>\n";
  return *this;
}

documento& documento::testo(double x, double y, std::string_view contenuto, std::string_view attributi) {
  t_ += "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\"";
  if (!attributi.empty()) {
    t_ += " ";
    t_ += attributi;
  }
  t_ += '>';
  t_ += escape(contenuto);
  t_ += "</text>\n";
  return *this;
}

documento& documento::linea(double x1, double y1, double x2, double y2, std::string_view attributi) {
  return vuoto("line", "x1=\"" + num(x1) + "\" y1=\"" + num(y1) + "\" x2=\"" + num(x2) + "\" y2=\"" + num(y2) +
                           "\" " + std::string(attributi));
}

documento& documento::rettangolo(double x, double y, double w, double h, std::string_view attributi) {
  return vuoto("rect", "x=\"" + num(x) + "\" y=\"" + num(y) + "\" width=\"" + num(std::max(w, 0.0)) +
                           "\" height=\"" + num(std::max(h, 0.0)) + "\" " + std::string(attributi));
}

documento& documento::cerchio(double cx, double cy, double r, std::string_view attributi) {
  return vuoto("circle",
               "cx=\"" + num(cx) + "\" cy=\"" + num(cy) + "\" r=\"" + num(r) + "\" " + std::string(attributi));
}

documento& documento::gruppo(std::string_view attributi, std::string_view titolo) {
  t_ += "<g";
  if (!attributi.empty()) {
    t_ += " ";
    t_ += attributi;
  }
  t_ += ">";
  if (!titolo.empty()) t_ += "<title>" + escape(titolo) + "</title>";
  t_ += "\n";
  return *this;
}

std::string documento::fine() { return t_ + "</svg>\n"; }

double larghezza_testo(std::string_view utf8, double dimensione) {
  double w = 0;
  for (char ch : utf8) {
    auto c = static_cast<unsigned char>(ch);
    if ((c & 0xC0) == 0x80) continue;  // a continuation byte: same character
    if (c == ' ' || c == '.' || c == ',' || c == '\'' || c == 'i' || c == 'l' || c == 'I') {
      w += 0.32;
    } else if (c >= 'A' && c <= 'Z') {
      w += 0.70;
    } else {
      w += 0.60;
    }
  }
  return w * dimensione;
}

}  // namespace tool::svg
