#include "data/foreground_download.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <exception>
#include <memory>

#include "data/download.h"

namespace quilmo {

namespace {

DownloadResult RunWithProgress(TDMFM& dm, Ui& ui, int kind, bool with_promotions) {
  auto progress =
      ui.ShowProgress(QStringLiteral("正在从服务器下载更新的基本资料,请稍候.........."));
  return DownloadMasterData(dm, kind, with_promotions, progress.get());
}

}  // namespace

DownloadResult DownloadMasterDataInForeground(TDMFM& dm, Ui& ui, int kind, bool with_promotions) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() != app->thread()) {
    return RunWithProgress(dm, ui, kind, with_promotions);
  }
  // A Qt SQL connection belongs to the thread that opened it, so the worker opens its own.
  const ServerAddress server = dm.conServer.serverAddress();
  const QString server_database = dm.conServer.databaseName();
  const QString local_path = dm.conClient.databaseName();
  PosSession& session = dm.session();
  const Clock& clock = dm.clock();

  DownloadResult result;
  std::exception_ptr failure;
  std::unique_ptr<QThread> worker(QThread::create([&] {
    try {
      TDMFM aside(session, clock);
      QString error;
      if (!aside.conServer.OpenServer(server, server_database, &error)) throw DbError(error);
      if (!aside.conClient.OpenLocal(local_path, &error)) throw DbError(error);
      result = RunWithProgress(aside, ui, kind, with_promotions);
    } catch (...) {
      failure = std::current_exception();
    }
  }));
  QEventLoop loop;
  QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
  worker->start();
  // Paint and timer events only: a key pressed now must not start something else in the
  // middle of the download. It is delivered once the download is over.
  if (!worker->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
  worker->wait();
  if (failure) std::rethrow_exception(failure);
  return result;
}

}  // namespace quilmo
