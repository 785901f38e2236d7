#pragma once
// TFrmMsg: the message screen. Short feedback for the guest ("下单成功!", a
// failed waiter call) on a small skinned screen that closes itself after
// three seconds or at the first key press or mouse release on it; that key
// or click does nothing else. A second message while it is open replaces its
// text and shows for three seconds from then.
#include "ui/KVFormXML.h"
#include "ui/StationScreens.h"

#include <QPointer>

class QTimer;
class TSubTitle;

class TFrmMsg : public TKVFormXML, public IMessageScreen
{
    Q_OBJECT
public:
    explicit TFrmMsg(QWidget* parent = nullptr);

    void Build(const QDomElement& node = QDomElement()) override;
    void FormKeyDown(int& key) override;
    // IMessageScreen: the text in Msg, the three seconds counted anew.
    void SetMessage(const QString& text) override;

    // Closes the screen 3000 ms after it was created.
    QTimer* Timer1 = nullptr;
    QPointer<TSubTitle> m_pMsg;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

constexpr int kMessageShowMs = 3000;
