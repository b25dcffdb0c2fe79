// The configuration screen: construction, initialisation and closing.

#include "TfrmConfGrupo.h"

#include "ParametrosKmr.h"
#include "Srv_Kmr00003.h"
#include "TfrmConfGrupoComum.h"

#include <HostUi.h>
#include <KmrConexao.h>
#include <TTouchButton.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPainterPath>
#include <QScreen>

using namespace KmrTela;

namespace {

QString g_parameterDir; // empty: the launcher's folder

// The message table of the screen; texts exactly as the operator sees them.
const QStringList kMensagens = {
    QStringLiteral("FILIAL|Filial "),
    QStringLiteral("Operador|Operador "),
    QStringLiteral("Versao|Versão "),
    QStringLiteral("Grupo_deve|Grupo do produto deve ser informado."),
    QStringLiteral("Conf|Configuração Tela de Vendas"),
    QStringLiteral("Prod|Configuração de Produtos"),
    QStringLiteral("Deleta|Todos os grupos e produtos selecionados serão excluídos. Confirma operação?"),
    QStringLiteral("Tecle|Clique em um dos botões desta tela para associar produtos ou adicionar grupos de produtos."),
    QStringLiteral("Limpar|Clique no botão ou nos botões desejados para limpar."),
    QStringLiteral("Nome|Clique no botão desejado para mudar seu nome."),
    QStringLiteral("CorBotao|Clique no botão ou nos botões desejados para mudar a cor de fundo."),
    QStringLiteral("CorTexto|Clique no botão ou nos botões desejados para mudar a cor do texto."),
    QStringLiteral("RecortaBotao|Clique no botão que deseja recortar."),
    QStringLiteral("ColaBotao|Clique no botão onde deseja colar a configuração."),
    QStringLiteral("Conf_Caixa|Configuração do Caixa"),
};

} // namespace

// ---------------------------------------------------------------- creation

TfrmConfGrupo::TfrmConfGrupo(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmConfGrupo"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Kalmora - Configuração Tela de Vendas"));
    setFont(fonte(QStringLiteral("MS Sans Serif"), 11, false));
    setFixedSize(800, 600);
    setFocusPolicy(Qt::StrongFocus);
    msgPadrao.setLines(kMensagens);
    criaControles();
    criaAvisoPendentes();
    criaDataSets();
    // Key preview: the screen sees every key press before any control does.
    installEventFilter(this);
    for (QWidget* filho : findChildren<QWidget*>())
        filho->installEventFilter(this);
    FormCreate();
}

TfrmConfGrupo::~TfrmConfGrupo() = default;

void TfrmConfGrupo::FormCreate() {
    Trad(this);
    cdsPesqProdGrupo.createDataSet();
}

QWidget* TfrmConfGrupo::FindComponent(const QString& name) const {
    return m_componentes.value(name, nullptr);
}

TTouchButton* TfrmConfGrupo::botao(const QString& name) const {
    return qobject_cast<TTouchButton*>(FindComponent(name));
}

// ---------------------------------------------------------- initialisation

void TfrmConfGrupo::setParameterDir(const QString& dir) {
    g_parameterDir = dir;
}

QString TfrmConfGrupo::parameterDir() {
    return g_parameterDir.isEmpty() ? QCoreApplication::applicationDirPath() : g_parameterDir;
}

QString TfrmConfGrupo::parameterFilePath() {
    return findConfigFile(ParametrosKmr::kArquivo, parameterDir());
}

void TfrmConfGrupo::InicializaForm(const QVariantList& arParams) {
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("Tecle")));
    Srv_Kmr00003::abre();

    setFixedSize(800, 600);
    if (const QScreen* tela = QGuiApplication::primaryScreen()) {
        // Centred on the display; on a display smaller than the screen the
        // edges go negative, the division rounding toward zero.
        const QRect area = tela->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    QPainterPath contorno;
    contorno.addRoundedRect(QRectF(0, 0, width(), height()), 20, 20);
    setMask(QRegion(contorno.toFillPolygon().toPolygon()));
    update();

    carregaParametros();

    m_modo = ModoEdicao::Nenhum;
    NrPagina = 1;
    NrPgGrupo = 1;
    stNrFocusGrupo = QStringLiteral("01");
    ControlaFocus();
    esvaziaAlteracoes();
    esvaziaRecortar();
    stCdFilial = QStringLiteral("9999");
    stNrConf = QStringLiteral("00001");
    stNmConf = msgPadrao.Msg(QStringLiteral("Conf_Caixa"));
    stLojaConfig = QStringLiteral("01");
    leParametros(arParams);
    lblMenu->setText(msgPadrao.Msg(QStringLiteral("Conf")));
    ColoreTela(this, Incor[0], Incor[1], Incor[2], Incor[3], Incor[4], Incor[5]);
    lblCodTela->setText(MontaRodapeGeral(true, lblCodTela->text(), QStringLiteral("S")));
    MontaMenuGrupo();
    MontaMenuProduto();
    ControlaHabilitacao(kHabilitaFerramentas);
    iniciaAtualizacao();
}

// The six screen colours from the parameter file beside the launcher; the
// defaults when there is no such file. A file that is there but cannot be
// used stops the start with a message naming what is wrong: the operator
// would otherwise work on a screen coloured from half-read settings.
void TfrmConfGrupo::carregaParametros() {
    Incor = ParametrosKmr::LeCoresTela(parameterFilePath());
}

// ------------------------------------------------------------- form events

void TfrmConfGrupo::FormActivate() {
    update();
}

void TfrmConfGrupo::FormClose() {
    // The entry point owns the screen and destroys it as soon as the modal
    // display ends, so no deferred release is needed here.
}

void TfrmConfGrupo::tcbSairClick(QObject* Sender) {
    Q_UNUSED(Sender);
    if (!podeSair())
        return; // every mark stays as it was
    m_podeFechar = true;
    close();
}

void TfrmConfGrupo::closeEvent(QCloseEvent* event) {
    // Only "Esc - Sair" closes the screen; the window manager's close
    // (Alt+F4, a close request) is refused.
    if (!m_podeFechar) {
        event->ignore();
        return;
    }
    FormClose();
    QDialog::closeEvent(event);
}

void TfrmConfGrupo::reject() {
    if (m_podeFechar)
        QDialog::reject();
}

void TfrmConfGrupo::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
    QDialog::changeEvent(event);
}
