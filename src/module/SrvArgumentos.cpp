#include "SrvArgumentos.h"

#include "SrvColunas.h"

#include <HostErrors.h>
#include <OperatorTexts.h>
#include <TADOQuery.h>

#include <cmath>

namespace SrvArgumentos {

namespace {

bool invisivel(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// The value as the operator's text shows it: short, and without the
// characters that would garble the message.
QString mostravel(const QString& valor) {
    constexpr int kMostrar = 20;
    QString out;
    int n = 0;
    for (char32_t c : valor.toUcs4()) {
        if (n == kMostrar) {
            out += QChar(0x2026);
            break;
        }
        out += invisivel(c) ? QString(QChar(u'?')) : QString::fromUcs4(&c, 1);
        ++n;
    }
    return out;
}

} // namespace

int caracteres(const QString& texto) {
    int n = 0;
    for (QChar c : texto)
        if (!c.isLowSurrogate())
            ++n;
    return n;
}

bool temCaracteresDeControle(const QString& texto) {
    for (char32_t c : texto.toUcs4())
        if (invisivel(c))
            return true;
    return false;
}

void verificaLargura(const QString& parametro, const QString& valor) {
    const SrvColunas::Coluna* c = SrvColunas::coluna(parametro);
    if (!c || c->tipo != FieldKind::Text) // numbers and moments have no width
        return;
    const int n = caracteres(valor);
    if (n <= c->largura)
        return;
    if (QLatin1String(c->nome) == QLatin1String("DSBUTTON"))
        throw DatabaseError(FailureCause::TextTooLong, OperatorTexts::textoLongo(n, c->largura));
    throw DatabaseError(FailureCause::ValueTooWide,
                        OperatorTexts::valorLargo(QString::fromUtf8(c->palavra), mostravel(valor), c->largura));
}

void verificaNome(const QString& valor) {
    if (temCaracteresDeControle(valor))
        throw DatabaseError(FailureCause::ControlCharacters,
                            OperatorTexts::caracteresControle(QStringLiteral("O nome")));
    verificaLargura(QStringLiteral("DSBUTTON"), valor);
}

const QString& verificaCor(const QString& valor) {
    bool numero = false;
    const double v = valor.toDouble(&numero);
    if (!numero || !std::isfinite(v))
        throw DatabaseError(FailureCause::NotANumber, OperatorTexts::corNaoNumerica(mostravel(valor)));
    return valor;
}

double verificaCor(float valor) {
    if (!std::isfinite(valor))
        throw DatabaseError(FailureCause::NotANumber, OperatorTexts::corNaoNumerica(QString::number(valor)));
    return static_cast<double>(valor);
}

void bindText(TADOQuery& statement, const QString& parametro, const QString& valor) {
    verificaLargura(parametro, valor);
    statement.setParam(parametro, valor);
}

void bindNome(TADOQuery& statement, const QString& parametro, const QString& valor) {
    verificaNome(valor);
    statement.setParam(parametro, valor);
}

void bindCor(TADOQuery& statement, const QString& parametro, const QString& valor) {
    statement.setParam(parametro, verificaCor(valor));
}

void verifica(Argumentos argumentos) {
    for (const Argumento& a : argumentos) {
        const QString parametro = QString::fromLatin1(a.parametro);
        switch (a.tipo) {
        case Argumento::Tipo::Texto:
            verificaLargura(parametro, a.valor);
            break;
        case Argumento::Tipo::Nome:
            verificaNome(a.valor);
            break;
        case Argumento::Tipo::Cor:
            verificaCor(a.valor);
            break;
        }
    }
}

void bind(TADOQuery& statement, Argumentos argumentos) {
    for (const Argumento& a : argumentos) {
        verifica({a});
        statement.setParam(QString::fromLatin1(a.parametro), a.valor);
    }
}

} // namespace SrvArgumentos
