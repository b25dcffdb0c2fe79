// Moving a button by dragging it. With no edit mode, or while a cut waits for
// its place, a filled group or product button pressed and moved past the
// threshold is lifted; let go over an empty place of its own grid, it is cut
// where it stood and pasted there, through the same handlers as the cut tool
// and two touches, so that the move waits for confirmation like any paste.
// Held over a page arrow the page turns, so a button can go to another page.
// Let go anywhere else, over its own place or over a place already held,
// nothing changes.

#include "TfrmConfGrupo.h"

#include "Cli_Kmr00003.h"
#include "TfrmConfGrupoComum.h"

#include <HostUi.h>
#include <TBlendedBitBtn.h>
#include <TTouchButton.h>
#include <TTouchDrag.h>

#include <QTimer>

using namespace KmrTela;

namespace {

bool mesmasPaginas(int grupoA, const QString& focoA, int produtoA, int grupoB, const QString& focoB, int produtoB) {
    return grupoA == grupoB && focoA == focoB && produtoA == produtoB;
}

bool ehGrupo(const QWidget* w) {
    return w->objectName().startsWith(QLatin1String("tcbGrupo"));
}

bool ehProduto(const QWidget* w) {
    return w->objectName().startsWith(QLatin1String("tcbBalcao"));
}

} // namespace

void TfrmConfGrupo::criaArrasto() {
    m_arrasto = new TTouchDrag(this);
    for (int n = 1; n <= NRBUTTONSGRUP; ++n) {
        TTouchButton* b = botao(QStringLiteral("tcbGrupo") + doisDigitos(n));
        m_arrasto->addSource(b);
        m_arrasto->addTarget(b);
    }
    for (int n = 1; n <= NRBUTTONSPROD; ++n) {
        TTouchButton* b = botao(QStringLiteral("tcbBalcao") + doisDigitos(n));
        m_arrasto->addSource(b);
        m_arrasto->addTarget(b);
    }
    for (TTouchButton* seta : {tcbPgGrupoAnt, tcbPgGrupoProx, tcbPgProdAnt, tcbPgProdProx})
        m_arrasto->addTarget(seta);
    m_arrasto->setCanLift([this](QWidget* origem) { return podeLevantar(origem); });
    m_arrasto->setAccepts([this](QWidget* origem, QWidget* alvo) { return aceitaSoltar(origem, alvo); });
    connect(m_arrasto, &TTouchDrag::lifted, this, [this](QWidget* origem) { levantaBotao(origem); });
    connect(m_arrasto, &TTouchDrag::hovered, this, [this](QWidget* alvo) { arrastoSobre(alvo); });
    connect(m_arrasto, &TTouchDrag::dropped, this,
            [this](QWidget* origem, QWidget* alvo) { soltaBotao(origem, alvo); });
    connect(m_arrasto, &TTouchDrag::cancelled, this, [this] { desisteArrasto(); });

    tmrArrastoPagina = new QTimer(this);
    tmrArrastoPagina->setObjectName(QStringLiteral("tmrArrastoPagina"));
    tmrArrastoPagina->setSingleShot(true);
    tmrArrastoPagina->setInterval(kEsperaArrastoPagina);
    connect(tmrArrastoPagina, &QTimer::timeout, this, [this] { viraPaginaArrastada(); });
}

bool TfrmConfGrupo::ehSetaPagina(const QWidget* w) const {
    return w && (w == tcbPgGrupoAnt || w == tcbPgGrupoProx || w == tcbPgProdAnt || w == tcbPgProdProx);
}

// A filled button, with no edit mode or while a cut waits, and no touch
// being handled (a dialog it opened is still up).
bool TfrmConfGrupo::podeLevantar(QWidget* origem) const {
    const auto* b = qobject_cast<TTouchButton*>(origem);
    if (!b || m_emToque || vazio(b) || b->pendingMark() != TTouchButton::PendingMark::None)
        return false;
    if (!ehGrupo(b) && !ehProduto(b))
        return false;
    return m_modo == ModoEdicao::Nenhum || m_modo == ModoEdicao::Colar;
}

// An empty place of the lifted button's own grid, as a paste takes it: not
// its own place, no place already held (the place of a cut that waits is
// held until it is confirmed), and for a product a group in focus to take
// it. An arrow that can turn its page is taken too: holding there turns it.
bool TfrmConfGrupo::aceitaSoltar(QWidget* origem, QWidget* alvo) const {
    if (ehSetaPagina(alvo))
        return alvo->isEnabled();
    const auto* a = qobject_cast<TTouchButton*>(alvo);
    if (!a || a == origem || (m_origemArrasto.grupo ? !ehGrupo(a) : !ehProduto(a)))
        return false;
    if (!vazio(a) || a->pendingMark() != TTouchButton::PendingMark::None)
        return false;
    if (m_origemArrasto.grupo)
        return true;
    const TTouchButton* grupo = botao(QStringLiteral("tcbGrupo") + stNrFocusGrupo);
    return grupo && temCaption(grupo);
}

TfrmConfGrupo::PosicaoArrasto TfrmConfGrupo::posicaoAtual(bool grupo, const QString& numero) const {
    return {grupo, numero, NrPgGrupo, stNrFocusGrupo, NrPagina};
}

// The pages the button was lifted from are the ones shown.
bool TfrmConfGrupo::mostraOrigemArrasto() const {
    const PosicaoArrasto& o = m_origemArrasto;
    if (o.grupo)
        return NrPgGrupo == o.paginaGrupo;
    return mesmasPaginas(NrPgGrupo, stNrFocusGrupo, NrPagina, o.paginaGrupo, o.foco, o.paginaProduto);
}

void TfrmConfGrupo::mostraPosicao(const PosicaoArrasto& posicao) {
    NrPgGrupo = posicao.paginaGrupo;
    MontaMenuGrupo();
    stNrFocusGrupo = posicao.foco;
    ControlaFocus();
    NrPagina = posicao.paginaProduto;
    MontaMenuProduto();
    reaplicaRecorte();
}

void TfrmConfGrupo::levantaBotao(QWidget* origem) {
    auto* b = static_cast<TTouchButton*>(origem);
    m_origemArrasto = posicaoAtual(ehGrupo(b), b->objectName().right(2));
    m_vistaLevantada = {b->caption(),      b->captionHidden() ? QString() : b->caption(),
                        b->color(),        b->fontColor(),
                        b->GetGlyph(),     b->picture(),
                        b->captionHidden()};
    // No other touch, and no refresh from the store, while a button is lifted.
    m_emToque = true;
    mostraLevantado();
}

// The place the button was lifted from shows what a cut leaves there: empty,
// with a dashed outline and the caption faint.
void TfrmConfGrupo::mostraLevantado() {
    if (!mostraOrigemArrasto())
        return;
    TTouchButton* b = botao((m_origemArrasto.grupo ? QStringLiteral("tcbGrupo") : QStringLiteral("tcbBalcao")) +
                            m_origemArrasto.numero);
    if (!b || vazio(b))
        return;
    mostraVazio(b);
    b->setPendingMark(TTouchButton::PendingMark::Cut, m_vistaLevantada.fantasma);
}

void TfrmConfGrupo::arrastoSobre(QWidget* alvo) {
    if (ehSetaPagina(alvo) && alvo->isEnabled())
        tmrArrastoPagina->start();
    else
        tmrArrastoPagina->stop();
}

// Held long enough over an arrow: its page turns, and keeps turning while
// the button stays there.
void TfrmConfGrupo::viraPaginaArrastada() {
    if (!m_arrasto->dragging())
        return;
    QWidget* seta = m_arrasto->target();
    if (!ehSetaPagina(seta) || !seta->isEnabled())
        return;
    HandleEvent([&] {
        tcbPaginaClick(seta);
        mostraLevantado();
    });
    mostraPaginas();
    m_arrasto->refresh();
    if (m_arrasto->dragging() && m_arrasto->target() == seta && seta->isEnabled())
        tmrArrastoPagina->start();
}

void TfrmConfGrupo::soltaBotao(QWidget* origem, QWidget* alvo) {
    tmrArrastoPagina->stop();
    auto* o = qobject_cast<TTouchButton*>(origem);
    auto* a = qobject_cast<TTouchButton*>(alvo);
    if (!o || !a || ehSetaPagina(a) || !aceitaSoltar(o, a)) {
        desisteArrasto();
        return;
    }
    HandleEvent([&] { moveArrastado(o, a); });
    m_emToque = false;
    mostraPendentes();
    mostraPaginas();
}

// The move as the cut tool and two touches make it: the cut where the button
// was lifted, on its own pages, then the paste where it was let go.
void TfrmConfGrupo::moveArrastado(TTouchButton* origem, TTouchButton* alvo) {
    const bool grupo = m_origemArrasto.grupo;
    const PosicaoArrasto destino = posicaoAtual(grupo, alvo->objectName().right(2));
    const auto toca = [this, grupo](TTouchButton* b) {
        if (grupo)
            tcbGrupo01Click(b);
        else
            tcbBalcao01Click(b);
    };
    // A cut that waited for its place is given back: this move takes its turn.
    if (m_modo == ModoEdicao::Colar)
        tcbCancelaClick(tcbCancela);
    if (mesmasPaginas(NrPgGrupo, stNrFocusGrupo, NrPagina, m_origemArrasto.paginaGrupo, m_origemArrasto.foco,
                      m_origemArrasto.paginaProduto)) {
        desfazLevantado();
    } else {
        mostraPosicao(m_origemArrasto);
    }
    tcbRecortarClick(tcbRecortar);
    toca(origem);
    if (m_modo != ModoEdicao::Colar || cdsRecortar.isEmpty()) {
        // The store no longer holds what the page showed there: nothing is cut.
        tcbCancelaClick(tcbCancela);
        return;
    }
    if (!mesmasPaginas(NrPgGrupo, stNrFocusGrupo, NrPagina, destino.paginaGrupo, destino.foco, destino.paginaProduto))
        mostraPosicao(destino);
    toca(alvo);
}

// The lifted button shows what it held again.
void TfrmConfGrupo::desfazLevantado() {
    TTouchButton* b = botao((m_origemArrasto.grupo ? QStringLiteral("tcbGrupo") : QStringLiteral("tcbBalcao")) +
                            m_origemArrasto.numero);
    if (!b || b->pendingMark() != TTouchButton::PendingMark::Cut || !vazio(b))
        return;
    const VistaLevantada& v = m_vistaLevantada;
    b->setCaption(v.caption);
    b->SetColor(v.cor);
    b->setFontColor(v.corFonte);
    if (v.glyph.isNull())
        b->clearGlyph();
    else
        b->setGlyph(v.glyph);
    b->setPicture(v.imagem);
    b->setCaptionHidden(v.captionOculto);
    b->setPendingMark(TTouchButton::PendingMark::None);
}

// Let go where it is not taken, or given up: the screen is as it was when the
// button was lifted, on the pages it was lifted from.
void TfrmConfGrupo::desisteArrasto() {
    tmrArrastoPagina->stop();
    HandleEvent([&] {
        if (mesmasPaginas(NrPgGrupo, stNrFocusGrupo, NrPagina, m_origemArrasto.paginaGrupo, m_origemArrasto.foco,
                          m_origemArrasto.paginaProduto))
            desfazLevantado();
        else
            mostraPosicao(m_origemArrasto);
    });
    m_emToque = false;
    mostraPendentes();
    mostraPaginas();
}
