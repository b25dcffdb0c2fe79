// Appending rows one by one to a client dataset, the way the screen records
// its pending changes: append(), set the fields, post(). Measured on an open
// dataset with no index and with an active two-field index, and with a
// filter on, so that every path of post() that places the new row among the
// visible ones is timed.

#include <ClientDataSet.h>

#include <benchmark/benchmark.h>

namespace {

void defineFields(ClientDataSet& set) {
    set.addFieldDef({QStringLiteral("NRBUTTON"), FieldKind::Text, 2});
    set.addFieldDef({QStringLiteral("NRPGCONFTELA"), FieldKind::Text, 2});
    set.addFieldDef({QStringLiteral("NRCOLOR"), FieldKind::Integer, 0});
}

// state.range(0): rows; range(1): 0 no index, 1 an index, 2 an index and a filter.
void BM_AppendRows(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const int64_t mode = state.range(1);
    for (auto _ : state) {
        ClientDataSet set(QStringLiteral("cdsAlteracoes"));
        defineFields(set);
        set.addIndex(QStringLiteral("Index1"), QStringLiteral("NRPGCONFTELA;NRBUTTON"));
        set.createDataSet();
        if (mode >= 1)
            set.setIndexName(QStringLiteral("Index1"));
        if (mode >= 2) {
            set.setFilter(QStringLiteral("NRCOLOR <> 3"));
            set.setFiltered(true);
        }
        for (int i = 0; i < rows; ++i) {
            set.append();
            // Buttons in a scattered order, so that an index must place each row.
            set.setFieldValue(u"NRBUTTON", QString::number((i * 7919) % 97).rightJustified(2, QLatin1Char('0')));
            set.setFieldValue(u"NRPGCONFTELA", QString::number((i * 31) % 99 + 1));
            set.setFieldValue(u"NRCOLOR", i % 10);
            set.post();
        }
        benchmark::DoNotOptimize(set.recordCount());
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

} // namespace

BENCHMARK(BM_AppendRows)
    ->ArgsProduct({{10000, 100000}, {0, 1, 2}})
    ->ArgNames({"rows", "mode"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

BENCHMARK_MAIN();
