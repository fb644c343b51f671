// allocation_count.cpp -- the global operator new, replaced by one that counts its calls
#include "allocation_count.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::uint64_t> calls{0};
}

// Kept in a file of its own: where the compiler sees this beside a new-expression it mistakes the
// malloc/free pair for a mismatch.
void* operator new(std::size_t size) {
    calls.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace bench {
std::uint64_t allocationsSoFar() { return calls.load(std::memory_order_relaxed); }
}  // namespace bench
