#pragma once
// Touch picker of a button's picture: the pictures of the picture folder as
// large thumbnails with their file names, narrowed by what is typed in the
// filter field (the compact keyboard of the search list docked under them),
// plus "Sem imagem", which takes the picture away. "Importar" brings a
// picture from a USB stick into the folder: the same picker, in its import
// form, over every picture under the sticks' folder.

#include "PesquisaImagem.h"

#include <QDialog>

class CampoTexto;
class ImagensModel;
class QLabel;
class QListView;
class QVBoxLayout;
class TBlendedBitBtn;
class TecladoToque;

class TfrmPesquisaImagem : public QDialog {
    Q_OBJECT
public:
    enum class Forma { Escolha, Importacao };

    TfrmPesquisaImagem(const QString& pasta, Forma forma, const OpcoesPesquisaImagem& opcoes = {},
                       QWidget* parent = nullptr);

    // The choice when the picker was accepted.
    ImagemEscolhida escolha() const { return m_escolha; }
    // The selected picture's file (import form: the file on the stick).
    QString caminhoSelecionado() const;

    ImagensModel* modelo() const { return m_modelo; }
    void aplicaFiltro();
    bool escolhe();
    void semImagem();
    // Import form's entry: picks a file under the sticks' folder and copies it
    // into the picture folder; selects it when it came in.
    void importa();
    // Copies one file into the picture folder and selects it; false, with the
    // operator told why, when it could not come in.
    bool importaArquivo(const QString& caminho);

    static QSize tamanhoMiniatura() { return {128, 96}; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void montaTopo(QVBoxLayout* raiz);
    void montaLista();
    void aplicaCores(const OpcoesPesquisaImagem& opcoes);
    void seleciona(int linha);
    void selecaoMudou();
    void mostraVazio();
    void alternaTeclado();

    QString m_pasta;
    Forma m_forma;
    OpcoesPesquisaImagem m_opcoes;
    ImagemEscolhida m_escolha;
    ImagensModel* m_modelo = nullptr;
    CampoTexto* m_edtFiltro = nullptr;
    QListView* m_lista = nullptr;
    QLabel* m_lblAviso = nullptr;
    TecladoToque* m_teclas = nullptr;
    TBlendedBitBtn* m_tcbTeclado = nullptr;
    TBlendedBitBtn* m_tcbEscolher = nullptr;
};
