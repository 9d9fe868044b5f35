#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace quilmo::bench {

// Collects the time of each operation so a benchmark can report the median and the 99th
// percentile, which is what a cashier feels, not only the mean.
class Latencies {
 public:
  template <typename F>
  void Time(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    samples_.push_back(
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
            .count());
  }
  void Report(benchmark::State& state) {
    if (samples_.empty()) return;
    std::sort(samples_.begin(), samples_.end());
    auto at = [this](double q) { return samples_[static_cast<size_t>(q * (samples_.size() - 1))]; };
    state.counters["p50_us"] = at(0.50);
    state.counters["p99_us"] = at(0.99);
    state.counters["max_us"] = samples_.back();
  }

 private:
  std::vector<double> samples_;
};

}  // namespace quilmo::bench
