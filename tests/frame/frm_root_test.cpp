#include "frame/frm_root.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include "support/qt_printers.h"
#include "support/screen_helpers.h"

namespace quilmo {
namespace {

using test::Press;
using test::ShowActive;

// A screen with one control of every kind, in tab order: first, combo, list, grid, memo, last.
class KeyScreen : public TfrmRootDialog {
 public:
  explicit KeyScreen(KeyHandling keys = KeyHandling::Common) : TfrmRootDialog(nullptr, keys) {
    auto* layout = new QVBoxLayout(body());
    first = Add<QLineEdit>(layout, "first");
    combo = Add<QComboBox>(layout, "combo");
    combo->addItems({QStringLiteral("甲"), QStringLiteral("乙")});
    list = Add<QListWidget>(layout, "list");
    list->addItems({QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")});
    grid = Add<QTableView>(layout, "grid");
    model.setRowCount(3);
    model.setColumnCount(2);
    grid->setModel(&model);
    memo = Add<QPlainTextEdit>(layout, "memo");
    last = Add<QLineEdit>(layout, "last");
  }

  QLineEdit* first;
  QComboBox* combo;
  QListWidget* list;
  QTableView* grid;
  QPlainTextEdit* memo;
  QLineEdit* last;
  QStandardItemModel model;
  QList<int> own_keys;

 protected:
  bool FormKeyDown(QKeyEvent* event) override {
    own_keys << event->key();
    return event->key() == Qt::Key_F5;
  }

 private:
  template <typename W>
  W* Add(QVBoxLayout* layout, const char* name) {
    auto* w = new W(body());
    w->setObjectName(QLatin1String(name));
    layout->addWidget(w);
    return w;
  }
};

class CommonKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ShowActive(&screen);
    ASSERT_TRUE(screen.isActiveWindow());
  }
  QString Focused() const {
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
  }
  void FocusOn(QWidget* w) {
    w->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), w);
  }
  KeyScreen screen;
};

TEST_F(CommonKeysTest, EnterMovesOnFromOneLineFieldsButNotInGridOrMemo) {
  FocusOn(screen.first);
  Press(Qt::Key_Return);
  EXPECT_EQ(Focused(), QStringLiteral("combo"));

  FocusOn(screen.grid);
  Press(Qt::Key_Return);
  EXPECT_EQ(Focused(), QStringLiteral("grid"));

  FocusOn(screen.memo);
  Press(Qt::Key_Return);
  EXPECT_EQ(Focused(), QStringLiteral("memo"));
  EXPECT_EQ(screen.memo->toPlainText(), QStringLiteral("\n"));
  EXPECT_TRUE(screen.isVisible());
}

TEST_F(CommonKeysTest, EscClosesTheScreen) {
  FocusOn(screen.last);
  Press(Qt::Key_Escape);
  EXPECT_FALSE(screen.isVisible());
  EXPECT_EQ(screen.result(), QDialog::Rejected);
}

TEST_F(CommonKeysTest, ArrowsMoveBetweenFieldsUnlessTheControlNeedsThem) {
  // A plain combo passes Down on; with Alt held Down stays for the combo.
  FocusOn(screen.combo);
  Press(Qt::Key_Down, Qt::AltModifier);
  EXPECT_TRUE(Focused() == QStringLiteral("combo") || screen.combo->view()->isVisible());
  screen.combo->hidePopup();
  FocusOn(screen.combo);
  Press(Qt::Key_Down);
  EXPECT_EQ(Focused(), QStringLiteral("list"));
  EXPECT_EQ(screen.combo->currentIndex(), 0);

  // A list box lets Down leave only from its last entry, Up only from its first.
  screen.list->setCurrentRow(1);
  FocusOn(screen.list);
  Press(Qt::Key_Down);
  EXPECT_EQ(Focused(), QStringLiteral("list"));
  EXPECT_EQ(screen.list->currentRow(), 2);
  Press(Qt::Key_Down);
  EXPECT_EQ(Focused(), QStringLiteral("grid"));
  screen.list->setCurrentRow(0);
  FocusOn(screen.list);
  Press(Qt::Key_Up);
  EXPECT_EQ(Focused(), QStringLiteral("combo"));

  // A data grid keeps Down; Up leaves it only from the first row.
  screen.grid->setCurrentIndex(screen.model.index(1, 0));
  FocusOn(screen.grid);
  Press(Qt::Key_Down);
  EXPECT_EQ(Focused(), QStringLiteral("grid"));
  EXPECT_EQ(screen.grid->currentIndex().row(), 2);
  screen.grid->setCurrentIndex(screen.model.index(1, 0));
  Press(Qt::Key_Up);
  EXPECT_EQ(Focused(), QStringLiteral("grid"));
  EXPECT_EQ(screen.grid->currentIndex().row(), 0);
  Press(Qt::Key_Up);
  EXPECT_EQ(Focused(), QStringLiteral("list"));

  // A memo keeps both.
  FocusOn(screen.memo);
  Press(Qt::Key_Up);
  Press(Qt::Key_Down);
  EXPECT_EQ(Focused(), QStringLiteral("memo"));

  FocusOn(screen.last);
  Press(Qt::Key_Up);
  EXPECT_EQ(Focused(), QStringLiteral("memo"));
}

TEST_F(CommonKeysTest, ScreenOwnKeysSeeWhatTheCommonKeysLeave) {
  FocusOn(screen.first);
  Press(Qt::Key_F5);
  Press(Qt::Key_Return);
  EXPECT_EQ(screen.own_keys, QList<int>{Qt::Key_F5});
}

TEST(ReplacedKeys, OwnOnlyScreenGetsEveryKeyAndEscDoesNotClose) {
  KeyScreen screen(KeyHandling::OwnOnly);
  ShowActive(&screen);
  screen.first->setFocus();
  Press(Qt::Key_Escape);
  Press(Qt::Key_Return);
  EXPECT_TRUE(screen.isVisible());
  EXPECT_EQ(screen.own_keys, (QList<int>{Qt::Key_Escape, Qt::Key_Return}));
  EXPECT_EQ(QApplication::focusWidget(), screen.first);
}

TEST(ReplacedKeys, ControlsOnlyScreenLeavesKeysToTheControl) {
  KeyScreen screen(KeyHandling::ControlsOnly);
  ShowActive(&screen);
  screen.list->setCurrentRow(2);
  screen.list->setFocus();
  Press(Qt::Key_Down);
  Press(Qt::Key_Escape);
  EXPECT_TRUE(screen.isVisible());
  EXPECT_EQ(QApplication::focusWidget(), screen.list);
  EXPECT_TRUE(screen.own_keys.isEmpty());
}

TEST(ScreenFrame, SkinnedTitleShowsTheCaption) {
  TfrmRootDialog dialog;
  dialog.setWindowTitle(QStringLiteral("选择店铺"));
  EXPECT_EQ(dialog.titleBar()->text(), QStringLiteral("选择店铺"));
}

}  // namespace
}  // namespace quilmo
