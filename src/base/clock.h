#pragma once

#include <QDateTime>

namespace quilmo {

// The till's own clock. Bill numbers restart with the till's day, so tests need to set it.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual QDateTime Now() const = 0;
};

class SystemClock final : public Clock {
 public:
  QDateTime Now() const override { return QDateTime::currentDateTime(); }
};

}  // namespace quilmo
