#include "app/downloads.h"

#include "app/app_context.h"
#include "data/foreground_download.h"

namespace quilmo {
namespace {

void ShowFailures(Ui& ui, const DownloadResult& result) {
  for (const TableFailure& failure : result.failures) {
    ui.MessageBox(QString(), TableFailureText(failure), MsgIcon::Error, MsgButtons::Ok);
  }
}

}  // namespace

void DownloadWithProgress(AppContext& app, int kind, bool with_promotions) {
  const DownloadResult result =
      DownloadMasterDataInForeground(app.dm, app.ui, kind, with_promotions);
  ShowFailures(app.ui, result);
  if (!result.error.isEmpty()) throw DbError(result.error);
}

BackgroundDownload::BackgroundDownload() = default;

BackgroundDownload::~BackgroundDownload() {
  // The thread's own connections and result live in the thread object: waiting here, before
  // the application's objects go, is what keeps it from running on into freed memory.
  thread_.reset();
}

void BackgroundDownload::Start(AppContext& app) {
  if (thread_) return;
  app.session.DownloadRunning = true;
  thread_ = std::make_unique<QTThread>(app.dm);
  connect(
      thread_.get(), &QThread::finished, this, [this, &app] { Finished(app); },
      Qt::QueuedConnection);
  thread_->start();
}

void BackgroundDownload::Finished(AppContext& app) {
  if (!thread_) return;
  std::unique_ptr<QTThread> thread = std::move(thread_);
  thread->wait();
  const DownloadResult result = thread->result();
  thread.reset();
  app.session.DownloadRunning = false;
  ShowFailures(app.ui, result);
  if (!result.error.isEmpty()) {
    app.ui.MessageBox(QString(), QStringLiteral("线程下载表'出错！！原因：") + result.error,
                      MsgIcon::Error, MsgButtons::Ok);
  }
}

}  // namespace quilmo
