#include "tools/demo/skin/SkinArt.h"

#include <QFontDatabase>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

QColor Lighter(const QColor& c, int percent)
{
    return c.lighter(percent);
}
QColor WithAlpha(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

quint32 Hash(const QString& text)
{
    quint32 h = 2166136261u;
    for (QChar ch : text)
        h = (h ^ ch.unicode()) * 16777619u;
    return h;
}

void DrawText(QPainter& p, const QRectF& r, const QString& text, double px, const QColor& colour, int align,
              bool bold = false, bool glow = false)
{
    p.setFont(SkinFont(px, bold));
    int flags = Qt::AlignVCenter | Qt::TextWordWrap;
    flags |= align == 0 ? Qt::AlignLeft : align == 1 ? Qt::AlignRight : Qt::AlignHCenter;
    if (glow) {
        p.setPen(QColor(0, 0, 0, 150));
        p.drawText(r.translated(1.5, 2), flags, text);
    }
    p.setPen(colour);
    p.drawText(r, flags, text);
}

// A caption that fits: shrinks the font until the text fits the width.
void FitText(QPainter& p, const QRectF& r, const QString& text, double px, const QColor& colour, bool bold)
{
    double size = px;
    while (size > 9) {
        const QFontMetricsF fm(SkinFont(size, bold));
        if (fm.horizontalAdvance(text) <= r.width() - 4)
            break;
        size -= 1;
    }
    p.setFont(SkinFont(size, bold));
    p.setPen(QColor(0, 0, 0, 140));
    p.drawText(r.translated(1.2, 1.6), Qt::AlignCenter, text);
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, text);
}

void Backdrop(QPainter& p, const QRectF& area, const QString& seedText)
{
    const quint32 seed = Hash(seedText);
    QLinearGradient sky(area.topLeft(), area.bottomLeft());
    sky.setColorAt(0, QColor(30, 12, 66));
    sky.setColorAt(0.55, QColor(14, 9, 40));
    sky.setColorAt(1, QColor(6, 12, 34));
    p.fillRect(area, sky);
    // Two coloured stage glows whose places change from screen to screen.
    const double gx = area.left() + area.width() * (0.15 + (seed % 7) * 0.04);
    QRadialGradient pink(QPointF(gx, area.top() + area.height() * 0.25), area.width() * 0.55);
    pink.setColorAt(0, QColor(214, 40, 160, 95));
    pink.setColorAt(1, QColor(214, 40, 160, 0));
    p.fillRect(area, pink);
    QRadialGradient cyan(
        QPointF(area.right() - area.width() * (0.12 + ((seed >> 4) % 5) * 0.04), area.bottom() - area.height() * 0.2),
        area.width() * 0.5);
    cyan.setColorAt(0, QColor(30, 170, 230, 80));
    cyan.setColorAt(1, QColor(30, 170, 230, 0));
    p.fillRect(area, cyan);
    // Light beams from the ceiling.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        const double x = area.left() + area.width() * (0.12 + 0.26 * i);
        QLinearGradient beam(QPointF(x, area.top()), QPointF(x, area.bottom()));
        beam.setColorAt(0, QColor(255, 255, 255, 26));
        beam.setColorAt(1, QColor(255, 255, 255, 0));
        QPainterPath path;
        const double spread = area.width() * 0.09;
        const double tilt = (i % 2 ? 1 : -1) * area.width() * 0.07;
        path.moveTo(x - 6, area.top());
        path.lineTo(x + 6, area.top());
        path.lineTo(x + tilt + spread, area.bottom());
        path.lineTo(x + tilt - spread, area.bottom());
        path.closeSubpath();
        p.fillPath(path, beam);
    }
    // Sparkles.
    QRandomGenerator rng(seed);
    for (int i = 0; i < 70; ++i) {
        const QPointF c(area.left() + rng.bounded(area.width()), area.top() + rng.bounded(area.height()));
        const double r = 0.6 + rng.bounded(1.8);
        p.setBrush(QColor(255, 255, 255, 40 + rng.bounded(120)));
        p.drawEllipse(c, r, r);
    }
}

void Banner(QPainter& p, const TSkinScreen& s)
{
    QLinearGradient band(0, 0, 0, 88);
    band.setColorAt(0, QColor(12, 6, 32));
    band.setColorAt(1, QColor(30, 12, 64));
    p.fillRect(QRectF(0, 0, 1024, 88), band);
    QLinearGradient line(0, 0, 1024, 0);
    line.setColorAt(0, QColor(255, 200, 60));
    line.setColorAt(0.5, QColor(236, 64, 160));
    line.setColorAt(1, QColor(41, 182, 246));
    p.fillRect(QRectF(0, 86, 1024, 3), line);
    // The round plate behind the public logo.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 24));
    p.drawEllipse(QPointF(50, 44), 36, 36);
    const bool portal = s.name == QLatin1String("portal");
    if (portal) {
        QLinearGradient gold(0, 10, 0, 60);
        gold.setColorAt(0, QColor(255, 236, 150));
        gold.setColorAt(1, QColor(255, 170, 40));
        QPainterPath title;
        title.addText(QPointF(102, 52), SkinFont(40, true), s.title);
        p.fillPath(title.translated(2, 3), QColor(0, 0, 0, 140));
        p.fillPath(title, gold);
        DrawText(p, QRectF(104, 58, 500, 26), s.subtitle, 16, QColor(215, 220, 245), 0);
    } else {
        DrawText(p, QRectF(102, 8, 560, 46), s.title, 32, QColor(255, 255, 255), 0, true, true);
        DrawText(p, QRectF(104, 54, 640, 28), s.subtitle, 16, QColor(200, 208, 240), 0);
    }
}

void BottomBar(QPainter& p)
{
    QLinearGradient band(0, 692, 0, 768);
    band.setColorAt(0, QColor(22, 14, 52));
    band.setColorAt(1, QColor(8, 6, 22));
    p.fillRect(QRectF(0, 692, 1024, 76), band);
    p.fillRect(QRectF(0, 692, 1024, 2), QColor(236, 64, 160, 160));
    // The now-playing plate.
    p.setPen(QPen(QColor(255, 255, 255, 40), 1));
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawRoundedRect(QRectF(8, 697, 372, 66), 10, 10);
    DrawIcon(p, QStringLiteral("note"), QRectF(348, 703, 26, 26), QColor(255, 200, 60, 150));
    // The badge behind the queue length on the "ordered" button.
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.2));
    p.setBrush(QColor(229, 57, 53));
    p.drawRoundedRect(QRectF(427, 696, 26, 18), 9, 9);
}

void PopupFrame(QPainter& p, const QSizeF& size, const TSkinScreen& s)
{
    // The dialog is a rectangular window: its frame runs along the picture's
    // edges, so no corner is left outside it.
    const QRectF r(0, 0, size.width(), size.height());
    QLinearGradient body(0, 0, 0, size.height());
    body.setColorAt(0, QColor(48, 22, 96));
    body.setColorAt(1, QColor(14, 10, 40));
    p.fillRect(r, body);
    QRadialGradient glow(QPointF(size.width() * 0.3, 0), size.width() * 0.7);
    glow.setColorAt(0, QColor(214, 40, 160, 90));
    glow.setColorAt(1, QColor(214, 40, 160, 0));
    p.fillRect(r, glow);
    QLinearGradient edge(0, 0, size.width(), size.height());
    edge.setColorAt(0, QColor(255, 200, 60));
    edge.setColorAt(1, QColor(236, 64, 160));
    p.setPen(QPen(QBrush(edge), 4, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(2, 2, -2, -2));
    p.setPen(QPen(QColor(255, 255, 255, 50), 1));
    p.drawRoundedRect(r.adjusted(8, 8, -8, -8), 12, 12);
    DrawText(p, QRectF(24, 8, size.width() - 48, 44), s.title, 26, QColor(255, 255, 255), 2, true, true);
    p.fillRect(QRectF(24, 54, size.width() - 48, 1), QColor(255, 255, 255, 60));
}

void Decor(QPainter& p, const TSkinDecor& d)
{
    switch (d.kind) {
    case TSkinDecor::Panel:
        p.setPen(QPen(QColor(255, 255, 255, 46), 1.2));
        p.setBrush(QColor(10, 6, 30, 120));
        p.drawRoundedRect(QRectF(d.rect), 14, 14);
        break;
    case TSkinDecor::Rows:
        p.setPen(Qt::NoPen);
        for (int i = 0; i < d.count; ++i) {
            p.setBrush(QColor(255, 255, 255, i % 2 ? 12 : 26));
            p.drawRoundedRect(QRectF(d.rect.translated(0, i * d.step)), 8, 8);
        }
        break;
    case TSkinDecor::Text:
        DrawText(p, QRectF(d.rect), d.text, d.fontPx, d.color, d.align);
        break;
    case TSkinDecor::Separator:
        p.fillRect(QRectF(d.rect), d.color);
        break;
    }
}

// Fills a rounded shape with an accent gradient and a glossy top.
void Glossy(QPainter& p, const QRectF& r, double radius, const QColor& accent, bool hover)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, Lighter(accent, hover ? 150 : 118));
    g.setColorAt(1, accent.darker(hover ? 120 : 165));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(r, radius, radius);
    QLinearGradient gloss(r.topLeft(), QPointF(r.left(), r.top() + r.height() * 0.55));
    gloss.setColorAt(0, QColor(255, 255, 255, hover ? 110 : 70));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(gloss);
    p.drawRoundedRect(r.adjusted(2, 2, -2, -r.height() * 0.45), radius - 2, radius - 2);
    p.setBrush(Qt::NoBrush);
    if (hover) {
        p.setPen(QPen(QColor(255, 255, 255, 90), 6));
        p.drawRoundedRect(r.adjusted(1, 1, -1, -1), radius, radius);
        p.setPen(QPen(QColor(255, 255, 255), 2.5));
        p.drawRoundedRect(r.adjusted(2, 2, -2, -2), radius - 1, radius - 1);
    } else {
        p.setPen(QPen(QColor(255, 255, 255, 70), 1.2));
        p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    }
}

// --- icons (100 x 100 design box, white line art) -----------------------------

void IconPath(QPainter& p, const QString& id)
{
    QPainterPath path;
    auto fill = [&](const QPainterPath& pp) { p.fillPath(pp, p.pen().color()); };
    auto line = [&](double x1, double y1, double x2, double y2) { p.drawLine(QPointF(x1, y1), QPointF(x2, y2)); };
    if (id == QLatin1String("note")) {
        path.addEllipse(QPointF(30, 76), 14, 11);
        path.addEllipse(QPointF(72, 66), 14, 11);
        fill(path);
        line(42, 74, 42, 20);
        line(84, 64, 84, 12);
        p.save();
        QPen pen = p.pen();
        pen.setWidthF(12);
        p.setPen(pen);
        line(42, 22, 84, 14);
        p.restore();
    } else if (id == QLatin1String("person")) {
        p.drawEllipse(QPointF(50, 32), 18, 18);
        path.moveTo(16, 92);
        path.cubicTo(16, 58, 84, 58, 84, 92);
        p.drawPath(path);
    } else if (id == QLatin1String("users")) {
        p.drawEllipse(QPointF(36, 36), 14, 14);
        p.drawEllipse(QPointF(68, 32), 13, 13);
        path.moveTo(8, 90);
        path.cubicTo(8, 60, 64, 60, 64, 90);
        path.moveTo(50, 62);
        path.cubicTo(66, 50, 94, 56, 94, 84);
        p.drawPath(path);
    } else if (id == QLatin1String("trophy")) {
        path.moveTo(28, 14);
        path.lineTo(72, 14);
        path.cubicTo(72, 50, 62, 62, 50, 62);
        path.cubicTo(38, 62, 28, 50, 28, 14);
        p.drawPath(path);
        p.drawArc(QRectF(10, 18, 24, 26), 90 * 16, 180 * 16);
        p.drawArc(QRectF(66, 18, 24, 26), -90 * 16, 180 * 16);
        line(50, 62, 50, 78);
        line(32, 86, 68, 86);
    } else if (id == QLatin1String("star") || id == QLatin1String("spark")) {
        const int points = id == QLatin1String("star") ? 5 : 4;
        const double inner = id == QLatin1String("star") ? 0.42 : 0.25;
        for (int i = 0; i < points * 2; ++i) {
            const double a = -kPi / 2 + i * kPi / points;
            const double r = (i % 2 ? inner : 1.0) * 42;
            const QPointF pt(50 + r * std::cos(a), 52 + r * std::sin(a));
            i == 0 ? path.moveTo(pt) : path.lineTo(pt);
        }
        path.closeSubpath();
        if (id == QLatin1String("star"))
            p.drawPath(path);
        else
            fill(path);
        if (id == QLatin1String("spark")) {
            QPainterPath small;
            small.addEllipse(QPointF(84, 18), 6, 6);
            small.addEllipse(QPointF(16, 84), 4, 4);
            fill(small);
        }
    } else if (id == QLatin1String("abc")) {
        QPainterPath t;
        t.addText(QPointF(6, 68), SkinFont(44, true), QStringLiteral("ABC"));
        fill(t);
        line(8, 84, 92, 84);
    } else if (id == QLatin1String("brush")) {
        // A writing brush: handle, ferrule and a tapering tip.
        p.save();
        p.translate(50, 50);
        p.rotate(40);
        p.drawRoundedRect(QRectF(-6, -46, 12, 46), 4, 4);
        QPainterPath ferrule;
        ferrule.addRect(QRectF(-9, 0, 18, 8));
        fill(ferrule);
        path.moveTo(-9, 8);
        path.cubicTo(-12, 24, -4, 38, 0, 48);
        path.cubicTo(4, 38, 12, 24, 9, 8);
        path.closeSubpath();
        fill(path);
        p.restore();
    } else if (id == QLatin1String("pen")) {
        path.moveTo(22, 82);
        path.lineTo(26, 64);
        path.lineTo(70, 20);
        path.lineTo(84, 34);
        path.lineTo(40, 78);
        path.closeSubpath();
        p.drawPath(path);
        line(62, 28, 76, 42);
        QPainterPath ink;
        ink.moveTo(14, 92);
        ink.cubicTo(36, 80, 50, 100, 88, 88);
        p.drawPath(ink);
    } else if (id == QLatin1String("hash")) {
        line(38, 14, 30, 86);
        line(68, 14, 60, 86);
        line(16, 36, 86, 36);
        line(12, 64, 82, 64);
    } else if (id == QLatin1String("list")) {
        for (int i = 0; i < 4; ++i) {
            QPainterPath dot;
            dot.addEllipse(QPointF(18, 22 + i * 19), 5, 5);
            fill(dot);
            line(32, 22 + i * 19, 88, 22 + i * 19);
        }
    } else if (id == QLatin1String("mic")) {
        p.drawRoundedRect(QRectF(36, 10, 28, 48), 14, 14);
        p.drawArc(QRectF(24, 26, 52, 46), 180 * 16, 180 * 16);
        line(50, 72, 50, 88);
        line(34, 90, 66, 90);
    } else if (id == QLatin1String("film")) {
        p.drawRoundedRect(QRectF(12, 24, 76, 54), 6, 6);
        for (int i = 0; i < 5; ++i) {
            QPainterPath hole;
            hole.addRect(QRectF(18 + i * 15, 30, 7, 6));
            hole.addRect(QRectF(18 + i * 15, 66, 7, 6));
            fill(hole);
        }
        QPainterPath play;
        play.moveTo(43, 42);
        play.lineTo(61, 51);
        play.lineTo(43, 60);
        play.closeSubpath();
        fill(play);
    } else if (id == QLatin1String("disc")) {
        p.drawEllipse(QPointF(50, 50), 38, 38);
        p.drawEllipse(QPointF(50, 50), 9, 9);
        p.drawArc(QRectF(24, 24, 52, 52), 30 * 16, 60 * 16);
        p.drawArc(QRectF(24, 24, 52, 52), 210 * 16, 60 * 16);
    } else if (id == QLatin1String("cup")) {
        path.moveTo(24, 16);
        path.lineTo(76, 16);
        path.lineTo(54, 50);
        path.lineTo(46, 50);
        path.closeSubpath();
        p.drawPath(path);
        line(50, 50, 50, 82);
        line(32, 86, 68, 86);
        QPainterPath drink;
        drink.moveTo(34, 26);
        drink.lineTo(66, 26);
        drink.lineTo(52, 46);
        drink.lineTo(48, 46);
        drink.closeSubpath();
        fill(drink);
    } else if (id == QLatin1String("speaker") || id == QLatin1String("volup") || id == QLatin1String("voldown") ||
               id == QLatin1String("mute")) {
        path.moveTo(12, 38);
        path.lineTo(30, 38);
        path.lineTo(52, 18);
        path.lineTo(52, 82);
        path.lineTo(30, 62);
        path.lineTo(12, 62);
        path.closeSubpath();
        fill(path);
        if (id == QLatin1String("speaker")) {
            p.drawArc(QRectF(50, 32, 20, 36), -60 * 16, 120 * 16);
            p.drawArc(QRectF(46, 18, 40, 64), -60 * 16, 120 * 16);
        } else if (id == QLatin1String("volup")) {
            line(62, 50, 90, 50);
            line(76, 36, 76, 64);
        } else if (id == QLatin1String("voldown")) {
            line(62, 50, 90, 50);
        } else {
            line(64, 36, 88, 64);
            line(88, 36, 64, 64);
        }
    } else if (id == QLatin1String("bell")) {
        path.moveTo(50, 14);
        path.cubicTo(24, 14, 26, 44, 24, 58);
        path.lineTo(14, 74);
        path.lineTo(86, 74);
        path.lineTo(76, 58);
        path.cubicTo(74, 44, 76, 14, 50, 14);
        p.drawPath(path);
        p.drawArc(QRectF(40, 74, 20, 16), 180 * 16, 180 * 16);
    } else if (id == QLatin1String("grid")) {
        for (int i = 0; i < 4; ++i)
            p.drawRoundedRect(QRectF(14 + (i % 2) * 40, 14 + (i / 2) * 40, 32, 32), 6, 6);
    } else if (id == QLatin1String("heart")) {
        path.moveTo(50, 86);
        path.cubicTo(10, 60, 6, 36, 20, 22);
        path.cubicTo(32, 10, 46, 16, 50, 28);
        path.cubicTo(54, 16, 68, 10, 80, 22);
        path.cubicTo(94, 36, 90, 60, 50, 86);
        fill(path);
    } else if (id == QLatin1String("rec")) {
        p.drawEllipse(QPointF(50, 50), 38, 38);
        QPainterPath dot;
        dot.addEllipse(QPointF(50, 50), 22, 22);
        p.fillPath(dot, QColor(255, 80, 80));
    } else if (id == QLatin1String("more")) {
        for (int i = 0; i < 3; ++i) {
            QPainterPath dot;
            dot.addEllipse(QPointF(22 + i * 28, 50), 9, 9);
            fill(dot);
        }
    } else if (id == QLatin1String("globe")) {
        p.drawEllipse(QPointF(50, 50), 38, 38);
        p.drawEllipse(QRectF(34, 12, 32, 76));
        line(12, 50, 88, 50);
        p.drawArc(QRectF(16, 10, 68, 30), 200 * 16, 140 * 16);
        p.drawArc(QRectF(16, 60, 68, 30), 20 * 16, 140 * 16);
    } else if (id == QLatin1String("home")) {
        path.moveTo(10, 50);
        path.lineTo(50, 14);
        path.lineTo(90, 50);
        p.drawPath(path);
        p.drawRect(QRectF(24, 48, 52, 38));
        p.drawRect(QRectF(42, 62, 16, 24));
    } else if (id == QLatin1String("back") || id == QLatin1String("prev")) {
        path.moveTo(44, 20);
        path.lineTo(14, 50);
        path.lineTo(44, 80);
        p.drawPath(path);
        if (id == QLatin1String("back")) {
            QPainterPath tail;
            tail.moveTo(16, 50);
            tail.lineTo(62, 50);
            tail.cubicTo(92, 50, 92, 86, 62, 86);
            p.drawPath(tail);
        } else {
            line(16, 50, 86, 50);
        }
    } else if (id == QLatin1String("next")) {
        path.moveTo(56, 20);
        path.lineTo(86, 50);
        path.lineTo(56, 80);
        p.drawPath(path);
        line(14, 50, 84, 50);
    } else if (id == QLatin1String("up")) {
        path.moveTo(20, 50);
        path.lineTo(50, 18);
        path.lineTo(80, 50);
        p.drawPath(path);
        line(50, 20, 50, 86);
    } else if (id == QLatin1String("skip")) {
        path.moveTo(12, 20);
        path.lineTo(48, 50);
        path.lineTo(12, 80);
        path.closeSubpath();
        path.moveTo(44, 20);
        path.lineTo(80, 50);
        path.lineTo(44, 80);
        path.closeSubpath();
        fill(path);
        p.fillRect(QRectF(80, 20, 9, 60), p.pen().color());
    } else if (id == QLatin1String("x")) {
        line(22, 22, 78, 78);
        line(78, 22, 22, 78);
    } else if (id == QLatin1String("refresh")) {
        p.drawArc(QRectF(16, 16, 68, 68), 60 * 16, 280 * 16);
        path.moveTo(64, 8);
        path.lineTo(80, 24);
        path.lineTo(58, 30);
        path.closeSubpath();
        fill(path);
    } else if (id == QLatin1String("lock")) {
        p.drawRoundedRect(QRectF(20, 44, 60, 44), 8, 8);
        p.drawArc(QRectF(32, 12, 36, 60), 0, 180 * 16);
        line(32, 42, 32, 44);
        line(68, 42, 68, 44);
        QPainterPath hole;
        hole.addEllipse(QPointF(50, 64), 6, 6);
        fill(hole);
    } else if (id == QLatin1String("power")) {
        p.drawArc(QRectF(16, 18, 68, 68), 120 * 16, 300 * 16);
        line(50, 10, 50, 48);
    } else if (id == QLatin1String("video")) {
        p.drawRoundedRect(QRectF(10, 28, 58, 44), 8, 8);
        path.moveTo(68, 44);
        path.lineTo(90, 30);
        path.lineTo(90, 70);
        path.lineTo(68, 56);
        path.closeSubpath();
        fill(path);
    } else if (id == QLatin1String("plus")) {
        line(50, 16, 50, 84);
        line(16, 50, 84, 50);
    } else if (id == QLatin1String("check")) {
        path.moveTo(16, 52);
        path.lineTo(40, 76);
        path.lineTo(86, 24);
        p.drawPath(path);
    } else if (id == QLatin1String("search")) {
        p.drawEllipse(QPointF(42, 42), 26, 26);
        line(62, 62, 88, 88);
    } else if (id == QLatin1String("ruler")) {
        p.drawRoundedRect(QRectF(8, 34, 84, 32), 4, 4);
        for (int i = 0; i < 7; ++i)
            line(18 + i * 11, 34, 18 + i * 11, i % 2 ? 44 : 52);
    } else if (id == QLatin1String("flag")) {
        line(22, 10, 22, 90);
        path.moveTo(24, 14);
        path.cubicTo(44, 4, 56, 28, 82, 16);
        path.lineTo(82, 50);
        path.cubicTo(56, 62, 44, 38, 24, 48);
        path.closeSubpath();
        fill(path);
    } else if (id == QLatin1String("bill")) {
        path.moveTo(22, 10);
        path.lineTo(78, 10);
        path.lineTo(78, 90);
        path.lineTo(68, 82);
        path.lineTo(58, 90);
        path.lineTo(50, 82);
        path.lineTo(42, 90);
        path.lineTo(32, 82);
        path.lineTo(22, 90);
        path.closeSubpath();
        p.drawPath(path);
        line(34, 30, 66, 30);
        line(34, 46, 66, 46);
        line(34, 62, 54, 62);
    } else if (id == QLatin1String("play")) {
        path.moveTo(28, 16);
        path.lineTo(84, 50);
        path.lineTo(28, 84);
        path.closeSubpath();
        fill(path);
    } else if (id == QLatin1String("stopsq")) {
        path.addRoundedRect(QRectF(20, 20, 60, 60), 8, 8);
        fill(path);
    } else if (id == QLatin1String("flower")) {
        for (int i = 0; i < 5; ++i) {
            const double a = i * 2 * kPi / 5 - kPi / 2;
            QPainterPath petal;
            petal.addEllipse(QPointF(50 + 20 * std::cos(a), 40 + 20 * std::sin(a)), 14, 14);
            p.fillPath(petal, QColor(255, 150, 200));
        }
        QPainterPath middle;
        middle.addEllipse(QPointF(50, 40), 10, 10);
        p.fillPath(middle, QColor(255, 220, 80));
        line(50, 62, 50, 94);
        p.drawArc(QRectF(50, 66, 30, 20), 90 * 16, 90 * 16);
    } else if (id == QLatin1String("thumbdown")) {
        path.moveTo(30, 14);
        path.lineTo(74, 14);
        path.lineTo(86, 54);
        path.lineTo(56, 54);
        path.lineTo(60, 82);
        path.cubicTo(58, 92, 46, 90, 44, 80);
        path.lineTo(30, 56);
        path.closeSubpath();
        p.drawPath(path);
        p.drawRect(QRectF(10, 14, 14, 42));
    } else if (id == QLatin1String("clap")) {
        // Two hands meeting, with motion lines above.
        for (const double angle : {-22.0, 22.0}) {
            p.save();
            p.translate(angle < 0 ? 38 : 62, 62);
            p.rotate(angle);
            p.drawRoundedRect(QRectF(-13, -30, 26, 52), 12, 12);
            p.restore();
        }
        line(30, 10, 36, 22);
        line(50, 4, 50, 18);
        line(70, 10, 64, 22);
    } else if (id == QLatin1String("cake")) {
        p.drawRoundedRect(QRectF(14, 48, 72, 40), 6, 6);
        line(14, 64, 86, 64);
        for (int i = 0; i < 3; ++i) {
            line(30 + i * 20, 32, 30 + i * 20, 46);
            QPainterPath flame;
            flame.addEllipse(QPointF(30 + i * 20, 24), 4, 7);
            p.fillPath(flame, QColor(255, 200, 60));
        }
    } else if (id.startsWith(QLatin1String("stroke"))) {
        // The five stroke classes as brush strokes.
        QPen pen = p.pen();
        pen.setWidthF(14);
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        const int n = id.mid(6).toInt();
        if (n == 1) {
            line(14, 50, 86, 46);
        } else if (n == 2) {
            line(50, 10, 50, 90);
        } else if (n == 3) {
            path.moveTo(70, 12);
            path.cubicTo(60, 50, 44, 72, 16, 88);
            p.drawPath(path);
        } else if (n == 4) {
            path.moveTo(22, 16);
            path.cubicTo(40, 48, 60, 72, 88, 84);
            p.drawPath(path);
        } else {
            path.moveTo(16, 24);
            path.lineTo(80, 24);
            path.lineTo(70, 86);
            p.drawPath(path);
        }
    } else {
        p.drawEllipse(QPointF(50, 50), 30, 30);
    }
}

void PaintTile(QPainter& p, const TSkinControl& c, bool hover)
{
    const QRectF full(c.rect);
    const QRectF r = hover ? full.adjusted(1, 1, -1, -1) : full.adjusted(5, 5, -5, -5);
    const double radius = std::min(20.0, r.height() / 5);
    // A soft drop shadow below the resting tile.
    if (!hover) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 90));
        p.drawRoundedRect(r.translated(0, 4), radius, radius);
    }
    Glossy(p, r, radius, c.accent.isValid() ? c.accent : QColor(92, 107, 192), hover);
    const double captionH = std::max(30.0, r.height() * 0.3);
    const double iconSize = std::min(r.width() * 0.46, r.height() - captionH - 18);
    const QRectF icon(r.center().x() - iconSize / 2, r.top() + (r.height() - captionH - iconSize) / 2 + 4, iconSize,
                      iconSize);
    if (!c.icon.isEmpty())
        DrawIcon(p, c.icon, icon, QColor(255, 255, 255, hover ? 255 : 235));
    FitText(p, QRectF(r.left() + 6, r.bottom() - captionH - 6, r.width() - 12, captionH), c.caption, c.fontPx,
            Qt::white, true);
}

void PaintPill(QPainter& p, const TSkinControl& c, bool hover)
{
    const QRectF full(c.rect);
    const QRectF r = hover ? full.adjusted(1, 1, -1, -1) : full.adjusted(3, 3, -3, -3);
    Glossy(p, r, r.height() / 2, c.accent.isValid() ? c.accent : QColor(92, 107, 192), hover);
    const double iconSize = r.height() * 0.56;
    double textLeft = r.left() + r.height() * 0.4;
    if (!c.icon.isEmpty()) {
        DrawIcon(p, c.icon, QRectF(r.left() + r.height() * 0.3, r.center().y() - iconSize / 2, iconSize, iconSize),
                 Qt::white);
        textLeft = r.left() + r.height() * 0.3 + iconSize + 4;
    }
    FitText(p, QRectF(textLeft, r.top(), r.right() - textLeft - r.height() * 0.3, r.height()), c.caption, c.fontPx,
            Qt::white, true);
}

void PaintKey(QPainter& p, const TSkinControl& c, bool hover)
{
    const QRectF r = QRectF(c.rect).adjusted(2, 2, -2, -2);
    if (hover) {
        Glossy(p, r, 10, QColor(236, 64, 122), true);
    } else {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, QColor(255, 255, 255, 52));
        g.setColorAt(1, QColor(255, 255, 255, 18));
        p.setPen(QPen(QColor(255, 255, 255, 90), 1.2));
        p.setBrush(g);
        p.drawRoundedRect(r, 10, 10);
    }
    FitText(p, r, c.caption, std::min<double>(c.caption.size() > 1 ? 20 : 26, r.height() * 0.55), Qt::white, true);
}

void PaintRound(QPainter& p, const TSkinControl& c, bool hover)
{
    const QRectF r = QRectF(c.rect).adjusted(2, 2, -2, -2);
    const QColor accent = c.accent.isValid() ? c.accent : QColor(92, 107, 192);
    if (hover) {
        Glossy(p, r, 12, accent, true);
    } else {
        p.setPen(QPen(WithAlpha(accent.lighter(130), 220), 2));
        p.setBrush(WithAlpha(accent.darker(200), 150));
        p.drawRoundedRect(r, 12, 12);
    }
    if (c.showCaption)
        return; // the program writes the caption over the face
    const double icon = r.height() * 0.5;
    DrawIcon(p, c.icon, QRectF(r.left() + 8, r.center().y() - icon / 2, icon, icon), Qt::white);
    DrawText(p, QRectF(r.left() + 10 + icon, r.top(), r.width() - icon - 14, r.height()), c.caption, 15, Qt::white, 2,
             true);
}

void PaintBar(QPainter& p, const TSkinControl& c, bool hover)
{
    const QRectF r(c.rect);
    const QColor accent = c.accent.isValid() ? c.accent : QColor(92, 107, 192);
    const QRectF circle(r.center().x() - 21, r.top() + 3, 42, 42);
    if (hover) {
        p.setPen(Qt::NoPen);
        p.setBrush(WithAlpha(QColor(255, 255, 255), 40));
        p.drawRoundedRect(r.adjusted(1, 0, -1, -1), 10, 10);
        QRadialGradient g(circle.center(), 24);
        g.setColorAt(0, accent.lighter(170));
        g.setColorAt(1, accent);
        p.setBrush(g);
        p.setPen(QPen(Qt::white, 2));
        p.drawEllipse(circle);
    } else {
        p.setPen(QPen(WithAlpha(accent.lighter(150), 200), 1.5));
        p.setBrush(WithAlpha(accent.darker(150), 200));
        p.drawEllipse(circle);
    }
    DrawIcon(p, c.icon, circle.adjusted(10, 10, -10, -10), Qt::white);
    DrawText(p, QRectF(r.left() - 2, r.top() + 46, r.width() + 4, 22), c.caption, c.fontPx,
             hover ? QColor(255, 230, 120) : Qt::white, 2, hover);
}

void PaintCell(QPainter& p, const TSkinControl& c, bool hover)
{
    const QRectF r = QRectF(c.rect).adjusted(1.5, 1.5, -1.5, -1.5);
    const double radius = std::min(12.0, r.height() / 3);
    if (hover) {
        Glossy(p, r, radius, QColor(171, 71, 188), true);
    } else {
        p.setPen(QPen(QColor(255, 255, 255, 70), 1.2));
        p.setBrush(QColor(255, 255, 255, 26));
        p.drawRoundedRect(r, radius, radius);
    }
    if (!c.showCaption && !c.caption.isEmpty())
        FitText(p, r, c.caption, c.fontPx, Qt::white, true);
}

} // namespace

QString SkinFontFamily()
{
    static const QString family = [] {
        const QString wanted = QStringLiteral("WenQuanYi Zen Hei");
        if (QFontDatabase::families().contains(wanted))
            return wanted;
        const int id =
            QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"));
        const QStringList loaded = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
        return loaded.isEmpty() ? wanted : loaded.first();
    }();
    return family;
}

QFont SkinFont(double pixelSize, bool bold)
{
    QFont font(SkinFontFamily());
    font.setPixelSize(std::max(6, static_cast<int>(std::lround(pixelSize))));
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void DrawIcon(QPainter& p, const QString& icon, const QRectF& box, const QColor& colour)
{
    if (icon.isEmpty() || box.width() <= 0)
        return;
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 100.0, box.height() / 100.0);
    QPen pen(colour, 7);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    IconPath(p, icon);
    p.restore();
}

QImage PaintScreenBase(const TSkinScreen& screen, double scale)
{
    const QSizeF design = screen.popup ? QSizeF(screen.popupRect.size()) : QSizeF(1024, 768);
    // The same rounding as the rectangles in buttons.xml, so the picture fits its screen exactly.
    const QSize size = ScaleRect(screen.popup ? screen.popupRect : QRect(0, 0, 1024, 768), scale).size();
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(scale, scale);
    if (screen.popup) {
        PopupFrame(p, design, screen);
    } else {
        Backdrop(p, QRectF(0, 0, 1024, 768), screen.name);
        Banner(p, screen);
        BottomBar(p);
    }
    for (const TSkinDecor& d : screen.decor)
        Decor(p, d);
    return image;
}

void PaintFace(QPainter& p, const TSkinControl& c, bool hover)
{
    p.save();
    switch (c.face) {
    case TFace::Tile:
        PaintTile(p, c, hover);
        break;
    case TFace::Pill:
        PaintPill(p, c, hover);
        break;
    case TFace::Key:
        PaintKey(p, c, hover);
        break;
    case TFace::Round:
        PaintRound(p, c, hover);
        break;
    case TFace::Bar:
        PaintBar(p, c, hover);
        break;
    case TFace::Cell:
        PaintCell(p, c, hover);
        break;
    case TFace::Photo: {
        const QRectF r = QRectF(c.rect).adjusted(-4, -4, 4, 4);
        p.setPen(QPen(QColor(255, 255, 255, 150), 2));
        p.setBrush(QColor(0, 0, 0, 120));
        p.drawRoundedRect(r, 8, 8);
        break;
    }
    case TFace::Pad: {
        const QRectF r(c.rect);
        p.setPen(QPen(QColor(255, 200, 60, 200), 2));
        p.setBrush(QColor(0, 0, 0, 130));
        p.drawRoundedRect(r, 10, 10);
        QPen dash(QColor(255, 255, 255, 50), 1.2, Qt::DashLine);
        p.setPen(dash);
        p.drawLine(QPointF(r.center().x(), r.top() + 10), QPointF(r.center().x(), r.bottom() - 10));
        p.drawLine(QPointF(r.left() + 10, r.center().y()), QPointF(r.right() - 10, r.center().y()));
        p.drawLine(r.topLeft() + QPointF(14, 14), r.bottomRight() - QPointF(14, 14));
        p.drawLine(r.topRight() + QPointF(-14, 14), r.bottomLeft() + QPointF(14, -14));
        DrawText(p, QRectF(r.left() + 10, r.bottom() - 34, r.width() - 20, 28), c.caption, 16,
                 QColor(255, 255, 255, 90), 1);
        break;
    }
    case TFace::ValueBox: {
        // Left or right aligned values get a margin inside the box.
        const double margin = c.align == 2 ? 0 : 8;
        const QRectF r = QRectF(c.rect).adjusted(1 - margin, 1, margin - 1, -1);
        p.setPen(QPen(QColor(255, 255, 255, 60), 1.2));
        p.setBrush(QColor(0, 0, 0, 120));
        p.drawRoundedRect(r, 10, 10);
        p.setPen(QPen(QColor(0, 0, 0, 90), 2));
        p.drawLine(r.topLeft() + QPointF(10, 2), r.topRight() + QPointF(-10, 2));
        break;
    }
    case TFace::None:
        break;
    }
    p.restore();
}

QImage PaintFocusFrame()
{
    QImage image(133, 112, QImage::Format_RGB32);
    const QColor key(255, 0, 255);
    image.fill(key);
    QPainter p(&image);
    // No smoothing: every pixel is either the transparent colour or frame.
    p.setRenderHint(QPainter::Antialiasing, false);
    const QRect outer(3, 3, 126, 105);
    const QColor gold(255, 200, 60), white(255, 246, 210), pink(236, 64, 160);
    p.setPen(Qt::NoPen);
    QPainterPath ring;
    ring.addRoundedRect(outer, 16, 16);
    QPainterPath inner;
    inner.addRoundedRect(outer.adjusted(7, 7, -7, -7), 11, 11);
    p.fillPath(ring.subtracted(inner), gold);
    QPainterPath line;
    line.addRoundedRect(outer.adjusted(2, 2, -2, -2), 14, 14);
    QPainterPath lineInner;
    lineInner.addRoundedRect(outer.adjusted(4, 4, -4, -4), 12, 12);
    p.fillPath(line.subtracted(lineInner), white);
    // Corner sparks.
    for (const QPoint c : {outer.topLeft(), outer.topRight(), outer.bottomLeft(), outer.bottomRight()}) {
        QPainterPath spark;
        spark.moveTo(c + QPoint(0, -3));
        spark.lineTo(c + QPoint(3, 0));
        spark.lineTo(c + QPoint(0, 3));
        spark.lineTo(c + QPoint(-3, 0));
        spark.closeSubpath();
        p.fillPath(spark, pink);
    }
    p.end();
    // The bottom-left pixel must stay the transparent colour.
    image.setPixelColor(0, image.height() - 1, key);
    return image;
}
