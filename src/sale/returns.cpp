#include "sale/returns.h"

#include <QHash>
#include <QSqlRecord>
#include <algorithm>
#include <array>

#include "sale/pricing.h"

namespace quilmo {

std::span<const FieldDef<SoldLine>> SoldLine::Fields() {
  using S = SoldLine;
  static const std::array kFields{
      Column("OrderNo", &S::OrderNo),
      Column("SerialNo", &S::SerialNo),
      Column("OrderDate", &S::OrderDate),
      Column("EmployeeCode", &S::EmployeeCode),
      Column("EmployeeName", &S::EmployeeName),
      Column("GoodsNo", &S::GoodsNo),
      Column("GoodsCode", &S::GoodsCode),
      Column("GoodsName", &S::GoodsName),
      Column("ColorNo", &S::ColorNo),
      Column("ColorName", &S::ColorName),
      Column("SizeNo", &S::SizeNo),
      Column("SizeName", &S::SizeName),
      Column("Price", &S::Price),
      Column("Discount", &S::Discount),
      Column("Quantity", &S::Quantity),
      Column("Amount", &S::Amount),
  };
  return kFields;
}

namespace {

const QString kReturnPrefix = QStringLiteral("退：");
// Quantities are doubles; what is left is compared with room for their binary noise.
constexpr double kEpsilon = 1e-9;

// Which sold lines to read: the picker's boxes, or one sold order (exact number), narrowed to
// a goods, colour and size when given.
struct SoldQuery {
  ReturnSearch search;
  ReturnGoods goods;
  QString orderNo;
};

// The quantity returned of one goods, colour, size and price against one sold order.
struct ReturnedGroup {
  QString soldOrderNo;
  QString goodsNo;
  QString colorNo;
  QString sizeNo;
  Money price;
  double quantity = 0;
};

// The sold lines joined with their sale's date and sales assistant and their goods, colour
// and size. Only sales of this store, and only lines that sold something.
constexpr char kSoldLines[] =
    "SELECT a.OrderNo, a.OrderDate, b.SerialNo, b.GoodsNo, b.ColorNo, b.SizeNo, b.Price, "
    "b.Discount, b.Quantity, b.Amount, c.GoodsCode, c.GoodsName, d.ColorName, e.SizeName, "
    "f.EmployeeCode, f.EmployeeName "
    "FROM ((((QTSaleOrder a JOIN QTSaleOrderDetail b ON a.OrderNo = b.OrderNo) "
    "LEFT JOIN JBGoods c ON b.GoodsNo = c.GoodsNo) "
    "LEFT JOIN JBColor d ON d.ColorNo = b.ColorNo) "
    "LEFT JOIN JBEmployee f ON a.EmployeeNo = f.EmployeeNo) "
    "LEFT JOIN JBSize e ON e.SizeNo = b.SizeNo "
    "WHERE COALESCE(b.Quantity, 0) > 0 AND a.StoreNo = :StoreNo";

// One whole sold line, every column of the order line, as the return copies it.
constexpr char kSoldLine[] =
    "SELECT a.*, b.GoodsCode, b.BarCode, b.ProduceArea, b.GoodsName, b.Model, b.BaseUnit, "
    "b.MinSPrice, c.ColorCode, c.ColorName, d.SizeCode, d.SizeName "
    "FROM ((QTSaleOrderDetail a LEFT JOIN JBGoods b ON a.GoodsNo = b.GoodsNo) "
    "LEFT JOIN JBColor c ON a.ColorNo = c.ColorNo) "
    "LEFT JOIN JBSize d ON a.SizeNo = d.SizeNo "
    "WHERE a.OrderNo = :OrderNo AND a.SerialNo = :SerialNo";

std::vector<SoldLine> ReadSoldLines(TDMFM& dm, const SoldQuery& q) {
  const Connection& connection = dm.Current();
  QString sql = QLatin1StringView(kSoldLines);
  QVariantMap params{{QStringLiteral(":StoreNo"), dm.session().StoreNo}};
  auto add = [&sql, &params](const char* condition, const char* name, const QVariant& value) {
    sql += QLatin1StringView(condition);
    params.insert(QLatin1StringView(name), value);
  };
  // Whole days, both included, as a range on the date itself so the date's index serves.
  if (q.search.beginDate.isValid()) {
    add(" AND a.OrderDate >= :BeginDate", ":BeginDate", q.search.beginDate.startOfDay());
  }
  if (q.search.endDate.isValid()) {
    add(" AND a.OrderDate < :EndDate", ":EndDate", q.search.endDate.addDays(1).startOfDay());
  }
  // Fragments the cashier typed are matched literally: a % or _ in them is no wildcard.
  const QString like = QLatin1Char(' ') + connection.dialect().ILike() + QLatin1Char(' ');
  if (!q.search.orderNo.isEmpty()) {
    sql += QStringLiteral(" AND a.OrderNo") + like + QStringLiteral(":OrderPattern ESCAPE '\\'");
    params.insert(QStringLiteral(":OrderPattern"),
                  QLatin1Char('%') + EscapeLike(q.search.orderNo) + QLatin1Char('%'));
  }
  if (!q.search.goodsCode.isEmpty()) {
    sql += QStringLiteral(" AND c.GoodsCode") + like + QStringLiteral(":GoodsPattern ESCAPE '\\'");
    params.insert(QStringLiteral(":GoodsPattern"),
                  QLatin1Char('%') + EscapeLike(q.search.goodsCode) + QLatin1Char('%'));
  }
  if (!q.goods.GoodsNo.isEmpty()) add(" AND b.GoodsNo = :GoodsNo", ":GoodsNo", q.goods.GoodsNo);
  if (!q.goods.ColorNo.isEmpty()) add(" AND b.ColorNo = :ColorNo", ":ColorNo", q.goods.ColorNo);
  if (!q.goods.SizeNo.isEmpty()) add(" AND b.SizeNo = :SizeNo", ":SizeNo", q.goods.SizeNo);
  if (!q.orderNo.isEmpty()) add(" AND a.OrderNo = :SoldOrderNo", ":SoldOrderNo", q.orderNo);
  sql += QStringLiteral(" ORDER BY a.OrderDate, a.OrderNo, b.SerialNo");
  QSqlQuery query = connection.Query(sql, params);
  return ReadRows<SoldLine>(query);
}

// The returns saved in one pair of order tables: against one sold order (its memo), or
// against any, from a day on when one is given.
void ReadReturns(const Connection& connection, const QString& orderTable,
                 const QString& detailTable, const QString& soldOrderNo, const QDate& since,
                 std::vector<ReturnedGroup>& out) {
  QString from = detailTable + QStringLiteral(" b");
  QString where = QStringLiteral("b.Quantity < 0");
  QVariantMap params;
  if (!soldOrderNo.isEmpty()) {
    where += QStringLiteral(" AND b.Memo = :Memo");
    params.insert(QStringLiteral(":Memo"), ReturnMemo(soldOrderNo));
  } else {
    where += QStringLiteral(" AND b.Memo LIKE :Memo ESCAPE '\\'");
    params.insert(QStringLiteral(":Memo"), EscapeLike(kReturnPrefix) + QLatin1Char('%'));
  }
  if (since.isValid()) {
    from = orderTable + QStringLiteral(" a JOIN ") + from +
           QStringLiteral(" ON a.OrderNo = b.OrderNo");
    where += QStringLiteral(" AND a.OrderDate >= :Since");
    params.insert(QStringLiteral(":Since"), since.startOfDay());
  }
  const QString group = QStringLiteral("b.Memo, b.GoodsNo, b.ColorNo, b.SizeNo, b.Price");
  QSqlQuery q = connection.Query(QStringLiteral("SELECT %1, SUM(b.Quantity) AS Quantity FROM %2 "
                                                "WHERE %3 GROUP BY %1")
                                     .arg(group, from, where),
                                 params);
  while (q.next()) {
    out.push_back({q.value(0).toString().mid(kReturnPrefix.size()).trimmed(), q.value(1).toString(),
                   q.value(2).toString(), q.value(3).toString(), Money::FromVariant(q.value(4)),
                   -q.value(5).toDouble()});
  }
}

// Every return made so far against sold orders: on the server (online), in the till's file
// (returns made offline, not yet uploaded), in parked orders, and on the order being rung up
// but for the line `exclude`.
std::vector<ReturnedGroup> ReturnsMade(TDMFM& dm, const OrderLines& current, int exclude,
                                       const QString& soldOrderNo, const QDate& since) {
  std::vector<ReturnedGroup> returned;
  const QString sales = QStringLiteral("QTSaleOrder");
  const QString sale_lines = QStringLiteral("QTSaleOrderDetail");
  if (dm.session().IsOnline) {
    ReadReturns(dm.conServer, sales, sale_lines, soldOrderNo, since, returned);
  }
  // The file holds only what has not been uploaded, and parked orders are few: all of it.
  ReadReturns(dm.conClient, sales, sale_lines, soldOrderNo, QDate(), returned);
  ReadReturns(dm.conClient, QStringLiteral("QTHalSaleOrder"),
              QStringLiteral("QTHalSaleOrderDetail"), soldOrderNo, QDate(), returned);
  for (int row = 0; row < current.size(); ++row) {
    const OrderLine& line = current[row];
    const QString sold = ReturnedOrderNo(line);
    if (row == exclude || line.Quantity >= 0 || sold.isEmpty()) continue;
    if (!soldOrderNo.isEmpty() && sold != soldOrderNo) continue;
    returned.push_back({sold, line.GoodsNo, line.ColorNo, line.SizeNo, line.Price, -line.Quantity});
  }
  return returned;
}

// Shares the returned quantities out over the sold lines they undo. A return line records its
// sale but not the line, so each return goes first to lines of its sale with the same goods,
// colour, size and price (a copied return keeps the sold price: a gift of the same goods is
// told from the paid piece), and what remains to lines of the same goods, colour and size in
// line order.
void SubtractReturns(std::vector<SoldLine>& sold, const std::vector<ReturnedGroup>& returned) {
  QHash<QString, std::vector<SoldLine*>> by_order;
  for (SoldLine& line : sold) {
    line.Left = line.Quantity;
    by_order[line.OrderNo].push_back(&line);
  }
  std::vector<double> rest;
  rest.reserve(returned.size());
  for (const ReturnedGroup& r : returned) rest.push_back(r.quantity);
  for (const bool same_price : {true, false}) {
    for (size_t i = 0; i < returned.size(); ++i) {
      const ReturnedGroup& r = returned[i];
      const auto lines = by_order.constFind(r.soldOrderNo);
      if (lines == by_order.cend()) continue;
      for (SoldLine* line : *lines) {
        if (rest[i] <= kEpsilon) break;
        if (line->GoodsNo != r.goodsNo || line->ColorNo != r.colorNo || line->SizeNo != r.sizeNo ||
            (same_price && line->Price != r.price)) {
          continue;
        }
        const double take = std::min(rest[i], line->Left);
        if (take <= 0) continue;
        line->Left -= take;
        rest[i] -= take;
      }
    }
  }
}

std::vector<SoldLine> SoldLinesLeft(SaleContext& sale, const OrderLines& current, int exclude,
                                    const SoldQuery& q) {
  std::vector<SoldLine> sold = ReadSoldLines(sale.dm, q);
  if (sold.empty()) return sold;
  // Returns are made after their sale, so those dated before the first day listed cannot
  // concern it (a day earlier still, for a till whose clock ran behind the server's).
  const QDate since = q.search.beginDate.isValid() ? q.search.beginDate.addDays(-1) : QDate();
  SubtractReturns(sold, ReturnsMade(sale.dm, current, exclude, q.orderNo, since));
  return sold;
}

QString LeftText(double left) {
  return QStringLiteral("该销售单的此商品只剩") + NumberText(left) + QStringLiteral("件可退！");
}

// The sale screen's sales-assistant lookup: only assistants in service at the front desk.
QSqlRecord FindEmployee(const Connection& connection, const QString& employeeNo) {
  return connection.FirstRow(
      QStringLiteral("SELECT * FROM JBEmployee WHERE Stopflag <> 1 AND QTEmployeeFlag = 1 "
                     "AND EmployeeNo = :EmployeeNo"),
      {{QStringLiteral(":EmployeeNo"), employeeNo}});
}

// A negative quantity that found no sale to point to is no return: the line sells one piece
// again, as it did before the quantity was typed.
void UndoTypedReturn(Order& order) {
  const int row = order.lines.CurrentIndex();
  if (row < 0) return;
  order.lines[row].Memo.clear();
  order.lines.SetQuantity(row, 1);
}

}  // namespace

QString ReturnMemo(const QString& soldOrderNo) { return kReturnPrefix + soldOrderNo; }

QString ReturnedOrderNo(const OrderLine& line) {
  if (!line.Memo.startsWith(kReturnPrefix)) return {};
  return line.Memo.mid(kReturnPrefix.size()).trimmed();
}

std::vector<SoldLine> FindSoldLines(SaleContext& sale, const OrderLines& current,
                                    const ReturnSearch& search, const ReturnGoods& goods) {
  std::vector<SoldLine> sold = SoldLinesLeft(sale, current, -1, {search, goods, {}});
  std::erase_if(sold, [](const SoldLine& line) { return line.Left <= kEpsilon; });
  return sold;
}

ReturnResult StartReturn(SaleContext& sale, Order& order, const ReturnGoods& goods) {
  const PosSession& session = sale.session();
  const bool typed = !goods.GoodsNo.isEmpty();
  const OrderLine* current = order.lines.Current();
  // A typed return takes its own quantity: only a sale with that much left will do.
  const double wanted = typed && current ? -current->Quantity : 0;

  const QDate today = sale.dm.ServerNow().date();
  ReturnPickerRequest request;
  request.beginDate = today.addDays(-session.BackDays);
  request.endDate = today;
  request.search = [&sale, &order, goods](const ReturnSearch& search) {
    return FindSoldLines(sale, order.lines, search, goods);
  };
  request.mayChoose = [&sale, wanted](const SoldLine& line) {
    const int days = sale.session().BackDays;
    // Counted with the time of day: seven days back means seven times 24 hours.
    if (line.OrderDate.secsTo(sale.dm.ServerNow()) > static_cast<qint64>(days) * 24 * 3600) {
      sale.ui.ShowNoticeBox(QString::number(days) + QStringLiteral("前的商品不允许退换货！"));
      return false;
    }
    if (wanted > line.Left + kEpsilon) {
      sale.ui.ShowNoticeBox(LeftText(line.Left));
      return false;
    }
    return true;
  };

  const std::optional<SoldLine> chosen = sale.ui.SelectReturnLine(request);
  if (!chosen) {
    if (typed) {
      sale.ui.ShowNoticeBox(QStringLiteral("未选择退货单！"));
      UndoTypedReturn(order);
    }
    return ReturnResult::NotChosen;
  }
  if (!CheckReturnSalesperson(sale, order, chosen->OrderNo)) {
    sale.ui.ShowNoticeBox(QStringLiteral("退货的导购员不是同一个人！"));
    if (typed) UndoTypedReturn(order);
    return ReturnResult::Refused;
  }
  if (typed) {
    if (OrderLine* line = order.lines.Current()) line->Memo = ReturnMemo(chosen->OrderNo);
    return ReturnResult::Marked;
  }
  return LoadReturnLine(sale, order, chosen->OrderNo, chosen->SerialNo) ? ReturnResult::Added
                                                                        : ReturnResult::NothingLeft;
}

bool CheckReturnSalesperson(SaleContext& sale, Order& order, const QString& soldOrderNo) {
  const Connection& connection = sale.dm.Current();
  const QString sold =
      connection
          .Scalar(QStringLiteral("SELECT EmployeeNo FROM QTSaleOrder WHERE OrderNo = :OrderNo"),
                  {{QStringLiteral(":OrderNo"), soldOrderNo}})
          .toString();
  // No sales assistant is one too: a return of another assistant's sale may not join it.
  if (!order.lines.empty() && order.header.EmployeeNo != sold) return false;
  if (!sold.isEmpty()) {
    const QSqlRecord employee = FindEmployee(connection, sold);
    order.header.EmployeeNo = sold;
    order.EmployeeNo = sold;
    order.EmployeeCode =
        employee.isEmpty() ? QString() : employee.value(QStringLiteral("EmployeeCode")).toString();
    order.EmployeeName =
        employee.isEmpty() ? QString() : employee.value(QStringLiteral("EmployeeName")).toString();
  }
  return true;
}

bool LoadReturnLine(SaleContext& sale, Order& order, const QString& soldOrderNo, int soldSerialNo) {
  if (soldOrderNo.isEmpty()) return false;
  const std::vector<SoldLine> sold = SoldLinesLeft(sale, order.lines, -1, {{}, {}, soldOrderNo});
  const auto line = std::find_if(sold.begin(), sold.end(), [soldSerialNo](const SoldLine& s) {
    return s.SerialNo == soldSerialNo;
  });
  if (line == sold.end() || line->Left <= kEpsilon) return false;

  QSqlQuery query = sale.dm.Current().Query(
      QLatin1StringView(kSoldLine),
      {{QStringLiteral(":OrderNo"), soldOrderNo}, {QStringLiteral(":SerialNo"), soldSerialNo}});
  std::vector<OrderLine> rows = ReadRows<OrderLine>(query);
  if (rows.empty()) return false;
  rows.front().Quantity = line->Left;
  // The copy keeps the sold line's price and discount: the sale screen's checks on quantity,
  // price and discount are for lines being rung up, not for a sale being undone.
  OrderLines::SuspendRules hold(order.lines);
  AddReturnLines(order, rows);
  return true;
}

void AddReturnLines(Order& order, const std::vector<OrderLine>& sold) {
  OrderLines& lines = order.lines;
  for (const OrderLine& s : sold) {
    OrderLine line = s;
    line.GoodsName = GoodsNameWithLabel(s.GoodsName, s.PriceFlag, s.Memo);
    line.Quantity = -s.Quantity;
    line.Amount = LineAmount(line.Price, line.Quantity, line.Discount, lines.AmountPoint());
    line.CKAmount = line.CKPrice.Times(line.Quantity);
    line.OrderNo = order.header.OrderNo;
    line.Memo = ReturnMemo(s.OrderNo);
    line.SerialNo = order.NextSerialNo++;
    lines.Append(line);
  }
}

std::optional<double> ReturnableQuantity(SaleContext& sale, const OrderLines& lines, int row) {
  if (row < 0 || row >= lines.size()) return std::nullopt;
  const OrderLine& line = lines[row];
  const QString sold_no = ReturnedOrderNo(line);
  if (sold_no.isEmpty()) return std::nullopt;
  double left = 0;
  for (const SoldLine& s :
       SoldLinesLeft(sale, lines, row, {{}, {line.GoodsNo, line.ColorNo, line.SizeNo}, sold_no})) {
    left += s.Left;
  }
  return left;
}

bool LimitReturnQuantity(SaleContext& sale, OrderLines& lines, int row) {
  const std::optional<double> left = ReturnableQuantity(sale, lines, row);
  if (!left || lines[row].Quantity >= 0 || -lines[row].Quantity <= *left + kEpsilon) return false;
  sale.ui.ShowNoticeBox(LeftText(*left));
  lines.SetQuantity(row, -*left);
  return true;
}

}  // namespace quilmo
