#include "sale/screens/frm_qt_sale.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "sale/pricing.h"
#include "sale/sale_fixture.h"
#include "support/screen_helpers.h"

namespace quilmo {
namespace {

using test::Press;
using test::SaleTest;
using test::ShowActive;
using namespace Qt::StringLiterals;
using Command = TfrmQTSale::Command;

// The sale screen over real databases in both modes, driven by keys. The cashier C1 has every
// right the screen asks for unless a test takes one away; three goods are on file.
class SaleScreenTest : public SaleTest {
 protected:
  void SetUp() override {
    SaleTest::SetUp();
    if (HasFatalFailure()) return;
    session.CashierNo = u"C1"_s;
    session.CashierName = u"李四"_s;
    session.ShopNo = u"SH01"_s;
    session.ShopCode = u"01"_s;
    session.ShopName = u"一号店"_s;
    session.StoreName = u"一号仓"_s;
    session.OnOverOrderNo = u"BC0120261210000001"_s;
    session.PremiumRate = 100;
    for (Right r : {Right::Sell, Right::Discount, Right::ChangePrice, Right::Returns, Right::Gift,
                    Right::OpenDrawer}) {
      Grant(r);
    }
    Goods(u"G1"_s, u"A100"_s, 100);
    Goods(u"G2"_s, u"B200"_s, 50);
    Goods(u"G3"_s, u"C300"_s, 30);
    Goods(u"G4"_s, u"S400"_s, 40, {{u"DiscountFlag"_s, 1}});  // sold at its special price only
  }
  void TearDown() override {
    screen.reset();
    SaleTest::TearDown();
  }

  void Grant(Right r) {
    Revoke(r);
    Insert(u"QTCashierRight"_s, {{u"CashierNo"_s, u"C1"_s}, {u"RightID"_s, static_cast<int>(r)}});
  }
  void Revoke(Right r) {
    ExecBoth(u"DELETE FROM QTCashierRight WHERE RightID = :R"_s, {{u":R"_s, static_cast<int>(r)}});
  }

  // Two sales assistants; the second has left.
  void Employee() {
    Insert(u"JBEmployee"_s, {{u"EmployeeNo"_s, u"EMP1"_s},
                             {u"EmployeeCode"_s, u"E01"_s},
                             {u"EmployeeName"_s, u"王五"_s},
                             {u"Stopflag"_s, 0},
                             {u"QTEmployeeFlag"_s, 1}});
    Insert(u"JBEmployee"_s, {{u"EmployeeNo"_s, u"EMP2"_s},
                             {u"EmployeeCode"_s, u"E02"_s},
                             {u"EmployeeName"_s, u"赵六"_s},
                             {u"Stopflag"_s, 1},
                             {u"QTEmployeeFlag"_s, 1}});
  }

  // Opens the screen as the main window does; true when it may be shown.
  bool OpenScreen() {
    screen = std::make_unique<TfrmQTSale>(sale, actions, HomePath());
    if (!screen->Open()) return false;
    ShowActive(screen.get());
    return screen->isActiveWindow();
  }

  // The cashier scans or types a code into the goods edit and presses Enter.
  void Scan(const QString& code) {
    screen->suiEdtGoods->setFocus();
    screen->suiEdtGoods->setText(code);
    Press(Qt::Key_Return);
  }
  // Types a value into an entry edit (reached by its key) and confirms it with Enter.
  void Type(QLineEdit* edit, const QString& text) {
    screen->desk().returnToGoods = false;  // as F6, F7 and F8 leave it
    edit->setFocus();
    edit->setText(text);
    Press(Qt::Key_Return);
  }
  // Types characters into whatever has the focus (an open grid cell, say).
  // Each key goes where the focus is at that moment, as a keyboard's would.
  void Keys(const QString& text) {
    for (QChar c : text) QTest::keyClicks(QApplication::focusWidget(), QString(c));
  }

  QWidget* Focus() const { return QApplication::focusWidget(); }
  OrderLines& Lines() { return screen->desk().order().lines; }
  QStringList Discounts() {
    QStringList out;
    for (const OrderLine& l : Lines()) out << NumberText(l.Discount);
    return out;
  }

  SaleScreenActions actions;
  std::unique_ptr<TfrmQTSale> screen;
};

TEST_P(SaleScreenTest, OpensWithANewNumberTheTillsFactsAndEveryKeyLabel) {
  ASSERT_TRUE(OpenScreen());
  EXPECT_EQ(screen->windowTitle(), u"前台销售"_s);
  EXPECT_TRUE(screen->isFullScreen());
  EXPECT_EQ(screen->lblOrderNo->text(), u"XS012026121000001"_s);
  EXPECT_EQ(screen->desk().order().header.OrderNo, u"XS012026121000001"_s);
  EXPECT_EQ(screen->desk().order().header.OnOverOrderNo, session.OnOverOrderNo);
  EXPECT_EQ(screen->lblConnectSever->text(), GetParam() ? u"连网销售"_s : u"断网销售"_s);
  EXPECT_EQ(screen->lblShopCode->text(), u"01"_s);
  EXPECT_EQ(screen->lblShoName->text(), u"一号店"_s);
  EXPECT_EQ(screen->lblStoreNAme->text(), u"一号仓"_s);
  EXPECT_EQ(screen->lblCarshier->text(), u"李四"_s);
  EXPECT_EQ(screen->lblTime->text(), u"2026-12-10 09:30:00"_s);
  EXPECT_EQ(screen->lblTotalQty->text(), u"00.0"_s);
  EXPECT_EQ(screen->lblPRealAmount->text(), u"00.0"_s);
  EXPECT_EQ(screen->suiEdtQuntity->text(), u"1"_s);
  EXPECT_EQ(screen->suiEdtDiscount->text(), u"100"_s);
  EXPECT_EQ(Focus(), screen->suiEdtGoods);

  QStringList titles;
  for (int c = 0; c < screen->model()->columnCount(); ++c) {
    if (!screen->dbgDetail->isColumnHidden(c)) {
      titles << screen->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    }
  }
  EXPECT_EQ(titles,
            (QStringList{u"序号"_s, u"条形码"_s, u"商品名称"_s, u"颜色"_s, u"尺码"_s, u"单位"_s,
                         u"价格"_s, u"数量"_s, u"折扣(%)"_s, u"金额"_s, u"备注"_s}));
  // Every clickable label with its caption; those whose work is not in the till yet are off.
  const std::tuple<const char*, const char16_t*, bool> labels[] = {
      {"Label20", u"导购员   [F2]", true},   {"Label21", u"整单折扣 [F3]", true},
      {"Label19", u"会员卡   [F4]", false},  {"Label24", u"商  品   [F5]", true},
      {"Label25", u"数  量   [↑]", true},    {"Label23", u"单  价   [→]", true},
      {"Label26", u"折  扣   [↓]", true},    {"Label43", u"备  注   [Ctr+N]", true},
      {"Label28", u"赠  品   [F9]", true},   {"Label29", u"挂  单   [F10]", false},
      {"Label27", u"取  单   [F11]", false}, {"Label34", u"收  款   [F12]", false},
      {"Label6", u"表格[Ctrl+B]", true},     {"Label5", u"删行[Del]", true},
      {"Label18", u"删单[Ctrl+Del]", true},  {"Label22", u"取款[Ctrl+Q]", false},
      {"Label49", u"退货[Ctrl+T]", true},    {"Label48", u"积分兑换 [Ctrl+L]", true},
      {"Label35", u"锁屏[Ctrl+K]", false},   {"Label36", u" 上传[Ctrl+S]", false},
      {"Label37", u"下载[Ctrl+X]", false},   {"Label38", u"切换工作模式[Ctril+Alt+Z]", false},
      {"Label41", u"帮助[F1]", true},        {"Label39", u"退出[Esc]", true}};
  for (const auto& [name, caption, enabled] : labels) {
    auto* label = screen->findChild<QLabel*>(QLatin1String(name));
    ASSERT_NE(label, nullptr) << name;
    EXPECT_EQ(label->text(), QString::fromUtf16(caption)) << name;
    EXPECT_EQ(label->isEnabled(), enabled) << name;
    EXPECT_TRUE(label->isVisible()) << name;
  }
  EXPECT_FALSE(screen->findChild<QLabel*>(u"Label40"_s)->isVisible());
  EXPECT_TRUE(ui.messages().empty());
}

TEST_P(SaleScreenTest, WithoutTheRightToSellNothingOpensAndNoNumberIsUsed) {
  Revoke(Right::Sell);
  EXPECT_FALSE(OpenScreen());
  EXPECT_EQ(ui.texts(), QStringList{u"对不起，您没有权限使用该功能, 请与后台管理员联系！"_s});
  EXPECT_EQ(dm.NextBillNo(u"SaleOrder"_s), u"XS012026121000001"_s);
}

TEST_P(SaleScreenTest, AScanPricesALineAndSetsTheTotalsThenTheEditsAreReadyForTheNext) {
  ASSERT_TRUE(OpenScreen());
  QSignalSpy inserted(screen->model(), &QAbstractItemModel::rowsInserted);
  QSignalSpy changed(screen->model(), &QAbstractItemModel::dataChanged);
  screen->suiEdtQuntity->setText(u"2"_s);
  screen->suiEdtPrice->setText(u"88"_s);
  Scan(u"A100"_s);
  Scan(u"B200"_s);
  ASSERT_EQ(Lines().size(), 2);
  EXPECT_EQ(Lines()[0].Quantity, 2);
  EXPECT_EQ(Lines()[0].Price, 88);
  EXPECT_EQ(Lines()[1].Price, 50);
  EXPECT_EQ(screen->lblTotalQty->text(), u"3"_s);
  EXPECT_EQ(screen->lblAmount->text(), u"226"_s);
  EXPECT_EQ(screen->suiEdtQuntity->text(), u"1"_s);
  EXPECT_TRUE(screen->suiEdtPrice->text().isEmpty());
  EXPECT_EQ(screen->suiEdtGoods->selectedText(), u"B200"_s);
  EXPECT_EQ(display.shown.back().amount, 226);
  // The grid heard of two new rows and nothing else: the first row was not repainted.
  EXPECT_EQ(inserted.count(), 2);
  EXPECT_EQ(changed.count(), 0);
  EXPECT_EQ(screen->model()->index(1, static_cast<int>(GridColumn::GoodsName)).data(),
            u"商品B200"_s);
  // A second scan of the goods just entered only changes its row.
  Scan(u"B200"_s);
  EXPECT_EQ(inserted.count(), 2);
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed[0][0].toModelIndex().row(), 1);
  EXPECT_EQ(changed[0][1].toModelIndex().row(), 1);
}

TEST_P(SaleScreenTest, WhatIsNotFoundOrLeftLeavesTheOrderAsItWas) {
  Goods(u"G5"_s, u"D500"_s, 20, {{u"CSOptions"_s, 1}, {u"CGroupNo"_s, u"CG1"_s}});
  Insert(u"JBColor"_s, {{u"ColorNo"_s, u"C01"_s}, {u"ColorName"_s, u"红"_s}});
  Insert(u"JBCGroupDetail"_s, {{u"CGroupNo"_s, u"CG1"_s}, {u"ColorNo"_s, u"C01"_s}});
  Employee();
  ASSERT_TRUE(OpenScreen());
  Scan(u"A100"_s);
  const QString before = screen->lblAmount->text();
  Scan(u"NOSUCH"_s);
  ui.CloseColorSize();
  Scan(u"D500"_s);
  ui.LeaveGoodsList();
  Scan(u"00"_s);  // a fragment found in several codes: the list is left with Esc
  ui.CancelEmployee();
  Press(Qt::Key_F2);
  EXPECT_EQ(ui.texts(), (QStringList{u"没有找到该商品！"_s, u"没有选择颜色！"_s}));
  EXPECT_EQ(Lines().size(), 1);
  EXPECT_EQ(screen->lblAmount->text(), before);
  EXPECT_TRUE(screen->desk().order().EmployeeNo.isEmpty());
  EXPECT_TRUE(screen->lblEmployee->text().isEmpty());
}

// A guide is chosen by code in the guide dialog; an unknown code keeps the dialog open.
TEST_P(SaleScreenTest, F2ChoosesTheGuideAndAnOrderThatNeedsOneWaitsForIt) {
  Employee();
  session.HasGuid = true;
  ASSERT_TRUE(OpenScreen());
  Scan(u"A100"_s);
  EXPECT_EQ(ui.texts(), QStringList{u"请选择导购员!"_s});
  EXPECT_TRUE(Lines().empty());
  ui.clear();
  ui.TypeEmployeeCode(u"E'9%"_s);
  ui.TypeEmployeeCode(u"E02"_s);
  ui.TypeEmployeeCode(u" E01 "_s);
  screen->label(Command::F2Guide)->setFocus();
  QTest::mouseClick(screen->label(Command::F2Guide), Qt::LeftButton);
  EXPECT_EQ(ui.texts(), QStringList(2, u"你输入的导购员不存在！"_s));
  EXPECT_EQ(screen->lblEmployee->text(), u"王五"_s);
  EXPECT_EQ(screen->desk().order().header.EmployeeNo, u"EMP1"_s);
  Scan(u"A100"_s);
  EXPECT_EQ(Lines().size(), 1);
}

TEST_P(SaleScreenTest, TheQuantityEditTakesOnlyANumberOtherThanZeroAndANegativeOneWithRight10) {
  ASSERT_TRUE(OpenScreen());
  struct Case {
    QString typed;
    bool right10;
    QString message;  // empty: accepted
  };
  const QString not_number = u"您输入的不是数字类型！"_s;
  for (const Case& c : {
           Case{u"0"_s, true, u"输入数量不能为0！"_s},
           Case{u"-0"_s, true, u"输入数量不能为0！"_s},
           Case{u"-2"_s, false, u"对不起，您没有权限退货！"_s},
           Case{u"-2"_s, true, {}},
           Case{u"3"_s, false, {}},
           Case{u"abc"_s, true, not_number},
           // Full-width digits, as a Chinese input method types them, are digits.
           Case{u"３"_s, true, {}},
           Case{u"100000"_s, true, u"数量不能超过99999！"_s},
           Case{u"1.23456"_s, true, u"数量最多4位小数！"_s},
           Case{u"1e400"_s, true, not_number},
           Case{u"1'; DROP TABLE JBGoods; --"_s, true, not_number},
           Case{u"5%"_s, true, not_number},
           Case{QString(300, u'9'), true, u"数量不能超过99999！"_s},
       }) {
    c.right10 ? Grant(Right::Returns) : Revoke(Right::Returns);
    ui.clear();
    Press(Qt::Key_F6);
    ASSERT_EQ(Focus(), screen->suiEdtQuntity);
    Type(screen->suiEdtQuntity, c.typed);
    if (c.message.isEmpty()) {
      EXPECT_TRUE(ui.messages().empty()) << c.typed.toStdString();
      EXPECT_EQ(Focus(), screen->suiEdtGoods) << c.typed.toStdString();
      EXPECT_EQ(screen->suiEdtQuntity->text(), c.typed);
    } else {
      EXPECT_EQ(ui.texts(), QStringList{c.message}) << c.typed.toStdString();
      EXPECT_EQ(screen->suiEdtQuntity->text(), u"1"_s);
      EXPECT_EQ(Focus(), screen->suiEdtQuntity);
      EXPECT_FALSE(screen->desk().returnToGoods);
    }
  }
  // The accepted -2 with the right is a return line of the next goods.
  Grant(Right::Returns);
  Type(screen->suiEdtQuntity, u"-2"_s);
  Scan(u"B200"_s);
  ASSERT_EQ(Lines().size(), 1);
  EXPECT_EQ(Lines()[0].Quantity, -2);
  EXPECT_EQ(screen->lblAmount->text(), u"-100"_s);
  EXPECT_EQ(dm.conClient.Scalar(u"SELECT COUNT(*) FROM JBGoods"_s).toInt(), 4);
}

TEST_P(SaleScreenTest, TheDiscountEditTakesOneToHundredAndNotBelowTheCashiersLowest) {
  ASSERT_TRUE(OpenScreen());
  struct Case {
    double lowest;
    QString typed;
    QString message;
    QString after;
  };
  const QString range = u"折扣必须在1-100之间 ！"_s;
  for (const Case& c : {
           Case{100, u"0.5"_s, range, u"100"_s},
           Case{100, u"100.5"_s, range, u"100"_s},
           Case{100, u"1"_s, {}, u"1"_s},
           Case{100, u"100"_s, {}, u"100"_s},
           Case{100, u"九十"_s, u"您输入的折扣非数字类型！"_s, u"100"_s},
           Case{80, u"79"_s, u"对不起，您的折扣率权限不够，最低折扣只能80%！"_s, u"80"_s},
           Case{80, u"80"_s, {}, u"80"_s},
           Case{0, u"5"_s, {}, u"5"_s},
       }) {
    session.PremiumRate = c.lowest;
    ui.clear();
    Type(screen->suiEdtDiscount, c.typed);
    if (c.message.isEmpty()) {
      EXPECT_TRUE(ui.messages().empty()) << c.typed.toStdString();
    } else {
      ASSERT_EQ(ui.messages().size(), 1u) << c.typed.toStdString();
      EXPECT_EQ(ui.messages()[0].text, c.message);
    }
    EXPECT_EQ(screen->suiEdtDiscount->text(), c.after) << c.typed.toStdString();
  }
  // The range and number refusals are the question-icon boxes captioned 提示.
  ui.clear();
  Type(screen->suiEdtDiscount, u"101"_s);
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].caption, u"提示"_s);
  EXPECT_EQ(ui.messages()[0].icon, MsgIcon::Question);
  ui.clear();
  Type(screen->suiEdtPrice, u"12,5"_s);
  EXPECT_EQ(ui.last(), u"提示|您输入的单价不是数字类型！"_s);
  EXPECT_TRUE(screen->suiEdtPrice->text().isEmpty());
}

TEST_P(SaleScreenTest, F8DiscountsTheNextGoodsOnlyAndThenF3IsRefused) {
  ASSERT_TRUE(OpenScreen());
  Press(Qt::Key_F8);
  EXPECT_EQ(Focus(), screen->suiEdtDiscount);
  Type(screen->suiEdtDiscount, u"90"_s);
  EXPECT_EQ(screen->desk().order().DiscountMode, 2);
  Scan(u"A100"_s);
  EXPECT_EQ(screen->suiEdtDiscount->text(), u"100"_s);
  Scan(u"B200"_s);
  EXPECT_EQ(Discounts(), (QStringList{u"90"_s, u"100"_s}));
  EXPECT_EQ(screen->lblAmount->text(), u"140"_s);
  Press(Qt::Key_F3);
  EXPECT_EQ(ui.texts(), QStringList{u"现在是单商品折扣状态，不能进行整单折扣 ！"_s});
  Press(Qt::Key_F8);  // several single-goods discounts may follow one another
  EXPECT_EQ(Focus(), screen->suiEdtDiscount);
  EXPECT_EQ(ui.messages().size(), 1u);
}

TEST_P(SaleScreenTest, F3DiscountsEveryLineAtOnceAndEveryLaterOne) {
  ASSERT_TRUE(OpenScreen());
  Scan(u"A100"_s);
  Scan(u"B200"_s);
  Scan(u"C300"_s);
  Press(Qt::Key_F3, Qt::ShiftModifier);
  ASSERT_EQ(Focus(), screen->suiEdtDiscount);
  Type(screen->suiEdtDiscount, u"90"_s);
  EXPECT_EQ(Discounts(), (QStringList{u"90"_s, u"90"_s, u"90"_s}));
  EXPECT_EQ(screen->lblAmount->text(), u"162"_s);
  EXPECT_EQ(screen->desk().order().DiscountMode, 1);
  Scan(u"A100"_s);
  EXPECT_EQ(screen->suiEdtDiscount->text(), u"90"_s);
  Scan(u"B200"_s);
  EXPECT_EQ(Discounts(), QStringList(5, u"90"_s));
  Press(Qt::Key_F8);
  EXPECT_EQ(ui.last(), u"提示！|整单折扣或会员折扣时不能进行单个商品的折扣！"_s);
}

// Every guarded key refuses in its own words without its right, and acts with it.
TEST_P(SaleScreenTest, EveryGuardedKeyRefusesWithoutItsRight) {
  int withdrawals = 0;
  actions.withdrawCash = [&](SaleDesk&) { ++withdrawals; };
  ASSERT_TRUE(OpenScreen());
  Scan(u"A100"_s);
  struct Case {
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    Right right;
    QString refusal;
    bool in_grid;
  };
  for (const Case& c : {
           Case{Qt::Key_F3, {}, Right::Discount, u"对不起，您没有打折扣的权限！"_s, false},
           Case{Qt::Key_F8, {}, Right::Discount, u"对不起，您没有打折扣的权限！"_s, false},
           Case{Qt::Key_F7, {}, Right::ChangePrice, u"对不起，您没有修改零售价的权限！"_s, false},
           Case{Qt::Key_F9, {}, Right::Gift, u"对不起，您没有赠品的权限"_s, false},
           Case{Qt::Key_T, Qt::ControlModifier, Right::Returns, u"对不起，您没有退货的权限！"_s,
                false},
           Case{Qt::Key_Q, Qt::ControlModifier, Right::OpenDrawer,
                u"对不起！，你没有开钱箱的权限！"_s, false},
           Case{Qt::Key_F7, {}, Right::ChangePrice, u"对不起！您没有修改价格的权限！"_s, true},
           Case{Qt::Key_F8, {}, Right::Discount, u"对不起！您没有修改折扣的权限！"_s, true},
       }) {
    Revoke(c.right);
    Press(Qt::Key_F5);
    if (c.in_grid) Press(Qt::Key_B, Qt::ControlModifier);
    ui.clear();
    Press(c.key, c.mods);
    EXPECT_EQ(ui.texts(), QStringList{c.refusal}) << c.key;
    EXPECT_EQ(Lines()[0].Price, 100) << c.key;
    EXPECT_EQ(Lines()[0].Quantity, 1) << c.key;
    Grant(c.right);
    ui.clear();
    Press(c.key, c.mods);
    EXPECT_TRUE(ui.messages().empty()) << c.key;
    Press(Qt::Key_F5);
    EXPECT_EQ(Focus(), screen->suiEdtGoods);
    // Undo what the key did so the next case starts from the same line.
    Lines().SetQuantity(0, 1);
    Lines().SetPrice(0, 100);
    Lines()[0].Memo.clear();
  }
  EXPECT_EQ(withdrawals, 1);
}

TEST_P(SaleScreenTest, GridQuantityIsNeverZeroAndANegativeOneNeedsRight10) {
  ASSERT_TRUE(OpenScreen());
  Scan(u"A100"_s);
  struct Case {
    QString typed;
    bool right10;
    double quantity;
    QStringList messages;
  };
  for (const Case& c : {
           Case{u"0"_s, true, 1, {u"输入数量不能为0！"_s}},
           Case{u"-1"_s, true, -1, {}},
           Case{u"0"_s, false, 1, {u"输入数量不能为0！"_s}},
           Case{u"-3"_s, false, 1, {u"对不起，您没有退货的权限！"_s}},
           Case{u"x"_s, true, 1, {u"错误"_s}},
           Case{u"4"_s, false, 4, {}},
       }) {
    c.right10 ? Grant(Right::Returns) : Revoke(Right::Returns);
    Lines().SetQuantity(0, 1);
    ui.clear();
    Press(Qt::Key_Up);
    ASSERT_EQ(screen->dbgDetail->currentIndex().column(), static_cast<int>(GridColumn::Quantity));
    Keys(c.typed);
    Press(Qt::Key_Return);
    EXPECT_EQ(Lines()[0].Quantity, c.quantity) << c.typed.toStdString();
    EXPECT_EQ(ui.texts(), c.messages) << c.typed.toStdString();
    EXPECT_EQ(Focus(), screen->suiEdtGoods);
    EXPECT_EQ(screen->lblAmount->text(), (Money(100).Times(c.quantity)).ShortText());
    EXPECT_FALSE(screen->desk().ColumnEditable(GridColumn::Quantity));
  }
}

TEST_P(SaleScreenTest, SpecialPriceLinesTakeNoDiscountAndGiftsCannotBeEdited) {
  ASSERT_TRUE(OpenScreen());
  Scan(u"S400"_s);
  ASSERT_EQ(Lines()[0].Memo, u"【特价】"_s);
  Press(Qt::Key_Down);
  Keys(u"90"_s);
  Press(Qt::Key_Return);
  EXPECT_EQ(ui.texts(), QStringList{u"特价商品不允许打折！"_s});
  EXPECT_EQ(Lines()[0].Discount, 100);
  EXPECT_EQ(screen->lblAmount->text(), u"40"_s);

  // A gift line: the arrow keys do not open it, and typing into it is refused.
  Scan(u"A100"_s);
  Lines()[1].Memo = u"【礼品】"_s;
  Lines()[1].PriceFlag = kGiftPrice;
  ui.clear();
  Press(Qt::Key_Up);
  EXPECT_NE(Focus(), screen->dbgDetail);
  Lines().SetCurrentIndex(0);
  Press(Qt::Key_B, Qt::ControlModifier);
  ASSERT_EQ(Focus(), screen->dbgDetail);
  screen->dbgDetail->setCurrentIndex(
      screen->model()->index(1, static_cast<int>(GridColumn::Quantity)));
  Keys(u"5"_s);
  EXPECT_EQ(ui.texts(), QStringList{u"赠送商品不能修改数量！"_s});
  EXPECT_EQ(Lines()[1].Quantity, 1);
  EXPECT_EQ(Focus(), screen->suiEdtGoods);
}

TEST_P(SaleScreenTest, F9MakesAGiftAndDelOfAPointsGiftGivesThePointsBack) {
  ASSERT_TRUE(OpenScreen());
  Press(Qt::Key_F9);  // no lines: nothing
  Scan(u"A100"_s);
  Press(Qt::Key_F9);
  EXPECT_EQ(Lines()[0].Price, 0);
  EXPECT_EQ(Lines()[0].Amount, 0);
  EXPECT_EQ(Lines()[0].Memo, u"【赠品】"_s);
  EXPECT_EQ(Lines()[0].GoodsName, u"商品A100【赠品】"_s);

  // A gift bought with 30 points.
  Order& order = screen->desk().order();
  OrderLine gift;
  gift.SerialNo = 9;
  gift.GoodsNo = u"G3"_s;
  gift.GoodsName = u"商品C300【礼品】"_s;
  gift.Memo = u"【礼品】"_s;
  gift.PriceFlag = kGiftPrice;
  gift.OrigPrice = 30;
  gift.Quantity = 1;
  order.lines.Append(gift);
  order.GiftPoints = 30;
  order.lines.SetCurrentIndex(0);
  Press(Qt::Key_B, Qt::ControlModifier);
  ASSERT_EQ(Focus(), screen->dbgDetail);
  screen->dbgDetail->setCurrentIndex(screen->model()->index(1, 0));
  Press(Qt::Key_Delete);
  EXPECT_EQ(order.GiftPoints, 0);
  EXPECT_EQ(Lines().size(), 1);
  // The label deletes wherever the focus is.
  Press(Qt::Key_F5);
  QTest::mouseClick(screen->label(Command::DelLine), Qt::LeftButton);
  EXPECT_TRUE(Lines().empty());
  EXPECT_EQ(screen->model()->rowCount(), 0);
  QTest::mouseClick(screen->label(Command::DelLine), Qt::LeftButton);  // none left: nothing
  EXPECT_TRUE(ui.messages().empty());
}

TEST_P(SaleScreenTest, CtrlTNegatesAPositiveLineOnce) {
  ASSERT_TRUE(OpenScreen());
  screen->suiEdtQuntity->setText(u"2"_s);
  Scan(u"A100"_s);
  Press(Qt::Key_T, Qt::ControlModifier);
  EXPECT_EQ(Lines()[0].Quantity, -2);
  EXPECT_EQ(Lines()[0].Amount, -200);
  Press(Qt::Key_T, Qt::ControlModifier);
  EXPECT_EQ(Lines()[0].Quantity, -2);
  QTest::mouseClick(screen->label(Command::CtrlTReturn), Qt::LeftButton);
  EXPECT_EQ(Lines()[0].Quantity, -2);
}

// With returns tied to earlier sales, Ctrl+T and a line made negative ask the returns for the
// earlier sale; a line already marked as returned does not ask again.
TEST_P(SaleScreenTest, ReturnsAgainstEarlierSalesGoToTheReturns) {
  session.BackFlag = true;
  int started = 0;
  std::vector<int> asked;
  actions.startReturn = [&](SaleDesk&) { ++started; };
  actions.returnForLine = [&](SaleDesk&, int row) { asked.push_back(row); };
  ASSERT_TRUE(OpenScreen());
  Scan(u"A100"_s);
  Scan(u"B200"_s);
  Press(Qt::Key_T, Qt::ControlModifier);
  EXPECT_EQ(started, 1);
  EXPECT_EQ(Lines()[1].Quantity, 1);
  Press(Qt::Key_Up);
  Keys(u"-1"_s);
  Press(Qt::Key_Return);
  Lines()[0].Memo = u"退：XS012026120900007"_s;
  Lines().SetQuantity(0, -1);
  EXPECT_EQ(asked, std::vector<int>{1});
  EXPECT_EQ(Lines()[1].Quantity, -1);
}

TEST_P(SaleScreenTest, CtrlDelDropsTheOrderAndDrawsTheNextNumber) {
  ASSERT_TRUE(OpenScreen());
  Scan(u"A100"_s);
  ui.AnswerNo();
  Press(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(ui.last(), u"提示|您真的要删除该单吗？"_s);
  EXPECT_EQ(Lines().size(), 1);
  ui.AnswerYes();
  Press(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_TRUE(Lines().empty());
  EXPECT_EQ(screen->lblOrderNo->text(), u"XS012026121000002"_s);
  EXPECT_EQ(screen->lblAmount->text(), u"0"_s);
  EXPECT_EQ(screen->model()->rowCount(), 0);
  ui.AnswerYes();  // an empty order asks as well, and still takes a new number
  Press(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(screen->lblOrderNo->text(), u"XS012026121000003"_s);
  Scan(u"B200"_s);
  EXPECT_EQ(Lines()[0].SerialNo, 1);
  EXPECT_EQ(Lines()[0].OrderNo, u"XS012026121000003"_s);
}

TEST_P(SaleScreenTest, KeysMatchTheirModifiersAndLabelsActAsTheirKeys) {
  int checkouts = 0, uploads = 0;
  actions.checkout = [&](SaleDesk&) -> std::optional<CheckoutAmounts> {
    ++checkouts;
    return CheckoutAmounts{u" 150 "_s, u"200"_s, u"50"_s};
  };
  actions.upload = [&] { ++uploads; };
  actions.switchMode = [this] {
    session.IsOnline = !session.IsOnline;
    return true;
  };
  ASSERT_TRUE(OpenScreen());
  Press(Qt::Key_F12, Qt::ShiftModifier);
  EXPECT_EQ(ui.texts(), QStringList{u"空单不能收款！"_s});
  Scan(u"A100"_s);
  Scan(u"B200"_s);
  Press(Qt::Key_F12, Qt::ShiftModifier);
  EXPECT_EQ(checkouts, 1);
  EXPECT_TRUE(Lines().empty());
  EXPECT_EQ(screen->lblPRealAmount->text(), u"150"_s);
  EXPECT_EQ(screen->lblPChangeAmount->text(), u"50"_s);
  EXPECT_EQ(screen->lblOrderNo->text(), u"XS012026121000002"_s);

  Press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);  // not Ctrl+S
  EXPECT_EQ(uploads, 0);
  ui.clear();
  Press(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(uploads, GetParam() ? 1 : 0);
  EXPECT_EQ(ui.texts(), GetParam() ? QStringList{} : QStringList{u"上传只能在连网模式下操作！"_s});

  Press(Qt::Key_Z, Qt::AltModifier | Qt::ControlModifier);
  EXPECT_EQ(screen->lblConnectSever->text(), GetParam() ? u"断网模式"_s : u"连网模式"_s);
  Press(Qt::Key_Z, Qt::AltModifier | Qt::ControlModifier | Qt::ShiftModifier);  // nothing
  EXPECT_EQ(screen->lblConnectSever->text(), GetParam() ? u"断网模式"_s : u"连网模式"_s);

  // "单  价   [→]" acts as F7 (the price edit), not as the Right arrow (the grid).
  Scan(u"A100"_s);
  QTest::mouseClick(screen->label(Command::F7Price), Qt::LeftButton);
  EXPECT_EQ(Focus(), screen->suiEdtPrice);
  // A key whose work is not in the till yet does nothing and says nothing.
  ui.clear();
  Press(Qt::Key_F10);
  Press(Qt::Key_F4);
  Press(Qt::Key_K, Qt::ControlModifier);
  QTest::mouseClick(screen->findChild<QLabel*>(u"Label29"_s), Qt::LeftButton);
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(Lines().size(), 1);
}

TEST_P(SaleScreenTest, CtrlXOpensTheDownloadOptionsOnlineAndF1SaysWhenThereIsNoHelp) {
  int downloads = 0;
  actions.download = [&] { ++downloads; };
  ASSERT_TRUE(OpenScreen());
  Press(Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(downloads, GetParam() ? 1 : 0);
  EXPECT_EQ(ui.texts(), GetParam() ? QStringList{} : QStringList{u"下载只能在连网模式下操作！"_s});
  ui.clear();
  Press(Qt::Key_F1);
  EXPECT_EQ(ui.texts(),
            QStringList{u"找不到帮助文件“Orvel前台说明书.chm”，它应在程序所在的文件夹中！"_s});
}

TEST_P(SaleScreenTest, EscAsksBeforeTheScreenCloses) {
  ASSERT_TRUE(OpenScreen());
  Scan(u"A100"_s);
  ui.AnswerNo();
  Press(Qt::Key_Escape);
  EXPECT_TRUE(screen->isVisible());
  EXPECT_EQ(ui.last(), u"|确实退出前台销售吗？"_s);
  ui.AnswerYes();
  QTest::mouseClick(screen->label(Command::EscLeave), Qt::LeftButton);
  EXPECT_FALSE(screen->isVisible());
  EXPECT_EQ(screen->result(), QDialog::Rejected);
}

// Online, with the option on, a line that would take the store's stock below none warns; the
// sale goes on. Offline there is no stock to ask.
TEST_P(SaleScreenTest, TheStockWarningComesOnlineAndTheSaleGoesOn) {
  session.LowMinStock = true;
  dm.conServer.Exec(
      u"INSERT INTO CKCurrStoreCS (StoreNo, GoodsNo, ColorNo, SizeNo, Quantity) "
      "VALUES ('S01', 'G1', '001', '001', 1)"_s);
  ASSERT_TRUE(OpenScreen());
  Scan(u"A100"_s);
  EXPECT_TRUE(ui.messages().empty());
  Scan(u"A100"_s);
  EXPECT_EQ(ui.texts(),
            GetParam() ? QStringList{u"销售该商品可能导致库存为负！"_s} : QStringList{});
  EXPECT_EQ(Lines()[0].Quantity, 2);
}

// An error that is no lost server is shown with the database's own words, in either mode;
// offline above all, where nothing else would tell of it.
TEST_P(SaleScreenTest, AFailingStatementIsShownAndTheOrderStays) {
  ASSERT_TRUE(OpenScreen());
  Scan(u"A100"_s);
  dm.Current().Exec(u"ALTER TABLE JBGoods RENAME TO JBGoodsGone"_s);
  Scan(u"B200"_s);
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].caption, ApplicationTitle());
  EXPECT_TRUE(ui.messages()[0].text.contains(u"jbgoods"_s, Qt::CaseInsensitive));
  EXPECT_EQ(session.IsOnline, GetParam());
  EXPECT_EQ(Lines().size(), 1);
  EXPECT_EQ(screen->lblAmount->text(), u"100"_s);
}

QUILMO_BOTH_MODES(SaleScreenTest);

// The server lost in the middle of an order. The fixture's maintenance connection ends the
// till's server session and, where the server is to stay unreachable, closes its database to
// new connections, so the till's reconnection fails as it would with the cable pulled.
class SaleScreenNetworkTest : public SaleScreenTest {
 protected:
  void SetUp() override {
    SaleScreenTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(OpenScreen());
    screen->desk().SetReconnectLimit(2);
    // The local file prices B200 differently, so a line shows which database priced it.
    dm.conClient.Exec(u"UPDATE JBGoods SET SRefPrice = 45 WHERE GoodsNo = 'G2'"_s);
  }
  void TearDown() override {
    Maintenance(u"ALTER DATABASE %1 WITH ALLOW_CONNECTIONS true"_s.arg(databaseName()));
    SaleScreenTest::TearDown();
  }
  void Maintenance(const QString& sql) { test::PgExec(server(), u"postgres"_s, sql); }
  void EndTheTillsSession(bool reachable) {
    if (!reachable) {
      Maintenance(u"ALTER DATABASE %1 WITH ALLOW_CONNECTIONS false"_s.arg(databaseName()));
    }
    Maintenance(
        u"SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
        "WHERE datname = '%1' AND pid <> pg_backend_pid()"_s.arg(databaseName()));
  }
};

TEST_P(SaleScreenNetworkTest, ALostServerSwitchesToOfflineAndTheOrderSellsOn) {
  Scan(u"A100"_s);
  Scan(u"B200"_s);
  ASSERT_EQ(Lines().size(), 2);
  EXPECT_EQ(Lines()[1].Price, 50);
  EndTheTillsSession(false);

  Scan(u"C300"_s);
  EXPECT_EQ(ui.last(), u"提示|网络故障！系统自动切换到『断网销售』模式。"_s);
  EXPECT_EQ(ui.messages().back().icon, MsgIcon::Information);
  EXPECT_FALSE(session.IsOnline);
  EXPECT_EQ(screen->lblConnectSever->text(), u"断网销售"_s);
  ASSERT_EQ(Lines().size(), 2);
  EXPECT_EQ(screen->model()->rowCount(), 2);
  EXPECT_EQ(screen->lblOrderNo->text(), u"XS012026121000001"_s);

  ui.clear();
  Scan(u"B200"_s);  // priced offline: not the online line's price, so a line of its own
  Scan(u"C300"_s);
  EXPECT_TRUE(ui.messages().empty());
  ASSERT_EQ(Lines().size(), 4);
  EXPECT_EQ(Lines()[2].Price, 45);  // the local file's price
  EXPECT_EQ(screen->lblAmount->text(), u"225"_s);
}

TEST_P(SaleScreenNetworkTest, AServerThatComesBackKeepsTheTillOnlineAndSaysWhatFailed) {
  Scan(u"A100"_s);
  EndTheTillsSession(true);
  Scan(u"B200"_s);
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].caption, ApplicationTitle());
  EXPECT_TRUE(session.IsOnline);
  EXPECT_EQ(Lines().size(), 1);
  ui.clear();
  Scan(u"B200"_s);
  EXPECT_TRUE(ui.messages().empty());
  ASSERT_EQ(Lines().size(), 2);
  EXPECT_EQ(Lines()[1].Price, 50);
}

INSTANTIATE_TEST_SUITE_P(Online, SaleScreenNetworkTest, ::testing::Values(true),
                         ::quilmo::test::ModeName);

}  // namespace
}  // namespace quilmo
