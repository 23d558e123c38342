// A risk analysis on a worker thread. The worker writes only its own result slot and the two
// atomics; the owner reads them after Done(), whose acquire pairs with the worker's last release,
// so no lock is needed and nothing of the window is ever touched off its own thread.
#include <utility>

#include "app/risk_analysis.h"

namespace tiramon {

RiskRun::RiskRun(const RiskInputs& in, int threads) : in_(in) {
  worker_ = std::thread([this, threads] {
    try {
      result_ =
          RunRiskAnalysis(in_, {.threads = threads, .cancel = &cancel_, .progress = &progress_});
    } catch (...) {
      error_ = std::current_exception();
    }
    done_.store(true, std::memory_order_release);
  });
}

RiskRun::~RiskRun() {
  Cancel();
  Wait();
}

void RiskRun::Wait() {
  if (worker_.joinable()) worker_.join();
}

std::optional<RiskResult> RiskRun::Take() {
  Wait();
  if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
  return std::exchange(result_, std::nullopt);
}

}  // namespace tiramon
