#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>

#include "app/screens/qt_ui.h"
#include "frame/frm_message_box.h"
#include "sale/pricing.h"
#include "sale/returns.h"
#include "sale/sale_fixture.h"
#include "sale/screens/frm_halt_sale_order.h"
#include "sale/screens/frm_qt_back.h"
#include "sale/suspended_orders.h"
#include "support/screen_helpers.h"

namespace quilmo {
namespace {

using test::InNextModal;
using test::Press;
using test::SaleTest;
using test::ShowActive;
using namespace Qt::StringLiterals;

QStringList Headers(const QTableView* grid) {
  QStringList out;
  for (int c = 0; c < grid->model()->columnCount(); ++c) {
    out << grid->model()->headerData(c, Qt::Horizontal).toString();
  }
  return out;
}

QStringList Column(const QTableView* grid, int column) {
  QStringList out;
  for (int r = 0; r < grid->model()->rowCount(); ++r) {
    out << grid->model()->index(r, column).data().toString();
  }
  return out;
}

std::vector<ParkedOrder> TwoParkedOrders() {
  std::vector<ParkedOrder> orders(2);
  orders[0] = {u"XS01"_s, QDateTime(QDate(2026, 12, 10), QTime(9, 5)), u"张三"_s, u"李四"_s, 150,
               {}};
  orders[1] = {u"XS02"_s, QDateTime(QDate(2026, 12, 10), QTime(9, 40)), u"张三"_s, {}, 80, {}};
  for (int serial : {1, 2}) {
    OrderLine l;
    l.SerialNo = serial;
    l.GoodsCode = u"SHIRT"_s;
    l.GoodsName = u"衬衫"_s;
    l.Price = 75;
    l.Quantity = 1;
    l.Discount = 100;
    l.Amount = 75;
    orders[0].lines.push_back(l);
  }
  OrderLine pants;
  pants.SerialNo = 1;
  pants.GoodsName = u"长裤"_s;
  pants.Price = 80;
  pants.Quantity = 1;
  pants.Amount = 80;
  pants.Memo = u"【促销】"_s;
  orders[1].lines.push_back(pants);
  return orders;
}

TEST(HaltSaleOrderScreen, OrdersAboveTheLinesOfTheOneUnderTheCursorBelow) {
  const auto orders = TwoParkedOrders();
  TfrmHaltSaleOrder screen(orders);
  EXPECT_EQ(screen.windowTitle(), u"选择挂单"_s);
  EXPECT_EQ(Headers(screen.dbgMain),
            (QStringList{u"单据编号"_s, u"单据时间"_s, u"收银员"_s, u"导购员"_s, u"金额"_s}));
  EXPECT_EQ(Headers(screen.dbgDetail),
            (QStringList{u"序号"_s, u"商品代码"_s, u"条码"_s, u"商品名称"_s, u"颜色"_s, u"尺码"_s,
                         u"折扣"_s, u"价格"_s, u"数量"_s, u"金额"_s, u"备注"_s}));
  EXPECT_TRUE(screen.dbgDetail->isColumnHidden(1));
  EXPECT_EQ(screen.splitter->indexOf(screen.dbgMain), 0);
  EXPECT_EQ(screen.splitter->indexOf(screen.dbgDetail), 1);
  EXPECT_EQ(Column(screen.dbgMain, 1),
            (QStringList{u"2026-12-10 09:05:00"_s, u"2026-12-10 09:40:00"_s}));
  EXPECT_EQ(Column(screen.dbgMain, 4), (QStringList{u"150"_s, u"80"_s}));

  ShowActive(&screen);
  EXPECT_EQ(QApplication::focusWidget(), screen.dbgMain);
  EXPECT_EQ(Column(screen.dbgDetail, 3), (QStringList{u"衬衫"_s, u"衬衫"_s}));
  Press(Qt::Key_Down);
  EXPECT_EQ(Column(screen.dbgDetail, 3), QStringList{u"长裤"_s});
  EXPECT_EQ(Column(screen.dbgDetail, 10), QStringList{u"【促销】"_s});
  Press(Qt::Key_Return);
  EXPECT_FALSE(screen.isVisible());
  EXPECT_TRUE(screen.chosen());
  EXPECT_EQ(screen.chosenOrderNo(), u"XS02"_s);
}

TEST(HaltSaleOrderScreen, DoubleClickChoosesEscLeaves) {
  const auto orders = TwoParkedOrders();
  {
    TfrmHaltSaleOrder screen(orders);
    ShowActive(&screen);
    Press(Qt::Key_Escape);
    EXPECT_FALSE(screen.isVisible());
    EXPECT_FALSE(screen.chosen());
    EXPECT_TRUE(screen.chosenOrderNo().isEmpty());
  }
  TfrmHaltSaleOrder screen(orders);
  ShowActive(&screen);
  const QRect cell = screen.dbgMain->visualRect(screen.dbgMain->model()->index(0, 0));
  QTest::mouseClick(screen.dbgMain->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(screen.dbgMain->viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_TRUE(screen.chosen());
  EXPECT_EQ(screen.chosenOrderNo(), u"XS01"_s);
}

// The screens as the cashier meets them: opened by the sale logic through the real port, over
// real databases, answered with keys.
class ParkedAndReturnScreensTest : public SaleTest {
 protected:
  void SetUp() override {
    SaleTest::SetUp();
    if (HasFatalFailure()) return;
    session.BackDays = 7;
    Goods(u"G1"_s, u"SHIRT"_s, 100);
    Goods(u"G2"_s, u"PANTS"_s, 80);
    now = dm.ServerNow();
  }

  void SaveSale(const QString& no, const QDateTime& date, const QString& goods, int price) {
    OrderHeader h;
    h.OrderNo = no;
    h.OrderDate = date;
    h.StoreNo = u"S01"_s;
    dm.Current().Exec(InsertStatement<OrderHeader>(u"QTSaleOrder"_s), ToParams(h));
    OrderLine l;
    l.OrderNo = no;
    l.SerialNo = 1;
    l.GoodsNo = goods;
    l.ColorNo = l.SizeNo = u"001"_s;
    l.Price = price;
    l.Quantity = 1;
    l.Amount = price;
    dm.Current().Exec(InsertStatement<OrderLine>(u"QTSaleOrderDetail"_s), ToParams(l));
  }

  QtUi qt_ui;
  SaleContext screens{dm, qt_ui, display};
  QDateTime now;
};

TEST_P(ParkedAndReturnScreensTest, EnterOnAParkedOrderTakesItBack) {
  for (const auto& [number, code] : {std::pair{u"XS01"_s, u"SHIRT"_s}, {u"XS02"_s, u"PANTS"_s}}) {
    Order parked(session.AmountPoint);
    parked.header.OrderNo = number;
    FindAndAddGoods(sale, parked, {.code = code});
    ASSERT_TRUE(SuspendOrder(sale, parked));
  }
  QStringList shown;
  InNextModal([&shown](QWidget* modal) {
    auto* screen = qobject_cast<TfrmHaltSaleOrder*>(modal);
    ASSERT_NE(screen, nullptr);
    shown = Column(screen->dbgMain, 0);
    Press(Qt::Key_Down);
    shown << Column(screen->dbgDetail, 3);
    Press(Qt::Key_Return);
  });
  ASSERT_TRUE(RecallSuspendedOrder(screens, order, {}));
  EXPECT_EQ(shown, (QStringList{u"XS01"_s, u"XS02"_s, u"商品PANTS"_s}));
  EXPECT_EQ(header.OrderNo, u"XS02"_s);
  ASSERT_EQ(lines.size(), 1);
  EXPECT_EQ(lines[0].GoodsCode, u"PANTS"_s);

  // Esc: nothing is taken back.
  Order next(session.AmountPoint);
  next.header.OrderNo = u"XS03"_s;
  order = std::move(next);
  InNextModal([](QWidget*) { Press(Qt::Key_Escape); });
  EXPECT_FALSE(RecallSuspendedOrder(screens, order, {}));
  EXPECT_EQ(header.OrderNo, u"XS03"_s);
  EXPECT_TRUE(HasSuspendedOrders(dm));
}

// The picker with keys: it opens on BackDays of sales; Enter in an edit and Esc do nothing;
// the query runs on the typed order number; a sale too old is refused with a box and the
// picker stays; Enter in the grid chooses.
TEST_P(ParkedAndReturnScreensTest, ThePickerIsDrivenByKeys) {
  const QDate today = now.date();
  SaveSale(u"XS_01"_s, now.addDays(-2), u"G1"_s, 100);
  SaveSale(u"XSA01"_s, now.addDays(-1), u"G2"_s, 80);
  SaveSale(u"XS-OLD"_s, today.addDays(-7).startOfDay(), u"G1"_s, 100);

  struct Seen {
    QString begin, end;
    QStringList listed, queried, box;
    bool open_after_esc = false, open_after_box = false;
  } seen;
  InNextModal([&seen](QWidget* modal) {
    auto* picker = qobject_cast<TfrmQTback*>(modal);
    ASSERT_NE(picker, nullptr);
    seen.begin = picker->dtBeginDate->text();
    seen.end = picker->dtEndDate->text();
    seen.listed = Column(picker->dbgrid, 0);
    EXPECT_EQ(QApplication::focusWidget(), picker->dbgrid);
    Press(Qt::Key_Escape);
    seen.open_after_esc = picker->isVisible();

    // The old sale comes first: Enter on it is refused with a box, and the picker stays.
    InNextModal([&seen](QWidget* box) {
      auto* message = qobject_cast<TfrmMessageBox*>(box);
      ASSERT_NE(message, nullptr);
      seen.box << message->titleBar()->text() << message->lblText->text();
      Press(Qt::Key_Return);
    });
    Press(Qt::Key_Return);
    seen.open_after_box = picker->isVisible();
    QApplication::setActiveWindow(picker);
    ASSERT_TRUE(QTest::qWaitForWindowActive(picker, 1000));

    picker->edtORder->setFocus();
    QTest::keyClicks(picker->edtORder, u"S_0"_s);
    Press(Qt::Key_Return);  // nothing: only the grid takes Enter
    Press(Qt::Key_Tab);     // the goods code
    Press(Qt::Key_Tab);     // 查 询
    EXPECT_EQ(QApplication::focusWidget(), picker->suiBtQuery);
    Press(Qt::Key_Space);
    seen.queried = Column(picker->dbgrid, 0);
    Press(Qt::Key_Tab);
    Press(Qt::Key_Return);
  });
  EXPECT_EQ(StartReturn(screens, order), ReturnResult::Added);

  EXPECT_EQ(seen.begin, today.addDays(-7).toString(u"yyyy-MM-dd"_s));
  EXPECT_EQ(seen.end, today.toString(u"yyyy-MM-dd"_s));
  EXPECT_EQ(seen.listed, (QStringList{u"XS-OLD"_s, u"XS_01"_s, u"XSA01"_s}));
  EXPECT_TRUE(seen.open_after_esc);
  EXPECT_EQ(seen.box, (QStringList{u"提示！"_s, u"7前的商品不允许退换货！"_s}));
  EXPECT_TRUE(seen.open_after_box);
  EXPECT_EQ(seen.queried, QStringList{u"XS_01"_s});
  ASSERT_EQ(lines.size(), 1);
  EXPECT_EQ(lines[0].Memo, u"退：XS_01"_s);
  EXPECT_EQ(lines[0].Quantity, -1);

  // 退 出 leaves without a line; the shirt returned is listed no more.
  QStringList listed_again;
  InNextModal([&listed_again](QWidget* modal) {
    auto* picker = qobject_cast<TfrmQTback*>(modal);
    ASSERT_NE(picker, nullptr);
    listed_again = Column(picker->dbgrid, 0);
    picker->suiButton1->setFocus();
    Press(Qt::Key_Space);
  });
  EXPECT_EQ(StartReturn(screens, order), ReturnResult::NotChosen);
  EXPECT_EQ(listed_again, (QStringList{u"XS-OLD"_s, u"XSA01"_s}));
  EXPECT_EQ(lines.size(), 1);
}

TEST(QTbackScreen, CaptionsAndAnErrorOfTheSearchReachesTheCaller) {
  ReturnPickerRequest request;
  request.beginDate = QDate(2026, 12, 3);
  request.endDate = QDate(2026, 12, 10);
  request.search = [](const ReturnSearch&) -> std::vector<SoldLine> {
    throw DbError(u"连接已断开"_s);
  };
  {
    TfrmQTback picker(request);
    EXPECT_EQ(picker.windowTitle(), u"选择退货单"_s);
    EXPECT_EQ(Headers(picker.dbgrid),
              (QStringList{u"销售单号"_s, u"单据日期"_s, u"导购员"_s, u"商品编号"_s, u"商品名称"_s,
                           u"颜色"_s, u"尺码"_s, u"单价"_s, u"折扣"_s, u"数量"_s, u"金额"_s,
                           u"可退数量"_s}));
    EXPECT_EQ(picker.suiBtQuery->text(), u"查 询"_s);
    EXPECT_EQ(picker.suiButton2->text(), u"选 择"_s);
    EXPECT_EQ(picker.suiButton1->text(), u"退 出"_s);
  }
  QtUi ui;
  try {
    ui.SelectReturnLine(request);
    ADD_FAILURE() << "the search's error was lost";
  } catch (const DbError& e) {
    EXPECT_EQ(e.message(), u"连接已断开"_s);
  }
}

QUILMO_BOTH_MODES(ParkedAndReturnScreensTest);

}  // namespace
}  // namespace quilmo
