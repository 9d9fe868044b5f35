#include "app/screens/frm_download_options.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/downloads.h"

namespace quilmo {
namespace {

QWidget* Explanation(QWidget* parent, const QStringList& lines) {
  auto* box = new QWidget(parent);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  for (const QString& line : lines) layout->addWidget(new QLabel(line, box));
  return box;
}

}  // namespace

TfrmDownloadOptions::TfrmDownloadOptions(AppContext& app, QWidget* parent)
    : TfrmRootDialog(parent, KeyHandling::OwnOnly), app_(app) {
  setObjectName(QStringLiteral("TfrmDownloadOptions"));
  setWindowTitle(QStringLiteral("选择下载方式"));
  suiRdbAddLoad = new QRadioButton(QStringLiteral("增量下载 [F4]"), body());
  suiRdbAddLoad->setObjectName(QStringLiteral("suiRdbAddLoad"));
  suiRdbAllLoad = new QRadioButton(QStringLiteral("全部下载 [F5]"), body());
  suiRdbAllLoad->setObjectName(QStringLiteral("suiRdbAllLoad"));
  auto* grid = new QGridLayout(body());
  grid->setContentsMargins(18, 16, 18, 16);
  grid->setHorizontalSpacing(18);
  grid->setVerticalSpacing(14);
  grid->addWidget(suiRdbAddLoad, 0, 0, Qt::AlignTop);
  grid->addWidget(
      Explanation(body(), {QStringLiteral("增量下载即只下载"), QStringLiteral("后台新增或修改过的"),
                           QStringLiteral("基本资料")}),
      0, 1);
  grid->addWidget(suiRdbAllLoad, 1, 0, Qt::AlignTop);
  grid->addWidget(
      Explanation(body(), {QStringLiteral("全部下载即重新下载"), QStringLiteral("后台的基本资料")}),
      1, 1);
  // A click picks the download; so does Enter on a radio button (FormKeyDown).
  connect(suiRdbAddLoad, &QRadioButton::clicked, this, [this] { Download(kIncrementalDownload); });
  connect(suiRdbAllLoad, &QRadioButton::clicked, this, [this] { Download(kFullDownload); });
}

bool TfrmDownloadOptions::FormKeyDown(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_F4:
      Download(kIncrementalDownload);
      return true;
    case Qt::Key_F5:
      Download(kFullDownload);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      QWidget* focus = focusWidget();
      if (focus == suiRdbAddLoad)
        Download(kIncrementalDownload);
      else if (focus == suiRdbAllLoad)
        Download(kFullDownload);
      return true;
    }
    case Qt::Key_Escape:
      reject();
      return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
      return false;  // the radio buttons move between themselves
    default:
      return false;
  }
}

void TfrmDownloadOptions::Download(int kind) {
  if (downloading_) return;
  downloading_ = true;
  (kind == kIncrementalDownload ? suiRdbAddLoad : suiRdbAllLoad)->setChecked(true);
  RunReported(app_.ui, [&] { DownloadWithProgress(app_, kind, /*with_promotions=*/true); });
  downloading_ = false;
  accept();
}

void TfrmDownloadOptions::reject() {
  if (downloading_) return;
  TfrmRootDialog::reject();
}

void TfrmDownloadOptions::closeEvent(QCloseEvent* event) {
  if (downloading_) {
    event->ignore();
    return;
  }
  TfrmRootDialog::closeEvent(event);
}

}  // namespace quilmo
