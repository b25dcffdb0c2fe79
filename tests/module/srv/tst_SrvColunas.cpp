// The table of menu item columns held against both schema files (name, order,
// kind, width, key), and the data service's lifecycle: one instance opened,
// reused and closed, none left behind by a connection that fails.

#include <SrvColunas.h>
#include <Srv_Kmr00003.h>
#include <TestDatabase.h>
#include <TrdmConfGrupo.h>

#include <HostErrors.h>

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct ColunaDoEsquema {
    QString nome;
    FieldKind tipo = FieldKind::Text;
    int largura = 0;
};

struct Tabela {
    QList<ColunaDoEsquema> colunas;
    QSet<QString> chave;
};

// The menu item table as a schema file creates it.
Tabela tabelaDoEsquema(const QString& arquivo) {
    Tabela t;
    QFile f(qEnvironmentVariable("KALMORA_DB_DIR") + u'/' + arquivo);
    if (!f.open(QIODevice::ReadOnly))
        return t;
    const QString texto = QString::fromUtf8(f.readAll());
    const int inicio = texto.indexOf(QStringLiteral("CREATE TABLE ITMENUCONFTE ("));
    const int fim = texto.indexOf(QStringLiteral("\n)"), inicio);
    if (inicio < 0 || fim < 0)
        return t;
    const QStringList linhas = texto.mid(inicio, fim - inicio).split(u'\n').mid(1);
    static const QRegularExpression chave(QStringLiteral(R"(^PRIMARY KEY \((.*)\))"));
    static const QRegularExpression largura(QStringLiteral(R"((?:VARCHAR\(|length\(\w+\) <= )(\d+)\))"));
    for (const QString& bruta : linhas) {
        const QString linha = bruta.trimmed();
        if (const auto m = chave.match(linha); m.hasMatch()) {
            for (const QString& nome : m.captured(1).split(u','))
                t.chave.insert(nome.trimmed());
            continue;
        }
        ColunaDoEsquema c;
        c.nome = linha.section(u' ', 0, 0);
        const QString tipo = linha.section(u' ', 1).simplified();
        if (const auto m = largura.match(tipo); m.hasMatch())
            c.largura = m.captured(1).toInt();
        else if (tipo.startsWith(QLatin1String("REAL")) || tipo.startsWith(QLatin1String("DOUBLE PRECISION")))
            c.tipo = FieldKind::Float;
        else if (tipo.startsWith(QLatin1String("TIMESTAMP")) || tipo.startsWith(QLatin1String("TEXT")))
            c.tipo = FieldKind::DateTime; // SQLite keeps the moment as text, without a width
        t.colunas.append(c);
    }
    return t;
}

} // namespace

class TstSrvColunas : public QObject {
    Q_OBJECT
private slots:
    void tableMatchesTheSchema_data() {
        QTest::addColumn<QString>("arquivo");
        QTest::newRow("sqlite") << QStringLiteral("schema_sqlite.sql");
        QTest::newRow("postgresql") << QStringLiteral("schema_postgresql.sql");
    }
    void tableMatchesTheSchema() {
        QFETCH(QString, arquivo);
        const Tabela esquema = tabelaDoEsquema(arquivo);
        const auto colunas = SrvColunas::colunas();
        QCOMPARE(esquema.colunas.size(), qsizetype(colunas.size()));
        QCOMPARE(esquema.chave.size(), 8);
        for (qsizetype i = 0; i < esquema.colunas.size(); ++i) {
            const SrvColunas::Coluna& c = colunas[size_t(i)];
            const ColunaDoEsquema& e = esquema.colunas[i];
            QCOMPARE(e.nome, QString::fromLatin1(c.nome));
            QCOMPARE(int(e.tipo), int(c.tipo));
            QCOMPARE(e.largura, c.largura);
            QCOMPARE(esquema.chave.contains(e.nome), c.chave);
            QVERIFY2(!QString::fromUtf8(c.palavra).isEmpty(), c.nome);
        }
    }

    void columnsByNameOrParameter() {
        QCOMPARE(SrvColunas::largura(u"NRBUTTON"), 5);
        QCOMPARE(SrvColunas::largura(u"P_NRBUTTON_ANT"), 5);
        QCOMPARE(SrvColunas::largura(u"P_DSBUTTON"), 50);
        QCOMPARE(SrvColunas::largura(u"NRCOLORTEXT"), -1); // a number has no width
        QCOMPARE(SrvColunas::largura(u"P_NADA"), -1);
        QVERIFY(!SrvColunas::coluna(u"CDLOJA"));
    }

    void sessionOpensReusesAndCloses() {
        TestDatabase db(TestDatabase::Engine::SQLite);
        db.makeCurrent();
        {
            const Srv_Kmr00003::Sessao sessao;
            QVERIFY(rdmConfGrupo);
            QVERIFY(rdmConfGrupo->adcConfGrupo.connected());
            const TrdmConfGrupo* aberto = rdmConfGrupo.get();
            Srv_Kmr00003::abre(); // an open instance is reused
            QCOMPARE(rdmConfGrupo.get(), aberto);
        }
        QVERIFY(!rdmConfGrupo);
        {
            // Opened later inside the scope (as by the screen): closed all the same.
            const Srv_Kmr00003::Sessao sessao(Srv_Kmr00003::Sessao::Abertura::Adiada);
            QVERIFY(!rdmConfGrupo);
            Srv_Kmr00003::abre();
            QVERIFY(rdmConfGrupo);
        }
        QVERIFY(!rdmConfGrupo);
    }

    void failedConnectionLeavesNoInstance() {
        QTemporaryDir dir;
        qputenv("KALMORA_CONEXAO", ("Provider=SQLite;Data Source=" + dir.filePath(QStringLiteral("nada.db"))).toUtf8());
        bool falhou = false;
        try {
            const Srv_Kmr00003::Sessao sessao;
        } catch (const DatabaseError&) {
            falhou = true;
        }
        QVERIFY(falhou);
        QVERIFY(!rdmConfGrupo);
        // The screen's way: the failed opening leaves the instance to the
        // session that closes it.
        {
            const Srv_Kmr00003::Sessao sessao(Srv_Kmr00003::Sessao::Abertura::Adiada);
            QVERIFY_THROWS_EXCEPTION(DatabaseError, Srv_Kmr00003::abre());
            QVERIFY(rdmConfGrupo);
        }
        QVERIFY(!rdmConfGrupo);
    }
};

QTEST_GUILESS_MAIN(TstSrvColunas)
#include "tst_SrvColunas.moc"
