#include "tools/demo/HanziTable.h"

#include "core/Exception.h"

#include <QFile>

// The resource lives in a static library: make sure it is registered.
static void InitHanziResource()
{
    Q_INIT_RESOURCE(hanzi);
}

HanziTable::HanziTable()
{
    InitHanziResource();
    QFile file(QStringLiteral(":/demo/hanzi.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("character table resource missing"));
    const QString text = QString::fromUtf8(file.readAll());
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    m_entries.reserve(lines.size());
    for (const QString& line : lines) {
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() < 3 || f[0].size() != 1)
            continue;
        m_entries.insert(f[0].at(0), Entry{f[1], f[2]});
    }
}

QString HanziTable::Initial(QChar ch) const
{
    const auto it = m_entries.constFind(ch);
    if (it == m_entries.constEnd() || it->pinyin.isEmpty())
        return {};
    return it->pinyin.left(1).toUpper();
}

QString HanziTable::Strokes(QChar ch) const
{
    const auto it = m_entries.constFind(ch);
    return it == m_entries.constEnd() ? QString() : it->strokes;
}

QString HanziTable::Initials(const QString& text, int maxLength) const
{
    QString out;
    bool inWord = false;
    for (const QChar ch : text) {
        if (out.size() >= maxLength)
            break;
        if (ch.unicode() < 128 && ch.isLetterOrNumber()) {
            if (!inWord)
                out += ch.toUpper();
            inWord = true;
            continue;
        }
        inWord = false;
        const QString initial = Initial(ch);
        if (!initial.isEmpty())
            out += initial;
    }
    return out;
}

QString HanziTable::LeadingStrokes(const QString& text, int maxLength) const
{
    for (const QChar ch : text) {
        const QString s = Strokes(ch);
        if (!s.isEmpty())
            return s.left(maxLength);
        if (ch.unicode() < 128 && ch.isLetterOrNumber())
            return {};
    }
    return {};
}
