#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/sale_actions.h"
#include "app/screens/frm_main.h"
#include "app/screens/qt_ui.h"
#include "base/ini_file.h"
#include "devices/devices.h"
#include "devices/receipt_store.h"
#include "payment/card_select.h"
#include "payment/checkout.h"
#include "report/screens/report_rendering.h"
#include "sale/screens/frm_qt_sale.h"
#include "support/data_fixture.h"
#include "support/screen_helpers.h"

namespace quilmo {
namespace {

using test::Press;
using test::ShowActive;
using namespace Qt::StringLiterals;

// The till's devices with a pole display that remembers what it was asked to show; the rest
// does nothing.
class RecordingDevices final : public TillDevices {
 public:
  void InitDisplay() override {}
  void ShowOnDisplay(int state, Money amount) override { shown.push_back({state, amount}); }
  bool OpenCashDrawer() override { return true; }
  bool PrintReceipt(const ReceiptData&, int) override { return true; }
  bool ReprintLastReceipt() override { return true; }
  void DesignReceiptTemplate(const ReceiptData&) override {}
  bool PrintShiftReport(const QString&, const ReportPeople&) override { return true; }
  bool PrintShiftText(const QString&, const QByteArray&) override { return true; }
  bool PrintSlipText(const QString&, const QByteArray&) override { return true; }
  void DesignShiftTemplate(const QString&, const ReportPeople&) override {}
  std::vector<std::pair<int, Money>> shown;
};

// F6 on the main window, as the till is put together: the registered handler opens the real
// sale screen modally; the test works the screen from inside its event loop.
class MainSaleKeyTest : public test::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    if (HasFatalFailure()) return;
    session.OverFlag = 0;
    session.CashierNo = u"C1"_s;
    session.ShopCode = u"01"_s;
    ExecBoth(u"INSERT INTO QTCashierRight (CashierNo, RightID) VALUES ('C1', 3)"_s);
    ExecBoth(
        u"INSERT INTO JBGoods (GoodsNo, GoodsCode, GoodsName, SRefPrice) "
        "VALUES ('G1', 'A100', '衬衫', 99)"_s);
    RegisterMainScreens(menu);
    // The scripted Ui stands for QtUi's ShowSaleScreen: the same screen, the boxes scripted.
    ui.OnSaleScreen([this](AppContext& a) {
      RunSaleScreen(a, ui, nullptr);
      return true;
    });
    window = std::make_unique<TfrmMain>(app, menu);
    ShowActive(window.get());
  }
  void TearDown() override {
    window.reset();
    DataTest::TearDown();
  }

  // Presses F6 on the main window and works the sale screen it opens from inside the
  // screen's own event loop; the cashier then leaves it with Esc and Yes.
  void WorkTheSaleScreen(const std::function<void(TfrmQTSale&)>& work) {
    QTimer::singleShot(0, [&] {
      auto* screen = qobject_cast<TfrmQTSale*>(QApplication::activeModalWidget());
      if (!screen) {
        ADD_FAILURE() << "no sale screen";
        return;
      }
      ShowActive(screen);
      work(*screen);
      ui.AnswerYes();
      Press(Qt::Key_Escape);
    });
    Press(Qt::Key_F6);
  }
  // Types a code into the goods edit and presses Enter.
  static void Scan(TfrmQTSale& screen, const QString& code) {
    screen.suiEdtGoods->setText(code);
    screen.suiEdtGoods->setFocus();
    Press(Qt::Key_Return);
  }

  AppContext app{session, dm, ui, clock, HomePath()};
  MainMenu menu;
  std::unique_ptr<TfrmMain> window;
};

TEST_F(MainSaleKeyTest, F6OpensTheSaleScreenWhereTheCashierSellsAndEscLeavesIt) {
  EXPECT_TRUE(window->button(MainCommand::QTSale)->isEnabled());
  QString order_no;
  int lines = 0;
  WorkTheSaleScreen([&](TfrmQTSale& screen) {
    order_no = screen.lblOrderNo->text();
    Scan(screen, u"A100"_s);
    lines = screen.desk().order().lines.size();
  });
  EXPECT_EQ(order_no, u"XS012026121000001"_s);
  EXPECT_EQ(lines, 1);
  EXPECT_EQ(ui.screens(), QStringList{u"TfrmQTSale"_s});
  EXPECT_EQ(ui.texts(), QStringList{u"确实退出前台销售吗？"_s});
  EXPECT_TRUE(window->isVisible());
}

// A code pasted with a NUL in it (Ctrl+V from another program) reaches the edit without it, so
// the scan finds the goods instead of cutting the statement short.
TEST_F(MainSaleKeyTest, APastedControlCharacterNeverReachesTheGoodsEdit) {
  int lines = 0;
  QString typed;
  WorkTheSaleScreen([&](TfrmQTSale& screen) {
    QGuiApplication::clipboard()->setText(u"A1"_s + QChar(0) + u"0"_s + QChar(0x07) + u"0"_s);
    screen.suiEdtGoods->clear();
    screen.suiEdtGoods->setFocus();
    QTest::keyClick(screen.suiEdtGoods, Qt::Key_V, Qt::ControlModifier);
    typed = screen.suiEdtGoods->text();
    Press(Qt::Key_Return);
    lines = screen.desk().order().lines.size();
  });
  EXPECT_EQ(typed, u"A100"_s);
  EXPECT_EQ(lines, 1);
}

// F12 on the sale screen opens the checkout over the order; once it is saved the screen starts
// the next order, and the sale is in the till's file with its line.
TEST_F(MainSaleKeyTest, F12TakesThePaymentAndTheNextOrderBegins) {
  ExecBoth(u"INSERT INTO QTCashierRight (CashierNo, RightID) VALUES ('C1', 4)"_s);
  ui.OnCheckout([](CheckoutFlow& flow) {
    EXPECT_EQ(flow.amountText(), u"99.00  "_s);
    flow.ReceivedEdited(u"100"_s);
    EXPECT_EQ(flow.Confirm(), CheckoutFlow::OkResult::Saved);
  });
  QString first, next;
  WorkTheSaleScreen([&](TfrmQTSale& screen) {
    first = screen.lblOrderNo->text();
    Scan(screen, u"A100"_s);
    Press(Qt::Key_F12);
    next = screen.lblOrderNo->text();
    EXPECT_EQ(screen.desk().order().lines.size(), 0);
  });
  EXPECT_NE(first, next);
  EXPECT_EQ(dm.conClient
                .Scalar(u"SELECT COUNT(*) FROM QTSaleOrderDetail WHERE OrderNo = :No"_s,
                        {{u":No"_s, first}})
                .toInt(),
            1);
  EXPECT_EQ(Money::FromVariant(dm.conClient.Scalar(
                u"SELECT CashAmount FROM QTSaleOrder WHERE OrderNo = :No"_s, {{u":No"_s, first}})),
            99);
}

// F10 parks the order after the question, the screen starts the next one; F11 brings the
// parked order back with its own number and line.
TEST_F(MainSaleKeyTest, F10ParksTheOrderAndF11BringsItBack) {
  QString parked, after_park, after_recall;
  int lines_after_park = -1, lines_after_recall = -1;
  WorkTheSaleScreen([&](TfrmQTSale& screen) {
    parked = screen.lblOrderNo->text();
    Scan(screen, u"A100"_s);
    ui.AnswerYes();  // "您真的要挂起该单吗？"
    Press(Qt::Key_F10);
    after_park = screen.lblOrderNo->text();
    lines_after_park = screen.desk().order().lines.size();
    ui.ChooseSuspendedOrder(parked);
    Press(Qt::Key_F11);
    after_recall = screen.lblOrderNo->text();
    lines_after_recall = screen.desk().order().lines.size();
  });
  EXPECT_NE(after_park, parked);
  EXPECT_EQ(lines_after_park, 0);
  EXPECT_EQ(after_recall, parked);
  EXPECT_EQ(lines_after_recall, 1);
  EXPECT_EQ(dm.conClient.Scalar(u"SELECT COUNT(*) FROM QTHalSaleOrder"_s).toInt(), 0);
  EXPECT_FALSE(ui.unansweredLeft());
}

// F4 on an empty order: the card dialog; a fixed-discount card puts its discount in the
// discount edit for the goods that follow.
TEST_F(MainSaleKeyTest, F4PutsTheCardOnTheOrder) {
  ExecBoth(
      u"INSERT INTO QTCards (CardNo, CardsCode, HolderName, CardType, SalesType, Discount, "
      "StopFlag) "
      "VALUES ('C9', 'FIX', '王五', '普通会员卡', '固定折扣', 88, 0)"_s);
  ui.OnSelectCards(
      [](CardContext& c, Order& o) { return IdentifyCard(c, o, u"FIX"_s).has_value(); });
  QString card, discount;
  WorkTheSaleScreen([&](TfrmQTSale& screen) {
    Press(Qt::Key_F4);
    card = screen.desk().order().header.CardCode;
    discount = screen.suiEdtDiscount->text();
  });
  EXPECT_EQ(card, u"FIX"_s);
  EXPECT_EQ(discount, u"88"_s);
}

// F12 with a stored-value card: the card dialog first, for the order's amount; cancelled, no
// checkout opens and the order stays; agreed, the checkout saves the card part.
TEST_F(MainSaleKeyTest, F12WithAStoredValueCardAsksTheCardPartFirst) {
  ExecBoth(u"INSERT INTO QTCashierRight (CashierNo, RightID) VALUES ('C1', 4)"_s);
  ExecBoth(
      u"INSERT INTO QTCards (CardNo, CardsCode, HolderName, CardType, SalesType, Discount, "
      "StopFlag, Amount) VALUES ('C8', 'SV', '赵六', '储值卡', '固定折扣', 100, 0, 500)"_s);
  ui.OnSelectCards(
      [](CardContext& c, Order& o) { return IdentifyCard(c, o, u"SV"_s).has_value(); });
  ui.AnswerCardPay({});  // cancelled
  ui.AnswerCardPay({true, 60, 39});
  QStringList received;
  ui.OnCheckout([&](CheckoutFlow& flow) {
    received << flow.receivedText();
    EXPECT_EQ(flow.Confirm(), CheckoutFlow::OkResult::Saved);
  });
  QString first;
  int lines_after_cancel = -1;
  WorkTheSaleScreen([&](TfrmQTSale& screen) {
    Press(Qt::Key_F4);
    first = screen.lblOrderNo->text();
    Scan(screen, u"A100"_s);
    Press(Qt::Key_F12);
    lines_after_cancel = screen.desk().order().lines.size();
    Press(Qt::Key_F12);
  });
  EXPECT_EQ(lines_after_cancel, 1);
  ASSERT_EQ(ui.cardPayRequests().size(), 2u);
  EXPECT_EQ(ui.cardPayRequests()[0].AmountDue, 99);
  EXPECT_EQ(ui.cardPayRequests()[0].Balance, 500);
  EXPECT_EQ(received, QStringList{u"99.00  "_s});
  const QSqlRecord saved = dm.conClient.FirstRow(
      u"SELECT CardAmount, CashAmount FROM QTSaleOrder WHERE OrderNo = :No"_s, {{u":No"_s, first}});
  EXPECT_EQ(Money::FromVariant(saved.value(0)), 60);
  EXPECT_EQ(Money::FromVariant(saved.value(1)), 39);
  EXPECT_EQ(Money::FromVariant(
                dm.conClient.Scalar(u"SELECT Amount FROM QTCards WHERE CardsCode = 'SV'"_s)),
            440);
}

// A parked order's card comes back with it on F11, unless it was stopped meanwhile.
TEST_F(MainSaleKeyTest, F11BringsTheParkedCardBackUnlessItWasStopped) {
  ExecBoth(
      u"INSERT INTO QTCards (CardNo, CardsCode, HolderName, CardType, SalesType, Discount, "
      "StopFlag) VALUES ('C9', 'FIX', '王五', '普通会员卡', '固定折扣', 88, 0)"_s);
  QStringList cards;
  WorkTheSaleScreen([&](TfrmQTSale& screen) {
    for (bool stopped : {false, true}) {
      ui.OnSelectCards(
          [](CardContext& c, Order& o) { return IdentifyCard(c, o, u"FIX"_s).has_value(); });
      Press(Qt::Key_F4);
      const QString parked = screen.lblOrderNo->text();
      Scan(screen, u"A100"_s);
      ui.AnswerYes();  // "您真的要挂起该单吗？"
      Press(Qt::Key_F10);
      if (stopped) ExecBoth(u"UPDATE QTCards SET StopFlag = 1"_s);
      ui.ChooseSuspendedOrder(parked);
      Press(Qt::Key_F11);
      const Order& order = screen.desk().order();
      cards << order.CardsCode + u"/"_s + QString::number(order.CardDiscount) + u"/"_s +
                   screen.lblCardCode->text();
      // Leave the order: Ctrl+Del with its question.
      ui.AnswerYes();
      Press(Qt::Key_Delete, Qt::ControlModifier);
    }
  });
  EXPECT_EQ(cards, (QStringList{u"FIX/88/FIX"_s, u"/100/"_s}));
}

// The keys of the sale screen that reach the devices, the shift and the returns, on a till
// with a text-receipt printer: Ctrl+P reprints the last receipt byte for byte, Ctrl+Alt+Y
// opens the receipt template, Ctrl+Q takes cash out of the shift, Ctrl+T returns a line of
// the sale just made.
TEST_F(MainSaleKeyTest, ReprintTemplateWithdrawalAndReturnKeysDoTheirWork) {
  for (int right : {4, 10, 13}) {
    ExecBoth(u"INSERT INTO QTCashierRight (CashierNo, RightID) VALUES ('C1', %1)"_s.arg(right));
  }
  dm.conClient.Exec(
      u"INSERT INTO QTOnOverOrder (OrderNo, OnBoxAmount, SaleAmount, GetAmount, OverFlag, "
      "OverAmount) VALUES ('BC01', 500, 0, 0, 0, 500)"_s);
  session.OnOverOrderNo = u"BC01"_s;
  session.BackFlag = true;
  session.BackDays = 7;
  session.StoreNo = u"S01"_s;
  const QString printed = QDir(HomePath()).filePath(u"printer.out"_s);
  for (const auto& [section, key, value] : {std::tuple{"HardWareSet", "HavePrinter", u"Y"_s},
                                            std::tuple{"HardWareSet", "PrintModel", u"0"_s},
                                            std::tuple{"HardWareSet", "PrintPort", u"LPT1"_s},
                                            std::tuple{"DevicePorts", "LPT1", printed}}) {
    ASSERT_TRUE(WriteIniString(session.IniFile, QString::fromLatin1(section),
                               QString::fromLatin1(key), value));
  }
  QtReportPrinter printer;
  Devices devices(DeviceSetup{session.IniFile, HomePath(), dm.conClient, ui, printer, clock});
  app.devices = &devices;
  auto printed_bytes = [&] {
    QFile f(printed);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  };

  ui.OnCheckout([](CheckoutFlow& flow) {
    flow.ReceivedEdited(u"100"_s);
    EXPECT_EQ(flow.Confirm(), CheckoutFlow::OkResult::Saved);
  });
  QString sold;
  QByteArray receipt, after_reprint;
  QString return_memo;
  double return_quantity = 0;
  WorkTheSaleScreen([&](TfrmQTSale& screen) {
    EXPECT_TRUE(screen.label(TfrmQTSale::Command::CtrlPReprint)->isEnabled());
    Press(Qt::Key_P, Qt::ControlModifier);  // nothing printed yet
    sold = screen.lblOrderNo->text();
    Scan(screen, u"A100"_s);
    Press(Qt::Key_F12);
    receipt = printed_bytes();
    Press(Qt::Key_P, Qt::ControlModifier);
    after_reprint = printed_bytes();
    Press(Qt::Key_Y, Qt::ControlModifier | Qt::AltModifier);
    ui.Type(u"30"_s);
    Press(Qt::Key_Q, Qt::ControlModifier);
    ui.OnReturnPicker([](const ReturnPickerRequest&,
                         const std::vector<SoldLine>& listed) -> std::optional<SoldLine> {
      if (listed.empty()) return {};
      return listed[0];
    });
    Press(Qt::Key_T, Qt::ControlModifier);
    if (screen.desk().order().lines.size() == 1) {
      return_memo = screen.desk().order().lines[0].Memo;
      return_quantity = screen.desk().order().lines[0].Quantity;
    }
  });
  EXPECT_EQ(ui.texts().first(), u"没有可以重打的小票！"_s);
  EXPECT_TRUE(receipt.contains("99")) << receipt.toStdString();
  EXPECT_EQ(after_reprint, receipt + receipt);
  ASSERT_EQ(ui.designedReports().size(), 1u);
  EXPECT_EQ(ui.designedReports()[0].DataSet().rows.size(), 0);  // the new order has no lines
  EXPECT_EQ(Money::FromVariant(dm.conClient.Scalar(
                u"SELECT GetAmount FROM QTOnOverOrder WHERE OrderNo = 'BC01'"_s)),
            30);
  EXPECT_EQ(return_memo, u"退："_s + sold) << ui.texts().join(u"|"_s).toStdString();
  EXPECT_EQ(return_quantity, -1);
}

// Ctrl+Q takes out only cash the drawer holds: a negative amount or more than the shift
// expects is refused with its reason and leaves the shift as it was.
TEST_F(MainSaleKeyTest, CtrlQRefusesANegativeWithdrawalAndMoreThanTheDrawerHolds) {
  ExecBoth(u"INSERT INTO QTCashierRight (CashierNo, RightID) VALUES ('C1', 13)"_s);
  dm.conClient.Exec(
      u"INSERT INTO QTOnOverOrder (OrderNo, OnBoxAmount, SaleAmount, GetAmount, OverFlag, "
      "OverAmount) VALUES ('BC01', 50, 0, 0, 0, 50)"_s);
  session.OnOverOrderNo = u"BC01"_s;
  WorkTheSaleScreen([&](TfrmQTSale&) {
    for (const QString& typed : {u"-5"_s, u"50.01"_s, u"50"_s}) {
      ui.Type(typed);
      Press(Qt::Key_Q, Qt::ControlModifier);
    }
  });
  EXPECT_EQ(ui.texts().mid(0, 2),
            (QStringList{u"取款金额必须大于0！"_s, u"取款金额不能超过钱箱中应有的现金50.00！"_s}));
  const QSqlRecord row =
      dm.conClient.FirstRow(u"SELECT GetAmount, OverAmount FROM QTOnOverOrder"_s);
  EXPECT_EQ(Money::FromVariant(row.value(0)), 50);
  EXPECT_EQ(Money::FromVariant(row.value(1)), 0);
}

// A card sale's receipt carries the card's points after the sale, not those it had before.
TEST_F(MainSaleKeyTest, ACardSalesReceiptShowsThePointsAfterTheSale) {
  ExecBoth(u"INSERT INTO QTCashierRight (CashierNo, RightID) VALUES ('C1', 4)"_s);
  ExecBoth(
      u"INSERT INTO QTCards (CardNo, CardsCode, HolderName, CardType, SalesType, Discount, "
      "StopFlag, Amount, PointTotal) VALUES ('C9', 'VIP', '钱七', '会员卡', '固定折扣', 100, 0, "
      "0, 100.1)"_s);
  session.PerJFAmount = 10;
  const QString printed = QDir(HomePath()).filePath(u"printer.out"_s);
  for (const auto& [section, key, value] : {std::tuple{"HardWareSet", "HavePrinter", u"Y"_s},
                                            std::tuple{"HardWareSet", "PrintModel", u"0"_s},
                                            std::tuple{"HardWareSet", "PrintPort", u"LPT1"_s},
                                            std::tuple{"DevicePorts", "LPT1", printed}}) {
    ASSERT_TRUE(WriteIniString(session.IniFile, QString::fromLatin1(section),
                               QString::fromLatin1(key), value));
  }
  QtReportPrinter printer;
  Devices devices(DeviceSetup{session.IniFile, HomePath(), dm.conClient, ui, printer, clock});
  app.devices = &devices;
  ui.OnSelectCards(
      [](CardContext& c, Order& o) { return IdentifyCard(c, o, u"VIP"_s).has_value(); });
  ui.OnCheckout([](CheckoutFlow& flow) {
    flow.ReceivedEdited(u"100"_s);
    EXPECT_EQ(flow.Confirm(), CheckoutFlow::OkResult::Saved);
  });
  WorkTheSaleScreen([&](TfrmQTSale& screen) {
    Press(Qt::Key_F4);
    Scan(screen, u"A100"_s);
    Press(Qt::Key_F12);
  });
  const std::optional<StoredReceipt> receipt = ReceiptStore(dm.conClient).Last();
  ASSERT_TRUE(receipt) << ui.texts().join(u"|"_s).toStdString();
  EXPECT_EQ(receipt->Data.CardsCode, u"VIP"_s);
  EXPECT_EQ(receipt->Data.PointTotal, 110);  // 100.1 + 99 / 10
  EXPECT_EQ(
      dm.conClient.Scalar(u"SELECT PointTotal FROM QTCards WHERE CardsCode = 'VIP'"_s).toString(),
      u"110"_s);
}

// Ctrl+L on a gift-exchange card: a gift for the card's points, at once after F4 and again
// by the key.
TEST_F(MainSaleKeyTest, CtrlLExchangesTheCardsPointsForAGift) {
  ExecBoth(
      u"INSERT INTO QTCards (CardNo, CardsCode, HolderName, CardType, SalesType, Discount, "
      "StopFlag, PointTotal) VALUES ('C7', 'GIFT', '钱七', '普通会员卡', '积分兑换礼品', 100, 0, "
      "300)"_s);
  ExecBoth(
      u"INSERT INTO JBGoods (GoodsNo, GoodsCode, GoodsName, SRefPrice, IsGift) "
      "VALUES ('GF', 'GIFT1', '雨伞', 100, 1)"_s);
  ui.OnSelectCards(
      [](CardContext& c, Order& o) { return IdentifyCard(c, o, u"GIFT"_s).has_value(); });
  ui.ChooseGoods(u"GIFT1"_s);  // at once after the card
  ui.ChooseGoods(u"GIFT1"_s);  // Ctrl+L
  double points = 0;
  int lines = 0;
  WorkTheSaleScreen([&](TfrmQTSale& screen) {
    Press(Qt::Key_F4);
    Press(Qt::Key_L, Qt::ControlModifier);
    points = screen.desk().order().GiftPoints;
    lines = screen.desk().order().lines.size();
  });
  EXPECT_EQ(lines, 2);
  EXPECT_EQ(points, 200);
  EXPECT_FALSE(ui.unansweredLeft());
}

// Ctrl+S online: the sales the till kept while offline go up to the server.
TEST_F(MainSaleKeyTest, CtrlSUploadsTheSalesKeptOffline) {
  session.IsOnline = true;
  dm.conClient.Exec(
      u"INSERT INTO QTSaleOrder (OrderNo, Amount, RealAmount, CashAmount) "
      "VALUES ('XS012026120900001', 99, 99, 99)"_s);
  WorkTheSaleScreen([](TfrmQTSale&) { Press(Qt::Key_S, Qt::ControlModifier); });
  EXPECT_EQ(
      dm.conServer.Scalar(u"SELECT COUNT(*) FROM QTSaleOrder WHERE OrderNo = 'XS012026120900001'"_s)
          .toInt(),
      1);
  EXPECT_EQ(dm.conClient.Scalar(u"SELECT COUNT(*) FROM QTSaleOrder"_s).toInt(), 0);
}

// Every key that changes the lines brings the total label and the pole display with it: a
// gift (F9), a line turned into a return (Ctrl+T), the 删行[Del] label and Del in the grid.
TEST_F(MainSaleKeyTest, TheTotalAndThePoleDisplayFollowEveryChangeOfTheLines) {
  for (int right : {10, 11}) {
    ExecBoth(u"INSERT INTO QTCashierRight (CashierNo, RightID) VALUES ('C1', %1)"_s.arg(right));
  }
  ExecBoth(
      u"INSERT INTO JBGoods (GoodsNo, GoodsCode, GoodsName, SRefPrice) "
      "VALUES ('G2', 'B200', '领带', 51)"_s);
  RecordingDevices devices;
  app.devices = &devices;
  QStringList seen;
  WorkTheSaleScreen([&](TfrmQTSale& screen) {
    auto step = [&](const char* what, const std::function<void()>& act) {
      act();
      const Money shown = devices.shown.empty() ? Money::Whole(-1) : devices.shown.back().second;
      seen << QString::fromLatin1(what) + u" "_s + screen.lblAmount->text() + u"/"_s +
                  shown.ShortText();
    };
    auto row = [&](int r) {
      screen.dbgDetail->setCurrentIndex(screen.model()->index(r, 0));
      screen.suiEdtGoods->setFocus();
    };
    step("scan", [&] { Scan(screen, u"A100"_s); });
    step("scan", [&] { Scan(screen, u"B200"_s); });
    step("F9", [&] { Press(Qt::Key_F9); });
    step("Ctrl+T", [&] {
      row(0);
      Press(Qt::Key_T, Qt::ControlModifier);
    });
    step("label", [&] {
      row(0);
      QTest::mouseClick(screen.label(TfrmQTSale::Command::DelLine), Qt::LeftButton);
    });
    step("scan", [&] { Scan(screen, u"A100"_s); });
    step("Del", [&] {
      screen.dbgDetail->setFocus();
      Press(Qt::Key_Delete);
    });
  });
  EXPECT_EQ(seen, (QStringList{u"scan 99/99"_s, u"scan 150/150"_s, u"F9 99/99"_s,
                               u"Ctrl+T -99/-99"_s, u"label 0/0"_s, u"scan 99/99"_s, u"Del 0/0"_s}))
      << ui.texts().join(u"|"_s).toStdString();
}

// A grid cell is checked as the entry edits are: the range, the right and the bound, and a
// refused value leaves the line as it was. The quantity edit keeps the same bound.
TEST_F(MainSaleKeyTest, TheGridsCellsTakeOnlyWhatTheEntryEditsTake) {
  for (int right : {8, 9}) {
    ExecBoth(u"INSERT INTO QTCashierRight (CashierNo, RightID) VALUES ('C1', %1)"_s.arg(right));
  }
  struct Cell {
    GridColumn column;
    QString text;
    QString refusal;
  };
  const Cell refused[] = {
      {GridColumn::Discount, u"-50"_s, u"折扣必须在1-100之间 ！"_s},
      {GridColumn::Discount, u"900"_s, u"折扣必须在1-100之间 ！"_s},
      {GridColumn::Discount, u"0"_s, u"折扣必须在1-100之间 ！"_s},
      // Right 9 without right 10: a negative price would be a return by the back door.
      {GridColumn::Price, u"-100"_s, u"单价不能为负数！"_s},
      {GridColumn::Price, u"10000000"_s, u"单价不能超过9999999.99！"_s},
      {GridColumn::Quantity, u"900000000000"_s, u"数量不能超过99999！"_s},
      {GridColumn::Quantity, u"0"_s, u"输入数量不能为0！"_s},
  };
  QStringList after_refusals, after_rights_gone;
  Money amount_at_half;
  QString entry_reset;
  WorkTheSaleScreen([&](TfrmQTSale& screen) {
    Scan(screen, u"A100"_s);
    for (const Cell& c : refused) {
      ui.clear();
      screen.model()->setData(screen.model()->index(0, static_cast<int>(c.column)), c.text,
                              Qt::EditRole);
      const OrderLine& l = screen.desk().order().lines[0];
      after_refusals << c.text + u" "_s + ui.texts().join(u"|"_s) + u" "_s + l.Price.ShortText() +
                            u"×"_s + QString::number(l.Quantity) + u"×"_s +
                            QString::number(l.Discount) + u"="_s + l.Amount.ShortText();
    }
    screen.model()->setData(screen.model()->index(0, static_cast<int>(GridColumn::Discount)),
                            u"50"_s, Qt::EditRole);
    amount_at_half = screen.desk().order().lines[0].Amount;

    ExecBoth(u"DELETE FROM QTCashierRight WHERE RightID IN (8, 9)"_s);
    for (GridColumn column : {GridColumn::Price, GridColumn::Discount}) {
      ui.clear();
      screen.model()->setData(screen.model()->index(0, static_cast<int>(column)), u"1"_s,
                              Qt::EditRole);
      after_rights_gone << ui.texts().join(u"|"_s) + u" "_s +
                               screen.desk().order().lines[0].Amount.ShortText();
    }

    Press(Qt::Key_F6);
    screen.suiEdtQuntity->setText(u"900000000000"_s);
    ui.clear();
    Press(Qt::Key_Return);
    entry_reset = ui.texts().join(u"|"_s) + u" "_s + screen.suiEdtQuntity->text();
  });
  QStringList expected;
  for (const Cell& c : refused) expected << c.text + u" "_s + c.refusal + u" 99×1×100=99"_s;
  EXPECT_EQ(after_refusals, expected);
  // 49.50 at the till's amount decimals (none here).
  EXPECT_EQ(amount_at_half, 50);
  EXPECT_EQ(after_rights_gone, (QStringList{u"对不起！您没有修改价格的权限！ 50"_s,
                                            u"对不起！您没有修改折扣的权限！ 50"_s}));
  EXPECT_EQ(entry_reset, u"数量不能超过99999！ 1"_s);
}

// Without right 9 and right 8 the price and discount edits do not keep the focus, whether
// Tab or a click brought it; and what they hold cannot price a line either.
TEST_F(MainSaleKeyTest, ThePriceAndDiscountEditsNeedTheirRightsHoweverReached) {
  QStringList focus_refusals;
  bool price_kept = true, discount_kept = true;
  QString scanned;
  WorkTheSaleScreen([&](TfrmQTSale& screen) {
    Press(Qt::Key_F6);
    ui.clear();
    Press(Qt::Key_Tab);  // from the quantity edit on to the price edit
    price_kept = QApplication::focusWidget() == screen.suiEdtPrice;
    focus_refusals << ui.texts().join(u"|"_s);
    ui.clear();
    QTest::mouseClick(screen.suiEdtDiscount, Qt::LeftButton);
    discount_kept = QApplication::focusWidget() == screen.suiEdtDiscount;
    focus_refusals << ui.texts().join(u"|"_s);

    ui.clear();
    screen.suiEdtPrice->setText(u"1"_s);
    Scan(screen, u"A100"_s);
    screen.suiEdtPrice->clear();
    screen.suiEdtDiscount->setText(u"1"_s);
    Scan(screen, u"A100"_s);
    scanned = ui.texts().join(u"|"_s) + u" lines "_s +
              QString::number(screen.desk().order().lines.size());
  });
  EXPECT_FALSE(price_kept);
  EXPECT_FALSE(discount_kept);
  const QString refusal = RightRefusal(Right::ChangePrice);
  EXPECT_EQ(focus_refusals.value(0), refusal);
  EXPECT_EQ(focus_refusals.value(1), RightRefusal(Right::Discount));
  EXPECT_EQ(scanned, refusal + u"|"_s + RightRefusal(Right::Discount) + u" lines 0"_s);
}

// A gift paid with points keeps its quantity even when the grid's quantity column was opened
// on another line and the gift's cell is reached by a double click.
TEST_F(MainSaleKeyTest, AGiftsQuantityStaysWhateverOpensItsCell) {
  ExecBoth(
      u"INSERT INTO QTCards (CardNo, CardsCode, HolderName, CardType, SalesType, Discount, "
      "StopFlag, PointTotal) VALUES ('C7', 'GIFT', '钱七', '普通会员卡', '积分兑换礼品', 100, 0, "
      "300)"_s);
  ExecBoth(
      u"INSERT INTO JBGoods (GoodsNo, GoodsCode, GoodsName, SRefPrice, IsGift) "
      "VALUES ('GF', 'GIFT1', '雨伞', 100, 1)"_s);
  ui.OnSelectCards(
      [](CardContext& c, Order& o) { return IdentifyCard(c, o, u"GIFT"_s).has_value(); });
  ui.ChooseGoods(u"GIFT1"_s);
  QString refusal;
  double gift_quantity = 0, points = 0;
  WorkTheSaleScreen([&](TfrmQTSale& screen) {
    Press(Qt::Key_F4);
    Scan(screen, u"A100"_s);
    Press(Qt::Key_Up);  // the quantity column opens on the goods just scanned
    ui.clear();
    screen.model()->setData(screen.model()->index(0, static_cast<int>(GridColumn::Quantity)),
                            u"5"_s, Qt::EditRole);
    refusal = ui.texts().join(u"|"_s);
    gift_quantity = screen.desk().order().lines[0].Quantity;
    points = screen.desk().order().GiftPoints;
  });
  EXPECT_EQ(refusal, u"赠送商品不能修改数量！"_s);
  EXPECT_EQ(gift_quantity, 1);
  EXPECT_EQ(points, 100);
}

// A card whose discount the back office set beyond 100 would charge a multiple of the price:
// F4 refuses it, naming the card, and the goods sell at their price.
TEST_F(MainSaleKeyTest, F4RefusesACardWhoseDiscountMakesNoSense) {
  ExecBoth(
      u"INSERT INTO QTCards (CardNo, CardsCode, HolderName, CardType, SalesType, Discount, "
      "StopFlag) VALUES ('C9', 'BIG', '王五', '普通会员卡', '固定折扣', 500, 0)"_s);
  ui.OnSelectCards(
      [](CardContext& c, Order& o) { return IdentifyCard(c, o, u"BIG"_s).has_value(); });
  QString card;
  Money amount;
  WorkTheSaleScreen([&](TfrmQTSale& screen) {
    Press(Qt::Key_F4);
    card = screen.desk().order().CardsCode;
    Scan(screen, u"A100"_s);
    amount = screen.desk().order().lines[0].Amount;
  });
  EXPECT_TRUE(ui.texts().contains(u"会员卡BIG的折扣“500”不在1-100之间，不能使用！"_s))
      << ui.texts().join(u"|"_s).toStdString();
  EXPECT_EQ(card, QString());
  EXPECT_EQ(amount, 99);
}

TEST_F(MainSaleKeyTest, WithoutRight3F6SaysSoAndNoScreenOpens) {
  ExecBoth(u"DELETE FROM QTCashierRight"_s);
  bool shown = false;
  QTimer::singleShot(0, [&] { shown = QApplication::activeModalWidget() != nullptr; });
  Press(Qt::Key_F6);
  QApplication::processEvents();
  EXPECT_FALSE(shown);
  EXPECT_EQ(ui.texts(), QStringList{u"对不起，您没有权限使用该功能, 请与后台管理员联系！"_s});
}

// The keys the till's other parts already do are handed in: Ctrl+X opens the download
// options online, Ctrl+Alt+Z switches the mode.
TEST_F(MainSaleKeyTest, TheScreensKeysReachTheDownloadOptionsAndTheModeSwitch) {
  session.IsOnline = true;
  const SaleScreenActions actions = SaleActionsFor(app);
  EXPECT_TRUE(actions.checkout);
  EXPECT_TRUE(actions.chooseCard);
  ASSERT_TRUE(actions.download);
  ASSERT_TRUE(actions.switchMode);
  bool downloaded = false;
  ui.OnDownloadOptions([&](AppContext&) {
    downloaded = true;
    return true;
  });
  actions.download();
  EXPECT_TRUE(downloaded);
  EXPECT_TRUE(actions.switchMode());
  EXPECT_FALSE(session.IsOnline);
  EXPECT_EQ(ui.screens(), QStringList{u"TfrmDownloadOptions"_s});
}

}  // namespace
}  // namespace quilmo
