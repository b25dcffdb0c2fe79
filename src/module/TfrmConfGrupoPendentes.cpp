// What is waiting to be written, as the operator sees it: the count on the
// confirm button, the line that asks for confirmation, the marks on the
// buttons and the question before leaving without confirming.

#include "TfrmConfGrupo.h"

#include "KmrTela.h"
#include "TfrmConfGrupoComum.h"

#include <HostUi.h>
#include <TBlendedBitBtn.h>
#include <TTouchButton.h>

#include <QLabel>
#include <QSet>

using namespace KmrTela;

void TfrmConfGrupo::criaAvisoPendentes() {
    // Between the group page and the instruction line, which keeps its own text.
    lblPendentes = rotuloAzul(this, QStringLiteral("lblPendentes"), fonte(QStringLiteral("MS Sans Serif"), 11, true),
                              QRect(252, 221, 448, 16));
    lblPendentes->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
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
    if (boColarCtrl())
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
    return MensagemPergunta(pergunta);
}
