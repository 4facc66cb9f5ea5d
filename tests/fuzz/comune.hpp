// What the harnesses share: the separator that splits one input into the two
// scenario texts, and a check that stops the run with a message.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace fuzz {

// One input holds the line description, this separator, then the train run.
// Without it the whole input is the line description and the run is empty.
constexpr std::string_view separatore = "\n=====treno=====\n";

struct testi {
  std::string_view linea, treno;
};

inline testi dividi(std::string_view dati) {
  auto k = dati.find(separatore);
  if (k == std::string_view::npos) return {dati, {}};
  return {dati.substr(0, k), dati.substr(k + separatore.size())};
}

// A property that must hold: a failure is a finding, with its reason.
#define FUZZ_CONTROLLA(cond)                                                          \
  do {                                                                                \
    if (!(cond)) {                                                                    \
      std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__, \
                   #cond);                                                            \
      std::abort();                                                                   \
    }                                                                                 \
  } while (0)

}  // namespace fuzz
