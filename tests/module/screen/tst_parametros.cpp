// The parameter file read on its own: the six screen colours, the defaults
// without a file, and each way a file present can be unusable.

#include <DataPacket.h>
#include <OperatorTexts.h>
#include <ParametrosKmr.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

using ParametrosKmr::LeCoresTela;

class TstParametros : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    QString caminho() const { return dir.filePath(ParametrosKmr::kArquivo); }

    void grava(const QList<FieldDef>& campos, const QList<QVariantList>& linhas) {
        DataPacket packet(campos);
        for (const QVariantList& linha : linhas)
            packet.appendRow(linha);
        QString error;
        QVERIFY2(packet.saveToFile(caminho(), &error), qPrintable(error));
    }
    static QList<FieldDef> seisCampos(FieldKind kind) {
        QList<FieldDef> campos;
        for (int i = 1; i <= 6; ++i)
            campos << FieldDef{QStringLiteral("INCOR%1").arg(i), kind, 0};
        return campos;
    }
    // The operator's text of the refusal, empty when nothing was thrown.
    QString recusa() {
        try {
            LeCoresTela(caminho());
        } catch (const std::runtime_error& e) {
            return QString::fromStdString(e.what());
        }
        return QString();
    }

private slots:
    void init() { QFile::remove(caminho()); }

    void semArquivoDaOsPadroes() { QCOMPARE(LeCoresTela(caminho()), ParametrosKmr::kCoresPadrao); }

    void leAsSeisCoresDoPrimeiroRegistro() {
        grava(seisCampos(FieldKind::Integer), {{1, 2, 3, 4, 5, 16777215}, {9, 9, 9, 9, 9, 9}});
        QCOMPARE(LeCoresTela(caminho()), (std::array<int, 6>{1, 2, 3, 4, 5, 16777215}));
        // A whole number stored as a float, and extra fields, are fine too.
        QList<FieldDef> campos = seisCampos(FieldKind::Float);
        campos << FieldDef{QStringLiteral("OUTRO"), FieldKind::Text, 10};
        grava(campos, {{12960962.0, -1.0, 0.0, 8421504.0, 15658734.0, 8388608.0, QStringLiteral("x")}});
        QCOMPARE(LeCoresTela(caminho()), (std::array<int, 6>{12960962, -1, 0, 8421504, 15658734, 8388608}));
    }

    void arquivoInutilRecusadoComTextoDoOperador() {
        grava(seisCampos(FieldKind::Integer), {});
        QCOMPARE(recusa(), OperatorTexts::parametrosVazio());

        QList<FieldDef> cinco = seisCampos(FieldKind::Integer);
        cinco.removeAt(3);
        grava(cinco, {{1, 2, 3, 5, 6}});
        QCOMPARE(recusa(), OperatorTexts::parametrosCampoAusente(QStringLiteral("INCOR4")));

        grava(seisCampos(FieldKind::Float), {{1.0, 2.5, 3.0, 4.0, 5.0, 6.0}});
        QCOMPARE(recusa(), OperatorTexts::parametrosCampoNaoNumero(QStringLiteral("INCOR2")));

        grava(seisCampos(FieldKind::Float), {{1.0, 2.0, 3.0, 4.0, 5.0, 4e12}});
        QCOMPARE(recusa(), OperatorTexts::parametrosCampoNaoNumero(QStringLiteral("INCOR6")));

        grava(seisCampos(FieldKind::Integer), {{1, 2, QVariant(), 4, 5, 6}});
        QCOMPARE(recusa(), OperatorTexts::parametrosCampoNaoNumero(QStringLiteral("INCOR3")));

        QFile f(caminho());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("not a saved dataset");
        f.close();
        QCOMPARE(recusa(), OperatorTexts::parametrosInvalido());

        QVERIFY(QFile::remove(caminho()));
        QVERIFY(QDir(dir.path()).mkdir(ParametrosKmr::kArquivo));
        QCOMPARE(recusa(), OperatorTexts::parametrosIlegivel());
        QVERIFY(QDir(dir.path()).rmdir(ParametrosKmr::kArquivo));
    }
};

QTEST_GUILESS_MAIN(TstParametros)
#include "tst_parametros.moc"
