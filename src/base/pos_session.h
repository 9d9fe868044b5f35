#pragma once

#include <QDateTime>
#include <QString>
#include <atomic>

namespace quilmo {

// The state that outlives a single screen. The application owns exactly one; code receives
// it by reference, so a test builds its own in one line. Field names follow the column or
// settings key each one holds.
struct PosSession {
  PosSession() = default;
  PosSession(const PosSession&) = delete;
  PosSession& operator=(const PosSession&) = delete;

  // Mode, files and account.
  bool IsOnline = false;
  QString IniFile;  // <program folder>/SysFile/QTSet.ini
  bool IsDemo = false;
  // Cleared by the background download thread when it ends; read by the UI thread.
  std::atomic<bool> DownloadRunning{false};
  QString DBName;

  // The shop this till is registered to.
  QString ShopNo;
  QString ShopCode;
  QString ShopName;
  QString StoreNo;
  QString StoreName;

  // The open shift (mirrors section SysSet of the settings file).
  QString OnOverOrderNo;
  int OverFlag = 0;  // 1 = no shift open, 0 = a shift is open
  QDateTime OnDate;
  QString OnOperatorNo;

  // The logged-in cashier.
  QString CashierNo;
  QString CashierCode;
  QString CashierName;
  double PremiumRate = 0;  // lowest discount % this cashier may give; 100 = no limit

  // Options.
  int AmountPoint = 0;
  double PerJFAmount = 0;
  bool SPNotDiscount = false;
  bool VIPNotDiscount = false;
  bool DiscountAdd = false;
  bool PrintTwo = false;
  int BackDays = 0;
  bool LowMinStock = false;
  bool HasGuid = false;
  bool ManuDownCX = false;
  bool BackFlag = false;
  bool XSTotal = false;
  bool AllChangeGF = false;
  int FirstLen = 0;
  int LastLen = 0;

  // The screen lock.
  QString LockPassword;
};

}  // namespace quilmo
