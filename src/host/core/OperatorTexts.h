#pragma once
// The Portuguese texts the operator reads for a failed operation: what
// happened, in the operator's words, and what to do. One place for all of
// them; no SQL, driver text, constraint name or file path of the user's home
// ever goes into one (that detail goes to the log).

#include "HostErrors.h"

#include <DataPacketFile.h>

#include <QString>
#include <QStringList>

namespace OperatorTexts {

// A caption of `length` characters where the column takes `limit`.
QString textoLongo(int length, int limit);
// A key or other value (`campo`, the column's name as the operator knows it)
// wider than its column.
QString valorLargo(const QString& campo, const QString& valor, int limit);
// A colour text that is not a number.
QString corNaoNumerica(const QString& valor);
// A text with control or invisible characters.
QString caracteresControle(const QString& campo);

// A text the database refused as too long, its length unknown; `limit` is
// 0 when the database did not say it either.
QString textoLongoBanco(int limit);
// A position already held by another item.
QString chaveOcupada();
// A write whose button is no longer what the screen showed (changed, moved
// or deleted by another station), or that found no row to change.
QString alteradoOutraEstacao();
// Whether a failure text is the one above.
bool ehAlteradoOutraEstacao(const QString& texto);
// One text for a whole action: the buttons (group and product positions,
// "02", "05") that another station changed and that were not written.
QString botoesAlterados(const QStringList& grupos, const QStringList& produtos);
// The pending line after marks were dropped because their buttons changed
// in another station; `restantes` changes still wait.
QString marcasRetiradas(int retiradas, int restantes);
// The database locked by another station.
QString bancoOcupado();
// The server could not be reached; `servidor` and `porta` as configured.
QString conexaoRecusada(const QString& servidor, const QString& porta);
// The server refused the user, the password or the database name.
QString acessoNegado(const QString& servidor, const QString& porta);
// The connection broke or the server stopped answering.
QString conexaoPerdida(const QString& servidor, const QString& porta);
// A statement that ran past its time limit.
QString tempoEsgotado();
// The module's tables are not in the database.
QString tabelasAusentes();
// A database file named by the configuration that is not there; `arquivo`
// is the name as the configuration gives it.
QString bancoNaoEncontrado(const QString& arquivo);
// A file named by the configuration that is not a database.
QString naoEBanco(const QString& arquivo);
// The embedded database could not be created.
QString bancoNaoCriado();
// A configuration naming a SQLite database without a file name.
QString bancoSemNome();
// A configuration naming no database engine, or one not supported.
QString provedorDesconhecido(const QString& provedor);
// The support for an engine is not installed on this computer.
QString suporteAusente(const QString& banco);
// Creating the tables failed; nothing was created.
QString tabelasNaoCriadas();
// Creating the tables was refused: they are there already.
QString tabelasJaExistem();
// Anything else that failed in the database.
QString falhaBanco();
// A data service function that did not run to its end.
QString falhaServico();
// Anything unexpected outside the database.
QString falhaInesperada();

// The text for a cause without details of its own (server and port for the
// connection causes).
QString paraCausa(FailureCause cause, const QString& servidor = {}, const QString& porta = {});

// Problems of the parameter file "PARAMETROSKMR.CDS".
QString parametrosIlegivel();
QString parametrosInvalido();
// A file refused for a limit of DataPacketFile.h passed: what it has too much
// of, after "O arquivo ..." ("passa de 64 MB, o maior tamanho aceito").
QString foraDosLimites(PacketFault fault);
QString parametrosForaDosLimites(PacketFault fault);
QString parametrosVazio();
QString parametrosCampoAusente(const QString& campo);
QString parametrosCampoNaoNumero(const QString& campo);

// The connection settings of a server reached over the network.
// A setting of the connection string with a value it does not take; `aceitos`
// lists the values it does.
QString opcaoConexaoInvalida(const QString& chave, const QString& valor, const QString& aceitos);
// A setting holding ';', which cannot be passed on.
QString opcaoConexaoComSeparador(const QString& chave);
// A port list that does not match the host list.
QString portasNaoConferem(int servidores, int portas);
// A server whose certificate names another server.
QString certificadoOutroNome(const QString& servidor, const QString& porta);
// A server whose certificate was not signed by the configured authority.
QString certificadoOutraAutoridade(const QString& servidor, const QString& porta);
// The root certificate that checks the server is not there or unreadable.
QString certificadoRaizAusente(const QString& servidor, const QString& porta);
// This till's own certificate or key is not there, unreadable or unprotected.
QString certificadoProprioIlegivel();
// A server without encryption where the configuration demands it.
QString servidorSemCriptografia(const QString& servidor, const QString& porta);
// A server that only reads (a standby not promoted).
QString servidorSomenteLeitura(const QString& servidor, const QString& porta);
// A connection file holding a password that others may read; `arquivo` as
// shown to the operator.
QString arquivoConexaoAberto(const QString& arquivo);

} // namespace OperatorTexts
