#pragma once

#include <QString>

#include "report/report.h"
#include "report/report_printer.h"

class QPrinter;
class QWidget;

namespace quilmo {

// Lays the report out on the printer's page and paints it, page by page. A template that asks
// for a roll width gets one page of that width, as long as its content. Throws PrintError when
// the printer cannot be painted on.
void RenderReport(const Report& report, QPrinter& printer);

// Points the printer at a name: a file ending in ".pdf", a printer the system knows, or, when
// empty, the system's default printer. Throws PrintError when there is no such printer.
void ChoosePrinter(QPrinter& printer, const QString& name);

// Prints through Qt's print support (CUPS on this platform).
class QtReportPrinter final : public ReportPrinter {
 public:
  void Print(const Report& report, const QString& printer) override;
};

// The print preview of a report, modal.
void ShowPrintPreview(const Report& report, QWidget* parent);

}  // namespace quilmo
