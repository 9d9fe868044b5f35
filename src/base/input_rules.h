#pragma once

#include <QString>
#include <optional>

#include "base/money.h"
#include "base/ui.h"

namespace quilmo {

// What the input dialog says about a text before accepting it: an empty string when the
// text is acceptable for the kind, else the message to show. A number is read as
// ReadTypedNumber reads it for `field`, so the dialog refuses exactly what its caller would.
QString CheckInput(InputKind kind, NumberField field, const QString& text);

// A text without control characters. A NUL pasted into an edit cut the server's statement
// short and, saved offline, failed every upload of that sale; the others make no sense in a
// name, a code or a memo either. Tabs and line breaks stay where `keep_layout` says so (a
// stored text of several lines).
QString WithoutControlChars(const QString& text, bool keep_layout = false);

// The value the input dialog starts with: empty for free text, "0" for every other kind.
QString InitialInputValue(InputKind kind);

struct NumberBounds {
  Money lowest;
  Money highest;
  int decimals = 0;
};
NumberBounds BoundsOf(NumberField field);
// The field's name as the cashier's messages say it: "数量", "单价", "金额", "折扣", "积分".
QString FieldName(NumberField field);

// The outcome of reading one typed number: the exact value, or why it was refused and the
// words to show. A refused reading's value is 0 and must not be used.
struct TypedNumber {
  enum class Refusal { None, Empty, NotANumber, TooManyDecimals, OutOfRange };
  Refusal refusal = Refusal::None;
  Money value;
  QString message;  // empty when the text was accepted

  bool ok() const { return refusal == Refusal::None; }
  // No number at all, rather than one out of bounds: callers keep their own words for it.
  bool noNumber() const { return refusal == Refusal::NotANumber || refusal == Refusal::Empty; }
  explicit operator bool() const { return ok(); }
  double number() const { return value.ToDouble(); }
};

// The one reading of a number a person types, for every edit, grid cell and input dialog.
// Accepted: plain decimal digits with at most one point, full-width digits, point and signs
// (０-９ ． － ＋) read as their ASCII twins, blanks around ignored, a sign only where the field
// can be negative, at most the field's decimals and within its bounds. Refused, with a message
// naming the field and the limit: anything else, exponents, NaN and infinities included.
TypedNumber ReadTypedNumber(QStringView text, NumberField field);

// What the reader says of a value above the field's bound ("数量不能超过99999！"), for a value
// that grew past it another way than by typing.
QString AboveLimitText(NumberField field);

}  // namespace quilmo
