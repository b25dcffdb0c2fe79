// The launcher run as a separate process: the options naming the
// configuration and their refusals, and export, import and copy of a
// configuration on a demo database (also on PostgreSQL when a server is named).

#include <TestDatabase.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Saida {
    int status = -1;
    QString out, err;
};

} // namespace

class TstLauncher : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestDatabase> db;
    QTemporaryDir dir;

    Saida kalmora(const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KALMORA_CONEXAO"), db->connectionString());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KALMORA_EXE), args);
        if (!p.waitForFinished(60000))
            return {};
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    QList<QVariantList> rowsOf(const QString& filial, const QString& conf) {
        return db->rows(QStringLiteral("SELECT IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, NRBUTTONAUX, "
                                       "NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, "
                                       "DSIMAGEMBUT, DTULTATUITCT FROM ITMENUCONFTE WHERE CDFILIAL = '%1' AND "
                                       "NRCONFTELA = '%2' ORDER BY IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, "
                                       "NRBUTTONAUX, NRPGCONFTAUX")
                            .arg(filial, conf));
    }
    QList<QVariantList> tudo() {
        return db->rows(QStringLiteral("SELECT * FROM ITMENUCONFTE ORDER BY CDFILIAL, NRCONFTELA, IDTPBUTTON, "
                                       "NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX"));
    }
    void refused(const Saida& s, const QString& palavra, const QList<QVariantList>& antes) {
        QCOMPARE(s.status, 1);
        QVERIFY2(s.err.contains(palavra), qPrintable(s.err));
        QVERIFY2(!s.err.contains(dir.path()), qPrintable(s.err));
        QCOMPARE(tudo(), antes);
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
    void init() {
        const bool pg = QByteArray(QTest::currentDataTag()) == "postgresql";
        if (pg)
            KMR_REQUIRE_POSTGRES();
        db = std::make_unique<TestDatabase>(pg ? TestDatabase::Engine::PostgreSQL : TestDatabase::Engine::SQLite, true);
    }
    void cleanup() { db.reset(); }

    void optionsAreRefusedBeforeTheScreenOpens() {
        const struct {
            QStringList args;
            const char* palavra;
        } casos[] = {
            {{"--branch", ""}, "filial está vazia"},
            {{"--branch", "12345"}, "filial \"12345\" não é válida"},
            {{"--config", "123456"}, "configuração \"123456\" não é válida"},
            {{"--config", " 1"}, "configuração \" 1\" não é válida"},
            {{"--store", "123"}, "loja \"123\" não é válida"},
            {{"--replace"}, "--replace só vale"},
            {{"--import", "x.xml"}, "--branch e --config"},
            {{"--export", "a.xml", "--import", "b.xml", "--branch", "1", "--config", "1"}, "só um dos comandos"},
        };
        for (const auto& c : casos) {
            const Saida s = kalmora(c.args);
            QCOMPARE(s.status, 1);
            QVERIFY2(s.err.contains(QString::fromUtf8(c.palavra)), qPrintable(c.args.join(' ') + ": " + s.err));
        }
        // A valid configuration opens the screen on it (rendered and closed).
        const Saida s = kalmora({"--branch", "0001", "--config", "00002", "--screenshot", arquivo("tela.png")});
        QVERIFY2(s.status == 0, qPrintable(s.err));
    }

    void exportImportAndCopy_data() {
        QTest::addColumn<int>("unused");
        QTest::newRow("sqlite") << 0;
        QTest::newRow("postgresql") << 0;
    }
    void exportImportAndCopy() {
        const QString xml = arquivo("demo.xml");
        Saida s = kalmora({"--export", xml});
        QVERIFY2(s.status == 0, qPrintable(s.err));
        QVERIFY2(s.out.contains("69 itens"), qPrintable(s.out));

        s = kalmora({"--import", xml, "--branch", "0002", "--config", "00003"});
        QVERIFY2(s.status == 0, qPrintable(s.err));
        QVERIFY2(s.out.contains("69 itens importados"), qPrintable(s.out));
        QCOMPARE(rowsOf("0002", "00003"), rowsOf("9999", "00001"));

        // Into a configuration that holds items: refused, then replaced.
        auto antes = tudo();
        refused(kalmora({"--import", xml, "--branch", "0002", "--config", "00003"}), "--replace", antes);
        s = kalmora({"--copy-config", "9999", "00001", "--branch", "0002", "--config", "00003", "--replace"});
        QVERIFY2(s.status == 0, qPrintable(s.err));
        QCOMPARE(rowsOf("0002", "00003"), rowsOf("9999", "00001"));
        s = kalmora({"--copy-config", "0002", "00003", "--branch", "0004", "--config", "00001"});
        QVERIFY2(s.status == 0 && s.out.contains("69 itens copiados"), qPrintable(s.out + s.err));
        QCOMPARE(rowsOf("0004", "00001"), rowsOf("9999", "00001"));

        // An empty configuration exports an empty packet and is no source.
        const QString vazio = arquivo("vazio.xml");
        s = kalmora({"--export", vazio, "--branch", "7777"});
        QVERIFY2(s.status == 0 && s.out.contains("não tem itens"), qPrintable(s.out + s.err));
        antes = tudo();
        refused(kalmora({"--import", vazio, "--branch", "0005", "--config", "1"}), "não tem itens", antes);
        refused(kalmora({"--copy-config", "7777", "00001", "--branch", "0005", "--config", "1"}), "não tem itens",
                antes);

        // Files that are not what they should be.
        refused(kalmora({"--import", arquivo("nao_existe.xml"), "--branch", "0005", "--config", "1"}), "não existe",
                antes);
        refused(kalmora({"--import", arquivo("texto.xml", "isto não é xml"), "--branch", "0005", "--config", "1"}),
                "não é um XML", antes);
        refused(
            kalmora({"--import", arquivo("outro.xml", "<menu><item/></menu>"), "--branch", "0005", "--config", "1"}),
            "não é um pacote de dados", antes);
        QFile f(xml);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QByteArray conteudo = f.readAll();
        QByteArray corRuim = conteudo;
        const int cor = corRuim.indexOf("NRCOLORBACK=\"");
        QVERIFY(cor > 0);
        corRuim.insert(cor + 13, "azul");
        refused(kalmora({"--import", arquivo("cor.xml", corRuim), "--branch", "0005", "--config", "1"}),
                "valor inválido", antes);
        QByteArray semChave = conteudo;
        semChave.replace("attrname=\"NRBUTTONAUX\"", "attrname=\"OUTRA\"");
        refused(kalmora({"--import", arquivo("chave.xml", semChave), "--branch", "0005", "--config", "1"}),
                "NRBUTTONAUX", antes);
    }
};

QTEST_GUILESS_MAIN(TstLauncher)
#include "tst_launcher.moc"
