// A small parser for "--name VALUE" and "--flag" options.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace tool {

struct opzioni {
  std::map<std::string, std::string> valori;
  std::set<std::string> interruttori;
  std::vector<std::string> posizionali;
  std::string errore;  // empty when the command line was understood

  bool ha(const std::string& k) const { return interruttori.count(k) > 0; }
  std::optional<std::string> valore(const std::string& k) const {
    auto it = valori.find(k);
    if (it == valori.end()) return std::nullopt;
    return it->second;
  }
};

// `con_valore` lists options that take a value, `senza_valore` the flags.
opzioni analizza(std::span<const std::string> args, const std::set<std::string>& con_valore,
                 const std::set<std::string>& senza_valore, std::size_t max_posizionali = 0);

}  // namespace tool
