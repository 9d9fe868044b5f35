#pragma once

#include "app/app_context.h"
#include "frame/frm_root.h"

class QRadioButton;

namespace quilmo {

// "选择下载方式": incremental (F4) or full (F5) download of the master data, with the
// promotion tables. It will not close while a download runs.
class TfrmDownloadOptions : public TfrmRootDialog {
  Q_OBJECT
 public:
  explicit TfrmDownloadOptions(AppContext& app, QWidget* parent = nullptr);

  bool downloading() const { return downloading_; }

  QRadioButton* suiRdbAddLoad;
  QRadioButton* suiRdbAllLoad;

 public slots:
  void reject() override;

 protected:
  bool FormKeyDown(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Download(int kind);

  AppContext& app_;
  bool downloading_ = false;
};

}  // namespace quilmo
