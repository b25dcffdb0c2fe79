#pragma once
// Runs the launcher as a separate process, as an integrator runs it.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct Saida {
    int status = -1;
    QString out, err;
    bool crashed = false;
};

// env: the variables to set (a value "" removes the variable).
inline Saida rodaKalmora(const QStringList& args, const QList<std::pair<QString, QString>>& env) {
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const auto& [nome, valor] : env) {
        if (valor.isEmpty())
            e.remove(nome);
        else
            e.insert(nome, valor);
    }
    p.setProcessEnvironment(e);
    p.start(QStringLiteral(KALMORA_EXE), args);
    if (!p.waitForFinished(120000))
        return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError()),
            p.exitStatus() == QProcess::CrashExit};
}
