#include "data/values_apart.h"

#include "support/data_fixture.h"

namespace quilmo {
namespace {

using namespace Qt::StringLiterals;

class ValuesApartTest : public test::ModeTest {};

TEST_P(ValuesApartTest, CountsTheRowsAQueryReturnsOrAWriteChanges) {
  const Connection& c = dm.Current();
  c.Exec(
      u"INSERT INTO QTCashierRight (CashierNo, RightID) VALUES ('C1', 1), ('C1', 2), "
      "('C2', 1)"_s);
  EXPECT_EQ(ExecValuesApart(c, u"SELECT RightID FROM QTCashierRight WHERE CashierNo = :No"_s,
                            {{u":No"_s, u"C1"_s}}),
            2);
  EXPECT_EQ(ExecValuesApart(c, u"SELECT RightID FROM QTCashierRight WHERE CashierNo = :No"_s,
                            {{u":No"_s, u"C1' OR '1'='1"_s}}),
            0);
  EXPECT_EQ(ExecValuesApart(
                c, u"UPDATE QTCashierRight SET RightID = RightID + :Id WHERE CashierNo = :No"_s,
                {{u":Id"_s, 9}, {u":No"_s, u"C1"_s}}),
            2);
  EXPECT_THROW(ExecValuesApart(c, u"SELECT NoSuchColumn FROM QTCashierRight"_s, {}), DbError);
}

QUILMO_BOTH_MODES(ValuesApartTest);

class ServerValuesApartTest : public test::DataTest {};

// The server keeps the text of every statement it runs (its log of failing statements, its
// list of running ones); current_query() shows that text.
TEST_F(ServerValuesApartTest, ValuesSentApartNeverBecomePartOfTheStatementsText) {
  const Connection& c = dm.conServer;
  c.Exec(u"CREATE TEMP TABLE SeenText (Query TEXT)"_s);
  const QString insert =
      u"INSERT INTO SeenText SELECT current_query() WHERE CAST(:Secret AS TEXT) <> ''"_s;
  ExecValuesApart(c, insert, {{u":Secret"_s, u"pw-4711"_s}});
  // The driver's own binding writes the value into the EXECUTE it sends.
  c.Exec(insert, {{u":Secret"_s, u"pw-4712"_s}});
  QSqlQuery q = c.Query(u"SELECT Query FROM SeenText"_s);
  QStringList texts;
  while (q.next()) texts << q.value(0).toString();
  ASSERT_EQ(texts.size(), 2);
  EXPECT_FALSE(texts[0].contains(u"pw-4711"_s)) << texts[0].toStdString();
  EXPECT_TRUE(texts[0].contains(u"$1"_s)) << texts[0].toStdString();
  EXPECT_TRUE(texts[1].contains(u"pw-4712"_s)) << texts[1].toStdString();
}

}  // namespace
}  // namespace quilmo
