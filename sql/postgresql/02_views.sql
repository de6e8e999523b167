-- Views of a PostgreSQL catalogue: what the current login may see, the logins list,
-- the rights lists and the sessions of the program's users. A login stands for
-- itself and every role it is a member of; administrators are superusers and the
-- members of the role vorn_admin.

DO $$
BEGIN
  IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'vorn_admin') THEN
    CREATE ROLE vorn_admin NOLOGIN;
  END IF;
EXCEPTION WHEN duplicate_object OR unique_violation THEN
  NULL;  -- made at the same moment by another catalogue's creation
END $$;

CREATE VIEW vwVornPrincipal AS
SELECT r.rolname::varchar(40) AS LoginName
FROM pg_roles r
WHERE pg_has_role(current_user, r.oid, 'MEMBER');

CREATE VIEW vwVornIsAdmin AS
SELECT CASE WHEN (SELECT rolsuper FROM pg_roles WHERE rolname = current_user)
              OR pg_has_role(current_user, 'vorn_admin', 'MEMBER')
            THEN 1 ELSE 0 END AS IsAdmin;

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

-- The server's logins and roles (a role is one that cannot log in); the built-in
-- pg_ roles are left out.
CREATE VIEW vwVornLogins AS
SELECT r.rolname::varchar(30) AS LoginName,
       COALESCE(n.FullName, r.rolname::varchar)::varchar(40) AS FullName,
       CASE WHEN r.rolcanlogin THEN 0 ELSE 1 END AS IsRole
FROM pg_roles r LEFT JOIN VornLogins n ON n.LoginName = r.rolname
WHERE r.rolname NOT LIKE 'pg\_%';

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

-- Sessions of this database with their workstation and program name; the program's
-- server list and message recipients are read from here. Other logins' addresses are
-- hidden from ordinary users in pg_stat_activity, so the list is read with the
-- creator's rights.
CREATE FUNCTION vorn_sessions()
RETURNS TABLE (Host varchar, ProgramName varchar, LoginName varchar, IsOwnLogin integer)
LANGUAGE sql STABLE SECURITY DEFINER SET search_path FROM CURRENT AS $$
  SELECT COALESCE(a.client_hostname, host(a.client_addr))::varchar,
         a.application_name::varchar,
         a.usename::varchar,
         CASE WHEN a.usename = session_user THEN 1 ELSE 0 END
  FROM pg_stat_activity a
  WHERE a.datname = current_database() AND a.client_addr IS NOT NULL
$$;

CREATE VIEW vwVornSessions AS
SELECT s.Host::varchar(255) AS Host, s.ProgramName::varchar(255) AS ProgramName,
       s.LoginName::varchar(40) AS LoginName, s.IsOwnLogin
FROM vorn_sessions() s;

CREATE VIEW vwVornRecipients AS
SELECT DISTINCT s.Host, l.FullName
FROM vwVornSessions s JOIN vwVornLogins l ON l.LoginName = s.LoginName
WHERE s.Host IS NOT NULL AND s.Host <> '';
