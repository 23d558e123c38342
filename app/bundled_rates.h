// The official document that comes with the program: the rates the quote table shows, marked as
// old, when neither bank answers and nothing is cached, so that margins and positions have an
// order of magnitude on a first start without a network.
#pragma once

#include <filesystem>

namespace tiramon {

// The ECB's reference rates of 3 January 2023, as published.
inline constexpr const char* kBundledRatesFileName = "eurofxref-daily-2023-01-03.xml";
// Its date as the document gives it: a file of any other date is not the one the program came
// with, and is never shown.
inline constexpr const char* kBundledRatesDate = "03.01.2023";

// The bundled document beside `executableFolder`: in the data folder of an installed tree (from
// bin, the path the build configured: ../share/tiramon) or in share/tiramon of a build tree;
// empty when there is none.
std::filesystem::path FindBundledRates(const std::filesystem::path& executableFolder);

}  // namespace tiramon
