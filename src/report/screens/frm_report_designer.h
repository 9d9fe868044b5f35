#pragma once

#include "frame/frm_root.h"
#include "report/report.h"
#include "report/report_ui.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTextBrowser;

namespace quilmo {

// The report designer: the template's text on the left, a live preview with the report's data
// and variables on the right. Ctrl+S saves the template to its file, F5 shows the print preview,
// Esc closes (asking first when there are unsaved changes). The list of variables and columns
// the template may use is shown under the preview.
class TfrmReportDesigner : public TfrmRootSui {
  Q_OBJECT
 public:
  TfrmReportDesigner(Report& report, Ui& ui, QWidget* parent = nullptr);

  QPlainTextEdit* memTemplate;
  QTextBrowser* txtPreview;
  QLabel* lblNames;
  QLabel* lblStatus;
  QPushButton* btnSave;
  QPushButton* btnPreview;
  QPushButton* btnClose;

  bool modified() const { return modified_; }
  // Saves the template; false (the cashier told why) when it could not.
  bool Save();

 public slots:
  void reject() override;

 protected:
  bool FormKeyDown(QKeyEvent* event) override;

 private:
  void UpdatePreview();

  Report& report_;
  Ui& ui_;
  bool modified_ = false;
};

}  // namespace quilmo
