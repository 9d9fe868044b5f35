#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include "base/error.h"
#include "base/money.h"
#include "data/connection.h"

namespace quilmo {

// The text of every refusal for a balance that does not cover a payment.
inline QString BalanceShortText() { return QStringLiteral("卡内余额不够！"); }

// A card's balance did not cover what was to be taken off it.
class BalanceShortError : public Error {
 public:
  BalanceShortError() : Error(BalanceShortText()) {}
};

// Takes a payment off a stored-value card's balance, in the caller's transaction, in one
// statement that takes it only when the balance covers it. Two tills paying from one card at
// once cannot both take the money the card holds: the second statement waits for the first
// and then sees the lower balance. On the server the card's DownLogNo moves on, so the other
// tills' download fetches the new balance. An amount of 0 takes nothing and succeeds; a
// negative amount (a return paid back to the card) is always taken.
// False, with nothing changed, when the balance (null counts as 0) is short or the card is
// unknown: the save then fails with BalanceShortText().
bool DebitStoredValue(const Connection& connection, const QString& cards_code, Money amount);

// What the upload of an offline sale took off the card on the server.
struct UploadDebit {
  Money Debited;    // taken off the balance
  Money Shortfall;  // what the balance did not cover; recorded in QTCardShortfall
};

// The upload's debit of a sale that was made offline against the till's copy of the card.
// The sale happened and is uploaded as it was made, so it is never refused here: the balance
// gives what it holds, down to zero and never below, and whatever it did not cover is written
// to QTCardShortfall under the order's number, for the back office to settle. In the upload's
// server transaction, so a failing upload leaves neither debit nor record behind.
UploadDebit DebitStoredValueOnUpload(const Connection& server, const QString& order_no,
                                     const QString& cards_code, Money amount, QDateTime now);

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
