#pragma once

#include <QList>
#include <QSqlRecord>
#include <QString>
#include <QStringList>

#include "app/null_ui.h"
#include "data/connection.h"

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

}  // namespace quilmo::bench
