-- Tables of the demo trading business (regions, clients, goods, invoices and their
-- lines) and the table the demo import loads a supplier's price list into.

CREATE TABLE Regions (
  Id   INTEGER NOT NULL PRIMARY KEY,
  Name VARCHAR(80) NOT NULL
);

CREATE TABLE Clients (
  Id          INTEGER NOT NULL PRIMARY KEY,
  Name        VARCHAR(120) NOT NULL,
  RegionId    INTEGER NOT NULL REFERENCES Regions (Id),
  Inn         VARCHAR(12),
  Phone       VARCHAR(40),
  Address     VARCHAR(200),
  CreditLimit NUMERIC(12,2) NOT NULL DEFAULT 0
);

CREATE TABLE Goods (
  Id        INTEGER NOT NULL PRIMARY KEY,
  Code      VARCHAR(20) NOT NULL,
  Name      VARCHAR(120) NOT NULL,
  Unit      VARCHAR(10) NOT NULL,
  Price     NUMERIC(12,2) NOT NULL,
  GroupName VARCHAR(60) NOT NULL
);

CREATE TABLE Invoices (
  Id       INTEGER NOT NULL PRIMARY KEY,
  InvNo    VARCHAR(20) NOT NULL,
  InvDate  DATE NOT NULL,
  ClientId INTEGER NOT NULL REFERENCES Clients (Id),
  Total    NUMERIC(12,2) NOT NULL,
  Paid     INTEGER NOT NULL DEFAULT 0,
  Manager  VARCHAR(60)
);
CREATE INDEX Invoices_Client ON Invoices (ClientId, InvDate);
CREATE INDEX Invoices_Date ON Invoices (InvDate);

CREATE TABLE InvoiceLines (
  Id        INTEGER NOT NULL PRIMARY KEY,
  InvoiceId INTEGER NOT NULL REFERENCES Invoices (Id),
  GoodsId   INTEGER NOT NULL REFERENCES Goods (Id),
  Qty       NUMERIC(12,3) NOT NULL,
  Price     NUMERIC(12,2) NOT NULL,
  Amount    NUMERIC(12,2) NOT NULL
);
CREATE INDEX InvoiceLines_Invoice ON InvoiceLines (InvoiceId);

CREATE TABLE PriceImport (
  Id    INTEGER PRIMARY KEY AUTOINCREMENT,
  Code  VARCHAR(20),
  Name  VARCHAR(120),
  Unit  VARCHAR(10),
  Price NUMERIC(12,2)
);
