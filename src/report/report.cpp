#include "report/report.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

namespace quilmo {
namespace {

const QString kBandStart = QStringLiteral("<!--band-->");
const QString kBandEnd = QStringLiteral("<!--/band-->");

}  // namespace

std::optional<QString> ReportDataSet::Value(int row, const QString& column) const {
  if (row < 0 || row >= rows.size()) return std::nullopt;
  for (qsizetype c = 0; c < columns.size(); ++c) {
    if (columns[c].compare(column, Qt::CaseInsensitive) == 0) {
      return c < rows[row].size() ? rows[row][c] : QString();
    }
  }
  return std::nullopt;
}

bool Report::LoadTemplate(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  template_ = QString::fromUtf8(file.readAll());
  path_ = path;
  return true;
}

bool Report::SaveTemplate(QString* error) const {
  QSaveFile file(path_);
  if (!file.open(QIODevice::WriteOnly) || file.write(template_.toUtf8()) < 0 || !file.commit()) {
    if (error) *error = file.errorString();
    return false;
  }
  return true;
}

void Report::SetVariable(const QString& name, const QString& value) {
  for (auto& v : variables_) {
    if (v.first == name) {
      v.second = value;
      return;
    }
  }
  variables_.append({name, value});
}

std::optional<QString> Report::Variable(const QString& name) const {
  for (const auto& v : variables_) {
    if (v.first == name) return v.second;
  }
  return std::nullopt;
}

QString FillTemplate(const QString& text, const Report& report, int row) {
  // One pass over the text: a value is written once and never looked at again, so a value that
  // itself holds "[名称]" prints as it is.
  static const QRegularExpression field(QStringLiteral("\\[([^\\[\\]<>\\r\\n]{1,64})\\]"));
  QString out;
  out.reserve(text.size() + text.size() / 2);
  qsizetype at = 0;
  for (auto it = field.globalMatch(text); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    out += QStringView(text).mid(at, m.capturedStart() - at);
    at = m.capturedEnd();
    const QString name = m.captured(1).trimmed();
    std::optional<QString> value = row >= 0 ? report.DataSet().Value(row, name) : std::nullopt;
    if (!value) value = report.Variable(name);
    // A name the report does not know stays as written, so a typing error shows in the
    // designer's preview instead of vanishing.
    out += value ? value->toHtmlEscaped() : m.captured(0);
  }
  out += QStringView(text).mid(at);
  return out;
}

QString Report::RenderHtml() const {
  const qsizetype start = template_.indexOf(kBandStart);
  const qsizetype end = start < 0 ? -1 : template_.indexOf(kBandEnd, start);
  if (start < 0 || end < 0) return FillTemplate(template_, *this, -1);
  const QString before = template_.left(start);
  const QString band = template_.mid(start + kBandStart.size(), end - start - kBandStart.size());
  const QString after = template_.mid(end + kBandEnd.size());
  QString out = FillTemplate(before, *this, -1);
  for (int row = 0; row < data_.rows.size(); ++row) out += FillTemplate(band, *this, row);
  out += FillTemplate(after, *this, -1);
  return out;
}

std::optional<double> Report::PaperWidthMm() const {
  static const QRegularExpression meta(
      QStringLiteral("<meta\\s+name=\"paper-width\"\\s+content=\"([0-9]+(?:\\.[0-9]+)?)\""),
      QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch m = meta.match(template_);
  if (!m.hasMatch()) return std::nullopt;
  const double mm = m.captured(1).toDouble();
  if (mm < 20 || mm > 1000) return std::nullopt;
  return mm;
}

}  // namespace quilmo
