#include "core/IniFile.h"

#include "core/Convert.h"
#include "core/Gbk.h"

#include <QFile>
#include <QSaveFile>

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == 0x1A;
}

QString Trimmed(const QString& s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && IsBlank(s[b].unicode()))
        ++b;
    while (e > b && IsBlank(s[e - 1].unicode()))
        --e;
    return s.mid(b, e - b);
}

QString Unquoted(const QString& s)
{
    if (s.size() >= 2 && (s.front() == u'"' || s.front() == u'\'') && s.back() == s.front())
        return s.mid(1, s.size() - 2);
    return s;
}

// The name with ASCII letters in lower case: the key of the lookup tables.
QString Folded(const QString& name)
{
    QString folded = name;
    for (QChar& c : folded) {
        if (c.unicode() >= u'A' && c.unicode() <= u'Z')
            c = QChar(c.unicode() + 32);
    }
    return folded;
}

} // namespace

bool SameNameIgnoringAsciiCase(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= u'A' && x <= u'Z')
            x += 32;
        if (y >= u'A' && y <= u'Z')
            y += 32;
        if (x != y)
            return false;
    }
    return true;
}

TIniFile::TIniFile(const QString& path) : m_sPath(path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        m_aBytes = file.readAll();
        m_bExists = true;
    }
    Parse();
}

TIniFile TIniFile::FromBytes(const QByteArray& bytes)
{
    TIniFile ini;
    ini.m_aBytes = bytes;
    ini.m_bExists = true;
    ini.m_bInMemory = true;
    ini.Parse();
    return ini;
}

QString TIniFile::Decode(const char* data, qsizetype size) const
{
    return m_bUtf8 ? QString::fromUtf8(data, size) : ToWide(data, size);
}

QByteArray TIniFile::Encode(const QString& text) const
{
    return m_bUtf8 ? text.toUtf8() : ToNarrow(text);
}

void TIniFile::Parse()
{
    m_aLines.clear();
    m_aSections.clear();
    m_aFirstSection.clear();
    m_bUtf8 = m_aBytes.startsWith(kUtf8Bom);
    const char* data = m_aBytes.constData();
    const qsizetype size = m_aBytes.size();
    qsizetype pos = m_bUtf8 ? kUtf8Bom.size() : 0;
    while (pos < size) {
        Line line;
        line.Start = pos;
        qsizetype end = pos;
        while (end < size && data[end] != '\n' && data[end] != '\r')
            ++end;
        line.End = end;
        if (end < size)
            line.TermEnd = (data[end] == '\r' && end + 1 < size && data[end + 1] == '\n') ? end + 2 : end + 1;
        else
            line.TermEnd = end;
        pos = line.TermEnd;

        const qsizetype length = line.End - line.Start;
        if (length <= kMaxLineBytes) {
            const QString text = Trimmed(Decode(data + line.Start, length));
            line.Blank = text.isEmpty();
            bool header = false;
            if (text.startsWith(u'[')) {
                const qsizetype close = text.lastIndexOf(u']');
                if (close > 0) {
                    header = true;
                    line.Type = Line::Header;
                    line.Name = Trimmed(text.mid(1, close - 1));
                }
            }
            if (!header) {
                const qsizetype eq = text.indexOf(u'=');
                if (eq >= 0) {
                    line.Type = Line::Pair;
                    line.Name = Trimmed(text.left(eq));
                    line.Value = Unquoted(Trimmed(text.mid(eq + 1)));
                }
            }
        } else {
            line.Blank = false; // kept as it is, never read
        }
        if (line.Type == Line::Header) {
            const QString name = Folded(line.Name);
            if (!m_aFirstSection.contains(name))
                m_aFirstSection.insert(name, m_aSections.size());
            m_aSections.append({line.Name, m_aLines.size(), m_aLines.size(), {}});
        } else if (!m_aSections.isEmpty()) {
            Section& section = m_aSections.back();
            section.LastLine = m_aLines.size();
            if (line.Type == Line::Pair) {
                const QString key = Folded(line.Name);
                if (!section.FirstKey.contains(key))
                    section.FirstKey.insert(key, m_aLines.size());
            }
        }
        m_aLines.append(std::move(line));
    }
}

const TIniFile::Section* TIniFile::FindSection(const QString& name) const
{
    const auto it = m_aFirstSection.constFind(Folded(name));
    return it == m_aFirstSection.cend() ? nullptr : &m_aSections[*it];
}

const TIniFile::Line* TIniFile::FindKey(const QString& section, const QString& key) const
{
    const Section* s = FindSection(section);
    if (!s)
        return nullptr;
    const auto it = s->FirstKey.constFind(Folded(key));
    return it == s->FirstKey.cend() ? nullptr : &m_aLines[*it];
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const
{
    const Line* line = FindKey(section, key);
    return line ? line->Value : def;
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int def) const
{
    const Line* line = FindKey(section, key);
    if (!line)
        return def;
    return TextToInt(line->Value).value_or(def);
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool TIniFile::SectionExists(const QString& section) const
{
    return FindSection(section) != nullptr;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const
{
    return FindKey(section, key) != nullptr;
}

QStringList TIniFile::Sections() const
{
    QStringList names;
    for (qsizetype i = 0; i < m_aSections.size(); ++i) {
        if (m_aFirstSection.value(Folded(m_aSections[i].Name)) == i)
            names.append(m_aSections[i].Name);
    }
    return names;
}

QStringList TIniFile::Keys(const QString& section) const
{
    QStringList keys;
    const Section* s = FindSection(section);
    if (!s)
        return keys;
    for (qsizetype i = s->Header + 1; i <= s->LastLine; ++i) {
        const Line& line = m_aLines[i];
        if (line.Type == Line::Pair && s->FirstKey.value(Folded(line.Name)) == i)
            keys.append(line.Name);
    }
    return keys;
}

QByteArray TIniFile::LineEnding() const
{
    for (const Line& line : m_aLines) {
        if (line.TermEnd > line.End)
            return m_aBytes.mid(line.End, line.TermEnd - line.End);
    }
    return QByteArrayLiteral("\r\n");
}

bool TIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    // A value must stay on its line.
    QString clean = value;
    clean.replace(u'\r', u' ').replace(u'\n', u' ');
    const QByteArray eol = LineEnding();
    QByteArray bytes = m_aBytes;

    if (const Line* line = FindKey(section, key)) {
        bytes.replace(line->Start, line->End - line->Start, Encode(line->Name) + '=' + Encode(clean));
    } else if (const Section* s = FindSection(section)) {
        // After the last non-blank line of the section.
        qsizetype last = s->Header;
        for (qsizetype i = s->Header + 1; i <= s->LastLine; ++i) {
            if (!m_aLines[i].Blank)
                last = i;
        }
        const Line& after = m_aLines[last];
        // The new line ends like the line before it, so that it cannot merge
        // with the terminator of the line that follows.
        const QByteArray lineEol = after.TermEnd > after.End ? m_aBytes.mid(after.End, after.TermEnd - after.End) : eol;
        QByteArray insert = Encode(key) + '=' + Encode(clean) + lineEol;
        if (after.TermEnd == after.End)
            insert.prepend(eol); // the line ends the file without a terminator
        bytes.insert(after.TermEnd, insert);
    } else {
        if (!bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r'))
            bytes += eol;
        bytes += '[' + Encode(section) + ']' + eol + Encode(key) + '=' + Encode(clean) + eol;
    }
    m_aBytes = bytes;
    Parse();
    if (m_bInMemory)
        return true;
    QSaveFile file(m_sPath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(m_aBytes);
    const bool ok = file.commit();
    if (ok)
        m_bExists = true;
    return ok;
}

bool TIniFile::WriteInteger(const QString& section, const QString& key, int value)
{
    return WriteString(section, key, QString::number(value));
}
