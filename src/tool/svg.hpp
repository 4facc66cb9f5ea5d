// Writing SVG: escaped text and attributes, compact numbers, and the few
// elements the route picture is made of.
#pragma once

#include <string>
#include <string_view>

namespace tool::svg {

// UTF-8 text made safe for XML character data and attribute values: the five
// special characters as entities, control characters (which XML 1.0 does not
// allow) as "?".
std::string escape(std::string_view testo);

// A coordinate with one decimal at most ("12", "12.5", "-3.2").
std::string num(double v);

// Builds a document in memory; a route picture is some hundreds of kilobytes
// whatever the route's length, since the points are thinned before.
class documento {
 public:
  documento(double larghezza, double altezza);

  // Raw markup, for what the helpers below do not cover.
  documento& grezzo(std::string_view s) {
    t_ += s;
    return *this;
  }
  // <tag attrs/>; `attributi` is already written ("x=\"1\" y=\"2\"").
  documento& vuoto(std::string_view tag, std::string_view attributi);
  // <text attrs>escaped text</text>
  documento& testo(double x, double y, std::string_view contenuto, std::string_view attributi = "");
  documento& linea(double x1, double y1, double x2, double y2, std::string_view attributi);
  documento& rettangolo(double x, double y, double w, double h, std::string_view attributi);
  documento& cerchio(double cx, double cy, double r, std::string_view attributi);
  // Opens a group, with an optional tooltip; chiudi_gruppo() ends it.
  documento& gruppo(std::string_view attributi, std::string_view titolo = "");
  documento& chiudi_gruppo() { return grezzo("</g>\n"); }

  std::string fine();

 private:
  std::string t_;
};

// Estimated width in pixels of a text at a font size (for label placement).
double larghezza_testo(std::string_view utf8, double dimensione);

}  // namespace tool::svg
