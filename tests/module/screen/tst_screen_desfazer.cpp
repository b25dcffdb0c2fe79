// Undo and redo on the screen: each operator action undone with Ctrl+Z (or
// the "Desfazer" tool) puts the store back exactly as it was, Ctrl+Y writes
// it again; the tools follow the session's history; a clear undone is asked
// first; an undo over another station's change is refused.

#include "ScreenFixture.h"

#include <Srv_Kmr00003.h>

#include <DataPacket.h>
#include <MessagePresenter.h>
#include <TBlendedBitBtn.h>
#include <TTouchButton.h>
#include <TfrmConfGrupo.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>

namespace {
// Shows the real question over the screen, photographs both into one
// picture and answers it as told.
class FotoPresenter : public MessagePresenter {
public:
    FotoPresenter(QWidget* tela, QString arquivo, bool resposta)
        : m_tela(tela), m_arquivo(std::move(arquivo)), m_resposta(resposta) {}
    bool present(const MensagemArgs& args) override {
        texto = args.texto;
        QTimer::singleShot(500, [this] {
            auto* dialogo = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialogo)
                return;
            QPixmap foto = m_tela->grab();
            QPainter pintor(&foto);
            const QPixmap caixa = dialogo->grab();
            pintor.drawPixmap((foto.width() - caixa.width()) / 2, (foto.height() - caixa.height()) / 2, caixa);
            pintor.end();
            foto.save(m_arquivo);
            dialogo->done(QDialog::Rejected);
        });
        TouchMessagePresenter().present(args);
        return m_resposta;
    }
    QString texto;

private:
    QWidget* m_tela;
    QString m_arquivo;
    bool m_resposta;
};
} // namespace

class TstScreenDesfazer : public ScreenFixture {
    Q_OBJECT
private:
    static void engines() {
        QTest::addColumn<int>("unused");
        QTest::newRow("sqlite") << 0;
        QTest::newRow("postgresql") << 0;
    }
    TBlendedBitBtn* desfazer() const { return ferramenta("tcbDesfazer"); }
    TBlendedBitBtn* refazer() const { return ferramenta("tcbRefazer"); }
    QString linha() const { return label("lblDesfazer")->text(); }
    // The whole configuration as the export writes it.
    QByteArray exporta() const {
        QVariant r;
        if (getExportaConf(screen->branch(), screen->configuration(), r) != 0 || !isDataPacket(r))
            return {};
        return r.value<DataPacket>().toXml();
    }
    // Whether the data service keeps a history this build can undo from.
    bool comHistorico() const {
        QVariant r;
        return Srv_Kmr00003::historicoAtivo() &&
               getPesqDesfazer(screen->branch(), screen->configuration(), screen->sessaoHistorico(), r) == 0 &&
               isDataPacket(r);
    }
    // Undo, then redo, of the action that led from antes to depois.
    void desfazERefaz(const QByteArray& antes, const QByteArray& depois) {
        QVERIFY(antes != depois);
        QVERIFY(desfazer()->isEnabled());
        tecla(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(exporta(), antes);
        QVERIFY(refazer()->isEnabled());
        tecla(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(exporta(), depois);
        QVERIFY(!refazer()->isEnabled());
    }
    // Pictures as the operator sees them, only when KALMORA_SHOTS names a folder.
    static QString pastaFotos() {
        const QString pasta = qEnvironmentVariable("KALMORA_SHOTS");
        if (!pasta.isEmpty())
            QDir().mkpath(pasta);
        return pasta;
    }
    void grava(const QString& arquivo) {
        if (const QString pasta = pastaFotos(); !pasta.isEmpty())
            QVERIFY(screen->grab().save(pasta + QLatin1Char('/') + arquivo));
    }

private slots:
    void init() {
        prepare();
        if (!db)
            return;
        openScreen();
        if (auto* relogio = screen->findChild<QTimer*>(QStringLiteral("tmrAtualizacao")))
            relogio->stop();
    }
    void cleanup() { tearDown(); }

    // At the start of a session there is nothing to undo: both tools off,
    // no line, and Ctrl+Z and Ctrl+Y write nothing.
    void nothingToUndoAtStart_data() { engines(); }
    void nothingToUndoAtStart() {
        QVERIFY(desfazer() && refazer());
        QVERIFY(!desfazer()->isEnabled());
        QVERIFY(!refazer()->isEnabled());
        QVERIFY(linha().isEmpty() || linha() == QStringLiteral("Histórico desligado"));
        const QByteArray antes = exporta();
        tecla(Qt::Key_Z, Qt::ControlModifier);
        tecla(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(exporta(), antes);
        QVERIFY(presenter->calls.isEmpty());
        grava(QStringLiteral("desfazer-inicio.png"));
        QCOMPARE(mensagem(),
                 QStringLiteral(
                     "Clique em um dos botões desta tela para associar produtos ou adicionar grupos de produtos."));
    }

    void insertUndoneAndRedone_data() { engines(); }
    void insertUndoneAndRedone() {
        if (!comHistorico())
            QSKIP("no history in the data service of this build");
        const QByteArray antes = exporta();
        teclado = {QStringLiteral("Sucos")};
        toca(grupo(7));
        QCOMPARE(linha(), QStringLiteral("Desfazer: inclusão de Sucos no botão 07"));
        const QByteArray depois = exporta();
        grava(QStringLiteral("desfazer-antes.png"));
        desfazERefaz(antes, depois);
        tecla(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(grupo(7)->caption().isEmpty());
        grava(QStringLiteral("desfazer-depois.png"));
    }

    void renameUndoneAndRedone_data() { engines(); }
    void renameUndoneAndRedone() {
        if (!comHistorico())
            QSKIP("no history in the data service of this build");
        const QByteArray antes = exporta();
        tecla(Qt::Key_F5);
        teclado = {QStringLiteral("Massas")};
        toca(grupo(3));
        QCOMPARE(linha(), QStringLiteral("Desfazer: nome do botão 03 para Massas"));
        desfazERefaz(antes, exporta());
        QCOMPARE(grupo(3)->caption(), QStringLiteral("Massas"));
    }

    // Three colours in one confirmation are one action; the tools are off
    // while the marks wait.
    void coloursUndoneAsOneAction_data() { engines(); }
    void coloursUndoneAsOneAction() {
        if (!comHistorico())
            QSKIP("no history in the data service of this build");
        teclado = {QStringLiteral("Sucos")};
        toca(grupo(7));
        const QByteArray antes = exporta();
        cores = {QStringLiteral("65535")};
        tecla(Qt::Key_F7);
        toca(grupo(1));
        toca(grupo(2));
        toca(grupo(3));
        QVERIFY(!desfazer()->isEnabled());
        tecla(Qt::Key_Z, Qt::ControlModifier); // off: the marks stay
        QCOMPARE(screen->pendingChanges().recordCount(), 3);
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(linha(), QStringLiteral("Desfazer: cor de fundo de 3 botões"));
        desfazERefaz(antes, exporta());
        // Back to the start of the session, one action at a time.
        tecla(Qt::Key_Z, Qt::ControlModifier);
        tecla(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(grupo(7)->caption().isEmpty());
        QVERIFY(!desfazer()->isEnabled());
    }

    // A group cleared with its products: the undo asks first; "Não" does
    // nothing, "Sim" brings every item back.
    void groupClearUndoneAfterQuestion_data() { engines(); }
    void groupClearUndoneAfterQuestion() {
        if (!comHistorico())
            QSKIP("no history in the data service of this build");
        const int produtos = conta(QStringLiteral("IDTPBUTONAUX = '2' AND NRBUTTONAUX = '03'"));
        QVERIFY(produtos > 1);
        const QByteArray antes = exporta();
        tecla(Qt::Key_F3);
        toca(grupo(3));
        presenter->answers = {true};
        tecla(Qt::Key_Return, Qt::ControlModifier);
        const QByteArray depois = exporta();
        const QString acao = QStringLiteral("limpeza do grupo Pratos e de %1 produtos").arg(produtos);
        QCOMPARE(linha(), QStringLiteral("Desfazer: ") + acao);
        presenter->calls.clear();
        presenter->answers = {false};
        tecla(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(presenter->texts(), QStringList{QStringLiteral("Desfazer a ") + acao + QLatin1Char('?')});
        QCOMPARE(exporta(), depois);
        presenter->answers = {true};
        tecla(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(exporta(), antes);
        QCOMPARE(grupo(3)->caption(), QStringLiteral("Pratos"));
        presenter->answers = {true};
        tecla(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(exporta(), depois);
    }

    // A clear answered "Não" writes nothing and records nothing: the next
    // undo is still the action before it.
    void clearAnsweredNoRecordsNothing_data() { engines(); }
    void clearAnsweredNoRecordsNothing() {
        if (!comHistorico())
            QSKIP("no history in the data service of this build");
        teclado = {QStringLiteral("Sucos")};
        toca(grupo(7));
        const QString antes = linha();
        tecla(Qt::Key_F3);
        toca(grupo(3));
        presenter->answers = {false};
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(linha(), antes);
        tecla(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(grupo(7)->caption().isEmpty());
        QCOMPARE(grupo(3)->caption(), QStringLiteral("Pratos"));
        QVERIFY(!desfazer()->isEnabled());
    }

    void groupMoveUndoneAndRedone_data() { engines(); }
    void groupMoveUndoneAndRedone() {
        if (!comHistorico())
            QSKIP("no history in the data service of this build");
        const QByteArray antes = exporta();
        tecla(Qt::Key_F6);
        toca(grupo(3));
        toca(grupo(8));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(grupo(8)->caption(), QStringLiteral("Pratos"));
        QCOMPARE(linha(), QStringLiteral("Desfazer: movimento de Pratos do botão 03 para o botão 08"));
        // Nothing leaves the menu: no question.
        presenter->calls.clear();
        desfazERefaz(antes, exporta());
        QVERIFY(presenter->calls.isEmpty());
    }

    // Another station renames the group after this one laid it out: the
    // undo is refused with the stations' text, writes nothing, and the page
    // shows what the store holds.
    void undoRefusedAfterAnotherStationsChange_data() { engines(); }
    void undoRefusedAfterAnotherStationsChange() {
        if (!comHistorico())
            QSKIP("no history in the data service of this build");
        teclado = {QStringLiteral("Sucos")};
        toca(grupo(7));
        db->exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = 'Vitaminas' WHERE IDTPBUTTON = '2' AND "
                                "NRBUTTON = '07'"));
        const QByteArray antes = exporta();
        presenter->calls.clear();
        tecla(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(exporta(), antes);
        QCOMPARE(presenter->calls.size(), 1);
        QVERIFY(presenter->texts().first().contains(QStringLiteral("outra estação")));
        QCOMPARE(grupo(7)->caption(), QStringLiteral("Vitaminas"));
    }

    // The question as the operator sees it, photographed; "Não" keeps the clear.
    void questionPhotographed_data() { engines(); }
    void questionPhotographed() {
        const QString pasta = pastaFotos();
        if (pasta.isEmpty())
            QSKIP("KALMORA_SHOTS names no folder for the pictures");
        if (!comHistorico())
            QSKIP("no history in the data service of this build");
        tecla(Qt::Key_F3);
        toca(grupo(3));
        presenter->answers = {true};
        tecla(Qt::Key_Return, Qt::ControlModifier);
        const QByteArray depois = exporta();
        auto foto =
            std::make_unique<FotoPresenter>(screen.get(), pasta + QStringLiteral("/desfazer-pergunta.png"), false);
        FotoPresenter* visto = foto.get();
        auto anterior = setMessagePresenter(std::move(foto));
        tecla(Qt::Key_Z, Qt::ControlModifier);
        setMessagePresenter(std::move(anterior));
        QVERIFY(visto->texto.startsWith(QStringLiteral("Desfazer a limpeza do grupo Pratos")));
        QCOMPARE(exporta(), depois);
    }

    // The refusal over another station's change, photographed with the page
    // redrawn under it.
    void refusalPhotographed_data() { engines(); }
    void refusalPhotographed() {
        const QString pasta = pastaFotos();
        if (pasta.isEmpty())
            QSKIP("KALMORA_SHOTS names no folder for the pictures");
        if (!comHistorico())
            QSKIP("no history in the data service of this build");
        teclado = {QStringLiteral("Sucos")};
        toca(grupo(7));
        db->exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = 'Vitaminas' WHERE IDTPBUTTON = '2' AND "
                                "NRBUTTON = '07'"));
        auto foto =
            std::make_unique<FotoPresenter>(screen.get(), pasta + QStringLiteral("/desfazer-recusado.png"), true);
        FotoPresenter* visto = foto.get();
        auto anterior = setMessagePresenter(std::move(foto));
        tecla(Qt::Key_Z, Qt::ControlModifier);
        setMessagePresenter(std::move(anterior));
        QVERIFY(visto->texto.contains(QStringLiteral("outra estação")));
        QCOMPARE(grupo(7)->caption(), QStringLiteral("Vitaminas"));
    }

    // A history that cannot be written (a database this program did not
    // make, and no folder for the history's file): the operator is told once,
    // the changes are written as always, and the undo tools stay off.
    void historyOffSaidOnce() {
        screen.reset();
        Srv_Kmr00003::fecha();
        db->exec(QStringLiteral("DROP TABLE KMRESQUEMA"));
        QTemporaryFile bloqueio; // a file where the data folder would be
        QVERIFY(bloqueio.open());
        const QByteArray antes = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", (bloqueio.fileName() + QStringLiteral("/dados")).toUtf8());
        openScreen();
        teclado = {QStringLiteral("Sucos"), QStringLiteral("Chás")};
        toca(grupo(7));
        toca(grupo(8));
        if (antes.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", antes);
        QVERIFY(!Srv_Kmr00003::historicoAtivo());
        QCOMPARE(conta(QStringLiteral("IDTPBUTTON = '2' AND DSBUTTON IN ('Sucos', 'Chás')")), 2);
        QCOMPARE(presenter->calls.size(), 1);
        QVERIFY(presenter->texts().first().contains(QStringLiteral("histórico de alterações está desligado")));
        QCOMPARE(linha(), QStringLiteral("Histórico desligado"));
        QVERIFY(!desfazer()->isEnabled());
        tecla(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(conta(QStringLiteral("IDTPBUTTON = '2' AND DSBUTTON IN ('Sucos', 'Chás')")), 2);
    }
};

QTEST_MAIN(TstScreenDesfazer)
#include "tst_screen_desfazer.moc"
