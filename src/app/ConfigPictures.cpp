#include "ConfigPictures.h"

#include <KmrImagens.h>
#include <KmrLog.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

namespace ConfigPictures {

namespace {

// A picture file from outside is read whole; past this it is left out.
constexpr qint64 kMaxBytes = 32 * 1024 * 1024;

QByteArray le(const QString& caminho) {
    QFile f(caminho);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxBytes)
        return {};
    return f.readAll();
}

bool grava(const QString& caminho, const QByteArray& dados) {
    if (!QDir().mkpath(QFileInfo(caminho).path()))
        return false;
    QSaveFile f(caminho);
    return f.open(QIODevice::WriteOnly) && f.write(dados) == dados.size() && f.commit();
}

bool ehImagem(const QString& nome) {
    const QString s = QFileInfo(nome).suffix().toLower();
    return s == QLatin1String("png") || s == QLatin1String("jpg") || s == QLatin1String("jpeg") ||
           s == QLatin1String("svg");
}

// A reference that names a file inside a folder: relative, without "..".
bool relativaSegura(const QString& ref) {
    if (ref.isEmpty() || !QDir::isRelativePath(ref) || ref.contains(QLatin1Char('\\')))
        return false;
    const QString limpa = QDir::cleanPath(ref);
    return limpa != QLatin1String("..") && !limpa.startsWith(QLatin1String("../")) && limpa != QLatin1String(".");
}

// The name under which dados can go into pasta without replacing another
// file: nome when free or holding the same bytes, else "base (n).ext".
QString nomeLivre(const QDir& pasta, const QString& nome, const QByteArray& dados) {
    const QFileInfo info(nome);
    const QString sub = info.path() == QLatin1String(".") ? QString() : info.path() + u'/';
    const QString sufixo = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    QString candidato = nome;
    for (int n = 2;; ++n) {
        const QFileInfo alvo(pasta.filePath(candidato));
        if (!alvo.exists() || (alvo.isFile() && le(alvo.filePath()) == dados))
            return candidato;
        candidato = sub + QStringLiteral("%1 (%2)%3").arg(info.completeBaseName()).arg(n).arg(sufixo);
    }
}

// Every distinct reference of the items, with the rows that hold it.
QHash<QString, QList<int>> referencias(const DataPacket& p, int coluna) {
    QHash<QString, QList<int>> refs;
    for (int r = 0; r < p.rowCount(); ++r) {
        const QString ref = p.text(r, coluna).trimmed();
        if (!ref.isEmpty())
            refs[ref].append(r);
    }
    return refs;
}

QStringList ordenadas(const QHash<QString, QList<int>>& refs) {
    QStringList chaves = refs.keys();
    chaves.sort();
    return chaves;
}

// "1 imagem copiada", "2 imagens copiadas".
QString quantas(qsizetype n, const char* um, const char* varios) {
    return QString::number(n) + u' ' + QString::fromUtf8(n == 1 ? um : varios);
}

} // namespace

QString pastaDoArquivo(const QString& arquivo) {
    return arquivo + QStringLiteral(".imagens");
}

bool exporta(DataPacket& pacote, const QString& arquivo, Exportadas& feito, QString& erro) {
    const int coluna = pacote.indexOf(u"DSIMAGEMBUT");
    if (coluna < 0)
        return true;
    const QDir destino(pastaDoArquivo(arquivo));
    const QHash<QString, QList<int>> refs = referencias(pacote, coluna);
    for (const QString& ref : ordenadas(refs)) {
        const QString origem = caminhoImagem(ref);
        const QByteArray dados = QFileInfo(origem).isFile() ? le(origem) : QByteArray();
        if (dados.isEmpty()) {
            qCWarning(lcKmrApp) << "export: picture not found or not readable:" << origem;
            feito.faltando << ref;
            continue;
        }
        QString nome = relativaSegura(ref) ? QDir::cleanPath(ref) : QFileInfo(ref).fileName();
        // Two absolute references of one name and other content keep apart.
        nome = nomeLivre(destino, nome, dados);
        if (!QFileInfo::exists(destino.filePath(nome)) && !grava(destino.filePath(nome), dados)) {
            qCWarning(lcKmrApp) << "export: picture not written:" << destino.filePath(nome);
            erro = QStringLiteral("não foi possível gravar as imagens na pasta ao lado do arquivo de exportação. "
                                  "Verifique o espaço e a permissão de escrita.");
            return false;
        }
        for (const int r : refs.value(ref))
            pacote.setValue(r, coluna, nome);
        ++feito.copiadas;
    }
    return true;
}

bool importa(DataPacket& pacote, const QString& arquivo, const QString& pasta, Importadas& feito, QString& erro) {
    const int coluna = pacote.indexOf(u"DSIMAGEMBUT");
    const QFileInfo origemInfo(pastaDoArquivo(arquivo));
    if (coluna < 0 || !origemInfo.isDir())
        return true;
    const QString raiz = origemInfo.canonicalFilePath();
    const QDir destino(pasta);
    const QHash<QString, QList<int>> refs = referencias(pacote, coluna);
    for (const QString& ref : ordenadas(refs)) {
        if (!relativaSegura(ref))
            continue; // an absolute reference is the other till's own file
        const QString limpa = QDir::cleanPath(ref);
        const QFileInfo origem(QDir(raiz).filePath(limpa));
        // Inside the folder beside the file, links resolved; a picture; not too large.
        const QString real = origem.canonicalFilePath();
        const QByteArray dados =
            origem.isFile() && real.startsWith(raiz + u'/') && ehImagem(limpa) ? le(real) : QByteArray();
        if (dados.isEmpty()) {
            qCWarning(lcKmrApp) << "import: picture not carried:" << origem.filePath();
            feito.faltando << ref;
            continue;
        }
        const QString nome = nomeLivre(destino, limpa, dados);
        const QString alvo = destino.filePath(nome);
        if (QFileInfo::exists(alvo)) {
            ++feito.jaExistiam;
        } else if (grava(alvo, dados)) {
            feito.criadas << alvo;
            ++feito.copiadas;
        } else {
            qCWarning(lcKmrApp) << "import: picture not written:" << alvo;
            desfaz(feito);
            feito = Importadas();
            erro = QStringLiteral("não foi possível gravar as imagens na pasta de imagens. Verifique o espaço e a "
                                  "permissão de escrita; nada foi gravado.");
            return false;
        }
        if (nome != ref) {
            if (nome != limpa)
                feito.novos.insert(ref, nome);
            for (const int r : refs.value(ref))
                pacote.setValue(r, coluna, nome);
        }
    }
    return true;
}

void desfaz(const Importadas& feito) {
    for (const QString& f : feito.criadas)
        QFile::remove(f);
}

QString resumo(const Exportadas& feito) {
    QString texto;
    if (feito.copiadas > 0)
        texto = quantas(feito.copiadas, "imagem gravada", "imagens gravadas") +
                QStringLiteral(" na pasta ao lado do arquivo.");
    if (!feito.faltando.isEmpty())
        texto += u' ' +
                 quantas(feito.faltando.size(), "imagem citada não foi encontrada e ficou",
                         "imagens citadas não foram encontradas e ficaram") +
                 QStringLiteral(" de fora: %1.").arg(feito.faltando.join(QStringLiteral(", ")));
    return texto.trimmed();
}

QString resumo(const Importadas& feito) {
    QStringList partes;
    if (feito.copiadas > 0)
        partes << quantas(feito.copiadas, "imagem copiada", "imagens copiadas") +
                      QStringLiteral(" para a pasta de imagens.");
    if (feito.jaExistiam > 0)
        partes << quantas(feito.jaExistiam, "imagem já estava", "imagens já estavam") +
                      QStringLiteral(" na pasta de imagens.");
    if (!feito.novos.isEmpty()) {
        QStringList nomes;
        for (auto it = feito.novos.cbegin(); it != feito.novos.cend(); ++it)
            nomes << QStringLiteral("%1 → %2").arg(it.key(), it.value());
        nomes.sort();
        partes << quantas(feito.novos.size(), "imagem tinha o nome de outra da pasta e foi copiada",
                          "imagens tinham o nome de outras da pasta e foram copiadas") +
                      QStringLiteral(" com outro nome, já usado nos botões: %1.").arg(nomes.join(QStringLiteral(", ")));
    }
    if (!feito.faltando.isEmpty())
        partes
            << quantas(feito.faltando.size(), "imagem citada não estava", "imagens citadas não estavam") +
                   QStringLiteral(" na pasta ao lado do arquivo: %1.").arg(feito.faltando.join(QStringLiteral(", ")));
    return partes.join(u' ');
}

} // namespace ConfigPictures
