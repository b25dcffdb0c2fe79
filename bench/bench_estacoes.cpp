// Stations sharing one store: a checked write against the same write
// unchecked, one colour and a confirmation of 36 colours, and the cost of one
// round of the idle screen's refresh (two page reads). SQLite by default;
// PostgreSQL when KALMORA_BENCH_PG names a server (bench/run-pg starts one).
//
//   bench_estacoes [google benchmark options]

#include <ConnectionString.h>
#include <DataPacket.h>
#include <DatabaseSchema.h>
#include <Srv_Kmr00003.h>
#include <TrdmConfGrupo.h>

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>

namespace {

const QString B = QStringLiteral("9999");
const QString C = QStringLiteral("00001");

void check(int32_t status, const QVariant& result) {
    if (status != 0 || (result.typeId() == QMetaType::QString && !result.toString().isEmpty()))
        throw std::runtime_error(qPrintable(QStringLiteral("call failed: %1").arg(result.toString())));
}

void exec(QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw std::runtime_error(qPrintable(q.lastError().text() + QStringLiteral(" in ") + sql));
}

// A menu of 12 groups, each with 36 products on its first page.
void fill(QSqlDatabase& db, SqlDialect dialect) {
    for (const QString& statement : DatabaseSchema::schemaStatements(dialect))
        exec(db, statement);
    db.transaction();
    const QString insert = QStringLiteral(
        "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, "
        "NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT) VALUES "
        "('9999', '00001', '%1', '%2', '1', '%3', '%4', '%5', '%6', '%7', 0, 11571344, '')");
    for (int g = 1; g <= 12; ++g) {
        const QString grupo = QStringLiteral("%1").arg(g, 2, 10, QLatin1Char('0'));
        exec(db, insert.arg("2", grupo, "0", "0", "0", "", "Grupo " + grupo));
        for (int p = 1; p <= 36; ++p) {
            const QString botao = QStringLiteral("%1").arg(p, 2, 10, QLatin1Char('0'));
            exec(db, insert.arg("1", botao, "2", grupo, "1", QString::number(g * 100 + p), "Produto " + botao));
        }
    }
    db.commit();
}

class Store {
public:
    Store() {
        const QString pg = qEnvironmentVariable("KALMORA_BENCH_PG");
        QString conexao;
        {
            QSqlDatabase db;
            if (pg.isEmpty()) {
                m_dir = std::make_unique<QTemporaryDir>();
                const QString file = m_dir->filePath(QStringLiteral("menu.db"));
                db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench_fill"));
                db.setDatabaseName(file);
                if (!db.open())
                    throw std::runtime_error("cannot create the SQLite database");
                fill(db, SqlDialect::SQLite);
                conexao = QStringLiteral("Provider=SQLite;Data Source=") + file;
            } else {
                const ConnectionString cs = ConnectionString::parse(pg);
                const auto open = [&](const QString& name, const QString& database) {
                    QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
                    d.setHostName(cs.value("Host"));
                    d.setPort(cs.value("Port").toInt());
                    d.setUserName(cs.value("User ID"));
                    d.setDatabaseName(database);
                    if (!d.open())
                        throw std::runtime_error(qPrintable(d.lastError().text()));
                    return d;
                };
                {
                    QSqlDatabase admin = open(QStringLiteral("bench_admin"), cs.value("Database"));
                    exec(admin, QStringLiteral("DROP DATABASE IF EXISTS kmr_bench_estacoes"));
                    exec(admin, QStringLiteral("CREATE DATABASE kmr_bench_estacoes"));
                }
                QSqlDatabase::removeDatabase(QStringLiteral("bench_admin"));
                db = open(QStringLiteral("bench_fill"), QStringLiteral("kmr_bench_estacoes"));
                fill(db, SqlDialect::PostgreSQL);
                conexao = QStringLiteral("Provider=PostgreSQL;Host=%1;Port=%2;Database=kmr_bench_estacoes;User ID=%3")
                              .arg(cs.value("Host"), cs.value("Port"), cs.value("User ID"));
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("bench_fill"));
        qputenv("KALMORA_CONEXAO", conexao.toUtf8());
        rdmConfGrupo = std::make_unique<TrdmConfGrupo>();
        rdmConfGrupo->adcConfGrupo.setConnected(true);
    }
    ~Store() { rdmConfGrupo.reset(); }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

// What the screen shows of product page 1 of group 01, with every product's
// colour set to `cor`.
DataPacket pagina(double cor) {
    QVariant r;
    check(getPesqItens(B, C, "1", "2", "01", "1", r), r);
    DataPacket p = r.value<DataPacket>();
    for (int row = 0; row < p.rowCount(); ++row)
        p.setValue(row, p.indexOf(u"NRCOLORBACK"), cor);
    return p;
}

QVariant botao(const DataPacket& p, int row) {
    DataPacket out(p.fields());
    QVariantList linha;
    for (int c = 0; c < p.fieldCount(); ++c)
        linha << p.value(row, c);
    out.appendRow(linha);
    return QVariant::fromValue(out);
}

const QString kCores[2] = {QStringLiteral("255"), QStringLiteral("65280")};

// Alternating colours, so that every write changes the stored value.
void mudaCor(int botoes, bool conferido, benchmark::State& state) {
    QVariant r;
    QList<QVariant> vistos[2];
    for (int k = 0; k < 2; ++k) {
        check(getMudaCor(B, C, "01", "1", "2", "01", "1", kCores[1 - k], "1", r), r);
        const DataPacket p = pagina(kCores[1 - k].toDouble());
        for (int b = 0; b < botoes; ++b)
            vistos[k] << botao(p, b);
    }
    // Every product of the page in the colour before the first round.
    for (int b = 1; b <= 36; ++b)
        check(getMudaCor(B, C, QStringLiteral("%1").arg(b, 2, 10, QLatin1Char('0')), "1", "2", "01", "1", kCores[1],
                         "1", r),
              r);
    int k = 0;
    for (auto _ : state) {
        for (int b = 0; b < botoes; ++b) {
            const QString numero = QStringLiteral("%1").arg(b + 1, 2, 10, QLatin1Char('0'));
            const int32_t status =
                conferido ? getMudaCorConferido(B, C, numero, "1", "2", "01", "1", kCores[k], "1", vistos[k][b], r)
                          : getMudaCor(B, C, numero, "1", "2", "01", "1", kCores[k], "1", r);
            check(status, r);
        }
        k = 1 - k;
    }
}

void BM_getMudaCor(benchmark::State& state) {
    mudaCor(1, false, state);
}
void BM_getMudaCorConferido(benchmark::State& state) {
    mudaCor(1, true, state);
}
void BM_confirmacao36Cores(benchmark::State& state) {
    mudaCor(36, false, state);
}
void BM_confirmacao36CoresConferida(benchmark::State& state) {
    mudaCor(36, true, state);
}

// One round of the idle screen's refresh: the group page and the product page shown.
void BM_rodadaDeAtualizacao(benchmark::State& state) {
    QVariant r;
    for (auto _ : state) {
        check(getPesqItens(B, C, "1", "0", "0", "0", r), r);
        check(getPesqItens(B, C, "1", "2", "01", "1", r), r);
    }
    state.counters["queries_per_round"] = 2;
}

BENCHMARK(BM_getMudaCor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_getMudaCorConferido)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_confirmacao36Cores)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_confirmacao36CoresConferida)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_rodadaDeAtualizacao)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Store store;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
