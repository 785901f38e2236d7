#pragma once
// TFrmSing: the sung-songs screen (skin node sing). It lists the songs
// already sung in the room; choosing one (or its re-order button) puts it
// back at the end of the play queue. A song can also be saved into the
// favourites, or its singer's songs shown. It redraws every 3 seconds.
#include "ui/KVFormXML.h"

#include <QPointer>

class QTimer;
class TItemList;
class TSubTitle;

class TFrmSing : public TKVFormXML
{
    Q_OBJECT
public:
    explicit TFrmSing(QWidget* parent = nullptr);
    ~TFrmSing() override;

    void Build(const QDomElement& node = QDomElement()) override;
    void FormKeyDown(int& key) override;

    void Timer1Timer();
    void TimerMsgTimer();
    // The list's row handler: the chosen sung entry is queued again, last.
    void OnClick();
    void ReOrderClick(TSubTitle* label);
    void MyloveClick(TSubTitle* label);
    void SingerClick(TSubTitle* label);
    void FormDestroy();

    QPointer<TSubTitle> m_pMsg;
    TItemList* m_pList = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* TimerMsg = nullptr;

private:
    void BindLabels(TItemList* list);
    void SetMessage(const QString& text);
};
