#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <initializer_list>
#include <utility>

#include "base/ini_file.h"
#include "support/pty_pair.h"
#include "support/qt_printers.h"
#include "support/temp_dir.h"

namespace quilmo::test {

// A settings file of its own in a fresh folder, for the device tests.
class DeviceTest : public TempDirTest {
 protected:
  QString Ini() const { return Path(QStringLiteral("QTSet.ini")); }

  void Set(const char* section, std::initializer_list<std::pair<const char*, QString>> values) {
    for (const auto& [key, value] : values) {
      ASSERT_TRUE(
          WriteIniString(Ini(), QString::fromLatin1(section), QString::fromUtf8(key), value));
    }
  }
  void Hardware(std::initializer_list<std::pair<const char*, QString>> values) {
    Set("HardWareSet", values);
  }
  // Points a port name at a device path.
  void MapPort(const char* port, const QString& path) { Set("DevicePorts", {{port, path}}); }

  static QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
};

}  // namespace quilmo::test
