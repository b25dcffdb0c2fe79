#include "ProdutosNoCardapio.h"

#include "Srv_Kmr00003.h"

#include <KmrLog.h>

namespace ProdutosNoCardapio {

QList<ProdutoNoCardapio> marcas(const DataPacket& itens) {
    QList<ProdutoNoCardapio> lista;
    const int codigo = itens.indexOf(u"CDIDENTBUTON");
    const int nome = itens.indexOf(u"DSBUTTON");
    const int botao = itens.indexOf(u"NRBUTTON");
    const int pagina = itens.indexOf(u"NRPGCONFTELA");
    const int grupo = itens.indexOf(u"DSGRUPO");
    if (codigo < 0 || nome < 0 || botao < 0 || pagina < 0 || grupo < 0)
        return lista;
    lista.reserve(itens.rowCount());
    for (int r = 0; r < itens.rowCount(); ++r) {
        QString nomeGrupo = itens.text(r, grupo).trimmed();
        if (nomeGrupo.isEmpty())
            nomeGrupo = QStringLiteral("(sem grupo)");
        const QString local =
            QStringLiteral("%1 / p.%2 / %3").arg(nomeGrupo, itens.text(r, pagina), itens.text(r, botao));
        lista.append({itens.text(r, codigo).trimmed(), itens.text(r, nome), local});
    }
    return lista;
}

std::optional<QList<ProdutoNoCardapio>> le(const QString& filial, const QString& conf) {
    QVariant resultado;
    const int32_t status = getProdutosNoCardapio(filial, conf, resultado);
    if (status != 0 || !isDataPacket(resultado)) {
        qCWarning(lcKmrApp).noquote() << QStringLiteral("getProdutosNoCardapio (%1-%2) failed, status %3: %4")
                                             .arg(filial, conf)
                                             .arg(status)
                                             .arg(resultado.toString());
        return std::nullopt;
    }
    return marcas(resultado.value<DataPacket>());
}

} // namespace ProdutosNoCardapio
