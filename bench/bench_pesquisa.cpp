// One keystroke in the product search list over 100,000 products: from the key
// event in the filter field to the list's model narrowed and the first
// screenful of rows painted. Paired with its floor: a bare loop doing the
// same case- and accent-insensitive substring test over the same pre-folded
// row texts, with no model and no painting.

#include <CampoTexto.h>
#include <ClientDataSet.h>
#include <ClientDataSetModel.h>
#include <PesquisaFiltroModel.h>
#include <TfrmPesquisa.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// The word the operator types; key 1 leaves the widest list, key 5 the narrowest.
const QString kDigitado = QStringLiteral("45678");

const QStringList kNomes = {QStringLiteral("Café expresso"),     QStringLiteral("Água mineral"),
                            QStringLiteral("Pão de queijo"),     QStringLiteral("Suco de laranja"),
                            QStringLiteral("Coxinha de frango"), QStringLiteral("Açaí na tigela"),
                            QStringLiteral("Misto quente"),      QStringLiteral("Refrigerante lata")};

// The catalogue as the screen loads it: hidden code, visible tree code and name.
std::unique_ptr<ClientDataSet> catalogo(int produtos) {
    DataPacket pacote({{QStringLiteral("CDPRODUTO"), FieldKind::Text, 10},
                       {QStringLiteral("CDARVPROD"), FieldKind::Text, 20},
                       {QStringLiteral("NMPRODUTO"), FieldKind::Text, 50}});
    pacote.reserve(produtos);
    for (int i = 0; i < produtos; ++i) {
        const QString n = QString::number(i).rightJustified(produtos > 100000 ? 7 : 6, QLatin1Char('0'));
        pacote.appendRow({n, QStringLiteral("01.") + n, kNomes.at(i % kNomes.size()) + QLatin1Char(' ') + n});
    }
    auto ds = std::make_unique<ClientDataSet>(QStringLiteral("cdsPesqProduto"));
    ds->addFieldDef({QStringLiteral("CDPRODUTO"), FieldKind::Text, 10}, false);
    ds->addFieldDef({QStringLiteral("CDARVPROD"), FieldKind::Text, 20}, true, QStringLiteral("Código"));
    ds->addFieldDef({QStringLiteral("NMPRODUTO"), FieldKind::Text, 50}, true, QStringLiteral("Nome"));
    ds->setData(QVariant::fromValue(pacote));
    return ds;
}

void tecla(QWidget* campo, QChar c) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key(c.toUpper().unicode()), Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(campo, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key(c.toUpper().unicode()), Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(campo, &release);
}

void BM_PesquisaTecla(benchmark::State& state) {
    const int k = int(state.range(0));
    auto ds = catalogo(int(state.range(1)));
    TfrmPesquisa tela(ds.get(), 12960962, 14737632, 8683643, 15658734);
    tela.show();
    auto* campo = tela.findChild<CampoTexto*>(QStringLiteral("edtFiltro"));
    auto* grade = tela.findChild<QTableView*>(QStringLiteral("grdPesquisa"));
    // The row texts are folded once after the list opened.
    tela.repaint();
    QApplication::processEvents();
    qint64 linhas = 0;
    for (auto _ : state) {
        state.PauseTiming();
        campo->setText(kDigitado.left(k - 1));
        QApplication::processEvents();
        state.ResumeTiming();
        tecla(campo, kDigitado.at(k - 1));
        grade->viewport()->repaint();
        linhas = grade->model()->rowCount();
    }
    state.counters["rows"] = double(linhas);
}
BENCHMARK(BM_PesquisaTecla)
    ->Args({1, 100000})
    ->Args({5, 100000})
    ->Args({1, 1000000})
    ->Args({5, 1000000})
    ->Unit(benchmark::kMillisecond);

// The list built, shown and painted over 100,000 rows, as the picker opens it.
void BM_PesquisaAbre(benchmark::State& state) {
    auto ds = catalogo(100000);
    for (auto _ : state) {
        auto tela = std::make_unique<TfrmPesquisa>(ds.get(), 12960962, 14737632, 8683643, 15658734);
        tela->show();
        tela->repaint();
        state.PauseTiming();
        tela.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PesquisaAbre)->Unit(benchmark::kMillisecond)->Iterations(10);

// Opening the list folds the 100,000 row texts once, right after the first
// paint (while the docked keys still ignore touches): the list shown and
// painted, then that folding.
void BM_PesquisaAbreEPreparaChaves(benchmark::State& state) {
    auto ds = catalogo(100000);
    for (auto _ : state) {
        auto tela = std::make_unique<TfrmPesquisa>(ds.get(), 12960962, 14737632, 8683643, 15658734);
        tela->show();
        tela->repaint();
        QApplication::processEvents();
        state.PauseTiming();
        tela.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PesquisaAbreEPreparaChaves)->Unit(benchmark::kMillisecond)->Iterations(10);

// The floor: the same test over the same folded texts, counting matches.
void BM_bare_SubstringFolded(benchmark::State& state) {
    const int k = int(state.range(0));
    auto ds = catalogo(int(state.range(1)));
    ClientDataSetModel modelo(ds.get());
    QStringList chaves;
    chaves.reserve(int(state.range(1)));
    for (int r = 0; r < modelo.rowCount(); ++r)
        chaves << PesquisaFiltroModel::dobra(modelo.index(r, 0).data().toString() + QChar(0x1F) +
                                             modelo.index(r, 1).data().toString());
    const QString termo = PesquisaFiltroModel::dobra(kDigitado.left(k));
    qint64 linhas = 0;
    for (auto _ : state) {
        linhas = 0;
        for (const QString& chave : std::as_const(chaves))
            linhas += chave.contains(termo) ? 1 : 0;
        benchmark::DoNotOptimize(linhas);
    }
    state.counters["rows"] = double(linhas);
}
BENCHMARK(BM_bare_SubstringFolded)
    ->Args({1, 100000})
    ->Args({5, 100000})
    ->Args({1, 1000000})
    ->Args({5, 1000000})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
