// What waits to be written, as the operator sees it: marks on the buttons,
// the count on the confirm button, the question before leaving, one message
// for one failure, and no edit of a group button whose row was not loaded.

#include "ScreenFixture.h"

#include <ClientDataSet.h>
#include <HostUi.h>
#include <TBlendedBitBtn.h>
#include <TTouchButton.h>
#include <TfrmConfGrupo.h>

#include <QLabel>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace {
using Marca = TTouchButton::PendingMark;
const QString kTecle =
    QStringLiteral("Clique em um dos botões desta tela para associar produtos ou adicionar grupos de produtos.");
const QStringList kTools = {"tcbLimpar", "tcbNome", "tcbCorButton", "tcbCorTexto", "tcbRecortar", "tcbSair"};
const QString kConfirmar = QStringLiteral("Ctrl+Enter\nConfirmar");
} // namespace

class TstScreenPendentes : public ScreenFixture {
    Q_OBJECT
private:
    QString confirmar() const { return ferramenta("tcbConfirma")->caption(); }
    QString aviso() const { return label("lblPendentes")->text(); }
    int produtosDoGrupo01() { return conta(QStringLiteral("IDTPBUTONAUX = '2' AND NRBUTTONAUX = '01'")); }
    // Lets sessions into the test database or keeps them out, from a session
    // on the server's own database (the test database's cannot do it).
    void permiteConexoes(bool sim) {
        const QString banco = db->rows(QStringLiteral("SELECT current_database()")).value(0).value(0).toString();
        {
            QSqlDatabase admin = QSqlDatabase::cloneDatabase(db->db(), QStringLiteral("pendentes_admin"));
            admin.setDatabaseName(QStringLiteral("postgres"));
            QVERIFY2(admin.open(), qPrintable(admin.lastError().text()));
            QSqlQuery q(admin);
            QVERIFY2(q.exec(QStringLiteral("ALTER DATABASE %1 ALLOW_CONNECTIONS %2")
                                .arg(banco, sim ? QStringLiteral("true") : QStringLiteral("false"))),
                     qPrintable(q.lastError().text()));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("pendentes_admin"));
    }
    // Makes every statement on the menu table fail: on SQLite the table is
    // gone; on PostgreSQL the server is, as far as the data service can tell
    // (its session is ended and no new one is let in).
    void quebraTabela() {
        if (db->engine() == TestDatabase::Engine::SQLite) {
            db->exec(QStringLiteral("ALTER TABLE ITMENUCONFTE RENAME TO ITMENUCONFTE_FORA"));
            return;
        }
        permiteConexoes(false);
        db->exec(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                "WHERE datname = current_database() AND pid <> pg_backend_pid()"));
    }
    void consertaTabela() {
        if (db->engine() == TestDatabase::Engine::SQLite) {
            db->exec(QStringLiteral("ALTER TABLE ITMENUCONFTE_FORA RENAME TO ITMENUCONFTE"));
            return;
        }
        permiteConexoes(true);
    }

private slots:
    void marksAndCountFollowClearColourAndPaste() {
        const int antes = produtosDoGrupo01();
        QCOMPARE(confirmar(), kConfirmar);
        QVERIFY(aviso().isEmpty());

        // Clear: the buttons are shown empty, yet marked, the old caption kept for the eye.
        const QString nome = produto(1)->caption();
        tecla(Qt::Key_F3);
        toca(produto(1));
        toca(produto(2));
        toca(produto(1)); // now empty: nothing more to clear
        QVERIFY(produto(1)->caption().isEmpty());
        QCOMPARE(produto(1)->pendingMark(), Marca::Clear);
        QCOMPARE(produto(1)->ghostCaption(), nome);
        QCOMPARE(produto(3)->pendingMark(), Marca::None);
        QCOMPARE(confirmar(), QStringLiteral("Ctrl+Enter\nConfirmar (2)"));
        QVERIFY(aviso().startsWith(QStringLiteral("2 alterações")));
        QCOMPARE(mensagem(), screen->messages().Msg(QStringLiteral("Limpar")));
        tecla(Qt::Key_F2);
        QCOMPARE(produto(1)->caption(), nome);
        QCOMPARE(produto(1)->pendingMark(), Marca::None);
        QCOMPARE(confirmar(), kConfirmar);
        QVERIFY(aviso().isEmpty());
        QCOMPARE(produtosDoGrupo01(), antes);

        // Colour: the same button twice is one change; confirm writes and unmarks.
        cores = {QStringLiteral("255")};
        tecla(Qt::Key_F7);
        toca(grupo(1));
        toca(grupo(1));
        toca(produto(3));
        QCOMPARE(grupo(1)->pendingMark(), Marca::Changed);
        QCOMPARE(produto(3)->pendingMark(), Marca::Changed);
        QCOMPARE(confirmar(), QStringLiteral("Ctrl+Enter\nConfirmar (2)"));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(grupo(1)->pendingMark(), Marca::None);
        QCOMPARE(produto(3)->pendingMark(), Marca::None);
        QCOMPARE(confirmar(), kConfirmar);
        QCOMPARE(qRound(itens(QStringLiteral("IDTPBUTONAUX = '0' AND NRBUTTON = '01'"), QStringLiteral("NRCOLORBACK"))
                            .value(0)
                            .value(0)
                            .toDouble()),
                 255);

        // Paste: the cut button is marked as cut, the target as pending, and a
        // line of its own asks for confirmation while the instruction stays.
        tecla(Qt::Key_F6);
        const QString cortado = produto(4)->caption();
        toca(produto(4));
        QCOMPARE(produto(4)->pendingMark(), Marca::Cut);
        QCOMPARE(confirmar(), kConfirmar); // nothing to confirm before the paste
        toca(produto(20));
        QCOMPARE(produto(20)->pendingMark(), Marca::Changed);
        QCOMPARE(confirmar(), QStringLiteral("Ctrl+Enter\nConfirmar (1)"));
        QVERIFY(aviso().contains(QStringLiteral("confirme")));
        QCOMPARE(mensagem(), screen->messages().Msg(QStringLiteral("ColaBotao")));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(produto(20)->caption(), cortado);
        QCOMPARE(produto(20)->pendingMark(), Marca::None);
        QCOMPARE(produto(4)->pendingMark(), Marca::None);
        QVERIFY(aviso().isEmpty());
        QCOMPARE(conta(QStringLiteral("IDTPBUTONAUX = '2' AND NRBUTTONAUX = '01' AND NRBUTTON = '20'")), 1);
        QCOMPARE(presenter->calls.size(), 0);
    }

    void leavingAsksOnlyWithChangesPending() {
        // Nothing pending: Esc leaves at once.
        tecla(Qt::Key_Escape);
        QVERIFY(!screen->isVisible());
        QCOMPARE(presenter->calls.size(), 0);

        // Pending, answered "Não": the screen stays with every mark.
        screen->show();
        const int antes = produtosDoGrupo01();
        tecla(Qt::Key_F3);
        toca(produto(1));
        presenter->answers = {false};
        tecla(Qt::Key_Escape);
        QVERIFY(screen->isVisible());
        QCOMPARE(presenter->calls.size(), 1);
        QCOMPARE(presenter->calls[0].texto, QStringLiteral("Existe 1 alteração não confirmada. Sair sem gravá-la?"));
        QCOMPARE(presenter->calls[0].pergunta, QStringLiteral("S"));
        QCOMPARE(produto(1)->pendingMark(), Marca::Clear);
        QCOMPARE(screen->pendingChanges().recordCount(), 1);

        // "Esc - Sair", answered "Sim": the screen closes and writes nothing.
        toca(produto(2));
        presenter->answers = {true};
        toca(ferramenta("tcbSair"));
        QCOMPARE(presenter->calls.size(), 2);
        QCOMPARE(presenter->calls[1].texto,
                 QStringLiteral("Existem 2 alterações não confirmadas. Sair sem gravá-las?"));
        QVERIFY(!screen->isVisible());
        QCOMPARE(produtosDoGrupo01(), antes);
    }

    void oneFailureOneMessage_data() { engines(); }
    void oneFailureOneMessage() {
        quebraTabela();

        // A rename: the write fails, and so would the redraw after it.
        tecla(Qt::Key_F5);
        const QString nome = mensagem();
        teclado = {QStringLiteral("Novo nome")};
        toca(grupo(1));
        QCOMPARE(presenter->calls.size(), 1);

        // A cancel that cannot redraw keeps the mode with its own tools and
        // instruction line, and can be touched again once the store is back.
        presenter->calls.clear();
        tecla(Qt::Key_F2);
        QCOMPARE(presenter->calls.size(), 1);
        QCOMPARE(enabledTools(), (QStringList{"tcbCancela", "tcbSair"}));
        QCOMPARE(mensagem(), nome);
        consertaTabela();
        tecla(Qt::Key_F2);
        QCOMPARE(enabledTools(), kTools);
        QCOMPARE(mensagem(), kTecle);

        // A colour confirmation that cannot write keeps its mode, its line
        // and its marks, so that confirming again sends it whole.
        cores = {QStringLiteral("255")};
        tecla(Qt::Key_F7);
        toca(grupo(1));
        const QString corBotao = mensagem();
        quebraTabela();
        presenter->calls.clear();
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(presenter->calls.size(), 1);
        QCOMPARE(mensagem(), corBotao);
        QCOMPARE(grupo(1)->pendingMark(), Marca::Changed);
        QCOMPARE(confirmar(), QStringLiteral("Ctrl+Enter\nConfirmar (1)"));
        consertaTabela();
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(grupo(1)->pendingMark(), Marca::None);
        QCOMPARE(mensagem(), kTecle);
        quebraTabela();

        // A new group.
        presenter->calls.clear();
        teclado = {QStringLiteral("Grupo novo")};
        toca(grupo(9));
        QCOMPARE(presenter->calls.size(), 1);

        // A product on an empty button of the group in focus.
        presenter->calls.clear();
        produtoEscolhido = QStringLiteral("101001");
        toca(produto(30));
        QCOMPARE(presenter->calls.size(), 1);

        // Once the store is back, everything works again.
        consertaTabela();
        presenter->calls.clear();
        teclado = {QStringLiteral("Grupo novo")};
        toca(grupo(9));
        QCOMPARE(presenter->calls.size(), 0);
        QCOMPARE(conta(QStringLiteral("IDTPBUTONAUX = '0' AND DSBUTTON = 'Grupo novo'")), 1);
    }

    void productNavigatorShowsItsArrowAndKeepsItsCaption() {
        db->exec(QStringLiteral(
            "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, "
            "NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK) VALUES ('9999', '00001', "
            "'9', '36', '1', '2', '01', '1', '', 'Navegador_Direito_Prod', 0, 11571344)"));
        toca(grupo(1));
        QVERIFY(!produto(36)->glyphEmpty());
        QVERIFY(produto(36)->captionHidden());
        QCOMPARE(produto(36)->caption(), QStringLiteral("Navegador_Direito_Prod"));
        toca(grupo(2)); // another page: the button is an ordinary one again
        QVERIFY(produto(36)->glyphEmpty());
        QVERIFY(!produto(36)->captionHidden());
    }

    void groupButtonWhoseRowWasNotLoadedIsRedrawnNotEdited() {
        // The reload after an added group fails: the caption is on the
        // button, its row is not in the loaded page.
        const auto anterior = setMensagemMetodoObserver([this](const QString& metodo, const QString&, const QString&) {
            if (metodo == QLatin1String("getInsere"))
                quebraTabela();
        });
        teclado = {QStringLiteral("Sucos")};
        toca(grupo(7));
        setMensagemMetodoObserver(anterior);
        QCOMPARE(presenter->calls.size(), 1);
        QCOMPARE(grupo(7)->caption(), QStringLiteral("Sucos"));
        consertaTabela();

        // A colour on it is not recorded with another row's type: the page is
        // drawn again, and the next touch records the stored item.
        cores = {QStringLiteral("255")};
        tecla(Qt::Key_F7);
        toca(grupo(7));
        QCOMPARE(screen->pendingChanges().recordCount(), 0);
        QCOMPARE(grupo(7)->pendingMark(), Marca::None);
        toca(grupo(7));
        QCOMPARE(screen->pendingChanges().recordCount(), 1);
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(qRound(itens(QStringLiteral("IDTPBUTONAUX = '0' AND NRBUTTON = '07'"), QStringLiteral("NRCOLORBACK"))
                            .value(0)
                            .value(0)
                            .toDouble()),
                 255);
        QCOMPARE(presenter->calls.size(), 1);
    }
};

QTEST_MAIN(TstScreenPendentes)
#include "tst_screen_pendentes.moc"
