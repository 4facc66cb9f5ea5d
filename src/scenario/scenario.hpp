// The scenario this executable carries: the two scenario texts and the three
// driver documents, each as a table of lines that ends with the end marker
// "riferimento fine del file". The lines are UTF-8 in the source; the line
// writer turns them into Windows-1252 when it writes them out.
#pragma once

#include <span>
#include <string_view>

namespace scenario {

std::span<const std::string_view> tabella_linea();          // line description
std::span<const std::string_view> tabella_treno();          // train run
std::span<const std::string_view> tabella_note();           // notes
std::span<const std::string_view> tabella_rallentamenti();  // slowdown order
std::span<const std::string_view> tabella_scheda();         // timetable card

}  // namespace scenario
