#pragma once

#include "base/money.h"

namespace quilmo {

// The customer pole display as the sale logic sees it: one amount at a time, in one of three
// states (1 the order total, 2 the amount received, 3 the change). The model-specific bytes
// and the serial port live behind this.
class CustomerDisplay {
 public:
  virtual ~CustomerDisplay() = default;
  virtual void ShowOnDisplay(int state, Money amount) = 0;
};

}  // namespace quilmo
