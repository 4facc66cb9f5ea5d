// Plain-words explanations of the codes the build records.
#pragma once

#include <cstdint>
#include <string_view>

namespace build {

// A one-line explanation of a code; empty for 0.
std::string_view spiegazione(std::int32_t codice);

}  // namespace build
