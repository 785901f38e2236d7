#pragma once
// Handwritten Chinese characters recognised with zinnia: a model file of
// character classes, and the ink of one character (its strokes, each the
// points the pen passed in order) classified into the best candidates.
//
// Ink comes in the coordinates of whatever it was written on. Before it is
// classified it is moved and scaled into the square box the model's
// characters were written in, so a character gives the same candidates
// wherever on the pad and at whatever size the guest writes it.
#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <memory>

using TInkStroke = QList<QPointF>;
using TInk = QList<TInkStroke>;

// The ink moved and scaled into the box [0, box] x [0, box]: its bounding
// box, kept in its proportions, is centred in the square and fills it but
// for a margin of 20 % on each side. A long thin character (一, 丨) stays
// long and thin; a dot stays a dot in the middle. Each stroke is resampled
// at even steps and slightly smoothed first, so the pen's tremor and the
// pointer's sampling rate do not matter. Empty strokes are dropped.
TInk NormaliseInk(const TInk& ink, double box);

class THandwritingModel
{
public:
    THandwritingModel();
    ~THandwritingModel();
    THandwritingModel(const THandwritingModel&) = delete;
    THandwritingModel& operator=(const THandwritingModel&) = delete;

    // Opens the model file. False when it is missing or not a model;
    // ErrorText() then says why.
    bool Open(const QString& path);
    bool IsOpen() const;
    QString ErrorText() const;
    // The number of characters the model knows (0 when not open).
    int Classes() const;

    // The best candidates for the ink, best first, at most count of them.
    // Empty when the model is not open or the ink holds no point.
    QStringList Classify(const TInk& ink, int count) const;
    // The same for ink taken as it is, in a box of that size (no moving or
    // scaling).
    QStringList ClassifyInBox(const TInk& ink, int width, int height, int count) const;

    // Debian's Simplified Chinese model.
    static QString DefaultPath();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
