#include "SrvColunas.h"

#include <iterator>

namespace SrvColunas {

namespace {

constexpr Coluna kColunas[] = {
    {"CDFILIAL", FieldKind::Text, 4, true, "filial"},
    {"NRCONFTELA", FieldKind::Text, 5, true, "configuração de tela"},
    {"IDTPBUTTON", FieldKind::Text, 1, true, "tipo de botão"},
    {"NRBUTTON", FieldKind::Text, 5, true, "posição do botão"},
    {"NRPGCONFTELA", FieldKind::Text, 2, true, "página"},
    {"IDTPBUTONAUX", FieldKind::Text, 1, true, "tipo do grupo"},
    {"NRBUTTONAUX", FieldKind::Text, 2, true, "posição do grupo"},
    {"NRPGCONFTAUX", FieldKind::Text, 2, true, "página do grupo"},
    {"CDIDENTBUTON", FieldKind::Text, 10, false, "código do produto"},
    {"DSBUTTON", FieldKind::Text, 50, false, "nome do botão"},
    {"NRCOLORTEXT", FieldKind::Float, 0, false, "cor do texto"},
    {"NRCOLORBACK", FieldKind::Float, 0, false, "cor do botão"},
    {"DSMESSAGEBUT", FieldKind::Text, 100, false, "mensagem do botão"},
    {"DSIMAGEMBUT", FieldKind::Text, 200, false, "imagem do botão"},
    {"DTULTATUITCT", FieldKind::DateTime, 0, false, "data da inclusão"},
};

QStringView colunaDoParametro(QStringView nome) {
    if (nome.startsWith(u"P_"))
        nome = nome.mid(2);
    if (nome.endsWith(u"_ANT"))
        nome.chop(4);
    return nome;
}

} // namespace

std::span<const Coluna> colunas() {
    return kColunas;
}

const Coluna* coluna(QStringView nome) {
    const QStringView procurada = colunaDoParametro(nome);
    for (const Coluna& c : kColunas)
        if (procurada == QLatin1String(c.nome))
            return &c;
    return nullptr;
}

int largura(QStringView nome) {
    const Coluna* c = coluna(nome);
    return c && c->tipo == FieldKind::Text ? c->largura : -1;
}

} // namespace SrvColunas
