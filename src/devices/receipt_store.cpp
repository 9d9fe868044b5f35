#include "devices/receipt_store.h"

#include "data/schema.h"

namespace quilmo {

void ReceiptStore::EnsureTable() const {
  local_.RunScript(SchemaText(QStringLiteral("local_receipts.sql")));
}

void ReceiptStore::Keep(const StoredReceipt& r) {
  EnsureTable();
  Transaction tx(local_, true);
  local_.Exec(
      QStringLiteral("INSERT INTO QTReceiptLog (OrderNo, PrintTime, PrintModel, Content, "
                     "ReceiptData) VALUES (:OrderNo, :PrintTime, :PrintModel, :Content, :Data)"),
      {{QStringLiteral(":OrderNo"), r.OrderNo},
       {QStringLiteral(":PrintTime"), r.PrintTime},
       {QStringLiteral(":PrintModel"), r.PrintModel},
       {QStringLiteral(":Content"), r.Content},
       {QStringLiteral(":Data"), QString::fromUtf8(r.Data.ToJson())}});
  local_.Exec(QStringLiteral("DELETE FROM QTReceiptLog WHERE ReceiptId NOT IN (SELECT ReceiptId "
                             "FROM QTReceiptLog ORDER BY ReceiptId DESC LIMIT :Kept)"),
              {{QStringLiteral(":Kept"), kKeptReceipts}});
  tx.Commit();
}

std::optional<StoredReceipt> ReceiptStore::Last() const {
  EnsureTable();
  QSqlQuery q = local_.Query(
      QStringLiteral("SELECT OrderNo, PrintTime, PrintModel, Content, ReceiptData FROM "
                     "QTReceiptLog ORDER BY ReceiptId DESC LIMIT 1"));
  if (!q.next()) return std::nullopt;
  StoredReceipt r;
  r.OrderNo = q.value(0).toString();
  r.PrintTime = ToDateTime(q.value(1));
  r.PrintModel = q.value(2).toString();
  r.Content = q.value(3).toByteArray();
  r.Data = ReceiptData::FromJson(q.value(4).toString().toUtf8()).value_or(ReceiptData{});
  return r;
}

}  // namespace quilmo
