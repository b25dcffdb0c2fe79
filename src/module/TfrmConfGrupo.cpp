// The configuration screen: construction, initialisation and closing.

#include "TfrmConfGrupo.h"

#include "Cli_Kmr00003.h"
#include "KmrPictures.h"
#include "KmrTela.h"
#include "Srv_Kmr00003.h"
#include "TfrmConfGrupoComum.h"

#include <HostErrors.h>
#include <HostUi.h>
#include <KmrConexao.h>
#include <KmrLog.h>
#include <OperatorTexts.h>
#include <TBlendedBitBtn.h>
#include <TBlendedShape.h>
#include <TColor.h>
#include <TTouchButton.h>
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

#include <cmath>
#include <limits>
#include <stdexcept>

using namespace KmrTela;

namespace {

const QString kParametros = QStringLiteral("PARAMETROSKMR.CDS");
QString g_parameterDir; // empty: the launcher's folder

// Default screen colours when there is no parameter file.
constexpr std::array<int, 6> kCoresPadrao = {12960962, 14737632, 8683643, 8421504, 15658734, 8388608};

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
    return findConfigFile(kParametros, parameterDir());
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

    boExcluir = false;
    boMudaCor = false;
    boMudaFonte = false;
    boMudaNome = false;
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
    ColoreTela(this, Incor1, Incor2, Incor3, Incor4, Incor5, Incor6);
    lblCodTela->setText(MontaRodapeGeral(true, lblCodTela->text(), QStringLiteral("S")));
    MontaMenuGrupo();
    MontaMenuProduto();
    ControlaHabilitacao(QStringLiteral("H"));
}

// Reads the six screen colours from the parameter file beside the launcher;
// the defaults when there is no such file. A file that is there but cannot be
// used stops the start with a message naming it: the operator would otherwise
// work on a screen coloured from half-read settings.
void TfrmConfGrupo::carregaParametros() {
    const QString caminho = parameterFilePath();
    const QFileInfo info(caminho);
    if (!info.exists()) {
        Incor1 = kCoresPadrao[0];
        Incor2 = kCoresPadrao[1];
        Incor3 = kCoresPadrao[2];
        Incor4 = kCoresPadrao[3];
        Incor5 = kCoresPadrao[4];
        Incor6 = kCoresPadrao[5];
        return;
    }
    // The operator reads what is wrong and what to do; the path and the
    // reader's own words go to the log.
    const auto falha = [&caminho](const QString& texto, const QString& detalhe) {
        qCWarning(lcKmrApp).noquote() << QStringLiteral("parameter file %1: %2").arg(caminho, detalhe);
        return std::runtime_error(texto.toStdString());
    };
    if (!info.isFile() || !info.isReadable())
        throw falha(OperatorTexts::parametrosIlegivel(), QStringLiteral("cannot be read"));
    try {
        cdsParametrosKmr.close();
        cdsParametrosKmr.loadFromFile(caminho);
    } catch (const std::exception& e) {
        throw falha(OperatorTexts::parametrosInvalido(), exceptionText(e));
    }
    if (cdsParametrosKmr.isEmpty())
        throw falha(OperatorTexts::parametrosVazio(), QStringLiteral("holds no record"));
    cdsParametrosKmr.first();
    std::array<int, 6> cores{};
    for (int i = 0; i < 6; ++i) {
        const QString campo = QStringLiteral("INCOR%1").arg(i + 1);
        if (cdsParametrosKmr.fieldIndex(campo) < 0)
            throw falha(OperatorTexts::parametrosCampoAusente(campo), QStringLiteral("no field %1").arg(campo));
        const QVariant valor = cdsParametrosKmr.fieldValue(campo);
        bool ok = !valor.isNull();
        const double numero = ok ? valor.toDouble(&ok) : 0.0;
        if (!ok || std::floor(numero) != numero || numero < std::numeric_limits<int>::min() ||
            numero > std::numeric_limits<int>::max())
            throw falha(OperatorTexts::parametrosCampoNaoNumero(campo),
                        QStringLiteral("field %1 holds no whole number").arg(campo));
        cores[static_cast<size_t>(i)] = static_cast<int>(numero);
    }
    Incor1 = cores[0];
    Incor2 = cores[1];
    Incor3 = cores[2];
    Incor4 = cores[3];
    Incor5 = cores[4];
    Incor6 = cores[5];
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
