#include "Zub00002.h"

#include "TfrmPesquisa.h"
#include "TfrmTeclado.h"

#include <ClientDataSet.h>

#include <QApplication>

TTecladoAlfaNumerico TecladoAlfaNumerico = [](int, int, int, int, const OpcoesTeclado& opcoes) {
    TfrmTeclado teclado(opcoes, QApplication::activeWindow());
    teclado.exec();
    return teclado.texto();
};

TPesquisa Pesquisa = [](ClientDataSet* dataSet, int, const QString&, int cor1, int cor2, int cor3, int cor5, int,
                        const OpcoesPesquisa& opcoes) {
    // A dataset that is missing or closed has nothing to pick from.
    if (dataSet == nullptr || !dataSet->active())
        return false;
    TfrmPesquisa pesquisa(dataSet, cor1, cor2, cor3, cor5, opcoes, QApplication::activeWindow());
    return pesquisa.exec() == QDialog::Accepted;
};
