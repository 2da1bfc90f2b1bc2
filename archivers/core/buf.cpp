#include "buf.h"

namespace arc {
namespace {

unsigned g_allocFailures = 0;

}  // namespace

unsigned AllocFailures() { return __atomic_load_n(&g_allocFailures, __ATOMIC_SEQ_CST); }
void NoteAllocFailure() { __atomic_add_fetch(&g_allocFailures, 1, __ATOMIC_SEQ_CST); }

Str Decimal(uint64_t n) {
  char digits[24];
  size_t i = sizeof digits;
  do {
    digits[--i] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n);
  return Str(digits + i, sizeof digits - i);
}

}  // namespace arc
