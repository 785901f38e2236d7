#include "ui/UiStation.h"

#include "core/Log.h"
#include "core/Setting.h"
#include "ui/KVFormManager.h"
#include "ui/UiHooks.h"

#include <QCoreApplication>
#include <QDir>

static TUiHooks& HooksInstance()
{
    static TUiHooks hooks;
    return hooks;
}

TUiHooks& UiHooks()
{
    return HooksInstance();
}

void ResetUiHooks()
{
    HooksInstance() = TUiHooks();
}

static const TKeyMap& DefaultKeys()
{
    static const TKeyMap keys = [] {
        TKeyMap map;
        for (const TKeyBinding& binding : KeyBindings())
            map.*(binding.Field) = binding.Default;
        return map;
    }();
    return keys;
}

TSetting* UiSetting()
{
    return g_pSetting;
}

const TKeyMap& UiKeys()
{
    return g_pSetting ? g_pSetting->Keys : DefaultKeys();
}

int UiCodeOfWord(const QString& word)
{
    if (g_pSetting)
        return g_pSetting->CodeOfWord(word);
    for (const TKeyBinding& binding : KeyBindings()) {
        if (word.compare(QLatin1String(binding.Word), Qt::CaseInsensitive) == 0)
            return quint16(binding.Default);
    }
    return 0;
}

int UiDigitOfKey(int code)
{
    const TKeyMap& keys = UiKeys();
    const qint16 digits[10] = {keys.n0, keys.n1, keys.n2, keys.n3, keys.n4,
                               keys.n5, keys.n6, keys.n7, keys.n8, keys.n9};
    for (int i = 0; i < 10; ++i) {
        if (digits[i] == qint16(code))
            return i;
    }
    return -1;
}

QString UiText(const QString& key)
{
    return g_pSetting ? g_pSetting->Text(key) : QString();
}

QString UiSkinFolder()
{
    if (g_pFrmManager && !g_pFrmManager->SkinFolder().isEmpty())
        return g_pFrmManager->SkinFolder();
    if (g_pSetting)
        return g_pSetting->SkinDir();
    return QString();
}

QString UiExeDir()
{
    if (g_pSetting)
        return g_pSetting->ExeDir;
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

void UiLog(const QString& text)
{
    WriteLog(text);
}
