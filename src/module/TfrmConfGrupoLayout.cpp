// Controls of the configuration screen, their geometry and the client datasets.

#include "TfrmConfGrupo.h"

#include "Cli_Kmr00003.h"
#include "KmrPictures.h"
#include "KmrTela.h"
#include "TfrmConfGrupoComum.h"

#include <HostUi.h>
#include <TBlendedBitBtn.h>
#include <TBlendedShape.h>
#include <TColor.h>
#include <TTouchButton.h>

#include <QFrame>
#include <QLabel>

using namespace KmrTela;

// -------------------------------------------------------------- controls

void TfrmConfGrupo::criaControles() {
    blsBorda = filho<TBlendedShape>(this, QStringLiteral("blsBorda"), QRect(0, 0, 800, 600));
    blsBorda->setFillColor(QColor(191, 205, 219)); // inactive-caption colour
    blsFundo = filho<TBlendedShape>(this, QStringLiteral("blsFundo"), QRect(5, 5, 789, 590));
    blsBotoes = filho<TBlendedShape>(this, QStringLiteral("blsBotoes"), QRect(10, 9, 230, 582));
    blsBotoes->setFillColor(QColor(128, 128, 128));

    Bevel2 = filho<QFrame>(this, QStringLiteral("Bevel2"), QRect(246, 7, 459, 26));
    Bevel2->setFrameStyle(QFrame::Box | QFrame::Sunken);

    lblSistema = new QLabel(this);
    lblSistema->setObjectName(QStringLiteral("lblSistema"));
    lblSistema->setFont(fonte(QStringLiteral("Tahoma"), 15, true));
    pintaTexto(lblSistema, kAzulMarinho);
    lblSistema->move(36, 5);

    lblMenu =
        rotuloAzul(this, QStringLiteral("lblMenu"), fonte(QStringLiteral("Tahoma"), 15, true), QRect(252, 12, 450, 18));

    Bevel3 = filho<QFrame>(this, QStringLiteral("Bevel3"), QRect(246, 33, 459, 557));
    Bevel3->setFrameStyle(QFrame::Box | QFrame::Sunken);

    lblMensagem = rotuloAzul(this, QStringLiteral("lblMensagem"), fonte(QStringLiteral("MS Sans Serif"), 11, false),
                             QRect(252, 238, 448, 30));
    // Wrapped inside the frame of the grids, where the face is wider than the original.
    lblMensagem->setWordWrap(true);
    lblMensagem->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    shpMostraCor = filho<TBlendedShape>(this, QStringLiteral("shpMostraCor"), QRect(710, 522, 75, 45));
    shpMostraCor->setRadius(0);
    shpMostraCor->setFillColor(Qt::white);
    shpMostraCor->hide();

    criaFerramentas();
    criaDesfazer();

    lblCodTela = rotuloAzul(this, QStringLiteral("lblCodTela"), fonte(QStringLiteral("MS Sans Serif"), 11, false),
                            QRect(20, 574, 215, 14));
    lblCodTela->setText(QStringLiteral("Kmr00003"));

    panBalcao = filho<QWidget>(this, QStringLiteral("panBalcao"), QRect(248, 271, 455, 319));

    criaBotoesGrupo();
    criaBotoesProduto();
    criaControlesPagina();
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
        {&tcbImagem, "tcbImagem", 127, 221, QStringLiteral("F8-Imagem"), &TfrmConfGrupo::tcbImagemClick},
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

namespace {

// A button of the group grid or the product grid, in the grids' face.
TTouchButton* botaoDaGrade(QWidget* pai, const QString& nome, const QRect& geometria) {
    auto* b = filho<TTouchButton>(pai, nome, geometria);
    b->setFont(fonte(QStringLiteral("Tahoma"), 13, true));
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

void TfrmConfGrupo::criaBotoesGrupo() {
    const int colunas[] = {247, 363, 479, 596};
    const int linhas[] = {48, 110, 173};
    const int marcadores[] = {34, 96, 158};
    for (int n = 1; n <= NRBUTTONSGRUP; ++n) {
        const int x = colunas[(n - 1) % 4];
        const int linha = (n - 1) / 4;
        TTouchButton* marcador =
            botaoDaGrade(this, QStringLiteral("panGrup") + doisDigitos(n), QRect(x, marcadores[linha], 105, 14));
        marcador->hide();
        // Markers only show which group is in focus, in its colour: they take
        // no touch. (Disabling them would grey out that colour.)
        marcador->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    for (int n = 1; n <= NRBUTTONSGRUP; ++n) {
        const QRect geometria(colunas[(n - 1) % 4], linhas[(n - 1) / 4], 105, 47);
        conecta(botaoDaGrade(this, QStringLiteral("tcbGrupo") + doisDigitos(n), geometria),
                &TfrmConfGrupo::tcbGrupo01Click);
    }
}

void TfrmConfGrupo::criaBotoesProduto() {
    const int colunas[] = {0, 76, 152, 228, 304, 380};
    const int linhas[] = {1, 55, 108, 161, 214, 266};
    for (int n = 1; n <= NRBUTTONSPROD; ++n) {
        const QRect geometria(colunas[(n - 1) % 6], linhas[(n - 1) / 6], 75, 53);
        conecta(botaoDaGrade(panBalcao, QStringLiteral("tcbBalcao") + doisDigitos(n), geometria),
                &TfrmConfGrupo::tcbBalcao01Click);
    }
}

// The column right of the grids: the branch and configuration edited, and for
// each grid the page shown between the arrows that turn it.
void TfrmConfGrupo::criaControlesPagina() {
    lblConfiguracao = rotuloAzul(this, QStringLiteral("lblConfiguracao"), fonte(QStringLiteral("Tahoma"), 11, true),
                                 QRect(708, 7, 82, 26));
    lblConfiguracao->setAlignment(Qt::AlignCenter);

    struct Seta {
        TTouchButton** membro;
        const char* nome;
        int y;
        bool proxima;
    };
    const Seta setas[] = {
        {&tcbPgGrupoAnt, "tcbPgGrupoAnt", 48, false},
        {&tcbPgGrupoProx, "tcbPgGrupoProx", 166, true},
        {&tcbPgProdAnt, "tcbPgProdAnt", 272, false},
        {&tcbPgProdProx, "tcbPgProdProx", 390, true},
    };
    for (const Seta& s : setas) {
        auto* b = new TTouchButton(this);
        b->setObjectName(QString::fromLatin1(s.nome));
        b->setGeometry(711, s.y, 78, 54);
        b->setGlyph(KmrPictures::setaNavegador(s.proxima));
        b->setFocusPolicy(Qt::NoFocus);
        *s.membro = b;
        conecta(b, &TfrmConfGrupo::tcbPaginaClick);
    }
    const auto rotulo = [this](const char* nome, int y) {
        QLabel* l = rotuloAzul(this, QString::fromLatin1(nome), fonte(QStringLiteral("Tahoma"), 12, true),
                               QRect(708, y, 82, 56));
        l->setAlignment(Qt::AlignCenter);
        return l;
    };
    lblPgGrupo = rotulo("lblPgGrupo", 106);
    lblPgProduto = rotulo("lblPgProduto", 330);
}

void TfrmConfGrupo::criaDataSets() {
    const auto texto = [](const char* nome, int largura) {
        return FieldDef{QString::fromLatin1(nome), FieldKind::Text, largura};
    };
    const auto real = [](const char* nome) { return FieldDef{QString::fromLatin1(nome), FieldKind::Float, 0}; };

    // Both pages begin with the button, its caption and its two colours.
    for (ClientDataSet* pagina : {&cdsPesqGrupo, &cdsPesqProdGrupo}) {
        pagina->addFieldDef(texto("NRBUTTON", 5));
        pagina->addFieldDef(texto("DSBUTTON", 50));
        pagina->addFieldDef(real("NRCOLORTEXT"));
        pagina->addFieldDef(real("NRCOLORBACK"));
    }
    cdsPesqGrupo.addFieldDef(texto("DSMESSAGEBUT", 100));
    cdsPesqGrupo.addFieldDef(texto("DSIMAGEMBUT", 200));
    cdsPesqGrupo.addFieldDef(texto("IDTPBUTTON", 1));
    cdsPesqGrupo.addFieldDef(texto("NRPGCONFTELA", 2));
    cdsPesqGrupo.addIndex(QStringLiteral("Index1"), QStringLiteral("NRBUTTON"));

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
    // The picture a row of the picture tool sets (empty: none).
    cdsAlteracoes.addFieldDef(texto("DSIMAGEMBUT", 200));
}

void TfrmConfGrupo::conecta(QAbstractButton* button, void (TfrmConfGrupo::*handler)(QObject*)) {
    connect(button, &QAbstractButton::clicked, this, [this, button, handler] {
        // One touch at a time: a touch that arrives while another is handled
        // (a modal screen it opens runs the event loop) would act on a state
        // the first has not finished with.
        if (m_emToque)
            return;
        m_emToque = true;
        HandleEvent([&] { (this->*handler)(button); });
        mostraPendentes();
        m_emToque = false;
        mostraPaginas(); // the page arrows follow the mode the touch left
    });
}
