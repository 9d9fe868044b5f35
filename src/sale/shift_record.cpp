#include "sale/shift_record.h"

#include <QSqlRecord>
#include <array>

namespace quilmo {

std::span<const FieldDef<ShiftRecord>> ShiftRecord::Fields() {
  using S = ShiftRecord;
  static const std::array kFields{
      Column("OrderNo", &S::OrderNo),         Column("ShopNo", &S::ShopNo),
      Column("CashierNo", &S::CashierNo),     Column("OnTime", &S::OnTime),
      Column("OnBoxAmount", &S::OnBoxAmount), Column("SaleAmount", &S::SaleAmount),
      Column("GetAmount", &S::GetAmount),     Column("OverAmount", &S::OverAmount),
      Column("OverFlag", &S::OverFlag),       Column("OverTime", &S::OverTime),
  };
  return kFields;
}

namespace {

void EnsureTopUpTable(const Connection& local) {
  local.Exec(
      QStringLiteral("CREATE TABLE IF NOT EXISTS QTShiftTopUp (AddCardNo VARCHAR(20) NOT NULL "
                     "PRIMARY KEY, ShiftNo VARCHAR(30), CardsCode VARCHAR(30), Amount DOUBLE "
                     "PRECISION DEFAULT 0)"));
}

}  // namespace

void AddTopUpToShift(const Connection& local, const QString& shift_no, const QString& add_card_no,
                     const QString& cards_code, Money amount) {
  EnsureTopUpTable(local);
  Transaction tx(local, /*immediate=*/true);
  local.Exec(QStringLiteral("INSERT INTO QTShiftTopUp (AddCardNo, ShiftNo, CardsCode, Amount) "
                            "VALUES (:AddCardNo, :ShiftNo, :CardsCode, :Amount)"),
             {{QStringLiteral(":AddCardNo"), add_card_no},
              {QStringLiteral(":ShiftNo"), shift_no},
              {QStringLiteral(":CardsCode"), cards_code},
              {QStringLiteral(":Amount"), QVariant::fromValue(amount)}});
  local.Exec(QStringLiteral("UPDATE QTOnOverOrder SET OverAmount = COALESCE(OverAmount, 0) + "
                            ":Amount WHERE OrderNo = :OrderNo"),
             {{QStringLiteral(":Amount"), QVariant::fromValue(amount)},
              {QStringLiteral(":OrderNo"), shift_no}});
  tx.Commit();
}

Money ShiftTopUpAmount(const Connection& local, const QString& shift_no) {
  EnsureTopUpTable(local);
  const QSqlRecord row = local.FirstRow(
      QStringLiteral("SELECT ROUND(SUM(Amount), 4) FROM QTShiftTopUp WHERE ShiftNo = :ShiftNo"),
      {{QStringLiteral(":ShiftNo"), shift_no}});
  return row.isEmpty() ? Money() : Money::FromVariant(row.value(0));
}

}  // namespace quilmo
