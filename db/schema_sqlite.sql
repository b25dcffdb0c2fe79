-- Menu of the sales screens and the catalogue tables it reads, for the
-- embedded SQLite database. Tables are STRICT and every text column carries
-- its width as a CHECK, so this database refuses what a server database
-- refuses. Each entry ends at a separator line:
-- two dashes, a blank and two semicolons.

-- One row per configured button of a sales-screen menu.
CREATE TABLE ITMENUCONFTE (
    CDFILIAL     TEXT NOT NULL CHECK (length(CDFILIAL) <= 4),
    NRCONFTELA   TEXT NOT NULL CHECK (length(NRCONFTELA) <= 5),
    IDTPBUTTON   TEXT NOT NULL CHECK (length(IDTPBUTTON) <= 1),
    NRBUTTON     TEXT NOT NULL CHECK (length(NRBUTTON) <= 5),
    NRPGCONFTELA TEXT NOT NULL CHECK (length(NRPGCONFTELA) <= 2),
    IDTPBUTONAUX TEXT NOT NULL CHECK (length(IDTPBUTONAUX) <= 1),
    NRBUTTONAUX  TEXT NOT NULL CHECK (length(NRBUTTONAUX) <= 2),
    NRPGCONFTAUX TEXT NOT NULL CHECK (length(NRPGCONFTAUX) <= 2),
    CDIDENTBUTON TEXT CHECK (length(CDIDENTBUTON) <= 10),
    DSBUTTON     TEXT CHECK (length(DSBUTTON) <= 50),
    NRCOLORTEXT  REAL,
    NRCOLORBACK  REAL,
    DSMESSAGEBUT TEXT CHECK (length(DSMESSAGEBUT) <= 100),
    DSIMAGEMBUT  TEXT CHECK (length(DSIMAGEMBUT) <= 200),
    DTULTATUITCT TEXT,
    PRIMARY KEY (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX)
) STRICT
-- ;;
-- The product pages of a group button are found through its parent link.
CREATE INDEX IX_ITMENUCONFTE_PAI ON ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX)
-- ;;
CREATE TABLE PRODUTO (
    CDPRODUTO    TEXT NOT NULL PRIMARY KEY CHECK (length(CDPRODUTO) <= 10),
    CDARVPROD    TEXT CHECK (length(CDARVPROD) <= 20),
    NMPRODUTO    TEXT CHECK (length(NMPRODUTO) <= 50),
    NMFOTOPROD   TEXT CHECK (length(NMFOTOPROD) <= 200),
    NMPRODIMPFIS TEXT CHECK (length(NMPRODIMPFIS) <= 40),
    CDBARPRODUTO TEXT CHECK (length(CDBARPRODUTO) <= 30),
    CDPRODINTE   TEXT CHECK (length(CDPRODINTE) <= 20),
    SGUNIDADE    TEXT CHECK (length(SGUNIDADE) <= 5),
    IDTIPOPROD   TEXT CHECK (length(IDTIPOPROD) <= 1),
    IDPESAPROD   TEXT CHECK (length(IDPESAPROD) <= 1),
    QTTARAPROD   REAL,
    IDCOBTXSERV  TEXT CHECK (length(IDCOBTXSERV) <= 1),
    IDPRODATIVPR TEXT CHECK (length(IDPRODATIVPR) <= 1),
    IDSOLLOCIMP  TEXT CHECK (length(IDSOLLOCIMP) <= 1),
    CDNVPRODUTO  TEXT CHECK (length(CDNVPRODUTO) <= 2)
) STRICT
-- ;;
-- The level path lists one level in tree order.
CREATE INDEX IX_PRODUTO_NIVEL ON PRODUTO (CDNVPRODUTO, CDARVPROD)
-- ;;
CREATE TABLE PRODUTOSEG (
    CDSEGMER  TEXT NOT NULL CHECK (length(CDSEGMER) <= 4),
    CDPRODUTO TEXT NOT NULL CHECK (length(CDPRODUTO) <= 10),
    PRIMARY KEY (CDSEGMER, CDPRODUTO)
) STRICT
-- ;;
-- A product group's composition, per branch or "P" for all branches.
CREATE TABLE PRSUBGRPROD (
    CDGRUPPROD  TEXT NOT NULL CHECK (length(CDGRUPPROD) <= 10),
    CDFILISUBGR TEXT NOT NULL CHECK (length(CDFILISUBGR) <= 4),
    CDPRODUTO   TEXT NOT NULL CHECK (length(CDPRODUTO) <= 10),
    PRIMARY KEY (CDGRUPPROD, CDFILISUBGR, CDPRODUTO)
) STRICT
-- ;;
CREATE TABLE FILIAL (
    CDFILIAL TEXT NOT NULL PRIMARY KEY CHECK (length(CDFILIAL) <= 4),
    NMFILIAL TEXT CHECK (length(NMFILIAL) <= 50),
    CDSEGMER TEXT CHECK (length(CDSEGMER) <= 4)
) STRICT
-- ;;
-- Sales parameters of a branch: the product group offered at its tills.
CREATE TABLE PARAVEND (
    CDFILIAL    TEXT NOT NULL PRIMARY KEY CHECK (length(CDFILIAL) <= 4),
    CDGRPRODPDV TEXT CHECK (length(CDGRPRODPDV) <= 10)
) STRICT
-- ;;
-- Stores of a branch with their special products (cover charge,
-- consumption, commission).
CREATE TABLE LOJA (
    CDFILIAL     TEXT NOT NULL CHECK (length(CDFILIAL) <= 4),
    CDLOJA       TEXT NOT NULL CHECK (length(CDLOJA) <= 4),
    NMLOJA       TEXT CHECK (length(NMLOJA) <= 50),
    CDPRODCOUVER TEXT CHECK (length(CDPRODCOUVER) <= 10),
    CDPRODCONSUM TEXT CHECK (length(CDPRODCONSUM) <= 10),
    CDPRODCOMVEN TEXT CHECK (length(CDPRODCOMVEN) <= 10),
    PRIMARY KEY (CDFILIAL, CDLOJA)
) STRICT
-- ;;
-- Production routes: the components of a product, and a branch's own.
CREATE TABLE ROTFABRICA (
    CDPRODUTO  TEXT NOT NULL CHECK (length(CDPRODUTO) <= 10),
    CDPRODCOMP TEXT NOT NULL CHECK (length(CDPRODCOMP) <= 10),
    QTPRODCOMP REAL,
    PRIMARY KEY (CDPRODUTO, CDPRODCOMP)
) STRICT
-- ;;
CREATE TABLE ROTFABLOCAL (
    CDFILIAL   TEXT NOT NULL CHECK (length(CDFILIAL) <= 4),
    CDPRODUTO  TEXT NOT NULL CHECK (length(CDPRODUTO) <= 10),
    CDPRODCOMP TEXT NOT NULL CHECK (length(CDPRODCOMP) <= 10),
    QTPRODCOMP REAL,
    PRIMARY KEY (CDFILIAL, CDPRODUTO, CDPRODCOMP)
) STRICT
-- ;;
-- The mark of a database this program created: the journal of the menu's
-- changes is kept in the two tables below only where this table exists.
CREATE TABLE KMRESQUEMA (
    NRVERSAO INTEGER NOT NULL PRIMARY KEY
) STRICT
-- ;;
-- The journal: one entry per operator action on a configuration's menu.
-- IDOPERACAO "N" a change, "D" an undo, "R" a redo, of entry NRDIARIOREF.
CREATE TABLE KMRDIARIO (
    NRDIARIO    INTEGER PRIMARY KEY AUTOINCREMENT,
    DTDIARIO    TEXT NOT NULL,
    NMESTACAO   TEXT,
    NMUSUARIO   TEXT,
    CDFILIAL    TEXT NOT NULL,
    NRCONFTELA  TEXT NOT NULL,
    IDSESSAO    TEXT,
    IDACAO      TEXT,
    DSACAO      TEXT,
    IDOPERACAO  TEXT NOT NULL,
    NRDIARIOREF INTEGER
) STRICT
-- ;;
CREATE INDEX KMRDIARIO_CONF ON KMRDIARIO (CDFILIAL, NRCONFTELA, NRDIARIO)
-- ;;
-- The rows an entry changed, in the order they changed: each row's image
-- before and after (a JSON array of the menu item's columns; null where the
-- row was absent).
CREATE TABLE KMRDIARIOPASSO (
    NRDIARIO INTEGER NOT NULL,
    NRPASSO  INTEGER NOT NULL,
    DSANTES  TEXT,
    DSDEPOIS TEXT,
    PRIMARY KEY (NRDIARIO, NRPASSO)
) STRICT
