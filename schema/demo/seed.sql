-- Demo back office of a small clothing and shoe chain (锦绣服饰), loaded into a freshly created
-- account database after common.sql and server.sql. Its account name must begin with Demo so
-- that the till skips the login and works as cashier 张三.
--
-- Everything is deterministic: the same file gives the same rows every time. Dates of
-- promotions, cards and announcements are relative to CURRENT_DATE so that the demo stays
-- current. Every download counter (DownlogNo) starts at 1, so a till's first incremental
-- download (counter 0) fetches everything.
--
-- Cashier passwords are all 123. Cards with a password: 8800008 (1234), 9900003 (8888).

-- EAN-13 barcode from its first twelve digits (the thirteenth is the check digit).
CREATE OR REPLACE FUNCTION pg_temp.ean13(body TEXT) RETURNS TEXT
LANGUAGE sql IMMUTABLE
AS $$
  SELECT body || ((10 - sum(substr(body, i, 1)::INTEGER * CASE WHEN i % 2 = 0 THEN 3 ELSE 1 END)
                       % 10) % 10)::TEXT
    FROM generate_series(1, 12) AS i
$$;

-- Organisation. The scanners add nothing around a barcode.
INSERT INTO JBOrgan (OrganNo, OrganName, FirstLen, LastLen) VALUES ('01', '锦绣服饰有限公司', 0, 0);

-- Stores. PriceLevel 0 sells at the reference price, 2 at the goods' SPriceLevel2.
INSERT INTO JBStore (StoreNo, StoreCode, StoreName, PriceLevel, DownlogNo) VALUES
  ('0001', 'CK01', '步行街店仓库', 0, 1),
  ('0002', 'CK02', '万达广场店仓库', 2, 1),
  ('0003', 'CK00', '总部中心仓库', 1, 1);

-- Shops; no till has taken them yet.
INSERT INTO QTShop (ShopNo, ShopCode, ShopName, StoreNo, IsRegist, DownlogNo) VALUES
  ('01', '001', '步行街店', '0001', 0, 1),
  ('02', '002', '万达广场店', '0002', 0, 1);

INSERT INTO QTShopTem (ShopTemNo, ShopNo, Memo, DownlogNo) VALUES
  ('01', '01', '步行街店收银台', 1),
  ('02', '02', '万达广场店收银台', 1);

-- Cashiers. Codes are unique across shops, because after the password check the login looks
-- the cashier up by code alone. PremiumRate is the lowest discount each may give (0 = any).
INSERT INTO QTCashier (CashierNo, CashierCode, CashierName, Password, ShopNo, PremiumRate, DownlogNo) VALUES
  ('1111000001', '001', '张三', '123', '01', 0, 1),
  ('1111000002', '002', '李四', '123', '01', 80, 1),
  ('1111000003', '003', '王五', '123', '01', 90, 1),
  ('1111000004', '101', '赵六', '123', '02', 0, 1),
  ('1111000005', '102', '孙七', '123', '02', 85, 1),
  ('1111000006', '103', '周八', '123', '02', 95, 1);

-- Rights 1 to 17. 张三 and 赵六 are shop managers with every right; the others have fewer.
INSERT INTO QTCashierRight (CashierNo, RightID)
SELECT '1111000001', r FROM generate_series(1, 17) AS r
UNION ALL
SELECT '1111000004', r FROM generate_series(1, 17) AS r
UNION ALL
SELECT '1111000002', r FROM unnest(ARRAY[1, 2, 3, 4, 7, 8, 9, 10, 11, 13, 14, 15]) AS r
UNION ALL
SELECT '1111000003', r FROM unnest(ARRAY[1, 2, 3, 7]) AS r
UNION ALL
SELECT '1111000005', r FROM unnest(ARRAY[1, 2, 3, 4, 7, 8, 10, 14]) AS r
UNION ALL
SELECT '1111000006', r FROM unnest(ARRAY[1, 2, 3]) AS r;

-- Staff. 吴磊 has left; 何伟 works in the stock room and is no sales assistant.
INSERT INTO JBEmployee (EmployeeNo, EmployeeCode, EmployeeName, Stopflag, QTEmployeeFlag, DownlogNo) VALUES
  ('E001', 'D01', '刘丽', 0, 1, 1),
  ('E002', 'D02', '陈静', 0, 1, 1),
  ('E003', 'D03', '杨帆', 0, 1, 1),
  ('E004', 'D04', '黄晓燕', 0, 1, 1),
  ('E005', 'D05', '吴磊', 1, 1, 1),
  ('E006', 'D06', '何伟', 0, 0, 1),
  ('E007', 'D07', '郑敏', 0, 1, 1);

-- Colours. 001 通用色 is what the till puts on goods sold without a colour choice.
INSERT INTO JBColor (ColorNo, ColorCode, ColorName) VALUES
  ('001', '00', '通用色'),
  ('002', '01', '黑色'),
  ('003', '02', '白色'),
  ('004', '03', '红色'),
  ('005', '04', '藏青'),
  ('006', '05', '灰色'),
  ('007', '06', '卡其'),
  ('008', '07', '蓝色'),
  ('009', '08', '粉色'),
  ('010', '09', '米白'),
  ('011', '10', '咖啡'),
  ('012', '11', '黄色'),
  ('013', '12', '军绿');

-- Sizes. 001 通用码 likewise for goods sold without a size choice.
INSERT INTO JBSize (SizeNo, SizeCode, SizeName) VALUES
  ('001', 'F', '通用码'),
  ('002', 'S', 'S'),
  ('003', 'M', 'M'),
  ('004', 'L', 'L'),
  ('005', 'XL', 'XL'),
  ('006', '2XL', 'XXL'),
  ('011', '28', '28码'),
  ('012', '29', '29码'),
  ('013', '30', '30码'),
  ('014', '31', '31码'),
  ('015', '32', '32码'),
  ('016', '33', '33码'),
  ('017', '34', '34码'),
  ('018', '36', '36码'),
  ('021', '35', '35码'),
  ('022', '36', '36码'),
  ('023', '37', '37码'),
  ('024', '38', '38码'),
  ('025', '39', '39码'),
  ('026', '40', '40码'),
  ('027', '41', '41码'),
  ('028', '42', '42码'),
  ('029', '43', '43码'),
  ('030', '44', '44码'),
  ('031', '110', '110cm'),
  ('032', '120', '120cm'),
  ('033', '130', '130cm'),
  ('034', '140', '140cm'),
  ('035', '150', '150cm');

INSERT INTO JBCGroup (CGroupNo, CGroupCode, CGroupName) VALUES
  ('CG00', '00', '通用色组'),
  ('CG01', '01', '男装色系'),
  ('CG02', '02', '女装色系'),
  ('CG03', '03', '鞋类色系'),
  ('CG04', '04', '童装色系'),
  ('CG05', '05', '配饰色系');

INSERT INTO JBCGroupDetail (CGroupNo, ColorNo) VALUES
  ('CG00', '001'),
  ('CG01', '002'), ('CG01', '005'), ('CG01', '006'), ('CG01', '007'),
  ('CG02', '003'), ('CG02', '004'), ('CG02', '009'), ('CG02', '010'),
  ('CG03', '002'), ('CG03', '003'), ('CG03', '011'),
  ('CG04', '004'), ('CG04', '008'), ('CG04', '009'), ('CG04', '012'),
  ('CG05', '002'), ('CG05', '011'), ('CG05', '013');

INSERT INTO JBSGroup (SGroupNo, SGroupCode, SGroupName) VALUES
  ('SG00', '00', '通用码组'),
  ('SG01', '01', '男上装尺码'),
  ('SG02', '02', '裤装腰围'),
  ('SG03', '03', '女鞋尺码'),
  ('SG04', '04', '男鞋尺码'),
  ('SG05', '05', '童装身高'),
  ('SG06', '06', '女装尺码');

INSERT INTO JBSGroupDetail (SGroupNo, SizeNo) VALUES
  ('SG00', '001'),
  ('SG01', '002'), ('SG01', '003'), ('SG01', '004'), ('SG01', '005'), ('SG01', '006'),
  ('SG02', '011'), ('SG02', '012'), ('SG02', '013'), ('SG02', '014'), ('SG02', '015'),
  ('SG02', '016'), ('SG02', '017'), ('SG02', '018'),
  ('SG03', '021'), ('SG03', '022'), ('SG03', '023'), ('SG03', '024'), ('SG03', '025'),
  ('SG04', '025'), ('SG04', '026'), ('SG04', '027'), ('SG04', '028'), ('SG04', '029'),
  ('SG04', '030'),
  ('SG05', '031'), ('SG05', '032'), ('SG05', '033'), ('SG05', '034'), ('SG05', '035'),
  ('SG06', '002'), ('SG06', '003'), ('SG06', '004'), ('SG06', '005');

INSERT INTO JBGoodsType (GoodsTypeNo, GoodsTypeCode, GoodsTypeName) VALUES
  ('01', '01', '男装上衣'),
  ('02', '02', '男裤'),
  ('03', '03', '女装上衣'),
  ('04', '04', '女裙'),
  ('05', '05', '男鞋'),
  ('06', '06', '女鞋'),
  ('07', '07', '童装'),
  ('08', '08', '服饰配件'),
  ('09', '09', '赠品'),
  ('99', '99', '其他');

-- The catalogue is built from styles (item, price, unit, colour and size groups) times a few
-- style words per category: 经典纯棉衬衫, 时尚纯棉衬衫 ... Each category has its own maker.
CREATE TEMP TABLE demo_item (
  typeno TEXT, prefix TEXT, item_idx INTEGER, item TEXT, price NUMERIC, unit TEXT,
  cgroup TEXT, sgroup TEXT, csopt INTEGER, maker TEXT
);
INSERT INTO demo_item VALUES
  ('01', 'MT', 1, '纯棉衬衫', 159, '件', 'CG01', 'SG01', 3, '广州锦绣制衣厂'),
  ('01', 'MT', 2, '修身T恤', 89, '件', 'CG01', 'SG01', 3, '广州锦绣制衣厂'),
  ('01', 'MT', 3, '休闲夹克', 299, '件', 'CG01', 'SG01', 3, '广州锦绣制衣厂'),
  ('01', 'MT', 4, '羊毛衫', 259, '件', 'CG01', 'SG01', 3, '广州锦绣制衣厂'),
  ('01', 'MT', 5, '连帽卫衣', 199, '件', 'CG01', 'SG01', 3, '广州锦绣制衣厂'),
  ('01', 'MT', 6, '商务西服', 899, '套', 'CG01', 'SG01', 3, '广州锦绣制衣厂'),
  ('01', 'MT', 7, '羽绒服', 699, '件', 'CG01', 'SG01', 3, '广州锦绣制衣厂'),
  ('01', 'MT', 8, 'POLO衫', 129, '件', 'CG01', 'SG01', 3, '广州锦绣制衣厂'),
  ('02', 'MP', 1, '直筒牛仔裤', 199, '条', 'CG01', 'SG02', 3, '佛山恒达牛仔服饰'),
  ('02', 'MP', 2, '休闲长裤', 169, '条', 'CG01', 'SG02', 3, '佛山恒达牛仔服饰'),
  ('02', 'MP', 3, '商务西裤', 259, '条', 'CG01', 'SG02', 3, '佛山恒达牛仔服饰'),
  ('02', 'MP', 4, '工装裤', 189, '条', 'CG01', 'SG02', 3, '佛山恒达牛仔服饰'),
  ('02', 'MP', 5, '运动裤', 129, '条', 'CG01', 'SG02', 3, '佛山恒达牛仔服饰'),
  ('03', 'WT', 1, '雪纺衫', 139, '件', 'CG02', 'SG06', 3, '杭州丝语服饰'),
  ('03', 'WT', 2, '针织开衫', 189, '件', 'CG02', 'SG06', 3, '杭州丝语服饰'),
  ('03', 'WT', 3, '收腰风衣', 459, '件', 'CG02', 'SG06', 3, '杭州丝语服饰'),
  ('03', 'WT', 4, '羊绒大衣', 1299, '件', 'CG02', 'SG06', 3, '杭州丝语服饰'),
  ('03', 'WT', 5, '印花T恤', 79, '件', 'CG02', 'SG06', 3, '杭州丝语服饰'),
  ('03', 'WT', 6, '小西装', 359, '件', 'CG02', 'SG06', 3, '杭州丝语服饰'),
  ('04', 'WS', 1, '连衣裙', 269, '条', 'CG02', 'SG06', 3, '杭州丝语服饰'),
  ('04', 'WS', 2, '半身裙', 159, '条', 'CG02', 'SG06', 3, '杭州丝语服饰'),
  ('04', 'WS', 3, '百褶裙', 179, '条', 'CG02', 'SG06', 3, '杭州丝语服饰'),
  ('04', 'WS', 4, '碎花长裙', 229, '条', 'CG02', 'SG06', 3, '杭州丝语服饰'),
  ('04', 'WS', 5, '牛仔裙', 149, '条', 'CG02', 'SG06', 3, '杭州丝语服饰'),
  ('05', 'MX', 1, '商务皮鞋', 459, '双', 'CG03', 'SG04', 3, '温州鹿城鞋业'),
  ('05', 'MX', 2, '休闲板鞋', 259, '双', 'CG03', 'SG04', 3, '温州鹿城鞋业'),
  ('05', 'MX', 3, '跑步鞋', 329, '双', 'CG03', 'SG04', 3, '温州鹿城鞋业'),
  ('05', 'MX', 4, '帆布鞋', 139, '双', 'CG03', 'SG04', 3, '温州鹿城鞋业'),
  ('05', 'MX', 5, '马丁靴', 499, '双', 'CG03', 'SG04', 3, '温州鹿城鞋业'),
  ('06', 'WX', 1, '细跟高跟鞋', 359, '双', 'CG03', 'SG03', 3, '温州鹿城鞋业'),
  ('06', 'WX', 2, '平底单鞋', 229, '双', 'CG03', 'SG03', 3, '温州鹿城鞋业'),
  ('06', 'WX', 3, '切尔西短靴', 429, '双', 'CG03', 'SG03', 3, '温州鹿城鞋业'),
  ('06', 'WX', 4, '小白鞋', 199, '双', 'CG03', 'SG03', 3, '温州鹿城鞋业'),
  ('06', 'WX', 5, '乐福鞋', 279, '双', 'CG03', 'SG03', 3, '温州鹿城鞋业'),
  ('07', 'TZ', 1, '儿童卫衣', 119, '件', 'CG04', 'SG05', 3, '湖州织里童装厂'),
  ('07', 'TZ', 2, '儿童运动套装', 199, '套', 'CG04', 'SG05', 3, '湖州织里童装厂'),
  ('07', 'TZ', 3, '儿童羽绒服', 329, '件', 'CG04', 'SG05', 3, '湖州织里童装厂'),
  ('07', 'TZ', 4, '儿童牛仔裤', 109, '条', 'CG00', 'SG05', 2, '湖州织里童装厂'),
  ('07', 'TZ', 5, '儿童T恤', 59, '件', 'CG04', 'SG05', 3, '湖州织里童装厂'),
  ('08', 'PS', 1, '真皮腰带', 129, '条', 'CG05', 'SG00', 1, '义乌博雅饰品'),
  ('08', 'PS', 2, '棒球帽', 69, '顶', 'CG05', 'SG00', 1, '义乌博雅饰品'),
  ('08', 'PS', 3, '羊毛围巾', 159, '条', 'CG05', 'SG00', 1, '义乌博雅饰品'),
  ('08', 'PS', 4, '真皮手提包', 399, '个', 'CG05', 'SG00', 1, '义乌博雅饰品'),
  ('08', 'PS', 5, '纯棉袜子', 19, '双', 'CG00', 'SG00', 0, '义乌博雅饰品'),
  ('08', 'PS', 6, '运动短袜', 15, '双', 'CG00', 'SG00', 0, '义乌博雅饰品'),
  ('08', 'PS', 7, '真丝丝巾', 99, '条', 'CG00', 'SG00', 0, '义乌博雅饰品'),
  ('08', 'PS', 8, '长款钱包', 199, '个', 'CG05', 'SG00', 1, '义乌博雅饰品');

CREATE TEMP TABLE demo_word (typeno TEXT, word_idx INTEGER, word TEXT);
INSERT INTO demo_word VALUES
  ('01', 0, '经典'), ('01', 1, '时尚'), ('01', 2, '英伦'), ('01', 3, '韩版'),
  ('02', 0, '经典'), ('02', 1, '弹力'), ('02', 2, '修身'), ('02', 3, '加绒'),
  ('03', 0, '韩版'), ('03', 1, '简约'), ('03', 2, '优雅'), ('03', 3, '复古'),
  ('04', 0, '甜美'), ('04', 1, '优雅'), ('04', 2, '复古'), ('04', 3, '清新'),
  ('05', 0, '经典'), ('05', 1, '轻便'), ('05', 2, '透气'), ('05', 3, '加绒'), ('05', 4, '复古'),
  ('06', 0, '时尚'), ('06', 1, '舒适'), ('06', 2, '百搭'), ('06', 3, '复古'),
  ('07', 0, '卡通'), ('07', 1, '休闲'), ('07', 2, '加厚'), ('07', 3, '纯棉'), ('07', 4, '韩版'),
  ('08', 0, '经典'), ('08', 1, '时尚'), ('08', 2, '复古');

-- Goods codes run per category (MT1001, MT1002 ...: the first style word with every item,
-- then the next word). A later style word costs 20 more. Member price: 90 % on two goods in
-- three. Store levels: 95/92/88/85 %, with level 2 left at 0 on every fifth goods, which then
-- sells at its reference price in a level-2 store.
INSERT INTO JBGoods (
  GoodsNo, GoodsCode, BarCode, GoodsName, GoodsTypeNo, Model, BaseUnit, ProduceArea, ProduceName,
  MinSPrice, SRefPrice, CostPrice, MemberPrice, SPriceLevel1, SPriceLevel2, SPriceLevel3,
  SPriceLevel4, SalesType, DiscountFlag, StoreFlag, CGroupNo, SGroupNo, CSOptions, StopFlag,
  IsGift, Clolor, DownlogNo)
SELECT 'G' || lpad(seq::TEXT, 5, '0'),
       prefix || (1000 + n)::TEXT,
       pg_temp.ean13('692401' || lpad(seq::TEXT, 6, '0')),
       word || item,
       typeno,
       (ARRAY['春季款', '夏季款', '秋季款', '冬季款'])[n % 4 + 1],
       unit, '', maker,
       round(p * 0.6), p, round(p * 0.45),
       CASE WHEN n % 3 = 0 THEN 0 ELSE round(p * 0.9) END,
       round(p * 0.95),
       CASE WHEN n % 5 = 0 THEN 0 ELSE round(p * 0.92) END,
       round(p * 0.88), round(p * 0.85),
       0, 0, 1, cgroup, sgroup, csopt, 0, 0, '', 1
  FROM (SELECT i.*, w.word, i.price + w.word_idx * 20 AS p,
               row_number() OVER (PARTITION BY i.typeno ORDER BY w.word_idx, i.item_idx) AS n,
               row_number() OVER (ORDER BY i.typeno, w.word_idx, i.item_idx) AS seq
          FROM demo_item i JOIN demo_word w ON w.typeno = i.typeno) AS x;

-- A name with a LIKE wildcard in it, as real shops have them: fragment searches must match
-- the % literally.
INSERT INTO JBGoods (
  GoodsNo, GoodsCode, BarCode, GoodsName, GoodsTypeNo, Model, BaseUnit, ProduceArea, ProduceName,
  MinSPrice, SRefPrice, CostPrice, MemberPrice, SPriceLevel1, SPriceLevel2, SPriceLevel3,
  SPriceLevel4, CGroupNo, SGroupNo, CSOptions, Clolor, DownlogNo)
VALUES ('G00301', 'MT2001', pg_temp.ean13('692401000301'), '100%纯棉打底衫', '01', '秋季款', '件',
        '', '广州锦绣制衣厂', 35, 59, 27, 53, 56, 54, 52, 50, 'CG01', 'SG01', 3, '', 1);

-- Gift goods (IsGift 1): given free with promotions and exchanged for card points, one point
-- per unit of the reference price.
INSERT INTO JBGoods (
  GoodsNo, GoodsCode, BarCode, GoodsName, GoodsTypeNo, Model, BaseUnit, ProduceArea, ProduceName,
  MinSPrice, SRefPrice, CostPrice, CGroupNo, SGroupNo, CSOptions, IsGift, Clolor, DownlogNo)
VALUES
  ('G00901', 'ZP1001', pg_temp.ean13('692409001001'), '环保购物袋', '09', '赠品', '个', '', '义乌博雅饰品', 0, 10, 3, 'CG00', 'SG00', 0, 1, '', 1),
  ('G00902', 'ZP1002', pg_temp.ean13('692409001002'), '鞋油护理套装', '09', '赠品', '套', '', '义乌博雅饰品', 0, 30, 9, 'CG00', 'SG00', 0, 1, '', 1),
  ('G00903', 'ZP1003', pg_temp.ean13('692409001003'), '纯棉袜子礼盒', '09', '赠品', '盒', '', '义乌博雅饰品', 0, 50, 18, 'CG00', 'SG00', 0, 1, '', 1),
  ('G00904', 'ZP1004', pg_temp.ean13('692409001004'), '金属钥匙扣', '09', '赠品', '个', '', '义乌博雅饰品', 0, 15, 4, 'CG00', 'SG00', 0, 1, '', 1),
  ('G00905', 'ZP1005', pg_temp.ean13('692409001005'), '折叠雨伞', '09', '赠品', '把', '', '义乌博雅饰品', 0, 80, 25, 'CG00', 'SG00', 0, 1, '', 1),
  ('G00906', 'ZP1006', pg_temp.ean13('692409001006'), '不锈钢保温杯', '09', '赠品', '个', '', '义乌博雅饰品', 0, 120, 40, 'CG00', 'SG00', 0, 1, '', 1);

-- The money goods of promotions: money-off lines and added-cash lines are lines of ZS001 with
-- the money as their price. It is no stock (StoreFlag 0) and has no barcode. A new account
-- database has it already (account.sql); the demo puts it into its groups.
INSERT INTO JBGoods (
  GoodsNo, GoodsCode, BarCode, GoodsName, GoodsTypeNo, Model, BaseUnit, ProduceArea, ProduceName,
  SRefPrice, StoreFlag, CGroupNo, SGroupNo, CSOptions, Clolor, DownlogNo)
VALUES ('G00999', 'ZS001', NULL, '促销现金', '99', '', '元', '', '', 0, 0, 'CG00', 'SG00', 0, '', 1)
ON CONFLICT (GoodsNo) DO UPDATE SET GoodsTypeNo = EXCLUDED.GoodsTypeNo, CGroupNo = EXCLUDED.CGroupNo,
  SGroupNo = EXCLUDED.SGroupNo;

-- Goods with a fixed discount: ProduceArea holds the percentage.
UPDATE JBGoods SET ProduceArea = '85' WHERE GoodsCode = 'MP1001';
UPDATE JBGoods SET ProduceArea = '90' WHERE GoodsCode = 'WS1002';

-- Special-price goods: always sold at the reference price, never discounted.
UPDATE JBGoods SET DiscountFlag = 1 WHERE GoodsCode IN ('WT1005', 'MX1004');

-- Goods promotions. SalesType 1: a price within a date window, 2: for a limited quantity,
-- 3: both. MT1010 is over and MT1011 has not begun, so both sell at their normal price.
UPDATE JBGoods SET SalesType = 1, SalesPrice = 69,
       SBeginDate = CURRENT_DATE - 3, SEndDate = CURRENT_DATE + 30 + TIME '23:59:59'
 WHERE GoodsCode = 'MT1002';
UPDATE JBGoods SET SalesType = 1, SalesPrice = 79,
       SBeginDate = CURRENT_DATE - 20, SEndDate = CURRENT_DATE - 2 + TIME '23:59:59'
 WHERE GoodsCode = 'MT1010';
UPDATE JBGoods SET SalesType = 1, SalesPrice = 229,
       SBeginDate = CURRENT_DATE + 5, SEndDate = CURRENT_DATE + 35 + TIME '23:59:59'
 WHERE GoodsCode = 'MT1011';
UPDATE JBGoods SET SalesType = 2, SalesPrice = 199, SalesQty = 10, FinishSaleQty = 8
 WHERE GoodsCode = 'WS1001';
UPDATE JBGoods SET SalesType = 2, SalesPrice = 89, SalesQty = 50, FinishSaleQty = 0
 WHERE GoodsCode = 'TZ1001';
UPDATE JBGoods SET SalesType = 3, SalesPrice = 149, SalesQty = 30, FinishSaleQty = 5,
       SBeginDate = CURRENT_DATE - 1, SEndDate = CURRENT_DATE + 14 + TIME '23:59:59'
 WHERE GoodsCode = 'WX1004';

-- Withdrawn goods: no search finds them, whatever is typed.
UPDATE JBGoods SET StopFlag = 1 WHERE GoodsCode IN ('MT1024', 'WT1024', 'PS1016');

-- One ordinary accessory may also be handed out as a gift.
UPDATE JBGoods SET IsGift = 1 WHERE GoodsCode = 'PS1006';

-- Colour/size barcodes: style code + colour code + size code (MT100101S, MP100104 32 ...),
-- for every colour and size of the goods' groups. Goods without a colour or size choice use
-- the 通用色/通用码 group, so their barcodes carry 00 or F there.
INSERT INTO JBClothBarCode (BarCode, GoodsNo, ColorNo, SizeNo)
SELECT g.GoodsCode || c.ColorCode || s.SizeCode, g.GoodsNo, c.ColorNo, s.SizeNo
  FROM JBGoods g
  JOIN JBCGroupDetail cd ON cd.CGroupNo = g.CGroupNo
  JOIN JBColor c ON c.ColorNo = cd.ColorNo
  JOIN JBSGroupDetail sd ON sd.SGroupNo = g.SGroupNo
  JOIN JBSize s ON s.SizeNo = sd.SizeNo
 WHERE g.CSOptions IN (1, 2, 3);

-- Stock of both shops' stores for every colour and size, 1 to 15 pieces each, gifts 50.
-- MT1023 (英伦羽绒服) has no stock at all and MX1001 (经典商务皮鞋) none in size 44, so the
-- negative-stock refusal can be seen.
INSERT INTO CKCurrStoreCS (StoreNo, GoodsNo, ColorNo, SizeNo, Quantity)
SELECT st.StoreNo, g.GoodsNo, cd.ColorNo, sd.SizeNo,
       CASE WHEN g.IsGift = 1 AND g.GoodsTypeNo = '09' THEN 50
            ELSE (substr(g.GoodsNo, 2)::INTEGER * 7 + cd.ColorNo::INTEGER * 3
                  + sd.SizeNo::INTEGER * 5 + st.k * 11) % 15 + 1 END
  FROM JBGoods g
  JOIN JBCGroupDetail cd ON cd.CGroupNo = g.CGroupNo
  JOIN JBSGroupDetail sd ON sd.SGroupNo = g.SGroupNo
  CROSS JOIN (VALUES ('0001', 1), ('0002', 2)) AS st(StoreNo, k)
 WHERE g.StoreFlag <> 0 AND g.GoodsCode <> 'MT1023';
UPDATE CKCurrStoreCS SET Quantity = 0
 WHERE GoodsNo = (SELECT GoodsNo FROM JBGoods WHERE GoodsCode = 'MX1001') AND SizeNo = '030';

-- Promotion orders of the two shops' stores, approved, running from a week ago to a month
-- ahead. Each goods is in one running promotion only.
--   CX0001 kind 1  special price: the detail's SPrice
--   CX0002 kind 2  discount: the detail's Discount
--   CX0003 kind 3  buy CXQty pieces, get GiftQty pieces free, chosen among the same goods
--   CX0004 kind 3  buy 2 get 1, the gift costing AddMoney (10) extra
--   CX0005 kind 4  spend CXQty (200), get GiftQty (20) off
--   CX0006 kind 5  spend CXQty (300), all its goods at GiftQty (90) percent
--   CX0007 kind 9  95 % for one piece, 90 % for two, 85 % for three or more
--   CX0008 kind 10 spend CXQty (500), add GiftQty (50) in cash, get a gift goods
-- and three that do not apply at 步行街店: CX0009 only for 万达广场店, CX0010 not approved,
-- CX0011 over since yesterday.
INSERT INTO QTCXOrder (ORderNo, CXFlag, CXQty, GiftQty, AddMoney, StoreNoList, Begindate, EndDate, Checkflag, CXMemo) VALUES
  ('CX0001', 1, 0, 0, 0, '0001,0002', CURRENT_DATE - 7, CURRENT_DATE + 30, 1, '夹克长裤特价'),
  ('CX0002', 2, 0, 0, 0, '0001,0002', CURRENT_DATE - 7, CURRENT_DATE + 30, 1, '韩版女装八折'),
  ('CX0003', 3, 3, 1, 0, '0001,0002', CURRENT_DATE - 7, CURRENT_DATE + 30, 1, '袜子买三送一'),
  ('CX0004', 3, 2, 1, 10, '0001,0002', CURRENT_DATE - 7, CURRENT_DATE + 30, 1, '童装T恤买二送一加10元'),
  ('CX0005', 4, 200, 20, 0, '0001,0002', CURRENT_DATE - 7, CURRENT_DATE + 30, 1, '女裙满200元送20元'),
  ('CX0006', 5, 300, 90, 0, '0001,0002', CURRENT_DATE - 7, CURRENT_DATE + 30, 1, '男裤满300元打九折'),
  ('CX0007', 9, 95, 90, 85, '0001,0002', CURRENT_DATE - 7, CURRENT_DATE + 30, 1, '女鞋一双95折两双9折三双85折'),
  ('CX0008', 10, 500, 50, 0, '0001,0002', CURRENT_DATE - 7, CURRENT_DATE + 30, 1, '男鞋满500元加50元送礼品'),
  ('CX0009', 2, 0, 0, 0, '0002', CURRENT_DATE - 7, CURRENT_DATE + 30, 1, '万达店英伦系列85折'),
  ('CX0010', 1, 0, 0, 0, '0001,0002', CURRENT_DATE - 7, CURRENT_DATE + 30, 0, '未审核的特价单'),
  ('CX0011', 2, 0, 0, 0, '0001,0002', CURRENT_DATE - 30, CURRENT_DATE - 1, 1, '已结束的五折活动');

INSERT INTO QTCXOrderDetail (OrderNo, GoodsNo, SPrice, Discount)
SELECT p.OrderNo, g.GoodsNo, p.SPrice, p.Discount
  FROM (VALUES
    ('CX0001', 'MT1003', 199, 100), ('CX0001', 'MP1002', 119, 100),
    ('CX0002', 'WT1001', 0, 80), ('CX0002', 'WT1002', 0, 80), ('CX0002', 'WT1003', 0, 80),
    ('CX0002', 'WT1004', 0, 80),
    ('CX0003', 'PS1005', 0, 100), ('CX0003', 'PS1006', 0, 100), ('CX0003', 'PS1013', 0, 100),
    ('CX0003', 'PS1014', 0, 100),
    ('CX0004', 'TZ1005', 0, 100), ('CX0004', 'TZ1010', 0, 100), ('CX0004', 'TZ1020', 0, 100),
    ('CX0005', 'WS1003', 0, 100), ('CX0005', 'WS1004', 0, 100), ('CX0005', 'WS1005', 0, 100),
    ('CX0005', 'WS1006', 0, 100), ('CX0005', 'WS1007', 0, 100), ('CX0005', 'WS1008', 0, 100),
    ('CX0006', 'MP1003', 0, 100), ('CX0006', 'MP1004', 0, 100), ('CX0006', 'MP1005', 0, 100),
    ('CX0006', 'MP1006', 0, 100), ('CX0006', 'MP1007', 0, 100), ('CX0006', 'MP1008', 0, 100),
    ('CX0007', 'WX1001', 0, 100), ('CX0007', 'WX1002', 0, 100), ('CX0007', 'WX1003', 0, 100),
    ('CX0007', 'WX1005', 0, 100),
    ('CX0008', 'MX1001', 0, 100), ('CX0008', 'MX1002', 0, 100), ('CX0008', 'MX1003', 0, 100),
    ('CX0008', 'MX1005', 0, 100),
    ('CX0009', 'MT1017', 0, 85), ('CX0009', 'MT1018', 0, 85), ('CX0009', 'MT1019', 0, 85),
    ('CX0010', 'MT1020', 1, 100),
    ('CX0011', 'MT1021', 0, 50)
  ) AS p(OrderNo, GoodsCode, SPrice, Discount)
  JOIN JBGoods g ON g.GoodsCode = p.GoodsCode;

-- Cards of every kind. The ones that must be refused: 8800006 is stopped, 8800007 has expired
-- (issued after its validity date). 8800002 and 8800009 share a telephone number.
INSERT INTO QTCards (
  CardNo, CardsCode, HolderName, Telephone, Sex, BirhtDate, Address, CardType, SalesType,
  Discount, Password, StopFlag, SendDate, BeginDate, SendOperator, Amount, TotalSaleAmount,
  TotalSaleCount, PointTotal, DownLogNo)
VALUES
  ('K0001', '8800001', '王小明', '13800138001', '男', '1985-06-12', '北京市朝阳区建国路88号',
   '普通会员卡', '会员价消费', 100, '', 0, CURRENT_DATE - 400, CURRENT_DATE + 695, '张三', 0, 3680, 12, 368, 1),
  ('K0002', '8800002', '李娜', '13800138002', '女', '1990-03-08', '上海市徐汇区漕溪北路18号',
   'VIP会员卡', '累计积分折扣', 100, '', 0, CURRENT_DATE - 300, NULL, '张三', 0, 15200, 36, 1500, 1),
  ('K0003', '8800003', '张伟', '13800138003', '男', '1979-11-23', '广州市天河区体育西路101号',
   'VIP会员卡', '固定折扣', 88, '', 0, CURRENT_DATE - 200, CURRENT_DATE + 895, '李四', 0, 8600, 20, 860, 1),
  ('K0004', '8800004', '刘芳', '13800138004', '女', '1995-07-30', '杭州市西湖区文三路259号',
   '普通会员卡', '积分兑换礼品', 100, '', 0, CURRENT_DATE - 150, NULL, '李四', 0, 2300, 9, 300, 1),
  ('K0005', '8800005', '陈刚', '13800138005', '男', '1988-01-15', '南京市鼓楼区中山北路30号',
   '普通会员卡', '固定折扣', 0, '', 0, CURRENT_DATE - 90, NULL, '赵六', 0, 450, 2, 45, 1),
  ('K0006', '8800006', '赵敏', '13800138006', '女', '1992-09-09', '武汉市江汉区解放大道690号',
   '普通会员卡', '会员价消费', 100, '', 1, CURRENT_DATE - 500, NULL, '赵六', 0, 1200, 5, 120, 1),
  ('K0007', '8800007', '孙丽', '13800138007', '女', '1983-04-18', '成都市锦江区春熙路12号',
   '普通会员卡', '累计积分折扣', 100, '', 0, CURRENT_DATE - 10, CURRENT_DATE - 30, '孙七', 0, 0, 0, 0, 1),
  ('K0008', '8800008', '周杰', '13800138008', '男', '1991-12-01', '深圳市福田区深南大道6008号',
   'VIP会员卡', '固定折扣', 90, '1234', 0, CURRENT_DATE - 60, NULL, '张三', 0, 5800, 11, 580, 1),
  ('K0009', '8800009', '吴婷', '13800138002', '女', '1993-05-20', '上海市徐汇区漕溪北路18号',
   '普通会员卡', '会员价消费', 100, '', 0, CURRENT_DATE - 30, NULL, '张三', 0, 300, 1, 30, 1),
  ('K0101', '9900001', '郑强', '13900139001', '男', '1980-08-08', '北京市海淀区中关村大街27号',
   '储值卡', '固定折扣', 95, '', 0, CURRENT_DATE - 120, NULL, '张三', 500, 2000, 8, 200, 1),
  ('K0102', '9900002', '冯雪', '13900139002', '女', '1996-02-14', '天津市和平区南京路189号',
   '储值卡', '会员价消费', 100, '', 0, CURRENT_DATE - 45, NULL, '赵六', 80, 620, 3, 62, 1),
  ('K0103', '9900003', '韩梅', '13900139003', '女', '1987-10-10', '重庆市渝中区解放碑步行街5号',
   '储值卡', '累计积分折扣', 100, '8888', 0, CURRENT_DATE - 700, NULL, '赵六', 1000, 60000, 95, 6000, 1);

-- Discount tiers for cards that discount by accumulated points.
INSERT INTO QTCardDiscount (IntegralNo, DownAmount, UpAmount, Discount) VALUES
  ('01', 0, 999.99, 98),
  ('02', 1000, 4999.99, 95),
  ('03', 5000, 9999.99, 90),
  ('04', 10000, 99999999, 85);

-- Announcements; the till shows those of the last 15 days, so the last one stays hidden.
INSERT INTO FZAffiche (AfficheNo, AfficheDate, AfficheMan, AfficheSubject, AfficheContent) VALUES
  ('GG0001', CURRENT_DATE - 1 + TIME '09:00', '总部营运部', '春季新品到店通知',
   '各门店：春季新款男装衬衫、女装风衣已配送到店，请于今日营业前完成上架陈列，并核对到货数量。'),
  ('GG0002', CURRENT_DATE - 5 + TIME '14:30', '总部市场部', '本月促销活动安排',
   '本月开展袜子买三送一、女裙满200元送20元、男鞋满500元加50元送礼品等活动，请收银员熟悉活动规则，结账时提醒顾客。'),
  ('GG0003', CURRENT_DATE - 12 + TIME '10:00', '总部财务部', '收银交班注意事项',
   '交班前请清点钱箱现金，核对提款金额，交班报表打印后签字留存。发现差异请当日上报。'),
  ('GG0004', CURRENT_DATE - 40 + TIME '08:30', '总部行政部', '季度盘点安排',
   '季度盘点已于上月完成，感谢各门店配合。');

-- The back office's users.
INSERT INTO JBUser (UserNo, UserName) VALUES
  ('0001', '系统管理员'),
  ('0002', '财务主管');

-- Options. Every online sale is posted to stock (XSTotal) and refused when stock would go
-- negative; the till warns beforehand (LowMinStock). One point per yuan.
INSERT INTO QTSysSet (
  SysSetNo, AmountPoint, PerJFAmount, DiscountAdd, PrintTwo, ManuDownCX, LowMinStock, HasGuid,
  BackFlag, XSTotal, AllChangeGF, BackDays, SPNotDiscount, VIPNotDiscount, PrintDiscount,
  PrintCardNo, PrintOrderNo, PrintDisAmount, PrintPOSEmployee, Header, HeaderExplain, Footer,
  FooterExplain, PrintContent, AllowNegativeStock)
VALUES ('01', 2, 1, 0, 0, 0, 1, 0, 0, 1, 0, 7, '1', '1', '1', '1', '1', '1', '1', '锦绣服饰',
        '正品保证  七天无理由退换', '谢谢惠顾，欢迎再次光临！', '服务热线：400-800-1234',
        '品名+数量+单价+金额', 0);

DROP TABLE demo_item;
DROP TABLE demo_word;
DROP FUNCTION pg_temp.ean13(TEXT);
ANALYZE;
