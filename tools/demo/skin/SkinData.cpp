#include "tools/demo/skin/SkinData.h"

#include "core/Exception.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <span>

namespace {

// The design grid's content area (below the banner, above the public bar).
constexpr int kContentTop = 96;
constexpr int kContentBottom = 684;

// Colours by name (Windows colour values 0x00BBGGRR).
const std::pair<const char*, quint32> kNamedColours[] = {
    {"white", 0xFFFFFF}, {"yellow", 0x00FFFF}, {"sky", 0xFFCC33},
    {"gold", 0x3CC8FF},  {"pale", 0xF0DCD2},   {"black", 0x000000},
};

// The accent palette: accent="3" is the fourth colour; grids colour their items in turn.
QColor Accent(int i)
{
    static const QColor colours[] = {
        QColor(236, 64, 122), QColor(41, 182, 246), QColor(255, 167, 38), QColor(102, 187, 106), QColor(171, 71, 188),
        QColor(38, 198, 218), QColor(255, 112, 67), QColor(92, 107, 192), QColor(240, 160, 20),  QColor(239, 83, 80),
        QColor(0, 191, 165),  QColor(126, 87, 194), QColor(141, 110, 99), QColor(66, 165, 245),  QColor(124, 179, 66),
    };
    return colours[i % std::size(colours)];
}

// The key of list row i: 1..9, 0, then the point.
QString RowKey(int i)
{
    return i < 9 ? QString::number(i + 1) : i == 9 ? QStringLiteral("0") : QStringLiteral(".");
}

// What each control element makes.
struct TKind
{
    const char* tag;
    TFace face;
    const char* type;
    bool showCaption; // the program draws the caption
    int fontPx;
    int align;
};
const TKind kKinds[] = {
    {"label", TFace::None, "button", true, 20, 0},  {"value", TFace::ValueBox, "button", true, 20, 0},
    {"tile", TFace::Tile, "button", false, 30, 2},  {"pill", TFace::Pill, "button", false, 22, 2},
    {"key", TFace::Key, "button", false, 22, 2},    {"round", TFace::Round, "button", false, 22, 2},
    {"bar", TFace::Bar, "button", false, 14, 2},    {"cell", TFace::Cell, "button", false, 22, 2},
    {"photo", TFace::Photo, "image", false, 20, 2}, {"pad", TFace::Pad, "panel", false, 20, 2},
    {"edit", TFace::None, "edit", false, 20, 2},    {"combobox", TFace::None, "combobox", false, 20, 2},
    {"flash", TFace::None, "flash", false, 20, 2},  {"checkbox", TFace::None, "checkbox", false, 16, 0},
};
const char* const kControlAttributes[] = {"name",   "rect",   "text",        "key",    "click", "parameter", "icon",
                                          "accent", "font",   "align",       "layout", "bold",  "color",     "style",
                                          "fixed",  "screen", "showcaption", "file",   "lang",  "face"};

const std::pair<const char*, TSkinDecor::Kind> kDecorKinds[] = {
    {"panel", TSkinDecor::Panel},
    {"stripes", TSkinDecor::Rows},
    {"text", TSkinDecor::Text},
    {"line", TSkinDecor::Separator},
};
const char* const kDecorAttributes[] = {"rect", "text", "count", "step", "font", "align", "color", "lang"};

using TTexts = QHash<QString, QString>;

// Where an element is read: its file's texts, the offset of the enclosing
// repeats and includes, and the values of {i}, {n}, {row}, {c} and {lc}.
struct TScope
{
    const TTexts* texts = nullptr;
    QPoint offset;
    QHash<QString, QString> vars;
};

class TLoader
{
public:
    TLoader(bool english, const QString& dir) : m_bEnglish(english), m_sDir(dir + u'/') {}

    TSkinTree Load()
    {
        m_common = Texts(Read(QStringLiteral("texts.xml"), "texts"));
        TSkinTree tree;
        tree.english = m_bEnglish;
        tree.portal = Screen(QStringLiteral("portal"));
        m_reached.insert(tree.portal->name);
        const QDomElement pub = Read(QStringLiteral("public.xml"), "public");
        const TTexts texts = Texts(pub);
        const TScope scope{&texts, {}, {}};
        for (QDomElement e = pub.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
            if (e.tagName() == QLatin1String("texts"))
                continue;
            if (!IncludedInLanguage(e, scope))
                continue;
            TSkinControl c = Control(e, scope);
            (c.type == QLatin1String("flash") ? tree.publicFlash : tree.publicButtons).push_back(std::move(c));
        }
        // Every screen file is read, so a fault in one nobody opens still shows.
        const QStringList files =
            QDir(m_sDir + QStringLiteral("screens")).entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name);
        for (const QString& file : files) {
            const auto screen = Screen(file.chopped(4));
            if (m_forms.contains(screen->name))
                tree.forms.push_back(screen);
        }
        for (const QString& file : files)
            if (!m_reached.contains(file.chopped(4)) && !m_forms.contains(file.chopped(4)))
                throw Exception(m_sDir + QStringLiteral("screens/") + file +
                                QStringLiteral(": neither a form (form=\"1\") nor opened by any button's screen"));
        return tree;
    }

private:
    [[noreturn]] void Fail(const QDomElement& e, const QString& what) const
    {
        const QString file = e.ownerDocument().documentElement().attribute(QStringLiteral("_file"));
        throw Exception(QStringLiteral("%1:%2: <%3>: %4").arg(file).arg(e.lineNumber()).arg(e.tagName(), what));
    }

    QDomElement Read(const QString& path, const char* rootTag)
    {
        QFile file(m_sDir + path);
        if (!file.open(QIODevice::ReadOnly))
            throw Exception(file.fileName() + QStringLiteral(": ") + file.errorString());
        QDomDocument doc;
        QString message;
        int line = 0, column = 0;
        if (!doc.setContent(&file, &message, &line, &column))
            throw Exception(QStringLiteral("%1:%2:%3: %4").arg(file.fileName()).arg(line).arg(column).arg(message));
        // Kept for the loader's life: the elements' messages find their file through it.
        m_docs.push_back(doc);
        QDomElement root = doc.documentElement();
        root.setAttribute(QStringLiteral("_file"), file.fileName());
        if (root.tagName() != QLatin1String(rootTag))
            Fail(root, QStringLiteral("the file's element must be <%1>").arg(QLatin1String(rootTag)));
        return root;
    }

    // The <texts> table of a file: <t id="..." zh="..." en="..."/>, "\n" a line break.
    TTexts Texts(const QDomElement& root) const
    {
        TTexts out;
        const QDomElement table = root.tagName() == QLatin1String("texts") ? root : root.firstChildElement("texts");
        for (QDomElement t = table.firstChildElement(); !t.isNull(); t = t.nextSiblingElement()) {
            const QString id = t.attribute(QStringLiteral("id"));
            if (t.tagName() != QLatin1String("t") || id.isEmpty() || !t.hasAttribute(QStringLiteral("zh")) ||
                !t.hasAttribute(QStringLiteral("en")))
                Fail(t, QStringLiteral("a text is <t id=\"...\" zh=\"...\" en=\"...\"/>"));
            if (out.contains(id))
                Fail(t, QStringLiteral("text \"%1\" is defined twice").arg(id));
            out.insert(id, t.attribute(QLatin1String(m_bEnglish ? "en" : "zh"))
                               .replace(QLatin1String("\\n"), QLatin1String("\n")));
        }
        return out;
    }

    // An attribute with {var} replaced; "@id" is the text of that id in the skin's language.
    QString Value(const QDomElement& e, const char* name, const TScope& scope, const QString& fallback = {}) const
    {
        if (!e.hasAttribute(QLatin1String(name)))
            return fallback;
        QString v = e.attribute(QLatin1String(name));
        for (auto it = scope.vars.cbegin(); it != scope.vars.cend(); ++it)
            v.replace(u'{' + it.key() + u'}', it.value());
        if (!v.startsWith(u'@'))
            return v;
        const QString id = v.mid(1);
        if (scope.texts && scope.texts->contains(id))
            return scope.texts->value(id);
        if (m_common.contains(id))
            return m_common.value(id);
        Fail(e, QStringLiteral("no text \"%1\" in the file's <texts> or texts.xml").arg(id));
    }

    int Int(const QDomElement& e, const char* name, const TScope& scope, int fallback) const
    {
        const QString v = Value(e, name, scope);
        if (v.isNull())
            return fallback;
        bool ok = false;
        const int n = v.toInt(&ok);
        if (!ok)
            Fail(e, QStringLiteral("%1=\"%2\" is not a whole number").arg(QLatin1String(name), v));
        return n;
    }

    QList<int> Numbers(const QDomElement& e, const char* name, const TScope& scope, int count) const
    {
        const QStringList parts = Value(e, name, scope).split(u' ', Qt::SkipEmptyParts);
        QList<int> out;
        for (const QString& p : parts) {
            bool ok = false;
            out.append(p.toInt(&ok));
            if (!ok)
                break;
        }
        if (out.size() != count || parts.size() != count)
            Fail(e,
                 QStringLiteral("%1 needs %2 whole numbers separated by blanks").arg(QLatin1String(name)).arg(count));
        return out;
    }

    QRect Rect(const QDomElement& e, const TScope& scope) const
    {
        const QList<int> n = Numbers(e, "rect", scope, 4);
        return QRect(n[0], n[1], n[2], n[3]).translated(scope.offset);
    }

    QColor Colour(const QDomElement& e, const char* name, const TScope& scope) const
    {
        const QString v = Value(e, name, scope);
        for (const auto& [colourName, value] : kNamedColours)
            if (v == QLatin1String(colourName))
                return QColor(value & 0xFF, (value >> 8) & 0xFF, value >> 16);
        if (v.startsWith(u'#') && v.size() == 7 && QColor(v).isValid())
            return QColor(v);
        Fail(e, QStringLiteral("%1=\"%2\" is neither a colour name nor #rrggbb").arg(QLatin1String(name), v));
    }

    int Choice(const QDomElement& e, const char* name, const TScope& scope, int fallback,
               std::initializer_list<const char*> words) const
    {
        const QString v = Value(e, name, scope);
        if (v.isNull())
            return fallback;
        int i = 0;
        for (const char* word : words) {
            if (v == QLatin1String(word))
                return i;
            ++i;
        }
        Fail(e, QStringLiteral("%1=\"%2\" is not one of the allowed words").arg(QLatin1String(name), v));
    }

    void CheckAttributes(const QDomElement& e, std::span<const char* const> allowed) const
    {
        const QDomNamedNodeMap attributes = e.attributes();
        for (int i = 0; i < attributes.count(); ++i) {
            const QString name = attributes.item(i).nodeName();
            if (std::none_of(allowed.begin(), allowed.end(), [&](const char* a) { return name == QLatin1String(a); }))
                Fail(e, QStringLiteral("unknown attribute %1").arg(name));
        }
    }

    // lang="zh" or lang="en": the element belongs to that language's skin only.
    bool IncludedInLanguage(const QDomElement& e, const TScope& scope) const
    {
        const QString lang = Value(e, "lang", scope);
        if (lang.isNull())
            return true;
        if (lang != QLatin1String("zh") && lang != QLatin1String("en"))
            Fail(e, QStringLiteral("lang is zh or en"));
        return lang == QLatin1String(m_bEnglish ? "en" : "zh");
    }

    TSkinControl Control(const QDomElement& e, const TScope& scope, const QRect* placed = nullptr)
    {
        const auto* kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                        [&](const TKind& k) { return e.tagName() == QLatin1String(k.tag); });
        if (kind == std::end(kKinds))
            Fail(e, QStringLiteral("not a control, decoration or layout element"));
        CheckAttributes(e, kControlAttributes);
        TSkinControl c;
        c.name = Value(e, "name", scope);
        if (c.name.isEmpty())
            Fail(e, QStringLiteral("a control needs a name"));
        c.type = QLatin1String(kind->type);
        c.face = kind->face;
        c.rect = placed ? *placed : Rect(e, scope);
        c.caption = Value(e, "text", scope);
        c.showCaption = Int(e, "showcaption", scope, kind->showCaption ? 1 : 0) != 0;
        c.key = Value(e, "key", scope);
        c.click = Value(e, "click", scope);
        c.parameter = Value(e, "parameter", scope);
        c.icon = Value(e, "icon", scope);
        if (e.hasAttribute(QStringLiteral("accent"))) {
            const QString accent = Value(e, "accent", scope);
            c.accent = accent.startsWith(u'#') ? Colour(e, "accent", scope) : Accent(Int(e, "accent", scope, 0));
        }
        c.fontPx = Int(e, "font", scope, kind->fontPx);
        c.align = Choice(e, "align", scope, kind->align, {"left", "right", "centre"});
        c.layout = Choice(e, "layout", scope, 1, {"top", "centre", "bottom"});
        c.bold = Int(e, "bold", scope, 0) != 0;
        c.fixedWidth = Int(e, "fixed", scope, 0) != 0;
        c.hoverOnly = Choice(e, "face", scope, 0, {"background", "hover"}) == 1;
        if (e.hasAttribute(QStringLiteral("color"))) {
            const QColor rgb = Colour(e, "color", scope);
            c.fontColor = static_cast<quint32>(rgb.red() | rgb.green() << 8 | rgb.blue() << 16);
        }
        c.style = Value(e, "style", scope, c.style);
        c.file = Value(e, "file", scope);
        const QString screen = Value(e, "screen", scope);
        if (!screen.isEmpty()) {
            c.screen = Screen(screen, &e);
            m_reached.insert(screen);
        }
        return c;
    }

    TSkinDecor Decor(const QDomElement& e, TSkinDecor::Kind kind, const TScope& scope) const
    {
        CheckAttributes(e, kDecorAttributes);
        TSkinDecor d;
        d.kind = kind;
        d.rect = Rect(e, scope);
        d.text = Value(e, "text", scope);
        d.count = Int(e, "count", scope, 0);
        d.step = Int(e, "step", scope, 0);
        d.fontPx = Int(e, "font", scope, d.fontPx);
        d.align = Choice(e, "align", scope, d.align, {"left", "right", "centre"});
        if (e.hasAttribute(QStringLiteral("color")))
            d.color = Colour(e, "color", scope);
        return d;
    }

    // <repeat count="N" | chars="ABC"  [cols="C"] step="dx dy">: the children once per item.
    void Repeat(const QDomElement& e, TSkinScreen& s, const TScope& scope)
    {
        CheckAttributes(e, std::initializer_list<const char*>{"count", "chars", "cols", "step", "lang"});
        const QString chars = Value(e, "chars", scope);
        const int count = chars.isEmpty() ? Int(e, "count", scope, -1) : static_cast<int>(chars.size());
        if (count < 0)
            Fail(e, QStringLiteral("a repeat needs count or chars"));
        const QList<int> step = Numbers(e, "step", scope, 2);
        const int cols = Int(e, "cols", scope, 0);
        for (int i = 0; i < count; ++i) {
            TScope inner = scope;
            const int col = cols > 0 ? i % cols : i, row = cols > 0 ? i / cols : i;
            inner.offset += QPoint(col * step[0], row * step[1]);
            inner.vars.insert(QStringLiteral("i"), QString::number(i));
            inner.vars.insert(QStringLiteral("n"), QString::number(i + 1));
            inner.vars.insert(QStringLiteral("row"), RowKey(i));
            if (!chars.isEmpty()) {
                inner.vars.insert(QStringLiteral("c"), chars.mid(i, 1));
                inner.vars.insert(QStringLiteral("lc"), chars.mid(i, 1).toLower());
            }
            Children(e, s, inner);
        }
    }

    // <grid cols="C" [area="x y w h"] [size="w h"] [gap="x y"]>: the child controls placed in
    // rows, the last row centred. Without size, the cells share the content area. Items get
    // the accents in turn, the row keys and, without a font, 28 (22 for long captions).
    void Grid(const QDomElement& e, TSkinScreen& s, const TScope& scope)
    {
        CheckAttributes(e, std::initializer_list<const char*>{"cols", "area", "size", "gap", "lang"});
        std::vector<QDomElement> items;
        for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement())
            if (IncludedInLanguage(c, scope))
                items.push_back(c);
        const int count = static_cast<int>(items.size());
        const int cols = Int(e, "cols", scope, 5);
        if (cols < 1 || count == 0)
            Fail(e, QStringLiteral("a grid needs cols of at least 1 and at least one item"));
        const int rows = (count + cols - 1) / cols;
        const QList<int> gap = e.hasAttribute(QStringLiteral("gap")) ? Numbers(e, "gap", scope, 2) : QList<int>{16, 16};
        QRect area(24, kContentTop + 10, 976, kContentBottom - kContentTop - 20);
        if (e.hasAttribute(QStringLiteral("area")))
            area = QRect(Numbers(e, "area", scope, 4)[0], Numbers(e, "area", scope, 4)[1],
                         Numbers(e, "area", scope, 4)[2], Numbers(e, "area", scope, 4)[3]);
        QSize size(std::min(186, (960 - (cols - 1) * gap[0]) / cols),
                   std::min(rows == 1 ? 260 : 200, (kContentBottom - kContentTop - 40 - (rows - 1) * gap[1]) / rows));
        if (e.hasAttribute(QStringLiteral("size"))) {
            const QList<int> wh = Numbers(e, "size", scope, 2);
            size = QSize(wh[0], wh[1]);
        }
        const int totalH = rows * size.height() + (rows - 1) * gap[1];
        const int y0 = area.top() + (area.height() - totalH) / 2;
        for (int i = 0; i < count; ++i) {
            const int row = i / cols, col = i % cols;
            const int inRow = std::min(cols, count - row * cols);
            const int x0 = area.left() + (area.width() - (inRow * size.width() + (inRow - 1) * gap[0])) / 2;
            const QRect r = QRect(x0 + col * (size.width() + gap[0]), y0 + row * (size.height() + gap[1]), size.width(),
                                  size.height())
                                .translated(scope.offset);
            TSkinControl c = Control(items[i], scope, &r);
            if (!items[i].hasAttribute(QStringLiteral("accent")))
                c.accent = Accent(i);
            if (!items[i].hasAttribute(QStringLiteral("key")))
                c.key = RowKey(i);
            if (!items[i].hasAttribute(QStringLiteral("font")))
                c.fontPx = c.caption.size() > 6 ? 22 : 28;
            s.controls.push_back(std::move(c));
        }
    }

    // <include part="name" [at="x y"]>: the part's children, moved by at.
    void Include(const QDomElement& e, TSkinScreen& s, const TScope& scope)
    {
        CheckAttributes(e, std::initializer_list<const char*>{"part", "at", "lang"});
        const QString part = Value(e, "part", scope);
        if (part.isEmpty())
            Fail(e, QStringLiteral("an include needs part"));
        const QDomElement root = Read(QStringLiteral("parts/") + part + QStringLiteral(".xml"), "part");
        const TTexts texts = Texts(root);
        TScope inner{&texts, scope.offset, scope.vars};
        if (e.hasAttribute(QStringLiteral("at"))) {
            const QList<int> at = Numbers(e, "at", scope, 2);
            inner.offset += QPoint(at[0], at[1]);
        }
        Children(root, s, inner);
    }

    void Children(const QDomElement& parent, TSkinScreen& s, const TScope& scope)
    {
        for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
            const QString tag = e.tagName();
            if (tag == QLatin1String("texts"))
                continue;
            if (!IncludedInLanguage(e, scope))
                continue;
            if (tag == QLatin1String("attr")) {
                CheckAttributes(e, std::initializer_list<const char*>{"name", "value", "lang"});
                s.attributes.append({Value(e, "name", scope), Value(e, "value", scope, QLatin1String(""))});
            } else if (tag == QLatin1String("repeat")) {
                Repeat(e, s, scope);
            } else if (tag == QLatin1String("grid")) {
                Grid(e, s, scope);
            } else if (tag == QLatin1String("include")) {
                Include(e, s, scope);
            } else if (const auto* decor = std::find_if(std::begin(kDecorKinds), std::end(kDecorKinds),
                                                        [&](const auto& d) { return tag == QLatin1String(d.first); });
                       decor != std::end(kDecorKinds)) {
                s.decor.push_back(Decor(e, decor->second, scope));
            } else {
                s.controls.push_back(Control(e, scope));
            }
        }
    }

    // The screen of screens/<name>.xml, read once.
    std::shared_ptr<TSkinScreen> Screen(const QString& name, const QDomElement* opener = nullptr)
    {
        if (const auto found = m_screens.constFind(name); found != m_screens.constEnd())
            return found.value();
        if (m_loading.contains(name)) {
            if (opener)
                Fail(*opener, QStringLiteral("screen %1 is opened from within itself").arg(name));
            throw Exception(QStringLiteral("screen %1 is opened from within itself").arg(name));
        }
        const QString path = QStringLiteral("screens/") + name + QStringLiteral(".xml");
        if (!QFileInfo::exists(m_sDir + path)) {
            if (opener)
                Fail(*opener, QStringLiteral("no screen file %1").arg(path));
            throw Exception(m_sDir + path + QStringLiteral(": missing"));
        }
        m_loading.insert(name);
        const QDomElement root = Read(path, "screen");
        const char* const allowed[] = {"title", "subtitle", "form", "popup", "autoclose", "nowplaying", "_file"};
        CheckAttributes(root, allowed);
        const TTexts texts = Texts(root);
        const TScope scope{&texts, {}, {}};
        auto s = std::make_shared<TSkinScreen>();
        s->name = name;
        s->title = Value(root, "title", scope);
        s->subtitle = Value(root, "subtitle", scope);
        if (root.hasAttribute(QStringLiteral("popup"))) {
            const QList<int> r = Numbers(root, "popup", scope, 4);
            s->popup = true;
            s->popupRect = QRect(r[0], r[1], r[2], r[3]);
            s->autoclose = Int(root, "autoclose", scope, 0);
            s->nowPlaying = false;
        }
        if (root.attribute(QStringLiteral("nowplaying")) == QLatin1String("0"))
            s->nowPlaying = false;
        if (root.attribute(QStringLiteral("form")) == QLatin1String("1"))
            m_forms.insert(name);
        Children(root, *s, scope);
        // Every full screen shows what plays now and next in the bottom bar.
        if (s->nowPlaying) {
            const QDomElement part = Read(QStringLiteral("parts/nowplaying.xml"), "part");
            Children(part, *s, TScope{&texts, {}, {}});
        }
        m_loading.remove(name);
        m_screens.insert(name, s);
        return s;
    }

    bool m_bEnglish;
    QString m_sDir;
    TTexts m_common;
    QHash<QString, std::shared_ptr<TSkinScreen>> m_screens;
    QSet<QString> m_loading, m_reached, m_forms;
    std::vector<QDomDocument> m_docs;
};

} // namespace

QString DefaultSkinDataDir()
{
    return QStringLiteral(":/demo-skin");
}

TSkinTree LoadSkinTree(bool english, const QString& dataDir)
{
    return TLoader(english, dataDir).Load();
}
