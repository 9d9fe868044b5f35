#include "payment/card_balance.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

#include "data/tdmfm.h"

namespace quilmo {
namespace {

// Sets the card's DownLogNo past every other card's, so the next download of every till
// fetches it.
const QString kNextDownLogNo =
    QStringLiteral("DownLogNo = (SELECT COALESCE(MAX(DownLogNo), 0) + 1 FROM QTCards)");

QVariant AsValue(Money m) { return QVariant::fromValue(m); }

}  // namespace

bool DebitStoredValue(const Connection& connection, const QString& cards_code, Money amount) {
  if (amount.IsZero()) return true;
  const QVariantMap params{{QStringLiteral(":CardsCode"), cards_code},
                           {QStringLiteral(":Amount"), AsValue(amount)}};
  if (connection.engine() == Engine::Server) {
    const QString cover =
        amount > 0 ? QStringLiteral(" AND COALESCE(Amount, 0) >= :Amount") : QString();
    return connection.Exec(QStringLiteral("UPDATE QTCards SET Amount = COALESCE(Amount, 0) - "
                                          ":Amount, %1 WHERE CardsCode = :CardsCode%2")
                               .arg(kNextDownLogNo, cover),
                           params) > 0;
  }
  // The local file keeps amounts as REAL: rounded to the ten-thousandth a balance cannot drift
  // away from what the cashier sees, and a payment of exactly the balance is never refused.
  const QString cover =
      amount > 0 ? QStringLiteral(" AND ROUND(COALESCE(Amount, 0), 4) >= :Amount") : QString();
  return connection.Exec(QStringLiteral("UPDATE QTCards SET Amount = ROUND(COALESCE(Amount, 0) "
                                        "- :Amount, 4) WHERE CardsCode = :CardsCode%1")
                             .arg(cover),
                         params) > 0;
}

UploadDebit DebitStoredValueOnUpload(const Connection& server, const QString& order_no,
                                     const QString& cards_code, Money amount, QDateTime now) {
  UploadDebit result;
  if (amount.IsZero()) return result;
  if (amount < 0) {
    DebitStoredValue(server, cards_code, amount);
    result.Debited = amount;
    return result;
  }
  // The card's row stays locked until the upload commits, so what is read here is what the
  // balance is when the debit lands.
  const QSqlRecord card = server.FirstRow(
      QStringLiteral("SELECT COALESCE(Amount, 0) AS Amount FROM QTCards "
                     "WHERE CardsCode = :CardsCode ORDER BY CardNo LIMIT 1 FOR UPDATE"),
      {{QStringLiteral(":CardsCode"), cards_code}});
  if (!card.isEmpty()) {
    const Money balance = Money::FromVariant(card.value(QStringLiteral("Amount")));
    result.Debited = std::clamp(balance, Money(), amount);
    if (!result.Debited.IsZero() && !DebitStoredValue(server, cards_code, result.Debited)) {
      throw BalanceShortError();  // cannot happen under the row lock
    }
  }
  result.Shortfall = amount - result.Debited;
  if (!result.Shortfall.IsZero()) {
    server.Exec(QStringLiteral("INSERT INTO QTCardShortfall (OrderNo, CardsCode, CardAmount, "
                               "DebitAmount, ShortAmount, UploadDate) VALUES (:OrderNo, "
                               ":CardsCode, :CardAmount, :DebitAmount, :ShortAmount, :UploadDate)"),
                {{QStringLiteral(":OrderNo"), order_no},
                 {QStringLiteral(":CardsCode"), cards_code},
                 {QStringLiteral(":CardAmount"), AsValue(amount)},
                 {QStringLiteral(":DebitAmount"), AsValue(result.Debited)},
                 {QStringLiteral(":ShortAmount"), AsValue(result.Shortfall)},
                 {QStringLiteral(":UploadDate"), now}});
  }
  return result;
}

TopUpDone AddCardAmountOnServer(const Connection& server, const TopUp& top_up) {
  Transaction transaction(server, /*immediate=*/true);
  // Top-ups are numbered by the largest number so far; taking the table's lock first makes
  // two tills number one after the other instead of both taking the same number. Readers of
  // the table are not held up.
  if (server.engine() == Engine::Server) {
    server.Exec(QStringLiteral("LOCK TABLE QTAddCardAmount IN SHARE ROW EXCLUSIVE MODE"));
  }
  TopUpDone done;
  done.AddCardNo =
      NextNumberText(server, QStringLiteral("QTAddCardAmount"), QStringLiteral("AddCardNo"));

  const QVariantMap card{{QStringLiteral(":CardsCode"), top_up.CardsCode},
                         {QStringLiteral(":Amount"), AsValue(top_up.Amount)}};
  const QString set =
      server.engine() == Engine::Server
          ? QStringLiteral("Amount = COALESCE(Amount, 0) + :Amount, ") + kNextDownLogNo
          : QStringLiteral("Amount = ROUND(COALESCE(Amount, 0) + :Amount, 4)");
  QSqlQuery q =
      server.Query(QStringLiteral("UPDATE QTCards SET %1 WHERE CardsCode = :CardsCode "
                                  "AND COALESCE(Amount, 0) + :Amount >= 0 RETURNING Amount")
                       .arg(set),
                   card);
  if (!q.next()) {
    q.finish();
    const bool known =
        server
            .Query(QStringLiteral("SELECT CardsCode FROM QTCards WHERE CardsCode = :CardsCode"),
                   {{QStringLiteral(":CardsCode"), top_up.CardsCode}})
            .next();
    if (!known) throw Error(QStringLiteral("你输入的会员卡号不存在！"));
    throw BalanceShortError();
  }
  done.NewBalance = Money::FromVariant(q.value(0));
  q.finish();
  done.EndAmount = done.NewBalance - top_up.Amount;

  server.Exec(
      QStringLiteral("INSERT INTO QTAddCardAmount (AddCardNo, CardsCode, AddDate, Operator, "
                     "EndAmount, Amount) VALUES (:AddCardNo, :CardsCode, :AddDate, "
                     ":Operator, :EndAmount, :Amount)"),
      {{QStringLiteral(":AddCardNo"), done.AddCardNo},
       {QStringLiteral(":CardsCode"), top_up.CardsCode},
       {QStringLiteral(":AddDate"), top_up.AddDate.startOfDay()},
       {QStringLiteral(":Operator"), top_up.Operator},
       {QStringLiteral(":EndAmount"), AsValue(done.EndAmount)},
       {QStringLiteral(":Amount"), AsValue(top_up.Amount)}});
  transaction.Commit();
  return done;
}

}  // namespace quilmo
