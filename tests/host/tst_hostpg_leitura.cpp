// Reads on PostgreSQL run on the libpq connection give the packet the Qt
// driver gives for the same statement and values: every column type the
// direct path serves, NULLs, casts, a placeholder used twice, and the types it
// leaves to the driver (timestamps, booleans), a query open across a
// reconnection, a refused statement.

#include <AdoSession.h>
#include <DataPacket.h>
#include <HostErrors.h>
#include <PgStatement.h>
#include <TADOConnection.h>
#include <TADOQuery.h>
#include <TestDatabase.h>

#include <QSqlQuery>
#include <QtTest>

#include <cmath>

namespace {

const char* const kTypes =
    "SELECT t.a::varchar AS TX, t.a::char(6) AS CH, 'x'::text AS TT, t.n::int2 AS I2, t.n::int4 AS I4, "
    "(t.n::int8 * 4000000000) AS I8, (t.n / 3.0)::float8 AS F8, (t.n / 3.0)::float4 AS F4, (t.n / 7.0)::numeric AS "
    "NU, t.n::int4 AS NT, NULLIF(t.a, :P_A) AS NL FROM (VALUES ('um', 1), ('dois', -2), ('', 0), ('ação ☕', 7)) "
    "AS t(a, n) WHERE t.a <> COALESCE(:P_B, '-') ORDER BY t.n";

QList<FieldDef> typeColumns() {
    return {
        FieldDef{"TX", FieldKind::Text, 10},   FieldDef{"CH", FieldKind::Text, 6},  FieldDef{"TT", FieldKind::Text, 1},
        FieldDef{"I2", FieldKind::Integer, 0}, FieldDef{"I4", FieldKind::Float, 0}, FieldDef{"I8", FieldKind::Float, 0},
        FieldDef{"F8", FieldKind::Float, 0},   FieldDef{"F4", FieldKind::Float, 0}, FieldDef{"NU", FieldKind::Float, 0},
        FieldDef{"NT", FieldKind::Text, 4},    FieldDef{"NL", FieldKind::Text, 10}};
}

} // namespace

class TestHostPgLeitura : public QObject {
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

    void everyServedTypeAsTheDriverGivesIt_data() {
        QTest::addColumn<QVariant>("a");
        QTest::addColumn<QVariant>("b");
        QTest::newRow("texts") << QVariant(QStringLiteral("um")) << QVariant(QStringLiteral("dois"));
        QTest::newRow("null string") << QVariant(QString()) << QVariant(QString());
        QTest::newRow("invalid variant") << QVariant() << QVariant(QStringLiteral(""));
    }
    void everyServedTypeAsTheDriverGivesIt() {
        QFETCH(QVariant, a);
        QFETCH(QVariant, b);
        TADOQuery q(*m_connection, QString::fromUtf8(kTypes));
        q.setParam(QStringLiteral("P_A"), a);
        q.setParam(QStringLiteral("P_B"), b);
        const DataPacket packet = q.readPacket(typeColumns());
        QVERIFY(packet.rowCount() >= 2);
        // The libpq path is the one compared: the library, loaded on demand, was found.
        QVERIFY(PgStatement::handleOf(m_connection->database()) != nullptr);
        compareWithDriver(packet, QString::fromUtf8(kTypes), {{":P_A", a}, {":P_B", b}}, typeColumns());
    }

    void cursorValuesAsTheDriverTypesThem() {
        TADOQuery q(*m_connection, QString::fromUtf8(kTypes));
        q.setParam(QStringLiteral("P_A"), QStringLiteral("um"));
        q.setParam(QStringLiteral("P_B"), QString());
        q.open();
        QVERIFY(!q.isEmpty());
        QCOMPARE(q.fieldValue(QStringLiteral("i4")).typeId(), int(QMetaType::Int));
        QCOMPARE(q.fieldValue(QStringLiteral("F8")).typeId(), int(QMetaType::Double));
        QCOMPARE(q.fieldText(QStringLiteral("TX")), QStringLiteral("dois"));
        QCOMPARE(q.fieldText(QStringLiteral("CH")), QStringLiteral("dois  ")); // char(n) keeps its padding
        int rows = 0;
        for (; !q.eof(); q.next())
            ++rows;
        QCOMPARE(rows, 4);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, q.fieldValue(QStringLiteral("NADA")));
        q.close();
    }

    void typesLeftToTheDriver() {
        // A statement with a timestamp or a boolean column stays on Qt's path
        // and gives what it gives.
        const QString sql = QStringLiteral("SELECT TIMESTAMP '2026-01-02 10:11:12' AS DT, (1 = 1) AS B, "
                                           ":P_A::varchar AS TX");
        const QList<FieldDef> columns = {FieldDef{"DT", FieldKind::DateTime, 0}, FieldDef{"B", FieldKind::Text, 5},
                                         FieldDef{"TX", FieldKind::Text, 5}};
        TADOQuery q(*m_connection, sql);
        q.setParam(QStringLiteral("P_A"), QStringLiteral("abc"));
        const DataPacket packet = q.readPacket(columns);
        QCOMPARE(packet.rowCount(), 1);
        QCOMPARE(packet.text(0, 2), QStringLiteral("abc"));
        compareWithDriver(packet, sql, {{":P_A", QStringLiteral("abc")}}, columns);
    }

    void aNumberParameterGoesThroughTheDriver() {
        TADOQuery q(*m_connection, QStringLiteral("SELECT (:P_N)::int4 + 1 AS N"));
        q.setParam(QStringLiteral("P_N"), 41);
        const DataPacket packet = q.readPacket({FieldDef{"N", FieldKind::Integer, 0}});
        QCOMPARE(packet.value(0, 0).toLongLong(), 42);
    }

    void reconnectionPreparesAgain() {
        TADOQuery q(*m_connection, QStringLiteral("SELECT :P_A::varchar || '!' AS TX"));
        const QList<FieldDef> columns = {FieldDef{"TX", FieldKind::Text, 10}};
        q.setParam(QStringLiteral("P_A"), QStringLiteral("um"));
        QCOMPARE(q.readPacket(columns).text(0, 0), QStringLiteral("um!"));
        m_connection->setConnected(false);
        m_connection->setConnected(true);
        q.setParam(QStringLiteral("P_A"), QStringLiteral("dois"));
        QCOMPARE(q.readPacket(columns).text(0, 0), QStringLiteral("dois!"));
        // A text replaced many times leaves no statement behind on the server.
        for (int i = 0; i < 5; ++i) {
            q.setSql(QStringLiteral("SELECT :P_A::varchar || '%1' AS TX").arg(i));
            q.setParam(QStringLiteral("P_A"), QStringLiteral("x"));
            QCOMPARE(q.readPacket(columns).text(0, 0), QStringLiteral("x%1").arg(i));
        }
        QSqlQuery count(m_connection->database());
        QVERIFY(
            count.exec(QStringLiteral("SELECT count(*) FROM pg_prepared_statements WHERE name LIKE 'kmr_read_%'")) &&
            count.next());
        QCOMPARE(count.value(0).toInt(), 1);
    }

    void aFailedReadReportsTheServersReason() {
        TADOQuery q(*m_connection, QStringLiteral("SELECT 1 / (:P_A::int4) AS N"));
        q.setParam(QStringLiteral("P_A"), QStringLiteral("0"));
        try {
            q.readPacket({FieldDef{"N", FieldKind::Float, 0}});
            QFAIL("a division by zero was read");
        } catch (const DatabaseError& e) {
            QCOMPARE(e.sqlError().nativeErrorCode(), QStringLiteral("22012"));
            QVERIFY(!q.active());
        }
        // The connection goes on.
        q.setParam(QStringLiteral("P_A"), QStringLiteral("2"));
        QCOMPARE(q.readPacket({FieldDef{"N", FieldKind::Float, 0}}).value(0, 0).toDouble(), 0.0);
    }

private:
    // The same statement through Qt's driver, each value appended as the
    // generic path appends it.
    void compareWithDriver(const DataPacket& packet, const QString& sql, const QList<QPair<QString, QVariant>>& values,
                           const QList<FieldDef>& columns) {
        QSqlQuery query(m_connection->database());
        query.setForwardOnly(true);
        query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
        QVERIFY(query.prepare(sql));
        for (const auto& [name, value] : values)
            query.bindValue(name, value);
        QVERIFY(query.exec());
        DataPacket expected(columns);
        while (query.next()) {
            expected.beginRow();
            for (int c = 0; c < columns.size(); ++c) {
                const QVariant v = query.value(c);
                if (v.isNull())
                    expected.appendNull();
                else if (columns[c].kind == FieldKind::Text)
                    expected.appendText(v.toString());
                else if (columns[c].kind == FieldKind::Float)
                    expected.appendNumber(v.toDouble());
                else if (columns[c].kind == FieldKind::Integer)
                    expected.appendInteger(v.toLongLong());
                else
                    expected.appendDateTime(v.toDateTime());
            }
        }
        QCOMPARE(packet.rowCount(), expected.rowCount());
        for (int r = 0; r < packet.rowCount(); ++r)
            for (int c = 0; c < columns.size(); ++c) {
                QCOMPARE(packet.isNull(r, c), expected.isNull(r, c));
                const QVariant got = packet.value(r, c);
                const QVariant want = expected.value(r, c);
                if (columns[c].kind == FieldKind::Float)
                    QVERIFY2(got.toDouble() == want.toDouble() ||
                                 (std::isnan(got.toDouble()) && std::isnan(want.toDouble())),
                             qPrintable(QStringLiteral("row %1 column %2").arg(r).arg(c)));
                else
                    QCOMPARE(got, want);
            }
    }

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TADOConnection> m_connection;
};

QTEST_GUILESS_MAIN(TestHostPgLeitura)
#include "tst_hostpg_leitura.moc"
