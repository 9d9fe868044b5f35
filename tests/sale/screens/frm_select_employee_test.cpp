#include "sale/screens/frm_select_employee.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "support/screen_helpers.h"
#include "support/scripted_ui.h"

namespace quilmo {
namespace {

using test::Press;
using test::ShowActive;
using namespace Qt::StringLiterals;

// The guide dialog keeps itself open until the finder knows the code, and says when nothing
// was typed.
TEST(SelectEmployeeScreen, OkAsksTheFinderAndOnlyAKnownCodeCloses) {
  test::ScriptedUi ui;
  QStringList asked;
  TfrmSelectEmployee dialog(ui, [&](const QString& code) {
    asked << code;
    return code == u"E01"_s ? u"EMP1"_s : QString();
  });
  EXPECT_EQ(dialog.windowTitle(), u"选择导购员"_s);
  EXPECT_EQ(dialog.lblMsg->text(), u"导购员代码"_s);
  ShowActive(&dialog);
  dialog.suiEdtInput->setFocus();
  Press(Qt::Key_Return);
  EXPECT_EQ(ui.last(), u"提示|输入的内容不能为空！"_s);
  dialog.suiEdtInput->setText(u"  E9 "_s);
  Press(Qt::Key_Return);
  EXPECT_TRUE(dialog.isVisible());
  dialog.suiEdtInput->setText(u"E01"_s);
  dialog.suibtSave->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.employeeNo(), u"EMP1"_s);
  EXPECT_EQ(asked, (QStringList{u"E9"_s, u"E01"_s}));
}

TEST(SelectEmployeeScreen, CancelChoosesNobody) {
  test::ScriptedUi ui;
  TfrmSelectEmployee dialog(ui, [](const QString&) { return u"EMP1"_s; });
  ShowActive(&dialog);
  dialog.suibtCancel->click();
  EXPECT_TRUE(dialog.employeeNo().isEmpty());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

}  // namespace
}  // namespace quilmo
