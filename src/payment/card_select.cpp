#include "payment/card_select.h"

#include <QSqlRecord>
#include <cmath>

#include "base/gbk.h"
#include "base/ini_file.h"
#include "base/input_rules.h"
#include "data/rights.h"
#include "data/values_apart.h"
#include "payment/card_balance.h"
#include "sale/promotions.h"
#include "sale/shift_record.h"

namespace quilmo {
namespace {

const QString kCardColumns = QStringLiteral(
    "CardsCode, Telephone, StopFlag, SendDate, BeginDate, HolderName, SendOperator, CardType, "
    "SalesType, Discount, TotalSaleAmount, PointTotal, Amount, "
    "CASE WHEN COALESCE(Password, '') = '' THEN 0 ELSE 1 END AS HasPassword");

CardRecord ReadCard(const QSqlRecord& r) {
  CardRecord card;
  card.CardsCode = r.value(QStringLiteral("CardsCode")).toString();
  card.Telephone = r.value(QStringLiteral("Telephone")).toString();
  card.StopFlag = r.value(QStringLiteral("StopFlag")).toInt();
  card.SendDate = ToDateTime(r.value(QStringLiteral("SendDate")));
  card.BeginDate = ToDateTime(r.value(QStringLiteral("BeginDate")));
  card.HasPassword = r.value(QStringLiteral("HasPassword")).toInt() != 0;
  card.HolderName = r.value(QStringLiteral("HolderName")).toString();
  card.SendOperator = r.value(QStringLiteral("SendOperator")).toString();
  card.CardType = r.value(QStringLiteral("CardType")).toString();
  card.SalesType = r.value(QStringLiteral("SalesType")).toString();
  card.Discount = r.value(QStringLiteral("Discount")).toDouble();
  card.TotalSaleAmount = Money::FromVariant(r.value(QStringLiteral("TotalSaleAmount")));
  // A total written before points were kept to the hundredth reads as the hundredth.
  card.PointTotal = RoundPoints(r.value(QStringLiteral("PointTotal")).toDouble());
  card.Amount = Money::FromVariant(r.value(QStringLiteral("Amount")));
  return card;
}

// The three maintenance commands share their guards: the right, a card, online.
bool MayMaintain(CardContext& cards, const Order& order, int right, const QString& refusal,
                 CardAction& action) {
  if (!HasRight(cards.dm, cards.session().CashierNo, right)) {
    cards.ui.ShowNoticeBox(refusal);
    return false;
  }
  if (order.CardsCode.isEmpty()) {
    cards.ui.ShowNoticeBox(QStringLiteral("请输入卡号！"));
    action.NoCard = true;
    return false;
  }
  if (!cards.session().IsOnline) {
    cards.ui.ShowNoticeBox(QStringLiteral("该功能必须在连网状态下进行！"));
    return false;
  }
  return true;
}

void ShowFailure(CardContext& cards, const QString& lead, const QString& reason) {
  cards.ui.MessageBox(QString(), lead + reason, MsgIcon::Error, MsgButtons::Ok);
}

// A change the server has committed but the till's copy of the card missed. Saying that it
// failed would have the cashier do it a second time on the server; the download brings the
// till's copy up to date, since the change moved the card's DownLogNo on.
void ShowLocalCopyStale(CardContext& cards, const QString& done, const QString& reason) {
  cards.ui.MessageBox(QString(), done + QStringLiteral("，本机卡资料未能更新！原因：") + reason,
                      MsgIcon::Error, MsgButtons::Ok);
}

const QString kNextDownLogNo =
    QStringLiteral("DownLogNo = (SELECT COALESCE(MAX(DownLogNo), 0) + 1 FROM QTCards)");

QString HardWare(const PosSession& session, const char* key) {
  return ReadIniString(session.IniFile, QStringLiteral("HardWareSet"), QString::fromLatin1(key));
}

// The slip of a top-up on the till's text printer, when it has one: the number is what the
// customer quotes to the back office.
void PrintTopUpSlip(CardContext& cards, const QString& cards_code, Money amount,
                    const TopUpDone& done) {
  const PosSession& session = cards.session();
  if (!cards.print_text || HardWare(session, "HavePrinter") != QStringLiteral("Y")) return;
  const QStringList lines = {
      QStringLiteral("      储值卡冲值"),
      QString(),
      QStringLiteral("冲值单号：") + done.AddCardNo,
      QStringLiteral("卡    号：") + cards_code,
      QStringLiteral("冲值金额：") + amount.ToString(2),
      QStringLiteral("卡内余额：") + done.NewBalance.ToString(2),
      QStringLiteral("收 银 员：") + session.CashierName,
      cards.dm.clock().Now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
      QString(),
      QString(),
  };
  QByteArray bytes;
  for (const QString& line : lines) bytes += EncodeGbk(line) + QByteArrayLiteral("\r\n");
  // The top-up is made whatever the printer does; a failure is only reported.
  RunReported(cards.ui, [&] { cards.print_text(HardWare(session, "PrintPort"), bytes); });
}

}  // namespace

QString ShortNumber(double value) {
  return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

std::optional<CardRecord> FindCard(const Connection& connection, const QString& code_or_phone) {
  QSqlRecord r = connection.FirstRow(
      QStringLiteral("SELECT %1 FROM QTCards WHERE CardsCode = :Code ORDER BY CardNo LIMIT 1")
          .arg(kCardColumns),
      {{QStringLiteral(":Code"), code_or_phone}});
  if (r.isEmpty()) {
    // Several cards may share a telephone; the first by card number is taken, the same one
    // every time.
    r = connection.FirstRow(QStringLiteral("SELECT %1 FROM QTCards WHERE Telephone = :Phone "
                                           "ORDER BY CardsCode, CardNo LIMIT 1")
                                .arg(kCardColumns),
                            {{QStringLiteral(":Phone"), code_or_phone}});
  }
  if (r.isEmpty()) return std::nullopt;
  return ReadCard(r);
}

double CardDiscountForPoints(const Connection& connection, double points) {
  const QVariant discount = connection.Scalar(
      QStringLiteral("SELECT Discount FROM QTCardDiscount WHERE DownAmount <= :Points "
                     "AND UpAmount >= :Points ORDER BY DownAmount DESC, IntegralNo LIMIT 1"),
      {{QStringLiteral(":Points"), points}});
  return discount.isValid() ? discount.toDouble() : 100;
}

bool CardExpired(const CardRecord& card, QDate today) {
  if (card.BeginDate.isNull()) return false;
  if (!card.SendDate.isNull() && card.SendDate > card.BeginDate) return true;
  return today > card.BeginDate.date();
}

bool CardPasswordMatches(const Connection& connection, const QString& cards_code,
                         const QString& password) {
  return ExecValuesApart(connection,
                         QStringLiteral("SELECT CardsCode FROM QTCards WHERE CardsCode = "
                                        ":CardsCode AND Password = :Password"),
                         {{QStringLiteral(":CardsCode"), cards_code},
                          {QStringLiteral(":Password"), password}}) > 0;
}

namespace {

// The discount the card would give this order, when it is not one a sale can use: beyond
// 100 it would charge a multiple of the price, at or below 0 (or not a number) give the
// goods away. 0 on a fixed-discount card means none, as TakeCard reads it.
std::optional<double> UnusableCardDiscount(const Connection& connection, const CardRecord& card) {
  double discount = 100;
  if (card.SalesType == kPointsDiscountSale) {
    discount = CardDiscountForPoints(connection, card.PointTotal);
  } else if (card.SalesType != kMemberPriceSale && card.SalesType != kGiftExchangeSale) {
    discount = card.Discount != 0 ? card.Discount : 100;
  }
  if (std::isfinite(discount) && discount > 0 && discount <= 100) return std::nullopt;
  return discount;
}

}  // namespace

void TakeCard(const Connection& connection, const CardRecord& card, Order& order) {
  order.CardsCode = card.CardsCode;
  order.HolderName = card.HolderName;
  order.PointTotal = card.PointTotal;
  order.GiftPoints = 0;
  order.CardType = card.CardType == kStoredValueCard ? 2 : 1;
  order.SalesType = card.SalesType;
  if (card.SalesType == kMemberPriceSale) {
    // Member prices come from the goods; the card gives no discount of its own.
    order.CardDiscount = 100;
    order.DiscountMode = 2;
  } else if (card.SalesType == kPointsDiscountSale) {
    order.CardDiscount = CardDiscountForPoints(connection, card.PointTotal);
    order.DiscountMode = 1;
  } else if (card.SalesType == kGiftExchangeSale) {
    order.DiscountMode = 0;
  } else {
    order.CardDiscount = card.Discount != 0 ? card.Discount : 100;
    order.DiscountMode = 1;
  }
}

bool RestoreCardOnOrder(CardContext& cards, const QString& cards_code, Order& order) {
  const Connection& connection = cards.dm.Current();
  const std::optional<CardRecord> card = FindCard(connection, cards_code);
  if (!card || card->CardsCode != cards_code || card->StopFlag == 1 ||
      CardExpired(*card, cards.dm.ServerNow().date()) || UnusableCardDiscount(connection, *card)) {
    return false;
  }
  TakeCard(connection, *card, order);
  return true;
}

std::optional<CardView> IdentifyCard(CardContext& cards, Order& order, const QString& typed) {
  const QString text = typed.trimmed();
  if (text.isEmpty()) {
    cards.ui.ShowNoticeBox(QStringLiteral("请输入会员卡号！"));
    return std::nullopt;
  }
  const Connection& connection = cards.dm.Current();
  const std::optional<CardRecord> found = FindCard(connection, text);
  if (!found) {
    cards.ui.ShowNoticeBox(QStringLiteral("你输入的会员卡号不存在！"));
    return std::nullopt;
  }
  const CardRecord& card = *found;
  if (card.StopFlag == 1) {
    cards.ui.ShowNoticeBox(QStringLiteral("对不起，您的卡号已经被停止使用了！"));
    return std::nullopt;
  }
  if (CardExpired(card, cards.dm.ServerNow().date())) {
    cards.ui.ShowNoticeBox(QStringLiteral("对不起，您的卡号已过期！"));
    return std::nullopt;
  }
  if (const std::optional<double> bad = UnusableCardDiscount(connection, card)) {
    cards.ui.ShowNoticeBox(QStringLiteral("会员卡%1的折扣“%2”不在1-100之间，不能使用！")
                               .arg(card.CardsCode, ShortNumber(*bad)));
    return std::nullopt;
  }
  if (card.HasPassword) {
    const bool confirmed = cards.ui.CardPasswordInput(card.CardsCode, [&](const QString& entered) {
      // Runs inside the dialog's own key handling: an error is shown here, and the dialog
      // stays open to be tried again or cancelled.
      bool matches = false;
      if (!RunReported(cards.ui, [&] {
            matches = CardPasswordMatches(connection, card.CardsCode, entered);
          })) {
        return false;
      }
      if (!matches) cards.ui.ShowNoticeBox(QStringLiteral("您输入的密码不正确，请重新输入！"));
      return matches;
    });
    if (!confirmed) return std::nullopt;
  }
  TakeCard(connection, card, order);

  CardView view;
  view.CardType = card.CardType;
  view.SalesType = card.SalesType;
  view.HolderName = card.HolderName;
  view.SendOperator = card.SendOperator;
  if (!card.SendDate.isNull()) view.SendDate = card.SendDate.toString(QStringLiteral("yyyy-MM-dd"));
  if (!card.BeginDate.isNull()) {
    view.ValidDate = card.BeginDate.toString(QStringLiteral("yyyy-MM-dd"));
  }
  view.StoredValue = order.CardType == 2;
  view.ShowDiscount = card.SalesType != kGiftExchangeSale;
  view.ShowAddPoint = card.SalesType == kPointsDiscountSale || card.SalesType == kGiftExchangeSale;
  view.Discount = ShortNumber(order.CardDiscount);
  view.Amount = card.Amount.ShortText();
  view.Points = ShortNumber(card.PointTotal);
  return view;
}

CardAction AdjustCardPoints(CardContext& cards, const Order& order, const QString& shown_points) {
  CardAction action;
  if (!MayMaintain(cards, order, 12, QStringLiteral("对不起，您没有冲减积分的权限！"), action)) {
    return action;
  }
  bool number = false;
  double shown = shown_points.trimmed().toDouble(&number);
  if (!number) shown = 0;
  const InputResult input = cards.ui.Input(
      {QStringLiteral("冲减积分"), QStringLiteral("积分"), InputKind::Number, NumberField::Points});
  if (!input.confirmed) return action;
  // The adjustment checks its figure itself: whatever dialog asked, "NaN", "inf" or a slip of
  // the finger never reaches a card.
  const TypedNumber typed = ReadTypedNumber(input.value, NumberField::Points);
  if (!typed) {
    cards.ui.ShowNoticeBox(typed.message);
    return action;
  }
  if (const std::optional<QString> refusal =
          PointsRefusal(typed.number(), QStringLiteral("积分"))) {
    cards.ui.ShowNoticeBox(*refusal);
    return action;
  }
  const double points = RoundPoints(typed.number());
  if (points == 0) return action;

  const QVariantMap params{{QStringLiteral(":Amount"), points},
                           {QStringLiteral(":CardsCode"), order.CardsCode}};
  try {
    cards.dm.conServer.Exec(
        QStringLiteral("UPDATE QTCards SET PointTotal = ROUND(CAST(COALESCE(PointTotal, 0) + "
                       ":Amount AS NUMERIC), 2), %1 "
                       "WHERE CardsCode = :CardsCode")
            .arg(kNextDownLogNo),
        params);
  } catch (const Error& e) {
    ShowFailure(cards, QStringLiteral("冲减积分失败！原因："), e.message());
    return action;
  }
  action.Shown = ShortNumber(RoundPoints(shown + points));
  try {
    cards.dm.conClient.Exec(QStringLiteral("UPDATE QTCards SET PointTotal = "
                                           "ROUND(COALESCE(PointTotal, 0) + :Amount, 2) WHERE "
                                           "CardsCode = :CardsCode"),
                            params);
  } catch (const Error& e) {
    ShowLocalCopyStale(cards, QStringLiteral("积分已冲减"), e.message());
  }
  return action;
}

CardAction TopUpCard(CardContext& cards, const Order& order) {
  CardAction action;
  if (!MayMaintain(cards, order, 16, QStringLiteral("对不起，您没有储值卡冲值的权限！"), action)) {
    return action;
  }
  // A correction may be negative; either way no more than a till takes at once.
  const InputResult input =
      cards.ui.Input({QStringLiteral("储值卡冲值"), QStringLiteral("冲值金额"), InputKind::Number,
                      NumberField::SignedAmount});
  if (!input.confirmed || input.value.trimmed().isEmpty()) return action;
  const TypedNumber typed = ReadTypedNumber(input.value, NumberField::SignedAmount);
  if (!typed) {
    cards.ui.ShowNoticeBox(typed.message);
    return action;
  }
  const Money amount = typed.value;
  if (amount.IsZero()) return action;

  TopUpDone done;
  try {
    done = AddCardAmountOnServer(
        cards.dm.conServer,
        {order.CardsCode, amount, cards.session().CashierName, cards.dm.clock().Now().date()});
  } catch (const Error& e) {
    ShowFailure(cards, QStringLiteral("储值卡冲值失败！原因："), e.message());
    return action;
  }
  // The balance shown is the server's own after the top-up, not the one shown before plus the
  // amount: another till may have paid from the card since.
  action.Shown = done.NewBalance.ShortText();
  const PosSession& session = cards.session();
  // The cash taken is the shift's: it is in the drawer, so the shift expects it there.
  if (session.OverFlag == 0 && !session.OnOverOrderNo.isEmpty()) {
    try {
      AddTopUpToShift(cards.dm.conClient, session.OnOverOrderNo, done.AddCardNo, order.CardsCode,
                      amount);
    } catch (const Error& e) {
      ShowFailure(cards, QStringLiteral("冲值现金未能记入当班！原因："), e.message());
    }
  }
  cards.ui.ShowNoticeBox(QStringLiteral("冲值成功！冲值单号：") + done.AddCardNo);
  PrintTopUpSlip(cards, order.CardsCode, amount, done);
  try {
    cards.dm.conClient.Exec(QStringLiteral("UPDATE QTCards SET Amount = ROUND(COALESCE(Amount, "
                                           "0) + :Amount, 4) WHERE CardsCode = :CardsCode"),
                            {{QStringLiteral(":Amount"), QVariant::fromValue(amount)},
                             {QStringLiteral(":CardsCode"), order.CardsCode}});
  } catch (const Error& e) {
    ShowLocalCopyStale(cards, QStringLiteral("储值卡已冲值"), e.message());
  }
  return action;
}

CardAction ChangeCardPasswordOf(CardContext& cards, const Order& order) {
  CardAction action;
  if (!MayMaintain(cards, order, 17, QStringLiteral("对不起，您没有修改卡密码的权限！"), action)) {
    return action;
  }
  const QString code = order.CardsCode;
  cards.ui.ChangeCardPassword(code, [&](const CardPasswordChange& change) {
    // Runs inside the dialog's own key handling: an error while checking ends the change.
    bool matches = false;
    if (!RunReported(cards.ui, [&] {
          matches = CardPasswordMatches(cards.dm.Current(), code, change.OldPassword);
        })) {
      return CardPasswordStep::Closed;
    }
    if (!matches) {
      cards.ui.ShowNoticeBox(QStringLiteral("您输入旧密码不正确！"));
      return CardPasswordStep::WrongOld;
    }
    if (change.NewPassword != change.Confirmation) {
      cards.ui.ShowNoticeBox(QStringLiteral("您输入新密码与新密码确认不一致！"));
      return CardPasswordStep::Mismatch;
    }
    const QVariantMap params{{QStringLiteral(":Password"), change.NewPassword},
                             {QStringLiteral(":CardsCode"), code}};
    try {
      ExecValuesApart(cards.dm.conServer,
                      QStringLiteral("UPDATE QTCards SET Password = :Password, %1 WHERE "
                                     "CardsCode = :CardsCode")
                          .arg(kNextDownLogNo),
                      params);
    } catch (const Error& e) {
      ShowFailure(cards, QStringLiteral("修改卡密码失败！原因："), e.message());
      return CardPasswordStep::Closed;
    }
    try {
      ExecValuesApart(cards.dm.conClient,
                      QStringLiteral("UPDATE QTCards SET Password = :Password WHERE CardsCode = "
                                     ":CardsCode"),
                      params);
    } catch (const Error& e) {
      ShowLocalCopyStale(cards, QStringLiteral("卡密码已修改"), e.message());
    }
    return CardPasswordStep::Closed;
  });
  return action;
}

bool SelectCardForOrder(CardContext& cards, Order& order) {
  return cards.ui.SelectCards(cards, order);
}

bool ChooseCardForSale(CardContext& cards, SaleContext& sale, Order& order) {
  if (!order.lines.empty()) {
    cards.ui.ShowNoticeBox(QStringLiteral(
        "会员/储值卡的消费必须在开单之前！\r\n 请在删除当前所有记录再选择会员/储值卡"));
    return false;
  }
  const bool chosen = SelectCardForOrder(cards, order);
  if (!chosen || order.CardsCode.isEmpty()) return chosen;
  order.header.CardCode = order.CardsCode;
  if (order.SalesType == kGiftExchangeSale && order.PointTotal > 0) {
    ExchangePointsForGift(sale, order);
  }
  return true;
}

}  // namespace quilmo
