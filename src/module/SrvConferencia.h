#pragma once
// The checked writes of stations sharing one store. A checked write runs the
// statement of the write it checks with the values the caller showed added
// to its WHERE clause (and, for a paste, the condition that the new position
// is still free), so that one statement both checks and writes: fewer rows
// changed than were shown means a row is no longer what the caller showed
// (cause RowChanged). The items under a group, which a group clear or move
// changes too, are read (locked on a server database), compared, and then
// deleted or re-pointed by one statement in the same transaction.

#include <DataPacket.h>
#include <TADOQuery.h>

#include <QString>
#include <QVariant>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class TrdmConfGrupo;

class SrvConferencia {
public:
    explicit SrvConferencia(TADOConnection& connection);
    SrvConferencia(const SrvConferencia&) = delete;
    SrvConferencia& operator=(const SrvConferencia&) = delete;

    // The columns every read here returns: the key, then what a button shows.
    static QList<FieldDef> colunas();

    // The checked form of a statement for one shape of what was shown (how
    // many rows, which columns, which colours null, which new position must
    // be free): the statement, and the names of the parameters it adds in
    // the order their values are given.
    struct Conferido {
        std::unique_ptr<TADOQuery> comando;
        QStringList parametros;
    };
    // The checked form of `base` kept under `forma`; `monta` gives the text
    // added to its WHERE clause and fills the parameter names when it is new.
    const Conferido& conferido(const TADOQuery& base, const QString& forma,
                               const std::function<QString(QStringList&)>& monta);

    TADOQuery adqFilhos;        // every item under a group position, locked on a server database
    TADOQuery acmRepontaFilhos; // every product-level item under a group position re-pointed at once
    TADOQuery adqPaginaGrupo;   // one group page
    TADOQuery adqPaginaProd;    // one product page of a group

private:
    TADOConnection& m_connection;
    std::map<QString, Conferido> m_conferidos;
};

namespace SrvEstacoes {

// A paste's new position, which must hold no other item of its level.
struct Destino {
    bool grupo = true;
    QString NRBUTTON;
    QString NRPGCONFTELA;
    QString NRBUTTONAUX;
    QString NRPGCONFTAUX;
};

// The position columns (IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX,
// NRBUTTONAUX, NRPGCONFTAUX, in this order) that a write's own statement
// fixes, with their values; those left empty it does not fix. Shown rows
// elsewhere cannot be the rows it changes, and the statement need not
// compare them again.
using Posicao = std::array<std::optional<QString>, 6>;

// For the length of a scope, the next statement that comando() hands out is
// the checked form of the one it names: it changes only the rows `linhas`
// (a DataPacket with the position columns IDTPBUTTON, NRBUTTON,
// NRPGCONFTELA, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX and any of
// CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSIMAGEMBUT) as they
// were shown: texts as stored with a null as empty, colours as whole
// numbers. `linhas` must outlive the scope. One scope at a time.
class Esperado {
public:
    Esperado(const QVariant& linhas, Posicao posicao, std::optional<Destino> livre = std::nullopt);
    ~Esperado();
    Esperado(const Esperado&) = delete;
    Esperado& operator=(const Esperado&) = delete;

private:
    friend TADOQuery& comando(TrdmConfGrupo& dm, TADOQuery& base);
    friend void executaComLinha(TADOQuery& command);
    const QVariant& m_linhas;
    Posicao m_posicao;
    std::optional<Destino> m_livre;
    const SrvConferencia::Conferido* m_conferido = nullptr; // the checked statement handed out
    int m_quantas = 0;                                      // the rows it must change
    QVariantList m_valores;                                 // its added parameters' values
    bool m_entregue = false;
};

// The statement a write runs for `base`: `base` itself, or in the scope of
// an Esperado not yet used, its checked form. Expected rows that are not a
// packet with the position columns are a fault of the caller
// (std::invalid_argument); no expected row at all is RowChanged.
TADOQuery& comando(TrdmConfGrupo& dm, TADOQuery& base);

// Executes a write that names one row; no row changed is a failure. The
// checked form gets its expected values and must change every row shown.
void executaComLinha(TADOQuery& command);

// The checked statements of the data module, made at first use.
SrvConferencia& conferencia(TrdmConfGrupo& dm);

// The rows a query gives, read whole and closed again.
DataPacket le(TADOQuery& query);

// Raises RowChanged unless the stored rows are the expected ones: the same
// positions, and in every column the expected packet carries the same value
// (as Esperado compares them). Expected rows that are not a packet with the
// position columns are a fault of the caller (std::invalid_argument).
void confere(const DataPacket& gravado, const QVariant& esperado);

// Raises RowChanged; the detail goes to the log only.
[[noreturn]] void alterado(const QString& detalhe);

// A failure of a write run inside another one, raised again in the outer
// one with its text and cause: the inner call has already rolled back.
void repassa(int32_t status, const QVariant& resultado);

} // namespace SrvEstacoes
