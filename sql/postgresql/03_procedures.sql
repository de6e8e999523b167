-- Catalogue procedures of a PostgreSQL catalogue as functions: arguments carry the
-- p_ prefix of Lookups so they never clash with column names, outputs are OUT
-- arguments read back from the result row. Called in named notation.

CREATE FUNCTION spVornGetIsAdmin(OUT p_IsAdmin integer) LANGUAGE sql STABLE AS $$
  SELECT IsAdmin FROM vwVornIsAdmin
$$;

-- Runs with the owner's rights so that every login can write the log it may not read.
-- The workstation name arrives as the session setting vorn.host.
CREATE FUNCTION spVornLogAction(p_IdAction integer, p_ValueId integer, p_Name varchar)
RETURNS void LANGUAGE sql SECURITY DEFINER SET search_path FROM CURRENT AS $$
  INSERT INTO VornActionLog (LoginName, HostName, AppName, IdAction, ValueId, Name)
  VALUES (session_user,
          COALESCE(NULLIF(current_setting('vorn.host', true), ''), host(inet_client_addr()), 'localhost'),
          current_setting('application_name'), p_IdAction, p_ValueId, p_Name)
$$;

-- Groups
CREATE FUNCTION spVornGrpAdd(p_GrpName varchar, OUT p_IdGrp integer) LANGUAGE plpgsql AS $$
BEGIN
  INSERT INTO VornGroup (GrpName, IdParent, Numm)
  VALUES (p_GrpName, NULL, (SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornGroup))
  RETURNING Id INTO p_IdGrp;
END $$;

CREATE FUNCTION spVornGrpDel(p_IdGrp integer) RETURNS void LANGUAGE plpgsql AS $$
BEGIN
  DELETE FROM VornGrpBody WHERE IdGroup = p_IdGrp;
  DELETE FROM VornUsers WHERE IdTypObj = 1 AND IdObj = p_IdGrp;
  UPDATE VornGroup SET IdParent = NULL WHERE IdParent = p_IdGrp;
  DELETE FROM VornGroup WHERE Id = p_IdGrp;
END $$;

CREATE FUNCTION spVornGrpNumm(OUT p_Numm integer) LANGUAGE sql STABLE AS $$
  SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornGroup
$$;

-- Reports. The object passed in p_IdQuery may be a query or a data module (the
-- caller uses one argument for both): the one whose name starts the report name
-- wins, a query when both or neither match.
CREATE FUNCTION spVornFormAdd(p_Name varchar, p_IdQuery integer, p_IdRemoteData integer DEFAULT 0,
                              OUT p_IdForm integer)
LANGUAGE plpgsql AS $$
BEGIN
  INSERT INTO VornForm (Numm, Name, IdDestination, IdTypExec)
  VALUES ((SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornForm), p_Name, 0, 1)
  RETURNING Id INTO p_IdForm;
  IF COALESCE(p_IdQuery, 0) > 0 THEN
    INSERT INTO VornFrm2Qry (IdForm, Numm, IdQuery, IdRemoteData, IsMaster, QueryShortName)
    SELECT p_IdForm, 1, q.Id, NULL, 0, 'Query1' FROM VornQuery q WHERE q.Id = p_IdQuery;
  ELSIF COALESCE(p_IdRemoteData, 0) > 0 THEN
    INSERT INTO VornFrm2Qry (IdForm, Numm, IdQuery, IdRemoteData, IsMaster, QueryShortName)
    SELECT p_IdForm, 1, NULL, r.Id, 0, 'Query1' FROM VornRemoteData r WHERE r.Id = p_IdRemoteData;
  END IF;
END $$;

CREATE FUNCTION spVornFormDel(p_IdForm integer) RETURNS void LANGUAGE plpgsql AS $$
BEGIN
  DELETE FROM VornFrm2Qry WHERE IdForm = p_IdForm;
  DELETE FROM VornGrpBody WHERE IdForm = p_IdForm;
  DELETE FROM VornUsers WHERE IdTypObj = 2 AND IdObj = p_IdForm;
  DELETE FROM VornForm WHERE Id = p_IdForm;
END $$;

CREATE FUNCTION spVornFormNumm(OUT p_Numm integer) LANGUAGE sql STABLE AS $$
  SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornForm
$$;

CREATE FUNCTION spVornFrm2QryNumm(p_IdForm integer, OUT p_Numm integer) LANGUAGE sql STABLE AS $$
  SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornFrm2Qry WHERE IdForm = p_IdForm
$$;

-- Queries
CREATE FUNCTION spVornQueryAdd(p_Name varchar, p_IdForm integer, OUT p_IdQuery integer)
LANGUAGE plpgsql AS $$
DECLARE
  v_numm integer;
BEGIN
  INSERT INTO VornQuery (Numm, Name, SQLtext)
  VALUES ((SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornQuery), p_Name, '')
  RETURNING Id INTO p_IdQuery;
  IF EXISTS (SELECT 1 FROM VornForm WHERE Id = p_IdForm) THEN
    v_numm := (SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornFrm2Qry WHERE IdForm = p_IdForm);
    INSERT INTO VornFrm2Qry (IdForm, Numm, IdQuery, IdRemoteData, IsMaster, QueryShortName)
    VALUES (p_IdForm, v_numm, p_IdQuery, NULL, 0, 'Query' || v_numm);
  END IF;
END $$;

CREATE FUNCTION spVornQueryDel(p_IdQuery integer) RETURNS void LANGUAGE plpgsql AS $$
BEGIN
  DELETE FROM VornParam WHERE IdQuery = p_IdQuery;
  DELETE FROM VornFrm2Qry WHERE IdQuery = p_IdQuery;
  DELETE FROM VornQuery WHERE Id = p_IdQuery;
END $$;

CREATE FUNCTION spVornQueryNumm(OUT p_Numm integer) LANGUAGE sql STABLE AS $$
  SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornQuery
$$;

-- Scripts
CREATE FUNCTION spVornScriptAdd(p_Name varchar, OUT p_IdScript integer) LANGUAGE plpgsql AS $$
BEGIN
  INSERT INTO VornScript (Numm, Name, IdScrEng, ScriptText)
  VALUES ((SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornScript), p_Name,
          COALESCE((SELECT MIN(Ival) FROM Lookups WHERE Teg = 'VornScript_IdScrEng'), 1), '')
  RETURNING Id INTO p_IdScript;
END $$;

CREATE FUNCTION spVornScriptDel(p_IdScript integer) RETURNS void LANGUAGE plpgsql AS $$
BEGIN
  DELETE FROM VornGrpBody WHERE IdScript = p_IdScript;
  DELETE FROM VornUsers WHERE IdTypObj = 5 AND IdObj = p_IdScript;
  DELETE FROM VornScript WHERE Id = p_IdScript;
END $$;

CREATE FUNCTION spVornScriptNumm(OUT p_Numm integer) LANGUAGE sql STABLE AS $$
  SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornScript
$$;

-- Remote data modules
CREATE FUNCTION spVornRemoteDataAdd(p_Name varchar, OUT p_IdRemoteData integer) LANGUAGE plpgsql AS $$
BEGIN
  INSERT INTO VornRemoteData (Numm, Name, IdRemtServerType, IdRemtProtocol, Port)
  VALUES ((SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornRemoteData), p_Name, 1, 1, 0)
  RETURNING Id INTO p_IdRemoteData;
END $$;

CREATE FUNCTION spVornRemoteDataDel(p_IdRemoteData integer) RETURNS void LANGUAGE plpgsql AS $$
BEGIN
  DELETE FROM VornParam WHERE IdRemoteData = p_IdRemoteData;
  DELETE FROM VornFrm2Qry WHERE IdRemoteData = p_IdRemoteData;
  DELETE FROM VornRemoteData WHERE Id = p_IdRemoteData;
END $$;

CREATE FUNCTION spVornRemoteDataNumm(OUT p_Numm integer) LANGUAGE sql STABLE AS $$
  SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornRemoteData
$$;

-- Imports
CREATE FUNCTION spVornImportsNumm(OUT p_Numm integer) LANGUAGE sql STABLE AS $$
  SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornImports
$$;

-- Parameters. A query owner wins when both owners are given.
CREATE FUNCTION spVornParamAdd(p_ParName varchar, p_IdQuery integer, p_IdRemoteData integer,
                               OUT p_IdParam integer) LANGUAGE plpgsql AS $$
DECLARE
  v_query integer := NULLIF(COALESCE(p_IdQuery, 0), 0);
  v_module integer := CASE WHEN COALESCE(p_IdQuery, 0) <> 0 THEN NULL
                           ELSE NULLIF(COALESCE(p_IdRemoteData, 0), 0) END;
BEGIN
  INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, Width,
                         LookupDisplayIndex, IdTypDefVal)
  VALUES (v_query, v_module,
          (SELECT COALESCE(MAX(p.Numm), 0) + 1 FROM VornParam p
           WHERE p.IdQuery = v_query OR p.IdRemoteData = v_module),
          p_ParName, p_ParName, 0, 0, 0, 0)
  RETURNING Id INTO p_IdParam;
END $$;

CREATE FUNCTION spVornParamNumm(p_IdQuery integer, p_IdRemoteData integer, OUT p_Numm integer)
LANGUAGE sql STABLE AS $$
  SELECT COALESCE(MAX(Numm), 0) + 1 FROM VornParam
  WHERE (COALESCE(p_IdQuery, 0) <> 0 AND IdQuery = p_IdQuery)
     OR (COALESCE(p_IdQuery, 0) = 0 AND IdRemoteData = p_IdRemoteData)
$$;

-- Copies one parameter (p_OldIdParam) or all parameters of an owner (p_OldIdQuery)
-- to the owner p_NewIdQuery. Owners are named by id alone: a query when one has
-- that id (as source: when it has parameters), else a data module. Names the target
-- already has are skipped, so an owner never holds two parameters of one name.
CREATE FUNCTION spVornParamsCopy(p_OldIdQuery integer, p_OldIdParam integer, p_NewIdQuery integer)
RETURNS void LANGUAGE plpgsql AS $$
DECLARE
  v_query integer;
  v_module integer;
  v_base integer;
BEGIN
  IF EXISTS (SELECT 1 FROM VornQuery WHERE Id = p_NewIdQuery) THEN
    v_query := p_NewIdQuery;
  ELSIF EXISTS (SELECT 1 FROM VornRemoteData WHERE Id = p_NewIdQuery) THEN
    v_module := p_NewIdQuery;
  ELSE
    RETURN;
  END IF;
  v_base := (SELECT COALESCE(MAX(d.Numm), 0) FROM VornParam d
             WHERE d.IdQuery = v_query OR d.IdRemoteData = v_module);
  INSERT INTO VornParam (IdQuery, IdRemoteData, Numm, ParName, ParLabel, IdParTyp, SQL, Width,
                         LookupField, LookupDisplay, LookupDisplayIndex, IdTypDefVal, DefSQL)
  SELECT v_query, v_module, v_base + p.Numm,
         p.ParName, p.ParLabel, p.IdParTyp, p.SQL, p.Width,
         p.LookupField, p.LookupDisplay, p.LookupDisplayIndex, p.IdTypDefVal, p.DefSQL
  FROM VornParam p
  WHERE ((COALESCE(p_OldIdParam, 0) > 0 AND p.Id = p_OldIdParam)
         OR (COALESCE(p_OldIdParam, 0) <= 0 AND COALESCE(p_OldIdQuery, 0) > 0
             AND (p.IdQuery = p_OldIdQuery
                  OR (p.IdRemoteData = p_OldIdQuery
                      AND NOT EXISTS (SELECT 1 FROM VornParam x WHERE x.IdQuery = p_OldIdQuery)))))
    AND NOT EXISTS (SELECT 1 FROM VornParam d
                    WHERE d.ParName = p.ParName
                      AND (d.IdQuery = v_query OR d.IdRemoteData = v_module))
  ORDER BY p.Numm;
END $$;

-- Every login reads the catalogue; administrators (vorn_admin) change it. The
-- action log is written only through spVornLogAction.
GRANT USAGE ON SCHEMA public TO PUBLIC;
GRANT SELECT ON ALL TABLES IN SCHEMA public TO PUBLIC;
REVOKE SELECT ON VornActionLog FROM PUBLIC;
GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public TO vorn_admin;
GRANT USAGE, SELECT ON ALL SEQUENCES IN SCHEMA public TO vorn_admin;

-- The creating login administers its catalogue.
DO $$
BEGIN
  IF NOT (SELECT rolsuper FROM pg_roles WHERE rolname = current_user) THEN
    EXECUTE format('GRANT vorn_admin TO %I', current_user);
  END IF;
EXCEPTION WHEN insufficient_privilege THEN
  RAISE NOTICE 'vorn_admin is not granted to %', current_user;
END $$;
