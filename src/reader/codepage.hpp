// Windows-1252, the scenario texts' 8-bit code page, in both directions and
// on every platform, independent of the host's locale.
#pragma once

#include <string>
#include <string_view>

namespace reader {

// UTF-8 text to Windows-1252 bytes; a character the code page lacks, or a
// malformed sequence, becomes "?".
std::string utf8_a_cp1252(std::string_view utf8);
// Windows-1252 bytes to UTF-8. The five unassigned bytes map to the control
// characters of the same number, so nothing is lost.
std::string cp1252_a_utf8(std::string_view byte);
// Lower case of one Windows-1252 byte.
unsigned char minuscola(unsigned char c);

}  // namespace reader
