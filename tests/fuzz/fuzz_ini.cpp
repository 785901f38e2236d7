// The INI reader on arbitrary bytes: reading never fails, and writing one
// key makes it read back while every other key keeps its value.
#include "core/IniFile.h"

#include <QList>
#include <cstddef>
#include <cstdint>

namespace {
struct Entry
{
    QString Section, Key, Value;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TIniFile ini = TIniFile::FromBytes(bytes);

    QList<Entry> before;
    for (const QString& section : ini.Sections()) {
        for (const QString& key : ini.Keys(section)) {
            before.append({section, key, ini.ReadString(section, key, QString())});
            (void)ini.ReadInteger(section, key, 0);
        }
    }
    (void)ini.ReadInteger(QStringLiteral("key"), QStringLiteral("RETURN"), 27);
    (void)ini.ReadString(QStringLiteral("Language"), QStringLiteral("Language1"), QString());

    const QString section = QStringLiteral("vod"), key = QStringLiteral("KroomAdo");
    const QString value = QStringLiteral("Provider=SQLite;Data Source=data/kroom.db");
    ini.WriteString(section, key, value);
    if (ini.ReadString(QStringLiteral("VOD"), QStringLiteral("kroomado"), QString()) != value)
        __builtin_trap();
    for (const Entry& e : before) {
        if (SameNameIgnoringAsciiCase(e.Section, section) && SameNameIgnoringAsciiCase(e.Key, key))
            continue;
        if (ini.ReadString(e.Section, e.Key, QStringLiteral("\x01missing")) != e.Value)
            __builtin_trap();
    }
    return 0;
}
