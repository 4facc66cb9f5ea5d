// Writing JSON strings.
#pragma once

#include <string>
#include <string_view>

namespace tool {

// `s` (UTF-8) as a quoted JSON string.
std::string json_stringa(std::string_view s);

}  // namespace tool
