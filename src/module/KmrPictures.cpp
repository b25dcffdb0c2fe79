#include "KmrPictures.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kLado = 28;

QPixmap tela(int lado) {
    QPixmap pix(lado, lado);
    pix.fill(Qt::transparent);
    return pix;
}

void pintaPaleta(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.setBrush(QColor(240, 225, 190));
    p.drawEllipse(QRectF(2, 4, 24, 20));
    const QColor cores[] = {Qt::red, QColor(0, 140, 0), Qt::blue, QColor(230, 180, 0)};
    const QPointF pontos[] = {{8, 10}, {14, 8}, {20, 11}, {18, 18}};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        p.setBrush(cores[i]);
        p.drawEllipse(pontos[i], 2.6, 2.6);
    }
}

void pintaLetra(QPainter& p) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(20);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0, 0, 128));
    p.drawText(QRect(0, 0, kLado, 22), Qt::AlignCenter, QStringLiteral("A"));
    p.fillRect(QRect(4, 23, 20, 4), QColor(200, 0, 0));
}

void pintaLapis(QPainter& p) {
    p.translate(14, 14);
    p.rotate(45);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(240, 190, 40));
    p.drawRect(QRectF(-3.5, -12, 7, 18));
    QPainterPath ponta;
    ponta.moveTo(-3.5, 6);
    ponta.lineTo(3.5, 6);
    ponta.lineTo(0, 12);
    ponta.closeSubpath();
    p.setBrush(QColor(230, 200, 160));
    p.drawPath(ponta);
}

void pintaTesoura(QPainter& p) {
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.drawLine(QPointF(6, 4), QPointF(20, 20));
    p.drawLine(QPointF(22, 4), QPointF(8, 20));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(180, 0, 0), 2));
    p.drawEllipse(QPointF(7, 23), 3.5, 3.5);
    p.drawEllipse(QPointF(21, 23), 3.5, 3.5);
}

void pintaBorracha(QPainter& p) {
    p.translate(14, 14);
    p.rotate(-30);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(235, 120, 140));
    p.drawRect(QRectF(-11, -6, 12, 12));
    p.setBrush(QColor(90, 120, 200));
    p.drawRect(QRectF(1, -6, 10, 12));
}

void pintaConfirma(QPainter& p) {
    p.setPen(QPen(QColor(0, 140, 0), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(5, 15), QPointF(11, 22), QPointF(23, 6)}));
}

void pintaCancela(QPainter& p) {
    p.setPen(QPen(QColor(200, 0, 0), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(7, 7), QPointF(21, 21));
    p.drawLine(QPointF(21, 7), QPointF(7, 21));
}

void pintaSair(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.setBrush(QColor(170, 120, 70));
    p.drawRect(QRectF(4, 3, 12, 22));
    p.setPen(QPen(QColor(0, 0, 128), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(12, 14), QPointF(25, 14));
    p.drawPolyline(QPolygonF({QPointF(20, 9), QPointF(25, 14), QPointF(20, 19)}));
}

// A framed picture: a sun over two hills.
void pintaImagem(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.setBrush(QColor(200, 230, 250));
    p.drawRect(QRectF(2, 5, 24, 19));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 190, 0));
    p.drawEllipse(QPointF(20, 10), 3, 3);
    p.setBrush(QColor(40, 150, 60));
    p.drawPolygon(QPolygonF({QPointF(3, 23), QPointF(11, 12), QPointF(18, 23)}));
    p.setBrush(QColor(20, 110, 40));
    p.drawPolygon(QPolygonF({QPointF(12, 23), QPointF(19, 15), QPointF(25, 23)}));
}

// A curved arrow turning back (undo) or, mirrored, forward (redo).
void pintaVolta(QPainter& p, bool refaz) {
    if (refaz) {
        p.translate(kLado, 0);
        p.scale(-1, 1);
    }
    QPainterPath curva;
    curva.moveTo(8, 12);
    curva.cubicTo(QPointF(14, 5), QPointF(25, 8), QPointF(23, 18));
    curva.cubicTo(QPointF(22, 22), QPointF(18, 24), QPointF(13, 24));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 128), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(curva);
    QPainterPath ponta;
    ponta.moveTo(3, 6);
    ponta.lineTo(12, 7);
    ponta.lineTo(6, 15);
    ponta.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 128));
    p.drawPath(ponta);
}

void pintaDesfazer(QPainter& p) {
    pintaVolta(p, false);
}

void pintaRefazer(QPainter& p) {
    pintaVolta(p, true);
}

} // namespace

namespace KmrPictures {

QPixmap setaNavegador(bool direita) {
    QPixmap pix = tela(32);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath seta;
    // Drawn pointing right; mirrored for the left navigator.
    seta.moveTo(3, 11);
    seta.lineTo(17, 11);
    seta.lineTo(17, 4);
    seta.lineTo(29, 16);
    seta.lineTo(17, 28);
    seta.lineTo(17, 21);
    seta.lineTo(3, 21);
    seta.closeSubpath();
    if (!direita) {
        p.translate(32, 0);
        p.scale(-1, 1);
    }
    p.setPen(QPen(QColor(20, 20, 20), 1.5));
    p.setBrush(Qt::white);
    p.drawPath(seta);
    return pix;
}

QPixmap ferramenta(const QString& nome) {
    using Pintor = void (*)(QPainter&);
    static const QHash<QString, Pintor> pintores = {
        {QStringLiteral("tcbCorButton"), pintaPaleta}, {QStringLiteral("tcbCorTexto"), pintaLetra},
        {QStringLiteral("tcbNome"), pintaLapis},       {QStringLiteral("tcbRecortar"), pintaTesoura},
        {QStringLiteral("tcbLimpar"), pintaBorracha},  {QStringLiteral("tcbConfirma"), pintaConfirma},
        {QStringLiteral("tcbCancela"), pintaCancela},  {QStringLiteral("tcbSair"), pintaSair},
        {QStringLiteral("tcbImagem"), pintaImagem},    {QStringLiteral("tcbDesfazer"), pintaDesfazer},
        {QStringLiteral("tcbRefazer"), pintaRefazer},
    };
    const auto it = pintores.constFind(nome);
    if (it == pintores.constEnd())
        return {};
    QPixmap pix = tela(kLado);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    it.value()(p);
    return pix;
}

} // namespace KmrPictures
