#include "ScreenFixture.h"

#include <Cli_Kmr00003.h>
#include <ClientDataSet.h>
#include <Srv_Kmr00003.h>
#include <TBlendedBitBtn.h>
#include <TTouchButton.h>
#include <TfrmConfGrupo.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {
// How long an entry call's modal windows may stay open before the test gives
// up on them.
constexpr qint64 kModalLimitMs = 15000;
} // namespace

void ScreenFixture::prepare() {
    const bool pg = QByteArray(QTest::currentDataTag()) == "postgresql";
    if (pg)
        KMR_REQUIRE_POSTGRES();
    db = std::make_unique<TestDatabase>(pg ? TestDatabase::Engine::PostgreSQL : TestDatabase::Engine::SQLite, true);
    db->makeCurrent();
    m_scope = std::make_unique<ScopedPresenter>();
    presenter = &**m_scope;
    paramDir = std::make_unique<QTemporaryDir>();
    QVERIFY(paramDir->isValid());
    TfrmConfGrupo::setParameterDir(paramDir->path());

    m_teclado = TecladoAlfaNumerico;
    m_pesquisa = Pesquisa;
    m_cor = CriaTelaKmr00006;
    teclado.clear();
    tecladoChamadas = 0;
    produtoEscolhido.clear();
    listaPesquisa.clear();
    pesquisaChamadas = 0;
    cores.clear();
    corChamadas = 0;
    opcoesTeclado = {};
    opcoesPesquisa = {};
    opcoesCor = {};
    TecladoAlfaNumerico = [this](int, int, int, int, const OpcoesTeclado& opcoes) {
        ++tecladoChamadas;
        opcoesTeclado = opcoes;
        return teclado.isEmpty() ? QString() : teclado.takeFirst();
    };
    Pesquisa = [this](ClientDataSet* ds, int p2, const QString& p3, int c1, int c2, int c3, int c5, int p8,
                      const OpcoesPesquisa& opcoes) {
        ++pesquisaChamadas;
        opcoesPesquisa = opcoes;
        // The list is opened in four of the screen's colours.
        const auto cor = screen ? screen->screenColors() : std::array<int, 6>{};
        if (p2 != 0 || p3 != QLatin1String("S") || p8 != 0 || c1 != cor[0] || c2 != cor[1] || c3 != cor[2] ||
            c5 != cor[4])
            QTest::qFail("the search screen was opened with other arguments", __FILE__, __LINE__);
        listaPesquisa.clear();
        for (ds->first(); !ds->eof(); ds->next())
            listaPesquisa << ds->fieldText(u"CDPRODUTO");
        if (produtoEscolhido.isEmpty())
            return false;
        return ds->locate(QStringLiteral("CDPRODUTO"), {produtoEscolhido});
    };
    CriaTelaKmr00006 = [this](const QVariantList&, QVariant& result, const OpcoesCor& opcoes) {
        ++corChamadas;
        opcoesCor = opcoes;
        QVariantList lista = result.toList();
        if (lista.size() != 10) // the screen hands over a new array of ten elements
            QTest::qFail("the colour screen did not get a ten-element array", __FILE__, __LINE__);
        if (lista.isEmpty())
            lista.resize(10);
        lista[0] = cores.isEmpty() ? QStringLiteral("X") : cores.takeFirst();
        result = lista;
    };
}

void ScreenFixture::engines() {
    QTest::addColumn<int>("unused");
    QTest::newRow("sqlite") << 0;
    QTest::newRow("postgresql") << 0;
}

void ScreenFixture::init() {
    prepare();
    if (db && m_tela == Tela::Aberta)
        openScreen();
}

void ScreenFixture::cleanup() {
    tearDown();
}

void ScreenFixture::openScreen() {
    screen = std::make_unique<TfrmConfGrupo>();
    frmConfGrupo = screen.get();
    screen->InicializaForm({});
    screen->show();
    QVERIFY(QTest::qWaitForWindowExposed(screen.get()));
}

void ScreenFixture::tearDown() {
    // The colour choices outlive a screen by design; each test starts without them.
    CorButton.clear();
    CorFonte.clear();
    screen.reset();
    frmConfGrupo = nullptr;
    Srv_Kmr00003::fecha();
    if (m_teclado || m_pesquisa || m_cor) {
        TecladoAlfaNumerico = m_teclado;
        Pesquisa = m_pesquisa;
        CriaTelaKmr00006 = m_cor;
    }
    m_teclado = {};
    m_pesquisa = {};
    m_cor = {};
    TfrmConfGrupo::setParameterDir(QString());
    paramDir.reset();
    presenter = nullptr;
    m_scope.reset();
    db.reset();
}

bool ScreenFixture::runEntry(const std::function<void(TfrmConfGrupo*)>& whileOpen) {
    bool shown = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* tela = qobject_cast<TfrmConfGrupo*>(QApplication::activeModalWidget());
        if (!tela || shown)
            return;
        shown = true;
        if (whileOpen)
            whileOpen(tela);
        QTest::keyClick(tela, Qt::Key_Escape);
    });
    // A modal dialog left waiting (opened by an action, or the screen itself
    // when Esc did not close it) fails the test after a few seconds and is
    // closed, rather than blocking until ctest's time-out. The nested modal
    // loops keep this timer running.
    QElapsedTimer clock;
    clock.start();
    bool reported = false;
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || clock.elapsed() < kModalLimitMs)
            return;
        if (!reported) {
            reported = true;
            QTest::qFail(qPrintable(QStringLiteral("a modal window (%1) was still open after %2 s")
                                        .arg(modal->objectName().isEmpty()
                                                 ? QString::fromLatin1(modal->metaObject()->className())
                                                 : modal->objectName())
                                        .arg(kModalLimitMs / 1000)),
                         __FILE__, __LINE__);
        }
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    });
    poll.start(10);
    watchdog.start(100);
    QVariant result;
    Cli_Kmr00003::CriaTelaKmr00003({QStringLiteral("ignored"), 42}, result);
    poll.stop();
    watchdog.stop();
    if (result.isValid())
        QTest::qFail("the entry point set its result", __FILE__, __LINE__);
    return shown;
}

TTouchButton* ScreenFixture::grupo(int n) const {
    return screen->findChild<TTouchButton*>(QStringLiteral("tcbGrupo%1").arg(n, 2, 10, QLatin1Char('0')));
}

TTouchButton* ScreenFixture::produto(int n) const {
    return screen->findChild<TTouchButton*>(QStringLiteral("tcbBalcao%1").arg(n, 2, 10, QLatin1Char('0')));
}

TTouchButton* ScreenFixture::marcador(int n) const {
    return screen->findChild<TTouchButton*>(QStringLiteral("panGrup%1").arg(n, 2, 10, QLatin1Char('0')));
}

TBlendedBitBtn* ScreenFixture::ferramenta(const char* name) const {
    return screen->findChild<TBlendedBitBtn*>(QLatin1String(name));
}

QLabel* ScreenFixture::label(const char* name) const {
    return screen->findChild<QLabel*>(QLatin1String(name));
}

QString ScreenFixture::mensagem() const {
    return label("lblMensagem")->text();
}

void ScreenFixture::toca(QAbstractButton* button) {
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

void ScreenFixture::tecla(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(screen.get(), key, modifiers);
}

QList<QVariantList> ScreenFixture::itens(const QString& where, const QString& columns) {
    return db->rows(QStringLiteral("SELECT %1 FROM ITMENUCONFTE WHERE CDFILIAL = '9999' AND NRCONFTELA = '00001' "
                                   "AND %2 ORDER BY IDTPBUTONAUX, NRBUTTONAUX, NRBUTTON, IDTPBUTTON")
                        .arg(columns, where));
}

int ScreenFixture::conta(const QString& where) {
    return db
        ->rows(QStringLiteral("SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDFILIAL = '9999' AND NRCONFTELA = "
                              "'00001' AND %1")
                   .arg(where))
        .value(0)
        .value(0)
        .toInt();
}

QStringList ScreenFixture::enabledTools() const {
    QStringList out;
    for (const char* name : {"tcbLimpar", "tcbNome", "tcbCorButton", "tcbCorTexto", "tcbRecortar", "tcbConfirma",
                             "tcbCancela", "tcbSair"}) {
        if (ferramenta(name)->isEnabled())
            out << QLatin1String(name);
    }
    return out;
}
