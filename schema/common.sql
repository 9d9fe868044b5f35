-- Tables that exist in the back office's account database (PostgreSQL) and in the till's
-- local file (SQLite) with the same columns. Master data is copied down column by column by
-- name and sales are copied up the same way, so both sides must agree on every column here.
--
-- This file runs unchanged on both engines:
--   * identifiers are unquoted: PostgreSQL folds them to lower case, and the program reads
--     result columns by case-insensitive name, so GoodsNAme, GoodsName and goodsname are one
--   * types are only VARCHAR(n), TEXT, INTEGER, DOUBLE PRECISION, NUMERIC(18,4) and TIMESTAMP.
--     The local file keeps date-times as text in the one form yyyy-MM-dd HH:mm:ss
--   * money (prices, amounts, balances) is NUMERIC(18,4): exact on the server. The local file
--     is made with DOUBLE PRECISION in its place (the loader swaps the type), and the program
--     makes those values exact again as it reads them
--   * every statement ends with a semicolon at the end of its line and no semicolon appears
--     anywhere else, so a loader may split the file on them
--
-- Some column names are misspelt on purpose (Clolor, BirhtDate, and Addmonty in the till's
-- CXTemp): they are the names the back office has always used.
--
-- Several statements of the till join these tables and name columns without a table prefix
-- (StopFlag, Quantity, StoreNo, OrderDate, CXFlag, GoodsCode ...). A column added to one table
-- that already exists in another table of such a join makes those statements ambiguous, so
-- add columns here only after checking the joins.

-- Goods. CSOptions: 1 choose colour, 2 choose size, 3 both, other neither. StopFlag non-zero =
-- withdrawn from sale. ProduceArea, when not empty and not 0, is read as a fixed discount
-- percentage, so it must hold a number or nothing. Clolor is only a placeholder the goods
-- search returns under the colour and size column names until the colour/size step fills them.
CREATE TABLE JBGoods (
  GoodsNo VARCHAR(20) NOT NULL PRIMARY KEY,
  GoodsCode VARCHAR(30),
  BarCode VARCHAR(40),
  GoodsName VARCHAR(50),
  GoodsTypeNo VARCHAR(20),
  Model VARCHAR(50),
  BaseUnit VARCHAR(10),
  ProduceArea VARCHAR(20),
  ProduceName VARCHAR(60),
  MinSPrice NUMERIC(18,4) DEFAULT 0,
  SRefPrice NUMERIC(18,4) DEFAULT 0,
  CostPrice NUMERIC(18,4) DEFAULT 0,
  MemberPrice NUMERIC(18,4) DEFAULT 0,
  SUSRefPrice NUMERIC(18,4) DEFAULT 0,
  SUMemberPrice NUMERIC(18,4) DEFAULT 0,
  BUSRefPrice NUMERIC(18,4) DEFAULT 0,
  BMemberPrice NUMERIC(18,4) DEFAULT 0,
  SPriceLevel1 NUMERIC(18,4) DEFAULT 0,
  SPriceLevel2 NUMERIC(18,4) DEFAULT 0,
  SPriceLevel3 NUMERIC(18,4) DEFAULT 0,
  SPriceLevel4 NUMERIC(18,4) DEFAULT 0,
  SalesType INTEGER DEFAULT 0,
  SalesPrice NUMERIC(18,4) DEFAULT 0,
  SBeginDate TIMESTAMP,
  SEndDate TIMESTAMP,
  SalesQty DOUBLE PRECISION DEFAULT 0,
  FinishSaleQty DOUBLE PRECISION DEFAULT 0,
  DiscountFlag INTEGER DEFAULT 0,
  StoreFlag INTEGER DEFAULT 1,
  CGroupNo VARCHAR(20),
  SGroupNo VARCHAR(20),
  CSOptions INTEGER DEFAULT 0,
  StopFlag INTEGER DEFAULT 0,
  IsGift INTEGER DEFAULT 0,
  Clolor VARCHAR(20) DEFAULT '',
  DownlogNo INTEGER DEFAULT 0
);
CREATE INDEX ix_jbgoods_barcode ON JBGoods(BarCode);
CREATE INDEX ix_jbgoods_goodscode ON JBGoods(GoodsCode);
CREATE INDEX ix_jbgoods_goodsname ON JBGoods(GoodsName);
CREATE INDEX ix_jbgoods_downlogno ON JBGoods(DownlogNo);
CREATE INDEX ix_jbgoods_isgift ON JBGoods(IsGift);

CREATE TABLE JBGoodsType (
  GoodsTypeNo VARCHAR(20) NOT NULL PRIMARY KEY,
  GoodsTypeCode VARCHAR(20),
  GoodsTypeName VARCHAR(50)
);

-- One barcode per goods, colour and size.
CREATE TABLE JBClothBarCode (
  BarCode VARCHAR(40) NOT NULL PRIMARY KEY,
  GoodsNo VARCHAR(20) NOT NULL,
  ColorNo VARCHAR(20) NOT NULL,
  SizeNo VARCHAR(20) NOT NULL
);
-- The download fetches and deletes barcodes by their goods.
CREATE INDEX ix_jbclothbarcode_goodsno ON JBClothBarCode(GoodsNo);

CREATE TABLE JBColor (
  ColorNo VARCHAR(20) NOT NULL PRIMARY KEY,
  ColorCode VARCHAR(20),
  ColorName VARCHAR(30)
);

CREATE TABLE JBCGroup (
  CGroupNo VARCHAR(20) NOT NULL PRIMARY KEY,
  CGroupCode VARCHAR(20),
  CGroupName VARCHAR(30)
);

-- The key leads with the group, which is how the colour chooser and the download read it.
CREATE TABLE JBCGroupDetail (
  CGroupNo VARCHAR(20) NOT NULL,
  ColorNo VARCHAR(20) NOT NULL,
  PRIMARY KEY (CGroupNo, ColorNo)
);

CREATE TABLE JBSize (
  SizeNo VARCHAR(20) NOT NULL PRIMARY KEY,
  SizeCode VARCHAR(20),
  SizeName VARCHAR(30)
);

CREATE TABLE JBSGroup (
  SGroupNo VARCHAR(20) NOT NULL PRIMARY KEY,
  SGroupCode VARCHAR(20),
  SGroupName VARCHAR(30)
);

CREATE TABLE JBSGroupDetail (
  SGroupNo VARCHAR(20) NOT NULL,
  SizeNo VARCHAR(20) NOT NULL,
  PRIMARY KEY (SGroupNo, SizeNo)
);

-- Stopflag 1 = has left. QTEmployeeFlag 1 = front-desk sales assistant. The till filters with
-- Stopflag<>1, which a NULL would fail, hence the default.
CREATE TABLE JBEmployee (
  EmployeeNo VARCHAR(20) NOT NULL PRIMARY KEY,
  EmployeeCode VARCHAR(20),
  EmployeeName VARCHAR(30),
  Stopflag INTEGER DEFAULT 0,
  QTEmployeeFlag INTEGER DEFAULT 0,
  DownlogNo INTEGER DEFAULT 0
);
CREATE INDEX ix_jbemployee_employeecode ON JBEmployee(EmployeeCode);
CREATE INDEX ix_jbemployee_downlogno ON JBEmployee(DownlogNo);

-- PriceLevel 1 to 4 selects SPriceLevel1 to SPriceLevel4 of the goods, anything else SRefPrice.
CREATE TABLE JBStore (
  StoreNo VARCHAR(20) NOT NULL PRIMARY KEY,
  StoreCode VARCHAR(20),
  StoreName VARCHAR(50),
  PriceLevel INTEGER DEFAULT 0,
  DownlogNo INTEGER DEFAULT 0
);
CREATE INDEX ix_jbstore_downlogno ON JBStore(DownlogNo);

-- The organisation row. FirstLen and LastLen are the characters a scanner adds in front of and
-- after a colour/size barcode, and the barcode search cuts them off.
CREATE TABLE JBOrgan (
  OrganNo VARCHAR(20) NOT NULL PRIMARY KEY,
  OrganName VARCHAR(60),
  FirstLen INTEGER DEFAULT 0,
  LastLen INTEGER DEFAULT 0
);

-- IsRegist 1 = a till has already taken this shop.
CREATE TABLE QTShop (
  ShopNo VARCHAR(20) NOT NULL PRIMARY KEY,
  ShopCode VARCHAR(10),
  ShopName VARCHAR(50),
  StoreNo VARCHAR(20),
  IsRegist INTEGER DEFAULT 0,
  DownlogNo INTEGER DEFAULT 0
);
CREATE INDEX ix_qtshop_downlogno ON QTShop(DownlogNo);

-- Downloaded with QTShop. The till reads none of its columns.
CREATE TABLE QTShopTem (
  ShopTemNo VARCHAR(20) NOT NULL PRIMARY KEY,
  ShopNo VARCHAR(20),
  Memo VARCHAR(200),
  DownlogNo INTEGER DEFAULT 0
);
CREATE INDEX ix_qtshoptem_downlogno ON QTShopTem(DownlogNo);

-- PremiumRate is the lowest discount percentage the cashier may give, 0 means no limit.
CREATE TABLE QTCashier (
  CashierNo VARCHAR(20) NOT NULL PRIMARY KEY,
  CashierCode VARCHAR(20),
  CashierName VARCHAR(30),
  Password VARCHAR(30) DEFAULT '',
  ShopNo VARCHAR(20),
  PremiumRate DOUBLE PRECISION DEFAULT 0,
  DownlogNo INTEGER DEFAULT 0
);
CREATE INDEX ix_qtcashier_cashiercode ON QTCashier(CashierCode);
CREATE INDEX ix_qtcashier_downlogno ON QTCashier(DownlogNo);

-- One row per granted right. The key leads with CashierNo, which is the column every rights
-- check filters on, so it needs no index of its own.
CREATE TABLE QTCashierRight (
  CashierNo VARCHAR(20) NOT NULL,
  RightID INTEGER NOT NULL,
  PRIMARY KEY (CashierNo, RightID)
);

-- Membership and stored-value cards. CardType 储值卡 = stored-value card, any other text a
-- membership card. Discount 0 is read as 100. The card is typed or swiped as CardsCode, or
-- found by Telephone.
CREATE TABLE QTCards (
  CardNo VARCHAR(20) NOT NULL PRIMARY KEY,
  CardsCode VARCHAR(30),
  HolderName VARCHAR(30),
  Telephone VARCHAR(30),
  Sex VARCHAR(4),
  BirhtDate TIMESTAMP,
  Address VARCHAR(100),
  CardType VARCHAR(20),
  SalesType VARCHAR(20),
  Discount DOUBLE PRECISION DEFAULT 100,
  Password VARCHAR(30) DEFAULT '',
  StopFlag INTEGER DEFAULT 0,
  SendDate TIMESTAMP,
  BeginDate TIMESTAMP,
  SendOperator VARCHAR(30),
  Amount NUMERIC(18,4) DEFAULT 0,
  TotalSaleAmount NUMERIC(18,4) DEFAULT 0,
  TotalSaleCount INTEGER DEFAULT 0,
  PointTotal DOUBLE PRECISION DEFAULT 0,
  DownLogNo INTEGER DEFAULT 0
);
CREATE INDEX ix_qtcards_cardscode ON QTCards(CardsCode);
CREATE INDEX ix_qtcards_telephone ON QTCards(Telephone);
CREATE INDEX ix_qtcards_downlogno ON QTCards(DownLogNo);

-- Discount tiers of cards that discount by accumulated points. Both bounds are included.
CREATE TABLE QTCardDiscount (
  IntegralNo VARCHAR(20) NOT NULL PRIMARY KEY,
  DownAmount DOUBLE PRECISION DEFAULT 0,
  UpAmount DOUBLE PRECISION DEFAULT 0,
  Discount DOUBLE PRECISION DEFAULT 100
);

-- The back office's option row. Integer flags are 1 = on. The Print... flags and
-- SPNotDiscount/VIPNotDiscount are the text 1 or 0, as the till copies them into its settings
-- file verbatim. AllowNegativeStock 1 lets the day-sale posting take stock below zero.
CREATE TABLE QTSysSet (
  SysSetNo VARCHAR(20) NOT NULL PRIMARY KEY,
  AmountPoint INTEGER DEFAULT 2,
  PerJFAmount NUMERIC(18,4) DEFAULT 1,
  DiscountAdd INTEGER DEFAULT 0,
  PrintTwo INTEGER DEFAULT 0,
  ManuDownCX INTEGER DEFAULT 0,
  LowMinStock INTEGER DEFAULT 0,
  HasGuid INTEGER DEFAULT 0,
  BackFlag INTEGER DEFAULT 0,
  XSTotal INTEGER DEFAULT 0,
  AllChangeGF INTEGER DEFAULT 0,
  BackDays INTEGER DEFAULT 7,
  SPNotDiscount VARCHAR(1) DEFAULT '1',
  VIPNotDiscount VARCHAR(1) DEFAULT '1',
  PrintDiscount VARCHAR(1) DEFAULT '0',
  PrintCardNo VARCHAR(1) DEFAULT '0',
  PrintOrderNo VARCHAR(1) DEFAULT '0',
  PrintDisAmount VARCHAR(1) DEFAULT '0',
  PrintPOSEmployee VARCHAR(1) DEFAULT '0',
  Header VARCHAR(100) DEFAULT '',
  HeaderExplain VARCHAR(100) DEFAULT '',
  Footer VARCHAR(100) DEFAULT '',
  FooterExplain VARCHAR(100) DEFAULT '',
  PrintContent VARCHAR(30) DEFAULT '品名+数量+单价+金额',
  AllowNegativeStock INTEGER DEFAULT 0
);

-- Promotion orders. CXFlag is the kind, CXQty, GiftQty and AddMoney its three parameters.
-- StoreNoList holds the numbers of the stores it applies to and is tested as a substring.
-- The promotion runs from Begindate to EndDate inclusive, by day, once Checkflag is 1.
CREATE TABLE QTCXOrder (
  ORderNo VARCHAR(30) NOT NULL PRIMARY KEY,
  CXFlag INTEGER DEFAULT 0,
  CXQty INTEGER DEFAULT 0,
  GiftQty INTEGER DEFAULT 0,
  AddMoney DOUBLE PRECISION DEFAULT 0,
  StoreNoList TEXT,
  Begindate TIMESTAMP,
  EndDate TIMESTAMP,
  Checkflag INTEGER DEFAULT 0,
  CXMemo VARCHAR(200)
);

CREATE TABLE QTCXOrderDetail (
  OrderNo VARCHAR(30) NOT NULL,
  GoodsNo VARCHAR(20) NOT NULL,
  SPrice NUMERIC(18,4) DEFAULT 0,
  Discount DOUBLE PRECISION DEFAULT 100,
  PRIMARY KEY (OrderNo, GoodsNo)
);
-- Every line priced looks up the promotion of its goods.
CREATE INDEX ix_qtcxorderdetail_goodsno ON QTCXOrderDetail(GoodsNo);

-- Sale order headers. TotalFlag 0 or NULL = not yet posted by the day-end.
CREATE TABLE QTSaleOrder (
  OrderNo VARCHAR(30) NOT NULL PRIMARY KEY,
  OrderDate TIMESTAMP,
  StoreNo VARCHAR(20),
  ShopNo VARCHAR(20),
  CashierNo VARCHAR(20),
  EmployeeNo VARCHAR(20),
  OnOverOrderNo VARCHAR(30),
  Discount DOUBLE PRECISION DEFAULT 100,
  Amount NUMERIC(18,4) DEFAULT 0,
  RealAmount NUMERIC(18,4) DEFAULT 0,
  AdjustAmount NUMERIC(18,4) DEFAULT 0,
  CardCode VARCHAR(30) DEFAULT '',
  CashAmount NUMERIC(18,4) DEFAULT 0,
  CardAmount NUMERIC(18,4) DEFAULT 0,
  BankCardNo VARCHAR(30) DEFAULT '',
  BankCardAmount NUMERIC(18,4) DEFAULT 0,
  Card1Amount NUMERIC(18,4) DEFAULT 0,
  BackAmount NUMERIC(18,4) DEFAULT 0,
  TotalFlag INTEGER DEFAULT 0,
  Memo VARCHAR(200)
);
-- The sales list and the return picker select by day.
CREATE INDEX ix_qtsaleorder_orderdate ON QTSaleOrder(OrderDate);
-- A shift's sales are found by the shift's number.
CREATE INDEX ix_qtsaleorder_onoverorderno ON QTSaleOrder(OnOverOrderNo);

-- Sale order lines. Quantity is negative for a returned item. PriceFlag 11 = gift.
CREATE TABLE QTSaleOrderDetail (
  OrderNo VARCHAR(30) NOT NULL,
  SerialNo INTEGER NOT NULL,
  GoodsNo VARCHAR(20),
  ColorNo VARCHAR(20),
  SizeNo VARCHAR(20),
  OrigPrice NUMERIC(18,4) DEFAULT 0,
  Price NUMERIC(18,4) DEFAULT 0,
  Quantity DOUBLE PRECISION DEFAULT 0,
  Discount DOUBLE PRECISION DEFAULT 100,
  Amount NUMERIC(18,4) DEFAULT 0,
  CKPrice NUMERIC(18,4) DEFAULT 0,
  CKAmount NUMERIC(18,4) DEFAULT 0,
  Memo VARCHAR(200),
  PriceFlag INTEGER DEFAULT 0,
  CXOrderNo VARCHAR(30),
  CXFlag INTEGER DEFAULT -1,
  CXQty INTEGER DEFAULT 0,
  GiftQty INTEGER DEFAULT 0,
  AddMoney DOUBLE PRECISION DEFAULT 0,
  PRIMARY KEY (OrderNo, SerialNo)
);

-- Cashier shifts. Kept in the till's file and uploaded once closed. OverFlag 0 open, 1 closed.
CREATE TABLE QTOnOverOrder (
  OrderNo VARCHAR(30) NOT NULL PRIMARY KEY,
  ShopNo VARCHAR(20),
  CashierNo VARCHAR(20),
  OnTime TIMESTAMP,
  OnBoxAmount NUMERIC(18,4) DEFAULT 0,
  SaleAmount NUMERIC(18,4) DEFAULT 0,
  GetAmount NUMERIC(18,4) DEFAULT 0,
  OverAmount NUMERIC(18,4) DEFAULT 0,
  OverFlag INTEGER DEFAULT 0,
  OverTime TIMESTAMP
);
-- The upload reads the closed shifts.
CREATE INDEX ix_qtonoverorder_overflag ON QTOnOverOrder(OverFlag);

-- Stored-value top-ups, numbered by the till with the largest AddCardNo plus one. They are
-- written on the server only, but clearing the till's data empties this table together with
-- the others, so the local file has an empty copy of it.
CREATE TABLE QTAddCardAmount (
  AddCardNo VARCHAR(20) NOT NULL PRIMARY KEY,
  CardsCode VARCHAR(30),
  AddDate TIMESTAMP,
  Operator VARCHAR(30),
  EndAmount NUMERIC(18,4) DEFAULT 0,
  Amount NUMERIC(18,4) DEFAULT 0
);
