// What the journal of the changes costs: a 36-colour confirmation (36
// getMudaCor in one action bracket, each with its commit), a copy of a
// 1,308-item configuration, and the undo of a 1,308-item import against the
// import itself; each with the journal in the database's own tables
// (/0), in a file of its own (/1), with the history off (/2: a journal
// file that cannot be made, so no capture at all), and in the database's
// tables with the rows captured by reading the write's scope before and
// after it, as on a server database, instead of inside the engine (/3); and
// for the copy, with the history off and a bare pre-update hook that reads
// every value of every row the engine hands over and keeps nothing (/4): the
// least that any capture inside the engine costs; and the same reading done
// by temporary triggers that hand every value to a function (/5), the other
// way the engine can hand rows over.

#include "BenchData.h"

#include <DataPacket.h>
#include <Diario.h>
#include <Srv_Kmr00003.h>
#include <TrdmConfGrupo.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <SqliteStatement.h>

#include <benchmark/benchmark.h>
// Debian's SQLite is built with the pre-update hook; its header declares the
// hook's functions only when told so.
#define SQLITE_ENABLE_PREUPDATE_HOOK 1
#include <sqlite3.h>

#include <stdexcept>

namespace {

const QString kSessao = QStringLiteral("bench");

QTemporaryDir& pasta() {
    static QTemporaryDir d;
    return d;
}

void sql(const QString& path, const char* texto) {
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    char* erro = nullptr;
    sqlite3_exec(db, texto, nullptr, nullptr, &erro);
    sqlite3_free(erro);
    sqlite3_close(db);
}

// A copy of the 10,000-row menu for one way of keeping the journal.
void usa(int modo) {
    static int atual = -1;
    if (atual == modo && rdmConfGrupo)
        return;
    const QString origem = BenchData::menuDatabase(10'000);
    const QString path = pasta().filePath(QStringLiteral("menu_%1.db").arg(modo));
    QFile::remove(path);
    QFile::copy(origem, path);
    sql(path, "DROP TABLE IF EXISTS KMRDIARIOPASSO; DROP TABLE IF EXISTS KMRDIARIO; DROP TABLE IF EXISTS KMRESQUEMA;");
    Diario::usaCapturaNoMotor(modo != 3);
    if (modo == 0 || modo == 3)
        sql(path, "CREATE TABLE KMRESQUEMA (NRVERSAO INTEGER NOT NULL PRIMARY KEY) STRICT;"
                  "CREATE TABLE KMRDIARIO (NRDIARIO INTEGER PRIMARY KEY AUTOINCREMENT, DTDIARIO TEXT NOT NULL, "
                  "NMESTACAO TEXT, NMUSUARIO TEXT, CDFILIAL TEXT NOT NULL, NRCONFTELA TEXT NOT NULL, IDSESSAO TEXT, "
                  "IDACAO TEXT, DSACAO TEXT, IDOPERACAO TEXT NOT NULL, NRDIARIOREF INTEGER) STRICT;"
                  "CREATE INDEX KMRDIARIO_CONF ON KMRDIARIO (CDFILIAL, NRCONFTELA, NRDIARIO);"
                  "CREATE TABLE KMRDIARIOPASSO (NRDIARIO INTEGER NOT NULL, NRPASSO INTEGER NOT NULL, DSANTES TEXT, "
                  "DSDEPOIS TEXT, PRIMARY KEY (NRDIARIO, NRPASSO)) STRICT;");
    const bool semHistorico = modo == 2 || modo >= 4;
    const QString dados = semHistorico ? QStringLiteral("/proc/kalmora-sem-historico") : pasta().filePath("dados");
    qputenv("XDG_DATA_HOME", dados.toUtf8());
    qputenv("KALMORA_CONEXAO", ("Provider=SQLite;Data Source=" + path).toUtf8());
    Srv_Kmr00003::fecha();
    Srv_Kmr00003::abre();
    QVariant r;
    // The first write finds out whether the journal can be kept.
    getMudaCor(BenchData::kBranch, BenchData::kConfiguration, "05", "1", "0", "0", "0", "1", "2", r);
    if (semHistorico && Srv_Kmr00003::historicoAtivo())
        throw std::runtime_error("history expected off");
    atual = modo;
}

DataPacket exporta() {
    QVariant r;
    if (getExportaConf(BenchData::kBranch, BenchData::kConfiguration, r) != 0 || !isDataPacket(r))
        throw std::runtime_error("export failed");
    return r.value<DataPacket>();
}

void BM_confirmacao36Cores(benchmark::State& state) {
    usa(int(state.range(0)));
    const DataPacket itens = exporta();
    QList<QStringList> chaves;
    for (int i = 0; i < itens.rowCount() && chaves.size() < 36; ++i) {
        const auto t = [&](const char* c) { return itens.text(i, itens.indexOf(QString::fromLatin1(c))); };
        if (t("IDTPBUTTON") == QLatin1String("1"))
            chaves.append({t("NRBUTTON"), t("NRPGCONFTELA"), t("IDTPBUTONAUX"), t("NRBUTTONAUX"), t("NRPGCONFTAUX")});
    }
    int cor = 0;
    QVariant r;
    for (auto _ : state) {
        setIniciaAcao(BenchData::kBranch, BenchData::kConfiguration, kSessao, QStringLiteral("C"),
                      QStringLiteral("cor de fundo de 36 botões"), r);
        ++cor;
        for (const QStringList& k : chaves) {
            getMudaCor(BenchData::kBranch, BenchData::kConfiguration, k[0], k[1], k[2], k[3], k[4],
                       QString::number(cor % 16777216), QStringLiteral("1"), r);
            if (!r.toString().isEmpty())
                state.SkipWithError(qPrintable(r.toString()));
        }
        setTerminaAcao(r);
    }
}

// Every value of every row of the menu table that the engine hands over, read
// as the capture reads it (its storage class, then its bytes or its number),
// and let go.
void leTudo(void* soma, sqlite3* motor, int operacao, const char*, const char* tabela, sqlite3_int64, sqlite3_int64) {
    if (sqlite3_stricmp(tabela, "ITMENUCONFTE") != 0)
        return;
    const int colunas = sqlite3_preupdate_count(motor);
    const auto le = [&](int (*valor)(sqlite3*, int, sqlite3_value**)) {
        for (int c = 0; c < colunas; ++c) {
            sqlite3_value* v = nullptr;
            if (valor(motor, c, &v) != SQLITE_OK)
                continue;
            const int classe = sqlite3_value_type(v);
            if (classe == SQLITE_TEXT)
                *static_cast<size_t*>(soma) += size_t(sqlite3_value_bytes(v)) + (sqlite3_value_blob(v) != nullptr);
            else if (classe != SQLITE_NULL)
                *static_cast<size_t*>(soma) += size_t(sqlite3_value_double(v) != 0);
        }
    };
    if (operacao != SQLITE_INSERT)
        le(&sqlite3_preupdate_old);
    if (operacao != SQLITE_DELETE)
        le(&sqlite3_preupdate_new);
}

// The values a trigger hands over, read as leTudo() reads them.
void leArgumentos(sqlite3_context* contexto, int n, sqlite3_value** valores) {
    auto* soma = static_cast<size_t*>(sqlite3_user_data(contexto));
    for (int c = 0; c < n; ++c) {
        const int classe = sqlite3_value_type(valores[c]);
        if (classe == SQLITE_TEXT)
            *soma += size_t(sqlite3_value_bytes(valores[c])) + (sqlite3_value_blob(valores[c]) != nullptr);
        else if (classe != SQLITE_NULL)
            *soma += size_t(sqlite3_value_double(valores[c]) != 0);
    }
}

// Temporary triggers (of this connection only) that hand every value of a
// row taken out or brought in to leArgumentos(); false: dropped again.
void gatilhos(sqlite3* motor, size_t* soma, bool criar) {
    if (!criar) {
        sqlite3_exec(motor, "DROP TRIGGER IF EXISTS temp.bench_sai; DROP TRIGGER IF EXISTS temp.bench_entra", nullptr,
                     nullptr, nullptr);
        return;
    }
    sqlite3_create_function(motor, "bench_le", -1, SQLITE_UTF8 | SQLITE_DIRECTONLY, soma, &leArgumentos, nullptr,
                            nullptr);
    QString velhos;
    QString novos;
    for (const char* c : {"CDFILIAL", "NRCONFTELA", "IDTPBUTTON", "NRBUTTON", "NRPGCONFTELA", "IDTPBUTONAUX",
                          "NRBUTTONAUX", "NRPGCONFTAUX", "CDIDENTBUTON", "DSBUTTON", "NRCOLORTEXT", "NRCOLORBACK",
                          "DSMESSAGEBUT", "DSIMAGEMBUT", "DTULTATUITCT"}) {
        velhos += (velhos.isEmpty() ? "OLD." : ", OLD.") + QLatin1String(c);
        novos += (novos.isEmpty() ? "NEW." : ", NEW.") + QLatin1String(c);
    }
    const QString sql = QStringLiteral("CREATE TEMP TRIGGER bench_sai AFTER DELETE ON main.ITMENUCONFTE BEGIN SELECT "
                                       "bench_le(%1); END; CREATE TEMP TRIGGER bench_entra AFTER INSERT ON "
                                       "main.ITMENUCONFTE BEGIN SELECT bench_le(%2); END;")
                            .arg(velhos, novos);
    if (sqlite3_exec(motor, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error("triggers not made");
}

void BM_copia1308(benchmark::State& state) {
    usa(int(state.range(0)));
    QVariant r;
    size_t soma = 0;
    sqlite3* motor = SqliteStatement::handleOf(rdmConfGrupo->adcConfGrupo.database());
    if (state.range(0) == 4)
        sqlite3_preupdate_hook(motor, &leTudo, &soma);
    if (state.range(0) == 5)
        gatilhos(motor, &soma, true);
    for (auto _ : state) {
        setCopiaConf(BenchData::kBranch, BenchData::kConfiguration, BenchData::kBranch, QStringLiteral("00077"),
                     QStringLiteral("S"), r);
        if (r.typeId() != QMetaType::Int)
            state.SkipWithError(qPrintable(r.toString()));
    }
    if (state.range(0) == 4)
        sqlite3_preupdate_hook(motor, nullptr, nullptr);
    if (state.range(0) == 5)
        gatilhos(motor, &soma, false);
    benchmark::DoNotOptimize(soma);
    if (state.range(0) >= 4 && soma == 0)
        state.SkipWithError("no row was handed over");
    state.counters["itens"] = r.toInt();
}

// The configuration imported over itself with every caption changed, so
// that every item is a step.
QVariant importacao(int volta) {
    DataPacket p = exporta();
    const int ds = p.indexOf(u"DSBUTTON");
    for (int i = 0; i < p.rowCount(); ++i)
        p.setValue(i, ds, QStringLiteral("Item %1 v%2").arg(i).arg(volta));
    return QVariant::fromValue(p);
}

void BM_importa1308(benchmark::State& state) {
    usa(int(state.range(0)));
    int volta = 0;
    QVariant r;
    for (auto _ : state) {
        state.PauseTiming();
        const QVariant itens = importacao(++volta);
        state.ResumeTiming();
        setImportaConf(BenchData::kBranch, BenchData::kConfiguration, itens, QStringLiteral("S"), r);
        if (r.typeId() != QMetaType::Int)
            state.SkipWithError(qPrintable(r.toString()));
    }
}

void BM_desfazImportacao1308(benchmark::State& state) {
    usa(int(state.range(0)));
    int volta = 0;
    QVariant r;
    for (auto _ : state) {
        state.PauseTiming();
        const QVariant itens = importacao(++volta);
        setIniciaAcao(BenchData::kBranch, BenchData::kConfiguration, kSessao, QStringLiteral("I"),
                      QStringLiteral("importação"), r);
        setImportaConf(BenchData::kBranch, BenchData::kConfiguration, itens, QStringLiteral("S"), r);
        setTerminaAcao(r);
        getPesqDesfazer(BenchData::kBranch, BenchData::kConfiguration, kSessao, r);
        const DataPacket d = r.value<DataPacket>();
        const QString nr = d.rowCount() > 0 ? d.text(0, d.indexOf(u"NRDIARIO")) : QString();
        state.ResumeTiming();
        getDesfazer(nr, kSessao, r);
        if (!r.toString().isEmpty())
            state.SkipWithError(qPrintable(r.toString()));
    }
}

} // namespace

BENCHMARK(BM_confirmacao36Cores)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_copia1308)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_importa1308)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_desfazImportacao1308)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    Srv_Kmr00003::fecha();
    benchmark::Shutdown();
    return 0;
}
