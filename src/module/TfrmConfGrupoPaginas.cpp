// Drawing the group page and the product page of the group in focus.

#include "TfrmConfGrupo.h"

#include "Cli_Kmr00003.h"
#include "KmrPictures.h"
#include "KmrTela.h"
#include "Srv_Kmr00003.h"
#include "TfrmConfGrupoComum.h"

#include <HostErrors.h>
#include <HostUi.h>
#include <KmrImagens.h>
#include <TTouchButton.h>

#include <QLabel>

#include <algorithm>
#include <stdexcept>

using namespace KmrTela;

// -------------------------------------------------------------- group page

void TfrmConfGrupo::MontaMenuGrupo() {
    tiraRetrato(true);
    atualizaDesfazer();
    const QString pagina = QString::number(NrPgGrupo);
    const QString key = chave({stCdFilial, stNrConf, pagina});
    QVariant resultado;
    const int32_t status = getPesqGrupo(stCdFilial, stNrConf, pagina, resultado);
    const QVariant pacote = retorno(QStringLiteral("getPesqGrupo"), status, resultado, key);
    cdsPesqGrupo.setData(pacote);
    cdsPesqGrupo.setIndexName(QStringLiteral("Index1"));
    LimpaMenuGrupo();
    mostraPaginas();
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
                b->setPicture(caminhoImagem(cdsPesqGrupo.fieldText(u"DSIMAGEMBUT")));
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
            mostraVazio(b);
            b->setPendingMark(TTouchButton::PendingMark::None);
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
            // Besides the marker, a frame that shows at arm's length on any colour.
            if (TTouchButton* b = botao(QStringLiteral("tcbGrupo") + doisDigitos(m)))
                b->setFocusFrame(m == n);
        }
        return;
    }
}

// ------------------------------------------------------------ product page

void TfrmConfGrupo::MontaMenuProduto() {
    try {
        tiraRetrato(false);
        cdsPesqProdGrupo.emptyDataSet();
        const QString pagina = QString::number(NrPagina);
        const QString paginaGrupo = QString::number(NrPgGrupo);
        const QString key = chave({stCdFilial, stNrConf, pagina, stNrFocusGrupo, paginaGrupo});
        QVariant resultado;
        const int32_t status = getPesqProdGrupo(stCdFilial, stNrConf, pagina, stNrFocusGrupo, paginaGrupo, resultado);
        cdsPesqProdGrupo.setData(retorno(QStringLiteral("getPesqProdGrupo"), status, resultado, key));
        LimpaMenuProduto();
        mostraPaginas();
        if (cdsPesqProdGrupo.isEmpty())
            return;
        for (cdsPesqProdGrupo.first(); !cdsPesqProdGrupo.eof(); cdsPesqProdGrupo.next()) {
            TTouchButton* b = botao(QStringLiteral("tcbBalcao") + cdsPesqProdGrupo.fieldText(u"NRBUTTON"));
            if (!b)
                continue;
            b->clearGlyph();
            b->setFontColor(static_cast<int>(cdsPesqProdGrupo.fieldInteger(u"NRCOLORTEXT")));
            b->setCaption(cdsPesqProdGrupo.fieldText(u"DSBUTTON"));
            b->setPicture(caminhoImagem(cdsPesqProdGrupo.fieldText(u"DSIMAGEMBUT")));
            b->SetColor(static_cast<int>(cdsPesqProdGrupo.fieldInteger(u"NRCOLORBACK")));
            mostraNavegadorProduto(b, cdsPesqProdGrupo.fieldText(u"IDTPBUTTON"));
        }
    } catch (const SilentAbort&) {
        // The failure text has been shown already.
    } catch (const std::exception& e) {
        MensagemErro(exceptionText(e));
    }
}

void TfrmConfGrupo::LimpaMenuProduto() {
    try {
        for (int n = 1; n <= NRBUTTONSPROD; ++n) {
            if (TTouchButton* b = botao(QStringLiteral("tcbBalcao") + doisDigitos(n))) {
                mostraVazio(b);
                b->setPendingMark(TTouchButton::PendingMark::None);
            }
        }
    } catch (const std::exception& e) {
        MensagemErro(exceptionText(e));
    }
}

// A product-page navigator shows its arrow, as the group page's do; its
// stored caption is the till's name for it and stays on the button.
void TfrmConfGrupo::mostraNavegadorProduto(TTouchButton* b, const QString& tipo) {
    const bool navegador = navegadorProduto(tipo);
    b->setCaptionHidden(navegador);
    if (navegador)
        b->setGlyph(KmrPictures::setaNavegador(tipo.startsWith(QLatin1Char('9'))));
}

// ------------------------------------------------------------ page changes

bool TfrmConfGrupo::podeMudarPagina() const {
    return !editaBotao();
}

std::optional<int> TfrmConfGrupo::paginaDestino(int atual, int delta) const {
    const int nova = std::clamp(atual + delta, 1, kUltimaPagina);
    if (!podeMudarPagina() || nova == atual)
        return std::nullopt;
    return nova;
}

void TfrmConfGrupo::mudaPaginaGrupo(int delta) {
    const std::optional<int> nova = paginaDestino(NrPgGrupo, delta);
    if (!nova)
        return;
    const int anterior = NrPgGrupo;
    NrPgGrupo = *nova;
    try {
        MontaMenuGrupo();
    } catch (...) {
        // The page could not be read: the screen still shows the one before.
        NrPgGrupo = anterior;
        mostraPaginas();
        throw;
    }
    // A new group page opens on its button 01 and that position's page 1.
    stNrFocusGrupo = QStringLiteral("01");
    ControlaFocus();
    NrPagina = 1;
    MontaMenuProduto();
    reaplicaRecorte();
}

void TfrmConfGrupo::mudaPaginaProduto(int delta) {
    const std::optional<int> nova = paginaDestino(NrPagina, delta);
    if (!nova)
        return;
    NrPagina = *nova;
    MontaMenuProduto();
    reaplicaRecorte();
}

void TfrmConfGrupo::tcbPaginaClick(QObject* Sender) {
    if (Sender == tcbPgGrupoAnt || Sender == tcbPgGrupoProx)
        mudaPaginaGrupo(Sender == tcbPgGrupoProx ? 1 : -1);
    else if (Sender == tcbPgProdAnt || Sender == tcbPgProdProx)
        mudaPaginaProduto(Sender == tcbPgProdProx ? 1 : -1);
}

void TfrmConfGrupo::teclaPagina(quint16& Key, TShiftState Shift) {
    if (Key != kTeclaPageDown && Key != kTeclaPageUp)
        return;
    const int delta = Key == kTeclaPageDown ? 1 : -1;
    if (Shift.exactly(Qt::ControlModifier))
        mudaPaginaProduto(delta);
    else if (Shift.keys == Qt::NoModifier && Shift.mouse == Qt::NoButton)
        mudaPaginaGrupo(delta);
    Key = 0;
}

bool TfrmConfGrupo::tocaNavegadorGrupo(TTouchButton* b, const QString& stCodigo) {
    if (!podeMudarPagina() || b->glyphEmpty() || !cdsPesqGrupo.active())
        return false;
    if (!cdsPesqGrupo.locate(QStringLiteral("NRBUTTON;NRPGCONFTELA"), {stCodigo, QString::number(NrPgGrupo)},
                             LocateOptions{true, false}))
        return false;
    return viraPorNavegador(cdsPesqGrupo.fieldText(u"IDTPBUTTON"), QStringLiteral("7"), QStringLiteral("8"),
                            &TfrmConfGrupo::mudaPaginaGrupo);
}

bool TfrmConfGrupo::tocaNavegadorProduto(TTouchButton* b) {
    // The touched button's row has just been located (m_achouProduto).
    if (!podeMudarPagina() || b->glyphEmpty() || !m_achouProduto)
        return false;
    return viraPorNavegador(cdsPesqProdGrupo.fieldText(u"IDTPBUTTON"), QStringLiteral("9"), QStringLiteral("A"),
                            &TfrmConfGrupo::mudaPaginaProduto);
}

bool TfrmConfGrupo::viraPorNavegador(const QString& tipo, const QString& proxima, const QString& anterior,
                                     void (TfrmConfGrupo::*muda)(int)) {
    if (tipo != proxima && tipo != anterior)
        return false;
    (this->*muda)(tipo == proxima ? 1 : -1);
    return true;
}

// --------------------------------------------- navigators from the search list

namespace {
// Product codes are at most 10 characters, so these never name a product.
const QString kCodigoNavProx = QStringLiteral("<navegador+>");
const QString kCodigoNavAnt = QStringLiteral("<navegador->");
const QString kTextoNavProx = QStringLiteral("→ Navegador: próxima página");
const QString kTextoNavAnt = QStringLiteral("← Navegador: página anterior");
} // namespace

void TfrmConfGrupo::ofereceNavegadores() {
    // An empty code sorts them before every product of the list.
    const std::pair<const QString*, const QString*> linhas[] = {{&kCodigoNavProx, &kTextoNavProx},
                                                                {&kCodigoNavAnt, &kTextoNavAnt}};
    for (const auto& [codigo, texto] : linhas) {
        cdsPesqProduto.append();
        cdsPesqProduto.setFieldValue(u"CDPRODUTO", *codigo);
        cdsPesqProduto.setFieldValue(u"CDARVPROD", QString());
        cdsPesqProduto.setFieldValue(u"NMPRODUTO", *texto);
        cdsPesqProduto.setFieldValue(u"CDBARPRODUTO", QString());
        cdsPesqProduto.post();
    }
    cdsPesqProduto.first();
}

QString TfrmConfGrupo::navegadorEscolhido() const {
    const QString codigo = cdsPesqProduto.fieldText(u"CDPRODUTO");
    const QString texto = cdsPesqProduto.fieldText(u"NMPRODUTO");
    if (codigo == kCodigoNavProx && texto == kTextoNavProx)
        return QStringLiteral("9");
    if (codigo == kCodigoNavAnt && texto == kTextoNavAnt)
        return QStringLiteral("A");
    return QString();
}

// ------------------------------------------------- page names and marks

void TfrmConfGrupo::mostraPaginas() {
    if (lblPgGrupo)
        lblPgGrupo->setText(QStringLiteral("Grupos:\npágina %1").arg(NrPgGrupo));
    if (lblPgProduto)
        lblPgProduto->setText(QStringLiteral("Produtos:\npágina %1").arg(NrPagina));
    const bool pode = podeMudarPagina();
    if (tcbPgGrupoAnt) {
        tcbPgGrupoAnt->setEnabled(pode && NrPgGrupo > 1);
        tcbPgGrupoProx->setEnabled(pode && NrPgGrupo < kUltimaPagina);
        tcbPgProdAnt->setEnabled(pode && NrPagina > 1);
        tcbPgProdProx->setEnabled(pode && NrPagina < kUltimaPagina);
    }
}

// A page drawn again while a paste is pending shows the store; the cut button
// is blanked again and a placed paste shown again where they lie on it.
void TfrmConfGrupo::reaplicaRecorte() {
    if (!boColar() || cdsRecortar.isEmpty())
        return;
    // The position fields of the current row of either set (the cut set has no colour).
    const auto linha = [](const ClientDataSet& set) {
        return LinhaAlteracao{set.fieldText(u"IDTPBUTTON"),
                              set.fieldText(u"NRBUTTON"),
                              set.fieldText(u"NRPGCONFTELA"),
                              set.fieldText(u"IDTPBUTONAUX"),
                              set.fieldText(u"NRBUTONAUX"),
                              set.fieldText(u"NRPGCONFTAUX"),
                              QString()};
    };
    const auto naPagina = [this](const LinhaAlteracao& l) -> TTouchButton* {
        if (inCtrlColar == 1 && l.pagina == QString::number(NrPgGrupo))
            return botao(QStringLiteral("tcbGrupo") + l.numero);
        if (inCtrlColar == 2 && l.pagina == QString::number(NrPagina) && l.numeroAux == stNrFocusGrupo &&
            l.paginaAux == QString::number(NrPgGrupo))
            return botao(QStringLiteral("tcbBalcao") + l.numero);
        return nullptr;
    };
    cdsRecortar.first();
    if (TTouchButton* b = naPagina(linha(cdsRecortar))) {
        mostraVazio(b);
        // Still marked as cut, its caption faint, as when it was cut (a
        // navigator shows no caption).
        const QString tipoRecortado = cdsRecortar.fieldText(u"IDTPBUTTON");
        b->setPendingMark(TTouchButton::PendingMark::Cut,
                          navegadorGrupo(tipoRecortado) || navegadorProduto(tipoRecortado) ? QString() : stDescricao);
        if (inCtrlColar == 1 && linha(cdsRecortar).numero == stNrFocusGrupo)
            LimpaMenuProduto(); // the cut group's products are away with it
    }
    if (!boColarCtrl() || cdsAlteracoes.isEmpty())
        return;
    cdsAlteracoes.last();
    const LinhaAlteracao alvo = linha(cdsAlteracoes);
    if (TTouchButton* b = naPagina(alvo)) {
        const QString tipo = cdsRecortar.fieldText(u"IDTPBUTTON");
        if (navegadorGrupo(tipo)) {
            b->setGlyph(KmrPictures::setaNavegador(tipo.startsWith(QLatin1Char('7'))));
        } else {
            b->setCaption(stDescricao);
            b->setPicture(m_imagemRecorte);
        }
        b->SetColor(InColor);
        b->setFontColor(InFontColor);
        mostraNavegadorProduto(b, tipo);
        b->setPendingMark(TTouchButton::PendingMark::Changed);
    }
}

// ------------------------------------------------ branch and configuration

namespace {

struct ParametroTela {
    const char* chave;
    const char* nome; // as the operator knows it
    int largura;
};

// A value of the parameter array: not empty, no blank at either end, no
// control character, and within its column.
QString valida(const ParametroTela& p, const QVariant& valor) {
    const QString texto = valor.toString();
    const QString nome = QString::fromUtf8(p.nome);
    bool controle = false;
    for (const QChar c : texto)
        controle = controle || c.category() == QChar::Other_Control || c.category() == QChar::Other_Format;
    if (texto.trimmed().isEmpty())
        throw std::runtime_error(QStringLiteral("A %1 não foi informada. Informe um código de 1 a %2 caracteres.")
                                     .arg(nome)
                                     .arg(p.largura)
                                     .toStdString());
    if (texto.size() > p.largura || texto.trimmed() != texto || controle)
        throw std::runtime_error(QStringLiteral("A %1 \"%2\" não é válida. Informe um código de 1 a %3 caracteres, "
                                                "sem espaços nas pontas.")
                                     .arg(nome, texto.left(20))
                                     .arg(p.largura)
                                     .toStdString());
    return texto;
}

} // namespace

// The first element of the parameter array that is a map may name the
// branch ("CDFILIAL"), the configuration ("NRCONFTELA") and the store
// ("CDLOJA"); what it leaves out, and every other element, keeps the values
// the screen starts with.
void TfrmConfGrupo::leParametros(const QVariantList& arParams) {
    for (const QVariant& elemento : arParams) {
        if (elemento.typeId() != QMetaType::QVariantMap)
            continue;
        const QVariantMap mapa = elemento.toMap();
        const ParametroTela filial{"CDFILIAL", "filial", 4};
        const ParametroTela conf{"NRCONFTELA", "configuração", 5};
        const ParametroTela loja{"CDLOJA", "loja", 2};
        if (mapa.contains(QLatin1String(filial.chave)))
            stCdFilial = valida(filial, mapa.value(QLatin1String(filial.chave)));
        if (mapa.contains(QLatin1String(conf.chave)))
            stNrConf = valida(conf, mapa.value(QLatin1String(conf.chave)));
        if (mapa.contains(QLatin1String(loja.chave)))
            stLojaConfig = valida(loja, mapa.value(QLatin1String(loja.chave)));
        break;
    }
    lblConfiguracao->setText(QStringLiteral("Filial %1\nConf. %2").arg(stCdFilial, stNrConf));
}
