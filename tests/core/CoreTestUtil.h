#pragma once
// Helpers of the station core tests: installation folders in temp space.
#include "core/Gbk.h"
#include "core/Setting.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace coretest {

inline void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(path);
    f.write(bytes);
}

// Text written as GBK.
inline void WriteGbk(const QString& path, const QString& text)
{
    WriteBytes(path, ToNarrow(text));
}

inline QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A temporary installation folder; Dir() ends with '/'.
class TInstall
{
public:
    TInstall() { EXPECT_TRUE(m_dir.isValid()); }
    QString Dir() const { return m_dir.path() + u'/'; }
    QString Path(const QString& rel) const { return Dir() + rel; }
    void Write(const QString& rel, const QString& text) const { WriteGbk(Path(rel), text); }
    void MakeDir(const QString& rel) const { QDir().mkpath(Path(rel)); }
    // A Language.ini with two languages (English first, Chinese second).
    void WriteLanguages(const QString& extraChinese = QString()) const
    {
        Write(QStringLiteral("Language.ini"), QStringLiteral("[Language]\r\nLanguageCount=2\r\n"
                                                             "Language1=English,英文,English\r\n"
                                                             "Language2=Chinese,中文,Chinese\r\n"
                                                             "[English]\r\nPlaying=Now playing\r\n"
                                                             "[Chinese]\r\nPlaying=正在播放\r\n") +
                                                  extraChinese);
    }

private:
    QTemporaryDir m_dir;
};

// A program of the build's installation folder.
QString Program(const char* name);

struct TRun
{
    int Exit = -1;
    QString Out, Err;
};
// Runs a program offscreen with extra environment; waits up to a minute.
TRun RunProgram(const QString& program, const QStringList& args, const QMap<QString, QString>& env = {});

// A small demo installation (vod-demo) in the folder.
void MakeDemo(const TInstall& dir);
// Sets one row of the demo catalogue's Setting table (data/kroom.db).
void SetCatalogueSetting(const TInstall& dir, const QString& type, const QString& name, const QString& value);

} // namespace coretest
