#include "base/input_rules.h"

#include "base/money.h"

namespace quilmo {

QString CheckInput(InputKind kind, const QString& text) {
  if (text.isEmpty()) return QStringLiteral("输入的内容不能为空！");
  bool ok = true;
  switch (kind) {
    case InputKind::Integer:
      text.trimmed().toInt(&ok);
      if (!ok) return QStringLiteral("您输入的不是整数！");
      break;
    case InputKind::Number:
      text.trimmed().toDouble(&ok);
      if (!ok) return QStringLiteral("您输入的不是数值！");
      break;
    case InputKind::Text:
    case InputKind::NonEmpty:
      break;
  }
  return {};
}

QString InitialInputValue(InputKind kind) {
  return kind == InputKind::Text ? QString() : QStringLiteral("0");
}

std::optional<double> ParseTypedNumber(const QString& text) {
  const std::optional<Money> value = Money::Parse(QStringView(text).trimmed());
  if (!value) return std::nullopt;
  return value->ToDouble();
}

}  // namespace quilmo
