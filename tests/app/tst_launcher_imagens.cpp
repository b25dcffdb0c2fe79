// Export and import carrying the pictures of the buttons, on a demo database
// (also on PostgreSQL when a server is named): the pictures in the folder
// beside the export file, references relative to it, copied into another
// till's picture folder without replacing a different picture of the same
// name, and removed again when the items do not go in.

#include <TestDatabase.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Saida {
    int status = -1;
    QString out, err;
};

void desenha(const QString& caminho, QColor cor) {
    QDir().mkpath(QFileInfo(caminho).path());
    QImage imagem(40, 30, QImage::Format_RGB32);
    imagem.fill(cor);
    QVERIFY(imagem.save(caminho));
}

QByteArray conteudo(const QString& caminho) {
    QFile f(caminho);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList arquivos(const QString& pasta) {
    QStringList out;
    const QDir base(pasta);
    for (const QFileInfo& i : base.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (i.isDir())
            for (const QString& f : arquivos(i.filePath()))
                out << i.fileName() + u'/' + f;
        else
            out << i.fileName();
    }
    out.sort();
    return out;
}

} // namespace

class TstLauncherImagens : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestDatabase> db;
    QTemporaryDir dir;

    Saida kalmora(const QStringList& args, const QString& pastaImagens) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KALMORA_CONEXAO"), db->connectionString());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("KALMORA_IMAGENS"), pastaImagens);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KALMORA_EXE), args);
        if (!p.waitForFinished(60000))
            return {};
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    void poeImagem(const QString& where, const QString& ref) {
        db->exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSIMAGEMBUT = '%1' WHERE CDFILIAL = '9999' AND NRCONFTELA = "
                                "'00001' AND %2")
                     .arg(ref, where));
    }
    QStringList imagens(const QString& filial, const QString& conf) {
        QStringList out;
        for (const auto& r :
             db->rows(QStringLiteral("SELECT IDTPBUTTON, NRBUTTON, DSIMAGEMBUT FROM ITMENUCONFTE WHERE "
                                     "CDFILIAL = '%1' AND NRCONFTELA = '%2' AND DSIMAGEMBUT IS NOT NULL "
                                     "AND DSIMAGEMBUT <> '' ORDER BY IDTPBUTTON, NRBUTTON")
                          .arg(filial, conf)))
            out << r[0].toString() + u'/' + r[1].toString() + u'=' + r[2].toString();
        return out;
    }

private slots:
    void init() {
        const bool pg = QByteArray(QTest::currentDataTag()) == "postgresql";
        if (pg)
            KMR_REQUIRE_POSTGRES();
        db = std::make_unique<TestDatabase>(pg ? TestDatabase::Engine::PostgreSQL : TestDatabase::Engine::SQLite, true);
    }
    void cleanup() { db.reset(); }

    void exportWithPicturesAndImportElsewhere_data() {
        QTest::addColumn<int>("unused");
        QTest::newRow("sqlite") << 0;
        QTest::newRow("postgresql") << 0;
    }
    void exportWithPicturesAndImportElsewhere() {
        const QString base = dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        const QString pastaA = base + "/tillA/imagens";
        const QString pastaB = base + "/tillB/imagens";
        const QString fora = base + "/fora/logo.png";
        desenha(pastaA + "/lanche.png", Qt::red);
        desenha(pastaA + "/bebidas/suco.png", Qt::green);
        desenha(fora, Qt::blue);
        desenha(pastaB + "/lanche.png", Qt::yellow);      // another picture of the same name
        desenha(pastaB + "/bebidas/suco.png", Qt::green); // the same picture
        const QByteArray amareloB = conteudo(pastaB + "/lanche.png");
        // Only the pictures set here: the demo menu's own are taken off.
        db->exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSIMAGEMBUT = NULL WHERE CDFILIAL = '9999' AND "
                                "NRCONFTELA = '00001'"));
        poeImagem("IDTPBUTTON = '2' AND NRBUTTON = '01' AND NRPGCONFTELA = '1'", "lanche.png");
        poeImagem("IDTPBUTTON = '2' AND NRBUTTON = '02' AND NRPGCONFTELA = '1'", fora);
        poeImagem("IDTPBUTTON = '1' AND NRBUTTON = '01' AND NRBUTTONAUX = '01' AND NRPGCONFTELA = '1'",
                  "bebidas/suco.png");
        poeImagem("IDTPBUTTON = '1' AND NRBUTTON = '02' AND NRBUTTONAUX = '01' AND NRPGCONFTELA = '1'", "sumiu.png");

        const QString xml = base + "/export/menu.xml";
        QDir().mkpath(QFileInfo(xml).path());
        Saida s = kalmora({"--export", xml, "--with-pictures"}, pastaA);
        QVERIFY2(s.status == 0, qPrintable(s.err));
        QVERIFY2(s.out.contains("3 imagens gravadas") && s.out.contains("sumiu.png"), qPrintable(s.out));
        QVERIFY2(!s.out.contains(base), qPrintable(s.out)); // no folder shown
        QCOMPARE(arquivos(xml + ".imagens"), QStringList({"bebidas/suco.png", "lanche.png", "logo.png"}));
        QCOMPARE(conteudo(xml + ".imagens/lanche.png"), conteudo(pastaA + "/lanche.png"));
        const QByteArray texto = conteudo(xml);
        QVERIFY(texto.contains("\"logo.png\"") && !texto.contains(fora.toUtf8())); // relative in the file
        // The store of the exporting till is not changed by the export.
        QVERIFY(imagens("9999", "00001").contains("2/02=" + fora));

        // Another till: the pictures come in, the yellow one stays.
        s = kalmora({"--import", xml, "--branch", "0002", "--config", "00003"}, pastaB);
        QVERIFY2(s.status == 0, qPrintable(s.err));
        QVERIFY2(s.out.contains("69 itens importados"), qPrintable(s.out));
        QVERIFY2(s.out.contains("2 imagens copiadas") && s.out.contains("1 imagem já estava") &&
                     s.out.contains("lanche.png → lanche (2).png"),
                 qPrintable(s.out));
        QCOMPARE(arquivos(pastaB), QStringList({"bebidas/suco.png", "lanche (2).png", "lanche.png", "logo.png"}));
        QCOMPARE(conteudo(pastaB + "/lanche.png"), amareloB);
        QCOMPARE(conteudo(pastaB + "/lanche (2).png"), conteudo(pastaA + "/lanche.png"));
        QCOMPARE(imagens("0002", "00003"),
                 QStringList({"1/01=bebidas/suco.png", "1/02=sumiu.png", "2/01=lanche (2).png", "2/02=logo.png"}));

        // Items refused: the pictures written for them go again.
        const QString pastaC = base + "/tillC/imagens";
        s = kalmora({"--import", xml, "--branch", "0002", "--config", "00003"}, pastaC);
        QCOMPARE(s.status, 1);
        QVERIFY(arquivos(pastaC).isEmpty());

        // A reference that leads out of the folder beside the file is not followed.
        QFile f(xml);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(texto).replace("\"logo.png\"", "\"../../fora/logo.png\""));
        f.close();
        const QString pastaD = base + "/tillD/imagens";
        s = kalmora({"--import", xml, "--branch", "0003", "--config", "00001"}, pastaD);
        QVERIFY2(s.status == 0, qPrintable(s.err));
        QVERIFY(!arquivos(pastaD).contains("logo.png"));
        QVERIFY(!QFileInfo::exists(base + "/tillD/fora/logo.png"));
        QVERIFY(!QFileInfo::exists(base + "/fora/fora/logo.png"));

        // The option belongs to the export.
        s = kalmora({"--import", xml, "--branch", "0004", "--config", "00001", "--with-pictures"}, pastaD);
        QCOMPARE(s.status, 1);
        QVERIFY2(s.err.contains("--with-pictures só vale com --export"), qPrintable(s.err));
    }
};

QTEST_MAIN(TstLauncherImagens)
#include "tst_launcher_imagens.moc"
