#include "TMessages.h"

QString TMessages::Msg(const QString& key) const {
    for (const QString& line : m_lines) {
        const qsizetype bar = line.indexOf(u'|');
        if (bar < 0)
            continue;
        // Only the first bar separates: the text itself may hold bars, and
        // its trailing blanks are part of the message.
        if (QStringView(line).left(bar) == key)
            return line.mid(bar + 1);
    }
    return {};
}
