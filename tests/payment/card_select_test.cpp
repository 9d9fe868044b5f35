#include "payment/card_select.h"

#include "base/gbk.h"
#include "base/ini_file.h"
#include "payment/card_fixture.h"
#include "sale/promotions.h"
#include "sale/shift_record.h"

namespace quilmo {
namespace {

using test::CardTest;
using namespace Qt::StringLiterals;

class CardSelectTest : public CardTest {
 protected:
  // The dialog's Enter with the cashier's answers already queued.
  std::optional<CardView> Identify(const QString& typed) {
    return IdentifyCard(cards, order, typed);
  }
};

TEST_P(CardSelectTest, ACardIsFoundByItsNumberThenByTelephoneAndTakenUnderItsNumber) {
  Card(u"8800009"_s, u"普通会员卡"_s, u"会员价消费"_s, {{u"Telephone"_s, u"13800138002"_s}});
  Card(u"8800002"_s, u"VIP会员卡"_s, u"会员价消费"_s, {{u"Telephone"_s, u"13800138002"_s}});

  // By telephone: the first of the cards sharing it, by card number, every time.
  ASSERT_TRUE(Identify(u"13800138002"_s));
  EXPECT_EQ(order.CardsCode, u"8800002"_s);
  EXPECT_EQ(order.HolderName, u"持卡人8800002"_s);
  ASSERT_TRUE(Identify(u" 8800009 "_s));
  EXPECT_EQ(order.CardsCode, u"8800009"_s);
  // A card number wins over a telephone that reads the same.
  Card(u"13800138002"_s, u"普通会员卡"_s, u"会员价消费"_s);
  ASSERT_TRUE(Identify(u"13800138002"_s));
  EXPECT_EQ(order.CardsCode, u"13800138002"_s);
  EXPECT_TRUE(ui.messages().empty());
  // Another card number replaces the card; an unknown one leaves it.
  EXPECT_FALSE(Identify(u"8800003"_s));
  EXPECT_EQ(ui.texts(), QStringList{u"你输入的会员卡号不存在！"_s});
  EXPECT_EQ(order.CardsCode, u"13800138002"_s);
}

TEST_P(CardSelectTest, TypedTextIsBoundNeverSplicedAndEmptyTextIsAskedFor) {
  Card(u"8800001"_s, u"普通会员卡"_s, u"会员价消费"_s);
  for (const QString& typed : {u"' OR '1'='1"_s, u"8800001' --"_s, u"%"_s}) {
    EXPECT_FALSE(Identify(typed)) << typed.toStdString();
  }
  EXPECT_FALSE(Identify(u"   "_s));
  EXPECT_EQ(ui.texts(), (QStringList{u"你输入的会员卡号不存在！"_s, u"你输入的会员卡号不存在！"_s,
                                     u"你输入的会员卡号不存在！"_s, u"请输入会员卡号！"_s}));
  EXPECT_TRUE(order.CardsCode.isEmpty());
}

TEST_P(CardSelectTest, StoppedAndExpiredCardsAreRefusedAndNothingIsTaken) {
  const QDate today = dm.ServerNow().date();
  const QDateTime issued(today.addDays(-100), QTime(9, 0));
  Card(u"STOP"_s, u"普通会员卡"_s, u"会员价消费"_s, {{u"StopFlag"_s, 1}});
  // Issued after its validity date: expired whatever today is.
  Card(u"OLD"_s, u"普通会员卡"_s, u"会员价消费"_s,
       {{u"SendDate"_s, QDateTime(QDate(2008, 3, 1), QTime())},
        {u"BeginDate"_s, QDateTime(QDate(2008, 2, 1), QTime())}});
  Card(u"PAST"_s, u"普通会员卡"_s, u"会员价消费"_s,
       {{u"SendDate"_s, issued}, {u"BeginDate"_s, today.addDays(-1).startOfDay()}});
  Card(u"TODAY"_s, u"普通会员卡"_s, u"会员价消费"_s,
       {{u"SendDate"_s, issued}, {u"BeginDate"_s, today.startOfDay()}});
  Card(u"NOEND"_s, u"普通会员卡"_s, u"会员价消费"_s, {{u"SendDate"_s, issued}});

  struct Case {
    QString code;
    QString notice;  // empty: taken
  };
  const Case cases[] = {
      {u"STOP"_s, u"对不起，您的卡号已经被停止使用了！"_s},
      {u"OLD"_s, u"对不起，您的卡号已过期！"_s},
      {u"PAST"_s, u"对不起，您的卡号已过期！"_s},
      {u"TODAY"_s, QString()},  // valid through its last day
      {u"NOEND"_s, QString()},
  };
  for (const Case& c : cases) {
    Order fresh;
    order = std::move(fresh);
    order.CardDiscount = 100;
    ui.clear();
    const bool taken = Identify(c.code).has_value();
    EXPECT_EQ(taken, c.notice.isEmpty()) << c.code.toStdString();
    EXPECT_EQ(ui.texts(), c.notice.isEmpty() ? QStringList() : QStringList{c.notice})
        << c.code.toStdString();
    EXPECT_EQ(order.CardsCode, taken ? c.code : QString()) << c.code.toStdString();
  }
}

TEST_P(CardSelectTest, APasswordIsAskedUntilRightAndACancelTakesNothing) {
  Card(u"8800008"_s, u"VIP会员卡"_s, u"固定折扣"_s,
       {{u"Password"_s, u"a'1"_s}, {u"Discount"_s, 90}});
  Card(u"8800001"_s, u"普通会员卡"_s, u"会员价消费"_s);

  ui.TypeCardPassword(u"1234"_s);
  ui.TypeCardPassword(u"' OR '1'='1"_s);
  ui.TypeCardPassword(u"a'1"_s);
  ASSERT_TRUE(Identify(u"8800008"_s));
  EXPECT_EQ(ui.texts(), (QStringList{u"您输入的密码不正确，请重新输入！"_s,
                                     u"您输入的密码不正确，请重新输入！"_s}));
  EXPECT_EQ(ui.screens(), QStringList{u"TfrmCardPSWInput:8800008"_s});
  EXPECT_EQ(order.CardsCode, u"8800008"_s);

  Order fresh;
  order = std::move(fresh);
  ui.clear();
  ui.TypeCardPassword(u"x"_s);
  ui.CancelCardPassword();
  EXPECT_FALSE(Identify(u"8800008"_s));
  EXPECT_TRUE(order.CardsCode.isEmpty());
  EXPECT_EQ(order.CardType, 0);

  // No password: no dialog.
  ui.clear();
  ASSERT_TRUE(Identify(u"8800001"_s));
  EXPECT_TRUE(ui.screens().isEmpty());
  EXPECT_FALSE(ui.unansweredLeft());
}

TEST_P(CardSelectTest, EachSalesTypeSetsTheOrdersDiscountState) {
  Tier(u"01"_s, 0, 999, 95);
  Tier(u"02"_s, 1000, 4999, 90);
  Card(u"VIP"_s, u"普通会员卡"_s, u"会员价消费"_s, {{u"Discount"_s, 80}});
  Card(u"PTS"_s, u"VIP会员卡"_s, u"累计积分折扣"_s, {{u"PointTotal"_s, 1500}});
  Card(u"PTS0"_s, u"VIP会员卡"_s, u"累计积分折扣"_s, {{u"PointTotal"_s, 5000}});
  Card(u"GIFT"_s, u"普通会员卡"_s, u"积分兑换礼品"_s, {{u"PointTotal"_s, 300}});
  Card(u"FIX0"_s, u"普通会员卡"_s, u"固定折扣"_s, {{u"Discount"_s, 0}});
  Card(u"FIX"_s, u"普通会员卡"_s, u"固定折扣"_s, {{u"Discount"_s, 88}});
  Card(u"OTHER"_s, u"普通会员卡"_s, u"员工卡"_s, {{u"Discount"_s, 85}});
  Card(u"SV"_s, u"储值卡"_s, u"固定折扣"_s, {{u"Discount"_s, 95}, {u"Amount"_s, 300.5}});

  struct Case {
    QString code;
    double discount;
    int mode;
    int card_type;
    bool show_discount;
    bool show_add_point;
  };
  const Case cases[] = {
      {u"VIP"_s, 100, 2, 1, true, false},  {u"PTS"_s, 90, 1, 1, true, true},
      {u"PTS0"_s, 100, 1, 1, true, true},  {u"GIFT"_s, 77, 0, 1, false, true},
      {u"FIX0"_s, 100, 1, 1, true, false}, {u"FIX"_s, 88, 1, 1, true, false},
      {u"OTHER"_s, 85, 1, 1, true, false}, {u"SV"_s, 95, 1, 2, true, false},
  };
  for (const Case& c : cases) {
    Order fresh;
    order = std::move(fresh);
    order.CardDiscount = 77;  // a gift-exchange card leaves it as it was
    order.GiftPoints = 5;
    const std::optional<CardView> view = Identify(c.code);
    ASSERT_TRUE(view) << c.code.toStdString();
    EXPECT_EQ(order.CardDiscount, c.discount) << c.code.toStdString();
    EXPECT_EQ(order.DiscountMode, c.mode) << c.code.toStdString();
    EXPECT_EQ(order.CardType, c.card_type) << c.code.toStdString();
    EXPECT_EQ(order.GiftPoints, 0) << c.code.toStdString();
    EXPECT_EQ(view->ShowDiscount, c.show_discount) << c.code.toStdString();
    EXPECT_EQ(view->ShowAddPoint, c.show_add_point) << c.code.toStdString();
    EXPECT_EQ(view->StoredValue, c.card_type == 2) << c.code.toStdString();
  }
  const std::optional<CardView> view = Identify(u"SV"_s);
  EXPECT_EQ(order.SalesType, u"固定折扣"_s);
  EXPECT_EQ(order.HolderName, u"持卡人SV"_s);
  EXPECT_EQ(view->CardType, u"储值卡"_s);
  EXPECT_EQ(view->Amount, u"300.5"_s);
  EXPECT_EQ(view->Discount, u"95"_s);
  EXPECT_EQ(view->SendDate, u"2025-03-01"_s);
  EXPECT_EQ(view->ValidDate, QString());
  EXPECT_EQ(view->SendOperator, u"李四"_s);
}

TEST_P(CardSelectTest, TheTierThePointsReachDecidesWhereTiersOverlap) {
  Tier(u"01"_s, 0, 999.99, 98);
  Tier(u"02"_s, 1000, 4999.99, 95);
  Tier(u"03"_s, 500, 2000, 92);  // overlaps both
  Tier(u"04"_s, 5000, 99999999, 85);
  struct Case {
    double points;
    double discount;
  };
  for (const Case& c :
       {Case{0, 98}, Case{499.5, 98}, Case{500, 92}, Case{999.99, 92}, Case{1000, 95},
        Case{1500, 95}, Case{2000, 95}, Case{4999.995, 100}, Case{5000, 85}, Case{-1, 100}}) {
    EXPECT_EQ(CardDiscountForPoints(dm.Current(), c.points), c.discount) << c.points;
  }
}

TEST_P(CardSelectTest, MaintenanceNeedsItsRightACardAndTheServer) {
  Card(u"SV"_s, u"储值卡"_s, u"累计积分折扣"_s, {{u"Amount"_s, 120}, {u"PointTotal"_s, 800}});
  struct Command {
    CardAction (*run)(CardContext&, const Order&);
    int right;
    QString refusal;
  };
  auto points = [](CardContext& c, const Order& o) { return AdjustCardPoints(c, o, u"800"_s); };
  const Command commands[] = {
      {points, 12, u"对不起，您没有冲减积分的权限！"_s},
      {&TopUpCard, 16, u"对不起，您没有储值卡冲值的权限！"_s},
      {&ChangeCardPasswordOf, 17, u"对不起，您没有修改卡密码的权限！"_s},
  };
  for (const Command& c : commands) {
    ui.clear();
    EXPECT_FALSE(c.run(cards, order).Shown);
    GrantRight(c.right);
    const CardAction no_card = c.run(cards, order);
    EXPECT_TRUE(no_card.NoCard);
    EXPECT_EQ(ui.texts(), (QStringList{c.refusal, u"请输入卡号！"_s}));
  }
  ASSERT_TRUE(Identify(u"SV"_s));
  if (GetParam()) return;  // online, the commands go on to their dialogs (tests below)
  for (const Command& c : commands) {
    ui.clear();
    EXPECT_FALSE(c.run(cards, order).Shown);
    EXPECT_EQ(ui.texts(), QStringList{u"该功能必须在连网状态下进行！"_s});
  }
  EXPECT_TRUE(ui.inputRequests().empty());
}

QUILMO_BOTH_MODES(CardSelectTest);

// Points, top-ups and passwords are changed online only: on the server, then on the till's
// copy of the card.
class CardMaintenanceTest : public CardTest {
 protected:
  void SetUp() override {
    CardTest::SetUp();
    if (HasFatalFailure()) return;
    session.IsOnline = true;
    Card(u"SV"_s, u"储值卡"_s, u"累计积分折扣"_s,
         {{u"Amount"_s, 120}, {u"PointTotal"_s, 800}, {u"Password"_s, u"old'pw"_s}});
    Card(u"OTHER"_s, u"普通会员卡"_s, u"会员价消费"_s, {{u"DownLogNo"_s, 7}});
    for (int right : {12, 16, 17}) GrantRight(right);
    ui.TypeCardPassword(u"old'pw"_s);
    ASSERT_TRUE(IdentifyCard(cards, order, u"SV"_s));
    ui.clear();
  }
  int DownLogNo() { return CardColumn(true, u"SV"_s, "DownLogNo").toInt(); }
};

TEST_P(CardMaintenanceTest, PointsGoUpOrDownOnBothCopiesAndACancelChangesNothing) {
  ui.Type(u"-200"_s);
  EXPECT_EQ(AdjustCardPoints(cards, order, u"800"_s).Shown, u"600"_s);
  EXPECT_EQ(ui.inputRequests().back().caption, u"冲减积分"_s);
  EXPECT_EQ(ui.inputRequests().back().prompt, u"积分"_s);
  EXPECT_EQ(ui.inputRequests().back().kind, InputKind::Number);
  for (bool server : {true, false}) EXPECT_EQ(CardColumn(server, u"SV"_s, "PointTotal"), 600);
  // The change reaches the other tills through their download.
  EXPECT_EQ(DownLogNo(), 8);
  EXPECT_EQ(order.PointTotal, 800);  // the order keeps what the card had when it was taken

  ui.Cancel();
  EXPECT_FALSE(AdjustCardPoints(cards, order, u"600"_s).Shown);
  ui.Type(u"50.5"_s);
  EXPECT_EQ(AdjustCardPoints(cards, order, u"不是数字"_s).Shown, u"50.5"_s);
  for (bool server : {true, false}) EXPECT_EQ(CardColumn(server, u"SV"_s, "PointTotal"), 650.5);
  EXPECT_TRUE(ui.messages().empty());
}

TEST_P(CardMaintenanceTest, ATopUpIsNumberedWrittenAndInTheTillsCopyAtOnce) {
  ui.Type(u"500"_s);
  EXPECT_EQ(TopUpCard(cards, order).Shown, u"620"_s);
  EXPECT_EQ(ui.inputRequests().back().caption, u"储值卡冲值"_s);
  EXPECT_EQ(ui.inputRequests().back().prompt, u"冲值金额"_s);
  for (bool server : {true, false}) EXPECT_EQ(Balance(server, u"SV"_s), 620);
  EXPECT_EQ(DownLogNo(), 8);
  ui.Type(u"0.3"_s);
  EXPECT_EQ(TopUpCard(cards, order).Shown, u"620.3"_s);
  for (bool server : {true, false}) EXPECT_EQ(Balance(server, u"SV"_s), M("620.3"));

  QSqlQuery q = dm.conServer.Query(
      u"SELECT AddCardNo, CardsCode, AddDate, Operator, EndAmount, Amount FROM QTAddCardAmount "
      "ORDER BY CAST(AddCardNo AS INTEGER)"_s);
  ASSERT_TRUE(q.next());
  EXPECT_EQ(q.value(0).toString(), u"0001"_s);
  EXPECT_EQ(q.value(1).toString(), u"SV"_s);
  EXPECT_EQ(q.value(2).toDateTime(), QDate(2026, 12, 10).startOfDay());  // the till's day
  EXPECT_EQ(q.value(3).toString(), u"张三"_s);
  EXPECT_EQ(Money::FromVariant(q.value(4)), 120);
  EXPECT_EQ(Money::FromVariant(q.value(5)), 500);
  ASSERT_TRUE(q.next());
  EXPECT_EQ(q.value(0).toString(), u"2"_s);
  EXPECT_EQ(Money::FromVariant(q.value(4)), 620);
  EXPECT_FALSE(q.next());
  // The cashier is told each top-up's number.
  EXPECT_EQ(ui.texts(), (QStringList{u"冲值成功！冲值单号：0001"_s, u"冲值成功！冲值单号：2"_s}));
}

// The cash taken for a top-up is in the drawer: the open shift expects it there and keeps it
// apart from the sales. A top-up with no shift open still counts nowhere else.
TEST_P(CardMaintenanceTest, TheTopUpsCashGoesIntoTheOpenShift) {
  const QString shift_no = u"BC0120261210001"_s;
  dm.conClient.Exec(
      u"INSERT INTO QTOnOverOrder (OrderNo, OnBoxAmount, SaleAmount, GetAmount, OverFlag, "
      "OverAmount) VALUES (:No, 100, 0, 0, 0, 100)"_s,
      {{u":No"_s, shift_no}});
  session.OnOverOrderNo = shift_no;
  session.OverFlag = 0;
  for (const char* amount : {"500", "0.3", "-20"}) {
    ui.Type(QString::fromLatin1(amount));
    ASSERT_TRUE(TopUpCard(cards, order).Shown) << amount;
  }
  const QSqlRecord row = dm.conClient.FirstRow(
      u"SELECT SaleAmount, OverAmount FROM QTOnOverOrder WHERE OrderNo = :No"_s,
      {{u":No"_s, shift_no}});
  EXPECT_EQ(Money::FromVariant(row.value(0)), 0);
  EXPECT_EQ(Money::FromVariant(row.value(1)), M("580.3"));
  EXPECT_EQ(ShiftTopUpAmount(dm.conClient, shift_no), M("480.3"));
  EXPECT_EQ(ShiftTopUpAmount(dm.conClient, u"OTHER"_s), 0);
}

// The top-up's number is printed on a slip where the till has a printer, and only there.
TEST_P(CardMaintenanceTest, ATopUpPrintsItsSlipWhereTheTillHasAPrinter) {
  QStringList ports;
  QByteArray slip;
  cards.print_text = [&](const QString& port, const QByteArray& bytes) {
    ports << port;
    slip = bytes;
  };
  ui.Type(u"80"_s);
  ASSERT_TRUE(TopUpCard(cards, order).Shown);
  EXPECT_TRUE(ports.isEmpty());
  WriteIniString(session.IniFile, u"HardWareSet"_s, u"HavePrinter"_s, u"Y"_s);
  WriteIniString(session.IniFile, u"HardWareSet"_s, u"PrintPort"_s, u"LPT1"_s);
  ui.Type(u"20"_s);
  ASSERT_TRUE(TopUpCard(cards, order).Shown);
  EXPECT_EQ(ports, QStringList{u"LPT1"_s});
  const QString text = DecodeGbk(slip);
  for (const QString& part : {u"冲值单号：2\r\n"_s, u"卡    号：SV\r\n"_s, u"冲值金额：20.00\r\n"_s,
                              u"卡内余额：220.00\r\n"_s}) {
    EXPECT_TRUE(text.contains(part)) << text.toStdString();
  }
}

// Every figure of a points adjustment is checked by the adjustment itself: nothing that is not
// a finite number of sensible size reaches either copy of the card.
TEST_P(CardMaintenanceTest, APointsAdjustmentRefusesWhatIsNoNumberOfPoints) {
  for (const QString& typed : {u"NaN"_s, u"inf"_s, u"1e308"_s, u"100000000"_s, u"-1e5x"_s}) {
    ui.clear();
    ui.Type(typed);
    EXPECT_FALSE(AdjustCardPoints(cards, order, u"800"_s).Shown) << typed.toStdString();
    ASSERT_EQ(ui.texts().size(), 1) << typed.toStdString();
  }
  for (bool server : {true, false}) EXPECT_EQ(CardColumn(server, u"SV"_s, "PointTotal"), 800);
  EXPECT_EQ(DownLogNo(), 1);
  // Tenths typed one after the other add up to what the cashier typed.
  for (int i = 0; i < 3; ++i) {
    ui.Type(u"0.1"_s);
    AdjustCardPoints(cards, order, u"0"_s);
  }
  for (bool server : {true, false}) {
    EXPECT_EQ(CardColumn(server, u"SV"_s, "PointTotal").toString(), u"800.3"_s);
  }
}

TEST_P(CardMaintenanceTest, ATopUpTheServerRefusesLeavesBothCopiesAsTheyWere) {
  // The server refuses the history row; the balance change before it goes back with it.
  dm.conServer.Exec(u"ALTER TABLE QTAddCardAmount ADD CONSTRAINT small CHECK (Amount < 1000)"_s);
  ui.Type(u"5000"_s);
  EXPECT_FALSE(TopUpCard(cards, order).Shown);
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_TRUE(ui.messages()[0].caption.isEmpty());
  EXPECT_EQ(ui.messages()[0].icon, MsgIcon::Error);
  EXPECT_TRUE(ui.messages()[0].text.startsWith(u"储值卡冲值失败！原因："_s));
  // A correction may not take the balance below zero.
  ui.clear();
  ui.Type(u"-120.01"_s);
  EXPECT_FALSE(TopUpCard(cards, order).Shown);
  EXPECT_EQ(ui.texts(), QStringList{u"储值卡冲值失败！原因：卡内余额不够！"_s});
  for (bool server : {true, false}) EXPECT_EQ(Balance(server, u"SV"_s), 120);
  EXPECT_EQ(dm.conServer.Scalar(u"SELECT COUNT(*) FROM QTAddCardAmount"_s).toInt(), 0);
  EXPECT_EQ(DownLogNo(), 1);

  ui.clear();
  ui.Type(u"-120"_s);
  EXPECT_EQ(TopUpCard(cards, order).Shown, u"0"_s);
  for (bool server : {true, false}) EXPECT_EQ(Balance(server, u"SV"_s), 0);
  // A figure no till takes at once is refused before the server is asked.
  ui.clear();
  ui.Type(u"100000000"_s);
  EXPECT_FALSE(TopUpCard(cards, order).Shown);
  EXPECT_EQ(ui.texts(), QStringList{u"金额不能超过9999999.99！"_s});
}

TEST_P(CardMaintenanceTest, APasswordChangesOnBothCopiesAfterTheOldOneAndTheConfirmation) {
  ui.TypeCardPasswordChange({u"wrong"_s, u"n3w'pw"_s, u"n3w'pw"_s});
  ui.TypeCardPasswordChange({u"old'pw"_s, u"n3w'pw"_s, u"n3w'px"_s});
  ui.TypeCardPasswordChange({u"old'pw"_s, u"n3w'pw"_s, u"n3w'pw"_s});
  EXPECT_FALSE(ChangeCardPasswordOf(cards, order).Shown);
  EXPECT_EQ(ui.texts(),
            (QStringList{u"您输入旧密码不正确！"_s, u"您输入新密码与新密码确认不一致！"_s}));
  EXPECT_EQ(ui.screens(), QStringList{u"TfrmChangeCardPSW:SV"_s});
  for (bool server : {true, false}) {
    EXPECT_TRUE(CardPasswordMatches(dm.On(server), u"SV"_s, u"n3w'pw"_s)) << server;
    EXPECT_FALSE(CardPasswordMatches(dm.On(server), u"SV"_s, u"old'pw"_s)) << server;
  }
  EXPECT_EQ(DownLogNo(), 8);
  EXPECT_FALSE(ui.unansweredLeft());
}

TEST_P(CardMaintenanceTest, AFailedPasswordChangeSaysWhyWithoutThePassword) {
  // Longer than the column: the server refuses it.
  const QString too_long = u"secret-"_s + QString(40, u'x');
  ui.TypeCardPasswordChange({u"old'pw"_s, too_long, too_long});
  ChangeCardPasswordOf(cards, order);
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_TRUE(ui.messages()[0].text.startsWith(u"修改卡密码失败！原因："_s));
  EXPECT_FALSE(ui.messages()[0].text.contains(u"secret"_s));
  EXPECT_GT(ui.messages()[0].text.size(), u"修改卡密码失败！原因："_s.size());
  for (bool server : {true, false}) {
    EXPECT_TRUE(CardPasswordMatches(dm.On(server), u"SV"_s, u"old'pw"_s)) << server;
  }
}

// These run on the server only.
INSTANTIATE_TEST_SUITE_P(Online, CardMaintenanceTest, ::testing::Values(true), test::ModeName);

// The sale screen's F4 and Ctrl+L.
class SaleCardTest : public CardTest {
 protected:
  void SetUp() override {
    CardTest::SetUp();
    if (HasFatalFailure()) return;
    Goods(u"G1"_s, u"SHIRT"_s, 100);
    Goods(u"GF1"_s, u"GIFT1"_s, 30, {{u"IsGift"_s, 1}});
    Card(u"FIX"_s, u"普通会员卡"_s, u"固定折扣"_s, {{u"Discount"_s, 88}});
    Card(u"GIFT"_s, u"普通会员卡"_s, u"积分兑换礼品"_s, {{u"PointTotal"_s, 300}});
    Card(u"VIP"_s, u"普通会员卡"_s, u"会员价消费"_s, {{u"PointTotal"_s, 300}});
  }
  // The card dialog as the cashier uses it: the card number and Enter, then OK.
  void ChooseInDialog(const QString& code) {
    ui.OnSelectCards(
        [code](CardContext& c, Order& o) { return IdentifyCard(c, o, code).has_value(); });
  }
};

TEST_P(SaleCardTest, F4PutsTheCardOnTheOrderAndItsDiscountOnTheGoodsThatFollow) {
  ChooseInDialog(u"FIX"_s);
  EXPECT_TRUE(ChooseCardForSale(cards, sale, order));
  EXPECT_EQ(order.CardDiscount, 88);
  EXPECT_EQ(header.CardCode, u"FIX"_s);

  // A member-price card changes no discount.
  Order next;
  order = std::move(next);
  ChooseInDialog(u"VIP"_s);
  EXPECT_TRUE(ChooseCardForSale(cards, sale, order));
  EXPECT_EQ(order.DiscountMode, 2);
  // Ctrl+L: not for this card unless every card may exchange points.
  EXPECT_FALSE(ExchangeCardPoints(sale, order));
  EXPECT_TRUE(ui.goodsLists().empty());
  session.AllChangeGF = true;
  ui.ChooseGoods(u"GIFT1"_s);
  EXPECT_TRUE(ExchangeCardPoints(sale, order));
  EXPECT_EQ(order.GiftPoints, 30);
  EXPECT_EQ(lines.size(), 1);

  // With lines on the order, F4 is refused before any dialog.
  ui.clear();
  EXPECT_FALSE(ChooseCardForSale(cards, sale, order));
  EXPECT_EQ(ui.texts(),
            QStringList{
                u"会员/储值卡的消费必须在开单之前！\r\n 请在删除当前所有记录再选择会员/储值卡"_s});
  EXPECT_TRUE(ui.screens().isEmpty());
}

TEST_P(SaleCardTest, AGiftExchangeCardStartsTheExchangeAtOnce) {
  ChooseInDialog(u"GIFT"_s);
  ui.ChooseGoods(u"GIFT1"_s);
  EXPECT_TRUE(ChooseCardForSale(cards, sale, order));
  ASSERT_EQ(lines.size(), 1);
  EXPECT_EQ(lines[0].GoodsCode, u"GIFT1"_s);
  EXPECT_EQ(order.GiftPoints, 30);
  // Ctrl+L gives another, as long as the points last.
  ui.ChooseGoods(u"GIFT1"_s);
  EXPECT_TRUE(ExchangeCardPoints(sale, order));
  EXPECT_EQ(order.GiftPoints, 60);

  // A dialog closed without a card changes nothing.
  Order next;
  order = std::move(next);
  ui.OnSelectCards([](CardContext&, Order&) { return false; });
  EXPECT_FALSE(ChooseCardForSale(cards, sale, order));
  EXPECT_TRUE(header.CardCode.isEmpty());
  EXPECT_FALSE(ExchangeCardPoints(sale, order));
  EXPECT_FALSE(ui.unansweredLeft());
}

QUILMO_BOTH_MODES(SaleCardTest);

}  // namespace
}  // namespace quilmo
