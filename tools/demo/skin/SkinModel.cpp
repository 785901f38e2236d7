#include "tools/demo/skin/SkinModel.h"

#include "core/Gbk.h"

#include <QDomDocument>
#include <cmath>

namespace {

// List colours (Windows colour values 0x00BBGGRR).
constexpr quint32 kWhite = 0xFFFFFF;
constexpr quint32 kYellow = 0x00FFFF;
constexpr quint32 kSky = 0xFFCC33; // RGB(51, 204, 255)

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
        attr("caption", c.caption);
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
        if (c.type == QLatin1String("checkbox") && !c.caption.isEmpty())
            attr("caption", c.caption);
        attr("left", QString::number(r.x()));
        attr("top", QString::number(r.y()));
        attr("width", QString::number(r.width()));
        attr("height", QString::number(r.height()));
        if (c.type == QLatin1String("edit") || c.type == QLatin1String("panel") ||
            c.type == QLatin1String("combobox") || c.type == QLatin1String("checkbox")) {
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
