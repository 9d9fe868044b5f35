#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

namespace quilmo::test {

// A fresh folder for each test, removed afterwards.
class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()) << "cannot create a temporary folder"; }
  QString Path(const QString& name) const { return QDir(dir_.path()).filePath(name); }
  QString DirPath() const { return dir_.path(); }

 private:
  QTemporaryDir dir_;
};

}  // namespace quilmo::test
