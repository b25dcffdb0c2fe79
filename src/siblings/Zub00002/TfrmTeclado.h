#pragma once
// On-screen alphanumeric keyboard: a full touch keyboard with the Portuguese
// accented letters over a large text field. The physical keyboard types into
// the same field. Enter or "Confirmar" gives the text exactly as typed; Esc or
// "Cancelar" gives an empty text.

#include <QDialog>
#include <QList>

class QLineEdit;
class TTouchButton;
class QHBoxLayout;

class TfrmTeclado : public QDialog {
    Q_OBJECT
public:
    explicit TfrmTeclado(QWidget* parent = nullptr);

    // The typed text when confirmed, else empty.
    QString texto() const;

    // Object name of the key that types the character (lower-case form for letters).
    static QString nomeTecla(QChar c);

    bool shiftAtivo() const { return m_shift; }
    bool capsAtivo() const { return m_caps; }

private:
    void montaTeclas();
    void montaLinha(const QString& teclas, QHBoxLayout* linha);
    TTouchButton* criaTecla(const QString& nome, const QString& legenda, QHBoxLayout* linha, int largura = 1);
    void digita(QChar c);
    void alternaShift();
    void alternaCaps();
    void atualizaLegendas();
    bool maiusculas() const { return m_shift != m_caps; }

    QLineEdit* m_edit = nullptr;
    QList<QPair<QChar, TTouchButton*>> m_letras; // keys whose caption follows shift/caps
    TTouchButton* m_tcbShift = nullptr;
    TTouchButton* m_tcbCaps = nullptr;
    bool m_shift = false;
    bool m_caps = false;
};
