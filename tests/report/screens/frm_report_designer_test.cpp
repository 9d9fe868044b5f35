#include "report/screens/frm_report_designer.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBrowser>

#include "support/qt_printers.h"
#include "support/screen_helpers.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace quilmo {
namespace {

using test::Press;
using test::ShowActive;

class ReportDesignerTest : public test::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    path = Path(QStringLiteral("QTPrint.frf"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(
        "<p>[\xE5\xBA\x97\xE5\x90\x8D\xE7\xA7\xB0]</p><!--band--><p>[GoodsName]</p><!--/band-->");
    f.close();
    ASSERT_TRUE(report.LoadTemplate(path));
    report.SetVariable(QStringLiteral("店名称"), QStringLiteral("一号店"));
    report.SetVariable(QStringLiteral("Total"), QStringLiteral("220"));
    report.BindDataSet(
        {{QStringLiteral("GoodsName")}, {{QStringLiteral("衬衫")}, {QStringLiteral("牛仔裤")}}});
    screen = std::make_unique<TfrmReportDesigner>(report, ui);
    ShowActive(screen.get());
    editor = screen->findChild<QPlainTextEdit*>(QStringLiteral("memTemplate"));
    preview = screen->findChild<QTextBrowser*>(QStringLiteral("txtPreview"));
    ASSERT_TRUE(editor && preview);
  }
  QByteArray OnDisk() const {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  QString path;
  Report report;
  test::ScriptedUi ui;
  std::unique_ptr<TfrmReportDesigner> screen;
  QPlainTextEdit* editor = nullptr;
  QTextBrowser* preview = nullptr;
};

TEST_F(ReportDesignerTest, TheTemplateSitsBesideALivePreviewOfTheBoundData) {
  EXPECT_EQ(editor->toPlainText(), report.TemplateText());
  EXPECT_EQ(preview->toPlainText(), QStringLiteral("一号店\n衬衫\n牛仔裤"));
  EXPECT_TRUE(screen->findChild<QLabel*>(QStringLiteral("lblNames"))
                  ->text()
                  .contains(QStringLiteral("[店名称]")));
  EXPECT_TRUE(editor->hasFocus());

  editor->moveCursor(QTextCursor::End);
  QTest::keyClicks(editor, QStringLiteral("<p>SUM [Total]</p>"));
  Press(Qt::Key_Return);  // a new line in the template, not the next field
  EXPECT_TRUE(editor->toPlainText().endsWith(QStringLiteral("<p>SUM [Total]</p>\n")));
  EXPECT_EQ(preview->toPlainText().trimmed(), QStringLiteral("一号店\n衬衫\n牛仔裤\nSUM 220"));
  EXPECT_TRUE(screen->modified());
}

TEST_F(ReportDesignerTest, CtrlSSavesToTheTemplateFileAndEscClosesWithoutAsking) {
  editor->moveCursor(QTextCursor::End);
  QTest::keyClicks(editor, QStringLiteral("<p>END</p>"));
  Press(Qt::Key_S, Qt::ControlModifier);
  EXPECT_TRUE(OnDisk().endsWith("<p>END</p>"));
  EXPECT_FALSE(screen->modified());
  Press(Qt::Key_Escape);
  EXPECT_FALSE(screen->isVisible());
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(ReportDesignerTest, EscWithUnsavedChangesAsksAndNoLeavesTheFileAsItWas) {
  const QByteArray before = OnDisk();
  QTest::keyClicks(editor, QStringLiteral("x"));
  ui.AnswerNo();
  Press(Qt::Key_Escape);
  EXPECT_EQ(ui.last(), QStringLiteral("询问|模板已修改，是否保存？"));
  EXPECT_FALSE(screen->isVisible());
  EXPECT_EQ(OnDisk(), before);
}

TEST_F(ReportDesignerTest, EscWithUnsavedChangesAndYesSaves) {
  QTest::keyClicks(editor, QStringLiteral("y"));
  ui.AnswerYes();
  Press(Qt::Key_Escape);
  EXPECT_FALSE(screen->isVisible());
  EXPECT_TRUE(OnDisk().startsWith("y<p>"));
}

}  // namespace
}  // namespace quilmo
