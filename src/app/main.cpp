// kalmora: plays the host application. It loads the configuration module at
// run time, calls its entry point and exits when the screen has been closed.

#include <ConnectionString.h>
#include <DatabaseSchema.h>
#include <HostErrors.h>
#include <KmrConexao.h>
#include <MessagePresenter.h>
#include <ModuleLocator.h>
#include <TADOConnection.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QPixmap>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

using EntryPoint = void (*)(const QVariant* arParams, int highIndex, QVariant* result);

// True while the configuration screen is up.
bool screenShown() {
    const auto widgets = QApplication::topLevelWidgets();
    return std::any_of(widgets.begin(), widgets.end(), [](const QWidget* w) {
        return w->isVisible() && w->objectName() == QLatin1String("frmConfGrupo");
    });
}

// Counts the error reports made while the screen is not up (those that keep
// it from opening) and passes every message on to the presenter that shows
// it. Failures reported while the operator edits are not the launcher's.
class CountingPresenter : public MessagePresenter {
public:
    explicit CountingPresenter(std::unique_ptr<MessagePresenter> inner) : m_inner(std::move(inner)) {}
    bool present(const MensagemArgs& args) override {
        if (args.tipo == 3 && !screenShown())
            ++m_errors;
        return m_inner->present(args);
    }
    int errors() const { return m_errors; }

private:
    std::unique_ptr<MessagePresenter> m_inner;
    int m_errors = 0;
};

void printError(const QString& text) {
    QTextStream(stderr) << "kalmora: " << text << Qt::endl;
}

QString configFileConnection() {
    QFile file(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kalmora.conexao")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.isEmpty() && !line.startsWith(u'#') && !line.startsWith(u';') &&
            !line.startsWith(QLatin1String("--")))
            return line;
    }
    return {};
}

// The connection string the module will use, without creating anything.
QString namedConnection() {
    const QString env = qEnvironmentVariable("KALMORA_CONEXAO").trimmed();
    if (!env.isEmpty())
        return env;
    const QString file = configFileConnection();
    if (!file.isEmpty())
        return file;
    return QStringLiteral("Provider=SQLite;Data Source=") + defaultDatabasePath();
}

int createSchema(bool demo) {
    const ConnectionString conexao = ConnectionString::parse(namedConnection());
    try {
        TADOConnection connection;
        connection.setConnectionString(conexao.text());
        connection.setConnected(true);
        if (DatabaseSchema::tablesExist(connection.database())) {
            printError(QStringLiteral("the tables already exist in %1; nothing was created.").arg(conexao.redacted()));
            return 1;
        }
        DatabaseSchema::create(connection.database(), connection.dialect(), demo);
    } catch (const std::exception& e) {
        printError(exceptionText(e));
        return 1;
    }
    QTextStream(stdout) << "kalmora: tables " << (demo ? "and demo data " : "") << "created in " << conexao.redacted()
                        << Qt::endl;
    return 0;
}

EntryPoint loadModule(QLibrary& library) {
    const QString path = ModuleLocator::locate(QCoreApplication::applicationDirPath());
    if (path.isEmpty()) {
        printError(
            QStringLiteral("cannot find the module %1; looked in: %2")
                .arg(ModuleLocator::moduleFileName(),
                     ModuleLocator::candidates(QCoreApplication::applicationDirPath()).join(QStringLiteral(", "))));
        return nullptr;
    }
    library.setFileName(path);
    if (!library.load()) {
        printError(QStringLiteral("cannot load the module: %1").arg(library.errorString()));
        return nullptr;
    }
    auto entry = reinterpret_cast<EntryPoint>(library.resolve("CriaTelaKmr00003"));
    if (!entry)
        printError(QStringLiteral("the module does not export CriaTelaKmr00003."));
    return entry;
}

// Watches for the screen to be shown; once its initialisation is done and it
// is up, renders it into a PNG and closes it through its exit button.
class Screenshot : public QObject {
public:
    explicit Screenshot(QString file) : m_file(std::move(file)) { qApp->installEventFilter(this); }
    bool written() const { return m_written; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && !m_taken && watched->objectName() == QLatin1String("frmConfGrupo")) {
            m_taken = true;
            auto* screen = static_cast<QWidget*>(watched);
            // Queued, so that the modal loop is running when the screen closes.
            QTimer::singleShot(0, this, [this, screen] { take(screen); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void take(QWidget* screen) {
        m_written = screen->grab().save(m_file, "PNG");
        if (!m_written)
            printError(QStringLiteral("could not write %1").arg(m_file));
        if (auto* exit = screen->findChild<QAbstractButton*>(QStringLiteral("tcbSair")))
            exit->click();
    }

    QString m_file;
    bool m_taken = false;
    bool m_written = false;
};

// Help and schema creation need no display; everything else opens the screen.
bool needsDisplay(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--help" || arg == "-h" || arg == "-?" || arg == "--help-all" || arg == "--create-schema")
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    std::unique_ptr<QCoreApplication> application;
    if (needsDisplay(argc, argv))
        application = std::make_unique<QApplication>(argc, argv);
    else
        application = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication& app = *application;
    QCoreApplication::setApplicationName(QStringLiteral("kalmora"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Opens the sales-screen configuration of the Kalmora point of sale.\n"
        "The database is named by KALMORA_CONEXAO, else by the file kalmora.conexao beside this program, "
        "else it is the embedded SQLite database in the user's data folder."));
    parser.addHelpOption();
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Render the screen after start-up into a PNG file and exit."),
                                        QStringLiteral("FILE"));
    const QCommandLineOption createSchemaOption(
        QStringLiteral("create-schema"), QStringLiteral("Create the tables in the database named by the connection "
                                                        "string (refused where they exist) and exit."));
    const QCommandLineOption demoData(QStringLiteral("demo-data"),
                                      QStringLiteral("With --create-schema: also load the demo catalogue."));
    parser.addOptions({screenshot, createSchemaOption, demoData});
    parser.process(app);

    if (parser.isSet(createSchemaOption))
        return createSchema(parser.isSet(demoData));
    if (parser.isSet(demoData)) {
        printError(QStringLiteral("--demo-data is only used with --create-schema."));
        return 2;
    }

    const bool shooting = parser.isSet(screenshot);
    std::unique_ptr<MessagePresenter> shown;
    if (shooting)
        shown = std::make_unique<ConsoleMessagePresenter>();
    else
        shown = std::make_unique<TouchMessagePresenter>();
    auto counting = std::make_unique<CountingPresenter>(std::move(shown));
    CountingPresenter* counter = counting.get();
    setMessagePresenter(std::move(counting));

    QLibrary library;
    const EntryPoint entry = loadModule(library);
    if (!entry)
        return 1;

    std::unique_ptr<Screenshot> shot;
    if (shooting)
        shot = std::make_unique<Screenshot>(parser.value(screenshot));
    QVariant result;
    entry(nullptr, -1, &result);

    const int errors = counter->errors();
    if (shooting && !shot->written()) {
        printError(QStringLiteral("the screen was not shown; no picture was written."));
        return 1;
    }
    // The module stays loaded until the process ends: its colour choices and
    // its registered types must outlive every window.
    return errors > 0 ? 1 : 0;
}
