#pragma once
// Colour selection screen: a palette of large named swatches for till buttons,
// plus any colour from the full colour dialog. The chosen colour is a Windows
// colour value (0x00BBGGRR). Arrow keys move between swatches, Enter chooses,
// Esc leaves without a colour.

#include <QDialog>
#include <QList>

class QFrame;
class QLabel;
class TBlendedBitBtn;
class TTouchButton;

struct CorPaleta {
    QString id;   // ASCII part of the swatch's object name
    QString nome; // shown to the operator
    int tcolor;   // Windows colour value
};

class TfrmSelecionaCor : public QDialog {
    Q_OBJECT
public:
    // titulo says which colour is chosen ("Cor de fundo"); empty: "Escolha a cor".
    explicit TfrmSelecionaCor(const QString& titulo = {}, QWidget* parent = nullptr);
    explicit TfrmSelecionaCor(QWidget* parent) : TfrmSelecionaCor(QString(), parent) {}

    static const QList<CorPaleta>& paleta();
    static int colunas() { return 8; }

    bool temCor() const { return m_temCor; }
    int cor() const { return m_cor; } // meaningful only when temCor()
    // What the caller stores: the colour's decimal text after a confirmed choice, else "X".
    QString resultado() const;

    void escolheCor(int tcolor, const QString& nome);
    void escolheAmostra(int indice);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void montaTela(const QString& textoTitulo);
    void montaPaleta(class QGridLayout* grade);
    void montaRodape(class QHBoxLayout* rodape);
    void abrePersonalizada();
    void confirma();
    void moveSelecao(int passo);
    void posicionaMoldura();

    QList<TTouchButton*> m_amostras;
    QFrame* m_moldura = nullptr; // frame over the selected swatch
    QFrame* m_panCor = nullptr;
    QLabel* m_lblCor = nullptr;
    TBlendedBitBtn* m_tcbConfirmar = nullptr;
    int m_indice = -1; // selected swatch; -1 for none or a custom colour
    int m_cor = 0;
    bool m_temCor = false;
};
