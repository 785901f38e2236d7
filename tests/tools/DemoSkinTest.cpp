#include "tools/demo/skin/DemoSkin.h"

#include "core/Gbk.h"
#include "core/KeyMap.h"
#include "tools/demo/HanziTable.h"
#include "tools/demo/skin/SkinArt.h"
#include "tools/demo/skin/SkinData.h"
#include "tools/demo/skin/SkinMedia.h"
#include "tools/demo/skin/SkinModel.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

const char* const kResolutionFolders[] = {"1024x768", "800x600"};

// Every screen the terminal opens by name.
const char* const kFormNames[] = {"frmsong",        "frmorder",     "frmsinger", "frmsingerlist", "frmlock",
                                  "frmmsg",         "frmosd",       "frmocr",    "frmvolume",     "frmrecord",
                                  "frmmylovelogin", "frmmylove",    "frmfood",   "frmfoodfjx",    "frmfoodcount",
                                  "frmbilldetail",  "frmfoodorder", "frmbill",   "frmrepair",     "sing"};

// Sub-screens opened by fixed paths.
const char* const kFixedPaths[] = {
    "root/portal",
    "root/portal/ordersong",
    "root/portal/ordersong/Top",
    "root/portal/ordersong/SingerType",
    "root/portal/ordersong/songbypy",
    "root/portal/ordersong/number",
    "root/portal/ordersong/SongType",
    "root/portal/ordersong/Language",
    "root/portal/ordersong/Words",
    "root/portal/ordersong/storke",
    "root/portal/Movie",
    "root/portal/Movie/Sex",
    "root/portal/Disco",
    "root/portal/foodtype",
    "root/public/button",
    "root/public/flash",
};

// Controls each screen looks up by name (the ones it cannot do without).
const std::vector<std::pair<const char*, std::vector<const char*>>> kRequiredControls = {
    {"portal", {"PlayingLabel", "PlayingName", "NextLabel", "NextName", "Songs"}},
    {"frmsong",
     {"songname0", "songlang0", "songsinger0", "pagelabel", "Input", "title", "notfound", "words0", "words8"}},
    {"frmorder", {"songname0", "songsinger0", "first0", "delete0", "mylove0", "msg", "pagelabel", "RoomName"}},
    {"frmsinger", {"singername0", "singerpic0", "pagelabel", "Input", "title", "notfound"}},
    {"frmsingerlist", {"singername0", "pagelabel", "Input", "title", "notfound"}},
    {"frmlock", {"Input", "Return", "Msg"}},
    {"frmmsg", {"Msg"}},
    {"frmocr",
     {"songname0", "songlang0", "songsinger0", "pagelabel", "Input", "title", "notfound", "write", "words0", "words9"}},
    {"frmvolume", {"Vol", "Mic", "Key", "Effect"}},
    {"frmrecord", {"record", "stop", "play"}},
    {"frmmylovelogin", {"Input"}},
    {"frmmylove", {"songname0", "songsinger0", "delete0", "title", "RoomName", "pagelabel"}},
    {"frmfood", {"name0", "unit0", "price0", "pagelabel", "select", "bill"}},
    {"frmfoodfjx", {"name0", "pagelabel"}},
    {"frmfoodcount", {"Input", "Name"}},
    {"frmbilldetail", {"name0", "count0", "price0", "fjx0", "pagelabel", "sum"}},
    {"frmfoodorder",
     {"name0", "count0", "price0", "fjx0", "addfjx0", "sum", "pagelabel", "Enter", "Backspace", "AddFjxBtn"}},
    {"frmbill", {"Room", "Low", "Consume", "Balance", "Time", "TimeMoney", "Service", "Ought", "Detail"}},
    {"frmrepair",
     {"Name", "Number", "Times", "Py", "Date", "Remark", "Type", "Version", "Lang", "Singer", "MusicVersion",
      "NextName", "PlayingName"}},
    {"sing", {"songname0", "songsinger0", "reorder0", "mylove0", "msg", "pagelabel"}},
    {"storke",
     {"songname0", "songlang0", "songsinger0", "pagelabel", "Input", "title", "notfound", "heng", "shu", "bei", "na",
      "ze"}},
    {"songbypy", {"Input"}},
    {"singerbypy", {"Input"}},
    {"number", {"Input", "Name", "Singer"}},
    {"foodtype", {"name0", "pagelabel", "select", "bill"}},
    {"others", {"Lock", "SongVideo1", "ShutDown", "Softer", "PlayCD"}},
};

// Screens whose build reads the list colours as strict integers.
const char* const kListScreens[] = {"frmsong",      "storke",     "frmocr",        "frmorder", "sing",
                                    "frmmylove",    "frmsinger",  "frmsingerlist", "foodtype", "frmfood",
                                    "frmfoodorder", "frmfoodfjx", "frmbilldetail"};

// Key code of a command word with the default key map; 0 when unknown.
int CodeOfWord(const QString& word)
{
    for (const TKeyBinding& b : KeyBindings())
        if (word.compare(QLatin1String(b.Word), Qt::CaseInsensitive) == 0)
            return b.Default;
    return 0;
}

int ButtonKey(const QDomElement& button, bool second)
{
    const QString key = button.attribute(QStringLiteral("key"));
    const qsizetype hash = key.indexOf(u'#');
    const QString part = second ? (hash < 0 ? QString() : key.mid(hash + 1)) : key.left(hash < 0 ? key.size() : hash);
    return part.isEmpty() ? 0 : CodeOfWord(part);
}

std::vector<QDomElement> Children(const QDomElement& node)
{
    std::vector<QDomElement> out;
    for (QDomElement e = node.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        out.push_back(e);
    return out;
}

QDomElement Select(const QDomDocument& doc, const QString& path)
{
    QDomNode node = doc;
    for (const QString& step : path.split(u'/')) {
        node = node.firstChildElement(step);
        if (node.isNull())
            return {};
    }
    return node.toElement();
}

// The terminal's FindButtonByKey: the screen's own children first, then the public buttons.
QDomElement FindButtonByKey(const QDomElement& screen, const QDomElement& publicButtons, int code)
{
    for (const QDomElement& parent : {screen, publicButtons})
        for (const QDomElement& e : Children(parent))
            if ((ButtonKey(e, false) == code || ButtonKey(e, true) == code) &&
                e.attribute(QStringLiteral("visible")) == "1" && e.attribute(QStringLiteral("enabled")) == "1")
                return e;
    return {};
}

bool StrictInt(const QString& text, int* value = nullptr)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (value)
        *value = v;
    return ok;
}

struct TSkin
{
    QString dir;
    QDomDocument doc;
    QSize size;
};

// One generated installation shared by every test of this file: drawing it takes a few seconds.
class DemoSkin : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(s_dir->isValid());
        QString error;
        s_written = WriteDemoSkin(s_dir->path(), 12, &error);
        ASSERT_TRUE(s_written) << error.toStdString();
    }
    static void TearDownTestSuite() { s_dir.reset(); }

    void SetUp() override { ASSERT_TRUE(s_written); }

    static QString Root() { return s_dir->path() + u'/'; }

    static std::vector<TSkin> Skins()
    {
        std::vector<TSkin> out;
        for (const char* folder : kDemoSkinFolders)
            for (const char* res : kResolutionFolders) {
                TSkin skin;
                skin.dir =
                    Root() + QStringLiteral("Images/") + QLatin1String(folder) + u'/' + QLatin1String(res) + u'/';
                QFile file(skin.dir + QStringLiteral("buttons.xml"));
                EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << skin.dir.toStdString();
                const QByteArray bytes = file.readAll();
                EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"GBK\"?>"));
                QString message;
                int line = 0;
                EXPECT_TRUE(skin.doc.setContent(ToWide(bytes), &message, &line))
                    << skin.dir.toStdString() << ":" << line << ": " << message.toStdString();
                const QStringList wh = QString::fromLatin1(res).split(u'x');
                skin.size = QSize(wh[0].toInt(), wh[1].toInt());
                out.push_back(std::move(skin));
            }
        return out;
    }

    // Every screen node: (path, node), each once.
    static std::vector<std::pair<QString, QDomElement>> Screens(const QDomDocument& doc)
    {
        std::vector<std::pair<QString, QDomElement>> out;
        std::function<void(const QString&, const QDomElement&)> walk = [&](const QString& path,
                                                                           const QDomElement& node) {
            out.emplace_back(path, node);
            for (const QDomElement& c : Children(node))
                if (!c.firstChildElement().isNull())
                    walk(path + u'/' + c.tagName(), c);
        };
        walk(QStringLiteral("root/portal"), Select(doc, QStringLiteral("root/portal")));
        for (const QDomElement& f : Children(Select(doc, QStringLiteral("root/public/form"))))
            out.emplace_back(QStringLiteral("root/public/form/") + f.tagName(), f);
        return out;
    }

    static inline std::unique_ptr<QTemporaryDir> s_dir;
    static inline bool s_written = false;
};

TEST_F(DemoSkin, EveryRequiredNodeExistsInEverySkin)
{
    for (const TSkin& skin : Skins()) {
        const QDomElement portal = Select(skin.doc, QStringLiteral("root/portal"));
        EXPECT_EQ(portal.attribute(QStringLiteral("width")).toInt(), skin.size.width());
        EXPECT_EQ(portal.attribute(QStringLiteral("height")).toInt(), skin.size.height());
        EXPECT_EQ(portal.attribute(QStringLiteral("SingerStyle")), QStringLiteral("pic"));
        for (const char* path : kFixedPaths) {
            const QDomElement node = Select(skin.doc, QLatin1String(path));
            ASSERT_FALSE(node.isNull()) << skin.dir.toStdString() << " " << path;
            // Sub-screens open only when they have controls.
            if (!QLatin1String(path).startsWith(QLatin1String("root/public"))) {
                EXPECT_FALSE(node.firstChildElement().isNull()) << path;
            }
        }
        QSet<QString> forms;
        for (const QDomElement& f : Children(Select(skin.doc, QStringLiteral("root/public/form"))))
            forms.insert(f.tagName());
        for (const char* name : kFormNames)
            EXPECT_TRUE(forms.contains(QLatin1String(name))) << name;
        // The sung-songs screen is also reachable from the portal.
        EXPECT_FALSE(Select(skin.doc, QStringLiteral("root/portal/sing")).firstChildElement().isNull());
    }
}

TEST_F(DemoSkin, ScreensHaveTheControlsTheyLookUp)
{
    for (const TSkin& skin : Skins()) {
        QHash<QString, QDomElement> byName;
        for (const auto& [path, node] : Screens(skin.doc))
            byName.insert(node.tagName(), node);
        for (const auto& [screen, names] : kRequiredControls) {
            ASSERT_TRUE(byName.contains(QLatin1String(screen))) << screen;
            const QDomElement node = byName.value(QLatin1String(screen));
            for (const char* name : names) {
                const QDomElement c = node.firstChildElement(QLatin1String(name));
                EXPECT_FALSE(c.isNull()) << screen << "/" << name;
                EXPECT_EQ(c.attribute(QStringLiteral("visible")), QStringLiteral("1")) << screen << "/" << name;
            }
        }
        for (const char* screen : kListScreens) {
            const QDomElement node = byName.value(QLatin1String(screen));
            for (const char* attr : {"fontcolor", "selcolor", "overcolor", "shadowcolor", "shadowwidth", "shadowstyle"})
                EXPECT_TRUE(StrictInt(node.attribute(QLatin1String(attr)))) << screen << " " << attr;
        }
        // Singer grids: one name cell (and on the photo grid one photo) per cell of colcount x rowcount.
        for (const char* screen : {"frmsinger", "frmsingerlist"}) {
            const QDomElement node = byName.value(QLatin1String(screen));
            int cols = 0, rows = 0;
            ASSERT_TRUE(StrictInt(node.attribute(QStringLiteral("colcount")), &cols));
            ASSERT_TRUE(StrictInt(node.attribute(QStringLiteral("rowcount")), &rows));
            for (int k = 0; k < cols * rows; ++k) {
                EXPECT_FALSE(node.firstChildElement(QStringLiteral("singername%1").arg(k)).isNull()) << screen << k;
                if (QLatin1String(screen) == QLatin1String("frmsinger")) {
                    EXPECT_EQ(
                        node.firstChildElement(QStringLiteral("singerpic%1").arg(k)).attribute(QStringLiteral("type")),
                        QStringLiteral("image"));
                }
            }
            EXPECT_TRUE(node.firstChildElement(QStringLiteral("singername%1").arg(cols * rows)).isNull());
        }
        // The stroke screen tells a singer click by the label width 155, at every resolution.
        const QDomElement stroke = byName.value(QStringLiteral("storke"));
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(
                stroke.firstChildElement(QStringLiteral("songsinger%1").arg(i)).attribute(QStringLiteral("width")),
                "155");
            EXPECT_NE(stroke.firstChildElement(QStringLiteral("songname%1").arg(i)).attribute(QStringLiteral("width")),
                      "155");
        }
    }
}

TEST_F(DemoSkin, ControlNamesAreUniqueIdentifiersPerScreen)
{
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    for (const TSkin& skin : Skins()) {
        QStringList publicNames;
        for (const char* group : {"root/public/button", "root/public/flash"})
            for (const QDomElement& e : Children(Select(skin.doc, QLatin1String(group))))
                publicNames << e.tagName();
        for (const auto& [path, node] : Screens(skin.doc)) {
            QSet<QString> seen;
            QStringList names;
            for (const QDomElement& e : Children(node))
                names << e.tagName();
            if (node.attribute(QStringLiteral("autoclose")).isEmpty())
                names << publicNames;
            for (const QString& name : names) {
                EXPECT_TRUE(identifier.match(name).hasMatch()) << path.toStdString() << " " << name.toStdString();
                EXPECT_FALSE(seen.contains(name))
                    << path.toStdString() << " has two controls named " << name.toStdString();
                seen.insert(name);
            }
        }
    }
}

TEST_F(DemoSkin, KeysAreKnownAndButtonsWithActionsAreFoundByTheirKey)
{
    static const QSet<QString> clicks = {"frmsong",       "frmsinger", "frmorder",  "frmlock",      "frmosd",
                                         "frmocr",        "frmvolume", "frmrecord", "frmfoodorder", "frmbill",
                                         "frmbilldetail", "frmrepair", "frmmylove", "frmskin"};
    for (const TSkin& skin : Skins()) {
        const QDomElement publicButtons = Select(skin.doc, QStringLiteral("root/public/button"));
        std::vector<QDomElement> all = Children(publicButtons);
        for (const auto& [path, node] : Screens(skin.doc)) {
            for (const QDomElement& e : Children(node)) {
                all.push_back(e);
                const bool acts = !e.attribute(QStringLiteral("click")).isEmpty() || !e.firstChildElement().isNull();
                if (!acts)
                    continue;
                // A press reaches the button's action only when no earlier button carries the same key.
                const int code = ButtonKey(e, false);
                ASSERT_NE(code, 0) << path.toStdString() << "/" << e.tagName().toStdString();
                EXPECT_EQ(FindButtonByKey(node, publicButtons, code), e)
                    << path.toStdString() << "/" << e.tagName().toStdString() << " is hidden by another button";
                if (e.hasAttribute(QStringLiteral("click"))) {
                    EXPECT_TRUE(clicks.contains(e.attribute(QStringLiteral("click")))) << e.tagName().toStdString();
                }
            }
        }
        for (const QDomElement& e : all) {
            const QString key = e.attribute(QStringLiteral("key"));
            if (key.isEmpty())
                continue;
            for (const QString& word : key.split(u'#'))
                EXPECT_NE(CodeOfWord(word), 0) << e.tagName().toStdString() << " key " << key.toStdString();
        }
    }
}

TEST_F(DemoSkin, CategoryButtonsCarryTheFilterParameters)
{
    const TSkin skin = Skins().front();
    QSet<QString> codes;
    for (const QDomElement& e : Children(Select(skin.doc, QStringLiteral("root/portal/ordersong/Language")))) {
        if (e.attribute(QStringLiteral("click")) != QLatin1String("frmsong"))
            continue;
        codes.insert(e.attribute(QStringLiteral("parameter")));
    }
    EXPECT_EQ(codes, (QSet<QString>{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    QSet<QString> classes;
    for (const QDomElement& e : Children(Select(skin.doc, QStringLiteral("root/portal/ordersong/SingerType"))))
        if (e.attribute(QStringLiteral("click")) == QLatin1String("frmsinger"))
            classes.insert(e.attribute(QStringLiteral("parameter")));
    EXPECT_EQ(classes.size(), 9);
    // New songs: the element name itself asks for them.
    EXPECT_EQ(Select(skin.doc, QStringLiteral("root/portal/NewSong")).attribute(QStringLiteral("click")),
              QStringLiteral("frmsong"));
    // The language switch names an existing language index of Language.ini.
    const QDomElement lang = Select(skin.doc, QStringLiteral("root/portal/MainLang"));
    EXPECT_EQ(lang.attribute(QStringLiteral("click")), QStringLiteral("frmskin"));
    EXPECT_TRUE(lang.attribute(QStringLiteral("parameter")) == "0" ||
                lang.attribute(QStringLiteral("parameter")) == "1");
    // OSD buttons name pictures that exist.
    for (const QDomElement& e : Children(Select(skin.doc, QStringLiteral("root/public/form/frmosd")))) {
        if (!e.attribute(QStringLiteral("parameter")).isEmpty()) {
            EXPECT_TRUE(
                QFileInfo::exists(Root() + QStringLiteral("Images/OSD/") + e.attribute(QStringLiteral("parameter"))));
        }
    }
}

TEST_F(DemoSkin, EveryPictureANodeNamesLoadsWithTheRightSize)
{
    for (const TSkin& skin : Skins()) {
        for (const auto& [path, node] : Screens(skin.doc)) {
            const bool popup = !node.attribute(QStringLiteral("autoclose")).isEmpty();
            QRect bounds(QPoint(0, 0), skin.size);
            if (popup) {
                int l = 0, t = 0, w = 0, h = 0, seconds = 0;
                ASSERT_TRUE(StrictInt(node.attribute(QStringLiteral("left")), &l) &&
                            StrictInt(node.attribute(QStringLiteral("top")), &t) &&
                            StrictInt(node.attribute(QStringLiteral("width")), &w) &&
                            StrictInt(node.attribute(QStringLiteral("height")), &h) &&
                            StrictInt(node.attribute(QStringLiteral("autoclose")), &seconds));
                EXPECT_GT(seconds, 0);
                EXPECT_TRUE(QRect(QPoint(0, 0), skin.size).contains(QRect(l, t, w, h))) << path.toStdString();
                bounds = QRect(0, 0, w, h);
            }
            const QImage background(skin.dir + node.attribute(QStringLiteral("file")));
            ASSERT_FALSE(background.isNull()) << path.toStdString();
            EXPECT_EQ(background.size(), bounds.size()) << path.toStdString();
            for (const QDomElement& e : Children(node)) {
                const QRect r(e.attribute(QStringLiteral("left")).toInt(), e.attribute(QStringLiteral("top")).toInt(),
                              e.attribute(QStringLiteral("width")).toInt(),
                              e.attribute(QStringLiteral("height")).toInt());
                EXPECT_TRUE(bounds.contains(r)) << path.toStdString() << "/" << e.tagName().toStdString();
                const QString over = e.attribute(QStringLiteral("overjpg"));
                if (over.isEmpty())
                    continue;
                const QImage hover(skin.dir + over);
                ASSERT_FALSE(hover.isNull()) << over.toStdString();
                EXPECT_EQ(hover.size(), r.size()) << over.toStdString();
            }
        }
        for (const QDomElement& e : Children(Select(skin.doc, QStringLiteral("root/public/button")))) {
            const QImage hover(skin.dir + e.attribute(QStringLiteral("overjpg")));
            ASSERT_FALSE(hover.isNull());
            EXPECT_EQ(hover.size(), QSize(e.attribute(QStringLiteral("width")).toInt(),
                                          e.attribute(QStringLiteral("height")).toInt()));
        }
        // Flash movies show the still picture beside them.
        for (const QDomElement& e : Children(Select(skin.doc, QStringLiteral("root/public/flash")))) {
            const QString movie = e.attribute(QStringLiteral("file"));
            EXPECT_FALSE(QImage(skin.dir + QFileInfo(movie).completeBaseName() + QStringLiteral(".png")).isNull());
        }
        const QImage frame(skin.dir + QStringLiteral("ico.bmp"));
        ASSERT_EQ(frame.size(), QSize(133, 112));
        const QRgb key = frame.pixel(0, frame.height() - 1);
        EXPECT_EQ(key | 0xFF000000u, qRgb(255, 0, 255));
        EXPECT_EQ(frame.pixel(66, 56), key) << "the frame's middle is see-through";
        EXPECT_NE(frame.pixel(6, 56), key) << "the frame has a border";
        EXPECT_TRUE(QFileInfo::exists(skin.dir + QStringLiteral("SongList.ini")));
    }
}

TEST_F(DemoSkin, EachLanguageFolderHoldsOnlySkinFolders)
{
    // Every entry of a language folder counts as one skin.
    for (const char* folder : kDemoSkinFolders) {
        const QDir dir(Root() + QStringLiteral("Images/") + QLatin1String(folder));
        const QStringList entries = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
        EXPECT_EQ(entries, (QStringList{QStringLiteral("1024x768"), QStringLiteral("800x600")}));
    }
}

TEST_F(DemoSkin, SharedPicturesAndSoundsExist)
{
    const QString images = Root() + QStringLiteral("Images/");
    for (int n = 1; n <= 12; ++n) {
        const QImage photo(images + QStringLiteral("Star/S%1.jpg").arg(n, 5, 10, QLatin1Char('0')));
        EXPECT_FALSE(photo.isNull()) << n;
        const QImage number(images + QStringLiteral("%1.bmp").arg(n));
        EXPECT_FALSE(number.isNull()) << n;
    }
    EXPECT_FALSE(QFileInfo::exists(images + QStringLiteral("Star/S00013.jpg")));
    EXPECT_FALSE(QImage(images + QStringLiteral("Star/default.jpg")).isNull());
    EXPECT_FALSE(QImage(images + QStringLiteral("Cursor.BMP")).isNull());
    EXPECT_GE(QDir(images + QStringLiteral("Ad")).entryList({QStringLiteral("*.jpg")}, QDir::Files).size(), 3);
    for (const int n : {2, 3}) { // catcall and applause pictures of the command keys
        EXPECT_FALSE(QImage(images + QStringLiteral("OSD/%1.bmp").arg(n)).isNull());
        QFile wav(images + QStringLiteral("OSD/%1.wav").arg(n));
        ASSERT_TRUE(wav.open(QIODevice::ReadOnly));
        const QByteArray bytes = wav.readAll();
        ASSERT_GT(bytes.size(), 44);
        EXPECT_TRUE(bytes.startsWith("RIFF"));
        EXPECT_EQ(bytes.mid(8, 8), QByteArray("WAVEfmt "));
        const quint32 riff = qFromLittleEndian<quint32>(bytes.constData() + 4);
        const quint32 data = qFromLittleEndian<quint32>(bytes.constData() + 40);
        EXPECT_EQ(riff, static_cast<quint32>(bytes.size() - 8));
        EXPECT_EQ(data, static_cast<quint32>(bytes.size() - 44));
    }
    QFile conf(Root() + QStringLiteral("fonts.conf"));
    ASSERT_TRUE(conf.open(QIODevice::ReadOnly));
    QDomDocument doc;
    ASSERT_TRUE(bool(doc.setContent(conf.readAll())));
    const QString text = doc.toString();
    for (const char* family : {"黑体", "宋体", "SimHei", "SimSun"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(family))) << family;
    EXPECT_TRUE(text.contains(QStringLiteral("/etc/fonts/fonts.conf")));
}

// Dialogs are rectangular windows: their pictures carry the frame out to every corner.
TEST_F(DemoSkin, DialogPicturesHaveNoDarkCorners)
{
    for (const TSkin& skin : Skins())
        for (const auto& [path, node] : Screens(skin.doc)) {
            if (node.attribute(QStringLiteral("autoclose")).isEmpty())
                continue;
            const QImage image(skin.dir + node.attribute(QStringLiteral("file")));
            ASSERT_FALSE(image.isNull()) << path.toStdString();
            const int w = image.width(), h = image.height();
            for (const QPoint corner : {QPoint(1, 1), QPoint(w - 2, 1), QPoint(1, h - 2), QPoint(w - 2, h - 2)}) {
                const QColor c = image.pixelColor(corner);
                EXPECT_GT(std::max({c.red(), c.green(), c.blue()}), 150)
                    << skin.dir.toStdString() << path.toStdString() << " corner " << corner.x() << "," << corner.y();
            }
        }
}

TEST_F(DemoSkin, EnglishSkinsShowNoChineseText)
{
    static const QRegularExpression cjk(QStringLiteral("[\\x{3400}-\\x{9FFF}]"));
    for (const TSkin& skin : Skins()) {
        if (!skin.dir.contains(QStringLiteral("/English/")))
            continue;
        // The station greets in Chinese in the portal's UserName label.
        EXPECT_TRUE(Select(skin.doc, QStringLiteral("root/portal/UserName")).isNull());
        for (const auto& [path, node] : Screens(skin.doc))
            for (const QDomElement& e : Children(node)) {
                if (e.tagName() == QLatin1String("MainLang"))
                    continue; // the switch to Chinese names it in Chinese
                for (const char* attr : {"caption", "hint"})
                    EXPECT_FALSE(cjk.match(e.attribute(QLatin1String(attr))).hasMatch())
                        << path.toStdString() << "/" << e.tagName().toStdString();
            }
    }
    for (const auto& [path, screen] : AllScreens(LoadSkinTree(true))) {
        EXPECT_FALSE(cjk.match(screen->title + screen->subtitle).hasMatch()) << path.toStdString();
        for (const TSkinDecor& d : screen->decor)
            EXPECT_FALSE(cjk.match(d.text).hasMatch()) << path.toStdString() << ": " << d.text.toStdString();
    }
}

// The pinyin screens' examples: right initials, and the singer search shows a singer, not a song.
TEST(DemoSkinTexts, PinyinExamplesSpellTheirInitials)
{
    const HanziTable hanzi;
    for (const bool english : {false, true}) {
        const TSkinTree tree = LoadSkinTree(english);
        QStringList examples;
        for (const auto& [path, screen] : AllScreens(tree)) {
            if (screen->name != QLatin1String("songbypy") && screen->name != QLatin1String("singerbypy"))
                continue;
            ASSERT_FALSE(screen->decor.empty());
            const QString text = screen->decor.back().text;
            const QStringList sides = text.section(u':', -1).section(QStringLiteral("e.g."), -1).split(u'=');
            ASSERT_EQ(sides.size(), 2) << text.toStdString();
            EXPECT_EQ(hanzi.Initials(sides[0].trimmed(), 6), sides[1].trimmed()) << text.toStdString();
            examples << sides[0].trimmed();
        }
        ASSERT_EQ(examples.size(), 2);
        EXPECT_NE(examples[0], examples[1]);
    }
    // The Chinese singer example is a name of the kind the catalogue's singers have.
    for (const auto& [path, screen] : AllScreens(LoadSkinTree(false)))
        if (screen->name == QLatin1String("singerbypy")) {
            EXPECT_FALSE(screen->decor.back().text.contains(u'的'));
        }
}

TEST(DemoSkinArt, DrawingIsDeterministic)
{
    EXPECT_EQ(PaintSingerPhoto(7), PaintSingerPhoto(7));
    EXPECT_NE(PaintSingerPhoto(7), PaintSingerPhoto(8));
    EXPECT_EQ(SkinXml(LoadSkinTree(false), 1.0), SkinXml(LoadSkinTree(false), 1.0));
    const TSkinTree tree = LoadSkinTree(true);
    EXPECT_EQ(PaintScreenBase(*tree.portal, 0.78125), PaintScreenBase(*tree.portal, 0.78125));
    // Every caption survives the GBK file encoding.
    for (const bool english : {false, true}) {
        const QByteArray xml = SkinXml(LoadSkinTree(english), 1.0);
        // Characters GBK cannot hold would have become '?': only the declaration's two remain.
        EXPECT_EQ(ToWide(xml).count(u'?'), 2);
    }
}

TEST(DemoSkinArt, UnwritableFolderIsReportedNotCrashed)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile blocker(dir.filePath(QStringLiteral("Images")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder must go
    blocker.close();
    QString error;
    EXPECT_FALSE(WriteDemoSkin(dir.path(), 1, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Images"))) << error.toStdString();
}

} // namespace
