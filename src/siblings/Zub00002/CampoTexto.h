#pragma once
// Text field of the touch screens: control characters never enter it, whether
// typed, touched on a screen keyboard or pasted (the rest of a paste stays),
// and an optional limit keeps the text within the width of the column it is
// stored in. An insert past the limit keeps what fits and signals it.

#include <QLineEdit>

class CampoTexto : public QLineEdit {
    Q_OBJECT
public:
    explicit CampoTexto(QWidget* parent = nullptr);

    void setLimite(int limite); // 0: no limit
    int limite() const { return m_limite; }

    // Types text at the cursor as a key would (replacing a selection).
    void digita(const QString& texto);

    // The text without the characters that never enter a field.
    static QString limpa(const QString& texto);
    static bool proibido(char32_t c);

signals:
    void limiteExcedido();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ajusta();

    int m_limite = 0;
    bool m_ajustando = false;
};
