#include "frame/frm_root_input.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "app/screens/qt_ui.h"
#include "frame/frm_message_box.h"
#include "support/qt_printers.h"
#include "support/screen_helpers.h"
#include "support/scripted_ui.h"

namespace quilmo {
namespace {

using test::Press;
using test::ScriptedUi;
using test::ShowActive;

struct Typed {
  InputKind kind;
  QString typed;
  bool confirmed;
  QString message;  // shown instead of closing; empty when accepted
  NumberField field = NumberField::Amount;
};

class InputDialogTest : public ::testing::TestWithParam<Typed> {};

TEST_P(InputDialogTest, EnterChecksTheTextForTheKind) {
  const Typed& c = GetParam();
  ScriptedUi ui;
  TfrmRootInput dialog(ui, {QStringLiteral("输入"), QStringLiteral("请输入："), c.kind, c.field});
  ShowActive(&dialog);
  dialog.suiEdtInput->setText(c.typed);
  Press(Qt::Key_Return);

  EXPECT_EQ(dialog.confirmed(), c.confirmed);
  if (c.confirmed) {
    EXPECT_EQ(dialog.value(), c.typed);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(ui.messages().empty());
  } else {
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(ui.messages()[0].text, c.message);
    EXPECT_EQ(ui.messages()[0].icon, MsgIcon::Information);
    // The text stays, selected, with the focus, for the cashier to type over.
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), dialog.suiEdtInput);
    EXPECT_EQ(dialog.suiEdtInput->selectedText(), c.typed);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, InputDialogTest,
    ::testing::Values(
        Typed{InputKind::Integer, QStringLiteral("12.5"), false,
              QStringLiteral("您输入的不是整数！")},
        Typed{InputKind::Integer, QStringLiteral("-12"), true, {}},
        Typed{InputKind::Integer, QStringLiteral("99999999999"), false,
              QStringLiteral("您输入的不是整数！")},
        Typed{InputKind::Number, QStringLiteral("-3.5"), true, {}, NumberField::Quantity},
        Typed{InputKind::Number, QStringLiteral("-3.5"), false, QStringLiteral("金额不能为负数！")},
        Typed{InputKind::Number, QStringLiteral("NaN"), false,
              QStringLiteral("您输入的积分不是数字类型！"), NumberField::Points},
        Typed{InputKind::Number, QStringLiteral("inf"), false,
              QStringLiteral("您输入的金额不是数字类型！")},
        Typed{InputKind::Number, QStringLiteral("1e5"), false,
              QStringLiteral("您输入的金额不是数字类型！")},
        Typed{InputKind::Number, QString(1000, QLatin1Char('9')), false,
              QStringLiteral("金额不能超过9999999.99！")},
        Typed{InputKind::Number, QStringLiteral("3,5"), false,
              QStringLiteral("您输入的金额不是数字类型！")},
        Typed{InputKind::Text, QString(), false, QStringLiteral("输入的内容不能为空！")},
        Typed{InputKind::Text, QStringLiteral("张三's"), true, {}},
        Typed{InputKind::NonEmpty, QString(), false, QStringLiteral("输入的内容不能为空！")},
        Typed{InputKind::NonEmpty, QStringLiteral("abc"), true, {}}),
    [](const ::testing::TestParamInfo<Typed>& info) {
      return "Kind" + std::to_string(static_cast<int>(info.param.kind)) + "_" +
             (info.param.confirmed ? "Accepts" : "Refuses") + std::to_string(info.index);
    });

TEST(InputDialog, StartsWithZeroSelectedExceptForFreeText) {
  ScriptedUi ui;
  TfrmRootInput integer(ui, {QStringLiteral("数量"), QStringLiteral("数量："), InputKind::Integer});
  ShowActive(&integer);
  EXPECT_EQ(integer.suiEdtInput->text(), QStringLiteral("0"));
  EXPECT_EQ(integer.suiEdtInput->selectedText(), QStringLiteral("0"));
  EXPECT_EQ(QApplication::focusWidget(), integer.suiEdtInput);
  integer.close();

  TfrmRootInput text(ui, {QStringLiteral("备注"), QStringLiteral("备注："), InputKind::Text});
  ShowActive(&text);
  EXPECT_EQ(text.suiEdtInput->text(), QString());
}

TEST(InputDialog, EscAndCancelCloseUnconfirmed) {
  ScriptedUi ui;
  TfrmRootInput dialog(ui, {QStringLiteral("数量"), QStringLiteral("数量："), InputKind::Integer});
  ShowActive(&dialog);
  dialog.suiEdtInput->setText(QStringLiteral("5"));
  Press(Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_FALSE(dialog.confirmed());

  ShowActive(&dialog);
  dialog.suiEdtInput->setText(QStringLiteral("5"));
  dialog.suibtCancel->click();
  EXPECT_FALSE(dialog.confirmed());
  EXPECT_EQ(dialog.suibtSave->text(), QStringLiteral("确 定"));
  EXPECT_EQ(dialog.suibtCancel->text(), QStringLiteral("取消"));
}

// The real boxes: the two standard ones differ only in their caption.
TEST(QtUiBoxes, ErrorAndNoticeBoxesShowCaptionTextAndInformationIcon) {
  QtUi ui;
  struct Seen {
    QString caption, text;
    MsgIcon icon;
  };
  QList<Seen> seen;
  auto close_next_box = [&seen] {
    QTimer::singleShot(0, [&seen] {
      auto* box = qobject_cast<TfrmMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      seen << Seen{box->titleBar()->text(), box->lblText->text(), box->icon()};
      QApplication::setActiveWindow(box);
      Press(Qt::Key_Return);
    });
  };
  close_next_box();
  ui.ShowErrorBox(QStringLiteral("找不到本地数据库文件！"));
  close_next_box();
  ui.ShowNoticeBox(QStringLiteral("没有找到该商品！"));

  ASSERT_EQ(seen.size(), 2);
  EXPECT_EQ(seen[0].caption, QStringLiteral("错误！"));
  EXPECT_EQ(seen[0].text, QStringLiteral("找不到本地数据库文件！"));
  EXPECT_EQ(seen[1].caption, QStringLiteral("提示！"));
  EXPECT_EQ(seen[0].icon, MsgIcon::Information);
  EXPECT_EQ(seen[1].icon, MsgIcon::Information);
}

TEST(QtUiBoxes, YesNoAnswersByKey) {
  QtUi ui;
  struct Case {
    QList<Qt::Key> keys;
    bool yes;
  };
  for (const Case& c :
       {Case{{Qt::Key_Return}, true}, Case{{Qt::Key_Right, Qt::Key_Return}, false},
        Case{{Qt::Key_Escape}, false}, Case{{Qt::Key_N}, false}, Case{{Qt::Key_Y}, true}}) {
    QTimer::singleShot(0, [keys = c.keys] {
      auto* box = qobject_cast<TfrmMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      QApplication::setActiveWindow(box);
      for (Qt::Key k : keys) Press(k);
    });
    EXPECT_EQ(ui.AskYesNo(QStringLiteral("询问"), QStringLiteral("确定要退出系统吗？")), c.yes);
  }
}

}  // namespace
}  // namespace quilmo
