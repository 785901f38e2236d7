#pragma once
// TFrmRecord: the record screen. Keys 1 to 4 start a recording of the
// playing song, stop it (or its playback), play the last recording back and
// send it to be burnt to disc; the buttons "record", "stop" and "play" are
// enabled only while they can act, looked at again after every key and
// every second.
#include "playback/OverlayScreen.h"

#include <QPointer>

class QTimer;
class TSubTitle;

class TFrmRecord : public TOverlayScreen
{
    Q_OBJECT
public:
    explicit TFrmRecord(QWidget* parent = nullptr);

    void Build(const QDomElement& node = QDomElement()) override;
    void FormKeyDown(int& key) override;
    // Enables the three buttons as the room's state allows.
    void RefreshButtons();

    QTimer* btnTimer = nullptr;
    QPointer<TSubTitle> m_pRecord, m_pStop, m_pPlay;

    static constexpr int kRefreshMs = 1000;

protected:
    void ShowOrdinary() override;
};
