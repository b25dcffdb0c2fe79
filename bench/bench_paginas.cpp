// Pages and whole configurations: a product-page change (query and redraw)
// in a 1,000,000-row menu table; copying a configuration of 1,308 items
// inside that table, paired with the bare INSERT ... SELECT through sqlite3;
// export plus import of the same configuration through the packet file.

#include "BenchData.h"

#include <Cli_Kmr00003.h>
#include <DataPacket.h>
#include <Srv_Kmr00003.h>
#include <TfrmConfGrupo.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <stdexcept>

namespace {

QString benchTempDir() {
    static QTemporaryDir dir;
    return dir.path();
}

// A private copy of the cached database: the writes never touch the cache.
QString copyOf(const QString& path, const QString& name) {
    const QString copy = QDir(benchTempDir()).filePath(name);
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(copy + QLatin1String(suffix));
    if (!QFile::copy(path, copy))
        throw std::runtime_error("cannot copy " + path.toStdString());
    return copy;
}

void connect(const QString& path) {
    qputenv("KALMORA_CONEXAO", QStringLiteral("Provider=SQLite;Data Source=%1").arg(path).toUtf8());
    Srv_Kmr00003::fecha(); // a fresh instance on the database named now
    Srv_Kmr00003::abre();
}

void check(int32_t status, const QVariant& result) {
    if (status != 0 || (result.typeId() == QMetaType::QString && !result.toString().isEmpty()))
        throw std::runtime_error("call failed: " + result.toString().toStdString());
}

// Ctrl+Page Down / Ctrl+Page Up on the screen: the product page of the group
// in focus is read (36 rows of 1,000,000) and the screen repainted. The pages
// go 1, 2, 3, 2, 1, ...
void BM_ProductPageChange(benchmark::State& state) {
    qputenv(
        "KALMORA_CONEXAO",
        QStringLiteral("Provider=SQLite;Data Source=%1").arg(BenchData::menuDatabase(int(state.range(0)))).toUtf8());
    auto form = std::make_unique<TfrmConfGrupo>();
    frmConfGrupo = form.get();
    form->InicializaForm({});
    form->show();
    QApplication::processEvents();
    int step = 0;
    for (auto _ : state) {
        const bool forward = (step++ / 2) % 2 == 0;
        QKeyEvent key(QEvent::KeyPress, forward ? Qt::Key_PageDown : Qt::Key_PageUp, Qt::ControlModifier);
        QApplication::sendEvent(form.get(), &key);
        form->repaint();
    }
    if (form->productPage() < 1 || form->productPage() > 3)
        state.SkipWithError("the product page left the stored ones");
    form.reset();
    frmConfGrupo = nullptr;
    Srv_Kmr00003::fecha();
    state.counters["rows"] = double(state.range(0));
}
BENCHMARK(BM_ProductPageChange)->Arg(1000000)->Unit(benchmark::kMillisecond);

// setCopiaConf of 9999/00001 (1,308 items) onto one target, replacing what the
// previous iteration wrote: count, delete and insert in one transaction.
void BM_setCopiaConf(benchmark::State& state) {
    connect(copyOf(BenchData::menuDatabase(int(state.range(0))), QStringLiteral("copy_srv.db")));
    QVariant r;
    for (auto _ : state) {
        check(setCopiaConf(BenchData::kBranch, BenchData::kConfiguration, QStringLiteral("ZZZZ"),
                           QStringLiteral("99999"), QStringLiteral("S"), r),
              r);
    }
    if (r.toInt() != 1308)
        state.SkipWithError("not 1,308 items copied");
    Srv_Kmr00003::fecha();
}
BENCHMARK(BM_setCopiaConf)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The floor: the same delete and INSERT ... SELECT through bare sqlite3, in one
// IMMEDIATE transaction, WAL and synchronous=FULL as the service's session.
void BM_bare_InsertSelect(benchmark::State& state) {
    const QString path = copyOf(BenchData::menuDatabase(int(state.range(0))), QStringLiteral("copy_bare.db"));
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    sqlite3_stmt* del = nullptr;
    sqlite3_stmt* ins = nullptr;
    sqlite3_prepare_v2(db, "DELETE FROM ITMENUCONFTE WHERE CDFILIAL = 'ZZZZ' AND NRCONFTELA = '99999'", -1, &del,
                       nullptr);
    sqlite3_prepare_v2(db,
                       "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, "
                       "IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK, "
                       "DSMESSAGEBUT, DSIMAGEMBUT, DTULTATUITCT) SELECT 'ZZZZ', '99999', IDTPBUTTON, NRBUTTON, "
                       "NRPGCONFTELA, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, "
                       "NRCOLORBACK, DSMESSAGEBUT, DSIMAGEMBUT, DTULTATUITCT FROM ITMENUCONFTE WHERE CDFILIAL = "
                       "'9999' AND NRCONFTELA = '00001'",
                       -1, &ins, nullptr);
    int copied = 0;
    for (auto _ : state) {
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_step(del);
        sqlite3_reset(del);
        sqlite3_step(ins);
        copied = sqlite3_changes(db);
        sqlite3_reset(ins);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    if (copied != 1308)
        state.SkipWithError("not 1,308 items copied");
    sqlite3_finalize(del);
    sqlite3_finalize(ins);
    sqlite3_close(db);
}
BENCHMARK(BM_bare_InsertSelect)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Export to a packet file and import it back onto one target (replacing), as
// the launcher's --export and --import do.
void BM_ExportImport(benchmark::State& state) {
    connect(copyOf(BenchData::menuDatabase(int(state.range(0))), QStringLiteral("export_srv.db")));
    const QString file = QDir(benchTempDir()).filePath(QStringLiteral("conf.xml"));
    QVariant r;
    for (auto _ : state) {
        check(getExportaConf(BenchData::kBranch, BenchData::kConfiguration, r), r);
        if (!r.value<DataPacket>().saveToFile(file))
            throw std::runtime_error("cannot write the packet file");
        const std::optional<DataPacket> lido = DataPacket::loadFromFile(file);
        if (!lido)
            throw std::runtime_error("cannot read the packet file");
        check(setImportaConf(QStringLiteral("ZZZZ"), QStringLiteral("99999"), QVariant::fromValue(*lido),
                             QStringLiteral("S"), r),
              r);
    }
    if (r.toInt() != 1308)
        state.SkipWithError("not 1,308 items imported");
    Srv_Kmr00003::fecha();
}
BENCHMARK(BM_ExportImport)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
