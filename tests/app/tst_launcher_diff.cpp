// kalmora --diff on the demo database (also on PostgreSQL when a server is
// named): two configurations, a configuration and its own export (XML and
// CSV), every kind of difference with one line per button, and the
// comparisons that cannot be made (exit 2, a Portuguese message, no SQL).

#include "LauncherRun.h"

#include <TestDatabase.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TstLauncherDiff : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestDatabase> db;
    QTemporaryDir dir;

    Saida kalmora(const QStringList& args) {
        return rodaKalmora(args, {{QStringLiteral("KALMORA_CONEXAO"), db->connectionString()},
                                  {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")}});
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
    static QStringList linhas(const Saida& s) { return s.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
    // The demo configuration copied to 0002/00003, to be changed there.
    void copia() {
        const Saida s = kalmora({"--copy-config", "9999", "00001", "--branch", "0002", "--config", "00003"});
        QVERIFY2(s.status == 0, qPrintable(s.err));
    }
    void naCopia(const QString& mudanca, const QString& onde) {
        db->exec(mudanca + QStringLiteral(" WHERE CDFILIAL = '0002' AND NRCONFTELA = '00003' AND ") + onde);
    }
    static QString produto(const char* grupo, const char* botao) {
        return QStringLiteral("IDTPBUTTON = '1' AND NRBUTTONAUX = '%1' AND NRPGCONFTAUX = '1' AND NRBUTTON = '%2' AND "
                              "NRPGCONFTELA = '1'")
            .arg(QLatin1String(grupo), QLatin1String(botao));
    }
    void naoComparou(const Saida& s, const QStringList& palavras) {
        QCOMPARE(s.status, 2);
        QVERIFY2(s.out.isEmpty(), qPrintable(s.out));
        for (const QString& p : palavras)
            QVERIFY2(s.err.contains(p), qPrintable(p + " not in: " + s.err));
        for (const char* tecnico : {"SELECT", "ITMENUCONFTE", "QSQL", "driver"})
            QVERIFY2(!s.err.contains(QLatin1String(tecnico)), qPrintable(s.err));
        QVERIFY2(!s.err.contains(dir.path()), qPrintable(s.err));
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

    void engines_data() {
        QTest::addColumn<int>("unused");
        QTest::newRow("sqlite") << 0;
        QTest::newRow("postgresql") << 0;
    }

    void theSameButtonsGiveNoOutputAndStatusZero_data() { engines_data(); }
    void theSameButtonsGiveNoOutputAndStatusZero() {
        copia();
        Saida s = kalmora({"--diff", "9999", "00001", "--branch", "0002", "--config", "00003"});
        QVERIFY2(s.status == 0 && s.out.isEmpty() && s.err.isEmpty(), qPrintable(s.out + s.err));
        // The other configuration's own export, as XML and as a spreadsheet.
        const QString xml = arquivo("copia.xml"), csv = arquivo("copia.csv");
        QCOMPARE(kalmora({"--export", xml, "--branch", "0002", "--config", "00003"}).status, 0);
        QCOMPARE(kalmora({"--export-csv", csv, "--branch", "0002", "--config", "00003"}).status, 0);
        for (const QString& f : {xml, csv}) {
            s = kalmora({"--diff", f});
            QVERIFY2(s.status == 0 && s.out.isEmpty() && s.err.isEmpty(), qPrintable(f + s.out + s.err));
        }
        // Differences only in what is not compared: the message, the moment of insertion.
        naCopia(QStringLiteral("UPDATE ITMENUCONFTE SET DSMESSAGEBUT = 'x', DTULTATUITCT = '2026-03-01 10:00:00'"),
                produto("01", "01"));
        s = kalmora({"--diff", "9999", "00001", "--branch", "0002", "--config", "00003"});
        QVERIFY2(s.status == 0 && s.out.isEmpty(), qPrintable(s.out + s.err));
    }

    void everyKindOfDifferenceIsOneLinePerButton_data() { engines_data(); }
    void everyKindOfDifferenceIsOneLinePerButton() {
        // A button of the demo menu with no picture, to be given one below.
        db->exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSIMAGEMBUT = NULL WHERE CDFILIAL = '9999' AND "
                                "NRCONFTELA = '00001' AND ") +
                 produto("01", "03"));
        copia();
        naCopia(QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = 'Refrigerantes', NRCOLORTEXT = 16777215"),
                QStringLiteral("IDTPBUTTON = '2' AND NRBUTTON = '01' AND NRPGCONFTELA = '1'"));
        naCopia(QStringLiteral("UPDATE ITMENUCONFTE SET NRCOLORBACK = 255"),
                QStringLiteral("IDTPBUTTON = '2' AND NRBUTTON = '02' AND NRPGCONFTELA = '1'"));
        naCopia(QStringLiteral("UPDATE ITMENUCONFTE SET CDIDENTBUTON = '101099'"), produto("01", "02"));
        naCopia(QStringLiteral("UPDATE ITMENUCONFTE SET DSIMAGEMBUT = 'coca.png'"), produto("01", "03"));
        naCopia(QStringLiteral("DELETE FROM ITMENUCONFTE"), produto("02", "03"));
        db->exec(QStringLiteral(
            "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, "
            "NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, "
            "DTULTATUITCT) VALUES ('0002', '00003', '1', '30', '2', '2', '02', '1', '201010', 'Combo', 0, 11571344, "
            "'', '2026-03-01 10:00:00')"));

        const Saida s = kalmora({"--diff", "9999", "00001", "--branch", "0002", "--config", "00003"});
        QVERIFY2(s.status == 1 && s.err.isEmpty(), qPrintable(s.out + s.err));
        const QStringList esperadas{
            "Grupo p.1 / 01 \"Bebidas\": nome \"Bebidas\" → \"Refrigerantes\"; cor do texto 0 (#000000) → 16777215 "
            "(#FFFFFF)",
            "Grupo p.1 / 02 \"Lanches\": cor do botão 3970790 (#E6963C) → 255 (#FF0000)",
            "Produto Refrigerantes / p.1 / 02 (grupo p.1 / 01) \"Coca-Cola Zero Lata 350ml\": produto \"101002\" → "
            "\"101099\"",
            "Produto Refrigerantes / p.1 / 03 (grupo p.1 / 01) \"Guaraná Antarctica Lata 350ml\": imagem (nenhuma) "
            "→ \"coca.png\"",
            "Produto Lanches / p.1 / 03 (grupo p.1 / 02) \"X-Bacon\": excluído",
            "Produto Lanches / p.2 / 30 (grupo p.1 / 02) \"Combo\": incluído",
        };
        QCOMPARE(linhas(s), esperadas);

        // The other way round, added and removed change places.
        const Saida volta = kalmora({"--diff", "0002", "00003", "--branch", "9999", "--config", "00001"});
        QCOMPARE(volta.status, 1);
        QVERIFY2(volta.out.contains("\"X-Bacon\": incluído") && volta.out.contains("\"Combo\": excluído"),
                 qPrintable(volta.out));
    }

    void againstAnExportFile_data() { engines_data(); }
    void againstAnExportFile() {
        const QString xml = arquivo("semana.xml"), csv = arquivo("semana.csv");
        QCOMPARE(kalmora({"--export", xml}).status, 0);
        QCOMPARE(kalmora({"--export-csv", csv}).status, 0);
        db->exec(QStringLiteral("UPDATE ITMENUCONFTE SET NRCOLORBACK = 65280 WHERE CDFILIAL = '9999' AND IDTPBUTTON = "
                                "'1' AND NRBUTTONAUX = '01' AND NRBUTTON = '05'"));
        db->exec(QStringLiteral("DELETE FROM ITMENUCONFTE WHERE CDFILIAL = '9999' AND IDTPBUTTON = '2' AND NRBUTTON "
                                "= '06'"));
        const QStringList esperadas{
            "Grupo p.1 / 06 \"Porções\": excluído",
            "Produto Bebidas / p.1 / 05 (grupo p.1 / 01) \"Fanta Laranja Lata 350ml\": cor do botão 16114120 "
            "(#C8E1F5) → 65280 (#00FF00)",
        };
        for (const QString& f : {xml, csv}) {
            const Saida s = kalmora({"--diff", f, "--branch", "9999", "--config", "00001"});
            QVERIFY2(s.status == 1 && s.err.isEmpty(), qPrintable(f + s.out + s.err));
            QCOMPARE(linhas(s), esperadas);
        }
        // A spreadsheet written by hand: commas, #RRGGBB, only some columns.
        const QString manual =
            arquivo("manual.csv", QStringLiteral("idtpbutton,nrbutton,nrpgconftela,idtpbutonaux,nrbuttonaux,"
                                                 "nrpgconftaux,dsbutton,nrcolorback\n2,01,1,0,0,0,Bebidas,#78AADC\n")
                                      .toUtf8());
        const Saida s = kalmora({"--diff", manual});
        QCOMPARE(s.status, 1);
        QVERIFY2(!s.out.contains("\"Bebidas\":"), qPrintable(s.out)); // the same caption and colour
        QVERIFY2(s.out.contains("Grupo p.1 / 02 \"Lanches\": incluído"), qPrintable(s.out));
    }

    void whatCannotBeComparedExitsTwo_data() { engines_data(); }
    void whatCannotBeComparedExitsTwo() {
        naoComparou(kalmora({"--diff", "9999", "00009"}), {"filial 9999, configuração 00009 não tem itens"});
        naoComparou(kalmora({"--diff", "9999", "00001", "--branch", "0007", "--config", "1"}),
                    {"filial 0007, configuração 1 não tem itens"});
        naoComparou(kalmora({"--diff", arquivo("nao_existe.xml")}), {"não existe", "--diff FILIAL CONFIGURAÇÃO"});
        naoComparou(kalmora({"--diff", arquivo("outro.xml", "<?xml version=\"1.0\"?><menu/>")}), {"DATAPACKET"});
        naoComparou(kalmora({"--diff", arquivo("quebrado.xml", "<DATAPACKET Version=\"2.0\"><METADATA>")}),
                    {"XML válido"});
        naoComparou(kalmora({"--diff", arquivo("dupla.csv", "IDTPBUTTON;NRBUTTON;NRPGCONFTELA;IDTPBUTONAUX;"
                                                            "NRBUTTONAUX;NRPGCONFTAUX\r\n2;01;1;0;0;0\r\n2;01;1;0;0;0"
                                                            "\r\n")}),
                    {"linha 3 do arquivo: a mesma posição de linha 2 do arquivo"});
        naoComparou(kalmora({"--diff", arquivo("chave.csv", "IDTPBUTTON;NRBUTTON;DSBUTTON\r\n2;01;A\r\n")}),
                    {"falta a coluna de posição NRPGCONFTELA"});
        naoComparou(kalmora({"--diff", arquivo("cor.csv", "IDTPBUTTON;NRBUTTON;NRPGCONFTELA;IDTPBUTONAUX;NRBUTTONAUX;"
                                                          "NRPGCONFTAUX;NRCOLORBACK\r\n2;01;1;0;0;0;azul\r\n")}),
                    {"linha 2 do arquivo", "azul", "NRCOLORBACK", "não é um número"});
        naoComparou(kalmora({"--diff", arquivo("aspas.csv", "IDTPBUTTON;NRBUTTON\r\n\"2;01\r\n")}), {"linha 2"});
        const Saida aspas = kalmora({"--diff", arquivo("aspas.csv")});
        QVERIFY2(!aspas.err.contains("gravado"), qPrintable(aspas.err)); // nothing was to be written
        // The command line.
        naoComparou(kalmora({"--diff", "99999", "1"}), {"filial \"99999\" não é válida"});
        naoComparou(kalmora({"--diff", "9999", "000001"}), {"configuração \"000001\" não é válida"});
        naoComparou(kalmora({"--diff", "9999", "00001", "sobra"}), {"\"sobra\""});
        naoComparou(kalmora({"--diff", "9999", "00001", "--branch", "12345"}), {"filial \"12345\""});
        naoComparou(kalmora({"--diff", "9999", "00001", "--replace"}), {"--replace"});
        naoComparou(kalmora({"--diff", "9999", "00001", "--export", arquivo("x.xml")}), {"só um dos comandos"});
        naoComparou(kalmora({"--diff"}), {"--diff precisa de um valor"});
    }

    void aStoreThatCannotBeOpenedExitsTwo() {
        const Saida s = rodaKalmora({"--diff", "9999", "00001"},
                                    {{QStringLiteral("KALMORA_CONEXAO"),
                                      QStringLiteral("Provider=SQLite;Data Source=") + dir.filePath("falta.db")},
                                     {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")}});
        QCOMPARE(s.status, 2);
        QVERIFY2(s.err.contains("banco de dados"), qPrintable(s.err));
        QVERIFY2(!s.err.contains(dir.path()), qPrintable(s.err));
    }
};

QTEST_GUILESS_MAIN(TstLauncherDiff)
#include "tst_launcher_diff.moc"
