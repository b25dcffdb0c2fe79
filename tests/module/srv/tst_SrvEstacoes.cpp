// Two stations on one store: the data module's connection is station A, the
// test's own connection station B. Every checked write is tried against a row
// that B left alone, changed, moved or deleted after A read it; a refused one
// writes nothing and says the button changed elsewhere. Run on every engine.

#include "SrvFixture.h"

#include <OperatorTexts.h>

namespace {
const QString B = QStringLiteral("9999");
const QString C = QStringLiteral("00001");

bool alterado(const Call& c) {
    return c.failedWithText() && OperatorTexts::ehAlteradoOutraEstacao(c.text());
}
} // namespace

class SrvEstacoes : public SrvFixture {
    Q_OBJECT
public:
    using SrvFixture::SrvFixture;

private:
    // What station A shows: one page (or, with an empty page, every item
    // under a group position) as getPesqItens gives it.
    DataPacket visto(const QString& page, const QString& auxType, const QString& auxButton, const QString& auxPage) {
        return packet(call([&](QVariant& r) { return getPesqItens(B, C, page, auxType, auxButton, auxPage, r); }));
    }
    DataPacket grupos() { return visto("1", "0", "0", "0"); }
    // The rows of a packet on one button.
    static QVariant botao(const DataPacket& p, const QString& button) {
        DataPacket out(p.fields());
        const int col = p.indexOf(u"NRBUTTON");
        for (int r = 0; r < p.rowCount(); ++r) {
            if (p.text(r, col) != button)
                continue;
            QVariantList row;
            for (int c = 0; c < p.fieldCount(); ++c)
                row << p.value(r, c);
            out.appendRow(row);
        }
        return QVariant::fromValue(out);
    }
    QString caption(const QString& type, const QString& button, const QString& page) {
        const auto rows = db().rows(QStringLiteral("SELECT DSBUTTON FROM ITMENUCONFTE WHERE IDTPBUTTON = '%1' AND "
                                                   "NRBUTTON = '%2' AND NRPGCONFTELA = '%3'")
                                        .arg(type, button, page));
        return rows.size() == 1 ? rows.first().first().toString() : QString();
    }
    // Station B's change to one group button.
    void mudaEmB(const QString& kind, const QString& button) {
        if (kind == QLatin1String("caption"))
            db().exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = 'Outro' WHERE NRBUTTON = '%1'").arg(button));
        else if (kind == QLatin1String("colour"))
            db().exec(QStringLiteral("UPDATE ITMENUCONFTE SET NRCOLORBACK = 255 WHERE NRBUTTON = '%1'").arg(button));
        else if (kind == QLatin1String("moved"))
            db().exec(QStringLiteral("UPDATE ITMENUCONFTE SET NRBUTTON = '11' WHERE NRBUTTON = '%1'").arg(button));
        else if (kind == QLatin1String("deleted"))
            db().exec(QStringLiteral("DELETE FROM ITMENUCONFTE WHERE NRBUTTON = '%1'").arg(button));
        else if (kind == QLatin1String("product code"))
            db().exec(QStringLiteral("UPDATE ITMENUCONFTE SET CDIDENTBUTON = '999' WHERE NRBUTTON = '%1'").arg(button));
    }

    void verificaMudanca(const QString& write, const QString& change);

private slots:
    void pageReadsCarryWhatIsCompared();
    void unchangedRowsAreWritten();
    void changedRowIsNotWritten_data();
    void changedRowIsNotWritten();
    void groupClearOverAnotherGroupDeletesNothing();
    void groupClearOrMoveWithChangedProducts_data();
    void groupClearOrMoveWithChangedProducts();
    void pasteOntoAPlaceTakenMeanwhile();
    void expectedRowsThatAreNoPacketAreAFault();
    void nullsCompareAsShown();
    void severalRowsAtOnePosition();
    void shownAtAnotherPositionIsAMismatch();
};

void SrvEstacoes::pageReadsCarryWhatIsCompared() {
    addGroup("02", "1", "Lanches");
    addItem("7", "12", "1", "0", "0", "0", "Navegador_Direito_Grp");
    addProduct("05", "1", "02", "1", "Suco");
    addProduct("01", "2", "02", "1", "Chá");
    addItem("9", "36", "1", "2", "02", "1", "Navegador_Direito_Prod");
    const DataPacket g = grupos();
    QCOMPARE(column(g, "NRBUTTON"), QStringList({"02", "12"}));
    QCOMPARE(fieldNames(g),
             QStringList({"IDTPBUTTON", "NRBUTTON", "NRPGCONFTELA", "IDTPBUTONAUX", "NRBUTTONAUX", "NRPGCONFTAUX",
                          "CDIDENTBUTON", "DSBUTTON", "NRCOLORTEXT", "NRCOLORBACK", "DSIMAGEMBUT"}));
    QCOMPARE(column(visto("1", "2", "02", "1"), "DSBUTTON"), QStringList({"Suco", "Navegador_Direito_Prod"}));
    QCOMPARE(column(visto("1", "2", "02", "1"), "CDIDENTBUTON"), QStringList({"101001", ""}));
    QCOMPARE(column(visto("", "2", "02", "1"), "DSBUTTON"), QStringList({"Suco", "Navegador_Direito_Prod", "Chá"}));
}

void SrvEstacoes::unchangedRowsAreWritten() {
    addGroup("02", "1", "Lanches");
    addGroup("03", "1", "Pratos");
    addProduct("05", "1", "02", "1", "Suco");
    addProduct("06", "1", "02", "1", "Água");
    const DataPacket g = grupos();
    const DataPacket p = visto("1", "2", "02", "1");
    QVERIFY(call([&](QVariant& r) {
                return getMudaCorConferido(B, C, "02", "1", "0", "0", "0", "65535", "2", botao(g, "02"), r);
            }).ok());
    QVERIFY(call([&](QVariant& r) {
                return getMudaFonteConferido(B, C, "05", "1", "255", "1", "2", "1", "02", botao(p, "05"), r);
            }).ok());
    QVERIFY(call([&](QVariant& r) {
                return getMudaNomeConferido(B, C, "03", "1", "Massas", "0", "2", "0", "0", botao(g, "03"), r);
            }).ok());
    QVERIFY(
        call([&](QVariant& r) { return getDelProdutoConferido(B, C, "06", "1", "02", "1", botao(p, "06"), r); }).ok());
    const auto rows = db().rows("SELECT NRBUTTON, NRCOLORBACK, NRCOLORTEXT, DSBUTTON FROM ITMENUCONFTE "
                                "ORDER BY IDTPBUTTON, NRBUTTON");
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0].value(2).toDouble(), 255.0); // product 05, text colour
    QCOMPARE(rows[1].value(1).toDouble(), 65535.0);
    QCOMPARE(rows[2].value(3).toString(), QString("Massas"));

    // A group move with its products as known: both follow.
    const DataPacket g2 = grupos();
    QVERIFY(call([&](QVariant& r) {
                return setColarGrupConferido("255", "0", "Lanches", "2", "09", "1", "0", "0", "0", B, C, "2", "02", "1",
                                             "0", "0", "0", botao(g2, "02"),
                                             QVariant::fromValue(visto("", "2", "02", "1")), r);
            }).ok());
    QCOMPARE(column(visto("1", "2", "09", "1"), "NRBUTTON"), QStringList({"05"}));
    QVERIFY(!rdmConfGrupo->InTransaction());
}

void SrvEstacoes::changedRowIsNotWritten_data() {
    QTest::addColumn<QString>("write");
    for (const char* write :
         {"rename", "colour", "text colour", "delete product", "delete group", "paste group", "paste product"})
        QTest::newRow(write) << QString::fromLatin1(write);
}

// Each change of station B in turn, on a fresh menu.
void SrvEstacoes::changedRowIsNotWritten() {
    QFETCH(QString, write);
    for (const char16_t* nome : {u"caption", u"colour", u"moved", u"deleted", u"product code"}) {
        const QString change = QString::fromUtf16(nome);
        if (change == u"product code" && !write.contains(u"product"))
            continue;
        db().exec("DELETE FROM ITMENUCONFTE");
        verificaMudanca(write, change);
        if (QTest::currentTestFailed())
            qWarning("after the change: %s", qPrintable(change));
    }
}

void SrvEstacoes::verificaMudanca(const QString& write, const QString& change) {
    addGroup("02", "1", "Lanches");
    addProduct("05", "1", "02", "1", "Suco");
    const bool product = write.contains(QLatin1String("product")) || write == QLatin1String("text colour");
    const QString button = product ? QStringLiteral("05") : QStringLiteral("02");
    const QVariant shown = botao(product ? visto("1", "2", "02", "1") : grupos(), button);
    const QVariant products = QVariant::fromValue(visto("", "2", "02", "1"));
    mudaEmB(change, button);
    const auto after = menu();
    Call c;
    if (write == QLatin1String("rename"))
        c = call(
            [&](QVariant& r) { return getMudaNomeConferido(B, C, "02", "1", "Novo", "0", "2", "0", "0", shown, r); });
    else if (write == QLatin1String("colour"))
        c = call(
            [&](QVariant& r) { return getMudaCorConferido(B, C, "02", "1", "0", "0", "0", "65535", "2", shown, r); });
    else if (write == QLatin1String("text colour"))
        c = call(
            [&](QVariant& r) { return getMudaFonteConferido(B, C, "05", "1", "255", "1", "2", "1", "02", shown, r); });
    else if (write == QLatin1String("delete product"))
        c = call([&](QVariant& r) { return getDelProdutoConferido(B, C, "05", "1", "02", "1", shown, r); });
    else if (write == QLatin1String("delete group"))
        c = call([&](QVariant& r) { return getDeletaGrupoConferido(B, C, "2", "02", "1", shown, products, r); });
    else if (write == QLatin1String("paste group"))
        c = call([&](QVariant& r) {
            return setColarGrupConferido("255", "0", "Lanches", "2", "09", "1", "0", "0", "0", B, C, "2", "02", "1",
                                         "0", "0", "0", shown, products, r);
        });
    else
        c = call([&](QVariant& r) {
            return setColarProdConferido("255", "0", "Suco", "1", "09", "1", "2", "02", "1", B, "1", "05", "1", "2",
                                         "02", "1", C, shown, r);
        });
    QVERIFY2(alterado(c), qPrintable(c.text()));
    QCOMPARE(menu(), after);
    QVERIFY(!rdmConfGrupo->InTransaction());
}

// Station A shows "Pratos" on 03; station B clears it and lays out "Massas"
// with two products there. A's clear of 03 deletes none of B's work.
void SrvEstacoes::groupClearOverAnotherGroupDeletesNothing() {
    addGroup("03", "1", "Pratos");
    addProduct("01", "1", "03", "1", "Bife");
    const QVariant shown = botao(grupos(), "03");
    const QVariant products = QVariant::fromValue(visto("", "2", "03", "1"));
    db().exec("DELETE FROM ITMENUCONFTE");
    addGroup("03", "1", "Massas");
    addProduct("01", "1", "03", "1", "Lasanha");
    addProduct("02", "1", "03", "1", "Nhoque");
    const auto after = menu();
    QVERIFY(
        alterado(call([&](QVariant& r) { return getDeletaGrupoConferido(B, C, "2", "03", "1", shown, products, r); })));
    QCOMPARE(menu(), after);
    // As shown, it goes with its products, in one call.
    QVERIFY(call([&](QVariant& r) {
                return getDeletaGrupoConferido(B, C, "2", "03", "1", botao(grupos(), "03"),
                                               QVariant::fromValue(visto("", "2", "03", "1")), r);
            }).ok());
    QCOMPARE(menuCount(), 0);
}

void SrvEstacoes::groupClearOrMoveWithChangedProducts_data() {
    QTest::addColumn<bool>("move");
    QTest::addColumn<QString>("change");
    for (const bool move : {false, true}) {
        const char* write = move ? "move" : "clear";
        QTest::newRow(qPrintable(QStringLiteral("%1, product added").arg(write))) << move << "added";
        QTest::newRow(qPrintable(QStringLiteral("%1, product renamed").arg(write))) << move << "renamed";
        QTest::newRow(qPrintable(QStringLiteral("%1, product removed").arg(write))) << move << "removed";
    }
}

// The group itself is as shown, but its products are not: nothing is deleted
// or moved, neither the group nor any product.
void SrvEstacoes::groupClearOrMoveWithChangedProducts() {
    QFETCH(bool, move);
    QFETCH(QString, change);
    addGroup("03", "1", "Pratos");
    addProduct("01", "1", "03", "1", "Bife");
    addProduct("01", "2", "03", "1", "Frango");
    const QVariant shown = botao(grupos(), "03");
    const QVariant products = QVariant::fromValue(visto("", "2", "03", "1"));
    if (change == QLatin1String("added"))
        addProduct("02", "2", "03", "1", "Peixe");
    else if (change == QLatin1String("renamed"))
        db().exec("UPDATE ITMENUCONFTE SET DSBUTTON = 'Filé' WHERE DSBUTTON = 'Frango'");
    else
        db().exec("DELETE FROM ITMENUCONFTE WHERE DSBUTTON = 'Frango'");
    const auto after = menu();
    const Call c =
        move ? call([&](QVariant& r) {
            return setColarGrupConferido("255", "0", "Pratos", "2", "09", "1", "0", "0", "0", B, C, "2", "03", "1", "0",
                                         "0", "0", shown, products, r);
        })
             : call([&](QVariant& r) { return getDeletaGrupoConferido(B, C, "2", "03", "1", shown, products, r); });
    QVERIFY2(alterado(c), qPrintable(c.text()));
    QCOMPARE(menu(), after);
}

void SrvEstacoes::pasteOntoAPlaceTakenMeanwhile() {
    addGroup("02", "1", "Lanches");
    addProduct("05", "1", "02", "1", "Suco");
    const QVariant group = botao(grupos(), "02");
    const QVariant product = botao(visto("1", "2", "02", "1"), "05");
    // Another type on the target, which the key alone would let in.
    addItem("7", "09", "1", "0", "0", "0", "Navegador_Direito_Grp");
    addItem("9", "09", "1", "2", "02", "1", "Navegador_Direito_Prod");
    const auto after = menu();
    QVERIFY(alterado(call([&](QVariant& r) {
        return setColarGrupConferido("255", "0", "Lanches", "2", "09", "1", "0", "0", "0", B, C, "2", "02", "1", "0",
                                     "0", "0", group, QVariant(), r);
    })));
    QVERIFY(alterado(call([&](QVariant& r) {
        return setColarProdConferido("255", "0", "Suco", "1", "09", "1", "2", "02", "1", B, "1", "05", "1", "2", "02",
                                     "1", C, product, r);
    })));
    QCOMPARE(menu(), after);
    // Onto its own place: only the look changes.
    QVERIFY(call([&](QVariant& r) {
                return setColarProdConferido("255", "0", "Suco gelado", "1", "05", "1", "2", "02", "1", B, "1", "05",
                                             "1", "2", "02", "1", C, product, r);
            }).ok());
    QCOMPARE(caption("1", "05", "1"), QString("Suco gelado"));
}

void SrvEstacoes::expectedRowsThatAreNoPacketAreAFault() {
    addGroup("02", "1", "Lanches");
    const auto before = menu();
    const Call c = call([](QVariant& r) {
        return getMudaCorConferido(B, C, "02", "1", "0", "0", "0", "65535", "2", QVariant(QStringLiteral("x")), r);
    });
    QVERIFY(c.failedWithText());
    QVERIFY(!OperatorTexts::ehAlteradoOutraEstacao(c.text()));
    QCOMPARE(menu(), before);
}

// Nulls in the store: a null text is shown as empty and matches it; a null
// colour matches only a null shown. A failed checked write leaves no check
// behind for the next plain one.
void SrvEstacoes::nullsCompareAsShown() {
    addGroup("02", "1", "Lanches");
    db().exec("UPDATE ITMENUCONFTE SET CDIDENTBUTON = NULL, DSIMAGEMBUT = NULL, NRCOLORTEXT = NULL");
    const QVariant shown = botao(grupos(), "02");
    QVERIFY(call([&](QVariant& r) {
                return getMudaCorConferido(B, C, "02", "1", "0", "0", "0", "255", "2", shown, r);
            }).ok());
    const QVariant shownNow = botao(grupos(), "02");
    db().exec("UPDATE ITMENUCONFTE SET NRCOLORTEXT = 0");
    QVERIFY(alterado(call(
        [&](QVariant& r) { return getMudaCorConferido(B, C, "02", "1", "0", "0", "0", "65535", "2", shownNow, r); })));
    QCOMPARE(db().rows("SELECT NRCOLORBACK FROM ITMENUCONFTE").first().first().toDouble(), 255.0);
    QVERIFY(call([&](QVariant& r) { return getMudaCor(B, C, "02", "1", "0", "0", "0", "65535", "2", r); }).ok());
    QCOMPARE(db().rows("SELECT NRCOLORBACK FROM ITMENUCONFTE").first().first().toDouble(), 65535.0);
}

// Two product-level items on one position: the delete removes those shown,
// all or none, and never one the screen did not show.
void SrvEstacoes::severalRowsAtOnePosition() {
    addGroup("02", "1", "Lanches");
    addProduct("05", "1", "02", "1", "Suco");
    addItem("9", "05", "1", "2", "02", "1", "Navegador_Direito_Prod");
    const QVariant both = botao(visto("1", "2", "02", "1"), "05");
    QCOMPARE(both.value<DataPacket>().rowCount(), 2);
    db().exec("UPDATE ITMENUCONFTE SET DSBUTTON = 'Outro' WHERE IDTPBUTTON = '9'");
    const auto after = menu();
    QVERIFY(alterado(call([&](QVariant& r) { return getDelProdutoConferido(B, C, "05", "1", "02", "1", both, r); })));
    QCOMPARE(menu(), after);
    // Shown as they are now: both go.
    const QVariant now = botao(visto("1", "2", "02", "1"), "05");
    QVERIFY(call([&](QVariant& r) { return getDelProdutoConferido(B, C, "05", "1", "02", "1", now, r); }).ok());
    QCOMPARE(menuCount(), 1);
    // One shown, another laid on the same position since: only the one shown goes.
    addProduct("05", "1", "02", "1", "Suco");
    const QVariant one = botao(visto("1", "2", "02", "1"), "05");
    addItem("9", "05", "1", "2", "02", "1", "Navegador_Direito_Prod");
    QVERIFY(call([&](QVariant& r) { return getDelProdutoConferido(B, C, "05", "1", "02", "1", one, r); }).ok());
    QCOMPARE(caption("9", "05", "1"), QString("Navegador_Direito_Prod"));
    QCOMPARE(caption("1", "05", "1"), QString());
}

// What was shown on one button cannot check a write to another.
void SrvEstacoes::shownAtAnotherPositionIsAMismatch() {
    addGroup("02", "1", "Lanches");
    addGroup("03", "1", "Lanches");
    const DataPacket g = grupos();
    const auto before = menu();
    QVERIFY(alterado(call([&](QVariant& r) {
        return getMudaCorConferido(B, C, "03", "1", "0", "0", "0", "255", "2", botao(g, "02"), r);
    })));
    QVERIFY(alterado(call([&](QVariant& r) {
        return setColarGrupConferido("255", "0", "Lanches", "2", "09", "1", "0", "0", "0", B, C, "2", "03", "1", "0",
                                     "0", "0", botao(g, "02"), QVariant(), r);
    })));
    QCOMPARE(menu(), before);
}

int main(int argc, char** argv) {
    return runOnEngines(argc, argv, [](TestDatabase::Engine e) { return std::make_unique<SrvEstacoes>(e); });
}

#include "tst_SrvEstacoes.moc"
