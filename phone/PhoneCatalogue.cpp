#include "phone/PhoneCatalogue.h"

#include "platform/db/DbConnection.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <algorithm>

namespace {

constexpr int kNewSongDays = 90;
constexpr int kMaxQueryLength = 40;

QString Fold(const QString& text)
{
    return text.trimmed().toCaseFolded();
}

bool AllDigits(const QString& text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

bool AllLetters(const QString& text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(),
                                          [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); });
}

QDate DateOf(const QVariant& value)
{
    if (value.isNull())
        return QDate();
    if (value.metaType().id() == QMetaType::QDate)
        return value.toDate();
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime().date();
    return QDate::fromString(value.toString().left(10), Qt::ISODate);
}

// The singers a song's singer field names ("A/B", "A&B", "A、B").
QStringList SingerNames(const QString& field)
{
    static const QRegularExpression separators(QStringLiteral("[/&、,，+]"));
    QStringList names;
    for (const QString& part : field.split(separators, Qt::SkipEmptyParts)) {
        const QString name = Fold(part);
        if (!name.isEmpty() && !names.contains(name))
            names.append(name);
    }
    return names;
}

} // namespace

bool TPhoneVisibility::Shows(const TPhoneSong& song) const
{
    if (song.lanType == 20)
        return adult;
    if (song.lanType == 21)
        return dance;
    return true;
}

std::shared_ptr<const TPhoneCatalogue> TPhoneCatalogue::Load(DbConnection& connection, const std::atomic<bool>* stop)
{
    const auto stopped = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    std::vector<TPhoneSong> songs;
    QSqlQuery q = connection.Query(QStringLiteral("select SongNo, Name, Singer_Nam, Lan_Type, Lan_Name, First_Char, "
                                                  "CreateDate, Price, TotalTimes from qu_song"));
    while (q.next()) {
        if (stopped())
            return nullptr;
        TPhoneSong s;
        s.no = q.value(0).toString().trimmed();
        s.name = q.value(1).toString().trimmed();
        s.singer = q.value(2).toString().trimmed();
        s.lanType = q.value(3).toInt();
        s.lanName = q.value(4).toString().trimmed();
        s.initials = q.value(5).toString().trimmed().toUpper();
        s.created = DateOf(q.value(6));
        s.price = q.value(7).toDouble();
        s.times = q.value(8).toLongLong();
        if (!s.no.isEmpty())
            songs.push_back(std::move(s));
    }
    std::vector<TPhoneSinger> singers;
    QSqlQuery r = connection.Query(QStringLiteral("select SINGERNAME, PYCODE, PHOTO, TIMES from qu_Singer"));
    while (r.next()) {
        if (stopped())
            return nullptr;
        TPhoneSinger s;
        s.name = r.value(0).toString().trimmed();
        s.initials = r.value(1).toString().trimmed().toUpper();
        s.photo = r.value(2).toString().trimmed();
        s.times = r.value(3).toDouble();
        if (!s.name.isEmpty())
            singers.push_back(std::move(s));
    }
    if (stopped())
        return nullptr;
    return FromRows(std::move(songs), std::move(singers));
}

std::shared_ptr<const TPhoneCatalogue> TPhoneCatalogue::FromRows(std::vector<TPhoneSong> songs,
                                                                 std::vector<TPhoneSinger> singers)
{
    auto c = std::make_shared<TPhoneCatalogue>();
    c->m_songs = std::move(songs);
    c->m_singers = std::move(singers);
    c->BuildIndexes();
    return c;
}

void TPhoneCatalogue::BuildIndexes()
{
    const int n = int(m_songs.size());
    m_nameKeys.resize(size_t(n));
    std::vector<int> all(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        all[size_t(i)] = i;
        m_nameKeys[size_t(i)] = Fold(m_songs[size_t(i)].name);
    }
    const auto sorted = [&all](auto less) {
        std::vector<int> v = all;
        std::stable_sort(v.begin(), v.end(), less);
        return v;
    };
    // Equal keys keep the most sung song first.
    m_byTimes = sorted([this](int a, int b) { return Song(a).times > Song(b).times; });
    const auto then = [this](auto key) {
        std::vector<int> v = m_byTimes;
        std::stable_sort(v.begin(), v.end(), [&key](int a, int b) { return key(a) < key(b); });
        return v;
    };
    m_byNo = then([this](int i) { return Song(i).no; });
    m_byInitials = then([this](int i) { return Song(i).initials; });
    m_byName = then([this](int i) { return m_nameKeys[size_t(i)]; });
    m_byCreated.clear();
    for (int i : m_byTimes) {
        if (Song(i).created.isValid())
            m_byCreated.push_back(i);
    }
    std::stable_sort(m_byCreated.begin(), m_byCreated.end(),
                     [this](int a, int b) { return Song(a).created > Song(b).created; });
    m_times.resize(size_t(n));
    m_lanTypes.resize(size_t(n));
    for (int i = 0; i < n; ++i) {
        m_times[size_t(i)] = Song(i).times;
        m_lanTypes[size_t(i)] = Song(i).lanType;
    }
    m_byLanguage.clear();
    for (int i : m_byInitials)
        m_byLanguage[Song(i).lanType].push_back(i);
    m_ranked.clear();
    for (int i : m_byTimes) {
        if (Song(i).times <= 0)
            break;
        m_ranked.push_back(i);
    }
    m_singerSongs.clear();
    for (int i : m_byTimes) {
        for (const QString& name : SingerNames(Song(i).singer))
            m_singerSongs[name].push_back(i);
    }
    m_languages.clear();
    for (const TPhoneSong& s : m_songs) {
        auto it = std::find_if(m_languages.begin(), m_languages.end(),
                               [&s](const Language& l) { return l.lanType == s.lanType; });
        if (it == m_languages.end()) {
            m_languages.append(Language{s.lanType, s.lanName, 0});
            it = m_languages.end() - 1;
        }
        ++it->count;
    }
    std::sort(m_languages.begin(), m_languages.end(),
              [](const Language& a, const Language& b) { return a.lanType < b.lanType; });
    std::stable_sort(m_singers.begin(), m_singers.end(),
                     [](const TPhoneSinger& a, const TPhoneSinger& b) { return a.times > b.times; });
}

template <typename Key>
std::pair<std::vector<int>::const_iterator, std::vector<int>::const_iterator>
TPhoneCatalogue::PrefixRange(const std::vector<int>& index, const QString& prefix, Key key) const
{
    // Every key that begins with prefix sorts before prefix followed by the
    // highest character: two binary searches, nothing read in between.
    const QString end = prefix + QChar(0xFFFF);
    const auto less = [&key](int i, const QString& p) { return key(i) < p; };
    return {std::lower_bound(index.begin(), index.end(), prefix, less),
            std::lower_bound(index.begin(), index.end(), end, less)};
}

TPhonePage TPhoneCatalogue::Page(const std::vector<int>& hits, const TPhoneVisibility& v, int offset, int limit) const
{
    TPhonePage page;
    offset = std::max(0, offset);
    for (int i : hits) {
        if (!Shows(v, i))
            continue;
        if (page.total >= offset && page.items.size() < limit)
            page.items.append(i);
        ++page.total;
    }
    return page;
}

TPhonePage TPhoneCatalogue::Search(const QString& raw, const TPhoneVisibility& v, int offset, int limit) const
{
    const QString text = raw.trimmed().left(kMaxQueryLength);
    TPhonePage page;
    if (text.isEmpty())
        return page;
    offset = std::max(0, offset);
    std::vector<int> hits;
    std::vector<bool> seen(m_songs.size(), false);
    // One kind of match: its visible songs count, and its most sung ones (as
    // many as this page can need) follow the earlier kinds' hits. A song
    // found two ways is shown once (and counted by each way).
    const auto add = [&](auto first, auto last) {
        const size_t wanted = size_t(offset + limit) + hits.size();
        std::vector<int> best;
        // Most sung first; equally sung songs in catalogue order.
        const auto moreSung = [this](int a, int b) {
            const qint64 ta = m_times[size_t(a)], tb = m_times[size_t(b)];
            return ta > tb || (ta == tb && a < b);
        };
        for (auto it = first; it != last; ++it) {
            if (!Shows(v, *it))
                continue;
            ++page.total;
            if (best.size() < wanted) {
                best.push_back(*it);
                std::push_heap(best.begin(), best.end(), moreSung);
            } else if (moreSung(*it, best.front())) {
                std::pop_heap(best.begin(), best.end(), moreSung);
                best.back() = *it;
                std::push_heap(best.begin(), best.end(), moreSung);
            }
        }
        std::sort_heap(best.begin(), best.end(), moreSung);
        for (int i : best) {
            if (!seen[size_t(i)]) {
                seen[size_t(i)] = true;
                hits.push_back(i);
            }
        }
    };
    if (AllDigits(text)) {
        const auto [first, last] = PrefixRange(m_byNo, text, [this](int i) -> const QString& { return Song(i).no; });
        add(first, last);
    }
    if (AllLetters(text)) {
        const auto [first, last] =
            PrefixRange(m_byInitials, text.toUpper(), [this](int i) -> const QString& { return Song(i).initials; });
        add(first, last);
    }
    const QString folded = Fold(text);
    {
        const auto [first, last] =
            PrefixRange(m_byName, folded, [this](int i) -> const QString& { return m_nameKeys[size_t(i)]; });
        add(first, last);
    }
    const auto singer = m_singerSongs.constFind(folded);
    if (singer != m_singerSongs.cend())
        add(singer->cbegin(), singer->cend());
    for (size_t i = size_t(offset); i < hits.size() && page.items.size() < limit; ++i)
        page.items.append(hits[i]);
    return page;
}

TPhonePage TPhoneCatalogue::ByLanguage(int lanType, const TPhoneVisibility& v, int offset, int limit) const
{
    const auto it = m_byLanguage.constFind(lanType);
    return it == m_byLanguage.cend() ? TPhonePage() : Page(*it, v, offset, limit);
}

TPhonePage TPhoneCatalogue::BySinger(const QString& singer, const TPhoneVisibility& v, int offset, int limit) const
{
    const auto it = m_singerSongs.constFind(Fold(singer));
    return it == m_singerSongs.cend() ? TPhonePage() : Page(*it, v, offset, limit);
}

TPhonePage TPhoneCatalogue::NewSongs(const QDate& today, const TPhoneVisibility& v, int offset, int limit) const
{
    const QDate from = today.addDays(-kNewSongDays);
    std::vector<int> hits;
    for (int i : m_byCreated) {
        if (Song(i).created < from)
            break;
        hits.push_back(i);
    }
    return Page(hits, v, offset, limit);
}

TPhonePage TPhoneCatalogue::Ranking(const TPhoneVisibility& v, int offset, int limit) const
{
    return Page(m_ranked, v, offset, limit);
}

TPhonePage TPhoneCatalogue::Singers(const QString& raw, int offset, int limit) const
{
    const QString text = raw.trimmed().left(kMaxQueryLength);
    const QString upper = text.toUpper();
    const QString folded = Fold(text);
    TPhonePage page;
    offset = std::max(0, offset);
    for (int i = 0; i < int(m_singers.size()); ++i) {
        const TPhoneSinger& s = Singer(i);
        if (!text.isEmpty() && !s.initials.startsWith(upper) && !Fold(s.name).startsWith(folded))
            continue;
        if (page.total >= offset && page.items.size() < limit)
            page.items.append(i);
        ++page.total;
    }
    return page;
}

QList<TPhoneCatalogue::Language> TPhoneCatalogue::Languages(const TPhoneVisibility& v) const
{
    QList<Language> list;
    for (const Language& l : m_languages) {
        TPhoneSong probe;
        probe.lanType = l.lanType;
        if (v.Shows(probe))
            list.append(l);
    }
    return list;
}

int TPhoneCatalogue::FindSongNo(const QString& songNo) const
{
    const auto it = std::lower_bound(m_byNo.begin(), m_byNo.end(), songNo,
                                     [this](int i, const QString& no) { return Song(i).no < no; });
    return it != m_byNo.end() && Song(*it).no == songNo ? *it : -1;
}
