#include "shift/shift.h"

#include <QSqlRecord>

#include "base/gbk.h"
#include "base/ini_file.h"
#include "base/input_rules.h"
#include "data/rights.h"
#include "sale/order_saving.h"

namespace quilmo {
namespace {

constexpr int kOpenShiftRight = 1;
constexpr int kCloseShiftRight = 2;
constexpr int kWithdrawalRight = 13;

QString Ini(const PosSession& session, const char* section, const char* key) {
  return ReadIniString(session.IniFile, QString::fromLatin1(section), QString::fromLatin1(key));
}

void WriteIni(const PosSession& session, const char* key, const QString& value) {
  QString error;
  if (!WriteIniString(session.IniFile, QStringLiteral("SysSet"), QString::fromLatin1(key), value,
                      &error)) {
    throw Error(QStringLiteral("不能写入设置文件：") + error);
  }
}

bool HasDevice(const PosSession& session, const char* key) {
  return Ini(session, "HardWareSet", key) == QStringLiteral("Y");
}

void OpenDrawerIfAny(ShiftContext& shift) {
  RunReported(shift.ui, [&] {
    if (HasDevice(shift.session(), "HaveCashBox")) shift.devices.OpenCashDrawer();
  });
}

const QString kNoRight = QStringLiteral("对不起，您没有权限使用该功能，请与后台管理员联系！");

// The most cash a shop keeps in one drawer, so a slip of the finger ("10000000") is asked
// again instead of becoming the shift's figures.
const Money kMostBoxAmount = BoundsOf(NumberField::Amount).highest;

QString AmountLimitText() { return kMostBoxAmount.ToString(2); }

ShiftRecord ReadShift(const Connection& local, const QString& shift_no) {
  const QSqlRecord row =
      local.FirstRow(QStringLiteral("SELECT * FROM QTOnOverOrder WHERE OrderNo = :OrderNo"),
                     {{QStringLiteral(":OrderNo"), shift_no}});
  ShiftRecord shift;
  if (!row.isEmpty()) RowReader<ShiftRecord>(row).Read(row, shift);
  return shift;
}

void PrintReport(ShiftContext& shift, const ShiftReport& report, const ShiftRecord& record) {
  // The shift is closed whatever the printer does; a failure is only reported.
  RunReported(shift.ui, [&] {
    const PosSession& session = shift.session();
    if (Ini(session, "HardWareSet", "PrintModel") == QStringLiteral("1")) {
      shift.devices.PrintShiftTemplate(report, record);
    } else if (HasDevice(session, "HavePrinter")) {
      shift.devices.PrintShiftText(Ini(session, "HardWareSet", "PrintPort"),
                                   ShiftReportText(report));
    }
  });
}

// The cash the shift expects in the drawer now.
Money ExpectedCashInDrawer(const Connection& local, const QString& shift_no) {
  return ReadShift(local, shift_no).OverAmount;
}

}  // namespace

QString ShiftDuration(const QDateTime& on, const QDateTime& over) {
  const qint64 seconds = on.secsTo(over);
  return QString::number(seconds / 3600) + QStringLiteral("小时 ") +
         QString::number(seconds % 3600 / 60) + QStringLiteral("分");
}

QString ShiftAmountText(Money amount) { return amount.ShortText(); }

QByteArray ShiftReportText(const ShiftReport& r) {
  const QStringList lines = {
      QString(),
      QString(),
      QStringLiteral("      收银员：") + r.CashierName,
      QString(),
      QStringLiteral("当班钱箱金额：") + r.OnAmount,
      QString(),
      QStringLiteral("  总计销售额：") + r.SaleAmount,
      QString(),
      QStringLiteral("    提款金额：") + r.GetAmount,
      QString(),
      QStringLiteral("  储值卡冲值：") + r.TopUpAmount,
      QString(),
      QStringLiteral("交班钱箱金额：") + r.OverAmount,
      QString(),
      QStringLiteral("总计收银时间：") + r.TimeTotal,
      QString(),
      r.Time,
      QString(),
      QString(),
      QString(),
  };
  QByteArray bytes;
  for (const QString& line : lines) bytes += EncodeGbk(line) + QByteArrayLiteral("\r\n");
  return bytes;
}

std::optional<QString> BoxAmountRefusal(Money box_amount) {
  if (box_amount < Money()) return QStringLiteral("钱箱金额不能为负数！");
  if (box_amount > kMostBoxAmount) {
    return QStringLiteral("钱箱金额不能超过") + AmountLimitText() + QStringLiteral("！");
  }
  return std::nullopt;
}

std::optional<QString> WithdrawalRefusal(Money amount, Money expected_in_drawer) {
  if (amount <= Money()) return QStringLiteral("取款金额必须大于0！");
  if (amount > expected_in_drawer) {
    return QStringLiteral("取款金额不能超过钱箱中应有的现金") + expected_in_drawer.ToString(2) +
           QStringLiteral("！");
  }
  return std::nullopt;
}

bool OpenShift(ShiftContext& shift, Money box_amount) {
  TDMFM& dm = shift.dm;
  PosSession& session = shift.session();
  if (const std::optional<QString> refusal = BoxAmountRefusal(box_amount)) {
    shift.ui.ShowNoticeBox(*refusal);
    return false;
  }
  const QString number = dm.NextBillNo(QStringLiteral("OnOverOrder"));
  if (number.isEmpty()) {
    shift.ui.ShowNoticeBox(QStringLiteral("取单号失败！"));
    return false;
  }
  const QDateTime now = dm.clock().Now();
  ShiftRecord record;
  record.OrderNo = number;
  record.ShopNo = session.ShopNo;
  record.CashierNo = session.CashierNo;
  record.OnTime = now;
  record.OnBoxAmount = box_amount;
  record.OverAmount = box_amount;
  record.OverFlag = 0;
  {
    // The settings file is written before the row commits: a file that cannot be written
    // leaves no open shift behind that the till would not know of.
    Transaction tx(dm.conClient, /*immediate=*/true);
    dm.conClient.Exec(InsertStatement<ShiftRecord>(QStringLiteral("QTOnOverOrder")),
                      ToParams(record));
    WriteIni(session, "OnOverOrderNo", number);
    WriteIni(session, "OverFlag", QStringLiteral("0"));
    WriteIni(session, "OnDate", FormatIniDateTime(now));
    WriteIni(session, "OnOperatorNo", session.CashierNo);
    tx.Commit();
  }
  session.OnOverOrderNo = number;
  session.OverFlag = 0;
  session.OnDate = now;
  session.OnOperatorNo = session.CashierNo;
  return true;
}

void RunOpenShift(ShiftContext& shift) {
  TDMFM& dm = shift.dm;
  const PosSession& session = shift.session();
  if (!HasRight(dm, session.CashierNo, kOpenShiftRight)) {
    shift.ui.ShowNoticeBox(kNoRight);
    return;
  }
  if (session.OverFlag == 0) {
    const QString name =
        dm.LookupValue(QStringLiteral("QTCashier"), QStringLiteral("CashierNo"),
                       session.OnOperatorNo, session.IsOnline, QStringLiteral("CashierName"));
    shift.ui.ShowNoticeBox(QStringLiteral("还没有交班，不能当班,\r\n当班收银员是: ") + name +
                           QStringLiteral(" ！"));
    return;
  }
  OpenDrawerIfAny(shift);
  InputRequest request;
  request.caption = QStringLiteral("钱箱金额输入");
  request.prompt = QStringLiteral("钱箱金额");
  request.kind = InputKind::NonEmpty;
  // The last closing amount is proposed; an empty key proposes nothing.
  request.initial = Ini(session, "SysSet", "OnverBoxAmount");
  const InputResult answer = shift.ui.Input(request);
  if (!answer.confirmed) return;
  // Read with its sign: a negative box amount hears the shift's own words from OpenShift.
  const TypedNumber amount = ReadTypedNumber(answer.value, NumberField::SignedAmount);
  if (!amount) {
    ReportError(shift.ui, amount.noNumber() ? QStringLiteral("“") + answer.value +
                                                  QStringLiteral("”不是有效的金额，没有当班。")
                                            : amount.message);
    return;
  }
  if (OpenShift(shift, amount.value)) {
    shift.ui.ShowNoticeBox(QStringLiteral("当班操作完成，您可以开始销售了！"));
  }
}

ShiftReport CloseShift(ShiftContext& shift, ShiftRecord* record_out) {
  TDMFM& dm = shift.dm;
  PosSession& session = shift.session();
  // Cash of an online sale that a stopped program never added goes in before the figures;
  // what the server never received is dropped now.
  SettlePendingShiftAmounts(dm, /*final=*/true);
  const QDateTime now = dm.clock().Now();
  dm.conClient.Exec(
      QStringLiteral("UPDATE QTOnOverOrder SET OverFlag = 1, OverTime = :OverTime "
                     "WHERE OrderNo = :OrderNo"),
      {{QStringLiteral(":OverTime"), now}, {QStringLiteral(":OrderNo"), session.OnOverOrderNo}});
  WriteIni(session, "OverFlag", QStringLiteral("1"));
  session.OverFlag = 1;

  const ShiftRecord record = ReadShift(dm.conClient, session.OnOverOrderNo);
  ShiftReport report;
  report.CashierName = session.CashierName;
  report.Time = now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  report.OnAmount = ShiftAmountText(record.OnBoxAmount);
  report.SaleAmount = ShiftAmountText(record.SaleAmount);
  report.GetAmount = ShiftAmountText(record.GetAmount);
  report.TopUpAmount = ShiftAmountText(ShiftTopUpAmount(dm.conClient, session.OnOverOrderNo));
  report.OverAmount = ShiftAmountText(record.OverAmount);
  report.TimeTotal = ShiftDuration(record.OnTime, record.OverTime);
  WriteIni(session, "OnverBoxAmount", report.OverAmount);
  if (record_out) *record_out = record;
  return report;
}

bool RunCloseShift(ShiftContext& shift) {
  PosSession& session = shift.session();
  if (!HasRight(shift.dm, session.CashierNo, kCloseShiftRight)) {
    shift.ui.ShowNoticeBox(kNoRight);
    return false;
  }
  if (session.OverFlag == 1) {
    shift.ui.ShowNoticeBox(QStringLiteral("还没有当班，不能交班！"));
    return false;
  }
  if (!shift.ui.AskYesNo(QStringLiteral("询问"), QStringLiteral("是否要进行交班操作?"))) {
    return false;
  }
  if (session.DownloadRunning) {
    shift.ui.ShowNoticeBox(QStringLiteral("有线程正在下载，请稍侯再交班！"));
    return false;
  }
  if (shift.parked.Any() &&
      shift.ui.AskYesNo(QStringLiteral("询问"), QStringLiteral("有挂单存在，是否要清除?"))) {
    shift.parked.ClearAll();
  }
  OpenDrawerIfAny(shift);
  ShiftRecord record;
  const ShiftReport report = CloseShift(shift, &record);
  const auto design = [&] { shift.devices.DesignShiftTemplate(record); };
  if (shift.ui.ShowOverMsg(report, design)) PrintReport(shift, report, record);
  return true;
}

bool WithdrawCash(ShiftContext& shift, Money amount) {
  const PosSession& session = shift.session();
  if (!HasRight(shift.dm, session.CashierNo, kWithdrawalRight)) {
    shift.ui.ShowNoticeBox(QStringLiteral("对不起！，你没有开钱箱的权限！"));
    return false;
  }
  // Read and changed in one transaction, so the check is against the figure that is changed.
  {
    Transaction tx(shift.dm.conClient, /*immediate=*/true);
    const Money expected = ExpectedCashInDrawer(shift.dm.conClient, session.OnOverOrderNo);
    if (const std::optional<QString> refusal = WithdrawalRefusal(amount, expected)) {
      shift.ui.ShowNoticeBox(*refusal);
      return false;
    }
    AddToShiftAmount(shift.dm.conClient, session.OnOverOrderNo, QStringLiteral("GetAmount"), false,
                     amount);
    tx.Commit();
  }
  OpenDrawerIfAny(shift);
  return true;
}

void CashWithdrawal(ShiftContext& shift) {
  const PosSession& session = shift.session();
  if (!HasRight(shift.dm, session.CashierNo, kWithdrawalRight)) {
    shift.ui.ShowNoticeBox(QStringLiteral("对不起！，你没有开钱箱的权限！"));
    return;
  }
  InputRequest request;
  request.caption = QStringLiteral("取款金额输入");
  request.prompt = QStringLiteral("取款金额");
  request.kind = InputKind::Number;
  request.field = NumberField::SignedAmount;
  const InputResult answer = shift.ui.Input(request);
  if (!answer.confirmed || answer.value.trimmed().isEmpty()) return;
  // Read with its sign, so that a negative amount hears the withdrawal's own words; the
  // operation refuses it. A refusal here is still said, never dropped.
  const TypedNumber amount = ReadTypedNumber(answer.value, NumberField::SignedAmount);
  if (!amount) {
    shift.ui.ShowNoticeBox(amount.noNumber() ? QStringLiteral("“") + answer.value.trimmed() +
                                                   QStringLiteral("”不是有效的取款金额！")
                                             : amount.message);
    return;
  }
  WithdrawCash(shift, amount.value);
}

}  // namespace quilmo
