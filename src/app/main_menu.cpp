#include "app/main_menu.h"

#include "app/server_connection.h"
#include "data/download.h"

namespace quilmo {

const std::array<MainButton, 12>& MainButtons() {
  static const std::array<MainButton, 12> buttons = {{
      {"spbtOnClass", QStringLiteral("前台当班(F2)"), MainCommand::OnClass},
      {"spbtQrySale", QStringLiteral("销售明细(F3)"), MainCommand::QrySale},
      {"spbtChangePSS", QStringLiteral("修改密码(F4)"), MainCommand::ChangePassword},
      {"spbtAddCardAmount", QStringLiteral("切换模式(F5)"), MainCommand::SwitchMode},
      {"spbtQTSale", QStringLiteral("前台销售(F6)"), MainCommand::QTSale},
      {"spbtOverClass", QStringLiteral("前台交班(F7)"), MainCommand::OverClass},
      {"spbtSysSet", QStringLiteral("参数设置(F8)"), MainCommand::SysSet},
      {"spBtExit", QStringLiteral("退出系统(F9)"), MainCommand::Exit},
      {"sptSPGoods", QStringLiteral("促销商品清单(F12)"), MainCommand::SPGoods},
      {"sptCards", QStringLiteral("浏览会员卡资料(F11)"), MainCommand::Cards},
      {"sptGoods", QStringLiteral("浏览商品资料(F10)"), MainCommand::Goods},
      {"sptCKList", QStringLiteral("库存明细(Ctrl+K)"), MainCommand::CKList},
  }};
  return buttons;
}

std::optional<MainCommand> MainKeyCommand(int key, Qt::KeyboardModifiers modifiers) {
  // The keypad flag says where a key sits, not what is held.
  const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
  switch (key) {
    case Qt::Key_F2:
      return MainCommand::OnClass;
    case Qt::Key_F3:
      return MainCommand::QrySale;
    case Qt::Key_F4:
      return MainCommand::ChangePassword;
    case Qt::Key_F5:
      return MainCommand::SwitchMode;
    case Qt::Key_F6:
      return MainCommand::QTSale;
    case Qt::Key_F7:
      return MainCommand::OverClass;
    case Qt::Key_F8:
      return MainCommand::SysSet;
    case Qt::Key_F9:
      return MainCommand::Exit;
    case Qt::Key_F10:
      return MainCommand::Goods;
    case Qt::Key_F11:
      return MainCommand::Cards;
    case Qt::Key_F12:
      return MainCommand::SPGoods;
    case Qt::Key_K:
      if (held == Qt::ControlModifier) return MainCommand::CKList;
      return std::nullopt;
    case Qt::Key_C:
      if (held == (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier)) {
        return MainCommand::ClearData;
      }
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

void MainMenu::Register(MainCommand command, Handler handler) {
  handlers_[command] = [handler = std::move(handler)](AppContext& app) {
    handler(app);
    return MainOutcome::Done;
  };
}

void MainMenu::RegisterWithOutcome(MainCommand command, OutcomeHandler handler) {
  handlers_[command] = std::move(handler);
}

bool MainMenu::Has(MainCommand command) const {
  switch (command) {
    case MainCommand::SwitchMode:
    case MainCommand::Exit:
    case MainCommand::ClearData:
      return true;
    default:
      return handlers_.count(command) > 0;
  }
}

MainOutcome MainMenu::Run(AppContext& app, MainCommand command) const {
  switch (command) {
    case MainCommand::ChangePassword:
    case MainCommand::CKList:
      if (!app.session.IsOnline) {
        app.ui.ShowNoticeBox(QStringLiteral("该功能只在连网模式下有效！"));
        return MainOutcome::Done;
      }
      break;
    case MainCommand::QTSale:
      if (app.session.OverFlag == 1) {
        app.ui.ShowNoticeBox(QStringLiteral("当前还没有当班，不能销售！"));
        return MainOutcome::Done;
      }
      break;
    case MainCommand::SwitchMode:
      MainSwitchMode(app);
      return MainOutcome::Done;
    case MainCommand::Exit:
      return MainOutcome::CloseWindow;
    case MainCommand::ClearData:
      return MainClearData(app) ? MainOutcome::EndProgram : MainOutcome::Done;
    default:
      break;
  }
  const auto it = handlers_.find(command);
  if (it != handlers_.end()) return it->second(app);
  return MainOutcome::Done;
}

MainStatus MainStatusOf(const AppContext& app) {
  const PosSession& s = app.session;
  auto joined = [](const QString& code, const QString& name) {
    return (code + QLatin1Char(' ') + name).trimmed();
  };
  MainStatus status;
  status.mode = s.IsOnline ? QStringLiteral("连网销售") : QStringLiteral("断网销售");
  status.shop = QStringLiteral("零售店：") + joined(s.ShopCode, s.ShopName);
  status.cashier = QStringLiteral("收银员：") + joined(s.CashierCode, s.CashierName);
  status.date = QStringLiteral("日期：") + app.clock.Now().toString(QStringLiteral("yyyy-MM-dd"));
  if (s.DownloadRunning) status.download = QStringLiteral("正在后台下载资料……");
  return status;
}

bool MainMayClose(AppContext& app) {
  if (app.session.DownloadRunning) {
    app.ui.ShowNoticeBox(QStringLiteral("有线程正在下载，请稍侯再退出系统！"));
    return false;
  }
  if (app.session.OverFlag == 0) {
    return app.ui.AskYesNo(QString(),
                           QStringLiteral("您还没有【交班】，退出系统可能给您的财务结算带来问题 "
                                          "\r\n你真的要退出系统吗？"));
  }
  return app.ui.AskYesNo(QString(), QStringLiteral("你真的要退出系统吗？"));
}

void MainSwitchMode(AppContext& app) {
  const QString question = app.session.IsOnline
                               ? QStringLiteral("当前为连网模式，是否要切换到断网模式？")
                               : QStringLiteral("当前为断网模式，是否要切换到连网模式？");
  if (app.ui.AskYesNo(QString(), question)) SwitchMode(app);
}

bool MainClearData(AppContext& app) {
  // The background download writes the tables being cleared, through objects that go when
  // the program ends right after: it must finish first.
  if (app.session.DownloadRunning) {
    app.ui.ShowNoticeBox(QStringLiteral("有线程正在下载，请稍侯再清空数据！"));
    return false;
  }
  if (!app.ui.AskYesNo(QString(), QStringLiteral("您确实要清空数据吗 ？"))) return false;
  try {
    ClearLocalData(app.dm);
  } catch (const Error& e) {
    app.ui.MessageBox(QString(), QStringLiteral("清空数据错误，错误原因：") + e.message(),
                      MsgIcon::Information, MsgButtons::Ok);
  }
  return true;
}

}  // namespace quilmo
