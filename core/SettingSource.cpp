#include "core/SettingSource.h"

#include <QStringList>

namespace {
TSettingSourceFactory g_factory;
}

void SetSettingSourceFactory(TSettingSourceFactory factory)
{
    g_factory = std::move(factory);
}

std::unique_ptr<ISettingRows> OpenSettingSource(const TSetting& setting)
{
    if (g_factory)
        return g_factory(setting);
    return ParseSettingRows(qEnvironmentVariable("VOD_SETTING_ROWS"));
}

std::unique_ptr<TMemorySettingRows> ParseSettingRows(const QString& text)
{
    auto rows = std::make_unique<TMemorySettingRows>();
    const QStringList lines = text.split(u'\n');
    for (QString line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const qsizetype eq = line.indexOf(u'=');
        const qsizetype dot = line.indexOf(u'.');
        if (eq < 0 || dot <= 0 || dot > eq)
            continue;
        rows->Add(line.left(dot), line.mid(dot + 1, eq - dot - 1), line.mid(eq + 1));
    }
    return rows;
}
