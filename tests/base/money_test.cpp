#include "base/money.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "support/qt_printers.h"

namespace quilmo {
namespace {

TEST(Money, SumsAreExact) {
  EXPECT_EQ(M("0.1") + M("0.2"), M("0.3"));
  Money total;
  for (int i = 0; i < 1000; ++i) total += M("0.01");
  EXPECT_EQ(total, 10);
  EXPECT_EQ(M("100") - M("99.99"), M("0.01"));
  EXPECT_LT(M("-0.0001"), 0);
  EXPECT_GE(M("188.50"), M("188.5"));
}

TEST(Money, FromDoubleAndRoundingGoHalfAwayFromZeroOnTheDecimalValue) {
  struct Case {
    double value;
    int decimals;
    const char* expected;
  };
  const Case cases[] = {
      {50.9745, 2, "50.97"},        {50.9745, 0, "51"},
      {50.9745, 3, "50.975"},       {1.005, 2, "1.01"},
      {2.675, 2, "2.68"},           {-2.5, 0, "-3"},
      {-50.9745, 3, "-50.975"},     {-0.005, 2, "-0.01"},
      {0.005, 2, "0.01"},           {0.0049, 2, "0"},
      {123456.785, 2, "123456.79"}, {7, 3, "7"},
      {0.1 + 0.2, 2, "0.3"},        {49.999999999999993, 2, "50"},
      {1.00005, 4, "1.0001"},       {-1.00005, 4, "-1.0001"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.value << " to " << c.decimals);
    EXPECT_EQ(Money::FromDouble(c.value).Rounded(c.decimals), M(c.expected));
  }
}

TEST(Money, LineAmountIsTheDecimalProductRoundedOnce) {
  struct Case {
    const char* price;
    double quantity;
    double discount;
    int decimals;
    const char* expected;
  };
  const Case cases[] = {
      {"19.99", 3, 85, 2, "50.97"}, {"19.99", 3, 85, 0, "51"},   {"19.99", 3, 85, 3, "50.975"},
      {"40", -1, 100, 2, "-40"},    {"0.1", 3, 100, 2, "0.3"},   {"0.5", -1, 100, 0, "-1"},
      {"2.5", -1, 100, 0, "-3"},    {"33.33", 0.5, 90, 2, "15"}, {"100", 2, 90, 2, "180"},
      {"10", 1, 33.333, 2, "3.33"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.price << " x " << c.quantity << " at " << c.discount);
    EXPECT_EQ(LineAmount(M(c.price), c.quantity, c.discount, c.decimals), M(c.expected));
  }
  EXPECT_EQ(M("7.5").Times(3), M("22.5"));
  EXPECT_EQ(M("48").DividedBy(6), 8);
}

TEST(Money, TextInAndOut) {
  EXPECT_EQ(M("88.5").ToString(2), QStringLiteral("88.50"));
  EXPECT_EQ(M("-0.5").ToString(2), QStringLiteral("-0.50"));
  EXPECT_EQ(M("50.975").ToString(2), QStringLiteral("50.98"));
  EXPECT_EQ(M("51").ToString(0), QStringLiteral("51"));
  EXPECT_EQ(M("50.9700").ShortText(), QStringLiteral("50.97"));
  EXPECT_EQ(M("51.00").ShortText(), QStringLiteral("51"));
  EXPECT_EQ(Money().ShortText(), QStringLiteral("0"));
  EXPECT_EQ(M("-12.5").ShortText(), QStringLiteral("-12.5"));

  // What a cashier may type, and what is refused rather than guessed.
  EXPECT_EQ(Money::Parse(u".5"), M("0.5"));
  EXPECT_EQ(Money::Parse(u"+5."), 5);
  EXPECT_EQ(Money::Parse(u"1.00005"), M("1.0001"));
  for (const char* bad :
       {"", "-", ".", "1e5", "1,5", " 1", "1 ", "abc", "1.2.3", "12a", "9999999999999999999999"}) {
    EXPECT_FALSE(Money::Parse(QString::fromLatin1(bad)).has_value()) << bad;
  }
  EXPECT_FALSE(Money::Parse(QStringLiteral("１２")).has_value());  // full-width digits

  EXPECT_EQ(Money::FromVariant(QVariant()), 0);
  EXPECT_EQ(Money::FromVariant(QStringLiteral("0.3000")), M("0.3"));
  EXPECT_EQ(Money::FromVariant(0.1 + 0.2), M("0.3"));
  EXPECT_EQ(Money::FromVariant(42), 42);
  EXPECT_EQ(QVariant::fromValue(M("12.5")).toDouble(), 12.5);
}

// Three lines of 900000000000 pieces once summed to -461168601842738.79 and were saved so.
// Every way to an amount beyond the range is now an error the cashier reads in words.
TEST(Money, AnAmountBeyondTheRangeIsAnErrorNeverAWrap) {
  const Money big = Money::FromUnits(Money::kLimitUnits);
  const Money line = LineAmount(M("512"), 900000000000, 100, 2);
  EXPECT_EQ(line, Money::Whole(460800000000000));
  auto refuses = [](auto&& work) {
    try {
      work();
    } catch (const Error& e) {
      return e.message() == QStringLiteral("金额超出范围！");
    }
    return false;
  };
  EXPECT_TRUE(refuses([&] { return line + line + line; }));
  EXPECT_TRUE(refuses([&] {
    Money total;
    for (int i = 0; i < 3; ++i) total += line;
    return total;
  }));
  EXPECT_TRUE(refuses([&] { return -big - M("0.0001"); }));
  EXPECT_TRUE(refuses([&] { return big + M("0.0001"); }));
  EXPECT_TRUE(refuses([&] { return LineAmount(M("9999999.99"), 99999999999, 100, 2); }));
  EXPECT_TRUE(refuses([&] { return Money::FromDouble(1e300); }));
  EXPECT_TRUE(refuses([&] { return M("1").Times(1e30); }));
  EXPECT_TRUE(refuses([&] { return Money::Whole(INT64_MAX / 1000); }));
  EXPECT_TRUE(refuses([&] { return Money(INT64_MAX); }));
  // At the edge itself nothing is refused.
  EXPECT_EQ(big - big, 0);
  EXPECT_EQ((-big).units(), -Money::kLimitUnits);
}

}  // namespace
}  // namespace quilmo
