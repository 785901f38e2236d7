#pragma once
// Pinyin and stroke classes of the GB2312 characters (data/hanzi.tsv, embedded
// as a resource). Used to give generated songs and singers correct
// First_Char, PYCODE and STROKES values.
#include <QHash>
#include <QString>

class HanziTable
{
public:
    // Loads the embedded table; throws Exception when the resource is missing.
    HanziTable();

    // Upper-case pinyin initial of a character, or an empty text when unknown.
    QString Initial(QChar ch) const;
    // Stroke classes in writing order ("3511" for 月), empty when unknown.
    QString Strokes(QChar ch) const;
    bool Contains(QChar ch) const { return m_entries.contains(ch); }

    // Initials of a name, at most maxLength letters: one per Chinese character,
    // one per word of Latin letters or digits; other characters are skipped.
    QString Initials(const QString& text, int maxLength) const;
    // The first maxLength stroke classes of the name's first character.
    QString LeadingStrokes(const QString& text, int maxLength) const;

private:
    struct Entry
    {
        QString pinyin;
        QString strokes;
    };
    QHash<QChar, Entry> m_entries;
};
