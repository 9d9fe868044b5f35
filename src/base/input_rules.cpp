#include "base/input_rules.h"

#include <algorithm>
#include <cstdint>

#include "base/money.h"

namespace quilmo {

QString CheckInput(InputKind kind, NumberField field, const QString& text) {
  if (text.isEmpty()) return QStringLiteral("输入的内容不能为空！");
  bool ok = true;
  switch (kind) {
    case InputKind::Integer:
      text.trimmed().toInt(&ok);
      if (!ok) return QStringLiteral("您输入的不是整数！");
      break;
    case InputKind::Number:
      return ReadTypedNumber(text, field).message;
    case InputKind::Text:
    case InputKind::NonEmpty:
      break;
  }
  return {};
}

QString WithoutControlChars(const QString& text, bool keep_layout) {
  auto unwanted = [keep_layout](QChar c) {
    if (keep_layout && (c == u'\t' || c == u'\n' || c == u'\r')) return false;
    return c.category() == QChar::Other_Control;
  };
  if (std::none_of(text.begin(), text.end(), unwanted)) return text;
  QString kept;
  kept.reserve(text.size());
  for (QChar c : text) {
    if (!unwanted(c)) kept += c;
  }
  return kept;
}

QString InitialInputValue(InputKind kind) {
  return kind == InputKind::Text ? QString() : QStringLiteral("0");
}

namespace {

// Full-width digits, point and signs, as a Chinese input method types them, read as their ASCII
// twins; every other character is kept for the reader to refuse.
QChar AsciiTwin(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'\uFF10' && u <= u'\uFF19') return QChar(u'0' + (u - u'\uFF10'));
  if (u == u'\uFF0E') return QChar(u'.');
  if (u == u'\uFF0D') return QChar(u'-');
  if (u == u'\uFF0B') return QChar(u'+');
  return c;
}

// The limit as the cashier reads it: "99999", "9999999.99", "-99999".
QString LimitText(Money limit) { return limit.ShortText(); }

TypedNumber Refused(TypedNumber::Refusal why, QString message) {
  TypedNumber r;
  r.refusal = why;
  r.message = std::move(message);
  return r;
}

}  // namespace

NumberBounds BoundsOf(NumberField field) {
  // A price or an amount stays far below what the books hold (NUMERIC(18,4)), so even the sum
  // of a long order of such lines cannot reach the end of Money.
  const Money most_money = Money::FromUnits(99'999'999'900);
  switch (field) {
    case NumberField::Quantity:
      return {-Money(99999), Money(99999), 4};
    case NumberField::Price:
      return {-most_money, most_money, 2};
    case NumberField::Amount:
      return {Money(), most_money, 2};
    case NumberField::SignedAmount:
      return {-most_money, most_money, 2};
    case NumberField::Discount:
      return {Money(1), Money(100), 2};
    case NumberField::Points:
      return {-most_money, most_money, 2};
  }
  return {};
}

QString FieldName(NumberField field) {
  switch (field) {
    case NumberField::Quantity:
      return QStringLiteral("数量");
    case NumberField::Price:
      return QStringLiteral("单价");
    case NumberField::Amount:
    case NumberField::SignedAmount:
      return QStringLiteral("金额");
    case NumberField::Discount:
      return QStringLiteral("折扣");
    case NumberField::Points:
      return QStringLiteral("积分");
  }
  return {};
}

QString AboveLimitText(NumberField field) {
  return QStringLiteral("%1不能超过%2！").arg(FieldName(field), LimitText(BoundsOf(field).highest));
}

TypedNumber ReadTypedNumber(QStringView text, NumberField field) {
  const QString name = FieldName(field);
  const NumberBounds bounds = BoundsOf(field);
  const QStringView trimmed = text.trimmed();
  const QString not_a_number = QStringLiteral("您输入的%1不是数字类型！").arg(name);
  if (trimmed.isEmpty()) return Refused(TypedNumber::Refusal::Empty, not_a_number);

  qsizetype i = 0;
  bool negative = false;
  if (const QChar sign = AsciiTwin(trimmed[0]); sign == u'-' || sign == u'+') {
    negative = sign == u'-';
    ++i;
  }
  // The whole part is kept only while it can still be within any bounds; longer runs of digits
  // are a number too, just far too large.
  std::int64_t whole = 0;
  bool huge = false;
  int whole_digits = 0;
  QString fraction;
  bool point = false;
  for (; i < trimmed.size(); ++i) {
    const QChar c = AsciiTwin(trimmed[i]);
    if (c == u'.' && !point) {
      point = true;
      continue;
    }
    if (c < u'0' || c > u'9') return Refused(TypedNumber::Refusal::NotANumber, not_a_number);
    if (point) {
      fraction += c;
    } else {
      ++whole_digits;
      if (whole > 100'000'000'000) {
        huge = true;
      } else {
        whole = whole * 10 + (c.unicode() - u'0');
      }
    }
  }
  if (whole_digits == 0 && fraction.isEmpty()) {
    return Refused(TypedNumber::Refusal::NotANumber, not_a_number);
  }
  while (fraction.endsWith(u'0')) fraction.chop(1);

  // The value cut to Money's places decides the bounds; the decimals are judged after, so
  // "12345678.123" hears that it is too large, not that it has one decimal too many.
  std::int64_t units = 0;
  if (!huge) {
    std::int64_t part = 0;
    for (int k = 0; k < Money::kDecimals; ++k) {
      part = part * 10 + (k < fraction.size() ? fraction[k].unicode() - u'0' : 0);
    }
    units = whole * Money::kScale + part;
  }
  const Money value = Money::FromUnits(negative ? -units : units);
  const bool above = huge ? !negative : value > bounds.highest;
  const bool below = huge ? negative : value < bounds.lowest;
  if (above || below) {
    QString message;
    if (field == NumberField::Discount) {
      message = QStringLiteral("折扣必须在1-100之间 ！");
    } else if (below && bounds.lowest.IsZero()) {
      message = QStringLiteral("%1不能为负数！").arg(name);
    } else if (above) {
      message = AboveLimitText(field);
    } else {
      message = QStringLiteral("%1不能小于%2！").arg(name, LimitText(bounds.lowest));
    }
    return Refused(TypedNumber::Refusal::OutOfRange, message);
  }
  if (fraction.size() > bounds.decimals) {
    return Refused(TypedNumber::Refusal::TooManyDecimals,
                   bounds.decimals == 0
                       ? QStringLiteral("%1必须是整数！").arg(name)
                       : QStringLiteral("%1最多%2位小数！").arg(name).arg(bounds.decimals));
  }
  TypedNumber accepted;
  accepted.value = value;
  return accepted;
}

}  // namespace quilmo
