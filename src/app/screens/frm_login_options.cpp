#include "app/screens/frm_login_options.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quilmo {
namespace {

QWidget* Explanation(QWidget* parent, const QStringList& lines, int first_label) {
  auto* box = new QWidget(parent);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  for (qsizetype i = 0; i < lines.size(); ++i) {
    auto* label = new QLabel(lines[i], box);
    label->setObjectName(QStringLiteral("Label%1").arg(first_label + i));
    layout->addWidget(label);
  }
  return box;
}

}  // namespace

TfrmLoginOptions::TfrmLoginOptions(QWidget* parent) : TfrmRootDialog(parent) {
  setObjectName(QStringLiteral("TfrmLoginOptions"));
  setWindowTitle(QStringLiteral("登陆模式选择"));
  suiButton1 = new QPushButton(QStringLiteral("连网模式[F4]"), body());
  suiButton1->setObjectName(QStringLiteral("suiButton1"));
  suiButton2 = new QPushButton(QStringLiteral("断网模式[F5]"), body());
  suiButton2->setObjectName(QStringLiteral("suiButton2"));
  for (QPushButton* b : {suiButton1, suiButton2}) b->setMinimumSize(130, 44);

  auto* online = Explanation(
      body(),
      {QStringLiteral("连网模式下，在后台可以实时看到"),
       QStringLiteral("前台的销售情况，后台修改的资料能"), QStringLiteral("在前台及时反映出来。"),
       QStringLiteral("（注：首次使用系统时必须是连网模式）")},
      1);
  auto* offline = Explanation(
      body(),
      {QStringLiteral("断网模式下，在后台不能及时看到"),
       QStringLiteral("前台的销售情况，前台必须上传后台"),
       QStringLiteral("的基本资料必须下载到本地后才能"),
       QStringLiteral("才能看到前台的销售情况。后台修改"), QStringLiteral("反映出来。")},
      5);
  auto* grid = new QGridLayout(body());
  grid->setContentsMargins(18, 16, 18, 16);
  grid->setHorizontalSpacing(18);
  grid->setVerticalSpacing(16);
  grid->addWidget(suiButton1, 0, 0, Qt::AlignTop);
  grid->addWidget(online, 0, 1);
  grid->addWidget(suiButton2, 1, 0, Qt::AlignTop);
  grid->addWidget(offline, 1, 1);

  connect(suiButton1, &QPushButton::clicked, this, [this] { Choose(1); });
  connect(suiButton2, &QPushButton::clicked, this, [this] { Choose(2); });
}

void TfrmLoginOptions::showEvent(QShowEvent* event) {
  mode_ = 0;
  suiButton1->setFocus();
  TfrmRootDialog::showEvent(event);
}

bool TfrmLoginOptions::FormKeyDown(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_F4:
      Choose(1);
      return true;
    case Qt::Key_F5:
      Choose(2);
      return true;
    default:
      return false;
  }
}

void TfrmLoginOptions::Choose(int mode) {
  mode_ = mode;
  accept();
}

}  // namespace quilmo
