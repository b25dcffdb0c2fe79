// Touch controls, the message presenter and the host's screen services.

#include "ScriptedPresenter.h"

#include <DataPacket.h>
#include <HostErrors.h>
#include <HostUi.h>
#include <MessagePresenter.h>
#include <TBlendedBitBtn.h>
#include <TBlendedShape.h>
#include <TColor.h>
#include <TTouchButton.h>

#include <QApplication>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {

QImage render(QWidget& w) {
    QImage image(w.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    w.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// A point of the face away from the caption and the rounded corners.
QColor facePixel(QWidget& w) {
    return render(w).pixelColor(w.width() / 2, 4);
}

// Answers the next modal dialog by clicking the button with the given text;
// records the texts of all its buttons.
void clickInNextDialog(const QString& buttonText, QStringList* seen) {
    QTimer::singleShot(0, [=] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr)
            return;
        QPushButton* target = nullptr;
        for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
            seen->append(b->text());
            if (b->text() == buttonText)
                target = b;
        }
        if (target)
            QTest::mouseClick(target, Qt::LeftButton);
        else
            dialog->close();
    });
}

MensagemArgs args(const QString& texto, const char* pergunta, int tipo) {
    MensagemArgs a;
    a.texto = texto;
    a.marca = QStringLiteral("N");
    a.pergunta = QLatin1String(pergunta);
    a.tipo = tipo;
    a.codigo = QStringLiteral("002");
    return a;
}

class ThrowingPresenter : public MessagePresenter {
public:
    bool present(const MensagemArgs&) override { throw std::runtime_error("no display"); }
};

} // namespace

class TestHostUi : public QObject {
    Q_OBJECT

private slots:
    void windowsColours();
    void touchButtonState();
    void ampersandInCaptionIsNoShortcut();
    void touchButtonClicksOnReleaseInside();
    void touchButtonPaintsItsColours();
    void bitBtnLooks();
    void shapeFillsRoundedRect();
    void presenterCanBeReplacedAndRestored();
    void touchPresenterAsksAndInforms();
    void mensagemMetodoReportsFailureOnce();
    void mensagemMetodoReturnsResultsUnchanged();
    void handleEventReportsOnceOrStaysSilent();
    void coloreTelaPaintsKnownControls();
    void footerAndTranslation();
};

void TestHostUi::windowsColours() {
    QCOMPARE(colorFromTColor(11571344), QColor(144, 144, 176)); // 0xB09090: blue in the high byte
    QCOMPARE(colorFromTColor(8388608), QColor(0, 0, 128));      // navy
    QCOMPARE(colorFromTColor(255), QColor(255, 0, 0));
    QCOMPARE(tcolorFromColor(QColor(144, 144, 176)), 11571344);
    for (int v : {0, 255, 65280, 16711680, 15198159, 16777215})
        QCOMPARE(tcolorFromColor(colorFromTColor(v)), v);
}

void TestHostUi::touchButtonState() {
    TTouchButton b;
    QCOMPARE(b.color(), 11571344);
    b.setCaption(QStringLiteral("Café Expresso"));
    b.SetColor(255);
    b.setFontColor(16777215);
    QCOMPARE(b.caption(), QStringLiteral("Café Expresso"));
    QCOMPARE(b.color(), 255);
    QCOMPARE(b.fontColor(), 16777215);
    QVERIFY(b.glyphEmpty());
    QVERIFY(b.GetGlyph().isNull());
    QPixmap glyph(16, 16);
    glyph.fill(Qt::red);
    b.setGlyph(glyph);
    QVERIFY(!b.glyphEmpty());
    QCOMPARE(b.GetGlyph().size(), QSize(16, 16));
    b.clearGlyph();
    QVERIFY(b.glyphEmpty());
    QVERIFY(b.GetGlyph().isNull());
}

void TestHostUi::touchButtonClicksOnReleaseInside() {
    QWidget window;
    auto* b = new TTouchButton(&window);
    b->setGeometry(10, 10, 105, 47);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy clicked(b, &QAbstractButton::clicked);
    QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    // Finger lifted outside the button: no click.
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(b, QPoint(300, 300));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(300, 300));
    QCOMPARE(clicked.count(), 1);
    b->setEnabled(false);
    QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
}

void TestHostUi::touchButtonPaintsItsColours() {
    TTouchButton b;
    b.resize(105, 47);
    b.setCaption(QStringLiteral("Guaraná Antarctica Lata 350ml"));
    b.SetColor(11571344);
    QCOMPARE(facePixel(b), QColor(144, 144, 176));
    const QImage image = render(b);
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0); // rounded corner
    // Text in its font colour: some pixel of the caption area is white.
    b.setFontColor(16777215);
    const QImage white = render(b);
    bool found = false;
    for (int x = 5; x < 100 && !found; ++x)
        for (int y = 10; y < 40 && !found; ++y)
            found = white.pixelColor(x, y) == QColor(Qt::white);
    QVERIFY(found);

    b.setDown(true);
    const QColor pressed = facePixel(b);
    QVERIFY(pressed.value() < QColor(144, 144, 176).value());
    b.setDown(false);
    b.setEnabled(false);
    const QColor disabled = facePixel(b);
    QCOMPARE(disabled.red(), disabled.green());
    QCOMPARE(disabled.green(), disabled.blue());

    // Glyph alone (no caption), and a zero size, paint without trouble.
    QPixmap glyph(64, 64);
    glyph.fill(Qt::green);
    b.setEnabled(true);
    b.setCaption(QString());
    b.setGlyph(glyph);
    QCOMPARE(render(b).pixelColor(52, 23), QColor(Qt::green));
    b.resize(0, 0);
    b.repaint();
}

void TestHostUi::bitBtnLooks() {
    TBlendedBitBtn b;
    b.setCaption(QStringLiteral("Ctrl+Enter\nConfirmar"));
    b.setFaceColor(QColor(192, 192, 192));
    QCOMPARE(b.size(), QSize(109, 65));
    QCOMPARE(facePixel(b), QColor(192, 192, 192));
    b.setPressedColor(QColor(0xCF, 0xE7, 0xE7));
    b.setDown(true);
    QCOMPARE(facePixel(b), QColor(0xCF, 0xE7, 0xE7));
    b.setDown(false);
    b.setEnabled(false);
    QCOMPARE(facePixel(b), QColor(Qt::gray));
    QSignalSpy clicked(&b, &QAbstractButton::clicked);
    b.setEnabled(true);
    QTest::mouseClick(&b, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
}

void TestHostUi::shapeFillsRoundedRect() {
    TBlendedShape s;
    s.resize(200, 100);
    s.setFillColor(QColor(10, 20, 30));
    const QImage image = render(s);
    QCOMPARE(image.pixelColor(100, 50), QColor(10, 20, 30));
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
    QVERIFY(s.testAttribute(Qt::WA_TransparentForMouseEvents));
}

void TestHostUi::presenterCanBeReplacedAndRestored() {
    auto scripted = std::make_unique<ScriptedPresenter>();
    ScriptedPresenter* raw = scripted.get();
    std::unique_ptr<MessagePresenter> previous = setMessagePresenter(std::move(scripted));
    QCOMPARE(&messagePresenter(), static_cast<MessagePresenter*>(raw));
    std::unique_ptr<MessagePresenter> back = setMessagePresenter(nullptr);
    QCOMPARE(back.get(), static_cast<MessagePresenter*>(raw));
    QVERIFY(dynamic_cast<TouchMessagePresenter*>(&messagePresenter()) != nullptr);
    setMessagePresenter(std::move(previous));
    QVERIFY(!ConsoleMessagePresenter().present(args(QStringLiteral("Mensagem de teste"), "S", 1)));
}

void TestHostUi::touchPresenterAsksAndInforms() {
    TouchMessagePresenter presenter;
    QStringList seen;
    clickInNextDialog(QStringLiteral("Sim"), &seen);
    QVERIFY(presenter.present(args(QStringLiteral("Confirma operação?"), "S", 1)));
    QCOMPARE(seen, (QStringList{"Sim", "Não"}));

    seen.clear();
    clickInNextDialog(QStringLiteral("Não"), &seen);
    QVERIFY(!presenter.present(args(QStringLiteral("Confirma operação?"), "S", 1)));

    seen.clear();
    clickInNextDialog(QStringLiteral("OK"), &seen);
    QVERIFY(presenter.present(args(QStringLiteral("Falha <b>grave</b>"), "N", 3)));
    QCOMPARE(seen, QStringList{"OK"});
}

void TestHostUi::mensagemMetodoReportsFailureOnce() {
    ScopedPresenter scripted;
    const QString failure = QStringLiteral("UNIQUE constraint failed: ITMENUCONFTE.CDFILIAL");
    QVERIFY_THROWS_EXCEPTION(
        SilentAbort, MensagemMetodo(QVariant(failure), true, 0, "getInsere", "Cli_Kmr00003", "9999-00001-1-01", ""));
    QCOMPARE(scripted->calls.size(), 1);
    const MensagemArgs& a = scripted->calls.first();
    QCOMPARE(a.texto, failure);
    QCOMPARE(a.titulo, QString());
    QCOMPARE(a.marca, QStringLiteral("N"));
    QCOMPARE(a.pergunta, QStringLiteral("N"));
    QCOMPARE(a.tipo, 3);
    QCOMPARE(a.codigo, QStringLiteral("002"));
    QCOMPARE(a.dataSet, nullptr);

    // Not to be shown: the failure still stops the caller, as an ordinary error.
    QVERIFY_THROWS_EXCEPTION(DatabaseError, MensagemMetodo(QVariant(failure), false, 0, "", "", "", ""));
    QCOMPARE(scripted->calls.size(), 1);
}

void TestHostUi::mensagemMetodoReturnsResultsUnchanged() {
    ScopedPresenter scripted;
    DataPacket packet(
        {{QStringLiteral("NRBUTTON"), FieldKind::Text, 5}, {QStringLiteral("NRCOLORBACK"), FieldKind::Float}});
    packet.appendRow({QStringLiteral("01"), 11571344.0});
    const QVariant out =
        MensagemMetodo(QVariant::fromValue(packet), true, 0, "getPesqGrupo", "Cli_Kmr00003", "9999-00001-1", "");
    QVERIFY(isDataPacket(out));
    const DataPacket back = out.value<DataPacket>();
    QCOMPARE(back.rowCount(), 1);
    QCOMPARE(back.text(0, 0), QStringLiteral("01"));

    const QVariant empty = MensagemMetodo(QVariant(QString()), true, 0, "getInsere", "Cli_Kmr00003", "k", "");
    QCOMPARE(empty.typeId(), int(QMetaType::QString));
    QVERIFY(empty.toString().isEmpty());
    QVERIFY(MensagemMetodo(QVariant(), true, 0, "", "", "", "").isNull());
    QVERIFY(scripted->calls.isEmpty());
}

void TestHostUi::handleEventReportsOnceOrStaysSilent() {
    ScopedPresenter scripted;
    bool ran = false;
    HandleEvent([&] { ran = true; });
    QVERIFY(ran);
    HandleEvent([] { throw SilentAbort(); });
    QVERIFY(scripted->calls.isEmpty());

    HandleEvent([] { throw std::runtime_error("Falha na gravação"); });
    QCOMPARE(scripted->texts(), QStringList{QStringLiteral("Falha na gravação")});
    const MensagemArgs& a = scripted->calls.first();
    QCOMPARE(a.tipo, 3);
    QCOMPARE(a.pergunta, QStringLiteral("N"));
    QCOMPARE(a.codigo, QString());

    HandleEvent([] { throw DatabaseError(QStringLiteral("Tabela ausente")); });
    QCOMPARE(scripted->calls.last().texto, QStringLiteral("Tabela ausente"));
    HandleEvent([] { throw 42; });
    QCOMPARE(scripted->calls.size(), 3);
    QVERIFY(!scripted->calls.last().texto.isEmpty());
    HandleEvent({});
    QCOMPARE(scripted->calls.size(), 3);

    // A presenter that fails must not let the exception out of the handler.
    auto previous = setMessagePresenter(std::make_unique<ThrowingPresenter>());
    HandleEvent([] { throw std::runtime_error("x"); });
    setMessagePresenter(std::move(previous));
}

void TestHostUi::coloreTelaPaintsKnownControls() {
    QWidget form;
    auto* borda = new TBlendedShape(&form);
    borda->setObjectName(QStringLiteral("blsBorda"));
    auto* fundo = new TBlendedShape(&form);
    fundo->setObjectName(QStringLiteral("blsFundo"));
    auto* botoes = new TBlendedShape(&form);
    botoes->setObjectName(QStringLiteral("blsBotoes"));
    auto* balcao = new QWidget(&form);
    balcao->setObjectName(QStringLiteral("panBalcao"));
    auto* mensagem = new QLabel(&form);
    mensagem->setObjectName(QStringLiteral("lblMensagem"));
    auto* bevel = new QFrame(&form);
    bevel->setObjectName(QStringLiteral("Bevel3"));
    ColoreTela(&form, 12960962, 14737632, 8683643, 8421504, 15658734, 8388608);
    QCOMPARE(fundo->fillColor(), colorFromTColor(12960962));
    QCOMPARE(botoes->fillColor(), colorFromTColor(8683643));
    QCOMPARE(borda->fillColor(), colorFromTColor(8421504));
    QCOMPARE(balcao->palette().color(QPalette::Window), colorFromTColor(14737632));
    QVERIFY(balcao->autoFillBackground());
    QCOMPARE(mensagem->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    QCOMPARE(bevel->palette().color(QPalette::WindowText), colorFromTColor(8421504));

    QWidget bare; // a form with none of the known controls
    ColoreTela(&bare, 1, 2, 3, 4, 5, 6);
    ColoreTela(nullptr, 1, 2, 3, 4, 5, 6);
}

void TestHostUi::footerAndTranslation() {
    const QString footer = MontaRodapeGeral(true, QStringLiteral("Kmr00003"), QStringLiteral("S"));
    QVERIFY2(footer.startsWith(QStringLiteral("Kmr00003 - Kalmora ")), qPrintable(footer));
    QVERIFY(footer.size() > QStringLiteral("Kmr00003 - Kalmora ").size()); // carries the version
    QCOMPARE(MontaRodapeGeral(false, QStringLiteral("Kmr00003"), QStringLiteral("S")), QStringLiteral("Kmr00003"));

    // The application speaks Portuguese: the walk over a form changes nothing.
    QWidget form;
    auto* label = new QLabel(QStringLiteral("Clique no botão desejado para mudar seu nome."), &form);
    Trad(&form);
    Trad(nullptr);
    QCOMPARE(label->text(), QStringLiteral("Clique no botão desejado para mudar seu nome."));
}

// A caption from the store such as "Pão & Cia" must not turn Alt+C into a
// touch on the button.
void TestHostUi::ampersandInCaptionIsNoShortcut() {
    TTouchButton b;
    int clicks = 0;
    QObject::connect(&b, &QAbstractButton::clicked, [&] { ++clicks; });
    b.setCaption(QStringLiteral("Pão & Cia"));
    QCOMPARE(b.caption(), QStringLiteral("Pão & Cia"));
    QVERIFY(b.shortcut().isEmpty());
    b.show();
    QTest::keyClick(&b, Qt::Key_C, Qt::AltModifier);
    QCOMPARE(clicks, 0);
}

QTEST_MAIN(TestHostUi)
#include "tst_hostui.moc"
