// `scenario-tool plot`: a compiled scenario drawn as one SVG picture, the
// plan of the line above and the profile along the route below.
#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace tool {

int verbo_plot(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace tool
