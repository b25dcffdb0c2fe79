#pragma once
// The pictures a picker offers: files of a folder (PNG, JPEG, SVG), each with
// its reference (the file name relative to the folder) and a thumbnail
// decoded when the view first asks for it, within fixed limits, so that a
// huge or hostile file never exhausts memory. A filter narrows the list to
// the names holding every word typed, ignoring case and accents.

#include <QAbstractListModel>
#include <QCache>
#include <QPixmap>
#include <QSize>
#include <QStringList>

class ImagensModel : public QAbstractListModel {
    Q_OBJECT
public:
    // The reference of a row (Qt::UserRole).
    static constexpr int kReferenciaRole = Qt::UserRole;

    explicit ImagensModel(QSize miniatura, QObject* parent = nullptr);

    // Every picture under a folder and its subfolders (the picture folder,
    // a USB stick), by name, at most kMaxArquivos files and kMaxProfundidade
    // levels deep; the reference is the path relative to the folder
    // ("bebidas/suco.png"). Links are not followed.
    void carrega(const QString& raiz);

    void setFiltro(const QString& filtro);
    QString filtro() const { return m_filtro; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    QString referencia(int linha) const;
    QString caminho(int linha) const;
    // The row of a reference among those shown; -1 when it is not shown.
    int linhaDe(const QString& referencia) const;
    int total() const { return static_cast<int>(m_entradas.size()); }
    // Thumbnails held decoded (the most recently shown, at most kMaxMiniaturas).
    int miniaturasFeitas() const { return static_cast<int>(m_miniaturas.size()); }

    // Whether a file name is of a kind the pickers offer.
    static bool ehImagem(const QString& nomeArquivo);
    // A thumbnail of the file scaled to fit the size, or a null image when the
    // file is not a readable picture or lies past the limits (the reason in
    // motivo, for the log).
    static QImage miniatura(const QString& caminho, QSize tamanho, QString* motivo = nullptr);

    static constexpr qint64 kMaxBytes = 32 * 1024 * 1024; // file size
    static constexpr qint64 kMaxPixels = 40'000'000;      // width x height as declared by the file
    static constexpr int kMaxArquivos = 2000;
    static constexpr int kMaxProfundidade = 6;
    static constexpr int kMaxVisitados = 50000; // entries a walk of a stick looks at
    static constexpr int kMaxMiniaturas = 600;  // about 30 MB of thumbnails

private:
    struct Entrada {
        QString referencia;
        QString caminho;
        QString chave; // folded name, for the filter
    };
    void defineEntradas(QList<Entrada> entradas);
    void refiltra();
    QPixmap miniaturaDe(const Entrada& e) const;

    QSize m_tamanho;
    QList<Entrada> m_entradas;
    QList<int> m_visiveis;
    QString m_filtro;
    mutable QCache<QString, QPixmap> m_miniaturas{kMaxMiniaturas};
};
