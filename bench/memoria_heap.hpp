// The heap the benchmarks' program holds: this program replaces operator new
// and delete (memoria_heap.cpp) to count the bytes in use and their peak.
#pragma once

#include <cstdint>

namespace banco {

std::int64_t heap_in_uso();
// The most in use at once since the last reset.
std::int64_t heap_picco();
void azzera_picco_heap();

}  // namespace banco
