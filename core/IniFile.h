#pragma once
// INI files read and written with the Windows profile rules:
// - section and key names are compared ignoring ASCII case;
// - blanks around names and values are dropped, and one pair of matching
//   enclosing quotes (" or ') is removed from a value;
// - the first of duplicate keys wins and only the first section of a name is
//   searched;
// - "key=" gives an empty text, not the default.
// Files are GBK bytes (a file starting with a UTF-8 byte-order mark is read
// and written as UTF-8). Lines end with CR LF, LF or CR. Lines longer than
// kMaxLineBytes are ignored. A missing, unreadable or binary file is just a
// file without the keys asked for: readers get their defaults.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class TIniFile
{
public:
    static constexpr qsizetype kMaxLineBytes = 32767;

    // Reads the file now; later changes by others are not seen.
    explicit TIniFile(const QString& path);
    // A file held in memory only (WriteString then changes only the bytes).
    static TIniFile FromBytes(const QByteArray& bytes);

    const QString& FileName() const { return m_sPath; }
    // Whether the file could be read when this object was made.
    bool Exists() const { return m_bExists; }
    const QByteArray& Bytes() const { return m_aBytes; }

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // The value as a whole number (optional sign, decimal or hexadecimal
    // after "$" or "0x"); missing, empty or not a number gives the default.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    // ReadInteger(def as 0/1) != 0.
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    // Section names in file order (duplicates included once).
    QStringList Sections() const;
    // Keys of the first section of that name, first occurrences, file order.
    QStringList Keys(const QString& section) const;

    // Sets one key: its line is rewritten, or a line is added at the end of
    // the section, or the section is added at the end of the file. Every
    // other line keeps its bytes. Saves the file (unless held in memory);
    // false when it cannot be written (the object then keeps the new bytes).
    bool WriteString(const QString& section, const QString& key, const QString& value);
    bool WriteInteger(const QString& section, const QString& key, int value);

private:
    TIniFile() = default;
    struct Line
    {
        qsizetype Start = 0;   // first byte
        qsizetype End = 0;     // one past the last byte before the terminator
        qsizetype TermEnd = 0; // one past the terminator
        enum Kind
        {
            Other,
            Header,
            Pair
        } Type = Other;
        bool Blank = true;
        QString Name;  // section name or key name
        QString Value; // key value
    };
    struct Section
    {
        QString Name;
        qsizetype Header = 0;               // line index of the header
        qsizetype LastLine = 0;             // last line index belonging to it
        QHash<QString, qsizetype> FirstKey; // folded key name -> line of its first occurrence
    };
    void Parse();
    QString Decode(const char* data, qsizetype size) const;
    QByteArray Encode(const QString& text) const;
    const Section* FindSection(const QString& name) const;
    const Line* FindKey(const QString& section, const QString& key) const;
    QByteArray LineEnding() const;

    QString m_sPath;
    bool m_bExists = false;
    bool m_bUtf8 = false;
    bool m_bInMemory = false;
    QByteArray m_aBytes;
    QList<Line> m_aLines;
    QList<Section> m_aSections;
    QHash<QString, qsizetype> m_aFirstSection; // folded name -> first section of that name
};

// Equality of names ignoring the case of ASCII letters only.
bool SameNameIgnoringAsciiCase(const QString& a, const QString& b);
