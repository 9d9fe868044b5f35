// The admin tool's command line is a contract: scripts and the demo call it.
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>

#include "data/connection.h"
#include "support/pg_database.h"
#include "support/qt_printers.h"
#include "support/temp_dir.h"

namespace quilmo {
namespace {

struct AdminRun {
  int code;
  QString out;
  QString err;
};

AdminRun Admin(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(QUILMO_ADMIN_BIN), args);
  p.waitForFinished(120000);
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
          QString::fromUtf8(p.readAllStandardOutput()),
          QString::fromUtf8(p.readAllStandardError())};
}

QStringList Address(const test::PgAddress& a) {
  return {QStringLiteral("--host"), a.host, QStringLiteral("--port"), QString::number(a.port),
          QStringLiteral("--user"), a.user};
}

class AdminLocalTest : public test::TempDirTest {};

TEST_F(AdminLocalTest, InitLocalMakesAPrivateFileWithItsSuppliedRows) {
  const QString path = Path(QStringLiteral("SysFile/Orvel.db"));
  const AdminRun run = Admin({QStringLiteral("init-local"), path});
  ASSERT_EQ(run.code, 0) << run.err.toStdString();
  EXPECT_EQ(QFileInfo(path).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
            QFileDevice::Permissions());

  Connection c(QStringLiteral("admin_test_local"), Engine::Local);
  QString error;
  ASSERT_TRUE(c.OpenLocal(path, &error));
  EXPECT_EQ(c.Scalar(QStringLiteral("SELECT COUNT(*) FROM QTBill WHERE BillName IN "
                                    "('SaleOrder', 'OnOverOrder')"))
                .toInt(),
            2);
  EXPECT_GT(c.Scalar(QStringLiteral("SELECT COUNT(*) FROM DownLog")).toInt(), 0);
  EXPECT_EQ(c.Scalar(QStringLiteral("SELECT COUNT(*) FROM DownLog WHERE DownLogNo <> 0")).toInt(),
            0);
  EXPECT_GT(c.Scalar(QStringLiteral("SELECT COUNT(*) FROM FuncKeySet")).toInt(), 0);
  c.Close();

  const AdminRun again = Admin({QStringLiteral("init-local"), path});
  EXPECT_EQ(again.code, 1);
  EXPECT_TRUE(again.err.contains(QStringLiteral("already exists")));
  EXPECT_EQ(again.err.trimmed().count(QLatin1Char('\n')), 0)
      << "one line: " << again.err.toStdString();
}

TEST(AdminCommandLine, HelpAndBadUsage) {
  for (const char* command : {"init-server", "init-local", "seed-demo", "generate"}) {
    const AdminRun help = Admin({QLatin1String(command), QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0) << command;
    EXPECT_TRUE(
        help.out.startsWith(QStringLiteral("usage: quilmo-admin ") + QLatin1String(command)));
  }
  EXPECT_EQ(Admin({QStringLiteral("nonsense")}).code, 2);
  const AdminRun bad_name = Admin({QStringLiteral("init-server"), QStringLiteral("--account"),
                                   QStringLiteral("x; DROP DATABASE postgres")});
  EXPECT_EQ(bad_name.code, 1);
  EXPECT_TRUE(bad_name.err.contains(QStringLiteral("not a valid account name")));
}

TEST(AdminServer, InitServerRegistersTheAccountAndRefusesTwice) {
  const test::PgAddress pg = test::PgServer();
  ASSERT_FALSE(pg.host.isEmpty());
  const QString account =
      QStringLiteral("acct_%1").arg(QRandomGenerator::global()->generate() % 1000000);
  const AdminRun run = Admin(QStringList{QStringLiteral("init-server"), QStringLiteral("--account"),
                                         account, QStringLiteral("--directory")} +
                             Address(pg));
  ASSERT_EQ(run.code, 0) << run.err.toStdString();

  Connection msdb(QStringLiteral("admin_test_msdb"), Engine::Server);
  QString error;
  ASSERT_TRUE(
      msdb.OpenServer({pg.host, pg.port, pg.user, pg.password}, QStringLiteral("msdb"), &error));
  EXPECT_EQ(msdb.Scalar(QStringLiteral("SELECT PosFlag FROM AccountInfo WHERE DBName = :n"),
                        {{QStringLiteral(":n"), account}})
                .toInt(),
            1);
  Connection acct(QStringLiteral("admin_test_acct"), Engine::Server);
  ASSERT_TRUE(acct.OpenServer({pg.host, pg.port, pg.user, pg.password}, account, &error));
  EXPECT_EQ(
      acct.Scalar(QStringLiteral("SELECT COUNT(*) FROM JBGoods WHERE GoodsCode = 'ZS001'")).toInt(),
      1);
  Connection tarvix(QStringLiteral("admin_test_tarvix"), Engine::Server);
  EXPECT_TRUE(tarvix.OpenServer({pg.host, pg.port, pg.user, pg.password}, QStringLiteral("tarvix"),
                                &error));
  acct.Close();

  const AdminRun again =
      Admin(QStringList{QStringLiteral("init-server"), QStringLiteral("--account"), account} +
            Address(pg));
  EXPECT_EQ(again.code, 1);
  EXPECT_TRUE(again.err.contains(QStringLiteral("already exists"))) << again.err.toStdString();
  test::PgExec(pg, QStringLiteral("postgres"),
               QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(account));
}

TEST(AdminServer, DemoAccountKeepsItsNameAndHoldsABackOffice) {
  const test::PgAddress pg = test::PgServer();
  ASSERT_FALSE(pg.host.isEmpty());
  const QString account =
      QStringLiteral("Demo%1").arg(QRandomGenerator::global()->generate() % 1000000);
  const AdminRun run = Admin(QStringList{QStringLiteral("init-server"), QStringLiteral("--account"),
                                         account, QStringLiteral("--demo")} +
                             Address(pg));
  ASSERT_EQ(run.code, 0) << run.err.toStdString();
  {
    Connection acct(QStringLiteral("admin_test_demo"), Engine::Server);
    QString error;
    // The name keeps its capital: the till tells a demonstration account by it.
    ASSERT_TRUE(acct.OpenServer({pg.host, pg.port, pg.user, pg.password}, account, &error))
        << error.toStdString();
    EXPECT_GE(acct.Scalar(QStringLiteral("SELECT COUNT(*) FROM JBGoods")).toInt(), 190);
    EXPECT_EQ(acct.Scalar(QStringLiteral("SELECT COUNT(*) FROM JBGoods WHERE GoodsCode = 'ZS001'"))
                  .toInt(),
              1);
    EXPECT_EQ(
        acct.Scalar(QStringLiteral(
                        "SELECT COUNT(DISTINCT r.RightID) FROM QTCashier c JOIN QTCashierRight r "
                        "ON r.CashierNo = c.CashierNo WHERE c.CashierName = '张三'"))
            .toInt(),
        17);
    EXPECT_GE(acct.Scalar(QStringLiteral("SELECT COUNT(DISTINCT CXFlag) FROM QTCXOrder")).toInt(),
              7);
  }
  test::PgExec(pg, QStringLiteral("postgres"),
               QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(account));
}

TEST(AdminServer, WrongAddressFailsInOneLine) {
  // A port nothing listens on.
  const AdminRun run =
      Admin({QStringLiteral("init-server"), QStringLiteral("--account"), QStringLiteral("nowhere"),
             QStringLiteral("--host"), QStringLiteral("127.0.0.1"), QStringLiteral("--port"),
             QStringLiteral("1")});
  EXPECT_EQ(run.code, 1);
  EXPECT_TRUE(run.err.startsWith(QStringLiteral("quilmo-admin init-server: cannot connect")))
      << run.err.toStdString();
  EXPECT_EQ(run.err.trimmed().count(QLatin1Char('\n')), 0);
}

TEST(AdminServer, AnAccountWithANewlineOrAPortOutOfRangeIsRefusedInOneLine) {
  const test::PgAddress pg = test::PgServer();
  struct Case {
    QStringList args;
    QString error;
  };
  const QString account =
      QStringLiteral("acct_%1").arg(QRandomGenerator::global()->generate() % 1000000);
  for (const Case& c : {
           Case{QStringList{QStringLiteral("--account"), account + QLatin1Char('\n')} + Address(pg),
                QStringLiteral("is not a valid account name")},
           Case{{QStringLiteral("--account"), account, QStringLiteral("--port"),
                 QStringLiteral("-1")},
                QStringLiteral("--port must be a number from 1 to 65535")},
           Case{{QStringLiteral("--account"), account, QStringLiteral("--port"),
                 QStringLiteral("70000")},
                QStringLiteral("--port must be a number from 1 to 65535")},
       }) {
    const AdminRun run = Admin(QStringList{QStringLiteral("init-server")} + c.args);
    EXPECT_EQ(run.code, 1) << c.args.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(run.err.contains(c.error)) << run.err.toStdString();
    EXPECT_EQ(run.err.trimmed().count(QLatin1Char('\n')), 0) << run.err.toStdString();
  }
  Connection postgres(QStringLiteral("admin_test_names"), Engine::Server);
  QString error;
  ASSERT_TRUE(postgres.OpenServer({pg.host, pg.port, pg.user, pg.password},
                                  QStringLiteral("postgres"), &error));
  EXPECT_FALSE(postgres
                   .Query(QStringLiteral("SELECT 1 FROM pg_database WHERE datname LIKE :n"),
                          {{QStringLiteral(":n"), account + QLatin1Char('%')}})
                   .next());
}

TEST(AdminServer, GenerateIsNotHeldToTheTillsStatementLimit) {
  const test::PgAddress pg = test::PgServer();
  const QString account =
      QStringLiteral("Demo%1").arg(QRandomGenerator::global()->generate() % 1000000);
  ASSERT_EQ(Admin(QStringList{QStringLiteral("init-server"), QStringLiteral("--account"), account,
                              QStringLiteral("--demo")} +
                  Address(pg))
                .code,
            0);
  // A catalogue of millions of rows runs for minutes: the till's 80 s limit would cancel it.
  // The generator's statements say which limit they run under.
  test::PgExec(pg, account, QStringLiteral(R"(
      CREATE FUNCTION refuse_limited() RETURNS trigger LANGUAGE plpgsql AS $$
      BEGIN
        IF current_setting('statement_timeout') <> '0' THEN
          RAISE EXCEPTION 'statement_timeout is %', current_setting('statement_timeout');
        END IF;
        RETURN NULL;
      END $$;
      CREATE TRIGGER refuse_limited AFTER INSERT ON JBGoods
        FOR EACH STATEMENT EXECUTE FUNCTION refuse_limited();)"));
  const AdminRun run = Admin(QStringList{QStringLiteral("generate"), QStringLiteral("--account"),
                                         account, QStringLiteral("--goods"), QStringLiteral("20"),
                                         QStringLiteral("--barcodes"), QStringLiteral("40")} +
                             Address(pg));
  EXPECT_EQ(run.code, 0) << run.err.toStdString();
  test::PgExec(pg, QStringLiteral("postgres"),
               QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(account));
  test::PgExec(pg, QStringLiteral("msdb"),
               QStringLiteral("DELETE FROM AccountInfo WHERE DBName = '%1'").arg(account));
}

}  // namespace
}  // namespace quilmo
