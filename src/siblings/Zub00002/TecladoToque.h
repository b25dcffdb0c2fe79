#pragma once
// The keys of the on-screen keyboard, typing into a text field. The full
// layout has every Portuguese accented letter, case keys and the confirm and
// cancel keys; the compact one (docked under a search list) has letters,
// digits and a few signs, since the search ignores case and accents.
//
// A touch that began before the keys were shown, or in their first moments
// on screen, is ignored: the second tap of the double tap that opened them
// must not type the key under the finger.

#include <QElapsedTimer>
#include <QList>
#include <QWidget>

class CampoTexto;
class QHBoxLayout;
class TTouchButton;

class TecladoToque : public QWidget {
    Q_OBJECT
public:
    enum class Disposicao { Completa, Compacta };

    TecladoToque(CampoTexto* campo, Disposicao disposicao, QWidget* parent = nullptr);

    // Object name of the key that types the character (lower-case form for letters).
    static QString nomeTecla(QChar c);
    static int carenciaMs() { return 300; }

    bool aceitaToques() const;
    bool shiftAtivo() const { return m_shift; }
    bool capsAtivo() const { return m_caps; }

signals:
    void confirmar();
    void cancelar();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void montaCompleta();
    void montaCompacta();
    void montaLinha(const QString& teclas, QHBoxLayout* linha);
    TTouchButton* criaTecla(const QString& nome, const QString& legenda, QHBoxLayout* linha, int largura = 1);
    void digita(QChar c);
    void alternaShift();
    void alternaCaps();
    void atualizaLegendas();
    bool maiusculas() const { return m_shift != m_caps; }

    CampoTexto* m_campo;
    int m_alturaTecla;
    QElapsedTimer m_exibido;
    QList<QPair<QChar, TTouchButton*>> m_letras; // keys whose caption follows the case keys
    TTouchButton* m_tcbShift = nullptr;
    TTouchButton* m_tcbCaps = nullptr;
    bool m_shift = false;
    bool m_caps = false;
};
