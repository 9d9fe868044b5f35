#include "data/tdmfm.h"

#include <QFile>
#include <QSqlRecord>
#include <set>
#include <thread>

#include "data/bulk_copy.h"
#include "support/data_fixture.h"
#include "support/qt_printers.h"

namespace quilmo {
namespace {

using test::DataTest;
using test::ModeTest;

// ---- Bill numbers -------------------------------------------------------------------------

class NextBillNoTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    if (HasFatalFailure()) return;
    session.ShopCode = QStringLiteral("S01");
    dm.conClient.Exec(QStringLiteral("DELETE FROM QTBill"));
  }
  void Bill(const QString& name, const QVariant& date, qint64 line) {
    dm.conClient.Exec(
        QStringLiteral("INSERT INTO QTBill (BillName, BillDate, BillLine, PreNo) "
                       "VALUES (:n, :d, :l, 'XS')"),
        {{QStringLiteral(":n"), name}, {QStringLiteral(":d"), date}, {QStringLiteral(":l"), line}});
  }
  qint64 Line(const QString& name) {
    return dm.conClient
        .Scalar(QStringLiteral("SELECT BillLine FROM QTBill WHERE BillName = :n"),
                {{QStringLiteral(":n"), name}})
        .toLongLong();
  }
};

TEST_F(NextBillNoTest, NumbersRestartEachDayOfTheTillsClock) {
  struct Case {
    const char* what;
    QVariant bill_date;
    qint64 line;
    QString expected;
    qint64 line_after;
  };
  const QDateTime today = clock.Now();
  const Case cases[] = {
      {"never used", QVariant(), 0, QStringLiteral("XSS012026121000001"), 2},
      {"yesterday's counter", today.addDays(-1), 57, QStringLiteral("XSS012026121000001"), 2},
      {"same day", today.addSecs(-3600), 41, QStringLiteral("XSS012026121000041"), 42},
      {"six digits unpadded", today, 123456, QStringLiteral("XSS0120261210123456"), 123457},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dm.conClient.Exec(QStringLiteral("DELETE FROM QTBill"));
    Bill(QStringLiteral("SaleOrder"), c.bill_date, c.line);
    EXPECT_EQ(dm.NextBillNo(QStringLiteral("SaleOrder")), c.expected);
    EXPECT_EQ(Line(QStringLiteral("SaleOrder")), c.line_after);
  }
  // The next calendar day starts again at 1, for each kind on its own counter.
  Bill(QStringLiteral("OnOverOrder"), today, 9);
  clock.AddDays(1);
  EXPECT_EQ(dm.NextBillNo(QStringLiteral("SaleOrder")), QStringLiteral("XSS012026121100001"));
  EXPECT_EQ(dm.NextBillNo(QStringLiteral("SaleOrder")), QStringLiteral("XSS012026121100002"));
  EXPECT_EQ(dm.NextBillNo(QStringLiteral("OnOverOrder")), QStringLiteral("XSS012026121100001"));
}

TEST_F(NextBillNoTest, UnknownKindGivesEmptyAndChangesNothing) {
  Bill(QStringLiteral("SaleOrder"), clock.Now(), 5);
  EXPECT_EQ(dm.NextBillNo(QStringLiteral("Nothing")), QString());
  EXPECT_EQ(Line(QStringLiteral("SaleOrder")), 5);
}

TEST_F(NextBillNoTest, TwoProgramsOnOneFileNeverGetTheSameNumber) {
  Bill(QStringLiteral("SaleOrder"), clock.Now(), 1);
  dm.conClient.Close();
  std::set<QString> numbers[2];
  auto take = [this](std::set<QString>* out) {
    // A second program: its own connection to the same file, on its own thread.
    PosSession s;
    s.ShopCode = QStringLiteral("S01");
    TDMFM other(s, clock);
    ASSERT_NO_THROW(other.OpenLocalDatabase(LocalPath()));
    for (int i = 0; i < 150; ++i) out->insert(other.NextBillNo(QStringLiteral("SaleOrder")));
  };
  std::thread a(take, &numbers[0]);
  std::thread b(take, &numbers[1]);
  a.join();
  b.join();
  std::set<QString> all = numbers[0];
  all.insert(numbers[1].begin(), numbers[1].end());
  EXPECT_EQ(numbers[0].size() + numbers[1].size(), 300u);
  EXPECT_EQ(all.size(), 300u);
  EXPECT_EQ(all.count(QString()), 0u);
}

// ---- Key lookups ----------------------------------------------------------------------------

class KeyOpsTest : public ModeTest {
 protected:
  void SetUp() override {
    ModeTest::SetUp();
    if (HasFatalFailure()) return;
    for (const char* no : {"A'1", "A%", "A_", "AB", "A\\"}) {
      ExecBoth(QStringLiteral("INSERT INTO JBColor (ColorNo, ColorCode, ColorName) "
                              "VALUES (:no, :code, :name)"),
               {{QStringLiteral(":no"), QString::fromUtf8(no)},
                {QStringLiteral(":code"), QString::fromUtf8(no)},
                {QStringLiteral(":name"), QStringLiteral("色") + QString::fromUtf8(no)}});
    }
  }
  bool Exists(const char* no) {
    return !dm.LookupValue(QStringLiteral("JBColor"), QStringLiteral("ColorNo"),
                           QString::fromUtf8(no), session.IsOnline, QStringLiteral("ColorNo"))
                .isEmpty();
  }
};

TEST_P(KeyOpsTest, QuotesAndWildcardsFindExactlyTheRowTheyName) {
  EXPECT_TRUE(Exists("A'1"));
  EXPECT_TRUE(Exists("A_"));
  EXPECT_FALSE(Exists("A"));
  EXPECT_FALSE(Exists("A' OR '1'='1"));
  EXPECT_EQ(dm.LookupValue(QStringLiteral("JBColor"), QStringLiteral("ColorNo"),
                           QStringLiteral("A%"), session.IsOnline, QStringLiteral("ColorName")),
            QStringLiteral("色A%"));
  EXPECT_EQ(dm.LookupValue(QStringLiteral("JBColor"), QStringLiteral("ColorNo"),
                           QStringLiteral("Z"), session.IsOnline, QStringLiteral("ColorName")),
            QString());
}

TEST_P(KeyOpsTest, PreparedPointLookupAnswersEachCallForItsOwnValue) {
  const QString sql = QStringLiteral("SELECT ColorName FROM JBColor WHERE ColorNo = :no");
  for (const char* no : {"A%", "A_", "A%", "none", "A'1"}) {
    const QSqlRecord row =
        dm.Current().FirstRow(sql, {{QStringLiteral(":no"), QString::fromUtf8(no)}});
    if (QByteArray(no) == "none") {
      EXPECT_TRUE(row.isEmpty());
    } else {
      EXPECT_EQ(row.value(QStringLiteral("ColorName")).toString(),
                QStringLiteral("色") + QString::fromUtf8(no));
    }
  }
  const QList<QSqlRecord> rows = dm.Current().Rows(
      QStringLiteral(
          "SELECT ColorNo FROM JBColor WHERE ColorNo LIKE :p ESCAPE '\\' ORDER BY ColorNo"),
      {{QStringLiteral(":p"), QStringLiteral("A%")}});
  ASSERT_EQ(rows.size(), 5);
  EXPECT_EQ(rows[0].value(0).toString(), QStringLiteral("A%"));
  EXPECT_THROW(
      dm.Current().FirstRow(QStringLiteral("SELECT Nothing FROM JBColor WHERE ColorNo = :no"),
                            {{QStringLiteral(":no"), QStringLiteral("A")}}),
      DbError);
}

TEST_P(KeyOpsTest, NextNumberTextCountsOnFromTheLargestNumber) {
  EXPECT_EQ(NextNumberText(dm.Current(), QStringLiteral("JBStore"), QStringLiteral("StoreNo")),
            QStringLiteral("0001"));
  for (const char* no : {"7", "41", "0009"}) {
    dm.Current().Exec(QStringLiteral("INSERT INTO JBStore (StoreNo, StoreName, DownlogNo) "
                                     "VALUES (:no, 'x', :log)"),
                      {{QStringLiteral(":no"), QString::fromUtf8(no)},
                       {QStringLiteral(":log"), QString::fromUtf8(no).toInt()}});
  }
  // Numerically, not as text: "7" < "41", and "0009" is 9.
  EXPECT_EQ(NextNumberText(dm.Current(), QStringLiteral("JBStore"), QStringLiteral("StoreNo")),
            QStringLiteral("42"));
  EXPECT_TRUE(ui.messages().empty());
}

TEST_P(KeyOpsTest, FailingStatementCarriesTheDriversMessage) {
  try {
    dm.Current().Exec(QStringLiteral("SELECT NoSuchColumn FROM JBColor"));
    FAIL() << "no error raised";
  } catch (const DbError& e) {
    EXPECT_TRUE(e.message().contains(QStringLiteral("nosuchcolumn"), Qt::CaseInsensitive))
        << e.what();
  }
}

QUILMO_BOTH_MODES(KeyOpsTest);

// ---- Row copy -------------------------------------------------------------------------------

TEST_F(DataTest, BuildInsertTakesTheSharedColumnsInTheTargetsOrder) {
  dm.conClient.Exec(QStringLiteral("CREATE TABLE T (A TEXT, B TEXT, C INTEGER)"));
  dm.conServer.Exec(QStringLiteral("CREATE TABLE S (D TEXT, C INTEGER, B TEXT)"));
  dm.conServer.Exec(QStringLiteral("CREATE TABLE N (X TEXT)"));
  QSqlQuery source = dm.conServer.Query(QStringLiteral("SELECT * FROM S"));
  EXPECT_EQ(dm.BuildInsert(QStringLiteral("T"), source.record(), false)
                .compare(QStringLiteral("insert into T(B,C) values(:B,:C)"), Qt::CaseInsensitive),
            0)
      << dm.BuildInsert(QStringLiteral("T"), source.record(), false).toStdString();
  QSqlQuery none = dm.conServer.Query(QStringLiteral("SELECT * FROM N"));
  EXPECT_EQ(dm.BuildInsert(QStringLiteral("T"), none.record(), false), QString());
}

TEST_F(DataTest, CopyRowsCarriesValuesNullsAndDatesBetweenEngines) {
  dm.conServer.Exec(QStringLiteral(
      "INSERT INTO QTCards (CardNo, CardsCode, HolderName, Discount, PointTotal, BeginDate, "
      "SendDate, DownLogNo) VALUES "
      "('1', 'VIP001', '李四', 90, 12.5, NULL, '2026-03-01 10:20:30', 3), "
      "('2', 'O''Neil', 'O''Neil', 100, 0, '2026-01-01 00:00:00', '2025-12-31 23:59:59', 4)"));
  QSqlQuery source = dm.conServer.Query(QStringLiteral("SELECT * FROM QTCards ORDER BY CardNo"));
  const QString insert = dm.BuildInsert(QStringLiteral("QTCards"), source.record(), false);
  ASSERT_FALSE(insert.isEmpty());
  EXPECT_EQ(dm.CopyRows(false, insert, source), 2);

  QSqlQuery copied = dm.conClient.Query(QStringLiteral(
      "SELECT CardsCode, HolderName, Discount, PointTotal, BeginDate, SendDate, DownLogNo "
      "FROM QTCards ORDER BY CardNo"));
  ASSERT_TRUE(copied.next());
  EXPECT_EQ(copied.value(0).toString(), QStringLiteral("VIP001"));
  EXPECT_EQ(copied.value(1).toString(), QStringLiteral("李四"));
  EXPECT_DOUBLE_EQ(copied.value(3).toDouble(), 12.5);
  EXPECT_TRUE(copied.value(4).isNull());
  // Dates land in the local file in its one text form.
  EXPECT_EQ(copied.value(5).toString(), QStringLiteral("2026-03-01 10:20:30"));
  EXPECT_EQ(copied.value(6).toInt(), 3);
  ASSERT_TRUE(copied.next());
  EXPECT_EQ(copied.value(0).toString(), QStringLiteral("O'Neil"));
  EXPECT_EQ(ToDateTime(copied.value(4)), QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
}

// ---- Connections ----------------------------------------------------------------------------

TEST_F(DataTest, MissingLocalFileLeavesTheOpenConnectionAlone) {
  try {
    dm.OpenLocalDatabase(HomePath() + QStringLiteral("/SysFile/none.db"));
    ADD_FAILURE() << "opened";
  } catch (const LocalDatabaseError& e) {
    EXPECT_EQ(e.kind(), LocalDatabaseError::Kind::Missing);
    EXPECT_EQ(e.message(), QStringLiteral("找不到本地数据库文件！"));
  }
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_TRUE(dm.conClient.isOpen());
  EXPECT_EQ(dm.conClient.databaseName(), LocalPath());
}

TEST_F(DataTest, FileThatIsNotADatabaseCannotBeOpened) {
  const QString junk = HomePath() + QStringLiteral("/SysFile/junk.db");
  QFile f(junk);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QByteArray(4096, 'x'));
  f.close();
  try {
    dm.OpenLocalDatabase(junk);
    ADD_FAILURE() << "opened";
  } catch (const LocalDatabaseError& e) {
    EXPECT_EQ(e.kind(), LocalDatabaseError::Kind::Unusable);
    EXPECT_EQ(e.message(), QStringLiteral("不能与本地数据库连接！"));
    EXPECT_FALSE(e.reason().isEmpty());
  }
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(DataTest, LocalFileRunsWalWithFullSynchronousCommits) {
  EXPECT_EQ(dm.conClient.Scalar(QStringLiteral("PRAGMA journal_mode")).toString(),
            QStringLiteral("wal"));
  EXPECT_EQ(dm.conClient.Scalar(QStringLiteral("PRAGMA synchronous")).toInt(), 2);
}

TEST_F(DataTest, ServerNowFollowsTheMode) {
  session.IsOnline = false;
  EXPECT_EQ(dm.ServerNow(), clock.Now());
  session.IsOnline = true;
  EXPECT_LE(qAbs(dm.ServerNow().secsTo(QDateTime::currentDateTime())), 5);
}

TEST_F(DataTest, ServerAliveAndUseDatabase) {
  EXPECT_TRUE(dm.ServerAlive(dm.conServer));
  EXPECT_FALSE(dm.UseDatabase(dm.conServer, QStringLiteral("no_such_account")));
  EXPECT_FALSE(dm.ServerAlive(dm.conServer));
  EXPECT_TRUE(dm.UseDatabase(dm.conServer, databaseName()));
  EXPECT_TRUE(dm.ServerAlive(dm.conServer));
}

TEST_F(DataTest, ServerDroppingTheConnectionIsNotAlive) {
  test::PgExec(server(), QStringLiteral("postgres"),
               QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                              "WHERE datname = '%1'")
                   .arg(databaseName()));
  EXPECT_FALSE(dm.ServerAlive(dm.conServer));
}

class DialectTest : public ModeTest {};

TEST_P(DialectTest, DayDiffContainsAndEscapedLikeMeanTheSameOnBothEngines) {
  const Connection& c = dm.Current();
  const Dialect& d = c.dialect();
  const QVariantMap dates{{QStringLiteral(":a"), QDateTime(QDate(2026, 12, 9), QTime(23, 0))},
                          {QStringLiteral(":b"), QDateTime(QDate(2026, 12, 10), QTime(1, 0))}};
  EXPECT_EQ(
      c.Scalar(QStringLiteral("SELECT ") + d.DayDiff(QStringLiteral(":a"), QStringLiteral(":b")),
               dates)
          .toInt(),
      1);
  EXPECT_TRUE(c.Scalar(QStringLiteral("SELECT CASE WHEN ") +
                           d.Contains(QStringLiteral("'S01,S02'"), QStringLiteral(":s")) +
                           QStringLiteral(" THEN 1 ELSE 0 END"),
                       {{QStringLiteral(":s"), QStringLiteral("S02")}})
                  .toBool());
  // A typed 50% matches itself, not every text that starts with 50.
  const QString like = QStringLiteral("SELECT CASE WHEN :text ") + d.ILike() +
                       QStringLiteral(" :pattern ESCAPE '\\' THEN 1 ELSE 0 END");
  auto matches = [&](const QString& text, const QString& typed) {
    return c
        .Scalar(like, {{QStringLiteral(":text"), text},
                       {QStringLiteral(":pattern"),
                        QLatin1Char('%') + EscapeLike(typed) + QLatin1Char('%')}})
        .toBool();
  };
  EXPECT_TRUE(matches(QStringLiteral("打折50%_款"), QStringLiteral("50%_")));
  EXPECT_FALSE(matches(QStringLiteral("5000 款"), QStringLiteral("50%")));
  EXPECT_TRUE(matches(QStringLiteral("A\\B"), QStringLiteral("A\\B")));
  EXPECT_FALSE(matches(QStringLiteral("AxB"), QStringLiteral("A_B")));
  EXPECT_TRUE(matches(QStringLiteral("Polo衫"), QStringLiteral("polo")));
}

QUILMO_BOTH_MODES(DialectTest);

// The download streams large tables; what lands must be what the server holds.
TEST_F(DataTest, StreamedCopyLandsValuesNullsAndDatesAndKeepsConnectionsUsable) {
  dm.conServer.Exec(QStringLiteral(
      "INSERT INTO QTCards (CardNo, CardsCode, HolderName, Discount, PointTotal, TotalSaleCount, "
      "BeginDate, SendDate, DownLogNo) VALUES "
      "('1', 'VIP001', '李四', 90, 12.5, 3, NULL, '2026-03-01 10:20:30.25', 3), "
      "('2', 'O''Neil\\t', 'O''Neil', 100, 0, NULL, '2026-01-01 00:00:00', '2025-12-31 23:59:59', "
      "4), "
      "('3', 'VIP003', '王五', 85, 1e10, 7, NULL, NULL, 5)"));
  const int copied = CopyServerRowsToLocal(
      dm.conServer,
      QStringLiteral(
          "SELECT * FROM QTCards WHERE DownLogNo >= :From AND CardsCode <> ':x' ORDER BY CardNo"),
      {{QStringLiteral(":From"), 4}}, dm.conClient, QStringLiteral("QTCards"));
  EXPECT_EQ(copied, 2);

  QSqlQuery rows = dm.conClient.Query(QStringLiteral(
      "SELECT CardNo, CardsCode, HolderName, Discount, PointTotal, TotalSaleCount, BeginDate, "
      "SendDate, typeof(Discount), typeof(TotalSaleCount) FROM QTCards ORDER BY CardNo"));
  ASSERT_TRUE(rows.next());
  EXPECT_EQ(rows.value(0).toString(), QStringLiteral("2"));
  EXPECT_EQ(rows.value(1).toString(), QStringLiteral("O'Neil\\t"));
  EXPECT_TRUE(rows.value(5).isNull());
  EXPECT_EQ(rows.value(6).toString(), QStringLiteral("2026-01-01 00:00:00"));
  EXPECT_EQ(rows.value(8).toString(), QStringLiteral("real"));
  ASSERT_TRUE(rows.next());
  EXPECT_EQ(rows.value(2).toString(), QStringLiteral("王五"));
  EXPECT_DOUBLE_EQ(rows.value(4).toDouble(), 1e10);
  EXPECT_EQ(rows.value(9).toString(), QStringLiteral("integer"));
  EXPECT_TRUE(rows.value(7).isNull());
  EXPECT_FALSE(rows.next());
  rows.finish();

  // A row the local table refuses (a duplicate key) fails the copy with SQLite's message, and
  // both connections go on working.
  try {
    CopyServerRowsToLocal(dm.conServer, QStringLiteral("SELECT * FROM QTCards"), {}, dm.conClient,
                          QStringLiteral("QTCards"));
    FAIL() << "duplicate accepted";
  } catch (const DbError& e) {
    EXPECT_TRUE(e.message().contains(QStringLiteral("UNIQUE"), Qt::CaseInsensitive)) << e.what();
  }
  EXPECT_EQ(dm.conServer.Scalar(QStringLiteral("SELECT COUNT(*) FROM QTCards")).toInt(), 3);
  // A failing server statement likewise.
  EXPECT_THROW(CopyServerRowsToLocal(dm.conServer, QStringLiteral("SELECT * FROM NoSuchTable"), {},
                                     dm.conClient, QStringLiteral("QTCards")),
               DbError);
  EXPECT_TRUE(dm.ServerAlive(dm.conServer));
}

TEST(PositionalParameters, NamesBecomeNumbersOutsideQuotesAndCasts) {
  QStringList names;
  EXPECT_EQ(
      ToPositionalParameters(
          QStringLiteral("SELECT ':a', x::text FROM t WHERE a = :a AND b = :b OR c = :a"), &names),
      QStringLiteral("SELECT ':a', x::text FROM t WHERE a = $1 AND b = $2 OR c = $1"));
  EXPECT_EQ(names, (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
}

}  // namespace
}  // namespace quilmo
