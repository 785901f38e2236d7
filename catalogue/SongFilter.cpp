#include "catalogue/SongFilter.h"

#include "core/Setting.h"
#include "platform/db/DataSet.h"

namespace {

int TestLevel()
{
    return g_pSetting ? g_pSetting->Test : 0;
}

// Songs only: films (0), adult films (20) and dance films (21) have screens of
// their own behind their passwords and never show among the songs.
const QString kSongsOnly = QStringLiteral("Lan_Type > 0 and Lan_Type <> 20 and Lan_Type <> 21");

// Whether a ranking value names a language of songs (a positive number other
// than the adult and dance films' 20 and 21).
bool IsSongLanguage(const QString& value)
{
    bool ok = false;
    const int n = value.toInt(&ok);
    return ok && n > 0 && n != 20 && n != 21;
}

// A ranking over every song language: the counter above zero, most first.
QString SongRanking(const QString& counter, QString& sort)
{
    sort = counter + QStringLiteral(" DESC");
    return kSongsOnly + QStringLiteral(" and ") + counter + QStringLiteral(" > 0 ");
}

} // namespace

TSongFilter::TSongFilter(DataSet* view, DataSet* singers) : m_pView(view), m_pSingerView(singers)
{
    ClearCriteria();
}

QString TSongFilter::Quote(const QString& value)
{
    QString v = value;
    v.replace(u'\'', QStringLiteral("''"));
    return v;
}

void TSongFilter::Start(int slot, const QString& value)
{
    ClearCriteria();
    m_aCriteria[size_t(slot)] = value;
    m_nSortKind = slot;
    ApplyCriteria();
}

void TSongFilter::SetLanguage(const QString& value)
{
    Start(kLanguage, value);
}
void TSongFilter::SetRanking(const QString& value)
{
    Start(kRanking, value);
}
void TSongFilter::SetSinger(const QString& value)
{
    Start(kSinger, value);
}
void TSongFilter::SetNewSongs(const QString& value)
{
    Start(kNewSongs, value);
}
void TSongFilter::SetSongType(const QString& value)
{
    Start(kSongType, value);
}
void TSongFilter::SetFilmType(const QString& value)
{
    Start(kFilmType, value);
}
void TSongFilter::SetNameStart(const QString& value)
{
    Start(kNameStart, value);
}
void TSongFilter::SetAdultType(const QString& value)
{
    Start(kAdultType, value);
}
void TSongFilter::SetDanceType(const QString& value)
{
    Start(kDanceType, value);
}
void TSongFilter::SetStrokes(const QString& value)
{
    Start(kStrokes, value);
}

void TSongFilter::SetFirstLetters(const QString& value)
{
    m_aCriteria[kFirstLetters] = value;
    m_nSortKind = kFirstLetters;
    ApplyCriteria();
}

void TSongFilter::SetSongCount(int value)
{
    m_nSongCount = value;
    if (value == 8)
        m_sLength = QStringLiteral(" Str_Len >= 8 ");
    else if (value == 0)
        m_sLength.clear();
    else
        m_sLength = QStringLiteral(" Str_Len = ") + QString::number(value);
    ApplyCriteria();
}

void TSongFilter::SetIsLocal(const QString& value)
{
    m_sIsLocal = value;
    ApplyCriteria();
}

void TSongFilter::ClearCriteria()
{
    m_sLength.clear();
    m_sSort.clear();
    for (QString& c : m_aCriteria)
        c.clear();
    m_sSingerClass.clear();
}

QString TSongFilter::Clause(int slot)
{
    const QString& value = m_aCriteria[size_t(slot)];
    if (value.isEmpty())
        return QString();
    switch (slot) {
    case kLanguage: {
        QString clause = value == QLatin1String("0")
                             ? QStringLiteral("Lan_Type > 9 and Lan_Type <> 20 and Lan_Type <> 21")
                             : QStringLiteral("Lan_Type=") + value;
        if (m_pView && m_pView->FindField(QStringLiteral("Disk")).IsValid() &&
            (value == QLatin1String("4") || value == QLatin1String("5") || value == QLatin1String("6")))
            clause += QStringLiteral(" and disk<>'外语' ");
        return clause;
    }
    case kFirstLetters:
        if (value == QLatin1String("*"))
            return QString();
        if (value.contains(u'*'))
            return QStringLiteral("First_Char like '") + Quote(value) + u'\'';
        return QStringLiteral("First_Char like '") + Quote(value) + QStringLiteral("%'");
    case kRanking:
        if (value == QLatin1String("7"))
            return SongRanking(QStringLiteral("TimesYear"), m_sSort);
        if (value == QLatin1String("8"))
            return SongRanking(QStringLiteral("TimesSeason"), m_sSort);
        if (value == QLatin1String("9"))
            return SongRanking(QStringLiteral("TimesMonth"), m_sSort);
        if (value == QLatin1String("0"))
            return SongRanking(QStringLiteral("TimesWeek"), m_sSort);
        if (QString::compare(value, QLatin1String("6")) <= 0) {
            m_sSort = QStringLiteral("TotalTimes DESC");
            const QString clause = QStringLiteral("Lan_Type=") + value + QStringLiteral(" and TotalTimes > 0 ");
            // A value naming a film kind ranks nothing rather than films.
            return IsSongLanguage(value) ? clause : kSongsOnly + QStringLiteral(" and ") + clause;
        }
        return QString();
    case kSinger:
        return QStringLiteral("Singer_Nam like '%") + Quote(value) + QStringLiteral("%'");
    case kNewSongs: {
        const QDate today = m_dToday.isValid() ? m_dToday : QDate::currentDate();
        return QStringLiteral("[CreateDate] <> null and [CreateDate]>='") +
               today.addDays(-90).toString(QStringLiteral("yyyy-MM-dd")) + u'\'';
    }
    case kSongType:
        return kSongsOnly + QStringLiteral(" and type <> null and type=") + value;
    case kFilmType:
        return QStringLiteral("Lan_Type = 0 and type <> null and type=") + value;
    case kNameStart:
        return QStringLiteral("Name like '") + Quote(value) + QStringLiteral("%'");
    case kAdultType:
        return QStringLiteral("Lan_Type = 20 and type <> null and type=") + value;
    case kDanceType:
        return QStringLiteral("Lan_Type = 21 and type <> null and type=") + value;
    case kStrokes:
        return QStringLiteral("Strokes like '") + Quote(value) + QStringLiteral("%'");
    default:
        return QString();
    }
}

void TSongFilter::ApplyCriteria()
{
    // 1. The clauses of the slots in order.
    QString filter;
    for (int slot = 0; slot < kSlots; ++slot) {
        const QString clause = Clause(slot);
        if (clause.isEmpty())
            continue;
        if (!filter.isEmpty())
            filter += QStringLiteral(" and ");
        filter += clause;
    }
    if (!m_sIsLocal.isEmpty()) {
        const QString local = QStringLiteral(" Is_Local = '") + Quote(m_sIsLocal) + u'\'';
        filter += filter.isEmpty() ? local : QStringLiteral(" and") + local;
    }
    // 2. The word count.
    if (!m_sLength.isEmpty()) {
        m_sSort = QStringLiteral("STR_LEN ASC;Name");
        filter += filter.isEmpty() ? m_sLength : QStringLiteral(" and ") + m_sLength;
    }
    // 3. The sort of the choice.
    if (TestLevel() < 1) {
        switch (m_nSortKind) {
        case 0:
            m_sSort = QStringLiteral("STR_LEN ASC;Name");
            break;
        case 1:
            m_sSort = QStringLiteral("First_Char");
            break;
        case 3:
        case 4:
        case 5:
        case 6:
        case 7:
        case 10:
            m_sSort = QStringLiteral("TotalTimes DESC");
            break;
        case 8:
            m_sSort = QStringLiteral("Name");
            break;
        case 11:
            m_sSort = QStringLiteral("Strokes");
            break;
        default:
            break; // ranking and adult films keep the sort of step 1
        }
    } else {
        m_sSort = QStringLiteral("Name;Singer_nam");
    }
    // 4. A word count always sorts by length.
    if (!m_sLength.isEmpty())
        m_sSort = QStringLiteral("STR_LEN ASC;Name");
    if (!m_pView)
        return;
    // 5. The sort; a list the view rejects leaves the old order.
    if (!m_sSort.isEmpty() && m_sSort != m_pView->IndexFieldNames()) {
        try {
            m_pView->SetIndexFieldNames(m_sSort);
        } catch (...) {
        }
    }
    // 6. The filter.
    m_pView->SetFilter(filter);
    m_pView->SetFiltered(true);
}

bool TSongFilter::FindSongNo(const QString& songNo)
{
    ClearCriteria();
    if (!m_pView)
        return false;
    m_pView->SetFiltered(false);
    if (m_pView->IndexFieldNames() != QLatin1String("SongNo"))
        m_pView->SetIndexFieldNames(QStringLiteral("SongNo"));
    return m_pView->Locate(QStringLiteral("SongNo"), songNo);
}

QString TSongFilter::SingerClassFilter(int n)
{
    switch (n) {
    case 2:
        return QStringLiteral("place<3 and len=2 and sex=1");
    case 3:
        return QStringLiteral("place<3 and len=3 and sex=1");
    case 4:
        return QStringLiteral("place<3 and len=2 and sex=0");
    case 5:
        return QStringLiteral("place<3 and len=3 and sex=0");
    case 6:
        return QStringLiteral("place<3 and sex=2");
    case 7:
        return QStringLiteral("place=3 and sex=1");
    case 8:
        return QStringLiteral("place=3 and sex=0");
    case 9:
        return QStringLiteral("place=3 and sex=2");
    default:
        return QString();
    }
}

void TSongFilter::SetSingerClass(int n)
{
    m_sSingerClass = SingerClassFilter(n);
    if (!m_pSingerView)
        return;
    m_pSingerView->SetFiltered(false);
    m_pSingerView->SetIndexFieldNames(QStringLiteral("Times DESC"));
    m_pSingerView->SetFilter(m_sSingerClass);
    m_pSingerView->SetFiltered(!m_sSingerClass.isEmpty());
}

void TSongFilter::SetSingerInitials(const QString& text)
{
    if (!m_pSingerView)
        return;
    m_pSingerView->SetFiltered(false);
    const QString end = text.contains(u'*') ? QStringLiteral("'") : QStringLiteral("%'");
    QString filter;
    if (text.isEmpty()) {
        filter = m_sSingerClass;
    } else {
        const QString initials = QStringLiteral("PyCode like '") + Quote(text) + end;
        filter = m_sSingerClass.isEmpty() ? initials : m_sSingerClass + QStringLiteral(" and ") + initials;
        m_pSingerView->SetIndexFieldNames(QStringLiteral("SingerName"));
    }
    m_pSingerView->SetFilter(filter);
    m_pSingerView->SetFiltered(!filter.isEmpty());
}
