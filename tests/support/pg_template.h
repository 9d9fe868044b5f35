#pragma once

#include <QSqlDatabase>

namespace quilmo::test {

// Fills the run's template database (an account database every server test starts from).
// Throws on failure.
void BuildTemplate(QSqlDatabase db);

}  // namespace quilmo::test
