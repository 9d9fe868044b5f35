#include "support/pg_template.h"

#include "data/schema.h"

namespace quilmo::test {
namespace {
constexpr const char* kTemplateFiles[] = {"common.sql", "server.sql"};
}  // namespace

QByteArray TemplateFingerprint() {
  QByteArray all;
  for (const char* file : kTemplateFiles) all += SchemaText(QLatin1String(file)).toUtf8();
  return all;
}

void BuildTemplate(QSqlDatabase db) {
  // The template is an account database as quilmo-admin creates it, without demo rows.
  QSqlQuery q(db);
  for (const char* file : kTemplateFiles) {
    if (!q.exec(SchemaText(QLatin1String(file)))) {
      throw DbError(QLatin1String(file) + QStringLiteral(": ") + DriverMessage(q.lastError()));
    }
  }
}

}  // namespace quilmo::test
