#include "CaptionLayoutCache.h"

#include <QCache>
#include <QHashFunctions>
#include <QPainter>
#include <QTextLayout>

#include <memory>
#include <vector>

namespace {

struct CaptionKey {
    QString text;
    QFont font;
    QSize area;
    bool struck = false;
    bool operator==(const CaptionKey& other) const {
        return area == other.area && struck == other.struck && text == other.text && font == other.font;
    }
};

size_t qHash(const CaptionKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.text, key.font, key.area.width(), key.area.height(), key.struck);
}

// One line shaped in the layout's font, as drawText would shape it: no
// wrapping, the line at the top of its own rectangle.
struct ShapedLine {
    std::unique_ptr<QTextLayout> text;
    qreal advance = 0; // what drawText centres the line on
    bool clip = false; // drawText clips a line that does not fit its rectangle
};

class PreparedCaption {
public:
    PreparedCaption(const CaptionLayout& layout, bool struck, int width) : m_layout(layout) {
        QFont font = layout.font;
        font.setStrikeOut(struck);
        QTextOption option;
        option.setWrapMode(QTextOption::ManualWrap);
        for (const QString& line : layout.lines) {
            ShapedLine shaped{std::make_unique<QTextLayout>(line, font), 0, false};
            shaped.text->setTextOption(option);
            shaped.text->beginLayout();
            QTextLine l = shaped.text->createLine();
            l.setPosition(QPointF(0, 0));
            shaped.text->endLayout();
            shaped.advance = l.horizontalAdvance();
            const qreal natural = l.naturalTextWidth();
            shaped.clip = natural > width || l.height() > layout.lineHeight;
            m_lines.push_back(std::move(shaped));
        }
    }

    void draw(QPainter& p, const QRect& area) const {
        int y = area.top() + (area.height() - m_layout.height()) / 2;
        for (const ShapedLine& line : m_lines) {
            const QRect rect(area.left(), y, area.width(), m_layout.lineHeight);
            if (line.clip) {
                p.save();
                p.setClipRect(rect, Qt::IntersectClip);
            }
            line.text->draw(&p, QPointF(rect.left() + (rect.width() - line.advance) / 2, rect.top()));
            if (line.clip)
                p.restore();
            y += m_layout.lineHeight;
        }
    }

private:
    CaptionLayout m_layout;
    std::vector<ShapedLine> m_lines;
};

// The caches of every button of the process; the screens paint on the GUI
// thread only.
QCache<CaptionKey, CaptionLayout>& layouts() {
    static QCache<CaptionKey, CaptionLayout> cache(kCaptionCacheSize);
    return cache;
}

QCache<CaptionKey, PreparedCaption>& prepared() {
    static QCache<CaptionKey, PreparedCaption> cache(kCaptionCacheSize);
    return cache;
}

} // namespace

CaptionLayout cachedCaptionLayout(const QString& text, const QFont& font, const QSize& area) {
    CaptionKey key{text, font, area, false};
    if (const CaptionLayout* found = layouts().object(key))
        return *found;
    CaptionLayout layout = layoutCaption(text, font, area);
    layouts().insert(std::move(key), new CaptionLayout(layout));
    return layout;
}

void drawCaption(QPainter& painter, const QRect& area, const QString& text, const QFont& font, bool struck) {
    CaptionKey key{text, font, area.size(), struck};
    const PreparedCaption* caption = prepared().object(key);
    if (!caption) {
        auto fresh =
            std::make_unique<PreparedCaption>(cachedCaptionLayout(text, font, area.size()), struck, area.width());
        caption = fresh.get();
        prepared().insert(std::move(key), fresh.release());
    }
    caption->draw(painter, area);
}
