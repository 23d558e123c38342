#include "app/environment.h"

#include "app/build_config.h"

namespace tiramon {
namespace {

void Default(std::string& value, const char* fallback) {
  if (value.empty()) value = fallback;
}

std::chrono::system_clock::time_point SystemClock() { return std::chrono::system_clock::now(); }

}  // namespace

Environment WithDefaults(const Environment& environment) {
  Environment filled = environment;
  if (filled.programFolder.empty()) filled.programFolder = ".";
  Default(filled.statusUrl, build::kStatusUrl);
  Default(filled.quotesUrl, build::kQuotesUrl);
  Default(filled.ecbUrl, build::kEcbUrl);
  Default(filled.cbrUrl, build::kCbrUrl);
  Default(filled.metalsUrl, build::kMetalsUrl);
  if (!filled.now) filled.now = SystemClock;
  return filled;
}

std::chrono::system_clock::time_point NowOf(const Environment& environment) {
  return environment.now ? environment.now() : SystemClock();
}

}  // namespace tiramon
