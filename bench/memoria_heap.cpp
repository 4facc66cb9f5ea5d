#include "memoria_heap.hpp"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::int64_t> in_uso{0};
std::atomic<std::int64_t> picco{0};

}  // namespace

namespace banco {

std::int64_t heap_in_uso() { return in_uso.load(); }
std::int64_t heap_picco() { return picco.load(); }
void azzera_picco_heap() { picco = in_uso.load(); }

}  // namespace banco

void* operator new(std::size_t n) {
  void* p = std::malloc(n == 0 ? 1 : n);
  if (p == nullptr) throw std::bad_alloc();
  const auto k = static_cast<std::int64_t>(malloc_usable_size(p));
  const std::int64_t v = in_uso.fetch_add(k) + k;
  std::int64_t m = picco.load();
  while (v > m && !picco.compare_exchange_weak(m, v)) {
  }
  return p;
}

void operator delete(void* p) noexcept {
  if (p == nullptr) return;
  in_uso.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(p)));
  std::free(p);
}

void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
