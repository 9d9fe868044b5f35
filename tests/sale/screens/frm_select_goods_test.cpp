#include "sale/screens/frm_select_goods.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include "app/screens/qt_ui.h"
#include "sale/screens/frm_select_color_size.h"
#include "support/qt_printers.h"
#include "support/screen_helpers.h"

namespace quilmo {
namespace {

using test::Press;
using test::ShowActive;
using namespace Qt::StringLiterals;

std::vector<GoodsCandidate> ThreeGoods() {
  std::vector<GoodsCandidate> rows(3);
  const char16_t* codes[] = {u"A100", u"B200", u"C300"};
  const char16_t* names[] = {u"衬衫", u"长裤", u"A100"};  // a name equal to another's code
  for (size_t i = 0; i < rows.size(); ++i) {
    rows[i].GoodsCode = QString::fromUtf16(codes[i]);
    rows[i].GoodsName = QString::fromUtf16(names[i]);
    rows[i].BarCode = u"690000"_s + QString::number(i);
    rows[i].Model = u"常规款"_s;
    rows[i].BaseUnit = u"件"_s;
    rows[i].SRefPrice = M("99.5") + static_cast<int>(i);
  }
  return rows;
}

int Row(const QTableView* grid) { return grid->currentIndex().row(); }

TEST(SelectGoodsScreen, GridShowsTheGoodsColumns) {
  const auto rows = ThreeGoods();
  TfrmSelectGoods screen(rows);
  EXPECT_EQ(screen.windowTitle(), u"选择商品"_s);
  QStringList titles;
  auto* model = screen.DBGridEh1->model();
  for (int c = 0; c < model->columnCount(); ++c) {
    titles << model->headerData(c, Qt::Horizontal).toString();
  }
  EXPECT_EQ(titles, (QStringList{u"商品编号"_s, u"商品条码"_s, u"商品名称"_s, u"规格"_s, u"单位"_s,
                                 u"参考价"_s}));
  EXPECT_EQ(model->index(1, 0).data().toString(), u"B200"_s);
  EXPECT_EQ(model->index(1, 5).data().toString(), u"100.5"_s);
  EXPECT_EQ(screen.suiButton1->text(), u"选 择(Enter)"_s);
  EXPECT_EQ(screen.suiButton2->text(), u"退出(Esc)"_s);
  EXPECT_EQ(screen.suiButton3->text(), u"查询"_s);
  EXPECT_EQ(screen.lblSearch->text(), u"请输入款号或名称查询"_s);
}

TEST(SelectGoodsScreen, EnterInTheGridChoosesTheRowUnderTheCursor) {
  const auto rows = ThreeGoods();
  TfrmSelectGoods screen(rows);
  ShowActive(&screen);
  EXPECT_FALSE(screen.chosen());
  EXPECT_EQ(QApplication::focusWidget(), screen.DBGridEh1);
  Press(Qt::Key_Down);
  Press(Qt::Key_Return);
  EXPECT_TRUE(screen.chosen());
  EXPECT_EQ(screen.currentRow(), 1);
  EXPECT_FALSE(screen.isVisible());
}

TEST(SelectGoodsScreen, EscAndTheExitButtonLeaveWithoutAChoice) {
  const auto rows = ThreeGoods();
  {
    TfrmSelectGoods screen(rows);
    ShowActive(&screen);
    Press(Qt::Key_Escape);
    EXPECT_FALSE(screen.isVisible());
    EXPECT_FALSE(screen.chosen());
  }
  TfrmSelectGoods screen(rows);
  ShowActive(&screen);
  screen.suiButton2->click();
  EXPECT_FALSE(screen.isVisible());
  EXPECT_FALSE(screen.chosen());
}

TEST(SelectGoodsScreen, SearchMovesToTheExactCodeThenTheExactName) {
  const auto rows = ThreeGoods();
  TfrmSelectGoods screen(rows);
  ShowActive(&screen);
  struct Step {
    QString typed;
    int row;
  };
  // A100 is the first goods' code and the third goods' name: the code wins.
  const Step steps[] = {
      {u"C300"_s, 2}, {u"A100"_s, 0}, {u"长裤"_s, 1}, {u"长"_s, 1}, {QString(), 1}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.typed.toStdString());
    screen.suiEdit1->setText(s.typed);
    screen.suiButton3->click();
    EXPECT_EQ(Row(screen.DBGridEh1), s.row);
  }
  screen.suiButton1->click();
  EXPECT_TRUE(screen.chosen());
  EXPECT_EQ(screen.currentRow(), 1);
}

ColorSizeRequest Colours(ColorSizeMode mode) {
  return {mode, u"CG1"_s, u"衬衫"_s, {{u"C01"_s, u"红"_s}, {u"C02"_s, u"蓝"_s}}};
}

TEST(SelectColorSizeScreen, ColourAndSizeModesNameTheGoods) {
  const ColorSizeRequest colours = Colours(ColorSizeMode::Color);
  TfrmSelectColorSize colour(colours);
  EXPECT_EQ(colour.titleBar()->text(), u"选颜色［衬衫］"_s);
  EXPECT_EQ(colour.windowTitle(), u"选择颜色尺码"_s);
  EXPECT_EQ(colour.grdList->model()->headerData(0, Qt::Horizontal).toString(), u"颜色"_s);

  // Size mode names the goods in the window caption; the frame keeps the screen's title.
  const ColorSizeRequest sizes = Colours(ColorSizeMode::Size);
  TfrmSelectColorSize size(sizes);
  EXPECT_EQ(size.windowTitle(), u"选尺码［衬衫］"_s);
  EXPECT_EQ(size.titleBar()->text(), u"选择颜色尺码"_s);
  EXPECT_EQ(size.grdList->model()->headerData(0, Qt::Horizontal).toString(), u"尺码"_s);
}

TEST(SelectColorSizeScreen, EnterChoosesEscLeavesWithNothingChosen) {
  const ColorSizeRequest request = Colours(ColorSizeMode::Color);
  {
    // Without a window manager there is no close button: Esc is the way out.
    TfrmSelectColorSize screen(request);
    ShowActive(&screen);
    Press(Qt::Key_Down);
    Press(Qt::Key_Escape);
    EXPECT_FALSE(screen.isVisible());
    EXPECT_TRUE(screen.choice().Name.isEmpty());
    EXPECT_TRUE(screen.choice().No.isEmpty());
  }
  TfrmSelectColorSize screen(request);
  ShowActive(&screen);
  Press(Qt::Key_Down);
  Press(Qt::Key_Return);
  EXPECT_FALSE(screen.isVisible());
  EXPECT_EQ(screen.choice().No, u"C02"_s);
  EXPECT_EQ(screen.choice().Name, u"蓝"_s);
}

TEST(SelectColorSizeScreen, ClosingTheWindowChoosesNothing) {
  const ColorSizeRequest request = Colours(ColorSizeMode::Size);
  TfrmSelectColorSize screen(request);
  ShowActive(&screen);
  screen.close();
  EXPECT_TRUE(screen.choice().Name.isEmpty());
}

// Keys for the modal screen the port is about to open, once it is the active window.
void PressInNextModal(std::vector<Qt::Key> keys) {
  QTimer::singleShot(0, [keys] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(modal, 1000));
    for (Qt::Key key : keys) Press(key);
  });
}

// Through the real port: an empty list closes by itself, a modal list answers with a key.
TEST(SelectColorSizeScreen, TheRealPortReturnsWhatWasChosen) {
  QtUi ui;
  ColorSizeRequest empty = Colours(ColorSizeMode::Color);
  empty.items.clear();
  EXPECT_TRUE(ui.SelectColorSize(empty).Name.isEmpty());

  PressInNextModal({Qt::Key_Escape});
  EXPECT_TRUE(ui.SelectColorSize(Colours(ColorSizeMode::Size)).Name.isEmpty());
  PressInNextModal({Qt::Key_Return});
  const ColorSizeChoice choice = ui.SelectColorSize(Colours(ColorSizeMode::Size));
  EXPECT_EQ(choice.No, u"C01"_s);
  EXPECT_EQ(choice.Name, u"红"_s);

  const auto rows = ThreeGoods();
  PressInNextModal({Qt::Key_Down, Qt::Key_Down, Qt::Key_Return});
  EXPECT_EQ(ui.SelectGoods(rows), 2);
  PressInNextModal({Qt::Key_Escape});
  EXPECT_EQ(ui.SelectGoods(rows), -1);
}

}  // namespace
}  // namespace quilmo
