// The session's history on the screen: each operator action recorded as one
// entry, the "Desfazer" and "Refazer" tools with Ctrl+Z and Ctrl+Y, the line
// that names the next undo, and the question before an undo that takes away
// more than one button.

#include "TfrmConfGrupo.h"

#include "KmrPictures.h"
#include "KmrTela.h"
#include "Srv_Kmr00003.h"
#include "TfrmConfGrupoComum.h"

#include <HostErrors.h>
#include <HostUi.h>
#include <KmrLog.h>
#include <TBlendedBitBtn.h>
#include <TColor.h>
#include <TTouchButton.h>

#include <QFontMetrics>
#include <QLabel>
#include <QSet>
#include <QUuid>

using namespace KmrTela;

namespace {

constexpr int kMaxDescricao = 200;

// The article of an action's description by its kind, for the question:
// "o nome", "o movimento"; "a inclusão", "a limpeza", "a cor", "a imagem".
QString artigo(const QString& idAcao) {
    return idAcao == QLatin1String("N") || idAcao == QLatin1String("M") ? QStringLiteral("o") : QStringLiteral("a");
}

QString contados(int n, const QString& singular, const QString& plural) {
    return n == 1 ? QStringLiteral("1 ") + singular : QStringLiteral("%1 ").arg(n) + plural;
}

QString corta(const QString& texto) {
    return texto.size() <= kMaxDescricao ? texto : texto.left(kMaxDescricao - 1) + QChar(0x2026);
}

void registraFalha(const char* metodo, int32_t status, const QVariant& resultado) {
    qCWarning(lcKmrApp).noquote() << QStringLiteral("%1 failed, status %2: %3")
                                         .arg(QString::fromLatin1(metodo))
                                         .arg(status)
                                         .arg(resultado.toString());
}

} // namespace

// ------------------------------------------------------- the action bracket

TfrmConfGrupo::AcaoHistorico::AcaoHistorico(TfrmConfGrupo& tela, const QString& idAcao, const QString& dsAcao)
    : m_tela(tela) {
    if (!Srv_Kmr00003::historicoAtivo()) {
        tela.historicoDesligado();
        return;
    }
    QVariant resultado;
    const int32_t status =
        setIniciaAcao(tela.stCdFilial, tela.stNrConf, tela.m_sessaoHistorico, idAcao, corta(dsAcao), resultado);
    m_aberta = status == 0 && resultado.toString().isEmpty();
    if (!m_aberta) {
        // The operator's change goes on unrecorded.
        registraFalha("setIniciaAcao", status, resultado);
        tela.historicoDesligado();
    }
}

TfrmConfGrupo::AcaoHistorico::~AcaoHistorico() {
    if (m_aberta) {
        QVariant resultado;
        const int32_t status = setTerminaAcao(resultado);
        if (status != 0 || !resultado.toString().isEmpty())
            registraFalha("setTerminaAcao", status, resultado);
    }
    try {
        // A history that failed during the action is said off once, too.
        if (!Srv_Kmr00003::historicoAtivo())
            m_tela.historicoDesligado();
        m_tela.atualizaDesfazer();
    } catch (...) {
        qCWarning(lcKmrApp) << "the undo tools could not be read again after an action";
    }
}

// ------------------------------------------------------------ the tools

void TfrmConfGrupo::criaDesfazer() {
    m_sessaoHistorico = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const struct {
        TBlendedBitBtn** membro;
        const char* nome;
        int x;
        QString caption;
        void (TfrmConfGrupo::*handler)(QObject*);
    } ferramentas[] = {
        {&tcbDesfazer, "tcbDesfazer", 15, QStringLiteral("Ctrl+Z\nDesfazer"), &TfrmConfGrupo::tcbDesfazerClick},
        {&tcbRefazer, "tcbRefazer", 127, QStringLiteral("Ctrl+Y\nRefazer"), &TfrmConfGrupo::tcbRefazerClick},
    };
    for (const auto& f : ferramentas) {
        auto* b = new TBlendedBitBtn(this);
        b->setObjectName(QString::fromLatin1(f.nome));
        b->setGeometry(f.x, 398, 109, 65);
        b->setCaption(f.caption);
        b->setFaceColor(QColor(192, 192, 192));
        b->setPressedColor(colorFromTColor(15198159));
        b->setTextColor(kAzulMarinho);
        b->setFont(fonte(QStringLiteral("Verdana"), 11, false));
        b->setGlyph(KmrPictures::ferramenta(b->objectName()));
        b->setFocusPolicy(Qt::NoFocus);
        b->setEnabled(false);
        *f.membro = b;
        conecta(b, f.handler);
    }
    // Two lines under the two tools, between them and the exit.
    lblDesfazer = filho<QLabel>(this, QStringLiteral("lblDesfazer"), QRect(15, 465, 221, 32));
    lblDesfazer->setFont(fonte(QStringLiteral("MS Sans Serif"), 11, true));
    pintaTexto(lblDesfazer, kAzulMarinho);
    lblDesfazer->setWordWrap(true);
    lblDesfazer->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

// The session's next undo and redo from the history; none when it cannot be
// read (the tools stay off, the operator's work goes on).
void TfrmConfGrupo::atualizaDesfazer() {
    m_desfazer.reset();
    m_refazer.reset();
    if (tcbDesfazer == nullptr || stCdFilial.isEmpty())
        return;
    if (Srv_Kmr00003::historicoAtivo()) {
        QVariant resultado;
        const int32_t status = getPesqDesfazer(stCdFilial, stNrConf, m_sessaoHistorico, resultado);
        if (status == 0 && isDataPacket(resultado)) {
            const DataPacket p = resultado.value<DataPacket>();
            const int operacao = p.indexOf(u"IDOPERACAO");
            for (int r = 0; r < p.rowCount() && operacao >= 0; ++r) {
                PassoHistorico passo{p.text(r, p.indexOf(u"NRDIARIO")), p.text(r, p.indexOf(u"IDACAO")),
                                     p.text(r, p.indexOf(u"DSACAO")),
                                     static_cast<int>(p.number(r, p.indexOf(u"QTEXCLUI"))),
                                     static_cast<int>(p.number(r, p.indexOf(u"QTINCLUI")))};
                (p.text(r, operacao) == QLatin1String("D") ? m_desfazer : m_refazer) = std::move(passo);
            }
        } else if (status != 0 || !resultado.toString().isEmpty()) {
            registraFalha("getPesqDesfazer", status, resultado);
        }
    }
    mostraDesfazer();
}

// Off while any edit mode is on: an undo between marks and their
// confirmation would change the rows the marks were made on.
void TfrmConfGrupo::mostraDesfazer() {
    if (tcbDesfazer == nullptr)
        return;
    tcbDesfazer->setEnabled(m_ferramentasLigadas && m_desfazer.has_value());
    tcbRefazer->setEnabled(m_ferramentasLigadas && m_refazer.has_value());
    if (!Srv_Kmr00003::historicoAtivo() || m_historicoAvisado)
        lblDesfazer->setText(QStringLiteral("Histórico desligado"));
    else if (m_desfazer)
        // At most the two lines there is room for; the whole text in the tip.
        lblDesfazer->setText(lblDesfazer->fontMetrics().elidedText(QStringLiteral("Desfazer: ") + m_desfazer->dsAcao,
                                                                   Qt::ElideRight, 2 * lblDesfazer->width() - 40));
    else
        lblDesfazer->setText(QString());
    lblDesfazer->setToolTip(m_desfazer ? m_desfazer->dsAcao : QString());
}

void TfrmConfGrupo::historicoDesligado() {
    if (m_historicoAvisado)
        return;
    m_historicoAvisado = true;
    mostraDesfazer();
    MensagemErro(QStringLiteral("O histórico de alterações está desligado: as alterações continuam a ser gravadas, "
                                "mas não poderão ser desfeitas nesta sessão."));
}

void TfrmConfGrupo::tcbDesfazerClick(QObject* Sender) {
    Q_UNUSED(Sender);
    desfazOuRefaz(true);
}

void TfrmConfGrupo::tcbRefazerClick(QObject* Sender) {
    Q_UNUSED(Sender);
    desfazOuRefaz(false);
}

// One undo or redo, one transaction of the data service. One that takes more
// than one button off the menu, or that brings a clear back, is asked first.
void TfrmConfGrupo::desfazOuRefaz(bool desfazer) {
    atualizaDesfazer(); // another touch may have written since the tools were drawn
    const std::optional<PassoHistorico> passo = desfazer ? m_desfazer : m_refazer;
    if (!passo || !m_ferramentasLigadas)
        return;
    const QString verbo = desfazer ? QStringLiteral("Desfazer ") : QStringLiteral("Refazer ");
    // A move undone takes buttons away where it put them and brings them back
    // where they were: only buttons that leave the menu count.
    const bool limpeza = passo->idAcao == QLatin1String("L");
    if ((passo->qtExclui - passo->qtInclui > 1 || (desfazer && limpeza)) &&
        !MensagemPergunta(verbo + artigo(passo->idAcao) + QLatin1Char(' ') + passo->dsAcao + QLatin1Char('?'),
                          QStringLiteral("002")))
        return;
    QVariant resultado;
    const int32_t status = desfazer ? getDesfazer(passo->nrDiario, m_sessaoHistorico, resultado)
                                    : getRefazer(passo->nrDiario, m_sessaoHistorico, resultado);
    const QString metodo = desfazer ? QStringLiteral("getDesfazer") : QStringLiteral("getRefazer");
    // However it ends, both pages and the tools show the store.
    const auto redesenha = [this] {
        MontaMenuGrupo();
        MontaMenuProduto();
        atualizaDesfazer();
    };
    if (status == 0 && Srv_Kmr00003::causaDaFalha() == FailureCause::RowChanged) {
        registraFalha(desfazer ? "getDesfazer" : "getRefazer", status, resultado);
        redesenha();
        MensagemErro(resultado.toString(), QStringLiteral("002"));
        return;
    }
    try {
        retorno(metodo, status, resultado, chave({passo->nrDiario, m_sessaoHistorico}));
    } catch (...) {
        redesenha();
        throw;
    }
    redesenha();
}

// ------------------------------------------------------ what is recorded

QString TfrmConfGrupo::descricaoInclusao(const QString& stCodigo, const QString& nome) const {
    return QStringLiteral("inclusão de %1 no botão %2").arg(nome, stCodigo);
}

// The kind and description of the confirmation about to be written, from
// the pending rows.
QString TfrmConfGrupo::descricaoConfirmacao(QString& idAcao) const {
    const int n = alteracoesPendentes();
    const QString umBotao =
        cdsAlteracoes.isEmpty() ? QString() : QStringLiteral("do botão ") + cdsAlteracoes.fieldText(u"NRBUTTON");
    const QString botoes = n == 1 && !umBotao.isEmpty()
                               ? umBotao
                               : QStringLiteral("de ") + contados(n, QStringLiteral("botão"), QStringLiteral("botões"));
    if (boExcluir()) {
        idAcao = QStringLiteral("L");
        return descricaoLimpeza();
    }
    if (boMudaCor()) {
        idAcao = QStringLiteral("C");
        return QStringLiteral("cor de fundo ") + botoes;
    }
    if (boMudaFonte()) {
        idAcao = QStringLiteral("F");
        return QStringLiteral("cor do texto ") + botoes;
    }
    if (boColar()) {
        idAcao = QStringLiteral("M");
        return descricaoMovimento();
    }
    idAcao = QStringLiteral("G");
    return QStringLiteral("imagem ") + botoes;
}

// "limpeza do grupo Pratos e de 12 produtos", "limpeza de 3 botões".
QString TfrmConfGrupo::descricaoLimpeza() const {
    const ClientDataSet& set = cdsAlteracoes;
    const auto campo = [&set](int linha, QStringView nome) {
        return set.visibleValue(linha, set.fieldIndex(nome)).toString();
    };
    QStringList grupos;
    int produtos = 0;
    QSet<QString> vistos;
    for (int linha = 0; linha < set.recordCount(); ++linha) {
        const QString tipo = campo(linha, u"IDTPBUTTON");
        const QString numero = campo(linha, u"NRBUTTON");
        const QString onde =
            tipo + numero + campo(linha, u"NRPGCONFTELA") + campo(linha, u"NRBUTONAUX") + campo(linha, u"NRPGCONFTAUX");
        if (vistos.contains(onde))
            continue;
        vistos.insert(onde);
        if (tipo == QLatin1String("2")) {
            const TTouchButton* b = botao(QStringLiteral("tcbGrupo") + numero);
            const QString nome = b ? (b->ghostCaption().isEmpty() ? b->caption() : b->ghostCaption()) : QString();
            grupos << (nome.isEmpty() ? numero : nome);
            const QVariant itens = m_produtosVistos.value(numero);
            if (isDataPacket(itens))
                produtos += itens.value<DataPacket>().rowCount();
        } else if (!navegadorGrupo(tipo)) {
            ++produtos;
        }
    }
    const int n = alteracoesPendentes();
    if (grupos.isEmpty())
        return n == 1 && set.recordCount() > 0
                   ? QStringLiteral("limpeza do botão ") + campo(0, u"NRBUTTON")
                   : QStringLiteral("limpeza de ") + contados(n, QStringLiteral("botão"), QStringLiteral("botões"));
    QString texto = grupos.size() == 1 ? QStringLiteral("limpeza do grupo ") + grupos.first()
                                       : QStringLiteral("limpeza de %1 grupos").arg(grupos.size());
    if (produtos > 0)
        texto += QStringLiteral(" e de ") + contados(produtos, QStringLiteral("produto"), QStringLiteral("produtos"));
    return texto;
}

// "movimento de Pratos do botão 05 para o botão 09".
QString TfrmConfGrupo::descricaoMovimento() const {
    const QString origem = cdsRecortar.fieldText(u"NRBUTTON");
    const QString alvo = cdsAlteracoes.fieldText(u"NRBUTTON");
    return QStringLiteral("movimento de %1 do botão %2 para o botão %3").arg(stDescricao, origem, alvo);
}
