#include "platform/platform.hpp"

namespace platform {

std::string unisci(std::string_view cartella, std::string_view nome) {
#ifdef _WIN32
  constexpr char sep = '\\';
#else
  constexpr char sep = '/';
#endif
  std::string p(cartella);
  if (!p.empty() && p.back() != '/' && p.back() != sep) p += sep;
  p += nome;
  return p;
}

}  // namespace platform
