#include "sale/promotions.h"

#include <cmath>

#include "sale/goods_lookup.h"
#include "sale/pricing.h"

namespace quilmo {
namespace {

// A tally's measure as a whole number. Sums of rounded amounts carry binary noise
// (199.99999999999997 for 200), which must not drop a threshold the order has reached.
int Whole(double value) { return static_cast<int>(std::floor(value + 1e-6)); }

bool CardDiscountType(const PosSession& session) {
  return session.SalesType == QStringLiteral("累计积分折扣") ||
         session.SalesType == QStringLiteral("固定折扣");
}

QString Int(int value) { return QString::number(value); }

// A money line of the promotion: the money goods at `price`, marked as given by the
// promotion so the next pass counts it. Nothing is marked when the line could not be added
// (no money goods on file).
void AddMoneyLine(TDMFM& dm, OrderHeader& header, OrderLines& lines, int& NextSerialNo,
                  const QString& cxOrderNo, double price, double quantity, const QString& memo) {
  const int start = NextSerialNo;
  FindAndAddGoods(dm, kMoneyGoodsCode.toString(), NextSerialNo, header, QString(), false, lines,
                  100, price, quantity);
  if (NextSerialNo == start || !lines.Current()) return;
  OrderLine& line = *lines.Current();
  line.Memo = memo;
  line.CXFlag = kGivenLine;
  line.CXOrderNo = cxOrderNo;
}

}  // namespace

void AccumulatePromotion(PromotionTallies& tallies, const OrderLine& line, bool isGivenLine,
                         int cxFlag) {
  const bool pieces = cxFlag == kBuyNGetM || cxFlag == kDiscountByPieces ||
                      (cxFlag == kGivenLine && line.GoodsCode != kMoneyGoodsCode);
  const double measure = pieces ? std::fabs(line.Quantity) : std::fabs(line.Amount);
  auto it = std::find_if(tallies.begin(), tallies.end(), [&line](const PromotionTally& t) {
    return t.CXOrderNo == line.CXOrderNo;
  });
  if (isGivenLine) {
    if (it != tallies.end()) it->HasQty += measure;
    return;
  }
  if (it != tallies.end()) {
    it->QtyTemp += measure;
    return;
  }
  tallies.push_back({line.CXOrderNo, cxFlag, line.CXQty, line.GiftQty, line.AddMoney, measure, 0});
}

void RecalcOrder(TDMFM& dm, CustomerDisplay& display, OrderHeader& header, OrderLines& lines,
                 double& totalQty, int& NextSerialNo, double& totalAmount) {
  PosSession& session = dm.session();
  totalQty = 0;
  totalAmount = 0;
  session.NoPointAmount = 0;

  PromotionTallies tallies;
  for (const OrderLine& line : lines) {
    totalQty += line.Quantity;
    totalAmount += line.Amount;
    if ((line.PriceFlag == kGoodsPromotion && session.SPNotDiscount) ||
        (line.PriceFlag == kMemberPrice && session.VIPNotDiscount) ||
        (line.CXFlag > 0 && session.SPNotDiscount)) {
      session.NoPointAmount += line.Amount;
    }
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
  for (const OrderLine& line : lines) {
    if (line.CXFlag == kGivenLine) AccumulatePromotion(tallies, line, true, kGivenLine);
  }

  ApplyPromotions(dm, tallies, header, lines, NextSerialNo);

  header.Amount = totalAmount;
  header.RealAmount = totalAmount;
  display.ShowOnDisplay(1, Money::FromDouble(header.RealAmount));
}

void ApplyPromotions(TDMFM& dm, const PromotionTallies& tallies, OrderHeader& header,
                     OrderLines& lines, int& NextSerialNo) {
  const PosSession& session = dm.session();
  for (const PromotionTally& t : tallies) {
    const int start = NextSerialNo;
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
      case kBuyNGetM:
        FindAndAddGoods(dm, kPromotionGoodsOnly.toString(), NextSerialNo, header, t.CXOrderNo,
                        false, lines, 100, a / due, due);
        if (NextSerialNo != start && lines.Current() && lines.Current()->CXFlag == kGivenLine) {
          lines.Current()->Memo = QStringLiteral("买") + Int(n) + QStringLiteral("件 送") + Int(m) +
                                  QStringLiteral("件");
        }
        break;
      case kSpendXGetMoneyOff:
        AddMoneyLine(dm, header, lines, NextSerialNo, t.CXOrderNo, due, -1,
                     QStringLiteral("买满") + Int(n) + QStringLiteral("元 送") + Int(m) +
                         QStringLiteral("元"));
        break;
      case kSpendXGetDiscount:
        SetLinesDiscount(session, lines, t.CXOrderNo, m);
        break;
      case kDiscountByPieces:
        if (qty >= 3 && a != 0) {
          SetLinesDiscount(session, lines, t.CXOrderNo, a);
        } else if (qty >= 2 && m != 0) {
          SetLinesDiscount(session, lines, t.CXOrderNo, m);
        } else if (qty >= 1 && n != 0) {
          SetLinesDiscount(session, lines, t.CXOrderNo, n);
        }
        break;
      case kSpendXAddCashForGift: {
        const bool wanted =
            dm.ui().AskYesNo(QStringLiteral("提示"),
                             QStringLiteral("买满") + NumberText(n) + QStringLiteral("元加补") +
                                 NumberText(m) + QStringLiteral("元现金可赠送礼品，是否需要？"));
        if (!wanted || !ChooseGiftGoods(dm, header, lines, NextSerialNo)) break;
        AddMoneyLine(dm, header, lines, NextSerialNo, t.CXOrderNo, m, 1,
                     QStringLiteral("买满") + Int(n) + QStringLiteral("元 加") + Int(m) +
                         QStringLiteral("元赠送礼品"));
        break;
      }
      default:
        break;
    }
  }
}

void SetLinesDiscount(const PosSession& session, OrderLines& lines, const QString& promotionOrderNo,
                      double percent) {
  for (int row = 0; row < lines.size(); ++row) {
    if (promotionOrderNo.isEmpty()) {
      lines.SetDiscount(row, percent);
      continue;
    }
    if (lines[row].CXOrderNo != promotionOrderNo) continue;
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
        CardDiscountType(session) && session.CardDiscount < percent) {
      // The card's own discount is better for the customer: it replaces the promotion's.
      line.Memo.clear();
      lines.SetDiscount(row, session.CardDiscount);
    }
  }
}

namespace {

// The gift list and the cashier's choice from it; -1 when there is none or none was chosen.
int PickGift(TDMFM& dm, std::vector<GoodsCandidate>& gifts) {
  gifts = LoadGiftGoods(dm.Current());
  if (gifts.empty()) return -1;
  const int row = SaleUiOf(dm).SelectGoods(gifts);
  return row >= 0 && static_cast<size_t>(row) < gifts.size() ? row : -1;
}

// Adds the chosen gift at price 0. True when a line was added.
bool AddGiftLine(TDMFM& dm, const GoodsCandidate& gift, OrderHeader& header, OrderLines& lines,
                 int& NextSerialNo) {
  const int before = NextSerialNo;
  FindAndAddGoods(dm, gift.GoodsCode, NextSerialNo, header, QString(), true, lines, 100, 0, 1);
  if (NextSerialNo == before) return false;
  // Gift lines have always left a gap in the line numbers after them.
  ++NextSerialNo;
  return true;
}

}  // namespace

bool ChooseGiftGoods(TDMFM& dm, OrderHeader& header, OrderLines& lines, int& NextSerialNo) {
  std::vector<GoodsCandidate> gifts;
  const int row = PickGift(dm, gifts);
  if (row < 0) return false;
  return AddGiftLine(dm, gifts[static_cast<size_t>(row)], header, lines, NextSerialNo);
}

void ExchangePointsForGift(TDMFM& dm, OrderHeader& header, OrderLines& lines, int& NextSerialNo) {
  std::vector<GoodsCandidate> gifts;
  const int row = PickGift(dm, gifts);
  if (row < 0) return;
  const GoodsCandidate& gift = gifts[static_cast<size_t>(row)];
  PosSession& session = dm.session();
  if (gift.SRefPrice + session.GiftPoints > session.PointTotal) {
    dm.ui().ShowNoticeBox(QStringLiteral("积分点不够！"));
    return;
  }
  // The points are only spent on a gift that made it onto the order.
  if (AddGiftLine(dm, gift, header, lines, NextSerialNo)) session.GiftPoints += gift.SRefPrice;
}

}  // namespace quilmo
