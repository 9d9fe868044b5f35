#pragma once

#include <QMetaType>
#include <QString>
#include <QVariant>
#include <compare>
#include <concepts>
#include <cstdint>
#include <optional>

namespace quilmo {

// Thrown when an amount would leave the range Money holds: the cashier reads "金额超出范围！"
// instead of a total that wrapped round to a large negative number.
[[noreturn]] void ThrowMoneyOverflow();

// Wide enough for any sum, difference or whole-unit conversion of two amounts in range.
__extension__ typedef __int128 WideUnits;

// An amount of money, held exactly as a count of ten-thousandths of the currency unit. Prices,
// amounts, balances and totals are Money in memory, so 0.1 + 0.2 is 0.3 and "received ≥ due"
// compares what the cashier sees. Quantities, discounts and points stay double; where one of
// them multiplies an amount, the product is worked out on decimal values and rounded once.
// No arithmetic wraps: a result beyond ±kLimitUnits (about 461 trillion units of currency,
// far beyond any till's sums) throws instead.
class Money {
 public:
  static constexpr std::int64_t kScale = 10000;
  static constexpr int kDecimals = 4;
  static constexpr std::int64_t kLimitUnits = INT64_MAX / 2;

  constexpr Money() = default;
  // Whole units: `Money price = 30;`. A double never converts by itself (19.99 would become
  // 19); it goes through FromDouble or Parse, which say how it is rounded.
  template <std::integral I>
  constexpr Money(I whole) : units_(Checked(static_cast<WideUnits>(whole) * kScale)) {}  // NOLINT
  Money(double) = delete;
  Money(float) = delete;
  static constexpr Money FromUnits(std::int64_t ten_thousandths) {
    Money m;
    m.units_ = Checked(ten_thousandths);
    return m;
  }
  static constexpr Money Whole(std::int64_t value) {
    return FromUnits(Checked(static_cast<WideUnits>(value) * kScale));
  }

  // The nearest ten-thousandth of a double, halves away from zero, judged on the number's
  // decimal value (the 15 digits a double holds for sure), so 1.00005 reads as 1.0001 even
  // though the nearest double lies just below the half. Not-a-number and infinities read as 0.
  static Money FromDouble(double value);
  // "12", "-0.30", "+5.", ".5": digits with one optional point and sign; more than four
  // decimals round half away from zero. Nothing for anything else (letters, "1e5", blanks,
  // full-width digits) or a value beyond about 900 billion.
  static std::optional<Money> Parse(QStringView text);
  // A database value: NULL is 0, text is parsed, numbers are converted as FromDouble.
  static Money FromVariant(const QVariant& value);

  constexpr std::int64_t units() const { return units_; }
  double ToDouble() const { return static_cast<double>(units_) / kScale; }
  constexpr bool IsZero() const { return units_ == 0; }

  // Rounded to `decimals` places (0 to 4), halves away from zero.
  Money Rounded(int decimals) const;
  // This amount times a factor, rounded once to `decimals` places.
  Money Times(double factor, int decimals = kDecimals) const;
  // This amount shared out in `divisor` parts (a pack price per base unit), to the nearest
  // ten-thousandth.
  Money DividedBy(double divisor) const;

  // Fixed text with `decimals` places (rounded as Rounded): "50.97", "-0.50", "51".
  QString ToString(int decimals = 2) const;
  // The shortest text: "50.97", "51", "0.3", "-12.5".
  QString ShortText() const;

  constexpr Money operator-() const { return FromUnits(-units_); }
  // Both operands lie within the limit, so their sum or difference fits in 64 bits and only
  // the limit itself needs checking.
  constexpr Money& operator+=(Money other) {
    units_ = Checked(units_ + other.units_);
    return *this;
  }
  constexpr Money& operator-=(Money other) {
    units_ = Checked(units_ - other.units_);
    return *this;
  }
  friend constexpr Money operator+(Money a, Money b) { return a += b; }
  friend constexpr Money operator-(Money a, Money b) { return a -= b; }
  friend constexpr auto operator<=>(Money a, Money b) = default;
  friend constexpr bool operator==(Money a, Money b) = default;

 private:
  static constexpr std::int64_t Checked(WideUnits units) {
    if (units > kLimitUnits || units < -kLimitUnits) ThrowMoneyOverflow();
    return static_cast<std::int64_t>(units);
  }

  std::int64_t units_ = 0;
};

// price × quantity × discount / 100, the product of the decimal values rounded once to
// `decimals` places, halves away from zero: 19.99 × 3 at 85 % is 50.97 with two places and 51
// with none.
Money LineAmount(Money price, double quantity, double discount, int decimals);

// The amount as a database value: the server's NUMERIC columns take the exact decimal text,
// the local file's REAL columns the double.
QVariant MoneyForServer(Money value);

}  // namespace quilmo

Q_DECLARE_METATYPE(quilmo::Money)
