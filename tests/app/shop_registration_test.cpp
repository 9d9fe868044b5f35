// Registration of the till's shop: the server and the settings file must not disagree for
// good, whatever stops the till between the two, and no two tills ever hold one shop.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <csignal>
#include <cstdlib>
#include <vector>

#include "app/server_connection.h"
#include "base/ini_file.h"
#include "data/download.h"
#include "data/schema.h"
#include "support/qt_printers.h"
#include "support/shell_fixture.h"

extern char** environ;

namespace quilmo {
namespace {

using namespace Qt::StringLiterals;

constexpr char kChildHome[] = "QUILMO_CHILD_HOME";
constexpr char kChildDatabase[] = "QUILMO_CHILD_DATABASE";

QString Ini(const QString& file, const char* section, const char* key) {
  return ReadIniString(file, QLatin1String(section), QLatin1String(key));
}

class ShopRegistrationTest : public test::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    if (HasFatalFailure()) return;
    dm.conServer.Exec(QStringLiteral(
        "INSERT INTO JBStore (StoreNo, StoreName) VALUES ('S1', '一号仓'), ('S2', '二号仓')"));
    dm.conServer.Exec(
        QStringLiteral("INSERT INTO QTShop (ShopNo, ShopName, StoreNo, IsRegist) VALUES "
                       "('01', '东门店', 'S1', 0), ('03', 'O''Neil店', 'S2', 0)"));
    session.IsOnline = true;
  }
  // The shop's registration on the server: "IsRegist|RegistTill".
  QString Registration(const char* shop) {
    const QSqlRecord r = dm.conServer.FirstRow(
        QStringLiteral("SELECT COALESCE(IsRegist, 0), COALESCE(RegistTill, '') FROM QTShop "
                       "WHERE ShopNo = :S"),
        {{QStringLiteral(":S"), QLatin1String(shop)}});
    return r.value(0).toString() + QLatin1Char('|') + r.value(1).toString();
  }
  QStringList Listed(AppContext& a) {
    QStringList shops;
    for (const ShopChoice& s : UnregisteredShops(a)) shops << s.ShopNo;
    return shops;
  }
};

// A second till on the same server: its own program folder and local file, so its own name.
struct OtherTill {
  explicit OtherTill(const test::PgAddress& pg, const QString& database) {
    QDir().mkpath(dir.filePath(QStringLiteral("SysFile")));
    QString error;
    {
      Connection maker(QStringLiteral("other_till_maker"), Engine::Local);
      EXPECT_TRUE(maker.OpenLocal(app.LocalDatabasePath(), &error));
      CreateLocalSchema(maker);
    }
    dm.OpenLocalDatabase(app.LocalDatabasePath());
    EXPECT_TRUE(
        dm.conServer.OpenServer({pg.host, pg.port, pg.user, pg.password}, database, &error));
    session.IsOnline = true;
    session.IniFile = app.IniPath();
  }
  ~OtherTill() {
    dm.conServer.Close();
    dm.conClient.Close();
  }
  QTemporaryDir dir;
  PosSession session;
  test::ScriptedUi ui;
  test::FixedClock clock;
  TDMFM dm{session, clock};
  AppContext app{session, dm, ui, clock, dir.path()};
};

TEST_F(ShopRegistrationTest, TwoTillsNeverHoldOneShop) {
  OtherTill other(server(), databaseName());
  EXPECT_NE(other.dm.TillId(), dm.TillId());
  // Both see shop 03 free; this till confirms first.
  EXPECT_EQ(Listed(app), (QStringList{QStringLiteral("01"), QStringLiteral("03")}));
  EXPECT_EQ(Listed(other.app), (QStringList{QStringLiteral("01"), QStringLiteral("03")}));
  ui.AnswerYes();
  ASSERT_TRUE(ConfirmShop(app, QStringLiteral("03")));
  EXPECT_EQ(Registration("03"), QStringLiteral("1|") + dm.TillId());

  other.ui.AnswerYes();
  EXPECT_FALSE(ConfirmShop(other.app, QStringLiteral("03")));
  EXPECT_EQ(other.ui.last(),
            QStringLiteral("提示！|零售店【O'Neil店】已被其他收银机选用，请选择其他零售店！"));
  EXPECT_EQ(Ini(other.session.IniFile, "SysSet", "ShopNo"), QString());
  EXPECT_EQ(Registration("03"), QStringLiteral("1|") + dm.TillId());
  EXPECT_EQ(Listed(other.app), QStringList{QStringLiteral("01")});

  // Settings that name another till's shop do not make it this till's.
  ASSERT_TRUE(WriteIniStrings(other.session.IniFile,
                              {{QStringLiteral("SysSet"), QStringLiteral("ShopNo"), u"03"_s},
                               {QStringLiteral("SysSet"), QStringLiteral("StoreNo"), u"S2"_s}}));
  EXPECT_FALSE(ShopIsRegistered(other.app));
  EXPECT_TRUE(ShopIsRegistered(app));
}

// Runs only as the child of the test below: takes shop 03 and is killed with SIGKILL at the
// moment it writes the settings file, after the server has marked the shop.
TEST(ShopRegistrationChild, TakeShopUntilKilledAtTheSettingsWrite) {
  if (qEnvironmentVariableIsEmpty(kChildHome)) GTEST_SKIP() << "run by its parent test";
  const test::PgAddress pg = test::PgServer();
  PosSession session;
  test::ScriptedUi ui;
  test::FixedClock clock;
  TDMFM dm(session, clock);
  AppContext app{session, dm, ui, clock, qEnvironmentVariable(kChildHome)};
  QString error;
  ASSERT_TRUE(dm.conServer.OpenServer({pg.host, pg.port, pg.user, pg.password},
                                      qEnvironmentVariable(kChildDatabase), &error));
  dm.OpenLocalDatabase(app.LocalDatabasePath());
  session.IsOnline = true;
  session.IniFile = app.IniPath();
  dm.TillId();
  // The first byte written to a file beyond the limit raises SIGXFSZ; the till dies of
  // SIGKILL right there, as under kill -9.
  std::signal(SIGXFSZ, [](int) { ::kill(::getpid(), SIGKILL); });
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = 0;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  ui.AnswerYes();
  ConfirmShop(app, QStringLiteral("03"));
  std::_Exit(3);  // never reached: the settings write kills the process
}

TEST_F(ShopRegistrationTest, ATillKilledBetweenTheServerAndTheSettingsTakesItsShopBack) {
  dm.TillId();
  const QByteArray home = QFile::encodeName(HomePath());
  const QByteArray database = databaseName().toUtf8();
  setenv(kChildHome, home.constData(), 1);
  setenv(kChildDatabase, database.constData(), 1);
  const QByteArray self = QFile::encodeName(QCoreApplication::applicationFilePath());
  QByteArray filter("--gtest_filter=ShopRegistrationChild.*");
  std::vector<char*> argv = {const_cast<char*>(self.constData()), filter.data(), nullptr};
  pid_t child = 0;
  const int spawned = posix_spawn(&child, self.constData(), nullptr, nullptr, argv.data(), environ);
  unsetenv(kChildHome);
  unsetenv(kChildDatabase);
  ASSERT_EQ(spawned, 0);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << "child exit status " << status;
  EXPECT_EQ(WTERMSIG(status), SIGKILL);

  // The server marked the shop for this till; the settings never heard of it.
  EXPECT_EQ(Registration("03"), QStringLiteral("1|") + dm.TillId());
  EXPECT_EQ(Ini(session.IniFile, "SysSet", "ShopNo"), QString());
  EXPECT_FALSE(ShopIsRegistered(app));
  // The next start offers it again to this till, and to no other.
  OtherTill other(server(), databaseName());
  EXPECT_EQ(Listed(other.app), QStringList{QStringLiteral("01")});
  EXPECT_EQ(Listed(app), (QStringList{QStringLiteral("01"), QStringLiteral("03")}));
  ui.AnswerYes();
  ASSERT_TRUE(ConfirmShop(app, QStringLiteral("03")));
  EXPECT_EQ(Ini(session.IniFile, "SysSet", "ShopNo"), QStringLiteral("03"));
  EXPECT_EQ(Ini(session.IniFile, "SysSet", "StoreNo"), QStringLiteral("S2"));
  EXPECT_TRUE(ShopIsRegistered(app));
}

TEST_F(ShopRegistrationTest, SettingsThatCannotBeWrittenGiveTheShopBack) {
  const QByteArray before = [&] {
    QFile f(session.IniFile);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }();
  dm.TillId();
  // A full disk: no file can grow past a few bytes.
  struct FileSizeLimit {
    FileSizeLimit() {
      getrlimit(RLIMIT_FSIZE, &old_limit);
      old_handler = std::signal(SIGXFSZ, SIG_IGN);
      rlimit small = old_limit;
      small.rlim_cur = 16;
      setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
      setrlimit(RLIMIT_FSIZE, &old_limit);
      std::signal(SIGXFSZ, old_handler);
    }
    rlimit old_limit{};
    void (*old_handler)(int) = nullptr;
  };
  bool confirmed = true;
  {
    FileSizeLimit full;
    ui.AnswerYes();
    confirmed = ConfirmShop(app, QStringLiteral("03"));
  }

  EXPECT_FALSE(confirmed);
  EXPECT_EQ(ui.messages().back().caption, ApplicationTitle());
  EXPECT_EQ(ui.messages().back().icon, MsgIcon::Error);
  EXPECT_EQ(Registration("03"), QStringLiteral("0|"));
  QFile f(session.IniFile);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), before);
  // Another till can have it now.
  OtherTill other(server(), databaseName());
  EXPECT_EQ(Listed(other.app), (QStringList{QStringLiteral("01"), QStringLiteral("03")}));
}

TEST_F(ShopRegistrationTest, AfterClearingTheDataTheSameTillTakesItsShopBack) {
  ui.AnswerYes();
  ASSERT_TRUE(ConfirmShop(app, QStringLiteral("03")));
  ClearLocalData(dm);
  EXPECT_EQ(Ini(session.IniFile, "SysSet", "ShopNo"), QString());
  EXPECT_FALSE(ShopIsRegistered(app));
  EXPECT_EQ(Listed(app), (QStringList{QStringLiteral("01"), QStringLiteral("03")}));
  ui.AnswerYes();
  EXPECT_TRUE(ConfirmShop(app, QStringLiteral("03")));
  EXPECT_TRUE(ShopIsRegistered(app));
}

TEST_F(ShopRegistrationTest, OnlineTheServerDecidesWhoseShopTheSettingsName) {
  struct Case {
    const char* name;
    const char* server_state;  // IsRegist, RegistTill before the start
    bool registered;
    const char* after;
  };
  const QString me = dm.TillId();
  for (const Case& c : {
           // The settings were written but the server mark was lost (or the back office
           // released the shop): the till takes it on the way.
           Case{"free", "0, NULL", true, "1|me"},
           // Taken before tills recorded themselves: counts as this till's.
           Case{"taken, nobody recorded", "1, NULL", true, "1|me"},
           Case{"mine", "1, 'me'", true, "1|me"},
           Case{"another till's", "1, 'another'", false, "1|another"},
       }) {
    dm.conServer.Exec(
        QStringLiteral("UPDATE QTShop SET (IsRegist, RegistTill) = (%1) WHERE ShopNo = '03'")
            .arg(QString::fromUtf8(c.server_state)
                     .replace(QStringLiteral("'me'"), QLatin1Char('\'') + me + QLatin1Char('\''))));
    ASSERT_TRUE(WriteIniStrings(session.IniFile,
                                {{QStringLiteral("SysSet"), QStringLiteral("ShopNo"), u"03"_s},
                                 {QStringLiteral("SysSet"), QStringLiteral("StoreNo"), u"S2"_s}}));
    EXPECT_EQ(ShopIsRegistered(app), c.registered) << c.name;
    EXPECT_EQ(Registration("03"), QString::fromUtf8(c.after).replace(QStringLiteral("me"), me))
        << c.name;
  }
}

}  // namespace
}  // namespace quilmo
