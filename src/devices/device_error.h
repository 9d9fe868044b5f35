#pragma once

#include "base/error.h"

namespace quilmo {

// A device (printer, pole display, drawer, its port) could not be opened or written. The text
// says which device and why, in the words the cashier is shown.
class DeviceError : public Error {
 public:
  using Error::Error;
};

}  // namespace quilmo
