#pragma once
// The demo skin in memory: every screen node of buttons.xml with its controls,
// laid out on a 1024 x 768 design grid, as SkinData reads it from the data
// files. The same tree is written for each resolution (rectangles are scaled).
#include <QColor>
#include <QList>
#include <QRect>
#include <QString>
#include <memory>
#include <vector>

// How a control's face is drawn into the screen's background picture.
enum class TFace
{
    None,     // nothing: a text label, a list cell or an input shown by the program
    Tile,     // large category tile: icon above a big caption
    Pill,     // rounded bar: icon left of the caption
    Key,      // keyboard key: caption only, centred
    Round,    // small round row button with an icon (row actions)
    Bar,      // public bar button: icon above a small caption
    Cell,     // singer name cell / word-count chip: rounded rectangle, caption drawn by the program
    Photo,    // photo frame behind a singer picture
    Pad,      // handwriting pad
    ValueBox, // sunken box behind a value the program writes (input, level, figures)
};

struct TSkinScreen;

struct TSkinControl
{
    QString name;
    QString type = QStringLiteral("button");
    QRect rect; // design coordinates (relative to the pop-up for pop-up screens)
    QString caption;
    bool showCaption = false; // the program draws the caption (otherwise the face carries it)
    QString key, click, parameter;
    TFace face = TFace::None;
    bool hoverOnly = false; // the face is drawn only in the hover picture (shown while the program shows the control)
    QString icon;
    QColor accent; // tile colour
    QString style = QStringLiteral("label");
    int fontPx = 20; // caption size in design pixels (written as points)
    int align = 2;   // 0 left, 1 right, 2 centre
    int layout = 1;  // 0 top, 1 centre, 2 bottom
    bool bold = false;
    bool fixedWidth = false;             // width kept unscaled (stroke screen singer column)
    quint32 fontColor = 0xFFFFFF;        // Windows colour value (0x00BBGGRR)
    QString file;                        // flash movie
    std::shared_ptr<TSkinScreen> screen; // a button that opens its own screen

    bool HasHover() const
    {
        return face != TFace::None && face != TFace::Photo && face != TFace::Pad && face != TFace::ValueBox;
    }
};

// Something drawn into a background that is not a control.
struct TSkinDecor
{
    enum Kind
    {
        Panel,     // translucent rounded panel
        Rows,      // alternating row stripes: rect is the first row, count rows, step apart
        Text,      // static text
        Separator, // thin line
    };
    Kind kind = Panel;
    QRect rect;
    QString text;
    int count = 0, step = 0;
    int fontPx = 18;
    int align = 0; // 0 left, 1 right, 2 centre
    QColor color = QColor(255, 255, 255);
};

struct TSkinScreen
{
    QString name;  // element name
    QString title; // drawn into the banner
    QString subtitle;
    std::vector<TSkinControl> controls;
    std::vector<TSkinDecor> decor;
    bool popup = false;                            // has autoclose: own rectangle, no public buttons
    QRect popupRect;                               // design coordinates on the screen
    int autoclose = 0;                             // seconds
    bool nowPlaying = true;                        // carries the now-playing labels of the bottom bar
    QList<std::pair<QString, QString>> attributes; // further node attributes (colcount, ...)

    QString BackgroundFile() const { return QStringLiteral("bg_") + name + QStringLiteral(".jpg"); }
};

// The whole skin of one language.
struct TSkinTree
{
    bool english = false;
    std::shared_ptr<TSkinScreen> portal;
    std::vector<TSkinControl> publicButtons;
    std::vector<TSkinControl> publicFlash;
    std::vector<std::shared_ptr<TSkinScreen>> forms; // root/public/form children
};

// Every screen of the tree once (portal, sub-screens depth first, forms), with the
// path of its node ("root/portal/ordersong/Language", "root/public/form/frmsong").
std::vector<std::pair<QString, std::shared_ptr<TSkinScreen>>> AllScreens(const TSkinTree& tree);

// The design rectangle scaled to a resolution (factor 1 for 1024 x 768).
QRect ScaleRect(const QRect& r, double scale, bool fixedWidth = false);

// The skin document (GBK text with its XML declaration) for a resolution.
QByteArray SkinXml(const TSkinTree& tree, double scale);

// File name of a control's hover picture on a screen ("" for public buttons' screen name).
QString HoverFile(const QString& screen, const QString& control);
