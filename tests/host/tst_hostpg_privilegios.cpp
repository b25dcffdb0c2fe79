// The tills' role on PostgreSQL (db/grants_postgresql.sql): it reads the
// catalogue and keeps the menu, and nothing more. It cannot alter, drop or
// create tables, nor write the catalogue.

#include <AdoSession.h>
#include <HostErrors.h>
#include <TADOConnection.h>
#include <TestDatabase.h>

#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

class TestHostPgPrivilegios : public QObject {
    Q_OBJECT

private slots:
    void init() {
        KMR_REQUIRE_POSTGRES();
        m_db = std::make_unique<TestDatabase>(TestDatabase::Engine::PostgreSQL, true);
        m_connection = std::make_unique<TADOConnection>();
        m_connection->setConnectionString(m_db->connectionString());
        m_connection->afterConnect = [](TADOConnection& c) { SetADODBSession(c); };
        m_connection->setConnected(true);
    }
    void cleanup() {
        m_connection.reset();
        m_db.reset();
    }

    void notTheOwner() {
        QSqlQuery query(m_connection->database());
        QVERIFY(query.exec(QStringLiteral("SELECT current_user, rolsuper, rolcreatedb, rolcreaterole FROM pg_roles "
                                          "WHERE rolname = current_user")) &&
                query.next());
        QVERIFY(query.value(0).toString().startsWith(QLatin1String("kmr_r_")));
        QVERIFY(!query.value(1).toBool() && !query.value(2).toBool() && !query.value(3).toBool());
    }

    void readsTheCatalogueAndKeepsTheMenu() {
        for (const char* table : {"PRODUTO", "PRODUTOSEG", "PRSUBGRPROD", "FILIAL", "PARAVEND", "LOJA", "ROTFABRICA",
                                  "ROTFABLOCAL", "ITMENUCONFTE"})
            QVERIFY2(run(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table))).isEmpty(), table);
        QCOMPARE(run(QStringLiteral("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, "
                                    "NRPGCONFTELA, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX, DSBUTTON) VALUES "
                                    "('0001', '00009', '2', '01', '1', '0', '0', '0', 'Novo')")),
                 QString());
        QCOMPARE(run(QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = 'Outro' WHERE CDFILIAL = '0001'")), QString());
        QCOMPARE(run(QStringLiteral("DELETE FROM ITMENUCONFTE WHERE CDFILIAL = '0001'")), QString());
    }

    void cannotChangeTheTables_data() {
        QTest::addColumn<QString>("statement");
        QTest::newRow("alter the menu") << QStringLiteral("ALTER TABLE ITMENUCONFTE ADD COLUMN XX INTEGER");
        QTest::newRow("drop the menu") << QStringLiteral("DROP TABLE ITMENUCONFTE");
        QTest::newRow("empty the menu at once") << QStringLiteral("TRUNCATE ITMENUCONFTE");
        QTest::newRow("drop the catalogue") << QStringLiteral("DROP TABLE PRODUTO");
        QTest::newRow("write the catalogue") << QStringLiteral("UPDATE PRODUTO SET NMPRODUTO = 'X'");
        QTest::newRow("empty a catalogue table") << QStringLiteral("DELETE FROM FILIAL");
        QTest::newRow("create a table") << QStringLiteral("CREATE TABLE INTRUSO (A INTEGER)");
    }
    void cannotChangeTheTables() {
        QFETCH(QString, statement);
        QCOMPARE(run(statement), QStringLiteral("42501")); // insufficient privilege
        QVERIFY(m_db->rows(QStringLiteral("SELECT COUNT(*) FROM ITMENUCONFTE")).value(0).value(0).toInt() > 0);
        QVERIFY(m_db->rows(QStringLiteral("SELECT COUNT(*) FROM information_schema.columns WHERE "
                                          "table_name = 'itmenuconfte' AND column_name = 'xx'"))
                    .value(0)
                    .value(0)
                    .toInt() == 0);
    }

private:
    // "" when the statement ran, else its SQLSTATE.
    QString run(const QString& statement) {
        QSqlQuery query(m_connection->database());
        if (query.exec(statement))
            return {};
        const QString code = query.lastError().nativeErrorCode();
        return code.isEmpty() ? query.lastError().text() : code;
    }

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TADOConnection> m_connection;
};

QTEST_GUILESS_MAIN(TestHostPgPrivilegios)
#include "tst_hostpg_privilegios.moc"
