-- Catalogue procedures of the embedded catalogue, kept as rows for the dataset
-- layer's procedure executor: plain statements, @Name parameters, outputs taken
-- from the columns of the last statement that returned a row. Procedures that change
-- the catalogue first refuse a login that is not an administrator (VornAdminCheck).

INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornGetIsAdmin', '@IsAdmin int out',
'SELECT IsAdmin FROM vwVornIsAdmin');

INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornLogAction',
'@IdAction int in, @ValueId int in, @Name varchar in',
'INSERT INTO VornActionLog (LoginName, HostName, AppName, IdAction, ValueId, Name)
 VALUES (vorn_login(), vorn_host(), vorn_app(), @IdAction, @ValueId, @Name)');

-- Groups
INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornGrpAdd', '@GrpName varchar in, @IdGrp int out',
'INSERT INTO VornAdminCheck (Denied) SELECT 1 FROM vwVornIsAdmin WHERE IsAdmin = 0;
INSERT INTO VornGroup (GrpName, IdParent, Numm)
 VALUES (@GrpName, NULL, (SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornGroup));
SELECT last_insert_rowid() AS IdGrp');

INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornGrpDel', '@IdGrp int in',
'INSERT INTO VornAdminCheck (Denied) SELECT 1 FROM vwVornIsAdmin WHERE IsAdmin = 0;
DELETE FROM VornGrpBody WHERE IdGroup = @IdGrp;
DELETE FROM VornUsers WHERE IdTypObj = 1 AND IdObj = @IdGrp;
UPDATE VornGroup SET IdParent = NULL WHERE IdParent = @IdGrp;
DELETE FROM VornGroup WHERE Id = @IdGrp');

INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornGrpNumm', '@Numm int out',
'SELECT COALESCE(MAX(Numm), 0) + 1 AS Numm FROM VornGroup');

-- Reports. The object passed in IdQuery may be a query or a data module (the caller
-- uses one parameter for both): the one whose name starts the report name wins,
-- a query when both or neither match.
INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornFormAdd',
'@Name varchar in, @IdQuery int in, @IdRemoteData int in, @IdForm int out',
'INSERT INTO VornAdminCheck (Denied) SELECT 1 FROM vwVornIsAdmin WHERE IsAdmin = 0;
INSERT INTO VornForm (Numm, Name, IdDestination, IdTypExec)
 VALUES ((SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornForm), @Name, 0, 1);
INSERT INTO VornFrm2Qry (IdForm, Numm, IdQuery, IdRemoteData, IsMaster, QueryShortName)
 SELECT (SELECT MAX(Id) FROM VornForm), 1, q.Id, NULL, 0, ''Query1''
 FROM VornQuery q
 WHERE q.Id = @IdQuery AND @IdQuery > 0;
INSERT INTO VornFrm2Qry (IdForm, Numm, IdQuery, IdRemoteData, IsMaster, QueryShortName)
 SELECT (SELECT MAX(Id) FROM VornForm), 1, NULL, r.Id, 0, ''Query1''
 FROM VornRemoteData r
 WHERE r.Id = @IdRemoteData AND COALESCE(@IdQuery, 0) <= 0;
SELECT MAX(Id) AS IdForm FROM VornForm');

INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornFormDel', '@IdForm int in',
'INSERT INTO VornAdminCheck (Denied) SELECT 1 FROM vwVornIsAdmin WHERE IsAdmin = 0;
DELETE FROM VornFrm2Qry WHERE IdForm = @IdForm;
DELETE FROM VornGrpBody WHERE IdForm = @IdForm;
DELETE FROM VornUsers WHERE IdTypObj = 2 AND IdObj = @IdForm;
DELETE FROM VornForm WHERE Id = @IdForm');

INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornFormNumm', '@Numm int out',
'SELECT COALESCE(MAX(Numm), 0) + 1 AS Numm FROM VornForm');

INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornFrm2QryNumm', '@IdForm int in, @Numm int out',
'SELECT COALESCE(MAX(Numm), 0) + 1 AS Numm FROM VornFrm2Qry WHERE IdForm = @IdForm');

-- Queries
INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornQueryAdd',
'@Name varchar in, @IdForm int in, @IdQuery int out',
'INSERT INTO VornAdminCheck (Denied) SELECT 1 FROM vwVornIsAdmin WHERE IsAdmin = 0;
INSERT INTO VornQuery (Numm, Name, SQLtext)
 VALUES ((SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornQuery), @Name, '''');
INSERT INTO VornFrm2Qry (IdForm, Numm, IdQuery, IdRemoteData, IsMaster, QueryShortName)
 SELECT f.Id, n.Numm, (SELECT MAX(Id) FROM VornQuery), NULL, 0, ''Query'' || n.Numm
 FROM VornForm f,
      (SELECT COALESCE(MAX(Numm), 0) + 1 AS Numm FROM VornFrm2Qry WHERE IdForm = @IdForm) n
 WHERE f.Id = @IdForm;
SELECT MAX(Id) AS IdQuery FROM VornQuery');

INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornQueryDel', '@IdQuery int in',
'INSERT INTO VornAdminCheck (Denied) SELECT 1 FROM vwVornIsAdmin WHERE IsAdmin = 0;
DELETE FROM VornParam WHERE IdQuery = @IdQuery;
DELETE FROM VornFrm2Qry WHERE IdQuery = @IdQuery;
DELETE FROM VornQuery WHERE Id = @IdQuery');

INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornQueryNumm', '@Numm int out',
'SELECT COALESCE(MAX(Numm), 0) + 1 AS Numm FROM VornQuery');

-- Scripts
INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornScriptAdd', '@Name varchar in, @IdScript int out',
'INSERT INTO VornAdminCheck (Denied) SELECT 1 FROM vwVornIsAdmin WHERE IsAdmin = 0;
INSERT INTO VornScript (Numm, Name, IdScrEng, ScriptText)
 VALUES ((SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornScript), @Name,
         COALESCE((SELECT MIN(Ival) FROM Lookups WHERE Teg = ''VornScript_IdScrEng''), 1), '''');
SELECT last_insert_rowid() AS IdScript');

INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornScriptDel', '@IdScript int in',
'INSERT INTO VornAdminCheck (Denied) SELECT 1 FROM vwVornIsAdmin WHERE IsAdmin = 0;
DELETE FROM VornGrpBody WHERE IdScript = @IdScript;
DELETE FROM VornUsers WHERE IdTypObj = 5 AND IdObj = @IdScript;
DELETE FROM VornScript WHERE Id = @IdScript');

INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornScriptNumm', '@Numm int out',
'SELECT COALESCE(MAX(Numm), 0) + 1 AS Numm FROM VornScript');

-- Remote data modules
INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornRemoteDataAdd', '@Name varchar in, @IdRemoteData int out',
'INSERT INTO VornAdminCheck (Denied) SELECT 1 FROM vwVornIsAdmin WHERE IsAdmin = 0;
INSERT INTO VornRemoteData (Numm, Name, IdRemtServerType, IdRemtProtocol, Port)
 VALUES ((SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornRemoteData), @Name, 1, 1, 0);
SELECT last_insert_rowid() AS IdRemoteData');

INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornRemoteDataDel', '@IdRemoteData int in',
'INSERT INTO VornAdminCheck (Denied) SELECT 1 FROM vwVornIsAdmin WHERE IsAdmin = 0;
DELETE FROM VornParam WHERE IdRemoteData = @IdRemoteData;
DELETE FROM VornFrm2Qry WHERE IdRemoteData = @IdRemoteData;
DELETE FROM VornRemoteData WHERE Id = @IdRemoteData');

INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornRemoteDataNumm', '@Numm int out',
'SELECT COALESCE(MAX(Numm), 0) + 1 AS Numm FROM VornRemoteData');

-- Imports
INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornImportsNumm', '@Numm int out',
'SELECT COALESCE(MAX(Numm), 0) + 1 AS Numm FROM VornImports');

-- Parameters. A query owner wins when both owners are given.
INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornParamAdd',
'@ParName varchar in, @IdQuery int in, @IdRemoteData int in, @IdParam int out',
'INSERT INTO VornAdminCheck (Denied) SELECT 1 FROM vwVornIsAdmin WHERE IsAdmin = 0;
INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, Width,
                        LookupDisplayIndex, IdTypDefVal)
 SELECT o.IdQuery, o.IdRemoteData,
        (SELECT COALESCE(MAX(p.Numm), 0) + 1 FROM VornParam p
         WHERE p.IdQuery = o.IdQuery OR p.IdRemoteData = o.IdRemoteData),
        @ParName, @ParName, 0, 0, 0, 0
 FROM (SELECT NULLIF(COALESCE(@IdQuery, 0), 0) AS IdQuery,
              CASE WHEN COALESCE(@IdQuery, 0) <> 0 THEN NULL
                   ELSE NULLIF(COALESCE(@IdRemoteData, 0), 0) END AS IdRemoteData) o;
SELECT last_insert_rowid() AS IdParam');

INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornParamNumm',
'@IdQuery int in, @IdRemoteData int in, @Numm int out',
'SELECT COALESCE(MAX(Numm), 0) + 1 AS Numm FROM VornParam
 WHERE (COALESCE(@IdQuery, 0) <> 0 AND IdQuery = @IdQuery)
    OR (COALESCE(@IdQuery, 0) = 0 AND IdRemoteData = @IdRemoteData)');

-- Copies one parameter (OldIdParam) or all parameters of an owner (OldIdQuery) to
-- the owner NewIdQuery. Owners are named by id alone: a query when one has that id
-- (as source: when it has parameters), else a data module. Names the target
-- already has are skipped, so an owner never holds two parameters of one name.
INSERT INTO VornProcedure (Name, Params, Body) VALUES ('spVornParamsCopy',
'@OldIdQuery int in, @OldIdParam int in, @NewIdQuery int in',
'INSERT INTO VornAdminCheck (Denied) SELECT 1 FROM vwVornIsAdmin WHERE IsAdmin = 0;
INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, SQL, Width,
                        LookupField, LookupDisplay, LookupDisplayIndex, IdTypDefVal, DefSQL)
 SELECT t.IdQuery, t.IdRemoteData,
        (SELECT COALESCE(MAX(d.Numm), 0) FROM VornParam d
         WHERE d.IdQuery = t.IdQuery OR d.IdRemoteData = t.IdRemoteData) + p.Numm,
        p.ParName, p.ParLabel, p.IdParTyp, p.SQL, p.Width,
        p.LookupField, p.LookupDisplay, p.LookupDisplayIndex, p.IdTypDefVal, p.DefSQL
 FROM VornParam p,
      (SELECT CASE WHEN EXISTS (SELECT 1 FROM VornQuery WHERE Id = @NewIdQuery)
                   THEN @NewIdQuery END AS IdQuery,
              CASE WHEN NOT EXISTS (SELECT 1 FROM VornQuery WHERE Id = @NewIdQuery)
                        AND EXISTS (SELECT 1 FROM VornRemoteData WHERE Id = @NewIdQuery)
                   THEN @NewIdQuery END AS IdRemoteData) t
 WHERE (t.IdQuery IS NOT NULL OR t.IdRemoteData IS NOT NULL)
   AND ((COALESCE(@OldIdParam, 0) > 0 AND p.Id = @OldIdParam)
        OR (COALESCE(@OldIdParam, 0) <= 0 AND COALESCE(@OldIdQuery, 0) > 0
            AND (p.IdQuery = @OldIdQuery
                 OR (p.IdRemoteData = @OldIdQuery
                     AND NOT EXISTS (SELECT 1 FROM VornParam x WHERE x.IdQuery = @OldIdQuery)))))
   AND NOT EXISTS (SELECT 1 FROM VornParam d
                   WHERE d.ParName = p.ParName
                     AND (d.IdQuery = t.IdQuery OR d.IdRemoteData = t.IdRemoteData))
 ORDER BY p.Numm');
