// The data service against its floor: each call of the service is paired
// with the same SQL through the bare sqlite3 C API on the same file (statement
// prepared once, then per iteration: reset, bind, step every row, read every
// column).

#include "BenchData.h"

#include <DataPacket.h>
#include <Srv_Kmr00003.h>
#include <TrdmConfGrupo.h>

#include <QCoreApplication>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <map>
#include <memory>
#include <stdexcept>

namespace {

// The data service connected to one file; kept for the whole run so that the
// statements are prepared once, as on the screen.
void useDatabase(const QString& path) {
    static QString current;
    if (current == path && rdmConfGrupo)
        return;
    qputenv("KALMORA_CONEXAO", ("Provider=SQLite;Data Source=" + path).toUtf8());
    Srv_Kmr00003::fecha(); // a fresh instance on the database named now
    Srv_Kmr00003::abre();
    current = path;
}

DataPacket packetOf(int32_t status, const QVariant& result) {
    if (status != 0 || !isDataPacket(result))
        throw std::runtime_error("call failed: " + result.toString().toStdString());
    return result.value<DataPacket>();
}

// The bare floor: one prepared statement, parameters bound by name.
class Bare {
public:
    Bare(const QString& path, const QString& sql) {
        sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(m_db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA busy_timeout=5000", nullptr,
                     nullptr, nullptr);
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &m_stmt, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(m_db));
    }
    ~Bare() {
        sqlite3_finalize(m_stmt);
        sqlite3_close(m_db);
    }
    Bare(const Bare&) = delete;
    Bare& operator=(const Bare&) = delete;

    void bind(const char* name, const QByteArray& value) {
        const int index = sqlite3_bind_parameter_index(m_stmt, name);
        sqlite3_bind_text(m_stmt, index, value.constData(), int(value.size()), SQLITE_TRANSIENT);
    }
    // Steps every row and reads every column; returns rows and text bytes.
    std::pair<int, qint64> readAll() {
        int rows = 0;
        qint64 bytes = 0;
        const int columns = sqlite3_column_count(m_stmt);
        while (sqlite3_step(m_stmt) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; c < columns; ++c) {
                if (sqlite3_column_type(m_stmt, c) == SQLITE_FLOAT) {
                    benchmark::DoNotOptimize(sqlite3_column_double(m_stmt, c));
                } else {
                    benchmark::DoNotOptimize(sqlite3_column_text(m_stmt, c));
                    bytes += sqlite3_column_bytes(m_stmt, c);
                }
            }
        }
        sqlite3_reset(m_stmt);
        return {rows, bytes};
    }
    int write() {
        sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr);
        const int rc = sqlite3_step(m_stmt);
        sqlite3_reset(m_stmt);
        sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
        return rc;
    }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

void BM_getPesqGrupo(benchmark::State& state) {
    useDatabase(BenchData::menuDatabase(int(state.range(0))));
    QVariant result;
    for (auto _ : state) {
        const int32_t status = getPesqGrupo(BenchData::kBranch, BenchData::kConfiguration, "1", result);
        benchmark::DoNotOptimize(packetOf(status, result).rowCount());
    }
}

void BM_bare_PesqGrupo(benchmark::State& state) {
    const QString path = BenchData::menuDatabase(int(state.range(0)));
    useDatabase(path);
    Bare bare(path, rdmConfGrupo->adqPesqGrupos.sql());
    for (auto _ : state) {
        bare.bind(":P_CDFILIAL", "9999");
        bare.bind(":P_NRCONFTELA", "00001");
        bare.bind(":P_NRPGCONFTELA", "1");
        benchmark::DoNotOptimize(bare.readAll());
    }
}

void BM_getPesqProdGrupo(benchmark::State& state) {
    useDatabase(BenchData::menuDatabase(int(state.range(0))));
    QVariant result;
    for (auto _ : state) {
        const int32_t status = getPesqProdGrupo(BenchData::kBranch, BenchData::kConfiguration, "2", "05", "1", result);
        benchmark::DoNotOptimize(packetOf(status, result).rowCount());
    }
}

void BM_bare_PesqProdGrupo(benchmark::State& state) {
    const QString path = BenchData::menuDatabase(int(state.range(0)));
    useDatabase(path);
    Bare bare(path, rdmConfGrupo->adqPesqProdGrupo.sql());
    for (auto _ : state) {
        bare.bind(":P_CDFILIAL", "9999");
        bare.bind(":P_NRCONFTELA", "00001");
        bare.bind(":P_NRPGCONFTELA", "2");
        bare.bind(":P_NRBUTTONAUX", "05");
        bare.bind(":P_NRPGCONFTAUX", "1");
        benchmark::DoNotOptimize(bare.readAll());
    }
}

void BM_getProduto(benchmark::State& state) {
    const QString path = BenchData::catalogueDatabase(int(state.range(0)));
    useDatabase(path);
    QVariant result;
    qint64 memory = 0;
    int rows = 0;
    for (auto _ : state) {
        const DataPacket packet = packetOf(getProduto(BenchData::kBranch, result), result);
        rows = packet.rowCount();
        memory = packet.memoryUsage();
    }
    // The raw text of the same rows, as the bare read counts it.
    Bare bare(path, rdmConfGrupo->adqSrvProduto.sql());
    bare.bind(":P_CDNVPRODUTO", "3");
    const qint64 rawBytes = bare.readAll().second;
    state.counters["rows"] = rows;
    state.counters["packet_bytes"] = double(memory);
    state.counters["raw_text_bytes"] = double(rawBytes);
    state.counters["memory_ratio"] = rawBytes > 0 ? double(memory) / double(rawBytes) : 0.0;
}

void BM_bare_Produto(benchmark::State& state) {
    const QString path = BenchData::catalogueDatabase(int(state.range(0)));
    useDatabase(path);
    // The text the service runs on this database (set on its first call).
    QVariant result;
    getProduto(BenchData::kBranch, result);
    Bare bare(path, rdmConfGrupo->adqSrvProduto.sql());
    for (auto _ : state) {
        bare.bind(":P_CDNVPRODUTO", "3");
        benchmark::DoNotOptimize(bare.readAll());
    }
}

void BM_getMudaCor(benchmark::State& state) {
    useDatabase(BenchData::menuDatabase(int(state.range(0))));
    QVariant result;
    int colour = 0;
    for (auto _ : state) {
        const int32_t status = getMudaCor(BenchData::kBranch, BenchData::kConfiguration, "05", "1", "0", "0", "0",
                                          QString::number(++colour % 16777216), "2", result);
        if (status != 0 || !result.toString().isEmpty())
            state.SkipWithError(qPrintable(result.toString()));
    }
}

void BM_bare_MudaCor(benchmark::State& state) {
    const QString path = BenchData::menuDatabase(int(state.range(0)));
    useDatabase(path);
    Bare bare(path, rdmConfGrupo->acmMudaCor.sql());
    int colour = 0;
    for (auto _ : state) {
        bare.bind(":P_CDFILIAL", "9999");
        bare.bind(":P_NRCONFTELA", "00001");
        bare.bind(":P_NRBUTTON", "05");
        bare.bind(":P_NRPGCONFTELA", "1");
        bare.bind(":P_IDTPBUTONAUX", "0");
        bare.bind(":P_NRBUTTONAUX", "0");
        bare.bind(":P_NRPGCONFTAUX", "0");
        bare.bind(":P_NRCOLORBACK", QByteArray::number(++colour % 16777216));
        bare.bind(":P_IDTPBUTTON", "2");
        benchmark::DoNotOptimize(bare.write());
    }
}

// Every product button of one configuration with its group's caption, as the
// search list reads them when it opens (about 1,300 rows per configuration).
void BM_getProdutosNoCardapio(benchmark::State& state) {
    useDatabase(BenchData::menuDatabase(int(state.range(0))));
    QVariant result;
    for (auto _ : state) {
        const int32_t status = getProdutosNoCardapio(BenchData::kBranch, BenchData::kConfiguration, result);
        benchmark::DoNotOptimize(packetOf(status, result).rowCount());
    }
}

// The same statement as the data service's (SrvNoCardapio.cpp).
void BM_bare_ProdutosNoCardapio(benchmark::State& state) {
    const QString path = BenchData::menuDatabase(int(state.range(0)));
    useDatabase(path);
    Bare bare(path, QStringLiteral(
                        "SELECT P.CDIDENTBUTON, P.DSBUTTON, P.NRBUTTON, P.NRPGCONFTELA, P.NRBUTTONAUX, P.NRPGCONFTAUX, "
                        "G.DSBUTTON AS DSGRUPO FROM ITMENUCONFTE P LEFT JOIN ITMENUCONFTE G ON (G.CDFILIAL = "
                        "P.CDFILIAL) AND (G.NRCONFTELA = P.NRCONFTELA) AND (G.IDTPBUTTON = '2') AND (G.NRBUTTON = "
                        "P.NRBUTTONAUX) AND (G.NRPGCONFTELA = P.NRPGCONFTAUX) AND (G.IDTPBUTONAUX = '0') AND "
                        "(G.NRBUTTONAUX = '0') AND (G.NRPGCONFTAUX = '0') WHERE (P.CDFILIAL = :P_CDFILIAL) AND "
                        "(P.NRCONFTELA = :P_NRCONFTELA) AND (P.IDTPBUTTON = '1') AND (P.IDTPBUTONAUX = '2') ORDER BY "
                        "P.NRPGCONFTAUX, P.NRBUTTONAUX, P.NRPGCONFTELA, P.NRBUTTON"));
    for (auto _ : state) {
        bare.bind(":P_CDFILIAL", "9999");
        bare.bind(":P_NRCONFTELA", "00001");
        benchmark::DoNotOptimize(bare.readAll());
    }
}

constexpr int kMenuSizes[] = {10'000, 100'000, 1'000'000};

void menuSizes(benchmark::internal::Benchmark* b) {
    for (int rows : kMenuSizes)
        b->Arg(rows);
}

} // namespace

BENCHMARK(BM_getPesqGrupo)->Apply(menuSizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_bare_PesqGrupo)->Apply(menuSizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_getPesqProdGrupo)->Apply(menuSizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_bare_PesqProdGrupo)->Apply(menuSizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_getProdutosNoCardapio)->Apply(menuSizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_bare_ProdutosNoCardapio)->Apply(menuSizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_getProduto)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_bare_Produto)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_getMudaCor)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_bare_MudaCor)->Arg(100'000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Srv_Kmr00003::fecha();
    return 0;
}
