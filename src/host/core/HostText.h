#pragma once
#include <QString>

// True for an empty text or one made only of blanks.
bool EmptyString(const QString& text);
