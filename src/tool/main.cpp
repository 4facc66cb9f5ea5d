// The authoring tool: compiles any scenario, says what is wrong and where.
#include <iostream>
#include <string>
#include <vector>

#include "tool/cli.hpp"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return tool::esegui(args, std::cout, std::cerr);
}
