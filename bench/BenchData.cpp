#include "BenchData.h"

#include <DatabaseSchema.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <sqlite3.h>

#include <stdexcept>
#include <string>

namespace {

QString cacheDir() {
    const QString dir = QString::fromUtf8(KMR_BENCH_DATA_DIR);
    QDir().mkpath(dir);
    return dir;
}

class Db {
public:
    explicit Db(const QString& path) {
        if (sqlite3_open(path.toUtf8().constData(), &m_db) != SQLITE_OK)
            throw std::runtime_error("cannot create " + path.toStdString());
    }
    ~Db() { sqlite3_close(m_db); }
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;
    void exec(const QString& sql) {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string text = error ? error : "?";
            sqlite3_free(error);
            throw std::runtime_error(text + " in " + sql.toStdString());
        }
    }
    sqlite3* handle() { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

class Insert {
public:
    Insert(Db& db, const char* sql) {
        if (sqlite3_prepare_v2(db.handle(), sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db.handle()));
    }
    ~Insert() { sqlite3_finalize(m_stmt); }
    Insert(const Insert&) = delete;
    Insert& operator=(const Insert&) = delete;
    Insert& text(int i, const std::string& v) {
        sqlite3_bind_text(m_stmt, i, v.c_str(), int(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Insert& real(int i, double v) {
        sqlite3_bind_double(m_stmt, i, v);
        return *this;
    }
    void run() {
        if (sqlite3_step(m_stmt) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(sqlite3_db_handle(m_stmt)));
        sqlite3_reset(m_stmt);
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

std::string padded(int n, int width) {
    std::string s = std::to_string(n);
    if (int(s.size()) < width)
        s.insert(s.begin(), size_t(width) - s.size(), '0');
    return s;
}

std::string two(int n) {
    return padded(n, 2);
}

// Creates the file under a temporary name and renames it when complete, so an
// interrupted run never leaves a half-filled cache.
template <typename Fill> QString cached(const QString& name, Fill fill) {
    const QString path = QDir(cacheDir()).filePath(name);
    if (QFileInfo::exists(path))
        return path;
    const QString temp = path + QStringLiteral(".part");
    QFile::remove(temp);
    {
        Db db(temp);
        db.exec(QStringLiteral("PRAGMA journal_mode=OFF"));
        db.exec(QStringLiteral("PRAGMA synchronous=OFF"));
        for (const QString& statement : DatabaseSchema::schemaStatements(SqlDialect::SQLite))
            db.exec(statement);
        db.exec(QStringLiteral("BEGIN"));
        fill(db);
        db.exec(QStringLiteral("COMMIT"));
        db.exec(QStringLiteral("ANALYZE"));
        db.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    }
    if (!QFile::rename(temp, path))
        throw std::runtime_error("cannot rename " + temp.toStdString());
    return path;
}

const char* const kInsertItem =
    "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, NRBUTTONAUX, "
    "NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, DSIMAGEMBUT, DTULTATUITCT) "
    "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";

// One configuration: 12 groups on group page 1, each with 3 product pages of
// 36 products: 1308 rows.
int fillConfiguration(Insert& insert, const std::string& branch, const std::string& conf) {
    int rows = 0;
    const std::string when = "2026-01-01T10:00:00.000";
    for (int g = 1; g <= 12; ++g) {
        insert.text(1, branch).text(2, conf).text(3, "2").text(4, two(g)).text(5, "1").text(6, "0").text(7, "0");
        insert.text(8, "0").text(9, "").text(10, "Grupo " + two(g)).real(11, 0).real(12, 11571344);
        insert.text(13, "").text(14, "").text(15, when).run();
        ++rows;
        for (int page = 1; page <= 3; ++page) {
            for (int b = 1; b <= 36; ++b) {
                const std::string product = padded(g * 1000 + page * 100 + b, 6);
                insert.text(1, branch).text(2, conf).text(3, "1").text(4, two(b)).text(5, std::to_string(page));
                insert.text(6, "2").text(7, two(g)).text(8, "1").text(9, product);
                insert.text(10, "Produto de teste " + product).real(11, 0).real(12, 11571344);
                insert.text(13, "").text(14, "").text(15, when).run();
                ++rows;
            }
        }
    }
    return rows;
}

} // namespace

namespace BenchData {

QString menuDatabase(int rows) {
    return cached(QStringLiteral("menu_%1.db").arg(rows), [rows](Db& db) {
        Insert insert(db, kInsertItem);
        int written = fillConfiguration(insert, kBranch.toStdString(), kConfiguration.toStdString());
        for (int branch = 1; written < rows; ++branch) {
            for (int conf = 1; conf <= 20 && written < rows; ++conf)
                written += fillConfiguration(insert, padded(branch, 4), padded(conf, 5));
        }
    });
}

QString catalogueDatabase(int products) {
    return cached(QStringLiteral("catalogue_%1.db").arg(products), [products](Db& db) {
        Insert insert(db, "INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, NMFOTOPROD, NMPRODIMPFIS, "
                          "CDBARPRODUTO, CDPRODINTE, SGUNIDADE, IDTIPOPROD, IDPESAPROD, QTTARAPROD, IDCOBTXSERV, "
                          "IDPRODATIVPR, IDSOLLOCIMP, CDNVPRODUTO) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
        for (int i = 0; i < products; ++i) {
            const std::string code = padded(i, 8);
            // Tree codes out of code order, so the listing really sorts.
            const std::string tree = "01." + padded(int((qint64(i) * 7919) % products), 8);
            insert.text(1, code).text(2, tree).text(3, "Produto de catalogo numero " + code).text(4, "");
            insert.text(5, "PRODUTO " + code).text(6, "789" + code).text(7, code).text(8, "UN").text(9, "S");
            insert.text(10, "N").real(11, 0.0).text(12, "S").text(13, "S").text(14, "N").text(15, "3").run();
        }
        // A lower level that the level path leaves out.
        insert.text(1, "D1").text(2, "01").text(3, "Departamento").text(4, "").text(5, "DEP").text(6, "");
        insert.text(7, "").text(8, "").text(9, "S").text(10, "N").real(11, 0).text(12, "S").text(13, "S");
        insert.text(14, "N").text(15, "1").run();
        db.exec(QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL, CDSEGMER) VALUES ('9999', 'Bench', NULL)"));
    });
}

} // namespace BenchData
