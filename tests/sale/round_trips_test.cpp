// How many statements reach the server for one saved and one uploaded order, counted by the
// server itself: the connection logs every statement it receives (log_statement = all) into
// the cluster's log, and the test counts the lines its work added.
#include <QFile>

#include "sale/saving_fixture.h"
#include "sale/upload_sales.h"

namespace quilmo {
namespace {

using namespace Qt::StringLiterals;

class RoundTripTest : public test::SavingTest {
 protected:
  void SetUp() override {
    SavingTest::SetUp();
    if (HasFatalFailure()) return;
    log_path_ = dm.conServer.Scalar(u"SHOW data_directory"_s).toString() + u"/server.log"_s;
    dm.conServer.Exec(u"SET log_statement = 'all'"_s);
  }
  qint64 LogSize() { return QFileInfo(log_path_).size(); }
  // Statements the server logged since `from`, with this test's marker around them.
  int StatementsSince(qint64 from) {
    // A marker statement makes sure everything sent before it has reached the log.
    dm.conServer.Exec(u"SELECT 'round-trip-marker'"_s);
    QFile log(log_path_);
    EXPECT_TRUE(log.open(QIODevice::ReadOnly));
    log.seek(from);
    int count = 0;
    for (const QByteArray& line : log.readAll().split('\n')) {
      if (line.contains("round-trip-marker")) break;
      if (line.contains("LOG:  statement: ") || line.contains("LOG:  execute ")) ++count;
    }
    return count;
  }

 private:
  QString log_path_;
};
INSTANTIATE_TEST_SUITE_P(Online, RoundTripTest, ::testing::Values(true));

TEST_P(RoundTripTest, ASavedOrderTakesOneStatementAndAnUploadedOrderOne) {
  if (dm.conServer.Scalar(u"SELECT rolsuper FROM pg_roles WHERE rolname = current_user"_s)
          .toBool() == false) {
    GTEST_FAIL() << "the test server's user must be a superuser to log statements";
  }
  // The first save prepares the statement; the ones after it are what a till does all day.
  NewOrder(u"XS0120261210000001"_s, {u"A001"_s, u"A002"_s, u"A003"_s}, u"VIP001"_s);
  ASSERT_TRUE(Save());
  NewOrder(u"XS0120261210000002"_s, {u"A001"_s, u"A002"_s, u"A003"_s, u"A001"_s, u"A002"_s},
           u"VIP001"_s);
  qint64 from = LogSize();
  ASSERT_TRUE(Save());
  const int per_save = StatementsSince(from);
  EXPECT_EQ(per_save, 1);

  // Ten orders saved offline go up.
  session.IsOnline = false;
  for (int i = 0; i < 10; ++i) {
    NewOrder(u"XS01202612101000%1"_s.arg(i), {u"A001"_s, u"A002"_s, u"A003"_s}, u"VIP001"_s);
    ASSERT_TRUE(Save());
  }
  session.IsOnline = true;
  from = LogSize();
  const UploadCounts counts = UploadSales(dm, ui);
  EXPECT_EQ(counts.sales_uploaded, 10);
  const int upload = StatementsSince(from);
  // The save statement once per order, plus at most its one preparation.
  EXPECT_LE(upload, 10 + 1);
  RecordProperty("statements_per_save", per_save);
  RecordProperty("statements_per_10_uploads", upload);
  std::printf("statements per saved order: %d; for 10 uploaded orders: %d\n", per_save, upload);
}

}  // namespace
}  // namespace quilmo
