#pragma once

#include <QAnyStringView>
#include <QDateTime>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <span>
#include <variant>
#include <vector>

#include "base/money.h"
#include "data/connection.h"

namespace quilmo {

// The value types a column of the till's tables has as the program uses it.
enum class FieldType { Text, Integer, Float, Money, DateTime };

// One column of a typed row (an order header, an order line, a goods candidate): its name as
// the tables spell it, its type and the struct member that holds it. A struct lists all its
// columns once, in a static table; copying to and from database rows, saving, parking and the
// upload all go through that table, so a column is never forgotten in one of them.
template <class T>
struct FieldDef {
  using Member = std::variant<QString T::*, int T::*, double T::*, Money T::*, QDateTime T::*>;

  const char* name;
  FieldType type;
  Member member;
  // A column of the table itself. Joined display columns (a goods name on a line) are copied
  // in but never written back.
  bool stored = true;
};

// Table entries whose type always matches the member.
template <class T>
constexpr FieldDef<T> Column(const char* name, QString T::*m, bool stored = true) {
  return {name, FieldType::Text, m, stored};
}
template <class T>
constexpr FieldDef<T> Column(const char* name, int T::*m, bool stored = true) {
  return {name, FieldType::Integer, m, stored};
}
template <class T>
constexpr FieldDef<T> Column(const char* name, double T::*m, bool stored = true) {
  return {name, FieldType::Float, m, stored};
}
template <class T>
constexpr FieldDef<T> Column(const char* name, Money T::*m, bool stored = true) {
  return {name, FieldType::Money, m, stored};
}
template <class T>
constexpr FieldDef<T> Column(const char* name, QDateTime T::*m, bool stored = true) {
  return {name, FieldType::DateTime, m, stored};
}

// The tables spell several names with varying case (GoodsNAme, ORderNo); they are one column.
template <class T>
const FieldDef<T>* FindField(QAnyStringView name) {
  for (const FieldDef<T>& f : T::Fields()) {
    if (QAnyStringView::compare(name, QLatin1StringView(f.name), Qt::CaseInsensitive) == 0) {
      return &f;
    }
  }
  return nullptr;
}

// The value of a column as a database value. An empty text is written as empty text; only a
// null text (never set, or read as null) becomes NULL, so an order's EmployeeNo stays null
// until a sales assistant is chosen.
template <class T>
QVariant GetField(const T& row, const FieldDef<T>& f) {
  return std::visit(
      [&row](auto member) -> QVariant {
        const auto& value = row.*member;
        using V = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<V, QString>) {
          return value.isNull() ? QVariant(QMetaType::fromType<QString>()) : QVariant(value);
        } else if constexpr (std::is_same_v<V, QDateTime>) {
          return value.isValid() ? QVariant(value) : QVariant(QMetaType::fromType<QDateTime>());
        } else if constexpr (std::is_same_v<V, Money>) {
          return QVariant::fromValue(value);
        } else {
          return QVariant(value);
        }
      },
      f.member);
}

// Sets a column from a database value; NULL reads as 0, empty text or no date, as the
// statements' IsNull(x,0) always had it.
template <class T>
void SetField(T& row, const FieldDef<T>& f, const QVariant& value) {
  std::visit(
      [&row, &value](auto member) {
        auto& target = row.*member;
        using V = std::decay_t<decltype(target)>;
        if constexpr (std::is_same_v<V, QString>) {
          target = value.isNull() ? QString() : value.toString();
        } else if constexpr (std::is_same_v<V, int>) {
          target = value.isNull() ? 0 : value.toInt();
        } else if constexpr (std::is_same_v<V, double>) {
          target = value.isNull() ? 0.0 : value.toDouble();
        } else if constexpr (std::is_same_v<V, Money>) {
          target = Money::FromVariant(value);
        } else {
          target = ToDateTime(value);
        }
      },
      f.member);
}

// Where each column of T sits in a result set, worked out once per statement so that reading
// many rows does not search names row by row.
template <class T>
class RowReader {
 public:
  explicit RowReader(const QSqlRecord& record) {
    const auto fields = T::Fields();
    index_.reserve(fields.size());
    for (const FieldDef<T>& f : fields) index_.push_back(record.indexOf(QLatin1StringView(f.name)));
  }

  // Copies every column the result set has; the others keep their value. The source is the
  // statement on its current row or a copied QSqlRecord.
  template <class Source>
  void Read(const Source& source, T& row) const {
    const auto fields = T::Fields();
    for (size_t i = 0; i < fields.size(); ++i) {
      if (index_[i] >= 0) SetField(row, fields[i], source.value(index_[i]));
    }
  }

 private:
  std::vector<int> index_;
};

// All rows of a result set.
template <class T>
std::vector<T> ReadRows(QSqlQuery& query) {
  std::vector<T> rows;
  const RowReader<T> reader(query.record());
  while (query.next()) {
    T row;
    reader.Read(query, row);
    rows.push_back(std::move(row));
  }
  return rows;
}

template <class T>
std::vector<T> ReadRows(const QList<QSqlRecord>& records) {
  std::vector<T> rows;
  if (records.isEmpty()) return rows;
  const RowReader<T> reader(records.front());
  rows.reserve(static_cast<size_t>(records.size()));
  for (const QSqlRecord& record : records) {
    T row;
    reader.Read(record, row);
    rows.push_back(std::move(row));
  }
  return rows;
}

// "INSERT INTO table (A, B) VALUES (:A, :B)" for the stored columns of T, in table order; the
// table name is a program constant.
template <class T>
QString InsertStatement(const QString& table) {
  QStringList columns;
  QStringList values;
  for (const FieldDef<T>& f : T::Fields()) {
    if (!f.stored) continue;
    columns << QLatin1StringView(f.name);
    values << QLatin1Char(':') + QLatin1StringView(f.name);
  }
  return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
      .arg(table, columns.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")));
}

// Named parameters (":Name") for every column, or only the stored ones, ready to bind.
template <class T>
QVariantMap ToParams(const T& row, bool stored_only = true) {
  QVariantMap params;
  for (const FieldDef<T>& f : T::Fields()) {
    if (stored_only && !f.stored) continue;
    params.insert(QLatin1Char(':') + QLatin1StringView(f.name), GetField(row, f));
  }
  return params;
}

}  // namespace quilmo
