-- Demo logins of a SQL Server catalogue: an administrator (member of vorn_admin),
-- two users and a role; the password of each user is its login name. Logins belong
-- to the whole server, so existing ones are kept.

IF SUSER_ID(N'director') IS NULL CREATE LOGIN director WITH PASSWORD = N'director', CHECK_POLICY = OFF;
IF SUSER_ID(N'ivanov') IS NULL CREATE LOGIN ivanov WITH PASSWORD = N'ivanov', CHECK_POLICY = OFF;
IF SUSER_ID(N'petrova') IS NULL CREATE LOGIN petrova WITH PASSWORD = N'petrova', CHECK_POLICY = OFF;
GO
IF DATABASE_PRINCIPAL_ID(N'director') IS NULL CREATE USER director FOR LOGIN director;
IF DATABASE_PRINCIPAL_ID(N'ivanov') IS NULL CREATE USER ivanov FOR LOGIN ivanov;
IF DATABASE_PRINCIPAL_ID(N'petrova') IS NULL CREATE USER petrova FOR LOGIN petrova;
IF DATABASE_PRINCIPAL_ID(N'managers') IS NULL CREATE ROLE managers;
GO
ALTER ROLE vorn_admin ADD MEMBER director;
ALTER ROLE managers ADD MEMBER ivanov;
GO
-- Business tables: everyone reads them (schema grant), the import writes the price list.
GRANT INSERT ON PriceImport TO public;
GO
