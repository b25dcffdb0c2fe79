#include "Diario.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "DiarioCaptura.h"
#include "SrvColunas.h"
#include "TrdmConfGrupo.h"

#include <ConnectionString.h>
#include <DataPacket.h>
#include <DataPacketData.h>
#include <HostErrors.h>
#include <KmrConexao.h>
#include <KmrLog.h>
#include <TADOQuery.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>

namespace Diario {

namespace {

Escopo* g_atual = nullptr;
bool g_capturaNoMotor = true;

constexpr int kPodaACada = 200;        // entries between two prunes
constexpr int kLarguraAcao = 200;      // the width of an entry's description
constexpr int kPassosPorComando = 100; // steps written by one statement

QList<FieldDef> campos() {
    QList<FieldDef> out;
    for (const SrvColunas::Coluna& c : SrvColunas::colunas()) {
        // The moment of insertion as the text the store holds, as the export reads it.
        const FieldKind tipo = c.tipo == FieldKind::DateTime ? FieldKind::Text : c.tipo;
        out.append(FieldDef{QString::fromLatin1(c.nome), tipo, c.tipo == FieldKind::DateTime ? 30 : c.largura});
    }
    return out;
}

QString listaColunas() {
    QStringList nomes;
    for (const SrvColunas::Coluna& c : SrvColunas::colunas())
        nomes << QString::fromLatin1(c.nome);
    return nomes.join(QStringLiteral(", "));
}

QString agora() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString usuario() {
    for (const char* nome : {"USER", "LOGNAME", "USERNAME"}) {
        const QString valor = qEnvironmentVariable(nome);
        if (!valor.isEmpty())
            return valor.left(100);
    }
    return QString();
}

int numeroDoAmbiente(const char* nome, int padrao) {
    bool ok = false;
    const int valor = qEnvironmentVariableIntValue(nome, &ok);
    return ok && valor > 0 ? valor : padrao;
}

QString hash(const QString& texto) {
    return QString::fromLatin1(QCryptographicHash::hash(texto.toUtf8(), QCryptographicHash::Sha1).toHex().left(12));
}

} // namespace

QString naoGravado() {
    return QStringLiteral("O histórico da alteração não pôde ser gravado e nada foi gravado. Tente de novo; se o "
                          "erro voltar, chame o suporte.");
}

namespace {

void executa(QSqlQuery& q, const char* oque) {
    if (!q.exec())
        throw DatabaseError(naoGravado(), q.lastError(), QString::fromLatin1(oque));
}

// The journal's tables in a file of its own (the project's own database has
// them from its schema).
const QStringList& tabelasDoArquivo() {
    static const QStringList t{
        QStringLiteral("CREATE TABLE IF NOT EXISTS KMRDIARIO (NRDIARIO INTEGER PRIMARY KEY AUTOINCREMENT, DTDIARIO "
                       "TEXT NOT NULL, NMESTACAO TEXT, NMUSUARIO TEXT, CDFILIAL TEXT NOT NULL, NRCONFTELA TEXT NOT "
                       "NULL, IDSESSAO TEXT, IDACAO TEXT, DSACAO TEXT, IDOPERACAO TEXT NOT NULL, NRDIARIOREF "
                       "INTEGER)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS KMRDIARIO_CONF ON KMRDIARIO (CDFILIAL, NRCONFTELA, NRDIARIO)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS KMRDIARIOPASSO (NRDIARIO INTEGER NOT NULL, NRPASSO INTEGER NOT "
                       "NULL, DSANTES TEXT, DSDEPOIS TEXT, PRIMARY KEY (NRDIARIO, NRPASSO))")};
    return t;
}

bool temMarca(QSqlDatabase db) {
    for (const QString& nome : db.tables(QSql::Tables))
        if (nome.section(u'.', -1).remove(u'"').compare(QLatin1String("KMRESQUEMA"), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString botoes(int n) {
    return n == 1 ? QStringLiteral("1 botão")
                  : QStringLiteral("%1 botões").arg(QLocale(QLocale::Portuguese, QLocale::Brazil).toString(n));
}

} // namespace

Filtro posicao(const QStringList& chave) {
    static const char* nomes[] = {"IDTPBUTTON",   "NRBUTTON",    "NRPGCONFTELA",
                                  "IDTPBUTONAUX", "NRBUTTONAUX", "NRPGCONFTAUX"};
    Filtro f;
    for (int i = 0; i < 6 && i < chave.size(); ++i)
        if (!chave[i].isEmpty())
            f.append({QString::fromLatin1(nomes[i]), chave[i]});
    return f;
}

Filtro filhos(const QString& botao, const QString& pagina) {
    return {{QStringLiteral("IDTPBUTONAUX"), QStringLiteral("2")},
            {QStringLiteral("NRBUTTONAUX"), botao},
            {QStringLiteral("NRPGCONFTAUX"), pagina}};
}

QList<Filtro> escopoDaColagem(const QStringList& nova, const QStringList& antiga, bool grupo) {
    QList<Filtro> f{posicao(nova), posicao(antiga)};
    if (grupo && nova.size() == 6 && antiga.size() == 6) {
        f.append(filhos(nova[1], nova[2]));
        f.append(filhos(antiga[1], antiga[2]));
    }
    return f;
}

Escopo::Escopo(const QString& filial_, const QString& conf_, QList<Filtro> filtros_, QString idAcao_, QString descricao)
    : filial(filial_), conf(conf_), filtros(std::move(filtros_)), idAcao(std::move(idAcao_)),
      m_descricao(std::move(descricao)) {
    if (g_atual == nullptr) {
        g_atual = this;
        m_proprio = true;
    }
}

Escopo::~Escopo() {
    if (m_proprio)
        g_atual = nullptr;
}

Escopo* Escopo::atual() {
    return g_atual;
}

// ---- Images ---------------------------------------------------------------

namespace {

// A text as a JSON string.
void textoJson(QString& out, const QString& t) {
    out += u'"';
    for (const QChar c : t) {
        switch (c.unicode()) {
        case u'"':
            out += QLatin1String("\\\"");
            break;
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        default:
            if (c.unicode() < 0x20)
                out += QStringLiteral("\\u%1").arg(int(c.unicode()), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += u'"';
}

} // namespace

// Written by hand, not through QJsonDocument: a copy or an import makes one
// image per item, twice.
QByteArray imagem(const QList<QVariant>& valores) {
    QString out;
    out.reserve(256);
    out += u'[';
    for (qsizetype i = 0; i < valores.size(); ++i) {
        if (i > 0)
            out += u',';
        const QVariant& v = valores[i];
        if (v.isNull())
            out += QLatin1String("null");
        else if (v.typeId() == QMetaType::Double)
            out += QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
        else
            textoJson(out, v.toString());
    }
    out += u']';
    return out.toUtf8();
}

// Byte for byte what imagem() gives for the row's values, without making a
// QVariant or a QString of each cell: a capture makes one per row read, so
// the cells are read straight from the packet's columns.
QByteArray imagem(const DataPacket& linhas, int linha) {
    QByteArray out;
    out.reserve(256);
    out += '[';
    const int colunas = linhas.fieldCount();
    for (int c = 0; c < colunas; ++c) {
        if (c > 0)
            out += ',';
        const PacketColumn& coluna = DataPacketAccess::column(linhas, c);
        if (coluna.isNull(linha)) {
            out += "null";
            continue;
        }
        switch (coluna.kind) {
        case FieldKind::Text:
            anexaTextoJson(out, coluna.textAt(linha));
            break;
        case FieldKind::Float: {
            char numero[32];
            out.append(numero, escreveNumero(numero, coluna.numberAt(linha)) - numero);
            break;
        }
        default: {
            const QByteArray um = imagem(QList<QVariant>{linhas.value(linha, c)});
            out.append(um.constData() + 1, um.size() - 2); // without its brackets
        }
        }
    }
    out += ']';
    return out;
}

std::string numeroEmTexto(double valor) {
    char numero[32];
    return std::string(numero, escreveNumero(numero, valor));
}

char* escreveNumero(char* p, double valor) {
    // -0 is written "0" by Qt and "-0" by to_chars; past 2^53 to_chars
    // writes every digit of the binary value where Qt rounds to the
    // shortest that reads back.
    constexpr double k2a53 = 9007199254740992.0;
    if (valor == std::floor(valor) && std::fabs(valor) < k2a53 && !(valor == 0 && std::signbit(valor)))
        return std::to_chars(p, p + 32, valor).ptr;
    const QByteArray n = QByteArray::number(valor, 'g', QLocale::FloatingPointShortest);
    std::memcpy(p, n.constData(), size_t(n.size()));
    return p + n.size();
}

QList<QVariant> valores(const QByteArray& imagem) {
    QList<QVariant> out;
    if (imagem.isEmpty())
        return out;
    const QJsonArray a = QJsonDocument::fromJson(imagem).array();
    for (const QJsonValue& v : a) {
        if (v.isNull())
            out.append(QVariant());
        else if (v.isDouble())
            out.append(v.toDouble());
        else
            out.append(v.toString());
    }
    return out;
}

QString chave(const QByteArray& img) {
    const QList<QVariant> v = valores(img);
    QStringList partes;
    for (int i = 0; i < kChaves && i < v.size(); ++i)
        partes << v[i].toString();
    return partes.join(QChar(0x1f));
}

QList<Passo> diferencas(const Retrato& antes, const Retrato& depois) {
    QList<Passo> passos;
    auto a = antes.begin();
    auto d = depois.begin();
    while (a != antes.end() || d != depois.end()) {
        if (d == depois.end() || (a != antes.end() && a->first < d->first)) {
            passos.append({a->second, {}});
            ++a;
        } else if (a == antes.end() || d->first < a->first) {
            passos.append({{}, d->second});
            ++d;
        } else {
            if (a->second != d->second)
                passos.append({a->second, d->second});
            ++a;
            ++d;
        }
    }
    return passos;
}

int diasGuardados() {
    return numeroDoAmbiente("KALMORA_HISTORICO_DIAS", 90);
}

int entradasGuardadas() {
    return numeroDoAmbiente("KALMORA_HISTORICO_ENTRADAS", 20000);
}

// ---- The journal of a connection ------------------------------------------

Livro::Livro(TrdmConfGrupo& dm) : m_dm(dm) {
    m_proprias = temMarca(dm.adcConfGrupo.database());
    // The statements kept on the data module's connection go with it.
    dm.adcConfGrupo.addCloseListener(this, [this] {
        const QString nome = m_dm.adcConfGrupo.connectionName();
        std::erase_if(m_insercoes, [&](const auto& e) { return e.first.first == nome; });
        m_colunasNoMotor.reset();
    });
}

Livro::~Livro() {
    gravaPendentes();
    m_dm.adcConfGrupo.removeCloseListener(this);
    m_insercoes.clear();
    for (const auto& [caminho, nome] : m_arquivos) {
        QSqlDatabase::database(nome, false).close();
        QSqlDatabase::removeDatabase(nome);
    }
}

void Livro::inicia(const QString& filial, const QString& conf, const QString& sessao, const QString& idAcao,
                   const QString& descricao) {
    gravaPendentes();
    m_acao = Acao{filial, conf, sessao, idAcao.left(1), descricao.left(kLarguraAcao), 0, 0};
    m_ultimaSessao = *m_acao;
}

void Livro::termina() {
    gravaPendentes(); // still inside the action: its writes make one entry
    m_acao.reset();
}

TADOQuery& Livro::comando(const QString& sql) {
    auto& q = m_consultas[sql];
    if (!q)
        q = std::make_unique<TADOQuery>(m_dm.adcConfGrupo, sql);
    return *q;
}

Retrato Livro::le(const Escopo& escopo, bool bloqueia) {
    QString sql = QStringLiteral("SELECT %1 FROM ITMENUCONFTE WHERE CDFILIAL = :P_CDFILIAL AND NRCONFTELA = "
                                 ":P_NRCONFTELA")
                      .arg(listaColunas());
    QList<std::pair<QString, QString>> parametros;
    const bool algumVazio =
        std::any_of(escopo.filtros.begin(), escopo.filtros.end(), [](const Filtro& f) { return f.isEmpty(); });
    if (!escopo.filtros.isEmpty() && !algumVazio) {
        QStringList ou;
        for (int f = 0; f < escopo.filtros.size(); ++f) {
            QStringList e;
            for (const auto& [coluna, valor] : escopo.filtros[f]) {
                const QString p = QStringLiteral("F%1_%2").arg(f).arg(coluna);
                e << QStringLiteral("%1 = :%2").arg(coluna, p);
                parametros.append({p, valor});
            }
            ou << QStringLiteral("(%1)").arg(e.join(QStringLiteral(" AND ")));
        }
        sql += QStringLiteral(" AND (%1)").arg(ou.join(QStringLiteral(" OR ")));
    }
    if (bloqueia && m_dm.adcConfGrupo.dialect() == SqlDialect::PostgreSQL)
        sql += QStringLiteral(" FOR UPDATE");
    TADOQuery& q = comando(sql);
    q.close();
    q.setParam(QStringLiteral("P_CDFILIAL"), escopo.filial);
    q.setParam(QStringLiteral("P_NRCONFTELA"), escopo.conf);
    for (const auto& [p, valor] : parametros)
        q.setParam(p, valor);
    const DataPacket linhas = q.readPacket(campos());
    q.close();
    Retrato r;
    QByteArray k;
    for (int l = 0; l < linhas.rowCount(); ++l) {
        k.clear();
        for (int c = 0; c < kChaves; ++c) {
            if (c > 0)
                k += '\x1f';
            const PacketColumn& coluna = DataPacketAccess::column(linhas, c);
            const std::string_view t =
                coluna.isNull(l) || coluna.kind != FieldKind::Text ? std::string_view() : coluna.textAt(l);
            k.append(t.data(), qsizetype(t.size()));
        }
        r.emplace(QString::fromUtf8(k), imagem(linhas, l));
    }
    return r;
}

Retrato Livro::leConfiguracao(const QString& filial, const QString& conf) {
    const Escopo todos(filial, conf);
    return le(todos, false);
}

void usaCapturaNoMotor(bool sim) {
    g_capturaNoMotor = sim;
}

std::unique_ptr<CapturaNoMotor> Livro::capturaNoMotor(const Escopo& escopo) {
    if (!g_capturaNoMotor)
        return nullptr;
    QSqlDatabase db = m_dm.adcConfGrupo.database();
    if (db.driverName() != QLatin1String("QSQLITE"))
        return nullptr;
    if (!m_colunasNoMotor)
        m_colunasNoMotor = CapturaNoMotor::colunasDaTabela(db);
    return CapturaNoMotor::inicia(db, escopo, *m_colunasNoMotor);
}

void Livro::registra(const Escopo& escopo, const QList<Passo>& passos) {
    if (passos.isEmpty())
        return;
    Pendente p;
    p.filial = escopo.filial;
    p.conf = escopo.conf;
    p.operacao = escopo.operacao;
    p.referencia = escopo.referencia;
    p.passos = passos;
    if (m_acao && escopo.operacao == QLatin1String("N") && m_acao->filial == escopo.filial &&
        m_acao->conf == escopo.conf) {
        p.naAcao = true;
        p.sessao = m_acao->sessao;
        p.idAcao = m_acao->idAcao;
        p.descricao = m_acao->descricao;
    } else {
        p.sessao = escopo.sessao;
        p.idAcao = escopo.idAcao.isEmpty() ? QStringLiteral("G") : escopo.idAcao.left(1);
        p.descricao = (escopo.m_descricao.isEmpty() ? QStringLiteral("alteração de %1").arg(botoes(passos.size()))
                                                    : escopo.m_descricao)
                          .left(kLarguraAcao);
    }
    if (m_proprias) {
        QSqlDatabase db = m_dm.adcConfGrupo.database();
        grava(db, p);
    } else {
        m_pendentes.append(std::move(p));
    }
}

namespace {

// The number the store gave the entry just inserted: what RETURNING gives;
// through ODBC, where a driver may keep that row to itself (SQLite's runs an
// INSERT as a statement without rows), the session's last number instead.
qint64 numeroDaEntrada(QSqlDatabase& db, QSqlQuery& insercao, bool odbc, bool servidor) {
    if (!odbc) {
        if (insercao.next())
            return insercao.value(0).toLongLong();
        throw DatabaseError(naoGravado(), insercao.lastError(), QStringLiteral("no number for the journal entry"));
    }
    QSqlQuery ultimo(db);
    if (ultimo.exec(servidor ? QStringLiteral("SELECT lastval()") : QStringLiteral("SELECT last_insert_rowid()")) &&
        ultimo.next() && ultimo.value(0).toLongLong() > 0)
        return ultimo.value(0).toLongLong();
    throw DatabaseError(naoGravado(), ultimo.lastError(), QStringLiteral("no number for the journal entry"));
}

} // namespace

void Livro::grava(QSqlDatabase& db, Pendente& p) {
    if (m_desdePoda < 0 || m_desdePoda >= kPodaACada) {
        poda(db);
        m_desdePoda = 0;
    }
    qint64 entrada = 0;
    int primeiro = 0;
    if (p.naAcao && m_acao && m_acao->entrada != 0) {
        entrada = m_acao->entrada;
        primeiro = m_acao->passos;
    } else {
        const bool odbc = db.driverName() == QLatin1String("QODBC");
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO KMRDIARIO (DTDIARIO, NMESTACAO, NMUSUARIO, CDFILIAL, NRCONFTELA, "
                                 "IDSESSAO, IDACAO, DSACAO, IDOPERACAO, NRDIARIOREF) VALUES (?, ?, ?, ?, ?, ?, ?, "
                                 "?, ?, ?)") +
                  (odbc ? QString() : QStringLiteral(" RETURNING NRDIARIO")));
        q.addBindValue(agora());
        q.addBindValue(QSysInfo::machineHostName().left(100));
        q.addBindValue(usuario());
        q.addBindValue(p.filial);
        q.addBindValue(p.conf);
        q.addBindValue(p.sessao);
        q.addBindValue(p.idAcao);
        q.addBindValue(p.descricao);
        q.addBindValue(p.operacao);
        q.addBindValue(p.referencia > 0 ? QVariant(p.referencia) : QVariant());
        executa(q, "insert of a journal entry");
        entrada = numeroDaEntrada(db, q, odbc, m_dm.adcConfGrupo.dialect() == SqlDialect::PostgreSQL);
        ++m_desdePoda;
        if (p.naAcao && m_acao)
            m_acao->entrada = entrada;
    }
    // The steps in statements of many rows each: a copy or an import has
    // one step per item.
    int n = primeiro;
    const auto imagemOuNulo = [](const QByteArray& i) {
        return i.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(QString::fromUtf8(i));
    };
    for (qsizetype de = 0; de < p.passos.size(); de += kPassosPorComando) {
        const qsizetype quantos = std::min<qsizetype>(kPassosPorComando, p.passos.size() - de);
        const auto liga = [&](QSqlQuery& s) {
            int nr = n;
            for (qsizetype i = de; i < de + quantos; ++i) {
                s.addBindValue(entrada);
                s.addBindValue(++nr);
                s.addBindValue(imagemOuNulo(p.passos[i].antes));
                s.addBindValue(imagemOuNulo(p.passos[i].depois));
            }
        };
        if (!inserePassosNativos(db, entrada, n, p.passos, de, quantos))
            insercaoDePassos(db, int(quantos), liga);
        n += int(quantos);
    }
    if (p.naAcao && m_acao)
        m_acao->passos = n;
}

// The statement of `quantos` steps on a database, prepared once: parsing a
// statement of hundreds of parameters costs more than running it. One that
// the connection lost (a reconnection finalizes its statements) is prepared
// again once.
void Livro::insercaoDePassos(QSqlDatabase& db, int quantos, const std::function<void(QSqlQuery&)>& liga) {
    // Kept on SQLite only, whose driver finalizes a connection's statements
    // when it closes; elsewhere a statement kept past a reconnection would
    // hold the old session's handle.
    if (db.driverName() != QLatin1String("QSQLITE")) {
        QSqlQuery q(db);
        QStringList linhas;
        for (int i = 0; i < quantos; ++i)
            linhas << QStringLiteral("(?, ?, ?, ?)");
        q.prepare(QStringLiteral("INSERT INTO KMRDIARIOPASSO (NRDIARIO, NRPASSO, DSANTES, DSDEPOIS) VALUES ") +
                  linhas.join(QStringLiteral(", ")));
        liga(q);
        executa(q, "insert of journal steps");
        return;
    }
    const auto chave = std::make_pair(db.connectionName(), quantos);
    auto achado = m_insercoes.find(chave);
    for (int tentativa = 0; tentativa < 2; ++tentativa) {
        const bool guardada = achado != m_insercoes.end();
        if (!guardada) {
            QStringList linhas;
            for (int i = 0; i < quantos; ++i)
                linhas << QStringLiteral("(?, ?, ?, ?)");
            auto q = std::make_unique<QSqlQuery>(db);
            if (!q->prepare(
                    QStringLiteral("INSERT INTO KMRDIARIOPASSO (NRDIARIO, NRPASSO, DSANTES, DSDEPOIS) VALUES ") +
                    linhas.join(QStringLiteral(", "))))
                throw DatabaseError(naoGravado(), q->lastError(), QStringLiteral("insert of journal steps"));
            achado = m_insercoes.emplace(chave, std::move(q)).first;
        }
        QSqlQuery& s = *achado->second;
        liga(s);
        if (s.exec()) {
            s.finish();
            return;
        }
        if (!guardada)
            throw DatabaseError(naoGravado(), s.lastError(), QStringLiteral("insert of journal steps"));
        m_insercoes.erase(achado);
        achado = m_insercoes.end();
    }
}

void Livro::poda(QSqlDatabase& db) {
    const QString limite =
        QDateTime::currentDateTime().addDays(-diasGuardados()).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT NRDIARIO FROM KMRDIARIO ORDER BY NRDIARIO DESC LIMIT 1 OFFSET ?"));
    q.addBindValue(entradasGuardadas() - 1);
    executa(q, "journal size");
    const qint64 menor = q.next() ? q.value(0).toLongLong() : 0;
    for (const char* tabela : {"KMRDIARIOPASSO", "KMRDIARIO"}) {
        QSqlQuery d(db);
        d.prepare(QStringLiteral("DELETE FROM %1 WHERE NRDIARIO IN (SELECT NRDIARIO FROM KMRDIARIO WHERE DTDIARIO "
                                 "< ? OR NRDIARIO < ?)")
                      .arg(QLatin1String(tabela)));
        d.addBindValue(limite);
        d.addBindValue(menor);
        executa(d, "journal prune");
    }
}

void Livro::desliga(const QString& detalhe) noexcept {
    try {
        qCWarning(lcKmrDb).noquote() << QStringLiteral("history off: %1").arg(detalhe);
    } catch (...) {
    }
    m_ativo = false;
}

void Livro::abreTransacao() {
    if (m_marca)
        return;
    Marca m;
    m.pendentes = m_pendentes.size();
    if (m_acao) {
        m.emAcao = true;
        m.entrada = m_acao->entrada;
        m.passos = m_acao->passos;
    }
    m_marca = m;
}

void Livro::fechaTransacao(bool confirmada) noexcept {
    if (!confirmada) {
        if (!m_marca)
            return;
        // The entry and steps written in the database's tables went with the
        // rollback; the next write of the action starts from where it stood.
        if (m_pendentes.size() > m_marca->pendentes)
            m_pendentes.resize(m_marca->pendentes);
        if (m_acao && m_marca->emAcao) {
            m_acao->entrada = m_marca->entrada;
            m_acao->passos = m_marca->passos;
        }
        m_marca.reset();
        return;
    }
    m_marca.reset();
    // The steps of an open action reach the file when it closes.
    if (!m_acao)
        gravaPendentes();
}

void Livro::gravaPendentes() noexcept {
    const qsizetype prontos = m_marca ? m_marca->pendentes : m_pendentes.size();
    if (prontos == 0)
        return;
    QList<Pendente> pendentes;
    if (prontos == m_pendentes.size()) {
        pendentes.swap(m_pendentes);
    } else {
        pendentes = m_pendentes.mid(0, prontos);
        m_pendentes.remove(0, prontos);
    }
    if (m_marca)
        m_marca->pendentes = 0;
    // The entries of one journal file that follow each other (the writes of
    // one action) in one transaction: the action's entry is whole in the
    // file or not there.
    for (qsizetype i = 0; i < pendentes.size();) {
        qsizetype fim = i + 1;
        while (fim < pendentes.size() && pendentes[fim].filial == pendentes[i].filial &&
               pendentes[fim].conf == pendentes[i].conf)
            ++fim;
        const Pendente& primeiro = pendentes[i];
        try {
            QSqlDatabase db = base(primeiro.filial, primeiro.conf);
            if (!db.isOpen()) {
                desliga(
                    QStringLiteral("the journal file of %1/%2 cannot be opened").arg(primeiro.filial, primeiro.conf));
                i = fim;
                continue;
            }
            if (!db.transaction())
                throw DatabaseError(naoGravado(), db.lastError());
            try {
                for (qsizetype j = i; j < fim; ++j)
                    grava(db, pendentes[j]);
            } catch (...) {
                db.rollback();
                throw;
            }
            if (!db.commit())
                throw DatabaseError(naoGravado(), db.lastError());
        } catch (const DatabaseError& e) {
            desliga(e.sqlError().text() + u' ' + e.statement());
        } catch (const std::exception& e) {
            desliga(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            desliga(QStringLiteral("unknown failure"));
        }
        i = fim;
    }
}

QString Livro::arquivo(const QString& filial, const QString& conf) {
    // Kept by connection, data folder, branch and configuration: every
    // entry asks.
    const QString conexao = m_dm.adcConfGrupo.connectionString();
    const QString padrao = defaultDatabasePath();
    QString& caminho = m_caminhos[conexao + u'\n' + padrao + u'\n' + filial + u'\n' + conf];
    if (caminho.isEmpty()) {
        const QString banco = ConnectionString::parse(conexao).redacted();
        const QString pasta = QFileInfo(padrao).absolutePath();
        caminho = QDir(pasta).filePath(
            QStringLiteral("historico-%1-%2.db").arg(hash(banco), hash(banco + u'\n' + filial + u'\n' + conf)));
    }
    return caminho;
}

QSqlDatabase Livro::base(const QString& filial, const QString& conf) {
    if (m_proprias)
        return m_dm.adcConfGrupo.database();
    const QString caminho = arquivo(filial, conf);
    auto achado = m_arquivos.find(caminho);
    if (achado != m_arquivos.end())
        return QSqlDatabase::database(achado->second, false);
    QDir().mkpath(QFileInfo(caminho).absolutePath());
    const QString nome = QStringLiteral("kmrdiario-%1-%2").arg(quintptr(this)).arg(m_arquivos.size());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nome);
    db.setDatabaseName(caminho);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    m_arquivos.emplace(caminho, nome);
    if (!db.open()) {
        qCWarning(lcKmrDb).noquote()
            << QStringLiteral("journal file %1 not opened: %2").arg(caminho, db.lastError().text());
        return db;
    }
    // The journal file is written after each change's commit: a lost tail
    // of it costs history, never menu data, so it does not wait for the disk
    // at each commit.
    QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    for (const QString& sql : tabelasDoArquivo()) {
        QSqlQuery q(db);
        if (!q.exec(sql)) {
            qCWarning(lcKmrDb).noquote()
                << QStringLiteral("journal file %1 not made: %2").arg(caminho, q.lastError().text());
            db.close();
            return db;
        }
    }
    return db;
}

QList<QSqlDatabase> Livro::bases() {
    if (m_proprias)
        return {m_dm.adcConfGrupo.database()};
    const QString banco = ConnectionString::parse(m_dm.adcConfGrupo.connectionString()).redacted();
    const QDir pasta = QFileInfo(defaultDatabasePath()).absoluteDir();
    QList<QSqlDatabase> out;
    for (const QFileInfo& f :
         pasta.entryInfoList({QStringLiteral("historico-%1-*.db").arg(hash(banco))}, QDir::Files, QDir::Name)) {
        const QString caminho = f.absoluteFilePath();
        auto achado = m_arquivos.find(caminho);
        if (achado != m_arquivos.end()) {
            out.append(QSqlDatabase::database(achado->second, false));
            continue;
        }
        const QString nome = QStringLiteral("kmrdiario-%1-%2").arg(quintptr(this)).arg(m_arquivos.size());
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nome);
        db.setDatabaseName(caminho);
        m_arquivos.emplace(caminho, nome);
        if (db.open())
            out.append(db);
    }
    return out;
}

void Livro::verifica(const QString& filial, const QString& conf) noexcept {
    if (m_proprias)
        return;
    try {
        if (!base(filial, conf).isOpen())
            desliga(QStringLiteral("the journal file of %1/%2 cannot be opened").arg(filial, conf));
    } catch (...) {
        desliga(QStringLiteral("the journal file of %1/%2 cannot be opened").arg(filial, conf));
    }
}

Livro& livro(TrdmConfGrupo& dm) {
    if (!dm.diario)
        dm.diario = std::make_shared<Livro>(dm);
    return *dm.diario;
}

// ---- The capture of a write ---------------------------------------------

int Registro::s_emCurso = 0;

Registro::Registro(TrdmConfGrupo& dm) : m_livro(&livro(dm)), m_escopo(Escopo::atual()) {
    // A journal file that could not be written stays off for this connection.
    if (!m_livro->ativo() && !m_livro->tabelasProprias())
        m_escopo = nullptr;
    m_livro->abreTransacao();
    if (m_escopo) {
        m_captura = m_livro->capturaNoMotor(*m_escopo);
        if (!m_captura)
            m_antes = m_livro->le(*m_escopo, true);
    }
    ++s_emCurso; // only once made: a failed read leaves no destructor to run
}

Registro::~Registro() {
    --s_emCurso;
}

void Registro::registra() {
    if (!m_escopo)
        return;
    if (m_captura) {
        const QList<Passo> passos = m_captura->termina();
        m_captura.reset();
        m_livro->registra(*m_escopo, passos);
        return;
    }
    const Retrato depois = m_livro->le(*m_escopo, false);
    m_livro->registra(*m_escopo, diferencas(m_antes, depois));
}

void Registro::depoisDoCommit() noexcept {
    m_livro->fechaTransacao(true);
}

void Registro::falhou() noexcept {
    m_livro->fechaTransacao(false);
}

} // namespace Diario
