// The CSV reader: what spreadsheet programs write, and where a text that is
// not CSV stops being read.

#include "CsvReader.h"

#include <QTest>

namespace {

QList<CsvRecord> ok(const QByteArray& bytes, char sep = ';') {
    const CsvResult r = readCsv(bytes, sep);
    if (const auto* e = std::get_if<CsvError>(&r))
        qWarning() << "unexpected error" << e->line << e->column << e->reason;
    return std::get_if<QList<CsvRecord>>(&r) ? std::get<QList<CsvRecord>>(r) : QList<CsvRecord>();
}

CsvError erro(const QByteArray& bytes, char sep = ';') {
    const CsvResult r = readCsv(bytes, sep);
    return std::get_if<CsvError>(&r) ? std::get<CsvError>(r) : CsvError{-1, -1, QStringLiteral("no error")};
}

QStringList textos(const CsvRecord& r) {
    QStringList t;
    for (const CsvField& f : r.fields)
        t << f.text;
    return t;
}

} // namespace

class TstCsvReader : public QObject {
    Q_OBJECT
private slots:
    void quotedFieldsHoldSeparatorsQuotesAndLineBreaks() {
        const QByteArray csv = "\xEF\xBB\xBF"
                               "A;B;C\r\n"
                               "\"x;y\";\"dois\r\nlinhas\";\"diz \"\"oi\"\"\"\r\n"
                               "p\xC3\xA3o;;\"\"\n"
                               "fim;\" a \";3";
        const QList<CsvRecord> r = ok(csv);
        QCOMPARE(r.size(), 4);
        QCOMPARE(textos(r[0]), (QStringList{"A", "B", "C"}));
        QCOMPARE(textos(r[1]), (QStringList{"x;y", "dois\nlinhas", "diz \"oi\""}));
        QCOMPARE(r[1].line, 2);
        // The record after a quoted line break starts on the file's line 4.
        QCOMPARE(r[2].line, 4);
        QCOMPARE(textos(r[2]), (QStringList{QString::fromUtf8("pão"), "", ""}));
        QVERIFY(!r[2].fields[1].quoted);
        QVERIFY(r[2].fields[2].quoted);
        QCOMPARE(textos(r[3]), (QStringList{"fim", " a ", "3"}));
        QCOMPARE(r[3].line, 5);
    }

    void bothSeparatorsAndEveryLineEnd() {
        QCOMPARE(csvSeparator("\xEF\xBB\xBF"
                              "A,B;C\n1;2"),
                 ',');
        QCOMPARE(csvSeparator("\"a,b\";c\n"), ';');
        QCOMPARE(csvSeparator("ABC\n1,2"), ';');
        const QList<CsvRecord> r = ok("a,\"b;c\"\r1,2\n\n3,4\r\n", ',');
        QCOMPARE(r.size(), 3); // the empty line is passed over
        QCOMPARE(textos(r[0]), (QStringList{"a", "b;c"}));
        QCOMPARE(textos(r[1]), (QStringList{"1", "2"}));
        QCOMPARE(r[2].line, 4);
        QVERIFY(ok("").isEmpty());
        QVERIFY(ok("\xEF\xBB\xBF").isEmpty());
        // Only the one mark at the start is the file's: a U+FEFF right after
        // it, or anywhere else, is the field's own character.
        const QList<CsvRecord> marca = ok("\xEF\xBB\xBF\xEF\xBB\xBFx;y\n\xEF\xBB\xBFz");
        QCOMPARE(marca.size(), 2);
        QCOMPARE(textos(marca[0]), (QStringList{QStringLiteral("\uFEFFx"), "y"}));
        QCOMPARE(textos(marca[1]), (QStringList{QStringLiteral("\uFEFFz")}));
    }

    void faultsNameTheirLineAndField() {
        CsvError e = erro("A;B\n1;\"aberto\n2;3\n");
        QCOMPARE(e.line, 2);
        QCOMPARE(e.column, 2);
        QVERIFY(e.reason.contains(QStringLiteral("não se fecham")));

        e = erro("A;B;C\n1;\"x\"y;3\n");
        QCOMPARE(e.line, 2);
        QCOMPARE(e.column, 2);

        e = erro("A;B\n1;2\n3;p\xE3o\n"); // Latin-1, not UTF-8
        QCOMPARE(e.line, 3);
        QCOMPARE(e.column, 2);
        QVERIFY(e.reason.contains(QStringLiteral("UTF-8")));
        // An overlong form, a surrogate, a sequence cut at the end.
        QCOMPARE(erro("a\xC0\xAF").line, 1);
        QCOMPARE(erro("ok\n\xED\xA0\x80").line, 2);
        QCOMPARE(erro("ok;\xE2\x82").column, 2);

        e = erro(QByteArray("A;B\n1;2\0", 8));
        QCOMPARE(e.line, 2);
        QVERIFY(e.reason.contains(QStringLiteral("nulo")));
    }

    void writtenFieldsReadBackAsTheyWere() {
        const QStringList valores{"simples", "com;ponto", "com \"aspas\"", "duas\nlinhas", " espaço", "", "#FF0000"};
        QStringList campos;
        for (const QString& v : valores)
            campos << csvField(v, ';', v.isEmpty());
        QCOMPARE(csvField("simples", ';'), QStringLiteral("simples"));
        QCOMPARE(csvField("a,b", ','), QStringLiteral("\"a,b\""));
        const QList<CsvRecord> r = ok(campos.join(';').toUtf8() + "\r\n");
        QCOMPARE(r.size(), 1);
        QCOMPARE(textos(r[0]), valores);
        QVERIFY(r[0].fields[5].quoted);
    }
};

QTEST_GUILESS_MAIN(TstCsvReader)
#include "tst_csvreader.moc"
