-- Demo logins of a PostgreSQL catalogue: an administrator (member of vorn_admin),
-- two users and a role; the password of each user is its login name. Roles belong
-- to the whole server, so existing ones are kept and only their passwords reset;
-- another catalogue being created at the same moment may be doing the same, which
-- is not an error.

DO $$
DECLARE
  r record;
BEGIN
  FOR r IN SELECT * FROM (VALUES ('director', true), ('ivanov', true), ('petrova', true),
                                 ('managers', false)) AS t(name, login) LOOP
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = r.name) THEN
      BEGIN
        EXECUTE format('CREATE ROLE %I %s', r.name, CASE WHEN r.login THEN 'LOGIN' ELSE 'NOLOGIN' END);
      EXCEPTION WHEN duplicate_object OR unique_violation THEN
        NULL;
      END;
    END IF;
    IF r.login THEN
      BEGIN
        EXECUTE format('ALTER ROLE %I PASSWORD %L', r.name, r.name);
      EXCEPTION WHEN OTHERS THEN
        RAISE NOTICE 'password of % not reset: %', r.name, SQLERRM;
      END;
    END IF;
  END LOOP;
  FOR r IN SELECT * FROM (VALUES ('vorn_admin', 'director'), ('managers', 'ivanov')) AS t(role, member) LOOP
    IF NOT pg_has_role(r.member, r.role, 'MEMBER') THEN
      BEGIN
        EXECUTE format('GRANT %I TO %I', r.role, r.member);
      EXCEPTION WHEN unique_violation OR duplicate_object THEN
        NULL;
      END;
    END IF;
  END LOOP;
END $$;

-- Business tables: everyone reads them, the import writes the price list.
GRANT SELECT ON Regions, Clients, Goods, Invoices, InvoiceLines, PriceImport TO PUBLIC;
GRANT INSERT ON PriceImport TO PUBLIC;
GRANT USAGE ON SEQUENCE priceimport_id_seq TO PUBLIC;
GRANT SELECT, INSERT, UPDATE, DELETE ON Regions, Clients, Goods, Invoices, InvoiceLines, PriceImport TO vorn_admin;
