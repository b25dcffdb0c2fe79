#include "SrvArgumentos.h"

#include <HostErrors.h>
#include <OperatorTexts.h>
#include <TADOQuery.h>

#include <cmath>

namespace SrvArgumentos {

namespace {

struct Coluna {
    const char* nome;
    int largura;
    const char* comoOperadorConhece; // after "de" in the operator's text
};

// The widths of the menu item store. DSIMAGEMBUT is never written here.
constexpr Coluna kColunas[] = {
    {"CDFILIAL", 4, "filial"},
    {"NRCONFTELA", 5, "configuração de tela"},
    {"IDTPBUTTON", 1, "tipo de botão"},
    {"NRBUTTON", 5, "posição do botão"},
    {"NRPGCONFTELA", 2, "página"},
    {"IDTPBUTONAUX", 1, "tipo do grupo"},
    {"NRBUTTONAUX", 2, "posição do grupo"},
    {"NRPGCONFTAUX", 2, "página do grupo"},
    {"CDIDENTBUTON", 10, "código do produto"},
    {"DSBUTTON", 50, "nome do botão"},
    {"DSMESSAGEBUT", 100, "mensagem do botão"},
    {"DSIMAGEMBUT", 200, "imagem do botão"},
};

QString colunaDoParametro(const QString& nome) {
    QString coluna = nome;
    if (coluna.startsWith(QLatin1String("P_")))
        coluna.remove(0, 2);
    if (coluna.endsWith(QLatin1String("_ANT")))
        coluna.chop(4);
    return coluna;
}

const Coluna* coluna(const QString& nome) {
    const QString procurada = colunaDoParametro(nome);
    for (const Coluna& c : kColunas)
        if (procurada == QLatin1String(c.nome))
            return &c;
    return nullptr;
}

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

int larguraDaColuna(const QString& nome) {
    const Coluna* c = coluna(nome);
    return c ? c->largura : -1;
}

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
    const Coluna* c = coluna(parametro);
    if (!c)
        return;
    const int n = caracteres(valor);
    if (n <= c->largura)
        return;
    if (QLatin1String(c->nome) == QLatin1String("DSBUTTON"))
        throw DatabaseError(FailureCause::TextTooLong, OperatorTexts::textoLongo(n, c->largura));
    throw DatabaseError(FailureCause::ValueTooWide, OperatorTexts::valorLargo(QString::fromUtf8(c->comoOperadorConhece),
                                                                              mostravel(valor), c->largura));
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

} // namespace SrvArgumentos
