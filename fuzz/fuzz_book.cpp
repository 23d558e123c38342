// libFuzzer entry of the checks in fuzz/book_checks.h: the book's file.
#include <cstddef>
#include <cstdint>

#include "fuzz/book_checks.h"
#include "fuzz/property.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return tiramon::fuzz::RunCheck(tiramon::fuzz::CheckBook, data, size);
}
