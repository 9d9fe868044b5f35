#include "payment/card_balance.h"

#include <QSqlQuery>

#include "data/tdmfm.h"

namespace quilmo {
namespace {

// Sets the card's DownLogNo past every other card's, so the next download of every till
// fetches it.
const QString kNextDownLogNo =
    QStringLiteral("DownLogNo = (SELECT COALESCE(MAX(DownLogNo), 0) + 1 FROM QTCards)");

QVariant AsValue(Money m) { return QVariant::fromValue(m); }

}  // namespace

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
