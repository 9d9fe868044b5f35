#pragma once

#include <QString>
#include <QThread>

#include "data/connection.h"
#include "data/tdmfm.h"

namespace quilmo {

// 1 = incremental: only rows the back office changed since the last download.
// 2 = full: every table replaced wholesale.
enum DownloadKind { kIncrementalDownload = 1, kFullDownload = 2 };

// Copies the master data from the server (conServer) into the local file (conClient), table
// by table in a fixed order, and the promotion tables when asked. A counted or goods-linked
// table that fails is reported with its name and keeps its previous local rows; the download
// goes on with the next table. Any other error ends the download and reaches the caller.
// Shows its progress window unless the background download is running.
void DownloadMasterData(TDMFM& dm, int kind, bool with_promotions);

// Empties the local tables for a fresh configuration and resets the settings file, in one
// local transaction; true when it worked. A failure is explained in a box.
bool ClearLocalData(TDMFM& dm);

// The background download of the quick login: an incremental download with the promotion
// tables on connections of its own (a Qt SQL connection belongs to the thread that opened
// it). DownloadRunning is true while it runs and false once it ends, however it ends.
class QTThread : public QThread {
  Q_OBJECT
 public:
  // Takes the server address and account database of dm.conServer and the file of
  // dm.conClient.
  explicit QTThread(TDMFM& dm);

  // Sets DownloadRunning and starts a thread that frees itself when done.
  static QTThread* Start(TDMFM& dm);

 protected:
  void run() override;

 private:
  PosSession& session_;
  Ui& ui_;
  const Clock& clock_;
  ServerAddress server_;
  QString server_database_;
  QString local_path_;
};

}  // namespace quilmo
