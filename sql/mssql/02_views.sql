-- Views of a SQL Server catalogue: what the current login may see, the logins list,
-- the rights lists and the sessions of the program's users. A user stands for itself
-- and every role it is a member of (IS_MEMBER); administrators are the members of the
-- database role vorn_admin and of db_owner.

IF DATABASE_PRINCIPAL_ID(N'vorn_admin') IS NULL CREATE ROLE vorn_admin;
GO

CREATE VIEW vwVornIsAdmin AS
SELECT CASE WHEN IS_MEMBER(N'vorn_admin') = 1 OR IS_MEMBER(N'db_owner') = 1
            THEN 1 ELSE 0 END AS IsAdmin;
GO

-- Rights rows that apply to the current user.
CREATE VIEW vwVornMyRights AS
SELECT u.IdTypObj, u.IdObj FROM VornUsers u
WHERE u.LoginName = USER_NAME() OR IS_MEMBER(u.LoginName) = 1;
GO

CREATE VIEW vwVornGrantedGroup AS
SELECT r.IdObj AS IdGroup FROM vwVornMyRights r WHERE r.IdTypObj = 1;
GO

CREATE VIEW vwVornForm AS
SELECT f.Id, f.Numm, f.Name, f.IdDestination, f.IdTypExec, f.Description
FROM VornForm f
WHERE (SELECT IsAdmin FROM vwVornIsAdmin) > 0
   OR f.Id IN (SELECT r.IdObj FROM vwVornMyRights r WHERE r.IdTypObj = 2)
   OR f.Id IN (SELECT b.IdForm FROM VornGrpBody b
               WHERE b.IdGroup IN (SELECT IdGroup FROM vwVornGrantedGroup));
GO

CREATE VIEW vwVornScript AS
SELECT s.Id, s.Numm, s.Name, s.Description, s.IdScrEng
FROM VornScript s
WHERE (SELECT IsAdmin FROM vwVornIsAdmin) > 0
   OR s.Id IN (SELECT r.IdObj FROM vwVornMyRights r WHERE r.IdTypObj = 5)
   OR s.Id IN (SELECT b.IdScript FROM VornGrpBody b
               WHERE b.IdGroup IN (SELECT IdGroup FROM vwVornGrantedGroup));
GO

-- A group shows when granted, or when it holds a report or script granted directly,
-- so that a direct grant is reachable in the tree.
CREATE VIEW vwVornGroup AS
SELECT g.Id, g.GrpName, g.IdParent, g.Numm
FROM VornGroup g
WHERE (SELECT IsAdmin FROM vwVornIsAdmin) > 0
   OR g.Id IN (SELECT IdGroup FROM vwVornGrantedGroup)
   OR g.Id IN (SELECT b.IdGroup FROM VornGrpBody b JOIN vwVornMyRights r
                 ON (r.IdTypObj = 2 AND r.IdObj = b.IdForm) OR (r.IdTypObj = 5 AND r.IdObj = b.IdScript));
GO

CREATE VIEW vwVornImports AS
SELECT i.Id, i.Numm, i.Name, i.FileTemplate, i.Description, i.IdScrEng
FROM VornImports i
WHERE (SELECT IsAdmin FROM vwVornIsAdmin) > 0
   OR i.Id IN (SELECT r.IdObj FROM vwVornMyRights r WHERE r.IdTypObj = 6);
GO

-- The database's users and roles; fixed roles and system users are left out.
CREATE VIEW vwVornLogins AS
SELECT CAST(p.name AS nvarchar(30)) AS LoginName,
       CAST(COALESCE(n.FullName, p.name) AS nvarchar(40)) AS FullName,
       CASE WHEN p.type = 'R' THEN 1 ELSE 0 END AS IsRole
FROM sys.database_principals p LEFT JOIN VornLogins n ON n.LoginName = p.name
WHERE p.type IN ('S', 'U', 'G', 'R') AND p.is_fixed_role = 0
  AND p.name NOT IN (N'public', N'guest', N'dbo', N'INFORMATION_SCHEMA', N'sys');
GO

-- Every object that can carry rights; Id is unique over all kinds.
CREATE VIEW vwVornObjects AS
SELECT 100000000 + g.Id AS Id, g.Id AS IdObj, g.GrpName AS ObjName, 1 AS IdTypObj, g.Numm FROM VornGroup g
UNION ALL
SELECT 200000000 + f.Id, f.Id, f.Name, 2, f.Numm FROM VornForm f
UNION ALL
SELECT 500000000 + s.Id, s.Id, s.Name, 5, s.Numm FROM VornScript s
UNION ALL
SELECT 600000000 + i.Id, i.Id, i.Name, 6, i.Numm FROM VornImports i;
GO

CREATE VIEW vwVornRightsByUser AS
SELECT o.Id, o.IdTypObj, o.IdObj, o.ObjName, t.Item AS TypObjName, u.Id AS IdRight,
       l.LoginName, o.Numm
FROM vwVornLogins l
CROSS JOIN vwVornObjects o
LEFT JOIN Lookups t ON t.Teg = N'VornUsers_IdTypObj' AND t.Ival = o.IdTypObj
LEFT JOIN VornUsers u ON u.IdTypObj = o.IdTypObj AND u.IdObj = o.IdObj AND u.LoginName = l.LoginName;
GO

-- Sessions of this database with their workstation and program name; the program's
-- server list and message recipients are read from here.
CREATE VIEW vwVornSessions AS
SELECT CAST(RTRIM(p.hostname) AS nvarchar(255)) AS Host,
       CAST(RTRIM(p.program_name) AS nvarchar(255)) AS ProgramName,
       CAST(COALESCE(dp.name, RTRIM(p.loginame)) AS nvarchar(40)) AS LoginName,
       CASE WHEN p.sid = SUSER_SID() THEN 1 ELSE 0 END AS IsOwnLogin
FROM master..sysprocesses p LEFT JOIN sys.database_principals dp ON dp.sid = p.sid
WHERE p.dbid = DB_ID();
GO

CREATE VIEW vwVornRecipients AS
SELECT DISTINCT s.Host, l.FullName
FROM vwVornSessions s JOIN vwVornLogins l ON l.LoginName = s.LoginName
WHERE s.Host IS NOT NULL AND s.Host <> N'';
GO
