-- Catalogue procedures of a SQL Server catalogue: @ parameters (the prefix of
-- Lookups), outputs as OUTPUT parameters. Each procedure runs in its own
-- transaction so that a failing statement leaves nothing half done.

CREATE PROCEDURE spVornGetIsAdmin @IsAdmin int OUTPUT AS
  SET NOCOUNT ON;
  SELECT @IsAdmin = IsAdmin FROM vwVornIsAdmin;
GO

-- Runs as the owner so that every user can write the log it may not read.
CREATE PROCEDURE spVornLogAction @IdAction int, @ValueId int, @Name nvarchar(255)
WITH EXECUTE AS OWNER AS
  SET NOCOUNT ON;
  INSERT INTO VornActionLog (LoginName, HostName, AppName, IdAction, ValueId, Name)
  VALUES (ORIGINAL_LOGIN(), HOST_NAME(), APP_NAME(), @IdAction, @ValueId, @Name);
GO

-- Groups
CREATE PROCEDURE spVornGrpAdd @GrpName nvarchar(255), @IdGrp int OUTPUT AS
  SET NOCOUNT ON;
  INSERT INTO VornGroup (GrpName, IdParent, Numm)
  VALUES (@GrpName, NULL, (SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornGroup));
  SET @IdGrp = SCOPE_IDENTITY();
GO

CREATE PROCEDURE spVornGrpDel @IdGrp int AS
  SET NOCOUNT ON;
  SET XACT_ABORT ON;
  BEGIN TRANSACTION;
  DELETE FROM VornGrpBody WHERE IdGroup = @IdGrp;
  DELETE FROM VornUsers WHERE IdTypObj = 1 AND IdObj = @IdGrp;
  UPDATE VornGroup SET IdParent = NULL WHERE IdParent = @IdGrp;
  DELETE FROM VornGroup WHERE Id = @IdGrp;
  COMMIT TRANSACTION;
GO

CREATE PROCEDURE spVornGrpNumm @Numm int OUTPUT AS
  SET NOCOUNT ON;
  SELECT @Numm = COALESCE(MAX(Numm), 0) + 1 FROM VornGroup;
GO

-- Reports. The object passed in @IdQuery may be a query or a data module (the
-- caller uses one parameter for both): the one whose name starts the report name
-- wins, a query when both or neither match.
CREATE PROCEDURE spVornFormAdd @Name nvarchar(255), @IdQuery int, @IdRemoteData int = 0, @IdForm int OUTPUT AS
  SET NOCOUNT ON;
  SET XACT_ABORT ON;
  BEGIN TRANSACTION;
  INSERT INTO VornForm (Numm, Name, IdDestination, IdTypExec)
  VALUES ((SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornForm), @Name, 0, 1);
  SET @IdForm = SCOPE_IDENTITY();
  IF COALESCE(@IdQuery, 0) > 0
    INSERT INTO VornFrm2Qry (IdForm, Numm, IdQuery, IdRemoteData, IsMaster, QueryShortName)
    SELECT @IdForm, 1, q.Id, NULL, 0, N'Query1' FROM VornQuery q WHERE q.Id = @IdQuery;
  ELSE IF COALESCE(@IdRemoteData, 0) > 0
    INSERT INTO VornFrm2Qry (IdForm, Numm, IdQuery, IdRemoteData, IsMaster, QueryShortName)
    SELECT @IdForm, 1, NULL, r.Id, 0, N'Query1' FROM VornRemoteData r WHERE r.Id = @IdRemoteData;
  COMMIT TRANSACTION;
GO

CREATE PROCEDURE spVornFormDel @IdForm int AS
  SET NOCOUNT ON;
  SET XACT_ABORT ON;
  BEGIN TRANSACTION;
  DELETE FROM VornFrm2Qry WHERE IdForm = @IdForm;
  DELETE FROM VornGrpBody WHERE IdForm = @IdForm;
  DELETE FROM VornUsers WHERE IdTypObj = 2 AND IdObj = @IdForm;
  DELETE FROM VornForm WHERE Id = @IdForm;
  COMMIT TRANSACTION;
GO

CREATE PROCEDURE spVornFormNumm @Numm int OUTPUT AS
  SET NOCOUNT ON;
  SELECT @Numm = COALESCE(MAX(Numm), 0) + 1 FROM VornForm;
GO

CREATE PROCEDURE spVornFrm2QryNumm @IdForm int, @Numm int OUTPUT AS
  SET NOCOUNT ON;
  SELECT @Numm = COALESCE(MAX(Numm), 0) + 1 FROM VornFrm2Qry WHERE IdForm = @IdForm;
GO

-- Queries
CREATE PROCEDURE spVornQueryAdd @Name nvarchar(255), @IdForm int, @IdQuery int OUTPUT AS
  SET NOCOUNT ON;
  SET XACT_ABORT ON;
  DECLARE @numm int;
  BEGIN TRANSACTION;
  INSERT INTO VornQuery (Numm, Name, SQLtext)
  VALUES ((SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornQuery), @Name, N'');
  SET @IdQuery = SCOPE_IDENTITY();
  IF EXISTS (SELECT 1 FROM VornForm WHERE Id = @IdForm)
  BEGIN
    SELECT @numm = COALESCE(MAX(Numm), 0) + 1 FROM VornFrm2Qry WHERE IdForm = @IdForm;
    INSERT INTO VornFrm2Qry (IdForm, Numm, IdQuery, IdRemoteData, IsMaster, QueryShortName)
    VALUES (@IdForm, @numm, @IdQuery, NULL, 0, N'Query' + CAST(@numm AS nvarchar(10)));
  END;
  COMMIT TRANSACTION;
GO

CREATE PROCEDURE spVornQueryDel @IdQuery int AS
  SET NOCOUNT ON;
  SET XACT_ABORT ON;
  BEGIN TRANSACTION;
  DELETE FROM VornParam WHERE IdQuery = @IdQuery;
  DELETE FROM VornFrm2Qry WHERE IdQuery = @IdQuery;
  DELETE FROM VornQuery WHERE Id = @IdQuery;
  COMMIT TRANSACTION;
GO

CREATE PROCEDURE spVornQueryNumm @Numm int OUTPUT AS
  SET NOCOUNT ON;
  SELECT @Numm = COALESCE(MAX(Numm), 0) + 1 FROM VornQuery;
GO

-- Scripts
CREATE PROCEDURE spVornScriptAdd @Name nvarchar(255), @IdScript int OUTPUT AS
  SET NOCOUNT ON;
  INSERT INTO VornScript (Numm, Name, IdScrEng, ScriptText)
  VALUES ((SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornScript), @Name,
          COALESCE((SELECT MIN(Ival) FROM Lookups WHERE Teg = N'VornScript_IdScrEng'), 1), N'');
  SET @IdScript = SCOPE_IDENTITY();
GO

CREATE PROCEDURE spVornScriptDel @IdScript int AS
  SET NOCOUNT ON;
  SET XACT_ABORT ON;
  BEGIN TRANSACTION;
  DELETE FROM VornGrpBody WHERE IdScript = @IdScript;
  DELETE FROM VornUsers WHERE IdTypObj = 5 AND IdObj = @IdScript;
  DELETE FROM VornScript WHERE Id = @IdScript;
  COMMIT TRANSACTION;
GO

CREATE PROCEDURE spVornScriptNumm @Numm int OUTPUT AS
  SET NOCOUNT ON;
  SELECT @Numm = COALESCE(MAX(Numm), 0) + 1 FROM VornScript;
GO

-- Remote data modules
CREATE PROCEDURE spVornRemoteDataAdd @Name nvarchar(255), @IdRemoteData int OUTPUT AS
  SET NOCOUNT ON;
  INSERT INTO VornRemoteData (Numm, Name, IdRemtServerType, IdRemtProtocol, Port)
  VALUES ((SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornRemoteData), @Name, 1, 1, 0);
  SET @IdRemoteData = SCOPE_IDENTITY();
GO

CREATE PROCEDURE spVornRemoteDataDel @IdRemoteData int AS
  SET NOCOUNT ON;
  SET XACT_ABORT ON;
  BEGIN TRANSACTION;
  DELETE FROM VornParam WHERE IdRemoteData = @IdRemoteData;
  DELETE FROM VornFrm2Qry WHERE IdRemoteData = @IdRemoteData;
  DELETE FROM VornRemoteData WHERE Id = @IdRemoteData;
  COMMIT TRANSACTION;
GO

CREATE PROCEDURE spVornRemoteDataNumm @Numm int OUTPUT AS
  SET NOCOUNT ON;
  SELECT @Numm = COALESCE(MAX(Numm), 0) + 1 FROM VornRemoteData;
GO

-- Imports
CREATE PROCEDURE spVornImportsNumm @Numm int OUTPUT AS
  SET NOCOUNT ON;
  SELECT @Numm = COALESCE(MAX(Numm), 0) + 1 FROM VornImports;
GO

-- Parameters. A query owner wins when both owners are given.
CREATE PROCEDURE spVornParamAdd @ParName nvarchar(40), @IdQuery int, @IdRemoteData int,
                                @IdParam int OUTPUT AS
  SET NOCOUNT ON;
  DECLARE @query int = NULLIF(COALESCE(@IdQuery, 0), 0);
  DECLARE @module int = CASE WHEN COALESCE(@IdQuery, 0) <> 0 THEN NULL
                             ELSE NULLIF(COALESCE(@IdRemoteData, 0), 0) END;
  INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, Width,
                         LookupDisplayIndex, IdTypDefVal)
  VALUES (@query, @module,
          (SELECT COALESCE(MAX(p.Numm), 0) + 1 FROM VornParam p
           WHERE p.IdQuery = @query OR p.IdRemoteData = @module),
          @ParName, @ParName, 0, 0, 0, 0);
  SET @IdParam = SCOPE_IDENTITY();
GO

CREATE PROCEDURE spVornParamNumm @IdQuery int, @IdRemoteData int, @Numm int OUTPUT AS
  SET NOCOUNT ON;
  SELECT @Numm = COALESCE(MAX(Numm), 0) + 1 FROM VornParam
  WHERE (COALESCE(@IdQuery, 0) <> 0 AND IdQuery = @IdQuery)
     OR (COALESCE(@IdQuery, 0) = 0 AND IdRemoteData = @IdRemoteData);
GO

-- Copies one parameter (@OldIdParam) or all parameters of an owner (@OldIdQuery) to
-- the owner @NewIdQuery. Owners are named by id alone: a query when one has that id
-- (as source: when it has parameters), else a data module. Names the target already
-- has are skipped, so an owner never holds two parameters of one name.
CREATE PROCEDURE spVornParamsCopy @OldIdQuery int, @OldIdParam int, @NewIdQuery int AS
  SET NOCOUNT ON;
  DECLARE @query int, @module int, @base int;
  IF EXISTS (SELECT 1 FROM VornQuery WHERE Id = @NewIdQuery)
    SET @query = @NewIdQuery;
  ELSE IF EXISTS (SELECT 1 FROM VornRemoteData WHERE Id = @NewIdQuery)
    SET @module = @NewIdQuery;
  ELSE
    RETURN;
  SELECT @base = COALESCE(MAX(d.Numm), 0) FROM VornParam d
  WHERE d.IdQuery = @query OR d.IdRemoteData = @module;
  INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, SQL, Width,
                         LookupField, LookupDisplay, LookupDisplayIndex, IdTypDefVal, DefSQL)
  SELECT @query, @module, @base + p.Numm,
         p.ParName, p.ParLabel, p.IdParTyp, p.SQL, p.Width,
         p.LookupField, p.LookupDisplay, p.LookupDisplayIndex, p.IdTypDefVal, p.DefSQL
  FROM VornParam p
  WHERE ((COALESCE(@OldIdParam, 0) > 0 AND p.Id = @OldIdParam)
         OR (COALESCE(@OldIdParam, 0) <= 0 AND COALESCE(@OldIdQuery, 0) > 0
             AND (p.IdQuery = @OldIdQuery
                  OR (p.IdRemoteData = @OldIdQuery
                      AND NOT EXISTS (SELECT 1 FROM VornParam x WHERE x.IdQuery = @OldIdQuery)))))
    AND NOT EXISTS (SELECT 1 FROM VornParam d
                    WHERE d.ParName = p.ParName
                      AND (d.IdQuery = @query OR d.IdRemoteData = @module))
  ORDER BY p.Numm;
GO

-- Every user reads the catalogue and may log and ask; administrators (vorn_admin)
-- change it. The procedures are owned by dbo, so without this split anyone could
-- change the catalogue through them.
GRANT SELECT ON SCHEMA::dbo TO public;
GRANT EXECUTE ON spVornGetIsAdmin TO public;
GRANT EXECUTE ON spVornLogAction TO public;
GRANT SELECT, INSERT, UPDATE, DELETE, EXECUTE ON SCHEMA::dbo TO vorn_admin;
GO
