#include "report/screens/frm_report_designer.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "report/screens/report_rendering.h"

namespace quilmo {

TfrmReportDesigner::TfrmReportDesigner(Report& report, Ui& ui, QWidget* parent)
    : TfrmRootSui(parent, KeyHandling::Common), report_(report), ui_(ui) {
  setObjectName(QStringLiteral("TfrmReportDesigner"));
  setWindowTitle(QStringLiteral("报表设计 - ") + QFileInfo(report.TemplatePath()).fileName());
  resize(1100, 720);

  memTemplate = new QPlainTextEdit(body());
  memTemplate->setObjectName(QStringLiteral("memTemplate"));
  memTemplate->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  memTemplate->setLineWrapMode(QPlainTextEdit::NoWrap);
  memTemplate->setPlainText(report.TemplateText());

  txtPreview = new QTextBrowser(body());
  txtPreview->setObjectName(QStringLiteral("txtPreview"));
  txtPreview->setFocusPolicy(Qt::NoFocus);

  QStringList names;
  for (const auto& v : report.Variables()) names << QLatin1Char('[') + v.first + QLatin1Char(']');
  QStringList columns;
  for (const QString& c : report.DataSet().columns)
    columns << QLatin1Char('[') + c + QLatin1Char(']');
  lblNames = new QLabel(QStringLiteral("变量：") + names.join(QLatin1Char(' ')) +
                            QStringLiteral("\n明细（<!--band--> 与 <!--/band--> 之间）：") +
                            columns.join(QLatin1Char(' ')),
                        body());
  lblNames->setObjectName(QStringLiteral("lblNames"));
  lblNames->setWordWrap(true);
  lblNames->setTextFormat(Qt::PlainText);

  auto* preview_side = new QWidget(body());
  auto* preview_layout = new QVBoxLayout(preview_side);
  preview_layout->setContentsMargins(0, 0, 0, 0);
  preview_layout->addWidget(txtPreview, 1);
  preview_layout->addWidget(lblNames);

  auto* split = new QSplitter(Qt::Horizontal, body());
  split->addWidget(memTemplate);
  split->addWidget(preview_side);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 1);

  lblStatus = new QLabel(report.TemplatePath(), body());
  lblStatus->setObjectName(QStringLiteral("lblStatus"));
  btnSave = new QPushButton(QStringLiteral("保存[Ctrl+S]"), body());
  btnSave->setObjectName(QStringLiteral("btnSave"));
  btnPreview = new QPushButton(QStringLiteral("打印预览[F5]"), body());
  btnPreview->setObjectName(QStringLiteral("btnPreview"));
  btnClose = new QPushButton(QStringLiteral("关闭[Esc]"), body());
  btnClose->setObjectName(QStringLiteral("btnClose"));
  for (QPushButton* b : {btnSave, btnPreview, btnClose}) b->setFocusPolicy(Qt::NoFocus);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(lblStatus, 1);
  buttons->addWidget(btnSave);
  buttons->addWidget(btnPreview);
  buttons->addWidget(btnClose);
  auto* layout = new QVBoxLayout(body());
  layout->addWidget(split, 1);
  layout->addLayout(buttons);

  connect(memTemplate, &QPlainTextEdit::textChanged, this, [this] {
    modified_ = true;
    UpdatePreview();
  });
  connect(btnSave, &QPushButton::clicked, this, [this] { Save(); });
  connect(btnPreview, &QPushButton::clicked, this, [this] { ShowPrintPreview(report_, this); });
  connect(btnClose, &QPushButton::clicked, this, &TfrmReportDesigner::reject);
  UpdatePreview();
  memTemplate->setFocus();
}

void TfrmReportDesigner::UpdatePreview() {
  report_.SetTemplateText(memTemplate->toPlainText());
  // Keep the reader where they were while the page is rebuilt on every keystroke.
  const int scroll = txtPreview->verticalScrollBar() ? txtPreview->verticalScrollBar()->value() : 0;
  txtPreview->setHtml(report_.RenderHtml());
  if (txtPreview->verticalScrollBar()) txtPreview->verticalScrollBar()->setValue(scroll);
}

bool TfrmReportDesigner::Save() {
  report_.SetTemplateText(memTemplate->toPlainText());
  QString error;
  if (!report_.SaveTemplate(&error)) {
    ui_.ShowErrorBox(QStringLiteral("保存模板失败：") + error);
    return false;
  }
  modified_ = false;
  lblStatus->setText(QStringLiteral("已保存 ") + report_.TemplatePath());
  return true;
}

bool TfrmReportDesigner::FormKeyDown(QKeyEvent* event) {
  if (event->key() == Qt::Key_S && event->modifiers() == Qt::ControlModifier) {
    Save();
    return true;
  }
  if (event->key() == Qt::Key_F5) {
    ShowPrintPreview(report_, this);
    return true;
  }
  return false;
}

void TfrmReportDesigner::reject() {
  if (modified_ && ui_.AskYesNo(QStringLiteral("询问"), QStringLiteral("模板已修改，是否保存？")) &&
      !Save()) {
    return;
  }
  TfrmRootSui::reject();
}

}  // namespace quilmo
