#pragma once
// Search list over a client dataset: the dataset's visible fields under their
// display labels, its visible rows (its own filter and index in force), and a
// filter field on top that narrows the list as the operator types. Picking a
// row makes it the dataset's current row.
//
// Colours (Windows colour values): cor1 the screen background, cor2 the list,
// cor3 the column headers and the frame of the selected row, cor5 the
// selected row. Text on each is black or white, whichever reads better.

#include <QDialog>

class ClientDataSet;
class ClientDataSetModel;
class PesquisaFiltroModel;
class QLineEdit;
class QTableView;
class QTimer;
class TBlendedBitBtn;

class TfrmPesquisa : public QDialog {
    Q_OBJECT
public:
    TfrmPesquisa(ClientDataSet* dataSet, int cor1, int cor2, int cor3, int cor5, QWidget* parent = nullptr);

    // Applies what is typed in the filter field now rather than after the pause.
    void aplicaFiltro();
    // Makes the selected row the dataset's current row and closes; false when no row is selected.
    bool escolhe();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void montaTela();
    void montaLista();
    void montaBotoes();
    void aplicaCores(int cor1, int cor2, int cor3, int cor5);
    void ajustaColunas();
    void selecionaLinha(int linha);
    void selecaoMudou();
    void abreTeclado();

    ClientDataSet* m_dataSet;
    ClientDataSetModel* m_modelo = nullptr;
    PesquisaFiltroModel* m_filtro = nullptr;
    QLineEdit* m_edtFiltro = nullptr;
    QTableView* m_grade = nullptr;
    QTimer* m_pausa = nullptr;
    TBlendedBitBtn* m_tcbEscolher = nullptr;
};
