-- The alias directory database tarvix. A till whose server name is an alias (tarvix.NAME)
-- looks NAME up here: a row with a DBName sends it to that account on the directory's own
-- server, provided the password typed equals DBPSW. A row with only an IP sends it to that
-- server with the login as typed.
CREATE TABLE JBUser (
  DnsName VARCHAR(60) NOT NULL PRIMARY KEY,
  IP TEXT,
  DBName TEXT,
  DBPSW TEXT
);
