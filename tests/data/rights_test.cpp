#include "data/rights.h"

#include "support/data_fixture.h"

namespace quilmo {
namespace {

class RightsTest : public test::ModeTest {};

TEST_P(RightsTest, HasRightAsksTheDatabaseEveryTime) {
  ExecBoth(QStringLiteral(
      "INSERT INTO QTCashierRight (CashierNo, RightID) VALUES ('C1', 3), ('C2', 8)"));
  EXPECT_TRUE(HasRight(dm, QStringLiteral("C1"), 3));
  EXPECT_FALSE(HasRight(dm, QStringLiteral("C1"), 8));
  EXPECT_FALSE(HasRight(dm, QStringLiteral("C2"), 3));
  EXPECT_FALSE(HasRight(dm, QStringLiteral("C1' OR '1'='1"), 3));
  dm.Current().Exec(QStringLiteral("DELETE FROM QTCashierRight WHERE CashierNo = 'C1'"));
  EXPECT_FALSE(HasRight(dm, QStringLiteral("C1"), 3));
  dm.Current().Exec(QStringLiteral("INSERT INTO QTCashierRight VALUES ('C1', 17)"));
  EXPECT_TRUE(HasRight(dm, QStringLiteral("C1"), 17));
}

QUILMO_BOTH_MODES(RightsTest);

}  // namespace
}  // namespace quilmo
