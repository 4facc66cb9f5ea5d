// `scenario-tool dump`: one of the three binary files of a build, decoded
// into a readable table, or into JSON for other tools.
#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace tool {

int verbo_dump(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace tool
