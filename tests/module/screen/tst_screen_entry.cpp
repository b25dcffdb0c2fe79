// Entry point and initialisation of the configuration screen.

#include "ScreenFixture.h"

#include <Cli_Kmr00003.h>
#include <DataPacket.h>
#include <Srv_Kmr00003.h>
#include <TBlendedBitBtn.h>
#include <TBlendedShape.h>
#include <TTouchButton.h>
#include <TfrmConfGrupo.h>
#include <TrdmConfGrupo.h>

#include <QFile>
#include <QLabel>
#include <QTest>

class TstScreenEntry : public ScreenFixture {
    Q_OBJECT
public:
    TstScreenEntry() : ScreenFixture(Tela::PeloTeste) {}

private:
    void writeParameters(const QStringList& fields, const QVariantList& values) {
        QList<FieldDef> defs;
        for (const QString& f : fields)
            defs << FieldDef{f, FieldKind::Integer, 0};
        DataPacket packet(defs);
        packet.appendRow(values);
        QString error;
        QVERIFY2(packet.saveToFile(TfrmConfGrupo::parameterFilePath(), &error), qPrintable(error));
    }
    QString dump() {
        QStringList out;
        for (const QVariantList& row : db->rows(QStringLiteral("SELECT * FROM ITMENUCONFTE ORDER BY 1,2,3,4,5,6,7,8")))
            for (const QVariant& v : row)
                out << v.toString();
        return out.join(QLatin1Char('|'));
    }

private slots:
    void layoutTextsAndStartState() {
        openScreen();
        QCOMPARE(screen->objectName(), QStringLiteral("frmConfGrupo"));
        QCOMPARE(screen->windowTitle(), QStringLiteral("Kalmora - Configuração Tela de Vendas"));
        QVERIFY(screen->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(screen->size(), QSize(800, 600));
        // Rounded window: the corner pixel lies outside the region, the centre inside.
        QVERIFY(!screen->mask().contains(QPoint(0, 0)));
        QVERIFY(screen->mask().contains(QPoint(400, 300)));

        QCOMPARE(grupo(1)->geometry(), QRect(247, 48, 105, 47));
        QCOMPARE(grupo(12)->geometry(), QRect(596, 173, 105, 47));
        QCOMPARE(marcador(5)->geometry(), QRect(247, 96, 105, 14));
        QCOMPARE(produto(8)->geometry(), QRect(76, 55, 75, 53));
        QCOMPARE(produto(36)->geometry(), QRect(380, 266, 75, 53));
        QCOMPARE(produto(36)->parentWidget()->objectName(), QStringLiteral("panBalcao"));
        QCOMPARE(produto(36)->parentWidget()->geometry(), QRect(248, 271, 455, 319));
        QCOMPARE(ferramenta("tcbConfirma")->geometry(), QRect(15, 325, 109, 65));
        QCOMPARE(screen->findChild<QWidget*>(QStringLiteral("shpMostraCor"))->geometry(), QRect(710, 522, 75, 45));
        QCOMPARE(screen->findChild<QWidget*>(QStringLiteral("Bevel3"))->geometry(), QRect(246, 33, 459, 557));

        QCOMPARE(ferramenta("tcbCorButton")->caption(), QStringLiteral("F7-Cor Botão"));
        QCOMPARE(ferramenta("tcbConfirma")->caption(), QStringLiteral("Ctrl+Enter\nConfirmar"));
        QCOMPARE(ferramenta("tcbCancela")->caption(), QStringLiteral("F2 - Cancelar"));
        QVERIFY(!ferramenta("tcbLimpar")->glyph().isNull());
        QCOMPARE(label("lblMenu")->text(), QStringLiteral("Configuração Tela de Vendas"));
        QCOMPARE(mensagem(), QStringLiteral("Clique em um dos botões desta tela para associar produtos ou "
                                            "adicionar grupos de produtos."));
        QVERIFY(label("lblCodTela")->text().startsWith(QStringLiteral("Kmr00003")));

        const QStringList lines = screen->messages().lines();
        QCOMPARE(lines.size(), 15);
        QCOMPARE(screen->messages().Msg(QStringLiteral("FILIAL")), QStringLiteral("Filial "));
        QCOMPARE(screen->messages().Msg(QStringLiteral("Versao")), QStringLiteral("Versão "));
        QCOMPARE(lines.last(), QStringLiteral("Conf_Caixa|Configuração do Caixa"));

        // Only the marker of the group in focus; only the edit tools.
        for (int n = 1; n <= 12; ++n)
            QCOMPARE(marcador(n)->isVisible(), n == 1);
        QVERIFY(marcador(1)->testAttribute(Qt::WA_TransparentForMouseEvents));
        QCOMPARE(marcador(1)->color(), 14461560); // the colour of its group
        QCOMPARE(enabledTools(),
                 QStringList({"tcbLimpar", "tcbNome", "tcbCorButton", "tcbCorTexto", "tcbRecortar", "tcbSair"}));
        QVERIFY(!screen->findChild<QWidget*>(QStringLiteral("shpMostraCor"))->isVisible());
        QCOMPARE(screen->focusGroup(), QStringLiteral("01"));
        QVERIFY(screen->pendingChanges().isEmpty());
        QVERIFY(screen->cutSet().isEmpty());
        QVERIFY(presenter->calls.isEmpty());
    }

    void defaultColoursWithoutParameterFile() {
        openScreen();
        const std::array<int, 6> expected = {12960962, 14737632, 8683643, 8421504, 15658734, 8388608};
        QCOMPARE(screen->screenColors(), expected);
    }

    void coloursFromParameterFile() {
        writeParameters({"INCOR1", "INCOR2", "INCOR3", "INCOR4", "INCOR5", "INCOR6"}, {1, 2, 3, 255, 65280, 16711680});
        openScreen();
        const std::array<int, 6> expected = {1, 2, 3, 255, 65280, 16711680};
        QCOMPARE(screen->screenColors(), expected);
        QCOMPARE(screen->findChild<TBlendedShape*>(QStringLiteral("blsBotoes"))->fillColor(), QColor(3, 0, 0));
    }

    void parameterFileProblemsReportedNamingTheFile_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("problem");
        QTest::newRow("lacks INCOR3") << QByteArray() << QStringLiteral("INCOR3");
        QTest::newRow("malformed") << QByteArray("<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>")
                                   << QStringLiteral("danificado");
    }
    void parameterFileProblemsReportedNamingTheFile() {
        QFETCH(QByteArray, content);
        QFETCH(QString, problem);
        if (content.isEmpty()) {
            writeParameters({"INCOR1", "INCOR2", "INCOR4", "INCOR5", "INCOR6"}, {1, 2, 4, 5, 6});
        } else {
            QFile f(TfrmConfGrupo::parameterFilePath());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        const QString before = dump();
        QVERIFY(!runEntry());
        QCOMPARE(presenter->calls.size(), 1);
        const MensagemArgs& report = presenter->calls.first();
        QVERIFY2(report.texto.contains(QStringLiteral("PARAMETROSKMR.CDS")), qPrintable(report.texto));
        QVERIFY2(report.texto.contains(problem), qPrintable(report.texto));
        QCOMPARE(report.tipo, 3);
        QCOMPARE(report.codigo, QStringLiteral("002"));
        QCOMPARE(report.pergunta, QStringLiteral("N"));
        QVERIFY(!rdmConfGrupo);
        QVERIFY(!frmConfGrupo);
        QCOMPARE(dump(), before);
    }

    void escClosesAndWritesNothing() {
        const QString before = dump();
        TfrmConfGrupo* seen = nullptr;
        QVERIFY(runEntry([&](TfrmConfGrupo* tela) {
            seen = tela;
            QCOMPARE(frmConfGrupo, tela);
            QVERIFY(rdmConfGrupo);
        }));
        QVERIFY(seen);
        QVERIFY(presenter->calls.isEmpty());
        QVERIFY(!frmConfGrupo);
        QVERIFY(!rdmConfGrupo);
        QCOMPARE(dump(), before);
    }

    void databaseProblemReportedOnce_data() {
        QTest::addColumn<QString>("conexao");
        QTest::newRow("server unreachable")
            << "Provider=PostgreSQL;Host=127.0.0.1;Port=1;Database=nada;User ID=kmr;Password=segredo123";
        QTest::newRow("schema missing") << "Provider=SQLite;Data Source=%1/vazio.db";
    }
    void databaseProblemReportedOnce() {
        QFETCH(QString, conexao);
        qputenv("KALMORA_CONEXAO", conexao.arg(paramDir->path()).toUtf8());
        QVERIFY(!runEntry());
        // One report (a failure text is shown once, never again by the entry point).
        QCOMPARE(presenter->calls.size(), 1);
        QCOMPARE(presenter->calls.first().tipo, 3);
        QVERIFY(!presenter->calls.first().texto.isEmpty());
        QVERIFY(!presenter->calls.first().texto.contains(QStringLiteral("segredo123")));
        QVERIFY(!rdmConfGrupo);
        QVERIFY(!frmConfGrupo);
    }

    void corButtonSurvivesCloseAndReopen() {
        cores = {QStringLiteral("255")};
        QVERIFY(runEntry([&](TfrmConfGrupo* tela) { QTest::keyClick(tela, Qt::Key_F7); }));
        QCOMPARE(CorButton, QStringLiteral("255"));
        QVERIFY(runEntry());
        QCOMPARE(CorButton, QStringLiteral("255"));
        QCOMPARE(corChamadas, 1);
        QVERIFY(runEntry([&](TfrmConfGrupo* tela) { QTest::keyClick(tela, Qt::Key_F7); }));
        QCOMPARE(CorButton, QStringLiteral("X"));
    }
};

QTEST_MAIN(TstScreenEntry)
#include "tst_screen_entry.moc"
