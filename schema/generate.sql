-- A large synthetic catalogue for benchmarks, added to an account database that already holds
-- the demo data (its colour and size groups are reused):
--
--   SELECT quilmo_generate_catalogue(200000, 1000000);
--
-- adds 200000 goods (GoodsNo BG0000001 ..., GoodsCode BG0000001 ..., EAN-13 barcodes starting
-- 29, names such as 时尚纯棉衬衫-0000001) and spreads 1000000 colour/size barcodes over them
-- (goods code + a three-digit running number: BG0000001001 ...). A second call continues the
-- numbering. The goods get no stock rows.
--
-- Everything is set-based so that it runs in seconds, and the tables are analysed afterwards so
-- that the first searches are planned with the real row counts.

CREATE OR REPLACE FUNCTION quilmo_generate_catalogue(goods INTEGER, barcodes INTEGER)
RETURNS VOID
LANGUAGE plpgsql
AS $$
DECLARE
  v_goods INTEGER := greatest(coalesce($1, 0), 0);
  v_barcodes INTEGER := greatest(coalesce($2, 0), 0);
  v_start INTEGER;
  v_downlog INTEGER;
BEGIN
  IF v_goods = 0 THEN
    RETURN;
  END IF;
  IF NOT EXISTS (SELECT 1 FROM JBCGroupDetail d WHERE d.CGroupNo = 'CG01')
     OR NOT EXISTS (SELECT 1 FROM JBSGroupDetail d WHERE d.SGroupNo = 'SG01') THEN
    RAISE EXCEPTION 'quilmo_generate_catalogue needs the demo colour and size groups (demo/seed.sql)';
  END IF;

  SELECT coalesce(max(substr(g.GoodsNo, 3)::INTEGER), 0) INTO v_start
    FROM JBGoods g WHERE g.GoodsNo ~ '^BG[0-9]+$';
  -- New goods carry a higher download counter than anything before, as back-office changes do.
  SELECT coalesce(max(g.DownlogNo), 0) + 1 INTO v_downlog FROM JBGoods g;

  INSERT INTO JBGoods (
    GoodsNo, GoodsCode, BarCode, GoodsName, GoodsTypeNo, Model, BaseUnit, ProduceArea,
    ProduceName, MinSPrice, SRefPrice, CostPrice, MemberPrice, SPriceLevel1, SPriceLevel2,
    SPriceLevel3, SPriceLevel4, CGroupNo, SGroupNo, CSOptions, Clolor, DownlogNo)
  WITH category (k, typeno, cgroup, sgroup, csopt, unit, price, items) AS (
    VALUES
      (0, '01', 'CG01', 'SG01', 3, '件', 159, ARRAY['衬衫', 'T恤', '夹克', '卫衣', '毛衫', '西服']),
      (1, '02', 'CG01', 'SG02', 3, '条', 189, ARRAY['牛仔裤', '休闲裤', '西裤', '工装裤']),
      (2, '03', 'CG02', 'SG06', 3, '件', 199, ARRAY['雪纺衫', '开衫', '风衣', '大衣', '卫衣']),
      (3, '04', 'CG02', 'SG06', 3, '条', 229, ARRAY['连衣裙', '半身裙', '长裙', '短裙']),
      (4, '05', 'CG03', 'SG04', 3, '双', 299, ARRAY['皮鞋', '板鞋', '跑鞋', '靴子']),
      (5, '06', 'CG03', 'SG03', 3, '双', 259, ARRAY['高跟鞋', '单鞋', '短靴', '运动鞋']),
      (6, '07', 'CG04', 'SG05', 3, '件', 129, ARRAY['童装卫衣', '童装T恤', '童装外套']),
      (7, '08', 'CG05', 'SG00', 1, '个', 99, ARRAY['腰带', '帽子', '围巾', '手包']),
      (8, '08', 'CG00', 'SG00', 0, '双', 19, ARRAY['袜子', '手套']),
      (9, '07', 'CG00', 'SG05', 2, '条', 109, ARRAY['童装长裤', '童装短裤'])
  ), numbered AS (
    SELECT n, c.*, c.price + (n % 9) * 20 AS p, lpad(n::TEXT, 7, '0') AS seq,
           lpad(n::TEXT, 10, '0') AS digits
      FROM generate_series(v_start + 1, v_start + v_goods) AS n
      JOIN category c ON c.k = n % 10
  )
  SELECT 'BG' || seq, 'BG' || seq,
         -- EAN-13: 29, ten digits, and the check digit (weights 1 and 3 alternating from the
         -- left, so the 2 weighs 1, the 9 weighs 3, and odd places of the ten digits 1).
         '29' || digits
         || ((10 - (2 + 9 * 3
                    + (SELECT sum(substr(digits, i, 1)::INTEGER
                                  * CASE WHEN i % 2 = 0 THEN 3 ELSE 1 END)
                         FROM generate_series(1, 10) AS i)) % 10) % 10)::TEXT,
         (ARRAY['时尚', '经典', '简约', '韩版', '复古', '休闲', '商务', '英伦', '甜美', '优雅',
                '运动', '百搭'])[1 + n % 12]
         || (ARRAY['纯棉', '真丝', '羊毛', '亚麻', '牛仔', '针织', '加绒', '弹力'])[1 + (n / 12) % 8]
         || items[1 + (n / 96) % array_length(items, 1)] || '-' || seq,
         typeno, '常规款', unit, '', '锦绣服饰供应链',
         round(p * 0.6), p, round(p * 0.45), round(p * 0.9), round(p * 0.95), round(p * 0.92),
         round(p * 0.88), round(p * 0.85), cgroup, sgroup, csopt, '', v_downlog
    FROM numbered;

  -- Barcode b belongs to goods (b - 1) mod goods and is that goods' (b - 1) div goods-th
  -- colour/size combination, colours varying fastest; the combinations repeat once a goods has
  -- more barcodes than its groups have combinations.
  IF v_barcodes > 0 THEN
    INSERT INTO JBClothBarCode (BarCode, GoodsNo, ColorNo, SizeNo)
    WITH colours AS (
      SELECT d.CGroupNo, array_agg(d.ColorNo ORDER BY d.ColorNo) AS list
        FROM JBCGroupDetail d GROUP BY d.CGroupNo
    ), sizes AS (
      SELECT d.SGroupNo, array_agg(d.SizeNo ORDER BY d.SizeNo) AS list
        FROM JBSGroupDetail d GROUP BY d.SGroupNo
    ), wanted AS (
      SELECT 'BG' || lpad((v_start + 1 + (b - 1) % v_goods)::TEXT, 7, '0') AS goods_no,
             (b - 1) / v_goods AS combo
        FROM generate_series(1, v_barcodes) AS b
    )
    SELECT w.goods_no || lpad((w.combo + 1)::TEXT, 3, '0'), w.goods_no,
           co.list[1 + w.combo % array_length(co.list, 1)],
           si.list[1 + (w.combo / array_length(co.list, 1)) % array_length(si.list, 1)]
      FROM wanted w
      JOIN JBGoods g ON g.GoodsNo = w.goods_no
      JOIN colours co ON co.CGroupNo = g.CGroupNo
      JOIN sizes si ON si.SGroupNo = g.SGroupNo;
  END IF;

  ANALYZE JBGoods;
  ANALYZE JBClothBarCode;
END;
$$;
