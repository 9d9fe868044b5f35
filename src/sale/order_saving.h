#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/money.h"
#include "base/pos_session.h"
#include "base/ui.h"
#include "data/tdmfm.h"
#include "sale/order.h"

namespace quilmo {

// Saving an order failed; nothing of it was stored. The message is the reason, as the
// cashier reads it after "保存单据错误！原因：".
class SaveError : public Error {
 public:
  using Error::Error;
};

// The refusal of a stored-value payment the card's balance does not cover.
inline QString BalanceShortText() { return QStringLiteral("卡内余额不够！"); }

// Card points are kept to two decimals, as the back office shows them: every figure of points
// (earned, spent, adjusted, the card's total) is rounded to the hundredth on its decimal value,
// so sums such as 0.1 + 0.2 stay 0.3 in memory, in the local file and on the server.
inline constexpr int kPointDecimals = 2;
// The most points one adjustment or one card may hold; beyond that a figure is a slip.
inline constexpr double kMostPoints = 99999999.99;
double RoundPoints(double points);
// Why a number of points cannot be used (not finite, or beyond kMostPoints either way);
// nothing when it can. `field` names the figure in the message ("积分").
std::optional<QString> PointsRefusal(double points, const QString& field);

// Whether a gift line was exchanged for the card's points: a gift (Memo "【礼品】", PriceFlag
// 11) that no promotion gave. A gift a "spend X, add cash" promotion gave carries that
// promotion's number and was paid with the added cash.
bool IsPointsGift(const OrderLine& line);

// Whether a line's amount earns no points on the card: the goods' own promotion price or a
// promotion's line while SPNotDiscount is set, a member price while VIPNotDiscount is set.
bool EarnsNoPoints(const OrderLine& line, const PosSession& options);

// The points value of an order's points gifts (IsPointsGift): Quantity × OrigPrice, 0 for an
// order without a card.
double GiftAmount(const OrderHeader& header, const std::vector<OrderLine>& lines);

// The points an order earns on its card, from the order itself: (RealAmount − the amount of
// lines that earn none) / PerJFAmount (0 counts as 1) − its points gifts' points, rounded to
// kPointDecimals. The amount that earns none never exceeds what was paid (a money-off line
// makes the lines worth more than the order), so a sale lowers the card's points only by the
// points it spent on gifts, and a return only by what it gives back. The same order
// earns the same points whether it is saved at checkout or uploaded later; nothing of the
// till's state at that moment (the card held then) enters.
double OrderPoints(const OrderHeader& header, const std::vector<OrderLine>& lines,
                   const PosSession& options);

// Why an order may not be booked as it stands, or empty when it reconciles: its Amount is the
// sum of its lines, RealAmount is Amount less AdjustAmount and never crosses zero, cash, card,
// bank card and vouchers add up to RealAmount, each of them has the sign of RealAmount (a sale
// takes money, a return gives it back) and the change is never negative. Whatever a screen did,
// an order that breaks one of these never reaches the books.
QString OrderMismatch(const OrderHeader& header, const std::vector<OrderLine>& lines);

// Where and how an order is stored.
struct SaveRequest {
  bool on_server = false;    // the account database; else the local file
  bool add_to_shift = true;  // checkout adds the cash to the open shift; the upload does not
  bool only_new = false;     // the upload: an order the server holds already is left alone
  // The upload of a sale made offline: it happened already, so a stored-value payment the
  // server's balance no longer covers takes what the balance holds and records the shortfall
  // instead of refusing the order.
  bool uploaded = false;
};

enum class SaveOutcome {
  Saved,
  AlreadyStored,  // only_new, and the server had it: nothing written
};

// Named moments of a save, for a caller that wants to watch it (the reliability tests stop the
// process at each). Steps: "pending-written", "server-sending", "server-committed",
// "shift-applied",
// "local-header", "local-lines", "local-before-commit", "local-committed".
using SaveStepHook = std::function<void(std::string_view step)>;

// Stores the order: header and lines, the card update, the promotion quantities sold and, on
// the server with XSTotal, the stock posting, all in one transaction; a stored-value payment
// the card's balance does not cover refuses the save with BalanceShortText(); then the cash into
// the shift record. On the server the shift record (in the local file) is updated after the
// server's commit, through QTShiftPending, so a program that dies between the two leaves a
// row that SettlePendingShiftAmounts completes. Throws SaveError (nothing stored) on failure,
// an order that does not reconcile (OrderMismatch) included; a sale made offline and uploaded
// is left to the server's own checks, since it was checked when it was saved and old sales must
// still get through.
SaveOutcome StoreOrder(TDMFM& dm, const OrderHeader& header, const std::vector<OrderLine>& lines,
                       const SaveRequest& request, const SaveStepHook& hook = {});

// Checkout's save in the mode's database: a failure is shown in the box "保存单据错误！原因："
// with the reason (no caption, error icon) and answers false.
bool SaveOrder(TDMFM& dm, Ui& ui, const OrderHeader& header, const std::vector<OrderLine>& lines,
               bool add_to_shift, const SaveStepHook& hook = {});

// The card's points once the order is stored: the card's total as the mode's database holds it
// now (another till may have changed it since the card was read), or, when it cannot be read,
// `before` plus the points the order earned.
double CardPointsAfterSale(TDMFM& dm, const OrderHeader& header,
                           const std::vector<OrderLine>& lines, double before);

// The card's totals, points and balance after a sale, in the caller's transaction on the local
// file: one statement that treats a missing value as 0 and touches that card only, and takes
// the stored-value payment only when the balance covers it. False, with nothing changed, when
// it does not (or the card is unknown) and the order pays from the card. (On the server the
// save's own statement does the same and also moves the card's DownLogNo.)
bool UpdateCardAfterSale(const Connection& local, const OrderHeader& header, double points);

// The stock posting's answer: a goods name means the sale is refused, with the negative-stock
// message; nothing else stops it.
void CheckDaySaleTotal(const QString& vetoed_goods_name);

// Adds an amount to a column of a shift record (SaleAmount for a sale, GetAmount for a cash
// withdrawal) and to, or for a withdrawal from, its OverAmount, in one statement on the local
// file. A missing value counts as 0.
void AddToShiftAmount(const Connection& local, const QString& shift_no, const QString& column,
                      bool adds_to_balance, Money amount);

// Completes the shift amounts of server saves that a program left unfinished: the cash is
// added where the server holds the order (once no save of it is in flight). A row whose order
// the server does not hold stays, since a save of it may still be on its way or be tried again,
// until the final settling at the shift close drops it. Needs the server; offline, or when it
// cannot be asked, the rows wait. Returns how many rows were settled.
int SettlePendingShiftAmounts(TDMFM& dm, bool final = false);

// The header and lines of an order stored in the local file.
bool ReadStoredOrder(const Connection& local, const QString& order_no, OrderHeader& header,
                     std::vector<OrderLine>& lines);

// The lines of an order being rung up, as a save takes them.
std::vector<OrderLine> LinesOf(const OrderLines& lines);

}  // namespace quilmo
