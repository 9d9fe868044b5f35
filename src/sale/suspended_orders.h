#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "data/tdmfm.h"
#include "sale/order.h"
#include "sale/order_choices.h"
#include "sale/sale_context.h"

namespace quilmo {

// Puts a card back on an order: finds the card by its code and gives the order the card state
// that choosing that card gives (CardsCode, HolderName, PointTotal, CardType, SalesType,
// CardDiscount, DiscountMode). False, with the order untouched, when no such card is in use
// any more. Cards belong to checkout, a floor above the sale; the application hands their
// lookup in.
using CardRestorer = std::function<bool(const QString& cardCode, Order& order)>;

// Parked orders live in the till's own file (QTHalSaleOrder, QTHalSaleOrderDetail) in both
// modes and never reach the server. An order is parked exactly while its rows are there; its
// number stays its own and comes back with it.

// Parks the order under its own number. True when parked: the sale screen then starts a new
// order. A database error is shown ("挂单失败！原因：" and the reason) and nothing is parked.
bool SuspendOrder(SaleContext& sale, const Order& order);

// The park key: nothing on an order without lines; otherwise asks "您真的要挂起该单吗？" and
// parks unless the answer is No. True when the order was parked.
bool SuspendOrderCommand(SaleContext& sale, const Order& order);

// The parked orders, oldest first, with their lines, as the list of parked orders shows them.
std::vector<ParkedOrder> LoadSuspendedOrders(TDMFM& dm);

// Lets the cashier pick a parked order and makes it the order on the screen: its own number,
// the till's time, its lines numbered from NextSerialNo through the line rules, its sales
// assistant and its card, in the header too. The parked copy is deleted in the same step.
// Called on an order without lines. False when nothing was chosen (NextSerialNo is then 1)
// or the parked copy could not be deleted; the order is then as it was. The sale screen then
// shows the number, recomputes the totals and shows the sales assistant and the card.
bool RecallSuspendedOrder(SaleContext& sale, Order& order, const CardRestorer& restoreCard);

// The recall key: on an order with lines "现在正在销售，不能取单！"; otherwise
// RecallSuspendedOrder.
bool RecallSuspendedOrderCommand(SaleContext& sale, Order& order, const CardRestorer& restoreCard);

// The sales assistant and the card of a parked order onto the order. A card that is no longer
// in use leaves the card state as it was; a restored card spends the points of the parked gift
// lines (GiftPoints).
void RestoreSuspendedCard(SaleContext& sale, Order& order, const QString& orderNo,
                          const CardRestorer& restoreCard);

// The points the gift lines of a parked order spend: their Quantity × OrigPrice when the order
// has a card, else 0.
double SuspendedGiftPoints(TDMFM& dm, const QString& orderNo);

// Whether any order is parked (asked at shift close).
bool HasSuspendedOrders(TDMFM& dm);

// Deletes every parked order (shift close, with the cashier's consent). A database error is
// shown ("清除挂单失败！原因：" and the reason) and nothing is deleted; false then.
bool ClearSuspendedOrders(TDMFM& dm, Ui& ui);

}  // namespace quilmo
