#pragma once

#include <QTemporaryDir>

#include "base/pos_session.h"
#include "data/tdmfm.h"
#include "support/fixed_clock.h"
#include "support/pg_database.h"
#include "support/scripted_ui.h"

namespace quilmo::test {

// A till's world over real databases: a fresh account database on the test server
// (conServer) and a fresh local file (conClient), both with the full schema.
class DataTest : public PgDatabaseTest {
 protected:
  void SetUp() override;
  // The connections close before the test database is dropped, so the statements they keep
  // prepared are freed while the server still knows them.
  void TearDown() override;
  QString LocalPath() const { return dir_.filePath(QStringLiteral("SysFile/Orvel.db")); }
  QString HomePath() const { return dir_.path(); }
  // Runs the same statement on both databases (fixture rows that both sides share).
  void ExecBoth(const QString& sql, const QVariantMap& params = {});

  PosSession session;
  ScriptedUi ui;
  FixedClock clock;
  TDMFM dm{session, clock};

 private:
  QTemporaryDir dir_;
};

// The same test online and offline: GetParam() is IsOnline.
class ModeTest : public DataTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    session.IsOnline = GetParam();
  }
};

// Names the two instances "Online" and "Offline".
std::string ModeName(const ::testing::TestParamInfo<bool>& info);

#define QUILMO_BOTH_MODES(Suite) \
  INSTANTIATE_TEST_SUITE_P(Modes, Suite, ::testing::Bool(), ::quilmo::test::ModeName)

}  // namespace quilmo::test
