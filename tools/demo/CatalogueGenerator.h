#pragma once
// Generates the rows of a demo song catalogue: singers with photos, songs in
// Chinese and other languages, films and dance films, with pinyin initials,
// stroke codes, word counts, creation dates and play counters. Deterministic
// for a given seed, so tests and benchmarks see the same catalogue each run.
#include "tools/demo/HanziTable.h"

#include <QDateTime>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QString>
#include <vector>

struct DemoSinger
{
    QString no;     // SINGERNO: "001", "002", ... (longer beyond 999)
    QString name;   // SINGERNAME
    QString photo;  // PHOTO: file name under Images/Star/
    QString sex;    // SEX: "1" male, "0" female, "2" group
    QString place;  // PLACE: "0".."2" Chinese-speaking regions, "3" abroad
    QString pycode; // PYCODE: initials of the name
    int len = 0;    // LEN: characters in the name
    double times = 0;
    int songs = 0;
};

struct DemoSong
{
    QString songNo; // SONGNO, 6 digits
    QString name;
    QString discNo;
    QString singer;
    int strLen = 0;  // word count: characters of a Chinese name, words of a Latin one
    int lanType = 1; // 0 film, 1..19 languages, 20 adult film, 21 dance film
    QString lanName;
    int type = 0;
    double voicePos = 0;
    QString firstChar; // up to 6 initials
    QDateTime createDate;
    double price = 0;
    QString strokes; // stroke code of the first character, up to 6 digits
    QString version;
    QString music;
    QString remark;
    double songVol = 0;
    QString disk;
    int timesTotal = 0, timesDay = 0, timesWeek = 0, timesMonth = 0, timesSeason = 0, timesYear = 0;
    int initTimes = 0;
    QString filePath;
    bool isLocal = true;
};

class CatalogueGenerator
{
public:
    CatalogueGenerator(const HanziTable& hanzi, quint32 seed, QDateTime now);

    std::vector<DemoSinger> Singers(int count);
    // Songs spread over the given singers (their `songs` counts are updated).
    std::vector<DemoSong> Songs(int count, std::vector<DemoSinger>& singers);

    // Name of a language code as the catalogue stores it in Lan_Name.
    static QString LanguageName(int lanType);

private:
    QString ChineseTitle();
    QString EnglishTitle();
    QString ForeignTitle(int lanType); // languages 10 to 19
    QString Title(int lanType, int i);
    QString ChineseSingerName(int sex);
    QString Pick(const QStringList& list);
    int Counter(int scale);

    const HanziTable& m_hanzi;
    QRandomGenerator m_rng;
    QDateTime m_now;
    QHash<int, QSet<QString>> m_usedTitles; // by language
};
