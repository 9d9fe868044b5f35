#pragma once

#include <QString>
#include <QThread>
#include <vector>

#include "base/ui.h"
#include "data/connection.h"
#include "data/tdmfm.h"

namespace quilmo {

// 1 = incremental: only rows the back office changed since the last download.
// 2 = full: every table replaced wholesale.
enum DownloadKind { kIncrementalDownload = 1, kFullDownload = 2 };

// A counted or goods-linked table that could not be written: it keeps its previous rows and
// its counter, so the next download fetches it again. The reason is the driver's text, on
// one line, never empty.
struct TableFailure {
  QString table;
  QString reason;
};

// What a download came to. It shows nothing itself; the caller tells the cashier.
struct DownloadResult {
  std::vector<TableFailure> failures;
  // Not empty when an error outside the per-table steps ended the download (the tables after
  // it were not downloaded).
  QString error;
  // False when the download stopped before its last table, by an error or because the server
  // connection was lost during a per-table step.
  bool finished = false;
};

// Copies the master data from the server (conServer) into the local file (conClient), table
// by table in a fixed order, and the promotion tables when asked. Every server read of one
// download sees the same moment of the back office. A counted or goods-linked table that
// fails keeps its previous local rows and is listed in the result; the download goes on with
// the next table. Drives `progress` when given.
DownloadResult DownloadMasterData(TDMFM& dm, int kind, bool with_promotions,
                                  Progress* progress = nullptr);

// The text of the box that reports a failed table.
QString TableFailureText(const TableFailure& failure);

// Empties the local tables for a fresh configuration and resets the settings file, in one
// local transaction. Throws DbError (the driver's or the file's reason) and changes nothing
// when it fails; refuses with an Error while the background download runs.
void ClearLocalData(TDMFM& dm);

// The background download of the quick login: an incremental download with the promotion
// tables on connections of its own (a Qt SQL connection belongs to the thread that opened
// it). It holds copies of the addresses only, never a reference to the till's own objects,
// and its destructor waits for it, so whoever owns it decides how long it may run.
class QTThread : public QThread {
  Q_OBJECT
 public:
  // Takes the server address and account database of dm.conServer and the file of
  // dm.conClient.
  explicit QTThread(const TDMFM& dm);
  ~QTThread() override;

  // What the download came to; read once the thread has finished.
  const DownloadResult& result() const { return result_; }

 protected:
  void run() override;

 private:
  ServerAddress server_;
  QString server_database_;
  QString local_path_;
  DownloadResult result_;
};

}  // namespace quilmo
