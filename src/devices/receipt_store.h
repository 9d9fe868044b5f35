#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

#include "data/connection.h"
#include "devices/receipt_data.h"

namespace quilmo {

// How many printed receipts the till keeps.
inline constexpr int kKeptReceipts = 50;

// A receipt as it was printed.
struct StoredReceipt {
  QString OrderNo;
  QDateTime PrintTime;
  QString PrintModel;  // "0" text, "1" template
  QByteArray Content;  // the text receipt's exact bytes (one copy)
  ReceiptData Data;
};

// The last receipts, in the till's local file (online too: they are the till's own record).
// Keeping one drops all but the newest kKeptReceipts. A file made before the table existed
// gets it on first use.
class ReceiptStore {
 public:
  explicit ReceiptStore(const Connection& local) : local_(local) {}

  void Keep(const StoredReceipt& receipt);
  std::optional<StoredReceipt> Last() const;

 private:
  void EnsureTable() const;

  const Connection& local_;
};

}  // namespace quilmo
