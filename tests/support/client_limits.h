// HTTP client limits for tests: small enough that a test of a failing server ends quickly.
#pragma once

#include <chrono>

#include "support/http_client.h"

namespace tiramon::testing {

inline void MakeQuick(HttpClient& client) {
  using namespace std::chrono_literals;
  client.connectLimit = 2000ms;
  client.readLimit = 300ms;
  client.fetchLimit = 5000ms;
  client.redirectBodyLimit = 200ms;
  client.errorBodyLimit = 200ms;
}

}  // namespace tiramon::testing
