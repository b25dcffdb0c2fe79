// The floor of the start-up benchmark: a bare Qt window of the screen's size,
// shown, painted once into a PNG, then closed.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString file = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/dev/null");
    QWidget window;
    window.setFixedSize(800, 600);
    window.setWindowFlag(Qt::FramelessWindowHint);
    window.show();
    QTimer::singleShot(0, &window, [&] {
        const bool ok = window.grab().save(file, "PNG");
        app.exit(ok ? 0 : 1);
    });
    return app.exec();
}
