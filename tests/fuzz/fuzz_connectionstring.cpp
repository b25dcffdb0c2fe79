// The connection-string parser on any text, with every reading the launcher,
// the connection and its messages make of it. A password must never survive
// redaction: the redacted text, read again, holds no password but "***".
#include "ConnectionString.h"

#include <cstddef>
#include <cstdint>

namespace {

bool isPasswordKey(const QString& upperKey) {
    return upperKey == QLatin1String("PWD") || upperKey.contains(QLatin1String("PASSWORD"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const ConnectionString cs = ConnectionString::parse(text);
    (void)cs.provider();
    (void)cs.qtDriver();
    (void)cs.server();
    (void)cs.port();
    (void)cs.masked(QStringLiteral("falha ao conectar com ") + text);
    for (const QString& key : cs.keys()) {
        const QString value = cs.value(key);
        const ConnectionString again = ConnectionString::parse(QStringLiteral("K=") + ConnectionString::quote(value));
        if (again.value(QStringLiteral("K")) != value)
            __builtin_trap(); // a quoted value does not read back as itself
    }
    const ConnectionString redacted = ConnectionString::parse(cs.redacted());
    for (const QString& key : redacted.keys())
        if (isPasswordKey(key) && redacted.value(key) != QLatin1String("***"))
            __builtin_trap(); // a password shown in a message
    return 0;
}
