// Benchmarks of the configuration screen: a focus change's redraw, opening the
// product picker, a confirmation of 36 colour changes, and the launcher's
// start-up; each paired with its floor (bare sqlite3 read, bare Qt window).

#include "BenchData.h"

#include <Cli_Kmr00003.h>
#include <ClientDataSet.h>
#include <MessagePresenter.h>
#include <Srv_Kmr00003.h>
#include <TTouchButton.h>
#include <TfrmConfGrupo.h>
#include <TfrmPesquisa.h>
#include <Zub00002.h>
#include <Zub00005.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <malloc.h>

#include <fstream>
#include <memory>
#include <string>

namespace {

// Peak resident memory of this process (VmHWM), in megabytes.
double peakRssMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// Starts a new peak at the present resident size, so that a benchmark's
// peak is its own and not one of an earlier benchmark.
void resetPeakRss() {
    malloc_trim(0); // what earlier benchmarks freed goes back to the system first
    std::ofstream("/proc/self/clear_refs") << "5";
}

QString benchTempDir() {
    static QTemporaryDir dir;
    return dir.path();
}

// A private copy of a cached database, so that writes never touch the cache.
QString copyOf(const QString& path, const QString& name) {
    const QString copy = QDir(benchTempDir()).filePath(name);
    QFile::remove(copy);
    QFile::remove(copy + QStringLiteral("-wal"));
    QFile::remove(copy + QStringLiteral("-shm"));
    if (!QFile::copy(path, copy))
        throw std::runtime_error("cannot copy " + path.toStdString());
    return copy;
}

void useDatabase(const QString& path) {
    qputenv("KALMORA_CONEXAO", QStringLiteral("Provider=SQLite;Data Source=%1").arg(path).toUtf8());
}

// The screen initialised and shown on the database named by KALMORA_CONEXAO.
struct Screen {
    std::unique_ptr<TfrmConfGrupo> form;
    Screen() {
        form = std::make_unique<TfrmConfGrupo>();
        frmConfGrupo = form.get();
        form->InicializaForm({});
        form->show();
        QApplication::processEvents();
    }
    ~Screen() {
        form.reset();
        frmConfGrupo = nullptr;
        Srv_Kmr00003::fecha();
    }
    TTouchButton* button(const QString& name) const { return form->findChild<TTouchButton*>(name); }
};

void execSql(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "sqlite3_exec failed";
        sqlite3_free(error);
        sqlite3_close(db);
        throw std::runtime_error(message);
    }
    sqlite3_close(db);
}

// A touch on a group button puts it in focus: the product page is loaded (36
// rows) and the screen repainted.
void BM_FocusRedraw(benchmark::State& state) {
    useDatabase(BenchData::menuDatabase(int(state.range(0))));
    Screen screen;
    TTouchButton* groups[2] = {screen.button(QStringLiteral("tcbGrupo01")),
                               screen.button(QStringLiteral("tcbGrupo02"))};
    int i = 0;
    for (auto _ : state) {
        screen.form->tcbGrupo01Click(groups[i++ & 1]);
        screen.form->repaint();
    }
    state.counters["rows"] = double(state.range(0));
}
BENCHMARK(BM_FocusRedraw)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The same touch on captions never drawn before in this process: before each
// touch (untimed) another connection renames the products of both groups'
// first pages, so every caption is laid out, shaped and rendered afresh. The
// faces are the same sizes and colours as before and come from their cache.
void BM_FocusRedrawFirstTime(benchmark::State& state) {
    const QString path = copyOf(BenchData::menuDatabase(int(state.range(0))), QStringLiteral("focus.db"));
    useDatabase(path);
    Screen screen;
    TTouchButton* groups[2] = {screen.button(QStringLiteral("tcbGrupo01")),
                               screen.button(QStringLiteral("tcbGrupo02"))};
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string rename =
            "UPDATE ITMENUCONFTE SET DSBUTTON = 'Produto de teste ' || printf('%06d', " + std::to_string(i % 9000) +
            " * 100 + CAST(NRBUTTON AS INTEGER)) WHERE CDFILIAL = '9999' AND NRCONFTELA = '00001' AND IDTPBUTTON IN "
            "('1','9','A') AND NRPGCONFTELA = '1' AND IDTPBUTONAUX = '2' AND NRBUTTONAUX IN ('01','02') AND "
            "NRPGCONFTAUX = '1'";
        execSql(path, rename.c_str());
        state.ResumeTiming();
        screen.form->tcbGrupo01Click(groups[i++ & 1]);
        screen.form->repaint();
    }
    state.counters["rows"] = double(state.range(0));
}
BENCHMARK(BM_FocusRedrawFirstTime)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The floor of a focus change: the same product-page query through bare sqlite3.
void BM_bare_FocusQuery(benchmark::State& state) {
    const QString path = BenchData::menuDatabase(int(state.range(0)));
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT NRBUTTON , DSBUTTON, NRCOLORTEXT, NRCOLORBACK, NRPGCONFTAUX, IDTPBUTTON, DSIMAGEMBUT, "
                       "NRPGCONFTELA FROM ITMENUCONFTE WHERE (CDFILIAL = ?1 ) AND (NRCONFTELA = ?2 ) AND (IDTPBUTTON "
                       "IN ('1','9','A') ) AND (NRPGCONFTELA = '1') AND (IDTPBUTONAUX = '2' ) AND (NRBUTTONAUX = ?3 ) "
                       "AND (NRPGCONFTAUX = '1')",
                       -1, &stmt, nullptr);
    const char* groups[2] = {"01", "02"};
    int i = 0;
    for (auto _ : state) {
        sqlite3_reset(stmt);
        sqlite3_bind_text(stmt, 1, "9999", -1, SQLITE_STATIC);
        sqlite3_bind_text(stmt, 2, "00001", -1, SQLITE_STATIC);
        sqlite3_bind_text(stmt, 3, groups[i++ & 1], -1, SQLITE_STATIC);
        while (sqlite3_step(stmt) == SQLITE_ROW)
            for (int c = 0; c < 8; ++c)
                benchmark::DoNotOptimize(sqlite3_column_text(stmt, c));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}
BENCHMARK(BM_bare_FocusQuery)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The catalogue file of the picker benchmarks: a private copy with a group on
// the group page and the store's three special products.
QString pickerDatabase(int products) {
    const QString path = copyOf(BenchData::catalogueDatabase(products), QStringLiteral("picker.db"));
    execSql(path, "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, "
                  "NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT) VALUES "
                  "('9999','00001','2','01','1','0','0','0','','Grupo',0,11571344,'');"
                  "INSERT INTO LOJA (CDFILIAL, CDLOJA, CDPRODCOUVER, CDPRODCONSUM, CDPRODCOMVEN) "
                  "VALUES ('9999','01','000010','000020','000030')");
    return path;
}

// The search screen shown and painted, then left without a pick.
class PickerShown {
public:
    PickerShown() : m_previous(Pesquisa) {
        Pesquisa = [this](ClientDataSet* dataSet, int, const QString&, int c1, int c2, int c3, int c5, int) {
            TfrmPesquisa picker(dataSet, c1, c2, c3, c5);
            picker.show();
            picker.repaint();
            rows = dataSet->recordCount();
            return false; // left without a pick: nothing is written
        };
    }
    ~PickerShown() { Pesquisa = m_previous; }
    PickerShown(const PickerShown&) = delete;
    PickerShown& operator=(const PickerShown&) = delete;
    qint64 rows = 0;

private:
    TPesquisa m_previous;
};

// Touching an empty product button opens the product picker: catalogue query,
// packet load, filter of the special products, search list shown and painted.
// Before each touch another connection renames a product, so every touch
// reads the catalogue afresh, as the first touch of a session does.
void BM_OpenProductPicker(benchmark::State& state) {
    const QString path = pickerDatabase(int(state.range(0)));
    useDatabase(path);
    resetPeakRss();
    Screen screen;
    PickerShown picker;
    TTouchButton* empty = screen.button(QStringLiteral("tcbBalcao01"));
    int renames = 0;
    double firstPeak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        execSql(path, ++renames % 2 ? "UPDATE PRODUTO SET NMPRODUTO = 'Produto renomeado' WHERE CDPRODUTO = '00000005'"
                                    : "UPDATE PRODUTO SET NMPRODUTO = 'Produto de catalogo numero 00000005' WHERE "
                                      "CDPRODUTO = '00000005'");
        state.ResumeTiming();
        screen.form->tcbBalcao01Click(empty);
        if (renames == 1)
            firstPeak = peakRssMb();
    }
    state.counters["rows"] = double(picker.rows);
    // The first touch of the session; then every later one, which reads the
    // changed catalogue while the screen still holds the one it showed.
    state.counters["peak_rss_first_MB"] = firstPeak;
    state.counters["peak_rss_MB"] = peakRssMb();
}
BENCHMARK(BM_OpenProductPicker)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);

// A second touch in the same session with the catalogue unchanged: the first
// touch (not timed) read it; each timed touch checks that it did not change
// and shows the same rows.
void BM_OpenProductPickerAgain(benchmark::State& state) {
    useDatabase(pickerDatabase(int(state.range(0))));
    resetPeakRss();
    Screen screen;
    PickerShown picker;
    TTouchButton* empty = screen.button(QStringLiteral("tcbBalcao01"));
    screen.form->tcbBalcao01Click(empty);
    for (auto _ : state)
        screen.form->tcbBalcao01Click(empty);
    state.counters["rows"] = double(picker.rows);
    state.counters["peak_rss_MB"] = peakRssMb();
}
BENCHMARK(BM_OpenProductPickerAgain)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(10);

// The floor of the picker: the level-path catalogue read through bare sqlite3.
void BM_bare_CatalogueRead(benchmark::State& state) {
    const QString path = BenchData::catalogueDatabase(int(state.range(0)));
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT PR.CDARVPROD, PR.CDPRODUTO, PR.NMPRODUTO, PR.NMFOTOPROD, PR.NMPRODIMPFIS, "
                       "PR.CDBARPRODUTO, PR.CDPRODINTE, PR.SGUNIDADE,PR.IDTIPOPROD, COALESCE(PR.IDPESAPROD, 'N'), "
                       "PR.QTTARAPROD,PR.IDCOBTXSERV, COALESCE(PR.IDPRODATIVPR,'S'), COALESCE(PR.IDSOLLOCIMP, 'N') "
                       "FROM PRODUTO PR WHERE (PR.CDNVPRODUTO = (SELECT MAX(CDNVPRODUTO) FROM PRODUTO)) ORDER BY "
                       "PR.CDARVPROD",
                       -1, &stmt, nullptr);
    for (auto _ : state) {
        sqlite3_reset(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW)
            for (int c = 0; c < 14; ++c)
                benchmark::DoNotOptimize(sqlite3_column_text(stmt, c));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}
BENCHMARK(BM_bare_CatalogueRead)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);

// Confirmation of 36 background-colour changes on a file database: 36
// updates, each in its own transaction and commit.
void BM_ConfirmColours(benchmark::State& state) {
    useDatabase(copyOf(BenchData::menuDatabase(10000), QStringLiteral("confirm.db")));
    Screen screen;
    const TCriaTelaKmr00006 previous = CriaTelaKmr00006;
    int colour = 255;
    CriaTelaKmr00006 = [&](const QVariantList&, QVariant& result) {
        QVariantList list = result.toList();
        list[0] = QString::number(colour);
        result = list;
    };
    for (auto _ : state) {
        state.PauseTiming();
        colour = colour == 255 ? 65280 : 255;
        screen.form->tcbCorButtonClick(nullptr);
        for (int n = 1; n <= 36; ++n)
            screen.form->tcbBalcao01Click(screen.button(QStringLiteral("tcbBalcao%1").arg(n, 2, 10, QLatin1Char('0'))));
        state.ResumeTiming();
        screen.form->tcbConfirmaClick(nullptr);
    }
    CriaTelaKmr00006 = previous;
}
BENCHMARK(BM_ConfirmColours)->Unit(benchmark::kMillisecond)->Iterations(20);

// From the launcher's start to the first painted frame on the demo database,
// paired with a bare Qt window of the same size; both write the frame to a PNG.
qint64 runToFirstFrame(const QString& program, const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        throw std::runtime_error("run failed: " + program.toStdString() + " " +
                                 process.readAllStandardError().toStdString());
    return timer.nsecsElapsed();
}

QString demoDatabase() {
    const QString path = QDir(benchTempDir()).filePath(QStringLiteral("demo.db"));
    if (!QFile::exists(path)) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KALMORA_CONEXAO"), QStringLiteral("Provider=SQLite;Data Source=%1").arg(path));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/kalmora"),
                {QStringLiteral("--create-schema"), QStringLiteral("--demo-data")});
        p.waitForFinished(60000);
    }
    return path;
}

void BM_StartupToFirstFrame(benchmark::State& state) {
    useDatabase(demoDatabase());
    const QString png = QDir(benchTempDir()).filePath(QStringLiteral("first.png"));
    for (auto _ : state)
        state.SetIterationTime(
            double(runToFirstFrame(QCoreApplication::applicationDirPath() + QStringLiteral("/kalmora"),
                                   {QStringLiteral("--screenshot"), png})) /
            1e9);
}
BENCHMARK(BM_StartupToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_bare_WindowFirstFrame(benchmark::State& state) {
    const QString png = QDir(benchTempDir()).filePath(QStringLiteral("bare.png"));
    for (auto _ : state)
        state.SetIterationTime(
            double(
                runToFirstFrame(QCoreApplication::applicationDirPath() + QStringLiteral("/bench_bare_window"), {png})) /
            1e9);
}
BENCHMARK(BM_bare_WindowFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    setMessagePresenter(std::make_unique<ConsoleMessagePresenter>());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
