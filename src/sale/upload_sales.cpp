#include "sale/upload_sales.h"

#include <QSqlRecord>

#include "sale/shift_record.h"

namespace quilmo {
namespace {

void Step(const SaveStepHook& hook, std::string_view step) {
  if (hook) hook(step);
}

void DeleteLocalSale(TDMFM& dm, const QString& order_no, const SaveStepHook& hook) {
  const QVariantMap key{{QStringLiteral(":OrderNo"), order_no}};
  Transaction tx(dm.conClient, /*immediate=*/true);
  dm.conClient.ExecKept(QStringLiteral("DELETE FROM QTSaleOrderDetail WHERE OrderNo = :OrderNo"),
                        key);
  Step(hook, "upload-local-half-deleted");
  dm.conClient.ExecKept(QStringLiteral("DELETE FROM QTSaleOrder WHERE OrderNo = :OrderNo"), key);
  tx.Commit();
}

// One closed shift record to the server (unless it is there already), then out of the file.
void UploadShift(TDMFM& dm, const QString& shift_no) {
  const QVariantMap key{{QStringLiteral(":OrderNo"), shift_no}};
  const QSqlRecord row = dm.conClient.FirstRow(
      QStringLiteral("SELECT * FROM QTOnOverOrder WHERE OrderNo = :OrderNo"), key);
  if (!row.isEmpty()) {
    ShiftRecord shift;
    RowReader<ShiftRecord>(row).Read(row, shift);
    static const QString kInsert = InsertStatement<ShiftRecord>(QStringLiteral("QTOnOverOrder")) +
                                   QStringLiteral(" ON CONFLICT (OrderNo) DO NOTHING");
    dm.conServer.ExecKept(kInsert, ToParams(shift));
  }
  dm.conClient.ExecKept(QStringLiteral("DELETE FROM QTOnOverOrder WHERE OrderNo = :OrderNo"), key);
}

}  // namespace

UploadCounts UploadSales(TDMFM& dm, Ui& ui, const SaveStepHook& hook) {
  UploadCounts counts;
  QStringList sales;
  QStringList shifts;
  try {
    for (const QSqlRecord& r :
         dm.conClient.Rows(QStringLiteral("SELECT OrderNo FROM QTSaleOrder ORDER BY OrderNo"))) {
      sales << r.value(0).toString();
    }
    for (const QSqlRecord& r : dm.conClient.Rows(QStringLiteral(
             "SELECT OrderNo FROM QTOnOverOrder WHERE OverFlag = 1 ORDER BY OrderNo"))) {
      shifts << r.value(0).toString();
    }
  } catch (const DbError& e) {
    ReportError(ui, e);
    return counts;
  }
  counts.sales = static_cast<int>(sales.size());
  counts.shifts = static_cast<int>(shifts.size());
  std::unique_ptr<Progress> progress =
      ui.ShowProgress(QStringLiteral("正在上传本地数据到服务器,请稍候.............. \r\n 共：(") +
                      QString::number(counts.sales) + QStringLiteral(")条销售记录,(") +
                      QString::number(counts.shifts) + QStringLiteral(")条交接班信息"));
  if (progress) progress->SetSteps(counts.sales + counts.shifts);
  int done = 0;
  auto advance = [&] {
    if (progress) progress->SetStep(++done);
  };

  // Cash of online sales that a stopped program never added to its shift goes in first, so a
  // shift closed since then is uploaded whole.
  SettlePendingShiftAmounts(dm);

  SaveRequest request;
  request.on_server = true;
  request.add_to_shift = false;
  request.only_new = true;
  request.uploaded = true;
  for (const QString& order_no : sales) {
    OrderHeader header;
    std::vector<OrderLine> lines;
    try {
      if (!ReadStoredOrder(dm.conClient, order_no, header, lines)) continue;
      const SaveOutcome outcome = StoreOrder(dm, header, lines, request, hook);
      Step(hook, "upload-server-done");
      outcome == SaveOutcome::Saved ? ++counts.sales_uploaded : ++counts.sales_present;
    } catch (const Error& e) {
      ++counts.sales_failed;
      ui.MessageBox(QString(), QStringLiteral("保存单据错误！原因：") + e.message(), MsgIcon::Error,
                    MsgButtons::Ok);
      ui.ShowNoticeBox(QStringLiteral("上传销售单[") + order_no + QStringLiteral("]失败！"));
      if (!dm.ServerAlive(dm.conServer)) {
        counts.server_lost = true;
        return counts;
      }
      advance();
      continue;
    }
    try {
      DeleteLocalSale(dm, order_no, hook);
      Step(hook, "upload-local-deleted");
    } catch (const DbError&) {
      // Left for the next upload, which finds the sale on the server and only deletes it.
    }
    advance();
  }

  for (const QString& shift_no : shifts) {
    try {
      UploadShift(dm, shift_no);
      ++counts.shifts_uploaded;
    } catch (const DbError& e) {
      ++counts.shifts_failed;
      ui.MessageBox(QString(),
                    QStringLiteral("上传交接班信息单[") + shift_no +
                        QStringLiteral("]失败！原因：") + e.message(),
                    MsgIcon::Error, MsgButtons::Ok);
      if (!dm.ServerAlive(dm.conServer)) {
        counts.server_lost = true;
        return counts;
      }
    }
    advance();
  }
  return counts;
}

void UploadSalesKey(TDMFM& dm, Ui& ui) {
  if (!dm.session().IsOnline) {
    ui.ShowNoticeBox(QStringLiteral("上传只能在连网模式下操作！"));
    return;
  }
  UploadSales(dm, ui);
}

}  // namespace quilmo
