#pragma once

#include <QByteArray>
#include <QSqlDatabase>

namespace quilmo::test {

// Fills the run's template database (an account database every server test starts from).
// Throws on failure.
void BuildTemplate(QSqlDatabase db);

// Everything BuildTemplate uses, so that a change to it makes a new template.
QByteArray TemplateFingerprint();

}  // namespace quilmo::test
