#pragma once

#include <QList>
#include <QString>
#include <memory>

#include "base/ui.h"
#include "shift/shift_ui.h"

namespace quilmo {

struct AppContext;

// A shop the till may register to, as the shop list shows it.
struct ShopChoice {
  QString ShopNo;
  QString ShopName;
};

// What the connection-settings page opens with. An empty server name means the page's own
// defaults ("." and "sa"); after a failed connection it holds the entries that failed, so the
// person mends them rather than types them again.
struct ConnectionEntries {
  QString server;
  QString login;
  QString password;
};

// The screens of start-up, connection, login and download, and those the main window opens
// for the shift.
class ShellUi : public virtual ShiftUi {
 public:
  // The mode choice: 0 = closed without a choice, 1 = online, 2 = offline.
  virtual int ShowLoginOptions() = 0;
  // The connection-settings page; true when the settings were saved.
  virtual bool ShowConnectionSettings(AppContext& app, const ConnectionEntries& start) = 0;
  // The shop list: the number of the shop the person chose, or a null text when the list was
  // left without a choice. The list may be empty (OK then chooses nothing).
  virtual QString SelectShop(const QList<ShopChoice>& shops) = 0;
  // The cashier login page; true when a cashier logged in.
  virtual bool ShowLogin(AppContext& app) = 0;
  // The download-options screen (incremental or full download).
  virtual void ShowDownloadOptions(AppContext& app) = 0;
  // The splash shown while connecting to the server, until the returned object is destroyed.
  virtual std::unique_ptr<Progress> ShowSplash(const QString& text) = 0;
  // The sale screen (F6 on the main window), until the cashier leaves it.
  virtual void ShowSaleScreen(AppContext& app) = 0;
};

}  // namespace quilmo
