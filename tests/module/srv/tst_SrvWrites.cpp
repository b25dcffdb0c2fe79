// The data service's writes and pastes, on every engine: what they store, and
// that a refused write changes nothing and leaves no transaction open.

#include "SrvFixture.h"

#include <OperatorTexts.h>

#include <QDateTime>
#include <QScopeGuard>

#include <ctime>

namespace {
const QString B = QStringLiteral("9999");
const QString C = QStringLiteral("00001");
} // namespace

class SrvWrites : public SrvFixture {
    Q_OBJECT
public:
    using SrvFixture::SrvFixture;

private:
    Call insere(const QString& type, const QString& button, const QString& caption, const QString& product,
                const QString& page, const QString& auxType, const QString& auxButton, const QString& auxPage) {
        return call([&](QVariant& r) {
            return getInsere(B, C, type, button, caption, 0.0f, 11571344.0f, "", product, page, auxType, auxButton,
                             auxPage, r);
        });
    }
    Call insereGroup(const QString& button, const QString& caption = QStringLiteral("Grupo")) {
        return insere("2", button, caption, "", "1", "0", "0", "0");
    }
    Call mudaCorGroup(const QString& button, const QString& colour) {
        return call([&](QVariant& r) { return getMudaCor(B, C, button, "1", "0", "0", "0", colour, "2", r); });
    }
    Call colarGrup(const QString& newButton, const QString& newPage, const QString& oldButton, const QString& oldPage,
                   const QString& type = QStringLiteral("2"), const QString& back = QStringLiteral("255")) {
        return call([&](QVariant& r) {
            return setColarGrup(back, "65535", "Movido", type, newButton, newPage, "0", "0", "0", B, C, type, oldButton,
                                oldPage, "0", "0", "0", r);
        });
    }
    Call colarProd(const QStringList& newKey, const QStringList& oldKey, const QString& back = QStringLiteral("255"),
                   const QString& caption = QStringLiteral("Movido")) {
        // keys: type, button, page, auxType, auxButton, auxPage
        return call([&](QVariant& r) {
            return setColarProd(back, "16711680", caption, newKey[0], newKey[1], newKey[2], newKey[3], newKey[4],
                                newKey[5], B, oldKey[0], oldKey[1], oldKey[2], oldKey[3], oldKey[4], oldKey[5], C, r);
        });
    }
    QVariantList item(const QString& type, const QString& button, const QString& page, const QString& auxButton) {
        const auto rows = db().rows(QStringLiteral("SELECT DSBUTTON, NRCOLORTEXT, NRCOLORBACK, CDIDENTBUTON, "
                                                   "DTULTATUITCT FROM ITMENUCONFTE WHERE IDTPBUTTON = '%1' AND "
                                                   "NRBUTTON = '%2' AND NRPGCONFTELA = '%3' AND NRBUTTONAUX = '%4'")
                                        .arg(type, button, page, auxButton));
        return rows.size() == 1 ? rows.first() : QVariantList();
    }
    // The parent link of every product-level row, as "type/button/page<-auxButton/auxPage".
    QStringList productLinks() {
        QStringList out;
        for (const auto& r : db().rows("SELECT IDTPBUTTON, NRBUTTON, NRPGCONFTELA, NRBUTTONAUX, NRPGCONFTAUX FROM "
                                       "ITMENUCONFTE WHERE IDTPBUTONAUX = '2'"))
            out << QStringLiteral("%1/%2/%3<-%4/%5")
                       .arg(r[0].toString(), r[1].toString(), r[2].toString(), r[3].toString(), r[4].toString());
        out.sort();
        return out;
    }
    void verifyRefused(const Call& c, const QList<QVariantList>& before, const QStringList& reasons);

private slots:
    void insertStoresColoursAndTime();
    void insertedItemsReadBack();
    void captionsAreStoredVerbatim();
    void renameAndRecolour();
    void colourTextIsStoredAsNumber();
    void colourTextNeverStoredAsTextInAHostTable();
    void writesOnMissingKeyChangeNothing();
    void badInputIsRefusedAndChangesNothing_data();
    void badInputIsRefusedAndChangesNothing();
    void deleteGroupProducts();
    void deleteGroupLevelItem();
    void deleteProductNeverTouchesGroups();
    void pasteGroupMovesItsProductPages();
    void pasteGroupWithoutProducts();
    void pasteNavigatorCarriesLeftoverProducts();
    void pasteOfVanishedItemChangesNothing();
    void pasteGroupFailingHalfwayRollsBack();
    void pasteProduct();
    void pasteProductOntoOccupiedKeyIsRefused();
};

void SrvWrites::insertStoresColoursAndTime() {
    // The till's clock in another time zone than the server's: the row holds
    // the till's local time.
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "America/Sao_Paulo");
    tzset();
    const auto restore = qScopeGuard([&] {
        if (zone.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", zone);
        tzset();
    });
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    QVERIFY(insereGroup("03").ok());
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    const QVariantList row = item("2", "03", "1", "0");
    QCOMPARE(row.size(), 5);
    QCOMPARE(row[1].toDouble(), 0.0);
    QCOMPARE(row[2].toDouble(), 11571344.0);
    QCOMPARE(row[3].toString(), QString(""));
    QDateTime stamp = row[4].toDateTime();
    QVERIFY2(stamp >= before && stamp <= after, qPrintable(row[4].toString()));

    // No other write changes the moment of insertion.
    QVERIFY(call([](QVariant& r) { return getMudaNome(B, C, "03", "1", "Novo", "0", "2", "0", "0", r); }).ok());
    QVERIFY(mudaCorGroup("03", "255").ok());
    QVERIFY(colarGrup("04", "1", "03", "1").ok());
    QCOMPARE(item("2", "04", "1", "0").value(4), row[4]);
}

void SrvWrites::insertedItemsReadBack() {
    QVERIFY(insereGroup("05", "Lanches").ok());
    QVERIFY(insere("1", "01", "X-Burguer", "101001", "1", "2", "05", "1").ok());
    QVERIFY(insere("9", "36", "Navegador_Direito_Prod", "", "1", "2", "05", "1").ok());
    QVERIFY(insere("7", "12", "Navegador_Direito_Grp", "", "1", "0", "0", "0").ok());

    QStringList groups = column(packet(call([](QVariant& r) { return getPesqGrupo(B, C, "1", r); })), "DSBUTTON");
    groups.sort();
    QCOMPARE(groups, QStringList({"Lanches", "Navegador_Direito_Grp"}));
    const DataPacket products = packet(call([](QVariant& r) { return getPesqProdGrupo(B, C, "1", "05", "1", r); }));
    QCOMPARE(products.rowCount(), 2);
    QCOMPARE(item("1", "01", "1", "05").value(3).toString(), QString("101001"));
}

void SrvWrites::captionsAreStoredVerbatim() {
    const QString caption = QStringLiteral("Pão d'Água; DROP TABLE X; -- \"ç\" ñ €");
    QVERIFY(insereGroup("01", caption).ok());
    QCOMPARE(item("2", "01", "1", "0").value(0).toString(), caption);
    const QString renamed = QStringLiteral("'); DELETE FROM ITMENUCONFTE; --");
    QVERIFY(call([&](QVariant& r) { return getMudaNome(B, C, "01", "1", renamed, "0", "2", "0", "0", r); }).ok());
    QCOMPARE(column(packet(call([](QVariant& r) { return getPesqGrupo(B, C, "1", r); })), "DSBUTTON"),
             QStringList({renamed}));
}

// Every key value differs from the others, so an argument bound to another
// parameter matches no row.
void SrvWrites::renameAndRecolour() {
    addGroup("04", "3", "Antigo");
    addProduct("07", "2", "04", "3", "Produto");
    QVERIFY(call([](QVariant& r) { return getMudaNome(B, C, "07", "2", "Novo", "04", "1", "2", "3", r); }).ok());
    QCOMPARE(item("1", "07", "2", "04").value(0).toString(), QString("Novo"));
    QCOMPARE(item("2", "04", "3", "0").value(0).toString(), QString("Antigo"));

    // The text colour's arguments end with the parent's page, then its button.
    QVERIFY(call([](QVariant& r) { return getMudaFonte(B, C, "07", "2", "65280", "1", "2", "3", "04", r); }).ok());
    QCOMPARE(item("1", "07", "2", "04").value(1).toDouble(), 65280.0);
    QCOMPARE(item("2", "04", "3", "0").value(1).toDouble(), 0.0);
    QVERIFY(call([](QVariant& r) { return getMudaCor(B, C, "07", "2", "2", "04", "3", "16777215", "1", r); }).ok());
    QCOMPARE(item("1", "07", "2", "04").value(2).toDouble(), 16777215.0);
    QCOMPARE(item("2", "04", "3", "0").value(2).toDouble(), 11571344.0);
}

void SrvWrites::colourTextIsStoredAsNumber() {
    addGroup("01", "1");
    QVERIFY(mudaCorGroup("01", "255").ok());
    if (!onPostgres()) {
        const auto types = db().rows("SELECT typeof(NRCOLORBACK), NRCOLORBACK FROM ITMENUCONFTE");
        QCOMPARE(types.at(0).at(0).toString(), QString("real"));
    }
    const DataPacket p = packet(call([](QVariant& r) { return getPesqGrupo(B, C, "1", r); }));
    QCOMPARE(p.value(0, p.indexOf(u"NRCOLORBACK")), QVariant(255.0));
}

// A host database's own table, loosely typed: a colour that is not a number is
// refused there too, and a number is stored as a number.
void SrvWrites::colourTextNeverStoredAsTextInAHostTable() {
    if (onPostgres())
        QSKIP("a server refuses a text in a numeric column itself");
    db().exec("DROP TABLE ITMENUCONFTE");
    db().exec("CREATE TABLE ITMENUCONFTE (CDFILIAL TEXT, NRCONFTELA TEXT, IDTPBUTTON TEXT, NRBUTTON TEXT, "
              "NRPGCONFTELA TEXT, IDTPBUTONAUX TEXT, NRBUTTONAUX TEXT, NRPGCONFTAUX TEXT, CDIDENTBUTON TEXT, "
              "DSBUTTON TEXT, NRCOLORTEXT REAL, NRCOLORBACK REAL, DSMESSAGEBUT TEXT, DSIMAGEMBUT TEXT, "
              "DTULTATUITCT TEXT, PRIMARY KEY (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, "
              "IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX))");
    QVERIFY(insereGroup("01").ok());
    QVERIFY(mudaCorGroup("01", "azul").failedWithText());
    QVERIFY(
        call([](QVariant& r) { return getMudaFonte(B, C, "01", "1", "12a", "2", "0", "0", "0", r); }).failedWithText());
    QVERIFY(mudaCorGroup("01", "255").ok());
    const auto types = db().rows("SELECT typeof(NRCOLORBACK), typeof(NRCOLORTEXT) FROM ITMENUCONFTE");
    QCOMPARE(types.value(0).value(0).toString(), QString("real"));
    QCOMPARE(types.value(0).value(1).toString(), QString("real"));
}

// A write that names a row and finds none fails, says the button changed
// elsewhere and changes nothing; the delete of a group's products may find
// none, since a group may have no products.
void SrvWrites::writesOnMissingKeyChangeNothing() {
    addGroup("01", "1");
    addProduct("01", "1", "01", "1");
    const auto before = menu();
    const auto changedElsewhere = [](const Call& c) {
        return c.failedWithText() && OperatorTexts::ehAlteradoOutraEstacao(c.text());
    };
    QVERIFY(changedElsewhere(
        call([](QVariant& r) { return getMudaNome(B, C, "01", "1", "Z", "0", "2", "0", "1", r); })));
    QVERIFY(changedElsewhere(mudaCorGroup("1", "255"))); // "1" is not "01"
    QVERIFY(changedElsewhere(
        call([](QVariant& r) { return getMudaFonte(B, C, "01", "2", "255", "2", "0", "0", "0", r); })));
    QVERIFY(call([](QVariant& r) { return getDelProdGrup(B, C, "2", "1", "1", r); }).ok());
    QVERIFY(changedElsewhere(call([](QVariant& r) { return getDeletaGrupo(B, C, "2", "01", "2", r); })));
    QVERIFY(changedElsewhere(call([](QVariant& r) { return getDelProduto(B, C, "01", "1", "01", "2", r); })));
    QCOMPARE(menu(), before);
    QVERIFY(!rdmConfGrupo->InTransaction());
}

void SrvWrites::badInputIsRefusedAndChangesNothing_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("sqliteReasons");
    QTest::addColumn<QStringList>("postgresReasons");
    // Widths and colours are checked by the data service before the database
    // sees them, alike on every engine (a host's SQLite table may not check).
    const QStringList tooLong{"O nome tem 51 caracteres; o limite é 50"};
    const QStringList keyTooWide{"\"123456\" de posição do botão passa do limite de 5"};
    const QStringList notNumber{"não é um número"};
    const QStringList duplicate{"já está ocupada"};
    const QStringList unique{"já está ocupada"};
    QTest::newRow("insert caption of 51") << "insertLongCaption" << tooLong << tooLong;
    QTest::newRow("rename caption of 51") << "renameLongCaption" << tooLong << tooLong;
    QTest::newRow("insert key over width") << "insertLongKey" << keyTooWide << keyTooWide;
    QTest::newRow("insert on stored key") << "insertDuplicate" << unique << duplicate;
    QTest::newRow("background not a number") << "colourText" << notNumber << notNumber;
    QTest::newRow("text colour not a number") << "fontText" << notNumber << notNumber;
    QTest::newRow("paste colour not a number") << "pasteColour" << notNumber << notNumber;
    QTest::newRow("paste caption of 51") << "pasteLongCaption" << tooLong << tooLong;
}

void SrvWrites::verifyRefused(const Call& c, const QList<QVariantList>& before, const QStringList& reasons) {
    QVERIFY2(c.failedWithText(), qPrintable(QStringLiteral("status %1: %2").arg(c.status).arg(c.text())));
    bool named = false;
    for (const QString& reason : reasons)
        named = named || c.text().contains(reason, Qt::CaseInsensitive);
    QVERIFY2(named, qPrintable(c.text()));
    QVERIFY(!rdmConfGrupo->InTransaction());
    QCOMPARE(menu(), before);
}

void SrvWrites::badInputIsRefusedAndChangesNothing() {
    QFETCH(QString, kind);
    QFETCH(QStringList, sqliteReasons);
    QFETCH(QStringList, postgresReasons);
    addGroup("01", "1", "Grupo");
    addProduct("01", "1", "01", "1");
    addProduct("01", "2", "01", "1");
    const auto before = menu();
    const QString long51(51, u'x');

    Call c;
    if (kind == "insertLongCaption")
        c = insereGroup("02", long51);
    else if (kind == "renameLongCaption")
        c = call([&](QVariant& r) { return getMudaNome(B, C, "01", "1", long51, "0", "2", "0", "0", r); });
    else if (kind == "insertLongKey")
        c = insereGroup("123456");
    else if (kind == "insertDuplicate")
        c = insereGroup("01");
    else if (kind == "colourText")
        c = mudaCorGroup("01", "azul");
    else if (kind == "fontText")
        c = call([](QVariant& r) { return getMudaFonte(B, C, "01", "1", "12a", "2", "0", "0", "0", r); });
    else if (kind == "pasteColour")
        c = colarGrup("05", "1", "01", "1", "2", "vermelho");
    else if (kind == "pasteLongCaption")
        c = colarProd({"1", "02", "1", "2", "01", "1"}, {"1", "01", "1", "2", "01", "1"}, "255", long51);
    verifyRefused(c, before, onPostgres() ? postgresReasons : sqliteReasons);
    if (QTest::currentTestFailed())
        return;

    // The next write starts a transaction of its own and commits.
    QVERIFY(mudaCorGroup("01", "123").ok());
    QCOMPARE(item("2", "01", "1", "0").value(2).toDouble(), 123.0);
    QVERIFY(!rdmConfGrupo->InTransaction());
}

void SrvWrites::deleteGroupProducts() {
    addGroup("03", "1");
    addProduct("01", "1", "03", "1");
    addProduct("01", "2", "03", "1");
    addItem("A", "35", "1", "2", "03", "1");
    addItem("9", "36", "3", "2", "03", "1");
    addProduct("01", "1", "3", "1");  // another position as text
    addProduct("02", "1", "03", "2"); // same button on another group page
    QVERIFY(call([](QVariant& r) { return getDelProdGrup(B, C, "2", "03", "1", r); }).ok());
    QCOMPARE(productLinks(), QStringList({"1/01/1<-3/1", "1/02/1<-03/2"}));
    QVERIFY(!item("2", "03", "1", "0").isEmpty());
}

void SrvWrites::deleteGroupLevelItem() {
    addGroup("12", "1");
    addItem("7", "12", "2", "0", "0", "0");
    addItem("7", "11", "1", "0", "0", "0");
    addItem("8", "11", "1", "0", "0", "0");
    QVERIFY(call([](QVariant& r) { return getDeletaGrupo(B, C, "7", "11", "1", r); }).ok());
    QCOMPARE(menuCount(), 3);
    QVERIFY(item("7", "11", "1", "0").isEmpty());
    QVERIFY(!item("8", "11", "1", "0").isEmpty());
}

void SrvWrites::deleteProductNeverTouchesGroups() {
    addGroup("03", "4");
    addProduct("06", "2", "03", "4");
    addItem("A", "06", "2", "2", "03", "4"); // a navigator typed by hand at the same place goes too
    addItem("2", "06", "2", "2", "03", "4"); // a group row with the same numbers stays
    addProduct("03", "4", "06", "2");        // the numbers swapped: another item, which stays
    QVERIFY(call([](QVariant& r) { return getDelProduto(B, C, "06", "2", "03", "4", r); }).ok());
    QCOMPARE(productLinks(), QStringList({"1/03/4<-06/2", "2/06/2<-03/4"}));
    QVERIFY(!item("2", "03", "4", "0").isEmpty());
}

void SrvWrites::pasteGroupMovesItsProductPages() {
    addGroup("03", "1", "Bebidas");
    addGroup("03", "2", "Outra pagina");
    for (const char* page : {"1", "2", "3"}) {
        addProduct("01", page, "03", "1");
        addProduct("36", page, "03", "1");
    }
    addItem("9", "35", "3", "2", "03", "1");
    addProduct("05", "1", "03", "2"); // belongs to the group on page 2

    QVERIFY(colarGrup("07", "2", "03", "1").ok());
    QCOMPARE(productLinks(), QStringList({"1/01/1<-07/2", "1/01/2<-07/2", "1/01/3<-07/2", "1/05/1<-03/2",
                                          "1/36/1<-07/2", "1/36/2<-07/2", "1/36/3<-07/2", "9/35/3<-07/2"}));
    const QVariantList moved = item("2", "07", "2", "0");
    QCOMPARE(moved.value(0).toString(), QString("Movido"));
    QCOMPARE(moved.value(1).toDouble(), 65535.0);
    QCOMPARE(moved.value(2).toDouble(), 255.0);
    QVERIFY(item("2", "03", "1", "0").isEmpty());
    QCOMPARE(packet(call([](QVariant& r) { return getPesqProdGrupo(B, C, "1", "07", "2", r); })).rowCount(), 2);
    QCOMPARE(packet(call([](QVariant& r) { return getPesqProdGrupo(B, C, "1", "03", "1", r); })).rowCount(), 0);
}

void SrvWrites::pasteGroupWithoutProducts() {
    addGroup("03", "1");
    addProduct("01", "1", "04", "1");
    QVERIFY(colarGrup("05", "1", "03", "1").ok());
    QVERIFY(!item("2", "05", "1", "0").isEmpty());
    QCOMPARE(productLinks(), QStringList({"1/01/1<-04/1"}));
}

void SrvWrites::pasteNavigatorCarriesLeftoverProducts() {
    addItem("7", "12", "1", "0", "0", "0");
    addProduct("01", "1", "12", "1"); // left behind under that position
    QVERIFY(colarGrup("11", "1", "12", "1", "7").ok());
    QVERIFY(!item("7", "11", "1", "0").isEmpty());
    QCOMPARE(productLinks(), QStringList({"1/01/1<-11/1"}));
}

void SrvWrites::pasteOfVanishedItemChangesNothing() {
    addGroup("01", "1");
    const auto before = menu();
    QVERIFY(OperatorTexts::ehAlteradoOutraEstacao(colarGrup("05", "1", "09", "1").text()));
    QVERIFY(OperatorTexts::ehAlteradoOutraEstacao(
        colarProd({"1", "02", "1", "2", "01", "1"}, {"1", "09", "1", "2", "01", "1"}).text()));
    QCOMPARE(menu(), before);
    QVERIFY(!rdmConfGrupo->InTransaction());
}

void SrvWrites::pasteGroupFailingHalfwayRollsBack() {
    addGroup("03", "1");
    addProduct("01", "1", "03", "1");
    addProduct("02", "1", "03", "1");
    // A product left under the target position: re-pointing the second child
    // collides with it after the first child has moved.
    addProduct("02", "1", "07", "2");
    // A group at the target: every child is re-pointed, then the move fails.
    addGroup("09", "2");
    const auto before = menu();
    const QStringList duplicate = QStringList{"já está ocupada"};
    verifyRefused(colarGrup("09", "2", "03", "1"), before, duplicate);
    if (QTest::currentTestFailed())
        return;
    verifyRefused(colarGrup("07", "2", "03", "1"), before, duplicate);
    if (QTest::currentTestFailed())
        return;
    // The next paste is a transaction of its own.
    QVERIFY(colarGrup("08", "2", "03", "1").ok());
    QCOMPARE(productLinks(), QStringList({"1/01/1<-08/2", "1/02/1<-07/2", "1/02/1<-08/2"}));
}

void SrvWrites::pasteProduct() {
    addGroup("01", "1");
    addGroup("02", "1");
    addItem("1", "05", "2", "2", "01", "1", "Suco", "101001");
    // To another page of another group: the product stays the same.
    QVERIFY(colarProd({"1", "09", "3", "2", "02", "1"}, {"1", "05", "2", "2", "01", "1"}).ok());
    const QVariantList moved = item("1", "09", "3", "02");
    QCOMPARE(moved.value(0).toString(), QString("Movido"));
    QCOMPARE(moved.value(2).toDouble(), 255.0);
    QCOMPARE(moved.value(3).toString(), QString("101001"));
    QCOMPARE(productLinks(), QStringList({"1/09/3<-02/1"}));

    // Onto its own key: only the look changes.
    QVERIFY(colarProd({"1", "09", "3", "2", "02", "1"}, {"1", "09", "3", "2", "02", "1"}, "42", "Suco 2").ok());
    QCOMPARE(item("1", "09", "3", "02").value(0).toString(), QString("Suco 2"));
    QCOMPARE(item("1", "09", "3", "02").value(2).toDouble(), 42.0);
    QCOMPARE(productLinks(), QStringList({"1/09/3<-02/1"}));
}

void SrvWrites::pasteProductOntoOccupiedKeyIsRefused() {
    addProduct("01", "1", "01", "1");
    addProduct("02", "1", "01", "1");
    const auto before = menu();
    verifyRefused(colarProd({"1", "02", "1", "2", "01", "1"}, {"1", "01", "1", "2", "01", "1"}), before,
                  QStringList{"já está ocupada"});
}

int main(int argc, char** argv) {
    return runOnEngines(argc, argv, [](TestDatabase::Engine e) { return std::make_unique<SrvWrites>(e); });
}

#include "tst_SrvWrites.moc"
