// libFuzzer entry of CheckCbrRates in fuzz/rates_checks.h: the Bank of Russia daily rates.
#include <cstddef>
#include <cstdint>

#include "fuzz/property.h"
#include "fuzz/rates_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return tiramon::fuzz::RunCheck(tiramon::fuzz::CheckCbrRates, data, size);
}
