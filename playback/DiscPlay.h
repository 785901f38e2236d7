#pragma once
// Plays a guest's disc for the other functions screen: a DVD's title file
// goes straight to the player; otherwise every video of the disc is queued
// as a disc title and the ordered-songs screen opens with the number of
// titles shown; no drive or nothing found is said on the message screen.
//
// The disc is searched on a worker thread, so the station keeps answering
// touches and keys meanwhile; the titles are then appended on the GUI thread
// in slices of at most 20 ms. A failure half-way keeps the titles already
// queued (and says how many). One disc at a time: a second press while a
// disc is handled is ignored.
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>

class TReadDisc;

class TDiscPlay : public QObject
{
    Q_OBJECT
public:
    // Starts playing the disc; the ordered-songs key is delivered to screen
    // while it is open (else to the station-wide key handling). False when a
    // search is already running.
    static bool Start(QWidget* screen);
    // The search that is running, or null.
    static TDiscPlay* Running();
    ~TDiscPlay() override;

signals:
    // The disc has been handled: the titles queued (1 for a DVD, 0 when
    // nothing was found or there is no drive).
    void Finished(int count);

private:
    explicit TDiscPlay(QWidget* screen);
    void Searched();
    // Queues the next slice of titles; when all are queued, tells the guest.
    void AppendSlice();
    void Finish(int count);

    QPointer<QWidget> m_pScreen;
    std::shared_ptr<TReadDisc> m_pDisc;
    QString m_sDvdTitle;
    bool m_bDrive = true;
    int m_nCount = 0;
};
