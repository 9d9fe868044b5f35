#include "sale/pricing.h"

#include <QLocale>
#include <QSqlRecord>
#include <cmath>
#include <optional>

namespace quilmo {
namespace {

bool CardDiscountMultiplies(const PosSession& session, const Order& order) {
  return session.DiscountAdd && (order.SalesType == QStringLiteral("累计积分折扣") ||
                                 order.SalesType == QStringLiteral("固定折扣"));
}

// The goods' fixed discount, when it has one. Read before anything is priced or written, so a
// broken value stops the scan without touching the order or the goods' promotion counters.
std::optional<double> FixedDiscount(const GoodsCandidate& goods) {
  const QString text = goods.ProduceArea.trimmed();
  if (text.isEmpty() || text == QStringLiteral("0")) return std::nullopt;
  bool ok = false;
  const double value = text.toDouble(&ok);
  if (!ok || !std::isfinite(value)) {
    throw GoodsDataError(QStringLiteral("商品%1的固定折扣“%2”不是有效的数字")
                             .arg(goods.GoodsCode, goods.ProduceArea));
  }
  // Beyond 100 it would charge more than the price, at 0 or below it would give the goods away.
  if (value <= 0 || value > 100) {
    throw GoodsDataError(QStringLiteral("商品%1的固定折扣“%2”不在1-100之间")
                             .arg(goods.GoodsCode, goods.ProduceArea));
  }
  return value;
}

// A price the back office sent below zero would sell at a refund without the returns right.
void RefuseNegativePrice(const GoodsCandidate& goods, Money price) {
  if (price >= 0) return;
  throw GoodsDataError(
      QStringLiteral("商品%1的价格%2为负数，不能销售").arg(goods.GoodsCode, price.ShortText()));
}

// What the goods' own promotion says for this scan.
enum class Outcome {
  kPrice,  // the promotion price applies
  kKeep,   // not now, but the promotion is still configured (not begun, or too many asked)
  kEnd,    // the promotion is over or was never complete: it is ended in JBGoods
};

void EndGoodsPromotion(const Connection& connection, const QString& goodsNo, int salesType) {
  QString set;
  switch (salesType) {
    case 1:
      set = QStringLiteral("SBeginDate = NULL, SEndDate = NULL");
      break;
    case 2:
      set = QStringLiteral("SalesQty = 0, FinishSaleQty = 0");
      break;
    case 3:
      set = QStringLiteral("SBeginDate = NULL, SEndDate = NULL, SalesQty = 0, FinishSaleQty = 0");
      break;
    default:
      return;
  }
  connection.Exec(
      QStringLiteral("UPDATE JBGoods SET SalesType = 0, %1 WHERE GoodsNo = :GoodsNo").arg(set),
      {{QStringLiteral(":GoodsNo"), goodsNo}});
}

}  // namespace

QString NumberText(double value) {
  if (value == 0) return QStringLiteral("0");
  return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

ResolvedPrice ResolveGoodsPrice(SaleContext& sale, const PricingFacts& facts, const Order& order,
                                double quantity, const GoodsCandidate& goods) {
  TDMFM& dm = sale.dm;
  const QString& goodsNo = facts.goodsNo;
  const double r = goods.UnitRate > 0 ? goods.UnitRate : 1;
  const Connection& connection = dm.Current();
  const QSqlRecord& q = facts.goods;
  if (q.isEmpty() || q.isNull(QStringLiteral("GoodsNo"))) return {};
  auto number = [&q](const char* column) { return q.value(QLatin1StringView(column)).toDouble(); };
  auto money = [&q](const char* column) {
    return Money::FromVariant(q.value(QLatin1StringView(column)));
  };
  const int sales_type = q.value(QStringLiteral("SalesType")).toInt();
  const QDateTime begin = ToDateTime(q.value(QStringLiteral("SBeginDate")));
  const QDateTime end = ToDateTime(q.value(QStringLiteral("SEndDate")));
  const double sales_qty = number("SalesQty");
  const double finished = number("FinishSaleQty");
  const Money sales_price = money("SalesPrice");
  const Money member_price = money("MemberPrice");
  const Money su_member_price = money("SUMemberPrice");
  const Money b_member_price = money("BMemberPrice");
  const Money su_ref_price = money("SUSRefPrice");
  const Money bu_ref_price = money("BUSRefPrice");

  const QDateTime& now = facts.now;
  // FinishSaleQty counts pieces sold (raised when an order is saved); the pieces this order
  // already holds at the promotion price are not sold yet but are spoken for.
  double on_order = 0;
  for (const OrderLine& line : order.lines) {
    if (line.GoodsNo == goodsNo && line.PriceFlag == kGoodsPromotion) on_order += line.Quantity;
  }
  const double stored_remaining = sales_qty - finished;
  const double remaining = stored_remaining - on_order;
  const bool has_window = begin.isValid() && end.isValid();
  auto too_many = [&sale, remaining, stored_remaining]() {
    sale.ui.ShowNoticeBox(QStringLiteral("该货品当前销售量超出了促销限量!\r\n 该商品可促销量为:") +
                          NumberText(remaining));
    // Some left but fewer than asked: the rest stays on offer for smaller quantities. Pieces
    // held by this order do not end the promotion: the order may yet be dropped.
    return stored_remaining > 0 ? Outcome::kKeep : Outcome::kEnd;
  };
  // Outside its window: over once the window has passed, kept while it is still to come.
  auto outside_window = [&]() { return end < now ? Outcome::kEnd : Outcome::kKeep; };

  std::optional<Outcome> outcome;
  switch (sales_type) {
    case 1:
      if (!has_window) {
        outcome = Outcome::kEnd;
      } else if (begin <= now && end >= now) {
        outcome = Outcome::kPrice;
      } else {
        outcome = outside_window();
      }
      break;
    case 2:
      if (sales_qty <= 0) {
        outcome = Outcome::kEnd;
      } else {
        outcome = remaining >= quantity ? Outcome::kPrice : too_many();
      }
      break;
    case 3:
      if (!has_window || sales_qty <= 0) {
        outcome = Outcome::kEnd;
      } else if (begin <= now && end >= now) {
        outcome = quantity > remaining ? too_many() : Outcome::kPrice;
      } else if (stored_remaining <= 0) {
        outcome = Outcome::kEnd;
      } else {
        outcome = outside_window();
      }
      break;
    default:
      break;
  }

  ResolvedPrice result;
  if (outcome == Outcome::kPrice) {
    // Counted into FinishSaleQty when the order is saved, in the save's transaction, so
    // lines deleted and orders dropped or parked use up nothing.
    return {sales_price, kGoodsPromotion};
  }
  if (outcome == Outcome::kEnd) EndGoodsPromotion(connection, goodsNo, sales_type);

  if (!order.header.CardCode.isEmpty() && order.SalesType == QStringLiteral("会员价消费")) {
    if (r == 1 && member_price != 0) {
      return {member_price, kMemberPrice};
    } else if (r < 1 && su_member_price != 0) {
      return {su_member_price.DividedBy(r), kMemberPrice};
    } else if (r > 1 && b_member_price != 0) {
      return {b_member_price.DividedBy(r), kMemberPrice};
    }
  }
  if (r < 1) {
    result.price = su_ref_price.DividedBy(r);
  } else if (r > 1) {
    result.price = bu_ref_price.DividedBy(r);
  } else {
    result.price = facts.levelPrice ? *facts.levelPrice : StoreLevelPrice(dm, goodsNo);
  }
  return result;
}

Money StoreLevelPrice(TDMFM& dm, const QString& goodsNo) {
  // One statement for the store's level and the goods' prices.
  const QSqlRecord q = dm.Current().FirstRow(
      QStringLiteral("SELECT SRefPrice, SPriceLevel1, SPriceLevel2, SPriceLevel3, SPriceLevel4, "
                     "(SELECT PriceLevel FROM JBStore WHERE StoreNo = :StoreNo LIMIT 1) "
                     "AS PriceLevel FROM JBGoods WHERE GoodsNo = :GoodsNo"),
      {{QStringLiteral(":StoreNo"), dm.session().StoreNo}, {QStringLiteral(":GoodsNo"), goodsNo}});
  if (q.isEmpty()) return 0;
  const Money ref_price = Money::FromVariant(q.value(0));
  const int level = q.value(5).toInt();
  const Money price = level >= 1 && level <= 4 ? Money::FromVariant(q.value(level)) : ref_price;
  return price != 0 ? price : ref_price;
}

bool StoreListHas(const QString& storeNoList, const QString& storeNo) {
  if (storeNo.isEmpty()) return false;
  for (const QString& entry : storeNoList.split(QLatin1Char(','))) {
    if (entry.trimmed() == storeNo) return true;
  }
  return false;
}

namespace {

// The promotion columns of a row read by FindPromotion or by the online pricing statement.
Promotion PromotionFrom(const QSqlRecord& q, const QString& store) {
  Promotion p;
  if (q.isEmpty() || q.isNull(QStringLiteral("CXOrderNo"))) return p;
  p.StoreNoList = q.value(QStringLiteral("StoreNoList")).toString();
  if (!StoreListHas(p.StoreNoList, store)) return p;
  p.found = true;
  p.OrderNo = q.value(QStringLiteral("CXOrderNo")).toString();
  p.SPrice = Money::FromVariant(q.value(QStringLiteral("CXSPrice")));
  p.Discount = q.value(QStringLiteral("CXDiscount")).toDouble();
  p.CXFlag = q.value(QStringLiteral("CXFlag")).toInt();
  p.CXQty = q.value(QStringLiteral("CXQty")).toInt();
  p.GiftQty = q.value(QStringLiteral("GiftQty")).toInt();
  p.AddMoney = q.value(QStringLiteral("AddMoney")).toDouble();
  return p;
}

// The goods' promotion: an approved promotion order that has the goods, lists the store as a
// whole entry of its list (store "01" must not take the promotions of store "101"; the
// statement narrows by the same rule, so LIMIT 1 never stops at a row that only looked like a
// match) and runs on `today` (an expression), first and last day included.
QString PromotionSelect(const Dialect& sql, const QString& today) {
  return QStringLiteral(
             "SELECT a.OrderNo AS CXOrderNo, a.SPrice AS CXSPrice, a.Discount AS CXDiscount, "
             "b.CXFlag, b.CXQty, b.GiftQty, b.AddMoney, b.StoreNoList "
             "FROM QTCXOrderDetail a LEFT JOIN QTCXOrder b ON a.OrderNo = b.ORderNo "
             "WHERE %1 AND %2 <= 0 AND %3 >= 0 "
             "AND b.Checkflag = 1 AND a.GoodsNo = :GoodsNo LIMIT 1")
      .arg(sql.Contains(
               QStringLiteral("(',' || REPLACE(COALESCE(b.StoreNoList, ''), ' ', '') || ',')"),
               QStringLiteral(":StoreEntry")),
           sql.DayDiff(today, QStringLiteral("b.Begindate")),
           sql.DayDiff(today, QStringLiteral("b.EndDate")));
}

// A position test rather than LIKE: the local file would plan a statement with a bound LIKE
// pattern anew on every call.
QString StoreEntry(const QString& store) { return QLatin1Char(',') + store + QLatin1Char(','); }

// The goods' price columns as pricing reads them.
constexpr char kPriceColumns[] =
    "g.GoodsNo, g.SUSRefPrice, g.SUMemberPrice, g.BUSRefPrice, g.BMemberPrice, g.MinSPrice, "
    "g.SRefPrice, g.SalesType, g.SBeginDate, g.SEndDate, g.SalesQty, g.FinishSaleQty, "
    "g.SalesPrice, g.MemberPrice";

}  // namespace

Promotion FindPromotion(TDMFM& dm, const QString& goodsNo) {
  const Connection& connection = dm.Current();
  const QString& store = dm.session().StoreNo;
  const QSqlRecord q =
      connection.FirstRow(PromotionSelect(connection.dialect(), QStringLiteral(":Today")),
                          {{QStringLiteral(":StoreEntry"), StoreEntry(store)},
                           {QStringLiteral(":Today"), dm.ServerNow().date()},
                           {QStringLiteral(":GoodsNo"), goodsNo}});
  return PromotionFrom(q, store);
}

PricingFacts ReadPricingFacts(TDMFM& dm, const QString& goodsNo) {
  PricingFacts facts;
  facts.goodsNo = goodsNo;
  const QString& store = dm.session().StoreNo;
  if (!dm.session().IsOnline) {
    // The local file answers at once: its statements stay as they were, each where it is
    // needed.
    facts.goods =
        dm.conClient.FirstRow(QStringLiteral("SELECT %1 FROM JBGoods g WHERE g.GoodsNo = :GoodsNo")
                                  .arg(QLatin1StringView(kPriceColumns)),
                              {{QStringLiteral(":GoodsNo"), goodsNo}});
    facts.now = dm.ServerNow();
    return facts;
  }
  // Online every statement is a round trip to the back office: the goods' prices, the store's
  // level price, the promotion and the server's time come back in one.
  const Connection& server = dm.conServer;
  const QSqlRecord q = server.FirstRow(
      QStringLiteral(
          "SELECT %1, g.SPriceLevel1, g.SPriceLevel2, g.SPriceLevel3, g.SPriceLevel4, "
          "(SELECT PriceLevel FROM JBStore WHERE StoreNo = :StoreNo LIMIT 1) AS PriceLevel, "
          "LOCALTIMESTAMP(0) AS ServerTime, p.* "
          "FROM (SELECT 1 AS One) one "
          "LEFT JOIN JBGoods g ON g.GoodsNo = :GoodsNo "
          "LEFT JOIN LATERAL (%2) p ON true")
          .arg(QLatin1StringView(kPriceColumns),
               PromotionSelect(server.dialect(), QStringLiteral("LOCALTIMESTAMP(0)"))),
      {{QStringLiteral(":StoreNo"), store},
       {QStringLiteral(":StoreEntry"), StoreEntry(store)},
       {QStringLiteral(":GoodsNo"), goodsNo}});
  facts.goods = q;
  facts.now = ToDateTime(q.value(QStringLiteral("ServerTime")));
  facts.promotion = PromotionFrom(q, store);
  if (!q.isNull(QStringLiteral("GoodsNo"))) {
    // As StoreLevelPrice: the level's price, else (none, or 0) the reference price.
    const Money ref_price = Money::FromVariant(q.value(QStringLiteral("SRefPrice")));
    const int level = q.value(QStringLiteral("PriceLevel")).toInt();
    const Money price =
        level >= 1 && level <= 4
            ? Money::FromVariant(q.value(QStringLiteral("SPriceLevel%1").arg(level)))
            : ref_price;
    facts.levelPrice = price != 0 ? price : ref_price;
  } else {
    facts.levelPrice = Money();
  }
  return facts;
}

double GetStoreStock(TDMFM& dm, const QString& goodsNo, const QString& colorNo,
                     const QString& sizeNo) {
  const QSqlRecord row = dm.conServer.FirstRow(
      QStringLiteral("SELECT Quantity FROM CKCurrStoreCS WHERE StoreNo = :StoreNo "
                     "AND GoodsNo = :GoodsNo AND ColorNo = :ColorNo AND SizeNo = :SizeNo"),
      {{QStringLiteral(":StoreNo"), dm.session().StoreNo},
       {QStringLiteral(":GoodsNo"), goodsNo},
       {QStringLiteral(":ColorNo"), colorNo},
       {QStringLiteral(":SizeNo"), sizeNo}});
  return row.isEmpty() ? 0 : row.value(0).toDouble();
}

AddResult BuildOrderLine(SaleContext& sale, Order& order, const GoodsCandidate& goods,
                         const Scan& scan) {
  const PosSession& session = sale.session();
  OrderLines& lines = order.lines;
  const QString& giftOrderNo = scan.giftOrderNo;
  const double quantity = scan.quantity;
  const std::optional<double> fixed_discount = FixedDiscount(goods);
  if (!scan.isGift) RefuseNegativePrice(goods, goods.SRefPrice);
  // A row without a unit rate (never set by the search) is one base unit per scan.
  const double r = goods.UnitRate > 0 ? goods.UnitRate : 1;

  // The price: typed, given by the promotion, or the goods' own.
  // A gift of a promotion takes neither the goods' price nor a promotion of its own.
  const PricingFacts facts =
      giftOrderNo.isEmpty() ? ReadPricingFacts(sale.dm, goods.GoodsNo) : PricingFacts{};
  ResolvedPrice resolved;
  if (scan.price != 0 || !giftOrderNo.isEmpty()) {
    resolved = {scan.price.DividedBy(r), kOrdinaryPrice};
  } else {
    resolved = ResolveGoodsPrice(sale, facts, order, quantity, goods);
  }
  if (resolved.price == 0 && giftOrderNo.isEmpty()) {
    sale.ui.ShowNoticeBox(QStringLiteral("该商品价格为0！"));
  }

  // The promotion the line belongs to.
  Promotion promotion;
  if (!giftOrderNo.isEmpty()) {
    promotion.OrderNo = giftOrderNo;
    promotion.CXFlag = kGivenLine;
  } else {
    promotion = facts.promotion ? *facts.promotion : FindPromotion(sale.dm, goods.GoodsNo);
  }
  if (promotion.found && promotion.CXFlag == kDiscountPromotion &&
      !(std::isfinite(promotion.Discount) && promotion.Discount > 0 && promotion.Discount <= 100)) {
    throw GoodsDataError(QStringLiteral("商品%1的促销折扣“%2”不在1-100之间")
                             .arg(goods.GoodsCode, NumberText(promotion.Discount)));
  }

  // A second scan of the goods just entered adds to its line. Lines a promotion gave and
  // gifts stay lines of their own either way: merged into a paid line a gift would be paid
  // for, and a money line merged into another would hide what each promotion has given.
  // Nor does a sale merge into a return: the piece sold would vanish into the one brought back.
  const OrderLine* current = lines.Current();
  const bool given = scan.isGift || !giftOrderNo.isEmpty() || goods.GoodsCode == kMoneyGoodsCode;
  if (current && !given && r == 1 && current->Quantity > 0 && current->GoodsNo == goods.GoodsNo &&
      current->ColorNo == goods.ColorNo && current->SizeNo == goods.SizeNo &&
      current->Price == resolved.price && current->CXFlag != kGivenLine &&
      current->PriceFlag != kGiftPrice && current->GoodsCode != kMoneyGoodsCode) {
    lines.SetQuantity(lines.CurrentIndex(), current->Quantity + quantity);
    return AddResult::Merged;
  }

  OrderLine line;
  line.OrderNo = order.header.OrderNo;
  line.SerialNo = order.NextSerialNo;
  line.GoodsNo = goods.GoodsNo;
  line.GoodsCode = goods.GoodsCode;
  line.ColorNo = goods.ColorNo;
  line.SizeNo = goods.SizeNo;
  line.ColorName = goods.ColorName;
  line.SizeName = goods.SizeName;
  line.BarCode = goods.BarCode;
  line.ProduceArea = goods.ProduceArea;
  line.Model = goods.Model;
  line.BaseUnit = goods.BaseUnit;
  line.MinSPrice = goods.MinSPrice;
  line.Quantity = r * quantity;
  line.OrigPrice = goods.SRefPrice;
  line.CKPrice = goods.CostPrice;
  line.Price = resolved.price;
  line.CXOrderNo = promotion.OrderNo;
  line.CXFlag = promotion.CXFlag;
  if (giftOrderNo.isEmpty()) {
    line.CXQty = promotion.CXQty;
    line.GiftQty = promotion.GiftQty;
    line.AddMoney = promotion.AddMoney;
  }

  // A line a promotion gives (buy N get M) keeps the promotion's price: the goods' special
  // price or fixed discount would charge for what the promotion gives away.
  const bool given_by_promotion = !giftOrderNo.isEmpty();

  // The discount the line would have at an ordinary price: typed, the goods' fixed discount
  // or the discount promotion's, times the card's where the shop lets discounts multiply.
  double d = scan.discount;
  if (fixed_discount && !given_by_promotion) {
    d = *fixed_discount;
    if (CardDiscountMultiplies(session, order)) d = order.CardDiscount * d / 100;
  }
  const bool discount_promotion = promotion.found && promotion.CXFlag == kDiscountPromotion;
  if (discount_promotion) {
    d = promotion.Discount;
    if (CardDiscountMultiplies(session, order)) d = order.CardDiscount * d / 100;
  }

  // A promotion, member or special price is net: it takes no discount, and the name says
  // which price it is.
  const bool special_promotion = promotion.found && promotion.CXFlag == kSpecialPricePromotion;
  int flag = resolved.PriceFlag;
  if ((goods.DiscountFlag == 1 || special_promotion) && !given_by_promotion) flag = kSpecialPrice;
  line.Discount = flag >= kGoodsPromotion && flag <= kSpecialPrice ? 100 : d;
  switch (flag) {
    case kGoodsPromotion:
      line.GoodsName = goods.GoodsName + QStringLiteral("【促销】");
      line.Memo = QStringLiteral("【促销】");
      break;
    case kMemberPrice:
      line.GoodsName = goods.GoodsName + QStringLiteral("【会员价】");
      line.Memo = QStringLiteral("【会员价】");
      break;
    case kSpecialPrice:
      line.Price = special_promotion ? promotion.SPrice : goods.SRefPrice;
      line.GoodsName = goods.GoodsName + QStringLiteral("【特价】");
      line.Memo = QStringLiteral("【特价】");
      break;
    default:
      line.GoodsName = goods.GoodsName;
      break;
  }
  // A fixed discount names itself in the memo; the name keeps the price label.
  if ((fixed_discount && !given_by_promotion) || discount_promotion) {
    line.Memo = QStringLiteral("【固定折扣】");
  }
  // A gift costs nothing, whatever the price would have been.
  if (scan.isGift) {
    line.Price = 0;
    line.GoodsName = goods.GoodsName + QStringLiteral("【礼品】");
    line.Memo = QStringLiteral("【礼品】");
    flag = kGiftPrice;
    // A gift belongs to no promotion of its goods: only the promotion that gave it (if any)
    // marks it, so a gift with no promotion's number is one exchanged for points.
    line.CXOrderNo.clear();
    line.CXFlag = kNoPromotion;
  }
  line.PriceFlag = flag;
  RefuseNegativePrice(goods, line.Price);
  lines.Append(line);
  ++order.NextSerialNo;
  return AddResult::Added;
}

}  // namespace quilmo
