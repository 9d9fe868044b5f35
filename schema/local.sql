-- The till's own tables in its local SQLite file, created after common.sql, and the rows the
-- file is delivered with. Same rules as common.sql: unquoted names, statements split at a
-- semicolon at the end of a line, no other semicolons.

-- The schema version of this file. Upgrades apply their steps and raise it in one transaction.
CREATE TABLE SchemaVersion (
  Version INTEGER NOT NULL
);
INSERT INTO SchemaVersion (Version) VALUES (1);

-- Download counters: the highest DownlogNo fetched so far per counted table, 0 = nothing yet,
-- and the horizon of the download that fetched it (the server's oldest transaction id still
-- running then): rows at the counter written by a transaction from the horizon on are fetched
-- again, older ones are already here. 0 = fetch every row at the counter.
CREATE TABLE DownLog (
  DownTable VARCHAR(30) NOT NULL PRIMARY KEY,
  DownLogNo INTEGER DEFAULT 0,
  DownHorizon INTEGER DEFAULT 0
);

-- This till's own name, made on first use. The server's QTShop.RegistTill records which till
-- took a shop, so the same till can take its shop back after its settings lost it. Clearing
-- the data keeps it.
CREATE TABLE QTTill (
  TillId VARCHAR(40) NOT NULL PRIMARY KEY
);

-- Goods being fetched by the running incremental download.
CREATE TABLE GoodsTemp (
  GoodsNo VARCHAR(20) NOT NULL PRIMARY KEY
);

-- Promotion accumulation of the order being rung up, one row per promotion. QtyTemp and HasQty
-- add up amounts as well as pieces, so they are not integers. Addmonty is spelt as the back
-- office spells it.
CREATE TABLE CXTemp (
  CXOrderNo VARCHAR(30) NOT NULL PRIMARY KEY,
  CXFlag INTEGER DEFAULT 0,
  CXQty INTEGER DEFAULT 0,
  GiftQty INTEGER DEFAULT 0,
  Addmonty DOUBLE PRECISION DEFAULT 0,
  QtyTemp DOUBLE PRECISION DEFAULT 0,
  HasQty DOUBLE PRECISION DEFAULT 0
);

-- Bill counters: a number is PreNo, the shop code, BillDate as yyyyMMdd and BillLine in five
-- digits. The counter lives only here, online too.
CREATE TABLE QTBill (
  BillName VARCHAR(30) NOT NULL PRIMARY KEY,
  BillDate TIMESTAMP,
  BillLine INTEGER DEFAULT 0,
  PreNo VARCHAR(10) DEFAULT ''
);

-- The sale screen's keys as the cashier may rename them. Nothing but the key list screen reads
-- this table. FunName identifies a row so that saved edits find it again.
CREATE TABLE FuncKeySet (
  FunName VARCHAR(30) NOT NULL PRIMARY KEY,
  FuncMemo VARCHAR(60),
  KeyString VARCHAR(30),
  NewKeyString VARCHAR(30) DEFAULT '',
  Memo VARCHAR(100) DEFAULT ''
);

-- Parked orders: the columns of QTSaleOrder and QTSaleOrderDetail, copied by name.
CREATE TABLE QTHalSaleOrder (
  OrderNo VARCHAR(30) NOT NULL PRIMARY KEY,
  OrderDate TIMESTAMP,
  StoreNo VARCHAR(20),
  ShopNo VARCHAR(20),
  CashierNo VARCHAR(20),
  EmployeeNo VARCHAR(20),
  OnOverOrderNo VARCHAR(30),
  Discount DOUBLE PRECISION DEFAULT 100,
  Amount DOUBLE PRECISION DEFAULT 0,
  RealAmount DOUBLE PRECISION DEFAULT 0,
  AdjustAmount DOUBLE PRECISION DEFAULT 0,
  CardCode VARCHAR(30) DEFAULT '',
  CashAmount DOUBLE PRECISION DEFAULT 0,
  CardAmount DOUBLE PRECISION DEFAULT 0,
  BankCardNo VARCHAR(30) DEFAULT '',
  BankCardAmount DOUBLE PRECISION DEFAULT 0,
  Card1Amount DOUBLE PRECISION DEFAULT 0,
  BackAmount DOUBLE PRECISION DEFAULT 0,
  TotalFlag INTEGER DEFAULT 0,
  Memo VARCHAR(200)
);

CREATE TABLE QTHalSaleOrderDetail (
  OrderNo VARCHAR(30) NOT NULL,
  SerialNo INTEGER NOT NULL,
  GoodsNo VARCHAR(20),
  ColorNo VARCHAR(20),
  SizeNo VARCHAR(20),
  OrigPrice DOUBLE PRECISION DEFAULT 0,
  Price DOUBLE PRECISION DEFAULT 0,
  Quantity DOUBLE PRECISION DEFAULT 0,
  Discount DOUBLE PRECISION DEFAULT 100,
  Amount DOUBLE PRECISION DEFAULT 0,
  CKPrice DOUBLE PRECISION DEFAULT 0,
  CKAmount DOUBLE PRECISION DEFAULT 0,
  Memo VARCHAR(200),
  PriceFlag INTEGER DEFAULT 0,
  CXOrderNo VARCHAR(30),
  CXFlag INTEGER DEFAULT -1,
  CXQty INTEGER DEFAULT 0,
  GiftQty INTEGER DEFAULT 0,
  AddMoney DOUBLE PRECISION DEFAULT 0,
  PRIMARY KEY (OrderNo, SerialNo)
);

-- Bill prefixes: XS for sales (销售), BC for cashier shifts (班次).
INSERT INTO QTBill (BillName, BillDate, BillLine, PreNo) VALUES ('SaleOrder', NULL, 0, 'XS');
INSERT INTO QTBill (BillName, BillDate, BillLine, PreNo) VALUES ('OnOverOrder', NULL, 0, 'BC');

-- One counter per table that is downloaded incrementally.
INSERT INTO DownLog (DownTable, DownLogNo) VALUES ('JBStore', 0);
INSERT INTO DownLog (DownTable, DownLogNo) VALUES ('JBEmployee', 0);
INSERT INTO DownLog (DownTable, DownLogNo) VALUES ('JBGoods', 0);
INSERT INTO DownLog (DownTable, DownLogNo) VALUES ('QTShop', 0);
INSERT INTO DownLog (DownTable, DownLogNo) VALUES ('QTShopTem', 0);
INSERT INTO DownLog (DownTable, DownLogNo) VALUES ('QTCards', 0);
INSERT INTO DownLog (DownTable, DownLogNo) VALUES ('QTCashier', 0);

-- The sale screen's keys, in the order the key list shows them. KeyString uses the names the
-- key list records for a key press (Ctrl+Q, Ctrl+Delete, Up Arrow, Esc).
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('SelectEmployee', '选择导购员', 'F2', '', '按下F2输入导购员编号');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('OrderDiscount', '整单折扣', 'F3', '', '整单商品同一折扣(必须开单使用)');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('SelectCard', '选择会员卡/储值卡', 'F4', '', '按下F4输入会员卡编号(必须开单前使用)');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('FocusGoods', '光标移到商品输入框', 'F5', '', '将光标移到商品输入框');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('FocusQuantity', '光标移到数量输入框', 'F6', '', '输商品前按F6改数量');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('Help', '打开帮助', 'F1', '', '');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('FocusPrice', '修改零售价', 'F7', '', '输商品前按F7改单价');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('LineDiscount', '单个商品折扣', 'F8', '', '输商品前按F8改折扣');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('Gift', '赠品', 'F9', '', '输完商品按F9赠送');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('SuspendOrder', '挂单', 'F10', '', '输完商品按F10挂单');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('RecallOrder', '取单', 'F11', '', '开单前按下F11取回挂单');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('Checkout', '收款', 'F12', '', '输完商品按下F12收款');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('WithdrawCash', '取款(打开钱箱)', 'Ctrl+Q', '', '打开钱箱');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('ReturnGoods', '退货', 'Ctrl+T', '', '退换货');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('GridEdit', '到表格修改数量', 'Ctrl+B', '', '需要到表格编辑按下[Ctrl+B]');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('DeleteOrder', '删除整张单', 'Ctrl+Delete', '', '删除整张单');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('FunctionKeys', '自定义按键', 'Ctrl+J', '', '');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('LockScreen', '锁屏', 'Ctrl+K', '', '锁屏离开');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('UploadSales', '上传销售数据', 'Ctrl+S', '', '上传销售数据到服务器');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('DownloadData', '下载基本资料', 'Ctrl+X', '', '下载基本资料到本地');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('DesignReceipt', '设计小票格式', 'Ctrl+Alt+Y', '', '');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('SwitchMode', '切换工作模式', 'Ctrl+Alt+Z', '', '在[连网销售]与[断网销售]间切换');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('GridQuantity', '表格中修改数量', 'Up Arrow', '', '输完商品按下↑改数量');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('GridPrice', '表格中修改单价', 'Right Arrow', '', '输完商品按下→改单价');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('GridDiscount', '表格中修改折扣', 'Down Arrow', '', '输完商品按下↓改折扣');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('GridMemo', '表格中修改备注', 'Ctrl+N', '', '需要到表格修改备注编辑按下[Ctrl+N]');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('PointsGift', '积分兑换礼品', 'Ctrl+L', '', '会员卡积分兑换礼品');
INSERT INTO FuncKeySet (FunName, FuncMemo, KeyString, NewKeyString, Memo) VALUES ('ExitSale', '退出前台销售', 'Esc', '', '');

-- Cash of a sale being saved on the server that the shift record has not taken yet. The shift
-- record lives in this file, outside the server's transaction: the row is written before the
-- server commits and removed when the cash is added to the shift. A row left behind by a
-- program that died in between is settled later: its cash is added when the server holds the
-- order, and dropped when it does not.
CREATE TABLE QTShiftPending (
  OrderNo VARCHAR(30) NOT NULL PRIMARY KEY,
  ShiftNo VARCHAR(30),
  Amount DOUBLE PRECISION DEFAULT 0
);

-- Cash taken at this till for stored-value top-ups, by the shift it went into. The top-up
-- itself is the server's QTAddCardAmount row of the same number; the shift's OverAmount holds
-- the cash too, and the shift report shows the sum as its own line.
CREATE TABLE IF NOT EXISTS QTShiftTopUp (
  AddCardNo VARCHAR(20) NOT NULL PRIMARY KEY,
  ShiftNo VARCHAR(30),
  CardsCode VARCHAR(30),
  Amount DOUBLE PRECISION DEFAULT 0
);
