#pragma once
// The sales-screen configuration screen: a borderless 800x600 touch screen on
// which the operator lays out the group page (12 buttons) and, for the group
// in focus, the product page (36 buttons) of a till's menu. Reads and
// immediate writes go to the data service at the touch; clears, colours and
// moves are collected in cdsAlteracoes/cdsRecortar and written on confirm.

#include <ClientDataSet.h>
#include <DataPacket.h>
#include <TMessages.h>

#include <QDialog>
#include <QHash>
#include <QPixmap>
#include <QString>
#include <QVariant>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class QAbstractButton;
class QFrame;
class QLabel;
class QTimer;
class TBlendedBitBtn;
class TBlendedShape;
class TTouchButton;
class TTouchDrag;

// Modifier state of a key press: the modifier keys and the mouse buttons held.
struct TShiftState {
    Qt::KeyboardModifiers keys;
    Qt::MouseButtons mouse;
    // True when exactly this one modifier key is held and no mouse button.
    bool exactly(Qt::KeyboardModifier key) const { return keys == key && mouse == Qt::NoButton; }
};

class TfrmConfGrupo : public QDialog {
    Q_OBJECT
public:
    explicit TfrmConfGrupo(QWidget* parent = nullptr);
    ~TfrmConfGrupo() override;

    void InicializaForm(const QVariantList& arParams);

    // Group page.
    void MontaMenuGrupo();
    void LimpaMenuGrupo();
    void ControlaFocus();
    // Product page of the group in focus.
    void MontaMenuProduto();
    void LimpaMenuProduto();
    // Edit modes.
    void MudaCursor(const QString& sttipo);
    void ControlaHabilitacao(const QString& stFuncao);

    // Event handlers (Sender is the control that raised the event).
    void tcbLimparClick(QObject* Sender);
    void tcbCorButtonClick(QObject* Sender);
    void tcbCorTextoClick(QObject* Sender);
    void tcbNomeClick(QObject* Sender);
    void tcbRecortarClick(QObject* Sender);
    void tcbImagemClick(QObject* Sender);
    void tcbConfirmaClick(QObject* Sender);
    void tcbCancelaClick(QObject* Sender);
    void tcbSairClick(QObject* Sender);
    void tcbGrupo01Click(QObject* Sender);
    void tcbBalcao01Click(QObject* Sender);
    void FormKeyDown(QObject* Sender, quint16& Key, TShiftState Shift);

    // Folder of the parameter file; the launcher's folder unless set (tests
    // point it elsewhere so that they never write into the build folder).
    static void setParameterDir(const QString& dir);
    static QString parameterDir();
    static QString parameterFilePath();

    // Read-only views of the state, for the launcher and the tests.
    const TMessages& messages() const { return msgPadrao; }
    std::array<int, 6> screenColors() const { return Incor; }
    const ClientDataSet& pendingChanges() const { return cdsAlteracoes; }
    const ClientDataSet& cutSet() const { return cdsRecortar; }
    QString focusGroup() const { return stNrFocusGrupo; }

    // ---- pages, branch and configuration -------------------------------
    // Group page and product page shown, and the configuration edited.
    int groupPage() const { return NrPgGrupo; }
    int productPage() const { return NrPagina; }
    QString branch() const { return stCdFilial; }
    QString configuration() const { return stNrConf; }
    QString store() const { return stLojaConfig; }
    // Highest page number the store's two-character page columns can hold.
    static constexpr int kUltimaPagina = 99;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

public slots:
    void reject() override;

private:
    // Form events.
    void FormCreate();
    void FormActivate();
    void FormClose();

    // Layout.
    void criaControles();
    void criaFerramentas();
    void criaBotoesGrupo();
    void criaBotoesProduto();
    void criaDataSets();
    void conecta(QAbstractButton* button, void (TfrmConfGrupo::*handler)(QObject*));
    QWidget* FindComponent(const QString& name) const;
    TTouchButton* botao(const QString& name) const;

    void carregaParametros();
    void escolheCor(QString& cor);
    bool teclaPreview(QObject* watched, QKeyEvent* event);

    // What a touch on a button of one grid does, by edit mode: fill an empty
    // button (no mode), clear, colours, rename, cut, and paste a cut that
    // came from this grid (inCtrlColar).
    using AcaoDeToque = void (TfrmConfGrupo::*)(TTouchButton*, const QString&);
    struct AcoesDaGrade {
        AcaoDeToque preenche, limpa, corFundo, corTexto, renomeia, recorta, cola, imagem;
        int origemDoRecorte;
    };
    void despachaToque(TTouchButton* b, const QString& stCodigo, const AcoesDaGrade& acoes);
    // Touch actions of the group page.
    void adicionaGrupo(TTouchButton* botao, const QString& stCodigo);
    void limpaGrupo(TTouchButton* botao, const QString& stCodigo);
    void corFundoGrupo(TTouchButton* botao, const QString& stCodigo);
    void corTextoGrupo(TTouchButton* botao, const QString& stCodigo);
    void renomeiaGrupo(TTouchButton* botao, const QString& stCodigo);
    void recortaGrupo(TTouchButton* botao, const QString& stCodigo);
    void colaGrupo(TTouchButton* botao, const QString& stCodigo);
    // Touch actions of the product page.
    void associaProduto(TTouchButton* botao, const QString& stCodigo);
    void associaProdutoPassos(TTouchButton* botao, const QString& stCodigo);
    void limpaProduto(TTouchButton* botao, const QString& stCodigo);
    void corFundoProduto(TTouchButton* botao, const QString& stCodigo);
    void corTextoProduto(TTouchButton* botao, const QString& stCodigo);
    void renomeiaProduto(TTouchButton* botao, const QString& stCodigo);
    void recortaProduto(TTouchButton* botao, const QString& stCodigo);
    void colaProduto(TTouchButton* botao, const QString& stCodigo);
    // The picture tool (TfrmConfGrupoImagem.cpp): a touch opens the picture
    // picker and marks the button for the picture chosen.
    void imagemGrupo(TTouchButton* botao, const QString& stCodigo);
    void imagemProduto(TTouchButton* botao, const QString& stCodigo);
    bool escolheImagem(TTouchButton* botao, const QString& atual, QString& referencia);
    void confirmaImagens();
    // A rename in the store and on the button; redesenha draws the page again
    // when the store refuses the name.
    struct NomeNoBanco {
        QString pagina, numeroAux, tipo, tipoAux, paginaAux;
    };
    void renomeia(TTouchButton* b, const QString& stCodigo, const NomeNoBanco& alvo,
                  const std::function<QString(const QString& stNome)>& chaveDe, void (TfrmConfGrupo::*redesenha)());
    // A row of the pending-change set or of the cut set for a button of the
    // group page or of the product page of the group in focus; the colour
    // only when one is given.
    enum class Grade { Grupo, Produto };
    void anotaBotao(ClientDataSet& set, Grade grade, const QString& stCodigo, const QString& tipo,
                    const std::optional<QString>& cor = std::nullopt);
    // Confirmation blocks.
    void confirmaLimpar();
    void confirmaCores(bool fundo);
    void confirmaColar();
    void esvaziaAlteracoes();
    void esvaziaRecortar();

    QString tipoLocalizado(const ClientDataSet& set) const;
    QString textoLocalizado(const ClientDataSet& set, QStringView field) const;

    bool m_emToque = false; // a touch handler is running

    // ---- edit mode ---------------------------------------------------------
    // What a touch on a group or product button does: add or assign (no
    // mode), clear, background colour, text colour, rename, cut, paste (a
    // cut waits for its place) or pasted (the paste waits for confirm).
    enum class ModoEdicao { Nenhum, Excluir, MudaCor, MudaFonte, MudaNome, Recortar, Colar, Colado, MudaImagem };
    ModoEdicao m_modo = ModoEdicao::Nenhum;
    bool boExcluir() const { return m_modo == ModoEdicao::Excluir; }
    bool boMudaCor() const { return m_modo == ModoEdicao::MudaCor; }
    bool boMudaFonte() const { return m_modo == ModoEdicao::MudaFonte; }
    bool boMudaNome() const { return m_modo == ModoEdicao::MudaNome; }
    bool boRecortar() const { return m_modo == ModoEdicao::Recortar; }
    bool boColar() const { return m_modo == ModoEdicao::Colar || m_modo == ModoEdicao::Colado; }
    bool boColarCtrl() const { return m_modo == ModoEdicao::Colado; }
    bool boMudaImagem() const { return m_modo == ModoEdicao::MudaImagem; }
    // A tool that edits a button already there (clear, colours, rename, cut, picture).
    bool editaBotao() const {
        return boExcluir() || boMudaCor() || boMudaFonte() || boMudaNome() || boRecortar() || boMudaImagem();
    }
    // A mode with marks that confirm writes.
    bool aguardaConfirma() const { return boExcluir() || boMudaCor() || boMudaFonte() || boColar() || boMudaImagem(); }
    // Enters a tool's edit mode: its instruction, the marks of a clear
    // undone by drawing both pages again, and the enabling code.
    void entraModo(ModoEdicao modo, const QString& mensagem, const QString& habilitacao);

    qint32 InColor = 0;
    qint32 InFontColor = 0;
    qint32 NrPagina = 0;
    qint32 NrPgGrupo = 0;
    qint32 inCtrlColar = 0; // where the cut came from: 1 the group page, 2 the product page
    // The six screen colours, Incor1 to Incor6.
    std::array<qint32, 6> Incor{};
    QString stCdFilial;
    QString stDescricao;
    QString m_imagemRecorte; // the picture file of the cut button, shown where it is pasted
    QString stNrConf;
    QString stNmConf;
    QString stNrFocusGrupo;
    QString stLojaConfig;

    // Set by tcbSairClick: the only way the screen closes.
    bool m_podeFechar = false;
    // Whether the last product touch found its button's row in cdsPesqProdGrupo.
    bool m_achouProduto = false;

    TMessages msgPadrao;
    ClientDataSet cdsPesqGrupo{QStringLiteral("cdsPesqGrupo")};
    ClientDataSet cdsPesqProdGrupo{QStringLiteral("cdsPesqProdGrupo")};
    ClientDataSet cdsPesqProduto{QStringLiteral("cdsPesqProduto")};
    ClientDataSet cdsFiltroProduto{QStringLiteral("cdsFiltroProduto")};
    ClientDataSet cdsAlteracoes{QStringLiteral("cdsAlteracoes")};
    ClientDataSet cdsRecortar{QStringLiteral("cdsRecortar")};

    TBlendedShape* blsBorda = nullptr;
    TBlendedShape* blsFundo = nullptr;
    TBlendedShape* blsBotoes = nullptr;
    QFrame* Bevel2 = nullptr;
    QLabel* lblSistema = nullptr;
    QLabel* lblMenu = nullptr;
    QFrame* Bevel3 = nullptr;
    QLabel* lblMensagem = nullptr;
    TBlendedShape* shpMostraCor = nullptr;
    TBlendedBitBtn* tcbCorButton = nullptr;
    TBlendedBitBtn* tcbCorTexto = nullptr;
    TBlendedBitBtn* tcbNome = nullptr;
    TBlendedBitBtn* tcbRecortar = nullptr;
    TBlendedBitBtn* tcbLimpar = nullptr;
    TBlendedBitBtn* tcbImagem = nullptr;
    TBlendedBitBtn* tcbConfirma = nullptr;
    TBlendedBitBtn* tcbCancela = nullptr;
    TBlendedBitBtn* tcbSair = nullptr;
    QLabel* lblCodTela = nullptr;
    QWidget* panBalcao = nullptr;

    QHash<QString, QWidget*> m_componentes;

    // ---- What is waiting to be written, as the operator sees it: marks on
    // the buttons, the count on the confirm button, a line of its own that
    // asks for confirmation, and the question before leaving without it.
    void criaAvisoPendentes();
    int alteracoesPendentes() const;
    void mostraPendentes();
    void limpaMarcas();
    bool podeSair();
    QLabel* lblPendentes = nullptr;

    // ---- pages, branch and configuration -------------------------------
    // Branch, configuration and store from the entry's parameter array.
    void leParametros(const QVariantList& arParams);
    void criaControlesPagina();
    // The four page arrows: which one is the Sender.
    void tcbPaginaClick(QObject* Sender);
    // A page changes where a touch on a group may change focus: with no edit
    // mode and in paste mode.
    bool podeMudarPagina() const;
    // The page a turn by delta leads to; none when no page may change or the
    // turn stays on the page shown (the first or the last).
    std::optional<int> paginaDestino(int atual, int delta) const;
    void mudaPaginaGrupo(int delta);
    void mudaPaginaProduto(int delta);
    // Page Down/Up (group page) and Ctrl+Page Down/Up (product page).
    void teclaPagina(quint16& Key, TShiftState Shift);
    // A touch on a navigator of the group page or of the product page: true
    // when it turned the page.
    bool tocaNavegadorGrupo(TTouchButton* b, const QString& stCodigo);
    bool tocaNavegadorProduto(TTouchButton* b);
    // A navigator of type proxima turns the page forward, one of type anterior
    // back; any other type turns nothing (false).
    bool viraPorNavegador(const QString& tipo, const QString& proxima, const QString& anterior,
                          void (TfrmConfGrupo::*muda)(int));
    // A product-page navigator drawn: its arrow, its caption hidden.
    void mostraNavegadorProduto(TTouchButton* b, const QString& tipo);
    // The two rows that create product-page navigators, before the products
    // of the search list; the type they stand for ("9" or "A") when picked.
    void ofereceNavegadores();
    QString navegadorEscolhido() const;
    // Page names, arrow enabling, and the cut and paste marks of a page
    // drawn again while a paste is pending.
    void mostraPaginas();
    void reaplicaRecorte();

    // ---- other stations: the rows each page showed when it was drawn, the
    // checked writes, and the refresh of the idle screen.
public:
    // Reads the shown pages again and draws what another station changed;
    // the screen's timer calls it every kIntervaloAtualizacao ms while no
    // dialog is open and no touch is being handled.
    void atualizaDaBase();
    static constexpr int kIntervaloAtualizacao = 1000;

private:
    void iniciaAtualizacao();
    std::optional<DataPacket> leVisto(bool grupo) const;
    void tiraRetrato(bool grupo);
    QVariant vistoNaPagina(bool grupo, const QString& numero, const QString& tipo);
    void lembraVisto(bool grupo, const QString& stCodigo, bool recorte);
    void gravadoNoVisto(bool grupo, const QString& numero, const QString& tipo, QStringView coluna,
                        const QVariant& valor);
    void produtoExcluidoDoGrupo(const QString& numero, const QString& pagina, const QString& grupo);
    bool gravouConferido(const QString& metodo, int32_t status, const QVariant& resultado, const QString& key);
    void avisaAlterados(const QStringList& grupos, const QStringList& produtos);
    int atualizaPagina(bool grupo);
    int retiraMarcas(bool grupo, const QSet<QString>& mudados);
    QString avisoEstacao(int pendentes);
    DataPacket m_vistoGrupo;
    DataPacket m_vistoProduto;
    bool m_vistoGrupoOk = false;
    bool m_vistoProdutoOk = false;
    QHash<QString, QVariant> m_produtosVistos; // by group button: its products when it was marked
    QVariant m_recorteVisto;                   // the cut item as its page showed it
    QVariant m_recorteProdutos;                // and, for a group, its products
    QTimer* m_atualizacao = nullptr;
    int m_avisoEstacao = 0; // marks just dropped, shown while the pending count stays
    int m_avisoPendentes = -1;

    // ---- moving a button by dragging it (TfrmConfGrupoArrasto.cpp): a
    // lifted button is cut where it stood and pasted where it is let go, as
    // the cut tool and two touches would; held over a page arrow it turns
    // the page.
public:
    TTouchDrag* arrasto() const { return m_arrasto; }
    // How long a lifted button is held over a page arrow before the page turns.
    static constexpr int kEsperaArrastoPagina = 500;

private:
    // Where a button stands: its grid, its position, and the pages and group
    // in focus that show it.
    struct PosicaoArrasto {
        bool grupo = false;
        QString numero;
        int paginaGrupo = 1;
        QString foco;
        int paginaProduto = 1;
    };
    void criaArrasto();
    bool podeLevantar(QWidget* origem) const;
    bool aceitaSoltar(QWidget* origem, QWidget* alvo) const;
    void levantaBotao(QWidget* origem);
    void arrastoSobre(QWidget* alvo);
    void viraPaginaArrastada();
    void soltaBotao(QWidget* origem, QWidget* alvo);
    void moveArrastado(TTouchButton* origem, TTouchButton* alvo);
    void desisteArrasto();
    void mostraLevantado();
    void desfazLevantado();
    bool mostraOrigemArrasto() const;
    PosicaoArrasto posicaoAtual(bool grupo, const QString& numero) const;
    void mostraPosicao(const PosicaoArrasto& posicao);
    bool ehSetaPagina(const QWidget* w) const;
    TTouchDrag* m_arrasto = nullptr;
    QTimer* tmrArrastoPagina = nullptr;
    PosicaoArrasto m_origemArrasto;
    struct VistaLevantada {
        QString caption, fantasma;
        int cor = 0, corFonte = 0;
        QPixmap glyph;
        QString imagem; // the picture file
        bool captionOculto = false;
    } m_vistaLevantada; // the lifted button as it looked

    QLabel* lblConfiguracao = nullptr;
    QLabel* lblPgGrupo = nullptr;
    QLabel* lblPgProduto = nullptr;
    TTouchButton* tcbPgGrupoAnt = nullptr;
    TTouchButton* tcbPgGrupoProx = nullptr;
    TTouchButton* tcbPgProdAnt = nullptr;
    TTouchButton* tcbPgProdProx = nullptr;
    // ---- the session's history (TfrmConfGrupoDesfazer.cpp): each operator
    // action (an insert, a rename, a confirmation) is one entry of the
    // history; "Desfazer" (Ctrl+Z) undoes the session's last one, "Refazer"
    // (Ctrl+Y) writes again what was undone.
public:
    void tcbDesfazerClick(QObject* Sender);
    void tcbRefazerClick(QObject* Sender);
    // The session's name in the history, made up once per opening.
    QString sessaoHistorico() const { return m_sessaoHistorico; }

private:
    // Opens the bracket of one operator action and closes it at the end of
    // its scope, however the action ends; the undo tools are read again then.
    class AcaoHistorico {
    public:
        AcaoHistorico(TfrmConfGrupo& tela, const QString& idAcao, const QString& dsAcao);
        ~AcaoHistorico();
        AcaoHistorico(const AcaoHistorico&) = delete;
        AcaoHistorico& operator=(const AcaoHistorico&) = delete;

    private:
        TfrmConfGrupo& m_tela;
        bool m_aberta = false;
    };
    // The next undo ("D") and redo ("R") of the session.
    struct PassoHistorico {
        QString nrDiario, idAcao, dsAcao;
        int qtExclui = 0, qtInclui = 0;
    };
    void criaDesfazer();
    void atualizaDesfazer();
    void mostraDesfazer();
    void historicoDesligado();
    void desfazOuRefaz(bool desfazer);
    QString descricaoInclusao(const QString& stCodigo, const QString& nome) const;
    QString descricaoConfirmacao(QString& idAcao) const;
    QString descricaoLimpeza() const;
    QString descricaoMovimento() const;
    QString m_sessaoHistorico;
    std::optional<PassoHistorico> m_desfazer;
    std::optional<PassoHistorico> m_refazer;
    bool m_ferramentasLigadas = false; // enabling code "H" in force
    bool m_historicoAvisado = false;   // the operator was told the history is off
    TBlendedBitBtn* tcbDesfazer = nullptr;
    TBlendedBitBtn* tcbRefazer = nullptr;
    QLabel* lblDesfazer = nullptr;
};
