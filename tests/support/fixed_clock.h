#pragma once

#include "base/clock.h"

namespace quilmo::test {

// A clock that says what the test tells it.
class FixedClock final : public Clock {
 public:
  explicit FixedClock(QDateTime now = QDateTime(QDate(2026, 12, 10), QTime(9, 30, 0)))
      : now_(std::move(now)) {}
  QDateTime Now() const override { return now_; }
  void Set(const QDateTime& now) { now_ = now; }
  void AddDays(int days) { now_ = now_.addDays(days); }

 private:
  QDateTime now_;
};

}  // namespace quilmo::test
