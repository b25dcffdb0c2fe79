#include "SrvFixture.h"

#include <QCoreApplication>

void SrvFixture::initTestCase() {
    if (onPostgres())
        KMR_REQUIRE_POSTGRES();
    if (TestDatabase::throughOdbc(m_engine) && TestDatabase::odbcDriver(m_engine).isEmpty())
        QSKIP("no ODBC driver named for this engine");
}

void SrvFixture::init() {
    try {
        m_db = std::make_unique<TestDatabase>(m_engine, false);
        m_db->makeCurrent();
        m_servico = std::make_unique<Srv_Kmr00003::Sessao>();
    } catch (const std::exception& e) {
        QFAIL(e.what());
    }
}

void SrvFixture::cleanup() {
    m_servico.reset();
    m_db.reset();
}

void SrvFixture::addItem(const QString& type, const QString& button, const QString& page, const QString& auxType,
                         const QString& auxButton, const QString& auxPage, const QString& caption,
                         const QString& product, const QString& branch) {
    m_db->exec(QStringLiteral("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, "
                              "IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, "
                              "NRCOLORBACK, DSMESSAGEBUT, DSIMAGEMBUT) VALUES ('%1', '00001', '%2', '%3', '%4', "
                              "'%5', '%6', '%7', '%8', '%9', 0, 11571344, '', 'img')")
                   .arg(branch, type, button, page, auxType, auxButton, auxPage, product,
                        QString(caption).replace(u'\'', QLatin1String("''"))));
}

QList<QVariantList> SrvFixture::menu() {
    return m_db->rows(QStringLiteral(
        "SELECT CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX, "
        "CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, DSIMAGEMBUT, DTULTATUITCT FROM ITMENUCONFTE "
        "ORDER BY CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX"));
}

DataPacket SrvFixture::packet(const Call& c) {
    if (c.status != 0 || !isDataPacket(c.result)) {
        QTest::qFail(
            qPrintable(QStringLiteral("expected a packet, got status %1: %2").arg(c.status).arg(c.result.toString())),
            __FILE__, __LINE__);
        return DataPacket();
    }
    return c.result.value<DataPacket>();
}

QStringList SrvFixture::column(const DataPacket& p, const QString& name) {
    QStringList out;
    const int col = p.indexOf(name);
    if (col < 0)
        return {QStringLiteral("<no column %1>").arg(name)};
    for (int r = 0; r < p.rowCount(); ++r)
        out << p.text(r, col);
    return out;
}

QStringList SrvFixture::fieldNames(const DataPacket& p) {
    QStringList out;
    for (const FieldDef& f : p.fields())
        out << f.name;
    return out;
}

int runOnEngines(int argc, char** argv, const std::function<std::unique_ptr<SrvFixture>(TestDatabase::Engine)>& make) {
    QCoreApplication app(argc, argv);
    int failures = 0;
    for (auto engine : {TestDatabase::Engine::SQLite, TestDatabase::Engine::PostgreSQL,
                        TestDatabase::Engine::OdbcPostgreSQL, TestDatabase::Engine::OdbcSQLite}) {
        // The ODBC runs are asked for; without a driver named they are left out.
        if (TestDatabase::throughOdbc(engine) && TestDatabase::odbcDriver(engine).isEmpty())
            continue;
        auto suite = make(engine);
        failures += QTest::qExec(suite.get(), argc, argv);
    }
    return failures;
}
