-- Server-only objects of an account database (PostgreSQL 15), created after common.sql:
-- the tables the till reads or writes only online, the fragment-search indexes and the two
-- server procedures P_QTSelectGoods and P_QTDaySale_Total.
--
-- The function bodies contain semicolons, so this file is meant to be sent whole (psql -f, or
-- one simple-protocol execution), not split at semicolons.

-- Stored-value top-ups (the table is in common.sql): the till looks them up by card.
CREATE INDEX ix_qtaddcardamount_cardscode ON QTAddCardAmount(CardsCode);

-- Stored-value payments of sales made offline that the card's balance on the server no longer
-- covered when the sale was uploaded (another till had spent it meanwhile). The sale stands as
-- it was made; the balance is taken down to zero, never below, and what it did not cover is
-- kept here for the back office to settle with the customer.
CREATE TABLE QTCardShortfall (
  OrderNo VARCHAR(30) NOT NULL PRIMARY KEY,
  CardsCode VARCHAR(30),
  CardAmount NUMERIC(18,4) DEFAULT 0,
  DebitAmount NUMERIC(18,4) DEFAULT 0,
  ShortAmount NUMERIC(18,4) DEFAULT 0,
  UploadDate TIMESTAMP
);
CREATE INDEX ix_qtcardshortfall_cardscode ON QTCardShortfall(CardsCode);

-- The money of a stored sale adds up, for sales and returns alike, whatever till or upload
-- sent it: the parts pay exactly the amount due, each part has the sign of that amount (a sale
-- takes money, a return gives it back), rounding never takes the amount past zero and change is
-- never negative. The tills check the same before they send; this is the books' own guard.
ALTER TABLE QTSaleOrder
  ADD CONSTRAINT ck_qtsaleorder_parts_sum CHECK (
    coalesce(CashAmount, 0) + coalesce(CardAmount, 0) + coalesce(BankCardAmount, 0)
      + coalesce(Card1Amount, 0) = coalesce(RealAmount, 0)),
  ADD CONSTRAINT ck_qtsaleorder_parts_sign CHECK (
    CASE WHEN coalesce(RealAmount, 0) >= 0
      THEN least(coalesce(CashAmount, 0), coalesce(CardAmount, 0), coalesce(BankCardAmount, 0),
                 coalesce(Card1Amount, 0)) >= 0
      ELSE greatest(coalesce(CashAmount, 0), coalesce(CardAmount, 0),
                    coalesce(BankCardAmount, 0), coalesce(Card1Amount, 0)) <= 0
    END),
  ADD CONSTRAINT ck_qtsaleorder_rounding_sign CHECK (
    sign(coalesce(RealAmount, 0)) * sign(coalesce(Amount, 0)) >= 0),
  ADD CONSTRAINT ck_qtsaleorder_change CHECK (coalesce(BackAmount, 0) >= 0);

-- Current stock per store, goods, colour and size. The day-sale posting books sales off it and
-- the till's stock list and negative-stock warning read it.
CREATE TABLE CKCurrStoreCS (
  StoreNo VARCHAR(20) NOT NULL,
  GoodsNo VARCHAR(20) NOT NULL,
  ColorNo VARCHAR(20) NOT NULL,
  SizeNo VARCHAR(20) NOT NULL,
  Quantity DOUBLE PRECISION DEFAULT 0,
  PRIMARY KEY (StoreNo, GoodsNo, ColorNo, SizeNo)
);

-- Announcements. The main window lists those of the last 15 days.
CREATE TABLE FZAffiche (
  AfficheNo VARCHAR(20) NOT NULL PRIMARY KEY,
  AfficheDate TIMESTAMP,
  AfficheMan VARCHAR(30),
  AfficheSubject VARCHAR(100),
  AfficheContent TEXT
);
CREATE INDEX ix_fzaffiche_affichedate ON FZAffiche(AfficheDate);

-- The back office's users. The till only opens "Select UserNo From JBUser Where 1<>1" on it to
-- tell a lost connection from other errors.
CREATE TABLE JBUser (
  UserNo VARCHAR(20) NOT NULL PRIMARY KEY,
  UserName VARCHAR(30)
);

-- Which till took a shop (its local file's QTTill.TillId), beside IsRegist. A shop is taken only
-- while IsRegist is 0, or by the till that already holds it: a till whose settings lost the
-- shop (an interruption, a full disk, clearing the data) takes its own shop back instead of
-- seeing it vanish from the list, and no two tills ever hold one shop.
ALTER TABLE QTShop ADD COLUMN RegistTill VARCHAR(40);

-- Fragment search ('%x%' on barcode, code and name, case-insensitive) would read the whole
-- goods table without trigram indexes. pg_trgm is a trusted extension: the database owner may
-- create it.
CREATE EXTENSION IF NOT EXISTS pg_trgm;
CREATE INDEX ix_jbgoods_barcode_trgm ON JBGoods USING gin (BarCode gin_trgm_ops);
CREATE INDEX ix_jbgoods_goodscode_trgm ON JBGoods USING gin (GoodsCode gin_trgm_ops);
CREATE INDEX ix_jbgoods_goodsname_trgm ON JBGoods USING gin (GoodsName gin_trgm_ops);

-- The online goods search. Returns the goods candidate rows of the first search that finds
-- anything, in the order the till's offline search uses:
--   1 主条码  colour/size barcode, after cutting JBOrgan.FirstLen characters from the front
--            and LastLen from the end of the scanned code; colour and size come with it
--   2 条码    the goods' own barcode
--   3 代码    goods code
--   4 名称    goods name
--   5 模糊    barcode, code or name containing the code (case-insensitive; %, _ and \ in the
--            code match themselves)
-- Withdrawn goods (StopFlag not null and not 0) are never returned. For the four goods
-- searches the colour and size columns carry the goods' Clolor placeholder, which the till
-- overwrites when the cashier chooses colour and size.
-- SelectType 0 runs the searches in that order. 1 to 5 run only that one search (for tools and
-- tests); any other value counts as 0. The till always passes 0.
-- An empty code finds nothing: the fragment search would otherwise return every goods.
CREATE OR REPLACE FUNCTION P_QTSelectGoods(Goods TEXT, SelectType INTEGER DEFAULT 0)
RETURNS TABLE (
  ReturnType VARCHAR,
  GoodsNo VARCHAR,
  ColorNo VARCHAR,
  ColorName VARCHAR,
  SizeNo VARCHAR,
  SizeName VARCHAR,
  BarCode VARCHAR,
  GoodsCode VARCHAR,
  GoodsName VARCHAR,
  ProduceArea VARCHAR,
  ProduceName VARCHAR,
  Model VARCHAR,
  BaseUnit VARCHAR,
  MinSPrice NUMERIC(18,4),
  SRefPrice NUMERIC(18,4),
  CostPrice NUMERIC(18,4),
  MemberPrice NUMERIC(18,4),
  StoreFlag INTEGER,
  DiscountFlag INTEGER,
  UnitRate DOUBLE PRECISION,
  CGroupNo VARCHAR,
  SGroupNo VARCHAR,
  CSOptions INTEGER
)
LANGUAGE plpgsql STABLE
AS $$
#variable_conflict use_column
DECLARE
  v_code TEXT := coalesce(Goods, '');
  v_only INTEGER := CASE WHEN SelectType BETWEEN 1 AND 5 THEN SelectType ELSE 0 END;
  v_first INTEGER := 0;
  v_last INTEGER := 0;
  v_cut TEXT := '';
  v_pattern TEXT;
BEGIN
  IF v_code = '' THEN
    RETURN;
  END IF;

  IF v_only IN (0, 1) THEN
    SELECT greatest(coalesce(o.FirstLen, 0), 0), greatest(coalesce(o.LastLen, 0), 0)
      INTO v_first, v_last
      FROM JBOrgan o ORDER BY o.OrganNo LIMIT 1;
    v_first := coalesce(v_first, 0);
    v_last := coalesce(v_last, 0);
    IF length(v_code) > v_first + v_last THEN
      v_cut := substr(v_code, v_first + 1, length(v_code) - v_first - v_last);
    END IF;
    -- A code no longer than the scanner's framing cannot be a colour/size barcode.
    IF v_cut <> '' THEN
      RETURN QUERY
        SELECT '主条码'::VARCHAR, a.GoodsNo, a.ColorNo, c.ColorName, a.SizeNo, d.SizeName,
               a.BarCode, b.GoodsCode, b.GoodsName, b.ProduceArea, b.ProduceName, b.Model,
               b.BaseUnit, b.MinSPrice, b.SRefPrice, b.CostPrice, b.MemberPrice, b.StoreFlag,
               b.DiscountFlag, 1::DOUBLE PRECISION, b.CGroupNo, b.SGroupNo, b.CSOptions
          FROM JBClothBarCode a
          JOIN JBGoods b ON b.GoodsNo = a.GoodsNo
          LEFT JOIN JBColor c ON c.ColorNo = a.ColorNo
          LEFT JOIN JBSize d ON d.SizeNo = a.SizeNo
         WHERE a.BarCode = v_cut AND coalesce(b.StopFlag, 0) = 0
         ORDER BY b.GoodsCode, a.BarCode;
      IF FOUND THEN
        RETURN;
      END IF;
    END IF;
  END IF;

  IF v_only IN (0, 2) THEN
    RETURN QUERY
      SELECT '条码'::VARCHAR, b.GoodsNo, b.Clolor, b.Clolor, b.Clolor, b.Clolor, b.BarCode,
             b.GoodsCode, b.GoodsName, b.ProduceArea, b.ProduceName, b.Model, b.BaseUnit,
             b.MinSPrice, b.SRefPrice, b.CostPrice, b.MemberPrice, b.StoreFlag, b.DiscountFlag,
             1::DOUBLE PRECISION, b.CGroupNo, b.SGroupNo, b.CSOptions
        FROM JBGoods b
       WHERE b.BarCode = v_code AND coalesce(b.StopFlag, 0) = 0
       ORDER BY b.GoodsCode, b.GoodsNo;
    IF FOUND THEN
      RETURN;
    END IF;
  END IF;

  IF v_only IN (0, 3) THEN
    RETURN QUERY
      SELECT '代码'::VARCHAR, b.GoodsNo, b.Clolor, b.Clolor, b.Clolor, b.Clolor, b.BarCode,
             b.GoodsCode, b.GoodsName, b.ProduceArea, b.ProduceName, b.Model, b.BaseUnit,
             b.MinSPrice, b.SRefPrice, b.CostPrice, b.MemberPrice, b.StoreFlag, b.DiscountFlag,
             1::DOUBLE PRECISION, b.CGroupNo, b.SGroupNo, b.CSOptions
        FROM JBGoods b
       WHERE b.GoodsCode = v_code AND coalesce(b.StopFlag, 0) = 0
       ORDER BY b.GoodsCode, b.GoodsNo;
    IF FOUND THEN
      RETURN;
    END IF;
  END IF;

  IF v_only IN (0, 4) THEN
    RETURN QUERY
      SELECT '名称'::VARCHAR, b.GoodsNo, b.Clolor, b.Clolor, b.Clolor, b.Clolor, b.BarCode,
             b.GoodsCode, b.GoodsName, b.ProduceArea, b.ProduceName, b.Model, b.BaseUnit,
             b.MinSPrice, b.SRefPrice, b.CostPrice, b.MemberPrice, b.StoreFlag, b.DiscountFlag,
             1::DOUBLE PRECISION, b.CGroupNo, b.SGroupNo, b.CSOptions
        FROM JBGoods b
       WHERE b.GoodsName = v_code AND coalesce(b.StopFlag, 0) = 0
       ORDER BY b.GoodsCode, b.GoodsNo;
    IF FOUND THEN
      RETURN;
    END IF;
  END IF;

  IF v_only IN (0, 5) THEN
    -- The typed code is matched literally: the LIKE wildcards and the escape character in it
    -- are escaped, and the pattern is a bound value, never part of the statement text.
    v_pattern := '%' || replace(replace(replace(v_code, E'\\', E'\\\\'), '%', E'\\%'), '_', E'\\_')
                 || '%';
    RETURN QUERY
      SELECT '模糊'::VARCHAR, b.GoodsNo, b.Clolor, b.Clolor, b.Clolor, b.Clolor, b.BarCode,
             b.GoodsCode, b.GoodsName, b.ProduceArea, b.ProduceName, b.Model, b.BaseUnit,
             b.MinSPrice, b.SRefPrice, b.CostPrice, b.MemberPrice, b.StoreFlag, b.DiscountFlag,
             1::DOUBLE PRECISION, b.CGroupNo, b.SGroupNo, b.CSOptions
        FROM JBGoods b
       WHERE (b.BarCode ILIKE v_pattern ESCAPE E'\\'
              OR b.GoodsCode ILIKE v_pattern ESCAPE E'\\'
              OR b.GoodsName ILIKE v_pattern ESCAPE E'\\')
         AND coalesce(b.StopFlag, 0) = 0
       ORDER BY b.GoodsCode, b.GoodsNo;
  END IF;
END;
$$;

-- The lines of a sale order that move stock, one row per goods, colour and size with the
-- summed quantity. The money goods ZS001 of promotion money lines, and goods with StoreFlag 0
-- (not kept in stock), are not stock and are left out.
CREATE OR REPLACE FUNCTION quilmo_sale_stock_lines(order_no TEXT)
RETURNS TABLE (GoodsNo VARCHAR, ColorNo VARCHAR, SizeNo VARCHAR, Qty DOUBLE PRECISION,
               FirstSerial INTEGER)
LANGUAGE sql STABLE
AS $$
  SELECT d.GoodsNo, coalesce(d.ColorNo, '')::VARCHAR, coalesce(d.SizeNo, '')::VARCHAR,
         sum(coalesce(d.Quantity, 0)), min(d.SerialNo)
    FROM QTSaleOrderDetail d
    LEFT JOIN JBGoods g ON g.GoodsNo = d.GoodsNo
   WHERE d.OrderNo = order_no
     AND d.GoodsNo IS NOT NULL
     AND coalesce(g.StoreFlag, 1) <> 0
     AND coalesce(g.GoodsCode, '') <> 'ZS001'
   GROUP BY d.GoodsNo, coalesce(d.ColorNo, ''), coalesce(d.SizeNo, '')
$$;

-- Posts a saved sale to stock: every stock line of the order comes off CKCurrStoreCS of the
-- order's store (a returned item, with its negative quantity, goes back on), a missing stock
-- row counting as 0 and being created, and the order is marked TotalFlag = 1.
-- When a sold line would take stock below zero and QTSysSet.AllowNegativeStock is not 1, the
-- answer is ReturnMsg 1 with the stock there is in ReturnQty and the goods' name in GoodsName,
-- and nothing at all is written: the till then refuses the sale and rolls its transaction
-- back. Otherwise ReturnMsg 0. An order that is already posted is not booked twice (0); an
-- order number that does not exist answers 2. Neither is an error, as only 1 stops a sale.
-- CheckMan, the cashier's name, is part of the call but not kept: who sold is on the order.
-- Call: SELECT ReturnMsg, ReturnQty, GoodsName FROM P_QTDaySale_Total(:CheckMan, :OrderNo)
-- inside the transaction that saved the order.
-- It runs with its owner's rights (SECURITY DEFINER), so a till's login may post a sale to
-- stock without being allowed to write the stock table itself.
CREATE OR REPLACE FUNCTION P_QTDaySale_Total(CheckMan VARCHAR(20), OrderNo VARCHAR(20),
                                  OUT ReturnMsg SMALLINT, OUT ReturnQty DOUBLE PRECISION,
                                  OUT GoodsName VARCHAR(50))
LANGUAGE plpgsql VOLATILE
SECURITY DEFINER SET search_path = public, pg_temp
AS $$
#variable_conflict use_column
DECLARE
  v_order_no TEXT := $2;
  v_store TEXT;
  v_posted INTEGER;
  v_allow INTEGER;
  v_short RECORD;
BEGIN
  ReturnMsg := 0;
  ReturnQty := 0;
  GoodsName := '';

  -- Locking the order keeps two calls for the same order from both booking it.
  SELECT o.StoreNo, o.TotalFlag INTO v_store, v_posted
    FROM QTSaleOrder o WHERE o.OrderNo = v_order_no FOR UPDATE;
  IF NOT FOUND THEN
    ReturnMsg := 2;
    RETURN;
  END IF;
  IF coalesce(v_posted, 0) = 1 THEN
    RETURN;
  END IF;
  v_store := coalesce(v_store, '');

  -- Lock the stock rows this order touches, always in the same order, so that two tills
  -- selling the same goods check and book one after the other and never deadlock. Rows that
  -- do not exist yet hold no stock, so a sale against them is refused anyway (or, with
  -- negative stock allowed, the insert below settles who comes first).
  PERFORM 1
     FROM CKCurrStoreCS s
     JOIN quilmo_sale_stock_lines(v_order_no) l
       ON s.GoodsNo = l.GoodsNo AND s.ColorNo = l.ColorNo AND s.SizeNo = l.SizeNo
    WHERE s.StoreNo = v_store
    ORDER BY s.GoodsNo, s.ColorNo, s.SizeNo
      FOR UPDATE OF s;

  SELECT coalesce(q.AllowNegativeStock, 0) INTO v_allow
    FROM QTSysSet q ORDER BY q.SysSetNo LIMIT 1;

  IF coalesce(v_allow, 0) <> 1 THEN
    SELECT l.GoodsNo AS goods_no, coalesce(s.Quantity, 0) AS stock, g.GoodsName AS goods_name
      INTO v_short
      FROM quilmo_sale_stock_lines(v_order_no) l
      LEFT JOIN CKCurrStoreCS s
        ON s.StoreNo = v_store AND s.GoodsNo = l.GoodsNo AND s.ColorNo = l.ColorNo
       AND s.SizeNo = l.SizeNo
      LEFT JOIN JBGoods g ON g.GoodsNo = l.GoodsNo
     WHERE l.Qty > 0 AND coalesce(s.Quantity, 0) - l.Qty < 0
     ORDER BY l.FirstSerial
     LIMIT 1;
    IF FOUND THEN
      ReturnMsg := 1;
      ReturnQty := v_short.stock;
      -- The till only refuses when a name comes back, so never answer with an empty one.
      GoodsName := coalesce(nullif(v_short.goods_name, ''), v_short.goods_no);
      RETURN;
    END IF;
  END IF;

  INSERT INTO CKCurrStoreCS AS s (StoreNo, GoodsNo, ColorNo, SizeNo, Quantity)
  SELECT v_store, l.GoodsNo, l.ColorNo, l.SizeNo, -l.Qty
    FROM quilmo_sale_stock_lines(v_order_no) l
   WHERE l.Qty <> 0
  ON CONFLICT (StoreNo, GoodsNo, ColorNo, SizeNo)
  DO UPDATE SET Quantity = coalesce(s.Quantity, 0) + EXCLUDED.Quantity;

  UPDATE QTSaleOrder o SET TotalFlag = 1 WHERE o.OrderNo = v_order_no;
END;
$$;
REVOKE ALL ON FUNCTION P_QTDaySale_Total(VARCHAR, VARCHAR) FROM PUBLIC;

-- The rights of a till's own login on this account database, and no more: it reads the master
-- data; writes sales, shift records, card balances and top-ups; marks its shop as taken;
-- counts goods promotions down and ends them; changes a cashier's password; and runs the two
-- server procedures. It cannot create, drop or empty a table, nor change prices, stock or
-- anything else of the back office. quilmo-admin makes the login and calls this; the login
-- is a name, so it is quoted by format(), never spliced.
CREATE OR REPLACE FUNCTION quilmo_grant_till(login TEXT) RETURNS void
LANGUAGE plpgsql
AS $$
BEGIN
  EXECUTE format('GRANT CONNECT ON DATABASE %I TO %I', current_database(), login);
  EXECUTE format('GRANT USAGE ON SCHEMA public TO %I', login);
  EXECUTE format('GRANT SELECT ON ALL TABLES IN SCHEMA public TO %I', login);
  EXECUTE format('GRANT INSERT ON QTSaleOrder, QTSaleOrderDetail, QTAddCardAmount TO %I', login);
  EXECUTE format('GRANT INSERT, UPDATE ON QTOnOverOrder TO %I', login);
  EXECUTE format('GRANT UPDATE ON QTCards TO %I', login);
  -- Top-ups are numbered under a table lock, which PostgreSQL grants to writers only.
  EXECUTE format('GRANT UPDATE ON QTAddCardAmount TO %I', login);
  EXECUTE format('GRANT INSERT ON QTCardShortfall TO %I', login);
  EXECUTE format('GRANT UPDATE (IsRegist, RegistTill) ON QTShop TO %I', login);
  EXECUTE format('GRANT UPDATE (Password) ON QTCashier TO %I', login);
  EXECUTE format('GRANT UPDATE (SalesType, SBeginDate, SEndDate, SalesQty, FinishSaleQty) '
                 'ON JBGoods TO %I', login);
  EXECUTE format('GRANT EXECUTE ON FUNCTION P_QTSelectGoods(TEXT, INTEGER), '
                 'P_QTDaySale_Total(VARCHAR, VARCHAR) TO %I', login);
END;
$$;
REVOKE ALL ON FUNCTION quilmo_grant_till(TEXT) FROM PUBLIC;


-- Stores one sale order in one statement, so that saving or uploading it costs the till one
-- round trip: the header and its lines (given as JSON objects with the tables' column names),
-- the card's sales total, sale count, points (worked out by the till from the order) and
-- stored-value balance, the quantities sold at the goods' own promotion prices, and, when
-- p_post_stock is set, the stock posting P_QTDaySale_Total. A call is one transaction.
--   Result 0: stored.
--   Result 1: P_QTDaySale_Total refused the sale (stock would turn negative); GoodsName names
--             the goods and nothing at all was written.
--   Result 2: p_only_new was set and the server already holds an order of that number (an
--             upload interrupted after its commit); nothing was written.
--   Result 3: the card's balance does not cover the order's CardAmount; nothing was written.
-- The stored-value payment is taken in one conditional statement, only when the balance covers
-- it, so two tills paying from one card at once can never take more than it holds: the second
-- waits for the first's row lock and then sees the lower balance. A sale made offline and now
-- uploaded (p_uploaded) happened already and is never refused: the balance gives what it holds,
-- down to zero, and what it did not cover is written to QTCardShortfall for the back office.
-- A changed card gets the next DownLogNo under a lock held to the commit, so card changes
-- commit in DownLogNo order and a till that has downloaded up to some number never misses a
-- change committed later with a smaller one.
CREATE OR REPLACE FUNCTION quilmo_save_order(p_header JSON, p_lines JSON,
                                             p_points DOUBLE PRECISION, p_check_man VARCHAR,
                                             p_post_stock BOOLEAN, p_only_new BOOLEAN,
                                             p_uploaded BOOLEAN,
                                             OUT Result INTEGER, OUT GoodsName VARCHAR)
LANGUAGE plpgsql VOLATILE
AS $$
DECLARE
  h QTSaleOrder;
  v_post RECORD;
  v_debit NUMERIC(18,4);
  v_balance NUMERIC(18,4);
BEGIN
  h := json_populate_record(NULL::QTSaleOrder, p_header);
  Result := 0;
  GoodsName := '';
  -- Held to the commit: quilmo_order_stored waits for a save of the same order in flight.
  PERFORM pg_advisory_xact_lock(hashtext('QTSaleOrder:' || h.OrderNo));
  IF p_only_new AND EXISTS (SELECT 1 FROM QTSaleOrder o WHERE o.OrderNo = h.OrderNo) THEN
    Result := 2;
    RETURN;
  END IF;
  BEGIN
    INSERT INTO QTSaleOrder SELECT h.*;
    INSERT INTO QTSaleOrderDetail
      SELECT * FROM json_populate_recordset(NULL::QTSaleOrderDetail, p_lines);
    IF coalesce(h.CardCode, '') <> '' THEN
      -- Taken before the card's row, by every save alike, so two saves never wait on each other
      -- the other way round.
      PERFORM pg_advisory_xact_lock(hashtext('QTCards.DownLogNo'));
      v_debit := coalesce(h.CardAmount, 0);
      IF p_uploaded AND v_debit > 0 THEN
        SELECT coalesce(c.Amount, 0) INTO v_balance FROM QTCards c
         WHERE c.CardsCode = h.CardCode ORDER BY c.CardNo LIMIT 1 FOR UPDATE;
        v_debit := least(greatest(coalesce(v_balance, 0), 0), v_debit);
        IF v_debit < h.CardAmount THEN
          INSERT INTO QTCardShortfall (OrderNo, CardsCode, CardAmount, DebitAmount, ShortAmount,
                                       UploadDate)
          VALUES (h.OrderNo, h.CardCode, h.CardAmount, v_debit, h.CardAmount - v_debit,
                  LOCALTIMESTAMP(0));
        END IF;
      END IF;
      UPDATE QTCards c
         SET TotalSaleAmount = coalesce(c.TotalSaleAmount, 0) + coalesce(h.RealAmount, 0),
             TotalSaleCount = coalesce(c.TotalSaleCount, 0) + 1,
             PointTotal = round((coalesce(c.PointTotal, 0) + coalesce(p_points, 0))::NUMERIC, 2),
             Amount = coalesce(c.Amount, 0) - v_debit,
             DownLogNo = (SELECT coalesce(max(x.DownLogNo), 0) + 1 FROM QTCards x)
       WHERE c.CardsCode = h.CardCode
         AND (v_debit <= 0 OR coalesce(c.Amount, 0) >= v_debit);
      IF NOT FOUND AND v_debit > 0 THEN
        RAISE EXCEPTION USING ERRCODE = 'QT002';
      END IF;
    END IF;
    UPDATE JBGoods g
       SET FinishSaleQty = coalesce(g.FinishSaleQty, 0) + s.Qty
      FROM (SELECT l.GoodsNo, sum(coalesce(l.Quantity, 0)) AS Qty
              FROM json_populate_recordset(NULL::QTSaleOrderDetail, p_lines) l
             WHERE l.PriceFlag = 1
             GROUP BY l.GoodsNo) s
     WHERE g.GoodsNo = s.GoodsNo AND g.SalesType IN (2, 3);
    IF p_post_stock THEN
      SELECT * INTO v_post FROM P_QTDaySale_Total(p_check_man, h.OrderNo);
      IF v_post.ReturnMsg = 1 AND coalesce(v_post.GoodsName, '') <> '' THEN
        GoodsName := v_post.GoodsName;
        RAISE EXCEPTION USING ERRCODE = 'QT001';
      END IF;
    END IF;
  EXCEPTION
    WHEN SQLSTATE 'QT001' THEN
      -- Everything this block wrote is rolled back; the goods name stays in GoodsName.
      Result := 1;
    WHEN SQLSTATE 'QT002' THEN
      Result := 3;
  END;
END;
$$;

-- Whether the server holds an order, once no save of it is still in flight: a till that died
-- while its save was on the way asks this before it decides what its shift record is owed.
CREATE OR REPLACE FUNCTION quilmo_order_stored(p_order_no VARCHAR)
RETURNS BOOLEAN
LANGUAGE plpgsql VOLATILE
AS $$
BEGIN
  PERFORM pg_advisory_xact_lock(hashtext('QTSaleOrder:' || p_order_no));
  RETURN EXISTS (SELECT 1 FROM QTSaleOrder o WHERE o.OrderNo = p_order_no);
END;
$$;
