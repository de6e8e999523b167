-- Views of the embedded catalogue: what the current login may see, the logins list
-- and the rights lists. vorn_login() is the session function of the dataset layer;
-- a login stands for itself and for every role it is a member of.

CREATE VIEW vwVornPrincipal AS
SELECT vorn_login() AS LoginName
UNION
SELECT m.RoleName FROM VornLoginMember m WHERE m.LoginName = vorn_login();

CREATE VIEW vwVornIsAdmin AS
SELECT CASE WHEN EXISTS (SELECT 1 FROM VornLogin a
                         WHERE a.IsAdmin <> 0
                           AND a.LoginName IN (SELECT LoginName FROM vwVornPrincipal))
            THEN 1 ELSE 0 END AS IsAdmin;

-- Groups granted to the login, directly or through a role.
CREATE VIEW vwVornGrantedGroup AS
SELECT u.IdObj AS IdGroup FROM VornUsers u
WHERE u.IdTypObj = 1 AND u.LoginName IN (SELECT LoginName FROM vwVornPrincipal);

CREATE VIEW vwVornForm AS
SELECT f.Id, f.Numm, f.Name, f.IdDestination, f.IdTypExec, f.Description
FROM VornForm f
WHERE (SELECT IsAdmin FROM vwVornIsAdmin) > 0
   OR f.Id IN (SELECT u.IdObj FROM VornUsers u
               WHERE u.IdTypObj = 2 AND u.LoginName IN (SELECT LoginName FROM vwVornPrincipal))
   OR f.Id IN (SELECT b.IdForm FROM VornGrpBody b
               WHERE b.IdGroup IN (SELECT IdGroup FROM vwVornGrantedGroup));

CREATE VIEW vwVornScript AS
SELECT s.Id, s.Numm, s.Name, s.Description, s.IdScrEng
FROM VornScript s
WHERE (SELECT IsAdmin FROM vwVornIsAdmin) > 0
   OR s.Id IN (SELECT u.IdObj FROM VornUsers u
               WHERE u.IdTypObj = 5 AND u.LoginName IN (SELECT LoginName FROM vwVornPrincipal))
   OR s.Id IN (SELECT b.IdScript FROM VornGrpBody b
               WHERE b.IdGroup IN (SELECT IdGroup FROM vwVornGrantedGroup));

-- A group shows when granted, or when it holds a report or script granted directly,
-- so that a direct grant is reachable in the tree.
CREATE VIEW vwVornGroup AS
SELECT g.Id, g.GrpName, g.IdParent, g.Numm
FROM VornGroup g
WHERE (SELECT IsAdmin FROM vwVornIsAdmin) > 0
   OR g.Id IN (SELECT IdGroup FROM vwVornGrantedGroup)
   OR g.Id IN (SELECT b.IdGroup FROM VornGrpBody b JOIN VornUsers u
                 ON (u.IdTypObj = 2 AND u.IdObj = b.IdForm) OR (u.IdTypObj = 5 AND u.IdObj = b.IdScript)
               WHERE u.LoginName IN (SELECT LoginName FROM vwVornPrincipal));

CREATE VIEW vwVornImports AS
SELECT i.Id, i.Numm, i.Name, i.FileTemplate, i.Description, i.IdScrEng
FROM VornImports i
WHERE (SELECT IsAdmin FROM vwVornIsAdmin) > 0
   OR i.Id IN (SELECT u.IdObj FROM VornUsers u
               WHERE u.IdTypObj = 6 AND u.LoginName IN (SELECT LoginName FROM vwVornPrincipal));

CREATE VIEW vwVornLogins AS
SELECT l.LoginName, COALESCE(n.FullName, l.LoginName) AS FullName,
       CASE WHEN l.IsRole <> 0 THEN 1 ELSE 0 END AS IsRole
FROM VornLogin l LEFT JOIN VornLogins n ON n.LoginName = l.LoginName;

-- Every object that can carry rights; Id is unique over all kinds.
CREATE VIEW vwVornObjects AS
SELECT 100000000 + g.Id AS Id, g.Id AS IdObj, g.GrpName AS ObjName, 1 AS IdTypObj, g.Numm FROM VornGroup g
UNION ALL
SELECT 200000000 + f.Id, f.Id, f.Name, 2, f.Numm FROM VornForm f
UNION ALL
SELECT 500000000 + s.Id, s.Id, s.Name, 5, s.Numm FROM VornScript s
UNION ALL
SELECT 600000000 + i.Id, i.Id, i.Name, 6, i.Numm FROM VornImports i;

CREATE VIEW vwVornRightsByUser AS
SELECT o.Id, o.IdTypObj, o.IdObj, o.ObjName, t.Item AS TypObjName, u.Id AS IdRight,
       l.LoginName, o.Numm
FROM vwVornLogins l
CROSS JOIN vwVornObjects o
LEFT JOIN Lookups t ON t.Teg = 'VornUsers_IdTypObj' AND t.Ival = o.IdTypObj
LEFT JOIN VornUsers u ON u.IdTypObj = o.IdTypObj AND u.IdObj = o.IdObj AND u.LoginName = l.LoginName;

-- Workstations of the program's users, for the server list and the message window:
-- the embedded catalogue has no server sessions, so the last twelve hours of the
-- action log stand in for them.
CREATE VIEW vwVornSessions AS
SELECT DISTINCT a.HostName AS Host, a.AppName AS ProgramName, a.LoginName,
       CASE WHEN a.LoginName = vorn_login() THEN 1 ELSE 0 END AS IsOwnLogin
FROM VornActionLog a
WHERE a.HostName IS NOT NULL AND a.HostName <> ''
  AND a.LogTime >= datetime('now', '-12 hours');

CREATE VIEW vwVornRecipients AS
SELECT DISTINCT s.Host, l.FullName
FROM vwVornSessions s JOIN vwVornLogins l ON l.LoginName = s.LoginName;
