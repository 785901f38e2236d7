#pragma once
// The catalogue as the phone remote searches it: a read-only copy of the
// songs and singers with sorted indexes, built once on the phone server's
// thread and then shared without locks. Searches never touch the station's
// catalogue views, so a phone never moves the touch screen's lists.
#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <atomic>
#include <memory>
#include <vector>

class DbConnection;

struct TPhoneSong
{
    QString no, name, singer, initials, lanName;
    int lanType = 0;
    double price = 0;
    qint64 times = 0;
    QDate created;
};

struct TPhoneSinger
{
    QString name, initials, photo;
    double times = 0;
};

// Which songs a phone may see: adult films and dance films only while their
// switches are on, as on the terminal.
struct TPhoneVisibility
{
    bool adult = false;
    bool dance = false;
    bool Shows(const TPhoneSong& song) const;
};

// One page of results: indexes into Songs() (or Singers()) and the count of
// every match.
struct TPhonePage
{
    QList<int> items;
    int total = 0;
};

class TPhoneCatalogue
{
public:
    // Reads the song and singer views through the connection; throws DbError.
    // Null when stop was set before the reading ended.
    static std::shared_ptr<const TPhoneCatalogue> Load(DbConnection& connection,
                                                       const std::atomic<bool>* stop = nullptr);
    static std::shared_ptr<const TPhoneCatalogue> FromRows(std::vector<TPhoneSong> songs,
                                                           std::vector<TPhoneSinger> singers);

    // One search box: song number, pinyin initials, the beginning of the
    // name and the singer, in that order, most sung first within each.
    TPhonePage Search(const QString& text, const TPhoneVisibility& v, int offset, int limit) const;
    TPhonePage ByLanguage(int lanType, const TPhoneVisibility& v, int offset, int limit) const;
    TPhonePage BySinger(const QString& singer, const TPhoneVisibility& v, int offset, int limit) const;
    // Songs added in the 90 days up to today, newest first.
    TPhonePage NewSongs(const QDate& today, const TPhoneVisibility& v, int offset, int limit) const;
    // Songs that have been sung, most first.
    TPhonePage Ranking(const TPhoneVisibility& v, int offset, int limit) const;
    // Singers, most sung first; filtered by pinyin initials or the beginning
    // of the name when text is given.
    TPhonePage Singers(const QString& text, int offset, int limit) const;

    struct Language
    {
        int lanType = 0;
        QString name;
        int count = 0;
    };
    QList<Language> Languages(const TPhoneVisibility& v) const;

    // Index of the song with that number, -1 when there is none.
    int FindSongNo(const QString& songNo) const;
    const TPhoneSong& Song(int index) const { return m_songs[size_t(index)]; }
    const TPhoneSinger& Singer(int index) const { return m_singers[size_t(index)]; }
    int SongCount() const { return int(m_songs.size()); }
    int SingerCount() const { return int(m_singers.size()); }

private:
    void BuildIndexes();
    // The songs of a sorted index whose key begins with prefix.
    template <typename Key>
    std::pair<std::vector<int>::const_iterator, std::vector<int>::const_iterator>
    PrefixRange(const std::vector<int>& index, const QString& prefix, Key key) const;
    TPhonePage Page(const std::vector<int>& hits, const TPhoneVisibility& v, int offset, int limit) const;
    bool Shows(const TPhoneVisibility& v, int song) const
    {
        const int lanType = m_lanTypes[size_t(song)];
        return lanType == 20 ? v.adult : lanType == 21 ? v.dance : true;
    }

    std::vector<TPhoneSong> m_songs;
    std::vector<QString> m_nameKeys; // folded names
    std::vector<int> m_byNo, m_byInitials, m_byName, m_byTimes, m_byCreated;
    // What searches read of every song, kept compact.
    std::vector<qint64> m_times;
    std::vector<int> m_lanTypes;
    QHash<int, std::vector<int>> m_byLanguage;      // by initials
    std::vector<int> m_ranked;                      // sung at least once, most first
    QHash<QString, std::vector<int>> m_singerSongs; // folded singer name -> songs, most sung first
    std::vector<TPhoneSinger> m_singers;            // most sung first
    QList<Language> m_languages;
};
