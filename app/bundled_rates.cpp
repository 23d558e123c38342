#include "app/bundled_rates.h"

#include <system_error>

#include "app/build_config.h"

namespace tiramon {

std::filesystem::path FindBundledRates(const std::filesystem::path& executableFolder) {
  if (executableFolder.empty()) return {};
  for (const char* folder : {build::kDataFromExecutable, "share/tiramon"}) {
    const std::filesystem::path file = executableFolder / folder / kBundledRatesFileName;
    std::error_code error;
    if (std::filesystem::is_regular_file(file, error)) return file.lexically_normal();
  }
  return {};
}

}  // namespace tiramon
