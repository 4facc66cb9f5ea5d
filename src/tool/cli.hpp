// The authoring tool's command line: each verb is a thin step over the
// library (parse options, read, compile, validate, write, report).
#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace tool {

// Runs the tool with `args` (without the program name); returns the exit status.
int esegui(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace tool
