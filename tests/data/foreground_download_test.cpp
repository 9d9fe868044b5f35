#include "data/foreground_download.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include "app/screens/qt_ui.h"
#include "data/download.h"
#include "frame/frm_show_message.h"
#include "support/data_fixture.h"
#include "support/qt_printers.h"

namespace quilmo {
namespace {

class ForegroundDownloadTest : public test::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    if (HasFatalFailure()) return;
    session.IsOnline = true;
    dm.conServer.RunScript(QStringLiteral(
        "INSERT INTO JBStore (StoreNo, StoreName, DownlogNo) VALUES ('S1', '一号仓', 1);"
        "INSERT INTO JBGoods (GoodsNo, GoodsCode, DownlogNo) VALUES ('G1', 'A001', 1), "
        "('G2', 'A002', 2);"
        "INSERT INTO QTCXOrder (ORderNo) VALUES ('X1');"));
  }
  int LocalCount(const char* table) {
    return dm.conClient.Scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table)))
        .toInt();
  }
  static TfrmShowMessage* ProgressWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* p = qobject_cast<TfrmShowMessage*>(w); p && p->isVisible()) return p;
    }
    return nullptr;
  }
};

TEST_F(ForegroundDownloadTest, TheProgressWindowPaintsAndAnimatesWhileAStepIsStuck) {
  QtUi qt_ui;
  TDMFM till(session, clock);
  QString error;
  ASSERT_TRUE(
      till.conServer.OpenServer(dm.conServer.serverAddress(), dm.conServer.databaseName(), &error));
  ASSERT_TRUE(till.conClient.OpenLocal(dm.conClient.databaseName(), &error));

  // Another session holds the first table of the download, so its first step waits on the
  // server for as long as the test likes.
  Connection blocker(QStringLiteral("blocker"), Engine::Server);
  ASSERT_TRUE(
      blocker.OpenServer(dm.conServer.serverAddress(), dm.conServer.databaseName(), &error));
  blocker.Exec(QStringLiteral("BEGIN"));
  blocker.Exec(QStringLiteral("LOCK TABLE JBStore IN ACCESS EXCLUSIVE MODE"));

  // All of this runs on the window thread while the download's step waits for the table,
  // which it can only do when the waiting happens off the window thread.
  bool seen = false;
  QString text;
  bool animated = false;
  QTimer watch;
  watch.setInterval(20);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    const bool step_waits =
        blocker
            .Scalar(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity "
                                   "WHERE wait_event_type = 'Lock' AND datname = :Db"),
                    {{QStringLiteral(":Db"), dm.conServer.databaseName()}})
            .toInt() > 0;
    TfrmShowMessage* window = ProgressWindow();
    if (!step_waits || !window) return;
    auto* animation = window->findChild<SearchAnimation*>();
    ASSERT_NE(animation, nullptr);
    const QImage before = animation->grab().toImage();
    QTest::qWait(400);  // three frames of the magnifier
    animated = animation->grab().toImage() != before;
    text = window->lblMsg->text();
    seen = true;
    watch.stop();
    blocker.Exec(QStringLiteral("COMMIT"));
  });
  watch.start();
  const DownloadResult result =
      DownloadMasterDataInForeground(till, qt_ui, kIncrementalDownload, /*with_promotions=*/true);
  EXPECT_TRUE(result.finished);

  EXPECT_TRUE(seen);
  EXPECT_EQ(text, QStringLiteral("正在从服务器下载更新的仓库资料,请稍候.........."));
  EXPECT_TRUE(animated);
  EXPECT_EQ(LocalCount("JBStore"), 1);
  EXPECT_EQ(LocalCount("JBGoods"), 2);
  EXPECT_EQ(LocalCount("QTCXOrder"), 1);
  QTest::qWait(50);  // the window goes on the window thread
  EXPECT_EQ(ProgressWindow(), nullptr);
}

TEST_F(ForegroundDownloadTest, ReturnsWhatDownloadMasterDataReturns) {
  // The promotion step failing ends the download: the tables before it are in, and the caller
  // gets the error to show.
  dm.conServer.RunScript(QStringLiteral("DROP TABLE QTCXOrderDetail;"));
  const DownloadResult result = DownloadMasterDataInForeground(dm, ui, kIncrementalDownload, true);
  EXPECT_FALSE(result.finished);
  EXPECT_TRUE(result.error.contains(QStringLiteral("qtcxorderdetail"), Qt::CaseInsensitive))
      << result.error.toStdString();
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(LocalCount("JBGoods"), 2);
  EXPECT_EQ(ui.progressTexts().first(),
            QStringLiteral("正在从服务器下载更新的基本资料,请稍候.........."));
  EXPECT_FALSE(ui.progressOpen());
}

}  // namespace
}  // namespace quilmo
