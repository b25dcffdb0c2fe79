// The write of a button's picture reference, on every engine: what it stores
// and clears, the rows it must not touch, its refusals, its checked form, and
// that copy, export and import carry the reference as they carry every column.

#include "SrvFixture.h"

#include <OperatorTexts.h>

namespace {
const QString B = QStringLiteral("9999");
const QString C = QStringLiteral("00001");
} // namespace

class SrvImagem : public SrvFixture {
    Q_OBJECT
public:
    using SrvFixture::SrvFixture;

private:
    // key: type, button, page, auxType, auxButton, auxPage
    static Call muda(const QStringList& k, const QString& ref, const QString& conf = C) {
        return call([&](QVariant& r) { return setMudaImagem(B, conf, k[1], k[2], k[3], k[4], k[5], ref, k[0], r); });
    }
    QVariant imagem(const QString& type, const QString& button, const QString& conf = C) {
        const auto rows = db().rows(QStringLiteral("SELECT DSIMAGEMBUT FROM ITMENUCONFTE WHERE NRCONFTELA = '%1' AND "
                                                   "IDTPBUTTON = '%2' AND NRBUTTON = '%3'")
                                        .arg(conf, type, button));
        return rows.size() == 1 ? rows.first().value(0) : QVariant(QStringLiteral("<%1 rows>").arg(rows.size()));
    }

private slots:
    void setsAndClearsOnlyTheNamedItem();
    void noRowChangedFails();
    void refusedReferencesChangeNothing();
    void checkedWriteRefusesAChangeElsewhere();
    void copyExportImportCarryTheReference();
};

void SrvImagem::setsAndClearsOnlyTheNamedItem() {
    addGroup("01", "1");
    addProduct("01", "1", "01", "1"); // same position and page as the group, another level
    QVERIFY(muda({"2", "01", "1", "0", "0", "0"}, "lanche.png").ok());
    QCOMPARE(imagem("2", "01").toString(), QString("lanche.png"));
    QCOMPARE(imagem("1", "01").toString(), QString("img")); // as the fixture stored it
    const QString absoluta = QStringLiteral("/srv/imagens/suco de laranja.svg");
    QVERIFY(muda({"1", "01", "1", "2", "01", "1"}, absoluta).ok());
    QCOMPARE(imagem("1", "01").toString(), absoluta);
    QCOMPARE(imagem("2", "01").toString(), QString("lanche.png"));
    // "Sem imagem": no value, as on a button that never had one.
    QVERIFY(muda({"2", "01", "1", "0", "0", "0"}, "").ok());
    QVERIFY(imagem("2", "01").isNull());
    QVERIFY(!rdmConfGrupo->InTransaction());
}

void SrvImagem::noRowChangedFails() {
    addGroup("01", "1");
    const auto before = menu();
    for (const QStringList& k : {QStringList{"2", "1", "1", "0", "0", "0"}, QStringList{"2", "01", "2", "0", "0", "0"},
                                 QStringList{"1", "01", "1", "2", "01", "1"}}) {
        const Call c = muda(k, "x.png");
        QVERIFY2(c.failedWithText() && OperatorTexts::ehAlteradoOutraEstacao(c.text()), qPrintable(c.text()));
        QCOMPARE(Srv_Kmr00003::causaDaFalha(), FailureCause::RowChanged);
    }
    QCOMPARE(menu(), before);
    QVERIFY(!rdmConfGrupo->InTransaction());
    // Without the shared instance the status is the failure status.
    rdmConfGrupo.reset();
    QCOMPARE(muda({"2", "01", "1", "0", "0", "0"}, "x.png").status, KMR_STATUS_FAILED);
}

void SrvImagem::refusedReferencesChangeNothing() {
    addGroup("01", "1");
    const QStringList k{"2", "01", "1", "0", "0", "0"};
    QVERIFY(muda(k, QString(200, u'a')).ok()); // the column's whole width
    const auto before = menu();
    const Call longa = muda(k, QString(201, u'a'));
    QVERIFY(longa.failedWithText());
    QVERIFY2(longa.text().contains("imagem do botão") && longa.text().contains("200"), qPrintable(longa.text()));
    const Call controle = muda(k, QStringLiteral("a\nb.png"));
    QVERIFY(controle.failedWithText());
    QVERIFY2(controle.text().contains("caracteres de controle"), qPrintable(controle.text()));
    QVERIFY(!controle.text().contains("UPDATE"));
    QCOMPARE(menu(), before);
    QVERIFY(!rdmConfGrupo->InTransaction());
}

void SrvImagem::checkedWriteRefusesAChangeElsewhere() {
    addGroup("01", "1");
    QVariant pagina;
    QCOMPARE(getPesqItens(B, C, "1", "0", "0", "0", pagina), 0);
    const QVariant visto = pagina;
    const auto conferido = [&](const QString& ref) {
        return call(
            [&](QVariant& r) { return setMudaImagemConferido(B, C, "01", "1", "0", "0", "0", ref, "2", visto, r); });
    };
    // Another station gives the button a picture after this one read it.
    QVERIFY(muda({"2", "01", "1", "0", "0", "0"}, "outra.png").ok());
    const Call c = conferido("minha.png");
    QVERIFY2(c.failedWithText() && OperatorTexts::ehAlteradoOutraEstacao(c.text()), qPrintable(c.text()));
    QCOMPARE(imagem("2", "01").toString(), QString("outra.png"));
    QVERIFY(muda({"2", "01", "1", "0", "0", "0"}, "img").ok()); // as the fixture stored it
    QVERIFY(conferido("minha.png").ok());                       // the button as shown again
    QCOMPARE(imagem("2", "01").toString(), QString("minha.png"));
}

void SrvImagem::copyExportImportCarryTheReference() {
    addGroup("01", "1");
    addProduct("02", "1", "01", "1");
    QVERIFY(muda({"2", "01", "1", "0", "0", "0"}, "grupo.png").ok());
    QVERIFY(muda({"1", "02", "1", "2", "01", "1"}, "bebidas/suco.svg").ok());
    QVERIFY(call([](QVariant& r) { return setCopiaConf(B, C, B, "00002", "N", r); }).status == 0);
    QCOMPARE(imagem("2", "01", "00002").toString(), QString("grupo.png"));
    QCOMPARE(imagem("1", "02", "00002").toString(), QString("bebidas/suco.svg"));

    QVariant exportado;
    QCOMPARE(getExportaConf(B, C, exportado), 0);
    const DataPacket p = exportado.value<DataPacket>();
    QStringList refs = column(p, "DSIMAGEMBUT");
    refs.sort();
    QCOMPARE(refs, QStringList({"bebidas/suco.svg", "grupo.png"}));
    QVariant importado;
    QCOMPARE(setImportaConf(B, "00003", exportado, "N", importado), 0);
    QCOMPARE(importado.toInt(), 2);
    QCOMPARE(imagem("2", "01", "00003").toString(), QString("grupo.png"));
    QCOMPARE(imagem("1", "02", "00003").toString(), QString("bebidas/suco.svg"));
}

int main(int argc, char** argv) {
    return runOnEngines(argc, argv, [](TestDatabase::Engine e) { return std::make_unique<SrvImagem>(e); });
}

#include "tst_SrvImagem.moc"
