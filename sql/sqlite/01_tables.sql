-- Catalogue tables for the embedded (SQLite) catalogue.
-- AUTOINCREMENT keeps ids growing after deletes: editors find their new row by max(Id).
-- VornProcedure, VornLogin and VornLoginMember are read by the dataset layer itself.

CREATE TABLE VornForm (
  Id            INTEGER PRIMARY KEY AUTOINCREMENT,
  Numm          INTEGER NOT NULL DEFAULT 0,
  Name          VARCHAR(255) NOT NULL DEFAULT '',
  Description   VARCHAR(255),
  IdDestination INTEGER NOT NULL DEFAULT 0,
  IdTypExec     INTEGER NOT NULL DEFAULT 1,
  Report        BLOB
);

CREATE TABLE VornQuery (
  Id          INTEGER PRIMARY KEY AUTOINCREMENT,
  Numm        INTEGER NOT NULL DEFAULT 0,
  Name        VARCHAR(255) NOT NULL DEFAULT '',
  Description VARCHAR(255),
  SQLtext     TEXT
);

CREATE TABLE VornRemoteData (
  Id               INTEGER PRIMARY KEY AUTOINCREMENT,
  Numm             INTEGER NOT NULL DEFAULT 0,
  Name             VARCHAR(255) NOT NULL DEFAULT '',
  Description      VARCHAR(255),
  IdRemtServerType INTEGER NOT NULL DEFAULT 1,
  ServerName       VARCHAR(255),
  ServerGUID       VARCHAR(255),
  ComputerName     VARCHAR(255),
  IdRemtProtocol   INTEGER NOT NULL DEFAULT 1,
  Port             INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE VornFrm2Qry (
  Id             INTEGER PRIMARY KEY AUTOINCREMENT,
  IdForm         INTEGER NOT NULL,
  Numm           INTEGER NOT NULL DEFAULT 0,
  IdQuery        INTEGER,
  IdRemoteData   INTEGER,
  IsMaster       INTEGER NOT NULL DEFAULT 0,
  QueryShortName VARCHAR(20) NOT NULL DEFAULT ''
);
CREATE INDEX VornFrm2Qry_IdForm ON VornFrm2Qry (IdForm, Numm);

CREATE TABLE VornParam (
  Id                 INTEGER PRIMARY KEY AUTOINCREMENT,
  IdQuery            INTEGER,
  IdRemoteData       INTEGER,
  Numm               INTEGER NOT NULL DEFAULT 0,
  ParName            VARCHAR(40) NOT NULL DEFAULT '',
  ParLabel           VARCHAR(40),
  IdParTyp           INTEGER NOT NULL DEFAULT 0,
  SQL                TEXT,
  Width              INTEGER NOT NULL DEFAULT 0,
  LookupField        VARCHAR(40),
  LookupDisplay      VARCHAR(40),
  LookupDisplayIndex INTEGER NOT NULL DEFAULT 0,
  IdTypDefVal        INTEGER NOT NULL DEFAULT 0,
  DefSQL             TEXT,
  CHECK (IdQuery IS NOT NULL OR IdRemoteData IS NOT NULL)
);
CREATE INDEX VornParam_IdQuery ON VornParam (IdQuery, Numm);
CREATE INDEX VornParam_IdRemoteData ON VornParam (IdRemoteData, Numm);

CREATE TABLE VornGroup (
  Id       INTEGER PRIMARY KEY AUTOINCREMENT,
  GrpName  VARCHAR(255) NOT NULL DEFAULT '',
  IdParent INTEGER,
  Numm     INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE VornGrpBody (
  Id       INTEGER PRIMARY KEY AUTOINCREMENT,
  IdGroup  INTEGER NOT NULL,
  IdForm   INTEGER,
  IdScript INTEGER,
  Numm     INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX VornGrpBody_IdGroup ON VornGrpBody (IdGroup, Numm);

CREATE TABLE VornScript (
  Id          INTEGER PRIMARY KEY AUTOINCREMENT,
  Numm        INTEGER NOT NULL DEFAULT 0,
  Name        VARCHAR(255) NOT NULL DEFAULT '',
  Description VARCHAR(255),
  IdScrEng    INTEGER NOT NULL DEFAULT 1,
  ScriptText  TEXT
);

CREATE TABLE VornImports (
  Id           INTEGER PRIMARY KEY AUTOINCREMENT,
  Numm         INTEGER NOT NULL DEFAULT 0,
  Name         VARCHAR(255) NOT NULL DEFAULT '',
  Description  VARCHAR(255),
  FileTemplate VARCHAR(255),
  IdScrEng     INTEGER NOT NULL DEFAULT 1,
  SQLtext      TEXT,
  ScriptText   TEXT
);

CREATE TABLE VornLogins (
  LoginName VARCHAR(40) NOT NULL PRIMARY KEY COLLATE NOCASE,
  FullName  VARCHAR(40)
);

CREATE TABLE VornUsers (
  Id        INTEGER PRIMARY KEY AUTOINCREMENT,
  IdTypObj  INTEGER NOT NULL,
  IdObj     INTEGER NOT NULL,
  LoginName VARCHAR(40) NOT NULL COLLATE NOCASE,
  UNIQUE (IdTypObj, IdObj, LoginName)
);

CREATE TABLE Lookups (
  Id      INTEGER PRIMARY KEY AUTOINCREMENT,
  Teg     VARCHAR(40) NOT NULL,
  Ival    INTEGER,
  Item    VARCHAR(80),
  Comment VARCHAR(80)
);
CREATE INDEX Lookups_Teg ON Lookups (Teg, Ival);

CREATE TABLE VornActionLog (
  Id        INTEGER PRIMARY KEY AUTOINCREMENT,
  LogTime   DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP,
  LoginName VARCHAR(40),
  HostName  VARCHAR(255),
  AppName   VARCHAR(255),
  IdAction  INTEGER NOT NULL,
  ValueId   INTEGER,
  Name      VARCHAR(255)
);

-- Procedure bodies run by the dataset layer's SQLite procedure executor.
CREATE TABLE VornProcedure (
  Name   TEXT PRIMARY KEY COLLATE NOCASE,
  Params TEXT NOT NULL DEFAULT '',
  Body   TEXT NOT NULL
);

-- Stays empty: the changing procedures insert a row here for a login that is not an
-- administrator, and the named constraint refuses it with a readable message.
CREATE TABLE VornAdminCheck (
  Denied INTEGER,
  CONSTRAINT "Изменять каталог может только администратор" CHECK (Denied IS NULL)
);

-- Logins and roles of the embedded catalogue, checked when a connection opens.
CREATE TABLE VornLogin (
  LoginName TEXT PRIMARY KEY COLLATE NOCASE,
  IsRole    INTEGER NOT NULL DEFAULT 0,
  IsAdmin   INTEGER NOT NULL DEFAULT 0,
  PwdSalt   TEXT NOT NULL DEFAULT '',
  PwdHash   TEXT NOT NULL DEFAULT ''
);

CREATE TABLE VornLoginMember (
  LoginName TEXT NOT NULL COLLATE NOCASE,
  RoleName  TEXT NOT NULL COLLATE NOCASE,
  PRIMARY KEY (LoginName, RoleName)
);
