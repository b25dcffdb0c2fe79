#pragma once
// The pictures of the touch buttons, decoded once per file and size. A
// picture is read from its file only the first time a button of that size
// shows it; later paints, and every other button of the same size showing the
// same file, take the decoded image. A file that changes (another time of
// change or another size) is read again.
//
// Reading is bounded, so that a huge or hostile file costs little: a file
// over maxFileBytes is not read at all; a PNG, JPEG or other raster picture
// whose header announces more than maxPixels pixels is refused before it is
// decoded, and the decoder may not allocate more than that picture needs; an
// SVG is bounded by the file size, must be plain text (no compressed SVG) and
// may not embed or link raster images of its own. A picture that cannot be
// shown is logged once per file (path, time of change and size), never shown
// to the operator as a message.

#include <QCache>
#include <QHash>
#include <QImage>
#include <QSet>
#include <QSize>
#include <QString>

struct ButtonPictureLimits {
    qint64 maxFileBytes = 8 * 1024 * 1024;
    qint64 maxPixels = 4096LL * 4096LL;
};

enum class ButtonPictureStatus {
    Shown,      // decoded, scaled to the box
    Missing,    // no such file, or not a regular file
    TooLarge,   // over a limit: refused without decoding
    Unreadable, // not a picture of a known format, or damaged
};

struct ButtonPicture {
    QImage image; // null unless status is Shown; device pixel ratio set
    ButtonPictureStatus status = ButtonPictureStatus::Missing;
};

class ButtonPictureCache {
public:
    // The cache of every button of the process; the screens paint on the GUI
    // thread only.
    static ButtonPictureCache& instance();

    // The picture of the file at path, scaled to fit box (in device
    // independent pixels, keeping its aspect) at the device pixel ratio dpr.
    ButtonPicture picture(const QString& path, const QSize& box, qreal dpr = 1.0);

    // Empties the cache of decoded pictures (not the record of what was
    // logged).
    void clear();
    void setLimits(const ButtonPictureLimits& limits);
    ButtonPictureLimits limits() const { return m_limits; }
    // How many times a file has been decoded since the process started.
    int decodeCount() const { return m_decodes; }

    // Most kilobytes of decoded pictures held; the least recently used go
    // first.
    static constexpr int kMaxCostKb = 48 * 1024;

private:
    ButtonPictureCache();
    ButtonPicture decode(const QString& path, qint64 fileSize, const QSize& pixels, qreal dpr, QString& why);
    void logOnce(const QString& identity, const QString& path, const QString& why);

    QCache<QString, QImage> m_images;
    QHash<QString, ButtonPictureStatus> m_failed; // by file identity
    QSet<QString> m_logged;                       // file identities logged already
    ButtonPictureLimits m_limits;
    int m_decodes = 0;
};
