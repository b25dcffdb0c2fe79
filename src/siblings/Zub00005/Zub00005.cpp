#include "Zub00005.h"

#include "TfrmSelecionaCor.h"

#include <QApplication>

namespace {

constexpr int kElementosResultado = 10;

// The caller hands over a list of ten; anything else is replaced by one so the
// answer always has a place.
void gravaResultado(QVariant& result, const QString& valor) {
    QVariantList lista;
    if (result.metaType().id() == QMetaType::QVariantList)
        lista = result.toList();
    if (lista.isEmpty())
        lista = QVariantList(kElementosResultado);
    lista[0] = valor;
    result = lista;
}

} // namespace

TCriaTelaKmr00006 CriaTelaKmr00006 = [](const QVariantList&, QVariant& result, const OpcoesCor& opcoes) {
    TfrmSelecionaCor tela(opcoes.titulo, QApplication::activeWindow());
    tela.exec();
    gravaResultado(result, tela.resultado());
};
