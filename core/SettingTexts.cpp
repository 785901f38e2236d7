// Interface texts and the language list of Language.ini.
#include "core/Exception.h"
#include "core/Helpers.h"
#include "core/IniFile.h"
#include "core/Setting.h"

#include <QFileInfo>

namespace {

const TTextKey kTextKeys[] = {
#define VOD_TEXT_ENTRY(name, def) {#name, def, &TTexts::name},
    VOD_TEXT_KEYS(VOD_TEXT_ENTRY)
#undef VOD_TEXT_ENTRY
};

QString LanguageIni(const QString& exeDir)
{
    return exeDir + QStringLiteral("Language.ini");
}

// Cuts a Language<n> entry at ",": a comma ends the current piece only when
// the piece is not empty (a comma met on an empty piece becomes part of it);
// the text after the last comma is a piece when it is not empty.
QStringList SplitLanguageEntry(const QString& entry)
{
    QStringList pieces;
    QString piece;
    for (QChar c : entry) {
        if (c == u',' && !piece.isEmpty()) {
            pieces.append(piece);
            piece.clear();
        } else {
            piece += c;
        }
    }
    if (!piece.isEmpty())
        pieces.append(piece);
    return pieces;
}

} // namespace

std::span<const TTextKey> TextKeys()
{
    return kTextKeys;
}

const TTextKey* FindTextKey(const QString& key)
{
    for (const TTextKey& k : kTextKeys) {
        if (SameNameIgnoringAsciiCase(QString::fromLatin1(k.Key), key))
            return &k;
    }
    return nullptr;
}

void TSetting::LoadLanguageList()
{
    LangList.clear();
    const TIniFile ini(LanguageIni(ExeDir));
    const QString section = QStringLiteral("Language");
    LanguageCount = ini.ReadInteger(section, QStringLiteral("LanguageCount"), 0);
    try {
        for (int n = 1; n <= LanguageCount; ++n) {
            const QString entry = ini.ReadString(section, QStringLiteral("Language%1").arg(n), QString());
            const QStringList pieces = SplitLanguageEntry(entry);
            if (pieces.size() < 3)
                throw Exception(
                    QStringLiteral("Language.ini: Language%1 needs three fields: \"%2\"").arg(n).arg(entry));
            TLangItem item;
            item.Section = pieces[0];
            item.Second = pieces[1];
            item.Folder = pieces[2];
            item.CurSkinSel = ini.ReadInteger(item.Section, QStringLiteral("CurSkinSel"), 0);
            item.FontName = ini.ReadString(item.Section, QStringLiteral("FontName"), QStringLiteral("宋体"));
            ReadSkinsOf(item);
            LangList.append(std::move(item));
        }
    } catch (...) {
        // The list ends at the first bad entry; the entries before it stay.
    }
}

void TSetting::ReadSkinsOf(TLangItem& item)
{
    QStringList names;
    ListFolder(ExeDir + QStringLiteral("Images/") + NormalisePath(item.Folder) + u'/', names);
    item.Skins.clear();
    for (const QString& name : names)
        item.Skins.append({name, name});
    item.SkinCount = static_cast<int>(item.Skins.size());
    if (item.SkinCount < item.CurSkinSel + 1)
        item.CurSkinSel = item.SkinCount - 1;
    // A negative choice would index no skin; the first one is meant.
    if (item.CurSkinSel < 0 && item.SkinCount > 0)
        item.CurSkinSel = 0;
}

QString TSetting::LangSection(int index) const
{
    if (index < 0 || index >= LangList.size())
        throw Exception(
            QStringLiteral("Language.ini 中没有序号为 %1 的语言 (共 %2 种)").arg(index).arg(LangList.size()));
    return LangList[index].Section;
}

QString TSetting::LangFolder(int index) const
{
    if (index < 0 || index >= LangList.size())
        throw Exception(
            QStringLiteral("Language.ini 中没有序号为 %1 的语言 (共 %2 种)").arg(index).arg(LangList.size()));
    return LangList[index].Folder;
}

TLangItem& TSetting::CurrentLanguage()
{
    LangSection(LangType);
    return LangList[LangType];
}

const TLangItem& TSetting::CurrentLanguage() const
{
    LangSection(LangType);
    return LangList[LangType];
}

void TSetting::LoadTexts(int index)
{
    const QString section = LangSection(index);
    const TIniFile ini(LanguageIni(ExeDir));
    for (const TTextKey& k : kTextKeys)
        Texts.*k.Field = ini.ReadString(section, QString::fromLatin1(k.Key), QString::fromUtf8(k.Default));
}

QString TSetting::Text(const QString& key) const
{
    const TTextKey* k = FindTextKey(key);
    return k ? Texts.*k->Field : QString();
}
