// The journal of the menu's changes: every kind of change undone gives the
// configuration back exactly and redone gives the change again, an undo over
// another station's change is refused and writes nothing, an empty action
// leaves nothing, the history and the restore to a moment, the prune, and
// the journal in a file of its own for a database the program did not make.
// Run on SQLite and, when a server is named, on PostgreSQL.

#include "SrvFixture.h"

#include <DataPacket.h>
#include <Diario.h>
#include <DiarioCaptura.h>
#include <HostErrors.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

namespace {

const QString B = QStringLiteral("9999");
const QString C = QStringLiteral("00001");
const QString kSessao = QStringLiteral("sessao-teste-1");

void insere(const char* tipo, const char* botao, const QString& nome, const char* pagina, const char* tipoAux,
            const char* botaoAux, const char* paginaAux, const QString& conf = C) {
    QVariant r;
    const int32_t status =
        getInsere(B, conf, QString::fromLatin1(tipo), QString::fromLatin1(botao), nome, 255.0f, 11571344.0f, QString(),
                  QStringLiteral("101001"), QString::fromLatin1(pagina), QString::fromLatin1(tipoAux),
                  QString::fromLatin1(botaoAux), QString::fromLatin1(paginaAux), r);
    QVERIFY2(status == 0 && r.toString().isEmpty(), qPrintable(r.toString()));
}

// Groups 01 and 02 on page 1, group 01 on page 2, products under group 01 of
// page 1 on its pages 1 and 2.
void preenche(const QString& conf = C) {
    insere("2", "01", QStringLiteral("Pratos"), "1", "0", "0", "0", conf);
    insere("2", "02", QStringLiteral("Bebidas"), "1", "0", "0", "0", conf);
    insere("2", "01", QStringLiteral("Doces"), "2", "0", "0", "0", conf);
    insere("1", "01", QStringLiteral("Arroz"), "1", "2", "01", "1", conf);
    insere("1", "02", QStringLiteral("Feijão"), "1", "2", "01", "1", conf);
    insere("1", "05", QStringLiteral("Salada"), "2", "2", "01", "1", conf);
    insere("1", "01", QStringLiteral("Suco"), "1", "2", "02", "1", conf);
}

} // namespace

// Yesterday: within the journal's age, so that no prune removes it.
static QString ontem() {
    return QDate::currentDate().addDays(-1).toString(QStringLiteral("yyyy-MM-dd"));
}

class SrvDiario : public SrvFixture {
    Q_OBJECT
public:
    using SrvFixture::SrvFixture;

private:
    QByteArray exporta(const QString& conf = C) {
        QVariant r;
        if (getExportaConf(B, conf, r) != 0 || !isDataPacket(r))
            return QByteArray("falhou: ") + r.toString().toUtf8();
        return r.value<DataPacket>().toXml();
    }
    int entradas() { return db().rows(QStringLiteral("SELECT COUNT(*) FROM KMRDIARIO")).value(0).value(0).toInt(); }
    // The steps a write recorded against what the reads of its configuration
    // before and after it show: the same, in key order and byte for byte.
    void confereEscrita(const char* oque, const QString& conf, const std::function<void()>& escrita,
                        bool mudaAlgo = true) {
        Diario::Livro& livro = Diario::livro(*rdmConfGrupo);
        const auto ultima = [&] {
            return db().rows(QStringLiteral("SELECT MAX(NRDIARIO) FROM KMRDIARIO")).value(0).value(0).toLongLong();
        };
        const qint64 desde = ultima();
        const Diario::Retrato antes = livro.leConfiguracao(B, conf);
        escrita();
        const QList<Diario::Passo> esperados = Diario::diferencas(antes, livro.leConfiguracao(B, conf));
        const auto gravados =
            db().rows(QStringLiteral("SELECT DSANTES, DSDEPOIS FROM KMRDIARIOPASSO WHERE NRDIARIO > %1 ORDER BY "
                                     "NRDIARIO, NRPASSO")
                          .arg(desde));
        QVERIFY2(esperados.isEmpty() != mudaAlgo, oque);
        QCOMPARE(gravados.size(), esperados.size());
        for (qsizetype i = 0; i < esperados.size(); ++i) {
            QCOMPARE(gravados[i].value(0).toString().toUtf8(), esperados[i].antes);
            QCOMPARE(gravados[i].value(1).toString().toUtf8(), esperados[i].depois);
        }
    }

    // Steps whose entry is not in the journal (none in a sound one).
    int passosSemEntrada() {
        return db()
            .rows(QStringLiteral(
                "SELECT COUNT(*) FROM KMRDIARIOPASSO WHERE NRDIARIO NOT IN (SELECT NRDIARIO FROM KMRDIARIO)"))
            .value(0)
            .value(0)
            .toInt();
    }
    void inicia(const QString& descricao, const QString& conf = C) {
        QVariant r;
        QCOMPARE(setIniciaAcao(B, conf, kSessao, QStringLiteral("T"), descricao, r), 0);
        QCOMPARE(r.toString(), QString());
    }
    void termina() {
        QVariant r;
        QCOMPARE(setTerminaAcao(r), 0);
    }
    DataPacket pesqDesfazer(const QString& conf = C) {
        return packet(call([&](QVariant& r) { return getPesqDesfazer(B, conf, kSessao, r); }));
    }
    QString proximo(const char* operacao, const QString& conf = C) {
        const DataPacket p = pesqDesfazer(conf);
        for (int i = 0; i < p.rowCount(); ++i)
            if (p.text(i, p.indexOf(u"IDOPERACAO")) == QLatin1String(operacao))
                return p.text(i, p.indexOf(u"NRDIARIO"));
        return QString();
    }
    Call desfaz(const QString& nr) {
        return call([&](QVariant& r) { return getDesfazer(nr, kSessao, r); });
    }
    Call refaz(const QString& nr) {
        return call([&](QVariant& r) { return getRefazer(nr, kSessao, r); });
    }
    // One action undone and redone: the configuration `conf` exported before
    // it, after the undo, and after the redo as after the action.
    void idaEVolta(const QString& descricao, const std::function<void()>& acao, const QString& conf = C) {
        const QByteArray antes = exporta(conf);
        inicia(descricao, conf);
        acao();
        termina();
        const QByteArray depois = exporta(conf);
        QVERIFY2(depois != antes, qPrintable(descricao));
        const QString nr = proximo("D", conf);
        QVERIFY2(!nr.isEmpty(), qPrintable(descricao));
        QCOMPARE(pesqDesfazer(conf).text(0, pesqDesfazer(conf).indexOf(u"DSACAO")), descricao);
        const Call d = desfaz(nr);
        QVERIFY2(d.ok(), qPrintable(descricao + u' ' + d.text()));
        QCOMPARE(exporta(conf), antes);
        QCOMPARE(proximo("R", conf), nr);
        const Call f = refaz(nr);
        QVERIFY2(f.ok(), qPrintable(descricao + u' ' + f.text()));
        QCOMPARE(exporta(conf), depois);
        // Undone again, for the next action to start from the same store.
        QVERIFY(desfaz(nr).ok());
        QCOMPARE(exporta(conf), antes);
    }
    static void ok(int32_t status, const QVariant& r) {
        QVERIFY2(status == 0 && r.typeId() == QMetaType::QString && r.toString().isEmpty(), qPrintable(r.toString()));
    }

private slots:
    // The image of a packet row is the one the values give, byte for byte:
    // the journal compares a stored image with a row read now.
    void theImageOfARowIsTheImageOfItsValues() {
        DataPacket linhas({FieldDef{QStringLiteral("T"), FieldKind::Text, 200},
                           FieldDef{QStringLiteral("N"), FieldKind::Float, 0},
                           FieldDef{QStringLiteral("I"), FieldKind::Integer, 0}});
        const QList<QVariantList> casos{
            {QStringLiteral("Pão \"francês\" \\ 1/2"), 11571344.0, qint64(7)},
            {QStringLiteral("linha\nnova\ttab\x01\x1f fim"), 0.5, qint64(-3)},
            {QStringLiteral("Açaí 🍧 ção"), -16777215.0, QVariant()},
            {QString(), 1e21, qint64(0)},
            {QVariant(), QVariant(), QVariant()},
        };
        for (const QVariantList& v : casos)
            linhas.appendRow(v);
        for (int l = 0; l < linhas.rowCount(); ++l) {
            QList<QVariant> valores;
            for (int c = 0; c < linhas.fieldCount(); ++c)
                valores.append(linhas.value(l, c));
            QCOMPARE(Diario::imagem(linhas, l), Diario::imagem(valores));
            QCOMPARE(Diario::valores(Diario::imagem(linhas, l)).value(0).toString(), linhas.value(l, 0).toString());
        }
    }

    // Numbers of an image are written as Qt writes them (which the images
    // stored so far hold): whole ones by the fast path, the rest by Qt.
    void numbersOfAnImageAreWrittenAsQtWritesThem() {
        QList<double> casos{0.0,
                            -0.0,
                            1,
                            -1,
                            10,
                            100,
                            1e5,
                            1e6,
                            1200000,
                            12000000,
                            11571344,
                            16777215,
                            -16777215,
                            123456789012345.0,
                            9007199254740991.0,
                            9007199254740992.0,
                            9007199254740994.0,
                            1e21,
                            -5.3280431834833623e+20,
                            0.5,
                            0.1 + 0.2,
                            1e-5,
                            -1e-300,
                            255.75};
        for (qint64 i = -2000; i <= 2000000; i += 7)
            casos << double(i) << double(i) * 1000 << double(i) * 1e9;
        for (const double v : casos) {
            char numero[32];
            const QByteArray escrito(numero, Diario::escreveNumero(numero, v) - numero);
            QCOMPARE(escrito, QByteArray::number(v, 'g', QLocale::FloatingPointShortest));
        }
    }

    void everyKindOfChangeUndoneAndRedone() {
        preenche();
        QVariant r;
        idaEVolta(QStringLiteral("inclusão de um produto"),
                  [&] { insere("1", "07", QStringLiteral("Novo"), "1", "2", "01", "1"); });
        idaEVolta(QStringLiteral("nome do botão 02"), [&] {
            ok(getMudaNome(B, C, "02", "1", QStringLiteral("Pão \"d'água\" \\ 1/2"), "0", "2", "0", "0", r), r);
        });
        idaEVolta(QStringLiteral("limpeza de um produto"),
                  [&] { ok(getDelProduto(B, C, "02", "1", "01", "1", r), r); });
        idaEVolta(QStringLiteral("limpeza do grupo Pratos e de 3 produtos"), [&] {
            ok(getDeletaGrupo(B, C, "2", "01", "1", r), r);
            QCOMPARE(getDelProdGrup(B, C, "2", "01", "1", r), 0);
        });
        idaEVolta(QStringLiteral("cor de fundo de 2 botões e cor do texto"), [&] {
            ok(getMudaCor(B, C, "01", "1", "0", "0", "0", "65280", "2", r), r);
            ok(getMudaCor(B, C, "02", "1", "0", "0", "0", "65280", "2", r), r);
            ok(getMudaFonte(B, C, "01", "1", "16777215", "1", "2", "1", "01", r), r);
        });
        idaEVolta(QStringLiteral("imagem do botão 01"),
                  [&] { ok(setMudaImagem(B, C, "01", "1", "2", "01", "1", QStringLiteral("arroz.png"), "1", r), r); });
        idaEVolta(QStringLiteral("produto para a página 2"), [&] {
            ok(setColarProd("255", "0", QStringLiteral("Arroz"), "1", "09", "2", "2", "01", "1", B, "1", "01", "1", "2",
                            "01", "1", C, r),
               r);
        });
        idaEVolta(QStringLiteral("grupo Pratos para a página 2"), [&] {
            ok(setColarGrup("255", "0", QStringLiteral("Pratos"), "2", "05", "2", "0", "0", "0", B, C, "2", "01", "1",
                            "0", "0", "0", r),
               r);
        });
        const QVariant itens = [&] {
            QVariant p;
            getExportaConf(B, C, p);
            DataPacket d = p.value<DataPacket>();
            d.setValue(0, d.indexOf(u"DSBUTTON"), QStringLiteral("Importado"));
            return QVariant::fromValue(d);
        }();
        idaEVolta(QStringLiteral("importação"), [&] {
            QVariant n;
            QCOMPARE(setImportaConf(B, C, itens, QStringLiteral("S"), n), 0);
            QVERIFY2(n.typeId() == QMetaType::Int, qPrintable(n.toString()));
        });
        preenche(QStringLiteral("00002"));
        ok(getMudaNome(B, QStringLiteral("00002"), "02", "1", QStringLiteral("Vinhos"), "0", "2", "0", "0", r), r);
        insere("1", "11", QStringLiteral("Só na 2"), "1", "2", "02", "1", QStringLiteral("00002"));
        idaEVolta(
            QStringLiteral("cópia"),
            [&] {
                QVariant n;
                QCOMPARE(setCopiaConf(B, C, B, QStringLiteral("00002"), QStringLiteral("S"), n), 0);
                QVERIFY2(n.typeId() == QMetaType::Int, qPrintable(n.toString()));
            },
            QStringLiteral("00002"));
    }

    // Each write records the rows that the reads of its configuration before
    // and after it show changed, added and gone, in key order and byte for
    // byte: on SQLite's own driver the rows are captured inside the engine,
    // elsewhere by reading the write's scope, and both must give these.
    void eachWriteRecordsWhatTheReadsOfItsConfigurationShow() {
        preenche();
        preenche(QStringLiteral("00002"));
        Diario::Livro& livro = Diario::livro(*rdmConfGrupo);
        {
            const Diario::Escopo todos(B, C);
            QCOMPARE(livro.capturaNoMotor(todos) != nullptr, !onPostgres() && !throughOdbc());
        }
        const auto confere = [&](const char* oque, const QString& conf, const std::function<void()>& escrita,
                                 bool mudaAlgo = true) { confereEscrita(oque, conf, escrita, mudaAlgo); };
        QVariant r;
        confere("insert", C,
                [&] { insere("1", "07", QStringLiteral("Pão \"d'água\" \\ 1/2 🍧"), "1", "2", "01", "1"); });
        confere("rename", C,
                [&] { ok(getMudaNome(B, C, "02", "1", QStringLiteral("Açaí \"ção\""), "0", "2", "0", "0", r), r); });
        confere(
            "same name", C,
            [&] { ok(getMudaNome(B, C, "02", "1", QStringLiteral("Açaí \"ção\""), "0", "2", "0", "0", r), r); }, false);
        confere("colour", C, [&] { ok(getMudaCor(B, C, "01", "1", "0", "0", "0", "16777215", "2", r), r); });
        confere("font", C, [&] { ok(getMudaFonte(B, C, "01", "1", "0", "1", "2", "1", "01", r), r); });
        confere("picture", C,
                [&] { ok(setMudaImagem(B, C, "01", "1", "2", "01", "1", QStringLiteral("arroz.png"), "1", r), r); });
        confere("product cleared", C, [&] { ok(getDelProduto(B, C, "02", "1", "01", "1", r), r); });
        confere("product pasted on page 2", C, [&] {
            ok(setColarProd("255", "0", QStringLiteral("Arroz"), "1", "09", "2", "2", "01", "1", B, "1", "01", "1", "2",
                            "01", "1", C, r),
               r);
        });
        confere("group pasted on page 2", C, [&] {
            ok(setColarGrup("255", "0", QStringLiteral("Pratos"), "2", "05", "2", "0", "0", "0", B, C, "2", "01", "1",
                            "0", "0", "0", r),
               r);
        });
        confere("group cleared", C, [&] { ok(getDeletaGrupo(B, C, "2", "02", "1", r), r); });
        confere("its products cleared", C, [&] { QCOMPARE(getDelProdGrup(B, C, "2", "02", "1", r), 0); });
        const QVariant itens = [&] {
            QVariant p;
            getExportaConf(B, C, p);
            DataPacket d = p.value<DataPacket>();
            d.setValue(0, d.indexOf(u"DSBUTTON"), QStringLiteral("Importado"));
            d.setValue(1, d.indexOf(u"DSMESSAGEBUT"), QVariant());
            return QVariant::fromValue(d);
        }();
        confere("import", C, [&] {
            QVariant n;
            QCOMPARE(setImportaConf(B, C, itens, QStringLiteral("S"), n), 0);
            QVERIFY2(n.typeId() == QMetaType::Int, qPrintable(n.toString()));
        });
        confere("copy", QStringLiteral("00002"), [&] {
            QVariant n;
            QCOMPARE(setCopiaConf(B, C, B, QStringLiteral("00002"), QStringLiteral("S"), n), 0);
            QVERIFY2(n.typeId() == QMetaType::Int, qPrintable(n.toString()));
        });
        inicia(QStringLiteral("nome"));
        ok(getMudaNome(B, C, "01", "2", QStringLiteral("Tortas"), "0", "2", "0", "0", r), r);
        termina();
        confere("undo", C, [&] { QVERIFY(desfaz(proximo("D")).ok()); });
    }

    // A host's table whose columns keep what they are given: key cells that
    // are whole and real numbers, or null, are the texts the reads make of
    // them, and the engine's capture keys and images their rows as the reads
    // do.
    void aHostsLooseTableIsCapturedAsItsReadsShowIt() {
        if (onPostgres() || throughOdbc())
            QSKIP("the capture inside the engine is SQLite's own driver's");
        db().exec(QStringLiteral("DROP TABLE ITMENUCONFTE"));
        db().exec(QStringLiteral(
            "CREATE TABLE ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, "
            "NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT REAL, NRCOLORBACK REAL, DSMESSAGEBUT, "
            "DSIMAGEMBUT, DTULTATUITCT)"));
        const QString linhas[] = {
            QStringLiteral("'2', '01', 1, '0', '0', '0', '101', 'Pratos', 255, 1.5, NULL, NULL, NULL"),
            QStringLiteral("'1', 7, '1', '2', '01', '1', 42, 'Arroz', 0, 65280, 'msg', 'a.png', "
                           "'2026-12-01 10:00:00'"),
            QStringLiteral("'1', 2.5, '1', '2', '01', '1', 3.25, 'Meio', 1, 2, NULL, NULL, NULL"),
            QStringLiteral("'1', NULL, '1', '2', '01', NULL, 'x', NULL, NULL, NULL, NULL, NULL, NULL"),
            QStringLiteral("'1', '08', '1', '2', '01', '1', '', 'Vazio', 0, 0, '', '', NULL"),
        };
        for (const QString& l : linhas)
            db().exec(QStringLiteral("INSERT INTO ITMENUCONFTE VALUES ('%1', '%2', %3)").arg(B, C, l));
        Srv_Kmr00003::fecha();
        Srv_Kmr00003::abre();
        {
            const Diario::Escopo todos(B, C);
            QVERIFY(Diario::livro(*rdmConfGrupo).capturaNoMotor(todos) != nullptr);
        }
        const QString destino = QStringLiteral("00002");
        const auto copia = [&] {
            QVariant n;
            QCOMPARE(setCopiaConf(B, C, B, destino, QStringLiteral("S"), n), 0);
            QVERIFY2(n.typeId() == QMetaType::Int, qPrintable(n.toString()));
        };
        confereEscrita("copy onto an empty configuration", destino, copia);
        confereEscrita("the same copy again", destino, copia, false);
        db().exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = 'Sete', NRCOLORBACK = 7 WHERE NRCONFTELA = "
                                 "'%1' AND NRBUTTON = 7")
                      .arg(C));
        db().exec(QStringLiteral("DELETE FROM ITMENUCONFTE WHERE NRCONFTELA = '%1' AND NRBUTTON IS NULL").arg(C));
        confereEscrita("a copy that changes a row and takes one out", destino, copia);
    }

    void undoStepsBackThroughTheSessionAndRedoEndsWithANewChange() {
        preenche();
        QVariant r;
        const QByteArray inicio = exporta();
        inicia(QStringLiteral("nome 1"));
        ok(getMudaNome(B, C, "01", "1", QStringLiteral("Um"), "0", "2", "0", "0", r), r);
        termina();
        const QByteArray meio = exporta();
        inicia(QStringLiteral("nome 2"));
        ok(getMudaNome(B, C, "02", "1", QStringLiteral("Dois"), "0", "2", "0", "0", r), r);
        termina();
        const QString segundo = proximo("D");
        QVERIFY(desfaz(segundo).ok());
        QCOMPARE(exporta(), meio);
        const QString primeiro = proximo("D");
        QVERIFY(primeiro != segundo);
        QVERIFY(desfaz(primeiro).ok());
        QCOMPARE(exporta(), inicio);
        QVERIFY(proximo("D").isEmpty()); // back to the session's start
        QCOMPARE(proximo("R"), primeiro);
        // An undone entry cannot be undone twice.
        QVERIFY(desfaz(primeiro).failedWithText());
        QCOMPARE(exporta(), inicio);
        // A new change ends the redo.
        inicia(QStringLiteral("nome 3"));
        ok(getMudaNome(B, C, "02", "1", QStringLiteral("Três"), "0", "2", "0", "0", r), r);
        termina();
        QVERIFY(proximo("R").isEmpty());
        QVERIFY(refaz(primeiro).failedWithText());
        // The counts of the next undo.
        inicia(QStringLiteral("limpeza"));
        ok(getDeletaGrupo(B, C, "2", "01", "1", r), r);
        QCOMPARE(getDelProdGrup(B, C, "2", "01", "1", r), 0);
        termina();
        const DataPacket p = pesqDesfazer();
        QCOMPARE(p.rowCount(), 1);
        QCOMPARE(p.text(0, p.indexOf(u"QTBOTOES")), QStringLiteral("4"));
        QCOMPARE(p.text(0, p.indexOf(u"QTINCLUI")), QStringLiteral("4")); // the undo inserts them back
        QCOMPARE(p.text(0, p.indexOf(u"QTEXCLUI")), QStringLiteral("0"));
    }

    void undoOverAnotherStationsChangeIsRefusedAndWritesNothing() {
        preenche();
        QVariant r;
        inicia(QStringLiteral("cor de 2 botões"));
        ok(getMudaCor(B, C, "01", "1", "0", "0", "0", "65280", "2", r), r);
        ok(getMudaCor(B, C, "02", "1", "0", "0", "0", "65280", "2", r), r);
        termina();
        const int antes = entradas();
        db().exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = 'Outra' WHERE NRBUTTON = '02' AND IDTPBUTONAUX "
                                 "= '0' AND NRPGCONFTELA = '1'"));
        const auto menuAntes = menu();
        const Call d = desfaz(proximo("D"));
        QVERIFY2(d.failedWithText(), qPrintable(d.text()));
        QCOMPARE(Srv_Kmr00003::causaDaFalha(), FailureCause::RowChanged);
        QVERIFY2(d.text().contains(QStringLiteral("02")) && d.text().contains(QStringLiteral("outra estação")),
                 qPrintable(d.text()));
        QVERIFY2(!d.text().contains(QStringLiteral("01")), qPrintable(d.text()));
        QCOMPARE(menu(), menuAntes);
        QCOMPARE(entradas(), antes);
        // A deleted row that another station put back refuses the redo of the delete... and an
        // insert undone over a row already gone is refused too.
        inicia(QStringLiteral("inclusão"));
        insere("1", "09", QStringLiteral("Novo"), "1", "2", "01", "1");
        termina();
        db().exec(QStringLiteral("DELETE FROM ITMENUCONFTE WHERE NRBUTTON = '09'"));
        const Call e = desfaz(proximo("D"));
        QVERIFY2(e.failedWithText(), qPrintable(e.text()));
        QCOMPARE(Srv_Kmr00003::causaDaFalha(), FailureCause::RowChanged);
    }

    void anEmptyActionAndARefusedWriteRecordNothing() {
        preenche();
        const int antes = entradas();
        QVariant r;
        inicia(QStringLiteral("nada"));
        termina();
        inicia(QStringLiteral("recusada"));
        // A rename of a button that is not there fails and is not recorded.
        QCOMPARE(getMudaNome(B, C, "33", "1", QStringLiteral("X"), "0", "2", "0", "0", r), 0);
        QVERIFY(!r.toString().isEmpty());
        termina();
        QCOMPARE(entradas(), antes);
        QCOMPARE(pesqDesfazer().rowCount(), 0);
        // Each write outside a bracket is an entry of its own, of no session.
        ok(getMudaNome(B, C, "01", "1", QStringLiteral("Y"), "0", "2", "0", "0", r), r);
        ok(getMudaNome(B, C, "02", "1", QStringLiteral("Z"), "0", "2", "0", "0", r), r);
        QCOMPARE(entradas(), antes + 2);
        QCOMPARE(pesqDesfazer().rowCount(), 0);
        const auto sessao = db().rows(QStringLiteral("SELECT IDSESSAO, DSACAO FROM KMRDIARIO ORDER BY NRDIARIO DESC"));
        QVERIFY(sessao.value(0).value(0).toString().isEmpty());
        QCOMPARE(sessao.value(0).value(1).toString(), QStringLiteral("alteração de 1 botão"));
    }

    // Writes that join a transaction the host opened are recorded with its
    // commit and go with its rollback; a failed write inside an action takes
    // back only itself.
    void theHostsTransactionAndAFailedWriteInsideAnAction() {
        preenche();
        QVariant r;
        const QByteArray inicial = exporta();
        const int antes = entradas();
        rdmConfGrupo->StartTrans();
        ok(getMudaNome(B, C, "01", "1", QStringLiteral("Massas"), "0", "2", "0", "0", r), r);
        QVERIFY(rdmConfGrupo->InTransaction());
        rdmConfGrupo->Rollback();
        QCOMPARE(exporta(), inicial);
        QCOMPARE(entradas(), antes);

        inicia(QStringLiteral("nome e cor"));
        rdmConfGrupo->StartTrans();
        ok(getMudaNome(B, C, "01", "1", QStringLiteral("Massas"), "0", "2", "0", "0", r), r);
        ok(getMudaCor(B, C, "02", "1", "0", "0", "0", "65280", "2", r), r);
        rdmConfGrupo->Commit();
        // A write refused in the middle of the action.
        QCOMPARE(getMudaNome(B, C, "33", "1", QStringLiteral("X"), "0", "2", "0", "0", r), 0);
        QVERIFY(!r.toString().isEmpty());
        ok(getMudaNome(B, C, "01", "2", QStringLiteral("Tortas"), "0", "2", "0", "0", r), r);
        termina();
        QCOMPARE(entradas(), antes + 1);
        QCOMPARE(passosSemEntrada(), 0);
        QVERIFY(desfaz(proximo("D")).ok());
        QCOMPARE(exporta(), inicial);
    }

    void historyNewestFirstWithCaptionsBeforeAndAfter() {
        preenche();
        QVariant r;
        inicia(QStringLiteral("nome do botão 01"));
        ok(getMudaNome(B, C, "01", "1", QStringLiteral("Massas"), "0", "2", "0", "0", r), r);
        termina();
        const DataPacket h = packet(call([&](QVariant& x) { return getPesqHistorico(B, C, QStringLiteral("2"), x); }));
        QCOMPARE(h.rowCount(), 2);
        QCOMPARE(h.text(0, h.indexOf(u"DSACAO")), QStringLiteral("nome do botão 01"));
        QVERIFY2(h.text(0, h.indexOf(u"DSBOTOES")).contains(QStringLiteral("\"Pratos\" → \"Massas\"")),
                 qPrintable(h.text(0, h.indexOf(u"DSBOTOES"))));
        QCOMPARE(h.text(0, h.indexOf(u"CDFILIAL")), B);
        QVERIFY(!h.text(0, h.indexOf(u"NMESTACAO")).isEmpty());
        QVERIFY(h.text(0, h.indexOf(u"NRDIARIO")).toLongLong() > h.text(1, h.indexOf(u"NRDIARIO")).toLongLong());
        // All configurations, no limit.
        const DataPacket t = packet(call([&](QVariant& x) { return getPesqHistorico({}, {}, {}, x); }));
        QCOMPARE(t.rowCount(), 8);
        QVERIFY(call([&](QVariant& x) { return getPesqHistorico(B, C, QStringLiteral("x"), x); }).failedWithText());
    }

    void restoreToAMomentAndRefusedBeforeTheJournal() {
        preenche();
        QVariant r;
        db().exec(QStringLiteral("UPDATE KMRDIARIO SET DTDIARIO = '") + ontem() + QStringLiteral(" 09:00:00'"));
        const QByteArray naquele = exporta();
        ok(getMudaNome(B, C, "01", "1", QStringLiteral("Massas"), "0", "2", "0", "0", r), r);
        ok(getDelProduto(B, C, "02", "1", "01", "1", r), r);
        insere("1", "09", QStringLiteral("Novo"), "1", "2", "01", "1");
        db().exec(QStringLiteral("UPDATE KMRDIARIO SET DTDIARIO = '%1 11:00:00' WHERE DTDIARIO > '%1 09:00:00'")
                      .arg(ontem()));
        const QByteArray depois = exporta();
        QVERIFY(depois != naquele);
        const Call x = call([&](QVariant& v) { return setRestauraConf(B, C, ontem() + QStringLiteral(" 10:00"), v); });
        QVERIFY2(x.status == 0 && x.result.typeId() == QMetaType::Int, qPrintable(x.text()));
        QCOMPARE(exporta(), naquele);
        // Recorded as an entry: its undo gives the later state back.
        const auto ultima = db().rows(QStringLiteral("SELECT IDACAO, DSACAO FROM KMRDIARIO ORDER BY NRDIARIO DESC"));
        QCOMPARE(ultima.value(0).value(0).toString(), QStringLiteral("H"));
        // Before the oldest entry the state is not known.
        const auto antes = menu();
        const Call y = call([&](QVariant& v) { return setRestauraConf(B, C, ontem() + QStringLiteral(" 08:59"), v); });
        QVERIFY2(y.failedWithText() && y.text().contains(QStringLiteral("não chega")), qPrintable(y.text()));
        QCOMPARE(menu(), antes);
        const Call z = call([&](QVariant& v) { return setRestauraConf(B, C, QStringLiteral("ontem"), v); });
        QVERIFY2(z.failedWithText() && z.text().contains(QStringLiteral("AAAA-MM-DD HH:MM")), qPrintable(z.text()));
    }

    void pruneByAgeAndByNumber() {
        preenche(); // 7 entries
        db().exec(QStringLiteral("UPDATE KMRDIARIO SET DTDIARIO = '2020-01-01 00:00:00' WHERE NRDIARIO IN (SELECT "
                                 "MAX(NRDIARIO) FROM KMRDIARIO)"));
        QCOMPARE(entradas(), 7);
        // A new connection prunes at its first entry.
        qputenv("KALMORA_HISTORICO_ENTRADAS", "4");
        Srv_Kmr00003::fecha();
        Srv_Kmr00003::abre();
        QVariant r;
        ok(getMudaNome(B, C, "01", "1", QStringLiteral("Massas"), "0", "2", "0", "0", r), r);
        qunsetenv("KALMORA_HISTORICO_ENTRADAS");
        // The four newest kept but the one too old, and the new one.
        QCOMPARE(entradas(), 3 + 1);
        QCOMPARE(db().rows(QStringLiteral("SELECT COUNT(*) FROM KMRDIARIO WHERE DTDIARIO < '2021-01-01'"))
                     .value(0)
                     .value(0)
                     .toInt(),
                 0);
        // No step left of a pruned entry.
        QCOMPARE(passosSemEntrada(), 0);
    }

    void aDatabaseWithoutTheMarkKeepsTheJournalInAFileOfItsOwn() {
        QTemporaryDir dados;
        qputenv("XDG_DATA_HOME", dados.path().toUtf8());
        db().exec(QStringLiteral("DROP TABLE KMRDIARIOPASSO"));
        db().exec(QStringLiteral("DROP TABLE KMRDIARIO"));
        db().exec(QStringLiteral("DROP TABLE KMRESQUEMA"));
        Srv_Kmr00003::fecha();
        Srv_Kmr00003::abre();
        preenche();
        QVariant r;
        const QByteArray antes = exporta();
        inicia(QStringLiteral("nome e cor"));
        ok(getMudaNome(B, C, "01", "1", QStringLiteral("Massas"), "0", "2", "0", "0", r), r);
        ok(getMudaCor(B, C, "02", "1", "0", "0", "0", "65280", "2", r), r);
        termina();
        QVERIFY(Srv_Kmr00003::historicoAtivo());
        // Nothing reaches the file before the host's transaction commits,
        // and nothing of one rolled back; a refused write inside an action
        // does not take the action's committed writes with it.
        const auto noArquivo = [&] {
            return packet(call([&](QVariant& x) { return getPesqHistorico(B, C, {}, x); })).rowCount();
        };
        const int noInicio = noArquivo();
        rdmConfGrupo->StartTrans();
        ok(getMudaNome(B, C, "02", "1", QStringLiteral("Vinhos"), "0", "2", "0", "0", r), r);
        QCOMPARE(noArquivo(), noInicio);
        rdmConfGrupo->Rollback();
        QCOMPARE(noArquivo(), noInicio);
        const QByteArray antesDaAcao = exporta();
        inicia(QStringLiteral("dois nomes"));
        ok(getMudaNome(B, C, "02", "1", QStringLiteral("Vinhos"), "0", "2", "0", "0", r), r);
        QCOMPARE(getMudaNome(B, C, "33", "1", QStringLiteral("X"), "0", "2", "0", "0", r), 0);
        QVERIFY(!r.toString().isEmpty());
        rdmConfGrupo->StartTrans();
        ok(getMudaNome(B, C, "01", "2", QStringLiteral("Tortas"), "0", "2", "0", "0", r), r);
        rdmConfGrupo->Commit();
        termina();
        QCOMPARE(noArquivo(), noInicio + 1);
        QVERIFY(desfaz(proximo("D")).ok());
        QCOMPARE(exporta(), antesDaAcao);
        const QStringList arquivos =
            QDir(dados.filePath(QStringLiteral("kalmora"))).entryList({QStringLiteral("historico-*.db")});
        QCOMPARE(arquivos.size(), 1);
        // The action is one entry: its undo takes both writes back.
        QVERIFY(desfaz(proximo("D")).ok());
        QCOMPARE(exporta(), antes);
        // No table was made in the database.
        for (const QString& t : db().db().tables())
            QVERIFY2(!t.toUpper().startsWith(QLatin1String("KMR")), qPrintable(t));
        // A file that cannot be written turns the history off, never the change.
        Srv_Kmr00003::fecha();
        {
            QFile f(dados.filePath(QStringLiteral("kalmora/") + arquivos.first()));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'x'));
        }
        Srv_Kmr00003::abre();
        ok(getMudaNome(B, C, "02", "1", QStringLiteral("Sucos"), "0", "2", "0", "0", r), r);
        QVERIFY(!Srv_Kmr00003::historicoAtivo());
        qunsetenv("XDG_DATA_HOME");
    }
};

int main(int argc, char** argv) {
    return runOnEngines(argc, argv, [](TestDatabase::Engine e) { return std::make_unique<SrvDiario>(e); });
}

#include "tst_SrvDiario.moc"
