// The database scripts and their creation, and where the application finds
// its connection string (with the embedded database made on first use).

#include "SqlTestDatabase.h"

#include "EnvGuard.h"

#include <DatabaseSchema.h>
#include <HostErrors.h>
#include <KmrConexao.h>

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QVariant scalar(QSqlDatabase db, const QString& sql, const QVariantList& binds = {}) {
    QSqlQuery q(db);
    q.prepare(sql);
    for (const QVariant& v : binds)
        q.addBindValue(v);
    if (!q.exec() || !q.next())
        return QStringLiteral("<failed: %1>").arg(q.lastError().text());
    return q.value(0);
}

int count(QSqlDatabase db, const QString& sql, const QVariantList& binds = {}) {
    return scalar(db, sql, binds).toInt();
}

// Inserts one menu item (a valid one unless a column is overridden); true
// when the database accepts it.
bool insertItem(QSqlDatabase db, const QVariantMap& overrides, QString* error = nullptr) {
    QVariantMap row{{"CDFILIAL", "7777"},  {"NRCONFTELA", "00001"}, {"IDTPBUTTON", "2"},  {"NRBUTTON", "01"},
                    {"NRPGCONFTELA", "1"}, {"IDTPBUTONAUX", "0"},   {"NRBUTTONAUX", "0"}, {"NRPGCONFTAUX", "0"},
                    {"CDIDENTBUTON", ""},  {"DSBUTTON", "Teste"},   {"NRCOLORTEXT", 0.0}, {"NRCOLORBACK", 11571344.0},
                    {"DSMESSAGEBUT", ""}};
    for (auto it = overrides.begin(); it != overrides.end(); ++it)
        row[it.key()] = it.value();
    QStringList placeholders;
    for (const QString& column : row.keys())
        placeholders << u':' + column;
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO ITMENUCONFTE (%1) VALUES (%2)")
                  .arg(row.keys().join(QStringLiteral(", ")), placeholders.join(QStringLiteral(", "))));
    for (auto it = row.begin(); it != row.end(); ++it)
        q.bindValue(u':' + it.key(), it.value());
    const bool ok = q.exec();
    if (error)
        *error = q.lastError().text();
    return ok;
}

void checkDemoData(QSqlDatabase db) {
    QVERIFY(count(db, "SELECT COUNT(*) FROM PRODUTO WHERE CDNVPRODUTO = (SELECT MAX(CDNVPRODUTO) FROM PRODUTO)") >=
            150);
    QVERIFY(count(db, "SELECT COUNT(*) FROM PRODUTO WHERE IDPRODATIVPR = 'N'") >= 1);
    QVERIFY(count(db, "SELECT COUNT(DISTINCT CDNVPRODUTO) FROM PRODUTO") >= 2);
    QVERIFY(count(db, "SELECT COUNT(*) FROM PRODUTO WHERE CDBARPRODUTO IS NOT NULL") >= 10);
    // Store "01" names three distinct special products, all in the catalogue.
    QCOMPARE(count(db,
                   "SELECT COUNT(DISTINCT PR.CDPRODUTO) FROM LOJA L JOIN PRODUTO PR ON PR.CDPRODUTO IN "
                   "(L.CDPRODCOUVER, L.CDPRODCONSUM, L.CDPRODCOMVEN) WHERE L.CDFILIAL = '9999' AND L.CDLOJA = '01'"),
             3);
    // No product group for the tills, a segment for the branch: the segment decides.
    QCOMPARE(count(db, "SELECT COUNT(*) FROM PARAVEND WHERE CDFILIAL = '9999' AND CDGRPRODPDV IS NULL"), 1);
    QVERIFY(count(db, "SELECT COUNT(*) FROM FILIAL F JOIN PRODUTOSEG S ON S.CDSEGMER = F.CDSEGMER "
                      "WHERE F.CDFILIAL = '9999'") >= 150);
    QVERIFY(count(db, "SELECT COUNT(DISTINCT CDGRUPPROD) FROM PRSUBGRPROD WHERE CDFILISUBGR = 'P'") >= 5);
    QVERIFY(count(db, "SELECT COUNT(*) FROM ROTFABRICA") >= 1);

    // Portuguese accents survive the round trip, in both directions.
    QCOMPARE(count(db, "SELECT COUNT(*) FROM PRODUTO WHERE NMPRODUTO = ?", {QStringLiteral("Açaí 300ml")}), 1);
    QCOMPARE(scalar(db, "SELECT DSBUTTON FROM ITMENUCONFTE WHERE CDFILIAL = '9999' AND IDTPBUTTON = '2' "
                        "AND NRBUTTON = '05'")
                 .toString(),
             QStringLiteral("Cafés"));

    // The starting menu: six groups on group page 1, each with products on
    // product page 1 that name real catalogue products by code and name.
    QCOMPARE(count(db, "SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDFILIAL = '9999' AND NRCONFTELA = '00001' "
                       "AND IDTPBUTTON = '2' AND NRPGCONFTELA = '1' AND IDTPBUTONAUX = '0' AND NRBUTTONAUX = '0' "
                       "AND NRPGCONFTAUX = '0'"),
             6);
    for (int group = 1; group <= 6; ++group) {
        const QString pos = QStringLiteral("%1").arg(group, 2, 10, QLatin1Char('0'));
        QVERIFY2(count(db,
                       "SELECT COUNT(*) FROM ITMENUCONFTE WHERE IDTPBUTTON = '1' AND IDTPBUTONAUX = '2' "
                       "AND NRBUTTONAUX = ? AND NRPGCONFTAUX = '1' AND NRPGCONFTELA = '1'",
                       {pos}) >= 5,
                 qPrintable(pos));
    }
    QCOMPARE(count(db, "SELECT COUNT(*) FROM ITMENUCONFTE M WHERE M.IDTPBUTTON = '1' AND NOT EXISTS (SELECT 1 FROM "
                       "PRODUTO PR WHERE PR.CDPRODUTO = M.CDIDENTBUTON AND PR.NMPRODUTO = M.DSBUTTON)"),
             0);
    QCOMPARE(count(db, "SELECT COUNT(*) FROM ITMENUCONFTE WHERE NRCOLORBACK IS NULL OR NRCOLORTEXT IS NULL"), 0);
}

void checkRefusals(QSqlDatabase db) {
    QString error;
    QVERIFY2(insertItem(db, {{"DSBUTTON", QString(50, u'á')}}, &error), qPrintable(error));
    QVERIFY(!insertItem(db, {{"NRBUTTON", "02"}, {"DSBUTTON", QString(51, u'x')}}));
    QVERIFY(!insertItem(db, {{"NRBUTTON", "03"}, {"CDFILIAL", "77777"}}));
    QVERIFY(!insertItem(db, {{"NRBUTTON", "04"}, {"NRCOLORBACK", "abc"}}));
    QVERIFY(!insertItem(db, {{"NRBUTTON", "05"}, {"CDIDENTBUTON", "12345678901"}}));
    // Colours may arrive as decimal text; the column keeps the number.
    QVERIFY2(insertItem(db, {{"NRBUTTON", "06"}, {"NRCOLORBACK", "255"}}, &error), qPrintable(error));
    QCOMPARE(
        scalar(db, "SELECT NRCOLORBACK + 1 FROM ITMENUCONFTE WHERE CDFILIAL = '7777' AND NRBUTTON = '06'").toDouble(),
        256.0);
    // One row per key.
    QVERIFY(!insertItem(db, {{"DSBUTTON", "Outro"}}));
    QCOMPARE(count(db, "SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDFILIAL = '7777'"), 2);
}

void removeFile(const QString& path) {
    QFile::remove(path);
}

} // namespace

class TestHostSchema : public QObject {
    Q_OBJECT

private slots:
    void scriptsHoldWholeStatements();
    void sqliteSchemaWithDemoData();
    void sqliteRefusesWhatAServerRefuses();
    void createRefusesExistingTables();
    void failedCreationLeavesNothing();
    void connectionFromEnvironment();
    void connectionFromFileBesideTheLauncher();
    void defaultDatabaseIsCreatedOnceAndReused();
    void defaultDatabaseFailureIsReported();
    void postgresSchemaWithDemoData();
};

void TestHostSchema::scriptsHoldWholeStatements() {
    const QStringList sqlite = DatabaseSchema::schemaStatements(SqlDialect::SQLite);
    const QStringList pg = DatabaseSchema::schemaStatements(SqlDialect::PostgreSQL);
    QCOMPARE(sqlite.size(), pg.size()); // the same tables and indexes on both engines
    QVERIFY(sqlite.size() >= 10);
    for (const QString& s : sqlite + pg) {
        QVERIFY2(!s.contains(QStringLiteral("-- ;;")), qPrintable(s));
        QVERIFY2(s.startsWith(QStringLiteral("CREATE ")), qPrintable(s));
    }
    const QStringList demo = DatabaseSchema::demoDataStatements(SqlDialect::SQLite);
    QVERIFY(demo.size() > 150);
    for (const QString& s : demo)
        QVERIFY2(s.startsWith(QStringLiteral("INSERT INTO ")) && s.count(QStringLiteral("INSERT INTO")) == 1,
                 qPrintable(s));
    QVERIFY_THROWS_EXCEPTION(DatabaseError, DatabaseSchema::schemaStatements(SqlDialect::Oracle));
}

void TestHostSchema::sqliteSchemaWithDemoData() {
    auto t = SqlTestDatabase::sqlite();
    QSqlDatabase db = t->db();
    QVERIFY(!DatabaseSchema::tablesExist(db));
    DatabaseSchema::create(db, SqlDialect::SQLite, true);
    QVERIFY(DatabaseSchema::tablesExist(db));
    checkDemoData(db);
}

void TestHostSchema::sqliteRefusesWhatAServerRefuses() {
    auto t = SqlTestDatabase::sqlite();
    QSqlDatabase db = t->db();
    DatabaseSchema::create(db, SqlDialect::SQLite, false);
    QCOMPARE(count(db, "SELECT COUNT(*) FROM PRODUTO"), 0);
    checkRefusals(db);
}

void TestHostSchema::createRefusesExistingTables() {
    auto t = SqlTestDatabase::sqlite();
    QSqlDatabase db = t->db();
    DatabaseSchema::create(db, SqlDialect::SQLite, true);
    const int items = count(db, "SELECT COUNT(*) FROM ITMENUCONFTE");
    try {
        DatabaseSchema::create(db, SqlDialect::SQLite, true);
        QFAIL("a second creation was accepted");
    } catch (const DatabaseError& e) {
        QVERIFY2(e.message().contains(QStringLiteral("já existem")), qPrintable(e.message()));
    }
    QCOMPARE(count(db, "SELECT COUNT(*) FROM ITMENUCONFTE"), items);

    // One catalogue table of the host's own is enough to leave the database alone.
    auto other = SqlTestDatabase::sqlite();
    QSqlDatabase db2 = other->db();
    QVERIFY(QSqlQuery(db2).exec(QStringLiteral("CREATE TABLE loja (CDFILIAL TEXT)")));
    QVERIFY(DatabaseSchema::tablesExist(db2));
    QVERIFY_THROWS_EXCEPTION(DatabaseError, DatabaseSchema::create(db2, SqlDialect::SQLite, false));
    QVERIFY(!db2.tables().contains(QStringLiteral("ITMENUCONFTE")));
}

void TestHostSchema::failedCreationLeavesNothing() {
    // A view in the way of one of the later tables makes the creation fail
    // half-way; the tables made before it must go too.
    auto t = SqlTestDatabase::sqlite();
    QSqlDatabase db = t->db();
    QVERIFY(QSqlQuery(db).exec(QStringLiteral("CREATE VIEW ROTFABLOCAL AS SELECT 1 AS X")));
    QVERIFY(!DatabaseSchema::tablesExist(db));
    QVERIFY_THROWS_EXCEPTION(DatabaseError, DatabaseSchema::create(db, SqlDialect::SQLite, true));
    QVERIFY(!DatabaseSchema::tablesExist(db));
    QVERIFY(db.tables(QSql::Tables).isEmpty());
}

void TestHostSchema::connectionFromEnvironment() {
    EnvGuard env("KALMORA_CONEXAO");
    qputenv("KALMORA_CONEXAO", "Provider=PostgreSQL;Host=db.local;Database=caixa");
    QCOMPARE(_GetStringConexKmr(QString()), QStringLiteral("Provider=PostgreSQL;Host=db.local;Database=caixa"));
}

void TestHostSchema::connectionFromFileBesideTheLauncher() {
    EnvGuard env("KALMORA_CONEXAO");
    qunsetenv("KALMORA_CONEXAO");
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kalmora.conexao"));
    QVERIFY2(!QFile::exists(path), "a kalmora.conexao is already beside the test; remove it");
    auto cleanup = qScopeGuard([&] { removeFile(path); });
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Text));
    file.write("# database of the shop\n\n   Provider=SQLite;Data Source=/srv/kmr/caixa.db  \nProvider=ODBC;DSN=x\n");
    file.close();
    QCOMPARE(_GetStringConexKmr(QString()), QStringLiteral("Provider=SQLite;Data Source=/srv/kmr/caixa.db"));

    // The environment variable wins over the file.
    qputenv("KALMORA_CONEXAO", "Provider=ODBC;DSN=caixa");
    QCOMPARE(_GetStringConexKmr(QString()), QStringLiteral("Provider=ODBC;DSN=caixa"));
}

void TestHostSchema::defaultDatabaseIsCreatedOnceAndReused() {
    EnvGuard env("KALMORA_CONEXAO");
    EnvGuard xdg("XDG_DATA_HOME");
    qunsetenv("KALMORA_CONEXAO");
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    const QString expected = home.filePath(QStringLiteral("kalmora/kalmora.db"));
    QCOMPARE(defaultDatabasePath(), expected);
    QVERIFY(!QFile::exists(expected));

    QCOMPARE(_GetStringConexKmr(QString()), QStringLiteral("Provider=SQLite;Data Source=") + expected);
    QVERIFY(QFile::exists(expected));
    // Only the database itself is left in the folder: no half-made files.
    QCOMPARE(QDir(home.filePath(QStringLiteral("kalmora"))).entryList(QDir::Files), QStringList{"kalmora.db"});
    {
        auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("kmr_default_check"));
        db.setDatabaseName(expected);
        QVERIFY(db.open());
        checkDemoData(db);
        // A change made by the operator must survive the next start.
        QVERIFY(QSqlQuery(db).exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = 'Marca' "
                                                  "WHERE IDTPBUTTON = '2' AND NRBUTTON = '01'")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("kmr_default_check"));

    QCOMPARE(_GetStringConexKmr(QString()), QStringLiteral("Provider=SQLite;Data Source=") + expected);
    {
        auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("kmr_default_check"));
        db.setDatabaseName(expected);
        QVERIFY(db.open());
        QCOMPARE(count(db, "SELECT COUNT(*) FROM ITMENUCONFTE WHERE DSBUTTON = 'Marca'"), 1);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("kmr_default_check"));
}

void TestHostSchema::defaultDatabaseFailureIsReported() {
    EnvGuard env("KALMORA_CONEXAO");
    EnvGuard xdg("XDG_DATA_HOME");
    qunsetenv("KALMORA_CONEXAO");
    QTemporaryDir home;
    // A plain file where the data folder should be: the folder cannot be made.
    QFile blocker(home.filePath(QStringLiteral("blocked")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_DATA_HOME", QFile::encodeName(blocker.fileName()));
    QVERIFY_THROWS_EXCEPTION(DatabaseError, _GetStringConexKmr(QString()));
}

void TestHostSchema::postgresSchemaWithDemoData() {
    const QString conn = qEnvironmentVariable("KALMORA_TEST_PG");
    if (conn.isEmpty()) {
        if (qEnvironmentVariable("KALMORA_TEST_REQUIRE_PG") == QLatin1String("1"))
            QFAIL("KALMORA_TEST_PG is not set but PostgreSQL tests are required");
        QSKIP("KALMORA_TEST_PG is not set");
    }
    std::unique_ptr<SqlTestDatabase> t;
    try {
        t = SqlTestDatabase::postgres(conn);
    } catch (const std::exception& e) {
        QFAIL(e.what());
    }
    QSqlDatabase db = t->db();
    QVERIFY(!DatabaseSchema::tablesExist(db));
    DatabaseSchema::create(db, SqlDialect::PostgreSQL, true);
    QVERIFY(DatabaseSchema::tablesExist(db));
    checkDemoData(db);
    checkRefusals(db);
    QVERIFY_THROWS_EXCEPTION(DatabaseError, DatabaseSchema::create(db, SqlDialect::PostgreSQL, false));
}

QTEST_GUILESS_MAIN(TestHostSchema)
#include "tst_hostschema.moc"
