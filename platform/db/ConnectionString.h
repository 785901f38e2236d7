#pragma once
// OLE-DB-style connection strings as vod.ini carries them:
//   Provider=SQLOLEDB.1;Data Source=server;Initial Catalog=hotel;User ID=sa;Password=x
// Keys are case-insensitive; values may be quoted with ' or " (a doubled quote
// inside stands for one); blanks around keys and values are dropped; a later
// key replaces an earlier one.
#include <QList>
#include <QPair>
#include <QString>

class DbConnectionString
{
public:
    DbConnectionString() = default;
    static DbConnectionString Parse(const QString& text);

    // Value of a key (any case), empty when absent.
    QString Value(const QString& key) const;
    bool Has(const QString& key) const;
    void Set(const QString& key, const QString& value);
    // The keys in the order they first appeared, as written.
    QStringList Keys() const;

    // Convenience accessors for the usual keys (and their synonyms).
    QString Provider() const;     // Provider
    QString DataSource() const;   // Data Source, Server, Host, Address
    QString Catalog() const;      // Initial Catalog, Database
    QString UserId() const;       // User ID, UID, User
    QString Password() const;     // Password, PWD
    int Port(int fallback) const; // Port; fallback when absent or not a number

private:
    QList<QPair<QString, QString>> m_aPairs; // key as written, value unquoted
};
