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
  for (const char* command : {"init-server", "init-local", "seed-demo", "generate", "till-login"}) {
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

// Roles belong to the whole cluster, so each test names its own and removes it afterwards,
// with the databases it made.
class AdminTillLoginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pg_ = test::PgServer();
    ASSERT_FALSE(pg_.host.isEmpty());
    const quint32 n = QRandomGenerator::global()->generate() % 1000000;
    account_ = QStringLiteral("acct_till_%1").arg(n);
    other_ = QStringLiteral("acct_other_%1").arg(n);
    login_ = QStringLiteral("till_%1").arg(n);
  }
  void TearDown() override {
    try {
      for (const QString& db : {account_, other_}) {
        test::PgExec(pg_, QStringLiteral("postgres"),
                     QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(db));
      }
      test::PgExec(pg_, QStringLiteral("msdb"),
                   QStringLiteral("DELETE FROM AccountInfo WHERE DBName IN ('%1', '%2')")
                       .arg(account_, other_));
      // Takes back what the login was given on msdb and on the databases themselves.
      test::PgExec(pg_, QStringLiteral("msdb"),
                   QStringLiteral("DO $$BEGIN IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = "
                                  "'%1') THEN EXECUTE 'DROP OWNED BY %1'; EXECUTE 'DROP ROLE %1'; "
                                  "END IF; END$$")
                       .arg(login_));
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
    }
  }
  // Opens `database` as the till's login.
  bool OpenAsTill(Connection& c, const QString& database, QString* error) {
    return c.OpenServer({pg_.host, pg_.port, login_, QStringLiteral("pw")}, database, error);
  }

  test::PgAddress pg_;
  QString account_, other_, login_;
};

TEST_F(AdminTillLoginTest, TheTillLoginDoesATillsWorkAndCannotDropATableOrReadAnotherAccount) {
  const AdminRun other =
      Admin(QStringList{QStringLiteral("init-server"), QStringLiteral("--account"), other_} +
            Address(pg_));
  ASSERT_EQ(other.code, 0) << other.err.toStdString();
  const AdminRun run = Admin(QStringList{QStringLiteral("init-server"), QStringLiteral("--account"),
                                         account_, QStringLiteral("--till-login"), login_,
                                         QStringLiteral("--till-password"), QStringLiteral("pw")} +
                             Address(pg_));
  ASSERT_EQ(run.code, 0) << run.err.toStdString();
  EXPECT_TRUE(run.out.contains(login_));

  QString error;
  {
    Connection till(QStringLiteral("till_login_account"), Engine::Server);
    ASSERT_TRUE(OpenAsTill(till, account_, &error)) << error.toStdString();
    // What a till does.
    EXPECT_EQ(till.Scalar(QStringLiteral("SELECT COUNT(*) FROM JBGoods WHERE GoodsCode = 'ZS001'"))
                  .toInt(),
              1);
    EXPECT_EQ(till.Query(QStringLiteral("SELECT * FROM P_QTSelectGoods('ZS001')")).next(), true);
    till.RunScript(
        QStringLiteral("INSERT INTO QTSaleOrder (OrderNo, StoreNo) VALUES ('T1', 'S1');"
                       "INSERT INTO QTSaleOrderDetail (OrderNo, SerialNo, GoodsNo, Quantity) "
                       "VALUES ('T1', 1, 'G00999', 1);"
                       "INSERT INTO QTOnOverOrder (OrderNo) VALUES ('B1');"
                       "UPDATE QTOnOverOrder SET SaleAmount = 10 WHERE OrderNo = 'B1';"
                       "UPDATE QTCards SET Amount = 0 WHERE Amount IS NULL;"
                       "UPDATE QTShop SET IsRegist = 1 WHERE ShopNo = '01';"
                       "UPDATE QTCashier SET Password = '1' WHERE CashierNo = 'C1';"
                       "UPDATE JBGoods SET FinishSaleQty = 0 WHERE GoodsNo = 'G00999';"));
    EXPECT_EQ(till.Scalar(QStringLiteral("SELECT ReturnMsg FROM P_QTDaySale_Total('张三', 'T1')"))
                  .toInt(),
              0);
    EXPECT_EQ(till.Scalar(QStringLiteral("SELECT TotalFlag FROM QTSaleOrder")).toInt(), 1);

    // What it cannot do.
    for (const char* refused : {
             "DROP TABLE JBGoods",
             "TRUNCATE QTSaleOrder",
             "DELETE FROM QTSaleOrder",
             "UPDATE JBGoods SET SRefPrice = 0",
             "INSERT INTO JBGoods (GoodsNo) VALUES ('X')",
             "UPDATE QTShop SET ShopName = 'x'",
             "UPDATE CKCurrStoreCS SET Quantity = 100",
             "CREATE TABLE Mine (A INTEGER)",
             "SELECT quilmo_grant_till('public')",
         }) {
      EXPECT_THROW(till.Exec(QLatin1String(refused)), DbError) << refused;
    }
  }
  {
    Connection msdb(QStringLiteral("till_login_msdb"), Engine::Server);
    ASSERT_TRUE(OpenAsTill(msdb, QStringLiteral("msdb"), &error)) << error.toStdString();
    EXPECT_EQ(msdb.Scalar(QStringLiteral("SELECT COUNT(*) FROM AccountInfo WHERE DBName = :n"),
                          {{QStringLiteral(":n"), account_}})
                  .toInt(),
              1);
  }
  Connection elsewhere(QStringLiteral("till_login_other"), Engine::Server);
  EXPECT_FALSE(OpenAsTill(elsewhere, other_, &error));
  EXPECT_TRUE(error.contains(QStringLiteral("permission denied"))) << error.toStdString();
}

TEST_F(AdminTillLoginTest, ALoginThatMayDoMoreIsRefusedAndAnAccountMayBeGivenOneLater) {
  ASSERT_EQ(
      Admin(QStringList{QStringLiteral("init-server"), QStringLiteral("--account"), account_} +
            Address(pg_))
          .code,
      0);
  const AdminRun superuser =
      Admin(QStringList{QStringLiteral("till-login"), QStringLiteral("--account"), account_,
                        QStringLiteral("--till-login"), pg_.user} +
            Address(pg_));
  EXPECT_EQ(superuser.code, 1);
  EXPECT_TRUE(superuser.err.contains(QStringLiteral("may do more than a till")))
      << superuser.err.toStdString();
  const AdminRun bad_name =
      Admin(QStringList{QStringLiteral("till-login"), QStringLiteral("--account"), account_,
                        QStringLiteral("--till-login"), QStringLiteral("x\"; DROP ROLE postgres")} +
            Address(pg_));
  EXPECT_EQ(bad_name.code, 1);
  EXPECT_TRUE(bad_name.err.contains(QStringLiteral("not a valid login name")));

  // Twice: the second run only sets the password and grants again.
  for (int i = 0; i < 2; ++i) {
    const AdminRun later =
        Admin(QStringList{QStringLiteral("till-login"), QStringLiteral("--account"), account_,
                          QStringLiteral("--till-login"), login_, QStringLiteral("--till-password"),
                          QStringLiteral("it's \"pw\"")} +
              Address(pg_));
    ASSERT_EQ(later.code, 0) << later.err.toStdString();
  }
  Connection till(QStringLiteral("till_login_later"), Engine::Server);
  QString error;
  ASSERT_TRUE(OpenAsTill(till, account_, &error)) << error.toStdString();
  EXPECT_EQ(till.Scalar(QStringLiteral("SELECT COUNT(*) FROM QTSaleOrder")).toInt(), 0);
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
