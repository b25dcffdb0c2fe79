#include "TfrmConfGrupo.h"

#include "Cli_Kmr00003.h"
#include "KmrPictures.h"
#include "KmrTela.h"
#include "Srv_Kmr00003.h"
#include "TrdmConfGrupo.h"

#include <HostErrors.h>
#include <HostUi.h>
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

const QColor kAzulMarinho(0, 0, 128);

QFont fonte(const QString& familia, int pixels, bool negrito) {
    QFont f;
    // Fall back to a close sans-serif where the machine lacks the face; the
    // narrow faces (Tahoma, MS Sans Serif) to a condensed one, so that the
    // captions fit the buttons as they were laid out.
    QStringList familias{familia};
    if (familia != QLatin1String("Verdana"))
        familias << QStringLiteral("DejaVu Sans Condensed") << QStringLiteral("Liberation Sans Narrow");
    familias << QStringLiteral("DejaVu Sans") << QStringLiteral("Liberation Sans");
    f.setFamilies(familias);
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixels);
    f.setBold(negrito);
    return f;
}

void pintaTexto(QWidget* w, const QColor& cor) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, cor);
    w->setPalette(pal);
}

// Virtual-key code of a key, 0 for keys the screen does not handle.
quint16 codigoVirtual(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_F2:
        return 113;
    case Qt::Key_F3:
        return 114;
    case Qt::Key_F4:
        return 115;
    case Qt::Key_F5:
        return 116;
    case Qt::Key_F6:
        return 117;
    case Qt::Key_F7:
        return 118;
    default:
        return 0;
    }
}

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

void TfrmConfGrupo::criaControles() {
    blsBorda = new TBlendedShape(this);
    blsBorda->setObjectName(QStringLiteral("blsBorda"));
    blsBorda->setGeometry(0, 0, 800, 600);
    blsBorda->setFillColor(QColor(191, 205, 219)); // inactive-caption colour
    blsFundo = new TBlendedShape(this);
    blsFundo->setObjectName(QStringLiteral("blsFundo"));
    blsFundo->setGeometry(5, 5, 789, 590);
    blsBotoes = new TBlendedShape(this);
    blsBotoes->setObjectName(QStringLiteral("blsBotoes"));
    blsBotoes->setGeometry(10, 9, 230, 582);
    blsBotoes->setFillColor(QColor(128, 128, 128));

    Bevel2 = new QFrame(this);
    Bevel2->setObjectName(QStringLiteral("Bevel2"));
    Bevel2->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel2->setGeometry(246, 7, 459, 26);

    lblSistema = new QLabel(this);
    lblSistema->setObjectName(QStringLiteral("lblSistema"));
    lblSistema->setFont(fonte(QStringLiteral("Tahoma"), 15, true));
    pintaTexto(lblSistema, kAzulMarinho);
    lblSistema->move(36, 5);

    lblMenu = new QLabel(this);
    lblMenu->setObjectName(QStringLiteral("lblMenu"));
    lblMenu->setFont(fonte(QStringLiteral("Tahoma"), 15, true));
    pintaTexto(lblMenu, kAzulMarinho);
    lblMenu->setGeometry(252, 12, 450, 18);

    Bevel3 = new QFrame(this);
    Bevel3->setObjectName(QStringLiteral("Bevel3"));
    Bevel3->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel3->setGeometry(246, 33, 459, 557);

    lblMensagem = new QLabel(this);
    lblMensagem->setObjectName(QStringLiteral("lblMensagem"));
    lblMensagem->setFont(fonte(QStringLiteral("MS Sans Serif"), 11, false));
    pintaTexto(lblMensagem, kAzulMarinho);
    // Wrapped inside the frame of the grids, where the face is wider than the original.
    lblMensagem->setWordWrap(true);
    lblMensagem->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblMensagem->setGeometry(252, 238, 448, 30);

    shpMostraCor = new TBlendedShape(this);
    shpMostraCor->setObjectName(QStringLiteral("shpMostraCor"));
    shpMostraCor->setRadius(0);
    shpMostraCor->setGeometry(710, 522, 75, 45);
    shpMostraCor->setFillColor(Qt::white);
    shpMostraCor->hide();

    criaFerramentas();

    lblCodTela = new QLabel(QStringLiteral("Kmr00003"), this);
    lblCodTela->setObjectName(QStringLiteral("lblCodTela"));
    lblCodTela->setFont(fonte(QStringLiteral("MS Sans Serif"), 11, false));
    pintaTexto(lblCodTela, kAzulMarinho);
    lblCodTela->setGeometry(20, 574, 215, 14);

    panBalcao = new QWidget(this);
    panBalcao->setObjectName(QStringLiteral("panBalcao"));
    panBalcao->setGeometry(248, 271, 455, 319);

    criaBotoesGrupo();
    criaBotoesProduto();
    for (QWidget* w : findChildren<QWidget*>())
        m_componentes.insert(w->objectName(), w);
}

void TfrmConfGrupo::criaFerramentas() {
    struct Ferramenta {
        TBlendedBitBtn** membro;
        const char* nome;
        int x, y;
        QString caption;
        void (TfrmConfGrupo::*handler)(QObject*);
    };
    const Ferramenta ferramentas[] = {
        {&tcbCorButton, "tcbCorButton", 15, 13, QStringLiteral("F7-Cor Botão"), &TfrmConfGrupo::tcbCorButtonClick},
        {&tcbCorTexto, "tcbCorTexto", 127, 13, QStringLiteral("F4-Cor Fonte"), &TfrmConfGrupo::tcbCorTextoClick},
        {&tcbNome, "tcbNome", 15, 117, QStringLiteral("F5-Mudar Nome"), &TfrmConfGrupo::tcbNomeClick},
        {&tcbRecortar, "tcbRecortar", 127, 117, QStringLiteral("F6-Recortar Botão"), &TfrmConfGrupo::tcbRecortarClick},
        {&tcbLimpar, "tcbLimpar", 15, 221, QStringLiteral("F3-Limpar Botão"), &TfrmConfGrupo::tcbLimparClick},
        {&tcbConfirma, "tcbConfirma", 15, 325, QStringLiteral("Ctrl+Enter\nConfirmar"),
         &TfrmConfGrupo::tcbConfirmaClick},
        {&tcbCancela, "tcbCancela", 127, 325, QStringLiteral("F2 - Cancelar"), &TfrmConfGrupo::tcbCancelaClick},
        {&tcbSair, "tcbSair", 15, 498, QStringLiteral("Esc - Sair"), &TfrmConfGrupo::tcbSairClick},
    };
    for (const Ferramenta& f : ferramentas) {
        auto* b = new TBlendedBitBtn(this);
        b->setObjectName(QString::fromLatin1(f.nome));
        b->setGeometry(f.x, f.y, 109, 65);
        b->setCaption(f.caption);
        b->setFaceColor(QColor(192, 192, 192));
        b->setPressedColor(colorFromTColor(15198159));
        b->setTextColor(kAzulMarinho);
        b->setFont(fonte(QStringLiteral("Verdana"), 11, false));
        b->setGlyph(KmrPictures::ferramenta(b->objectName()));
        b->setFocusPolicy(Qt::NoFocus);
        *f.membro = b;
        conecta(b, f.handler);
    }
}

void TfrmConfGrupo::criaBotoesGrupo() {
    const int colunas[] = {247, 363, 479, 596};
    const int linhas[] = {48, 110, 173};
    const int marcadores[] = {34, 96, 158};
    const QFont f = fonte(QStringLiteral("Tahoma"), 13, true);
    for (int n = 1; n <= NRBUTTONSGRUP; ++n) {
        const int x = colunas[(n - 1) % 4];
        const int linha = (n - 1) / 4;
        auto* marcador = new TTouchButton(this);
        marcador->setObjectName(QStringLiteral("panGrup") + doisDigitos(n));
        marcador->setGeometry(x, marcadores[linha], 105, 14);
        marcador->setFont(f);
        marcador->setFocusPolicy(Qt::NoFocus);
        marcador->hide();
        // Markers only show which group is in focus, in its colour: they take
        // no touch. (Disabling them would grey out that colour.)
        marcador->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    for (int n = 1; n <= NRBUTTONSGRUP; ++n) {
        auto* b = new TTouchButton(this);
        b->setObjectName(QStringLiteral("tcbGrupo") + doisDigitos(n));
        b->setGeometry(colunas[(n - 1) % 4], linhas[(n - 1) / 4], 105, 47);
        b->setFont(f);
        b->setFocusPolicy(Qt::NoFocus);
        conecta(b, &TfrmConfGrupo::tcbGrupo01Click);
    }
}

void TfrmConfGrupo::criaBotoesProduto() {
    const int colunas[] = {0, 76, 152, 228, 304, 380};
    const int linhas[] = {1, 55, 108, 161, 214, 266};
    const QFont f = fonte(QStringLiteral("Tahoma"), 13, true);
    for (int n = 1; n <= NRBUTTONSPROD; ++n) {
        auto* b = new TTouchButton(panBalcao);
        b->setObjectName(QStringLiteral("tcbBalcao") + doisDigitos(n));
        b->setGeometry(colunas[(n - 1) % 6], linhas[(n - 1) / 6], 75, 53);
        b->setFont(f);
        b->setFocusPolicy(Qt::NoFocus);
        conecta(b, &TfrmConfGrupo::tcbBalcao01Click);
    }
}

void TfrmConfGrupo::criaDataSets() {
    const auto texto = [](const char* nome, int largura) {
        return FieldDef{QString::fromLatin1(nome), FieldKind::Text, largura};
    };
    const auto real = [](const char* nome) { return FieldDef{QString::fromLatin1(nome), FieldKind::Float, 0}; };

    cdsPesqGrupo.addFieldDef(texto("NRBUTTON", 5));
    cdsPesqGrupo.addFieldDef(texto("DSBUTTON", 50));
    cdsPesqGrupo.addFieldDef(real("NRCOLORTEXT"));
    cdsPesqGrupo.addFieldDef(real("NRCOLORBACK"));
    cdsPesqGrupo.addFieldDef(texto("DSMESSAGEBUT", 100));
    cdsPesqGrupo.addFieldDef(texto("DSIMAGEMBUT", 200));
    cdsPesqGrupo.addFieldDef(texto("IDTPBUTTON", 1));
    cdsPesqGrupo.addFieldDef(texto("NRPGCONFTELA", 2));
    cdsPesqGrupo.addIndex(QStringLiteral("Index1"), QStringLiteral("NRBUTTON"));

    cdsPesqProdGrupo.addFieldDef(texto("NRBUTTON", 5));
    cdsPesqProdGrupo.addFieldDef(texto("DSBUTTON", 50));
    cdsPesqProdGrupo.addFieldDef(real("NRCOLORTEXT"));
    cdsPesqProdGrupo.addFieldDef(real("NRCOLORBACK"));
    cdsPesqProdGrupo.addFieldDef(texto("NRPGCONFTAUX", 2));
    cdsPesqProdGrupo.addFieldDef(texto("IDTPBUTTON", 1));
    cdsPesqProdGrupo.addFieldDef(texto("DSIMAGEMBUT", 200));
    cdsPesqProdGrupo.addFieldDef(texto("NRPGCONFTELA", 2));

    cdsPesqProduto.addFieldDef(texto("CDPRODUTO", 10), false);
    cdsPesqProduto.addFieldDef(texto("CDARVPROD", 20), true, QStringLiteral("Código"));
    cdsPesqProduto.addFieldDef(texto("NMPRODUTO", 50), true, QStringLiteral("Nome"));
    cdsPesqProduto.addFieldDef(texto("CDBARPRODUTO", 30), false);
    cdsPesqProduto.addIndex(QStringLiteral("Index1"), QStringLiteral("CDARVPROD"));

    const char* const campos[] = {"NRBUTTON",     "IDTPBUTTON",   "IDTPBUTONAUX",
                                  "NRPGCONFTELA", "NRPGCONFTAUX", "NRBUTONAUX"};
    const int larguras[] = {2, 1, 1, 2, 2, 2};
    for (int i = 0; i < 6; ++i) {
        cdsAlteracoes.addFieldDef(texto(campos[i], larguras[i]));
        cdsRecortar.addFieldDef(texto(campos[i], larguras[i]));
    }
    cdsAlteracoes.addFieldDef(texto("NRCOLOR", 50));
}

void TfrmConfGrupo::conecta(QAbstractButton* button, void (TfrmConfGrupo::*handler)(QObject*)) {
    connect(button, &QAbstractButton::clicked, this, [this, button, handler] {
        // One touch at a time: a touch queued while another is handled (its
        // pending events are processed before it writes) would act on a state
        // the first has not finished with.
        if (m_emToque)
            return;
        m_emToque = true;
        HandleEvent([&] { (this->*handler)(button); });
        m_emToque = false;
    });
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
    return QDir(parameterDir()).filePath(kParametros);
}

void TfrmConfGrupo::InicializaForm(const QVariantList& arParams) {
    Q_UNUSED(arParams);
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("Tecle")));
    if (!rdmConfGrupo)
        rdmConfGrupo = std::make_unique<TrdmConfGrupo>();
    rdmConfGrupo->adcConfGrupo.setConnected(true);

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
    const auto falha = [&caminho](const QString& problema) {
        return std::runtime_error(
            QStringLiteral("Parameter file \"%1\": %2").arg(QDir::toNativeSeparators(caminho), problema).toStdString());
    };
    if (!info.isFile() || !info.isReadable())
        throw falha(QStringLiteral("the file cannot be read."));
    try {
        cdsParametrosKmr.close();
        cdsParametrosKmr.loadFromFile(caminho);
    } catch (const std::exception& e) {
        throw falha(QStringLiteral("the file is not a valid parameter file (%1).").arg(exceptionText(e)));
    }
    if (cdsParametrosKmr.isEmpty())
        throw falha(QStringLiteral("the file holds no record."));
    cdsParametrosKmr.first();
    std::array<int, 6> cores{};
    for (int i = 0; i < 6; ++i) {
        const QString campo = QStringLiteral("INCOR%1").arg(i + 1);
        if (cdsParametrosKmr.fieldIndex(campo) < 0)
            throw falha(QStringLiteral("the field %1 is missing.").arg(campo));
        const QVariant valor = cdsParametrosKmr.fieldValue(campo);
        bool ok = !valor.isNull();
        const double numero = ok ? valor.toDouble(&ok) : 0.0;
        if (!ok || std::floor(numero) != numero || numero < std::numeric_limits<int>::min() ||
            numero > std::numeric_limits<int>::max())
            throw falha(QStringLiteral("the field %1 does not hold a whole number.").arg(campo));
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

// -------------------------------------------------------------------- keys

bool TfrmConfGrupo::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress)
        return teclaPreview(watched, static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

// Every key the screen knows is handled here and goes no further, so the
// dialog's own Esc and Enter handling never acts.
bool TfrmConfGrupo::teclaPreview(QObject* watched, QKeyEvent* event) {
    quint16 key = codigoVirtual(event->key());
    if (key == 0)
        return false;
    const TShiftState shift{event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier),
                            QGuiApplication::mouseButtons()};
    HandleEvent([&] { FormKeyDown(watched, key, shift); });
    return true;
}

void TfrmConfGrupo::keyPressEvent(QKeyEvent* event) {
    event->ignore();
}

void TfrmConfGrupo::FormKeyDown(QObject* Sender, quint16& Key, TShiftState Shift) {
    Q_UNUSED(Sender);
    if (Key == 13 && Shift.exactly(Qt::ControlModifier) && tcbConfirma->isEnabled())
        tcbConfirmaClick(tcbConfirma);
    if (Key == 113 && tcbCancela->isEnabled())
        tcbCancelaClick(tcbCancela);
    if (Key == 114 && tcbLimpar->isEnabled())
        tcbLimparClick(tcbLimpar);
    if (Key == 115 && tcbCorTexto->isEnabled())
        tcbCorTextoClick(tcbCorTexto);
    if (Key == 116 && tcbNome->isEnabled())
        tcbNomeClick(tcbNome);
    if (Key == 117 && tcbRecortar->isEnabled())
        tcbRecortarClick(tcbRecortar);
    if (Key == 118 && tcbCorButton->isEnabled())
        tcbCorButtonClick(tcbCorButton);
    if (Key == 27)
        tcbSairClick(tcbSair);
    if (Key == 46 && Shift.exactly(Qt::ControlModifier))
        Key = 0;
    if (Key == 115 && Shift.exactly(Qt::AltModifier))
        Key = 0;
}

// -------------------------------------------------------------- group page

void TfrmConfGrupo::MontaMenuGrupo() {
    const QString pagina = QString::number(NrPgGrupo);
    const QString key = chave({stCdFilial, stNrConf, pagina});
    QVariant resultado;
    const int32_t status = getPesqGrupo(stCdFilial, stNrConf, pagina, resultado);
    const QVariant pacote = retorno(QStringLiteral("getPesqGrupo"), status, resultado, key);
    cdsPesqGrupo.setData(pacote);
    cdsPesqGrupo.setIndexName(QStringLiteral("Index1"));
    LimpaMenuGrupo();
    if (cdsPesqGrupo.isEmpty())
        return;
    for (cdsPesqGrupo.first(); !cdsPesqGrupo.eof(); cdsPesqGrupo.next()) {
        const QString numero = cdsPesqGrupo.fieldText(u"NRBUTTON");
        const QString tipo = cdsPesqGrupo.fieldText(u"IDTPBUTTON");
        const int fundo = static_cast<int>(cdsPesqGrupo.fieldInteger(u"NRCOLORBACK"));
        if (TTouchButton* b = botao(QStringLiteral("tcbGrupo") + numero)) {
            b->clearGlyph();
            if (tipo != QLatin1String("7") && tipo != QLatin1String("8")) {
                b->setFontColor(static_cast<int>(cdsPesqGrupo.fieldInteger(u"NRCOLORTEXT")));
                b->setCaption(cdsPesqGrupo.fieldText(u"DSBUTTON"));
            } else {
                // A navigator shows its arrow, so the operator sees it is there,
                // and nothing of an earlier row on the same button.
                b->setCaption(QString());
                b->setFontColor(0);
                b->setGlyph(KmrPictures::setaNavegador(tipo == QLatin1String("7")));
            }
            b->SetColor(fundo);
        }
        if (TTouchButton* marcador = botao(QStringLiteral("panGrup") + numero))
            marcador->SetColor(fundo);
    }
}

void TfrmConfGrupo::LimpaMenuGrupo() {
    for (int n = 1; n <= NRBUTTONSGRUP; ++n) {
        if (TTouchButton* b = botao(QStringLiteral("tcbGrupo") + doisDigitos(n))) {
            b->setCaption(QString());
            b->SetColor(kCorBranco);
            b->setFontColor(0);
            b->clearGlyph();
        }
    }
}

void TfrmConfGrupo::ControlaFocus() {
    for (int n = 1; n <= NRBUTTONSGRUP; ++n) {
        if (stNrFocusGrupo != doisDigitos(n))
            continue;
        for (int m = 1; m <= NRBUTTONSGRUP; ++m) {
            if (QWidget* marcador = FindComponent(QStringLiteral("panGrup") + doisDigitos(m)))
                marcador->setVisible(m == n);
        }
        return;
    }
}

// ------------------------------------------------------------ product page

void TfrmConfGrupo::MontaMenuProduto() {
    const auto reporta = [](const QString& texto) {
        Mensagem(texto, QString(), QStringLiteral("N"), QStringLiteral("N"), 3, QString(), QString(), 0, nullptr);
    };
    try {
        cdsPesqProdGrupo.emptyDataSet();
        const QString pagina = QString::number(NrPagina);
        const QString paginaGrupo = QString::number(NrPgGrupo);
        const QString key = chave({stCdFilial, stNrConf, pagina, stNrFocusGrupo, paginaGrupo});
        QVariant resultado;
        const int32_t status = getPesqProdGrupo(stCdFilial, stNrConf, pagina, stNrFocusGrupo, paginaGrupo, resultado);
        cdsPesqProdGrupo.setData(retorno(QStringLiteral("getPesqProdGrupo"), status, resultado, key));
        LimpaMenuProduto();
        if (cdsPesqProdGrupo.isEmpty())
            return;
        for (cdsPesqProdGrupo.first(); !cdsPesqProdGrupo.eof(); cdsPesqProdGrupo.next()) {
            TTouchButton* b = botao(QStringLiteral("tcbBalcao") + cdsPesqProdGrupo.fieldText(u"NRBUTTON"));
            if (!b)
                continue;
            b->clearGlyph();
            b->setFontColor(static_cast<int>(cdsPesqProdGrupo.fieldInteger(u"NRCOLORTEXT")));
            b->setCaption(cdsPesqProdGrupo.fieldText(u"DSBUTTON"));
            b->SetColor(static_cast<int>(cdsPesqProdGrupo.fieldInteger(u"NRCOLORBACK")));
        }
    } catch (const SilentAbort&) {
        // The failure text has been shown already.
    } catch (const std::exception& e) {
        reporta(exceptionText(e));
    }
}

void TfrmConfGrupo::LimpaMenuProduto() {
    try {
        for (int n = 1; n <= NRBUTTONSPROD; ++n) {
            if (TTouchButton* b = botao(QStringLiteral("tcbBalcao") + doisDigitos(n))) {
                b->setCaption(QString());
                b->SetColor(kCorBranco);
                b->setFontColor(0);
                b->clearGlyph();
            }
        }
    } catch (const std::exception& e) {
        Mensagem(exceptionText(e), QString(), QStringLiteral("N"), QStringLiteral("N"), 3, QString(), QString(), 0,
                 nullptr);
    }
}

// -------------------------------------------------------------- edit modes

void TfrmConfGrupo::MudaCursor(const QString& sttipo) {
    const QCursor cursor(sttipo == QLatin1String("0") ? Qt::ArrowCursor : Qt::PointingHandCursor);
    for (int n = 1; n <= NRBUTTONSGRUP; ++n) {
        if (QWidget* b = FindComponent(QStringLiteral("tcbGrupo") + doisDigitos(n)))
            b->setCursor(cursor);
    }
    for (int n = 1; n <= NRBUTTONSPROD; ++n) {
        if (QWidget* b = FindComponent(QStringLiteral("tcbBalcao") + doisDigitos(n)))
            b->setCursor(cursor);
    }
}

void TfrmConfGrupo::ControlaHabilitacao(const QString& stFuncao) {
    const bool ferramentas = stFuncao == QLatin1String("H");
    const bool confirma = stFuncao == QLatin1String("D");
    const bool cancela = stFuncao != QLatin1String("H");
    tcbLimpar->setEnabled(ferramentas);
    tcbNome->setEnabled(ferramentas);
    tcbCorButton->setEnabled(ferramentas);
    tcbCorTexto->setEnabled(ferramentas);
    tcbRecortar->setEnabled(ferramentas);
    tcbConfirma->setEnabled(confirma);
    tcbCancela->setEnabled(cancela);
}

void TfrmConfGrupo::tcbLimparClick(QObject* Sender) {
    Q_UNUSED(Sender);
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("Limpar")));
    ControlaHabilitacao(QStringLiteral("D"));
    boExcluir = true;
    boMudaCor = false;
    boMudaFonte = false;
    boMudaNome = false;
    boRecortar = false;
    MudaCursor(QStringLiteral("1"));
}

void TfrmConfGrupo::tcbCorButtonClick(QObject* Sender) {
    Q_UNUSED(Sender);
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("CorBotao")));
    if (boExcluir) {
        MontaMenuGrupo();
        MontaMenuProduto();
    }
    ControlaHabilitacao(QStringLiteral("D"));
    boMudaCor = true;
    boMudaNome = false;
    boMudaFonte = false;
    boExcluir = false;
    boRecortar = false;
    escolheCor(CorButton);
    if (CorButton == QLatin1String("X"))
        boMudaCor = false;
}

void TfrmConfGrupo::tcbCorTextoClick(QObject* Sender) {
    Q_UNUSED(Sender);
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("CorTexto")));
    if (boExcluir) {
        MontaMenuGrupo();
        MontaMenuProduto();
    }
    ControlaHabilitacao(QStringLiteral("D"));
    boMudaFonte = true;
    boMudaNome = false;
    boMudaCor = false;
    boExcluir = false;
    boRecortar = false;
    escolheCor(CorFonte);
    if (CorFonte == QLatin1String("X"))
        boMudaFonte = false;
}

// Opens the colour screen and keeps its choice in cor. Leaving it without a
// choice ("X") returns the tools; a text that is no colour stops here with
// the swatch shown and the mode on, so that the operator confirms or cancels.
void TfrmConfGrupo::escolheCor(QString& cor) {
    oleRetorno = QVariant(QVariantList(10));
    CriaTelaKmr00006(QVariantList{QString()}, oleRetorno);
    cor = oleRetorno.toList().value(0).toString();
    if (cor == QLatin1String("X")) {
        ControlaHabilitacao(QStringLiteral("H"));
        return;
    }
    MudaCursor(QStringLiteral("1"));
    shpMostraCor->setVisible(true);
    shpMostraCor->setFillColor(colorFromTColor(corInteira(cor)));
}

void TfrmConfGrupo::tcbNomeClick(QObject* Sender) {
    Q_UNUSED(Sender);
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("Nome")));
    if (boExcluir) {
        MontaMenuGrupo();
        MontaMenuProduto();
    }
    ControlaHabilitacao(QStringLiteral("D1"));
    boMudaNome = true;
    boMudaCor = false;
    boMudaFonte = false;
    boExcluir = false;
    boRecortar = false;
}

void TfrmConfGrupo::tcbRecortarClick(QObject* Sender) {
    Q_UNUSED(Sender);
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("RecortaBotao")));
    if (boExcluir) {
        MontaMenuGrupo();
        MontaMenuProduto();
    }
    ControlaHabilitacao(QStringLiteral("C"));
    MudaCursor(QStringLiteral("1"));
    boRecortar = true;
    boMudaCor = false;
    boMudaNome = false;
    boMudaFonte = false;
    boExcluir = false;
    boColar = false;
    boColarCtrl = false;
}
