#pragma once

#include "base/ui.h"
#include "report/report.h"

namespace quilmo {

// The report screens logic opens.
class ReportUi : public virtual Ui {
 public:
  // The designer on a loaded report: the template's text beside a live preview with the bound
  // data and variables; it saves the template to its file when asked.
  virtual void ShowReportDesigner(Report& report) = 0;
  // The print preview of a filled-in report.
  virtual void ShowReportPreview(const Report& report) = 0;
};

}  // namespace quilmo
