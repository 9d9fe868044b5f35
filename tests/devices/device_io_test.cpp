#include "devices/device_io.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "devices/device_error.h"
#include "support/pty_pair.h"
#include "support/qt_printers.h"

namespace quilmo {
namespace {

// A printer that stops taking bytes (out of paper, switched off with its line still open) is
// given up after the timeout, with a message, instead of freezing the till mid-sale.
TEST(DeviceIoTest, APrinterThatStopsTakingBytesTimesOut) {
  test::PtyPair pty;  // nobody reads the far side, so its buffer fills up
  ASSERT_TRUE(pty.ok());
  QElapsedTimer clock;
  clock.start();
  try {
    WriteToDevice(pty.slavePath(), QByteArray(1 << 20, 'x'), QStringLiteral("LPT1"), 300);
    FAIL() << "the write did not time out";
  } catch (const DeviceError& e) {
    EXPECT_TRUE(e.message().startsWith(QStringLiteral("写打印端口失败 LPT1"))) << e.what();
    EXPECT_TRUE(e.message().endsWith(QStringLiteral("设备没有响应"))) << e.what();
  }
  EXPECT_LT(clock.elapsed(), 5000);
}

}  // namespace
}  // namespace quilmo
