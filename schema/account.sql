-- Rows every account database starts with, demo or not.

-- The money goods: promotion money-off lines and added-cash lines are lines of ZS001 with the
-- money as their price. It is not kept in stock (StoreFlag 0) and has no barcode.
INSERT INTO JBGoods (GoodsNo, GoodsCode, BarCode, GoodsName, Model, BaseUnit, ProduceArea,
                     ProduceName, SRefPrice, StoreFlag, CSOptions, Clolor, DownlogNo)
VALUES ('G00999', 'ZS001', NULL, '促销现金', '', '元', '', '', 0, 0, 0, '', 1);
