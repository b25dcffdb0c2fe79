// The ODBC route of the connection: the text the driver manager gets, the
// operator's message for a driver that is not installed, and real connections
// through the SQLite and PostgreSQL ODBC drivers the test run names.

#include <ConnectionString.h>
#include <HostErrors.h>
#include <OdbcConnect.h>
#include <TADOConnection.h>

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The driver named in `variable` (KALMORA_TEST_ODBC_SQLITE or
// KALMORA_TEST_ODBC_PG), or "" when none is named: the real connections run
// only where the test run names the drivers it has installed.
QString namedDriver(const char* variable) {
    return qEnvironmentVariable(variable).trimmed();
}

} // namespace

class TestHostOdbc : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyKeyReachesTheDriver_data();
    void everyKeyReachesTheDriver();
    void qtGetsTheTextItPassesOn();
    void dialectFromTheReportedName();
    void missingDriverIsNamedInPortuguese();
    void brokenDriverAndMissingDsnAreNamed();
    void sqliteThroughOdbc();
    void postgresThroughOdbcUsesThePort();

private:
    QTemporaryDir m_odbcDir;
};

// The driver manager reads its lists once per process: before any ODBC call,
// point it at a copy of the machine's driver list with one broken driver
// added (the real drivers stay usable) and an empty DSN list.
void TestHostOdbc::initTestCase() {
    QVERIFY(m_odbcDir.isValid());
    const QString system = qEnvironmentVariable("ODBCSYSINI", QStringLiteral("/etc"));
    QByteArray drivers;
    QFile real(QDir(system).filePath("odbcinst.ini"));
    if (real.open(QIODevice::ReadOnly))
        drivers = real.readAll();
    drivers += "\n[Kalmora Quebrado]\nDriver=" + m_odbcDir.filePath("nao-existe.so").toUtf8() + "\n";
    QFile copy(m_odbcDir.filePath("odbcinst.ini"));
    QVERIFY(copy.open(QIODevice::WriteOnly));
    copy.write(drivers);
    copy.close();
    QFile dsns(m_odbcDir.filePath("odbc.ini"));
    QVERIFY(dsns.open(QIODevice::WriteOnly));
    dsns.close();
    qputenv("ODBCSYSINI", m_odbcDir.path().toUtf8());
    qputenv("ODBCINI", dsns.fileName().toUtf8());
}

void TestHostOdbc::everyKeyReachesTheDriver_data() {
    QTest::addColumn<QString>("connection");
    QTest::addColumn<QString>("expected");
    QTest::newRow("driver in braces, port kept")
        << "Provider=MSDASQL;Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5433;Database=pos;User ID=pos;"
           "Password=s3"
        << "DRIVER={PostgreSQL Unicode};DATABASE=pos;PORT=5433;SERVER=127.0.0.1;UID=pos;PWD=s3";
    QTest::newRow("driver without braces") << "Provider=MSDASQL.1;Driver=SQLite3;Database=/tmp/a.db"
                                           << "DRIVER={SQLite3};DATABASE=/tmp/a.db";
    QTest::newRow("dsn with ado names") << "Provider=ODBC;Data Source=caixa;Pwd=x"
                                        << "DSN=caixa;PWD=x";
    QTest::newRow("data source names the file beside a driver")
        << "Provider=MSDASQL;Driver={SQLite3};Data Source=/tmp/b.db"
        << "DRIVER={SQLite3};DATABASE=/tmp/b.db";
    QTest::newRow("initial catalog") << "Provider=MSDASQL;DSN=loja;Initial Catalog=pos;UID=a"
                                     << "DSN=loja;DATABASE=pos;UID=a";
    QTest::newRow("password that needs braces")
        << "Provider=MSDASQL;Driver={PostgreSQL Unicode};Server=h;User ID=u;Password=\"a;b}c\""
        << "DRIVER={PostgreSQL Unicode};SERVER=h;UID=u;PWD={a;b}}c}";
}

void TestHostOdbc::everyKeyReachesTheDriver() {
    QFETCH(QString, connection);
    QFETCH(QString, expected);
    QCOMPARE(OdbcConnect::driverConnectString(ConnectionString::parse(connection)), expected);
}

void TestHostOdbc::qtGetsTheTextItPassesOn() {
    // Qt's driver adds "DSN=" to a text naming neither driver nor server.
    QCOMPARE(OdbcConnect::qtDatabaseName(ConnectionString::parse("Provider=MSDASQL;DSN=caixa;UID=a")),
             QString("caixa;UID=a"));
    QCOMPARE(OdbcConnect::qtDatabaseName(ConnectionString::parse("Provider=MSDASQL;DSN=caixa;Server=h")),
             QString("DSN=caixa;SERVER=h"));
    QCOMPARE(OdbcConnect::qtDatabaseName(ConnectionString::parse("Provider=MSDASQL;Driver={X};Database=d")),
             QString("DRIVER={X};DATABASE=d"));
}

void TestHostOdbc::dialectFromTheReportedName() {
    QCOMPARE(OdbcConnect::dialectForDbmsName("PostgreSQL"), SqlDialect::PostgreSQL);
    QCOMPARE(OdbcConnect::dialectForDbmsName("SQLite"), SqlDialect::SQLite);
    QCOMPARE(OdbcConnect::dialectForDbmsName("Oracle"), SqlDialect::Oracle);
    QCOMPARE(OdbcConnect::dialectForDbmsName("Microsoft SQL Server"), SqlDialect::MsSql);
    QCOMPARE(OdbcConnect::dialectForDbmsName("MySQL"), SqlDialect::Unknown);
    QCOMPARE(OdbcConnect::dialectForDbmsName(""), SqlDialect::Unknown);
}

void TestHostOdbc::missingDriverIsNamedInPortuguese() {
    TADOConnection connection;
    connection.setConnectionString(
        "Provider=MSDASQL;Driver={Kalmora Driver Inexistente};Server=127.0.0.1;User ID=u;Password=Segr3d0X");
    try {
        connection.setConnected(true);
        QFAIL("connected through a driver that is not installed");
    } catch (const DatabaseError& e) {
        const QString text = e.message();
        QVERIFY2(text.contains("driver ODBC \"Kalmora Driver Inexistente\" não está instalado"), qPrintable(text));
        for (const char* technical : {"unixODBC", "Can't open lib", "Segr3d0X", "DRIVER="})
            QVERIFY2(!text.contains(technical), qPrintable(text));
        // The detail for the log names the driver and the ones there are.
        QVERIFY(e.sqlError().driverText().contains("Kalmora Driver Inexistente"));
    }
    QVERIFY(!connection.connected());
}

void TestHostOdbc::brokenDriverAndMissingDsnAreNamed() {
    // The driver manager's list (see initTestCase) names a driver whose
    // library is gone, and it knows no DSN of that name.
    QString detail; // the driver manager's own words, for the log
    auto messageOf = [&detail](const QString& connection) {
        TADOConnection c;
        c.setConnectionString(connection);
        try {
            c.setConnected(true);
        } catch (const DatabaseError& e) {
            detail = e.sqlError().databaseText() + e.sqlError().driverText();
            return e.message();
        }
        return QStringLiteral("<connected>");
    };
    const QString broken = messageOf("Provider=MSDASQL;Driver={Kalmora Quebrado};Database=x");
    // Listed, so the library's load is what failed.
    QVERIFY2(detail.contains("Can't open lib"), qPrintable(detail));
    const QString noDsn = messageOf("Provider=MSDASQL;DSN=caixa_inexistente;UID=u");
    QVERIFY2(broken.contains("driver ODBC \"Kalmora Quebrado\" não está instalado"), qPrintable(broken));
    QVERIFY2(noDsn.contains("fonte de dados ODBC \"caixa_inexistente\" não está configurada"), qPrintable(noDsn));
    for (const QString& text : {broken, noDsn})
        QVERIFY2(!text.contains("unixODBC") && !text.contains(m_odbcDir.path()), qPrintable(text));
}

void TestHostOdbc::sqliteThroughOdbc() {
    const QString driver = namedDriver("KALMORA_TEST_ODBC_SQLITE");
    if (driver.isEmpty())
        QSKIP("KALMORA_TEST_ODBC_SQLITE names no SQLite ODBC driver");
    QTemporaryDir dir;
    const QString file = dir.filePath("caixa.db");
    TADOConnection connection;
    connection.setConnectionString(QStringLiteral("Provider=MSDASQL;Driver={%1};Database=%2").arg(driver, file));
    connection.setConnected(true);
    QCOMPARE(connection.dialect(), SqlDialect::SQLite);
    QSqlQuery q(connection.database());
    QVERIFY(q.exec("CREATE TABLE T (A VARCHAR(10))"));
    QVERIFY(q.exec("INSERT INTO T VALUES ('ação')"));
    QVERIFY(q.exec("SELECT A FROM T"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QString("ação"));
    q = QSqlQuery();
    connection.setConnected(false);
    // The file named is the one written.
    QVERIFY(QFileInfo(file).size() > 0);
}

void TestHostOdbc::postgresThroughOdbcUsesThePort() {
    const QString server = qEnvironmentVariable("KALMORA_TEST_PG");
    const QString driver = namedDriver("KALMORA_TEST_ODBC_PG");
    if (server.isEmpty() || driver.isEmpty())
        QSKIP("KALMORA_TEST_PG or KALMORA_TEST_ODBC_PG not set");
    const ConnectionString cs = ConnectionString::parse(server);
    const QString base = QStringLiteral("Provider=MSDASQL;Driver={%1};Server=%2;Database=%3;User ID=%4")
                             .arg(driver, cs.value("Host"), cs.value("Database"), cs.value("User ID"));
    TADOConnection connection;
    connection.setConnectionString(base + ";Port=" + cs.value("Port"));
    connection.setConnected(true);
    QCOMPARE(connection.dialect(), SqlDialect::PostgreSQL);
    QSqlQuery q(connection.database());
    QVERIFY(q.exec("SELECT current_setting('port')"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), cs.value("Port"));
    q = QSqlQuery();
    connection.setConnected(false);

    // A port where no server listens is refused: the port reaches the driver.
    TADOConnection closed;
    closed.setConnectionString(base + ";Port=1");
    QVERIFY_THROWS_EXCEPTION(DatabaseError, closed.setConnected(true));
}

QTEST_GUILESS_MAIN(TestHostOdbc)
#include "tst_hostodbc.moc"
