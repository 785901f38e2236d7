#pragma once
// The song filter: turns the guest's choices (a language, a ranking, a
// singer, first letters, a word count, a song type, ...) into the record
// filter and the sort order of the catalogue view CD_Song, and the singer
// choices into those of CD_Singer. Screens never write filter texts
// themselves: they set criteria here and redraw their lists.
#include <QDate>
#include <QString>
#include <array>

class DataSet;

class TSongFilter
{
public:
    static constexpr int kSlots = 20;
    // Criterion slots.
    enum Slot : int
    {
        kLanguage = 0,
        kFirstLetters = 1,
        kRanking = 2,
        kSinger = 3,
        kNewSongs = 4,
        kSongType = 6,
        kFilmType = 7,
        kNameStart = 8,
        kAdultType = 9,
        kDanceType = 10,
        kStrokes = 11,
    };

    // view: CD_Song; singers: CD_Singer (either may be null in tests).
    explicit TSongFilter(DataSet* view, DataSet* singers = nullptr);

    // Setters that start a new choice: ClearCriteria, store the value, apply.
    void SetLanguage(const QString& value);
    void SetRanking(const QString& value);
    void SetSinger(const QString& value);
    void SetNewSongs(const QString& value);
    void SetSongType(const QString& value);
    void SetFilmType(const QString& value);
    void SetNameStart(const QString& value);
    void SetAdultType(const QString& value);
    void SetDanceType(const QString& value);
    void SetStrokes(const QString& value);

    // Setters that narrow the current choice.
    void SetFirstLetters(const QString& value);
    int SongCount() const { return m_nSongCount; }
    void SetSongCount(int value);
    const QString& IsLocal() const { return m_sIsLocal; }
    void SetIsLocal(const QString& value);

    void ClearCriteria();
    void ApplyCriteria();

    // Unfiltered, sorted by SongNo and positioned on the song; false when the
    // catalogue has no such song.
    bool FindSongNo(const QString& songNo);

    // Singer view: class 1 to 9 (others: all singers), then pinyin initials.
    void SetSingerClass(int n);
    void SetSingerInitials(const QString& text);

    // Read access for the screens and tests.
    const QString& Criterion(int slot) const { return m_aCriteria[size_t(slot)]; }
    int SortKind() const { return m_nSortKind; }
    const QString& Sort() const { return m_sSort; }
    const QString& LengthClause() const { return m_sLength; }
    const QString& SingerClass() const { return m_sSingerClass; }
    DataSet* View() const { return m_pView; }
    DataSet* SingerView() const { return m_pSingerView; }

    // The filter text of a singer class (empty for 1 and unknown classes).
    static QString SingerClassFilter(int n);
    // A text value made safe inside '...' of a filter text.
    static QString Quote(const QString& value);

    // The day the new-songs window counts back from; the current date unless
    // set (null restores the current date).
    void SetToday(const QDate& day) { m_dToday = day; }

private:
    void Start(int slot, const QString& value);
    // The clause of a slot; may set m_sSort (ranking).
    QString Clause(int slot);

    int m_nSongCount = 0;
    QString m_sLength;
    QString m_sSort;
    QString m_sIsLocal;
    QString m_sSingerClass;
    std::array<QString, kSlots> m_aCriteria;
    int m_nSortKind = 0;
    DataSet* m_pView = nullptr;
    DataSet* m_pSingerView = nullptr;
    QDate m_dToday;
};
