#include "report/template_files.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QSaveFile>

namespace quilmo {
namespace {

Q_LOGGING_CATEGORY(lcTemplates, "quilmo.report")

}  // namespace

QString TemplatePath(const QString& program_folder, const QString& name) {
  return QDir(program_folder).filePath(QStringLiteral("SysFile/") + name);
}

QString ShippedTemplate(const QString& name) {
  QFile file(QStringLiteral(":/SysFile/") + name);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

bool InstallShippedTemplates(const QString& program_folder, QString* error) {
  for (const char* name : {kReceiptTemplate, kShiftTemplate}) {
    const QString path = TemplatePath(program_folder, QString::fromLatin1(name));
    if (QFile::exists(path)) continue;
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Written rather than copied: a copy of a resource is read-only, and the shop edits these.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(ShippedTemplate(QString::fromLatin1(name)).toUtf8()) < 0 || !file.commit()) {
      if (error) *error = QStringLiteral("%1：%2").arg(path, file.errorString());
      return false;
    }
  }
  return true;
}

void LoadTemplateOrShipped(Report& report, const QString& program_folder, const QString& name) {
  const QString path = TemplatePath(program_folder, name);
  if (!report.LoadTemplate(path)) {
    qCWarning(lcTemplates).noquote() << "template" << path << "missing; using the shipped one";
    report.SetTemplateText(ShippedTemplate(name));
    report.SetTemplatePath(path);
  }
}

}  // namespace quilmo
