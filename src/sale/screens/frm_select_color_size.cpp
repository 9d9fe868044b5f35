#include "sale/screens/frm_select_color_size.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace quilmo {
namespace {

constexpr int kNoRole = Qt::UserRole + 1;

}  // namespace

TfrmSelectColorSize::TfrmSelectColorSize(const ColorSizeRequest& request, QWidget* parent)
    : TfrmRootDialog(parent, KeyHandling::ControlsOnly), request_(request) {
  setObjectName(QStringLiteral("TfrmSelectColorSize"));
  setWindowTitle(QStringLiteral("选择颜色尺码"));

  const bool color = request.mode == ColorSizeMode::Color;
  auto* model = new QStandardItemModel(0, 1, this);
  model->setHorizontalHeaderLabels({color ? QStringLiteral("颜色") : QStringLiteral("尺码")});
  for (const ColorSizeItem& item : request.items) {
    auto* cell = new QStandardItem(item.Name);
    cell->setData(item.No, kNoRole);
    cell->setEditable(false);
    model->appendRow(cell);
  }
  if (color) {
    titleBar()->setText(QStringLiteral("选颜色［") + request.goodsName + QStringLiteral("］"));
  } else {
    // The window caption names the goods; the frame keeps the screen's own title.
    setWindowTitle(QStringLiteral("选尺码［") + request.goodsName + QStringLiteral("］"));
    titleBar()->setText(QStringLiteral("选择颜色尺码"));
  }

  grdList = new QTableView(body());
  grdList->setObjectName(QStringLiteral("grdList"));
  grdList->setModel(model);
  grdList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grdList->setSelectionBehavior(QAbstractItemView::SelectRows);
  grdList->setSelectionMode(QAbstractItemView::SingleSelection);
  grdList->verticalHeader()->hide();
  grdList->horizontalHeader()->setStretchLastSection(true);
  grdList->setMinimumSize(260, 300);
  grdList->installEventFilter(this);
  auto* layout = new QVBoxLayout(body());
  layout->setContentsMargins(10, 8, 10, 10);
  layout->addWidget(grdList);
}

void TfrmSelectColorSize::showEvent(QShowEvent* event) {
  choice_ = {};
  TfrmRootDialog::showEvent(event);
  if (request_.items.empty()) {
    // Nothing to choose from: the list closes at once and the caller sees no choice.
    QMetaObject::invokeMethod(this, &TfrmSelectColorSize::reject, Qt::QueuedConnection);
    return;
  }
  if (!grdList->currentIndex().isValid()) grdList->selectRow(0);
  grdList->setFocus();
}

bool TfrmSelectColorSize::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grdList && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      Choose();
      return true;
    }
    if (key == Qt::Key_Escape) {
      // A till often runs without a window manager, so the list has no close button: Esc is
      // the cashier's way out, with nothing chosen.
      choice_ = {};
      reject();
      return true;
    }
  }
  return TfrmRootDialog::eventFilter(watched, event);
}

void TfrmSelectColorSize::Choose() {
  const QModelIndex index = grdList->currentIndex();
  if (!index.isValid()) return;
  const QModelIndex cell = index.siblingAtColumn(0);
  choice_ = {cell.data(kNoRole).toString(), cell.data(Qt::DisplayRole).toString()};
  accept();
}

}  // namespace quilmo
