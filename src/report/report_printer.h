#pragma once

#include <QString>

#include "base/error.h"
#include "report/report.h"

namespace quilmo {

// A report could not be printed: no such printer, no default printer, a file that cannot be
// written. The text says which printer and why.
class PrintError : public Error {
 public:
  using Error::Error;
};

// The setting that names the printer of template reports (section HardWareSet): a printer's
// name as the system knows it, a file ending in ".pdf" to print into, or empty for the
// system's default printer.
inline constexpr char kReportPrinterKey[] = "ReportPrinter";

// Prints a filled-in report: all pages, one copy. Throws PrintError when nothing could be
// printed.
class ReportPrinter {
 public:
  virtual ~ReportPrinter() = default;
  virtual void Print(const Report& report, const QString& printer) = 0;
};

}  // namespace quilmo
