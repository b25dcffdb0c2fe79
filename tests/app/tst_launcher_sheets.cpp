// The printed menu: the PDF's sheets (their number and the text of each, read
// back with pdftotext), the PNG sheets, and the command line without a
// display, where no option may abort.

#include "LauncherRun.h"

#include <TestDatabase.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TstLauncherSheets : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestDatabase> db;
    QTemporaryDir dir;

    Saida kalmora(const QStringList& args) {
        return rodaKalmora(args, {{QStringLiteral("KALMORA_CONEXAO"), db->connectionString()},
                                  {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")}});
    }
    // As on a server with no display at all.
    Saida semTela(const QStringList& args) {
        return rodaKalmora(args, {{QStringLiteral("KALMORA_CONEXAO"), db->connectionString()},
                                  {QStringLiteral("QT_QPA_PLATFORM"), QString()},
                                  {QStringLiteral("DISPLAY"), QString()},
                                  {QStringLiteral("WAYLAND_DISPLAY"), QString()}});
    }
    // The text of each sheet of the PDF, blanks run together.
    static QStringList folhas(const QString& pdf) {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            return {QStringLiteral("pdftotext (poppler-utils) is not installed")};
        QProcess p;
        p.start(pdftotext, {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
        p.waitForFinished(60000);
        QStringList paginas = QString::fromUtf8(p.readAllStandardOutput()).split(QChar(u'\f'));
        if (!paginas.isEmpty() && paginas.last().trimmed().isEmpty())
            paginas.removeLast();
        for (QString& t : paginas)
            t = t.simplified();
        return paginas;
    }
    static void contem(const QString& folha, const QStringList& textos) {
        for (const QString& t : textos)
            QVERIFY2(folha.contains(t), qPrintable(QStringLiteral("\"%1\" not in: %2").arg(t, folha.left(400))));
    }
    QString arquivo(const char* nome, const QByteArray& conteudo = {}) {
        const QString caminho = dir.filePath(QLatin1String(nome));
        if (!conteudo.isNull()) {
            QFile f(caminho);
            if (f.open(QIODevice::WriteOnly))
                f.write(conteudo);
        }
        return caminho;
    }

private slots:
    void init() { db = std::make_unique<TestDatabase>(TestDatabase::Engine::SQLite, true); }
    void cleanup() { db.reset(); }

    void theDemoMenuOnPaper() {
        const QString pdf = arquivo("demo.pdf");
        const Saida s = kalmora({"--pdf", pdf});
        QVERIFY2(s.status == 0 && s.out.contains("9 folhas"), qPrintable(s.out + s.err));
        QVERIFY(QFile(pdf).size() > 0);
        const QStringList f = folhas(pdf);
        QCOMPARE(f.size(), 9);
        const QString hoje = QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"));
        for (int i = 0; i < f.size(); ++i)
            contem(f[i],
                   {"Kalmora - Filial 9999, configuração 00001", hoje, QStringLiteral("Folha %1 de 9").arg(i + 1)});
        contem(f[0], {"Grupos: página 1", "Bebidas", "Lanches", "Pratos", "Sobremesas", "Cafés", "Porções"});
        const char* grupos[] = {"Bebidas", "Lanches", "Pratos", "Sobremesas", "Cafés", "Porções"};
        for (int g = 0; g < 6; ++g)
            contem(f[g + 1], {QStringLiteral("Produtos do grupo %1 (botão 0%2, grupos página 1): página 1")
                                  .arg(QString::fromUtf8(grupos[g]))
                                  .arg(g + 1)});
        contem(f[1], {"Coca-Cola", "350ml"});
        contem(f[7], {"Lista de produtos do menu"});
        contem(f[8], {"Lista de produtos do menu (continuação 2)"});
        // Every product of the menu is on the list, with its code.
        const QString lista = f[7] + u' ' + f[8];
        const auto produtos = db->rows(QStringLiteral(
            "SELECT DSBUTTON, CDIDENTBUTON FROM ITMENUCONFTE WHERE CDFILIAL = '9999' AND IDTPBUTTON = '1'"));
        QVERIFY(produtos.size() > 32);
        for (const QVariantList& p : produtos)
            contem(lista, {p[0].toString().simplified(), p[1].toString()});
    }

    void twoGroupPagesWithSeveralProductPages() {
        // Group page 1: Bebidas and a right navigator; page 2: Vinhos and a
        // left navigator. Bebidas has two product pages, Vinhos one.
        const QString csv = arquivo("menu.csv", "IDTPBUTTON;NRBUTTON;NRPGCONFTELA;IDTPBUTONAUX;NRBUTTONAUX;"
                                                "NRPGCONFTAUX;DSBUTTON;NRCOLORBACK;CDIDENTBUTON\n"
                                                "2;01;1;0;0;0;Bebidas;#FF8000;\n"
                                                "7;12;1;0;0;0;inNav = 2;0;\n"
                                                "2;01;2;0;0;0;Vinhos;#800000;\n"
                                                "8;11;2;0;0;0;inNav = 1;0;\n"
                                                "1;01;1;2;01;1;Suco de Uva;#FFFFFF;P1\n"
                                                "9;36;1;2;01;1;Próxima;0;\n"
                                                "1;01;2;2;01;1;\xC3\x81gua sem g\xC3\xA1s;#FFFFFF;P2\n"
                                                "A;35;2;2;01;1;Anterior;0;\n"
                                                "1;05;1;2;01;2;Tinto Seco;#FFFFFF;P3\n");
        Saida s = kalmora({"--import-csv", csv, "--branch", "0001", "--config", "00001"});
        QVERIFY2(s.status == 0, qPrintable(s.err));
        const QString pdf = arquivo("duas.pdf");
        s = kalmora({"--pdf", pdf, "--branch", "0001", "--config", "00001"});
        QVERIFY2(s.status == 0, qPrintable(s.err));
        const QStringList f = folhas(pdf);
        QCOMPARE(f.size(), 6);
        contem(f[0], {"Grupos: página 1", "Bebidas", "Folha 1 de 6"});
        contem(f[1], {"Produtos do grupo Bebidas (botão 01, grupos página 1): página 1", "Suco de Uva"});
        contem(f[2], {"Produtos do grupo Bebidas (botão 01, grupos página 1): página 2", "Água sem gás"});
        contem(f[3], {"Grupos: página 2", "Vinhos"});
        contem(f[4], {"Produtos do grupo Vinhos (botão 01, grupos página 2): página 1", "Tinto Seco"});
        contem(f[5], {"Lista de produtos do menu", "Suco de Uva (01) P1", "Água sem gás (01) P2", "Tinto Seco (05) P3",
                      "Folha 6 de 6"});
        // Navigators show their arrows, not the names stored for the till.
        for (const QString& t : f)
            QVERIFY2(!t.contains("inNav") && !t.contains("Próxima") && !t.contains("Anterior"), qPrintable(t));
        QVERIFY(!f[0].contains("Vinhos"));
    }

    void anEmptyConfigurationStillPrints() {
        const QString pdf = arquivo("vazia.pdf");
        const Saida s = kalmora({"--pdf", pdf, "--branch", "7777"});
        QVERIFY2(s.status == 0, qPrintable(s.err));
        const QStringList f = folhas(pdf);
        QCOMPARE(f.size(), 2);
        contem(f[0], {"Filial 7777, configuração 00001", "Grupos: página 1", "Folha 1 de 2"});
        contem(f[1], {"Lista de produtos do menu", "Nenhum produto no menu"});
    }

    void pngSheetsOnePerPage() {
        const QString pasta = dir.filePath(QStringLiteral("folhas/novas"));
        const Saida s = kalmora({"--png", pasta});
        QVERIFY2(s.status == 0, qPrintable(s.err));
        const QStringList nomes = QDir(pasta).entryList({"*.png"}, QDir::Files, QDir::Name);
        QCOMPARE(nomes.size(), 9);
        QCOMPARE(nomes.first(), QStringLiteral("folha-01.png"));
        QImageReader leitor(QDir(pasta).filePath(nomes.last()));
        QCOMPARE(leitor.format(), QByteArray("png"));
        QCOMPARE(leitor.size(), QSize(1755, 1241)); // A4 landscape at 150 dpi
        // A folder that cannot be made is refused in the operator's words.
        const Saida r = kalmora({"--png", arquivo("um_arquivo", "x") + "/sub"});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains("não foi possível criar a pasta"), qPrintable(r.err));
    }

    // A pictured button prints its picture inside the button, as the screen
    // shows it; a picture that is not there leaves the caption alone.
    void picturesPrintedInsideTheirButtons() {
        QTemporaryDir imagens;
        QImage vermelho(64, 64, QImage::Format_RGB32);
        vermelho.fill(QColor(255, 0, 0));
        QVERIFY(vermelho.save(QDir(imagens.path()).filePath(QStringLiteral("vermelho.png"))));
        db->exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSIMAGEMBUT = 'vermelho.png' WHERE CDFILIAL = '9999' AND "
                                "IDTPBUTTON = '2' AND NRBUTTON = '01'"));
        db->exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSIMAGEMBUT = 'sumiu.png' WHERE CDFILIAL = '9999' AND "
                                "IDTPBUTTON = '2' AND NRBUTTON = '03'"));
        const QString pasta = dir.filePath(QStringLiteral("folhas/imagens"));
        const QString pdf = arquivo("imagens.pdf");
        for (const QStringList& args : {QStringList{"--png", pasta}, QStringList{"--pdf", pdf}}) {
            const Saida s = rodaKalmora(args, {{QStringLiteral("KALMORA_CONEXAO"), db->connectionString()},
                                               {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")},
                                               {QStringLiteral("KALMORA_IMAGENS"), imagens.path()}});
            QVERIFY2(s.status == 0 && !s.crashed, qPrintable(s.out + s.err));
        }
        const QImage folha(QDir(pasta).filePath(QStringLiteral("folha-01.png")));
        QVERIFY(!folha.isNull());
        // Group button 01 on the sheet: 105 x 47 screen pixels at 2.3, the
        // grid centred, its top 120 units down; the PNG at 150/96.
        const qreal png = 150.0 / 96.0;
        const qreal x0 = (1123.0 - (116 * 3 + 105) * 2.3) / 2;
        const QRect botao = QRectF(x0 * png, 120.0 * png, 105 * 2.3 * png, 47 * 2.3 * png).toAlignedRect();
        int dentro = 0;
        int fora = 0;
        for (int y = 0; y < folha.height(); ++y) {
            for (int x = 0; x < folha.width(); ++x) {
                const QColor c = folha.pixelColor(x, y);
                if (c.red() > 230 && c.green() < 30 && c.blue() < 30)
                    ++(botao.contains(x, y) ? dentro : fora);
            }
        }
        QVERIFY2(dentro > 2000, qPrintable(QString::number(dentro)));
        QCOMPARE(fora, 0);
        contem(folhas(pdf).value(0), {"Bebidas", "Pratos"});
    }

    void withoutADisplayNothingAborts() {
        const auto fora = [](const Saida& s) { return s.out + s.err; };
        Saida s = semTela({"--bogus"});
        QVERIFY(!s.crashed);
        QCOMPARE(s.status, 2);
        QVERIFY2(s.err.contains("a opção --bogus não existe") && s.err.contains("--pdf <ARQUIVO>") &&
                     s.err.contains("--import-csv <ARQUIVO>"),
                 qPrintable(s.err));
        s = semTela({"--pdf"});
        QVERIFY2(s.status == 2 && s.err.contains("--pdf precisa de um valor"), qPrintable(fora(s)));
        s = semTela({"--version"});
        QVERIFY2(s.status == 0 && s.out.contains(QRegularExpression("^kalmora \\d+\\.\\d+")), qPrintable(fora(s)));
        s = semTela({"--help"});
        QVERIFY2(s.status == 0 && s.out.contains("--export-csv"), qPrintable(fora(s)));
        const struct {
            QStringList args;
        } escrevem[] = {
            {{"--pdf", arquivo("sem_tela.pdf")}},        {{"--png", dir.filePath(QStringLiteral("sem_tela"))}},
            {{"--export-csv", arquivo("sem_tela.csv")}}, {{"--export", arquivo("sem_tela.xml")}},
            {{"--screenshot", arquivo("sem_tela.png")}},
        };
        for (const auto& c : escrevem) {
            s = semTela(c.args);
            QVERIFY2(!s.crashed && s.status == 0, qPrintable(c.args.join(' ') + ": " + fora(s)));
            QVERIFY2(QFileInfo::exists(c.args[1]), qPrintable(c.args[1]));
        }
        // The screen itself needs one, and says so.
        s = semTela({});
        QVERIFY2(!s.crashed && s.status == 1 && s.err.contains("não há tela gráfica"), qPrintable(fora(s)));
    }
};

QTEST_GUILESS_MAIN(TstLauncherSheets)
#include "tst_launcher_sheets.moc"
