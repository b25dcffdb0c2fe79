#include "HostText.h"

bool EmptyString(const QString& text) {
    // Blank means any kind of white space, not only the space character:
    // values read from fixed-width columns often come back padded.
    for (const QChar c : text) {
        if (!c.isSpace())
            return false;
    }
    return true;
}
