// Texts, messages, connection strings, session set-up, error texts and the
// per-dialect SQL storage of the host library.

#include <AdoSession.h>
#include <ConnectionString.h>
#include <HostErrors.h>
#include <HostText.h>
#include <TADOConnection.h>
#include <TADOQuery.h>
#include <TADOSqlStorage.h>
#include <TMessages.h>

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

class TestHostCore : public QObject {
    Q_OBJECT

private slots:
    void emptyString_data();
    void emptyString();
    void msgFindsExactKeyAndKeepsText();
    void parsesConnectionStrings();
    void normalisesProviders_data();
    void normalisesProviders();
    void redactionNeverShowsThePassword_data();
    void redactionNeverShowsThePassword();
    void storagePicksTheTextOfTheDialect();
    void storageRefusesAMissingText();
    void storageAppliesTheConnectionsText();
    void sqliteSessionIsPrepared();
    void statementParametersByName();
    void exceptionMessageNamesTheFailureWithoutThePassword();
    void exceptionMessageNeverThrows();
};

void TestHostCore::emptyString_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("empty");
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("blanks") << QStringLiteral("    ") << true;
    QTest::newRow("tab and newline") << QStringLiteral("\t \n") << true;
    QTest::newRow("padded value") << QStringLiteral("  001  ") << false;
    QTest::newRow("single char") << QStringLiteral("P") << false;
}

void TestHostCore::emptyString() {
    QFETCH(QString, text);
    QFETCH(bool, empty);
    QCOMPARE(EmptyString(text), empty);
}

void TestHostCore::msgFindsExactKeyAndKeepsText() {
    // "Conf_Caixa" comes before "Conf" on purpose: a prefix match would pick it.
    const TMessages messages({QStringLiteral("FILIAL|Filial "), QStringLiteral("Conf_Caixa|Configuração do Caixa"),
                              QStringLiteral("Conf|Configuração Tela de Vendas"), QStringLiteral("Pipe|a|b"),
                              QStringLiteral("sem barra"), QStringLiteral("Vazio|")});
    QCOMPARE(messages.Msg(QStringLiteral("FILIAL")), QStringLiteral("Filial "));
    QCOMPARE(messages.Msg(QStringLiteral("Conf")), QStringLiteral("Configuração Tela de Vendas"));
    QCOMPARE(messages.Msg(QStringLiteral("Conf_Caixa")), QStringLiteral("Configuração do Caixa"));
    QCOMPARE(messages.Msg(QStringLiteral("Pipe")), QStringLiteral("a|b"));
    QCOMPARE(messages.Msg(QStringLiteral("filial")), QString()); // keys are case-sensitive
    QCOMPARE(messages.Msg(QStringLiteral("Ausente")), QString());
    QCOMPARE(messages.Msg(QStringLiteral("sem barra")), QString());
    QCOMPARE(messages.Msg(QStringLiteral("Vazio")), QString());
}

void TestHostCore::parsesConnectionStrings() {
    const auto cs = ConnectionString::parse(
        QStringLiteral(" Provider = PostgreSQL ; HOST=127.0.0.1;port=54329;Database=\"kmr;teste\";"
                       "User ID=postgres;Password=\"a;b\"\"c\";"));
    QCOMPARE(cs.provider(), QStringLiteral("PostgreSQL"));
    QCOMPARE(cs.qtDriver(), QStringLiteral("QPSQL"));
    QCOMPARE(cs.value(QStringLiteral("Host")), QStringLiteral("127.0.0.1"));
    QCOMPARE(cs.value(QStringLiteral("PORT")), QStringLiteral("54329"));
    QCOMPARE(cs.value(QStringLiteral("database")), QStringLiteral("kmr;teste"));
    QCOMPARE(cs.value(QStringLiteral("user id")), QStringLiteral("postgres"));
    QCOMPARE(cs.value(QStringLiteral("Password")), QStringLiteral("a;b\"c"));
    QVERIFY(cs.contains(QStringLiteral("host")));
    QVERIFY(!cs.contains(QStringLiteral("DSN")));
    QCOMPARE(cs.value(QStringLiteral("DSN")), QString());

    const auto sqlite = ConnectionString::parse(QStringLiteral("Provider=SQLite;Data Source=/var/lib/kmr/a b.db"));
    QCOMPARE(sqlite.value(QStringLiteral("Data Source")), QStringLiteral("/var/lib/kmr/a b.db"));
    QCOMPARE(sqlite.text(), QStringLiteral("Provider=SQLite;Data Source=/var/lib/kmr/a b.db"));

    const auto empty = ConnectionString::parse(QString());
    QCOMPARE(empty.provider(), QString());
    QCOMPARE(empty.qtDriver(), QString());
}

void TestHostCore::normalisesProviders_data() {
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("provider");
    QTest::addColumn<QString>("driver");
    QTest::newRow("sqlite") << "sqlite"
                            << "SQLite"
                            << "QSQLITE";
    QTest::newRow("PostgreSQL") << "PostgreSQL"
                                << "PostgreSQL"
                                << "QPSQL";
    QTest::newRow("PSQL") << "PSQL"
                          << "PostgreSQL"
                          << "QPSQL";
    QTest::newRow("Postgres") << "Postgres"
                              << "PostgreSQL"
                              << "QPSQL";
    QTest::newRow("odbc") << "odbc"
                          << "ODBC"
                          << "QODBC";
    QTest::newRow("oracle ole db") << "MSDAORA.1"
                                   << "MSDAORA.1"
                                   << "";
}

void TestHostCore::normalisesProviders() {
    QFETCH(QString, written);
    QFETCH(QString, provider);
    QFETCH(QString, driver);
    const auto cs = ConnectionString::parse(QStringLiteral("Provider=%1;Data Source=x").arg(written));
    QCOMPARE(cs.provider(), provider);
    QCOMPARE(cs.qtDriver(), driver);
}

void TestHostCore::redactionNeverShowsThePassword_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("password") << "Provider=PostgreSQL;Host=h1;User ID=u1;Password=zqsecret;"
                              << QStringList{"Host=h1", "User ID=u1", "Password=***"};
    QTest::newRow("pwd lower case") << "Provider=ODBC;DSN=caixa;pwd=zqsecret" << QStringList{"DSN=caixa", "pwd=***"};
    QTest::newRow("quoted with separator") << "Password=\"zq;zqsecret\";Host=h2" << QStringList{"Host=h2"};
    // An unquoted password holding ';' leaves a piece without '=': dropped.
    QTest::newRow("unquoted with separator") << "Password=zq1;zq2;Host=h3" << QStringList{"Host=h3"};
}

void TestHostCore::redactionNeverShowsThePassword() {
    QFETCH(QString, text);
    QFETCH(QStringList, kept);
    const QString redacted = ConnectionString::parse(text).redacted();
    QVERIFY2(!redacted.contains(QStringLiteral("zq")), qPrintable(redacted));
    for (const QString& part : kept)
        QVERIFY2(redacted.contains(part), qPrintable(redacted));
}

void TestHostCore::storagePicksTheTextOfTheDialect() {
    TADOSqlStorage storage;
    storage.SQLORACLE = QStringLiteral("SELECT NVL(A,'S') FROM T");
    storage.SQLMSSQL = QStringLiteral("SELECT ISNULL(A,'S') FROM T");
    storage.SQLSQLITE = QStringLiteral("SELECT IFNULL(A,'S') FROM T");
    storage.SQLPOSTGRES = QStringLiteral("SELECT COALESCE(A,'S') FROM T");
    QCOMPARE(storage.textFor(SqlDialect::Oracle), storage.SQLORACLE);
    QCOMPARE(storage.textFor(SqlDialect::MsSql), storage.SQLMSSQL);
    QCOMPARE(storage.textFor(SqlDialect::SQLite), storage.SQLSQLITE);
    QCOMPARE(storage.textFor(SqlDialect::PostgreSQL), storage.SQLPOSTGRES);
    QVERIFY_THROWS_EXCEPTION(DatabaseError, storage.textFor(SqlDialect::Unknown));
}

void TestHostCore::storageRefusesAMissingText() {
    TADOSqlStorage storage;
    storage.SQLORACLE = QStringLiteral("SELECT 1 FROM DUAL");
    storage.SQLSQLITE = QStringLiteral("   ");
    QVERIFY_THROWS_EXCEPTION(DatabaseError, storage.textFor(SqlDialect::MsSql));
    QVERIFY_THROWS_EXCEPTION(DatabaseError, storage.textFor(SqlDialect::SQLite));
    try {
        storage.textFor(SqlDialect::PostgreSQL);
        QFAIL("no text for PostgreSQL was accepted");
    } catch (const DatabaseError& e) {
        QVERIFY2(e.message().contains(QStringLiteral("PostgreSQL")), qPrintable(e.message()));
    }
    QVERIFY_THROWS_EXCEPTION(DatabaseError, storage.apply()); // no query
}

// A SQLite database file that exists, as a named database must.
static QString sqliteFile(const QTemporaryDir& dir, const char* name) {
    const QString path = dir.filePath(QLatin1String(name));
    const QString connection = QStringLiteral("kmr_file_") + QLatin1String(name);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        if (db.open())
            QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version=1"));
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return path;
}

void TestHostCore::storageAppliesTheConnectionsText() {
    QTemporaryDir dir;
    TADOConnection connection;
    connection.setConnectionString(QStringLiteral("Provider=SQLite;Data Source=") + sqliteFile(dir, "a.db"));
    connection.setConnected(true);
    TADOQuery query(connection, QStringLiteral("SELECT 0"));
    TADOSqlStorage storage;
    storage.ADOQuery = &query;
    storage.SQLORACLE = QStringLiteral("SELECT 1 FROM DUAL");
    storage.SQLMSSQL = QStringLiteral("SELECT 2");
    QVERIFY_THROWS_EXCEPTION(DatabaseError, storage.apply());
    QCOMPARE(query.sql(), QStringLiteral("SELECT 0")); // left as it was
    storage.SQLSQLITE = QStringLiteral("SELECT 3 AS N");
    storage.apply();
    QCOMPARE(query.sql(), storage.SQLSQLITE);
    query.open();
    QCOMPARE(query.fieldText(QStringLiteral("N")), QStringLiteral("3"));
}

// Parameters are bound by name; a name the text does not hold (or holds only
// inside a quoted literal) is refused, and a reconnect prepares the text again.
void TestHostCore::statementParametersByName() {
    QTemporaryDir dir;
    TADOConnection connection;
    connection.setConnectionString(QStringLiteral("Provider=SQLite;Data Source=") + sqliteFile(dir, "p.db"));
    connection.setConnected(true);
    TADOQuery query(connection, QStringLiteral("SELECT :P_A AS A, ':P_B' AS B, :P_A || 'x' AS C"));
    query.setParam(QStringLiteral("P_A"), QStringLiteral("Pão"));
    QVERIFY_THROWS_EXCEPTION(DatabaseError, query.setParam(QStringLiteral("P_B"), 1));
    QVERIFY_THROWS_EXCEPTION(DatabaseError, query.setParam(QStringLiteral("P_AB"), 1));
    query.open();
    QCOMPARE(query.fieldText(QStringLiteral("A")), QStringLiteral("Pão"));
    QCOMPARE(query.fieldText(QStringLiteral("B")), QStringLiteral(":P_B"));
    QCOMPARE(query.fieldText(QStringLiteral("C")), QStringLiteral("Pãox"));

    connection.setConnected(false);
    connection.setConnected(true);
    query.setParam(QStringLiteral("P_A"), QStringLiteral("de novo"));
    const DataPacket packet = query.readPacket({{QStringLiteral("A"), FieldKind::Text, 10}});
    QCOMPARE(packet.rowCount(), 1);
    QCOMPARE(packet.text(0, 0), QStringLiteral("de novo"));
}

void TestHostCore::sqliteSessionIsPrepared() {
    QTemporaryDir dir;
    TADOConnection connection;
    connection.setConnectionString(QStringLiteral("Provider=SQLite;Data Source=") + sqliteFile(dir, "s.db"));
    connection.afterConnect = SetADODBSession;
    connection.setConnected(true);
    const auto pragma = [&](const char* name) {
        QSqlQuery q(connection.database());
        if (!q.exec(QStringLiteral("PRAGMA %1").arg(QLatin1String(name))) || !q.next())
            return QString();
        return q.value(0).toString();
    };
    QCOMPARE(pragma("journal_mode"), QStringLiteral("delete")); // the file's own, left alone
    QCOMPARE(pragma("synchronous"), QStringLiteral("2"));       // FULL
    QCOMPARE(pragma("busy_timeout"), QStringLiteral("5000"));
    QCOMPARE(pragma("foreign_keys"), QStringLiteral("1"));
}

void TestHostCore::exceptionMessageNamesTheFailureWithoutThePassword() {
    TADOConnection connection;
    connection.setConnectionString(
        QStringLiteral("Provider=PostgreSQL;Host=10.0.0.9;Database=caixa;User ID=kmr;Password=Tr0ub4dor"));
    // The operator reads the cause in Portuguese; neither the driver's words,
    // the statement nor the password reach the text.
    const DatabaseError error(QStringLiteral("Cannot run the statement"),
                              QSqlError(QStringLiteral("could not connect with password=Tr0ub4dor"),
                                        QStringLiteral("relation \"itmenuconfte\" does not exist"),
                                        QSqlError::StatementError, QStringLiteral("42P01")),
                              QStringLiteral("SELECT * FROM ITMENUCONFTE"));
    const QString text = ADOExceptionMessage(error, connection, QStringLiteral("getPesqGrupo"));
    QVERIFY2(text.contains(QStringLiteral("kalmora --create-schema")), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("relation")), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("ITMENUCONFTE")), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("Tr0ub4dor")), qPrintable(text));

    const QString plain = ADOExceptionMessage(std::runtime_error("disk full"), connection, QString());
    QVERIFY2(!plain.contains(QStringLiteral("disk full")), qPrintable(plain));
    QVERIFY2(plain.contains(QStringLiteral("kalmora.log")), qPrintable(plain));
}

void TestHostCore::exceptionMessageNeverThrows() {
    TADOConnection connection;
    connection.setConnectionString(QStringLiteral(";;=;\"unterminated"));
    const QString text = ADOExceptionMessage(std::runtime_error(""), connection, QString());
    QVERIFY(!text.trimmed().isEmpty());
}

QTEST_GUILESS_MAIN(TestHostCore)
#include "tst_hostcore.moc"
