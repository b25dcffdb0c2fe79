#pragma once
// Search list over a client dataset: the dataset's visible fields under their
// display labels, its visible rows in the dataset's order (its own filter and
// index in force), and a filter field on top that narrows the list with each
// key. A compact touch keyboard is docked under the list, so that at least
// five rows stay visible while typing. A finger drag scrolls the list, a tap
// selects a row; Enter, a double tap or "Escolher" picks it, which makes it
// the dataset's current row. Products already on the menu are marked.
//
// Colours (Windows colour values): cor1 the screen background, cor2 the list,
// cor3 the column headers, cor5 the selected row (a strong blue instead when
// cor5 would hardly stand out from the list). Text on each is black or white,
// whichever reads better.

#include "Zub00002.h"

#include <QDialog>

class CampoTexto;
class ClientDataSet;
class ClientDataSetModel;
class PesquisaFiltroModel;
class QTableView;
class TBlendedBitBtn;
class TecladoToque;

class TfrmPesquisa : public QDialog {
    Q_OBJECT
public:
    TfrmPesquisa(ClientDataSet* dataSet, int cor1, int cor2, int cor3, int cor5, const OpcoesPesquisa& opcoes = {},
                 QWidget* parent = nullptr);

    // Narrows the list to what is typed in the filter field (done at each change).
    void aplicaFiltro();
    // Makes the selected row the dataset's current row and closes; false when no row is selected.
    bool escolhe();

    static int linhasMinimas() { return 5; }       // rows in view while the keyboard is docked
    static QString corSelecao(int cor2, int cor5); // background of the selected row, as "#rrggbb"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void montaTela(const QString& titulo);
    void montaTopo(class QVBoxLayout* raiz);
    void montaLista();
    void aplicaCores(int cor1, int cor2, int cor3, int cor5);
    void marcaNoCardapio(const QList<ProdutoNoCardapio>& produtos);
    void ajustaColunas();
    void selecionaLinha(int linha);
    void selecaoMudou();
    void alternaTeclado();

    ClientDataSet* m_dataSet;
    ClientDataSetModel* m_modelo = nullptr;
    PesquisaFiltroModel* m_filtro = nullptr;
    CampoTexto* m_edtFiltro = nullptr;
    QTableView* m_grade = nullptr;
    TecladoToque* m_teclas = nullptr;
    TBlendedBitBtn* m_tcbTeclado = nullptr;
    TBlendedBitBtn* m_tcbEscolher = nullptr;
};
