#pragma once
// On-screen alphanumeric keyboard: a heading saying what is typed, a large
// text field (prefilled and selected for a rename), a character counter when
// the text has a limit, and a full touch keyboard with the Portuguese accented
// letters. The physical keyboard types into the same field. Enter or
// "Confirmar" gives the text as typed; Esc or "Cancelar" gives an empty text.

#include "Zub00002.h"

#include <QDialog>

class CampoTexto;
class QLabel;
class QTimer;
class TecladoToque;

class TfrmTeclado : public QDialog {
    Q_OBJECT
public:
    explicit TfrmTeclado(const OpcoesTeclado& opcoes = {}, QWidget* parent = nullptr);
    explicit TfrmTeclado(QWidget* parent) : TfrmTeclado(OpcoesTeclado{}, parent) {}

    // The typed text when confirmed, else empty.
    QString texto() const;

    // Object name of the key that types the character (lower-case form for letters).
    static QString nomeTecla(QChar c);

    bool shiftAtivo() const;
    bool capsAtivo() const;
    bool aceitaToques() const;     // false in the first moments on screen
    bool contadorPiscando() const; // the counter flashes when a key would pass the limit

private:
    void montaTela(const OpcoesTeclado& opcoes);
    void atualizaContador();
    void piscaContador();

    QLabel* m_lblTitulo = nullptr;
    CampoTexto* m_edit = nullptr;
    QLabel* m_lblContador = nullptr;
    QTimer* m_piscada = nullptr;
    TecladoToque* m_teclas = nullptr;
};
