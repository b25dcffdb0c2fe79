// Export, import and copy of a whole configuration: round trips that give the
// same rows back, the replace option, and every refusal leaving the store as
// it was. Run on SQLite and, when a server is named, on PostgreSQL.

#include "SrvFixture.h"

#include <HostErrors.h>

#include <QTemporaryDir>

namespace {

// Two group pages, product pages 1 and 2 under one group, navigators on both
// levels, a caption with a quote and accents, and one item of another branch.
void fillConfiguration() {
    QVariant r;
    const auto insere = [&r](const char* tipo, const char* botao, const QString& nome, const char* produto,
                             const char* pagina, const char* tipoAux, const char* botaoAux, const char* paginaAux,
                             const QString& filial = QStringLiteral("9999")) {
        const int32_t status =
            getInsere(filial, QStringLiteral("00001"), QString::fromLatin1(tipo), QString::fromLatin1(botao), nome,
                      255.0f, 11571344.0f, QString(), QString::fromLatin1(produto), QString::fromLatin1(pagina),
                      QString::fromLatin1(tipoAux), QString::fromLatin1(botaoAux), QString::fromLatin1(paginaAux), r);
        QVERIFY2(status == 0 && r.toString().isEmpty(), qPrintable(r.toString()));
    };
    insere("2", "01", QStringLiteral("Bebidas"), "", "1", "0", "0", "0");
    insere("7", "12", QStringLiteral("Navegador_Direito_Grp"), "", "1", "0", "0", "0");
    insere("2", "01", QStringLiteral("Pães d'água"), "", "2", "0", "0", "0");
    insere("8", "12", QStringLiteral("Navegador_Esquerdo_Grp"), "", "2", "0", "0", "0");
    insere("1", "01", QStringLiteral("Café"), "101001", "1", "2", "01", "1");
    insere("9", "36", QStringLiteral("Navegador_Direito_Prod"), "", "1", "2", "01", "1");
    insere("1", "01", QStringLiteral("Chá"), "101002", "2", "2", "01", "1");
    insere("A", "36", QStringLiteral("Navegador_Esquerdo_Prod"), "", "2", "2", "01", "1");
    insere("1", "05", QStringLiteral("Pão"), "101003", "1", "2", "01", "2");
    insere("2", "01", QStringLiteral("Outra filial"), "", "1", "0", "0", "0", QStringLiteral("0001"));
}

} // namespace

class SrvConfiguracao : public SrvFixture {
    Q_OBJECT
public:
    using SrvFixture::SrvFixture;

private:
    // The rows of one configuration without their branch and configuration.
    QList<QVariantList> rowsOf(const QString& filial, const QString& conf) {
        QList<QVariantList> out;
        for (QVariantList row : menu()) {
            if (row.value(0).toString() != filial || row.value(1).toString() != conf)
                continue;
            row.removeFirst();
            row.removeFirst();
            out << row;
        }
        return out;
    }
    Call exporta(const QString& filial, const QString& conf) {
        return call([&](QVariant& r) { return getExportaConf(filial, conf, r); });
    }
    Call importa(const QString& filial, const QString& conf, const QVariant& itens, bool substitui = false) {
        return call([&](QVariant& r) {
            return setImportaConf(filial, conf, itens, substitui ? QStringLiteral("S") : QStringLiteral("N"), r);
        });
    }
    Call copia(const QString& filialOrigem, const QString& confOrigem, const QString& filial, const QString& conf,
               bool substitui = false) {
        return call([&](QVariant& r) {
            return setCopiaConf(filialOrigem, confOrigem, filial, conf,
                                substitui ? QStringLiteral("S") : QStringLiteral("N"), r);
        });
    }
    // A refusal: status 0, a Portuguese text naming `palavra`, store unchanged.
    void verifyRefused(const Call& c, const QList<QVariantList>& before, const QString& palavra) {
        QVERIFY2(c.failedWithText(), qPrintable(c.result.toString()));
        QVERIFY2(c.text().contains(palavra), qPrintable(c.text()));
        QVERIFY2(c.text().contains(QStringLiteral("nada foi gravado")), qPrintable(c.text()));
        QCOMPARE(menu(), before);
    }
    // The exported packet of 9999/00001 with one cell changed.
    QVariant changed(const QString& column, int row, const QVariant& value) {
        DataPacket p = packet(exporta(QStringLiteral("9999"), QStringLiteral("00001")));
        p.setValue(row, p.indexOf(column), value);
        return QVariant::fromValue(p);
    }

private slots:
    void exportThroughFileAndImportGiveTheSameRows() {
        fillConfiguration();
        const Call e = exporta(QStringLiteral("9999"), QStringLiteral("00001"));
        const DataPacket p = packet(e);
        QCOMPARE(p.rowCount(), 9);
        QCOMPARE(fieldNames(p).size(), 15);
        QVERIFY(!column(p, QStringLiteral("CDFILIAL")).contains(QStringLiteral("0001")));

        // Through the file format the launcher writes.
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("conf.xml"));
        QVERIFY(p.saveToFile(file));
        const std::optional<DataPacket> lido = DataPacket::loadFromFile(file);
        QVERIFY(lido);

        const Call i = importa(QStringLiteral("0002"), QStringLiteral("00007"), QVariant::fromValue(*lido));
        QVERIFY2(i.status == 0 && i.result.typeId() == QMetaType::Int, qPrintable(i.result.toString()));
        QCOMPARE(i.result.toInt(), 9);
        QCOMPARE(rowsOf(QStringLiteral("0002"), QStringLiteral("00007")),
                 rowsOf(QStringLiteral("9999"), QStringLiteral("00001")));
        // And exported again, the same packet but for branch and configuration.
        const DataPacket again = packet(exporta(QStringLiteral("0002"), QStringLiteral("00007")));
        QCOMPARE(again.toXml(), p.toXml()
                                    .replace("CDFILIAL=\"9999\"", "CDFILIAL=\"0002\"")
                                    .replace("NRCONFTELA=\"00001\"", "NRCONFTELA=\"00007\""));
    }

    // An import of more items than one insert statement carries: every item
    // lands once, as the file has it, and a refusal by the database in a
    // later statement takes the earlier ones back.
    void anImportOfManyItemsGoesInWholeOrNotAtAll() {
        fillConfiguration();
        DataPacket p = packet(exporta(QStringLiteral("9999"), QStringLiteral("00001")));
        const int pagina = p.indexOf(u"NRPGCONFTELA");
        const int botao = p.indexOf(u"NRBUTTON");
        const int nome = p.indexOf(u"DSBUTTON");
        const int tipo = p.indexOf(u"IDTPBUTTON");
        const int produto = p.indexOf(u"CDIDENTBUTON");
        int modelo = -1;
        for (int i = 0; i < p.rowCount() && modelo < 0; ++i)
            if (p.text(i, tipo) == QLatin1String("1"))
                modelo = i;
        QVERIFY(modelo >= 0);
        // Products on pages 3 to 4 of the group: 2 x 36 - 1 more items.
        QVariantList linha;
        for (int c = 0; c < p.fieldCount(); ++c)
            linha << p.value(modelo, c);
        for (int n = 0; n < 71; ++n) {
            linha[pagina] = QString::number(3 + n / 36);
            linha[botao] = QStringLiteral("%1").arg(n % 36 + 1, 2, 10, QLatin1Char('0'));
            linha[nome] = QStringLiteral("Item %1 \"x\" ç").arg(n);
            linha[produto] = QString::number(200000 + n);
            p.appendRow(linha);
        }
        const int total = p.rowCount();
        QCOMPARE(total, 80);
        const Call i = importa(QStringLiteral("0002"), QStringLiteral("00007"), QVariant::fromValue(p));
        QVERIFY2(i.status == 0 && i.result.typeId() == QMetaType::Int, qPrintable(i.result.toString()));
        QCOMPARE(i.result.toInt(), total);
        const DataPacket again = packet(exporta(QStringLiteral("0002"), QStringLiteral("00007")));
        QCOMPARE(again.rowCount(), total);
        QCOMPARE(column(again, QStringLiteral("DSBUTTON")).count(QStringLiteral("Item 70 \"x\" ç")), 1);
        QCOMPARE(column(again, QStringLiteral("CDIDENTBUTON")).count(QStringLiteral("200070")), 1);

        // The database refuses an item of the last statement: nothing stays.
        p.setValue(total - 2, nome, QStringLiteral("Pão"));
        db().exec(onPostgres() ? QStringLiteral("ALTER TABLE ITMENUCONFTE ADD CONSTRAINT SEM_PAO CHECK (DSBUTTON <> "
                                                "'Pão') NOT VALID")
                               : QStringLiteral("CREATE TRIGGER SEM_PAO BEFORE INSERT ON ITMENUCONFTE WHEN "
                                                "NEW.DSBUTTON = 'Pão' BEGIN SELECT RAISE(ABORT, 'sem pao'); END"));
        for (int r = 0; r < total - 2; ++r) // the demo's own "Pão" is not the one refused
            if (p.text(r, nome) == QStringLiteral("Pão"))
                p.setValue(r, nome, QStringLiteral("Pão francês"));
        const auto before = menu();
        const Call recusada = importa(QStringLiteral("0006"), QStringLiteral("00001"), QVariant::fromValue(p));
        QVERIFY2(recusada.failedWithText(), qPrintable(recusada.result.toString()));
        QCOMPARE(menu(), before);
    }

    void copyGivesTheSameRowsAndReplaceDeletesFirst() {
        fillConfiguration();
        const Call c =
            copia(QStringLiteral("9999"), QStringLiteral("00001"), QStringLiteral("0003"), QStringLiteral("00002"));
        QVERIFY2(c.status == 0 && c.result.toInt() == 9, qPrintable(c.result.toString()));
        QCOMPARE(rowsOf(QStringLiteral("0003"), QStringLiteral("00002")),
                 rowsOf(QStringLiteral("9999"), QStringLiteral("00001")));

        // A second copy is refused: the target holds items.
        const auto before = menu();
        verifyRefused(
            copia(QStringLiteral("0001"), QStringLiteral("00001"), QStringLiteral("0003"), QStringLiteral("00002")),
            before, QStringLiteral("já tem"));
        // Its cause lets the launcher name the option that replaces the items.
        QCOMPARE(Srv_Kmr00003::causaDaFalha(), FailureCause::TargetNotEmpty);
        // With replace the target holds exactly the source afterwards.
        const Call r = copia(QStringLiteral("0001"), QStringLiteral("00001"), QStringLiteral("0003"),
                             QStringLiteral("00002"), true);
        QVERIFY2(r.status == 0 && r.result.toInt() == 1, qPrintable(r.result.toString()));
        QCOMPARE(rowsOf(QStringLiteral("0003"), QStringLiteral("00002")),
                 rowsOf(QStringLiteral("0001"), QStringLiteral("00001")));
        // Import with replace too.
        const QVariant p = QVariant::fromValue(packet(exporta(QStringLiteral("9999"), QStringLiteral("00001"))));
        verifyRefused(importa(QStringLiteral("0003"), QStringLiteral("00002"), p), menu(), QStringLiteral("já tem"));
        QCOMPARE(importa(QStringLiteral("0003"), QStringLiteral("00002"), p, true).result.toInt(), 9);
        QCOMPARE(rowsOf(QStringLiteral("0003"), QStringLiteral("00002")),
                 rowsOf(QStringLiteral("9999"), QStringLiteral("00001")));
    }

    void emptyConfigurationExportsAnEmptyPacketAndIsNoCopySource() {
        fillConfiguration();
        const DataPacket p = packet(exporta(QStringLiteral("9999"), QStringLiteral("00099")));
        QCOMPARE(p.rowCount(), 0);
        QCOMPARE(fieldNames(p).size(), 15);
        const auto before = menu();
        verifyRefused(
            copia(QStringLiteral("9999"), QStringLiteral("00099"), QStringLiteral("0004"), QStringLiteral("00001")),
            before, QStringLiteral("não tem itens"));
        QCOMPARE(Srv_Kmr00003::causaDaFalha(), FailureCause::Refused);
        verifyRefused(importa(QStringLiteral("0004"), QStringLiteral("00001"), QVariant::fromValue(p)), before,
                      QStringLiteral("não tem itens"));
        // Copying a configuration onto itself, with replace, would lose it.
        verifyRefused(copia(QStringLiteral("9999"), QStringLiteral("00001"), QStringLiteral("9999"),
                            QStringLiteral("00001"), true),
                      before, QStringLiteral("mesma configuração"));
    }

    void badItemsAreRefusedAndNothingIsWritten_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("palavra");
        QTest::newRow("key too wide") << "NRPGCONFTELA" << 3 << QVariant("123") << "passa de 2";
        QTest::newRow("empty key") << "NRBUTTON" << 4 << QVariant("") << "está vazia";
        QTest::newRow("null key") << "IDTPBUTONAUX" << 0 << QVariant() << "está vazia";
        QTest::newRow("caption too wide") << "DSBUTTON" << 2 << QVariant(QString(51, u'x')) << "passa de 50";
        // The last row is bad: the rows before it must not stay written.
        QTest::newRow("same key twice") << "NRBUTTON" << 8 << QVariant("01") << "mesma posição";
    }
    void badItemsAreRefusedAndNothingIsWritten() {
        QFETCH(QString, column);
        QFETCH(int, row);
        QFETCH(QVariant, value);
        QFETCH(QString, palavra);
        fillConfiguration();
        QVariant itens = changed(column, row, value);
        if (QTest::currentDataTag() == QByteArray("same key twice")) {
            // Row 8 (product 05 of group page 2) made the twin of row 7.
            DataPacket p = itens.value<DataPacket>();
            const DataPacket orig = packet(exporta(QStringLiteral("9999"), QStringLiteral("00001")));
            for (int c = 0; c < p.fieldCount(); ++c)
                p.setValue(8, c, orig.value(7, c));
            itens = QVariant::fromValue(p);
        }
        const auto before = menu();
        verifyRefused(importa(QStringLiteral("0005"), QStringLiteral("00001"), itens), before, palavra);
        // Also when replacing: the target's items are not deleted.
        verifyRefused(importa(QStringLiteral("0001"), QStringLiteral("00001"), itens, true), before, palavra);
    }

    void packetWithoutAKeyColumnOrWithATextColourIsRefused() {
        fillConfiguration();
        const DataPacket orig = packet(exporta(QStringLiteral("9999"), QStringLiteral("00001")));
        const auto before = menu();

        // No NRPGCONFTAUX column.
        QList<FieldDef> semChave = orig.fields();
        semChave.removeAt(orig.indexOf(QStringLiteral("NRPGCONFTAUX")));
        DataPacket p1(semChave);
        verifyRefused(importa(QStringLiteral("0005"), QStringLiteral("00001"), QVariant::fromValue(p1)), before,
                      QStringLiteral("NRPGCONFTAUX"));

        // Colours declared as text, one of them not a number.
        QList<FieldDef> texto = orig.fields();
        texto[orig.indexOf(QStringLiteral("NRCOLORBACK"))].kind = FieldKind::Text;
        DataPacket p2(texto);
        for (int r = 0; r < orig.rowCount(); ++r) {
            QVariantList row;
            for (int c = 0; c < orig.fieldCount(); ++c)
                row << orig.value(r, c);
            row[orig.indexOf(QStringLiteral("NRCOLORBACK"))] = r == 4 ? QStringLiteral("azul") : QStringLiteral("255");
            p2.appendRow(row);
        }
        verifyRefused(importa(QStringLiteral("0005"), QStringLiteral("00001"), QVariant::fromValue(p2)), before,
                      QStringLiteral("não é um número"));

        // Not a packet at all, and a target branch too wide.
        verifyRefused(importa(QStringLiteral("0005"), QStringLiteral("00001"), QStringLiteral("<x/>")), before,
                      QStringLiteral("pacote de dados"));
        verifyRefused(importa(QStringLiteral("00005"), QStringLiteral("00001"), QVariant::fromValue(orig)), before,
                      QStringLiteral("filial"));
        verifyRefused(
            copia(QStringLiteral("9999"), QStringLiteral("00001"), QStringLiteral("0005"), QStringLiteral("")), before,
            QStringLiteral("configuração"));
    }

    void emptyTextsStayEmptyAndRefusalsNameTheItemsPlace() {
        // A packet as a spreadsheet gives it: every column text, an empty
        // text, a missing value, and each item's place in its file.
        const QList<FieldDef> campos{{"IDTPBUTTON"},   {"NRBUTTON"},     {"NRPGCONFTELA"}, {"IDTPBUTONAUX"},
                                     {"NRBUTTONAUX"},  {"NRPGCONFTAUX"}, {"DSBUTTON"},     {"NRCOLORBACK"},
                                     {"DSMESSAGEBUT"}, {"DSIMAGEMBUT"},  {"DSLOCALITEM"}};
        DataPacket p(campos);
        p.appendRow({"2", "01", "1", "0", "0", "0", "Bebidas", "255", QString(""), QVariant(), "Linha 2 do arquivo"});
        const Call i = importa(QStringLiteral("0006"), QStringLiteral("00001"), QVariant::fromValue(p));
        QVERIFY2(i.status == 0 && i.result.toInt() == 1, qPrintable(i.result.toString()));
        const auto rows = db().rows(QStringLiteral("SELECT DSMESSAGEBUT, DSIMAGEMBUT, NRCOLORBACK FROM ITMENUCONFTE "
                                                   "WHERE CDFILIAL = '0006'"));
        QCOMPARE(rows.size(), 1);
        QVERIFY(!rows[0][0].isNull());
        QCOMPARE(rows[0][0].toString(), QString());
        QVERIFY(rows[0][1].isNull());
        QCOMPARE(rows[0][2].toDouble(), 255.0);

        const auto before = menu();
        DataPacket ruim(campos);
        ruim.appendRow({"2", "01", "1", "0", "0", "0", "A", "255", QVariant(), QVariant(), "Linha 2 do arquivo"});
        ruim.appendRow({"2", "02", "1", "0", "0", "0", "B", "azul", QVariant(), QVariant(), "Linha 5 do arquivo"});
        verifyRefused(importa(QStringLiteral("0007"), QStringLiteral("00001"), QVariant::fromValue(ruim)), before,
                      QStringLiteral("Linha 5 do arquivo: a cor \"azul\" da coluna NRCOLORBACK"));
        ruim.setValue(1, 7, QStringLiteral("0"));
        ruim.setValue(1, 1, QStringLiteral("01"));
        verifyRefused(importa(QStringLiteral("0007"), QStringLiteral("00001"), QVariant::fromValue(ruim)), before,
                      QStringLiteral("Linha 5 do arquivo: outro item já ocupa a mesma posição"));
        // The place is not written: there is no such column in the store.
        QCOMPARE(db().rows(QStringLiteral("SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDFILIAL = '0007'"))[0][0].toInt(),
                 0);
    }

    void failureHalfWayRollsBack() {
        fillConfiguration();
        // Over-wide for the table but not for the checks: only a later item
        // fails in the database, after the first ones were written.
        db().exec(onPostgres() ? QStringLiteral("ALTER TABLE ITMENUCONFTE ADD CONSTRAINT SEM_PAO CHECK (DSBUTTON <> "
                                                "'Pão') NOT VALID")
                               : QStringLiteral("CREATE TRIGGER SEM_PAO BEFORE INSERT ON ITMENUCONFTE WHEN "
                                                "NEW.DSBUTTON = 'Pão' BEGIN SELECT RAISE(ABORT, 'sem pao'); END"));
        const QVariant p = QVariant::fromValue(packet(exporta(QStringLiteral("9999"), QStringLiteral("00001"))));
        const auto before = menu();
        const Call i = importa(QStringLiteral("0006"), QStringLiteral("00001"), p);
        QVERIFY2(i.failedWithText(), qPrintable(i.result.toString()));
        QCOMPARE(menu(), before);
        // Replace: the deleted items come back with the rollback.
        const Call r = copia(QStringLiteral("9999"), QStringLiteral("00001"), QStringLiteral("0001"),
                             QStringLiteral("00001"), true);
        QVERIFY2(r.failedWithText(), qPrintable(r.result.toString()));
        QCOMPARE(menu(), before);
    }
};

int main(int argc, char** argv) {
    return runOnEngines(argc, argv, [](TestDatabase::Engine e) { return std::make_unique<SrvConfiguracao>(e); });
}

#include "tst_SrvConfiguracao.moc"
