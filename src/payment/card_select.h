#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

#include "base/money.h"
#include "data/connection.h"
#include "payment/card_context.h"
#include "sale/order.h"
#include "sale/sale_context.h"

namespace quilmo {

// The texts of the card kinds and sales types that mean something to the till.
inline constexpr QStringView kStoredValueCard = u"储值卡";
inline constexpr QStringView kMemberPriceSale = u"会员价消费";
inline constexpr QStringView kPointsDiscountSale = u"累计积分折扣";
inline constexpr QStringView kGiftExchangeSale = u"积分兑换礼品";
inline constexpr QStringView kFixedDiscountSale = u"固定折扣";

// A card as the till reads it from QTCards. Its password stays in the database: the till only
// needs to know whether there is one, and asks the database whether a typed one matches.
struct CardRecord {
  QString CardsCode;
  QString Telephone;
  int StopFlag = 0;
  QDateTime SendDate;   // null when the column is
  QDateTime BeginDate;  // the validity date; null = no end
  bool HasPassword = false;
  QString HolderName;
  QString SendOperator;
  QString CardType;
  QString SalesType;
  double Discount = 0;
  Money TotalSaleAmount;
  double PointTotal = 0;
  Money Amount;
};

// The card lookup: the card with this number, else the first card, by number, that has this
// telephone. Nothing when neither exists. The text is bound as typed.
std::optional<CardRecord> FindCard(const Connection& connection, const QString& code_or_phone);

// The discount of accumulated points: the tier whose bounds (both included) hold the points;
// where tiers overlap, the highest one the points reach. 100 when no tier holds them.
double CardDiscountForPoints(const Connection& connection, double points);

// A card is past its validity date when it was issued after that date, or when today is later
// than the day of that date. A card without a validity date never expires.
bool CardExpired(const CardRecord& card, QDate today);

// Whether the typed password is the card's. The text is compared by the database, sent apart
// from the statement, and never kept.
bool CardPasswordMatches(const Connection& connection, const QString& cards_code,
                         const QString& password);

// A parked order's card back on the order, by the rules of choosing it (no password asked
// again: the cashier gave it when the card was chosen). False, with the order untouched, for a
// card no longer there, stopped or past its validity date.
bool RestoreCardOnOrder(CardContext& cards, const QString& cards_code, Order& order);

// Puts a card into the order's state: the card, its holder and points, the kind (2 for a
// stored-value card, else 1), the sales type and what it means for discounts.
void TakeCard(const Connection& connection, const CardRecord& card, Order& order);

// What the card dialog shows of the card it took.
struct CardView {
  QString CardType;
  QString SalesType;
  QString HolderName;
  QString SendOperator;
  QString SendDate;          // yyyy-MM-dd, empty when the card has none
  QString ValidDate;         // yyyy-MM-dd, empty when the card has none
  bool StoredValue = false;  // the balance and the top-up button show
  bool ShowDiscount = false;
  bool ShowAddPoint = false;
  QString Discount;
  QString Amount;
  QString Points;
};

// The card dialog's Enter: checks the typed card number or telephone (unknown, stopped,
// expired, the password when the card has one) and takes the card into the order. Nothing
// when the card was refused (the cashier was told) or the password dialog was cancelled.
std::optional<CardView> IdentifyCard(CardContext& cards, Order& order, const QString& typed);

// What a maintenance command of the card dialog came to.
struct CardAction {
  bool NoCard = false;           // refused because no card is taken: the card edit wants the focus
  std::optional<QString> Shown;  // the label's new text, when the value changed
};

// Adds to or takes off the card's points (right 12, online only). `shown_points` is the text
// of the points label.
CardAction AdjustCardPoints(CardContext& cards, const Order& order, const QString& shown_points);

// Tops up a stored-value card (right 16, online only). The server's transaction numbers the
// top-up, writes its row and changes the balance; the till's copy of the card follows only
// once that is committed, so a top-up the server refused never shows at this till. Shown is
// the server's balance after the top-up.
CardAction TopUpCard(CardContext& cards, const Order& order);

// Changes the card's password (right 17, online only) through its dialog.
CardAction ChangeCardPasswordOf(CardContext& cards, const Order& order);

// Opens the card dialog for the order; true when a card was taken.
bool SelectCardForOrder(CardContext& cards, Order& order);

// The sale screen's F4: only on an order without lines; the card dialog, then the card on the
// order's header and at once the gift exchange of a card that exchanges points for gifts.
// True when a card was chosen; the screen then shows the card's discount (CardDiscount) in
// its discount edit for cards that discount every goods that follows.
bool ChooseCardForSale(CardContext& cards, SaleContext& sale, Order& order);

// A number as the dialogs show it: its shortest text ("90", "1500", "0.5").
QString ShortNumber(double value);

}  // namespace quilmo
