#include "base/money.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "base/error.h"

namespace quilmo {

void ThrowMoneyOverflow() { throw Error(QStringLiteral("金额超出范围！")); }

namespace {

__extension__ typedef __int128 Int128;

// A decimal number digits × 10^exponent.
struct Decimal {
  Int128 digits = 0;
  int exponent = 0;
};

// The decimal value of a double to 15 significant digits, which a double always holds; the
// digits beyond are the noise of binary arithmetic and must not decide a rounding.
Decimal DecimalOf(double value) {
  Decimal d;
  if (value == 0 || !std::isfinite(value)) return d;
  // Quantities and discounts are nearly always whole or have a few decimals: the decimal with
  // k places that reads back as this very double is its value, found without any text.
  static constexpr double kPow10[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6};
  if (std::fabs(value) < 1e8) {
    for (int k = 0; k < 7; ++k) {
      const double scaled = std::nearbyint(value * kPow10[k]);
      if (scaled / kPow10[k] == value) {
        d.digits = static_cast<Int128>(static_cast<std::int64_t>(scaled));
        d.exponent = -k;
        return d;
      }
    }
  }
  char text[40];
  std::snprintf(text, sizeof text, "%.14e", value);
  const char* e = std::strchr(text, 'e');
  const int exponent = std::atoi(e + 1);
  bool negative = false;
  Int128 digits = 0;
  int count = 0;
  for (const char* p = text; p < e; ++p) {
    if (*p == '-') {
      negative = true;
    } else if (*p >= '0' && *p <= '9') {
      digits = digits * 10 + (*p - '0');
      ++count;
    }
  }
  d.exponent = exponent - (count - 1);
  while (digits != 0 && digits % 10 == 0) {
    digits /= 10;
    ++d.exponent;
  }
  d.digits = negative ? -digits : digits;
  return d;
}

Int128 Pow10(int n) {
  Int128 p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

// n / 10^shift, halves away from zero.
Int128 DivideRounded(Int128 n, int shift) {
  if (shift <= 0) return n;
  if (shift > 36) return 0;
  const Int128 divisor = Pow10(shift);
  const Int128 q = n / divisor;
  const Int128 r = n % divisor;
  const Int128 twice = (r < 0 ? -r : r) * 2;
  if (twice >= divisor) return n < 0 ? q - 1 : q + 1;
  return q;
}

constexpr Int128 kMaxUnits = Money::kLimitUnits;

// A product or a conversion beyond what Money holds is an error, never a clamped or wrapped
// amount: a line that large is a mistake somebody must see.
std::int64_t Clamp(Int128 units) {
  if (units > kMaxUnits || units < -kMaxUnits) ThrowMoneyOverflow();
  return static_cast<std::int64_t>(units);
}

// value = digits × 10^exponent in ten-thousandths, rounded to `decimals` places.
std::int64_t ToUnits(Int128 digits, int exponent, int decimals) {
  decimals = std::clamp(decimals, 0, Money::kDecimals);
  // digits × 10^(exponent + decimals) is the value in units of 10^-decimals.
  const int shift = exponent + decimals;
  Int128 rounded;
  if (shift >= 0) {
    if (shift > 30) return digits == 0 ? 0 : Clamp(digits < 0 ? -kMaxUnits - 1 : kMaxUnits + 1);
    rounded = digits * Pow10(shift);
  } else {
    rounded = DivideRounded(digits, -shift);
  }
  return Clamp(rounded * Pow10(Money::kDecimals - decimals));
}

// QVariant::toDouble() and toString() of a Money work like those of a number.
const bool kConvertersRegistered = [] {
  QMetaType::registerConverter<Money, double>(&Money::ToDouble);
  QMetaType::registerConverter<Money, QString>([](const Money& m) { return m.ShortText(); });
  return true;
}();

}  // namespace

Money Money::FromDouble(double value) {
  if (!std::isfinite(value)) return Money();
  const double scaled = value * kScale;
  if (std::fabs(scaled) < 1e15) {
    const double nearest = std::round(scaled);
    // Far from a half, the binary value decides nothing: the quick way is exact.
    if (std::fabs(std::fabs(scaled - nearest) - 0.5) > 1e-3) {
      return FromUnits(static_cast<std::int64_t>(nearest));
    }
  }
  const Decimal d = DecimalOf(value);
  return FromUnits(ToUnits(d.digits, d.exponent, kDecimals));
}

std::optional<Money> Money::Parse(QStringView text) {
  qsizetype i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
    negative = text[i] == u'-';
    ++i;
  }
  Int128 digits = 0;
  int count = 0;
  int decimals = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'.' && !point) {
      point = true;
      continue;
    }
    if (c < u'0' || c > u'9') return std::nullopt;
    if (count >= 30) return std::nullopt;
    digits = digits * 10 + (c.unicode() - u'0');
    ++count;
    if (point) ++decimals;
  }
  if (count == 0) return std::nullopt;
  const Int128 units = DivideRounded(digits * 10000, decimals);
  if (units > Int128(900'000'000'000) * kScale) return std::nullopt;
  return FromUnits(static_cast<std::int64_t>(negative ? -units : units));
}

Money Money::FromVariant(const QVariant& value) {
  if (value.isNull() || !value.isValid()) return Money();
  if (value.metaType() == QMetaType::fromType<Money>()) return value.value<Money>();
  switch (value.metaType().id()) {
    case QMetaType::QString:
    case QMetaType::QByteArray: {
      const QString text = value.toString().trimmed();
      if (text.isEmpty()) return Money();
      if (const std::optional<Money> m = Parse(text)) return *m;
      return FromDouble(text.toDouble());
    }
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
      return Whole(value.toLongLong());
    default:
      return FromDouble(value.toDouble());
  }
}

Money Money::Rounded(int decimals) const {
  return FromUnits(ToUnits(units_, -kDecimals, decimals));
}

Money Money::Times(double factor, int decimals) const {
  const Decimal f = DecimalOf(factor);
  Int128 product;
  if (__builtin_mul_overflow(static_cast<Int128>(units_), f.digits, &product)) {
    return FromDouble(ToDouble() * factor).Rounded(decimals);
  }
  return FromUnits(ToUnits(product, f.exponent - kDecimals, decimals));
}

Money Money::DividedBy(double divisor) const {
  if (divisor == 0 || !std::isfinite(divisor)) return Money();
  return FromDouble(static_cast<double>(static_cast<long double>(units_) / divisor / kScale));
}

QString Money::ToString(int decimals) const {
  decimals = std::clamp(decimals, 0, kDecimals);
  const std::int64_t rounded = Rounded(decimals).units_;
  const std::int64_t magnitude = rounded < 0 ? -rounded : rounded;
  const std::int64_t whole = magnitude / kScale;
  QString text = QString::number(whole);
  if (decimals > 0) {
    const std::int64_t fraction =
        (magnitude % kScale) / static_cast<std::int64_t>(Pow10(kDecimals - decimals));
    text += QLatin1Char('.') + QString::number(fraction).rightJustified(decimals, QLatin1Char('0'));
  }
  return rounded < 0 ? QLatin1Char('-') + text : text;
}

QString Money::ShortText() const {
  QString text = ToString(kDecimals);
  while (text.endsWith(QLatin1Char('0'))) text.chop(1);
  if (text.endsWith(QLatin1Char('.'))) text.chop(1);
  return text == QStringLiteral("-0") ? QStringLiteral("0") : text;
}

Money LineAmount(Money price, double quantity, double discount, int decimals) {
  const Decimal q = DecimalOf(quantity);
  const Decimal d = DecimalOf(discount);
  Int128 product;
  if (__builtin_mul_overflow(static_cast<Int128>(price.units()), q.digits, &product) ||
      __builtin_mul_overflow(product, d.digits, &product)) {
    const long double exact = static_cast<long double>(discount) / 100.0L *
                              static_cast<long double>(price.ToDouble()) *
                              static_cast<long double>(quantity);
    return Money::FromDouble(static_cast<double>(exact)).Rounded(decimals);
  }
  // units × 10^-4 × q × d / 100
  return Money::FromUnits(
      ToUnits(product, q.exponent + d.exponent - Money::kDecimals - 2, decimals));
}

QVariant MoneyForServer(Money value) { return value.ToString(Money::kDecimals); }

}  // namespace quilmo
