// Where the launcher looks for the module: beside itself (build tree), then
// in the installation's private library folder; a named file first.

#include <ModuleLocator.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestModuleLocator : public QObject {
    Q_OBJECT

private slots:
    void init() { qunsetenv("KALMORA_MODULO"); }
    void findsTheInstalledModule();
    void buildTreeModuleWinsBesideTheLauncher();
    void namedModuleComesFirst();
    void nothingFoundGivesEmpty();

private:
    static void touch(const QString& path) {
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
};

void TestModuleLocator::findsTheInstalledModule() {
    QTemporaryDir prefix;
    touch(prefix.filePath("lib/kalmora/libPkg_Kmr00003.so"));
    QVERIFY(QDir().mkpath(prefix.filePath("bin")));
    QCOMPARE(ModuleLocator::locate(prefix.filePath("bin")), prefix.filePath("lib/kalmora/libPkg_Kmr00003.so"));
}

void TestModuleLocator::buildTreeModuleWinsBesideTheLauncher() {
    QTemporaryDir prefix;
    touch(prefix.filePath("bin/libPkg_Kmr00003.so"));
    touch(prefix.filePath("lib/kalmora/libPkg_Kmr00003.so"));
    QCOMPARE(ModuleLocator::locate(prefix.filePath("bin")), prefix.filePath("bin/libPkg_Kmr00003.so"));
}

void TestModuleLocator::namedModuleComesFirst() {
    QTemporaryDir prefix;
    touch(prefix.filePath("bin/libPkg_Kmr00003.so"));
    touch(prefix.filePath("outro/modulo.so"));
    qputenv("KALMORA_MODULO", prefix.filePath("outro/modulo.so").toUtf8());
    QCOMPARE(ModuleLocator::locate(prefix.filePath("bin")), prefix.filePath("outro/modulo.so"));
    // A named file that is not there does not stop the search.
    qputenv("KALMORA_MODULO", prefix.filePath("nada.so").toUtf8());
    QCOMPARE(ModuleLocator::locate(prefix.filePath("bin")), prefix.filePath("bin/libPkg_Kmr00003.so"));
}

void TestModuleLocator::nothingFoundGivesEmpty() {
    QTemporaryDir prefix;
    QVERIFY(ModuleLocator::locate(prefix.filePath("bin")).isEmpty());
    QCOMPARE(ModuleLocator::candidates(prefix.filePath("bin")).size(), 2);
}

QTEST_GUILESS_MAIN(TestModuleLocator)
#include "tst_modulelocator.moc"
