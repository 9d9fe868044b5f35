#include "report/report.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>

#include "base/ini_file.h"
#include "data/connection.h"
#include "report/report_data.h"
#include "report/report_variables.h"
#include "report/template_files.h"
#include "support/qt_printers.h"
#include "support/temp_dir.h"

namespace quilmo {
namespace {

Report Sample() {
  Report r;
  r.SetVariable(QStringLiteral("店名称"), QStringLiteral("一号店"));
  r.SetVariable(QStringLiteral("报表标题"), QStringLiteral("小票"));
  r.BindDataSet({{QStringLiteral("GoodsName"), QStringLiteral("Amount")},
                 {{QStringLiteral("衬衫"), QStringLiteral("170")},
                  {QStringLiteral("裤"), QStringLiteral("50")}}});
  return r;
}

TEST(ReportTest, TheBandRepeatsPerRowAndNamesAreFilledInside) {
  Report r = Sample();
  r.SetTemplateText(QStringLiteral(
      "<h1>[报表标题]</h1><table><!--band--><tr><td>[GoodsName]</td><td>[amount]</td>"
      "<td>[店名称]</td></tr><!--/band--></table><p>[店名称] [GoodsName] [未知]</p>"));
  EXPECT_EQ(r.RenderHtml(),
            QStringLiteral("<h1>小票</h1><table><tr><td>衬衫</td><td>170</td><td>一号店</td></tr>"
                           "<tr><td>裤</td><td>50</td><td>一号店</td></tr></table>"
                           // outside the band a column is not known; unknown names stay
                           "<p>一号店 [GoodsName] [未知]</p>"));
}

TEST(ReportTest, ValuesArePlainTextThatCannotChangeTheTemplate) {
  Report r;
  r.SetVariable(QStringLiteral("店名称"),
                QStringLiteral("'A' \"B\" <b>&amp; 100% [报表标题] --> %1"));
  r.SetVariable(QStringLiteral("报表标题"), QStringLiteral("T"));
  r.SetTemplateText(QStringLiteral("<!-- [店名称] --><p>[店名称]</p>"));
  EXPECT_EQ(
      r.RenderHtml(),
      QStringLiteral("<!-- 'A' &quot;B&quot; &lt;b&gt;&amp;amp; 100% [报表标题] --&gt; %1 -->"
                     "<p>'A' &quot;B&quot; &lt;b&gt;&amp;amp; 100% [报表标题] --&gt; %1</p>"));
}

TEST(ReportTest, NoBandOrAnUnclosedBandPrintsTheTemplateOnce) {
  Report r = Sample();
  r.SetTemplateText(QStringLiteral("<p>[报表标题]</p>"));
  EXPECT_EQ(r.RenderHtml(), QStringLiteral("<p>小票</p>"));
  r.SetTemplateText(QStringLiteral("<!--band--><p>[GoodsName]</p>"));
  EXPECT_EQ(r.RenderHtml(), QStringLiteral("<!--band--><p>[GoodsName]</p>"));
}

TEST(ReportTest, APaperWidthIsReadFromTheTemplate) {
  Report r;
  EXPECT_FALSE(r.PaperWidthMm());
  r.SetTemplateText(QStringLiteral("<meta name=\"paper-width\" content=\"80\">"));
  EXPECT_EQ(r.PaperWidthMm(), 80.0);
  r.SetTemplateText(QStringLiteral("<meta name=\"paper-width\" content=\"5\">"));
  EXPECT_FALSE(r.PaperWidthMm());
}

class ReportFileTest : public test::TempDirTest {};

TEST_F(ReportFileTest, LoadingAMissingTemplateKeepsTheOneHeld) {
  Report r;
  r.SetTemplateText(QStringLiteral("before"));
  EXPECT_FALSE(r.LoadTemplate(Path(QStringLiteral("missing.frf"))));
  EXPECT_EQ(r.TemplateText(), QStringLiteral("before"));
  r.SetTemplatePath(Path(QStringLiteral("t.frf")));
  r.SetTemplateText(QStringLiteral("<p>模板</p>"));
  QString error;
  ASSERT_TRUE(r.SaveTemplate(&error)) << error.toStdString();
  Report back;
  ASSERT_TRUE(back.LoadTemplate(Path(QStringLiteral("t.frf"))));
  EXPECT_EQ(back.TemplateText(), QStringLiteral("<p>模板</p>"));
}

TEST_F(ReportFileTest, TheThirteenStandardVariablesInOrder) {
  const QString ini = Path(QStringLiteral("QTSet.ini"));
  const std::pair<const char*, QString> options[] = {
      {"Header", QStringLiteral("标题'")},
      {"HeaderExplain", QStringLiteral("说明")},
      {"Footer", QStringLiteral("脚注")},
      {"FooterExplain", QStringLiteral("脚注说明")},
  };
  for (const auto& [key, value] : options) {
    ASSERT_TRUE(WriteIniString(ini, QStringLiteral("Options"), QString::fromLatin1(key), value));
  }
  ReportPeople p{QStringLiteral("01"),   QStringLiteral("一号店"), QStringLiteral("一号仓"),
                 QStringLiteral("001"),  QStringLiteral("张三"),   QStringLiteral("E01"),
                 QStringLiteral("李四"), QStringLiteral("王五"),   1250.5};
  Report r;
  SetReportVariables(r, ini, p);
  QStringList names, values;
  for (const auto& [name, value] : r.Variables()) {
    names << name;
    values << value;
  }
  EXPECT_EQ(names, StandardVariableNames());
  EXPECT_EQ(names.size(), 13);
  EXPECT_EQ(values,
            (QStringList{QStringLiteral("标题'"), QStringLiteral("说明"), QStringLiteral("脚注"),
                         QStringLiteral("脚注说明"), QStringLiteral("01"), QStringLiteral("一号店"),
                         QStringLiteral("一号仓"), QStringLiteral("001"), QStringLiteral("张三"),
                         QStringLiteral("E01"), QStringLiteral("李四"), QStringLiteral("王五"),
                         QStringLiteral("1250.5")}));
}

TEST_F(ReportFileTest, ShippedTemplatesAreInstalledOnceAndAnEditedOneIsKept) {
  const QString home = DirPath();
  ASSERT_TRUE(InstallShippedTemplates(home));
  const QString receipt = TemplatePath(home, QString::fromLatin1(kReceiptTemplate));
  const QString shift = TemplatePath(home, QString::fromLatin1(kShiftTemplate));
  EXPECT_EQ(QDir(home).filePath(QStringLiteral("SysFile/QTPrint.frf")), receipt);
  Report r;
  ASSERT_TRUE(r.LoadTemplate(receipt));
  EXPECT_TRUE(r.TemplateText().contains(QStringLiteral("<!--band-->")));
  ASSERT_TRUE(r.LoadTemplate(shift));
  EXPECT_TRUE(r.TemplateText().contains(QStringLiteral("[OverAmount]")));
  EXPECT_TRUE(QFileInfo(receipt).isWritable());

  QFile f(receipt);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write("edited");
  f.close();
  ASSERT_TRUE(InstallShippedTemplates(home));
  ASSERT_TRUE(r.LoadTemplate(receipt));
  EXPECT_EQ(r.TemplateText(), QStringLiteral("edited"));
}

// The shipped shift report, filled from the shift's row as the shift close reads it.
TEST_F(ReportFileTest, TheShippedShiftTemplateShowsTheShiftRow) {
  Report r;
  LoadTemplateOrShipped(r, DirPath(), QString::fromLatin1(kShiftTemplate));
  r.SetVariable(QStringLiteral("收银员名称"), QStringLiteral("张三"));
  r.BindDataSet(
      {{QStringLiteral("OrderNo"), QStringLiteral("OnBoxAmount"), QStringLiteral("SaleAmount"),
        QStringLiteral("GetAmount"), QStringLiteral("OverAmount")},
       {{QStringLiteral("JB0120261210000001"), QStringLiteral("500"), QStringLiteral("200"),
         QStringLiteral("300"), QStringLiteral("400")}}});
  const QString html = r.RenderHtml();
  for (const QString& part : {QStringLiteral("张三"), QStringLiteral("JB0120261210000001"),
                              QStringLiteral("当班钱箱金额：</td><td align=\"right\">500"),
                              QStringLiteral("总计销售额：</td><td align=\"right\">200"),
                              QStringLiteral("提款金额：</td><td align=\"right\">300"),
                              QStringLiteral("交班钱箱金额：</td><td align=\"right\">400")}) {
    EXPECT_TRUE(html.contains(part)) << part.toStdString();
  }
  EXPECT_EQ(r.PaperWidthMm(), 80.0);
}

TEST_F(ReportFileTest, AQueryBecomesADataSetOfTexts) {
  Connection db(QStringLiteral("report_data_test"), Engine::Local);
  QString error;
  ASSERT_TRUE(db.OpenLocal(Path(QStringLiteral("t.db")), &error)) << error.toStdString();
  db.Exec(QStringLiteral(
      "CREATE TABLE T (OrderNo TEXT, OnBoxAmount REAL, SaleAmount REAL, Memo TEXT)"));
  db.Exec(QStringLiteral("INSERT INTO T VALUES ('JB1', 1250.0, 37.5, NULL)"));
  QSqlQuery q = db.Query(QStringLiteral("SELECT * FROM T"));
  const ReportDataSet data = DataSetFromQuery(q);
  EXPECT_EQ(data.columns, (QStringList{QStringLiteral("OrderNo"), QStringLiteral("OnBoxAmount"),
                                       QStringLiteral("SaleAmount"), QStringLiteral("Memo")}));
  ASSERT_EQ(data.rows.size(), 1);
  EXPECT_EQ(data.rows[0], (QStringList{QStringLiteral("JB1"), QStringLiteral("1250"),
                                       QStringLiteral("37.5"), QString()}));
  EXPECT_EQ(data.Value(0, QStringLiteral("saleamount")), QStringLiteral("37.5"));
  EXPECT_FALSE(data.Value(0, QStringLiteral("Nope")));
  EXPECT_FALSE(data.Value(1, QStringLiteral("OrderNo")));
}

}  // namespace
}  // namespace quilmo
