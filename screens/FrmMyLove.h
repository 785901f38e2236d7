#pragma once
// TFrmMyLove: the favourites list (skin node frmmylove). It shows the songs
// the signed-in user keeps, by singer and name, a page at a time; choosing
// one orders it, a row's delete button (or DELSONG on the focused row)
// removes it from the favourites, and POINT signs the user out. The list is
// read again every 3 seconds, keeping page and focus, so songs saved from
// other screens appear and queued songs show their mark.
#include "ui/KVFormXML.h"

#include <QPointer>

class QTimer;
class TItemList;
class TSubTitle;

class TFrmMyLove : public TKVFormXML
{
    Q_OBJECT
public:
    explicit TFrmMyLove(QWidget* parent = nullptr);
    ~TFrmMyLove() override;

    void Build(const QDomElement& node = QDomElement()) override;
    void FormKeyDown(int& key) override;

    // The list's row handler: orders the chosen favourite.
    void OrderClick();
    // A row's delete button: removes that row's song from the favourites.
    void DeleteClick(TSubTitle* label);
    void TimerMsgTimer();
    void FormDestroy();

    QPointer<TSubTitle> m_pTitle, m_pRoomName;
    TItemList* m_pList = nullptr;
    QTimer* TimerMsg = nullptr;

private:
    void BindLabels(TItemList* list);
    // Reads the user's favourites again and shows how many there are.
    void LoadList();
    void DeleteRow(int row);
    void SignOut();
};
