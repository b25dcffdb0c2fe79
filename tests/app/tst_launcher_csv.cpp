// The spreadsheet commands of the launcher on a demo database (also on
// PostgreSQL when a server is named): the round trip from the XML export
// through a CSV file back to the same configuration, both separators,
// quoted fields, colours as #RRGGBB, and every refusal with the store unchanged.

#include "LauncherRun.h"

#include <TestDatabase.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TstLauncherCsv : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestDatabase> db;
    QTemporaryDir dir;

    Saida kalmora(const QStringList& args) {
        return rodaKalmora(args, {{QStringLiteral("KALMORA_CONEXAO"), db->connectionString()},
                                  {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")}});
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
    QString arquivo(const char* nome, const QByteArray& conteudo = {}) {
        const QString caminho = dir.filePath(QLatin1String(nome));
        if (!conteudo.isNull()) {
            QFile f(caminho);
            if (f.open(QIODevice::WriteOnly))
                f.write(conteudo);
        }
        return caminho;
    }
    static QByteArray le(const QString& caminho) {
        QFile f(caminho);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void recusado(const Saida& s, const QStringList& palavras, const QList<QVariantList>& antes) {
        QCOMPARE(s.status, 1);
        for (const QString& p : palavras)
            QVERIFY2(s.err.contains(p), qPrintable(p + " not in: " + s.err));
        QVERIFY2(!s.err.contains(dir.path()), qPrintable(s.err));
        QCOMPARE(tudo(), antes);
    }
    // A file of the header and one item line, the item's fields given.
    QString umItem(const char* nome, const QByteArray& linha) {
        return arquivo(nome, "IDTPBUTTON;NRBUTTON;NRPGCONFTELA;IDTPBUTONAUX;NRBUTTONAUX;NRPGCONFTAUX;DSBUTTON;"
                             "NRCOLORBACK\r\n" +
                                 linha + "\r\n");
    }

private slots:
    void init() {
        const bool pg = QByteArray(QTest::currentDataTag()) == "postgresql";
        if (pg && !TestDatabase::postgresAvailable()) {
            if (TestDatabase::postgresRequired())
                QFAIL("PostgreSQL is required (KALMORA_TEST_REQUIRE_PG) but KALMORA_TEST_PG names no server");
            QSKIP("no PostgreSQL test server (KALMORA_TEST_PG)");
        }
        db = std::make_unique<TestDatabase>(pg ? TestDatabase::Engine::PostgreSQL : TestDatabase::Engine::SQLite, true);
    }
    void cleanup() { db.reset(); }

    void roundTripThroughASpreadsheet_data() {
        QTest::addColumn<int>("unused");
        QTest::newRow("sqlite") << 0;
        QTest::newRow("postgresql") << 0;
    }
    void roundTripThroughASpreadsheet() {
        const QString xml = arquivo("demo.xml"), csv = arquivo("demo.csv"), volta = arquivo("volta.xml");
        Saida s = kalmora({"--export", xml});
        QVERIFY2(s.status == 0, qPrintable(s.err));
        s = kalmora({"--export-csv", csv});
        QVERIFY2(s.status == 0 && s.out.contains("69 itens"), qPrintable(s.out + s.err));
        const QByteArray planilha = le(csv);
        QVERIFY(planilha.startsWith("\xEF\xBB\xBF" "CDFILIAL;NRCONFTELA;IDTPBUTTON;NRBUTTON;"));
        QVERIFY(planilha.contains("\r\n"));
        QVERIFY(planilha.contains(QStringLiteral("Porções").toUtf8()));

        s = kalmora({"--import-csv", csv, "--branch", "0002", "--config", "00003"});
        QVERIFY2(s.status == 0 && s.out.contains("69 itens"), qPrintable(s.out + s.err));
        QCOMPARE(rowsOf("0002", "00003"), rowsOf("9999", "00001"));
        s = kalmora({"--export", volta, "--branch", "0002", "--config", "00003"});
        QVERIFY2(s.status == 0, qPrintable(s.err));
        QByteArray esperado = le(xml);
        esperado.replace("CDFILIAL=\"9999\"", "CDFILIAL=\"0002\"").replace("NRCONFTELA=\"00001\"", "NRCONFTELA=\"00003\"");
        QCOMPARE(le(volta), esperado);

        // Refused where the target holds items; replaced with --replace.
        const auto antes = tudo();
        recusado(kalmora({"--import-csv", csv, "--branch", "0002", "--config", "00003"}), {"--replace"}, antes);
        s = kalmora({"--import-csv", csv, "--branch", "0002", "--config", "00003", "--replace"});
        QVERIFY2(s.status == 0, qPrintable(s.err));
        QCOMPARE(rowsOf("0002", "00003"), rowsOf("9999", "00001"));
    }

    void commasQuotesAndColoursAsAManagerWritesThem_data() { roundTripThroughASpreadsheet_data(); }
    void commasQuotesAndColoursAsAManagerWritesThem() {
        // No byte-order mark, commas, a caption with a comma, a quote and a
        // line break, colours in both forms, a missing and an empty text.
        const QString csv = arquivo(
            "gerente.csv",
            QStringLiteral("idtpbutton,nrbutton,nrpgconftela,idtpbutonaux,nrbuttonaux,nrpgconftaux,dsbutton,"
                           "nrcolorback,nrcolortext,dsmessagebut,dsimagembut\n"
                           "2,01,1,0,0,0,Bebidas,#FF8000,0,,\"\"\n"
                           "1,01,1,2,01,1,\"Suco de laranja, 300 ml\nsem açúcar \"\"natural\"\"\",#0000ff,"
                           "16777215,,\n")
                .toUtf8());
        const Saida s = kalmora({"--import-csv", csv, "--branch", "0003", "--config", "00001"});
        QVERIFY2(s.status == 0 && s.out.contains("2 itens"), qPrintable(s.out + s.err));
        const auto linhas = rowsOf("0003", "00001");
        QCOMPARE(linhas.size(), 2);
        QCOMPARE(linhas[0][7].toString(), QStringLiteral("Suco de laranja, 300 ml\nsem açúcar \"natural\""));
        QCOMPARE(linhas[0][9].toDouble(), double(0xFF0000)); // #0000FF: blue is the high byte of 0x00BBGGRR
        QCOMPARE(linhas[0][8].toDouble(), 16777215.0);
        QCOMPARE(linhas[1][9].toDouble(), double(0x0080FF));
        QVERIFY(linhas[1][10].isNull());                  // an empty field: no value
        QVERIFY(!linhas[1][11].isNull());                 // "": an empty text
        QCOMPARE(linhas[1][11].toString(), QString(""));
    }

    void everyRefusalLeavesTheStoreAsItWas_data() { roundTripThroughASpreadsheet_data(); }
    void everyRefusalLeavesTheStoreAsItWas() {
        const auto antes = tudo();
        const QStringList alvo{"--branch", "0005", "--config", "1"};
        const auto importa = [&](const QString& arquivo) { return kalmora(QStringList{"--import-csv", arquivo} + alvo); };
        recusado(importa(arquivo("nao_existe.csv")), {"não existe"}, antes);
        recusado(importa(arquivo("vazio.csv", "")), {"vazia", "cabeçalho"}, antes);
        recusado(importa(arquivo("so_cabecalho.csv",
                                 "IDTPBUTTON;NRBUTTON;NRPGCONFTELA;IDTPBUTONAUX;NRBUTTONAUX;NRPGCONFTAUX\r\n")),
                 {"não tem itens"}, antes);
        recusado(importa(umItem("latin1.csv", "2;01;1;0;0;0;P\xE3o;0")), {"linha 2, coluna 7", "UTF-8"}, antes);
        recusado(importa(umItem("aspas.csv", "2;01;1;0;0;0;\"Pão;0")), {"linha 2, coluna 7", "aspas"}, antes);
        recusado(importa(arquivo("coluna.csv", "IDTPBUTTON;NRBUTTON;COR\r\n2;01;0\r\n")),
                 {"linha 1, coluna 3", "\"COR\" não é uma coluna"}, antes);
        recusado(importa(arquivo("dupla.csv", "IDTPBUTTON;NRBUTTON;nrbutton\r\n2;01;02\r\n")),
                 {"linha 1, coluna 3", "duas vezes"}, antes);
        recusado(importa(arquivo("chave.csv", "IDTPBUTTON;NRBUTTON;NRPGCONFTELA;DSBUTTON\r\n2;01;1;Bebidas\r\n")),
                 {"coluna de chave", "IDTPBUTONAUX"}, antes);
        recusado(importa(umItem("campos.csv", "2;01;1;0;0;0;Bebidas")), {"linha 2", "7 campos", "tem 8"}, antes);
        recusado(importa(umItem("hex.csv", "2;01;1;0;0;0;Bebidas;#12345G")),
                 {"linha 2, coluna 8 (NRCOLORBACK)", "#12345G"}, antes);
        // Judged by the data service, which names the item's line.
        recusado(importa(umItem("cor.csv", "2;01;1;0;0;0;\"Dois\nlinhas\";0\r\n2;02;1;0;0;0;Lanches;azul")),
                 {"Linha 4 do arquivo", "azul", "NRCOLORBACK", "não é um número"}, antes);
        recusado(importa(umItem("largo.csv", "2;01;1;0;0;0;" + QByteArray(51, 'x') + ";0")),
                 {"Linha 2 do arquivo", "DSBUTTON", "50 caracteres"}, antes);
        recusado(importa(umItem("vaga.csv", "2;01;1;0;0;0;A;0\r\n2;01;1;0;0;0;B;0")),
                 {"Linha 3 do arquivo", "mesma posição"}, antes);
        recusado(importa(umItem("chave_vazia.csv", "2;;1;0;0;0;A;0")), {"Linha 2 do arquivo", "NRBUTTON"}, antes);
        // Options.
        recusado(kalmora({"--import-csv", umItem("ok.csv", "2;01;1;0;0;0;A;0")}), {"--branch e --config"}, antes);
        recusado(kalmora({"--export-csv", arquivo("x.csv"), "--replace"}), {"--replace"}, antes);
        recusado(kalmora({"--export-csv", arquivo("x.csv"), "--pdf", arquivo("x.pdf")}), {"só um dos comandos"},
                 antes);
        recusado(kalmora({"--export-csv", dir.filePath("nao/existe/x.csv")}), {"não foi possível gravar"}, antes);
    }
};

QTEST_GUILESS_MAIN(TstLauncherCsv)
#include "tst_launcher_csv.moc"
