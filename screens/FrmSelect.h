#pragma once
// TFrmSelect: the ordered-songs screen (skin node frmorder). It lists the
// room's play queue a page at a time and lets the guest move a song to the
// front, delete it, swap two songs by dragging one title onto another, save a
// song into the favourites or jump to a singer's songs. It redraws the queue
// every 3 seconds, so songs the player finishes or other screens order show
// up by themselves.
#include "ui/KVFormXML.h"

#include <QPointer>

class QTimer;
class TItemList;
class TSubTitle;

class TFrmSelect : public TKVFormXML
{
    Q_OBJECT
public:
    explicit TFrmSelect(QWidget* parent = nullptr);
    ~TFrmSelect() override;

    void Build(const QDomElement& node = QDomElement()) override;
    void FormKeyDown(int& key) override;

    void Timer1Timer();
    void TimerMsgTimer();
    void SingerClick(TSubTitle* label);
    void FirstClick(TSubTitle* label);
    void DeleteClick(TSubTitle* label);
    void MyLoveClick(TSubTitle* label);
    // Every drop on a queue label is accepted.
    bool LabelDragOver(TSubTitle* target, TSubTitle* source);
    // Swaps the queue places (Num) of the dragged row's and the target row's entries.
    void LabelDragDrop(TSubTitle* target, TSubTitle* source);
    void FormDestroy();

    QPointer<TSubTitle> m_pMsg;
    QPointer<TSubTitle> m_pRoomName;
    TItemList* m_pList = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* TimerMsg = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The row actions; each chooses the focused row first.
    void DeleteFocused();
    void MoveFocusedToFront();
    void SaveFocused();
    // Chooses a row; true when it holds an entry (it is then current).
    bool ChooseRow(int row);
    // A row button: focus its row, then run the action after the click.
    void RowButton(TSubTitle* label, void (TFrmSelect::*action)());
    void BindLabels(TItemList* list);
    void ShowRowButtons();
    void MakeDraggable(TSubTitle* label);

    // The drag in progress: the label pressed and where.
    QPointer<TSubTitle> m_pDragSource;
    QPoint m_pDragStart;
    bool m_bDragging = false;
};
