#pragma once
// Base of the screen tests: a fresh demo database per test, the sibling
// screens and the message boxes scripted, and the configuration screen built
// on them the way the entry point builds it (shown, not modal).

#include <ScriptedPresenter.h>
#include <TestDatabase.h>

#include <TfrmConfGrupo.h>
#include <Zub00002.h>
#include <Zub00005.h>

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class QAbstractButton;
class QLabel;
class TBlendedBitBtn;
class TTouchButton;

class ScreenFixture : public QObject {
    Q_OBJECT
protected:
    // Whether each test starts on the screen opened (as the entry point
    // leaves it) or opens it itself, through the entry point or openScreen().
    enum class Tela { Aberta, PeloTeste };
    explicit ScreenFixture(Tela tela = Tela::Aberta) : m_tela(tela) {}

    // The data rows of a test run on both engines: "sqlite" and "postgresql".
    static void engines();

    // Database (PostgreSQL when the data tag is "postgresql"), siblings,
    // presenter and parameter folder; skips when PostgreSQL is not there.
    void prepare();
    void openScreen();
    void tearDown();

    // Runs the real entry point; whileOpen runs once the modal screen is up,
    // then the screen is left with Esc. Returns whether the screen was shown.
    bool runEntry(const std::function<void(TfrmConfGrupo*)>& whileOpen = {});

    TTouchButton* grupo(int n) const;
    TTouchButton* produto(int n) const;
    TTouchButton* marcador(int n) const;
    TBlendedBitBtn* ferramenta(const char* name) const;
    QLabel* label(const char* name) const;
    QString mensagem() const;
    void toca(QAbstractButton* button);
    void tecla(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    // Rows of the menu table of the screen's configuration, ordered by key.
    QList<QVariantList> itens(const QString& where, const QString& columns = QStringLiteral("DSBUTTON"));
    int conta(const QString& where);
    QStringList enabledTools() const;

    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<ScopedPresenter> m_scope;
    ScriptedPresenter* presenter = nullptr; // the scripted message boxes of this test
    std::unique_ptr<TfrmConfGrupo> screen;
    std::unique_ptr<QTemporaryDir> paramDir; // a fresh folder for the parameter file per test

    // Scripted sibling screens: answers consumed in order, calls counted.
    QStringList teclado;
    int tecladoChamadas = 0;
    QString produtoEscolhido;  // CDPRODUTO to pick; empty: leave the search
    QStringList listaPesquisa; // CDPRODUTO of every row the search offered
    int pesquisaChamadas = 0;
    QStringList cores;
    int corChamadas = 0;
    // What the screen passed with its last call of each sibling screen.
    OpcoesTeclado opcoesTeclado;
    OpcoesPesquisa opcoesPesquisa;
    OpcoesCor opcoesCor;

private slots:
    // Before each test: prepare(), then the screen opened unless the test
    // opens it (and not where PostgreSQL is skipped); after it: tearDown().
    void init();
    void cleanup();

private:
    Tela m_tela;
    TTecladoAlfaNumerico m_teclado;
    TPesquisa m_pesquisa;
    TCriaTelaKmr00006 m_cor;
};
