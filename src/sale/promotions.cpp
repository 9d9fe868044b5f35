#include "sale/promotions.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

#include "sale/goods_lookup.h"
#include "sale/order_saving.h"
#include "sale/pricing.h"
#include "sale/returns.h"

namespace quilmo {
namespace {

// A tally's measure as a whole number. Sums of rounded amounts carry binary noise
// (199.99999999999997 for 200), which must not drop a threshold the order has reached.
int Whole(double value) { return static_cast<int>(std::floor(value + 1e-6)); }

bool CardDiscountType(const Order& order) {
  return order.SalesType == QStringLiteral("累计积分折扣") ||
         order.SalesType == QStringLiteral("固定折扣");
}

QString Int(int value) { return QString::number(value); }

// A money line of the promotion: the money goods at `price`, marked as given by the
// promotion so the next pass counts it. Nothing is marked when the line could not be added
// (no money goods on file).
void AddMoneyLine(SaleContext& sale, Order& order, const QString& cxOrderNo, Money price,
                  double quantity, const QString& memo) {
  Scan scan;
  scan.code = kMoneyGoodsCode.toString();
  scan.price = price;
  scan.quantity = quantity;
  if (FindAndAddGoods(sale, order, scan) != AddResult::Added) return;
  OrderLine& line = *order.lines.Current();
  line.Memo = memo;
  line.CXFlag = kGivenLine;
  line.CXOrderNo = cxOrderNo;
}

// A gift or money line brought back from an earlier sale was given by that sale, not this one.
bool BroughtBack(const OrderLine& line) {
  return !ReturnedOrderNo(line).isEmpty() ||
         (line.Quantity < 0 && line.GoodsCode != kMoneyGoodsCode);
}

bool GivenHere(const OrderLine& line) { return line.CXFlag == kGivenLine && !BroughtBack(line); }

bool IsGiftLine(const OrderLine& line) {
  return line.PriceFlag == kGiftPrice && line.Memo.trimmed() == QStringLiteral("【礼品】");
}

// What a promotion gave goes when the lines that earned it no longer do (deleted, fewer
// pieces, a lower amount), so this pass gives what they earn now; an order where nothing is
// bought keeps nothing a promotion gave. The gift chosen for added cash stands just above
// its money line and goes with it.
void WithdrawUnearned(Order& order, PromotionTallies& tallies) {
  OrderLines& lines = order.lines;
  const bool bought = std::any_of(lines.begin(), lines.end(), [](const OrderLine& line) {
    return line.CXFlag != kGivenLine && line.GoodsCode != kMoneyGoodsCode && !IsGiftLine(line);
  });
  QStringList unearned;
  for (const OrderLine& line : lines) {
    if (!GivenHere(line) || unearned.contains(line.CXOrderNo)) continue;
    const auto t = std::find_if(tallies.begin(), tallies.end(), [&line](const PromotionTally& p) {
      return p.CXOrderNo == line.CXOrderNo;
    });
    const int earned =
        t != tallies.end() && t->CXQty != 0 ? t->GiftQty * (Whole(t->QtyTemp) / t->CXQty) : 0;
    if (!bought || t == tallies.end() || Whole(t->HasQty) > earned) unearned << line.CXOrderNo;
  }
  if (unearned.isEmpty()) return;
  for (int row = lines.size() - 1; row >= 0; --row) {
    const OrderLine& line = lines[row];
    if (!GivenHere(line) || !unearned.contains(line.CXOrderNo)) continue;
    const bool cash_for_gift = line.GoodsCode == kMoneyGoodsCode && line.Quantity > 0;
    lines.Delete(row);
    if (cash_for_gift && row > 0 && IsGiftLine(lines[row - 1])) {
      lines.Delete(row - 1);
      --row;
    }
  }
  for (PromotionTally& t : tallies) {
    if (unearned.contains(t.CXOrderNo)) t.HasQty = 0;
  }
}

}  // namespace

void AccumulatePromotion(PromotionTallies& tallies, const OrderLine& line, bool isGivenLine,
                         int cxFlag) {
  const bool pieces = cxFlag == kBuyNGetM || cxFlag == kDiscountByPieces ||
                      (cxFlag == kGivenLine && line.GoodsCode != kMoneyGoodsCode);
  // A returned piece counts against its promotion, never for it: a return of 450 must not
  // earn the money-off of a sale of 450. What a promotion gave counts by its size whatever
  // its sign (a money-off line is negative).
  double measure = pieces ? line.Quantity : line.Amount.ToDouble();
  if (isGivenLine) measure = std::fabs(measure);
  auto it = std::find_if(tallies.begin(), tallies.end(), [&line](const PromotionTally& t) {
    return t.CXOrderNo == line.CXOrderNo;
  });
  if (isGivenLine) {
    // A gift or money line brought back from an earlier sale was given by that sale: counted
    // here it would keep this order's own purchases from their gifts.
    if (it != tallies.end() && !BroughtBack(line)) it->HasQty += measure;
    return;
  }
  if (it != tallies.end()) {
    it->QtyTemp += measure;
    return;
  }
  tallies.push_back({line.CXOrderNo, cxFlag, line.CXQty, line.GiftQty, line.AddMoney, measure, 0});
}

OrderTotals RecalcOrder(SaleContext& sale, Order& order) {
  PromotionTallies tallies;
  for (const OrderLine& line : order.lines) {
    switch (line.CXFlag) {
      case kBuyNGetM:
      case kSpendXGetMoneyOff:
      case kSpendXGetDiscount:
      case kDiscountByPieces:
      case kSpendXAddCashForGift:
        AccumulatePromotion(tallies, line, false, line.CXFlag);
        break;
      default:
        break;
    }
  }
  // What was given is counted once every promotion has its tally, wherever the given line
  // stands: a gift line above the promotion's lines (they were deleted and scanned again)
  // must not make the promotion give twice.
  for (const OrderLine& line : order.lines) {
    if (line.CXFlag == kGivenLine) AccumulatePromotion(tallies, line, true, kGivenLine);
  }

  WithdrawUnearned(order, tallies);
  ApplyPromotions(sale, tallies, order);

  // The totals are taken from the lines as the promotions left them, so the header, the
  // screen and the pole display always show the sum of the lines the customer will pay.
  const PosSession& session = sale.session();
  OrderTotals totals;
  order.NoPointAmount = 0;
  for (const OrderLine& line : order.lines) {
    totals.Quantity += line.Quantity;
    totals.Amount += line.Amount;
    if (EarnsNoPoints(line, session)) order.NoPointAmount += line.Amount;
  }
  order.header.Amount = totals.Amount;
  order.header.RealAmount = totals.Amount;
  order.totals = totals;
  sale.display.ShowOnDisplay(1, order.header.RealAmount);
  return totals;
}

void ApplyPromotions(SaleContext& sale, const PromotionTallies& tallies, Order& order) {
  OrderLines& lines = order.lines;
  for (const PromotionTally& t : tallies) {
    const int n = t.CXQty;
    const int m = t.GiftQty;
    const int qty = Whole(t.QtyTemp);
    const int has = Whole(t.HasQty);
    const double a = t.Addmonty;
    // A promotion without a threshold grants nothing by threshold (the pieces discount may
    // be set up with its 2- and 3-piece percentages only).
    const int due = n != 0 ? m * (qty / n) - has : 0;
    if (due <= 0 && t.CXFlag != kDiscountByPieces) continue;

    switch (t.CXFlag) {
      case kBuyNGetM: {
        Scan gift;
        gift.giftOrderNo = t.CXOrderNo;
        gift.price = Money::FromDouble(a / due);
        gift.quantity = due;
        if (FindAndAddGoods(sale, order, gift) == AddResult::Added &&
            lines.Current()->CXFlag == kGivenLine) {
          lines.Current()->Memo = QStringLiteral("买") + Int(n) + QStringLiteral("件 送") + Int(m) +
                                  QStringLiteral("件");
        }
        break;
      }
      case kSpendXGetMoneyOff:
        AddMoneyLine(sale, order, t.CXOrderNo, due, -1,
                     QStringLiteral("买满") + Int(n) + QStringLiteral("元 送") + Int(m) +
                         QStringLiteral("元"));
        break;
      case kSpendXGetDiscount:
        SetLinesDiscount(order, t.CXOrderNo, m);
        break;
      case kDiscountByPieces:
        if (qty >= 3 && a != 0) {
          SetLinesDiscount(order, t.CXOrderNo, a);
        } else if (qty >= 2 && m != 0) {
          SetLinesDiscount(order, t.CXOrderNo, m);
        } else if (qty >= 1 && n != 0) {
          SetLinesDiscount(order, t.CXOrderNo, n);
        }
        break;
      case kSpendXAddCashForGift: {
        const bool wanted =
            sale.ui.AskYesNo(QStringLiteral("提示"),
                             QStringLiteral("买满") + NumberText(n) + QStringLiteral("元加补") +
                                 NumberText(m) + QStringLiteral("元现金可赠送礼品，是否需要？"));
        if (!wanted || !ChooseGiftGoods(sale, order)) break;
        // The gift is paid with the added cash, not with points: it carries the promotion's
        // number (and no kind, so no promotion counts it as bought).
        order.lines.Current()->CXOrderNo = t.CXOrderNo;
        AddMoneyLine(sale, order, t.CXOrderNo, m, 1,
                     QStringLiteral("买满") + Int(n) + QStringLiteral("元 加") + Int(m) +
                         QStringLiteral("元赠送礼品"));
        break;
      }
      default:
        break;
    }
  }
}

void SetLinesDiscount(Order& order, const QString& promotionOrderNo, double percent) {
  OrderLines& lines = order.lines;
  for (int row = 0; row < lines.size(); ++row) {
    if (promotionOrderNo.isEmpty()) {
      lines.SetDiscount(row, percent);
      continue;
    }
    // A returned piece keeps the discount it was sold at: the refund is what was paid.
    if (lines[row].CXOrderNo != promotionOrderNo || lines[row].Quantity < 0) continue;
    lines.SetDiscount(row, percent);
    OrderLine& line = lines[row];
    if (line.CXFlag == kDiscountByPieces) {
      if (line.CXQty == percent) {
        line.Memo = QStringLiteral("买1件打") + Int(line.CXQty) + QStringLiteral("折");
      } else if (line.GiftQty == percent) {
        line.Memo = QStringLiteral("买2件打") + Int(line.GiftQty) + QStringLiteral("折");
      } else {
        line.Memo = QStringLiteral("买3件打") + NumberText(line.AddMoney) + QStringLiteral("折");
      }
    } else if (line.CXFlag == kSpendXGetDiscount) {
      line.Memo = QStringLiteral("买满") + Int(line.CXQty) + QStringLiteral("元 打") +
                  Int(line.GiftQty) + QStringLiteral("折");
    }
    if ((line.CXFlag == kDiscountByPieces || line.CXFlag == kSpendXGetDiscount) &&
        CardDiscountType(order) && order.CardDiscount < percent) {
      // The card's own discount is better for the customer: it replaces the promotion's.
      line.Memo.clear();
      lines.SetDiscount(row, order.CardDiscount);
    }
  }
}

namespace {

// The gift list and the cashier's choice from it; -1 when there is none or none was chosen.
int PickGift(SaleContext& sale, std::vector<GoodsCandidate>& gifts) {
  gifts = LoadGiftGoods(sale.dm.Current());
  if (gifts.empty()) return -1;
  const int row = sale.ui.SelectGoods(gifts);
  return row >= 0 && static_cast<size_t>(row) < gifts.size() ? row : -1;
}

// Adds the chosen gift at price 0. True when a line was added.
bool AddGiftLine(SaleContext& sale, const GoodsCandidate& gift, Order& order) {
  Scan scan;
  scan.code = gift.GoodsCode;
  scan.isGift = true;
  if (FindAndAddGoods(sale, order, scan) != AddResult::Added) return false;
  // Gift lines have always left a gap in the line numbers after them.
  ++order.NextSerialNo;
  return true;
}

}  // namespace

bool ChooseGiftGoods(SaleContext& sale, Order& order) {
  std::vector<GoodsCandidate> gifts;
  const int row = PickGift(sale, gifts);
  if (row < 0) return false;
  return AddGiftLine(sale, gifts[static_cast<size_t>(row)], order);
}

bool ExchangeCardPoints(SaleContext& sale, Order& order) {
  if (order.CardsCode.isEmpty() || order.PointTotal <= 0) return false;
  if (order.SalesType != u"积分兑换礼品" && !sale.session().AllChangeGF) return false;
  ExchangePointsForGift(sale, order);
  return true;
}

void ExchangePointsForGift(SaleContext& sale, Order& order) {
  std::vector<GoodsCandidate> gifts;
  const int row = PickGift(sale, gifts);
  if (row < 0) return;
  const GoodsCandidate& gift = gifts[static_cast<size_t>(row)];
  // One point per unit of the gift's reference price.
  const double points = gift.SRefPrice.ToDouble();
  if (points + order.GiftPoints > order.PointTotal) {
    sale.ui.ShowNoticeBox(QStringLiteral("积分点不够！"));
    return;
  }
  // The points are only spent on a gift that made it onto the order.
  if (AddGiftLine(sale, gift, order)) order.GiftPoints += points;
}

}  // namespace quilmo
