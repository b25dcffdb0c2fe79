// The picture folder of the buttons, in its order (KALMORA_IMAGENS, the
// folder beside the embedded database, the XDG setting file), references
// resolved against it, and the demo pictures put beside a new embedded
// database.

#include "EnvGuard.h"

#include <DatabaseSchema.h>
#include <KmrConexao.h>
#include <KmrImagens.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TstHostImagens : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<EnvGuard> m_env[4];
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString besideDatabase() const { return path(QStringLiteral("data/kalmora/imagens")); }
    void writeSetting(const QByteArray& content) {
        QVERIFY(QDir().mkpath(path(QStringLiteral("config/kalmora"))));
        QFile f(path(QStringLiteral("config/kalmora/kalmora.imagens")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        const char* names[] = {"KALMORA_IMAGENS", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"};
        for (int i = 0; i < 4; ++i)
            m_env[i] = std::make_unique<EnvGuard>(names[i]);
        qunsetenv("KALMORA_IMAGENS");
        qputenv("XDG_DATA_HOME", path(QStringLiteral("data")).toUtf8());
        qputenv("XDG_CONFIG_HOME", path(QStringLiteral("config")).toUtf8());
        qputenv("XDG_CONFIG_DIRS", path(QStringLiteral("etc")).toUtf8());
    }
    void cleanup() {
        for (auto& e : m_env)
            e.reset();
        m_dir.reset();
    }

    void folderInItsOrder() {
        // Nothing set and no folder yet: beside the embedded database.
        QCOMPARE(pastaImagens(), besideDatabase());

        // The setting file names a folder; a relative name is not one.
        writeSetting("relativa/fotos\n");
        QCOMPARE(pastaImagens(), besideDatabase());
        writeSetting(path(QStringLiteral("fotos")).toUtf8() + "/\nsegunda linha ignorada\n");
        QCOMPARE(pastaImagens(), path(QStringLiteral("fotos")));

        // The folder beside the database, once it exists, comes before the setting.
        QVERIFY(QDir().mkpath(besideDatabase()));
        QCOMPARE(pastaImagens(), besideDatabase());

        // The environment variable comes before everything.
        qputenv("KALMORA_IMAGENS", path(QStringLiteral("usb/imagens")).toUtf8());
        QCOMPARE(pastaImagens(), path(QStringLiteral("usb/imagens")));
        qputenv("KALMORA_IMAGENS", "   ");
        QCOMPARE(pastaImagens(), besideDatabase());
    }

    void settingInTheSystemFolder() {
        QVERIFY(QDir().mkpath(path(QStringLiteral("etc/kalmora"))));
        QFile f(path(QStringLiteral("etc/kalmora/kalmora.imagens")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(path(QStringLiteral("sistema")).toUtf8());
        f.close();
        QCOMPARE(pastaImagens(), path(QStringLiteral("sistema")));
        // The user's own setting comes first.
        writeSetting(path(QStringLiteral("minhas")).toUtf8());
        QCOMPARE(pastaImagens(), path(QStringLiteral("minhas")));
    }

    void referencesResolved() {
        qputenv("KALMORA_IMAGENS", path(QStringLiteral("pics")).toUtf8());
        QCOMPARE(caminhoImagem(QStringLiteral("lanches/xburger.png")),
                 path(QStringLiteral("pics/lanches/xburger.png")));
        QCOMPARE(caminhoImagem(QStringLiteral("  cafe.svg ")), path(QStringLiteral("pics/cafe.svg")));
        QCOMPARE(caminhoImagem(QStringLiteral("/media/usb/../usb/x.png")), QStringLiteral("/media/usb/x.png"));
        QCOMPARE(caminhoImagem(QString()), QString());
        QCOMPARE(caminhoImagem(QStringLiteral("   ")), QString());
    }

    void demoPicturesBesideANewEmbeddedDatabase() {
        createSqliteDatabase(defaultDatabasePath(), true, true);
        const QStringList copied = QDir(besideDatabase()).entryList({QStringLiteral("*.svg")}, QDir::Files);
        QVERIFY2(copied.size() >= 4, qPrintable(copied.join(u' ')));
        QVERIFY(copied.contains(QStringLiteral("hamburguer.svg")));
        QCOMPARE(pastaImagens(), besideDatabase());
        // The operator may replace them: writable, and kept when copied again.
        QFile mine(QDir(besideDatabase()).filePath(QStringLiteral("hamburguer.svg")));
        QVERIFY(mine.open(QIODevice::WriteOnly | QIODevice::Truncate));
        mine.write("<svg/>");
        mine.close();
        QCOMPARE(DatabaseSchema::copyDemoPictures(besideDatabase()), 0);
        QCOMPARE(mine.size(), 6);
    }

    void noPicturesBesideAnotherDatabase() {
        createSqliteDatabase(path(QStringLiteral("outra/loja.db")), true, false);
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("outra/imagens"))));
        QVERIFY(!QFileInfo::exists(besideDatabase()));
        // Without demo data, no demo pictures either.
        createSqliteDatabase(defaultDatabasePath(), false, true);
        QVERIFY(!QFileInfo::exists(besideDatabase()));
    }
};

QTEST_GUILESS_MAIN(TstHostImagens)
#include "tst_hostimagens.moc"
