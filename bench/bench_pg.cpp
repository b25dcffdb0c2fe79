// The data service on PostgreSQL against its floor, and many clients on one
// server. Run through bench/run-pg, which starts a throwaway cluster on a
// loopback port and names it in KALMORA_BENCH_PG (a connection string of the
// PostgreSQL provider, Database being the server's own database).
//
//   bench_pg [google benchmark options]   the paired benchmarks
//   bench_pg --plans                      the query plans of the statements
//   bench_pg --touches CLIENTS SECONDS    that many client processes touching
//                                         the screen's calls for a bounded time
//   bench_pg --touch-client DB CONF SECONDS   one such client (internal)
//
// Pairs: each call of the service next to the same SQL text (taken from the
// data module itself) through bare libpq: PQprepare once, then per iteration
// PQexecPrepared and PQgetvalue of every column of every row.

#include <ConnectionString.h>
#include <DataPacket.h>
#include <DatabaseSchema.h>
#include <Srv_Kmr00003.h>
#include <TrdmConfGrupo.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>

#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const QString kBranch = QStringLiteral("9999");
const QString kConfiguration = QStringLiteral("00001");

ConnectionString server() {
    const QString text = qEnvironmentVariable("KALMORA_BENCH_PG");
    if (text.isEmpty())
        throw std::runtime_error("KALMORA_BENCH_PG names no server: run bench/run-pg");
    return ConnectionString::parse(text);
}

std::string conninfo(const QString& database) {
    const ConnectionString cs = server();
    return QStringLiteral("host=%1 port=%2 dbname=%3 user=%4")
        .arg(cs.value("Host"), cs.value("Port"), database, cs.value("User ID"))
        .toStdString();
}

QString providerString(const QString& database) {
    const ConnectionString cs = server();
    return QStringLiteral("Provider=PostgreSQL;Host=%1;Port=%2;Database=%3;User ID=%4")
        .arg(cs.value("Host"), cs.value("Port"), database, cs.value("User ID"));
}

// A libpq connection that closes itself.
class Pg {
public:
    explicit Pg(const std::string& info) : m_conn(PQconnectdb(info.c_str())) {
        if (PQstatus(m_conn) != CONNECTION_OK)
            throw std::runtime_error(std::string("cannot connect: ") + PQerrorMessage(m_conn));
    }
    ~Pg() { PQfinish(m_conn); }
    Pg(const Pg&) = delete;
    Pg& operator=(const Pg&) = delete;
    PGconn* get() { return m_conn; }
    // Runs a statement; returns the first value of the first row ("" if none).
    std::string exec(const std::string& sql) {
        PGresult* r = PQexec(m_conn, sql.c_str());
        const ExecStatusType status = PQresultStatus(r);
        std::string first = PQntuples(r) > 0 ? PQgetvalue(r, 0, 0) : "";
        const std::string error = PQresultErrorMessage(r);
        PQclear(r);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            throw std::runtime_error(error + " in " + sql);
        return first;
    }

private:
    PGconn* m_conn;
};

// The menu table of about `rows` rows: configuration 9999/00001 and as many
// more as the size needs (20 per branch), each with 12 groups of 3 product
// pages of 36 products (1,308 rows), as the SQLite benchmarks have it.
QString menuDatabase(int rows) {
    const QString name = QStringLiteral("kmr_bench_menu_%1").arg(rows);
    Pg admin(conninfo(server().value("Database")));
    if (admin.exec("SELECT count(*) FROM pg_database WHERE datname = '" + name.toStdString() + "'") == "1")
        return name;
    admin.exec("CREATE DATABASE " + name.toStdString() + "_part");
    {
        Pg db(conninfo(name + "_part"));
        for (const QString& statement : DatabaseSchema::schemaStatements(SqlDialect::PostgreSQL))
            db.exec(statement.toStdString());
        const int extra = (rows + 1307) / 1308 - 1;
        const std::string confs =
            "WITH confs AS (SELECT '9999'::varchar AS b, '00001'::varchar AS c UNION ALL SELECT "
            "lpad(((k - 1) / 20 + 1)::text, 4, '0'), lpad(((k - 1) % 20 + 1)::text, 5, '0') FROM generate_series(1, " +
            std::to_string(extra) + ") k) ";
        const std::string columns =
            "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, "
            "IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, "
            "NRCOLORBACK, DSMESSAGEBUT, DSIMAGEMBUT, DTULTATUITCT) ";
        db.exec(confs + columns +
                "SELECT b, c, '2', lpad(g::text, 2, '0'), '1', '0', '0', '0', '', 'Grupo ' || lpad(g::text, 2, '0'), "
                "0, 11571344, '', '', TIMESTAMP '2026-01-01 10:00' FROM confs, generate_series(1, 12) g");
        db.exec(confs + columns +
                "SELECT b, c, '1', lpad(bt::text, 2, '0'), p::text, '2', lpad(g::text, 2, '0'), '1', "
                "lpad((g * 1000 + p * 100 + bt)::text, 6, '0'), 'Produto de teste ' || lpad((g * 1000 + p * 100 + "
                "bt)::text, 6, '0'), 0, 11571344, '', '', TIMESTAMP '2026-01-01 10:00' FROM confs, "
                "generate_series(1, 12) g, generate_series(1, 3) p, generate_series(1, 36) bt");
        db.exec("VACUUM ANALYZE");
    }
    admin.exec("ALTER DATABASE " + name.toStdString() + "_part RENAME TO " + name.toStdString());
    return name;
}

// A catalogue of `products` products on the highest level, as the SQLite
// benchmarks have it.
QString catalogueDatabase(int products) {
    const QString name = QStringLiteral("kmr_bench_catalogue_%1").arg(products);
    Pg admin(conninfo(server().value("Database")));
    if (admin.exec("SELECT count(*) FROM pg_database WHERE datname = '" + name.toStdString() + "'") == "1")
        return name;
    admin.exec("CREATE DATABASE " + name.toStdString() + "_part");
    {
        Pg db(conninfo(name + "_part"));
        for (const QString& statement : DatabaseSchema::schemaStatements(SqlDialect::PostgreSQL))
            db.exec(statement.toStdString());
        const std::string n = std::to_string(products);
        db.exec("INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, NMFOTOPROD, NMPRODIMPFIS, CDBARPRODUTO, "
                "CDPRODINTE, SGUNIDADE, IDTIPOPROD, IDPESAPROD, QTTARAPROD, IDCOBTXSERV, IDPRODATIVPR, IDSOLLOCIMP, "
                "CDNVPRODUTO) SELECT lpad(i::text, 8, '0'), '01.' || lpad(((i::bigint * 7919) % " +
                n +
                ")::text, 8, '0'), 'Produto de catalogo numero ' || lpad(i::text, 8, '0'), '', 'PRODUTO ' || "
                "lpad(i::text, 8, '0'), '789' || lpad(i::text, 8, '0'), lpad(i::text, 8, '0'), 'UN', 'S', 'N', 0, "
                "'S', 'S', 'N', '3' FROM generate_series(0, " +
                n + " - 1) i");
        db.exec("INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, NMFOTOPROD, NMPRODIMPFIS, CDBARPRODUTO, "
                "CDPRODINTE, SGUNIDADE, IDTIPOPROD, IDPESAPROD, QTTARAPROD, IDCOBTXSERV, IDPRODATIVPR, IDSOLLOCIMP, "
                "CDNVPRODUTO) VALUES ('D1', '01', 'Departamento', '', 'DEP', '', '', '', 'S', 'N', 0, 'S', 'S', 'N', "
                "'1')");
        db.exec("INSERT INTO FILIAL (CDFILIAL, NMFILIAL, CDSEGMER) VALUES ('9999', 'Bench', NULL)");
        db.exec("VACUUM ANALYZE");
    }
    admin.exec("ALTER DATABASE " + name.toStdString() + "_part RENAME TO " + name.toStdString());
    return name;
}

// The data service on one database, kept for the run (statements prepared
// once, as on the screen).
void useDatabase(const QString& database) {
    static QString current;
    if (current == database && rdmConfGrupo)
        return;
    qputenv("KALMORA_CONEXAO", providerString(database).toUtf8());
    Srv_Kmr00003::fecha(); // a fresh instance on the database named now
    Srv_Kmr00003::abre();
    current = database;
}

void check(int32_t status, const QVariant& result) {
    if (status != 0 || !isDataPacket(result))
        throw std::runtime_error("call failed: " + result.toString().toStdString());
}

// The service's SQL text with its ":P_NAME" parameters as $1, $2, ... and the
// names in that order.
std::pair<std::string, std::vector<QString>> numbered(QString sql) {
    std::vector<QString> names;
    static const QRegularExpression parameter(QStringLiteral(":(P_[A-Za-z0-9_]+)"));
    QString out;
    qsizetype last = 0;
    auto it = parameter.globalMatch(sql);
    while (it.hasNext()) {
        const auto m = it.next();
        out += sql.mid(last, m.capturedStart() - last);
        auto at = std::find(names.begin(), names.end(), m.captured(1));
        if (at == names.end()) {
            names.push_back(m.captured(1));
            at = names.end() - 1;
        }
        out += QStringLiteral("$%1").arg(at - names.begin() + 1);
        last = m.capturedEnd();
    }
    out += sql.mid(last);
    return {out.toStdString(), names};
}

// The bare floor: one prepared statement on its own connection.
class Bare {
public:
    Bare(const QString& database, const QString& sql, const std::map<QString, QString>& values)
        : m_pg(conninfo(database)) {
        auto [text, names] = numbered(sql);
        m_text = text;
        for (const QString& n : names)
            m_values.push_back(values.at(n).toStdString());
        for (const std::string& v : m_values)
            m_pointers.push_back(v.c_str());
        PGresult* r = PQprepare(m_pg.get(), "s", text.c_str(), int(m_values.size()), nullptr);
        const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        PQclear(r);
        if (!ok)
            throw std::runtime_error(std::string("prepare: ") + PQerrorMessage(m_pg.get()));
    }
    // Runs it and reads every value; returns the rows.
    int readAll() {
        PGresult* r = PQexecPrepared(m_pg.get(), "s", int(m_pointers.size()), m_pointers.data(), nullptr, nullptr, 0);
        if (PQresultStatus(r) != PGRES_TUPLES_OK) {
            PQclear(r);
            throw std::runtime_error(std::string("exec: ") + PQerrorMessage(m_pg.get()));
        }
        const int rows = PQntuples(r);
        const int columns = PQnfields(r);
        for (int row = 0; row < rows; ++row)
            for (int c = 0; c < columns; ++c)
                benchmark::DoNotOptimize(PQgetvalue(r, row, c));
        PQclear(r);
        return rows;
    }
    std::string plan() {
        std::string sql = "EXPLAIN (ANALYZE, COSTS OFF, TIMING OFF) EXECUTE s(";
        for (size_t i = 0; i < m_values.size(); ++i)
            sql += (i ? ", '" : "'") + m_values[i] + "'";
        sql += ")";
        PGresult* r = PQexec(m_pg.get(), sql.c_str());
        std::string out;
        for (int row = 0; row < PQntuples(r); ++row)
            out += std::string(PQgetvalue(r, row, 0)) + "\n";
        PQclear(r);
        return out;
    }

private:
    Pg m_pg;
    std::string m_text;
    std::vector<std::string> m_values;
    std::vector<const char*> m_pointers;
};

const std::map<QString, QString> kGroupPage = {
    {"P_CDFILIAL", kBranch}, {"P_NRCONFTELA", kConfiguration}, {"P_NRPGCONFTELA", "1"}};
const std::map<QString, QString> kProductPage = {{"P_CDFILIAL", kBranch},
                                                 {"P_NRCONFTELA", kConfiguration},
                                                 {"P_NRPGCONFTELA", "2"},
                                                 {"P_NRBUTTONAUX", "05"},
                                                 {"P_NRPGCONFTAUX", "1"}};

void BM_pg_getPesqGrupo(benchmark::State& state) {
    useDatabase(menuDatabase(int(state.range(0))));
    for (auto _ : state) {
        QVariant result;
        check(getPesqGrupo(kBranch, kConfiguration, "1", result), result);
    }
}

void BM_pg_bare_PesqGrupo(benchmark::State& state) {
    const QString db = menuDatabase(int(state.range(0)));
    useDatabase(db);
    Bare bare(db, rdmConfGrupo->adqPesqGrupos.sql(), kGroupPage);
    for (auto _ : state)
        state.counters["rows"] = bare.readAll();
}

void BM_pg_getPesqProdGrupo(benchmark::State& state) {
    useDatabase(menuDatabase(int(state.range(0))));
    for (auto _ : state) {
        QVariant result;
        check(getPesqProdGrupo(kBranch, kConfiguration, "2", "05", "1", result), result);
    }
}

void BM_pg_bare_PesqProdGrupo(benchmark::State& state) {
    const QString db = menuDatabase(int(state.range(0)));
    useDatabase(db);
    Bare bare(db, rdmConfGrupo->adqPesqProdGrupo.sql(), kProductPage);
    for (auto _ : state)
        state.counters["rows"] = bare.readAll();
}

// Another session on the catalogue: a committed rename of one product (the
// next touch must read the catalogue again), or a committed transaction that
// changes no catalogue table (another station's menu write).
class OtherSession {
public:
    explicit OtherSession(const QString& database) : m_pg(conninfo(database)) {}
    void renameProduct() {
        m_pg.exec(++m_renames % 2
                      ? "UPDATE PRODUTO SET NMPRODUTO = 'Produto renomeado' WHERE CDPRODUTO = '00000005'"
                      : "UPDATE PRODUTO SET NMPRODUTO = 'Produto de catalogo numero 00000005' WHERE CDPRODUTO = "
                        "'00000005'");
    }
    void writeElsewhere() { m_pg.exec("SELECT txid_current()"); }

private:
    Pg m_pg;
    int m_renames = 0;
};

QVariant produto() {
    QVariant result;
    check(getProduto(kBranch, result), result);
    return result;
}

// A touch after the catalogue changed: the catalogue read afresh (with the
// checksum the kept copy needs).
void BM_pg_getProduto(benchmark::State& state) {
    const QString db = catalogueDatabase(int(state.range(0)));
    useDatabase(db);
    OtherSession other(db);
    for (auto _ : state) {
        state.PauseTiming();
        other.renameProduct();
        state.ResumeTiming();
        state.counters["rows"] = produto().value<DataPacket>().rowCount();
    }
}

// A second touch with nothing committed anywhere since the first: the
// snapshot alone shows that the kept catalogue holds.
void BM_pg_getProdutoAgain(benchmark::State& state) {
    useDatabase(catalogueDatabase(int(state.range(0))));
    produto();
    for (auto _ : state)
        state.counters["rows"] = produto().value<DataPacket>().rowCount();
}

// A second touch after another session committed a write outside the
// catalogue: the checksum of the catalogue tables shows that it holds.
void BM_pg_getProdutoChecked(benchmark::State& state) {
    const QString db = catalogueDatabase(int(state.range(0)));
    useDatabase(db);
    OtherSession other(db);
    produto();
    for (auto _ : state) {
        state.PauseTiming();
        other.writeElsewhere();
        state.ResumeTiming();
        state.counters["rows"] = produto().value<DataPacket>().rowCount();
    }
}

void BM_pg_bare_Produto(benchmark::State& state) {
    const QString db = catalogueDatabase(int(state.range(0)));
    useDatabase(db);
    produto(); // sets the text of the level path
    Bare bare(db, rdmConfGrupo->adqSrvProduto.sql(), {{"P_CDNVPRODUTO", "3"}});
    for (auto _ : state)
        state.counters["rows"] = bare.readAll();
}

BENCHMARK(BM_pg_getPesqGrupo)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_pg_bare_PesqGrupo)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_pg_getPesqProdGrupo)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_pg_bare_PesqProdGrupo)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_pg_getProduto)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_pg_bare_Produto)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_pg_getProdutoAgain)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_pg_getProdutoChecked)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

int plans() {
    for (int rows : {100'000, 1'000'000}) {
        const QString db = menuDatabase(rows);
        useDatabase(db);
        Bare groups(db, rdmConfGrupo->adqPesqGrupos.sql(), kGroupPage);
        Bare products(db, rdmConfGrupo->adqPesqProdGrupo.sql(), kProductPage);
        std::printf("getPesqGrupo, %d rows:\n%s\ngetPesqProdGrupo, %d rows:\n%s\n", rows, groups.plan().c_str(), rows,
                    products.plan().c_str());
    }
    return 0;
}

// One client: a screen's worth of touches over and over on its own
// configuration: the group page, then for each group its three product pages
// and one rename. Prints the latency of every touch in microseconds.
int touchClient(const QString& database, const QString& conf, int seconds) {
    useDatabase(database);
    std::vector<qint64> latencies;
    QElapsedTimer total;
    total.start();
    QElapsedTimer touch;
    auto timed = [&](auto&& call) {
        touch.start();
        QVariant result;
        const int32_t status = call(result);
        latencies.push_back(touch.nsecsElapsed() / 1000);
        if (status != 0 || (result.typeId() == QMetaType::QString && !result.toString().isEmpty()))
            throw std::runtime_error("touch failed: " + result.toString().toStdString());
    };
    int round = 0;
    while (total.elapsed() < seconds * 1000) {
        timed([&](QVariant& r) { return getPesqGrupo("0001", conf, "1", r); });
        for (int g = 1; g <= 12 && total.elapsed() < seconds * 1000; ++g) {
            const QString group = QStringLiteral("%1").arg(g, 2, 10, QLatin1Char('0'));
            for (int page = 1; page <= 3; ++page)
                timed(
                    [&](QVariant& r) { return getPesqProdGrupo("0001", conf, QString::number(page), group, "1", r); });
            const QString name = QStringLiteral("Nome %1").arg(++round);
            timed([&](QVariant& r) { return getMudaNome("0001", conf, "01", "1", name, group, "1", "2", "1", r); });
        }
    }
    for (qint64 l : latencies)
        std::printf("%lld\n", static_cast<long long>(l));
    return 0;
}

int touches(const QString& self, int clients, int seconds) {
    const QString db = menuDatabase(100'000);
    std::vector<std::unique_ptr<QProcess>> procs;
    QElapsedTimer wall;
    wall.start();
    for (int c = 1; c <= clients; ++c) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::SeparateChannels);
        p->start(self, {"--touch-client", db, QStringLiteral("%1").arg(c, 5, 10, QLatin1Char('0')),
                        QString::number(seconds)});
        procs.push_back(std::move(p));
    }
    std::vector<qint64> all;
    for (auto& p : procs) {
        p->waitForFinished(-1);
        if (p->exitCode() != 0) {
            std::fprintf(stderr, "a client failed: %s\n", p->readAllStandardError().constData());
            return 1;
        }
        for (const QByteArray& line : p->readAllStandardOutput().split('\n'))
            if (!line.isEmpty())
                all.push_back(line.toLongLong());
    }
    const double elapsed = wall.elapsed() / 1000.0;
    std::sort(all.begin(), all.end());
    auto pct = [&](double q) { return all.empty() ? 0 : all[size_t(q * double(all.size() - 1))]; };
    std::printf("%d clients, %d s each: %zu touches, %.0f touches/s, latency p50 %lld us, p99 %lld us, max %lld us\n",
                clients, seconds, all.size(), double(all.size()) / elapsed, static_cast<long long>(pct(0.5)),
                static_cast<long long>(pct(0.99)), static_cast<long long>(all.empty() ? 0 : all.back()));
    return 0;
}

int run(QCoreApplication& app, int& argc, char** argv) {
    const QStringList args = app.arguments();
    if (args.size() >= 2 && args[1] == "--plans")
        return plans();
    if (args.size() >= 5 && args[1] == "--touch-client")
        return touchClient(args[2], args[3], args[4].toInt());
    if (args.size() >= 4 && args[1] == "--touches")
        return touches(app.applicationFilePath(), args[2].toInt(), args[3].toInt());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int rc = 1;
    try {
        rc = run(app, argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_pg: %s\n", e.what());
    }
    // The data service goes before Qt's SQL registry does.
    Srv_Kmr00003::fecha();
    std::fflush(stdout);
    return rc;
}
