// Opening the picture picker on a folder of 500 pictures: from the dialog
// built (the folder listed) to its first screenful of thumbnails decoded and
// painted; then one key of its filter. Paired with a floor: the folder listed
// and the first screenful of thumbnails decoded by bare QImageReader calls,
// with no model, view or painting.

#include <ImagensModel.h>
#include <TfrmPesquisaImagem.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kImagens = 500;

// The folder, made once: 500 photographs of 640x480 (the size a picture
// taken elsewhere may have; an imported one is smaller).
QString pasta() {
    static QTemporaryDir dir;
    static bool feita = false;
    if (!feita) {
        for (int i = 0; i < kImagens; ++i) {
            QImage imagem(640, 480, QImage::Format_RGB32);
            imagem.fill(QColor::fromHsv((i * 37) % 360, 160, 220));
            QPainter p(&imagem);
            p.setBrush(Qt::white);
            p.drawEllipse(160, 120, 320, 240);
            p.end();
            imagem.save(dir.filePath(QStringLiteral("produto %1.%2")
                                         .arg(i, 3, 10, QLatin1Char('0'))
                                         .arg(i % 2 ? QStringLiteral("jpg") : QStringLiteral("png"))));
        }
        feita = true;
    }
    return dir.path();
}

// Shown as the event loop shows it: the list's layout (which the view makes
// after the first events) and the paint that decodes the first screenful.
void mostra(TfrmPesquisaImagem& tela) {
    tela.show();
    QApplication::processEvents();
    tela.repaint();
}

void BM_AbreSeletorImagens(benchmark::State& state) {
    const QString dir = pasta();
    int mostradas = 0;
    for (auto _ : state) {
        auto tela = std::make_unique<TfrmPesquisaImagem>(dir, TfrmPesquisaImagem::Forma::Escolha);
        mostra(*tela);
        state.PauseTiming();
        mostradas = tela->modelo()->miniaturasFeitas();
        tela.reset();
        state.ResumeTiming();
    }
    state.counters["pictures"] = kImagens;
    state.counters["thumbnails"] = mostradas;
}
BENCHMARK(BM_AbreSeletorImagens)->Unit(benchmark::kMillisecond)->Iterations(10);

// One letter typed in the filter: the list narrowed and painted again, its
// new first screenful decoded.
void BM_FiltroImagens(benchmark::State& state) {
    const QString dir = pasta();
    for (auto _ : state) {
        state.PauseTiming();
        auto tela = std::make_unique<TfrmPesquisaImagem>(dir, TfrmPesquisaImagem::Forma::Escolha);
        mostra(*tela);
        auto* campo = tela->findChild<QLineEdit*>(QStringLiteral("edtFiltro"));
        state.ResumeTiming();
        campo->setText(QStringLiteral("7"));
        QApplication::processEvents();
        tela->repaint();
        state.PauseTiming();
        state.counters["thumbnails"] = tela->modelo()->miniaturasFeitas();
        tela.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FiltroImagens)->Unit(benchmark::kMillisecond)->Iterations(10);

// The floor: the folder listed and the same number of thumbnails decoded at
// the same size.
void BM_bare_ListaEDecodifica(benchmark::State& state) {
    const QString dir = pasta();
    const int n = int(state.range(0));
    for (auto _ : state) {
        const QStringList nomes = QDir(dir).entryList(QDir::Files, QDir::Name);
        for (int i = 0; i < n && i < nomes.size(); ++i) {
            QImageReader leitor(QDir(dir).filePath(nomes.at(i)));
            leitor.setScaledSize(leitor.size().scaled(TfrmPesquisaImagem::tamanhoMiniatura(), Qt::KeepAspectRatio));
            benchmark::DoNotOptimize(leitor.read());
        }
    }
}
BENCHMARK(BM_bare_ListaEDecodifica)->Arg(10)->Arg(15)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
