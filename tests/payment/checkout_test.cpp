#include "payment/checkout.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "app/till_devices.h"
#include "base/ini_file.h"
#include "payment/screens/frm_qtxs_pay.h"
#include "sale/saving_fixture.h"
#include "support/screen_helpers.h"

namespace quilmo {
namespace {

using namespace Qt::StringLiterals;

class RecordingDevices : public CheckoutDevices {
 public:
  void ShowOnDisplay(int state, Money amount) override {
    calls << u"display %1 %2"_s.arg(state).arg(amount.ShortText());
  }
  void OpenCashDrawer() override { calls << u"drawer"_s; }
  bool PrintReceipt(const Order& order, int copies) override {
    calls << u"receipt %1 x%2"_s.arg(order.header.OrderNo).arg(copies);
    return printer_works;
  }
  bool ReprintLastReceipt() override {
    calls << u"reprint"_s;
    return printer_works;
  }
  bool printer_works = true;
  QStringList calls;
};

class CheckoutTest : public test::SavingTest {
 protected:
  void SetUp() override {
    SavingTest::SetUp();
    if (HasFatalFailure()) return;
    Goods(u"G88"_s, u"B088"_s, 88.5);
    Goods(u"G89"_s, u"B089"_s, 88.49);
    Right(15);
    for (const char* key : {"HaveScreen", "HaveCashBox", "HavePrinter"}) {
      WriteIniString(session.IniFile, u"HardWareSet"_s, QString::fromLatin1(key), u"Y"_s);
    }
  }
  void Right(int id) {
    Insert(u"QTCashierRight"_s, {{u"CashierNo"_s, session.CashierNo}, {u"RightID"_s, id}});
  }
  // Rings up one goods and opens the checkout with the cashier's actions.
  CheckoutResult Pay(const QString& code, std::function<void(CheckoutFlow&)> actions,
                     StoredValuePart part = {}) {
    NewOrder(u"XS0120261210000001"_s, {code});
    ui.OnCheckout(std::move(actions));
    return Checkout(pay, order, part);
  }
  QString StoredHeader(const char* column) {
    return dm.Current()
        .Scalar(u"SELECT %1 FROM QTSaleOrder WHERE OrderNo = :No"_s.arg(QLatin1StringView(column)),
                {{u":No"_s, header.OrderNo}})
        .toString();
  }

  RecordingDevices devices;
  PaymentContext pay{dm, ui, devices};
};
QUILMO_BOTH_MODES(CheckoutTest);

TEST_P(CheckoutTest, TheFirstOkTakesTheExactAmountTheSecondSavesAndDrivesTheDevicesInOrder) {
  const CheckoutResult result = Pay(u"B088"_s, [](CheckoutFlow& flow) {
    EXPECT_EQ(flow.amountText(), u"88.50  "_s);
    EXPECT_EQ(flow.Confirm(), CheckoutFlow::OkResult::FilledExact);
    EXPECT_EQ(flow.receivedText(), u"88.50  "_s);
    EXPECT_EQ(flow.changeText(), u"0.00   "_s);
    EXPECT_TRUE(flow.selectReceived());
    EXPECT_FALSE(flow.saved());
    EXPECT_EQ(flow.Confirm(), CheckoutFlow::OkResult::Saved);
  });
  EXPECT_TRUE(result.saved);
  EXPECT_EQ((QStringList{result.due, result.received, result.change}),
            (QStringList{u"88.50"_s, u"88.50"_s, u"0.00"_s}));
  EXPECT_EQ(devices.calls, (QStringList{u"display 2 88.5"_s, u"drawer"_s,
                                        u"receipt XS0120261210000001 x1"_s, u"display 3 0"_s}));
  EXPECT_EQ(StoredHeader("RealAmount").toDouble(), 88.5);
  EXPECT_EQ(StoredHeader("CashAmount").toDouble(), 88.5);
  EXPECT_DOUBLE_EQ(D(ShiftRow(), "SaleAmount"), 88.5);
}

TEST_P(CheckoutTest, ChangeChecksRoundingAndTheReceiptSwitch) {
  Pay(u"B088"_s, [this](CheckoutFlow& flow) {
    flow.ReceivedEdited(u"200"_s);
    EXPECT_EQ(ui.last(), u"提示！|找零金额不能大于100"_s);
    EXPECT_EQ(flow.receivedText(), QString());
    flow.ReceivedEdited(u"abc"_s);
    EXPECT_EQ(ui.last(), u"提示！|您输入的非数字类型！"_s);
    flow.ReceivedEdited(u"80"_s);
    EXPECT_EQ(flow.changeText(), u"-8.50  "_s);
    EXPECT_EQ(flow.Confirm(), CheckoutFlow::OkResult::Refused);
    EXPECT_EQ(ui.last(), u"提示！|实收款不能小于应收款"_s);
    flow.ReceivedEdited(u"188.50"_s);
    EXPECT_EQ(flow.changeText(), u"100.00 "_s);
    flow.ReceivedEdited(u"100"_s);
    // F6 rounds the order's own amount, F5 takes an amount off it; each replaces the other.
    flow.RoundWhole();
    EXPECT_EQ(flow.amountText(), u"89.00  "_s);
    EXPECT_EQ(flow.changeText(), u"11.00  "_s);
    ui.Type(u"0.50"_s);
    flow.RoundOff();
    EXPECT_EQ(ui.inputRequests().back().caption, u"抹零金额输入"_s);
    EXPECT_EQ(flow.amountText(), u"88.00  "_s);
    EXPECT_EQ(flow.changeText(), u"12.00  "_s);
    flow.TogglePrint();
    EXPECT_EQ(flow.printLabel(), u"打印小票[F9]"_s);
    EXPECT_EQ(flow.Confirm(), CheckoutFlow::OkResult::Saved);
  });
  EXPECT_EQ(StoredHeader("AdjustAmount").toDouble(), 0.5);
  EXPECT_EQ(StoredHeader("BackAmount").toDouble(), 12);
  EXPECT_EQ(StoredHeader("RealAmount").toDouble(), 88);
  // No receipt with printing switched off; display and drawer still act.
  EXPECT_EQ(devices.calls, (QStringList{u"display 2 100"_s, u"drawer"_s, u"display 3 12"_s}));
}

TEST_P(CheckoutTest, RoundingFollowsTheSignOfTheAmountAndNeedsTheRight) {
  struct Case {
    Money amount;
    bool whole;  // F6, else F5 with 0.50
    const char* due;
  };
  for (const Case& c : {Case{Money::FromUnits(885000), true, "89.00  "},
                        Case{Money::FromUnits(884900), true, "88.00  "},
                        Case{Money::FromUnits(-885000), true, "-89.00 "},
                        Case{Money::FromUnits(-885000), false, "-88.00 "}}) {
    Order o;
    o.header.Amount = o.header.RealAmount = c.amount;
    CheckoutFlow flow(pay, o);
    if (!c.whole) ui.Type(u"0.50"_s);
    c.whole ? flow.RoundWhole() : flow.RoundOff();
    EXPECT_EQ(flow.amountText(), QString::fromLatin1(c.due)) << c.amount.ShortText().toStdString();
  }
  dm.Current().Exec(u"DELETE FROM QTCashierRight"_s);
  Order o;
  o.header.Amount = o.header.RealAmount = Money::FromUnits(885000);
  CheckoutFlow flow(pay, o);
  flow.RoundWhole();
  flow.RoundOff();
  EXPECT_EQ(ui.texts().mid(ui.texts().size() - 2),
            (QStringList{u"对不起，您没有抹零的权限！"_s, u"对不起，您没有抹零的权限！"_s}));
  EXPECT_EQ(flow.amountText(), u"88.50  "_s);
}

TEST_P(CheckoutTest, CardAndBankCardPartsAreRecordedWithTheCashThatIsLeft) {
  // Stored-value card 60 and extra cash 40 on 100.
  Card(u"SV001"_s, u"储值卡"_s, 500);
  NewOrder(u"XS0120261210000001"_s, {u"A001"_s}, u"SV001"_s);
  order.CardType = 2;
  ui.OnCheckout([](CheckoutFlow& flow) {
    EXPECT_TRUE(flow.receivedReadOnly());
    EXPECT_TRUE(flow.cardPayVisible());
    EXPECT_EQ(flow.receivedText(), u"100.00 "_s);
    EXPECT_EQ(flow.changeText(), u"0.00   "_s);
    flow.Confirm();
  });
  ASSERT_TRUE(Checkout(pay, order, {60, 40}).saved);
  EXPECT_EQ(StoredHeader("CardAmount").toDouble(), 60);
  EXPECT_EQ(StoredHeader("CashAmount").toDouble(), 40);
  EXPECT_EQ(StoredHeader("AdjustAmount").toDouble(), 0);
  EXPECT_EQ(StoredHeader("BackAmount").toDouble(), 0);
  EXPECT_DOUBLE_EQ(D(CardRow(u"SV001"_s, GetParam()), "Amount"), 440);

  // Bank card 50, vouchers 20 and cash 30 on 100; a stored-value order keeps such parts too.
  for (int card_type : {0, 2}) {
    NewOrder(u"XS012026121000001%1"_s.arg(card_type), {u"A001"_s},
             card_type ? u"SV001"_s : QString());
    order.CardType = card_type;
    ui.OnCheckout([](CheckoutFlow& flow) {
      flow.ApplyBankCard(QString(), 50, 30, 20);
      EXPECT_EQ(flow.receivedText(), u"100.00 "_s);
      flow.Confirm();
    });
    ASSERT_TRUE(Checkout(pay, order, {}).saved) << card_type;
    EXPECT_EQ(StoredHeader("BankCardAmount").toDouble(), 50);
    EXPECT_EQ(StoredHeader("Card1Amount").toDouble(), 20);
    EXPECT_EQ(StoredHeader("CashAmount").toDouble(), 30);
    EXPECT_EQ(StoredHeader("BankCardNo"), QString());
  }
}

// Each way a part or the due can move, on a 100 sale: the parts saved always pay exactly the
// due, none is negative, the card pays no more than is owed and the change is never negative.
TEST_P(CheckoutTest, ThePartsAlwaysReconcileWithTheAmountDue) {
  Card(u"SV001"_s, u"储值卡"_s, 500);
  struct Saved {
    double real, card, cash, bank, voucher, adjust, back;
  };
  struct Case {
    const char* name;
    StoredValuePart card;  // a stored-value card order when not zero
    std::function<void(CheckoutFlow&)> steps;
    const char* notice;  // the last notice, empty for none
    Saved saved;
  };
  auto off = [this](const char* amount) {
    return [this, amount](CheckoutFlow& f) {
      ui.Type(QString::fromLatin1(amount));
      f.RoundOff();
    };
  };
  const Case cases[] = {
      {"round-off above the due",
       {},
       off("150"),
       "抹零金额须在0到100之间！",
       {100, 0, 100, 0, 0, 0, 0}},
      {"negative round-off", {}, off("-10"), "抹零金额须在0到100之间！", {100, 0, 100, 0, 0, 0, 0}},
      {"whole round-off", {}, off("100"), "", {0, 0, 0, 0, 0, 100, 0}},
      {"card falls with the due", {100, 0}, off("10"), "", {90, 90, 0, 0, 0, 10, 0}},
      {"card part under the new due keeps its cash",
       {60, 40},
       off("10"),
       "",
       {90, 60, 30, 0, 0, 10, 10}},
      {"card above the due at opening", {120, 0}, {}, "", {100, 100, 0, 0, 0, 0, 0}},
      {"negative bank card",
       {},
       [](CheckoutFlow& f) { f.ApplyBankCard(QString(), -50, 150, 0); },
       "银行卡付额须在0到应收款100之间！",
       {100, 0, 100, 0, 0, 0, 0}},
      {"negative voucher",
       {},
       [](CheckoutFlow& f) { f.ApplyBankCard(QString(), 0, 150, -50); },
       "现金卷付额须在0到应收款100之间！",
       {100, 0, 100, 0, 0, 0, 0}},
      {"bank and voucher together above the due",
       {},
       [](CheckoutFlow& f) { f.ApplyBankCard(QString(), 60, 0, 60); },
       "储值卡、银行卡与现金卷合计不能超过应收款100！",
       {100, 0, 100, 0, 0, 0, 0}},
      {"card and bank together above the due",
       {60, 40},
       [](CheckoutFlow& f) { f.ApplyBankCard(QString(), 60, 0, 0); },
       "储值卡、银行卡与现金卷合计不能超过应收款100！",
       {100, 60, 40, 0, 0, 0, 0}},
      {"card and bank share the due",
       {60, 0},
       [](CheckoutFlow& f) { f.ApplyBankCard(QString(), 30, 10, 0); },
       "",
       {100, 60, 10, 30, 0, 0, 0}},
      {"round-off below the bank part asks it again",
       {},
       [this](CheckoutFlow& f) {
         f.ApplyBankCard(QString(), 50, 20, 30);
         ui.Type(u"90"_s);
         f.RoundOff();
       },
       "应收款已改变，请重新输入银行卡/现金卷金额！",
       {10, 0, 10, 0, 0, 90, 90}},
  };
  int serial = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const bool card = !c.card.card.IsZero() || !c.card.cash.IsZero();
    NewOrder(u"XS01202612100000%1"_s.arg(++serial, 2, 10, QLatin1Char('0')), {u"A001"_s},
             card ? u"SV001"_s : QString());
    order.CardType = card ? 2 : 0;
    ui.clear();
    ui.OnCheckout([&](CheckoutFlow& flow) {
      if (c.steps) c.steps(flow);
      EXPECT_EQ(ui.texts().isEmpty() ? QString() : ui.texts().back(), QString::fromUtf8(c.notice));
      if (flow.Confirm() == CheckoutFlow::OkResult::FilledExact) flow.Confirm();
    });
    ASSERT_TRUE(Checkout(pay, order, c.card).saved) << ui.last().toStdString();
    const Saved got{
        StoredHeader("RealAmount").toDouble(),  StoredHeader("CardAmount").toDouble(),
        StoredHeader("CashAmount").toDouble(),  StoredHeader("BankCardAmount").toDouble(),
        StoredHeader("Card1Amount").toDouble(), StoredHeader("AdjustAmount").toDouble(),
        StoredHeader("BackAmount").toDouble()};
    EXPECT_EQ((std::vector<double>{got.real, got.card, got.cash, got.bank, got.voucher, got.adjust,
                                   got.back}),
              (std::vector<double>{c.saved.real, c.saved.card, c.saved.cash, c.saved.bank,
                                   c.saved.voucher, c.saved.adjust, c.saved.back}));
  }
}

class OnlineCheckoutTest : public CheckoutTest {};
INSTANTIATE_TEST_SUITE_P(Online, OnlineCheckoutTest, ::testing::Values(true));

TEST_P(OnlineCheckoutTest, TheServerLostAtCheckoutLeavesNothingAndTheSameOrderIsFinishedOffline) {
  NewOrder(u"XS0120261210000001"_s, {u"A001"_s}, u"VIP001"_s);
  // The server goes away between ringing up and paying.
  const QString pid = dm.conServer.Scalar(u"SELECT pg_backend_pid()"_s).toString();
  Connection admin(u"admin"_s, Engine::Server);
  QString error;
  ASSERT_TRUE(admin.OpenServer({server().host, server().port, server().user, server().password},
                               databaseName(), &error));
  admin.Exec(u"SELECT pg_terminate_backend(:Pid)"_s, {{u":Pid"_s, pid.toInt()}});
  AppContext app{session, dm, ui, clock, HomePath()};
  pay.server_lost = [&] { return SwitchOfflineAfterServerLoss(app); };
  ui.OnCheckout([&](CheckoutFlow& flow) {
    flow.ReceivedEdited(u"100"_s);
    EXPECT_EQ(flow.Confirm(), CheckoutFlow::OkResult::Failed);
    const QStringList texts = ui.texts();
    ASSERT_GE(texts.size(), 3);
    EXPECT_TRUE(texts[texts.size() - 3].startsWith(u"保存单据错误！原因："_s));
    EXPECT_EQ(texts[texts.size() - 2], u"保存单据失败！"_s);
    EXPECT_EQ(ui.last(), u"提示|网络故障！系统自动切换到『断网销售』模式。"_s);
    EXPECT_FALSE(session.IsOnline);
    EXPECT_EQ(flow.Confirm(), CheckoutFlow::OkResult::Saved);
  });
  ASSERT_TRUE(Checkout(pay, order).saved);
  EXPECT_EQ(admin.Scalar(u"SELECT COUNT(*) FROM QTSaleOrder"_s).toInt(), 0);
  EXPECT_TRUE(
      admin.Scalar(u"SELECT TotalSaleCount FROM QTCards WHERE CardsCode = 'VIP001'"_s).isNull());
  EXPECT_EQ(Count(u"QTSaleOrder"_s, header.OrderNo, false), 1);
  EXPECT_EQ(Count(u"QTSaleOrderDetail"_s, header.OrderNo, false), 1);
  EXPECT_DOUBLE_EQ(D(ShiftRow(), "SaleAmount"), 100);
  EXPECT_EQ(dm.conClient.Scalar(u"SELECT COUNT(*) FROM QTShiftPending"_s).toInt(), 0);
  EXPECT_EQ(D(CardRow(u"VIP001"_s, false), "PointTotal"), 10);
}

// The checkout opened through its port, shown as the real dialog, driven by keys.
class ScreenUi : public test::ScriptedUi {
 public:
  void ShowCheckout(CheckoutFlow& flow) override {
    TfrmQTXSPay screen(flow);
    shown = &screen;
    QTimer::singleShot(0, [this] {
      ASSERT_TRUE(QTest::qWaitForWindowActive(shown, 1000));
      keys();
    });
    screen.exec();
    shown = nullptr;
  }
  std::function<void()> keys;
  TfrmQTXSPay* shown = nullptr;
};

class CheckoutScreenTest : public CheckoutTest {
 protected:
  ScreenUi screen_ui;
  PaymentContext screen_pay{dm, screen_ui, devices};
};
INSTANTIATE_TEST_SUITE_P(Offline, CheckoutScreenTest, ::testing::Values(false));

TEST_P(CheckoutScreenTest, KeysOnTheDialogRoundPayAndSave) {
  using test::Press;
  NewOrder(u"XS0120261210000001"_s, {u"B088"_s});
  QStringList seen;
  screen_ui.keys = [&] {
    TfrmQTXSPay* s = screen_ui.shown;
    EXPECT_EQ(s->windowTitle(), u"前台收款"_s);
    EXPECT_FALSE(s->lblCardPay->isVisible());
    EXPECT_TRUE(s->Label6->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(s->suiEdtReciveAmount));
    Press(Qt::Key_F6);
    seen << s->suiEdtAmount->text();
    QTest::keyClicks(s->suiEdtReciveAmount, u"100"_s);
    seen << s->suiEdtBackAmount->text();
    Press(Qt::Key_F9);
    seen << s->Label5->text();
    Press(Qt::Key_Return);  // to the OK button
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(s->suiBtSave));
    Press(Qt::Key_Return);  // OK: saved and closed
  };
  const CheckoutResult result = Checkout(screen_pay, order);
  EXPECT_EQ(seen, (QStringList{u"89.00  "_s, u"11.00  "_s, u"打印小票[F9]"_s}));
  EXPECT_TRUE(result.saved);
  EXPECT_EQ(result.change, u"11.00"_s);
  EXPECT_EQ(Count(u"QTSaleOrder"_s, header.OrderNo, false), 1);
  EXPECT_EQ(devices.calls, (QStringList{u"display 2 100"_s, u"drawer"_s, u"display 3 11"_s}));

  // Esc leaves without saving; the order stays as it was.
  NewOrder(u"XS0120261210000002"_s, {u"A001"_s});
  screen_ui.keys = [] { Press(Qt::Key_Escape); };
  EXPECT_FALSE(Checkout(screen_pay, order).saved);
  EXPECT_EQ(Count(u"QTSaleOrder"_s, header.OrderNo, false), 0);
}

// F4 hands the amount due to the bank-card and voucher dialog, F2 the order's amount to the
// stored-value dialog of a stored-value card; the parts they agree are saved.
TEST_P(CheckoutScreenTest, F4AndF2OpenThePaymentDialogsAndTheirPartsAreSaved) {
  using test::Press;
  NewOrder(u"XS0120261210000001"_s, {u"A001"_s});
  screen_ui.AnswerBankCardPay({true, 50, 30, 20, QString()});
  QString received;
  screen_ui.keys = [&] {
    Press(Qt::Key_F4);
    received = screen_ui.shown->suiEdtReciveAmount->text();
    Press(Qt::Key_F12);
  };
  ASSERT_TRUE(Checkout(screen_pay, order).saved);
  EXPECT_EQ(screen_ui.bankCardPayDues(), std::vector<Money>{100});
  EXPECT_EQ(received, u"100.00 "_s);
  EXPECT_EQ(StoredHeader("BankCardAmount").toDouble(), 50);
  EXPECT_EQ(StoredHeader("Card1Amount").toDouble(), 20);
  EXPECT_EQ(StoredHeader("CashAmount").toDouble(), 30);

  // A stored-value card: the checkout opens with the 60 + 40 agreed before; F2 changes it to
  // 70 + 30.
  Card(u"SV001"_s, u"储值卡"_s, 500);
  NewOrder(u"XS0120261210000002"_s, {u"A001"_s}, u"SV001"_s);
  order.CardsCode = u"SV001"_s;
  order.CardType = 2;
  screen_ui.AnswerCardPay({true, 70, 30});
  bool card_pay_shown = false;
  screen_ui.keys = [&] {
    card_pay_shown = screen_ui.shown->lblCardPay->isVisible();
    Press(Qt::Key_F2);
    received = screen_ui.shown->suiEdtReciveAmount->text();
    Press(Qt::Key_F12);
  };
  ASSERT_TRUE(Checkout(screen_pay, order, {60, 40}).saved);
  EXPECT_TRUE(card_pay_shown);
  ASSERT_EQ(screen_ui.cardPayRequests().size(), 1u);
  EXPECT_EQ(screen_ui.cardPayRequests()[0].AmountDue, 100);
  EXPECT_EQ(screen_ui.cardPayRequests()[0].Balance, 500);
  EXPECT_EQ(received, u"100.00 "_s);
  EXPECT_EQ(StoredHeader("CardAmount").toDouble(), 70);
  EXPECT_EQ(StoredHeader("CashAmount").toDouble(), 30);
  EXPECT_DOUBLE_EQ(D(CardRow(u"SV001"_s, false), "Amount"), 430);
}

// A receipt that does not print leaves the saved sale's dialog open on its closing state:
// Ctrl+P prints it again and closes once it printed; PrintTwo asks for two copies.
TEST_P(CheckoutScreenTest, AReceiptThatDidNotPrintCanBePrintedAgainBeforeTheDialogCloses) {
  using test::Press;
  session.PrintTwo = true;
  devices.printer_works = false;
  NewOrder(u"XS0120261210000001"_s, {u"A001"_s});
  bool stayed = false, reprint_shown = false, stayed_after_failed_reprint = false;
  screen_ui.keys = [&] {
    TfrmQTXSPay* s = screen_ui.shown;
    EXPECT_FALSE(s->lblReprint->isVisible());
    Press(Qt::Key_F12);  // the exact amount
    Press(Qt::Key_F12);  // saved; the receipt fails
    stayed = s->isVisible();
    reprint_shown = s->lblReprint->isVisible();
    Press(Qt::Key_P, Qt::ControlModifier);  // the printer still fails
    stayed_after_failed_reprint = s->isVisible();
    devices.printer_works = true;
    Press(Qt::Key_P, Qt::ControlModifier);
  };
  EXPECT_TRUE(Checkout(screen_pay, order).saved);
  EXPECT_TRUE(stayed);
  EXPECT_TRUE(reprint_shown);
  EXPECT_TRUE(stayed_after_failed_reprint);
  EXPECT_EQ(devices.calls.filter(u"re"_s),
            (QStringList{u"receipt XS0120261210000001 x2"_s, u"reprint"_s, u"reprint"_s}));
  EXPECT_EQ(Count(u"QTSaleOrder"_s, header.OrderNo, false), 1);
}

}  // namespace
}  // namespace quilmo
