// getProdutosNoCardapio: every product button of one configuration, with the
// caption of its group, on every engine.

#include "SrvFixture.h"

class SrvNoCardapio : public SrvFixture {
    Q_OBJECT
public:
    using SrvFixture::SrvFixture;

private:
    Call produtos(const QString& conf = QStringLiteral("00001")) {
        return call([&](QVariant& r) { return getProdutosNoCardapio("9999", conf, r); });
    }

private slots:
    void everyProductOfTheConfigurationWithItsGroup() {
        addGroup("01", "1", "Bebidas");
        addGroup("05", "2", "Lanches");
        addProduct("03", "1", "01", "1", "Coca");
        addProduct("07", "2", "05", "2", "X-Burger");
        addProduct("01", "1", "09", "1", "Sem grupo"); // its group button is not there
        addItem("9", "36", "1", "2", "01", "1", "Navegador_Direito_Prod");
        addItem("1", "01", "1", "2", "01", "1", "Outra", "101002", "0001"); // another branch
        addItem("1", "02", "1", "2", "05", "1", "Página errada", "101003"); // group 05 is on page 2
        addItem("2", "05", "1", "0", "0", "0", "Pratos");                   // ... and this one on page 1
        const DataPacket p = packet(produtos());
        QCOMPARE(fieldNames(p), QStringList({"CDIDENTBUTON", "DSBUTTON", "NRBUTTON", "NRPGCONFTELA", "NRBUTTONAUX",
                                             "NRPGCONFTAUX", "DSGRUPO"}));
        QCOMPARE(column(p, "DSBUTTON"), QStringList({"Coca", "Página errada", "Sem grupo", "X-Burger"}));
        QCOMPARE(column(p, "DSGRUPO"), QStringList({"Bebidas", "Pratos", "", "Lanches"}));
        QVERIFY(p.isNull(2, p.indexOf(u"DSGRUPO")));
        QCOMPARE(column(p, "NRPGCONFTELA"), QStringList({"1", "1", "1", "2"}));
        QCOMPARE(column(p, "CDIDENTBUTON"), QStringList({"101001", "101003", "101001", "101001"}));
        QCOMPARE(packet(produtos(QStringLiteral("00002"))).rowCount(), 0);
    }

    void aConfigurationNumberTooWideIsRefused() {
        const Call c = produtos(QStringLiteral("000001"));
        QVERIFY2(c.failedWithText(), qPrintable(c.text()));
        QVERIFY2(!c.text().contains("SELECT"), qPrintable(c.text()));
    }
};

int main(int argc, char** argv) {
    return runOnEngines(argc, argv, [](TestDatabase::Engine e) { return std::make_unique<SrvNoCardapio>(e); });
}

#include "tst_SrvNoCardapio.moc"
