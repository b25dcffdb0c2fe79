// A scripted operator for the soak test: opens the configuration screen on
// one configuration and makes random valid actions on it (add, rename,
// colour, clear, cut and paste, confirm, cancel, page changes) until its time
// is up, journalling what the screen shows whenever it must equal the store.
//
//   kmr_soak_operador operate CONFIG SECONDS JOURNAL SEED
//   kmr_soak_operador check CONFIG JOURNAL      (exit 0 when the store agrees)
//
// Journal, one JSON object a line, flushed at once (a SIGKILL loses nothing
// written): "good" with the screen's state when nothing is pending and the
// last write succeeded; "begin" before a write (with the state the write
// should leave, when the screen shows it before writing, as for a
// confirmation); "failed" when the screen reported an error.

#include <ScriptedPresenter.h>

#include <Cli_Kmr00003.h>
#include <ClientDataSet.h>
#include <Srv_Kmr00003.h>
#include <TTouchButton.h>
#include <TfrmConfGrupo.h>
#include <TrdmConfGrupo.h>
#include <Zub00002.h>
#include <Zub00005.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QRandomGenerator>
#include <QTest>
#include <QTextStream>

#include <memory>

namespace {

QString dois(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

class Operador {
public:
    Operador(const QString& config, quint32 seed) : m_config(config), m_random(seed) {
        TecladoAlfaNumerico = [this](int, int, int, int, const OpcoesTeclado&) {
            if (m_somenteLe)
                return QString(); // the checker never names anything
            return QStringLiteral("S%1-%2").arg(m_config.right(2)).arg(++m_nomes);
        };
        CriaTelaKmr00006 = [this](const QVariantList&, QVariant& result, const OpcoesCor&) {
            QVariantList lista = result.toList();
            lista.resize(10);
            static const int paleta[] = {255, 65280, 16711680, 11571344, 14461560, 3970790};
            lista[0] = QString::number(paleta[m_random.bounded(6)]);
            result = lista;
        };
        Pesquisa = [this](ClientDataSet* ds, int, const QString&, int, int, int, int, int, const OpcoesPesquisa&) {
            const int n = ds->recordCount();
            if (n == 0 || m_somenteLe)
                return false;
            ds->setRecNo(m_random.bounded(n));
            return true;
        };
        m_presenter->defaultAnswer = true; // yes to every question
    }
    ~Operador() {
        m_tela.reset();
        frmConfGrupo = nullptr;
        Srv_Kmr00003::fecha();
    }
    Operador(const Operador&) = delete;
    Operador& operator=(const Operador&) = delete;

    // Opens the screen; while the server is down (restarting), tries again
    // each second for a minute, as an operator would.
    void abre() {
        for (int tentativa = 0;; ++tentativa) {
            try {
                m_tela = std::make_unique<TfrmConfGrupo>();
                frmConfGrupo = m_tela.get();
                QVariantMap params{{QStringLiteral("CDFILIAL"), QStringLiteral("9999")},
                                   {QStringLiteral("NRCONFTELA"), m_config}};
                m_tela->InicializaForm({params});
                break;
            } catch (const std::exception&) {
                m_tela.reset();
                frmConfGrupo = nullptr;
                Srv_Kmr00003::fecha();
                if (tentativa >= 60)
                    throw;
                QTest::qWait(1000);
            }
        }
        m_tela->show();
        if (!QTest::qWaitForWindowExposed(m_tela.get()))
            QTextStream(stderr) << "the screen was not shown" << Qt::endl;
    }

    // What the screen shows: pages, every button's caption and colours.
    QJsonObject estado() const {
        QJsonArray botoes;
        for (const char* prefixo : {"tcbGrupo", "tcbBalcao"}) {
            const int n = QByteArray(prefixo) == "tcbGrupo" ? 12 : 36;
            for (int i = 1; i <= n; ++i) {
                const auto* b = m_tela->findChild<TTouchButton*>(QLatin1String(prefixo) + dois(i));
                botoes.append(b ? QStringLiteral("%1|%2|%3").arg(b->caption()).arg(b->color()).arg(b->fontColor())
                                : QStringLiteral("?"));
            }
        }
        const QString pp = m_tela->findChild<QLabel*>(QStringLiteral("lblPgProduto"))->text().section(u' ', -1);
        return {{QStringLiteral("paginaGrupo"), m_tela->groupPage()},
                {QStringLiteral("foco"), m_tela->focusGroup()},
                {QStringLiteral("paginaProduto"), pp.toInt()},
                {QStringLiteral("botoes"), botoes}};
    }

    void operate(int segundos, const QString& journal) {
        m_journal.setFileName(journal);
        m_journal.open(QIODevice::Append | QIODevice::Text);
        abre();
        anota(QStringLiteral("good"), estado());
        QElapsedTimer relogio;
        relogio.start();
        while (relogio.elapsed() < segundos * 1000LL) {
            umaAcao();
            QTest::qWait(100 + int(m_random.bounded(200)));
        }
        anota(QStringLiteral("end"), {});
    }

    // Opens the screen on the pages of the last good state and compares.
    int check(const QString& journal) {
        m_somenteLe = true;
        QFile f(journal);
        if (!f.open(QIODevice::ReadOnly))
            return 2;
        QList<QJsonObject> eventos;
        for (const QByteArray& linha : f.readAll().split('\n'))
            if (!linha.trimmed().isEmpty())
                eventos << QJsonDocument::fromJson(linha).object();
        int bom = -1;
        for (int i = 0; i < eventos.size(); ++i)
            if (eventos[i][QStringLiteral("ev")] == QStringLiteral("good"))
                bom = i;
        if (bom < 0)
            return 2;
        // Accepted: the last good state, or what a write begun after it (and
        // not known to have failed) was to leave.
        QList<QJsonObject> aceitos{eventos[bom][QStringLiteral("estado")].toObject()};
        for (int i = bom + 1; i < eventos.size(); ++i)
            if (eventos[i].contains(QStringLiteral("estado")))
                aceitos << eventos[i][QStringLiteral("estado")].toObject();
        const bool escritaIncerta = bom + 1 < eventos.size();
        const QJsonObject alvo = aceitos.first();
        abre();
        for (int p = 1; p < alvo[QStringLiteral("paginaGrupo")].toInt(); ++p)
            tecla(Qt::Key_PageDown);
        const QString foco = alvo[QStringLiteral("foco")].toString();
        // Only a filled group is touched: a touch on an empty one would add one.
        if (auto* g = m_tela->findChild<TTouchButton*>(QStringLiteral("tcbGrupo") + foco); g && !g->caption().isEmpty())
            QTest::mouseClick(g, Qt::LeftButton);
        for (int p = 1; p < alvo[QStringLiteral("paginaProduto")].toInt(); ++p)
            tecla(Qt::Key_PageDown, Qt::ControlModifier);
        const QJsonObject agora = estado();
        // The product buttons count only when their group could be put in
        // focus again (a cleared group may have kept the focus).
        const bool focoVazio =
            alvo[QStringLiteral("botoes")].toArray().at(foco.toInt() - 1).toString().startsWith(u'|');
        const int n = focoVazio ? 12 : 48;
        const auto botoes = [n](const QJsonObject& e) {
            return e[QStringLiteral("botoes")].toArray().toVariantList().mid(0, n);
        };
        for (const QJsonObject& a : aceitos)
            if (botoes(a) == botoes(agora))
                return 0;
        // A write begun and never reported may have changed the one button
        // it touched: one difference is then accepted.
        const QVariantList x = botoes(alvo), y = botoes(agora);
        int diferencas = 0;
        for (int i = 0; i < x.size() && i < y.size(); ++i)
            if (x[i] != y[i]) {
                ++diferencas;
                QTextStream(stderr) << m_config << ": button " << i << " journal " << x[i].toString() << " store "
                                    << y[i].toString() << Qt::endl;
            }
        return (escritaIncerta && diferencas <= 1) ? 0 : 1;
    }

private:
    void anota(const QString& ev, const QJsonObject& estado) {
        QJsonObject o{{QStringLiteral("ev"), ev}};
        if (!estado.isEmpty())
            o[QStringLiteral("estado")] = estado;
        m_journal.write(QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n');
        m_journal.flush();
    }

    void tecla(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(m_tela.get(), k, m); }
    void toca(const char* prefixo, int n) {
        if (auto* b = m_tela->findChild<TTouchButton*>(QLatin1String(prefixo) + dois(n)))
            QTest::mouseClick(b, Qt::LeftButton);
    }
    int falhas() const { return int(m_presenter->calls.size()); }

    // One write: journalled before, and its outcome after.
    template <class F> void escreve(F&& acao, bool estadoAntes) {
        const int antes = falhas();
        anota(QStringLiteral("begin"), estadoAntes ? estado() : QJsonObject{});
        acao();
        const bool falhou = falhas() > antes && m_presenter->calls.last().tipo != 1; // 1: a question
        if (falhou || !m_tela->pendingChanges().isEmpty()) {
            anota(QStringLiteral("failed"), {});
            tecla(Qt::Key_F2); // cancel: the screen reads the store again
            if (falhas() == antes || !falhou)
                anota(QStringLiteral("good"), estado());
            return;
        }
        anota(QStringLiteral("good"), estado());
    }

    void umaAcao() {
        const bool pendente = !m_tela->pendingChanges().isEmpty();
        const int r = int(m_random.bounded(100));
        if (!pendente && r >= 60)
            tecla(Qt::Key_F2);    // back to no edit mode before a write made at once
        if (pendente && r < 25) { // confirm what is pending
            escreve([this] { tecla(Qt::Key_Return, Qt::ControlModifier); }, true);
        } else if (pendente && r < 35) {
            tecla(Qt::Key_F2);
            anota(QStringLiteral("good"), estado());
        } else if (r < 45) { // clear one group or product (pending)
            tecla(Qt::Key_F3);
            toca(m_random.bounded(2) ? "tcbGrupo" : "tcbBalcao", 1 + int(m_random.bounded(12)));
        } else if (r < 60) { // a button or text colour (pending)
            tecla(m_random.bounded(2) ? Qt::Key_F7 : Qt::Key_F4);
            toca(m_random.bounded(2) ? "tcbGrupo" : "tcbBalcao", 1 + int(m_random.bounded(12)));
        } else if (pendente) {
            return;          // written at once only with nothing pending
        } else if (r < 72) { // add: a touch on a button in no edit mode
            const bool grupo = m_random.bounded(2);
            const int n = 1 + int(m_random.bounded(grupo ? 12 : 36));
            escreve([&] { toca(grupo ? "tcbGrupo" : "tcbBalcao", n); }, false);
        } else if (r < 82) { // rename
            const bool grupo = m_random.bounded(2);
            const int n = 1 + int(m_random.bounded(12));
            tecla(Qt::Key_F5);
            escreve([&] { toca(grupo ? "tcbGrupo" : "tcbBalcao", n); }, false);
        } else if (r < 88) { // cut a product and paste it on another place
            tecla(Qt::Key_F6);
            toca("tcbBalcao", 1 + int(m_random.bounded(12)));
            escreve([&] { toca("tcbBalcao", 13 + int(m_random.bounded(24))); }, false);
        } else { // page changes, mostly forward up to page 3, then back
            const bool produto = m_random.bounded(2);
            const int pagina = produto ? estado()[QStringLiteral("paginaProduto")].toInt() : m_tela->groupPage();
            const bool frente = pagina == 1 ? m_random.bounded(3) == 0 : pagina < 3 && m_random.bounded(3) == 0;
            tecla(frente ? Qt::Key_PageDown : Qt::Key_PageUp, produto ? Qt::ControlModifier : Qt::NoModifier);
            if (m_tela->pendingChanges().isEmpty())
                anota(QStringLiteral("good"), estado());
        }
        // Whatever mode an action left, Esc is not used (it leaves the screen).
    }

    QString m_config;
    QRandomGenerator m_random;
    ScopedPresenter m_presenter;
    std::unique_ptr<TfrmConfGrupo> m_tela;
    QFile m_journal;
    int m_nomes = 0;
    bool m_somenteLe = false;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() == 6 && a[1] == QLatin1String("operate")) {
        Operador op(a[2], a[5].toUInt());
        op.operate(a[3].toInt(), a[4]);
        return 0;
    }
    if (a.size() == 4 && a[1] == QLatin1String("check")) {
        Operador op(a[2], 1);
        return op.check(a[3]);
    }
    QTextStream(stderr) << "usage: kmr_soak_operador operate CONFIG SECONDS JOURNAL SEED | check CONFIG JOURNAL"
                        << Qt::endl;
    return 2;
}
