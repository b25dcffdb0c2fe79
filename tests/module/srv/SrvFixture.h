#pragma once
// Base of the data service tests: a fresh database and a connected data module
// per test function, on the engine the suite was built for.

#include <Srv_Kmr00003.h>
#include <TestDatabase.h>
#include <TrdmConfGrupo.h>

#include <DataPacket.h>

#include <QObject>
#include <QStringList>
#include <QTest>

#include <memory>

struct Call {
    int32_t status = -1;
    QVariant result;
    bool ok() const { return status == 0 && result.typeId() == QMetaType::QString && result.toString().isEmpty(); }
    bool failedWithText() const {
        return status == 0 && result.typeId() == QMetaType::QString && !result.toString().isEmpty();
    }
    QString text() const { return result.toString(); }
};

template <typename F> Call call(F f) {
    Call c;
    c.status = f(c.result);
    return c;
}

class SrvFixture : public QObject {
    Q_OBJECT
public:
    explicit SrvFixture(TestDatabase::Engine engine) : m_engine(engine) {}

protected:
    bool onPostgres() const { return TestDatabase::onPostgresServer(m_engine); }
    bool throughOdbc() const { return TestDatabase::throughOdbc(m_engine); }
    TestDatabase& db() { return *m_db; }

    // One menu item written directly, as another program would have left it.
    void addItem(const QString& type, const QString& button, const QString& page, const QString& auxType,
                 const QString& auxButton, const QString& auxPage, const QString& caption = QStringLiteral("X"),
                 const QString& product = QString(), const QString& branch = QStringLiteral("9999"));
    void addGroup(const QString& button, const QString& page, const QString& caption = QStringLiteral("G")) {
        addItem(QStringLiteral("2"), button, page, QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
                caption);
    }
    void addProduct(const QString& button, const QString& page, const QString& groupButton, const QString& groupPage,
                    const QString& caption = QStringLiteral("P")) {
        addItem(QStringLiteral("1"), button, page, QStringLiteral("2"), groupButton, groupPage, caption,
                QStringLiteral("101001"));
    }
    // Every row of the menu table, every column, in key order.
    QList<QVariantList> menu();
    int menuCount() { return int(menu().size()); }

    // The packet of a query call (fails the test when the call did not give one).
    static DataPacket packet(const Call& c);
    static QStringList column(const DataPacket& p, const QString& name);
    static QStringList fieldNames(const DataPacket& p);

private slots:
    void initTestCase();
    void init();
    void cleanup();

private:
    TestDatabase::Engine m_engine;
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<Srv_Kmr00003::Sessao> m_servico;
};

// Runs a suite once per engine; PostgreSQL only when a test server is named;
// through ODBC as well when KALMORA_TEST_ODBC_PG / KALMORA_TEST_ODBC_SQLITE
// name a driver.
int runOnEngines(int argc, char** argv, const std::function<std::unique_ptr<SrvFixture>(TestDatabase::Engine)>& make);
