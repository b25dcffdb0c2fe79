#include "SqlTestDatabase.h"

#include <ConnectionString.h>

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>

#include <stdexcept>

namespace {

int counter = 0;

QString uniqueName(const char* prefix) {
    return QStringLiteral("%1_%2_%3").arg(QLatin1String(prefix)).arg(QCoreApplication::applicationPid()).arg(++counter);
}

QSqlDatabase openPg(const QString& name, const ConnectionString& cs, const QString& database) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setHostName(cs.value(QStringLiteral("Host")));
    if (cs.contains(QStringLiteral("Port")))
        db.setPort(cs.value(QStringLiteral("Port")).toInt());
    db.setUserName(cs.value(QStringLiteral("User ID")));
    db.setPassword(cs.value(QStringLiteral("Password")));
    db.setDatabaseName(database);
    if (!db.open())
        throw std::runtime_error(("cannot connect to PostgreSQL: " + db.lastError().text()).toStdString());
    return db;
}

} // namespace

std::unique_ptr<SqlTestDatabase> SqlTestDatabase::sqlite() {
    std::unique_ptr<SqlTestDatabase> t(new SqlTestDatabase);
    t->m_dir = std::make_unique<QTemporaryDir>();
    t->m_file = t->m_dir->filePath(QStringLiteral("test.db"));
    t->m_name = uniqueName("kmr_host_sqlite");
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), t->m_name);
    db.setDatabaseName(t->m_file);
    if (!db.open())
        throw std::runtime_error(db.lastError().text().toStdString());
    return t;
}

std::unique_ptr<SqlTestDatabase> SqlTestDatabase::postgres(const QString& connectionString) {
    const ConnectionString cs = ConnectionString::parse(connectionString);
    std::unique_ptr<SqlTestDatabase> t(new SqlTestDatabase);
    t->m_adminName = uniqueName("kmr_host_pgadmin");
    QSqlDatabase admin = openPg(t->m_adminName, cs, cs.value(QStringLiteral("Database")));
    t->m_pgDatabase = uniqueName("kmr_host");
    QSqlQuery q(admin);
    if (!q.exec(QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE template0").arg(t->m_pgDatabase)))
        throw std::runtime_error(q.lastError().text().toStdString());
    t->m_name = uniqueName("kmr_host_pg");
    openPg(t->m_name, cs, t->m_pgDatabase);
    return t;
}

SqlTestDatabase::~SqlTestDatabase() {
    if (QSqlDatabase::contains(m_name)) {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    if (!m_adminName.isEmpty()) {
        {
            QSqlDatabase admin = QSqlDatabase::database(m_adminName, false);
            if (!m_pgDatabase.isEmpty())
                QSqlQuery(admin).exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_pgDatabase));
            admin.close();
        }
        QSqlDatabase::removeDatabase(m_adminName);
    }
}
