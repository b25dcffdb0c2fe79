#include "PgConnectOptions.h"

#include "HostErrors.h"
#include "OperatorTexts.h"

#include <QSqlError>

namespace PgConnectOptions {

namespace {

// An unreachable server must not freeze the till's screen: the connect gives
// up after 10 s, and a server that goes away is noticed within about 15 s,
// idle (keepalives: 5 s, then 3 probes 2 s apart) or with data unanswered by
// its TCP stack (tcp_user_timeout).
const char* const kWaits = "connect_timeout=10;keepalives=1;keepalives_idle=5;keepalives_interval=2;"
                           "keepalives_count=3;tcp_user_timeout=15000";

struct Setting {
    const char* key;      // as written in the connection string
    const char* keyword;  // libpq's
    QStringList accepted; // empty: any value
};

const QList<Setting>& settings() {
    static const QList<Setting> list{
        {"SSL Mode",
         "sslmode",
         {QStringLiteral("disable"), QStringLiteral("allow"), QStringLiteral("prefer"), QStringLiteral("require"),
          QStringLiteral("verify-ca"), QStringLiteral("verify-full")}},
        {"SSL Root Cert", "sslrootcert", {}},
        {"SSL Cert", "sslcert", {}},
        {"SSL Key", "sslkey", {}},
        {"Service", "service", {}},
        {"Target Session Attrs",
         "target_session_attrs",
         {QStringLiteral("any"), QStringLiteral("read-write"), QStringLiteral("read-only"), QStringLiteral("primary"),
          QStringLiteral("standby"), QStringLiteral("prefer-standby")}},
    };
    return list;
}

QStringList listOf(const QString& text) {
    QStringList out;
    for (const QString& part : text.split(u','))
        out << part.trimmed();
    return text.trimmed().isEmpty() ? QStringList() : out;
}

void refuseSeparator(const QString& key, const QString& value) {
    if (value.contains(u';'))
        throw DatabaseError(FailureCause::Configuration, OperatorTexts::opcaoConexaoComSeparador(key));
}

} // namespace

QString quoted(const QString& value) {
    QString v = value;
    v.replace(u'\\', QLatin1String("\\\\"));
    v.replace(u'\'', QLatin1String("\\'"));
    return u'\'' + v + u'\'';
}

QStringList hosts(const ConnectionString& cs) {
    return listOf(cs.value(QStringLiteral("Host")));
}

QStringList ports(const ConnectionString& cs) {
    return listOf(cs.value(QStringLiteral("Port")));
}

QList<QPair<QString, QString>> libpqSettings(const ConnectionString& cs) {
    QList<QPair<QString, QString>> out;
    for (const Setting& setting : settings()) {
        const QString key = QLatin1String(setting.key);
        if (!cs.contains(key))
            continue;
        const QString value = cs.value(key).trimmed();
        if (value.isEmpty())
            continue;
        if (!setting.accepted.isEmpty() && !setting.accepted.contains(value.toLower()))
            throw DatabaseError(
                FailureCause::Configuration,
                OperatorTexts::opcaoConexaoInvalida(key, value, setting.accepted.join(QLatin1String(", "))));
        refuseSeparator(key, value);
        out.append({QLatin1String(setting.keyword), setting.accepted.isEmpty() ? value : value.toLower()});
    }
    return out;
}

QString forQtDriver(const ConnectionString& cs) {
    QString options = QLatin1String(kWaits);
    const QStringList hostList = hosts(cs);
    const QStringList portList = ports(cs);
    if (portList.size() > 1) {
        if (portList.size() != hostList.size())
            throw DatabaseError(FailureCause::Configuration,
                                OperatorTexts::portasNaoConferem(int(hostList.size()), int(portList.size())));
        options += QStringLiteral(";port=") + portList.join(u',');
    }
    for (const auto& [keyword, value] : libpqSettings(cs))
        options += u';' + keyword + u'=' + quoted(value);
    return options;
}

void explainOpenFailure(const QSqlError& error, const ConnectionString& cs) {
    const QString text = error.databaseText() + u'\n' + error.driverText();
    const auto has = [&text](const char* part) { return text.contains(QLatin1String(part), Qt::CaseInsensitive); };
    const QString server = cs.server();
    const QString port = cs.port();
    if (has("does not match host name"))
        throw DatabaseError(FailureCause::ServerNotTrusted, OperatorTexts::certificadoOutroNome(server, port), error);
    if (has("certificate verify failed") || has("self-signed certificate") || has("unable to get local issuer"))
        throw DatabaseError(FailureCause::ServerNotTrusted, OperatorTexts::certificadoOutraAutoridade(server, port),
                            error);
    if (has("root certificate file") || has("could not read root certificate"))
        throw DatabaseError(FailureCause::Configuration, OperatorTexts::certificadoRaizAusente(server, port), error);
    if (has("certificate file") || has("private key file") || has("could not load private key"))
        throw DatabaseError(FailureCause::Configuration, OperatorTexts::certificadoProprioIlegivel(), error);
    if (has("server does not support SSL"))
        throw DatabaseError(FailureCause::Configuration, OperatorTexts::servidorSemCriptografia(server, port), error);
    if (has("session is read-only") || has("server is in hot standby mode"))
        throw DatabaseError(FailureCause::ReadOnlyServer, OperatorTexts::servidorSomenteLeitura(server, port), error);
}

} // namespace PgConnectOptions
