#include "sale/screens/frm_qt_sale.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "sale/pricing.h"
#include "sale/promotions.h"

namespace quilmo {
namespace {

QLabel* Caption(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setProperty("role", QStringLiteral("caption"));
  return label;
}

QLabel* Value(const char* name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->setProperty("role", QStringLiteral("value"));
  return label;
}

QLineEdit* Edit(const char* name, const QString& hint, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QLatin1String(name));
  edit->setToolTip(hint);
  edit->setProperty("role", QStringLiteral("entry"));
  return edit;
}

const QString kHelpFile = QStringLiteral("Orvel前台说明书.chm");

// Sets a flag for the length of a scope.
class ExitGuard {
 public:
  explicit ExitGuard(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
  ~ExitGuard() { flag_ = was_; }
  ExitGuard(const ExitGuard&) = delete;
  ExitGuard& operator=(const ExitGuard&) = delete;

 private:
  bool& flag_;
  bool was_;
};

}  // namespace

KeyLabel::KeyLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
  setProperty("role", QStringLiteral("key"));
  setCursor(Qt::PointingHandCursor);
}

void KeyLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && isEnabled() && rect().contains(event->pos())) {
    emit clicked();
  }
  QLabel::mouseReleaseEvent(event);
}

QWidget* SaleGrid::OpenEditor() const {
  QWidget* focus = QApplication::focusWidget();
  if (state() != QAbstractItemView::EditingState || !focus || !viewport()->isAncestorOf(focus)) {
    return nullptr;
  }
  return focus;
}

void SaleGrid::CommitOpenEditor() {
  if (QWidget* editor = OpenEditor()) {
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
}

TfrmQTSale::TfrmQTSale(SaleContext& sale, SaleScreenActions actions, QString program_folder,
                       QWidget* parent)
    : TfrmRootFullSreen(parent, KeyHandling::OwnOnly),
      sale_(sale),
      actions_(std::move(actions)),
      program_folder_(std::move(program_folder)),
      desk_(sale) {
  setObjectName(QStringLiteral("TfrmQTSale"));
  setWindowTitle(QStringLiteral("前台销售"));
  desk_.returnForLine = actions_.returnForLine;
  model_ = new OrderLinesModel(desk_, this);
  model_->SetCellEditor([this](int row, GridColumn column, const QString& text) {
    bool ok = false;
    Run([&] { ok = desk_.SetCell(row, column, text); });
    return ok;
  });
  BuildLayout();
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, &TfrmQTSale::ShowTime);
  Timer1->start();
  ShowTime();
  focus_connection_ = connect(qApp, &QApplication::focusChanged, this, &TfrmQTSale::OnFocusChanged);
}

TfrmQTSale::~TfrmQTSale() {
  closing_ = true;
  disconnect(focus_connection_);
}

void TfrmQTSale::AddKeyLabel(Command command, const char* name, const QString& caption,
                             const QString& hint, QWidget* parent, QLayout* layout) {
  auto* label = new KeyLabel(caption, parent);
  label->setObjectName(QLatin1String(name));
  label->setToolTip(hint);
  label->setEnabled(Available(command));
  connect(label, &KeyLabel::clicked, this, [this, command] { RunCommand(command); });
  layout->addWidget(label);
  labels_.insert(command, label);
}

void TfrmQTSale::BuildLayout() {
  // Clock strip.
  auto* clock = new QWidget(this);
  clock->setObjectName(QStringLiteral("pnlClock"));
  lblTime = Value("lblTime", QString(), clock);
  suiButton1 = new QPushButton(QStringLiteral("最小化窗口"), clock);
  suiButton1->setObjectName(QStringLiteral("suiButton1"));
  suiButton1->setToolTip(QStringLiteral("按下Win+M键 显示任务栏"));
  suiButton1->setFocusPolicy(Qt::NoFocus);
  connect(suiButton1, &QPushButton::clicked, this, &QWidget::showMinimized);
  auto* clock_layout = new QHBoxLayout(clock);
  clock_layout->setContentsMargins(8, 2, 8, 2);
  clock_layout->addWidget(Caption(QStringLiteral("本机时间:"), clock));
  clock_layout->addWidget(lblTime);
  clock_layout->addStretch(1);
  clock_layout->addWidget(suiButton1);

  // Title band.
  auto* title = new QWidget(this);
  title->setObjectName(QStringLiteral("pnlTitle"));
  Label1 = new QLabel(QStringLiteral("Quilmo服装鞋业POS系统"), title);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setAlignment(Qt::AlignCenter);
  lblShopCode = Value("lblShopCode", QString(), title);
  lblShoName = Value("lblShoName", QString(), title);
  lblConnectSever = Value("lblConnectSever", QString(), title);
  lblConnectSever->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  auto* shop = new QGridLayout;
  shop->setHorizontalSpacing(2);
  shop->addWidget(Caption(QStringLiteral("零售店代码："), title), 0, 0);
  shop->addWidget(lblShopCode, 0, 1);
  shop->addWidget(Caption(QStringLiteral("零售店名："), title), 1, 0);
  shop->addWidget(lblShoName, 1, 1);
  auto* title_layout = new QHBoxLayout(title);
  title_layout->setContentsMargins(8, 4, 12, 4);
  title_layout->addLayout(shop, 1);
  title_layout->addWidget(Label1, 2);
  title_layout->addWidget(lblConnectSever, 1);

  // Information strip.
  auto* info = new QWidget(this);
  info->setObjectName(QStringLiteral("pnlInfo"));
  lblOrderNo = Value("lblOrderNo", QString(), info);
  lblStoreNAme = Value("lblStoreNAme", QString(), info);
  lblCarshier = Value("lblCarshier", QString(), info);
  lblEmployee = Value("lblEmployee", QString(), info);
  auto* info_layout = new QHBoxLayout(info);
  info_layout->setContentsMargins(8, 2, 8, 2);
  info_layout->setSpacing(4);
  const std::pair<QString, QLabel*> infos[] = {{QStringLiteral("单据编号："), lblOrderNo},
                                               {QStringLiteral("仓库："), lblStoreNAme},
                                               {QStringLiteral("收银员："), lblCarshier},
                                               {QStringLiteral("导购员："), lblEmployee}};
  for (const auto& [caption, value] : infos) {
    info_layout->addWidget(Caption(caption, info));
    info_layout->addWidget(value);
    info_layout->addSpacing(24);
  }
  info_layout->addStretch(1);

  // The grid and the key panel.
  dbgDetail = new SaleGrid(this);
  dbgDetail->setObjectName(QStringLiteral("dbgDetail"));
  dbgDetail->setModel(model_);
  dbgDetail->setAlternatingRowColors(true);
  dbgDetail->setSelectionMode(QAbstractItemView::SingleSelection);
  dbgDetail->setSelectionBehavior(QAbstractItemView::SelectItems);
  dbgDetail->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  dbgDetail->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  dbgDetail->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::DoubleClicked);
  dbgDetail->verticalHeader()->hide();
  dbgDetail->verticalHeader()->setDefaultSectionSize(24);
  dbgDetail->setWordWrap(false);
  for (GridColumn hidden : {GridColumn::GoodsCode, GridColumn::OrigPrice, GridColumn::Model}) {
    dbgDetail->setColumnHidden(static_cast<int>(hidden), true);
  }
  // Columns fit the width: fixed shares, the name and the remark take what is left. Measuring
  // the contents would read every row on every change.
  QHeaderView* header = dbgDetail->horizontalHeader();
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setSectionResizeMode(static_cast<int>(GridColumn::GoodsName), QHeaderView::Stretch);
  header->setSectionResizeMode(static_cast<int>(GridColumn::Memo), QHeaderView::Stretch);
  const std::pair<GridColumn, int> widths[] = {
      {GridColumn::SerialNo, 44}, {GridColumn::BarCode, 130}, {GridColumn::ColorName, 64},
      {GridColumn::SizeName, 56}, {GridColumn::BaseUnit, 44}, {GridColumn::Price, 72},
      {GridColumn::Quantity, 52}, {GridColumn::Discount, 64}, {GridColumn::Amount, 84}};
  for (const auto& [column, width] : widths) {
    header->resizeSection(static_cast<int>(column), width);
  }
  connect(dbgDetail->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) desk_.order().lines.SetCurrentIndex(current.row());
          });

  auto* keys = new QWidget(this);
  keys->setObjectName(QStringLiteral("pnlKeys"));
  keys->setFixedWidth(170);
  auto* keys_layout = new QVBoxLayout(keys);
  keys_layout->setContentsMargins(4, 4, 4, 4);
  keys_layout->setSpacing(6);
  auto group = [&](const std::vector<std::tuple<Command, const char*, QString, QString>>& items) {
    auto* frame = new QFrame(keys);
    frame->setObjectName(QStringLiteral("keyGroup"));
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(6, 3, 6, 3);
    layout->setSpacing(1);
    for (const auto& [command, name, caption, hint] : items) {
      AddKeyLabel(command, name, caption, hint, frame, layout);
    }
    keys_layout->addWidget(frame);
  };
  using C = Command;
  group({{C::F2Guide, "Label20", QStringLiteral("导购员   [F2]"),
          QStringLiteral("按下F2输入导购员编号")},
         {C::F3WholeOrderDiscount, "Label21", QStringLiteral("整单折扣 [F3]"),
          QStringLiteral("整单商品同一折扣(必须开单使用)")},
         {C::F4Card, "Label19", QStringLiteral("会员卡   [F4]"),
          QStringLiteral("按下F4输入会员卡编号(必须开单前使用)")}});
  group({{C::F5Goods, "Label24", QStringLiteral("商  品   [F5]"),
          QStringLiteral("将光标移到商品输入框")},
         {C::F6Quantity, "Label25", QStringLiteral("数  量   [↑]"),
          QStringLiteral("输完商品按下↑改数量,或输商品前按F6改数量")},
         {C::F7Price, "Label23", QStringLiteral("单  价   [→]"),
          QStringLiteral("输完商品按下→改数量,或输商品前按F7改数量")},
         {C::F8SingleDiscount, "Label26", QStringLiteral("折  扣   [↓]"),
          QStringLiteral("输完商品按下↓改数量,或输商品前按F8改数量")},
         {C::CtrlNMemo, "Label43", QStringLiteral("备  注   [Ctr+N]"),
          QStringLiteral("需要到表格修改备注编辑按下[Ctrl+N]")}});
  group(
      {{C::F9Gift, "Label28", QStringLiteral("赠  品   [F9]"), QStringLiteral("输完商品按F9赠送")},
       {C::F10Suspend, "Label29", QStringLiteral("挂  单   [F10]"),
        QStringLiteral("输完商品按F10挂单")},
       {C::F11Retrieve, "Label27", QStringLiteral("取  单   [F11]"),
        QStringLiteral("开单前按下F10取回挂单")},
       {C::F12Checkout, "Label34", QStringLiteral("收  款   [F12]"),
        QStringLiteral("输完商品按下F12收款")}});
  group({{C::CtrlBGrid, "Label6", QStringLiteral("表格[Ctrl+B]"),
          QStringLiteral("需要到表格编辑按下[Ctrl+B]")},
         {C::DelLine, "Label5", QStringLiteral("删行[Del]"),
          QStringLiteral("删行之前需要先按下[Ctrl+B]到表格")},
         {C::CtrlDelDeleteOrder, "Label18", QStringLiteral("删单[Ctrl+Del]"),
          QStringLiteral("删除整张单")},
         {C::CtrlQWithdraw, "Label22", QStringLiteral("取款[Ctrl+Q]"), QStringLiteral("打开钱箱")},
         {C::CtrlTReturn, "Label49", QStringLiteral("退货[Ctrl+T]"), QStringLiteral("退换货")},
         {C::CtrlLPoints, "Label48", QStringLiteral("积分兑换 [Ctrl+L]"),
          QStringLiteral("会员卡积分兑换礼品")}});
  keys_layout->addStretch(1);

  auto* middle = new QHBoxLayout;
  middle->setContentsMargins(4, 2, 4, 2);
  middle->setSpacing(4);
  middle->addWidget(dbgDetail, 1);
  middle->addWidget(keys);

  // Entry panel.
  auto* entry = new QWidget(this);
  entry->setObjectName(QStringLiteral("pnlEntry"));
  suiEdtGoods =
      Edit("suiEdtGoods", QStringLiteral("输入商品代码或名称或条形码，按回车(可以在这里扫描输入)"),
           entry);
  suiEdtGoods->setPlaceholderText(QStringLiteral("商品代码、名称或条形码，按回车"));
  suiEdtGoods->setMaxLength(100);
  suiEdtQuntity = Edit("suiEdtQuntity", QStringLiteral("先输数量、单价，再输入商品"), entry);
  suiEdtPrice = Edit("suiEdtPrice", QStringLiteral("在这里输入现售价"), entry);
  suiEdtDiscount = Edit("suiEdtDiscount", QStringLiteral("在这里输入现售价的折扣率"), entry);
  for (QLineEdit* e : {suiEdtQuntity, suiEdtPrice, suiEdtDiscount}) e->setMaxLength(30);
  auto* edits = new QGridLayout;
  edits->setHorizontalSpacing(6);
  edits->setVerticalSpacing(4);
  const std::tuple<QString, QLineEdit*, QString, QString> rows[] = {
      {QStringLiteral("商  品   :"), suiEdtGoods, QString(), QStringLiteral("[F5]")},
      {QStringLiteral("数  量   :"), suiEdtQuntity, QString(), QStringLiteral("[F6]")},
      {QStringLiteral("单  价   :"), suiEdtPrice, QString(), QStringLiteral("[F7]")},
      {QStringLiteral("折  扣   :"), suiEdtDiscount, QStringLiteral("(%)"),
       QStringLiteral("[F8]")}};
  int r = 0;
  for (const auto& [caption, edit, unit, key] : rows) {
    auto* c = Caption(caption, entry);
    c->setProperty("role", QStringLiteral("entryCaption"));
    edits->addWidget(c, r, 0);
    edits->addWidget(edit, r, 1);
    edits->addWidget(Caption(unit, entry), r, 2);
    auto* k = Caption(key, entry);
    k->setProperty("role", QStringLiteral("entryKey"));
    edits->addWidget(k, r, 3);
    ++r;
  }
  edits->setColumnStretch(1, 1);

  lblPRealAmount = Value("lblPRealAmount", QStringLiteral("00.0"), entry);
  lblPClientAmount = Value("lblPClientAmount", QStringLiteral("00.0"), entry);
  lblPChangeAmount = Value("lblPChangeAmount", QStringLiteral("00.0"), entry);
  lblCardCode = Value("lblCardCode", QString(), entry);
  lblPriceType = Value("lblPriceType", QString(), entry);
  auto* facts = new QGridLayout;
  facts->setHorizontalSpacing(4);
  facts->setVerticalSpacing(4);
  const std::pair<QString, QLabel*> fact_rows[] = {
      {QStringLiteral("上一单应收:"), lblPRealAmount},
      {QStringLiteral("上一单实收:"), lblPClientAmount},
      {QStringLiteral("上一单找零:"), lblPChangeAmount},
      {QStringLiteral("会员/储值卡号:"), lblCardCode},
      {QStringLiteral("计价方式:"), lblPriceType}};
  r = 0;
  for (const auto& [caption, value] : fact_rows) {
    facts->addWidget(Caption(caption, entry), r, 0, Qt::AlignRight);
    facts->addWidget(value, r, 1);
    ++r;
  }
  facts->setColumnStretch(1, 1);

  lblTotalQty = Value("lblTotalQty", QStringLiteral("00.0"), entry);
  lblAmount = Value("lblAmount", QStringLiteral("00.0"), entry);
  for (QLabel* total : {lblTotalQty, lblAmount}) {
    total->setProperty("role", QStringLiteral("total"));
    total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    total->setMinimumWidth(200);
  }
  auto* totals = new QGridLayout;
  totals->setVerticalSpacing(0);
  auto* qty_caption = Caption(QStringLiteral("总数量:"), entry);
  auto* amount_caption = Caption(QStringLiteral("总金额:"), entry);
  for (QLabel* c : {qty_caption, amount_caption}) {
    c->setProperty("role", QStringLiteral("totalCaption"));
  }
  totals->addWidget(qty_caption, 0, 0);
  totals->addWidget(lblTotalQty, 0, 1);
  totals->addWidget(amount_caption, 1, 0);
  totals->addWidget(lblAmount, 1, 1);

  auto* entry_layout = new QHBoxLayout(entry);
  entry_layout->setContentsMargins(8, 6, 8, 6);
  entry_layout->setSpacing(16);
  entry_layout->addLayout(edits, 5);
  entry_layout->addLayout(facts, 3);
  entry_layout->addLayout(totals, 4);

  // Key strip.
  auto* strip = new QWidget(this);
  strip->setObjectName(QStringLiteral("pnlStrip"));
  auto* strip_layout = new QHBoxLayout(strip);
  strip_layout->setContentsMargins(8, 2, 8, 2);
  strip_layout->setSpacing(18);
  AddKeyLabel(C::CtrlKLock, "Label35", QStringLiteral("锁屏[Ctrl+K]"), QStringLiteral("锁屏离开"),
              strip, strip_layout);
  AddKeyLabel(C::CtrlSUpload, "Label36", QStringLiteral(" 上传[Ctrl+S]"),
              QStringLiteral("上传销售数据到服务器"), strip, strip_layout);
  AddKeyLabel(C::CtrlXDownload, "Label37", QStringLiteral("下载[Ctrl+X]"),
              QStringLiteral("下载基本资料到本地"), strip, strip_layout);
  AddKeyLabel(C::CtrlAltZSwitchMode, "Label38", QStringLiteral("切换工作模式[Ctril+Alt+Z]"),
              QStringLiteral("在[连网销售]与[断网销售]间切换"), strip, strip_layout);
  AddKeyLabel(C::CtrlPReprint, "lblReprint", QStringLiteral("重打小票[Ctrl+P]"),
              QStringLiteral("重新打印上一张小票"), strip, strip_layout);
  auto* key_list = new QLabel(QStringLiteral("定义按键[Ctrl+J]"), strip);
  key_list->setObjectName(QStringLiteral("Label40"));
  key_list->hide();
  strip_layout->addWidget(key_list);
  AddKeyLabel(C::F1Help, "Label41", QStringLiteral("帮助[F1]"), QString(), strip, strip_layout);
  AddKeyLabel(C::EscLeave, "Label39", QStringLiteral("退出[Esc]"), QString(), strip, strip_layout);
  strip_layout->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(clock);
  layout->addWidget(title);
  layout->addWidget(info);
  layout->addLayout(middle, 1);
  layout->addWidget(entry);
  layout->addWidget(strip);

  setStyleSheet(QStringLiteral(R"(
#TfrmQTSale, #pnlClock, #pnlTitle, #pnlInfo, #pnlEntry, #pnlStrip, #pnlKeys {
  background: rgb(231, 231, 231); }
#pnlClock { border-bottom: 1px solid rgb(190, 190, 190); }
#pnlInfo, #pnlStrip { border-top: 1px solid rgb(190, 190, 190); }
#pnlEntry { border-top: 1px solid rgb(170, 170, 170); }
QLabel { font-size: 13px; }
QLabel#Label1 { color: rgb(0, 0, 255); font-weight: bold; font-size: 32px; }
QLabel#lblConnectSever { color: rgb(170, 0, 0); font-weight: bold; font-size: 18px; }
QLabel[role="value"] { color: rgb(0, 0, 128); }
QLabel#lblOrderNo, QLabel#lblShoName { font-weight: bold; }
QLabel[role="entryCaption"] { font-size: 16px; font-weight: bold; }
QLabel[role="entryKey"] { font-size: 14px; color: rgb(128, 0, 0); }
QLineEdit[role="entry"] { font-size: 18px; padding: 2px 4px; min-height: 24px; }
QLabel[role="total"] { font-size: 40px; font-weight: bold; color: rgb(200, 0, 0); }
QLabel[role="totalCaption"] { font-size: 20px; font-weight: bold; }
QFrame#keyGroup { border: 1px solid rgb(170, 170, 170); border-radius: 4px;
  background: rgb(242, 242, 246); }
QLabel[role="key"] { font-size: 14px; color: rgb(20, 40, 120); padding: 2px 0px; }
QLabel[role="key"]:hover { color: rgb(200, 0, 0); }
QLabel[role="key"]:disabled { color: rgb(160, 160, 160); }
QTableView#dbgDetail { font-size: 14px; alternate-background-color: rgb(236, 242, 252);
  selection-background-color: rgb(58, 84, 128); }
QHeaderView::section { font-size: 13px; font-weight: bold; padding: 3px; }
)"));
}

// ---- Opening and the order's life ----

bool TfrmQTSale::Open() {
  bool opened = false;
  Run([&] { opened = desk_.Open(); });
  if (!opened) return false;
  lblConnectSever->setText(desk_.session().IsOnline ? QStringLiteral("连网销售")
                                                    : QStringLiteral("断网销售"));
  ShowHeader();
  suiEdtQuntity->setText(QStringLiteral("1"));
  suiEdtDiscount->setText(QStringLiteral("100"));
  lblCardCode->clear();
  lblPriceType->clear();
  model_->Reset();
  suiEdtGoods->setFocus();
  return true;
}

void TfrmQTSale::ShowTime() {
  lblTime->setText(sale_.dm.clock().Now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
}

void TfrmQTSale::ShowHeader() {
  const PosSession& s = desk_.session();
  lblOrderNo->setText(desk_.order().header.OrderNo);
  lblShopCode->setText(s.ShopCode);
  lblShoName->setText(s.ShopName);
  lblStoreNAme->setText(s.StoreName);
  lblCarshier->setText(s.CashierName);
  lblEmployee->setText(desk_.order().EmployeeName);
}

void TfrmQTSale::ShowTotals() {
  const OrderTotals totals = desk_.Recalc();
  // The recalculation may itself add what a promotion gives: that is shown too.
  shown_revision_ = desk_.order().lines.Revision();
  lblTotalQty->setText(NumberText(totals.Quantity));
  lblAmount->setText(totals.Amount.ShortText());
}

void TfrmQTSale::ShowCard() {
  Order& order = desk_.order();
  order.header.CardCode = order.CardsCode;
  lblCardCode->setText(order.CardsCode);
  lblPriceType->setText(order.SalesType);
  if (order.SalesType == QStringLiteral("累计积分折扣") ||
      order.SalesType == QStringLiteral("固定折扣")) {
    suiEdtDiscount->setText(NumberText(order.CardDiscount));
    desk_.discountTarget = DiscountTarget::WholeOrder;
  }
}

void TfrmQTSale::ResetEntry() {
  suiEdtQuntity->setText(QStringLiteral("1"));
  suiEdtPrice->clear();
  suiEdtDiscount->setText(QStringLiteral("100"));
  desk_.order().NextSerialNo = 1;
  suiEdtGoods->clear();
  lblCardCode->clear();
  lblPriceType->clear();
  lblTotalQty->setText(QStringLiteral("0"));
  lblAmount->setText(QStringLiteral("0"));
}

void TfrmQTSale::StartNextOrder() {
  desk_.DropLines();
  model_->Reset();
  if (desk_.StartNewOrder()) ShowHeader();
  ResetEntry();
}

// ---- Keys ----

std::optional<TfrmQTSale::Command> TfrmQTSale::KeyCommand(int key,
                                                          Qt::KeyboardModifiers modifiers) {
  // Function and arrow keys act whatever is held; a Ctrl key needs Ctrl alone, a Ctrl+Alt
  // key exactly those two. The keypad flag says where a key sits, not what is held.
  const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
  const bool ctrl = held == Qt::ControlModifier;
  const bool ctrl_alt = held == (Qt::ControlModifier | Qt::AltModifier);
  switch (key) {
    case Qt::Key_F1:
      return Command::F1Help;
    case Qt::Key_F2:
      return Command::F2Guide;
    case Qt::Key_F3:
      return Command::F3WholeOrderDiscount;
    case Qt::Key_F4:
      return Command::F4Card;
    case Qt::Key_F5:
      return Command::F5Goods;
    case Qt::Key_F6:
      return Command::F6Quantity;
    case Qt::Key_F7:
      return Command::F7Price;
    case Qt::Key_F8:
      return Command::F8SingleDiscount;
    case Qt::Key_F9:
      return Command::F9Gift;
    case Qt::Key_F10:
      return Command::F10Suspend;
    case Qt::Key_F11:
      return Command::F11Retrieve;
    case Qt::Key_F12:
      return Command::F12Checkout;
    case Qt::Key_Up:
      return Command::UpQuantity;
    case Qt::Key_Right:
      return Command::RightPrice;
    case Qt::Key_Down:
      return Command::DownDiscount;
    case Qt::Key_Escape:
      return Command::EscLeave;
    default:
      break;
  }
  if (ctrl) {
    switch (key) {
      case Qt::Key_Q:
        return Command::CtrlQWithdraw;
      case Qt::Key_T:
        return Command::CtrlTReturn;
      case Qt::Key_B:
        return Command::CtrlBGrid;
      case Qt::Key_Delete:
        return Command::CtrlDelDeleteOrder;
      case Qt::Key_J:
        return Command::CtrlJKeyList;
      case Qt::Key_K:
        return Command::CtrlKLock;
      case Qt::Key_S:
        return Command::CtrlSUpload;
      case Qt::Key_X:
        return Command::CtrlXDownload;
      case Qt::Key_N:
        return Command::CtrlNMemo;
      case Qt::Key_L:
        return Command::CtrlLPoints;
      case Qt::Key_P:
        return Command::CtrlPReprint;
      default:
        return std::nullopt;
    }
  }
  if (ctrl_alt) {
    if (key == Qt::Key_Y) return Command::CtrlAltYReceiptTemplate;
    if (key == Qt::Key_Z) return Command::CtrlAltZSwitchMode;
  }
  return std::nullopt;
}

bool TfrmQTSale::Available(Command command) const {
  switch (command) {
    case Command::F4Card:
      return static_cast<bool>(actions_.chooseCard);
    case Command::F10Suspend:
      return static_cast<bool>(actions_.suspend);
    case Command::F11Retrieve:
      return static_cast<bool>(actions_.retrieve);
    case Command::F12Checkout:
      return static_cast<bool>(actions_.checkout);
    case Command::CtrlQWithdraw:
      return static_cast<bool>(actions_.withdrawCash);
    case Command::CtrlJKeyList:
      return static_cast<bool>(actions_.keyList);
    case Command::CtrlKLock:
      return static_cast<bool>(actions_.lockScreen);
    case Command::CtrlSUpload:
      return static_cast<bool>(actions_.upload);
    case Command::CtrlXDownload:
      return static_cast<bool>(actions_.download);
    case Command::CtrlAltYReceiptTemplate:
      return static_cast<bool>(actions_.designReceipt);
    case Command::CtrlPReprint:
      return static_cast<bool>(actions_.reprintReceipt);
    case Command::CtrlAltZSwitchMode:
      return static_cast<bool>(actions_.switchMode);
    default:
      return true;
  }
}

bool TfrmQTSale::GridHasFocus() const {
  QWidget* focus = QApplication::focusWidget();
  return focus && (focus == dbgDetail || dbgDetail->isAncestorOf(focus));
}

void TfrmQTSale::FocusSelect(QLineEdit* edit) {
  edit->setFocus();
  edit->selectAll();
}

bool TfrmQTSale::FormKeyDown(QKeyEvent* event) {
  const int key = event->key();
  const Qt::KeyboardModifiers held = event->modifiers() & ~Qt::KeypadModifier;
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  QWidget* focus = QApplication::focusWidget();

  if (GridHasFocus()) {
    const bool editing = dbgDetail->OpenEditor() != nullptr;
    // The grid's own F6, F7 and F8 come first.
    if (key == Qt::Key_F6 || key == Qt::Key_F7 || key == Qt::Key_F8) {
      if (key == Qt::Key_F7) Run([this] { desk_.GridPriceKey(); });
      if (key == Qt::Key_F8) Run([this] { desk_.GridDiscountKey(); });
      return true;
    }
    // Enter acts as Tab; from an edited column both lead back to the goods edit.
    if ((enter || key == Qt::Key_Tab) && held == Qt::NoModifier) {
      if (editing) dbgDetail->CommitOpenEditor();
      const auto column = static_cast<GridColumn>(dbgDetail->currentIndex().column());
      if (column == GridColumn::Quantity || column == GridColumn::Price ||
          column == GridColumn::Discount || column == GridColumn::Memo) {
        LeaveGridToGoods();
        return true;
      }
      return key == Qt::Key_Tab ? false : true;
    }
    if (!editing && key == Qt::Key_Delete && held == Qt::NoModifier) {
      RunCommand(Command::DelLine);
      return true;
    }
    const QString text = event->text();
    if (!editing && !text.isEmpty() && text.at(0).isPrint() &&
        dbgDetail->currentIndex().isValid()) {
      const auto column = static_cast<GridColumn>(dbgDetail->currentIndex().column());
      const QString refusal = desk_.ColumnEditable(column)
                                  ? desk_.GiftEditRefusal(dbgDetail->currentIndex().row(), column)
                                  : QString();
      if (!refusal.isEmpty()) {
        desk_.ui().ShowNoticeBox(refusal);
        LeaveGridToGoods();
        return true;
      }
    }
    // Arrows move inside an open cell editor, not between the grid's modes.
    if (editing && (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Right)) {
      return false;
    }
  }

  if (enter && held == Qt::NoModifier) {
    if (focus == suiEdtGoods) {
      Run([this] { GoodsEnter(); });
      return true;
    }
    QLineEdit* edits[] = {suiEdtQuntity, suiEdtPrice, suiEdtDiscount};
    for (QLineEdit* edit : edits) {
      if (focus != edit) continue;
      desk_.returnToGoods = true;
      Run([this, edit] {
        if (edit == suiEdtQuntity) QuantityExit();
        if (edit == suiEdtPrice) PriceExit();
        if (edit == suiEdtDiscount) DiscountExit();
      });
      return true;
    }
    return false;
  }

  const std::optional<Command> command = KeyCommand(key, event->modifiers());
  if (!command) return false;
  RunCommand(*command);
  // Arrow keys also reach the focused control (an arrow in the grid moves its cursor).
  return !(key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Right);
}

void TfrmQTSale::RunCommand(Command command) {
  if (!Available(command)) return;
  Run([this, command] { Execute(command); });
}

void TfrmQTSale::Run(const std::function<void()>& work) {
  const bool outer = !in_command_;
  in_command_ = true;
  try {
    work();
  } catch (const std::exception& e) {
    if (desk_.HandleFailure(e) == FailureOutcome::SwitchedOffline) {
      lblConnectSever->setText(QStringLiteral("断网销售"));
    }
  }
  if (!outer) return;
  in_command_ = false;
  // Whatever the command changed in the lines, the totals, the labels and the pole display
  // follow here, once, so no key can leave them behind the order.
  if (desk_.order().lines.Revision() != shown_revision_) {
    try {
      ShowTotals();
    } catch (const std::exception& e) {
      desk_.HandleFailure(e);
    }
  }
  model_->Sync();
  const int row = desk_.order().lines.CurrentIndex();
  if (row >= 0 &&
      (!dbgDetail->currentIndex().isValid() || dbgDetail->currentIndex().row() != row)) {
    const int column = dbgDetail->currentIndex().isValid() ? dbgDetail->currentIndex().column()
                                                           : static_cast<int>(GridColumn::SerialNo);
    dbgDetail->setCurrentIndex(model_->index(row, column));
  }
  if (row >= 0) dbgDetail->scrollTo(model_->index(row, 0));
  for (auto it = labels_.begin(); it != labels_.end(); ++it) {
    it.value()->setEnabled(Available(it.key()));
  }
}

void TfrmQTSale::Execute(Command command) {
  Order& order = desk_.order();
  PosSession& session = desk_.session();
  switch (command) {
    case Command::F1Help:
      Help();
      break;
    case Command::F2Guide:
      if (desk_.ChooseGuide()) lblEmployee->setText(order.EmployeeName);
      break;
    case Command::F3WholeOrderDiscount:
      if (!desk_.MayDiscountWholeOrder()) break;
      desk_.discountTarget = DiscountTarget::WholeOrder;
      desk_.returnToGoods = false;
      FocusSelect(suiEdtDiscount);
      break;
    case Command::F4Card:
      if (!desk_.MayChooseCard() || !actions_.chooseCard(desk_)) break;
      ShowCard();
      break;
    case Command::F5Goods:
      desk_.returnToGoods = true;
      FocusSelect(suiEdtGoods);
      break;
    case Command::F6Quantity:
      desk_.returnToGoods = false;
      FocusSelect(suiEdtQuntity);
      break;
    case Command::F7Price:
      if (!desk_.MayChangePrice()) break;
      desk_.returnToGoods = false;
      FocusSelect(suiEdtPrice);
      break;
    case Command::F8SingleDiscount:
      if (!desk_.MayDiscountSingleGoods()) break;
      desk_.discountTarget = DiscountTarget::SingleLine;
      desk_.returnToGoods = false;
      FocusSelect(suiEdtDiscount);
      break;
    case Command::F9Gift:
      desk_.MakeGift();
      break;
    case Command::F10Suspend:
      if (actions_.suspend(desk_)) StartNextOrder();
      break;
    case Command::F11Retrieve:
      if (!actions_.retrieve(desk_)) break;
      lblOrderNo->setText(order.header.OrderNo);
      // The parked lines are new lines: shown whatever their count says.
      ShowTotals();
      order.header.EmployeeNo = order.EmployeeNo;
      lblEmployee->setText(order.EmployeeNo.isEmpty() ? QString() : order.EmployeeName);
      if (!order.CardsCode.isEmpty()) ShowCard();
      break;
    case Command::F12Checkout: {
      if (!desk_.MayCheckout()) break;
      desk_.returnToGoods = true;
      suiEdtGoods->setFocus();
      ShowTotals();
      const std::optional<CheckoutAmounts> paid = actions_.checkout(desk_);
      if (!paid) break;
      StartNextOrder();
      // The pole display keeps the change the checkout showed until goods are rung up.
      shown_revision_ = order.lines.Revision();
      lblPRealAmount->setText(paid->due.trimmed());
      lblPClientAmount->setText(paid->received.trimmed());
      lblPChangeAmount->setText(paid->change.trimmed());
      break;
    }
    case Command::CtrlQWithdraw:
      if (desk_.CheckRight(Right::OpenDrawer)) actions_.withdrawCash(desk_);
      break;
    case Command::CtrlTReturn:
      if (!desk_.CheckRight(Right::Returns)) break;
      if (session.BackFlag) {
        if (actions_.startReturn) actions_.startReturn(desk_);
      } else {
        desk_.NegateCurrentLine();
      }
      break;
    case Command::CtrlBGrid:
      OpenGrid(GridEditKey::CtrlB);
      break;
    case Command::CtrlDelDeleteOrder:
      if (desk_.ui().MessageBox(QStringLiteral("提示"), QStringLiteral("您真的要删除该单吗？"),
                                MsgIcon::Question, MsgButtons::YesNo) == MsgResult::No) {
        break;
      }
      StartNextOrder();
      break;
    case Command::CtrlJKeyList:
      actions_.keyList();
      break;
    case Command::CtrlKLock:
      actions_.lockScreen();
      break;
    case Command::CtrlSUpload:
      if (!session.IsOnline) {
        desk_.ui().ShowNoticeBox(QStringLiteral("上传只能在连网模式下操作！"));
        break;
      }
      actions_.upload();
      break;
    case Command::CtrlXDownload:
      if (!session.IsOnline) {
        desk_.ui().ShowNoticeBox(QStringLiteral("下载只能在连网模式下操作！"));
        break;
      }
      actions_.download();
      break;
    case Command::CtrlAltYReceiptTemplate:
      actions_.designReceipt(desk_);
      break;
    case Command::CtrlPReprint:
      actions_.reprintReceipt();
      break;
    case Command::CtrlAltZSwitchMode:
      // These captions differ from the ones the screen opens with, as the till always had.
      if (actions_.switchMode()) {
        lblConnectSever->setText(session.IsOnline ? QStringLiteral("连网模式")
                                                  : QStringLiteral("断网模式"));
      }
      break;
    case Command::UpQuantity:
      OpenGrid(GridEditKey::Up);
      break;
    case Command::RightPrice:
      OpenGrid(GridEditKey::Right);
      break;
    case Command::DownDiscount:
      OpenGrid(GridEditKey::Down);
      break;
    case Command::CtrlNMemo:
      OpenGrid(GridEditKey::CtrlN);
      break;
    case Command::CtrlLPoints:
      ExchangeCardPoints(desk_.sale(), order);
      break;
    case Command::EscLeave:
      reject();
      break;
    case Command::DelLine:
      desk_.DeleteCurrentLine();
      break;
  }
}

void TfrmQTSale::Help() {
  const QString path = QDir(program_folder_).filePath(kHelpFile);
  if (!QFileInfo(path).isFile()) {
    desk_.ui().ShowNoticeBox(QStringLiteral("找不到帮助文件“") + kHelpFile +
                             QStringLiteral("”，它应在程序所在的文件夹中！"));
    return;
  }
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
    desk_.ui().ShowNoticeBox(QStringLiteral("本机没有可以打开帮助文件“") + kHelpFile +
                             QStringLiteral("”的程序！"));
  }
}

void TfrmQTSale::reject() {
  if (closing_) return;
  if (!desk_.ui().AskYesNo(QString(), QStringLiteral("确实退出前台销售吗？"))) return;
  closing_ = true;
  disconnect(focus_connection_);
  Timer1->stop();
  TfrmRootFullSreen::reject();
}

// ---- The entry edits ----

void TfrmQTSale::GoodsEnter() {
  const std::optional<AddResult> result = desk_.EnterGoods(
      {suiEdtGoods->text(), suiEdtQuntity->text(), suiEdtPrice->text(), suiEdtDiscount->text()});
  if (!result) return;
  FocusSelect(suiEdtGoods);
  const QString discount = desk_.DiscountAfterEntry();
  if (!discount.isEmpty()) suiEdtDiscount->setText(discount);
  suiEdtQuntity->setText(QStringLiteral("1"));
  suiEdtPrice->clear();
}

void TfrmQTSale::QuantityExit() {
  const ExitGuard guard(exit_running_);
  const EntryCheck check = desk_.CheckQuantity(suiEdtQuntity->text());
  if (!check.ok) {
    suiEdtQuntity->setText(check.reset);
    FocusSelect(suiEdtQuntity);
    return;
  }
  if (desk_.returnToGoods) {
    suiEdtGoods->clear();
    FocusSelect(suiEdtGoods);
  }
}

void TfrmQTSale::PriceExit() {
  const ExitGuard guard(exit_running_);
  const EntryCheck check = desk_.CheckPrice(suiEdtPrice->text());
  if (!check.ok) {
    suiEdtPrice->setText(check.reset);
    FocusSelect(suiEdtPrice);
    return;
  }
  if (desk_.returnToGoods) {
    suiEdtGoods->clear();
    FocusSelect(suiEdtGoods);
  }
}

void TfrmQTSale::DiscountExit() {
  const ExitGuard guard(exit_running_);
  const EntryCheck check = desk_.CheckDiscount(suiEdtDiscount->text());
  if (!check.ok) {
    suiEdtDiscount->setText(check.reset);
    if (check.refocus) FocusSelect(suiEdtDiscount);
    return;
  }
  if (desk_.returnToGoods) {
    suiEdtGoods->clear();
    FocusSelect(suiEdtGoods);
  }
  desk_.ConfirmDiscount(suiEdtDiscount->text());
}

// ---- The grid ----

void TfrmQTSale::OpenGrid(GridEditKey key) {
  const GridEdit edit = desk_.EnterGridEdit(key);
  if (!edit.opened) return;
  const int row = desk_.order().lines.CurrentIndex();
  const int column = edit.column                           ? static_cast<int>(*edit.column)
                     : dbgDetail->currentIndex().isValid() ? dbgDetail->currentIndex().column()
                                                           : static_cast<int>(GridColumn::Quantity);
  dbgDetail->setFocus();
  dbgDetail->setCurrentIndex(model_->index(row, column));
}

void TfrmQTSale::LeaveGridToGoods() {
  desk_.returnToGoods = true;
  suiEdtGoods->setFocus();
}

void TfrmQTSale::OnFocusChanged(QWidget* old, QWidget* now) {
  // Focus going to a message box or another window is not the cashier leaving a field.
  if (closing_ || !now || now->window() != this || old == now) return;
  auto in_grid = [this](QWidget* w) { return w && (w == dbgDetail || dbgDetail->isAncestorOf(w)); };
  if (in_grid(old) && !in_grid(now)) {
    if (!desk_.returnToGoods) {
      // The cashier cannot click or tab away from the grid: F5, Tab or Enter lead out.
      const ExitGuard guard(bouncing_);
      dbgDetail->setFocus();
      return;
    }
    Run([this] {
      dbgDetail->CommitOpenEditor();
      desk_.CloseGrid();
    });
    if (QApplication::focusWidget() != suiEdtGoods) suiEdtGoods->setFocus();
    return;
  }
  // The price and discount edits need their rights however they are reached (F7 and F8 ask
  // before they move the focus, Tab and a click do not): without, the focus goes back to the
  // goods edit and what the cashier left is checked as usual.
  if (!bouncing_ && !exit_running_ && (now == suiEdtPrice || now == suiEdtDiscount)) {
    bool allowed = true;
    Run([&] { allowed = now == suiEdtPrice ? desk_.MayChangePrice() : desk_.MayEnterDiscount(); });
    if (!allowed) {
      desk_.returnToGoods = true;
      const ExitGuard guard(bouncing_);
      suiEdtGoods->setFocus();
    }
  }
  // Leaving an entry edit runs its check, unless the check itself moved the focus (after
  // Enter) or the focus is only being sent back.
  if (!exit_running_ && !bouncing_) {
    if (old == suiEdtQuntity) {
      Run([this] { QuantityExit(); });
      return;
    }
    if (old == suiEdtPrice) {
      Run([this] { PriceExit(); });
      return;
    }
    if (old == suiEdtDiscount) {
      Run([this] { DiscountExit(); });
      return;
    }
  }
  if (old == suiEdtGoods && desk_.returnToGoods && !in_grid(now)) {
    const ExitGuard guard(bouncing_);
    suiEdtGoods->setFocus();
  }
}

}  // namespace quilmo
