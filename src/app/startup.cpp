#include "app/startup.h"

#include <QDir>
#include <QFileInfo>

#include "app/discovery.h"
#include "app/downloads.h"
#include "app/load_settings.h"
#include "app/login.h"
#include "app/server_connection.h"
#include "base/ini_file.h"

namespace quilmo {

bool ConnectOnline(AppContext& app) {
  ConnectionSettings settings = ReadConnectionSettings(app.session.IniFile);
  if (settings.server.isEmpty() || settings.login.isEmpty()) {
    if (!app.ui.ShowConnectionSettings(app, {})) return false;
    settings = ReadConnectionSettings(app.session.IniFile);
  }
  for (;;) {
    QString failure;
    try {
      if (ConnectServer(app, settings.server, settings.login, settings.password, &failure)) {
        return true;
      }
    } catch (const ConnectError& e) {
      // An alias that cannot be resolved is a wrong address like any other, and is mended
      // the same way.
      failure = e.message();
    }
    QString question = QStringLiteral(
        "连接服务器失败,不能进行【连网销售】！系统进入【断网销售】模式。 "
        "\r\n是否进入【断网销售】吗？");
    if (!failure.isEmpty()) question += QStringLiteral("\r\n") + failure;
    if (app.ui.AskYesNo(QStringLiteral("提示"), question)) return true;
    // A till whose server moved is mended here, not by editing the settings file by hand.
    if (!app.ui.AskYesNo(QStringLiteral("提示"),
                         QStringLiteral("是否修改服务器连接设置后重新连接？"))) {
      return false;
    }
    if (!app.ui.ShowConnectionSettings(app, {settings.server, settings.login, settings.password})) {
      return false;
    }
    settings = ReadConnectionSettings(app.session.IniFile);
  }
}

bool RunStartup(AppContext& app) {
  PosSession& s = app.session;
  s.DownloadRunning = false;
  s.IsOnline = false;
  s.IsDemo = false;

  const int mode = app.ui.ShowLoginOptions();
  s.IniFile = app.IniPath();
  if (mode != 1 && mode != 2) return false;
  if (mode == 1 && !ConnectOnline(app)) return false;

  try {
    app.dm.OpenLocalDatabase(app.LocalDatabasePath());
  } catch (const LocalDatabaseError& e) {
    if (e.kind() == LocalDatabaseError::Kind::Missing) {
      app.ui.ShowNoticeBox(e.message());
    } else {
      app.ui.MessageBox(QStringLiteral("错误"), e.message(), MsgIcon::Error, MsgButtons::Ok);
    }
    return false;
  }
  // The settings file holds the server password: owner-only, also when an older program or
  // a person made it readable to others.
  ProtectIniFile(s.IniFile);

  if (!ShopIsRegistered(app)) {
    if (s.IsOnline) {
      if (!ChooseShop(app)) return false;
    } else if (!QFileInfo::exists(s.IniFile)) {
      // Offline no server was tried: the shop is unknown because the file is not there.
      app.ui.MessageBox(QStringLiteral("错误"),
                        QStringLiteral("找不到设置文件") + QDir::toNativeSeparators(s.IniFile) +
                            QStringLiteral("，无法确定本收银机的零售店! \r\n"
                                           "请以连网模式登陆选择零售店."),
                        MsgIcon::Error, MsgButtons::Ok);
      return false;
    } else {
      app.ui.MessageBox(
          QStringLiteral("错误"),
          QStringLiteral("连接服务器失败,无法选择零售店! \r\n请以连网模式登陆选择零售店."),
          MsgIcon::Error, MsgButtons::Ok);
      return false;
    }
  }

  if (s.IsOnline) {
    const QString date_format = QStringLiteral("yyyy-MM-dd");
    if (app.dm.ServerNow().toString(date_format) != app.clock.Now().toString(date_format)) {
      app.ui.MessageBox(QString(),
                        QStringLiteral("该收银机的日期与服务器的日期不一致！，请校对时间。"),
                        MsgIcon::Information, MsgButtons::Ok);
    }
  }

  LoadSettings(s, app.dm);

  bool logged_in = false;
  if (s.IsDemo) {
    app.ui.ShowNoticeBox(
        QStringLiteral("您现在使用的是演示数据，当正式使用时可以进入前台主界面，\r\n"
                       "按下Ctrl+Alt+Shift+C 清空数据 重新配置您的正式数据！"));
    s.CashierNo = QStringLiteral("1111000001");
    s.CashierCode = QStringLiteral("001");
    s.CashierName = QStringLiteral("张三");
    logged_in = true;
  } else {
    logged_in = app.ui.ShowLogin(app);
  }
  if (!logged_in) return false;

  if (s.IsOnline) {
    LoadServerOptions(s, app.dm);
    s.DownloadRunning = false;
    if (app.ui.AskYesNo(QString(),
                        QStringLiteral("是否需要快速登陆？快速登陆将使用线程隐藏下载"))) {
      app.download.Start(app);
    } else {
      DownloadWithProgress(app, kIncrementalDownload, /*with_promotions=*/!s.ManuDownCX);
    }
  }
  return true;
}

bool RunStartupReporting(AppContext& app) {
  bool started = false;
  RunReported(app.ui, [&] { started = RunStartup(app); });
  return started;
}

}  // namespace quilmo
