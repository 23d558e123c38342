// libFuzzer entry of the checks in fuzz/pattern_checks.h.
#include <cstddef>
#include <cstdint>

#include "fuzz/pattern_checks.h"
#include "fuzz/property.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return tiramon::fuzz::RunCheck(tiramon::fuzz::CheckPattern, data, size);
}
