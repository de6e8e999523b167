-- Tables of the demo trading business (regions, clients, goods, invoices and their
-- lines) and the table the demo import loads a supplier's price list into.

CREATE TABLE Regions (
  Id   int NOT NULL PRIMARY KEY,
  Name nvarchar(80) NOT NULL
);
GO

CREATE TABLE Clients (
  Id          int NOT NULL PRIMARY KEY,
  Name        nvarchar(120) NOT NULL,
  RegionId    int NOT NULL REFERENCES Regions (Id),
  Inn         nvarchar(12),
  Phone       nvarchar(40),
  Address     nvarchar(200),
  CreditLimit numeric(12,2) NOT NULL DEFAULT 0
);
GO

CREATE TABLE Goods (
  Id        int NOT NULL PRIMARY KEY,
  Code      nvarchar(20) NOT NULL,
  Name      nvarchar(120) NOT NULL,
  Unit      nvarchar(10) NOT NULL,
  Price     numeric(12,2) NOT NULL,
  GroupName nvarchar(60) NOT NULL
);
GO

CREATE TABLE Invoices (
  Id       int NOT NULL PRIMARY KEY,
  InvNo    nvarchar(20) NOT NULL,
  InvDate  date NOT NULL,
  ClientId int NOT NULL REFERENCES Clients (Id),
  Total    numeric(12,2) NOT NULL,
  Paid     int NOT NULL DEFAULT 0,
  Manager  nvarchar(60)
);
GO
CREATE INDEX Invoices_Client ON Invoices (ClientId, InvDate);
GO
CREATE INDEX Invoices_Date ON Invoices (InvDate);
GO

CREATE TABLE InvoiceLines (
  Id        int NOT NULL PRIMARY KEY,
  InvoiceId int NOT NULL REFERENCES Invoices (Id),
  GoodsId   int NOT NULL REFERENCES Goods (Id),
  Qty       numeric(12,3) NOT NULL,
  Price     numeric(12,2) NOT NULL,
  Amount    numeric(12,2) NOT NULL
);
GO
CREATE INDEX InvoiceLines_Invoice ON InvoiceLines (InvoiceId);
GO

CREATE TABLE PriceImport (
  Id    int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  Code  nvarchar(20),
  Name  nvarchar(120),
  Unit  nvarchar(10),
  Price numeric(12,2)
);
GO
