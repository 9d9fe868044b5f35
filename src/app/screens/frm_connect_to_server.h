#pragma once

#include "app/app_context.h"
#include "frame/frm_root.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

namespace quilmo {

// "登陆配置": page 0 holds the server connection settings, page 1 the cashier login. The
// caller picks the page; the tabs are hidden.
class TfrmConnectToServer : public TfrmRootSui {
  Q_OBJECT
 public:
  enum Page { kSettingsPage = 0, kLoginPage = 1 };
  TfrmConnectToServer(AppContext& app, Page page, QWidget* parent = nullptr,
                      const ConnectionEntries& start = {});

  bool settingsSaved() const { return settings_saved_; }
  bool loggedIn() const { return logged_in_; }

  QStackedWidget* pgcMain;
  // Page 0.
  QLineEdit* suiSerName;
  QLineEdit* suiSaName;
  QLineEdit* suiSAPasssword;
  QPushButton* suibtCheckSave;
  QPushButton* suiButton5;
  QPushButton* suiButton6;
  QLabel* lblServerHint;
  QLabel* lblLoginHint;
  // Page 1.
  QLineEdit* suiShopName;
  QLineEdit* suiEdiCode;
  QLineEdit* suidbPassWord;
  QPushButton* suibtLogin;
  QPushButton* suiLgCancel;

 protected:
  void showEvent(QShowEvent* event) override;
  bool EnterInControl(QWidget* control) override;

 private:
  QWidget* BuildSettingsPage();
  QWidget* BuildLoginPage();
  void suibtCheckSaveClick();
  void suiButton5Click();
  void suibtLoginClick();

  AppContext& app_;
  ConnectionEntries start_;
  bool settings_saved_ = false;
  bool logged_in_ = false;
};

}  // namespace quilmo
