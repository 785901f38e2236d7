#include "core/Helpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QWidget>

namespace {
QMutex g_windowLinkLock;
TWindowSwitcher g_switcher;
TWindowFinder g_finder;
} // namespace

QString NormalisePath(const QString& path)
{
    QString p = path;
    p.replace(u'\\', u'/');
    return p;
}

QString WithSeparator(const QString& dir)
{
    QString p = NormalisePath(dir);
    if (!p.isEmpty() && !p.endsWith(u'/'))
        p += u'/';
    return p;
}

void SplitText(const QString& text, QChar separator, QStringList& list)
{
    list.clear();
    QString piece;
    for (QChar c : text) {
        if (c == separator) {
            list.append(piece);
            piece.clear();
        } else {
            piece += c;
        }
    }
    if (!piece.isEmpty())
        list.append(piece);
}

void ListFolder(const QString& folder, QStringList& list)
{
    QDir dir(NormalisePath(folder));
    if (folder.isEmpty() || !dir.exists())
        return;
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    if (entries.isEmpty())
        return;
    list = entries;
}

bool CopyReplacing(const QString& source, const QString& target)
{
    const QString from = NormalisePath(source), to = NormalisePath(target);
    if (QFileInfo::exists(to) || QFileInfo(to).isSymLink())
        QFile::remove(to);
    return QFile::copy(from, to);
}

void ShowTaskBar(bool /*show*/)
{
    // The station runs full screen without a desktop shell: no task bar.
}

void SwitchToWindow(QWidget* window)
{
    if (!window)
        return;
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
}

void SwitchToWindow(const QString& caption)
{
    TWindowSwitcher switcher;
    {
        QMutexLocker lock(&g_windowLinkLock);
        switcher = g_switcher;
    }
    if (switcher)
        switcher(caption);
}

void SetWindowSwitcher(TWindowSwitcher switcher)
{
    QMutexLocker lock(&g_windowLinkLock);
    g_switcher = std::move(switcher);
}

void SetWindowFinder(TWindowFinder finder)
{
    QMutexLocker lock(&g_windowLinkLock);
    g_finder = std::move(finder);
}

bool WindowExists(const QString& caption)
{
    TWindowFinder finder;
    {
        QMutexLocker lock(&g_windowLinkLock);
        finder = g_finder;
    }
    return finder ? finder(caption) : false;
}
