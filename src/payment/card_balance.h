#pragma once

#include <QDate>
#include <QString>

#include "base/error.h"
#include "base/money.h"
#include "data/connection.h"
#include "sale/order_saving.h"

namespace quilmo {

// A card's balance did not cover what was to be taken off it. (A sale's payment from the
// card is taken by the save itself, in its transaction: see StoreOrder.)
class BalanceShortError : public Error {
 public:
  BalanceShortError() : Error(BalanceShortText()) {}
};

// One stored-value top-up.
struct TopUp {
  QString CardsCode;
  Money Amount;      // may be negative: a correction, which must not take the balance below 0
  QString Operator;  // the cashier's name
  QDate AddDate;     // the till's day
};

struct TopUpDone {
  QString AddCardNo;
  Money EndAmount;   // the balance just before the top-up
  Money NewBalance;  // the balance just after it
};

// The server's part of a top-up, in one transaction of its own on `server`: the top-up's
// number (the largest so far plus one, "0001" for the first), its QTAddCardAmount row and the
// card's balance and DownLogNo. Top-ups are numbered one after the other, so two tills never
// take the same number. Throws BalanceShortError for a correction the balance does not cover,
// Error for an unknown card, DbError for the database; nothing is written then.
TopUpDone AddCardAmountOnServer(const Connection& server, const TopUp& top_up);

}  // namespace quilmo
