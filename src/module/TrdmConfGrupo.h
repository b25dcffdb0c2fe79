#pragma once
// The data module of the menu configuration: the connection to the
// application's database and every statement over the menu table and the
// catalogue. Widget-free; the exported functions drive it one call at a time.
// Exported by the loadable module, as hosts that reach the shared instance
// expect; its lifecycle is in Srv_Kmr00003.h.

#include <SqlGuards.h>
#include <TADOConnection.h>
#include <TADOQuery.h>
#include <TADOSqlStorage.h>

#include <memory>

class CacheCatalogo;
class SrvConferencia;
namespace Diario {
class Livro;
}

class __attribute__((visibility("default"))) TrdmConfGrupo {
public:
    TrdmConfGrupo();
    ~TrdmConfGrupo();
    TrdmConfGrupo(const TrdmConfGrupo&) = delete;
    TrdmConfGrupo& operator=(const TrdmConfGrupo&) = delete;

    // Declaration order matters: the statements are destroyed before the
    // connection they run on.
    TADOConnection adcConfGrupo;
    TDataSetProvider dspPesqGrupos;
    TADOQuery adqPesqGrupos;
    TADOSqlStorage assProdSegmento;
    TADOCommand acmInsere;
    TADOQuery adqPesqProdGrupo;
    TDataSetProvider dspPesqProdGrupo;
    TADOQuery adqSrvParavend;
    TDataSetProvider dspProdSegmento;
    TADOCommand acmMudaNome;
    TADOQuery adqSegmento;
    TADOQuery adqMaxNivel;
    TADOQuery adqProdSegmento;
    TADOSqlStorage assSrvProduto;
    TDataSetProvider dspSrvProduto;
    TADOQuery adqSrvProduto;
    TADOSqlStorage assProdSegGrupo;
    TDataSetProvider dspProdSegGrupo;
    TADOQuery adqSrvPrSubGrProd;
    TADOQuery adqProdSegGrupo;
    TADOSqlStorage assSrvProdutosF;
    TDataSetProvider dspSrvProdutosF;
    TADOQuery adqSrvProdutosF;
    TADOQuery adqFiltroProd;
    TDataSetProvider dspFiltroProd;
    TADOCommand acmDelProdGrup;
    TADOCommand acmDeleta;
    TADOCommand acmDelProduto;
    TADOCommand acmMudaCor;
    TADOCommand acmMudaFonte;
    TADOCommand acmRecortaProdutos;
    TADOQuery adqGrupProd;
    TADOCommand acmRecColProd;
    TADOCommand acmMudaImagem; // the picture reference of one item (setMudaImagem)
    // The compare statements of the checked writes (SrvConferencia.h), made at
    // first use; declared after the connection, so destroyed before it.
    std::shared_ptr<SrvConferencia> conferencia;
    // The last catalogue read, given again while the catalogue does not
    // change (CacheCatalogo.h); made at first use, destroyed before the
    // connection.
    std::shared_ptr<CacheCatalogo> cacheCatalogo;
    // The journal of the changes (Diario.h), made at first use.
    std::shared_ptr<Diario::Livro> diario;

    void adcConfGrupoBeforeConnect(TADOConnection& sender);
    void adcConfGrupoAfterConnect(TADOConnection& sender);

    // The transaction operations; a write transaction on SQLite begins
    // IMMEDIATE (SqlGuards.h). The data service's calls use WriteTransaction.
    void StartTrans(); // joins an open transaction
    void Commit();
    void Rollback();
    bool InTransaction() { return SqlGuards::transactionOpen(adcConfGrupo); }

    // A server connection that has gone away (server restarted, network cut)
    // is closed after the failure it caused, and opened again, with the
    // connect events, at the start of the next call.
    void DropIfLost();
    void ReconnectIfDropped();

private:
    bool m_dropped = false;
};
