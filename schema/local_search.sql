-- The goods fragment search of the till's local file, created after common.sql and local.sql.
--
-- A cashier who types part of a barcode, code or name gets every goods containing it, letter
-- case ignored. Read row by row that is a pass over the whole goods table for every such
-- search; this trigram index finds the candidates instead. The search reads it only for texts
-- of three characters or more (a trigram's length) and still tests every candidate against
-- JBGoods itself, so the index can narrow a search but never change its answer.
--
-- The triggers keep the index in step with JBGoods however its rows are written (download,
-- clearing, the admin tool). The index points at JBGoods rows by rowid, which VACUUM may
-- renumber in a table without an INTEGER PRIMARY KEY; after a VACUUM run
--   INSERT INTO JBGoodsFind(JBGoodsFind) VALUES ('rebuild');
--
-- The trigger bodies hold semicolons, so this file is run whole, not split at semicolons.

CREATE VIRTUAL TABLE JBGoodsFind USING fts5(
  BarCode, GoodsCode, GoodsName,
  content='JBGoods', content_rowid='rowid', tokenize='trigram'
);

CREATE TRIGGER JBGoodsFind_insert AFTER INSERT ON JBGoods BEGIN
  INSERT INTO JBGoodsFind(rowid, BarCode, GoodsCode, GoodsName)
    VALUES (new.rowid, new.BarCode, new.GoodsCode, new.GoodsName);
END;

CREATE TRIGGER JBGoodsFind_delete AFTER DELETE ON JBGoods BEGIN
  INSERT INTO JBGoodsFind(JBGoodsFind, rowid, BarCode, GoodsCode, GoodsName)
    VALUES ('delete', old.rowid, old.BarCode, old.GoodsCode, old.GoodsName);
END;

CREATE TRIGGER JBGoodsFind_update AFTER UPDATE OF BarCode, GoodsCode, GoodsName ON JBGoods BEGIN
  INSERT INTO JBGoodsFind(JBGoodsFind, rowid, BarCode, GoodsCode, GoodsName)
    VALUES ('delete', old.rowid, old.BarCode, old.GoodsCode, old.GoodsName);
  INSERT INTO JBGoodsFind(rowid, BarCode, GoodsCode, GoodsName)
    VALUES (new.rowid, new.BarCode, new.GoodsCode, new.GoodsName);
END;

-- Goods already in the file when the index is added.
INSERT INTO JBGoodsFind(JBGoodsFind) VALUES ('rebuild');
