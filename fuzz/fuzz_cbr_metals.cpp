// libFuzzer entry of CheckCbrMetals in fuzz/rates_checks.h: the Bank of Russia's metal prices.
#include <cstddef>
#include <cstdint>

#include "fuzz/property.h"
#include "fuzz/rates_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return tiramon::fuzz::RunCheck(tiramon::fuzz::CheckCbrMetals, data, size);
}
