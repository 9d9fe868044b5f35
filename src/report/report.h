#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <optional>

namespace quilmo {

// The one data set a report iterates: named columns and rows of ready-formatted texts.
struct ReportDataSet {
  QStringList columns;
  QList<QStringList> rows;

  // The row's value of a column (case-insensitive name), or nothing for an unknown column.
  std::optional<QString> Value(int row, const QString& column) const;
};

// A report: a template, named string variables and one bound data set.
//
// A template is an HTML file (QTextDocument's subset) kept in the program's SysFile/ folder:
//   - [名称] stands for the variable of that name, or, inside the data band, first for the
//     column of that name of the row being printed;
//   - the data band is the part between <!--band--> and <!--/band-->, repeated once for every
//     row of the data set (a template without one prints no rows);
//   - <meta name="paper-width" content="80"> prints on a roll of that many millimetres, one page
//     as long as the content; without it the printer's own page size applies.
// Values are set as plain text and written into the page as text: a quote, "<", "&" or "[…]" in
// a shop name prints as itself and cannot change the template or another value.
class Report {
 public:
  // Reads a template file (UTF-8). A missing or unreadable file returns false and keeps the
  // template the report already had.
  bool LoadTemplate(const QString& path);
  void SetTemplateText(const QString& text) { template_ = text; }
  const QString& TemplateText() const { return template_; }
  const QString& TemplatePath() const { return path_; }
  void SetTemplatePath(const QString& path) { path_ = path; }
  // Writes the template text back to its file; false with a reason when it cannot.
  bool SaveTemplate(QString* error) const;

  // Sets a variable to a plain value; a second set of the same name replaces the value.
  void SetVariable(const QString& name, const QString& value);
  std::optional<QString> Variable(const QString& name) const;
  const QList<QPair<QString, QString>>& Variables() const { return variables_; }

  void BindDataSet(ReportDataSet data) { data_ = std::move(data); }
  const ReportDataSet& DataSet() const { return data_; }

  // The page as HTML with every value filled in.
  QString RenderHtml() const;
  // The roll width in millimetres the template asks for, if any.
  std::optional<double> PaperWidthMm() const;

 private:
  QString template_;
  QString path_;
  QList<QPair<QString, QString>> variables_;
  ReportDataSet data_;
};

// Fills a template: see Report. `row` < 0 means outside the data band.
QString FillTemplate(const QString& text, const Report& report, int row);

}  // namespace quilmo
