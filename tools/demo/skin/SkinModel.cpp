#include "tools/demo/skin/SkinModel.h"

#include "core/Gbk.h"

#include <QDomDocument>
#include <cmath>
#include <cstring>

namespace {

// Design grid: banner 0..88, content 96..684, public bar 692..768.
constexpr int kContentTop = 96;
constexpr int kContentBottom = 684;
constexpr int kBarTop = 692;

// List colours (Windows colour values 0x00BBGGRR).
constexpr quint32 kWhite = 0xFFFFFF;
constexpr quint32 kYellow = 0x00FFFF;
constexpr quint32 kSky = 0xFFCC33;  // RGB(51, 204, 255)
constexpr quint32 kGold = 0x3CC8FF; // RGB(255, 200, 60)
constexpr quint32 kPale = 0xF0DCD2; // RGB(210, 220, 240)

using TScreenPtr = std::shared_ptr<TSkinScreen>;

TSkinDecor MakeDecor(TSkinDecor::Kind kind, QRect rect, const QString& text = {}, int count = 0, int step = 0,
                     int fontPx = 18, int align = 0, QColor color = QColor(255, 255, 255))
{
    TSkinDecor d;
    d.kind = kind;
    d.rect = rect;
    d.text = text;
    d.count = count;
    d.step = step;
    d.fontPx = fontPx;
    d.align = align;
    d.color = color;
    return d;
}

class TBuilder
{
public:
    explicit TBuilder(bool english) : m_bEnglish(english) {}

    QString T(const char* zh, const char* en) const { return QString::fromUtf8(m_bEnglish ? en : zh); }

    TSkinTree Build();

private:
    // --- control makers ---------------------------------------------------
    static TSkinControl Label(const QString& name, QRect r, int fontPx, int align = 0, quint32 color = kWhite)
    {
        TSkinControl c;
        c.name = name;
        c.rect = r;
        c.showCaption = true;
        c.fontPx = fontPx;
        c.align = align;
        c.fontColor = color;
        return c;
    }
    static TSkinControl Face(const QString& name, QRect r, TFace face, const QString& caption, const QString& key,
                             const QString& icon = {}, QColor accent = {})
    {
        TSkinControl c;
        c.name = name;
        c.rect = r;
        c.face = face;
        c.caption = caption;
        c.key = key;
        c.icon = icon;
        c.accent = accent;
        c.fontPx = face == TFace::Tile ? 30 : face == TFace::Bar ? 14 : 22;
        return c;
    }
    static QString RowKey(int i)
    {
        return i < 9 ? QString::number(i + 1) : i == 9 ? QStringLiteral("0") : QStringLiteral(".");
    }
    static QColor Accent(int i);
    static std::vector<QRect> Grid(QRect area, int count, int cols, int w, int h, int gapX, int gapY);

    TScreenPtr Screen(const QString& name, const QString& title, const QString& subtitle = {}) const
    {
        auto s = std::make_shared<TSkinScreen>();
        s->name = name;
        s->title = title;
        s->subtitle = subtitle;
        return s;
    }
    static void Popup(TSkinScreen& s, QRect r, int seconds)
    {
        s.popup = true;
        s.popupRect = r;
        s.autoclose = seconds;
        s.nowPlaying = false;
    }

    // --- shared pieces ----------------------------------------------------
    void NowPlaying(TSkinScreen& s) const;
    void Keyboard(TSkinScreen& s, QRect area, bool withClear) const;
    void Keypad(TSkinScreen& s, QRect area, bool withPoint, bool withEnter) const;
    void PageControls(TSkinScreen& s, int y, int left, int right) const;
    void SongRows(TSkinScreen& s, QRect area, int rows, bool withLang, int singerWidth, bool fixedSinger) const;
    void CloseButton(TSkinScreen& s, QRect r) const;

    struct TItem
    {
        QString name, caption, icon, click, parameter;
        TScreenPtr screen;
        QString key;
    };
    TScreenPtr Category(const QString& name, const QString& title, const QString& subtitle, std::vector<TItem> items,
                        int cols) const;

    // --- screens ------------------------------------------------------------
    TScreenPtr Portal() const;
    TScreenPtr OrderSong() const;
    TScreenPtr Languages() const;
    TScreenPtr Rankings() const;
    TScreenPtr SongTypes() const;
    TScreenPtr SingerTypes() const;
    TScreenPtr Words() const;
    TScreenPtr Pinyin(const QString& name) const;
    TScreenPtr Number() const;
    TScreenPtr Stroke() const;
    TScreenPtr Movies() const;
    TScreenPtr Dance() const;
    TScreenPtr Sung() const;
    TScreenPtr Others() const;
    TScreenPtr FoodType() const;
    std::vector<TScreenPtr> Forms() const;

    TScreenPtr SongList() const;
    TScreenPtr Ordered() const;
    TScreenPtr Singers(bool photos) const;
    TScreenPtr Lock() const;
    TScreenPtr Message() const;
    TScreenPtr Osd() const;
    TScreenPtr Handwriting() const;
    TScreenPtr Volume() const;
    TScreenPtr Record() const;
    TScreenPtr LoveLogin() const;
    TScreenPtr LoveList() const;
    TScreenPtr Food() const;
    TScreenPtr FoodAddons() const;
    TScreenPtr FoodCount() const;
    TScreenPtr BillDetail() const;
    TScreenPtr FoodOrder() const;
    TScreenPtr Bill() const;
    TScreenPtr Repair() const;

    bool m_bEnglish;
};

QColor TBuilder::Accent(int i)
{
    static const QColor colours[] = {
        QColor(236, 64, 122), QColor(41, 182, 246), QColor(255, 167, 38), QColor(102, 187, 106), QColor(171, 71, 188),
        QColor(38, 198, 218), QColor(255, 112, 67), QColor(92, 107, 192), QColor(240, 160, 20),  QColor(239, 83, 80),
        QColor(0, 191, 165),  QColor(126, 87, 194), QColor(141, 110, 99), QColor(66, 165, 245),  QColor(124, 179, 66),
    };
    return colours[i % (sizeof colours / sizeof colours[0])];
}

std::vector<QRect> TBuilder::Grid(QRect area, int count, int cols, int w, int h, int gapX, int gapY)
{
    std::vector<QRect> out;
    const int rows = (count + cols - 1) / cols;
    const int totalH = rows * h + (rows - 1) * gapY;
    const int y0 = area.top() + (area.height() - totalH) / 2;
    for (int i = 0; i < count; ++i) {
        const int row = i / cols, col = i % cols;
        const int inRow = std::min(cols, count - row * cols); // the last row is centred
        const int rowW = inRow * w + (inRow - 1) * gapX;
        const int x0 = area.left() + (area.width() - rowW) / 2;
        out.emplace_back(x0 + col * (w + gapX), y0 + row * (h + gapY), w, h);
    }
    return out;
}

void TBuilder::NowPlaying(TSkinScreen& s) const
{
    s.controls.push_back(Label(QStringLiteral("PlayingLabel"), QRect(16, 700, 112, 30), 17, 0, kGold));
    s.controls.push_back(Label(QStringLiteral("PlayingName"), QRect(128, 700, 246, 30), 19, 0, kWhite));
    s.controls.push_back(Label(QStringLiteral("NextLabel"), QRect(16, 734, 112, 28), 15, 0, kPale));
    s.controls.push_back(Label(QStringLiteral("NextName"), QRect(128, 734, 246, 28), 16, 0, kPale));
    // The queue length sits as a badge on the public "ordered" button.
    auto songs = Label(QStringLiteral("Songs"), QRect(426, 695, 28, 20), 13, 2, kYellow);
    songs.bold = true;
    s.controls.push_back(songs);
}

void TBuilder::Keyboard(TSkinScreen& s, QRect area, bool withClear) const
{
    const int cols = 6, w = 46, h = 50, gap = 4;
    for (int i = 0; i < 26; ++i) {
        const QChar letter(u'A' + i);
        QRect r(area.left() + (i % cols) * (w + gap), area.top() + (i / cols) * (h + gap), w, h);
        s.controls.push_back(
            Face(QStringLiteral("Letter") + letter, r, TFace::Key, QString(letter), QString(letter.toLower())));
    }
    // 26 letters leave two places in the fifth row and the whole sixth row.
    const int y4 = area.top() + 4 * (h + gap);
    s.controls.push_back(Face(QStringLiteral("LetterDel"), QRect(area.left() + 2 * (w + gap), y4, 2 * w + gap, h),
                              TFace::Key, T("删除", "Del"), QStringLiteral("backspace")));
    if (withClear)
        s.controls.push_back(Face(QStringLiteral("LetterClear"), QRect(area.left() + 4 * (w + gap), y4, 2 * w + gap, h),
                                  TFace::Key, T("清空", "Clear"), QStringLiteral("delsong")));
}

void TBuilder::Keypad(TSkinScreen& s, QRect area, bool withPoint, bool withEnter) const
{
    // Telephone layout: 1 2 3 / 4 5 6 / 7 8 9 / (.) 0 Del, then Enter below.
    const int w = (area.width() - 2 * 10) / 3, h = 62, gap = 10;
    const char* labels[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};
    for (int i = 0; i < 9; ++i) {
        QRect r(area.left() + (i % 3) * (w + gap), area.top() + (i / 3) * (h + gap), w, h);
        s.controls.push_back(Face(QStringLiteral("Num") + labels[i], r, TFace::Key, QString::fromLatin1(labels[i]),
                                  QString::fromLatin1(labels[i])));
    }
    const int y3 = area.top() + 3 * (h + gap);
    if (withPoint)
        s.controls.push_back(Face(QStringLiteral("NumPoint"), QRect(area.left(), y3, w, h), TFace::Key,
                                  QStringLiteral("."), QStringLiteral(".")));
    s.controls.push_back(Face(QStringLiteral("Num0"), QRect(area.left() + (w + gap), y3, w, h), TFace::Key,
                              QStringLiteral("0"), QStringLiteral("0")));
    s.controls.push_back(Face(QStringLiteral("NumDel"), QRect(area.left() + 2 * (w + gap), y3, w, h), TFace::Key,
                              T("删除", "Del"), QStringLiteral("backspace")));
    if (withEnter) {
        auto enter = Face(QStringLiteral("NumEnter"), QRect(area.left(), y3 + h + gap, area.width(), h), TFace::Pill,
                          T("确定", "OK"), QStringLiteral("enter"), QStringLiteral("check"), QColor(102, 187, 106));
        s.controls.push_back(enter);
    }
}

void TBuilder::PageControls(TSkinScreen& s, int y, int left, int right) const
{
    const int w = 170, h = 46;
    s.controls.push_back(Face(QStringLiteral("PageUp"), QRect(left, y, w, h), TFace::Pill, T("上一页", "Prev"),
                              QStringLiteral("pageup"), QStringLiteral("prev"), QColor(92, 107, 192)));
    s.controls.push_back(Face(QStringLiteral("PageDown"), QRect(right - w, y, w, h), TFace::Pill, T("下一页", "Next"),
                              QStringLiteral("pagedown"), QStringLiteral("next"), QColor(92, 107, 192)));
    auto page = Label(QStringLiteral("pagelabel"), QRect(left + w + 10, y, right - left - 2 * w - 20, h), 20, 2, kGold);
    page.face = TFace::ValueBox;
    s.controls.push_back(page);
}

void TBuilder::SongRows(TSkinScreen& s, QRect area, int rows, bool withLang, int singerWidth, bool fixedSinger) const
{
    const int step = area.height() / rows, h = step - 4;
    TSkinDecor stripes;
    stripes.kind = TSkinDecor::Rows;
    stripes.rect = QRect(area.left(), area.top(), area.width(), h);
    stripes.count = rows;
    stripes.step = step;
    s.decor.push_back(stripes);
    const int langW = withLang ? 74 : 0;
    const int nameW = area.width() - singerWidth - langW - 24;
    for (int i = 0; i < rows; ++i) {
        const int y = area.top() + i * step;
        auto name = Label(QStringLiteral("songname%1").arg(i), QRect(area.left() + 12, y, nameW, h), 22, 0, kWhite);
        name.key = RowKey(i);
        s.controls.push_back(name);
        if (withLang)
            s.controls.push_back(
                Label(QStringLiteral("songlang%1").arg(i), QRect(area.left() + 12 + nameW, y, langW, h), 16, 2, kPale));
        auto singer = Label(QStringLiteral("songsinger%1").arg(i),
                            QRect(area.right() - 6 - singerWidth, y, singerWidth, h), 18, 0, kSky);
        singer.fixedWidth = fixedSinger;
        s.controls.push_back(singer);
    }
}

void TBuilder::CloseButton(TSkinScreen& s, QRect r) const
{
    s.controls.push_back(Face(QStringLiteral("Close"), r, TFace::Pill, T("关闭", "Close"), QStringLiteral("return"),
                              QStringLiteral("back"), QColor(239, 83, 80)));
}

TScreenPtr TBuilder::Category(const QString& name, const QString& title, const QString& subtitle,
                              std::vector<TItem> items, int cols) const
{
    auto s = Screen(name, title, subtitle);
    const int count = static_cast<int>(items.size());
    const int rows = (count + cols - 1) / cols;
    const int gap = 16;
    const int w = std::min(186, (960 - (cols - 1) * gap) / cols);
    const int h = std::min(rows == 1 ? 260 : 200, (kContentBottom - kContentTop - 40 - (rows - 1) * gap) / rows);
    const auto rects =
        Grid(QRect(24, kContentTop + 10, 976, kContentBottom - kContentTop - 20), count, cols, w, h, gap, gap);
    for (int i = 0; i < count; ++i) {
        TItem& it = items[i];
        auto c =
            Face(it.name, rects[i], TFace::Tile, it.caption, it.key.isEmpty() ? RowKey(i) : it.key, it.icon, Accent(i));
        c.fontPx = it.caption.size() > 6 ? 22 : 28;
        c.click = it.click;
        c.parameter = it.parameter;
        c.screen = it.screen;
        s->controls.push_back(c);
    }
    return s;
}

// --- the portal -------------------------------------------------------------

TScreenPtr TBuilder::Portal() const
{
    auto s = Screen(QStringLiteral("portal"), T("星光 KTV", "StarLight KTV"),
                    T("欢迎光临 · 请选择点歌方式", "Welcome! Pick a way to find your song"));
    struct TTile
    {
        const char* name;
        const char* zh;
        const char* en;
        const char* key;
        const char* icon;
    };
    const TTile tiles[] = {
        {"MainLanguage", "歌名", "Songs", "language", "note"},
        {"MainSinger", "歌星", "Singers", "singer", "person"},
        {"MainTop", "排行", "Top Charts", "hot", "trophy"},
        {"NewSong", "新歌", "New Songs", "tovga", "star"},
        {"MainPinyin", "拼音", "Pinyin", "firstchar", "abc"},
        {"MainStroke", "笔画", "Strokes", "stroke", "brush"},
        {"MainOcr", "手写", "Handwriting", "ocr", "pen"},
        {"MainNumber", "编号", "Song No.", "number", "hash"},
        {"MainOrdered", "已点", "My Queue", "playlist", "list"},
        {"sing", "已唱", "Sung", "topal", "mic"},
        {"Movie", "电影", "Films", "movie", "film"},
        {"Disco", "舞曲", "Dance", "disco", "disc"},
        {"foodtype", "酒水", "Food & Drink", "drinkwater", "cup"},
        {"MainVolume", "音量", "Volume", "volume", "speaker"},
        {"MainService", "服务", "Service", "callwaiter", "bell"},
    };
    const auto rects = Grid(QRect(24, 100, 976, 496), 15, 5, 180, 150, 14, 14);
    for (int i = 0; i < 15; ++i) {
        const TTile& t = tiles[i];
        auto c = Face(QString::fromLatin1(t.name), rects[i], TFace::Tile, T(t.zh, t.en), QString::fromLatin1(t.key),
                      QString::fromLatin1(t.icon), Accent(i));
        c.fontPx = m_bEnglish ? 22 : 30;
        s->controls.push_back(c);
    }
    // Sub-screens opened straight from the portal.
    s->controls[3].click = QStringLiteral("frmsong"); // NewSong: the new-songs list
    s->controls[9].screen = Sung();
    s->controls[10].screen = Movies();
    s->controls[11].screen = Dance();
    s->controls[12].screen = FoodType();

    struct TPill
    {
        const char* name;
        const char* zh;
        const char* en;
        const char* key;
        const char* icon;
    };
    const TPill pills[] = {
        {"ordersong", "点歌台", "Song Desk", "Song", "grid"},
        {"MainMyLove", "我的收藏", "Favourites", "mylove", "heart"},
        {"MainRecord", "录音", "Record", "recordaudio", "rec"},
        {"MainOsd", "气氛", "Cheers", "grade", "spark"},
        {"others", "更多功能", "More", "tontsc", "more"},
    };
    const int pillW = 150, pillGap = 12, pillY = 612, pillH = 64;
    for (int i = 0; i < 5; ++i) {
        const TPill& p = pills[i];
        auto c = Face(QString::fromLatin1(p.name), QRect(34 + i * (pillW + pillGap), pillY, pillW, pillH), TFace::Pill,
                      T(p.zh, p.en), QString::fromLatin1(p.key), QString::fromLatin1(p.icon), Accent(i + 4));
        c.fontPx = m_bEnglish ? 19 : 22;
        s->controls.push_back(c);
    }
    s->controls[15].screen = OrderSong();
    s->controls[19].screen = Others();
    // Language switch: the other language of Language.ini (0 English, 1 Chinese).
    auto lang = Face(QStringLiteral("MainLang"),
                     QRect(34 + 5 * (pillW + pillGap), pillY, 1024 - 34 - 34 - 5 * (pillW + pillGap), pillH),
                     TFace::Pill, m_bEnglish ? QStringLiteral("中文") : QStringLiteral("English"),
                     QStringLiteral("sellang"), QStringLiteral("globe"), QColor(0, 150, 136));
    lang.click = QStringLiteral("frmskin");
    lang.parameter = m_bEnglish ? QStringLiteral("1") : QStringLiteral("0");
    s->controls.push_back(lang);

    // Venue information in the banner.
    s->controls.push_back(Label(QStringLiteral("SofterName"), QRect(600, 10, 404, 26), 18, 1, kGold));
    s->controls.push_back(Label(QStringLiteral("UserName"), QRect(520, 36, 484, 22), 14, 1, kPale));
    s->controls.push_back(Label(QStringLiteral("AgentName"), QRect(520, 60, 300, 22), 14, 1, kPale));
    s->controls.push_back(Label(QStringLiteral("AgentTel"), QRect(824, 60, 180, 22), 14, 1, kPale));
    s->attributes = {{QStringLiteral("SingerStyle"), QStringLiteral("pic")}, {QStringLiteral("PyStyle"), QString()}};
    return s;
}

TScreenPtr TBuilder::OrderSong() const
{
    return Category(
        QStringLiteral("ordersong"), T("点歌台", "Song Desk"),
        T("选择查找歌曲的方式", "How would you like to find a song?"),
        {
            {QStringLiteral("Language"), T("语种", "Languages"), QStringLiteral("globe"), {}, {}, Languages(), {}},
            {QStringLiteral("SingerType"), T("歌星", "Singers"), QStringLiteral("person"), {}, {}, SingerTypes(), {}},
            {QStringLiteral("Top"), T("排行榜", "Top Charts"), QStringLiteral("trophy"), {}, {}, Rankings(), {}},
            {QStringLiteral("NewSong"),
             T("新歌", "New Songs"),
             QStringLiteral("star"),
             QStringLiteral("frmsong"),
             {},
             nullptr,
             {}},
            {QStringLiteral("songbypy"),
             T("拼音", "Pinyin"),
             QStringLiteral("abc"),
             {},
             {},
             Pinyin(QStringLiteral("songbypy")),
             {}},
            {QStringLiteral("storke"), T("笔画", "Strokes"), QStringLiteral("brush"), {}, {}, Stroke(), {}},
            {QStringLiteral("OrderOcr"),
             T("手写", "Handwriting"),
             QStringLiteral("pen"),
             QStringLiteral("frmocr"),
             {},
             nullptr,
             {}},
            {QStringLiteral("Words"), T("字数", "Title Length"), QStringLiteral("ruler"), {}, {}, Words(), {}},
            {QStringLiteral("number"), T("编号", "Song No."), QStringLiteral("hash"), {}, {}, Number(), {}},
            {QStringLiteral("SongType"), T("分类", "Genres"), QStringLiteral("grid"), {}, {}, SongTypes(), {}},
        },
        5);
}

TScreenPtr TBuilder::Languages() const
{
    struct TLang
    {
        const char* zh;
        const char* en;
        const char* code;
    };
    const TLang langs[] = {{"国语", "Mandarin", "1"}, {"粤语", "Cantonese", "2"}, {"闽南语", "Hokkien", "3"},
                           {"英语", "English", "4"},  {"日语", "Japanese", "5"},  {"韩语", "Korean", "6"},
                           {"民族", "Folk", "7"},     {"戏曲", "Opera", "8"},     {"其他", "Others", "9"},
                           {"更多语种", "More", "0"}};
    std::vector<TItem> items;
    for (int i = 0; i < 10; ++i)
        items.push_back({QStringLiteral("Lang%1").arg(i + 1),
                         T(langs[i].zh, langs[i].en),
                         QStringLiteral("note"),
                         QStringLiteral("frmsong"),
                         QString::fromLatin1(langs[i].code),
                         nullptr,
                         {}});
    return Category(QStringLiteral("Language"), T("语种点歌", "Songs by Language"),
                    T("按数字键 1-9、0 选择", "Press 1-9 or 0 to choose"), items, 5);
}

TScreenPtr TBuilder::Rankings() const
{
    struct TRank
    {
        const char* zh;
        const char* en;
        const char* code;
    };
    const TRank ranks[] = {{"国语榜", "Mandarin Top", "1"},  {"粤语榜", "Cantonese Top", "2"},
                           {"闽南语榜", "Hokkien Top", "3"}, {"英语榜", "English Top", "4"},
                           {"日语榜", "Japanese Top", "5"},  {"韩语榜", "Korean Top", "6"},
                           {"年度榜", "This Year", "7"},     {"季度榜", "This Season", "8"},
                           {"月度榜", "This Month", "9"},    {"本周榜", "This Week", "0"}};
    std::vector<TItem> items;
    for (int i = 0; i < 10; ++i)
        items.push_back({QStringLiteral("Rank%1").arg(i + 1),
                         T(ranks[i].zh, ranks[i].en),
                         QStringLiteral("trophy"),
                         QStringLiteral("frmsong"),
                         QString::fromLatin1(ranks[i].code),
                         nullptr,
                         {}});
    return Category(QStringLiteral("Top"), T("排行榜", "Top Charts"), T("最受欢迎的歌曲", "The most sung songs"), items,
                    5);
}

TScreenPtr TBuilder::SongTypes() const
{
    const char* zh[] = {"流行歌曲", "怀旧金曲", "民歌", "儿歌", "戏曲", "军旅歌曲", "情歌对唱", "摇滚", "舞曲"};
    const char* en[] = {"Pop", "Golden Oldies", "Folk", "Children", "Opera", "Military", "Duets", "Rock", "Dance"};
    const char* icons[] = {"note", "star", "note", "heart", "mic", "flag", "heart", "spark", "disc"};
    std::vector<TItem> items;
    for (int i = 0; i < 9; ++i)
        items.push_back({QStringLiteral("Type%1").arg(i + 1),
                         T(zh[i], en[i]),
                         QString::fromLatin1(icons[i]),
                         QStringLiteral("frmsong"),
                         QString::number(i + 1),
                         nullptr,
                         {}});
    return Category(QStringLiteral("SongType"), T("歌曲分类", "Genres"), T("按数字键 1-9 选择", "Press 1-9 to choose"),
                    items, 5);
}

TScreenPtr TBuilder::SingerTypes() const
{
    const char* zh[] = {"全部歌星", "男歌星(两字)", "男歌星(三字)", "女歌星(两字)", "女歌星(三字)",
                        "乐队组合", "外国男歌星",   "外国女歌星",   "外国组合"};
    const char* en[] = {"All Singers", "Male (2 chars)", "Male (3 chars)", "Female (2 chars)", "Female (3 chars)",
                        "Bands",       "Male Abroad",    "Female Abroad",  "Bands Abroad"};
    const char* icons[] = {"users", "person", "person", "person", "person", "users", "person", "person", "users"};
    std::vector<TItem> items;
    for (int i = 0; i < 9; ++i)
        items.push_back({QStringLiteral("Class%1").arg(i + 1),
                         T(zh[i], en[i]),
                         QString::fromLatin1(icons[i]),
                         QStringLiteral("frmsinger"),
                         QString::number(i + 1),
                         nullptr,
                         {}});
    items.push_back({QStringLiteral("singerbypy"),
                     T("拼音查歌星", "Singer Pinyin"),
                     QStringLiteral("abc"),
                     {},
                     {},
                     Pinyin(QStringLiteral("singerbypy")),
                     QStringLiteral("0")});
    return Category(QStringLiteral("SingerType"), T("歌星点歌", "Songs by Singer"),
                    T("选择歌星类别", "Choose a group of singers"), items, 5);
}

TScreenPtr TBuilder::Words() const
{
    std::vector<TItem> items;
    const char* zh[] = {"一字歌名", "二字歌名", "三字歌名", "四字歌名", "五字歌名",
                        "六字歌名", "七字歌名", "八字以上", "不限字数"};
    const char* en[] = {"1 word",  "2 words", "3 words",   "4 words",   "5 words",
                        "6 words", "7 words", "8 or more", "Any length"};
    for (int i = 0; i < 9; ++i)
        items.push_back({QStringLiteral("Word%1").arg(i + 1),
                         T(zh[i], en[i]),
                         QStringLiteral("ruler"),
                         QStringLiteral("frmsong"),
                         i < 8 ? QString::number(i + 1) : QStringLiteral("0"),
                         nullptr,
                         {}});
    return Category(QStringLiteral("Words"), T("字数点歌", "Songs by Title Length"),
                    T("歌名有几个字?", "How long is the title?"), items, 5);
}

TScreenPtr TBuilder::Movies() const
{
    const char* zh[] = {"动作片", "喜剧片", "爱情片", "科幻片", "动画片"};
    const char* en[] = {"Action", "Comedy", "Romance", "Sci-Fi", "Animation"};
    std::vector<TItem> items;
    for (int i = 0; i < 5; ++i)
        items.push_back({QStringLiteral("Film%1").arg(i + 1),
                         T(zh[i], en[i]),
                         QStringLiteral("film"),
                         QStringLiteral("frmsong"),
                         QString::number(i + 1),
                         nullptr,
                         {}});
    // The adult cinema behind a password.
    auto adult =
        Category(QStringLiteral("Sex"), T("成人影院", "Adult Cinema"), T("仅限 18 岁以上", "Adults only (18+)"),
                 {
                     {QStringLiteral("Adult1"),
                      T("欧美影片", "Western"),
                      QStringLiteral("film"),
                      QStringLiteral("frmsong"),
                      QStringLiteral("1"),
                      nullptr,
                      {}},
                     {QStringLiteral("Adult2"),
                      T("亚洲影片", "Asian"),
                      QStringLiteral("film"),
                      QStringLiteral("frmsong"),
                      QStringLiteral("2"),
                      nullptr,
                      {}},
                     {QStringLiteral("Adult3"),
                      T("经典影片", "Classics"),
                      QStringLiteral("film"),
                      QStringLiteral("frmsong"),
                      QStringLiteral("3"),
                      nullptr,
                      {}},
                     {QStringLiteral("Adult4"),
                      T("艺术影片", "Art House"),
                      QStringLiteral("film"),
                      QStringLiteral("frmsong"),
                      QStringLiteral("4"),
                      nullptr,
                      {}},
                     {QStringLiteral("Adult5"),
                      T("其他影片", "Others"),
                      QStringLiteral("film"),
                      QStringLiteral("frmsong"),
                      QStringLiteral("5"),
                      nullptr,
                      {}},
                 },
                 5);
    items.push_back({QStringLiteral("Sex"), T("成人影院", "Adult Cinema"), QStringLiteral("lock"), {}, {}, adult, {}});
    return Category(QStringLiteral("Movie"), T("电影频道", "Films"), T("选择影片类型", "Choose a kind of film"), items,
                    3);
}

TScreenPtr TBuilder::Dance() const
{
    const char* zh[] = {"中文快摇", "外文快摇", "慢摇现场", "中文慢摇", "外文慢摇"};
    const char* en[] = {"Chinese Fast", "Foreign Fast", "Live Slow", "Chinese Slow", "Foreign Slow"};
    std::vector<TItem> items;
    for (int i = 0; i < 5; ++i)
        items.push_back({QStringLiteral("Dance%1").arg(i + 1),
                         T(zh[i], en[i]),
                         QStringLiteral("disc"),
                         QStringLiteral("frmsong"),
                         QString::number(i + 1),
                         nullptr,
                         {}});
    return Category(QStringLiteral("Disco"), T("舞曲频道", "Dance Floor"), T("选择舞曲类型", "Choose a beat"), items,
                    5);
}

TScreenPtr TBuilder::Others() const
{
    return Category(QStringLiteral("others"), T("更多功能", "More Functions"),
                    T("房间的其他功能", "Other functions of the room"),
                    {
                        {QStringLiteral("Lock"),
                         T("锁定房间", "Lock Room"),
                         QStringLiteral("lock"),
                         {},
                         {},
                         nullptr,
                         QStringLiteral("1")},
                        {QStringLiteral("SongVideo1"),
                         T("录像", "Video Rec."),
                         QStringLiteral("video"),
                         {},
                         {},
                         nullptr,
                         QStringLiteral("2")},
                        {QStringLiteral("PlayCD"),
                         T("播放光盘", "Play Disc"),
                         QStringLiteral("disc"),
                         {},
                         {},
                         nullptr,
                         QStringLiteral("3")},
                        {QStringLiteral("Softer"),
                         T("加歌", "Add Songs"),
                         QStringLiteral("plus"),
                         {},
                         {},
                         nullptr,
                         QStringLiteral("4")},
                        {QStringLiteral("ShutDown"),
                         T("关机", "Shut Down"),
                         QStringLiteral("power"),
                         {},
                         {},
                         nullptr,
                         QStringLiteral("5")},
                    },
                    5);
}

TScreenPtr TBuilder::Pinyin(const QString& name) const
{
    const bool singer = name == QLatin1String("singerbypy");
    auto s = Screen(name, singer ? T("拼音查歌星", "Singers by Pinyin") : T("拼音点歌", "Songs by Pinyin"),
                    T("输入每个字拼音的第一个字母", "Type the first letter of each syllable"));
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(150, 104, 724, 572)));
    s->decor.push_back(MakeDecor(TSkinDecor::Text, QRect(180, 114, 664, 30),
                                 T("例: 快乐的歌 = KLDG", "e.g. Kuai Le De Ge = KLDG"), 0, 0, 18, 2,
                                 QColor(200, 210, 235)));
    auto input = Label(QStringLiteral("Input"), QRect(212, 152, 600, 64), 40, 2, kYellow);
    input.face = TFace::ValueBox;
    input.bold = true;
    s->controls.push_back(input);
    // A wide QWERTY-ordered keyboard.
    const char* rows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    const int w = 62, h = 62, gap = 8;
    for (int r = 0; r < 3; ++r) {
        const int n = static_cast<int>(strlen(rows[r]));
        const int x0 = 512 - (n * w + (n - 1) * gap) / 2;
        for (int i = 0; i < n; ++i) {
            const QChar letter = QLatin1Char(rows[r][i]);
            s->controls.push_back(Face(QStringLiteral("Letter") + letter,
                                       QRect(x0 + i * (w + gap), 236 + r * (h + gap), w, h), TFace::Key,
                                       QString(letter), QString(letter.toLower())));
        }
    }
    const int y = 236 + 3 * (h + gap) + 10;
    s->controls.push_back(Face(QStringLiteral("LetterDel"), QRect(212, y, 186, 64), TFace::Pill, T("删除", "Delete"),
                               QStringLiteral("backspace"), QStringLiteral("back"), QColor(255, 167, 38)));
    s->controls.push_back(Face(QStringLiteral("LetterClear"), QRect(419, y, 186, 64), TFace::Pill, T("清空", "Clear"),
                               QStringLiteral("delsong"), QStringLiteral("x"), QColor(239, 83, 80)));
    s->controls.push_back(Face(QStringLiteral("LetterEnter"), QRect(626, y, 186, 64), TFace::Pill, T("查找", "Search"),
                               QStringLiteral("enter"), QStringLiteral("search"), QColor(102, 187, 106)));
    return s;
}

TScreenPtr TBuilder::Number() const
{
    auto s = Screen(QStringLiteral("number"), T("编号点歌", "Order by Number"),
                    T("输入歌本上的歌曲编号, 按确定点歌", "Type the number from the song book, then OK"));
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(60, 110, 480, 560)));
    s->decor.push_back(MakeDecor(TSkinDecor::Text, QRect(90, 130, 420, 30), T("歌曲编号", "Song number"), 0, 0, 20, 0,
                                 QColor(200, 210, 235)));
    auto input = Label(QStringLiteral("Input"), QRect(90, 166, 420, 70), 44, 2, kYellow);
    input.face = TFace::ValueBox;
    input.bold = true;
    s->controls.push_back(input);
    s->decor.push_back(
        MakeDecor(TSkinDecor::Text, QRect(90, 270, 420, 30), T("歌名", "Title"), 0, 0, 20, 0, QColor(200, 210, 235)));
    auto name = Label(QStringLiteral("Name"), QRect(90, 306, 420, 60), 28, 2, kWhite);
    name.face = TFace::ValueBox;
    s->controls.push_back(name);
    s->decor.push_back(
        MakeDecor(TSkinDecor::Text, QRect(90, 400, 420, 30), T("歌星", "Singer"), 0, 0, 20, 0, QColor(200, 210, 235)));
    auto singer = Label(QStringLiteral("Singer"), QRect(90, 436, 420, 60), 26, 2, kSky);
    singer.face = TFace::ValueBox;
    s->controls.push_back(singer);
    Keypad(*s, QRect(600, 120, 380, 0), false, true);
    return s;
}

TScreenPtr TBuilder::Stroke() const
{
    auto s = Screen(QStringLiteral("storke"), T("笔画点歌", "Songs by Strokes"),
                    T("依次输入歌名第一个字的笔画", "Enter the strokes of the first character"));
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(20, 100, 660, 584)));
    SongRows(*s, QRect(28, 110, 644, 510), 10, true, 155, true);
    PageControls(*s, 630, 34, 666);
    auto notfound = Label(QStringLiteral("notfound"), QRect(40, 320, 620, 60), 26, 2, kYellow);
    s->controls.push_back(notfound);
    s->controls.push_back(Label(QStringLiteral("title"), QRect(560, 24, 444, 40), 20, 1, kGold));
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(696, 100, 308, 584)));
    auto input = Label(QStringLiteral("Input"), QRect(710, 112, 280, 60), 26, 2, kYellow);
    input.face = TFace::ValueBox;
    s->controls.push_back(input);
    struct TStroke
    {
        const char* name;
        const char* zh;
        const char* en;
        const char* key;
    };
    const TStroke strokes[] = {{"heng", "横", "Heng", "h"},
                               {"shu", "竖", "Shu", "s"},
                               {"bei", "撇", "Pie", "p"},
                               {"na", "捺", "Na", "n"},
                               {"ze", "折", "Zhe", "z"}};
    for (int i = 0; i < 5; ++i) {
        QRect r(710 + (i % 2) * 144, 190 + (i / 2) * 96, 136, 86);
        auto c =
            Face(QString::fromLatin1(strokes[i].name), r, TFace::Tile, T(strokes[i].zh, strokes[i].en),
                 QString::fromLatin1(strokes[i].key), QStringLiteral("stroke") + QString::number(i + 1), Accent(i));
        c.fontPx = 24;
        s->controls.push_back(c);
    }
    s->controls.push_back(Face(QStringLiteral("StrokeDel"), QRect(854, 382, 136, 86), TFace::Key, T("删除", "Del"),
                               QStringLiteral("backspace")));
    s->controls.push_back(Face(QStringLiteral("StrokeClear"), QRect(710, 480, 280, 60), TFace::Pill,
                               T("重新输入", "Clear"), QStringLiteral("delsong"), QStringLiteral("x"),
                               QColor(239, 83, 80)));
    s->decor.push_back(MakeDecor(TSkinDecor::Text, QRect(710, 552, 280, 120),
                                 T("横 一  竖 丨  撇 丿\n捺 丶  折 乛\n点算作捺, 提算作横",
                                   "Heng -  Shu |  Pie /\nNa \\  Zhe (turn)\nDots count as Na"),
                                 0, 0, 16, 2, QColor(200, 210, 235)));
    return s;
}

TScreenPtr TBuilder::Sung() const
{
    auto s = Screen(QStringLiteral("sing"), T("已唱歌曲", "Songs Sung"),
                    T("点歌名再唱一次", "Touch a title to sing it again"));
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(20, 100, 984, 584)));
    SongRows(*s, QRect(28, 110, 760, 510), 10, false, 230, false);
    for (int i = 0; i < 10; ++i) {
        const int y = 110 + i * 51;
        s->controls.push_back(Face(QStringLiteral("reorder%1").arg(i), QRect(820, y + 2, 80, 43), TFace::Round,
                                   T("重唱", "Again"), {}, QStringLiteral("refresh"), QColor(41, 182, 246)));
        s->controls.push_back(Face(QStringLiteral("mylove%1").arg(i), QRect(910, y + 2, 80, 43), TFace::Round,
                                   T("收藏", "Save"), {}, QStringLiteral("heart"), QColor(236, 64, 122)));
    }
    PageControls(*s, 630, 34, 990);
    s->controls.push_back(Label(QStringLiteral("msg"), QRect(560, 24, 444, 40), 18, 1, kGold));
    return s;
}

TScreenPtr TBuilder::FoodType() const
{
    auto s = Screen(QStringLiteral("foodtype"), T("酒水点单", "Food & Drinks"), T("选择类别", "Choose a category"));
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(20, 100, 660, 584)));
    const int step = 51;
    for (int i = 0; i < 10; ++i) {
        auto c =
            Face(QStringLiteral("name%1").arg(i), QRect(40, 110 + i * step, 620, step - 6), TFace::Cell, {}, RowKey(i));
        c.showCaption = true;
        c.fontPx = 22;
        c.align = 0;
        s->controls.push_back(c);
    }
    PageControls(*s, 630, 34, 666);
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(696, 100, 308, 584)));
    s->controls.push_back(Face(QStringLiteral("select"), QRect(716, 130, 268, 120), TFace::Tile,
                               T("我的订单", "My Order"), QStringLiteral("o"), QStringLiteral("list"),
                               QColor(255, 167, 38)));
    s->controls.push_back(Face(QStringLiteral("bill"), QRect(716, 270, 268, 120), TFace::Tile,
                               T("消费账单", "Room Bill"), QStringLiteral("b"), QStringLiteral("bill"),
                               QColor(41, 182, 246)));
    s->decor.push_back(MakeDecor(
        TSkinDecor::Text, QRect(716, 420, 268, 200),
        T("选好类别和菜品后输入数量,\n订单由服务员刷卡确认后\n送到包厢。",
          "Pick a category and a dish,\nthen the quantity. A waiter\nconfirms the order with\nthe staff card."),
        0, 0, 17, 0, QColor(200, 210, 235)));
    return s;
}

// --- root/public/form -------------------------------------------------------

TScreenPtr TBuilder::SongList() const
{
    auto s = Screen(QStringLiteral("frmsong"), T("歌曲列表", "Song List"),
                    T("输入首字母可缩小范围", "Type initials to narrow the list"));
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(20, 100, 668, 584)));
    const char* zh[] = {"全部", "1字", "2字", "3字", "4字", "5字", "6字", "7字", "8字+"};
    const char* en[] = {"All", "1", "2", "3", "4", "5", "6", "7", "8+"};
    for (int i = 0; i < 9; ++i) {
        auto w =
            Face(QStringLiteral("words%1").arg(i), QRect(42 + i * 70, 106, 64, 36), TFace::Cell, T(zh[i], en[i]), {});
        w.fontPx = 16;
        s->controls.push_back(w);
    }
    SongRows(*s, QRect(28, 150, 652, 470), 10, true, 170, false);
    PageControls(*s, 630, 34, 674);
    s->controls.push_back(Label(QStringLiteral("notfound"), QRect(40, 330, 628, 60), 26, 2, kYellow));
    s->controls.push_back(Label(QStringLiteral("title"), QRect(560, 24, 444, 40), 20, 1, kGold));
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(696, 100, 308, 584)));
    auto input = Label(QStringLiteral("Input"), QRect(708, 110, 284, 56), 30, 2, kYellow);
    input.face = TFace::ValueBox;
    input.bold = true;
    s->controls.push_back(input);
    Keyboard(*s, QRect(704, 180, 300, 0), true);
    s->controls.push_back(Face(QStringLiteral("FirstPlay"), QRect(708, 470, 284, 56), TFace::Pill,
                               T("优先播放", "Play Next"), QStringLiteral("firstplay"), QStringLiteral("up"),
                               QColor(255, 167, 38)));
    s->decor.push_back(MakeDecor(TSkinDecor::Text, QRect(708, 540, 284, 130),
                                 T("点歌名即可点歌\n点歌星名查看他的全部歌曲",
                                   "Touch a title to order it.\nTouch a singer to see\nall of their songs."),
                                 0, 0, 16, 0, QColor(200, 210, 235)));
    return s;
}

TScreenPtr TBuilder::Ordered() const
{
    auto s = Screen(QStringLiteral("frmorder"), T("已点歌曲", "My Queue"),
                    T("拖动歌名可调整顺序", "Drag a title onto another to swap them"));
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(20, 100, 984, 584)));
    SongRows(*s, QRect(28, 110, 700, 510), 10, false, 220, false);
    for (int i = 0; i < 10; ++i) {
        const int y = 110 + i * 51;
        s->controls.push_back(Face(QStringLiteral("first%1").arg(i), QRect(742, y + 2, 80, 43), TFace::Round,
                                   T("优先", "Next"), {}, QStringLiteral("up"), QColor(255, 167, 38)));
        s->controls.push_back(Face(QStringLiteral("delete%1").arg(i), QRect(828, y + 2, 80, 43), TFace::Round,
                                   T("删除", "Delete"), {}, QStringLiteral("x"), QColor(239, 83, 80)));
        s->controls.push_back(Face(QStringLiteral("mylove%1").arg(i), QRect(914, y + 2, 80, 43), TFace::Round,
                                   T("收藏", "Save"), {}, QStringLiteral("heart"), QColor(236, 64, 122)));
    }
    PageControls(*s, 630, 34, 990);
    s->controls.push_back(Label(QStringLiteral("msg"), QRect(420, 24, 584, 40), 18, 1, kGold));
    s->controls.push_back(Label(QStringLiteral("RoomName"), QRect(420, 60, 584, 24), 15, 1, kPale));
    return s;
}

TScreenPtr TBuilder::Singers(bool photos) const
{
    auto s = Screen(photos ? QStringLiteral("frmsinger") : QStringLiteral("frmsingerlist"), T("歌星", "Singers"),
                    T("输入歌星名首字母查找", "Type the singer's initials"));
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(20, 100, 668, 584)));
    if (photos) {
        const int cols = 5, rows = 3, w = 126, h = 166;
        for (int k = 0; k < cols * rows; ++k) {
            const int x = 30 + (k % cols) * (w + 4), y = 108 + (k / cols) * (h + 4);
            TSkinControl pic;
            pic.name = QStringLiteral("singerpic%1").arg(k);
            pic.type = QStringLiteral("image");
            pic.rect = QRect(x + 7, y + 6, 112, 112);
            pic.face = TFace::Photo;
            s->controls.push_back(pic);
            auto name = Label(QStringLiteral("singername%1").arg(k), QRect(x, y, w, h), 17, 2, kWhite);
            name.layout = 2;
            name.style = QStringLiteral("icon");
            s->controls.push_back(name);
        }
        s->attributes = {{QStringLiteral("colcount"), QString::number(cols)},
                         {QStringLiteral("rowcount"), QString::number(rows)}};
    } else {
        const int cols = 4, rows = 6, w = 156, h = 70;
        for (int k = 0; k < cols * rows; ++k) {
            auto c = Face(QStringLiteral("singername%1").arg(k),
                          QRect(32 + (k % cols) * (w + 6), 110 + (k / cols) * (h + 15), w, h), TFace::Cell, {}, {});
            c.showCaption = true;
            c.fontPx = 20;
            s->controls.push_back(c);
        }
        s->attributes = {{QStringLiteral("colcount"), QString::number(cols)},
                         {QStringLiteral("rowcount"), QString::number(rows)}};
    }
    PageControls(*s, 630, 34, 674);
    s->controls.push_back(Label(QStringLiteral("notfound"), QRect(40, 330, 628, 60), 26, 2, kYellow));
    s->controls.push_back(Label(QStringLiteral("title"), QRect(560, 24, 444, 40), 20, 1, kGold));
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(696, 100, 308, 584)));
    auto input = Label(QStringLiteral("Input"), QRect(708, 110, 284, 56), 30, 2, kYellow);
    input.face = TFace::ValueBox;
    input.bold = true;
    s->controls.push_back(input);
    Keyboard(*s, QRect(704, 180, 300, 0), true);
    s->decor.push_back(MakeDecor(TSkinDecor::Text, QRect(708, 480, 284, 160),
                                 T("例: 输入 LXY 找\"林小雨\"\n点歌星照片查看歌曲",
                                   "Type the initials, e.g. JJL.\nTouch a singer to see\ntheir songs."),
                                 0, 0, 16, 0, QColor(200, 210, 235)));
    return s;
}

TScreenPtr TBuilder::Lock() const
{
    auto s =
        Screen(QStringLiteral("frmlock"), T("密码验证", "Password"),
               T("请按提示输入密码, 如需帮助请呼叫服务员", "Enter the password as asked; call the staff for help"));
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(212, 110, 600, 566)));
    s->controls.push_back(Label(QStringLiteral("Msg"), QRect(232, 122, 560, 64), 20, 2, kGold));
    auto input = Label(QStringLiteral("Input"), QRect(262, 194, 500, 64), 36, 2, kYellow);
    input.face = TFace::ValueBox;
    s->controls.push_back(input);
    Keypad(*s, QRect(312, 272, 400, 0), false, false);
    const int y = 272 + 4 * 72;
    s->controls.push_back(Face(QStringLiteral("Return"), QRect(312, y, 195, 62), TFace::Pill, T("返回", "Back"),
                               QStringLiteral("return"), QStringLiteral("back"), QColor(239, 83, 80)));
    s->controls.push_back(Face(QStringLiteral("Enter"), QRect(517, y, 195, 62), TFace::Pill, T("确定", "OK"),
                               QStringLiteral("enter"), QStringLiteral("check"), QColor(102, 187, 106)));
    return s;
}

TScreenPtr TBuilder::Message() const
{
    auto s = Screen(QStringLiteral("frmmsg"), T("提示", "Notice"));
    Popup(*s, QRect(262, 274, 500, 220), 5);
    s->controls.push_back(Label(QStringLiteral("Msg"), QRect(24, 66, 452, 120), 24, 2, kWhite));
    s->controls.back().style = QStringLiteral("memo");
    return s;
}

TScreenPtr TBuilder::Osd() const
{
    auto s = Screen(QStringLiteral("frmosd"), T("气氛", "Cheers"), T("在电视上送出祝福", "Send a greeting to the TV"));
    Popup(*s, QRect(112, 150, 800, 470), 20);
    const char* zh[] = {"献花", "喝倒彩", "鼓掌", "干杯", "生日快乐", "爱心"};
    const char* en[] = {"Flowers", "Boo!", "Applause", "Cheers", "Birthday", "Love"};
    const char* icons[] = {"flower", "thumbdown", "clap", "cup", "cake", "heart"};
    for (int i = 0; i < 6; ++i) {
        auto c =
            Face(QStringLiteral("Osd%1").arg(i + 1), QRect(40 + (i % 3) * 246, 74 + (i / 3) * 168, 228, 152),
                 TFace::Tile, T(zh[i], en[i]), QString::number(i + 1), QString::fromLatin1(icons[i]), Accent(i + 2));
        c.parameter = QStringLiteral("%1.bmp").arg(i + 1);
        c.fontPx = 26;
        s->controls.push_back(c);
    }
    CloseButton(*s, QRect(300, 408, 200, 50));
    return s;
}

TScreenPtr TBuilder::Handwriting() const
{
    auto s = Screen(QStringLiteral("frmocr"), T("手写点歌", "Handwriting"),
                    T("在写字板上写出歌名的第一个字", "Write the first character of the title"));
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(20, 100, 560, 584)));
    SongRows(*s, QRect(28, 110, 544, 510), 10, true, 140, false);
    PageControls(*s, 630, 34, 566);
    s->controls.push_back(Label(QStringLiteral("notfound"), QRect(40, 330, 520, 60), 24, 2, kYellow));
    s->controls.push_back(Label(QStringLiteral("title"), QRect(560, 24, 444, 40), 20, 1, kGold));
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(590, 100, 414, 584)));
    auto input = Label(QStringLiteral("Input"), QRect(604, 110, 386, 52), 28, 2, kYellow);
    input.face = TFace::ValueBox;
    s->controls.push_back(input);
    TSkinControl pad;
    pad.name = QStringLiteral("write");
    pad.type = QStringLiteral("panel");
    pad.rect = QRect(604, 172, 386, 300);
    pad.face = TFace::Pad;
    pad.fontPx = 8;           // ink width
    pad.fontColor = 0x40E0FF; // ink: RGB(255, 224, 64)
    pad.caption = T("在此书写", "Write here");
    s->controls.push_back(pad);
    for (int i = 0; i < 10; ++i) {
        auto c = Face(QStringLiteral("words%1").arg(i), QRect(604 + (i % 5) * 78, 484 + (i / 5) * 66, 72, 60),
                      TFace::Cell, {}, {});
        c.showCaption = true;
        c.fontPx = 32;
        s->controls.push_back(c);
    }
    s->controls.push_back(Face(QStringLiteral("OcrDel"), QRect(604, 620, 186, 54), TFace::Pill, T("删一个字", "Delete"),
                               QStringLiteral("backspace"), QStringLiteral("back"), QColor(255, 167, 38)));
    s->controls.push_back(Face(QStringLiteral("OcrClear"), QRect(804, 620, 186, 54), TFace::Pill, T("重写", "Rewrite"),
                               QStringLiteral("delsong"), QStringLiteral("x"), QColor(239, 83, 80)));
    return s;
}

TScreenPtr TBuilder::Volume() const
{
    auto s = Screen(QStringLiteral("frmvolume"), T("音量调节", "Volume"), T("按 + / - 调节", "Use + and -"));
    Popup(*s, QRect(212, 150, 600, 470), 15);
    struct TChannel
    {
        const char* name;
        const char* zh;
        const char* en;
        const char* icon;
    };
    const TChannel channels[] = {{"Vol", "音量", "Music", "speaker"},
                                 {"Mic", "话筒", "Mic", "mic"},
                                 {"Key", "音调", "Pitch", "note"},
                                 {"Effect", "混响", "Echo", "spark"}};
    for (int i = 0; i < 4; ++i) {
        const int y = 74 + i * 82;
        s->decor.push_back(MakeDecor(TSkinDecor::Text, QRect(40, y, 140, 66), T(channels[i].zh, channels[i].en), 0, 0,
                                     26, 0, QColor(230, 235, 250)));
        const QString base = QString::fromLatin1(channels[i].name);
        s->controls.push_back(Face(base + QStringLiteral("Dec"), QRect(180, y, 80, 66), TFace::Key, QStringLiteral("-"),
                                   QStringLiteral("down")));
        auto value = Label(base, QRect(270, y, 200, 66), 28, 2, kYellow);
        value.face = TFace::ValueBox;
        s->controls.push_back(value);
        s->controls.push_back(Face(base + QStringLiteral("Add"), QRect(480, y, 80, 66), TFace::Key, QStringLiteral("+"),
                                   QStringLiteral("up")));
    }
    s->controls.push_back(Face(QStringLiteral("Mute"), QRect(100, 404, 190, 50), TFace::Pill, T("静音", "Mute"),
                               QStringLiteral("volmute"), QStringLiteral("mute"), QColor(255, 167, 38)));
    CloseButton(*s, QRect(310, 404, 190, 50));
    return s;
}

TScreenPtr TBuilder::Record() const
{
    auto s = Screen(QStringLiteral("frmrecord"), T("录音", "Recording"), T("录下您的歌声", "Record your singing"));
    Popup(*s, QRect(162, 180, 700, 400), 30);
    const char* names[] = {"record", "stop", "play", "disc"};
    const char* zh[] = {"开始录音", "停止", "回放", "刻录光盘"};
    const char* en[] = {"Record", "Stop", "Play Back", "Burn Disc"};
    const char* icons[] = {"rec", "stopsq", "play", "disc"};
    for (int i = 0; i < 4; ++i) {
        auto c = Face(QString::fromLatin1(names[i]), QRect(36 + i * 162, 90, 148, 200), TFace::Tile, T(zh[i], en[i]),
                      QString::number(i + 1), QString::fromLatin1(icons[i]), Accent(i * 3));
        c.fontPx = 22;
        s->controls.push_back(c);
    }
    CloseButton(*s, QRect(250, 320, 200, 52));
    return s;
}

TScreenPtr TBuilder::LoveLogin() const
{
    auto s = Screen(QStringLiteral("frmmylovelogin"), T("我的收藏", "My Favourites"),
                    T("输入您的会员号登录 (新号码自动注册)", "Enter your member number (a new number signs you up)"));
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(212, 110, 600, 566)));
    s->decor.push_back(MakeDecor(TSkinDecor::Text, QRect(232, 124, 560, 40), T("会员号", "Member number"), 0, 0, 22, 2,
                                 QColor(230, 235, 250)));
    auto input = Label(QStringLiteral("Input"), QRect(262, 176, 500, 70), 40, 2, kYellow);
    input.face = TFace::ValueBox;
    s->controls.push_back(input);
    Keypad(*s, QRect(312, 266, 400, 0), false, true);
    return s;
}

TScreenPtr TBuilder::LoveList() const
{
    auto s = Screen(QStringLiteral("frmmylove"), T("我的收藏", "My Favourites"),
                    T("点歌名即可点歌", "Touch a title to order it"));
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(20, 100, 984, 584)));
    SongRows(*s, QRect(28, 110, 860, 510), 10, false, 260, false);
    for (int i = 0; i < 10; ++i)
        s->controls.push_back(Face(QStringLiteral("delete%1").arg(i), QRect(904, 112 + i * 51, 86, 43), TFace::Round,
                                   T("删除", "Delete"), {}, QStringLiteral("x"), QColor(239, 83, 80)));
    PageControls(*s, 630, 34, 990);
    s->controls.push_back(Label(QStringLiteral("title"), QRect(420, 24, 584, 40), 18, 1, kGold));
    s->controls.push_back(Label(QStringLiteral("RoomName"), QRect(420, 60, 584, 24), 15, 1, kPale));
    return s;
}

TScreenPtr TBuilder::Food() const
{
    auto s = Screen(QStringLiteral("frmfood"), T("菜品", "Menu"),
                    T("选择菜品后输入数量", "Choose a dish, then the quantity"));
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(20, 100, 760, 584)));
    s->decor.push_back(
        MakeDecor(TSkinDecor::Text, QRect(48, 104, 400, 28), T("名称", "Dish"), 0, 0, 16, 0, QColor(180, 190, 220)));
    s->decor.push_back(
        MakeDecor(TSkinDecor::Text, QRect(500, 104, 100, 28), T("单位", "Unit"), 0, 0, 16, 2, QColor(180, 190, 220)));
    s->decor.push_back(
        MakeDecor(TSkinDecor::Text, QRect(620, 104, 140, 28), T("价格", "Price"), 0, 0, 16, 1, QColor(180, 190, 220)));
    TSkinDecor stripes = MakeDecor(TSkinDecor::Rows, QRect(28, 134, 744, 44), {}, 10, 49);
    s->decor.push_back(stripes);
    for (int i = 0; i < 10; ++i) {
        const int y = 134 + i * 49;
        auto name = Label(QStringLiteral("name%1").arg(i), QRect(40, y, 450, 44), 22, 0, kWhite);
        name.key = RowKey(i);
        s->controls.push_back(name);
        s->controls.push_back(Label(QStringLiteral("unit%1").arg(i), QRect(500, y, 100, 44), 18, 2, kPale));
        s->controls.push_back(Label(QStringLiteral("price%1").arg(i), QRect(610, y, 150, 44), 20, 1, kGold));
    }
    PageControls(*s, 630, 34, 766);
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(796, 100, 208, 584)));
    s->controls.push_back(Face(QStringLiteral("select"), QRect(812, 130, 176, 130), TFace::Tile,
                               T("我的订单", "My Order"), QStringLiteral("o"), QStringLiteral("list"),
                               QColor(255, 167, 38)));
    s->controls.push_back(Face(QStringLiteral("bill"), QRect(812, 280, 176, 130), TFace::Tile,
                               T("消费账单", "Room Bill"), QStringLiteral("b"), QStringLiteral("bill"),
                               QColor(41, 182, 246)));
    for (auto& c : s->controls)
        if (c.face == TFace::Tile)
            c.fontPx = 22;
    return s;
}

TScreenPtr TBuilder::FoodAddons() const
{
    auto s = Screen(QStringLiteral("frmfoodfjx"), T("口味要求", "Extras"),
                    T("为所选菜品选择口味", "Choose an extra for the dish"));
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(162, 100, 700, 584)));
    for (int i = 0; i < 10; ++i) {
        auto c = Face(QStringLiteral("name%1").arg(i), QRect(182, 110 + i * 51, 660, 45), TFace::Cell, {}, RowKey(i));
        c.showCaption = true;
        c.fontPx = 22;
        s->controls.push_back(c);
    }
    PageControls(*s, 630, 176, 848);
    return s;
}

TScreenPtr TBuilder::FoodCount() const
{
    auto s = Screen(QStringLiteral("frmfoodcount"), T("数量", "Quantity"), {});
    Popup(*s, QRect(312, 84, 400, 606), 30);
    auto name = Label(QStringLiteral("Name"), QRect(20, 62, 360, 40), 22, 2, kGold);
    s->controls.push_back(name);
    auto input = Label(QStringLiteral("Input"), QRect(40, 108, 320, 60), 34, 2, kYellow);
    input.face = TFace::ValueBox;
    s->controls.push_back(input);
    Keypad(*s, QRect(40, 180, 320, 0), true, true);
    CloseButton(*s, QRect(40, 542, 320, 48));
    s->controls.back().caption = T("取消", "Cancel");
    return s;
}

TScreenPtr TBuilder::BillDetail() const
{
    auto s = Screen(QStringLiteral("frmbilldetail"), T("已下单明细", "Placed Orders"),
                    T("本包厢已确认的酒水", "Orders confirmed for this room"));
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(20, 100, 984, 584)));
    const char* headsZh[] = {"名称", "数量", "金额", "口味"};
    const char* headsEn[] = {"Dish", "Qty", "Amount", "Extras"};
    const int xs[] = {44, 480, 600, 760}, ws[] = {420, 100, 140, 220};
    for (int c = 0; c < 4; ++c)
        s->decor.push_back(MakeDecor(TSkinDecor::Text, QRect(xs[c], 104, ws[c], 28), T(headsZh[c], headsEn[c]), 0, 0,
                                     16, c == 0 ? 0 : 2, QColor(180, 190, 220)));
    s->decor.push_back(MakeDecor(TSkinDecor::Rows, QRect(28, 134, 968, 44), {}, 10, 49));
    const char* cols[] = {"name", "count", "price", "fjx"};
    for (int i = 0; i < 10; ++i)
        for (int c = 0; c < 4; ++c) {
            auto l = Label(QString::fromLatin1(cols[c]) + QString::number(i), QRect(xs[c], 134 + i * 49, ws[c], 44),
                           c == 0 ? 22 : 19, c == 0 ? 0 : 2, c == 2 ? kGold : kWhite);
            if (c == 0)
                l.key = RowKey(i);
            s->controls.push_back(l);
        }
    PageControls(*s, 630, 34, 700);
    s->decor.push_back(MakeDecor(TSkinDecor::Text, QRect(720, 630, 120, 46), T("合计:", "Total:"), 0, 0, 22, 1,
                                 QColor(230, 235, 250)));
    auto sum = Label(QStringLiteral("sum"), QRect(846, 630, 150, 46), 24, 2, kYellow);
    sum.face = TFace::ValueBox;
    s->controls.push_back(sum);
    return s;
}

TScreenPtr TBuilder::FoodOrder() const
{
    auto s = Screen(QStringLiteral("frmfoodorder"), T("我的订单", "My Order"),
                    T("确认后由服务员刷卡下单", "A waiter confirms the order with the staff card"));
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(20, 100, 780, 584)));
    const char* headsZh[] = {"名称", "数量", "金额", "口味"};
    const char* headsEn[] = {"Dish", "Qty", "Amount", "Extras"};
    const int xs[] = {40, 370, 460, 590}, ws[] = {320, 80, 120, 110};
    for (int c = 0; c < 4; ++c)
        s->decor.push_back(MakeDecor(TSkinDecor::Text, QRect(xs[c], 104, ws[c], 28), T(headsZh[c], headsEn[c]), 0, 0,
                                     16, c == 0 ? 0 : 2, QColor(180, 190, 220)));
    s->decor.push_back(MakeDecor(TSkinDecor::Rows, QRect(28, 134, 764, 44), {}, 10, 49));
    const char* cols[] = {"name", "count", "price", "fjx"};
    for (int i = 0; i < 10; ++i) {
        for (int c = 0; c < 4; ++c) {
            auto l = Label(QString::fromLatin1(cols[c]) + QString::number(i), QRect(xs[c], 134 + i * 49, ws[c], 44),
                           c == 0 ? 21 : 18, c == 0 ? 0 : 2, c == 2 ? kGold : kWhite);
            if (c == 0)
                l.key = RowKey(i);
            s->controls.push_back(l);
        }
        s->controls.push_back(Face(QStringLiteral("addfjx%1").arg(i), QRect(706, 136 + i * 49, 82, 40), TFace::Round,
                                   T("口味", "Extra"), {}, QStringLiteral("plus"), QColor(0, 150, 136)));
    }
    PageControls(*s, 630, 34, 786);
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(816, 100, 188, 584)));
    s->decor.push_back(
        MakeDecor(TSkinDecor::Text, QRect(830, 112, 160, 30), T("合计", "Total"), 0, 0, 20, 2, QColor(230, 235, 250)));
    auto sum = Label(QStringLiteral("sum"), QRect(830, 146, 160, 56), 28, 2, kYellow);
    sum.face = TFace::ValueBox;
    s->controls.push_back(sum);
    s->controls.push_back(Face(QStringLiteral("Enter"), QRect(830, 226, 160, 120), TFace::Tile,
                               T("确认下单", "Confirm"), QStringLiteral("enter"), QStringLiteral("check"),
                               QColor(102, 187, 106)));
    s->controls.push_back(Face(QStringLiteral("Backspace"), QRect(830, 362, 160, 120), TFace::Tile,
                               T("删除所选", "Remove"), QStringLiteral("backspace"), QStringLiteral("x"),
                               QColor(239, 83, 80)));
    s->controls.push_back(Face(QStringLiteral("AddFjxBtn"), QRect(830, 498, 160, 120), TFace::Tile,
                               T("口味要求", "Extras"), QStringLiteral("f"), QStringLiteral("plus"),
                               QColor(0, 150, 136)));
    for (auto& c : s->controls)
        if (c.face == TFace::Tile)
            c.fontPx = 21;
    return s;
}

TScreenPtr TBuilder::Bill() const
{
    auto s = Screen(QStringLiteral("frmbill"), T("消费账单", "Room Bill"),
                    T("截至目前的消费 (以前台结算为准)", "Charges so far (the front desk has the final bill)"));
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(162, 104, 700, 576)));
    struct TLine
    {
        const char* name;
        const char* zh;
        const char* en;
    };
    const TLine lines[] = {{"Room", "房费", "Room charge"},
                           {"Low", "最低消费", "Minimum spend"},
                           {"Consume", "已消费", "Consumed"},
                           {"Balance", "差额", "Still to minimum"},
                           {"Time", "已用时间(分钟)", "Minutes used"},
                           {"TimeMoney", "预付款", "Prepaid"},
                           {"Service", "服务费", "Service charge"},
                           {"Ought", "应付金额", "Amount due"}};
    for (int i = 0; i < 8; ++i) {
        const int y = 120 + i * 58;
        s->decor.push_back(MakeDecor(TSkinDecor::Text, QRect(200, y, 320, 50), T(lines[i].zh, lines[i].en), 0, 0, 24, 0,
                                     QColor(220, 228, 245)));
        auto v = Label(QString::fromLatin1(lines[i].name), QRect(560, y + 2, 260, 46), i == 7 ? 30 : 24, 1,
                       i == 7 ? kYellow : kWhite);
        v.face = TFace::ValueBox;
        v.bold = i == 7;
        s->controls.push_back(v);
    }
    s->controls.push_back(Face(QStringLiteral("Detail"), QRect(362, 596, 300, 64), TFace::Pill,
                               T("已下单明细", "Order Details"), QStringLiteral("d"), QStringLiteral("list"),
                               QColor(41, 182, 246)));
    return s;
}

TScreenPtr TBuilder::Repair() const
{
    auto s = Screen(QStringLiteral("frmrepair"), T("歌曲维护", "Song Maintenance"),
                    T("修改正在播放的歌曲资料", "Correct the record of the playing song"));
    s->nowPlaying = false; // PlayingName and NextName are this screen's own status lines
    s->decor.push_back(MakeDecor(TSkinDecor::Panel, QRect(40, 100, 944, 584)));
    struct TField
    {
        const char* name;
        const char* type;
        const char* zh;
        const char* en;
    };
    const TField fields[] = {
        {"Number", "edit", "编号", "Number"},
        {"Name", "edit", "歌名", "Title"},
        {"Singer", "combobox", "歌星", "Singer"},
        {"Lang", "combobox", "语种", "Language"},
        {"Type", "combobox", "类别", "Type"},
        {"Version", "combobox", "版本", "Version"},
        {"MusicVersion", "combobox", "音乐", "Music"},
        {"Remark", "combobox", "画质", "Picture"},
        {"Py", "edit", "拼音", "Initials"},
        {"Times", "edit", "点播次数", "Plays"},
        {"Date", "edit", "入库日期", "Added"},
    };
    for (int i = 0; i < 11; ++i) {
        const int col = i / 6, row = i % 6;
        const int x = 70 + col * 470, y = 120 + row * 64;
        s->decor.push_back(MakeDecor(TSkinDecor::Text, QRect(x, y, 120, 44), T(fields[i].zh, fields[i].en), 0, 0, 20, 0,
                                     QColor(220, 228, 245)));
        TSkinControl c;
        c.name = QString::fromLatin1(fields[i].name);
        c.type = QString::fromLatin1(fields[i].type);
        c.rect = QRect(x + 124, y + 4, 310, 38);
        c.fontPx = 19;
        c.fontColor = 0x000000;
        s->controls.push_back(c);
    }
    s->controls.push_back(Label(QStringLiteral("NextName"), QRect(70, 520, 884, 40), 20, 0, kYellow));
    s->controls.push_back(Label(QStringLiteral("PlayingName"), QRect(70, 570, 884, 40), 20, 0, kSky));
    s->decor.push_back(MakeDecor(
        TSkinDecor::Text, QRect(70, 620, 884, 50),
        T("F1 暂停  F2 上一首  F3 保存并下一首  F4 重播", "F1 pause  F2 previous  F3 save and next  F4 replay"), 0, 0,
        16, 0, QColor(180, 190, 220)));
    return s;
}

std::vector<TScreenPtr> TBuilder::Forms() const
{
    return {SongList(),    Ordered(),    Singers(true), Singers(false), Lock(),     Message(), Osd(),
            Handwriting(), Volume(),     Record(),      LoveLogin(),    LoveList(), Food(),    FoodAddons(),
            FoodCount(),   BillDetail(), FoodOrder(),   Bill(),         Repair(),   Sung()};
}

TSkinTree TBuilder::Build()
{
    TSkinTree tree;
    tree.english = m_bEnglish;
    tree.portal = Portal();
    struct TBar
    {
        const char* name;
        const char* zh;
        const char* en;
        const char* key;
        const char* icon;
    };
    const TBar bar[] = {
        {"PubOrdered", "已点", "Queue", "playlist", "list"},
        {"PubSkip", "切歌", "Skip", "stop", "skip"},
        {"PubVocal", "原唱", "Vocal", "yuanchang", "mic"},
        {"PubAccomp", "伴唱", "Backing", "banchang", "note"},
        {"PubVolDown", "音量-", "Vol -", "volumedec", "voldown"},
        {"PubVolUp", "音量+", "Vol +", "volumeadd", "volup"},
        {"PubService", "服务", "Service", "callwaiter", "bell"},
        {"PubHome", "主页", "Home", "mainmenu", "home"},
        {"PubBack", "返回", "Back", "return", "back"},
    };
    for (int i = 0; i < 9; ++i) {
        auto c = Face(QString::fromLatin1(bar[i].name), QRect(388 + i * 70, kBarTop + 4, 66, 70), TFace::Bar,
                      T(bar[i].zh, bar[i].en), QString::fromLatin1(bar[i].key), QString::fromLatin1(bar[i].icon),
                      i == 8 ? QColor(239, 83, 80) : QColor(92, 107, 192));
        c.fontPx = m_bEnglish ? 13 : 15;
        tree.publicButtons.push_back(c);
    }
    TSkinControl logo;
    logo.name = QStringLiteral("logo");
    logo.type = QStringLiteral("flash");
    logo.rect = QRect(16, 10, 68, 68);
    logo.file = QStringLiteral("logo.swf");
    tree.publicFlash.push_back(logo);
    tree.forms = Forms();
    // Every full screen shows what plays now and next in the bottom bar.
    for (const auto& [path, screen] : AllScreens(tree))
        if (!screen->popup && screen->nowPlaying && screen->controls.back().name != QLatin1String("Songs"))
            NowPlaying(*screen);
    return tree;
}

// --- XML --------------------------------------------------------------------

QString ColourText(quint32 c)
{
    return QString::number(c);
}

void SetCommonButton(QDomElement& e, const TSkinControl& c, const QString& screen, double scale)
{
    const QRect r = ScaleRect(c.rect, scale, c.fixedWidth);
    const QString fontSize = QString::number(std::max(7, static_cast<int>(std::lround(c.fontPx * scale * 0.75))));
    e.setAttribute(QStringLiteral("type"), c.type);
    e.setAttribute(QStringLiteral("visible"), QStringLiteral("1"));
    auto attr = [&](const char* name, const QString& value) { e.setAttribute(QString::fromLatin1(name), value); };
    if (c.type == QLatin1String("button")) {
        attr("left", QString::number(r.x()));
        attr("top", QString::number(r.y()));
        attr("width", QString::number(r.width()));
        attr("height", QString::number(r.height()));
        attr("fontname", QStringLiteral("黑体"));
        attr("fontsize", fontSize);
        attr("fontcolor", ColourText(c.fontColor));
        attr("blod", c.bold ? QStringLiteral("1") : QStringLiteral("0"));
        attr("italic", QStringLiteral("0"));
        attr("layout", QString::number(c.layout));
        attr("align", QString::number(c.align));
        attr("enabled", QStringLiteral("1"));
        const bool shadow = c.showCaption;
        attr("shadowstyle", shadow ? QStringLiteral("2") : QStringLiteral("0"));
        attr("shadowcolor", QStringLiteral("0"));
        attr("shadowwidth", shadow ? QStringLiteral("1") : QStringLiteral("0"));
        attr("style", c.style);
        attr("overjpg", c.HasHover() ? HoverFile(screen, c.name) : QString());
        attr("showcaption", c.showCaption ? QStringLiteral("1") : QStringLiteral("0"));
        attr("caption", c.showCaption ? QString() : c.caption);
        attr("key", c.key);
        if (!c.click.isEmpty())
            attr("click", c.click);
        if (!c.parameter.isEmpty())
            attr("parameter", c.parameter);
    } else if (c.type == QLatin1String("flash")) {
        attr("left", QString::number(r.x()));
        attr("top", QString::number(r.y()));
        attr("width", QString::number(r.width()));
        attr("height", QString::number(r.height()));
        attr("enabled", QStringLiteral("1"));
        attr("file", c.file);
    } else {
        if (c.type == QLatin1String("edit") || c.type == QLatin1String("panel"))
            attr("hint", c.caption);
        attr("left", QString::number(r.x()));
        attr("top", QString::number(r.y()));
        attr("width", QString::number(r.width()));
        attr("height", QString::number(r.height()));
        if (c.type == QLatin1String("edit") || c.type == QLatin1String("panel")) {
            attr("fontname", QStringLiteral("黑体"));
            attr("fontsize", c.type == QLatin1String("panel") ? QString::number(c.fontPx) : fontSize);
            attr("fontcolor", ColourText(c.fontColor));
        }
        attr("enabled", QStringLiteral("1"));
    }
}

void SetScreenAttributes(QDomElement& e, const TSkinScreen& s, double scale)
{
    e.setAttribute(QStringLiteral("file"), s.BackgroundFile());
    if (s.popup) {
        const QRect r = ScaleRect(s.popupRect, scale);
        e.setAttribute(QStringLiteral("autoclose"), QString::number(s.autoclose));
        e.setAttribute(QStringLiteral("left"), QString::number(r.x()));
        e.setAttribute(QStringLiteral("top"), QString::number(r.y()));
        e.setAttribute(QStringLiteral("width"), QString::number(r.width()));
        e.setAttribute(QStringLiteral("height"), QString::number(r.height()));
    }
    // List colours: normal, chosen, focused; a one-pixel drop shadow.
    e.setAttribute(QStringLiteral("fontcolor"), ColourText(kWhite));
    e.setAttribute(QStringLiteral("selcolor"), ColourText(kYellow));
    e.setAttribute(QStringLiteral("overcolor"), ColourText(kSky));
    e.setAttribute(QStringLiteral("shadowcolor"), QStringLiteral("0"));
    e.setAttribute(QStringLiteral("shadowwidth"), QStringLiteral("1"));
    e.setAttribute(QStringLiteral("shadowstyle"), QStringLiteral("2"));
    for (const auto& [name, value] : s.attributes)
        e.setAttribute(name, value);
}

void AppendControls(QDomDocument& doc, QDomElement& parent, const TSkinScreen& s, double scale);

QDomElement ControlElement(QDomDocument& doc, const TSkinControl& c, const QString& screen, double scale)
{
    QDomElement e = doc.createElement(c.name);
    SetCommonButton(e, c, screen, scale);
    if (c.screen) {
        SetScreenAttributes(e, *c.screen, scale);
        AppendControls(doc, e, *c.screen, scale);
    }
    return e;
}

void AppendControls(QDomDocument& doc, QDomElement& parent, const TSkinScreen& s, double scale)
{
    for (const TSkinControl& c : s.controls)
        parent.appendChild(ControlElement(doc, c, s.name, scale));
}

void Collect(const std::shared_ptr<TSkinScreen>& s, const QString& path,
             std::vector<std::pair<QString, std::shared_ptr<TSkinScreen>>>& out)
{
    out.emplace_back(path, s);
    for (const TSkinControl& c : s->controls)
        if (c.screen)
            Collect(c.screen, path + u'/' + c.name, out);
}

} // namespace

TSkinTree BuildSkinTree(bool english)
{
    return TBuilder(english).Build();
}

std::vector<std::pair<QString, std::shared_ptr<TSkinScreen>>> AllScreens(const TSkinTree& tree)
{
    std::vector<std::pair<QString, std::shared_ptr<TSkinScreen>>> out;
    Collect(tree.portal, QStringLiteral("root/portal"), out);
    for (const auto& f : tree.forms)
        out.emplace_back(QStringLiteral("root/public/form/") + f->name, f);
    return out;
}

QRect ScaleRect(const QRect& r, double scale, bool fixedWidth)
{
    const int x = static_cast<int>(std::lround(r.x() * scale));
    const int y = static_cast<int>(std::lround(r.y() * scale));
    const int right = static_cast<int>(std::lround((r.x() + r.width()) * scale));
    const int bottom = static_cast<int>(std::lround((r.y() + r.height()) * scale));
    return QRect(x, y, fixedWidth ? r.width() : right - x, bottom - y);
}

QString HoverFile(const QString& screen, const QString& control)
{
    return QStringLiteral("on_") + (screen.isEmpty() ? QStringLiteral("public") : screen) + u'_' + control +
           QStringLiteral(".jpg");
}

QByteArray SkinXml(const TSkinTree& tree, double scale)
{
    QDomDocument doc;
    QDomElement root = doc.createElement(QStringLiteral("root"));
    doc.appendChild(root);
    QDomElement portal = doc.createElement(QStringLiteral("portal"));
    const QSize size(static_cast<int>(std::lround(1024 * scale)), static_cast<int>(std::lround(768 * scale)));
    portal.setAttribute(QStringLiteral("left"), QStringLiteral("0"));
    portal.setAttribute(QStringLiteral("top"), QStringLiteral("0"));
    portal.setAttribute(QStringLiteral("width"), QString::number(size.width()));
    portal.setAttribute(QStringLiteral("height"), QString::number(size.height()));
    SetScreenAttributes(portal, *tree.portal, scale);
    AppendControls(doc, portal, *tree.portal, scale);
    root.appendChild(portal);

    QDomElement pub = doc.createElement(QStringLiteral("public"));
    root.appendChild(pub);
    QDomElement buttons = doc.createElement(QStringLiteral("button"));
    for (const TSkinControl& c : tree.publicButtons)
        buttons.appendChild(ControlElement(doc, c, QString(), scale));
    pub.appendChild(buttons);
    QDomElement flash = doc.createElement(QStringLiteral("flash"));
    for (const TSkinControl& c : tree.publicFlash)
        flash.appendChild(ControlElement(doc, c, QString(), scale));
    pub.appendChild(flash);
    QDomElement form = doc.createElement(QStringLiteral("form"));
    for (const auto& f : tree.forms) {
        QDomElement e = doc.createElement(f->name);
        SetScreenAttributes(e, *f, scale);
        AppendControls(doc, e, *f, scale);
        form.appendChild(e);
    }
    pub.appendChild(form);
    const QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n") + doc.toString(1);
    return ToNarrow(text);
}
