#include "sale/screens/frm_halt_sale_order.h"

#include <QHeaderView>
#include <QSplitter>
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

QTableView* Grid(const QString& name, QStandardItemModel* model, QWidget* parent) {
  auto* grid = new QTableView(parent);
  grid->setObjectName(name);
  grid->setModel(model);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->verticalHeader()->hide();
  return grid;
}

enum DetailColumn { kGoodsCodeColumn = 1 };

}  // namespace

TfrmHaltSaleOrder::TfrmHaltSaleOrder(const std::vector<ParkedOrder>& orders, QWidget* parent)
    : TfrmRootDialog(parent), orders_(orders) {
  setObjectName(QStringLiteral("TfrmHaltSaleOrder"));
  setWindowTitle(QStringLiteral("选择挂单"));

  main_model_ = new QStandardItemModel(0, 5, this);
  main_model_->setHorizontalHeaderLabels({QStringLiteral("单据编号"), QStringLiteral("单据时间"),
                                          QStringLiteral("收银员"), QStringLiteral("导购员"),
                                          QStringLiteral("金额")});
  for (const ParkedOrder& o : orders_) {
    main_model_->appendRow({Cell(o.OrderNo),
                            Cell(o.OrderDate.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))),
                            Cell(o.CashierName), Cell(o.EmployeeName), Cell(o.Amount.ShortText())});
  }
  detail_model_ = new QStandardItemModel(0, 11, this);
  detail_model_->setHorizontalHeaderLabels(
      {QStringLiteral("序号"), QStringLiteral("商品代码"), QStringLiteral("条码"),
       QStringLiteral("商品名称"), QStringLiteral("颜色"), QStringLiteral("尺码"),
       QStringLiteral("折扣"), QStringLiteral("价格"), QStringLiteral("数量"),
       QStringLiteral("金额"), QStringLiteral("备注")});

  splitter = new QSplitter(Qt::Vertical, body());
  splitter->setObjectName(QStringLiteral("splitter"));
  dbgMain = Grid(QStringLiteral("dbgMain"), main_model_, splitter);
  dbgMain->horizontalHeader()->setStretchLastSection(true);
  dbgDetail = Grid(QStringLiteral("dbgDetail"), detail_model_, splitter);
  dbgDetail->setColumnHidden(kGoodsCodeColumn, true);
  dbgDetail->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
  splitter->addWidget(dbgMain);
  splitter->addWidget(dbgDetail);
  splitter->setMinimumSize(900, 420);
  // Order numbers and dates are read whole: the columns take the width of what they show.
  dbgMain->resizeColumnsToContents();

  auto* layout = new QVBoxLayout(body());
  layout->setContentsMargins(10, 8, 10, 10);
  layout->addWidget(splitter);

  connect(dbgMain->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { ShowLines(current.row()); });
  connect(dbgMain, &QTableView::doubleClicked, this, &TfrmHaltSaleOrder::Choose);
}

void TfrmHaltSaleOrder::showEvent(QShowEvent* event) {
  chosen_ = false;
  chosen_order_no_.clear();
  if (!orders_.empty() && !dbgMain->currentIndex().isValid()) dbgMain->selectRow(0);
  dbgMain->setFocus();
  TfrmRootDialog::showEvent(event);
}

bool TfrmHaltSaleOrder::EnterInControl(QWidget* control) {
  if (control != dbgMain) return false;
  Choose();
  return true;
}

void TfrmHaltSaleOrder::ShowLines(int row) {
  detail_model_->removeRows(0, detail_model_->rowCount());
  if (row < 0 || static_cast<size_t>(row) >= orders_.size()) return;
  for (const OrderLine& l : orders_[static_cast<size_t>(row)].lines) {
    detail_model_->appendRow({Cell(QString::number(l.SerialNo)), Cell(l.GoodsCode), Cell(l.BarCode),
                              Cell(l.GoodsName), Cell(l.ColorName), Cell(l.SizeName),
                              Cell(NumberText(l.Discount)), Cell(l.Price.ShortText()),
                              Cell(NumberText(l.Quantity)), Cell(l.Amount.ShortText()),
                              Cell(l.Memo)});
  }
  dbgDetail->resizeColumnsToContents();
}

void TfrmHaltSaleOrder::Choose() {
  const int row = dbgMain->currentIndex().row();
  if (row < 0 || static_cast<size_t>(row) >= orders_.size()) return;
  const QString& number = orders_[static_cast<size_t>(row)].OrderNo;
  if (number.isEmpty()) return;
  chosen_ = true;
  chosen_order_no_ = number;
  accept();
}

}  // namespace quilmo
