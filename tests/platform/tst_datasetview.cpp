// The pieces under the client dataset, each on its own: the view (filter and
// index giving the visible rows, and a row placed on append), locate on the
// packet's columns, and filter expressions evaluated straight on a packet.

#include <ClientDataSet.h>
#include <DataPacketData.h>
#include <DataSetLocate.h>
#include <DataSetView.h>
#include <FilterExpression.h>

#include <QRandomGenerator>
#include <QTest>

namespace {

// Columns of every field of a packet, in field order.
std::vector<const PacketColumn*> colunas(const DataPacket& p) {
    std::vector<const PacketColumn*> cols;
    for (int c = 0; c < p.fieldCount(); ++c)
        cols.push_back(&DataPacketAccess::column(p, c));
    return cols;
}

std::unique_ptr<FilterExpression> filtro(const DataPacket& p, const QString& texto) {
    return std::make_unique<FilterExpression>(texto, [&p](QStringView nome, FieldKind* kind) {
        const int f = p.indexOf(nome.toString());
        if (f >= 0)
            *kind = p.fields()[f].kind;
        return f;
    });
}

QList<int> linhas(const DataSetView& v) {
    QList<int> out;
    for (int i = 0; i < v.size(); ++i)
        out << v.rowAt(i);
    return out;
}

// Page (text), button (text), colour (integer), price (float), as the screen's sets hold them.
DataPacket botoes() {
    DataPacket p({{QStringLiteral("PAGINA"), FieldKind::Text, 2},
                  {QStringLiteral("BOTAO"), FieldKind::Text, 2},
                  {QStringLiteral("COR"), FieldKind::Integer, 0},
                  {QStringLiteral("PRECO"), FieldKind::Float, 0}});
    p.appendRow({"2", "05", 10, 1.5});       // 0
    p.appendRow({"1", "07", QVariant(), 2}); // 1
    p.appendRow({QVariant(), "01", 3, 10});  // 2
    p.appendRow({"1", "07", 4, -1});         // 3: ties with row 1
    p.appendRow({"1", "02", 5, 2});          // 4
    return p;
}

} // namespace

class TstDataSetView : public QObject {
    Q_OBJECT
private slots:
    void indexOrderNullsFirstTiesInStorageOrder() {
        const DataPacket p = botoes();
        const auto cols = colunas(p);
        DataSetView v;
        v.rebuild({cols, nullptr, {}}, p.rowCount());
        QCOMPARE(linhas(v), (QList<int>{0, 1, 2, 3, 4}));
        v.rebuild({cols, nullptr, {0, 1}}, p.rowCount());
        QCOMPARE(linhas(v), (QList<int>{2, 4, 1, 3, 0}));
        // Numbers as numbers, nulls before them.
        v.rebuild({cols, nullptr, {2}}, p.rowCount());
        QCOMPARE(linhas(v), (QList<int>{1, 2, 3, 4, 0}));
        v.rebuild({cols, nullptr, {3}}, p.rowCount());
        QCOMPARE(linhas(v), (QList<int>{3, 0, 1, 4, 2}));
        QCOMPARE(v.positionOf(4), 3);
        QCOMPARE(v.positionOf(7), -1);
        QCOMPARE(v.positionOf(-1), -1);
    }

    void filterDecidesTheVisibleRows() {
        const DataPacket p = botoes();
        const auto cols = colunas(p);
        const auto f = filtro(p, QStringLiteral("PAGINA = '1' AND NOT COR IS NULL"));
        DataSetView v;
        v.rebuild({cols, f.get(), {1}}, p.rowCount());
        QCOMPARE(linhas(v), (QList<int>{4, 3}));
    }

    // A row placed on append lands where a full rebuild puts it, whatever the
    // index and filter: checked over many appends in a scattered order.
    void appendedRowLandsWhereRebuildPutsIt_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QList<int>>("keys");
        QTest::newRow("storage order") << QString() << QList<int>{};
        QTest::newRow("one text key") << QString() << QList<int>{1};
        QTest::newRow("two keys, nulls") << QString() << QList<int>{0, 1};
        QTest::newRow("number key and filter") << QStringLiteral("COR <> 3 OR PAGINA IS NULL") << QList<int>{2};
    }
    void appendedRowLandsWhereRebuildPutsIt() {
        QFETCH(QString, filter);
        QFETCH(QList<int>, keys);
        const std::vector<int> keyFields(keys.begin(), keys.end());
        DataPacket p = botoes();
        QRandomGenerator gen(15);
        DataSetView incremental;
        {
            const auto cols = colunas(p);
            const auto f = filter.isEmpty() ? nullptr : filtro(p, filter);
            incremental.rebuild({cols, f.get(), keyFields}, p.rowCount());
        }
        for (int i = 0; i < 300; ++i) {
            const int n = int(gen.bounded(6));
            p.appendRow({n == 0 ? QVariant() : QVariant(QString::number(n)), QString::number(gen.bounded(4)),
                         n == 5 ? QVariant() : QVariant(int(gen.bounded(5))), gen.bounded(3.0)});
            const auto cols = colunas(p); // the columns may move as the packet grows
            const auto f = filter.isEmpty() ? nullptr : filtro(p, filter);
            const DataSetView::Rule rule{cols, f.get(), keyFields};
            const int posicao = incremental.insertAppended(rule, p.rowCount() - 1);
            DataSetView inteira;
            inteira.rebuild(rule, p.rowCount());
            QCOMPARE(linhas(incremental), linhas(inteira));
            QCOMPARE(posicao, inteira.positionOf(p.rowCount() - 1));
        }
    }

    // With a source, the index order of all rows is kept and filtered again
    // by the next rebuild of the same source: every rebuild gives the rows a
    // rebuild without a source gives, and a new source sorts anew.
    void orderKeptForASourceGivesTheSameRows() {
        QRandomGenerator gen(7);
        DataSetView kept;
        std::uint64_t source = 1;
        for (int round = 0; round < 6; ++round) {
            DataPacket p = botoes();
            for (int i = 0; i < 200; ++i) {
                const int n = int(gen.bounded(6));
                p.appendRow({n == 0 ? QVariant() : QVariant(QString::number(n)), QString::number(gen.bounded(9)),
                             n == 5 ? QVariant() : QVariant(int(gen.bounded(5))), gen.bounded(3.0)});
            }
            const auto cols = colunas(p);
            ++source; // new rows, of the same count every round
            for (const QString& texto : {QString(), QStringLiteral("PAGINA = '1'"), QStringLiteral("COR <> 3"),
                                         QString(), QStringLiteral("PAGINA IS NULL OR BOTAO > '4'")}) {
                for (const std::vector<int>& keys : {std::vector<int>{1}, std::vector<int>{0, 1}, std::vector<int>{}}) {
                    const auto f = texto.isEmpty() ? nullptr : filtro(p, texto);
                    const DataSetView::Rule rule{cols, f.get(), keys};
                    kept.rebuild(rule, p.rowCount(), source);
                    DataSetView fresh;
                    fresh.rebuild(rule, p.rowCount());
                    QCOMPARE(linhas(kept), linhas(fresh));
                }
            }
        }
    }

    void locateOnColumns() {
        DataPacket p({{QStringLiteral("NOME"), FieldKind::Text, 30},
                      {QStringLiteral("NUMERO"), FieldKind::Integer, 0},
                      {QStringLiteral("QUANDO"), FieldKind::DateTime, 0}});
        const QDateTime quando(QDate(2026, 3, 1), QTime(12, 30));
        p.appendRow({"Pão de Queijo", 1, quando});
        p.appendRow({"AÇAÍ NA TIGELA", 2, QVariant()});
        p.appendRow({"Café", QVariant(), quando.addDays(1)});
        p.appendRow({"cafe", 4, QVariant()});
        const auto cols = colunas(p);
        DataSetView v;
        v.rebuild({cols, nullptr, {}}, p.rowCount());
        const auto procura = [&](int campo, const QVariant& valor, LocateOptions opcoes) {
            const std::optional<LocateKey> k = LocateKey::make(*cols[size_t(campo)], p.fields()[campo].kind, valor);
            return k ? locatePosition(v, {*k}, opcoes) : -2;
        };
        QCOMPARE(procura(0, "café", {}), -1);
        QCOMPARE(procura(0, "café", {true, false}), 2); // beyond ASCII, case folded
        QCOMPARE(procura(0, "açaí na", {true, true}), 1);
        QCOMPARE(procura(0, "açaí na", {true, false}), -1);
        QCOMPARE(procura(0, "CAFE", {true, false}), 3);
        QCOMPARE(procura(0, "Pão", {false, true}), 0);
        QCOMPARE(procura(0, "pão", {false, true}), -1);
        QCOMPARE(procura(1, 4.0, {}), 3);
        QCOMPARE(procura(1, "2", {}), 1);
        QCOMPARE(procura(1, QVariant(), {}), 2); // null finds null
        QCOMPARE(procura(1, "dois", {}), -2);    // no number: never matches
        QCOMPARE(procura(2, quando.addDays(1), {}), 2);
        QCOMPARE(procura(2, QVariant(), {}), 1);

        // Two keys: both must match the same row.
        const auto nome = LocateKey::make(*cols[0], FieldKind::Text, QStringLiteral("caf"));
        const auto numero = LocateKey::make(*cols[1], FieldKind::Integer, 4);
        QCOMPARE(locatePosition(v, {*nome, *numero}, {true, true}), 3);
    }

    void filterOnItsOwn() {
        const DataPacket p = botoes();
        const auto cols = colunas(p);
        const auto visiveis = [&](const QString& texto) {
            QList<int> out;
            const auto f = filtro(p, texto);
            for (int r = 0; r < p.rowCount(); ++r)
                if (f->matches(cols, r))
                    out << r;
            return out;
        };
        QCOMPARE(visiveis(QStringLiteral("[BOTAO] != '07'")), (QList<int>{0, 2, 4}));
        QCOMPARE(visiveis(QStringLiteral("COR < PRECO")), (QList<int>{2}));
        QCOMPARE(visiveis(QStringLiteral("NOT COR > 3")), (QList<int>{1, 2})); // null: NOT of false
        QCOMPARE(visiveis(QStringLiteral("PRECO = -1 OR PRECO = 1.5")), (QList<int>{0, 3}));
        QCOMPARE(visiveis(QStringLiteral("1 = 1")), (QList<int>{0, 1, 2, 3, 4}));
        QCOMPARE(visiveis(QStringLiteral("'b' < 'a'")), (QList<int>{}));
        QVERIFY_THROWS_EXCEPTION(DataSetError, filtro(p, QStringLiteral("BOTAO = COR")));
        QVERIFY_THROWS_EXCEPTION(DataSetError, filtro(p, QStringLiteral("[BOTAO = '1'")));
        QVERIFY_THROWS_EXCEPTION(DataSetError, filtro(p, QStringLiteral("COR = 1.2.3")));
        QVERIFY_THROWS_EXCEPTION(DataSetError, filtro(p, QStringLiteral("PAGINA IS NOT")));
    }
};

QTEST_GUILESS_MAIN(TstDataSetView)
#include "tst_datasetview.moc"
