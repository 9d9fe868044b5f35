#include "report/screens/report_rendering.h"

#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>

namespace quilmo {
namespace {

constexpr double kRollMarginMm = 3;
constexpr double kMmPerInch = 25.4;

}  // namespace

void ChoosePrinter(QPrinter& printer, const QString& name) {
  if (name.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(name);
    return;
  }
  printer.setOutputFormat(QPrinter::NativeFormat);
  if (!name.isEmpty()) {
    if (QPrinterInfo::printerInfo(name).isNull()) {
      throw PrintError(QStringLiteral("找不到打印机 %1").arg(name));
    }
    printer.setPrinterName(name);
  } else if (QPrinterInfo::defaultPrinter().isNull()) {
    throw PrintError(QStringLiteral("系统没有默认打印机，请在 HardWareSet/%1 中指定打印机")
                         .arg(QString::fromLatin1(kReportPrinterKey)));
  } else {
    printer.setPrinterName(QPrinterInfo::defaultPrinter().printerName());
  }
}

void RenderReport(const Report& report, QPrinter& printer) {
  QTextDocument doc;
  doc.documentLayout()->setPaintDevice(&printer);
  doc.setDocumentMargin(0);
  doc.setHtml(report.RenderHtml());
  const double dpi = printer.resolution();
  if (const std::optional<double> width = report.PaperWidthMm()) {
    // One page as long as the content: lay the text out at the roll's width, then size the page.
    doc.setTextWidth((*width - 2 * kRollMarginMm) / kMmPerInch * dpi);
    const double height = doc.size().height() / dpi * kMmPerInch + 2 * kRollMarginMm + 1;
    printer.setPageLayout(
        QPageLayout(QPageSize(QSizeF(*width, height), QPageSize::Millimeter,
                              QStringLiteral("receipt"), QPageSize::ExactMatch),
                    QPageLayout::Portrait,
                    QMarginsF(kRollMarginMm, kRollMarginMm, kRollMarginMm, kRollMarginMm),
                    QPageLayout::Millimeter));
  }
  const QRectF page = printer.pageRect(QPrinter::DevicePixel);
  doc.setPageSize(page.size());

  QPainter painter;
  if (!painter.begin(&printer)) {
    const QString where =
        printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    throw PrintError(QStringLiteral("不能在打印机 %1 上打印").arg(where));
  }
  const int pages = std::max(1, doc.pageCount());
  for (int i = 0; i < pages; ++i) {
    if (i > 0) printer.newPage();
    painter.save();
    painter.translate(0, -i * page.height());
    doc.drawContents(&painter, QRectF(0, i * page.height(), page.width(), page.height()));
    painter.restore();
  }
  if (!painter.end()) throw PrintError(QStringLiteral("打印没有完成"));
}

void QtReportPrinter::Print(const Report& report, const QString& name) {
  QPrinter printer(QPrinter::HighResolution);
  ChoosePrinter(printer, name);
  printer.setCopyCount(1);
  printer.setCollateCopies(true);
  printer.setPrintRange(QPrinter::AllPages);
  RenderReport(report, printer);
  if (printer.outputFormat() == QPrinter::PdfFormat && !QFileInfo::exists(name)) {
    throw PrintError(QStringLiteral("不能写入 %1").arg(name));
  }
}

void ShowPrintPreview(const Report& report, QWidget* parent) {
  QPrinter printer(QPrinter::HighResolution);
  QPrintPreviewDialog dialog(&printer, parent);
  dialog.setWindowTitle(QStringLiteral("打印预览"));
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&report](QPrinter* p) {
    try {
      RenderReport(report, *p);
    } catch (const PrintError&) {
      // The preview shows an empty page; printing from it reports the fault.
    }
  });
  dialog.exec();
}

}  // namespace quilmo
