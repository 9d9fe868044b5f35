// Thousands of random sales rung up and paid through the operations the sale screen and the
// checkout dialog call, with every amount checked after each save. A failing run prints its
// seed; QUILMO_WALK_SEED replays it and QUILMO_WALK_SALES sets how many sales a mode makes.

#include <QSqlRecord>
#include <cmath>
#include <random>

#include "base/money.h"
#include "payment/checkout.h"
#include "sale/sale_desk.h"
#include "sale/saving_fixture.h"
#include "sale/suspended_orders.h"

namespace quilmo {
namespace {

using namespace Qt::StringLiterals;

class SilentDevices : public CheckoutDevices {
 public:
  void ShowOnDisplay(int, Money) override {}
  void OpenCashDrawer() override {}
  bool PrintReceipt(const Order&, int) override { return true; }
  bool ReprintLastReceipt() override { return true; }
};

// What the mode's database holds of one saved order.
struct SavedOrder {
  QSqlRecord header;
  QList<QSqlRecord> lines;
};

Money M(const QSqlRecord& row, const char* column) {
  return Money::FromVariant(row.value(QLatin1StringView(column)));
}

class SaleWalkTest : public test::SavingTest {
 protected:
  void SetUp() override {
    SavingTest::SetUp();
    if (HasFatalFailure()) return;
    // Prices with cents, below a unit and large, so rounding and sums are put to work.
    Goods(u"G4"_s, u"A004"_s, 19.99);
    Goods(u"G5"_s, u"A005"_s, 0.35);
    Goods(u"G6"_s, u"A006"_s, 1234.56);
    Goods(u"G7"_s, u"A007"_s, 88.88);
    Insert(u"QTCards"_s, {{u"CardNo"_s, u"SV01"_s},
                          {u"CardsCode"_s, u"SV01"_s},
                          {u"CardType"_s, u"储值卡"_s},
                          {u"Amount"_s, 1000000},
                          {u"PointTotal"_s, 0},
                          {u"DownLogNo"_s, 7}});
    // Sell, discounts, prices, returns, gifts and rounding off.
    for (Right r : {Right::Sell, Right::Discount, Right::ChangePrice, Right::Returns, Right::Gift,
                    Right::RoundOff}) {
      Insert(u"QTCashierRight"_s,
             {{u"CashierNo"_s, session.CashierNo}, {u"RightID"_s, static_cast<int>(r)}});
    }
  }

  template <class T>
  const T& Pick(const std::vector<T>& from) {
    return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(random_)];
  }
  bool Chance(double p) { return std::bernoulli_distribution(p)(random_); }
  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  // An amount as a cashier might type it, now and then absurd.
  QString AmountText(Money due) {
    switch (Between(0, 7)) {
      case 0:
        return due.ToString(2);
      case 1:
        return Money::FromUnits(due.units() / Between(2, 5)).ToString(2);
      case 2:
        return (due + Money::Whole(Between(1, 200))).ToString(2);
      case 3:
        return (-Money::Whole(Between(1, 50))).ToString(2);
      case 4:
        return Pick<QString>({u"1e5"_s, u"NaN"_s, u"inf"_s, u"abc"_s, u""_s});
      case 5:
        return Money::FromUnits(Between(0, 1000000)).ToString(2);
      default:
        return QString::number(Between(0, 500));
    }
  }

  Money ShiftCash() { return Money::FromVariant(ShiftRow().value(u"SaleAmount"_s)); }
  Money CardBalance() {
    return Money::FromVariant(CardRow(u"SV01"_s, session.IsOnline).value(u"Amount"_s));
  }
  int Orders() { return dm.Current().Scalar(u"SELECT COUNT(*) FROM QTSaleOrder"_s).toInt(); }
  SavedOrder Saved(const QString& order_no) {
    const QVariantMap key{{u":No"_s, order_no}};
    return {dm.Current().FirstRow(u"SELECT * FROM QTSaleOrder WHERE OrderNo = :No"_s, key),
            dm.Current().Rows(u"SELECT * FROM QTSaleOrderDetail WHERE OrderNo = :No"_s, key)};
  }

  // Lines by the entry edits, as the screen hands them on: each edit checked when it is left,
  // a refused one reset to what the check says.
  void RingUp(SaleDesk& desk) {
    EntryTexts entry;
    entry.goods = Pick<QString>(
        {u"A001"_s, u"A002"_s, u"A003"_s, u"A004"_s, u"A005"_s, u"A006"_s, u"A007"_s});
    entry.quantity =
        Chance(0.6) ? u"1"_s
                    : Pick<QString>({u"2"_s, u"0.5"_s, u"1.25"_s, u"3"_s, u"-1"_s, u"99999"_s,
                                     u"100000"_s, u"900000000000"_s, u"1e5"_s, u"0"_s, u"NaN"_s});
    entry.price =
        Chance(0.8)
            ? QString()
            : Pick<QString>({u"12.5"_s, u"0"_s, u"-100"_s, u"99999999"_s, u"7.77"_s, u"inf"_s});
    entry.discount = Chance(0.75)
                         ? u"100"_s
                         : Pick<QString>({u"85"_s, u"50"_s, u"0"_s, u"900"_s, u"-50"_s, u"99.5"_s});
    if (const EntryCheck c = desk.CheckQuantity(entry.quantity); !c.ok) entry.quantity = c.reset;
    if (const EntryCheck c = desk.CheckPrice(entry.price); !c.ok) entry.price = c.reset;
    if (const EntryCheck c = desk.CheckDiscount(entry.discount); !c.ok) entry.discount = c.reset;
    Guarded([&] { desk.EnterGoods(entry); });
  }

  // One change of a line, by whatever way in the screen offers.
  void ChangeALine(SaleDesk& desk) {
    OrderLines& ls = desk.order().lines;
    if (ls.empty()) return;
    const int row = Between(0, ls.size() - 1);
    ls.SetCurrentIndex(row);
    switch (Between(0, 5)) {
      case 0:
        Guarded([&] {
          desk.SetCell(row, GridColumn::Quantity,
                       Pick<QString>({u"2"_s, u"-1"_s, u"0.3"_s, u"100000"_s, u"0"_s, u"4"_s}));
        });
        break;
      case 1:
        Guarded([&] {
          desk.SetCell(row, GridColumn::Price,
                       Pick<QString>({u"-100"_s, u"1"_s, u"55.55"_s, u"10000000"_s, u"0"_s}));
        });
        break;
      case 2:
        Guarded([&] {
          desk.SetCell(row, GridColumn::Discount,
                       Pick<QString>({u"-50"_s, u"900"_s, u"0"_s, u"80"_s, u"100"_s}));
        });
        break;
      case 3:
        Guarded([&] { desk.DeleteCurrentLine(); });
        break;
      case 4:
        Guarded([&] { desk.MakeGift(); });
        break;
      default:
        if (desk.MayDiscountWholeOrder()) {
          desk.discountTarget = DiscountTarget::WholeOrder;
          const QString text = Pick<QString>({u"90"_s, u"75.5"_s, u"150"_s});
          if (desk.CheckDiscount(text).ok) desk.ConfirmDiscount(text);
          desk.discountTarget = DiscountTarget::NextGoods;
        }
        break;
    }
  }

  // Parks the order and takes it back at once: it must come back whole.
  void ParkAndRecall(SaleDesk& desk) {
    if (desk.order().lines.empty()) return;
    const QString no = desk.order().header.OrderNo;
    ui.AnswerYes();
    if (!SuspendOrderCommand(desk.sale(), desk.order())) return;
    desk.DropLines();
    ui.ChooseSuspendedOrder(no);
    RecallSuspendedOrderCommand(desk.sale(), desk.order(),
                                [](const QString&, Order&) { return true; });
  }

  // The checkout dialog worked at random: rounding, card and bank-card parts in any order,
  // the received amount typed, then OK until it saves or refuses.
  void WorkCheckout(CheckoutFlow& flow) {
    for (int steps = Between(0, 4); steps > 0; --steps) {
      const Money due = Money::Parse(flow.amountText().trimmed()).value_or(Money());
      switch (Between(0, 4)) {
        case 0:
          ui.Type(Pick<QString>(
              {u"0.5"_s, u"1"_s, u"150"_s, u"-3"_s, u"1e5"_s, u"abc"_s, due.ToString(2)}));
          flow.RoundOff();
          break;
        case 1:
          flow.RoundWhole();
          break;
        case 2: {
          BankCardPayment part;
          part.Confirmed = true;
          part.BankCardPart = Money::Parse(AmountText(due)).value_or(Money());
          part.VoucherPart =
              Chance(0.5) ? Money() : Money::Parse(AmountText(due)).value_or(Money());
          part.CashPart = due - part.BankCardPart - part.VoucherPart;
          ui.AnswerBankCardPay(part);
          flow.PayByBankCardOrVoucher();
          break;
        }
        case 3:
          if (flow.cardPayVisible()) {
            CardPayment card;
            card.Confirmed = true;
            card.CardPayAmount = Money::Parse(AmountText(due)).value_or(Money());
            card.CashPart = due - card.CardPayAmount;
            ui.AnswerCardPay(card);
            flow.PayFromCard();
          }
          break;
        default:
          if (!flow.receivedReadOnly()) flow.ReceivedEdited(AmountText(due));
          break;
      }
    }
    for (int ok = 0; ok < 3 && !flow.saved(); ++ok) {
      const CheckoutFlow::OkResult r = flow.Confirm();
      if (r == CheckoutFlow::OkResult::Refused || r == CheckoutFlow::OkResult::Failed) {
        if (!flow.receivedReadOnly()) flow.ReceivedEdited(flow.amountText().trimmed());
      }
    }
  }

  // What every saved order must satisfy, whatever was typed on the way.
  void CheckSaved(const QString& order_no, Money cash_before, Money card_before) {
    const SavedOrder s = Saved(order_no);
    ASSERT_FALSE(s.header.isEmpty()) << order_no.toStdString();
    const QSqlRecord& h = s.header;
    const Money amount = M(h, "Amount");
    const Money due = M(h, "RealAmount");
    const Money cash = M(h, "CashAmount");
    const Money card = M(h, "CardAmount");
    const Money bank = M(h, "BankCardAmount");
    const Money voucher = M(h, "Card1Amount");
    const Money change = M(h, "BackAmount");
    const Money limit = Money::FromUnits(99999999900);  // 9999999.99
    Money sum;
    for (const QSqlRecord& l : s.lines) {
      const Money price = M(l, "Price");
      const double quantity = l.value(u"Quantity"_s).toDouble();
      const double discount = l.value(u"Discount"_s).toDouble();
      EXPECT_TRUE(std::isfinite(quantity) && std::abs(quantity) <= 99999) << quantity;
      EXPECT_TRUE(discount >= 0 && discount <= 100) << discount;
      EXPECT_LE(price, limit);
      EXPECT_EQ(M(l, "Amount"), LineAmount(price, quantity, discount, session.AmountPoint))
          << "line " << l.value(u"SerialNo"_s).toInt() << " of " << order_no.toStdString();
      sum += M(l, "Amount");
    }
    EXPECT_EQ(amount, sum) << "the amount is the sum of the lines";
    EXPECT_EQ(due, amount - M(h, "AdjustAmount"));
    EXPECT_FALSE((amount > 0 && due < 0) || (amount < 0 && due > 0)) << "rounding crossed zero";
    EXPECT_EQ(cash + card + bank + voucher, due) << "the parts add up to the amount due";
    EXPECT_GE(change, Money()) << "change is never negative";
    const bool is_return = due < 0;
    for (Money part : {cash, card, bank, voucher}) {
      EXPECT_TRUE(is_return ? part <= Money() : part >= Money()) << part.ShortText().toStdString();
    }
    EXPECT_EQ(ShiftCash() - cash_before, cash) << "the drawer took the cash part";
    EXPECT_EQ(card_before - CardBalance(), card) << "the card paid its part";
    EXPECT_GE(CardBalance(), Money());
    const QVariant points = CardRow(u"SV01"_s, session.IsOnline).value(u"PointTotal"_s);
    EXPECT_TRUE(points.isNull() || std::isfinite(points.toDouble()));
  }

  template <class F>
  void Guarded(F&& work) {
    try {
      work();
    } catch (const Error&) {
      // The screen's handler shows it; the order stays as the operation left it.
    }
  }

  std::mt19937_64 random_;
  SilentDevices devices_;
};

TEST_P(SaleWalkTest, EverySavedOrderAddsUpWhateverWasTyped) {
  const quint64 seed = qEnvironmentVariableIsSet("QUILMO_WALK_SEED")
                           ? qEnvironmentVariable("QUILMO_WALK_SEED").toULongLong()
                           : std::random_device{}();
  const int sales = qEnvironmentVariableIsSet("QUILMO_WALK_SALES")
                        ? qEnvironmentVariableIntValue("QUILMO_WALK_SALES")
                        : 3000;
  SCOPED_TRACE("replay with QUILMO_WALK_SEED=" + std::to_string(seed));
  random_.seed(seed);

  SaleDesk desk(sale);
  ASSERT_TRUE(desk.Open());
  PaymentContext pay{dm, ui, devices_};
  int saved = 0;
  for (int n = 0; n < sales && !HasFailure(); ++n) {
    ui.clear();
    Order& o = desk.order();
    if (Chance(0.3)) {
      // A stored-value card, taken before the first line as F4 requires.
      o.CardsCode = u"SV01"_s;
      o.CardType = 2;
      o.header.CardCode = u"SV01"_s;
    }
    for (int k = Between(1, 6); k > 0; --k) {
      RingUp(desk);
      if (Chance(0.4)) ChangeALine(desk);
      desk.Recalc();
    }
    if (Chance(0.1)) ParkAndRecall(desk);
    desk.Recalc();
    if (o.lines.empty()) {
      desk.StartNewOrder();
      continue;
    }
    const QString order_no = o.header.OrderNo;
    const Money cash_before = ShiftCash();
    const Money card_before = CardBalance();
    const int orders_before = Orders();
    if (o.CardType == 2) {
      CardPayment card;
      card.Confirmed = true;
      card.CardPayAmount = Money::Parse(AmountText(o.header.Amount)).value_or(Money());
      card.CashPart = o.header.Amount - card.CardPayAmount;
      ui.AnswerCardPay(card);
    }
    ui.OnCheckout([this](CheckoutFlow& flow) { WorkCheckout(flow); });
    CheckoutResult result;
    Guarded([&] { result = PayAndCheckout(pay, o); });
    if (result.saved) {
      ++saved;
      CheckSaved(order_no, cash_before, card_before);
      desk.StartNewOrder();
    } else {
      EXPECT_EQ(Orders(), orders_before) << "a refused checkout wrote nothing";
      EXPECT_EQ(ShiftCash(), cash_before);
      EXPECT_EQ(CardBalance(), card_before);
      desk.DropLines();
      desk.StartNewOrder();
    }
  }
  // Most sales get through: a walk that saves nothing checks nothing.
  EXPECT_GT(saved, sales / 4);
}

QUILMO_BOTH_MODES(SaleWalkTest);

}  // namespace
}  // namespace quilmo
