#pragma once
// Characters written as a guest writes them: the stroke medians of a few
// characters (tests/screens/handwriting/medians.txt), placed into any
// rectangle, and drawn with presses, moves and releases on a window.
#include "support/GuestInput.h"

#include <QFile>
#include <QHash>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <cmath>

namespace ink {

// Strokes of one character in the 1024 x 1024 box of the data file.
using Strokes = QList<QList<QPoint>>;

inline QHash<QString, Strokes> LoadMedians(const QString& path)
{
    QHash<QString, Strokes> out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return out;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList parts = line.split(QLatin1Char('\t'));
        if (parts.size() != 2)
            continue;
        Strokes strokes;
        for (const QString& stroke : parts[1].split(QLatin1Char('|'))) {
            QList<QPoint> points;
            for (const QString& pair : stroke.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                const QStringList xy = pair.split(QLatin1Char(','));
                if (xy.size() == 2)
                    points.append(QPoint(xy[0].toInt(), xy[1].toInt()));
            }
            strokes.append(points);
        }
        out.insert(parts[0], strokes);
    }
    return out;
}

// The test data of the source tree (VOD_SOURCE_DIR).
inline const QHash<QString, Strokes>& Medians()
{
    static const QHash<QString, Strokes> medians =
        LoadMedians(qEnvironmentVariable("VOD_SOURCE_DIR") + QStringLiteral("/tests/screens/handwriting/medians.txt"));
    return medians;
}

// The strokes moved and scaled from the data's box into the rectangle (a
// square box of the rectangle's smaller side, centred in it).
inline QList<QList<QPoint>> Place(const Strokes& strokes, const QRect& area)
{
    const double side = std::min(area.width(), area.height());
    const double left = area.left() + (area.width() - side) / 2, top = area.top() + (area.height() - side) / 2;
    QList<QList<QPoint>> out;
    for (const QList<QPoint>& stroke : strokes) {
        QList<QPoint> points;
        for (const QPoint& p : stroke)
            points.append(
                QPoint(int(std::lround(left + p.x() * side / 1024.0)), int(std::lround(top + p.y() * side / 1024.0))));
        out.append(points);
    }
    return out;
}

// Draws the strokes (in the coordinates of `on`) as a pen does: pressed at
// the first point, moved in small steps through the others, released at the
// last, each event at the window under the pointer.
inline void Draw(QWidget* on, const QList<QList<QPoint>>& strokes, int step = 6)
{
    QWidget* window = on->window();
    for (const QList<QPoint>& stroke : strokes) {
        if (stroke.isEmpty())
            continue;
        const auto at = [&](QPoint p) { return on->mapTo(window, p); };
        guest::Press(window, at(stroke.first()));
        QPoint last = stroke.first();
        for (qsizetype i = 1; i < stroke.size(); ++i) {
            const QPoint to = stroke[i];
            const int n = std::max(1, int(std::hypot(to.x() - last.x(), to.y() - last.y()) / step));
            for (int k = 1; k <= n; ++k)
                guest::Move(window, at(last + (to - last) * k / n));
            last = to;
        }
        guest::Release(window, at(last));
    }
}

} // namespace ink
