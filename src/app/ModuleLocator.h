#pragma once
// Where the launcher finds the configuration module: beside itself in the
// build tree, in the private library folder of an installation
// (<prefix>/lib/kalmora beside <prefix>/bin), or where KALMORA_MODULO names
// the module's file.

#include <QString>
#include <QStringList>

namespace ModuleLocator {

// The file name of the loadable module.
QString moduleFileName();

// The places looked at, in order, for a launcher in `applicationDir`.
QStringList candidates(const QString& applicationDir);

// The first candidate that exists; "" when none does.
QString locate(const QString& applicationDir);

} // namespace ModuleLocator
