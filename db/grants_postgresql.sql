-- The rights of the tills on a PostgreSQL database: everything the program
-- does and nothing more. Run once per database, after the tables are made,
-- by their owner or a superuser:
--     psql -d pos < grants_postgresql.sql
-- It makes the group role kalmora_terminal (once per server) and grants it
-- reading the catalogue and keeping the menu; a till's login role is made a
-- member of it:
--     CREATE ROLE caixa01 LOGIN PASSWORD '...' IN ROLE kalmora_terminal;
-- The role owns nothing: it cannot alter, drop or create tables.
-- Each entry ends at a separator line: two dashes, a blank and two semicolons.

DO $$
BEGIN
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'kalmora_terminal') THEN
        CREATE ROLE kalmora_terminal NOLOGIN;
    END IF;
END
$$;
-- ;;
-- No one but the owner creates objects in the schema.
REVOKE CREATE ON SCHEMA public FROM PUBLIC;
-- ;;
GRANT USAGE ON SCHEMA public TO kalmora_terminal;
-- ;;
-- The catalogue is read, never written.
GRANT SELECT ON PRODUTO, PRODUTOSEG, PRSUBGRPROD, FILIAL, PARAVEND, LOJA, ROTFABRICA, ROTFABLOCAL
    TO kalmora_terminal;
-- ;;
-- The menu of the sales screens is read and kept.
GRANT SELECT, INSERT, UPDATE, DELETE ON ITMENUCONFTE TO kalmora_terminal;
-- ;;
-- ;;
-- The journal of the menu's changes is written, read and pruned by the tills.
GRANT SELECT ON KMRESQUEMA TO kalmora_terminal;
-- ;;
GRANT SELECT, INSERT, DELETE ON KMRDIARIO, KMRDIARIOPASSO TO kalmora_terminal;
-- ;;
GRANT USAGE ON SEQUENCE kmrdiario_nrdiario_seq TO kalmora_terminal;
