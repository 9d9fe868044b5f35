-- The receipts this till printed last, so that a receipt lost to a printer fault can be
-- printed again. Created by new files and, when missing, by the first receipt of an older one.
-- PrintModel is the way it was printed: '0' the text receipt, whose exact bytes are Content;
-- '1' a template receipt, printed again from ReceiptData (the receipt's values as JSON).
CREATE TABLE IF NOT EXISTS QTReceiptLog (
  ReceiptId INTEGER PRIMARY KEY AUTOINCREMENT,
  OrderNo VARCHAR(30),
  PrintTime TIMESTAMP,
  PrintModel VARCHAR(1),
  Content BLOB,
  ReceiptData TEXT
);
