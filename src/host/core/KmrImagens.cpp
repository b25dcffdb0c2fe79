#include "KmrImagens.h"

#include "KmrConexao.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr char kEnvVariable[] = "KALMORA_IMAGENS";
constexpr char kSettingFile[] = "kalmora.imagens";
// A setting file holds one folder name; anything longer is not one.
constexpr qint64 kSettingMaxBytes = 4096;

QString besideDatabase() {
    return QFileInfo(defaultDatabasePath()).dir().filePath(QStringLiteral("imagens"));
}

// The folder named by the first setting file found; "" when there is none or
// it names nothing usable.
QString fromSetting() {
    for (const QString& path : configFileCandidates(QLatin1String(kSettingFile), QString())) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString line = QString::fromUtf8(file.read(kSettingMaxBytes)).section(u'\n', 0, 0).trimmed();
        if (!line.isEmpty() && !QDir::isRelativePath(line))
            return QDir::cleanPath(line);
    }
    return QString();
}

} // namespace

QString pastaImagens() {
    const QString fromEnv = qEnvironmentVariable(kEnvVariable).trimmed();
    if (!fromEnv.isEmpty())
        return QDir::cleanPath(QDir(fromEnv).absolutePath());
    const QString beside = besideDatabase();
    if (QFileInfo(beside).isDir())
        return beside;
    const QString setting = fromSetting();
    return setting.isEmpty() ? beside : setting;
}

QString caminhoImagem(const QString& referencia) {
    const QString ref = referencia.trimmed();
    if (ref.isEmpty())
        return QString();
    if (!QDir::isRelativePath(ref))
        return QDir::cleanPath(ref);
    return QDir::cleanPath(QDir(pastaImagens()).filePath(ref));
}
