#include "support/pg_template.h"

namespace quilmo::test {

// The account schema arrives with the data layer; until then server tests start from an
// empty database.
void BuildTemplate(QSqlDatabase) {}

}  // namespace quilmo::test
