#include "SrvColunas.h"

#include <QLatin1StringView>

#include <array>
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
    // The names with their lengths, measured once: the look-up is on every
    // write's path.
    static const std::array<QLatin1StringView, std::size(kColunas)> nomes = [] {
        std::array<QLatin1StringView, std::size(kColunas)> out;
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = QLatin1StringView(kColunas[i].nome);
        return out;
    }();
    const QStringView procurada = colunaDoParametro(nome);
    for (size_t i = 0; i < nomes.size(); ++i)
        if (procurada.size() == nomes[i].size() && procurada == nomes[i])
            return &kColunas[i];
    return nullptr;
}

int largura(QStringView nome) {
    const Coluna* c = coluna(nome);
    return c && c->tipo == FieldKind::Text ? c->largura : -1;
}

} // namespace SrvColunas
