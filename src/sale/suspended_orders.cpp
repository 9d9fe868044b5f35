#include "sale/suspended_orders.h"

#include <QSqlRecord>
#include <array>

#include "base/error.h"
#include "sale/pricing.h"

namespace quilmo {

std::span<const FieldDef<ParkedOrder>> ParkedOrder::Fields() {
  using P = ParkedOrder;
  static const std::array kFields{
      Column("OrderNo", &P::OrderNo),         Column("OrderDate", &P::OrderDate),
      Column("CashierName", &P::CashierName), Column("EmployeeName", &P::EmployeeName),
      Column("Amount", &P::Amount),
  };
  return kFields;
}

QString GoodsNameWithLabel(const QString& goodsName, int priceFlag, const QString& memo) {
  QString name = goodsName;
  switch (priceFlag) {
    case kGoodsPromotion:
      name += QStringLiteral("【促销】");
      break;
    case kMemberPrice:
      name += QStringLiteral("【会员价】");
      break;
    case kSpecialPrice:
      name += QStringLiteral("【特价】");
      break;
    case kGiftPrice:
      name += QStringLiteral("【礼品】");
      break;
    default:
      break;
  }
  if (memo == QStringLiteral("【赠品】")) name += memo;
  return name;
}

namespace {

// The lines of parked orders with the goods, colour and size columns the grids show.
constexpr char kParkedLines[] =
    "SELECT a.*, b.GoodsCode, b.BarCode, b.ProduceArea, b.GoodsName, b.Model, b.BaseUnit, "
    "b.MinSPrice, c.ColorCode, c.ColorName, d.SizeCode, d.SizeName "
    "FROM ((QTHalSaleOrderDetail a LEFT JOIN JBGoods b ON a.GoodsNo = b.GoodsNo) "
    "LEFT JOIN JBColor c ON a.ColorNo = c.ColorNo) "
    "LEFT JOIN JBSize d ON a.SizeNo = d.SizeNo ";

// The memo and price flag of the gift lines whose points a card pays.
const QString kGiftMemo = QStringLiteral("【礼品】");

bool IsPointsGift(const OrderLine& line) {
  return line.Memo == kGiftMemo && line.PriceFlag == kGiftPrice;
}

std::vector<OrderLine> ReadParkedLines(const Connection& local, const QString& where,
                                       const QVariantMap& params) {
  QSqlQuery query = local.Query(QLatin1StringView(kParkedLines) + where, params);
  std::vector<OrderLine> lines = ReadRows<OrderLine>(query);
  for (OrderLine& line : lines) {
    line.GoodsName = GoodsNameWithLabel(line.GoodsName, line.PriceFlag, line.Memo);
  }
  return lines;
}

}  // namespace

bool SuspendOrder(SaleContext& sale, const Order& order) {
  const Connection& local = sale.dm.conClient;
  try {
    Transaction tx(local);
    local.Exec(InsertStatement<OrderHeader>(QStringLiteral("QTHalSaleOrder")),
               ToParams(order.header));
    const QString insert_line = InsertStatement<OrderLine>(QStringLiteral("QTHalSaleOrderDetail"));
    for (OrderLine line : order.lines) {
      // Filed under the header's number, whatever a line carried, so none is left behind
      // when the order comes back.
      line.OrderNo = order.header.OrderNo;
      local.Exec(insert_line, ToParams(line));
    }
    tx.Commit();
    return true;
  } catch (const DbError& e) {
    sale.ui.MessageBox(QString(), QStringLiteral("挂单失败！原因：") + e.message(), MsgIcon::Error,
                       MsgButtons::Ok);
    return false;
  }
}

bool SuspendOrderCommand(SaleContext& sale, const Order& order) {
  if (order.lines.empty()) return false;
  if (!sale.ui.AskYesNo(QStringLiteral("提示"), QStringLiteral("您真的要挂起该单吗？"))) {
    return false;
  }
  return SuspendOrder(sale, order);
}

std::vector<ParkedOrder> LoadSuspendedOrders(TDMFM& dm) {
  const Connection& local = dm.conClient;
  QSqlQuery headers = local.Query(
      QStringLiteral("SELECT a.OrderNo, a.OrderDate, a.Amount, b.CashierName, c.EmployeeName "
                     "FROM (QTHalSaleOrder a LEFT JOIN QTCashier b ON a.CashierNo = b.CashierNo) "
                     "LEFT JOIN JBEmployee c ON a.EmployeeNo = c.EmployeeNo "
                     "ORDER BY a.OrderDate, a.OrderNo"));
  std::vector<ParkedOrder> orders = ReadRows<ParkedOrder>(headers);
  // Parked orders are few: all their lines in one read, shared out by number.
  std::vector<OrderLine> lines =
      ReadParkedLines(local, QStringLiteral("ORDER BY a.OrderNo, a.SerialNo"), {});
  for (ParkedOrder& order : orders) {
    for (const OrderLine& line : lines) {
      if (line.OrderNo == order.OrderNo) order.lines.push_back(line);
    }
  }
  return orders;
}

bool RecallSuspendedOrder(SaleContext& sale, Order& order, const CardRestorer& restoreCard) {
  TDMFM& dm = sale.dm;
  const QString orderNo = sale.ui.SelectSuspendedOrder(LoadSuspendedOrders(dm));
  if (orderNo.isEmpty()) {
    order.NextSerialNo = 1;
    return false;
  }

  // The order is put together on a copy and replaces the one on the screen only once the
  // parked copy is gone: an order both on the screen and in the list could be saved twice.
  Order recalled = order;
  recalled.header.OrderNo = orderNo;
  recalled.header.OrderDate = dm.clock().Now();
  RestoreSuspendedCard(sale, recalled, orderNo, restoreCard);

  // Points gifts are paid for with the card's points. When the card did not come back, or
  // its points no longer cover them, the order must not hand them out for nothing.
  const double gift_points = SuspendedGiftPoints(dm, orderNo);
  const bool drop_gifts =
      gift_points > 0 && (recalled.CardsCode.isEmpty() || gift_points > recalled.PointTotal);
  if (drop_gifts) recalled.GiftPoints = 0;

  const std::vector<OrderLine> parked = ReadParkedLines(
      dm.conClient, QStringLiteral("WHERE a.OrderNo = :OrderNo ORDER BY a.SerialNo"),
      {{QStringLiteral(":OrderNo"), orderNo}});
  for (OrderLine line : parked) {
    if (drop_gifts && IsPointsGift(line)) continue;
    line.OrderNo = orderNo;
    line.SerialNo = recalled.NextSerialNo++;
    recalled.lines.Append(line);
  }
  recalled.header.EmployeeNo = recalled.EmployeeNo.isEmpty() ? QString() : recalled.EmployeeNo;
  recalled.header.CardCode = recalled.CardsCode;

  try {
    const Connection& local = dm.conClient;
    Transaction tx(local);
    const QVariantMap key{{QStringLiteral(":OrderNo"), orderNo}};
    local.Exec(QStringLiteral("DELETE FROM QTHalSaleOrderDetail WHERE OrderNo = :OrderNo"), key);
    local.Exec(QStringLiteral("DELETE FROM QTHalSaleOrder WHERE OrderNo = :OrderNo"), key);
    tx.Commit();
  } catch (const DbError&) {
    // The order stays parked and the screen keeps its empty order; taking it again retries.
    return false;
  }
  order = std::move(recalled);
  if (drop_gifts) {
    sale.ui.ShowNoticeBox(QStringLiteral("会员卡积分不足，挂单中的积分兑换礼品已删除！"));
  }
  return true;
}

bool RecallSuspendedOrderCommand(SaleContext& sale, Order& order, const CardRestorer& restoreCard) {
  if (!order.lines.empty()) {
    sale.ui.ShowNoticeBox(QStringLiteral("现在正在销售，不能取单！"));
    return false;
  }
  return RecallSuspendedOrder(sale, order, restoreCard);
}

void RestoreSuspendedCard(SaleContext& sale, Order& order, const QString& orderNo,
                          const CardRestorer& restoreCard) {
  const QSqlRecord row = sale.dm.conClient.FirstRow(
      QStringLiteral("SELECT a.EmployeeNo, a.CardCode, b.EmployeeCode, b.EmployeeName "
                     "FROM QTHalSaleOrder a LEFT JOIN JBEmployee b ON a.EmployeeNo = b.EmployeeNo "
                     "WHERE a.OrderNo = :OrderNo"),
      {{QStringLiteral(":OrderNo"), orderNo}});
  if (row.isEmpty()) {
    order.EmployeeNo.clear();
    order.EmployeeCode.clear();
    order.EmployeeName.clear();
    return;
  }
  order.EmployeeNo = row.value(QStringLiteral("EmployeeNo")).toString();
  order.EmployeeCode = row.value(QStringLiteral("EmployeeCode")).toString();
  order.EmployeeName = row.value(QStringLiteral("EmployeeName")).toString();
  const QString card = row.value(QStringLiteral("CardCode")).toString();
  if (card.isEmpty() || !restoreCard || !restoreCard(card, order)) return;
  // The gifts the order already holds were paid with these points; they must not be spent
  // twice.
  order.GiftPoints = SuspendedGiftPoints(sale.dm, orderNo);
}

double SuspendedGiftPoints(TDMFM& dm, const QString& orderNo) {
  const Connection& local = dm.conClient;
  const QVariantMap key{{QStringLiteral(":OrderNo"), orderNo}};
  const QString card =
      local
          .Scalar(QStringLiteral("SELECT CardCode FROM QTHalSaleOrder WHERE OrderNo = :OrderNo"),
                  key)
          .toString();
  if (card.isEmpty()) return 0;
  QVariantMap params = key;
  params.insert(QStringLiteral(":Memo"), kGiftMemo);
  params.insert(QStringLiteral(":PriceFlag"), static_cast<int>(kGiftPrice));
  return local
      .Scalar(QStringLiteral("SELECT SUM(Quantity * OrigPrice) AS Amount "
                             "FROM QTHalSaleOrderDetail WHERE Memo = :Memo "
                             "AND PriceFlag = :PriceFlag AND COALESCE(CXOrderNo, '') = '' "
                             "AND OrderNo = :OrderNo"),
              params)
      .toDouble();
}

bool HasSuspendedOrders(TDMFM& dm) {
  return !dm.conClient.FirstRow(QStringLiteral("SELECT OrderNo FROM QTHalSaleOrder LIMIT 1"))
              .isEmpty();
}

bool ClearSuspendedOrders(TDMFM& dm, Ui& ui) {
  const Connection& local = dm.conClient;
  try {
    Transaction tx(local);
    local.Exec(QStringLiteral("DELETE FROM QTHalSaleOrderDetail"));
    local.Exec(QStringLiteral("DELETE FROM QTHalSaleOrder"));
    tx.Commit();
    return true;
  } catch (const DbError& e) {
    ui.MessageBox(QString(), QStringLiteral("清除挂单失败！原因：") + e.message(), MsgIcon::Error,
                  MsgButtons::Ok);
    return false;
  }
}

}  // namespace quilmo
