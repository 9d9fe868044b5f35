#pragma once

#include <QObject>
#include <memory>

#include "base/ui.h"
#include "data/download.h"

namespace quilmo {

struct AppContext;

// The download in the foreground: the progress window while it runs, then one box per table
// that failed ("下载表…出错！！原因：…"). An error that ended the download is thrown as
// DbError, for the boundary that ran the command to show.
void DownloadWithProgress(AppContext& app, int kind, bool with_promotions);

// The background download of the quick login, owned by the application context so that it can
// never outlive what the till is made of: its destructor waits for the thread. The thread's
// end is reported on the window thread, where DownloadRunning is cleared and the failures
// are shown.
class BackgroundDownload : public QObject {
  Q_OBJECT
 public:
  BackgroundDownload();
  ~BackgroundDownload() override;
  BackgroundDownload(const BackgroundDownload&) = delete;
  BackgroundDownload& operator=(const BackgroundDownload&) = delete;

  // Sets DownloadRunning and starts the thread.
  void Start(AppContext& app);
  // Whether a thread was started and its end has not been reported yet.
  bool running() const { return thread_ != nullptr; }

 private:
  void Finished(AppContext& app);

  std::unique_ptr<QTThread> thread_;
};

}  // namespace quilmo
