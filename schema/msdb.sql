-- The account catalogue database msdb: the account databases on this server. Without an
-- alias the till takes the first account with PosFlag 1. With an alias it looks the account
-- up by DBName. An account whose DBName begins with Demo (exact case) is a demonstration
-- account.
CREATE TABLE AccountInfo (
  AccountNo VARCHAR(20) NOT NULL PRIMARY KEY,
  DBName TEXT NOT NULL,
  PosFlag INTEGER DEFAULT 0
);
CREATE INDEX ix_accountinfo_dbname ON AccountInfo(DBName);
