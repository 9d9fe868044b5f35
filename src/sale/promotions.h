#pragma once

#include <QString>
#include <vector>

#include "sale/order.h"
#include "sale/sale_context.h"

namespace quilmo {

// One promotion on the order during a recalculation: its kind and parameters from its first
// line, how much of its measure the order has (QtyTemp: pieces or money) and how much the
// lines it already gave amount to (HasQty).
struct PromotionTally {
  QString CXOrderNo;
  int CXFlag = 0;
  int CXQty = 0;
  int GiftQty = 0;
  double Addmonty = 0;
  double QtyTemp = 0;
  double HasQty = 0;
};

// The tallies of one pass, one per promotion in the order its lines first appear.
using PromotionTallies = std::vector<PromotionTally>;

// Tallies the order's promotions and lets ApplyPromotions add gift and money lines and set
// discounts; then the totals of the lines as they now stand go into the header's Amount and
// RealAmount, the order's totals and the pole display. A line a promotion adds is tallied as
// given on the next pass, which the sale screen runs after every change and before payment.
OrderTotals RecalcOrder(SaleContext& sale, Order& order);

// Adds one line to the tallies: a promotion's own line to its measure (a return takes its
// pieces or money off the measure), a line it gave to what it has given.
void AccumulatePromotion(PromotionTallies& tallies, const OrderLine& line, bool isGivenLine,
                         int cxFlag);

// What each promotion on the order grants now: gifts to choose (buy N get M), a money-off
// line (spend X get Y), discounts on its lines (spend X, pieces), a gift for added cash.
void ApplyPromotions(SaleContext& sale, const PromotionTallies& tallies, Order& order);

// With an empty promotion order number, sets the discount of every line (the whole-order
// discount); otherwise of that promotion's lines, with the promotion's memo, unless the
// card's own discount is better for the customer. Returned pieces keep the discount they
// were sold at.
void SetLinesDiscount(Order& order, const QString& promotionOrderNo, double percent);

// The cashier picks a goods from the gift list and it is added as a gift. True when a gift
// line was added; the next line number then skips one.
bool ChooseGiftGoods(SaleContext& sale, Order& order);

// A gift paid with the card's points: one point per unit of the gift's reference price.
void ExchangePointsForGift(SaleContext& sale, Order& order);

// The sale screen's Ctrl+L: the gift exchange, when the order's card may exchange points
// (its sales type "积分兑换礼品", or every card when the option AllChangeGF is on) and has
// points. True when the exchange ran.
bool ExchangeCardPoints(SaleContext& sale, Order& order);

}  // namespace quilmo
