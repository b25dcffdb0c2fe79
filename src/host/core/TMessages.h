#pragma once
// Message table of a screen: one line per message, "KEY|Text".

#include <QString>
#include <QStringList>

class TMessages {
public:
    TMessages() = default;
    explicit TMessages(const QStringList& lines) : m_lines(lines) {}
    void setLines(const QStringList& lines) { m_lines = lines; }
    const QStringList& lines() const { return m_lines; }
    // The text stored under the key (exact, case-sensitive), trailing blanks
    // kept; an empty text when the key is absent.
    QString Msg(const QString& key) const;

private:
    QStringList m_lines;
};
