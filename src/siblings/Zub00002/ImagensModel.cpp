#include "ImagensModel.h"

#include "PesquisaFiltroModel.h"

#include <KmrLog.h>

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QPainter>

#include <algorithm>

namespace {

// Drawn in place of a picture that cannot be shown: a grey frame with a cross.
QPixmap ilegivel(QSize tamanho) {
    QPixmap p(tamanho);
    p.fill(QColor(235, 235, 235));
    QPainter pintor(&p);
    pintor.setPen(QPen(QColor(150, 150, 150), 3));
    const QRect r =
        p.rect().adjusted(tamanho.width() / 3, tamanho.height() / 3, -tamanho.width() / 3, -tamanho.height() / 3);
    pintor.drawLine(r.topLeft(), r.bottomRight());
    pintor.drawLine(r.topRight(), r.bottomLeft());
    return p;
}

bool porNome(const QString& a, const QString& b) {
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

} // namespace

ImagensModel::ImagensModel(QSize miniatura, QObject* parent) : QAbstractListModel(parent), m_tamanho(miniatura) {
}

bool ImagensModel::ehImagem(const QString& nomeArquivo) {
    const QString sufixo = QFileInfo(nomeArquivo).suffix().toLower();
    return sufixo == QLatin1String("png") || sufixo == QLatin1String("jpg") || sufixo == QLatin1String("jpeg") ||
           sufixo == QLatin1String("svg");
}

void ImagensModel::carrega(const QString& raiz) {
    QList<Entrada> entradas;
    const QDir base(raiz);
    // Links are not followed: a folder cannot lead the walk elsewhere.
    QDirIterator it(raiz, QDir::Files | QDir::Readable | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    int visitados = 0;
    while (it.hasNext() && entradas.size() < kMaxArquivos && ++visitados <= kMaxVisitados) {
        const QString caminho = it.next();
        const QString relativo = base.relativeFilePath(caminho);
        if (!ehImagem(caminho) || relativo.count(QLatin1Char('/')) >= kMaxProfundidade)
            continue;
        entradas.append({relativo, caminho, PesquisaFiltroModel::dobra(relativo)});
    }
    std::sort(entradas.begin(), entradas.end(),
              [](const Entrada& a, const Entrada& b) { return porNome(a.referencia, b.referencia); });
    defineEntradas(std::move(entradas));
}

void ImagensModel::defineEntradas(QList<Entrada> entradas) {
    beginResetModel();
    m_entradas = std::move(entradas);
    m_miniaturas.clear();
    m_visiveis.clear();
    refiltra();
    endResetModel();
}

void ImagensModel::setFiltro(const QString& filtro) {
    if (filtro == m_filtro)
        return;
    beginResetModel();
    m_filtro = filtro;
    refiltra();
    endResetModel();
}

void ImagensModel::refiltra() {
    const QStringList palavras = PesquisaFiltroModel::dobra(m_filtro).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    m_visiveis.clear();
    for (int i = 0; i < m_entradas.size(); ++i) {
        const QString& chave = m_entradas.at(i).chave;
        if (std::all_of(palavras.cbegin(), palavras.cend(), [&](const QString& p) { return chave.contains(p); }))
            m_visiveis.append(i);
    }
}

int ImagensModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_visiveis.size());
}

QVariant ImagensModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= m_visiveis.size())
        return {};
    const Entrada& e = m_entradas.at(m_visiveis.at(index.row()));
    switch (role) {
    case Qt::DisplayRole:
        return QFileInfo(e.referencia).fileName();
    case Qt::ToolTipRole:
    case kReferenciaRole:
        return e.referencia;
    case Qt::DecorationRole: {
        // The same picture when selected: the selection shows around it,
        // not tinted over it.
        const QPixmap p = miniaturaDe(e);
        QIcon icone;
        icone.addPixmap(p, QIcon::Normal);
        icone.addPixmap(p, QIcon::Selected);
        return icone;
    }
    default:
        return {};
    }
}

QPixmap ImagensModel::miniaturaDe(const Entrada& e) const {
    if (const QPixmap* achada = m_miniaturas.object(e.caminho))
        return *achada;
    QString motivo;
    const QImage imagem = miniatura(e.caminho, m_tamanho, &motivo);
    QPixmap p;
    if (imagem.isNull()) {
        qCWarning(lcKmrApp) << "picture not shown in the picker:" << e.caminho << motivo;
        p = ilegivel(m_tamanho);
    } else {
        p = QPixmap::fromImage(imagem);
    }
    m_miniaturas.insert(e.caminho, new QPixmap(p));
    return p;
}

QImage ImagensModel::miniatura(const QString& caminho, QSize tamanho, QString* motivo) {
    const auto falha = [&](const QString& texto) {
        if (motivo)
            *motivo = texto;
        return QImage();
    };
    const QFileInfo info(caminho);
    if (!info.isFile())
        return falha(QStringLiteral("not a file"));
    if (info.size() > kMaxBytes)
        return falha(QStringLiteral("file of %1 bytes, over the limit").arg(info.size()));
    QImageReader leitor(caminho);
    leitor.setAutoTransform(true);
    const QSize original = leitor.size();
    if (!original.isValid() || original.isEmpty())
        return falha(QStringLiteral("no picture size: %1").arg(leitor.errorString()));
    if (qint64(original.width()) * original.height() > kMaxPixels)
        return falha(QStringLiteral("%1x%2 pixels, over the limit").arg(original.width()).arg(original.height()));
    leitor.setScaledSize(original.scaled(tamanho, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage imagem = leitor.read();
    if (imagem.isNull())
        return falha(leitor.errorString());
    return imagem;
}

QString ImagensModel::referencia(int linha) const {
    return linha >= 0 && linha < m_visiveis.size() ? m_entradas.at(m_visiveis.at(linha)).referencia : QString();
}

QString ImagensModel::caminho(int linha) const {
    return linha >= 0 && linha < m_visiveis.size() ? m_entradas.at(m_visiveis.at(linha)).caminho : QString();
}

int ImagensModel::linhaDe(const QString& ref) const {
    for (int linha = 0; linha < m_visiveis.size(); ++linha)
        if (m_entradas.at(m_visiveis.at(linha)).referencia == ref)
            return linha;
    return -1;
}
