#include "catalogue/ReadDisc.h"

#include "catalogue/EditGuards.h"
#include "catalogue/FrmData.h"
#include "core/Gbk.h"
#include "core/Log.h"
#include "core/Setting.h"
#include "platform/db/DataSet.h"
#include "platform/files/OpticalDrive.h"

#include <QElapsedTimer>
#include <mutex>

namespace {

QString DiscSongText()
{
    return g_pSetting ? g_pSetting->Texts.DiscSong : QStringLiteral("光盘歌曲或电影");
}

} // namespace

const QStringList& TReadDisc::VideoMasks()
{
    static const QStringList masks = {QStringLiteral("*.mkv"), QStringLiteral("*.dat"), QStringLiteral("*.mpg"),
                                      QStringLiteral("*.vob"), QStringLiteral("*.avi"), QStringLiteral("*.divx")};
    return masks;
}

const QString& TReadDisc::DvdTitleMask()
{
    static const QString mask = QStringLiteral("*.IFO");
    return mask;
}

QString TReadDisc::FirstOpticalDrive()
{
    return ::FirstOpticalDrive();
}

QString TReadDisc::VolumeLabel(const QString& driveRoot)
{
    return ::VolumeLabel(driveRoot);
}

void TReadDisc::FindFiles(const QString& folder, const QString& mask)
{
    if (mask.trimmed().isEmpty())
        return;
    const TFileSearchResult found = TFileSearch({mask}).Run(folder, &m_bCancel);
    m_pFiles += found.All();
    m_nNext = 0;
    m_nAdded = 0;
    m_bTruncated = m_bTruncated || found.truncated;
}

QString TReadDisc::FindDvdTitle()
{
    m_pFiles.clear();
    m_bTruncated = false;
    const QString drive = FirstOpticalDrive();
    if (!drive.isEmpty() && !VolumeLabel(drive).isEmpty())
        FindFiles(drive, DvdTitleMask());
    const QString title = m_pFiles.value(0);
    m_pFiles.clear();
    return title;
}

bool TReadDisc::SearchDisc(const QString& folder)
{
    m_pFiles.clear();
    m_nNext = 0;
    m_nAdded = 0;
    m_bTruncated = false;
    QString root = folder;
    if (root.isEmpty()) {
        root = FirstOpticalDrive();
        if (root.isEmpty())
            return false;
        if (VolumeLabel(root).isEmpty())
            return true;
    }
    // One walk collects every mask: the same list as one walk per mask.
    const TFileSearchResult found = TFileSearch(VideoMasks()).Run(root, &m_bCancel);
    m_pFiles = found.All();
    m_bTruncated = found.truncated;
    if (m_bTruncated)
        WriteLog(QStringLiteral("光盘搜索达到上限,找到文件数:") + QString::number(m_pFiles.size()));
    return true;
}

QString TReadDisc::DiscNumber(const QString& path)
{
    return path.toUpper().endsWith(QLatin1String(".VOB")) ? QStringLiteral("23") : QStringLiteral("2");
}

int TReadDisc::AppendTitles(DataSet& queue, int budgetMs)
{
    if (AppendDone())
        return m_nAdded;
    if (!queue.Active())
        queue.Open();
    std::unique_lock<std::recursive_mutex> lock;
    if (FrmData)
        lock = std::unique_lock<std::recursive_mutex>(FrmData->Lock());
    QElapsedTimer clock;
    clock.start();
    QuietView quiet(queue);
    // This call's titles reach the queue file together or not at all.
    UpdateSeries series(queue);
    PendingEdit pending(queue);
    // What the player or a guest changed meanwhile (a queue file reloads on
    // First only when another process wrote it).
    if (queue.DbfFile().isEmpty())
        queue.Refresh();
    else
        queue.First();
    queue.Last();
    // Behind the last entry, which a guest may have ordered since the last call.
    const qint64 base = (queue.IsEmpty() ? 0 : queue.FieldByName(QStringLiteral("Num")).AsInteger()) + 1;
    const int pathWidth = queue.FieldByName(QStringLiteral("FilePath")).Size();
    const QString name = DiscSongText();
    qsizetype next = m_nNext;
    int added = 0;
    while (next < m_pFiles.size() && (budgetMs <= 0 || added == 0 || clock.elapsed() < budgetMs)) {
        const QString& path = m_pFiles[next++];
        // A cut path would name another file.
        if (pathWidth > 0 && ToNarrow(path).size() > pathWidth) {
            WriteLog(QStringLiteral("光盘文件路径过长,未加入:") + path);
            continue;
        }
        queue.Append();
        queue.FieldByName(QStringLiteral("Name")).SetAsString(name + QString::number(m_nAdded + added + 1));
        queue.FieldByName(QStringLiteral("Playing")).SetAsString(QStringLiteral("0"));
        queue.FieldByName(QStringLiteral("Disc_No")).SetAsString(DiscNumber(path));
        queue.FieldByName(QStringLiteral("Num")).SetAsInteger(base + added);
        queue.FieldByName(QStringLiteral("FilePath")).SetAsString(path);
        queue.Post();
        ++added;
    }
    series.Finish();
    m_nNext = next;
    m_nAdded += added;
    return m_nAdded;
}

int TReadDisc::ImportDisc(const QString& folder, DataSet& queue)
{
    if (!SearchDisc(folder) || m_pFiles.isEmpty())
        return 0;
    return AppendTitles(queue);
}
