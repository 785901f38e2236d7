#include "platform/handwriting/HandwritingModel.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <zinnia.h>

namespace {

// The side of the square the ink is classified in, and the share of it left
// free on each side.
constexpr double kBox = 1000;
constexpr double kMargin = 0.20;
// Before scaling, each stroke is resampled at even steps of this share of
// the character's larger side and each point is averaged with kSmooth
// neighbours on either side. The tremor of a finger and the pointer's
// sampling rate then make no corners the recognizer would take for the
// turns of a stroke; the shape of the character stays.
constexpr double kStep = 0.015;
constexpr int kSmooth = 2;

TInkStroke Resampled(const TInkStroke& stroke, double step)
{
    TInkStroke out{stroke.first()};
    // The length of the path walked since the last point taken.
    double walked = 0;
    for (qsizetype i = 1; i < stroke.size(); ++i) {
        const QPointF from = stroke[i - 1], to = stroke[i];
        const double length = std::hypot(to.x() - from.x(), to.y() - from.y());
        double at = step - walked;
        for (; at <= length; at += step)
            out.append(from + (to - from) * (at / length));
        walked = length - (at - step);
    }
    if (out.last() != stroke.last())
        out.append(stroke.last());
    return out;
}

TInkStroke Smoothed(const TInkStroke& stroke, int reach)
{
    const qsizetype n = stroke.size();
    if (n < 3 || reach <= 0)
        return stroke;
    // The ends stay where the pen went down and came up.
    TInkStroke out{stroke.first()};
    for (qsizetype i = 1; i + 1 < n; ++i) {
        QPointF sum;
        for (qsizetype k = i - reach; k <= i + reach; ++k)
            sum += stroke[std::clamp<qsizetype>(k, 0, n - 1)];
        out.append(sum / double(2 * reach + 1));
    }
    out.append(stroke.last());
    return out;
}

} // namespace

TInk NormaliseInk(const TInk& ink, double box)
{
    double left = 0, top = 0, right = 0, bottom = 0;
    bool any = false;
    for (const TInkStroke& stroke : ink) {
        for (const QPointF& p : stroke) {
            if (!any) {
                left = right = p.x();
                top = bottom = p.y();
                any = true;
            }
            left = std::min(left, p.x());
            right = std::max(right, p.x());
            top = std::min(top, p.y());
            bottom = std::max(bottom, p.y());
        }
    }
    TInk out;
    if (!any)
        return out;
    // Both directions are scaled alike: a flat 四 stays flat and a tall 目
    // tall, as the model's characters are.
    const double extent = std::max({right - left, bottom - top, 1e-6});
    const double scale = box * (1 - 2 * kMargin) / extent;
    const double cx = (left + right) / 2, cy = (top + bottom) / 2;
    for (const TInkStroke& stroke : ink) {
        if (stroke.isEmpty())
            continue;
        const TInkStroke even = Smoothed(Resampled(stroke, extent * kStep), kSmooth);
        TInkStroke moved;
        moved.reserve(even.size());
        for (const QPointF& p : even)
            moved.append(QPointF(box / 2 + (p.x() - cx) * scale, box / 2 + (p.y() - cy) * scale));
        out.append(moved);
    }
    return out;
}

struct THandwritingModel::Impl
{
    std::unique_ptr<zinnia::Recognizer> recognizer;
    std::unique_ptr<zinnia::Character> character;
    QString error;
};

THandwritingModel::THandwritingModel() : d(std::make_unique<Impl>()) {}

THandwritingModel::~THandwritingModel() = default;

QString THandwritingModel::DefaultPath()
{
    return QStringLiteral("/usr/share/tegaki/models/zinnia/handwriting-zh_CN.model");
}

bool THandwritingModel::Open(const QString& path)
{
    d->recognizer.reset();
    d->error.clear();
    if (!QFileInfo(path).isFile()) {
        d->error = QStringLiteral("handwriting model %1 not found").arg(path);
        return false;
    }
    std::unique_ptr<zinnia::Recognizer> recognizer(zinnia::Recognizer::create());
    if (!recognizer || !recognizer->open(QFile::encodeName(path).constData())) {
        const QString why = recognizer ? QString::fromUtf8(recognizer->what()) : QString();
        d->error = QStringLiteral("handwriting model %1 cannot be read: %2").arg(path, why);
        return false;
    }
    if (recognizer->size() == 0) {
        d->error = QStringLiteral("handwriting model %1 holds no characters").arg(path);
        return false;
    }
    d->recognizer = std::move(recognizer);
    d->character.reset(zinnia::Character::create());
    return true;
}

bool THandwritingModel::IsOpen() const
{
    return d->recognizer != nullptr;
}

QString THandwritingModel::ErrorText() const
{
    return d->error;
}

int THandwritingModel::Classes() const
{
    return d->recognizer ? int(d->recognizer->size()) : 0;
}

QStringList THandwritingModel::Classify(const TInk& ink, int count) const
{
    return ClassifyInBox(NormaliseInk(ink, kBox), int(kBox), int(kBox), count);
}

QStringList THandwritingModel::ClassifyInBox(const TInk& ink, int width, int height, int count) const
{
    QStringList out;
    if (!d->recognizer || count <= 0 || width <= 0 || height <= 0)
        return out;
    zinnia::Character& character = *d->character;
    character.clear();
    character.set_width(size_t(width));
    character.set_height(size_t(height));
    size_t id = 0;
    for (const TInkStroke& stroke : ink) {
        if (stroke.isEmpty())
            continue;
        for (const QPointF& p : stroke)
            character.add(id, int(std::lround(p.x())), int(std::lround(p.y())));
        ++id;
    }
    if (id == 0)
        return out;
    std::unique_ptr<zinnia::Result> result(d->recognizer->classify(character, size_t(count)));
    if (!result)
        return out;
    for (size_t i = 0; i < result->size(); ++i)
        out.append(QString::fromUtf8(result->value(i)));
    return out;
}
