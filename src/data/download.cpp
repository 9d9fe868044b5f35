#include "data/download.h"

#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <memory>
#include <optional>
#include <vector>

#include "base/ini_file.h"
#include "data/bulk_copy.h"

namespace quilmo {
namespace {

enum class Step { Counted, WholeTable, GoodsList, GoodsLinked };

struct TableStep {
  const char* table;
  Step step;
  const char* key;  // key of a counted table, link column of a goods-linked one
};

// The download order. The goods list and the goods-linked tables come before JBGoods, so
// they see the JBGoods counter as it stood before this download.
constexpr TableStep kTables[] = {
    {"JBStore", Step::Counted, "StoreNo"},
    {"JBEmployee", Step::Counted, "EmployeeNo"},
    {"JBGoodsType", Step::WholeTable, nullptr},
    {"GoodsTemp", Step::GoodsList, nullptr},
    {"JBClothBarCode", Step::GoodsLinked, "GoodsNo"},
    {"JBCGroup", Step::GoodsLinked, "CGroupNo"},
    {"JBCGroupDetail", Step::GoodsLinked, "CGroupNo"},
    {"JBColor", Step::WholeTable, nullptr},
    {"JBSGroup", Step::GoodsLinked, "SGroupNo"},
    {"JBSGroupDetail", Step::GoodsLinked, "SGroupNo"},
    {"JBSize", Step::WholeTable, nullptr},
    {"JBGoods", Step::Counted, "GoodsNo"},
    {"QTShop", Step::Counted, "ShopNo"},
    {"QTShopTem", Step::Counted, "ShopTemNo"},
    {"QTCards", Step::Counted, "CardNo"},
    {"QTCashier", Step::Counted, "CashierNo"},
    {"QTCashierRight", Step::WholeTable, nullptr},
    {"QTCardDiscount", Step::WholeTable, nullptr},
    {"QTSysSet", Step::WholeTable, nullptr},
    {"JBOrgan", Step::WholeTable, nullptr},
};
constexpr int kTableCount = static_cast<int>(std::size(kTables));
constexpr int kStepCount = kTableCount + 1;  // the promotion tables are the last step

QString Name(const char* s) { return QLatin1String(s); }

int ReadCounter(TDMFM& dm, const QString& table) {
  const QVariant v = dm.conClient.Scalar(
      QStringLiteral("SELECT DownLogNo FROM DownLog WHERE DownTable = :DownTable"),
      {{QStringLiteral(":DownTable"), table}});
  return v.isValid() && !v.isNull() ? v.toInt() : 0;
}

void WriteCounter(TDMFM& dm, const QString& table, int value) {
  dm.conClient.Exec(
      QStringLiteral("UPDATE DownLog SET DownLogNo = :DownLogNo WHERE DownTable = :DownTable"),
      {{QStringLiteral(":DownLogNo"), value}, {QStringLiteral(":DownTable"), table}});
}

// Rows changed since counter n: COALESCE(DownlogNo,0) >= n, written so that a positive n
// can use the index on DownlogNo.
QString ChangedSince(int n, const QString& column = QStringLiteral("DownlogNo")) {
  return n > 0 ? QStringLiteral("%1 >= :N").arg(column)
               : QStringLiteral("COALESCE(%1, 0) >= :N").arg(column);
}

// Copies every row of `source` into the local table; nothing when they share no column.
void CopyToLocal(TDMFM& dm, const QString& table, QSqlQuery& source) {
  const QString insert = dm.BuildInsert(table, source.record(), /*on_server=*/false);
  if (!insert.isEmpty()) dm.CopyRows(/*on_server=*/false, insert, source);
}

// The whole table, replaced in one local transaction: a failure leaves the previous rows.
void WholeTableStep(TDMFM& dm, const QString& table) {
  Transaction tx(dm.conClient);
  LocalTableReload reload(dm.conClient, table);
  CopyServerRowsToLocal(dm.conServer, QStringLiteral("SELECT * FROM %1").arg(table), {},
                        dm.conClient, table);
  reload.Finish();
  tx.Commit();
}

void ReportTableError(TDMFM& dm, const QString& table, const DbError& e) {
  dm.ui().MessageBox(
      QString(), QStringLiteral("下载表") + table + QStringLiteral("出错！！原因：") + e.message(),
      MsgIcon::Error, MsgButtons::Ok);
}

void CountedStep(TDMFM& dm, const QString& table, const QString& key, int kind) {
  if (kind == kFullDownload) {
    // The counter is read before the rows, so a row changed meanwhile is fetched again next
    // time rather than missed.
    const int m =
        dm.conServer.Scalar(QStringLiteral("SELECT COALESCE(MAX(DownlogNo), 0) FROM %1").arg(table))
            .toInt();
    WholeTableStep(dm, table);
    WriteCounter(dm, table, m);
    return;
  }
  const int n = ReadCounter(dm, table);
  const QVariantMap since{{QStringLiteral(":N"), n}};
  const int m = dm.conServer
                    .Scalar(QStringLiteral("SELECT COALESCE(MAX(DownlogNo), 0) FROM %1 WHERE %2")
                                .arg(table, ChangedSince(n)),
                            since)
                    .toInt();
  try {
    QSqlQuery rows = dm.conServer.Query(
        QStringLiteral("SELECT * FROM %1 WHERE %2").arg(table, ChangedSince(n)), since);
    const int key_at = rows.record().indexOf(key);
    if (key_at < 0) throw DbError(QStringLiteral("%1 has no column %2").arg(table, key));
    // Each fetched row replaces the local row with its key. Deleting and inserting in one
    // transaction means a table that fails keeps every row it had.
    Transaction tx(dm.conClient);
    const QString insert = dm.BuildInsert(table, rows.record(), /*on_server=*/false);
    const QString remove = QStringLiteral("DELETE FROM %1 WHERE %2 = :Key").arg(table, key);
    std::optional<RowInserter> add;
    if (!insert.isEmpty()) add.emplace(dm.conClient, insert, rows.record());
    while (rows.next()) {
      dm.conClient.ExecKept(remove, {{QStringLiteral(":Key"), rows.value(key_at)}});
      if (add) add->Insert(rows);
    }
    WriteCounter(dm, table, m);
    tx.Commit();
  } catch (const DbError& e) {
    ReportTableError(dm, table, e);
  }
}

void GoodsListStep(TDMFM& dm, int kind) {
  const int n = ReadCounter(dm, QStringLiteral("JBGoods"));
  QSqlQuery rows = dm.conServer.Query(
      QStringLiteral("SELECT GoodsNo FROM JBGoods WHERE %1").arg(ChangedSince(n)),
      {{QStringLiteral(":N"), n}});
  Transaction tx(dm.conClient);
  dm.conClient.Exec(QStringLiteral("DELETE FROM GoodsTemp"));
  if (kind == kIncrementalDownload) CopyToLocal(dm, QStringLiteral("GoodsTemp"), rows);
  tx.Commit();
}

void GoodsLinkedStep(TDMFM& dm, const QString& table, const QString& link, int kind) {
  if (kind == kFullDownload) {
    WholeTableStep(dm, table);
    return;
  }
  const int n = ReadCounter(dm, QStringLiteral("JBGoods"));
  try {
    // Buffered, because the rows are read twice: once for their links, once to copy them.
    QSqlQuery rows(dm.conServer.db());
    rows.setForwardOnly(false);
    if (!rows.prepare(QStringLiteral("SELECT * FROM %1 WHERE %2 IN "
                                     "(SELECT %2 FROM JBGoods WHERE %3)")
                          .arg(table, link, ChangedSince(n)))) {
      throw DbError(DriverMessage(rows.lastError()));
    }
    rows.bindValue(QStringLiteral(":N"), n);
    if (!rows.exec()) throw DbError(DriverMessage(rows.lastError()));

    Transaction tx(dm.conClient);
    // The rows of the changed goods go, found through the local JBGoods, which still holds
    // the goods' previous groups.
    dm.conClient.Exec(QStringLiteral("DELETE FROM %1 WHERE %2 IN (SELECT %2 FROM JBGoods "
                                     "WHERE GoodsNo IN (SELECT GoodsNo FROM GoodsTemp))")
                          .arg(table, link));
    // So do local rows under the links being fetched: a group the goods moved to, or
    // barcodes of goods the local JBGoods does not have yet, would otherwise be doubled.
    const int link_at = rows.record().indexOf(link);
    QSet<QString> links;
    while (rows.next()) {
      if (link_at >= 0 && !rows.value(link_at).isNull())
        links.insert(rows.value(link_at).toString());
    }
    const QString remove = QStringLiteral("DELETE FROM %1 WHERE %2 = :Link").arg(table, link);
    for (const QString& value : links)
      dm.conClient.ExecKept(remove, {{QStringLiteral(":Link"), value}});
    CopyToLocal(dm, table, rows);
    tx.Commit();
  } catch (const DbError& e) {
    ReportTableError(dm, table, e);
  }
}

// The promotion tables are always replaced whole, both in one local transaction.
void PromotionStep(TDMFM& dm) {
  QSqlQuery orders = dm.conServer.Query(QStringLiteral("SELECT * FROM QTCXOrder"));
  Transaction tx(dm.conClient);
  dm.conClient.Exec(QStringLiteral("DELETE FROM QTCXOrderDetail"));
  dm.conClient.Exec(QStringLiteral("DELETE FROM QTCXOrder"));
  CopyToLocal(dm, QStringLiteral("QTCXOrder"), orders);
  QSqlQuery details = dm.conServer.Query(QStringLiteral("SELECT * FROM QTCXOrderDetail"));
  CopyToLocal(dm, QStringLiteral("QTCXOrderDetail"), details);
  tx.Commit();
}

void DownloadTable(TDMFM& dm, const TableStep& t, int kind) {
  const QString table = Name(t.table);
  switch (t.step) {
    case Step::Counted:
      CountedStep(dm, table, Name(t.key), kind);
      break;
    case Step::WholeTable:
      WholeTableStep(dm, table);
      break;
    case Step::GoodsList:
      GoodsListStep(dm, kind);
      break;
    case Step::GoodsLinked:
      GoodsLinkedStep(dm, table, Name(t.key), kind);
      break;
  }
}

}  // namespace

void DownloadMasterData(TDMFM& dm, int kind, bool with_promotions) {
  std::unique_ptr<Progress> progress;
  if (!dm.session().DownloadRunning) {
    progress =
        dm.ui().ShowProgress(QStringLiteral("正在从服务器下载更新的基本资料,请稍候.........."));
    if (progress) progress->SetSteps(kStepCount);
  }
  auto say = [&](const QString& text) {
    if (progress) progress->SetText(text);
  };
  // Which text introduces which table (by its position in the list).
  auto text_before = [](int index) -> QString {
    switch (index) {
      case 0:
        return QStringLiteral("正在从服务器下载更新的仓库资料,请稍候..........");
      case 1:
        return QStringLiteral("正在从服务器下载更新的导购员资料,请稍候..........");
      case 2:
        return QStringLiteral("正在从服务器下载更新的商品资料,请稍候..........");
      case 12:
        return QStringLiteral("正在从服务器下载更新的零售店相关资料,请稍候..........");
      default:
        return {};
    }
  };
  for (int i = 0; i < kTableCount; ++i) {
    const QString text = text_before(i);
    if (!text.isEmpty()) say(text);
    DownloadTable(dm, kTables[i], kind);
    if (progress) progress->SetStep(i + 1);
  }
  if (with_promotions) PromotionStep(dm);
  if (progress) progress->SetStep(kStepCount);
}

bool ClearLocalData(TDMFM& dm) {
  static const char* const kCleared[] = {"JBEmployee",        "JBClothBarcode",
                                         "JBCGroupDetail",    "JBCGroup",
                                         "JBColor",           "JBSGroupDetail",
                                         "JBSGroup",          "JBSize",
                                         "JBGoods",           "JBGoodsType",
                                         "JBStore",           "QTAddCardAmount",
                                         "QTCardDiscount",    "QTCards",
                                         "QTCashier",         "QTCashierRight",
                                         "QTHalSaleOrder",    "QTHalSaleOrderDetail",
                                         "QTCXOrder",         "QTCXOrderDetail",
                                         "QTOnOverOrder",     "QTSaleORder",
                                         "QTSaleORderDetail", "QTShop",
                                         "QTShopTem",         "QTSysSet",
                                         "QTShiftPending"};
  struct Reset {
    const char* section;
    const char* key;
    const char* value;
  };
  // ConnectSet/DBAName and the Options section stay: the next configuration starts from them.
  static const Reset kResets[] = {
      {"ConnectSet", "ServerName", ""},   {"ConnectSet", "DBAPSW", ""},
      {"SysSet", "ShopNo", ""},           {"SysSet", "StoreNo", ""},
      {"SysSet", "OnOverOrderNo", ""},    {"SysSet", "OnDate", ""},
      {"SysSet", "OnOperatorNo", ""},     {"SysSet", "OverFlag", "1"},
      {"SysSet", "OnverBoxAmount", "0"},  {"HardWareSet", "HavePrinter", "N"},
      {"HardWareSet", "HaveScreen", "N"}, {"HardWareSet", "HaveCashBox", "N"}};
  try {
    Transaction tx(dm.conClient);
    dm.conClient.Exec(QStringLiteral("UPDATE DownLog SET DownLogNo = 0"));
    for (const char* table : kCleared) {
      dm.conClient.Exec(QStringLiteral("DELETE FROM %1").arg(Name(table)));
    }
    for (const Reset& r : kResets) {
      QString error;
      if (!WriteIniString(dm.session().IniFile, Name(r.section), Name(r.key),
                          QString::fromUtf8(r.value), &error)) {
        throw DbError(error);
      }
    }
    tx.Commit();
    return true;
  } catch (const DbError& e) {
    dm.ui().MessageBox(QString(), QStringLiteral("清空数据错误，错误原因：") + e.message(),
                       MsgIcon::Information, MsgButtons::Ok);
    return false;
  }
}

QTThread::QTThread(TDMFM& dm)
    : session_(dm.session()),
      ui_(dm.ui()),
      clock_(dm.clock()),
      server_(dm.conServer.serverAddress()),
      server_database_(dm.conServer.databaseName()),
      local_path_(dm.conClient.databaseName()) {}

QTThread* QTThread::Start(TDMFM& dm) {
  auto* thread = new QTThread(dm);
  dm.session().DownloadRunning = true;
  QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
  thread->start();
  return thread;
}

void QTThread::run() {
  session_.DownloadRunning = true;
  try {
    TDMFM dm(session_, ui_, clock_);
    QString error;
    if (!dm.conServer.OpenServer(server_, server_database_, &error)) throw DbError(error);
    if (!dm.conClient.OpenLocal(local_path_, &error)) throw DbError(error);
    DownloadMasterData(dm, kIncrementalDownload, /*with_promotions=*/true);
    session_.DownloadRunning = false;
  } catch (const DbError& e) {
    session_.DownloadRunning = false;
    ui_.MessageBox(QString(), QStringLiteral("线程下载表'出错！！原因：") + e.message(),
                   MsgIcon::Error, MsgButtons::Ok);
  } catch (const std::exception& e) {
    session_.DownloadRunning = false;
    ui_.MessageBox(QString(),
                   QStringLiteral("线程下载表'出错！！原因：") + QString::fromUtf8(e.what()),
                   MsgIcon::Error, MsgButtons::Ok);
  }
}

}  // namespace quilmo
