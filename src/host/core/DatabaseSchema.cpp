#include "DatabaseSchema.h"

#include "HostErrors.h"
#include "KmrLog.h"
#include "OperatorTexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// Every table the schema files create; any of them present means the
// database already belongs to an installation and is left alone.
const QStringList& knownTables() {
    static const QStringList tables{
        QStringLiteral("ITMENUCONFTE"), QStringLiteral("PRODUTO"),    QStringLiteral("PRODUTOSEG"),
        QStringLiteral("PRSUBGRPROD"),  QStringLiteral("FILIAL"),     QStringLiteral("PARAVEND"),
        QStringLiteral("LOJA"),         QStringLiteral("ROTFABRICA"), QStringLiteral("ROTFABLOCAL"),
        QStringLiteral("KMRESQUEMA"),   QStringLiteral("KMRDIARIO"),  QStringLiteral("KMRDIARIOPASSO")};
    return tables;
}

bool isSeparator(QStringView line) {
    return line.trimmed() == QLatin1String("-- ;;");
}

// True when the text holds something besides blanks and "--" comment lines.
bool hasStatement(const QStringList& lines) {
    for (const QString& line : lines) {
        const QString t = line.trimmed();
        if (!t.isEmpty() && !t.startsWith(QLatin1String("--")))
            return true;
    }
    return false;
}

// The files hold one statement per entry, entries separated by a line
// "-- ;;": captions and names may contain ';', so the text is never split on it.
QStringList readStatements(const QString& resource) {
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        throw DatabaseError(FailureCause::Other, OperatorTexts::tabelasNaoCriadas(),
                            QSqlError(QStringLiteral("The database script %1 is missing").arg(resource), {}));
    const QString text = QString::fromUtf8(file.readAll());
    QStringList out;
    QStringList current;
    const auto flush = [&] {
        if (hasStatement(current))
            out << current.join(u'\n').trimmed();
        current.clear();
    };
    for (const QString& line : text.split(u'\n')) {
        if (isSeparator(line))
            flush();
        else if (!line.trimmed().startsWith(QLatin1String("--")))
            current << line; // comment lines stay in the file, out of error reports
    }
    flush();
    return out;
}

void exec(QSqlDatabase& db, const QString& statement) {
    QSqlQuery query(db);
    if (!query.exec(statement)) {
        const QSqlError error = query.lastError();
        throw DatabaseError(FailureCause::Other, OperatorTexts::tabelasNaoCriadas(), error, statement);
    }
}

} // namespace

namespace DatabaseSchema {

QStringList schemaStatements(SqlDialect dialect) {
    switch (dialect) {
    case SqlDialect::SQLite:
        return readStatements(QStringLiteral(":/db/schema_sqlite.sql"));
    case SqlDialect::PostgreSQL:
        return readStatements(QStringLiteral(":/db/schema_postgresql.sql"));
    default:
        throw DatabaseError(FailureCause::Configuration, OperatorTexts::tabelasNaoCriadas(),
                            QSqlError(QStringLiteral("No schema is provided for this database engine"), {}));
    }
}

QStringList demoDataStatements(SqlDialect dialect) {
    if (dialect != SqlDialect::SQLite && dialect != SqlDialect::PostgreSQL)
        throw DatabaseError(FailureCause::Configuration, OperatorTexts::tabelasNaoCriadas(),
                            QSqlError(QStringLiteral("No demo data is provided for this database engine"), {}));
    // Plain INSERTs that both engines accept.
    return readStatements(QStringLiteral(":/db/demo_data.sql"));
}

QStringList grantStatements() {
    return readStatements(QStringLiteral(":/db/grants_postgresql.sql"));
}

bool tablesExist(QSqlDatabase& db) {
    const QStringList present = db.tables(QSql::Tables);
    for (const QString& name : present) {
        // PostgreSQL folds unquoted names to lower case and may prefix a schema.
        const QString bare = name.section(u'.', -1).remove(u'"').toUpper();
        if (knownTables().contains(bare))
            return true;
    }
    return false;
}

void create(QSqlDatabase& db, SqlDialect dialect, bool demo) {
    if (!db.isOpen())
        throw DatabaseError(FailureCause::ConnectionLost, OperatorTexts::tabelasNaoCriadas(),
                            QSqlError(QStringLiteral("The connection is not open"), {}));
    if (tablesExist(db))
        throw DatabaseError(FailureCause::Other, OperatorTexts::tabelasJaExistem());
    QStringList statements = schemaStatements(dialect);
    if (demo)
        statements += demoDataStatements(dialect);
    if (!db.transaction())
        throw DatabaseError(FailureCause::Other, OperatorTexts::tabelasNaoCriadas(), db.lastError());
    try {
        for (const QString& statement : statements)
            exec(db, statement);
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        db.rollback();
        throw DatabaseError(FailureCause::Other, OperatorTexts::tabelasNaoCriadas(), error);
    }
}

int copyDemoPictures(const QString& folder) {
    const QDir source(QStringLiteral(":/db/imagens"));
    const QStringList names = source.entryList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
    if (names.isEmpty() || !QDir().mkpath(folder)) {
        qCWarning(lcKmrApp).noquote() << QStringLiteral("demo pictures not copied into %1").arg(folder);
        return 0;
    }
    int copied = 0;
    for (const QString& name : names) {
        const QString target = QDir(folder).filePath(name);
        if (QFileInfo::exists(target))
            continue;
        if (!QFile::copy(source.filePath(name), target)) {
            qCWarning(lcKmrApp).noquote() << QStringLiteral("demo picture %1 not copied").arg(target);
            continue;
        }
        // Copied out of the resources the file is read-only; the operator owns it now.
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                          QFileDevice::ReadOther);
        ++copied;
    }
    return copied;
}

} // namespace DatabaseSchema
