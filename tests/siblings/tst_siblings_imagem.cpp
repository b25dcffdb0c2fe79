// The picture picker and the import of a picture, with real widgets: the
// folder's pictures listed with thumbnails, narrowed with the docked keys,
// "Sem imagem", the decoding limits, and an import that shrinks the picture
// and never replaces another file. Set KALMORA_TEST_SHOTS to a folder to keep
// a picture of the picker as the operator sees it.

#include <ImagensModel.h>
#include <PictureImport.h>
#include <TecladoToque.h>
#include <TfrmPesquisaImagem.h>

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

namespace {

void foto(QWidget* tela, const QString& nome) {
    const QString pasta = qEnvironmentVariable("KALMORA_TEST_SHOTS");
    if (!pasta.isEmpty())
        tela->grab().save(QDir(pasta).filePath(nome + QStringLiteral(".png")));
}

// A picture drawn for the test: a coloured field with a circle.
void desenha(const QString& caminho, QSize tamanho, QColor cor, const char* formato = nullptr) {
    QImage imagem(tamanho, QImage::Format_RGB32);
    imagem.fill(cor);
    QPainter p(&imagem);
    p.setBrush(Qt::white);
    p.drawEllipse(
        imagem.rect().adjusted(tamanho.width() / 4, tamanho.height() / 4, -tamanho.width() / 4, -tamanho.height() / 4));
    p.end();
    QDir().mkpath(QFileInfo(caminho).path());
    QVERIFY(imagem.save(caminho, formato));
}

void escreve(const QString& caminho, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(caminho).path());
    QFile f(caminho);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const QByteArray kSvg = "<svg xmlns='http://www.w3.org/2000/svg' width='64' height='48'>"
                        "<rect width='64' height='48' fill='#c04000'/><circle cx='32' cy='24' r='14' fill='#fff'/>"
                        "</svg>";

quint32 crc32(const QByteArray& dados) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : dados) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A small PNG whose header declares width x height pixels.
QByteArray pngDeclarando(quint32 largura, quint32 altura) {
    QImage pequena(1, 1, QImage::Format_RGB32);
    pequena.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    pequena.save(&buffer, "png");
    // Signature (8), chunk length (4), "IHDR" (4), then width and height.
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = char((largura >> (24 - 8 * i)) & 0xFF);
        png[20 + i] = char((altura >> (24 - 8 * i)) & 0xFF);
    }
    const quint32 crc = crc32(png.mid(12, 17));
    for (int i = 0; i < 4; ++i)
        png[29 + i] = char((crc >> (24 - 8 * i)) & 0xFF);
    return png;
}

QAbstractButton* botao(QWidget* tela, const char* nome) {
    return tela->findChild<QAbstractButton*>(QLatin1String(nome));
}

void toca(QWidget* tela, const char* nome) {
    QAbstractButton* b = botao(tela, nome);
    QVERIFY2(b != nullptr, nome);
    QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
}

void tocaTeclas(QWidget* tela, const QString& texto) {
    auto* teclas = tela->findChild<TecladoToque*>();
    QVERIFY(teclas != nullptr);
    QVERIFY(QTest::qWaitFor([teclas] { return teclas->aceitaToques(); }, 5000));
    for (const QChar c : texto) {
        auto* b =
            tela->findChild<QAbstractButton*>(c == u' ' ? QStringLiteral("tcbEspaco") : TecladoToque::nomeTecla(c));
        QVERIFY2(b != nullptr, qPrintable(QString(c)));
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    }
}

QStringList nomes(const ImagensModel* m) {
    QStringList out;
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->referencia(r);
    return out;
}

} // namespace

class TstSiblingsImagem : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString pasta() const { return m_dir.filePath(QStringLiteral("imagens")); }

private slots:
    void initTestCase() {
        desenha(pasta() + "/suco de laranja.png", {300, 200}, QColor(240, 140, 0));
        desenha(pasta() + "/suco de limão.jpg", {200, 200}, QColor(120, 200, 40), "jpeg");
        escreve(pasta() + "/lanche.svg", kSvg);
        escreve(pasta() + "/leia-me.txt", "not a picture");
        escreve(pasta() + "/quebrada.png", "\x89PNG garbage that is no picture");
        desenha(pasta() + "/bebidas/agua.png", {20, 20}, Qt::blue);
    }

    void listsThumbnailsFiltersAndChooses() {
        OpcoesPesquisaImagem opcoes;
        opcoes.titulo = QStringLiteral("Imagem do botão 01 — \"Lanches\"");
        opcoes.atual = QStringLiteral("lanche.svg");
        TfrmPesquisaImagem picker(pasta(), TfrmPesquisaImagem::Forma::Escolha, opcoes);
        QAbstractItemModelTester tester(picker.modelo());
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));
        // Pictures of the folder and its subfolders, by name; the broken one
        // is listed (and shown crossed out), the text file is not.
        QCOMPARE(nomes(picker.modelo()), QStringList({"bebidas/agua.png", "lanche.svg", "quebrada.png",
                                                      "suco de laranja.png", "suco de limão.jpg"}));
        QCOMPARE(picker.caminhoSelecionado(), QDir(pasta()).filePath("lanche.svg"));
        const QSize caixa = TfrmPesquisaImagem::tamanhoMiniatura();
        for (int r = 0; r < picker.modelo()->rowCount(); ++r) {
            const QPixmap p = qvariant_cast<QIcon>(picker.modelo()->data(picker.modelo()->index(r), Qt::DecorationRole))
                                  .pixmap(caixa);
            QVERIFY(!p.isNull());
            QVERIFY(p.width() <= caixa.width() && p.height() <= caixa.height());
        }
        const QPixmap laranja =
            qvariant_cast<QIcon>(picker.modelo()->data(picker.modelo()->index(3), Qt::DecorationRole)).pixmap(caixa);
        QCOMPARE(laranja.size(), QSize(128, 85)); // 300x200 kept in proportion
        QCOMPARE(laranja.toImage().pixelColor(4, 4), QColor(240, 140, 0));
        QVERIFY(picker.findChild<QLabel*>("lblAviso")->text().contains("5 imagens"));
        foto(&picker, QStringLiteral("picker"));

        // The docked keys narrow the list, ignoring case and accents.
        tocaTeclas(&picker, QStringLiteral("limao"));
        QCOMPARE(nomes(picker.modelo()), QStringList({"suco de limão.jpg"}));
        foto(&picker, QStringLiteral("picker-filtrado"));
        tocaTeclas(&picker, QStringLiteral("x"));
        QCOMPARE(picker.modelo()->rowCount(), 0);
        QVERIFY(!botao(&picker, "tcbEscolher")->isEnabled());
        QVERIFY(picker.findChild<QLabel*>("lblAviso")->text().contains("Nenhuma imagem com esse nome"));
        picker.findChild<QLineEdit*>("edtFiltro")->setText(QStringLiteral("SUCO   lim"));
        QCOMPARE(nomes(picker.modelo()), QStringList({"suco de limão.jpg"}));
        toca(&picker, "tcbEscolher");
        QCOMPARE(picker.result(), int(QDialog::Accepted));
        QCOMPARE(picker.escolha().escolheu, true);
        QCOMPARE(picker.escolha().referencia, QString("suco de limão.jpg"));
    }

    void semImagemAndCancel() {
        TfrmPesquisaImagem picker(pasta(), TfrmPesquisaImagem::Forma::Escolha);
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));
        toca(&picker, "tcbSemImagem");
        QCOMPARE(picker.result(), int(QDialog::Accepted));
        QVERIFY(picker.escolha().escolheu);
        QVERIFY(picker.escolha().referencia.isEmpty());

        TfrmPesquisaImagem outro(pasta(), TfrmPesquisaImagem::Forma::Escolha);
        outro.show();
        QVERIFY(QTest::qWaitForWindowExposed(&outro));
        toca(&outro, "tcbCancelar");
        QCOMPARE(outro.result(), int(QDialog::Rejected));
        QVERIFY(!outro.escolha().escolheu);

        // An empty folder says what to do.
        TfrmPesquisaImagem vazio(m_dir.filePath("nenhuma"), TfrmPesquisaImagem::Forma::Escolha);
        QCOMPARE(vazio.modelo()->rowCount(), 0);
        QVERIFY(vazio.findChild<QLabel*>("lblAviso")->text().contains("Importar"));
    }

    void decodingLimits() {
        QString motivo;
        const QString enorme = m_dir.filePath("limites/enorme.png");
        escreve(enorme, pngDeclarando(30000, 30000));
        QCOMPARE(QImageReader(enorme).size(), QSize(30000, 30000)); // the header says so
        QVERIFY(ImagensModel::miniatura(enorme, {128, 96}, &motivo).isNull());
        QVERIFY2(motivo.contains("over the limit"), qPrintable(motivo));

        const QString pesada = m_dir.filePath("limites/pesada.png");
        {
            QFile f(pesada);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(ImagensModel::kMaxBytes + 1)); // sparse
        }
        QVERIFY(ImagensModel::miniatura(pesada, {128, 96}, &motivo).isNull());
        QVERIFY2(motivo.contains("over the limit"), qPrintable(motivo));
        const PictureImport::Resultado r = PictureImport::importa(enorme, m_dir.filePath("limites/destino"));
        QVERIFY(!r.ok);
        QVERIFY(!r.erro.contains("/"));
        QVERIFY(!QFileInfo::exists(m_dir.filePath("limites/destino")));
    }

    void importShrinksAndNeverReplaces() {
        const QString pendrive = m_dir.filePath("media/PENDRIVE");
        const QString destino = m_dir.filePath("novas/imagens"); // not there yet
        desenha(pendrive + "/fotos/prato.png", {1000, 400}, QColor(200, 30, 30));
        desenha(pendrive + "/outras/prato.png", {1000, 400}, QColor(30, 30, 200));
        desenha(pendrive + "/pequena.jpg", {50, 40}, QColor(10, 120, 10), "jpeg");
        escreve(pendrive + "/desenho.svg", kSvg);
        escreve(pendrive + "/nota.txt", "x");

        PictureImport::Resultado r = PictureImport::importa(pendrive + "/fotos/prato.png", destino);
        QVERIFY2(r.ok, qPrintable(r.erro));
        QCOMPARE(r.referencia, QString("prato.png"));
        const QImage reduzida(QDir(destino).filePath("prato.png"));
        QCOMPARE(reduzida.size(), QSize(210, 84)); // within twice the largest button, in proportion
        QCOMPARE(reduzida.pixelColor(2, 2), QColor(200, 30, 30));

        // The same picture again is the file already there; another of the
        // same name takes a new name and leaves the first as it was.
        QCOMPARE(PictureImport::importa(pendrive + "/fotos/prato.png", destino).referencia, QString("prato.png"));
        r = PictureImport::importa(pendrive + "/outras/prato.png", destino);
        QVERIFY(r.ok);
        QCOMPARE(r.referencia, QString("prato (2).png"));
        QCOMPARE(QImage(QDir(destino).filePath("prato.png")).pixelColor(2, 2), QColor(200, 30, 30));
        QCOMPARE(QImage(QDir(destino).filePath("prato (2).png")).pixelColor(2, 2), QColor(30, 30, 200));
        QCOMPARE(QDir(destino).entryList(QDir::Files).size(), 2);

        // A picture that fits and a drawing are copied as they are.
        QVERIFY(PictureImport::importa(pendrive + "/pequena.jpg", destino).ok);
        QFile a(pendrive + "/pequena.jpg"), b(QDir(destino).filePath("pequena.jpg"));
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(b.readAll(), a.readAll());
        QCOMPARE(PictureImport::importa(pendrive + "/desenho.svg", destino).referencia, QString("desenho.svg"));

        r = PictureImport::importa(pendrive + "/nota.txt", destino);
        QVERIFY(!r.ok);
        QVERIFY(r.erro.contains("não é uma imagem"));
        QVERIFY(!QFileInfo::exists(QDir(destino).filePath("nota.txt")));
    }

    // The import form lists every picture under the sticks' folder; the
    // picked one comes into the folder and is selected in the picker.
    void importFromTheSticksFolder() {
        const QString raiz = m_dir.filePath("media2");
        desenha(raiz + "/USB/cardapio/bebidas/cafe.png", {400, 400}, QColor(90, 50, 20));
        desenha(raiz + "/USB/lanche.png", {30, 30}, Qt::yellow); // a name the folder has as .svg: no clash
        qputenv("KALMORA_IMPORTA_IMAGENS", raiz.toUtf8());
        QCOMPARE(PictureImport::raiz(), raiz);
        TfrmPesquisaImagem origem(PictureImport::raiz(), TfrmPesquisaImagem::Forma::Importacao);
        QCOMPARE(nomes(origem.modelo()), QStringList({"USB/cardapio/bebidas/cafe.png", "USB/lanche.png"}));
        QVERIFY(botao(&origem, "tcbSemImagem") == nullptr);
        origem.show();
        QVERIFY(QTest::qWaitForWindowExposed(&origem));
        foto(&origem, QStringLiteral("picker-importar"));
        qunsetenv("KALMORA_IMPORTA_IMAGENS");
        QCOMPARE(PictureImport::raiz(), QString("/media"));

        TfrmPesquisaImagem picker(pasta(), TfrmPesquisaImagem::Forma::Escolha);
        picker.findChild<QLineEdit*>("edtFiltro")->setText(QStringLiteral("laranja"));
        QVERIFY(picker.importaArquivo(raiz + "/USB/cardapio/bebidas/cafe.png"));
        QVERIFY(picker.findChild<QLineEdit*>("edtFiltro")->text().isEmpty());
        QCOMPARE(picker.caminhoSelecionado(), QDir(pasta()).filePath("cafe.png"));
        QVERIFY(picker.findChild<QLabel*>("lblAviso")->text().contains("importada"));
        QVERIFY(QFile::remove(QDir(pasta()).filePath("cafe.png")));
    }
};

QTEST_MAIN(TstSiblingsImagem)
#include "tst_siblings_imagem.moc"
