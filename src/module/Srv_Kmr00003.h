#pragma once
// The data service: the shared instance of the data module, its lifecycle,
// and the exported functions the screen and the launcher call, one per read
// or write (and the export, import and copy of a whole configuration).
//
// Calling convention: arguments are read-only UTF-16 strings (the colours of
// getInsere are single-precision numbers); the last argument is the result,
// first set empty. Status 0: the call ran to its end, and the result holds a
// DataPacket (query), an empty string (write) or the value the function names
// on success, or the failure text after a rollback. A nonzero status only
// when there is no instance or the failure path itself failed. A write that
// names one row by its key (rename, colours, the deletes of one item, the
// pastes) and changes none fails with the text of a button changed in another
// station (FailureCause::RowChanged); the delete of a group's products may
// find none.

#include <QString>
#include <QVariant>

#include <functional>

#include <cstdint>
#include <memory>

class TrdmConfGrupo;
enum class FailureCause;

// The shared instance: empty while no screen or command works on the store.
extern __attribute__((visibility("default"))) std::unique_ptr<TrdmConfGrupo> rdmConfGrupo;

// Status returned when an exception escapes the failure path (E_UNEXPECTED).
constexpr int32_t KMR_STATUS_FAILED = static_cast<int32_t>(0x8000FFFFu);

namespace Srv_Kmr00003 {

// Creates the shared instance when there is none (an existing one is reused)
// and connects it; the connect events run. A failed connection raises
// DatabaseError and leaves the instance for fecha().
void abre();
// Destroys the shared instance, closing its connection, and clears it;
// nothing when there is none.
void fecha() noexcept;

// The shared instance for the length of a scope: destroyed at its end however
// the scope ends, whether this scope opened it or not. Abertura::Agora opens
// it at once (a failed connection raises DatabaseError, no instance left);
// Abertura::Adiada leaves the opening to the code inside the scope (the
// screen's initialisation opens it).
class Sessao {
public:
    enum class Abertura { Agora, Adiada };
    explicit Sessao(Abertura abertura = Abertura::Agora);
    ~Sessao();
    Sessao(const Sessao&) = delete;
    Sessao& operator=(const Sessao&) = delete;
};

// For the length of a scope: what getProduto calls just before it reads the
// catalogue afresh (the one kept from the last touch is out of date, or there
// is none), so that the caller lets go of its own copy first: two catalogues
// of a million products held at once would double the memory of the read.
// Not called when the kept catalogue is given.
class AntesDeLerCatalogo {
public:
    explicit AntesDeLerCatalogo(std::function<void()> solta);
    ~AntesDeLerCatalogo();
    AntesDeLerCatalogo(const AntesDeLerCatalogo&) = delete;
    AntesDeLerCatalogo& operator=(const AntesDeLerCatalogo&) = delete;

    // Called by the read; nothing outside such a scope.
    static void avisa();

private:
    std::function<void()> m_solta;
    AntesDeLerCatalogo* m_anterior;
};

// The cause of the failure text the last exported call left in its result
// (FailureCause::Other after a call that succeeded or gave no cause): lets a
// caller add its own words, such as the option that would have let it through.
FailureCause causaDaFalha() noexcept;

// False when the journal cannot be written (a file that cannot be opened, a
// failed write to it): the changes go on, unrecorded, and the screen says
// once that the history is off.
bool historicoAtivo() noexcept;

} // namespace Srv_Kmr00003

// Every function declared from here to the end of this header is exported by
// the loadable module (the rest of the module's code is hidden).
#pragma GCC visibility push(default)

int32_t getPesqGrupo(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRPGCONFTELA,
                     QVariant& result);
int32_t getPesqProdGrupo(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRPGCONFTELA,
                         const QString& P_NRBUTTONAUX, const QString& P_NRPGCONFTAUX, QVariant& result);
int32_t getfiltroProd(const QString& P_CDFILIAL, const QString& P_CDLOJA, QVariant& result);
int32_t getProduto(const QString& P_CDFILIAL, QVariant& result);

int32_t getInsere(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDTPBUTTON,
                  const QString& P_NRBUTTON, const QString& P_DSBUTTON, float P_NRCOLORTEXT, float P_NRCOLORBACK,
                  const QString& P_DSMESSAGE, const QString& P_CDIDENTBUTON, const QString& P_NRPAGINA,
                  const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX, const QString& P_NRPGCONFTAUX,
                  QVariant& result);
int32_t getMudaNome(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                    const QString& P_NRPGCONFTELA, const QString& P_DSBUTTON, const QString& P_NRBUTTONAUX,
                    const QString& P_IDTPBUTTON, const QString& P_IDTPBUTONAUX, const QString& P_NRPGCONFTAUX,
                    QVariant& result);
int32_t getMudaCor(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                   const QString& P_NRPGCONFTELA, const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX,
                   const QString& P_NRPGCONFTAUX, const QString& P_NRCOLORBACK, const QString& P_IDTPBUTTON,
                   QVariant& result);
int32_t getMudaFonte(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                     const QString& P_NRPGCONFTELA, const QString& P_NRCOLORTEXT, const QString& P_IDTPBUTTON,
                     const QString& P_IDTPBUTONAUX, const QString& P_NRPGCONFTAUX, const QString& P_NRBUTTONAUX,
                     QVariant& result);
int32_t getDelProdGrup(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDTPGRUPO,
                       const QString& P_NRBUTTONPAI, const QString& P_NRPGGRUPO, QVariant& result);
int32_t getDeletaGrupo(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDTPBUTTON,
                       const QString& P_NRBUTTON, const QString& P_NRPAGINA, QVariant& result);
int32_t getDelProduto(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                      const QString& P_NRPGCONFTELA, const QString& P_NRBUTTONAUX, const QString& P_NRPGCONFTAUX,
                      QVariant& result);

int32_t setColarGrup(const QString& P_NRCOLORBACK, const QString& P_NRCOLORTEXT, const QString& P_DSBUTTON,
                     const QString& P_IDTPBUTTON, const QString& P_NRBUTTON, const QString& P_NRPGCONFTELA,
                     const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX, const QString& P_NRPGCONFTAUX,
                     const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDTPBUTTON_ANT,
                     const QString& P_NRBUTTON_ANT, const QString& P_NRPGCONFTELA_ANT,
                     const QString& P_IDTPBUTONAUX_ANT, const QString& P_NRBUTTONAUX_ANT,
                     const QString& P_NRPGCONFTAUX_ANT, QVariant& result);
int32_t setColarProd(const QString& P_NRCOLORBACK, const QString& P_NRCOLORTEXT, const QString& P_DSBUTTON,
                     const QString& P_IDTPBUTTON, const QString& P_NRBUTTON, const QString& P_NRPGCONFTELA,
                     const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX, const QString& P_NRPGCONFTAUX,
                     const QString& P_CDFILIAL, const QString& P_IDTPBUTTON_ANT, const QString& P_NRBUTTON_ANT,
                     const QString& P_NRPGCONFTELA_ANT, const QString& P_IDTPBUTONAUX_ANT,
                     const QString& P_NRBUTTONAUX_ANT, const QString& P_NRPGCONFTAUX_ANT, const QString& P_NRCONFTELA,
                     QVariant& result);

// ---- The products already on the menu ------------------------------------
// Same convention. Every product button (type "1") of the configuration, all
// groups and pages, in one read: CDIDENTBUTON, DSBUTTON, NRBUTTON,
// NRPGCONFTELA, NRBUTTONAUX, NRPGCONFTAUX and DSGRUPO, the caption of the
// group button it belongs to (null when that group button is not there);
// ordered by group page, group button, page and button as text. The search
// list marks these products by code.
int32_t getProdutosNoCardapio(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, QVariant& result);

// ---- A whole configuration: export, import and copy ----------------------
// Same convention as above. A configuration is every menu item of one
// (P_CDFILIAL, P_NRCONFTELA) pair, all pages, all columns. A refused input
// (a branch or configuration empty or too wide, a target that already holds
// items without P_SUBSTITUI "S", a bad item, an empty source) writes nothing
// and leaves its Portuguese text in the result.

// Every item of the configuration as a DataPacket with the columns of the
// menu table (an empty packet when it has none).
int32_t getExportaConf(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, QVariant& result);
// Writes the items of P_ITENS (a DataPacket as getExportaConf gives; the six
// position key columns required, branch and configuration taken from the
// target) into the configuration in one transaction. P_SUBSTITUI "S" first
// deletes the items it holds, in the same transaction. On success the result
// is the number of items written (an int). An optional text column
// DSLOCALITEM names each item's place in its file ("Linha 7 do arquivo") in
// the refusals; it is not written.
int32_t setImportaConf(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QVariant& P_ITENS,
                       const QString& P_SUBSTITUI, QVariant& result);
// Copies every item of the source configuration into the target one, as the
// import does. On success the result is the number of items copied (an int).
int32_t setCopiaConf(const QString& P_CDFILIAL_ORIG, const QString& P_NRCONFTELA_ORIG, const QString& P_CDFILIAL,
                     const QString& P_NRCONFTELA, const QString& P_SUBSTITUI, QVariant& result);

// ---- Checked writes, for a screen that shares the store with other stations
// Same convention. Each takes the arguments of the write it checks, then what
// the caller showed: P_ESPERADO, a DataPacket of the rows the write will
// change, with the position columns IDTPBUTTON, NRBUTTON, NRPGCONFTELA,
// IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX and any of CDIDENTBUTON, DSBUTTON,
// NRCOLORTEXT, NRCOLORBACK, DSIMAGEMBUT (the columns of getPesqItens; those
// given are compared). The write's own statement carries those values in
// its WHERE clause, so that it changes only rows still as shown; the items
// under a group that a group clear or move takes along are read (locked on a
// server database) and compared in the same transaction. On any difference
// nothing is written and the result holds the text of a button changed in
// another station (FailureCause::RowChanged). A write that changes no row
// fails with the same text.

// The rows of one page as getPesqItens gives them, with every column the
// checked writes compare: the group page P_NRPGCONFTELA when P_IDTPBUTONAUX
// is "0", else the product page P_NRPGCONFTELA of the group at
// (P_NRBUTTONAUX, P_NRPGCONFTAUX); with P_NRPGCONFTELA empty, every item
// under that group position, all pages, every type (what a group clear
// deletes and a group move carries along).
int32_t getPesqItens(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRPGCONFTELA,
                     const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX, const QString& P_NRPGCONFTAUX,
                     QVariant& result);
int32_t getMudaNomeConferido(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                             const QString& P_NRPGCONFTELA, const QString& P_DSBUTTON, const QString& P_NRBUTTONAUX,
                             const QString& P_IDTPBUTTON, const QString& P_IDTPBUTONAUX, const QString& P_NRPGCONFTAUX,
                             const QVariant& P_ESPERADO, QVariant& result);
int32_t getMudaCorConferido(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                            const QString& P_NRPGCONFTELA, const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX,
                            const QString& P_NRPGCONFTAUX, const QString& P_NRCOLORBACK, const QString& P_IDTPBUTTON,
                            const QVariant& P_ESPERADO, QVariant& result);
int32_t getMudaFonteConferido(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                              const QString& P_NRPGCONFTELA, const QString& P_NRCOLORTEXT, const QString& P_IDTPBUTTON,
                              const QString& P_IDTPBUTONAUX, const QString& P_NRPGCONFTAUX,
                              const QString& P_NRBUTTONAUX, const QVariant& P_ESPERADO, QVariant& result);
int32_t getDelProdutoConferido(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                               const QString& P_NRPGCONFTELA, const QString& P_NRBUTTONAUX,
                               const QString& P_NRPGCONFTAUX, const QVariant& P_ESPERADO, QVariant& result);
// Deletes a group-level item and, for a group ("2"), the items under its
// position, in one transaction. P_PRODUTOS: the items under it as the caller
// knew them (getPesqItens with an empty page); a null variant skips that
// compare.
int32_t getDeletaGrupoConferido(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDTPBUTTON,
                                const QString& P_NRBUTTON, const QString& P_NRPAGINA, const QVariant& P_ESPERADO,
                                const QVariant& P_PRODUTOS, QVariant& result);
// The pastes: P_ESPERADO is the cut item at its old key; the new position
// must hold no item of the same level; for a group, P_PRODUTOS as above.
int32_t setColarGrupConferido(const QString& P_NRCOLORBACK, const QString& P_NRCOLORTEXT, const QString& P_DSBUTTON,
                              const QString& P_IDTPBUTTON, const QString& P_NRBUTTON, const QString& P_NRPGCONFTELA,
                              const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX,
                              const QString& P_NRPGCONFTAUX, const QString& P_CDFILIAL, const QString& P_NRCONFTELA,
                              const QString& P_IDTPBUTTON_ANT, const QString& P_NRBUTTON_ANT,
                              const QString& P_NRPGCONFTELA_ANT, const QString& P_IDTPBUTONAUX_ANT,
                              const QString& P_NRBUTTONAUX_ANT, const QString& P_NRPGCONFTAUX_ANT,
                              const QVariant& P_ESPERADO, const QVariant& P_PRODUTOS, QVariant& result);
int32_t setColarProdConferido(const QString& P_NRCOLORBACK, const QString& P_NRCOLORTEXT, const QString& P_DSBUTTON,
                              const QString& P_IDTPBUTTON, const QString& P_NRBUTTON, const QString& P_NRPGCONFTELA,
                              const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX,
                              const QString& P_NRPGCONFTAUX, const QString& P_CDFILIAL, const QString& P_IDTPBUTTON_ANT,
                              const QString& P_NRBUTTON_ANT, const QString& P_NRPGCONFTELA_ANT,
                              const QString& P_IDTPBUTONAUX_ANT, const QString& P_NRBUTTONAUX_ANT,
                              const QString& P_NRPGCONFTAUX_ANT, const QString& P_NRCONFTELA,
                              const QVariant& P_ESPERADO, QVariant& result);

// ---- The picture of a button ------------------------------------------------
// Same convention. Sets DSIMAGEMBUT (a file name relative to the picture
// folder, or an absolute path; at most 200 characters, no control
// characters) of the one item the key names; an empty P_DSIMAGEMBUT clears
// it. Arguments in the order of getMudaCor. A key that matches no row fails
// with the text of a button changed in another station, as the other writes
// that name one row.
int32_t setMudaImagem(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                      const QString& P_NRPGCONFTELA, const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX,
                      const QString& P_NRPGCONFTAUX, const QString& P_DSIMAGEMBUT, const QString& P_IDTPBUTTON,
                      QVariant& result);
// setMudaImagem checked as the other checked writes (P_ESPERADO: the item as
// the caller showed it).
int32_t setMudaImagemConferido(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                               const QString& P_NRPGCONFTELA, const QString& P_IDTPBUTONAUX,
                               const QString& P_NRBUTTONAUX, const QString& P_NRPGCONFTAUX,
                               const QString& P_DSIMAGEMBUT, const QString& P_IDTPBUTTON, const QVariant& P_ESPERADO,
                               QVariant& result);

// ---- History: the journal of the changes, undo and redo ---------------------
// Same convention. Every write to the menu is recorded in the journal: when,
// the station (host name), the operating-system user, the branch and
// configuration, the action, and each row changed with its image before and
// after. One entry per operator action: the writes between setIniciaAcao and
// setTerminaAcao make one entry; a write outside such a bracket is an entry of
// its own, described by the data service. The journal lives in the project's
// own tables when this program created the database, else in a file of its
// own beside the embedded database (one per database and configuration).

// Opens an action bracket: every write until setTerminaAcao is a step of one
// entry, of the screen session P_IDSESSAO, kind P_IDACAO (one letter) and
// description P_DSACAO (at most 200 characters). Writes nothing itself.
int32_t setIniciaAcao(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDSESSAO,
                      const QString& P_IDACAO, const QString& P_DSACAO, QVariant& result);
// Closes the bracket; an entry that got no step leaves nothing.
int32_t setTerminaAcao(QVariant& result);
// At most two rows: IDOPERACAO "D" (the next undo of the session) and "R"
// (the next redo, while the session wrote nothing since its last undo), with
// NRDIARIO (text), IDACAO, DSACAO, QTBOTOES (buttons it changes), QTEXCLUI
// (buttons it deletes), QTINCLUI (buttons it inserts).
int32_t getPesqDesfazer(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDSESSAO,
                        QVariant& result);
// Undoes entry P_NRDIARIO in one transaction, itself recorded as an entry.
// Every row must still be as the entry left it; otherwise nothing is written
// (FailureCause::RowChanged, the text of a button changed in another station).
int32_t getDesfazer(const QString& P_NRDIARIO, const QString& P_IDSESSAO, QVariant& result);
// Redoes an undone entry, checked against the rows as the undo left them.
int32_t getRefazer(const QString& P_NRDIARIO, const QString& P_IDSESSAO, QVariant& result);
// The journal newest first (P_CDFILIAL and P_NRCONFTELA empty: every
// configuration; P_LIMITE empty: every entry): NRDIARIO, DTDIARIO, NMESTACAO,
// NMUSUARIO, CDFILIAL, NRCONFTELA, IDACAO, DSACAO, DSBOTOES (each button,
// caption before -> after, one per line).
int32_t getPesqHistorico(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_LIMITE,
                         QVariant& result);
// Puts the configuration back as it was at P_MOMENTO ("YYYY-MM-DD HH:MM",
// local time) in one transaction, recorded as an entry; refused when the
// journal does not reach back that far.
int32_t setRestauraConf(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_MOMENTO,
                        QVariant& result);

#pragma GCC visibility pop
