#include "sale/order_saving.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlRecord>
#include <algorithm>
#include <cmath>
#include <map>

#include "base/input_rules.h"
#include "sale/pricing.h"

namespace quilmo {
namespace {

const QString kGiftMemo = QStringLiteral("【礼品】");

void Step(const SaveStepHook& hook, std::string_view step) {
  if (hook) hook(step);
}

// A stored column as a JSON value the server's json_populate_record reads back exactly:
// money as its decimal text, dates without a zone, null as null.
template <class T>
QJsonObject RowJson(const T& row) {
  QJsonObject object;
  for (const FieldDef<T>& f : T::Fields()) {
    if (!f.stored) continue;
    const QString name = QString::fromLatin1(f.name).toLower();
    std::visit(
        [&](auto member) {
          const auto& value = row.*member;
          using V = std::decay_t<decltype(value)>;
          if constexpr (std::is_same_v<V, QString>) {
            // The order travels as JSON, where a NUL would become "\u0000", which the
            // server's json refuses: the text goes without control characters.
            object.insert(
                name, value.isNull() ? QJsonValue() : QJsonValue(WithoutControlChars(value, true)));
          } else if constexpr (std::is_same_v<V, QDateTime>) {
            object.insert(
                name, value.isValid()
                          ? QJsonValue(value.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")))
                          : QJsonValue());
          } else if constexpr (std::is_same_v<V, Money>) {
            object.insert(name, value.ToString(Money::kDecimals));
          } else {
            object.insert(name, value);
          }
        },
        f.member);
  }
  return object;
}

QString Json(const QJsonObject& object) {
  return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString Json(const QJsonArray& array) {
  return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

// Pieces sold at the goods' own promotion price, per goods: they count against the
// promotion's limit once the sale is stored.
std::map<QString, double> PromotionQuantities(const std::vector<OrderLine>& lines) {
  std::map<QString, double> sold;
  for (const OrderLine& line : lines) {
    if (line.PriceFlag == kGoodsPromotion && !line.GoodsNo.isEmpty()) {
      sold[line.GoodsNo] += line.Quantity;
    }
  }
  return sold;
}

void StoreLocally(TDMFM& dm, const OrderHeader& header, const std::vector<OrderLine>& lines,
                  const SaveRequest& request, double points, const SaveStepHook& hook) {
  const Connection& local = dm.conClient;
  static const QString kHeaderInsert = InsertStatement<OrderHeader>(QStringLiteral("QTSaleOrder"));
  static const QString kLineInsert =
      InsertStatement<OrderLine>(QStringLiteral("QTSaleOrderDetail"));
  Transaction tx(local, /*immediate=*/true);
  local.ExecKept(kHeaderInsert, ToParams(header));
  Step(hook, "local-header");
  for (const OrderLine& line : lines) local.ExecKept(kLineInsert, ToParams(line));
  Step(hook, "local-lines");
  if (!header.CardCode.isEmpty() && !UpdateCardAfterSale(local, header, points)) {
    throw SaveError(BalanceShortText());
  }
  for (const auto& [goods_no, quantity] : PromotionQuantities(lines)) {
    local.ExecKept(
        QStringLiteral("UPDATE JBGoods SET FinishSaleQty = COALESCE(FinishSaleQty, 0) "
                       "+ :Quantity WHERE GoodsNo = :GoodsNo AND SalesType IN (2, 3)"),
        {{QStringLiteral(":Quantity"), quantity}, {QStringLiteral(":GoodsNo"), goods_no}});
  }
  if (request.add_to_shift) {
    AddToShiftAmount(local, header.OnOverOrderNo, QStringLiteral("SaleAmount"), true,
                     header.CashAmount);
    // An earlier attempt at this order on the server that ended in doubt (the server was lost
    // on the way) must not add its cash too: this save has.
    local.ExecKept(QStringLiteral("DELETE FROM QTShiftPending WHERE OrderNo = :OrderNo"),
                   {{QStringLiteral(":OrderNo"), header.OrderNo}});
  }
  Step(hook, "local-before-commit");
  tx.Commit();
  Step(hook, "local-committed");
}

void ApplyShiftAmount(TDMFM& dm, const QString& order_no, const QString& shift_no, Money amount) {
  const Connection& local = dm.conClient;
  Transaction tx(local, /*immediate=*/true);
  // Only while the pending row is there: whoever removes it has added the cash.
  const int pending =
      local.Exec(QStringLiteral("DELETE FROM QTShiftPending WHERE OrderNo = :OrderNo"),
                 {{QStringLiteral(":OrderNo"), order_no}});
  if (pending > 0) AddToShiftAmount(local, shift_no, QStringLiteral("SaleAmount"), true, amount);
  tx.Commit();
}

SaveOutcome StoreOnServer(TDMFM& dm, const OrderHeader& header, const std::vector<OrderLine>& lines,
                          const SaveRequest& request, double points, const SaveStepHook& hook) {
  const PosSession& session = dm.session();
  const Connection& local = dm.conClient;
  // A pending row of an earlier attempt at this order, which ended in doubt (the server was
  // lost on the way), is the same cash: this attempt settles it.
  bool retrying = false;
  if (request.add_to_shift) {
    retrying = !local
                    .FirstRow(QStringLiteral("SELECT OrderNo FROM QTShiftPending WHERE OrderNo = "
                                             ":OrderNo"),
                              {{QStringLiteral(":OrderNo"), header.OrderNo}})
                    .isEmpty();
    local.ExecKept(QStringLiteral("INSERT OR REPLACE INTO QTShiftPending (OrderNo, ShiftNo, "
                                  "Amount) VALUES (:OrderNo, :ShiftNo, :Amount)"),
                   {{QStringLiteral(":OrderNo"), header.OrderNo},
                    {QStringLiteral(":ShiftNo"), header.OnOverOrderNo},
                    {QStringLiteral(":Amount"), QVariant::fromValue(header.CashAmount)}});
    Step(hook, "pending-written");
  }
  auto drop_pending = [&] {
    if (!request.add_to_shift) return;
    local.ExecKept(QStringLiteral("DELETE FROM QTShiftPending WHERE OrderNo = :OrderNo"),
                   {{QStringLiteral(":OrderNo"), header.OrderNo}});
  };

  QJsonArray line_rows;
  for (const OrderLine& line : lines) line_rows.append(RowJson(line));
  QSqlRecord answer;
  try {
    Step(hook, "server-sending");
    answer = dm.conServer.FirstRow(
        QStringLiteral("SELECT Result, GoodsName FROM quilmo_save_order(:Header, :Lines, :Points, "
                       ":CheckMan, :PostStock, :OnlyNew, :Uploaded)"),
        {{QStringLiteral(":Header"), Json(RowJson(header))},
         {QStringLiteral(":Lines"), Json(line_rows)},
         {QStringLiteral(":Points"), points},
         {QStringLiteral(":CheckMan"), session.CashierName},
         {QStringLiteral(":PostStock"), session.XSTotal},
         {QStringLiteral(":OnlyNew"), request.only_new},
         {QStringLiteral(":Uploaded"), request.uploaded}});
  } catch (const DbError& e) {
    // A statement the server refused has rolled back. When the server is gone instead, the
    // commit may or may not have happened: the pending row stays for the settling.
    if (dm.ServerAlive(dm.conServer)) drop_pending();
    throw SaveError(e.message());
  }
  Step(hook, "server-committed");
  const int result = answer.value(0).toInt();
  if (result == 1) {
    drop_pending();
    CheckDaySaleTotal(answer.value(1).toString());
  }
  if (result == 3) {
    drop_pending();
    throw SaveError(BalanceShortText());
  }
  if (result == 2 && request.add_to_shift && !retrying) {
    // Not an earlier attempt of ours: another order has this number.
    drop_pending();
    throw SaveError(QStringLiteral("单据号[") + header.OrderNo + QStringLiteral("]已存在！"));
  }
  // An order the server already holds was stored by an earlier attempt whose answer was lost
  // with the server; its cash is still pending, and is added now, once.
  if (request.add_to_shift) {
    ApplyShiftAmount(dm, header.OrderNo, header.OnOverOrderNo, header.CashAmount);
    Step(hook, "shift-applied");
  }
  return result == 2 ? SaveOutcome::AlreadyStored : SaveOutcome::Saved;
}

}  // namespace

QString OrderMismatch(const OrderHeader& h, const std::vector<OrderLine>& lines) {
  Money sum;
  for (const OrderLine& line : lines) sum += line.Amount;
  if (sum != h.Amount) {
    return QStringLiteral("单据金额%1与商品金额合计%2不符！")
        .arg(h.Amount.ShortText(), sum.ShortText());
  }
  if (h.RealAmount != h.Amount - h.AdjustAmount) {
    return QStringLiteral("实收金额%1不等于单据金额%2减抹零%3！")
        .arg(h.RealAmount.ShortText(), h.Amount.ShortText(), h.AdjustAmount.ShortText());
  }
  // Rounding off takes the amount towards zero at most down to zero: 150 off a 100 sale would
  // pay the customer 50 out of the drawer.
  if ((h.Amount > 0 && h.RealAmount < 0) || (h.Amount < 0 && h.RealAmount > 0)) {
    return QStringLiteral("抹零金额%1超出单据金额%2！")
        .arg(h.AdjustAmount.ShortText(), h.Amount.ShortText());
  }
  const Money parts = h.CashAmount + h.CardAmount + h.BankCardAmount + h.Card1Amount;
  if (parts != h.RealAmount) {
    return QStringLiteral("现金、储值卡、银行卡与现金卷合计%1不等于实收金额%2！")
        .arg(parts.ShortText(), h.RealAmount.ShortText());
  }
  const bool is_return = h.RealAmount < 0;
  const std::pair<Money, const char*> named[] = {{h.CashAmount, "现金"},
                                                 {h.CardAmount, "储值卡"},
                                                 {h.BankCardAmount, "银行卡"},
                                                 {h.Card1Amount, "现金卷"}};
  for (const auto& [part, name] : named) {
    if (is_return ? part > 0 : part < 0) {
      return QStringLiteral("%1金额%2%3！")
          .arg(QString::fromUtf8(name), part.ShortText(),
               is_return ? QStringLiteral("在退货单中不能大于零") : QStringLiteral("不能小于零"));
    }
  }
  if (h.BackAmount < 0) {
    return QStringLiteral("找零金额%1不能小于零！").arg(h.BackAmount.ShortText());
  }
  return {};
}

double RoundPoints(double points) {
  return Money::FromDouble(points).Rounded(kPointDecimals).ToDouble();
}

std::optional<QString> PointsRefusal(double points, const QString& field) {
  if (!std::isfinite(points) || std::fabs(points) > kMostPoints) {
    return field + QStringLiteral("必须是不超过") + QString::number(kMostPoints, 'f', 2) +
           QStringLiteral("的数！");
  }
  return std::nullopt;
}

bool IsPointsGift(const OrderLine& line) {
  return line.Memo == kGiftMemo && line.PriceFlag == kGiftPrice && line.CXOrderNo.isEmpty();
}

bool EarnsNoPoints(const OrderLine& line, const PosSession& options) {
  return (line.PriceFlag == kGoodsPromotion && options.SPNotDiscount) ||
         (line.PriceFlag == kMemberPrice && options.VIPNotDiscount) ||
         (line.CXFlag > 0 && options.SPNotDiscount);
}

double GiftAmount(const OrderHeader& header, const std::vector<OrderLine>& lines) {
  if (header.CardCode.isEmpty()) return 0;
  double points = 0;
  for (const OrderLine& line : lines) {
    if (IsPointsGift(line)) {
      points += line.Quantity * line.OrigPrice.ToDouble();
    }
  }
  return points;
}

double OrderPoints(const OrderHeader& header, const std::vector<OrderLine>& lines,
                   const PosSession& options) {
  Money no_points;
  for (const OrderLine& line : lines) {
    if (EarnsNoPoints(line, options)) no_points += line.Amount;
  }
  // What earns no points lies between nothing and the amount paid (a return's amounts are
  // negative, and so is its bound).
  const Money paid = header.RealAmount;
  no_points =
      paid >= Money() ? std::clamp(no_points, Money(), paid) : std::clamp(no_points, paid, Money());
  const double per = options.PerJFAmount == 0 ? 1 : options.PerJFAmount;
  const Money earning = paid - no_points;
  const double points = earning.IsZero() ? 0 : earning.ToDouble() / per;
  return RoundPoints(RoundPoints(points) - GiftAmount(header, lines));
}

bool UpdateCardAfterSale(const Connection& local, const OrderHeader& header, double points) {
  // Only a stored-value card pays a part of the order; any other card's CardAmount is 0. The
  // local file keeps REAL: rounded to the ten-thousandth, a payment of exactly the balance the
  // cashier sees is never refused.
  const int changed = local.ExecKept(
      QStringLiteral("UPDATE QTCards SET "
                     "TotalSaleAmount = COALESCE(TotalSaleAmount, 0) + :TotalSaleAmount, "
                     "TotalSaleCount = COALESCE(TotalSaleCount, 0) + 1, "
                     "PointTotal = ROUND(COALESCE(PointTotal, 0) + :PointTotal, 2), "
                     "Amount = ROUND(COALESCE(Amount, 0) - :Amount, 4) "
                     "WHERE CardsCode = :CardsCode "
                     "AND (:Amount <= 0 OR ROUND(COALESCE(Amount, 0), 4) >= :Amount)"),
      {{QStringLiteral(":TotalSaleAmount"), QVariant::fromValue(header.RealAmount)},
       {QStringLiteral(":PointTotal"), points},
       {QStringLiteral(":Amount"), QVariant::fromValue(header.CardAmount)},
       {QStringLiteral(":CardsCode"), header.CardCode}});
  return changed > 0 || header.CardAmount <= 0;
}

void CheckDaySaleTotal(const QString& vetoed_goods_name) {
  if (vetoed_goods_name.isEmpty()) return;
  throw SaveError(QStringLiteral("商品\"") + vetoed_goods_name +
                  QStringLiteral("\" 的出库数量可能使库存变为负数！\r\n\r\n"
                                 "如果允许负库存，请在帐套参数中设置。"));
}

void AddToShiftAmount(const Connection& local, const QString& shift_no, const QString& column,
                      bool adds_to_balance, Money amount) {
  // The column is one of the program's own names, never typed by anybody.
  const Money signed_amount = adds_to_balance ? amount : -amount;
  local.ExecKept(QStringLiteral("UPDATE QTOnOverOrder SET %1 = COALESCE(%1, 0) + :Amount, "
                                "OverAmount = COALESCE(OverAmount, 0) + :Signed "
                                "WHERE OrderNo = :OrderNo")
                     .arg(column),
                 {{QStringLiteral(":Amount"), QVariant::fromValue(amount)},
                  {QStringLiteral(":Signed"), QVariant::fromValue(signed_amount)},
                  {QStringLiteral(":OrderNo"), shift_no}});
}

SaveOutcome StoreOrder(TDMFM& dm, const OrderHeader& header, const std::vector<OrderLine>& lines,
                       const SaveRequest& request, const SaveStepHook& hook) {
  if (!request.uploaded) {
    const QString mismatch = OrderMismatch(header, lines);
    if (!mismatch.isEmpty()) throw SaveError(mismatch);
  }
  const double points = header.CardCode.isEmpty() ? 0 : OrderPoints(header, lines, dm.session());
  try {
    if (request.on_server) return StoreOnServer(dm, header, lines, request, points, hook);
    StoreLocally(dm, header, lines, request, points, hook);
    return SaveOutcome::Saved;
  } catch (const SaveError&) {
    throw;
  } catch (const DbError& e) {
    throw SaveError(e.message());
  }
}

bool SaveOrder(TDMFM& dm, Ui& ui, const OrderHeader& header, const std::vector<OrderLine>& lines,
               bool add_to_shift, const SaveStepHook& hook) {
  SaveRequest request;
  request.on_server = dm.session().IsOnline;
  request.add_to_shift = add_to_shift;
  // A second try of an order whose first try reached the server is not stored twice.
  request.only_new = request.on_server;
  try {
    StoreOrder(dm, header, lines, request, hook);
    return true;
  } catch (const Error& e) {
    ui.MessageBox(QString(), QStringLiteral("保存单据错误！原因：") + e.message(), MsgIcon::Error,
                  MsgButtons::Ok);
    return false;
  }
}

double CardPointsAfterSale(TDMFM& dm, const OrderHeader& header,
                           const std::vector<OrderLine>& lines, double before) {
  if (header.CardCode.isEmpty()) return before;
  try {
    const QSqlRecord row = dm.Current().FirstRow(
        QStringLiteral("SELECT PointTotal FROM QTCards WHERE CardsCode = :CardsCode"),
        {{QStringLiteral(":CardsCode"), header.CardCode}});
    if (!row.isEmpty()) return RoundPoints(row.value(0).toDouble());
  } catch (const DbError&) {
    // The order is stored; the receipt shows the figure worked out here instead.
  }
  return RoundPoints(before + OrderPoints(header, lines, dm.session()));
}

int SettlePendingShiftAmounts(TDMFM& dm, bool final) {
  if (!dm.session().IsOnline || !dm.conServer.isOpen()) return 0;
  int settled = 0;
  try {
    const QList<QSqlRecord> pending = dm.conClient.Rows(
        QStringLiteral("SELECT OrderNo, ShiftNo, Amount FROM QTShiftPending ORDER BY OrderNo"));
    for (const QSqlRecord& row : pending) {
      const QString order_no = row.value(0).toString();
      const bool stored = dm.conServer
                              .FirstRow(QStringLiteral("SELECT quilmo_order_stored(:OrderNo)"),
                                        {{QStringLiteral(":OrderNo"), order_no}})
                              .value(0)
                              .toBool();
      if (stored) {
        ApplyShiftAmount(dm, order_no, row.value(1).toString(), Money::FromVariant(row.value(2)));
        ++settled;
      } else if (final) {
        dm.conClient.Exec(QStringLiteral("DELETE FROM QTShiftPending WHERE OrderNo = :OrderNo"),
                          {{QStringLiteral(":OrderNo"), order_no}});
        ++settled;
      }
    }
  } catch (const DbError&) {
    // The server cannot be asked now; the rows wait for the next time.
  }
  return settled;
}

bool ReadStoredOrder(const Connection& local, const QString& order_no, OrderHeader& header,
                     std::vector<OrderLine>& lines) {
  const QVariantMap key{{QStringLiteral(":OrderNo"), order_no}};
  const QSqlRecord row =
      local.FirstRow(QStringLiteral("SELECT * FROM QTSaleOrder WHERE OrderNo = :OrderNo"), key);
  if (row.isEmpty()) return false;
  header = OrderHeader();
  RowReader<OrderHeader>(row).Read(row, header);
  lines = ReadRows<OrderLine>(local.Rows(
      QStringLiteral("SELECT * FROM QTSaleOrderDetail WHERE OrderNo = :OrderNo ORDER BY SerialNo"),
      key));
  return true;
}

std::vector<OrderLine> LinesOf(const OrderLines& lines) {
  return std::vector<OrderLine>(lines.begin(), lines.end());
}

}  // namespace quilmo
