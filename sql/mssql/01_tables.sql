-- Catalogue tables for a Microsoft SQL Server catalogue (Transact-SQL, batches
-- separated by GO). IDENTITY never hands out an id twice, so editors find their new
-- row by max(Id). Text columns are Unicode for the Russian captions.

CREATE TABLE VornForm (
  Id            int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  Numm          int NOT NULL DEFAULT 0,
  Name          nvarchar(255) NOT NULL DEFAULT N'',
  Description   nvarchar(255),
  IdDestination int NOT NULL DEFAULT 0,
  IdTypExec     int NOT NULL DEFAULT 1,
  Report        varbinary(max)
);
GO

CREATE TABLE VornQuery (
  Id          int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  Numm        int NOT NULL DEFAULT 0,
  Name        nvarchar(255) NOT NULL DEFAULT N'',
  Description nvarchar(255),
  SQLtext     nvarchar(max)
);
GO

CREATE TABLE VornRemoteData (
  Id               int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  Numm             int NOT NULL DEFAULT 0,
  Name             nvarchar(255) NOT NULL DEFAULT N'',
  Description      nvarchar(255),
  IdRemtServerType int NOT NULL DEFAULT 1,
  ServerName       nvarchar(255),
  ServerGUID       nvarchar(255),
  ComputerName     nvarchar(255),
  IdRemtProtocol   int NOT NULL DEFAULT 1,
  Port             int NOT NULL DEFAULT 0
);
GO

CREATE TABLE VornFrm2Qry (
  Id             int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  IdForm         int NOT NULL,
  Numm           int NOT NULL DEFAULT 0,
  IdQuery        int,
  IdRemoteData   int,
  IsMaster       int NOT NULL DEFAULT 0,
  QueryShortName nvarchar(20) NOT NULL DEFAULT N''
);
GO
CREATE INDEX VornFrm2Qry_IdForm ON VornFrm2Qry (IdForm, Numm);
GO

CREATE TABLE VornParam (
  Id                 int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  IdQuery            int,
  IdRemoteData       int,
  Numm               int NOT NULL DEFAULT 0,
  ParName            nvarchar(40) NOT NULL DEFAULT N'',
  ParLabel           nvarchar(40),
  IdParTyp           int NOT NULL DEFAULT 0,
  SQL                nvarchar(max),
  Width              int NOT NULL DEFAULT 0,
  LookupField        nvarchar(40),
  LookupDisplay      nvarchar(40),
  LookupDisplayIndex int NOT NULL DEFAULT 0,
  IdTypDefVal        int NOT NULL DEFAULT 0,
  DefSQL             nvarchar(max),
  CHECK (IdQuery IS NOT NULL OR IdRemoteData IS NOT NULL)
);
GO
CREATE INDEX VornParam_IdQuery ON VornParam (IdQuery, Numm);
GO
CREATE INDEX VornParam_IdRemoteData ON VornParam (IdRemoteData, Numm);
GO

CREATE TABLE VornGroup (
  Id       int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  GrpName  nvarchar(255) NOT NULL DEFAULT N'',
  IdParent int,
  Numm     int NOT NULL DEFAULT 0
);
GO

CREATE TABLE VornGrpBody (
  Id       int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  IdGroup  int NOT NULL,
  IdForm   int,
  IdScript int,
  Numm     int NOT NULL DEFAULT 0
);
GO
CREATE INDEX VornGrpBody_IdGroup ON VornGrpBody (IdGroup, Numm);
GO

CREATE TABLE VornScript (
  Id          int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  Numm        int NOT NULL DEFAULT 0,
  Name        nvarchar(255) NOT NULL DEFAULT N'',
  Description nvarchar(255),
  IdScrEng    int NOT NULL DEFAULT 1,
  ScriptText  nvarchar(max)
);
GO

CREATE TABLE VornImports (
  Id           int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  Numm         int NOT NULL DEFAULT 0,
  Name         nvarchar(255) NOT NULL DEFAULT N'',
  Description  nvarchar(255),
  FileTemplate nvarchar(255),
  IdScrEng     int NOT NULL DEFAULT 1,
  SQLtext      nvarchar(max),
  ScriptText   nvarchar(max)
);
GO

CREATE TABLE VornLogins (
  LoginName nvarchar(40) NOT NULL PRIMARY KEY,
  FullName  nvarchar(40)
);
GO

CREATE TABLE VornUsers (
  Id        int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  IdTypObj  int NOT NULL,
  IdObj     int NOT NULL,
  LoginName nvarchar(40) NOT NULL,
  UNIQUE (IdTypObj, IdObj, LoginName)
);
GO

CREATE TABLE Lookups (
  Id      int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  Teg     nvarchar(40) NOT NULL,
  Ival    int,
  Item    nvarchar(80),
  Comment nvarchar(80)
);
GO
CREATE INDEX Lookups_Teg ON Lookups (Teg, Ival);
GO

CREATE TABLE VornActionLog (
  Id        int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  LogTime   datetime NOT NULL DEFAULT GETDATE(),
  LoginName nvarchar(40),
  HostName  nvarchar(255),
  AppName   nvarchar(255),
  IdAction  int NOT NULL,
  ValueId   int,
  Name      nvarchar(255)
);
GO
