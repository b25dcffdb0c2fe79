#pragma once
// The products of the configuration already on the menu, anywhere, for the
// search list to mark by product code with where each one stands
// ("Lanches / p.2 / 05"): one read of the data service when the list opens.

#include <Zub00002.h>

#include <DataPacket.h>

#include <QList>
#include <QString>

#include <optional>

namespace ProdutosNoCardapio {

// The marks for the rows of getProdutosNoCardapio: the group's caption, the
// product page and the button. A product button without a product code is
// matched by its caption, as the search list does.
QList<ProdutoNoCardapio> marcas(const DataPacket& itens);

// Reads the configuration's product buttons through the data service;
// nothing when the read failed (the failure goes to the log, and the caller
// keeps the marks it can make without it).
std::optional<QList<ProdutoNoCardapio>> le(const QString& filial, const QString& conf);

} // namespace ProdutosNoCardapio
