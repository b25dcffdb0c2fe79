// A page change on a grid of 48 pictured buttons (12 of the group grid's
// size, 36 of the product grid's), as the screen draws it: every button
// given its caption and picture file, then the window repainted. Pictures
// cached (the pages were shown before), and shown for the first time (the
// picture cache emptied before each change; the files are in the operating
// system's cache). The floor is the same change with no pictures. Run with
// QT_QPA_PLATFORM=offscreen.

#include <ButtonPictureCache.h>
#include <TTouchButton.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kButtons = 48;

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

// A product photo: 320 x 240, gradients and shapes, so that PNG has work.
QImage photo(int seed) {
    QImage image(320, 240, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 320, 240);
    g.setColorAt(0, QColor::fromHsv((seed * 37) % 360, 160, 230));
    g.setColorAt(1, QColor::fromHsv((seed * 37 + 120) % 360, 200, 120));
    p.fillRect(image.rect(), g);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 12; ++i) {
        p.setBrush(QColor::fromHsv((seed * 13 + i * 29) % 360, 220, 250));
        p.drawEllipse(QPointF(30 + (i * 53 + seed * 7) % 260, 30 + (i * 41 + seed * 11) % 180), 18 + i, 12 + i);
    }
    return image;
}

// Page `page` of `kind` ("png" or "svg"): 48 files of their own.
QStringList pictures(const QString& kind, int page) {
    QStringList out;
    const QStringList demo = QDir(QStringLiteral(KMR_DEMO_PICTURES_DIR)).entryList({QStringLiteral("*.svg")});
    if (demo.isEmpty())
        throw std::runtime_error("no demo pictures in " KMR_DEMO_PICTURES_DIR);
    for (int i = 0; i < kButtons; ++i) {
        const QString path = folder().filePath(QStringLiteral("p%1-%2.%3").arg(page).arg(i).arg(kind));
        if (!QFile::exists(path)) {
            const bool ok =
                kind == QLatin1String("png")
                    ? photo(page * kButtons + i).save(path, "PNG")
                    : QFile::copy(QDir(QStringLiteral(KMR_DEMO_PICTURES_DIR)).filePath(demo[i % demo.size()]), path);
            if (!ok)
                throw std::runtime_error("cannot write " + path.toStdString());
        }
        out << path;
    }
    return out;
}

class Grid {
public:
    Grid() {
        m_window.resize(800, 600);
        for (int n = 0; n < kButtons; ++n) {
            auto* b = new TTouchButton(&m_window);
            if (n < 12)
                b->setGeometry(247 + (n % 4) * 116, 48 + (n / 4) * 62, 105, 47);
            else
                b->setGeometry(248 + ((n - 12) % 6) * 76, 271 + ((n - 12) / 6) * 53, 75, 52);
            b->SetColor(11196410);
            m_buttons.push_back(b);
        }
        m_window.show();
        QApplication::processEvents();
    }
    // What the screen does for a page: caption, picture, colours; then paint.
    void show(const QStringList& files, int page) {
        for (int n = 0; n < kButtons; ++n) {
            TTouchButton* b = m_buttons[n];
            b->clearGlyph();
            b->setFontColor(0);
            b->setCaption(QStringLiteral("Produto %1 da página %2").arg(n + 1).arg(page));
            b->setPicture(files.isEmpty() ? QString() : files[n]);
            b->SetColor(11196410);
        }
        m_window.repaint();
    }
    bool allShown() const {
        for (TTouchButton* b : m_buttons)
            if (b->pictureMissing())
                return false;
        return true;
    }

private:
    QWidget m_window;
    std::vector<TTouchButton*> m_buttons;
};

const char* kindOf(const benchmark::State& state) {
    return state.range(0) == 0 ? "png" : "svg";
}

void BM_PicturePageChangeCached(benchmark::State& state) {
    const QString kind = QLatin1String(kindOf(state));
    const QStringList pages[] = {pictures(kind, 1), pictures(kind, 2)};
    Grid grid;
    grid.show(pages[0], 1);
    grid.show(pages[1], 2);
    int step = 0;
    for (auto _ : state) {
        ++step;
        grid.show(pages[step % 2], step % 2 + 1);
    }
    if (!grid.allShown())
        state.SkipWithError("a picture was not shown");
    state.SetLabel(kind.toStdString());
}
BENCHMARK(BM_PicturePageChangeCached)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PicturePageChangeFirstTime(benchmark::State& state) {
    const QString kind = QLatin1String(kindOf(state));
    const QStringList pages[] = {pictures(kind, 1), pictures(kind, 2)};
    Grid grid;
    int step = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ButtonPictureCache::instance().clear();
        state.ResumeTiming();
        ++step;
        grid.show(pages[step % 2], step % 2 + 1);
    }
    if (!grid.allShown())
        state.SkipWithError("a picture was not shown");
    state.SetLabel(kind.toStdString());
}
BENCHMARK(BM_PicturePageChangeFirstTime)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The floor: the same page change with captions only.
void BM_PageChangeWithoutPictures(benchmark::State& state) {
    Grid grid;
    int step = 0;
    for (auto _ : state) {
        ++step;
        grid.show({}, step % 2 + 1);
    }
}
BENCHMARK(BM_PageChangeWithoutPictures)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
