#include "tools/demo/CatalogueGenerator.h"

#include <QSet>
#include <cmath>

namespace {

const QStringList kNouns = {
    QStringLiteral("月亮"), QStringLiteral("星星"), QStringLiteral("太阳"),   QStringLiteral("天空"),
    QStringLiteral("大海"), QStringLiteral("故乡"), QStringLiteral("爱情"),   QStringLiteral("青春"),
    QStringLiteral("梦想"), QStringLiteral("回忆"), QStringLiteral("眼泪"),   QStringLiteral("微笑"),
    QStringLiteral("朋友"), QStringLiteral("情人"), QStringLiteral("姑娘"),   QStringLiteral("少年"),
    QStringLiteral("花"),   QStringLiteral("雨"),   QStringLiteral("风"),     QStringLiteral("雪"),
    QStringLiteral("夜"),   QStringLiteral("心"),   QStringLiteral("城市"),   QStringLiteral("远方"),
    QStringLiteral("港湾"), QStringLiteral("时光"), QStringLiteral("岁月"),   QStringLiteral("春天"),
    QStringLiteral("夏天"), QStringLiteral("秋天"), QStringLiteral("冬天"),   QStringLiteral("玫瑰"),
    QStringLiteral("蝴蝶"), QStringLiteral("彩虹"), QStringLiteral("草原"),   QStringLiteral("江南"),
    QStringLiteral("长江"), QStringLiteral("黄河"), QStringLiteral("高山"),   QStringLiteral("流水"),
    QStringLiteral("烟花"), QStringLiteral("明天"), QStringLiteral("未来"),   QStringLiteral("世界"),
    QStringLiteral("吉他"), QStringLiteral("歌声"), QStringLiteral("灯火"),   QStringLiteral("家"),
    QStringLiteral("妈妈"), QStringLiteral("老师"), QStringLiteral("北京"),   QStringLiteral("上海"),
    QStringLiteral("海岸"), QStringLiteral("小河"), QStringLiteral("森林"),   QStringLiteral("鸽子"),
    QStringLiteral("天涯"), QStringLiteral("车站"), QStringLiteral("窗口"),   QStringLiteral("誓言"),
    QStringLiteral("秘密"), QStringLiteral("传说"), QStringLiteral("信仰"),   QStringLiteral("阳光"),
    QStringLiteral("晚风"), QStringLiteral("雨季"), QStringLiteral("红尘"),   QStringLiteral("明月"),
    QStringLiteral("山丘"), QStringLiteral("稻香"), QStringLiteral("茉莉花"), QStringLiteral("小城"),
};
const QStringList kAdjectives = {
    QStringLiteral("温柔"), QStringLiteral("孤单"), QStringLiteral("寂寞"), QStringLiteral("快乐"),
    QStringLiteral("幸福"), QStringLiteral("美丽"), QStringLiteral("勇敢"), QStringLiteral("遥远"),
    QStringLiteral("古老"), QStringLiteral("年轻"), QStringLiteral("甜蜜"), QStringLiteral("蓝色"),
    QStringLiteral("红色"), QStringLiteral("永远"), QStringLiteral("最初"), QStringLiteral("最后"),
    QStringLiteral("小小"), QStringLiteral("安静"), QStringLiteral("疯狂"), QStringLiteral("简单"),
};
const QStringList kVerbs = {
    QStringLiteral("等待"), QStringLiteral("思念"), QStringLiteral("相信"), QStringLiteral("告别"),
    QStringLiteral("守候"), QStringLiteral("飞翔"), QStringLiteral("遇见"), QStringLiteral("追"),
    QStringLiteral("想念"), QStringLiteral("忘记"), QStringLiteral("唱给"), QStringLiteral("送给"),
    QStringLiteral("爱上"), QStringLiteral("回到"), QStringLiteral("走过"), QStringLiteral("听见"),
};
const QStringList kSurnames = {
    QStringLiteral("王"), QStringLiteral("李"), QStringLiteral("张"), QStringLiteral("刘"), QStringLiteral("陈"),
    QStringLiteral("杨"), QStringLiteral("黄"), QStringLiteral("赵"), QStringLiteral("周"), QStringLiteral("吴"),
    QStringLiteral("徐"), QStringLiteral("孙"), QStringLiteral("马"), QStringLiteral("朱"), QStringLiteral("胡"),
    QStringLiteral("郭"), QStringLiteral("何"), QStringLiteral("林"), QStringLiteral("罗"), QStringLiteral("高"),
    QStringLiteral("郑"), QStringLiteral("梁"), QStringLiteral("谢"), QStringLiteral("宋"), QStringLiteral("唐"),
    QStringLiteral("许"), QStringLiteral("韩"), QStringLiteral("冯"), QStringLiteral("邓"), QStringLiteral("曹"),
    QStringLiteral("彭"), QStringLiteral("曾"), QStringLiteral("萧"), QStringLiteral("田"), QStringLiteral("董"),
    QStringLiteral("潘"), QStringLiteral("袁"), QStringLiteral("蔡"), QStringLiteral("蒋"), QStringLiteral("余"),
    QStringLiteral("叶"), QStringLiteral("程"), QStringLiteral("苏"), QStringLiteral("吕"), QStringLiteral("丁"),
    QStringLiteral("任"), QStringLiteral("姚"), QStringLiteral("沈"), QStringLiteral("钟"), QStringLiteral("姜"),
    QStringLiteral("崔"), QStringLiteral("谭"), QStringLiteral("陆"), QStringLiteral("范"), QStringLiteral("汪"),
    QStringLiteral("廖"), QStringLiteral("石"), QStringLiteral("金"), QStringLiteral("夏"), QStringLiteral("方"),
    QStringLiteral("白"), QStringLiteral("孟"), QStringLiteral("秦"), QStringLiteral("江"), QStringLiteral("龙"),
    QStringLiteral("黎"), QStringLiteral("毛"), QStringLiteral("顾"), QStringLiteral("万"), QStringLiteral("钱"),
    QStringLiteral("戴"), QStringLiteral("严"), QStringLiteral("莫"), QStringLiteral("孔"), QStringLiteral("文"),
};
const QStringList kMaleGiven = {
    QStringLiteral("伟"), QStringLiteral("强"), QStringLiteral("磊"), QStringLiteral("军"), QStringLiteral("洋"),
    QStringLiteral("勇"), QStringLiteral("杰"), QStringLiteral("涛"), QStringLiteral("明"), QStringLiteral("超"),
    QStringLiteral("刚"), QStringLiteral("华"), QStringLiteral("宇"), QStringLiteral("浩"), QStringLiteral("峰"),
    QStringLiteral("辉"), QStringLiteral("健"), QStringLiteral("俊"), QStringLiteral("凯"), QStringLiteral("帆"),
    QStringLiteral("鑫"), QStringLiteral("嘉"), QStringLiteral("轩"), QStringLiteral("子"), QStringLiteral("学"),
    QStringLiteral("友"), QStringLiteral("德"), QStringLiteral("天"), QStringLiteral("志"), QStringLiteral("东"),
};
const QStringList kFemaleGiven = {
    QStringLiteral("芳"), QStringLiteral("娜"), QStringLiteral("敏"), QStringLiteral("静"), QStringLiteral("丽"),
    QStringLiteral("艳"), QStringLiteral("娟"), QStringLiteral("秀"), QStringLiteral("霞"), QStringLiteral("玲"),
    QStringLiteral("晨"), QStringLiteral("欣"), QStringLiteral("婷"), QStringLiteral("雪"), QStringLiteral("琳"),
    QStringLiteral("晶"), QStringLiteral("佳"), QStringLiteral("怡"), QStringLiteral("悦"), QStringLiteral("思"),
    QStringLiteral("雨"), QStringLiteral("萱"), QStringLiteral("涵"), QStringLiteral("菲"), QStringLiteral("慧"),
    QStringLiteral("美"), QStringLiteral("燕"), QStringLiteral("红"), QStringLiteral("梅"), QStringLiteral("莉"),
};
const QStringList kBandWords = {
    QStringLiteral("星光"), QStringLiteral("青春"), QStringLiteral("飞鸟"), QStringLiteral("海风"),
    QStringLiteral("蓝天"), QStringLiteral("火焰"), QStringLiteral("彩虹"), QStringLiteral("夜空"),
};
const QStringList kBandKinds = {QStringLiteral("乐队"), QStringLiteral("组合"), QStringLiteral("乐团")};

const QStringList kEnglishAdjectives = {
    QStringLiteral("Sweet"), QStringLiteral("Blue"),   QStringLiteral("Golden"),  QStringLiteral("Lonely"),
    QStringLiteral("Wild"),  QStringLiteral("Little"), QStringLiteral("Endless"), QStringLiteral("Silent"),
    QStringLiteral("Crazy"), QStringLiteral("Happy"),  QStringLiteral("Summer"),  QStringLiteral("Broken"),
};
const QStringList kEnglishNouns = {
    QStringLiteral("Love"),  QStringLiteral("Heart"),    QStringLiteral("Night"), QStringLiteral("Dream"),
    QStringLiteral("Rain"),  QStringLiteral("Fire"),     QStringLiteral("Moon"),  QStringLiteral("Star"),
    QStringLiteral("Baby"),  QStringLiteral("Angel"),    QStringLiteral("Home"),  QStringLiteral("Road"),
    QStringLiteral("Light"), QStringLiteral("Dance"),    QStringLiteral("Time"),  QStringLiteral("World"),
    QStringLiteral("River"), QStringLiteral("Memories"), QStringLiteral("Sky"),   QStringLiteral("Song"),
};
const QStringList kEnglishVerbs = {
    QStringLiteral("Hold"), QStringLiteral("Take"), QStringLiteral("Love"), QStringLiteral("Call"),
    QStringLiteral("Kiss"), QStringLiteral("Save"), QStringLiteral("Show"), QStringLiteral("Miss"),
};
const QStringList kEnglishFirst = {
    QStringLiteral("Anna"), QStringLiteral("Tom"),  QStringLiteral("Lucy"), QStringLiteral("Mike"),
    QStringLiteral("Emma"), QStringLiteral("Jack"), QStringLiteral("Mary"), QStringLiteral("Paul"),
    QStringLiteral("Kate"), QStringLiteral("Sam"),  QStringLiteral("Lily"), QStringLiteral("Ben"),
};
const QStringList kEnglishLast = {
    QStringLiteral("Lee"),  QStringLiteral("Brown"), QStringLiteral("Gray"), QStringLiteral("Stone"),
    QStringLiteral("Wood"), QStringLiteral("King"),  QStringLiteral("Hill"), QStringLiteral("Moore"),
    QStringLiteral("Bell"), QStringLiteral("Rose"),  QStringLiteral("Fox"),  QStringLiteral("West"),
};
const QStringList kFilms = {
    QStringLiteral("英雄"), QStringLiteral("大侠"), QStringLiteral("风云"), QStringLiteral("江湖"),
    QStringLiteral("少林"), QStringLiteral("西游"), QStringLiteral("三国"), QStringLiteral("星际"),
};
// Songs in the further languages (codes 10 to 19): the language's name and a few
// words their titles are made of.
struct TForeignLanguage
{
    const char* name;
    QStringList words;
};
const TForeignLanguage kForeign[] = {
    {"泰语", {"Rak", "Jai", "Khun", "Chan", "Fan", "Dao", "Fah", "Nam", "Tee", "Ruk"}},
    {"越南语", {"Anh", "Em", "Yeu", "Mua", "Nho", "Trang", "Song", "Mai", "Dem", "Xuan"}},
    {"印尼语", {"Cinta", "Hati", "Rindu", "Bulan", "Malam", "Sayang", "Bintang", "Hujan", "Laut", "Mimpi"}},
    {"马来语", {"Kasih", "Sayang", "Rindu", "Pantai", "Senja", "Bunga", "Cahaya", "Impian", "Jiwa", "Angin"}},
    {"法语", {"Amour", "Nuit", "Coeur", "Soleil", "Reve", "Vie", "Rose", "Paris", "Ciel", "Mer"}},
    {"德语", {"Liebe", "Nacht", "Herz", "Traum", "Sommer", "Stern", "Himmel", "Zeit", "Meer", "Wind"}},
    {"西班牙语", {"Amor", "Noche", "Corazon", "Sol", "Luna", "Vida", "Fuego", "Cielo", "Mar", "Alma"}},
    {"俄语", {"Lyubov", "Noch", "Serdtse", "Zvezda", "Zima", "Moskva", "Veter", "Son", "Reka", "Vesna"}},
    {"意大利语", {"Amore", "Notte", "Cuore", "Sole", "Luna", "Vita", "Stella", "Mare", "Cielo", "Sogno"}},
    {"葡萄牙语", {"Saudade", "Amor", "Noite", "Mar", "Lua", "Vida", "Sol", "Coracao", "Terra", "Flor"}},
};

bool IsForeign(int lanType)
{
    return lanType == 4 || (lanType >= 10 && lanType <= 19);
}

const QStringList kDanceKinds = {QStringLiteral("舞曲"), QStringLiteral("劲爆"), QStringLiteral("慢摇"),
                                 QStringLiteral("串烧"), QStringLiteral("热舞"), QStringLiteral("DJ")};
const QStringList kVersions = {QStringLiteral("MTV"), QStringLiteral("演唱会"), QStringLiteral("卡拉OK"),
                               QStringLiteral("风景")};

} // namespace

CatalogueGenerator::CatalogueGenerator(const HanziTable& hanzi, quint32 seed, QDateTime now)
    : m_hanzi(hanzi), m_rng(seed), m_now(std::move(now))
{
}

QString CatalogueGenerator::Pick(const QStringList& list)
{
    return list.at(static_cast<int>(m_rng.bounded(static_cast<quint32>(list.size()))));
}

// Play counters follow a long tail: most songs are rarely sung, a few often.
int CatalogueGenerator::Counter(int scale)
{
    const double u = m_rng.generateDouble();
    return static_cast<int>(std::floor(std::pow(u, 6.0) * scale));
}

QString CatalogueGenerator::LanguageName(int lanType)
{
    switch (lanType) {
    case 0:
        return QStringLiteral("电影");
    case 1:
        return QStringLiteral("国语");
    case 2:
        return QStringLiteral("粤语");
    case 3:
        return QStringLiteral("闽南语");
    case 4:
        return QStringLiteral("英语");
    case 5:
        return QStringLiteral("日语");
    case 6:
        return QStringLiteral("韩语");
    case 7:
        return QStringLiteral("民族");
    case 8:
        return QStringLiteral("戏曲");
    case 9:
        return QStringLiteral("其他");
    case 20:
        return QStringLiteral("成人片");
    case 21:
        return QStringLiteral("舞曲");
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
    case 16:
    case 17:
    case 18:
    case 19:
        return QString::fromUtf8(kForeign[lanType - 10].name);
    default:
        return QStringLiteral("其他");
    }
}

QString CatalogueGenerator::ChineseTitle()
{
    switch (m_rng.bounded(12)) {
    case 0:
        return Pick(kNouns);
    case 1:
        return Pick(kAdjectives) + QStringLiteral("的") + Pick(kNouns);
    case 2:
        return Pick(kNouns) + QStringLiteral("的") + Pick(kNouns);
    case 3:
        return QStringLiteral("我的") + Pick(kNouns);
    case 4:
        return Pick(kVerbs) + Pick(kNouns);
    case 5:
        return Pick(kNouns) + QStringLiteral("之歌");
    case 6:
        return QStringLiteral("再见") + Pick(kNouns);
    case 7:
        return Pick(kAdjectives) + Pick(kNouns);
    // Longer titles, up to ten characters.
    case 8:
        return Pick(kAdjectives) + QStringLiteral("的") + Pick(kNouns) + QStringLiteral("和") + Pick(kNouns);
    case 9:
        return QStringLiteral("让我") + Pick(kVerbs) + QStringLiteral("你的") + Pick(kNouns);
    case 10:
        return QStringLiteral("一个人的") + Pick(kNouns) + Pick(kNouns);
    default:
        return Pick(kNouns) + Pick(kNouns);
    }
}

QString CatalogueGenerator::ForeignTitle(int lanType)
{
    const QStringList& words = kForeign[lanType - 10].words;
    QString title = Pick(words) + QLatin1Char(' ') + Pick(words);
    if (m_rng.bounded(3) == 0)
        title += QLatin1Char(' ') + Pick(words);
    return title;
}

QString CatalogueGenerator::Title(int lanType, int i)
{
    if (lanType == 4)
        return EnglishTitle();
    if (lanType >= 10 && lanType <= 19)
        return ForeignTitle(lanType);
    if (lanType == 0)
        return Pick(kFilms) + Pick(kNouns);
    if (lanType == 20)
        return QStringLiteral("午夜影院") + QString::number(i % 97 + 1);
    if (lanType == 21)
        return Pick(kDanceKinds) + Pick(kNouns);
    return ChineseTitle();
}

QString CatalogueGenerator::EnglishTitle()
{
    switch (m_rng.bounded(6)) {
    case 5:
        return Pick(kEnglishAdjectives) + QLatin1Char(' ') + Pick(kEnglishNouns) + QStringLiteral(" of ") +
               Pick(kEnglishNouns);
    case 0:
        return Pick(kEnglishAdjectives) + QLatin1Char(' ') + Pick(kEnglishNouns);
    case 1:
        return Pick(kEnglishVerbs) + QStringLiteral(" Me Tonight");
    case 2:
        return QStringLiteral("The ") + Pick(kEnglishNouns);
    case 3:
        return Pick(kEnglishNouns) + QStringLiteral(" of ") + Pick(kEnglishNouns);
    default:
        return Pick(kEnglishVerbs) + QStringLiteral(" My ") + Pick(kEnglishNouns);
    }
}

QString CatalogueGenerator::ChineseSingerName(int sex)
{
    const QStringList& given = sex == 1 ? kMaleGiven : kFemaleGiven;
    QString name = Pick(kSurnames) + Pick(given);
    if (m_rng.bounded(2) == 0)
        name += Pick(given);
    return name;
}

std::vector<DemoSinger> CatalogueGenerator::Singers(int count)
{
    std::vector<DemoSinger> out;
    out.reserve(count);
    QSet<QString> used;
    for (int i = 0; out.size() < static_cast<size_t>(count); ++i) {
        DemoSinger s;
        const quint32 kind = m_rng.bounded(100);
        if (kind < 12) { // abroad
            s.place = QStringLiteral("3");
            const int sex = static_cast<int>(m_rng.bounded(3));
            s.sex = QString::number(sex);
            s.name = sex == 2 ? QStringLiteral("The ") + Pick(kEnglishNouns) + QLatin1Char('s')
                              : Pick(kEnglishFirst) + QLatin1Char(' ') + Pick(kEnglishLast);
        } else if (kind < 20) { // groups
            s.place = QString::number(m_rng.bounded(3));
            s.sex = QStringLiteral("2");
            s.name = Pick(kBandWords) + Pick(kBandKinds);
        } else {
            s.place = QString::number(m_rng.bounded(3));
            const int sex = static_cast<int>(m_rng.bounded(2));
            s.sex = QString::number(sex);
            s.name = ChineseSingerName(sex);
        }
        // Large catalogues run out of plain names: number the repeats.
        if (used.contains(s.name)) {
            if (i < count * 4)
                continue;
            s.name += QString::number(i % 100);
        }
        used.insert(s.name);
        const int n = static_cast<int>(out.size()) + 1;
        s.no = QString::number(n).rightJustified(3, QLatin1Char('0'));
        s.photo = QStringLiteral("S%1.jpg").arg(n, 5, 10, QLatin1Char('0'));
        s.pycode = m_hanzi.Initials(s.name, 6);
        s.len = static_cast<int>(s.name.size());
        out.push_back(std::move(s));
    }
    return out;
}

std::vector<DemoSong> CatalogueGenerator::Songs(int count, std::vector<DemoSinger>& singers)
{
    std::vector<DemoSong> out;
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        DemoSong s;
        s.songNo = QString::number(100001 + i);
        const quint32 kind = m_rng.bounded(1000);
        if (kind < 30)
            s.lanType = 0;
        else if (kind < 40)
            s.lanType = 20;
        else if (kind < 60)
            s.lanType = 21;
        else if (kind < 530)
            s.lanType = 1;
        else if (kind < 560)
            s.lanType = 10 + static_cast<int>(m_rng.bounded(10));
        else if (kind < 700)
            s.lanType = 2;
        else if (kind < 760)
            s.lanType = 3;
        else if (kind < 860)
            s.lanType = 4;
        else if (kind < 900)
            s.lanType = 5;
        else if (kind < 940)
            s.lanType = 6;
        else
            s.lanType = 7 + static_cast<int>(m_rng.bounded(3));
        s.lanName = LanguageName(s.lanType);

        DemoSinger* singer = nullptr;
        if (!singers.empty()) {
            // Abroad singers sing the English songs; the others the rest.
            for (int tries = 0; tries < 20; ++tries) {
                DemoSinger& cand = singers[m_rng.bounded(static_cast<quint32>(singers.size()))];
                if (IsForeign(s.lanType) == (cand.place == QLatin1String("3"))) {
                    singer = &cand;
                    break;
                }
                singer = &cand;
            }
        }
        // A title a language already has is drawn again a few times, so a
        // page of a language's list shows different songs.
        QSet<QString>& used = m_usedTitles[s.lanType];
        s.name = Title(s.lanType, i);
        for (int tries = 0; tries < 12 && used.contains(s.name); ++tries)
            s.name = Title(s.lanType, i);
        used.insert(s.name);
        s.singer = singer ? singer->name : QString();
        s.strLen = IsForeign(s.lanType) ? static_cast<int>(s.name.split(QLatin1Char(' ')).size())
                                        : static_cast<int>(s.name.size());
        s.type = s.lanType == 20 || s.lanType == 21 || s.lanType == 0 ? 1 + static_cast<int>(m_rng.bounded(5))
                                                                      : 1 + static_cast<int>(m_rng.bounded(9));
        s.discNo = QString::number(m_rng.bounded(100)).rightJustified(2, QLatin1Char('0'));
        s.voicePos = m_rng.bounded(2);
        s.firstChar = m_hanzi.Initials(s.name, 6);
        s.strokes = m_hanzi.LeadingStrokes(s.name, 6);
        s.createDate = m_now.addSecs(-static_cast<qint64>(m_rng.bounded(730u * 24u * 3600u)));
        s.price = m_rng.bounded(50) == 0 ? 2.0 : 0.0;
        s.version = Pick(kVersions);
        s.music = QStringLiteral("原版");
        s.remark = QStringLiteral("清晰");
        s.songVol = 50;
        s.disk = ((IsForeign(s.lanType) || s.lanType == 5 || s.lanType == 6) && m_rng.bounded(4) == 0)
                     ? QStringLiteral("外语")
                     : QString();
        s.timesTotal = Counter(900);
        s.timesYear = s.timesTotal > 0 ? static_cast<int>(m_rng.bounded(static_cast<quint32>(s.timesTotal + 1))) : 0;
        s.timesSeason = s.timesYear > 0 ? static_cast<int>(m_rng.bounded(static_cast<quint32>(s.timesYear + 1))) : 0;
        s.timesMonth = s.timesSeason > 0 ? static_cast<int>(m_rng.bounded(static_cast<quint32>(s.timesSeason + 1))) : 0;
        s.timesWeek = s.timesMonth > 0 ? static_cast<int>(m_rng.bounded(static_cast<quint32>(s.timesMonth + 1))) : 0;
        s.timesDay = s.timesWeek > 0 ? static_cast<int>(m_rng.bounded(static_cast<quint32>(s.timesWeek + 1))) : 0;
        s.initTimes = 0;
        s.filePath = QStringLiteral("Songs/%1.mpg").arg(s.songNo);
        s.isLocal = true;
        if (singer) {
            singer->songs += 1;
            singer->times += s.timesTotal;
        }
        out.push_back(std::move(s));
    }
    return out;
}
