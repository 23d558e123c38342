// libFuzzer entry of the checks in fuzz/settings_checks.h.
#include <cstddef>
#include <cstdint>

#include "fuzz/property.h"
#include "fuzz/settings_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return tiramon::fuzz::RunCheck(tiramon::fuzz::CheckSettings, data, size);
}
