#include "sale/screens/frm_qt_back.h"

#include <QApplication>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include "sale/pricing.h"

namespace quilmo {
namespace {

QStandardItem* Cell(const QString& text) {
  auto* cell = new QStandardItem(text);
  cell->setEditable(false);
  return cell;
}

QDateEdit* DateBox(const QString& name, QWidget* parent) {
  auto* box = new QDateEdit(parent);
  box->setObjectName(name);
  box->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  box->setCalendarPopup(true);
  return box;
}

QLineEdit* Edit(const QString& name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  return edit;
}

QPushButton* Button(const QString& name, const QString& text, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  // Enter on a button does nothing here: only the grid takes Enter.
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TfrmQTback::TfrmQTback(const ReturnPickerRequest& request, QWidget* parent)
    : TfrmRootDialog(parent, KeyHandling::OwnOnly), request_(request) {
  setObjectName(QStringLiteral("TfrmQTback"));
  setWindowTitle(QStringLiteral("选择退货单"));

  dtBeginDate = DateBox(QStringLiteral("dtBeginDate"), body());
  dtEndDate = DateBox(QStringLiteral("dtEndDate"), body());
  edtORder = Edit(QStringLiteral("edtORder"), body());
  suiEdtGoods = Edit(QStringLiteral("suiEdtGoods"), body());
  suiBtQuery = Button(QStringLiteral("suiBtQuery"), QStringLiteral("查 询"), body());

  model_ = new QStandardItemModel(0, 12, this);
  model_->setHorizontalHeaderLabels(
      {QStringLiteral("销售单号"), QStringLiteral("单据日期"), QStringLiteral("导购员"),
       QStringLiteral("商品编号"), QStringLiteral("商品名称"), QStringLiteral("颜色"),
       QStringLiteral("尺码"), QStringLiteral("单价"), QStringLiteral("折扣"),
       QStringLiteral("数量"), QStringLiteral("金额"), QStringLiteral("可退数量")});
  dbgrid = new QTableView(body());
  dbgrid->setObjectName(QStringLiteral("dbgrid"));
  dbgrid->setModel(model_);
  dbgrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  dbgrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  dbgrid->setSelectionMode(QAbstractItemView::SingleSelection);
  dbgrid->verticalHeader()->hide();
  dbgrid->horizontalHeader()->setSectionResizeMode(4, QHeaderView::Stretch);
  dbgrid->setMinimumSize(1080, 360);

  suiButton2 = Button(QStringLiteral("suiButton2"), QStringLiteral("选 择"), body());
  suiButton1 = Button(QStringLiteral("suiButton1"), QStringLiteral("退 出"), body());

  auto* boxes = new QHBoxLayout;
  boxes->addWidget(new QLabel(QStringLiteral("开始日期"), body()));
  boxes->addWidget(dtBeginDate);
  boxes->addWidget(new QLabel(QStringLiteral("结束日期"), body()));
  boxes->addWidget(dtEndDate);
  boxes->addWidget(new QLabel(QStringLiteral("单号"), body()));
  boxes->addWidget(edtORder, 1);
  boxes->addWidget(new QLabel(QStringLiteral("款号"), body()));
  boxes->addWidget(suiEdtGoods, 1);
  boxes->addWidget(suiBtQuery);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(suiButton2);
  buttons->addWidget(suiButton1);
  auto* layout = new QVBoxLayout(body());
  layout->setContentsMargins(10, 8, 10, 10);
  layout->addLayout(boxes);
  layout->addWidget(dbgrid, 1);
  layout->addLayout(buttons);
  setTabOrder(dtBeginDate, dtEndDate);
  setTabOrder(dtEndDate, edtORder);
  setTabOrder(edtORder, suiEdtGoods);
  setTabOrder(suiEdtGoods, suiBtQuery);
  setTabOrder(suiBtQuery, dbgrid);
  setTabOrder(dbgrid, suiButton2);
  setTabOrder(suiButton2, suiButton1);

  connect(suiBtQuery, &QPushButton::clicked, this, &TfrmQTback::Query);
  connect(suiButton2, &QPushButton::clicked, this, &TfrmQTback::Choose);
  connect(suiButton1, &QPushButton::clicked, this, &TfrmQTback::reject);
  connect(dbgrid, &QTableView::doubleClicked, this, &TfrmQTback::Choose);
}

template <class Work>
bool TfrmQTback::Guarded(Work&& work) {
  // A database error must not cross Qt's event loop; it ends the picker and goes to the
  // caller, as any error of the sale's work does.
  try {
    work();
    return true;
  } catch (...) {
    error_ = std::current_exception();
    // Queued: the first search runs while the picker is being shown, before its event loop
    // exists to be left.
    QMetaObject::invokeMethod(this, &TfrmQTback::reject, Qt::QueuedConnection);
    return false;
  }
}

void TfrmQTback::showEvent(QShowEvent* event) {
  chosen_.reset();
  dtBeginDate->setDate(request_.beginDate);
  dtEndDate->setDate(request_.endDate);
  TfrmRootDialog::showEvent(event);
  Query();
  dbgrid->setFocus();
}

bool TfrmQTback::FormKeyDown(QKeyEvent* event) {
  const int key = event->key();
  if ((key == Qt::Key_Return || key == Qt::Key_Enter) && QApplication::focusWidget() == dbgrid) {
    Choose();
    return true;
  }
  return false;
}

void TfrmQTback::Query() {
  const ReturnSearch search{dtBeginDate->date(), dtEndDate->date(), edtORder->text().trimmed(),
                            suiEdtGoods->text().trimmed()};
  std::vector<SoldLine> rows;
  if (!request_.search || !Guarded([&] { rows = request_.search(search); })) return;
  rows_ = std::move(rows);
  model_->removeRows(0, model_->rowCount());
  for (const SoldLine& s : rows_) {
    model_->appendRow(
        {Cell(s.OrderNo), Cell(s.OrderDate.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))),
         Cell(s.EmployeeName), Cell(s.GoodsCode), Cell(s.GoodsName), Cell(s.ColorName),
         Cell(s.SizeName), Cell(s.Price.ShortText()), Cell(NumberText(s.Discount)),
         Cell(NumberText(s.Quantity)), Cell(s.Amount.ShortText()), Cell(NumberText(s.Left))});
  }
  // Order numbers and dates are read whole: the columns take the width of what they show.
  dbgrid->resizeColumnsToContents();
  if (!rows_.empty()) dbgrid->selectRow(0);
}

void TfrmQTback::Choose() {
  const int row = dbgrid->currentIndex().row();
  if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return;
  const SoldLine& line = rows_[static_cast<size_t>(row)];
  bool allowed = true;
  if (request_.mayChoose && !Guarded([&] { allowed = request_.mayChoose(line); })) return;
  if (!allowed) return;
  chosen_ = line;
  accept();
}

}  // namespace quilmo
