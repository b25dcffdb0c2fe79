#include "SheetCommands.h"

#include "CommandSupport.h"

#include <KmrImagens.h>
#include <KmrLog.h>
#include <KmrPictures.h>
#include <Srv_Kmr00003.h>
#include <TTouchButton.h>

#include <QDir>
#include <QImage>
#include <QPageLayout>
#include <QPdfWriter>
#include <QSaveFile>

using namespace Comando;
using SheetCommands::kFolha;

namespace {

const QString kPdf = QStringLiteral("pdf");
const QString kPng = QStringLiteral("png");

constexpr qreal kMargem = 40.0;
constexpr qreal kTopoGrade = 120.0;
// PNG sheets at 150 dots per inch: sharp on a phone, small enough for a chat.
constexpr qreal kEscalaPng = 150.0 / 96.0;

// The buttons of the screen, at the screen's size and spacing.
struct Grade {
    int colunas, linhas;
    QSize botao;
    QSize passo;
    qreal escala; // screen pixels to sheet units
};
constexpr Grade kGradeGrupos{4, 3, {105, 47}, {116, 63}, 2.3};
constexpr Grade kGradeProdutos{6, 6, {75, 53}, {80, 62}, 1.7};

// Ligatures off: the PDF's text is searched and copied letter by letter
// ("fi", not one glyph). Latin text needs no shaping to read right.
QFont semLigaduras(QFont f) {
    f.setStyleStrategy(QFont::StyleStrategy(f.styleStrategy() | QFont::PreferNoShaping));
    return f;
}

QFont fonteTexto(int pixels, bool negrito) {
    QFont f;
    f.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"), QStringLiteral("sans-serif")});
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixels);
    f.setBold(negrito);
    return semLigaduras(f);
}

QString doisDigitos(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString tituloDa(const FolhaMenu& folha) {
    switch (folha.tipo) {
    case FolhaMenu::Tipo::Grupos:
        return QStringLiteral("Grupos: página %1").arg(folha.paginaGrupo);
    case FolhaMenu::Tipo::Produtos:
        return QStringLiteral("Produtos do grupo %1 (botão %2, grupos página %3): página %4")
            .arg(folha.grupo, doisDigitos(folha.botaoGrupo))
            .arg(folha.paginaGrupo)
            .arg(folha.pagina);
    case FolhaMenu::Tipo::Lista:
        return folha.pagina == 1 ? QStringLiteral("Lista de produtos do menu")
                                 : QStringLiteral("Lista de produtos do menu (continuação %1)").arg(folha.pagina);
    }
    return {};
}

void desenhaCabecalho(QPainter& p, const FolhaMenu& folha, int numero, const SheetCommands::Cabecalho& c) {
    const qreal largura = kFolha.width() - 2 * kMargem;
    p.setPen(QColor(0, 0, 128));
    p.setFont(fonteTexto(20, true));
    p.drawText(QRectF(kMargem, kMargem - 10, largura, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Kalmora - Filial %1, configuração %2").arg(c.filial, c.conf));
    p.setFont(fonteTexto(13, false));
    p.drawText(QRectF(kMargem, kMargem - 10, largura, 30), Qt::AlignRight | Qt::AlignVCenter,
               c.quando.toString(QStringLiteral("dd/MM/yyyy HH:mm")));
    p.setPen(Qt::black);
    p.setFont(fonteTexto(17, true));
    p.drawText(QRectF(kMargem, kMargem + 22, largura, 28), Qt::AlignLeft | Qt::AlignVCenter, tituloDa(folha));
    p.setPen(QPen(QColor(0, 0, 128), 1.5));
    p.drawLine(QPointF(kMargem, kMargem + 56), QPointF(kMargem + largura, kMargem + 56));
    p.setPen(QColor(90, 90, 90));
    p.setFont(fonteTexto(11, false));
    p.drawText(QRectF(kMargem, kFolha.height() - kMargem, largura, 20), Qt::AlignRight,
               QStringLiteral("Folha %1 de %2").arg(numero).arg(c.total));
}

// The button's picture as the screen shows it, decoded for the sheet's
// scale; a picture that cannot be shown leaves the caption alone (the
// failure is logged once), with no mark on paper.
void mostraImagem(TTouchButton& botao, const QString& referencia, qreal escala) {
    botao.setPictureScale(escala);
    botao.setPicture(caminhoImagem(referencia));
    if (botao.pictureMissing())
        botao.setPicture(QString());
}

// A button drawn by the host's touch button, as the screen draws it: the
// navigators show their arrow only.
void desenhaBotao(QPainter& p, TTouchButton& botao, const BotaoFolha* item, const QPointF& onde, qreal escala) {
    botao.setCaption(QString());
    botao.SetColor(11571344);
    botao.setFontColor(0);
    botao.clearGlyph();
    botao.setCaptionHidden(false);
    if (item) {
        const bool navegadorGrupo = item->tipo == QLatin1String("7") || item->tipo == QLatin1String("8");
        const bool navegadorProduto = item->tipo == QLatin1String("9") || item->tipo == QLatin1String("A");
        botao.SetColor(item->fundo);
        if (navegadorGrupo) {
            botao.setGlyph(KmrPictures::setaNavegador(item->tipo == QLatin1String("7")));
        } else {
            botao.setFontColor(item->fonte);
            botao.setCaption(item->legenda);
        }
        if (navegadorProduto) {
            botao.setCaptionHidden(true);
            botao.setGlyph(KmrPictures::setaNavegador(item->tipo == QLatin1String("9")));
        } else if (!navegadorGrupo) {
            mostraImagem(botao, item->imagem, p.worldTransform().m11() * escala);
        }
    }
    p.save();
    p.translate(onde);
    p.scale(escala, escala);
    botao.render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
    p.restore();
}

void desenhaGrade(QPainter& p, const FolhaMenu& folha, const Grade& g) {
    TTouchButton botao;
    botao.resize(g.botao);
    botao.setFont(semLigaduras(botao.font()));
    const qreal largura = (g.passo.width() * (g.colunas - 1) + g.botao.width()) * g.escala;
    const qreal x0 = (kFolha.width() - largura) / 2;
    for (int n = 1; n <= g.colunas * g.linhas; ++n) {
        const BotaoFolha* item = nullptr;
        for (const BotaoFolha& b : folha.botoes)
            if (b.posicao == n)
                item = &b; // as on the screen, the last item of a position is the one shown
        const QPointF onde(x0 + ((n - 1) % g.colunas) * g.passo.width() * g.escala,
                           kTopoGrade + ((n - 1) / g.colunas) * g.passo.height() * g.escala);
        desenhaBotao(p, botao, item, onde, g.escala);
        // The position, small, in the button's upper left corner.
        p.setPen(QColor(110, 110, 110));
        p.setFont(fonteTexto(10, false));
        p.drawText(QRectF(onde.x() - 2, onde.y() - 14, 40, 13), Qt::AlignLeft, doisDigitos(n));
    }
}

void desenhaLista(QPainter& p, const FolhaMenu& folha) {
    const qreal colunas[] = {kMargem, kMargem + 260, kMargem + 420, kMargem + 540, kMargem + 900};
    const qreal larguras[] = {255, 155, 115, 355, 140};
    const QString titulos[] = {QStringLiteral("Grupo"), QStringLiteral("Grupos: pág. / botão"),
                               QStringLiteral("Produtos: pág."), QStringLiteral("Produto (posição)"),
                               QStringLiteral("Código")};
    const qreal altura = 19.0;
    qreal y = kTopoGrade - 10;
    p.setPen(Qt::black);
    p.setFont(fonteTexto(12, true));
    for (int c = 0; c < 5; ++c)
        p.drawText(QRectF(colunas[c], y, larguras[c], altura), Qt::AlignLeft | Qt::AlignVCenter, titulos[c]);
    y += altura + 4;
    p.setFont(fonteTexto(12, false));
    if (folha.produtos.isEmpty()) {
        p.drawText(QRectF(kMargem, y, 600, altura), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Nenhum produto no menu desta configuração."));
        return;
    }
    bool faixa = false;
    for (const ProdutoListado& prod : folha.produtos) {
        if (faixa)
            p.fillRect(QRectF(kMargem, y, kFolha.width() - 2 * kMargem, altura), QColor(235, 238, 245));
        faixa = !faixa;
        const QString valores[] = {prod.grupo,
                                   QStringLiteral("%1 / %2").arg(prod.paginaGrupo).arg(doisDigitos(prod.botaoGrupo)),
                                   QString::number(prod.pagina),
                                   QStringLiteral("%1 (%2)").arg(prod.legenda, doisDigitos(prod.posicao)), prod.codigo};
        for (int c = 0; c < 5; ++c) {
            const QString texto = p.fontMetrics().elidedText(valores[c], Qt::ElideRight, int(larguras[c]));
            p.drawText(QRectF(colunas[c], y, larguras[c], altura), Qt::AlignLeft | Qt::AlignVCenter, texto);
        }
        y += altura;
    }
}

struct Folhas {
    QList<FolhaMenu> folhas;
    SheetCommands::Cabecalho cabecalho;
};

Folhas leFolhas(const Configuracao& alvo) {
    Sessao sessao;
    QVariant r;
    const DataPacket itens =
        resultado("getExportaConf", getExportaConf(alvo.filial, alvo.conf, r), r).value<DataPacket>();
    Folhas f{montaFolhas(itens), {alvo.filial, alvo.conf, QDateTime::currentDateTime(), 0}};
    f.cabecalho.total = int(f.folhas.size());
    return f;
}

int gravaPdf(const QString& arquivo, const Configuracao& alvo) {
    const Folhas f = leFolhas(alvo);
    QSaveFile saida(arquivo);
    if (!saida.open(QIODevice::WriteOnly)) {
        qCWarning(lcKmrApp) << "cannot write" << arquivo << ":" << saida.errorString();
        throw Falha{QStringLiteral("não foi possível gravar o PDF. Verifique a pasta e a permissão de escrita.")};
    }
    {
        QPdfWriter pdf(&saida);
        pdf.setTitle(QStringLiteral("Menu da filial %1, configuração %2").arg(alvo.filial, alvo.conf));
        pdf.setCreator(QStringLiteral("Kalmora"));
        pdf.setResolution(300);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
        QPainter p(&pdf);
        const qreal escala = pdf.width() / kFolha.width();
        for (int i = 0; i < f.folhas.size(); ++i) {
            if (i > 0)
                pdf.newPage();
            p.save();
            p.scale(escala, escala);
            SheetCommands::desenhaFolha(p, f.folhas[i], i + 1, f.cabecalho);
            p.restore();
        }
    }
    if (!saida.commit()) {
        qCWarning(lcKmrApp) << "cannot write" << arquivo << ":" << saida.errorString();
        throw Falha{QStringLiteral("não foi possível gravar o PDF. Verifique a pasta e a permissão de escrita.")};
    }
    imprime(QStringLiteral("%1 folhas da %2 gravadas no PDF.").arg(f.folhas.size()).arg(alvo.nome()));
    return 0;
}

int gravaPng(const QString& pasta, const Configuracao& alvo) {
    const Folhas f = leFolhas(alvo);
    if (!QDir().mkpath(pasta))
        throw Falha{QStringLiteral("não foi possível criar a pasta das imagens. Verifique o caminho e a permissão de "
                                   "escrita.")};
    const QSize tamanho = (kFolha * kEscalaPng).toSize();
    for (int i = 0; i < f.folhas.size(); ++i) {
        QImage imagem(tamanho, QImage::Format_RGB32);
        imagem.fill(Qt::white);
        {
            QPainter p(&imagem);
            p.setRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::TextAntialiasing);
            p.scale(kEscalaPng, kEscalaPng);
            SheetCommands::desenhaFolha(p, f.folhas[i], i + 1, f.cabecalho);
        }
        const QString nome = QStringLiteral("folha-%1.png").arg(i + 1, 2, 10, QLatin1Char('0'));
        QSaveFile saida(QDir(pasta).filePath(nome));
        if (!saida.open(QIODevice::WriteOnly) || !imagem.save(&saida, "PNG") || !saida.commit()) {
            qCWarning(lcKmrApp) << "cannot write" << saida.fileName() << ":" << saida.errorString();
            throw Falha{QStringLiteral("não foi possível gravar a imagem %1. Verifique a pasta e a permissão de "
                                       "escrita.")
                            .arg(nome)};
        }
    }
    imprime(QStringLiteral("%1 folhas da %2 gravadas como imagens PNG.").arg(f.folhas.size()).arg(alvo.nome()));
    return 0;
}

} // namespace

namespace SheetCommands {

void addOptions(QCommandLineParser& parser) {
    parser.addOptions({
        {kPdf,
         QStringLiteral("Grava a configuração inteira no ARQUIVO PDF (A4 deitado: uma folha por página de grupos e "
                        "por página de produtos de cada grupo, e a lista de todos os produtos) e sai. Não precisa de "
                        "tela."),
         QStringLiteral("ARQUIVO")},
        {kPng, QStringLiteral("Grava as mesmas folhas do --pdf como imagens PNG na PASTA, uma por folha, e sai."),
         QStringLiteral("PASTA")},
    });
}

bool pedeFolhas(const QCommandLineParser& parser) {
    return parser.isSet(kPdf) || parser.isSet(kPng);
}

std::optional<int> run(const QCommandLineParser& parser) {
    if (!pedeFolhas(parser))
        return std::nullopt;
    return executa([&] {
        semArgumentos(parser);
        if (parser.isSet(QStringLiteral("replace")))
            throw Falha{QStringLiteral("--replace só vale com --import, --import-csv ou --copy-config.")};
        const Configuracao alvo = configuracao(parser, false);
        if (parser.isSet(kPdf)) {
            if (parser.value(kPdf).isEmpty())
                throw Falha{QStringLiteral("informe o arquivo: --pdf ARQUIVO.")};
            return gravaPdf(parser.value(kPdf), alvo);
        }
        if (parser.value(kPng).isEmpty())
            throw Falha{QStringLiteral("informe a pasta: --png PASTA.")};
        return gravaPng(parser.value(kPng), alvo);
    });
}

void desenhaFolha(QPainter& p, const FolhaMenu& folha, int numero, const Cabecalho& cabecalho) {
    desenhaCabecalho(p, folha, numero, cabecalho);
    switch (folha.tipo) {
    case FolhaMenu::Tipo::Grupos:
        desenhaGrade(p, folha, kGradeGrupos);
        break;
    case FolhaMenu::Tipo::Produtos:
        desenhaGrade(p, folha, kGradeProdutos);
        break;
    case FolhaMenu::Tipo::Lista:
        desenhaLista(p, folha);
        break;
    }
}

} // namespace SheetCommands
