#include "base/input_rules.h"

#include <gtest/gtest.h>

#include "support/qt_printers.h"

namespace quilmo {
namespace {

using Refusal = TypedNumber::Refusal;

struct Reading {
  const char16_t* text;
  NumberField field;
  const char* value;  // the exact value accepted; nullptr when refused
  Refusal refusal;
  const char16_t* message;
};

// What a cashier can type into any number field, and what the till makes of it: the value is
// exact, and every refusal names the field and, for a limit, the limit.
TEST(ReadTypedNumber, AcceptsPlainDecimalsWithinTheFieldsBoundsOnly) {
  const Reading cases[] = {
      // Plain decimals, blanks around, signs and a bare point on either side.
      {u"12", NumberField::Quantity, "12", Refusal::None, u""},
      {u"  -0.5 ", NumberField::Quantity, "-0.5", Refusal::None, u""},
      {u".5", NumberField::Amount, "0.5", Refusal::None, u""},
      {u"5.", NumberField::Amount, "5", Refusal::None, u""},
      {u"+7", NumberField::Amount, "7", Refusal::None, u""},
      {u"-0", NumberField::Amount, "0", Refusal::None, u""},
      {u"0012.50", NumberField::Price, "12.5", Refusal::None, u""},
      // Trailing zeros are no decimals.
      {u"1.5000000", NumberField::Amount, "1.5", Refusal::None, u""},
      // Full-width digits, point and sign as a Chinese input method gives them; the
      // ideographic space around them is a blank too.
      {u"\uFF11\uFF12\uFF0E\uFF15", NumberField::Price, "12.5", Refusal::None, u""},
      {u"\u3000\uFF0D\uFF13\u3000", NumberField::Quantity, "-3", Refusal::None, u""},
      {u"\uFF0B\uFF19", NumberField::Discount, "9", Refusal::None, u""},
      // The very bounds are inside.
      {u"99999", NumberField::Quantity, "99999", Refusal::None, u""},
      {u"-99999", NumberField::Quantity, "-99999", Refusal::None, u""},
      {u"0.0001", NumberField::Quantity, "0.0001", Refusal::None, u""},
      {u"9999999.99", NumberField::Amount, "9999999.99", Refusal::None, u""},
      {u"-9999999.99", NumberField::Price, "-9999999.99", Refusal::None, u""},
      {u"1", NumberField::Discount, "1", Refusal::None, u""},
      {u"100", NumberField::Discount, "100", Refusal::None, u""},
      {u"-12.25", NumberField::Points, "-12.25", Refusal::None, u""},

      // What a double would have read but no person means.
      {u"NaN", NumberField::Points, nullptr, Refusal::NotANumber, u"您输入的积分不是数字类型！"},
      {u"inf", NumberField::Quantity, nullptr, Refusal::NotANumber, u"您输入的数量不是数字类型！"},
      {u"-infinity", NumberField::Amount, nullptr, Refusal::NotANumber,
       u"您输入的金额不是数字类型！"},
      {u"1e5", NumberField::Amount, nullptr, Refusal::NotANumber, u"您输入的金额不是数字类型！"},
      {u"1E-2", NumberField::Price, nullptr, Refusal::NotANumber, u"您输入的单价不是数字类型！"},
      {u"0x10", NumberField::Quantity, nullptr, Refusal::NotANumber, u"您输入的数量不是数字类型！"},
      {u"1,000", NumberField::Amount, nullptr, Refusal::NotANumber, u"您输入的金额不是数字类型！"},
      {u"1.2.3", NumberField::Amount, nullptr, Refusal::NotANumber, u"您输入的金额不是数字类型！"},
      {u"1 2", NumberField::Amount, nullptr, Refusal::NotANumber, u"您输入的金额不是数字类型！"},
      {u"--1", NumberField::Quantity, nullptr, Refusal::NotANumber, u"您输入的数量不是数字类型！"},
      {u"5-", NumberField::Quantity, nullptr, Refusal::NotANumber, u"您输入的数量不是数字类型！"},
      {u".", NumberField::Amount, nullptr, Refusal::NotANumber, u"您输入的金额不是数字类型！"},
      {u"-", NumberField::Quantity, nullptr, Refusal::NotANumber, u"您输入的数量不是数字类型！"},
      {u"", NumberField::Amount, nullptr, Refusal::Empty, u"您输入的金额不是数字类型！"},
      {u"   ", NumberField::Discount, nullptr, Refusal::Empty, u"您输入的折扣不是数字类型！"},
      // Other digits of Unicode are not the shop's digits.
      {u"\u0661\u0662", NumberField::Amount, nullptr, Refusal::NotANumber,
       u"您输入的金额不是数字类型！"},

      // Beyond the bounds, however many digits: said with the limit.
      {u"100000", NumberField::Quantity, nullptr, Refusal::OutOfRange, u"数量不能超过99999！"},
      {u"900000000000", NumberField::Quantity, nullptr, Refusal::OutOfRange,
       u"数量不能超过99999！"},
      {u"-99999.0001", NumberField::Quantity, nullptr, Refusal::OutOfRange,
       u"数量不能小于-99999！"},
      {u"99999999999999999999999999999999", NumberField::Amount, nullptr, Refusal::OutOfRange,
       u"金额不能超过9999999.99！"},
      {u"-99999999999999999999999999999999", NumberField::Price, nullptr, Refusal::OutOfRange,
       u"单价不能小于-9999999.99！"},
      {u"9999999.991", NumberField::Amount, nullptr, Refusal::OutOfRange,
       u"金额不能超过9999999.99！"},
      {u"-0.01", NumberField::Amount, nullptr, Refusal::OutOfRange, u"金额不能为负数！"},
      {u"-50", NumberField::Discount, nullptr, Refusal::OutOfRange, u"折扣必须在1-100之间 ！"},
      {u"0", NumberField::Discount, nullptr, Refusal::OutOfRange, u"折扣必须在1-100之间 ！"},
      {u"900", NumberField::Discount, nullptr, Refusal::OutOfRange, u"折扣必须在1-100之间 ！"},
      {u"100.01", NumberField::Discount, nullptr, Refusal::OutOfRange, u"折扣必须在1-100之间 ！"},
      // Too large weighs more than one decimal too many.
      {u"12345678.123", NumberField::Amount, nullptr, Refusal::OutOfRange,
       u"金额不能超过9999999.99！"},

      // More decimals than the field keeps.
      {u"0.001", NumberField::Amount, nullptr, Refusal::TooManyDecimals, u"金额最多2位小数！"},
      {u"19.999", NumberField::Price, nullptr, Refusal::TooManyDecimals, u"单价最多2位小数！"},
      {u"1.00001", NumberField::Quantity, nullptr, Refusal::TooManyDecimals, u"数量最多4位小数！"},
      {u"85.555", NumberField::Discount, nullptr, Refusal::TooManyDecimals, u"折扣最多2位小数！"},
      {u"0.125", NumberField::Points, nullptr, Refusal::TooManyDecimals, u"积分最多2位小数！"},
  };
  for (const Reading& c : cases) {
    const QString text = QString::fromUtf16(c.text, std::char_traits<char16_t>::length(c.text));
    SCOPED_TRACE(testing::Message()
                 << '"' << text.toStdString() << "\" as " << FieldName(c.field).toStdString());
    const TypedNumber read = ReadTypedNumber(text, c.field);
    EXPECT_EQ(read.refusal, c.refusal);
    EXPECT_EQ(read.message, QString::fromUtf16(c.message));
    EXPECT_EQ(read.ok(), c.value != nullptr);
    if (c.value) {
      EXPECT_EQ(read.value, *Money::Parse(QString::fromLatin1(c.value)));
    } else {
      EXPECT_TRUE(read.value.IsZero());
    }
  }
}

TEST(ReadTypedNumber, ANulInsideTheTextIsNoNumber) {
  // A paste can carry a NUL; the reader must not stop at it and take "5".
  const QString text = QStringLiteral("5") + QChar(u'\0') + QStringLiteral("00");
  EXPECT_EQ(ReadTypedNumber(text, NumberField::Amount).refusal, Refusal::NotANumber);
}

}  // namespace
}  // namespace quilmo
