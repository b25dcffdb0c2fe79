#include "PictureImport.h"

#include "ImagensModel.h"

#include <KmrLog.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

namespace PictureImport {

namespace {

// A name stays well within the reference column (200 characters).
constexpr int kMaxNome = 100;

Resultado falha(const QString& texto, const QString& detalhe) {
    qCWarning(lcKmrApp) << "picture import:" << detalhe;
    return {false, QString(), texto};
}

QByteArray leArquivo(const QString& caminho) {
    QFile f(caminho);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// The file name an imported picture takes: its own, without characters a
// reference cannot hold, and not too long.
QString nomeLimpo(const QString& origem) {
    const QFileInfo info(origem);
    QString base;
    for (const QChar c : info.completeBaseName())
        base += (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format || c == u'/') ? u'_' : c;
    base = base.trimmed().left(kMaxNome);
    if (base.isEmpty())
        base = QStringLiteral("imagem");
    return base + u'.' + info.suffix().toLower();
}

// The picture's bytes as they go into the folder: as they are when the
// picture fits (or is a drawing, which scales), else decoded shrunk and
// written again in its own format.
bool conteudoReduzido(const QString& origem, const QByteArray& original, QSize maximo, QByteArray& saida,
                      QString& detalhe) {
    const QString sufixo = QFileInfo(origem).suffix().toLower();
    QBuffer buffer;
    buffer.setData(original);
    QImageReader leitor(&buffer);
    leitor.setAutoTransform(true);
    const QSize tamanho = leitor.size();
    if (!tamanho.isValid() || tamanho.isEmpty()) {
        detalhe = QStringLiteral("not a readable picture: ") + leitor.errorString();
        return false;
    }
    if (qint64(tamanho.width()) * tamanho.height() > ImagensModel::kMaxPixels) {
        detalhe = QStringLiteral("%1x%2 pixels, over the limit").arg(tamanho.width()).arg(tamanho.height());
        return false;
    }
    if (sufixo == QLatin1String("svg") || (tamanho.width() <= maximo.width() && tamanho.height() <= maximo.height())) {
        if (leitor.read().isNull()) { // it must at least decode
            detalhe = QStringLiteral("picture does not decode: ") + leitor.errorString();
            return false;
        }
        saida = original;
        return true;
    }
    leitor.setScaledSize(tamanho.scaled(maximo, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    const QImage imagem = leitor.read();
    if (imagem.isNull()) {
        detalhe = QStringLiteral("picture does not decode: ") + leitor.errorString();
        return false;
    }
    QBuffer escrita(&saida);
    escrita.open(QIODevice::WriteOnly);
    const bool png = sufixo == QLatin1String("png");
    QImageWriter escritor(&escrita, png ? "png" : "jpeg");
    if (!png)
        escritor.setQuality(90);
    if (!escritor.write(imagem)) {
        detalhe = QStringLiteral("shrunk picture not written: ") + escritor.errorString();
        return false;
    }
    return true;
}

} // namespace

QString raiz() {
    const QString env = qEnvironmentVariable("KALMORA_IMPORTA_IMAGENS").trimmed();
    return env.isEmpty() ? QStringLiteral("/media") : QDir::cleanPath(env);
}

QString nomeLivre(const QString& pasta, const QString& nome, const QByteArray& conteudo) {
    const QDir dir(pasta);
    const QFileInfo info(nome);
    const QString base = info.completeBaseName();
    const QString sufixo = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    const QString sub = info.path() == QLatin1String(".") ? QString() : info.path() + u'/';
    QString candidato = nome;
    for (int n = 2;; ++n) {
        const QString caminho = dir.filePath(candidato);
        if (!QFileInfo::exists(caminho))
            return candidato;
        if (QFileInfo(caminho).isFile() && leArquivo(caminho) == conteudo)
            return candidato;
        candidato = sub + QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(sufixo);
    }
}

Resultado importa(const QString& origem, const QString& pasta, QSize maximo) {
    const QFileInfo info(origem);
    if (!info.isFile() || !ImagensModel::ehImagem(origem))
        return falha(QStringLiteral("O arquivo escolhido não é uma imagem PNG, JPEG ou SVG. Escolha outro."),
                     QStringLiteral("not a picture file: ") + origem);
    if (info.size() > ImagensModel::kMaxBytes)
        return falha(QStringLiteral("A imagem escolhida é grande demais (mais de 32 MB). Escolha outra."),
                     QStringLiteral("%1 bytes: %2").arg(info.size()).arg(origem));
    const QByteArray original = leArquivo(origem);
    if (original.size() != info.size())
        return falha(QStringLiteral("Não foi possível ler a imagem do pendrive. Verifique o pendrive e tente de novo."),
                     QStringLiteral("read failed: ") + origem);
    QByteArray conteudo;
    QString detalhe;
    if (!conteudoReduzido(origem, original, maximo, conteudo, detalhe))
        return falha(QStringLiteral("O arquivo escolhido não pôde ser lido como imagem. Escolha outro."),
                     detalhe + QStringLiteral(": ") + origem);
    if (!QDir().mkpath(pasta))
        return falha(QStringLiteral("Não foi possível criar a pasta de imagens. Verifique a permissão de escrita."),
                     QStringLiteral("mkpath failed: ") + pasta);
    const QString nome = nomeLivre(pasta, nomeLimpo(origem), conteudo);
    const QString destino = QDir(pasta).filePath(nome);
    if (QFileInfo::exists(destino))
        return {true, nome, QString()}; // the same picture is already there
    QSaveFile arquivo(destino);
    if (!arquivo.open(QIODevice::WriteOnly) || arquivo.write(conteudo) != conteudo.size() || !arquivo.commit())
        return falha(QStringLiteral("Não foi possível gravar a imagem na pasta de imagens. Verifique o espaço e a "
                                    "permissão de escrita."),
                     QStringLiteral("write failed: %1: %2").arg(destino, arquivo.errorString()));
    qCInfo(lcKmrApp) << "picture imported:" << origem << "as" << destino;
    return {true, nome, QString()};
}

} // namespace PictureImport
