// kalmora: plays the host application. It loads the configuration module at
// run time, calls its entry point and exits when the screen has been closed.

#include "ConfigCommands.h"
#include "CsvCommands.h"
#include "DiffCommands.h"
#include "HistoryCommands.h"
#include "LauncherOptions.h"
#include "SheetCommands.h"

#include <ConnectionString.h>
#include <DatabaseSchema.h>
#include <HostErrors.h>
#include <KmrConexao.h>
#include <KmrLog.h>
#include <MessagePresenter.h>
#include <ModuleLocator.h>
#include <OperatorTexts.h>
#include <TADOConnection.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

void printCreated(bool demo) {
    QTextStream(stdout) << "kalmora: "
                        << (demo ? QStringLiteral("tabelas e dados de demonstração criados.")
                                 : QStringLiteral("tabelas criadas."))
                        << Qt::endl;
}

// Logs the technical side of a failure that the launcher reports.
void logFailure(const QString& what, const std::exception& error, const ConnectionString& conexao) {
    QString detail = QString::fromUtf8(error.what());
    if (auto* db = dynamic_cast<const DatabaseError*>(&error)) {
        if (db->sqlError().isValid() || !db->sqlError().text().trimmed().isEmpty())
            detail += QStringLiteral(" | ") + db->sqlError().text().trimmed();
        if (!db->statement().isEmpty())
            detail += QStringLiteral(" | statement: ") + db->statement().simplified();
    }
    qCWarning(lcKmrApp).noquote() << what << conexao.masked(detail);
}

// Creates the tables where the connection string names them. A SQLite file
// that is not there yet is made whole in one step; an existing database is
// never changed when its tables are there already.
int createSchema(bool demo) {
    QString named;
    try {
        named = namedConnectionString();
    } catch (const std::exception& e) {
        printError(exceptionText(e)); // a connection file others can read
        return 1;
    }
    const ConnectionString conexao = ConnectionString::parse(named.isEmpty() ? defaultConnectionString() : named);
    try {
        if (conexao.provider() == QLatin1String("SQLite")) {
            const QString file = conexao.value(QStringLiteral("Data Source")).trimmed();
            if (file.isEmpty())
                throw DatabaseError(FailureCause::DatabaseNotFound, OperatorTexts::bancoSemNome());
            if (file != QLatin1String(":memory:") && !QFileInfo::exists(file)) {
                // WAL only for the embedded default: a host's file keeps the
                // journal mode SQLite gives a new file.
                createSqliteDatabase(file, demo, named.isEmpty());
                printCreated(demo);
                return 0;
            }
        }
        TADOConnection connection;
        connection.setConnectionString(conexao.text());
        connection.setConnected(true);
        if (DatabaseSchema::tablesExist(connection.database())) {
            printError(OperatorTexts::tabelasJaExistem());
            return 1;
        }
        DatabaseSchema::create(connection.database(), connection.dialect(), demo);
    } catch (const std::exception& e) {
        logFailure(QStringLiteral("--create-schema on %1 failed:").arg(conexao.redacted()), e, conexao);
        printError(exceptionText(e));
        return 1;
    }
    printCreated(demo);
    return 0;
}

EntryPoint loadModule(QLibrary& library) {
    const QString path = ModuleLocator::locate(QCoreApplication::applicationDirPath());
    if (path.isEmpty()) {
        qCWarning(lcKmrApp).noquote() << "cannot find the module" << ModuleLocator::moduleFileName() << "; looked in:"
                                      << ModuleLocator::candidates(QCoreApplication::applicationDirPath());
        printError(QStringLiteral("o módulo da configuração de tela não foi encontrado. Reinstale o programa."));
        return nullptr;
    }
    library.setFileName(path);
    if (!library.load()) {
        qCWarning(lcKmrApp).noquote() << "cannot load the module:" << library.errorString();
        printError(QStringLiteral("o módulo da configuração de tela não pôde ser carregado. Reinstale o programa."));
        return nullptr;
    }
    auto entry = reinterpret_cast<EntryPoint>(library.resolve("CriaTelaKmr00003"));
    if (!entry) {
        qCWarning(lcKmrApp).noquote() << library.fileName() << "does not export CriaTelaKmr00003";
        printError(QStringLiteral("o módulo da configuração de tela está incompleto. Reinstale o programa."));
    }
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
            printError(QStringLiteral("não foi possível gravar a imagem %1.").arg(m_file));
        if (auto* exit = screen->findChild<QAbstractButton*>(QStringLiteral("tcbSair")))
            exit->click();
    }

    QString m_file;
    bool m_taken = false;
    bool m_written = false;
};

} // namespace

int main(int argc, char* argv[]) {
    // The command line is read before any window is needed: without a
    // display, a wrong option or a command that only writes a file must not
    // wait for one.
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Abre a configuração da tela de vendas do ponto de venda Kalmora.\n"
        "O banco de dados é o da variável KALMORA_CONEXAO; senão o do arquivo kalmora.conexao ao lado deste "
        "programa, em $XDG_CONFIG_HOME/kalmora ou em $XDG_CONFIG_DIRS/kalmora; senão o banco SQLite local na "
        "pasta de dados do usuário. Os detalhes técnicos de cada falha ficam no arquivo kalmora.log dessa pasta."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Mostra a versão do programa e sai."));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Grava a tela, depois de aberta, no arquivo PNG e sai."),
                                        QStringLiteral("ARQUIVO"));
    const QCommandLineOption createSchemaOption(QStringLiteral("create-schema"),
                                                QStringLiteral("Cria as tabelas no banco de dados da conexão (recusado "
                                                               "onde elas já existem) e sai."));
    const QCommandLineOption demoData(QStringLiteral("demo-data"),
                                      QStringLiteral("Com --create-schema: grava também o catálogo de demonstração."));
    parser.addOptions({version, screenshot, createSchemaOption, demoData});
    ConfigCommands::addOptions(parser);
    CsvCommands::addOptions(parser);
    SheetCommands::addOptions(parser);
    DiffCommands::addOptions(parser);
    HistoryCommands::addOptions(parser);
    const bool lida = parser.parse(LauncherOptions::argumentos(argc, argv));
    const bool ajuda = lida && (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")));

    // The screen and the sheets are drawn by widgets; without a display,
    // the screenshot and the sheets are drawn offscreen.
    const QStringList comandos = lida ? LauncherOptions::comandos(parser) : QStringList();
    const bool desenha = comandos.size() == 1 && (SheetCommands::pedeFolhas(parser) || parser.isSet(screenshot));
    const bool tela = lida && comandos.isEmpty() && !ajuda && !parser.isSet(version) && !parser.isSet(demoData);
    const bool widgets = tela || desenha;
    if (widgets && LauncherOptions::semTela()) {
        if (desenha) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        } else {
            printError(QStringLiteral("não há tela gráfica (DISPLAY ou WAYLAND_DISPLAY) onde abrir a configuração. "
                                      "Abra o programa numa sessão gráfica; --pdf, --png e --screenshot funcionam "
                                      "sem ela."));
            return 1;
        }
    }
    std::unique_ptr<QCoreApplication> application;
    if (widgets)
        application = std::make_unique<QApplication>(argc, argv);
    else
        application = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kalmora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KALMORA_VERSION));
    KmrLog::install();

    if (!lida)
        return LauncherOptions::recusaLinha(parser);
    if (ajuda) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    if (parser.isSet(version)) {
        QTextStream(stdout) << "kalmora " << KALMORA_VERSION << Qt::endl;
        return 0;
    }
    if (comandos.size() > 1) {
        printError(QStringLiteral("use só um dos comandos de cada vez: %1.").arg(comandos.join(QStringLiteral(", "))));
        // --diff tells a comparison that could not be made (2) from one that found differences (1).
        return comandos.contains(QStringLiteral("--diff")) || comandos.contains(QStringLiteral("--restore-to")) ? 2 : 1;
    }
    if (parser.isSet(createSchemaOption))
        return createSchema(parser.isSet(demoData));
    if (parser.isSet(demoData)) {
        printError(QStringLiteral("--demo-data só é usado junto com --create-schema."));
        return 2;
    }
    // Branch, configuration and store of the screen; or a command without it.
    QVariantList parametros;
    if (const std::optional<int> status = CsvCommands::run(parser))
        return *status;
    if (const std::optional<int> status = SheetCommands::run(parser))
        return *status;
    if (const std::optional<int> status = DiffCommands::run(parser))
        return *status;
    if (const std::optional<int> status = HistoryCommands::run(parser))
        return *status;
    if (const std::optional<int> status = ConfigCommands::run(parser, parametros))
        return *status;

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
    entry(parametros.isEmpty() ? nullptr : parametros.constData(), int(parametros.size()) - 1, &result);

    const int errors = counter->errors();
    if (shooting && !shot->written()) {
        printError(QStringLiteral("a tela não foi aberta; nenhuma imagem foi gravada."));
        return 1;
    }
    // The module stays loaded until the process ends: its colour choices and
    // its registered types must outlive every window.
    return errors > 0 ? 1 : 0;
}
