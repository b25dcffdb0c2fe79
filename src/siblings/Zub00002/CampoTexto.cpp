#include "CampoTexto.h"

#include <QKeyEvent>

CampoTexto::CampoTexto(QWidget* parent) : QLineEdit(parent) {
    // Every way into the field ends in a text change; the text is put right there.
    connect(this, &QLineEdit::textChanged, this, &CampoTexto::ajusta);
}

void CampoTexto::setLimite(int limite) {
    m_limite = qMax(0, limite);
    ajusta();
}

bool CampoTexto::proibido(char32_t c) {
    return c < 0x20 || c == 0x7F           // C0 controls and DEL
           || (c >= 0x80 && c < 0xA0)      // C1 controls
           || c == 0x2028 || c == 0x2029   // line and paragraph separators
           || (c >= 0x200B && c <= 0x200F) // zero-width and direction marks
           || (c >= 0x202A && c <= 0x202E) // bidirectional embeddings and overrides
           || (c >= 0x2066 && c <= 0x2069) // bidirectional isolates
           || c == 0xFEFF;                 // zero-width no-break space
}

QString CampoTexto::limpa(const QString& texto) {
    QString saida;
    saida.reserve(texto.size());
    for (const char32_t c : texto.toUcs4()) {
        if (!proibido(c))
            saida.append(QString::fromUcs4(&c, 1));
    }
    return saida;
}

void CampoTexto::digita(const QString& texto) {
    if (m_limite > 0 && !hasSelectedText() && text().size() >= m_limite) {
        emit limiteExcedido();
        return;
    }
    insert(texto);
}

void CampoTexto::keyPressEvent(QKeyEvent* event) {
    // A printable key at the limit would be dropped without a sign; say so.
    const QString tecla = event->text();
    if (m_limite > 0 && !tecla.isEmpty() && !proibido(tecla.at(0).unicode()) && !hasSelectedText() &&
        text().size() >= m_limite && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        emit limiteExcedido();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CampoTexto::ajusta() {
    if (m_ajustando)
        return;
    const QString atual = text();
    int cursor = cursorPosition();
    // Forbidden characters go; the cursor keeps its place in what remains.
    QString limpo;
    limpo.reserve(atual.size());
    int antesDoCursor = 0;
    const QList<uint> pontos = atual.toUcs4();
    int posicao = 0;
    for (const uint c : pontos) {
        const int largura = QChar::requiresSurrogates(c) ? 2 : 1;
        if (proibido(c)) {
            if (posicao < cursor)
                antesDoCursor += largura;
        } else {
            const char32_t ponto = c;
            limpo.append(QString::fromUcs4(&ponto, 1));
        }
        posicao += largura;
    }
    cursor -= antesDoCursor;
    bool excedeu = false;
    // Past the limit, what was just inserted (before the cursor) loses its tail.
    if (m_limite > 0 && limpo.size() > m_limite) {
        const int excesso = int(limpo.size()) - m_limite;
        const int inicio = qMax(0, cursor - excesso);
        const int corte = cursor - inicio;
        limpo.remove(inicio, corte);
        cursor = inicio;
        if (limpo.size() > m_limite) // nothing before the cursor to take: cut the end
            limpo.truncate(m_limite);
        excedeu = true;
    }
    if (limpo != atual) {
        m_ajustando = true;
        setText(limpo);
        setCursorPosition(qMin(cursor, int(limpo.size())));
        m_ajustando = false;
    }
    if (excedeu)
        emit limiteExcedido();
}
