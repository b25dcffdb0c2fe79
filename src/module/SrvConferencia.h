#pragma once
// The compare step of the checked writes: the rows a write is about to
// change, read inside its own transaction (locked on a server database) and
// compared with the rows the caller showed, and the rule that a write naming
// a row must change one. A mismatch raises DatabaseError with the cause
// RowChanged and its operator text; the frame then rolls everything back.

#include <DataPacket.h>
#include <TADOQuery.h>

#include <QString>
#include <QVariant>

class TrdmConfGrupo;

// A position in the menu table, the six key columns after branch and
// configuration.
struct ChaveItem {
    QString IDTPBUTTON;
    QString NRBUTTON;
    QString NRPGCONFTELA;
    QString IDTPBUTONAUX;
    QString NRBUTTONAUX;
    QString NRPGCONFTAUX;
};

class SrvConferencia {
public:
    explicit SrvConferencia(TADOConnection& connection);
    SrvConferencia(const SrvConferencia&) = delete;
    SrvConferencia& operator=(const SrvConferencia&) = delete;

    // The columns every read here returns: the key, then what a button shows.
    static QList<FieldDef> colunas();

    // The statements, on the data module's connection.
    TADOQuery adqItem;         // one item by its whole key
    TADOQuery adqProdutoPos;   // the product-level item at a product position (as the product delete)
    TADOQuery adqGrupoPos;     // the item of a type at a group position (as the group delete)
    TADOQuery adqFilhos;       // every item under a group position (as the delete of its products)
    TADOQuery adqOcupaGrupo;   // group-level items at a position
    TADOQuery adqOcupaProduto; // product-level items at a position
    TADOQuery adqPaginaGrupo;  // one group page
    TADOQuery adqPaginaProd;   // one product page of a group
};

namespace SrvEstacoes {

// The compare statements of the data module, made at first use.
SrvConferencia& conferencia(TrdmConfGrupo& dm);

// Executes a write that names one row; no row changed is a failure.
void executaComLinha(TADOQuery& command);

// The rows a query gives, read whole and closed again.
DataPacket le(TADOQuery& query);

// Raises RowChanged unless the stored rows are the expected ones: the same
// positions, and in every column the expected packet carries the same value
// (texts as stored, a null as empty; colours as whole numbers). An expected
// value that is not a packet with the position columns is a fault of the
// caller (std::invalid_argument).
void confere(const DataPacket& gravado, const QVariant& esperado);

// Raises RowChanged; the detail goes to the log only.
[[noreturn]] void alterado(const QString& detalhe);

// Raises RowChanged when the query finds any row.
void confereVazio(const DataPacket& gravado);

// A failure of a write run inside another one, raised again in the outer
// one with its text: the inner call has already rolled back.
void repassa(int32_t status, const QVariant& resultado);

} // namespace SrvEstacoes
