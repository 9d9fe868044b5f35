#pragma once

#include <QList>
#include <QSqlRecord>
#include <QString>
#include <QStringList>

#include "app/null_ui.h"
#include "data/connection.h"
#include "data/tdmfm.h"

namespace quilmo::bench {

// The data every benchmark works on: an account database on the PostgreSQL server named by
// QUILMO_PG, with the demo back office plus a generated catalogue of 200k goods and 1M
// colour/size barcodes, and a local file holding the same goods and barcodes. Both are made
// on first use and kept, so later runs start at once.
struct BenchWorld {
  ServerAddress server;
  QString account;     // account database name
  QString local_path;  // local file with the catalogue
  int goods = 0;
  int barcodes = 0;
};

const BenchWorld& World();

// Opens the data module's two connections on the world: the account database and the local
// file with the catalogue. A benchmark that cannot have them stops with the reason.
void OpenWorld(TDMFM& dm);

// The Ui of a benchmark: nobody is there to answer. A box is not expected on a measured path,
// so each one is printed and counted.
class BenchUi : public NullUi {
 public:
  MsgResult MessageBox(const QString& caption, const QString& text, MsgIcon icon,
                       MsgButtons buttons) override;
  int boxes = 0;
};

// About `count` rows of a table drawn at random across all of it (each row with the same
// chance, so keys come from every part of the table as a till's scans do, not in runs of
// neighbours that share their pages), in random order; the same rows on every run.
QList<QSqlRecord> SampleRows(const QString& columns, const QString& table, int count);
// Two promotions on ten generated goods each: a discount by pieces (BENCH9) and a discount by
// spend (BENCH5). Both act on every pass and ask the cashier nothing. Written into one
// database, replacing what an earlier run left.
void AddBenchPromotions(const Connection& db, int goods);

// The transactions the server has counted on a database so far. `session` is the connection
// whose counts must be in: it hands them over first.
qint64 ServerTransactions(const Connection& session, const QString& database);

// A sample of existing colour/size barcodes, goods codes and goods names, for lookups.
QStringList SampleValues(const QString& column, const QString& table, int count);

}  // namespace quilmo::bench
