// Verbs that read what a build wrote: added here, beside the core verbs.
#include "tool/dump.hpp"
#include "tool/plot.hpp"
#include "tool/verbi.hpp"

namespace tool {

int verbi_aggiuntivi(const std::string& verbo, std::span<const std::string> args, std::ostream& out,
                     std::ostream& err) {
  if (verbo == "dump") return verbo_dump(args, out, err);
  if (verbo == "plot") return verbo_plot(args, out, err);
  return -1;
}

}  // namespace tool
