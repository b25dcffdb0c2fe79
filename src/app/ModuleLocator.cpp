#include "ModuleLocator.h"

#include <QDir>
#include <QFileInfo>

namespace ModuleLocator {

QString moduleFileName() {
    return QStringLiteral("libPkg_Kmr00003.so");
}

QStringList candidates(const QString& applicationDir) {
    QStringList out;
    const QString named = qEnvironmentVariable("KALMORA_MODULO").trimmed();
    if (!named.isEmpty())
        out << named;
    const QDir dir(applicationDir);
    out << QDir::cleanPath(dir.filePath(moduleFileName()));
    // The install's layout: bin/kalmora and lib/kalmora/libPkg_Kmr00003.so.
    out << QDir::cleanPath(dir.filePath(QStringLiteral("../lib/kalmora/") + moduleFileName()));
    return out;
}

QString locate(const QString& applicationDir) {
    for (const QString& path : candidates(applicationDir)) {
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

} // namespace ModuleLocator
