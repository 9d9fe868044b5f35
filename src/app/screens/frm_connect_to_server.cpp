#include "app/screens/frm_connect_to_server.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/discovery.h"
#include "app/load_settings.h"
#include "app/login.h"
#include "app/server_connection.h"

namespace quilmo {
namespace {

QLineEdit* Edit(QWidget* parent, const char* name, bool masked = false) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QLatin1String(name));
  edit->setMinimumWidth(200);
  if (masked) {
    edit->setEchoMode(QLineEdit::Password);
    // "*" as the till has always shown it, not the platform's bullet.
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
  }
  return edit;
}

QPushButton* Button(QWidget* parent, const QString& caption, const char* name) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QLatin1String(name));
  return button;
}

}  // namespace

TfrmConnectToServer::TfrmConnectToServer(AppContext& app, Page page, QWidget* parent,
                                         const ConnectionEntries& start)
    : TfrmRootSui(parent), app_(app), start_(start) {
  setObjectName(QStringLiteral("TfrmConnectToServer"));
  setWindowTitle(QStringLiteral("登陆配置"));
  pgcMain = new QStackedWidget(body());
  pgcMain->setObjectName(QStringLiteral("pgcMain"));
  pgcMain->addWidget(BuildSettingsPage());
  pgcMain->addWidget(BuildLoginPage());
  pgcMain->setCurrentIndex(page);
  // The dialog takes the size of the page it shows, not of the larger one.
  for (int i = 0; i < pgcMain->count(); ++i) {
    if (i != page) pgcMain->widget(i)->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  }
  auto* layout = new QVBoxLayout(body());
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(pgcMain);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* TfrmConnectToServer::BuildSettingsPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("tsSettings"));
  suiSerName = Edit(page, "suiSerName");
  suiSaName = Edit(page, "suiSaName");
  suiSAPasssword = Edit(page, "suiSAPasssword", true);
  suibtCheckSave = Button(page, QStringLiteral("测试连接"), "suibtCheckSave");
  suiButton5 = Button(page, QStringLiteral("确定"), "suiButton5");
  suiButton6 = Button(page, QStringLiteral("取消"), "suiButton6");

  auto* note = new QLabel(
      QStringLiteral(
          "请先安装好后台数据库服务器和后台管理软件，\n再在这里填写服务器的地址和登录信息。"),
      page);
  note->setObjectName(QStringLiteral("lblNote"));
  // What goes into the fields is not obvious to someone setting up a till for the first time.
  lblServerHint =
      new QLabel(QStringLiteral("格式：主机[:端口]，如 192.168.1.10:5432；“.” 表示本机"), page);
  lblServerHint->setObjectName(QStringLiteral("lblServerHint"));
  lblLoginHint = new QLabel(QStringLiteral("管理员名和密码是后台数据库服务器的登录名和密码"), page);
  lblLoginHint->setObjectName(QStringLiteral("lblLoginHint"));
  for (QLabel* hint : {lblServerHint, lblLoginHint})
    hint->setProperty("kind", QStringLiteral("hint"));
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("服务器名"), suiSerName);
  form->addRow(QString(), lblServerHint);
  form->addRow(QStringLiteral("管理员名"), suiSaName);
  form->addRow(QStringLiteral("管理员密码"), suiSAPasssword);
  form->addRow(QString(), lblLoginHint);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(suibtCheckSave);
  buttons->addStretch();
  buttons->addWidget(suiButton5);
  buttons->addWidget(suiButton6);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(18, 14, 18, 14);
  layout->addWidget(note);
  layout->addLayout(form);
  layout->addLayout(buttons);

  connect(suibtCheckSave, &QPushButton::clicked, this, [this] { suibtCheckSaveClick(); });
  connect(suiButton5, &QPushButton::clicked, this, [this] { suiButton5Click(); });
  connect(suiButton6, &QPushButton::clicked, this, &QDialog::reject);
  return page;
}

QWidget* TfrmConnectToServer::BuildLoginPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("tsLogin"));
  suiShopName = Edit(page, "suiShopName");
  suiShopName->setReadOnly(true);
  suiShopName->setFocusPolicy(Qt::NoFocus);
  suiEdiCode = Edit(page, "suiEdiCode");
  suidbPassWord = Edit(page, "suidbPassWord", true);
  suibtLogin = Button(page, QStringLiteral("确定"), "suibtLogin");
  suiLgCancel = Button(page, QStringLiteral("取消"), "suiLgCancel");
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("零售店名"), suiShopName);
  form->addRow(QStringLiteral("收银员代码"), suiEdiCode);
  form->addRow(QStringLiteral("收银员密码"), suidbPassWord);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(suibtLogin);
  buttons->addWidget(suiLgCancel);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(18, 14, 18, 14);
  layout->addLayout(form);
  layout->addLayout(buttons);

  connect(suibtLogin, &QPushButton::clicked, this, [this] { suibtLoginClick(); });
  connect(suiLgCancel, &QPushButton::clicked, this, &QDialog::reject);
  return page;
}

void TfrmConnectToServer::showEvent(QShowEvent* event) {
  settings_saved_ = false;
  logged_in_ = false;
  if (pgcMain->currentIndex() == kSettingsPage) {
    // Each opening starts from the defaults, never from the settings file; after a failed
    // connection, from the entries that failed.
    if (start_.server.isEmpty()) {
      suiSerName->setText(QStringLiteral("."));
      suiSaName->setText(QStringLiteral("sa"));
      suiSAPasssword->clear();
    } else {
      suiSerName->setText(start_.server);
      suiSaName->setText(start_.login);
      suiSAPasssword->setText(start_.password);
    }
    suiSerName->setFocus();
  } else {
    suiShopName->setText(app_.session.ShopName);
    suiEdiCode->clear();
    suidbPassWord->clear();
    suiEdiCode->setFocus();
  }
  TfrmRootSui::showEvent(event);
  if (QScreen* screen = this->screen()) {
    adjustSize();
    move(screen->availableGeometry().center() - rect().center());
  }
}

bool TfrmConnectToServer::EnterInControl(QWidget* control) {
  if (control == suidbPassWord) {
    suibtLoginClick();
    return true;
  }
  return false;
}

void TfrmConnectToServer::suibtCheckSaveClick() {
  RunReported(app_.ui, [this] {
    CheckConnectionSettings(app_, suiSerName->text(), suiSaName->text(), suiSAPasssword->text());
  });
}

void TfrmConnectToServer::suiButton5Click() {
  bool saved = false;
  RunReported(app_.ui, [&] {
    saved =
        SaveConnectionSettings(app_, suiSerName->text(), suiSaName->text(), suiSAPasssword->text());
  });
  if (!saved) {
    suiSerName->setFocus();
    return;
  }
  settings_saved_ = true;
  accept();
}

void TfrmConnectToServer::suibtLoginClick() {
  bool ok = false;
  RunReported(app_.ui, [&] { ok = LoginCashier(app_, suiEdiCode->text(), suidbPassWord->text()); });
  if (!ok) {
    suiEdiCode->setFocus();
    suiEdiCode->selectAll();
    return;
  }
  logged_in_ = true;
  accept();
}

}  // namespace quilmo
