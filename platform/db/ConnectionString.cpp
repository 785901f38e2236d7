#include "platform/db/ConnectionString.h"

#include <QStringList>

namespace {

// Reads one value starting at i (after the '='): quoted with ' or ", where a
// doubled quote stands for one, or plain up to the next ';'.
QString ReadValue(const QString& text, qsizetype& i)
{
    const qsizetype n = text.size();
    while (i < n && text[i].isSpace())
        ++i;
    if (i < n && (text[i] == u'\'' || text[i] == u'"')) {
        const QChar quote = text[i++];
        QString value;
        while (i < n) {
            if (text[i] == quote) {
                if (i + 1 < n && text[i + 1] == quote) {
                    value += quote;
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            value += text[i++];
        }
        while (i < n && text[i] != u';')
            ++i; // anything after the closing quote up to ';' is dropped
        return value;
    }
    const qsizetype start = i;
    while (i < n && text[i] != u';')
        ++i;
    return text.mid(start, i - start).trimmed();
}

} // namespace

DbConnectionString DbConnectionString::Parse(const QString& text)
{
    DbConnectionString result;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const qsizetype eq = text.indexOf(u'=', i);
        const qsizetype semi = text.indexOf(u';', i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            // A piece without '=': skipped.
            if (semi < 0)
                break;
            i = semi + 1;
            continue;
        }
        const QString key = text.mid(i, eq - i).trimmed();
        i = eq + 1;
        const QString value = ReadValue(text, i);
        if (i < n && text[i] == u';')
            ++i;
        if (!key.isEmpty())
            result.Set(key, value);
    }
    return result;
}

QString DbConnectionString::Value(const QString& key) const
{
    for (const auto& p : m_aPairs)
        if (p.first.compare(key, Qt::CaseInsensitive) == 0)
            return p.second;
    return QString();
}

bool DbConnectionString::Has(const QString& key) const
{
    for (const auto& p : m_aPairs)
        if (p.first.compare(key, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void DbConnectionString::Set(const QString& key, const QString& value)
{
    for (auto& p : m_aPairs)
        if (p.first.compare(key, Qt::CaseInsensitive) == 0) {
            p.second = value;
            return;
        }
    m_aPairs.append({key, value});
}

QStringList DbConnectionString::Keys() const
{
    QStringList keys;
    for (const auto& p : m_aPairs)
        keys << p.first;
    return keys;
}

static QString FirstOf(const DbConnectionString& s, std::initializer_list<const char*> keys)
{
    for (const char* k : keys)
        if (s.Has(QLatin1String(k)))
            return s.Value(QLatin1String(k));
    return QString();
}

QString DbConnectionString::Provider() const
{
    return Value(QStringLiteral("Provider"));
}
QString DbConnectionString::DataSource() const
{
    return FirstOf(*this, {"Data Source", "Server", "Host", "Address"});
}
QString DbConnectionString::Catalog() const
{
    return FirstOf(*this, {"Initial Catalog", "Database"});
}
QString DbConnectionString::UserId() const
{
    return FirstOf(*this, {"User ID", "UID", "User"});
}
QString DbConnectionString::Password() const
{
    return FirstOf(*this, {"Password", "PWD"});
}

int DbConnectionString::Port(int fallback) const
{
    bool ok = false;
    const int port = Value(QStringLiteral("Port")).toInt(&ok);
    return ok && port > 0 && port < 65536 ? port : fallback;
}
