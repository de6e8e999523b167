-- Demo logins of a PostgreSQL catalogue: an administrator (member of vorn_admin),
-- two users and a role; the password of each user is its login name. Roles belong
-- to the whole server, so existing ones are kept and only their passwords reset.

DO $$
DECLARE
  r record;
BEGIN
  FOR r IN SELECT * FROM (VALUES ('director', true), ('ivanov', true), ('petrova', true),
                                 ('managers', false)) AS t(name, login) LOOP
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = r.name) THEN
      EXECUTE format('CREATE ROLE %I %s', r.name, CASE WHEN r.login THEN 'LOGIN' ELSE 'NOLOGIN' END);
    END IF;
    IF r.login THEN
      EXECUTE format('ALTER ROLE %I PASSWORD %L', r.name, r.name);
    END IF;
  END LOOP;
END $$;

GRANT vorn_admin TO director;
GRANT managers TO ivanov;

-- Business tables: everyone reads them, the import writes the price list.
GRANT SELECT ON Regions, Clients, Goods, Invoices, InvoiceLines, PriceImport TO PUBLIC;
GRANT INSERT ON PriceImport TO PUBLIC;
GRANT USAGE ON SEQUENCE priceimport_id_seq TO PUBLIC;
GRANT SELECT, INSERT, UPDATE, DELETE ON Regions, Clients, Goods, Invoices, InvoiceLines, PriceImport TO vorn_admin;
