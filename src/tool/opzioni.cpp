#include "tool/opzioni.hpp"

namespace tool {

opzioni analizza(std::span<const std::string> args, const std::set<std::string>& con_valore,
                 const std::set<std::string>& senza_valore, std::size_t max_posizionali) {
  opzioni o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string a = args[i];
    std::optional<std::string> incluso;
    if (a.rfind("--", 0) == 0) {
      if (auto eq = a.find('='); eq != std::string::npos) {
        incluso = a.substr(eq + 1);
        a = a.substr(0, eq);
      }
    }
    if (con_valore.count(a)) {
      if (incluso) {
        o.valori[a] = *incluso;
      } else if (i + 1 < args.size()) {
        o.valori[a] = args[++i];
      } else {
        o.errore = "option " + a + " needs a value";
        return o;
      }
    } else if (senza_valore.count(a) && !incluso) {
      o.interruttori.insert(a);
    } else if (a.size() > 1 && a[0] == '-') {
      o.errore = "unknown option " + a;
      return o;
    } else {
      if (o.posizionali.size() >= max_posizionali) {
        o.errore = "unexpected argument " + a;
        return o;
      }
      o.posizionali.push_back(a);
    }
  }
  return o;
}

}  // namespace tool
