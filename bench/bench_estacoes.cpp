// Stations sharing one store: a checked write against the same write
// unchecked, one colour and a confirmation of 36 colours, and the cost of one
// round of the idle screen's refresh (two page reads). SQLite by default;
// PostgreSQL when KALMORA_BENCH_PG names a server (bench/run-pg starts one).
//
//   bench_estacoes [google benchmark options]
//   bench_estacoes --pares ROUNDS          checked and unchecked in turn, medians and ratios
//   bench_estacoes --ociosas N SECONDS     N idle screens refreshing against one PostgreSQL server

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

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

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

QString doisDigitos(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// The first `botoes` products of page 1 of group 01 recoloured in one round,
// the colours alternating so that every write changes the stored value; a
// checked round passes what the screen shows before it.
class Cores {
public:
    explicit Cores(int botoes) : m_botoes(botoes) {
        QVariant r;
        for (int k = 0; k < 2; ++k) {
            check(getMudaCor(B, C, "01", "1", "2", "01", "1", kCores[1 - k], "1", r), r);
            const DataPacket p = pagina(kCores[1 - k].toDouble());
            for (int b = 0; b < botoes; ++b)
                m_vistos[k] << botao(p, b);
        }
        // Every product of the page in the colour before the first round.
        for (int b = 1; b <= 36; ++b)
            check(getMudaCor(B, C, doisDigitos(b), "1", "2", "01", "1", kCores[1], "1", r), r);
    }

    void rodada(bool conferido) {
        QVariant r;
        for (int b = 0; b < m_botoes; ++b) {
            const QString numero = doisDigitos(b + 1);
            const int32_t status = conferido ? getMudaCorConferido(B, C, numero, "1", "2", "01", "1", kCores[m_k], "1",
                                                                   m_vistos[m_k][b], r)
                                             : getMudaCor(B, C, numero, "1", "2", "01", "1", kCores[m_k], "1", r);
            check(status, r);
        }
        m_k = 1 - m_k;
    }

private:
    int m_botoes;
    int m_k = 0;
    QList<QVariant> m_vistos[2];
};

void mudaCor(int botoes, bool conferido, benchmark::State& state) {
    Cores cores(botoes);
    for (auto _ : state)
        cores.rodada(conferido);
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

// ---- Checked and unchecked in turn ---------------------------------------
// The two run one after the other in every round, in alternating order, so
// that both see the same load of a shared machine; the medians of each and
// their ratio are printed.

double segundosCpu() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// The CPU time a process has run, in seconds, from the scheduler's own
// count (nanoseconds, unlike the clock ticks of /proc/PID/stat).
double cpuAgendado(long long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/schedstat");
    double ns = 0;
    in >> ns;
    return ns / 1e9;
}

// The server process of the data service's connection, or 0 on SQLite.
long long processoServidor() {
    if (rdmConfGrupo->adcConfGrupo.dialect() != SqlDialect::PostgreSQL)
        return 0;
    QSqlQuery q(rdmConfGrupo->adcConfGrupo.database());
    if (!q.exec(QStringLiteral("SELECT pg_backend_pid()")) || !q.next())
        throw std::runtime_error("cannot read the server process");
    return q.value(0).toLongLong();
}

void pares(const char* nome, int botoes, int rodadas) {
    Cores cores(botoes);
    const long long servidor = processoServidor();
    std::vector<double> parede[2];
    std::vector<double> cpu[2];
    std::vector<double> cpuServidor[2];
    for (int i = 0; i < rodadas + 1; ++i) {
        for (int vez = 0; vez < 2; ++vez) {
            const bool conferido = (i + vez) % 2 == 1;
            const double s0 = servidor ? cpuAgendado(servidor) : 0.0;
            const auto t0 = std::chrono::steady_clock::now();
            const double c0 = segundosCpu();
            cores.rodada(conferido);
            const double c1 = segundosCpu();
            const std::chrono::duration<double> dt = std::chrono::steady_clock::now() - t0;
            const double s1 = servidor ? cpuAgendado(servidor) : 0.0;
            if (i == 0)
                continue; // the first round prepares the statements
            parede[conferido].push_back(dt.count() * 1e3);
            cpu[conferido].push_back((c1 - c0) * 1e3);
            cpuServidor[conferido].push_back((s1 - s0) * 1e3);
        }
    }
    const auto m = [](const std::vector<double>& v) { return mediana(v); };
    std::printf("%s (%d rounds of each, medians)\n", nome, rodadas);
    std::printf("  wall        unchecked %9.3f ms   checked %9.3f ms   ratio %.2f\n", m(parede[0]), m(parede[1]),
                m(parede[1]) / m(parede[0]));
    std::printf("  CPU here    unchecked %9.3f ms   checked %9.3f ms   ratio %.2f\n", m(cpu[0]), m(cpu[1]),
                m(cpu[1]) / m(cpu[0]));
    if (servidor) {
        std::printf("  CPU server  unchecked %9.3f ms   checked %9.3f ms   ratio %.2f\n", m(cpuServidor[0]),
                    m(cpuServidor[1]), m(cpuServidor[1]) / m(cpuServidor[0]));
        const double a = m(cpu[0]) + m(cpuServidor[0]);
        const double b = m(cpu[1]) + m(cpuServidor[1]);
        std::printf("  CPU both    unchecked %9.3f ms   checked %9.3f ms   ratio %.2f\n", a, b, b / a);
    }
}

// ---- Idle screens ---------------------------------------------------------
// N sessions of the data service, each with its own connection, each reading
// the two pages of an idle screen once a second, spread evenly over the
// second. Reported: the statements sent per second (counted here, and as
// the server's transactions of the database, each read being one), the rows
// the server fetched, and the CPU one idle session costs in this process and
// in its server process.

struct Contadores {
    double transacoes = 0;
    double linhas = 0;
};

Contadores contadores(QSqlDatabase& admin) {
    QSqlQuery q(admin);
    if (!q.exec(QStringLiteral("SELECT pg_stat_clear_snapshot()")) ||
        !q.exec(QStringLiteral("SELECT xact_commit + xact_rollback, tup_fetched FROM pg_stat_database WHERE "
                               "datname = 'kmr_bench_estacoes'")) ||
        !q.next())
        throw std::runtime_error(qPrintable(q.lastError().text()));
    return {q.value(0).toDouble(), q.value(1).toDouble()};
}

// The CPU seconds a process of this machine has used, from /proc.
double cpuDoProcesso(long long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string linha;
    std::getline(in, linha);
    const auto fim = linha.rfind(')');
    if (fim == std::string::npos)
        return 0.0;
    std::vector<std::string> campos;
    std::string campo;
    for (const char ch : linha.substr(fim + 2) + " ") {
        if (ch == ' ') {
            campos.push_back(campo);
            campo.clear();
        } else {
            campo += ch;
        }
    }
    // utime and stime, the 14th and 15th fields of the line.
    if (campos.size() < 13)
        return 0.0;
    return (std::stod(campos[11]) + std::stod(campos[12])) / double(sysconf(_SC_CLK_TCK));
}

double cpuDosServidores(const std::vector<long long>& pids) {
    double total = 0;
    for (const long long pid : pids)
        total += cpuDoProcesso(pid);
    return total;
}

double cpuDesteProcesso() {
    rusage uso{};
    getrusage(RUSAGE_SELF, &uso);
    return double(uso.ru_utime.tv_sec + uso.ru_stime.tv_sec) +
           double(uso.ru_utime.tv_usec + uso.ru_stime.tv_usec) / 1e6;
}

// One round of an idle screen on the session's own connection.
void rodadaOciosa(std::unique_ptr<TrdmConfGrupo>& sessao) {
    std::swap(rdmConfGrupo, sessao);
    QVariant r;
    check(getPesqItens(B, C, "1", "0", "0", "0", r), r);
    check(getPesqItens(B, C, "1", "2", "01", "1", r), r);
    std::swap(rdmConfGrupo, sessao);
}

int ociosas(int n, int segundos) {
    const QString pg = qEnvironmentVariable("KALMORA_BENCH_PG");
    if (pg.isEmpty()) {
        std::fprintf(stderr, "--ociosas needs a PostgreSQL server in KALMORA_BENCH_PG (bench/run-pg)\n");
        return 2;
    }
    const ConnectionString cs = ConnectionString::parse(pg);
    QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("bench_contadores"));
    admin.setHostName(cs.value("Host"));
    admin.setPort(cs.value("Port").toInt());
    admin.setUserName(cs.value("User ID"));
    admin.setDatabaseName(cs.value("Database"));
    if (!admin.open())
        throw std::runtime_error(qPrintable(admin.lastError().text()));

    std::vector<std::unique_ptr<TrdmConfGrupo>> sessoes;
    std::vector<long long> pids;
    for (int i = 0; i < n; ++i) {
        sessoes.push_back(std::make_unique<TrdmConfGrupo>());
        sessoes.back()->adcConfGrupo.setConnected(true);
        QSqlQuery q(sessoes.back()->adcConfGrupo.database());
        if (!q.exec(QStringLiteral("SELECT pg_backend_pid()")) || !q.next())
            throw std::runtime_error("cannot read a session's server process");
        pids.push_back(q.value(0).toLongLong());
        rodadaOciosa(sessoes.back()); // prepares its statements
    }
    // A server process reports its counts when it has been idle a while.
    std::this_thread::sleep_for(std::chrono::seconds(11));

    const Contadores antes = contadores(admin);
    const double cpuServidorAntes = cpuDosServidores(pids);
    const double cpuAntes = cpuDesteProcesso();
    const auto inicio = std::chrono::steady_clock::now();
    const auto passo = std::chrono::microseconds(1000000 / n);
    long long rodadas = 0;
    for (long long k = 0; k < static_cast<long long>(n) * segundos; ++k) {
        std::this_thread::sleep_until(inicio + k * passo);
        rodadaOciosa(sessoes[std::size_t(k % n)]);
        ++rodadas;
    }
    const std::chrono::duration<double> duracao = std::chrono::steady_clock::now() - inicio;
    const double cpu = cpuDesteProcesso() - cpuAntes;
    const double cpuServidor = cpuDosServidores(pids) - cpuServidorAntes;
    sessoes.clear(); // each server process reports its counts as it ends
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const Contadores depois = contadores(admin);

    const double s = duracao.count();
    std::printf("idle screens: %d, %.1f s, %lld refresh rounds\n", n, s, rodadas);
    std::printf("statements/s sent (counted): %.1f\n", double(rodadas) * 2 / s);
    std::printf("transactions/s on the server (pg_stat_database): %.1f\n", (depois.transacoes - antes.transacoes) / s);
    std::printf("rows fetched/s on the server: %.1f\n", (depois.linhas - antes.linhas) / s);
    std::printf("CPU of one idle session, this process: %.3f %% of one core\n", 100.0 * cpu / s / n);
    std::printf("CPU of one idle session, its server process: %.3f %% of one core\n", 100.0 * cpuServidor / s / n);
    std::printf("CPU of one idle session, both: %.3f %% of one core\n", 100.0 * (cpu + cpuServidor) / s / n);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() >= 3 && args[1] == QLatin1String("--pares")) {
            Store store;
            const int rodadas = std::max(1, args[2].toInt());
            pares("getMudaCor + commit", 1, rodadas);
            pares("36-colour confirmation", 36, std::max(3, rodadas / 10));
            return 0;
        }
        if (args.size() >= 4 && args[1] == QLatin1String("--ociosas")) {
            Store store;
            return ociosas(std::max(1, args[2].toInt()), std::max(1, args[3].toInt()));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    Store store;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
