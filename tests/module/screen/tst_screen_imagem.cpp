// The picture tool of the screen (F8), on both engines: buttons marked for a
// picture as for a colour, counted, written on confirm and dropped on cancel,
// with the store read back; the picker is opened on the picture folder with
// the button's picture, and leaving it marks nothing.

#include "ScreenFixture.h"

#include <DatabaseSchema.h>
#include <KmrImagens.h>
#include <PesquisaImagem.h>
#include <TBlendedBitBtn.h>
#include <TTouchButton.h>

#include <QDir>
#include <QLabel>
#include <QTest>

namespace {
using Marca = TTouchButton::PendingMark;
const QString kConfirmar = QStringLiteral("Ctrl+Enter\nConfirmar");

// With KALMORA_TEST_SHOTS naming a folder, the screen as the operator sees it.
void foto(QWidget* tela, const QString& nome) {
    const QString pasta = qEnvironmentVariable("KALMORA_TEST_SHOTS");
    if (!pasta.isEmpty())
        tela->grab().save(QDir(pasta).filePath(nome + QStringLiteral(".png")));
}
} // namespace

class TstScreenImagem : public ScreenFixture {
    Q_OBJECT
private:
    // Scripted picker: each answer is a reference, "" for "Sem imagem", or
    // "<sai>" to leave without a choice.
    QStringList respostas;
    int chamadas = 0;
    QString pastaRecebida;
    OpcoesPesquisaImagem opcoesRecebidas;
    TPesquisaImagem m_original;
    QTemporaryDir m_pasta;

    QString confirmar() const { return ferramenta("tcbConfirma")->caption(); }
    QString aviso() const { return label("lblPendentes")->text(); }
    QVariant imagemGrupo(const QString& botao) {
        return itens(QStringLiteral("IDTPBUTONAUX = '0' AND NRPGCONFTELA = '1' AND NRBUTTON = '%1'").arg(botao),
                     QStringLiteral("DSIMAGEMBUT"))
            .value(0)
            .value(0);
    }
    QVariant imagemProduto(const QString& botao) {
        return itens(QStringLiteral("IDTPBUTONAUX = '2' AND NRBUTTONAUX = '01' AND NRPGCONFTAUX = '1' AND "
                                    "NRPGCONFTELA = '1' AND NRBUTTON = '%1'")
                         .arg(botao),
                     QStringLiteral("DSIMAGEMBUT"))
            .value(0)
            .value(0);
    }
    static bool semImagem(const QVariant& v) { return v.isNull() || v.toString().isEmpty(); }

private slots:
    void initTestCase() {
        qputenv("KALMORA_IMAGENS", m_pasta.path().toUtf8());
        QVERIFY(DatabaseSchema::copyDemoPictures(m_pasta.path()) >= 4);
        m_original = PesquisaImagem;
        PesquisaImagem = [this](const QString& pasta, const OpcoesPesquisaImagem& opcoes) {
            ++chamadas;
            pastaRecebida = pasta;
            opcoesRecebidas = opcoes;
            const QString r = respostas.isEmpty() ? QStringLiteral("<sai>") : respostas.takeFirst();
            return r == QLatin1String("<sai>") ? ImagemEscolhida{} : ImagemEscolhida{true, r};
        };
    }
    void cleanupTestCase() {
        PesquisaImagem = m_original;
        qunsetenv("KALMORA_IMAGENS");
    }

    void pendingConfirmedAndCancelled_data() { engines(); }
    void pendingConfirmedAndCancelled() {
        chamadas = 0;
        const QString nomeGrupo = grupo(1)->caption();
        QVERIFY(!nomeGrupo.isEmpty());
        QVERIFY(!produto(3)->caption().isEmpty());
        QVERIFY(!produto(4)->caption().isEmpty());
        QVERIFY(produto(36)->caption().isEmpty());
        const QVariant produto3Antes = imagemProduto("03");
        const QVariant grupo1Antes = imagemGrupo("01"); // the demo menu's own picture

        tecla(Qt::Key_F8);
        QCOMPARE(mensagem(), QStringLiteral("Clique no botão ou nos botões desejados para escolher a imagem."));
        QVERIFY(ferramenta("tcbConfirma")->isEnabled());
        QVERIFY(!ferramenta("tcbImagem")->isEnabled());
        QVERIFY(!ferramenta("tcbLimpar")->isEnabled());

        respostas = {QStringLiteral("lanche.png"), QString(), QStringLiteral("<sai>")};
        toca(grupo(1));
        QCOMPARE(chamadas, 1);
        QCOMPARE(pastaRecebida, m_pasta.path());
        QVERIFY2(opcoesRecebidas.titulo.contains(nomeGrupo), qPrintable(opcoesRecebidas.titulo));
        QCOMPARE(grupo(1)->pendingMark(), Marca::Changed);
        QCOMPARE(confirmar(), QStringLiteral("Ctrl+Enter\nConfirmar (1)"));
        toca(produto(3)); // "Sem imagem"
        QCOMPARE(produto(3)->pendingMark(), Marca::Changed);
        toca(produto(4)); // the picker left: nothing marked
        QCOMPARE(produto(4)->pendingMark(), Marca::None);
        toca(produto(36)); // an empty button has no picture to change
        QCOMPARE(chamadas, 3);
        QCOMPARE(confirmar(), QStringLiteral("Ctrl+Enter\nConfirmar (2)"));
        QVERIFY(aviso().startsWith(QStringLiteral("2 alterações")));
        foto(screen.get(), QStringLiteral("tela-imagem-pendente"));
        // Nothing is written before the confirmation.
        QCOMPARE(imagemGrupo("01"), grupo1Antes);
        QCOMPARE(imagemProduto("03"), produto3Antes);

        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(imagemGrupo("01").toString(), QString("lanche.png"));
        QVERIFY(semImagem(imagemProduto("03")));
        QCOMPARE(grupo(1)->pendingMark(), Marca::None);
        QCOMPARE(produto(3)->pendingMark(), Marca::None);
        QCOMPARE(confirmar(), kConfirmar);
        QVERIFY(ferramenta("tcbImagem")->isEnabled());
        QVERIFY(!ferramenta("tcbConfirma")->isEnabled());
        QCOMPARE(screen->pendingChanges().recordCount(), 0);

        // The picker opens on the stored picture; a cancel drops the change.
        tecla(Qt::Key_F8);
        respostas = {QStringLiteral("outra.svg")};
        toca(grupo(1));
        QCOMPARE(opcoesRecebidas.atual, QString("lanche.png"));
        QCOMPARE(grupo(1)->pendingMark(), Marca::Changed);
        tecla(Qt::Key_F2);
        QCOMPARE(grupo(1)->pendingMark(), Marca::None);
        QCOMPARE(confirmar(), kConfirmar);
        QCOMPARE(imagemGrupo("01").toString(), QString("lanche.png"));
        QCOMPARE(screen->pendingChanges().recordCount(), 0);
        // The next confirmation, in another mode, writes no picture.
        cores = {QStringLiteral("255")};
        tecla(Qt::Key_F7);
        toca(grupo(1));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(imagemGrupo("01").toString(), QString("lanche.png"));
        QCOMPARE(presenter->calls.size(), 0);
    }

    // A pending picture is shown on its button with the mark, as a pending
    // colour is; "Sem imagem" shows the caption alone; a refresh of the page
    // keeps both; a cancel brings the stored pictures back.
    void pendingPictureIsShownUntilCancelled_data() { engines(); }
    void pendingPictureIsShownUntilCancelled() {
        const QString grupo1 = grupo(1)->picture();
        const QString produto3 = produto(3)->picture();
        QVERIFY(!produto3.isEmpty());
        tecla(Qt::Key_F8);
        respostas = {QStringLiteral("cafe.svg"), QString()};
        toca(grupo(1));
        toca(produto(3));
        QCOMPARE(grupo(1)->picture(), caminhoImagem(QStringLiteral("cafe.svg")));
        QVERIFY(!grupo(1)->pictureMissing());
        QCOMPARE(grupo(1)->pendingMark(), Marca::Changed);
        QVERIFY(produto(3)->picture().isEmpty());
        QCOMPARE(produto(3)->pendingMark(), Marca::Changed);
        screen->atualizaDaBase();
        QCOMPARE(grupo(1)->picture(), caminhoImagem(QStringLiteral("cafe.svg")));
        QVERIFY(produto(3)->picture().isEmpty());
        foto(screen.get(), QStringLiteral("tela-imagem-previa"));

        tecla(Qt::Key_F2);
        QCOMPARE(grupo(1)->picture(), grupo1);
        QCOMPARE(produto(3)->picture(), produto3);
        QCOMPARE(grupo(1)->pendingMark(), Marca::None);
        QCOMPARE(produto(3)->pendingMark(), Marca::None);
    }

    // F8 acts only while the tools are on; in another mode it does nothing.
    void keyOnlyWithToolsOn() {
        tecla(Qt::Key_F3);
        tecla(Qt::Key_F8);
        QCOMPARE(mensagem(), screen->messages().Msg(QStringLiteral("Limpar")));
        chamadas = 0;
        toca(grupo(1));
        QCOMPARE(chamadas, 0);
        QCOMPARE(grupo(1)->pendingMark(), Marca::Clear);
        tecla(Qt::Key_F2);
        // The same button twice is one change, and the last picture stays.
        tecla(Qt::Key_F8);
        respostas = {QStringLiteral("a.png"), QStringLiteral("b.png")};
        toca(grupo(3));
        toca(grupo(3));
        QCOMPARE(confirmar(), QStringLiteral("Ctrl+Enter\nConfirmar (1)"));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(imagemGrupo("03").toString(), QString("b.png"));
        QCOMPARE(presenter->calls.size(), 0);
        // A picture too wide for the store is refused at confirm, with the
        // operator told, and nothing is written.
        const QVariant grupo2Antes = imagemGrupo("02");
        tecla(Qt::Key_F8);
        respostas = {QString(201, u'a') + QStringLiteral(".png")};
        toca(grupo(2));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(imagemGrupo("02"), grupo2Antes);
        QVERIFY(!presenter->calls.isEmpty());
    }
};

QTEST_MAIN(TstScreenImagem)
#include "tst_screen_imagem.moc"
