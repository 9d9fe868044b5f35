#pragma once

#include <QDateTime>
#include <QSqlRecord>
#include <QString>
#include <optional>
#include <stdexcept>

#include "base/error.h"
#include "data/tdmfm.h"
#include "sale/goods_candidate.h"
#include "sale/goods_lookup.h"
#include "sale/order.h"
#include "sale/sale_context.h"

namespace quilmo {

// How a line's price came about (OrderLine.PriceFlag).
enum PriceFlagValue {
  kOrdinaryPrice = 0,   // typed, unit-rate price or the store's price level
  kGoodsPromotion = 1,  // the goods' own promotion price: 【促销】
  kMemberPrice = 2,     // the card's member price: 【会员价】
  kSpecialPrice = 3,    // special-price goods or a special-price promotion: 【特价】
  kGiftPrice = 11,      // a gift at price 0: 【礼品】
};

// Promotion kinds (QTCXOrder.CXFlag), carried on every line.
enum PromotionKind {
  kGivenLine = -2,  // a line a promotion gave (gift, money line)
  kNoPromotion = -1,
  kSpecialPricePromotion = 1,
  kDiscountPromotion = 2,
  kBuyNGetM = 3,
  kSpendXGetMoneyOff = 4,
  kSpendXGetDiscount = 5,
  kDiscountByPieces = 9,
  kSpendXAddCashForGift = 10,
};

// A value of the goods data that cannot be what it must be: a fixed discount (ProduceArea)
// that is not a number. The sale screen reports it like any other error; no line is added.
class GoodsDataError : public Error {
 public:
  using Error::Error;
};

// The store's current promotion of a goods: the promotion order's goods row and the order's
// kind and parameters.
struct Promotion {
  bool found = false;
  QString OrderNo;  // empty when none was found
  int CXFlag = kNoPromotion;
  int CXQty = 0;
  int GiftQty = 0;
  double AddMoney = 0;
  Money SPrice;         // special price (kind 1)
  double Discount = 0;  // percent (kind 2)
  QString StoreNoList;
};

struct ResolvedPrice {
  Money price;
  int PriceFlag = kOrdinaryPrice;
};

// What pricing a goods reads from the mode's database. Online it comes in one statement (the
// goods' prices, the store's level price, its promotion and the server's time); offline the
// goods row only, the rest is read where it is needed, as the local file answers at once.
struct PricingFacts {
  QString goodsNo;
  QSqlRecord goods;                    // the goods' price columns; empty when not on file
  QDateTime now;                       // the time promotion windows are judged by
  std::optional<Money> levelPrice;     // known online: StoreLevelPrice
  std::optional<Promotion> promotion;  // known online: FindPromotion
};
PricingFacts ReadPricingFacts(TDMFM& dm, const QString& goodsNo);

// Turns the chosen goods into a line of the order: price, promotion, discount, label and
// PriceFlag, then appends it and advances NextSerialNo, or adds the quantity to the current
// line when that line is the same goods, colour and size at the same price.
AddResult BuildOrderLine(SaleContext& sale, Order& order, const GoodsCandidate& goods,
                         const Scan& scan);

// The goods' own price: its promotion (whose counters are written to JBGoods at once), the
// card's member price, the unit-rate prices, the store's price level.
// `quantity` is in scanned units.
ResolvedPrice ResolveGoodsPrice(SaleContext& sale, const PricingFacts& facts, const Order& order,
                                double quantity, const GoodsCandidate& goods);

// The goods' price at this store's price level (1 to 4), else its reference price.
Money StoreLevelPrice(TDMFM& dm, const QString& goodsNo);

// Whether a promotion's comma-separated store list names the store as one of its entries.
bool StoreListHas(const QString& storeNoList, const QString& storeNo);

// The approved promotion order that has the goods, lists this store and runs today (first
// and last day included).
Promotion FindPromotion(TDMFM& dm, const QString& goodsNo);

// This store's stock of a goods in one colour and size, on the server; 0 when it has none.
double GetStoreStock(TDMFM& dm, const QString& goodsNo, const QString& colorNo,
                     const QString& sizeNo);

// A number as the till writes it into messages: the shortest decimal text, no exponent.
QString NumberText(double value);

}  // namespace quilmo
