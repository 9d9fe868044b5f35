#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "sale/order.h"
#include "sale/order_choices.h"
#include "sale/sale_context.h"

namespace quilmo {

// Where returns must point to the sale they undo (the BackFlag option), a return line carries
// "退：" and the sold order's number in its Memo. The picker offers, and a return takes, only
// what is left of a sold line once the returns already made against it are counted: those
// saved on the server and in the till's file (sales made offline wait there for the upload),
// those in parked orders, and those on the order being rung up.

// The memo of a return line against a sale.
QString ReturnMemo(const QString& soldOrderNo);
// The sold order a line returns goods of, or empty for a line that is no such return.
QString ReturnedOrderNo(const OrderLine& line);

// The goods of a line whose quantity the cashier made negative; empty for the return key.
struct ReturnGoods {
  QString GoodsNo;
  QString ColorNo;
  QString SizeNo;
};

// What came of a return.
enum class ReturnResult {
  NotChosen,    // the picker was left without a choice
  Refused,      // the sold order's sales assistant is not this order's
  Marked,       // the current line (a negative quantity) now points to the chosen sale
  Added,        // the chosen sold line came onto the order as a return line
  NothingLeft,  // everything of the chosen line has come back in the meantime
};

// A return against an earlier sale, in either of its two ways. Without goods (the return key)
// the chosen sold line is copied onto the order with what is left of it, negated. With goods
// (a negative quantity typed on the current line) the picker lists only that goods, colour and
// size, offers only sales with at least that quantity left, and the chosen sale only marks the
// line; left without a choice, or refused, the line goes back to quantity 1 and an empty memo,
// so no return is left on the order without its sale.
ReturnResult StartReturn(SaleContext& sale, Order& order, const ReturnGoods& goods = {});

// The return goes to the sales assistant of the sale it undoes. On an order with lines that
// must be the order's own one already (no assistant counts as one): false otherwise. True
// when the return may go on; the sold order's assistant is then the order's.
bool CheckReturnSalesperson(SaleContext& sale, Order& order, const QString& soldOrderNo);

// Copies a sold line onto the order as a return of what is left of it. False when nothing is
// left or there is no such line.
bool LoadReturnLine(SaleContext& sale, Order& order, const QString& soldOrderNo, int soldSerialNo);

// Appends each sold row as a return line: every column kept but Quantity (negated), Amount and
// CKAmount (recomputed), OrderNo (this order's), Memo ("退：" + the sold order) and SerialNo
// (from NextSerialNo). The caller holds the line rules off.
void AddReturnLines(Order& order, const std::vector<OrderLine>& sold);

// The sold lines of this store (positive quantities) for the picker's boxes, narrowed to a
// goods, colour and size when given, each with what is left of it; lines with nothing left
// are not listed. The fragments are matched literally.
std::vector<SoldLine> FindSoldLines(SaleContext& sale, const OrderLines& current,
                                    const ReturnSearch& search, const ReturnGoods& goods = {});

// How much of the goods, colour and size of a return line is left to return against its sale,
// the line itself not counted; nothing for a line that is no return against a sale.
std::optional<double> ReturnableQuantity(SaleContext& sale, const OrderLines& lines, int row);

// For the sale screen's line checks when the quantity of a return line changes: more than is
// left is cut to what is left, and the cashier is told. True when the quantity was cut.
bool LimitReturnQuantity(SaleContext& sale, OrderLines& lines, int row);

}  // namespace quilmo
