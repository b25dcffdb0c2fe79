// Drawing the group page and the product page of the group in focus.

#include "TfrmConfGrupo.h"

#include "Cli_Kmr00003.h"
#include "KmrPictures.h"
#include "KmrTela.h"
#include "Srv_Kmr00003.h"
#include "TfrmConfGrupoComum.h"
#include "TrdmConfGrupo.h"

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

#include <cmath>
#include <limits>
#include <stdexcept>

using namespace KmrTela;

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
            mostraNavegadorProduto(b, cdsPesqProdGrupo.fieldText(u"IDTPBUTTON"));
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
                b->setCaptionHidden(false);
                b->setPendingMark(TTouchButton::PendingMark::None);
            }
        }
    } catch (const std::exception& e) {
        Mensagem(exceptionText(e), QString(), QStringLiteral("N"), QStringLiteral("N"), 3, QString(), QString(), 0,
                 nullptr);
    }
}

// -------------------------------------------------------------- edit modes
