// Confirm and cancel: writing and dropping the pending changes.

#include "TfrmConfGrupo.h"

#include "Cli_Kmr00003.h"
#include "KmrPictures.h"
#include "KmrTela.h"
#include "Srv_Kmr00003.h"
#include "TfrmConfGrupoComum.h"

#include <HostErrors.h>
#include <HostText.h>
#include <HostUi.h>
#include <TBlendedBitBtn.h>
#include <TBlendedShape.h>
#include <TColor.h>
#include <TTouchButton.h>
#include <Zub00002.h>
#include <Zub00005.h>

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainterPath>
#include <QScreen>
#include <QSet>

#include <cmath>
#include <limits>
#include <stdexcept>

using namespace KmrTela;

// ------------------------------------------------------- confirm, cancel

void TfrmConfGrupo::esvaziaAlteracoes() {
    cdsAlteracoes.close();
    cdsAlteracoes.createDataSet();
}

void TfrmConfGrupo::esvaziaRecortar() {
    cdsRecortar.close();
    cdsRecortar.createDataSet();
}

void TfrmConfGrupo::tcbConfirmaClick(QObject* Sender) {
    Q_UNUSED(Sender);
    const QString instrucao = lblMensagem->text();
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("Tecle")));
    // A failure stops the confirmation with its flag, rows and enabling as
    // they were, so that confirming again sends every row from the first;
    // the instruction line then still names the mode that is on.
    try {
        if (boExcluir)
            confirmaLimpar();
        if (boMudaCor)
            confirmaCorFundo();
        if (boMudaFonte)
            confirmaCorTexto();
        if (boColar)
            confirmaColar();
    } catch (...) {
        if (boExcluir || boMudaCor || boMudaFonte || boColar)
            lblMensagem->setText(instrucao);
        throw;
    }
    ControlaHabilitacao(QStringLiteral("H"));
    MudaCursor(QStringLiteral("0"));
    shpMostraCor->setVisible(false);
    limpaMarcas();
}

void TfrmConfGrupo::confirmaLimpar() {
    if (!cdsAlteracoes.isEmpty()) {
        const bool sim = Mensagem(msgPadrao.Msg(QStringLiteral("Deleta")), QString(), QStringLiteral("N"),
                                  QStringLiteral("S"), 1, QString(), QStringLiteral("002"), 0, nullptr);
        if (sim) {
            for (cdsAlteracoes.first(); !cdsAlteracoes.eof(); cdsAlteracoes.next()) {
                const auto [tipo, numero, pagina, tipoAux, numeroAux, paginaAux, cor] = linhaAtual(cdsAlteracoes);
                QVariant resultado;
                if (tipo == QLatin1String("2")) {
                    int32_t status =
                        getDelProdGrup(stCdFilial, stNrConf, QStringLiteral("2"), numero, paginaAux, resultado);
                    retorno(QStringLiteral("getDelProdGrup"), status, resultado,
                            chave({stCdFilial, stNrConf, QStringLiteral("2"), numero, paginaAux}));
                    status = getDeletaGrupo(stCdFilial, stNrConf, QStringLiteral("2"), numero, paginaAux, resultado);
                    retorno(QStringLiteral("getDeletaGrupo"), status, resultado,
                            chave({stCdFilial, stNrConf, QStringLiteral("2"), numero, paginaAux}));
                } else if (tipo.startsWith(QLatin1Char('1')) || navegadorProduto(tipo)) {
                    const int32_t status =
                        getDelProduto(stCdFilial, stNrConf, numero, pagina, numeroAux, paginaAux, resultado);
                    retorno(QStringLiteral("getDelProduto"), status, resultado,
                            chave({stCdFilial, stNrConf, QStringLiteral("2"), numero, pagina, numeroAux, paginaAux}));
                } else if (tipo == QLatin1String("7") || tipo == QLatin1String("8")) {
                    const int32_t status = getDeletaGrupo(stCdFilial, stNrConf, tipo, numero, paginaAux, resultado);
                    retorno(QStringLiteral("getDeletaGrupo"), status, resultado,
                            chave({stCdFilial, stNrConf, tipo, numero, paginaAux}));
                }
            }
        }
        // Both pages from the store: on no the marked buttons come back; on
        // yes a product page blanked by a group mark shows its products again.
        MontaMenuGrupo();
        MontaMenuProduto();
    }
    boExcluir = false;
    esvaziaAlteracoes();
}

void TfrmConfGrupo::confirmaCorFundo() {
    for (cdsAlteracoes.first(); !cdsAlteracoes.eof(); cdsAlteracoes.next()) {
        const auto [tipo, numero, pagina, tipoAux, numeroAux, paginaAux, cor] = linhaAtual(cdsAlteracoes);
        QVariant resultado;
        const int32_t status =
            getMudaCor(stCdFilial, stNrConf, numero, pagina, tipoAux, numeroAux, paginaAux, cor, tipo, resultado);
        retorno(QStringLiteral("getMudaCor"), status, resultado,
                chave({stCdFilial, stNrConf, numero, pagina, tipoAux, numeroAux, paginaAux, cor, tipo}));
    }
    boMudaCor = false;
    esvaziaAlteracoes();
}

void TfrmConfGrupo::confirmaCorTexto() {
    for (cdsAlteracoes.first(); !cdsAlteracoes.eof(); cdsAlteracoes.next()) {
        const auto [tipo, numero, pagina, tipoAux, numeroAux, paginaAux, cor] = linhaAtual(cdsAlteracoes);
        QVariant resultado;
        const int32_t status =
            getMudaFonte(stCdFilial, stNrConf, numero, pagina, cor, tipo, tipoAux, paginaAux, numeroAux, resultado);
        retorno(QStringLiteral("getMudaFonte"), status, resultado,
                chave({stCdFilial, stNrConf, numero, pagina, cor, tipo, tipoAux, paginaAux, numeroAux}));
    }
    boMudaFonte = false;
    esvaziaAlteracoes();
}

void TfrmConfGrupo::confirmaColar() {
    if (!cdsAlteracoes.isEmpty() && !cdsRecortar.isEmpty()) {
        const auto campos = [](const ClientDataSet& set) {
            return QStringList{set.fieldText(u"IDTPBUTTON"),   set.fieldText(u"NRBUTTON"),
                               set.fieldText(u"NRPGCONFTELA"), set.fieldText(u"IDTPBUTONAUX"),
                               set.fieldText(u"NRBUTONAUX"),   set.fieldText(u"NRPGCONFTAUX")};
        };
        const QStringList alvo = campos(cdsAlteracoes);
        const QStringList origem = campos(cdsRecortar);
        const QString fundo = QString::number(InColor);
        const QString texto = QString::number(InFontColor);
        const QString inicial = alvo[0].left(1);
        QVariant resultado;
        if (inicial == QLatin1String("2") || inicial == QLatin1String("7") || inicial == QLatin1String("8")) {
            const int32_t status = setColarGrup(fundo, texto, stDescricao, alvo[0], alvo[1], alvo[2], alvo[3], alvo[4],
                                                alvo[5], stCdFilial, stNrConf, origem[0], origem[1], origem[2],
                                                origem[3], origem[4], origem[5], resultado);
            retorno(QStringLiteral("setColarGrup"), status, resultado,
                    chave(QStringList{stCdFilial, fundo, texto, stDescricao} + alvo +
                          QStringList{stCdFilial, stNrConf} + origem));
        } else if (inicial == QLatin1String("1") || inicial == QLatin1String("9") || inicial == QLatin1String("A")) {
            const int32_t status = setColarProd(fundo, texto, stDescricao, alvo[0], alvo[1], alvo[2], alvo[3], alvo[4],
                                                alvo[5], stCdFilial, origem[0], origem[1], origem[2], origem[3],
                                                origem[4], origem[5], stNrConf, resultado);
            retorno(QStringLiteral("setColarProd"), status, resultado,
                    chave(QStringList{fundo, texto, stDescricao} + alvo + QStringList{stCdFilial} + origem +
                          QStringList{stNrConf}));
        }
    }
    MontaMenuGrupo();
    MontaMenuProduto();
    boColar = false;
    boColarCtrl = false;
    esvaziaAlteracoes();
    esvaziaRecortar();
}

void TfrmConfGrupo::tcbCancelaClick(QObject* Sender) {
    Q_UNUSED(Sender);
    const QString instrucao = lblMensagem->text();
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("Tecle")));
    // A group page that cannot be read again (a lost connection) ends the
    // cancel before anything is dropped: the mode, its marks, its tools and
    // its instruction line stay as they were, so that cancel can be touched
    // again once the store answers.
    try {
        MontaMenuGrupo();
    } catch (...) {
        lblMensagem->setText(instrucao);
        throw;
    }
    MontaMenuProduto();
    boExcluir = false;
    boMudaNome = false;
    boMudaCor = false;
    boMudaFonte = false;
    boRecortar = false;
    boColar = false;
    boColarCtrl = false;
    esvaziaAlteracoes();
    esvaziaRecortar();
    ControlaHabilitacao(QStringLiteral("H"));
    MudaCursor(QStringLiteral("0"));
    shpMostraCor->setVisible(false);
    limpaMarcas();
}

// ---------------------------------------------------- pending, as shown

void TfrmConfGrupo::criaAvisoPendentes() {
    // Between the group page and the instruction line, which keeps its own text.
    lblPendentes = new QLabel(this);
    lblPendentes->setObjectName(QStringLiteral("lblPendentes"));
    lblPendentes->setFont(fonte(QStringLiteral("MS Sans Serif"), 11, true));
    pintaTexto(lblPendentes, kAzulMarinho);
    lblPendentes->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblPendentes->setGeometry(252, 221, 448, 16);
}

// Buttons with a change waiting: each button once, however often it was
// touched; a cut that waits for its place counts as one.
int TfrmConfGrupo::alteracoesPendentes() const {
    if (!cdsAlteracoes.active() || cdsAlteracoes.isEmpty())
        return cdsRecortar.active() && !cdsRecortar.isEmpty() ? 1 : 0;
    QList<int> campos;
    for (const QStringView nome : {u"NRBUTTON", u"IDTPBUTONAUX", u"NRBUTONAUX", u"NRPGCONFTELA", u"NRPGCONFTAUX"})
        campos << cdsAlteracoes.fieldIndex(nome);
    QSet<QString> botoes;
    for (int linha = 0; linha < cdsAlteracoes.recordCount(); ++linha) {
        QStringList chave;
        for (const int campo : campos)
            chave << cdsAlteracoes.visibleValue(linha, campo).toString();
        // A group-level clear row keeps its page in NRPGCONFTAUX, the other
        // group-level rows in NRPGCONFTELA: the same button either way.
        if (chave[1].isEmpty())
            chave = QStringList{chave[0], QStringLiteral("0"), chave[4]};
        else if (chave[1] == QLatin1String("0"))
            chave = QStringList{chave[0], QStringLiteral("0"), chave[3]};
        botoes.insert(chave.join(QLatin1Char('|')));
    }
    return static_cast<int>(botoes.size());
}

void TfrmConfGrupo::mostraPendentes() {
    const int n = alteracoesPendentes();
    tcbConfirma->setCaption(n > 0 && tcbConfirma->isEnabled() ? QStringLiteral("Ctrl+Enter\nConfirmar (%1)").arg(n)
                                                              : QStringLiteral("Ctrl+Enter\nConfirmar"));
    QString aviso;
    if (boColar && boColarCtrl)
        aviso = QStringLiteral("Colagem feita: confirme (Ctrl+Enter) para gravar ou cancele (F2).");
    else if (n == 1 && tcbConfirma->isEnabled())
        aviso = QStringLiteral("1 alteração aguarda: confirme (Ctrl+Enter) para gravar ou cancele (F2).");
    else if (n > 1 && tcbConfirma->isEnabled())
        aviso = QStringLiteral("%1 alterações aguardam: confirme (Ctrl+Enter) para gravar ou cancele (F2).").arg(n);
    lblPendentes->setText(aviso);
}

void TfrmConfGrupo::limpaMarcas() {
    for (QWidget* w : std::as_const(m_componentes)) {
        auto* b = qobject_cast<TTouchButton*>(w);
        if (b && (w->objectName().startsWith(QLatin1String("tcbGrupo")) ||
                  w->objectName().startsWith(QLatin1String("tcbBalcao"))))
            b->setPendingMark(TTouchButton::PendingMark::None);
    }
}

// Leaving drops what is not confirmed: with changes waiting, the operator is
// asked first, "Não" (keep working) being the answer a stray key gives.
bool TfrmConfGrupo::podeSair() {
    const int n = alteracoesPendentes();
    if (n == 0)
        return true;
    const QString pergunta = n == 1
                                 ? QStringLiteral("Existe 1 alteração não confirmada. Sair sem gravá-la?")
                                 : QStringLiteral("Existem %1 alterações não confirmadas. Sair sem gravá-las?").arg(n);
    return Mensagem(pergunta, QString(), QStringLiteral("N"), QStringLiteral("S"), 1, QString(), QString(), 0, nullptr);
}

// A product-page navigator shows its arrow, as the group page's do; its
// stored caption is the till's name for it and stays on the button.
void TfrmConfGrupo::mostraNavegadorProduto(TTouchButton* b, const QString& tipo) {
    const bool navegador = navegadorProduto(tipo);
    b->setCaptionHidden(navegador);
    if (navegador)
        b->setGlyph(KmrPictures::setaNavegador(tipo.startsWith(QLatin1Char('9'))));
}
