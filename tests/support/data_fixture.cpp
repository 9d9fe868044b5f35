#include "support/data_fixture.h"

#include <QDir>

#include "data/schema.h"

namespace quilmo::test {

void DataTest::SetUp() {
  PgDatabaseTest::SetUp();
  if (HasFatalFailure()) return;
  ASSERT_TRUE(dir_.isValid());
  QString error;
  ASSERT_TRUE(dm.conServer.OpenServer(
      {server().host, server().port, server().user, server().password}, databaseName(), &error))
      << error.toStdString();
  QDir().mkpath(dir_.filePath(QStringLiteral("SysFile")));
  {
    Connection maker(QStringLiteral("fixture_local_maker"), Engine::Local);
    ASSERT_TRUE(maker.OpenLocal(LocalPath(), &error)) << error.toStdString();
    try {
      CreateLocalSchema(maker);
    } catch (const DbError& e) {
      FAIL() << e.what();
    }
  }
  ASSERT_NO_THROW(dm.OpenLocalDatabase(LocalPath()));
  session.IniFile = dir_.filePath(QStringLiteral("SysFile/QTSet.ini"));
}

void DataTest::TearDown() {
  dm.conServer.Close();
  dm.conClient.Close();
  PgDatabaseTest::TearDown();
}

void DataTest::ExecBoth(const QString& sql, const QVariantMap& params) {
  dm.conServer.Exec(sql, params);
  dm.conClient.Exec(sql, params);
}

std::string ModeName(const ::testing::TestParamInfo<bool>& info) {
  return info.param ? "Online" : "Offline";
}

}  // namespace quilmo::test
