#include "sale/screens/frm_select_goods.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "sale/goods_lookup.h"

namespace quilmo {
namespace {

// The grid's columns: what the cashier needs to tell goods apart.
class CandidateModel final : public QAbstractTableModel {
 public:
  CandidateModel(const std::vector<GoodsCandidate>& rows, QObject* parent)
      : QAbstractTableModel(parent), rows_(rows) {}

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 6; }

  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const GoodsCandidate& g = rows_[static_cast<size_t>(index.row())];
    switch (index.column()) {
      case 0:
        return g.GoodsCode;
      case 1:
        return g.BarCode;
      case 2:
        return g.GoodsName;
      case 3:
        return g.Model;
      case 4:
        return g.BaseUnit;
      case 5:
        return g.SRefPrice.ShortText();
      default:
        return {};
    }
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    switch (section) {
      case 0:
        return QStringLiteral("商品编号");
      case 1:
        return QStringLiteral("商品条码");
      case 2:
        return QStringLiteral("商品名称");
      case 3:
        return QStringLiteral("规格");
      case 4:
        return QStringLiteral("单位");
      case 5:
        return QStringLiteral("参考价");
      default:
        return {};
    }
  }

 private:
  const std::vector<GoodsCandidate>& rows_;
};

}  // namespace

TfrmSelectGoods::TfrmSelectGoods(const std::vector<GoodsCandidate>& rows, QWidget* parent)
    : TfrmRootDialog(parent), rows_(rows) {
  setObjectName(QStringLiteral("TfrmSelectGoods"));
  setWindowTitle(QStringLiteral("选择商品"));

  lblSearch = new QLabel(QStringLiteral("请输入款号或名称查询"), body());
  suiEdit1 = new QLineEdit(body());
  suiEdit1->setObjectName(QStringLiteral("suiEdit1"));
  suiButton3 = new QPushButton(QStringLiteral("查询"), body());
  suiButton3->setObjectName(QStringLiteral("suiButton3"));

  DBGridEh1 = new QTableView(body());
  DBGridEh1->setObjectName(QStringLiteral("DBGridEh1"));
  DBGridEh1->setModel(new CandidateModel(rows_, DBGridEh1));
  DBGridEh1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  DBGridEh1->setSelectionBehavior(QAbstractItemView::SelectRows);
  DBGridEh1->setSelectionMode(QAbstractItemView::SingleSelection);
  DBGridEh1->verticalHeader()->hide();
  DBGridEh1->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
  DBGridEh1->setMinimumSize(640, 320);

  suiButton1 = new QPushButton(QStringLiteral("选 择(Enter)"), body());
  suiButton1->setObjectName(QStringLiteral("suiButton1"));
  suiButton2 = new QPushButton(QStringLiteral("退出(Esc)"), body());
  suiButton2->setObjectName(QStringLiteral("suiButton2"));
  for (QPushButton* b : {suiButton1, suiButton2, suiButton3}) b->setAutoDefault(false);

  auto* search = new QHBoxLayout;
  search->addWidget(lblSearch);
  search->addWidget(suiEdit1, 1);
  search->addWidget(suiButton3);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(suiButton1);
  buttons->addWidget(suiButton2);
  auto* layout = new QVBoxLayout(body());
  layout->setContentsMargins(12, 10, 12, 10);
  layout->addLayout(search);
  layout->addWidget(DBGridEh1, 1);
  layout->addLayout(buttons);
  setTabOrder(DBGridEh1, suiEdit1);
  setTabOrder(suiEdit1, suiButton3);
  setTabOrder(suiButton3, suiButton1);
  setTabOrder(suiButton1, suiButton2);

  connect(suiButton1, &QPushButton::clicked, this, &TfrmSelectGoods::Choose);
  connect(suiButton2, &QPushButton::clicked, this, &TfrmSelectGoods::reject);
  connect(suiButton3, &QPushButton::clicked, this, &TfrmSelectGoods::Search);
  connect(DBGridEh1, &QTableView::doubleClicked, this, &TfrmSelectGoods::Choose);
}

int TfrmSelectGoods::currentRow() const {
  const QModelIndex index = DBGridEh1->currentIndex();
  return index.isValid() ? index.row() : -1;
}

void TfrmSelectGoods::showEvent(QShowEvent* event) {
  chosen_ = false;
  if (!rows_.empty() && currentRow() < 0) DBGridEh1->selectRow(0);
  DBGridEh1->setFocus();
  TfrmRootDialog::showEvent(event);
}

bool TfrmSelectGoods::EnterInControl(QWidget* control) {
  if (control != DBGridEh1) return false;
  Choose();
  return true;
}

void TfrmSelectGoods::Choose() {
  if (currentRow() < 0) return;
  chosen_ = true;
  accept();
}

void TfrmSelectGoods::Search() {
  const int row = FindCandidateRow(rows_, suiEdit1->text());
  if (row >= 0) DBGridEh1->selectRow(row);
}

}  // namespace quilmo
