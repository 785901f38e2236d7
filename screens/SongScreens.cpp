#include "screens/SongScreens.h"

#include "catalogue/FrmData.h"
#include "core/Exception.h"
#include "core/Setting.h"
#include "platform/db/DataSet.h"
#include "screens/FrmLove.h"
#include "screens/FrmMyLove.h"
#include "screens/FrmNumber.h"
#include "screens/FrmOCR.h"
#include "screens/FrmPY.h"
#include "screens/FrmRepair.h"
#include "screens/FrmSelect.h"
#include "screens/FrmSing.h"
#include "screens/FrmSinger.h"
#include "screens/FrmSong.h"
#include "screens/FrmStorke.h"
#include "screens/RowLabels.h"
#include "ui/ItemList.h"
#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"
#include "ui/SubTitle.h"
#include "ui/UiHooks.h"
#include "ui/UiStation.h"

void RegisterSongScreens()
{
    // Registering again replaces a factory by the same one: harmless.
    RegisterScreenFactory(QStringLiteral("frmsong"), [] { return new TFrmSong(); });
    RegisterScreenFactory(QStringLiteral("frmorder"), [] { return new TFrmSelect(); });
    RegisterScreenFactory(QStringLiteral("sing"), [] { return new TFrmSing(); });
    RegisterScreenFactory(QStringLiteral("frmsinger"), [] { return new TFrmSinger(); });
    RegisterScreenFactory(QStringLiteral("frmsingerlist"), [] { return new TFrmSinger(); });
    RegisterScreenFactory(QStringLiteral("storke"), [] { return new TFrmStorke(); });
    RegisterScreenFactory(QStringLiteral("songbypy"), [] { return new TFrmPY(); });
    RegisterScreenFactory(QStringLiteral("singerbypy"), [] { return new TFrmPY(); });
    RegisterScreenFactory(QStringLiteral("number"), [] { return new TFrmNumber(); });
    RegisterScreenFactory(QStringLiteral("frmmylovelogin"), [] { return new TFrmLove(); });
    RegisterScreenFactory(QStringLiteral("frmmylove"), [] { return new TFrmMyLove(); });
    RegisterScreenFactory(QStringLiteral("frmocr"), [] { return new TFrmOCR(); });
    RegisterScreenFactory(QStringLiteral("frmrepair"), [] { return new TFrmRepair(); });
}

void ReadListColours(TItemList* list, const QDomElement& node)
{
    auto value = [&](const char* name) {
        const QString text = TKVFormManager::NodeAttr(node, QString::fromLatin1(name));
        try {
            return TKVFormManager::StrictInt(text);
        } catch (const Exception& e) {
            const QString message = QString::fromLatin1(name) + QStringLiteral(": ") + e.Message();
            throw Exception(g_pFrmManager ? g_pFrmManager->SkinErrorText(node, message) : message);
        }
    };
    list->m_nFontColor = value("fontcolor");
    list->m_nSelColor = value("selcolor");
    list->m_nOverColor = value("overcolor");
    list->m_nShadowColor = value("shadowcolor");
    list->m_nShadowWidth = value("shadowwidth");
    list->m_nShadowStyle = value("shadowstyle");
}

void HandOnToList(TItemList* list, QObject* screen, int key)
{
    if (key == UiKeys().DELSONG) {
        UiHooks().DispatchKey(key);
        return;
    }
    if (list)
        list->HandleKey(screen, key);
}

bool OrderChosenSong(DataSet& source, TItemList* list)
{
    bool ordered = false;
    if (FrmData && source.Active() && !source.Eof()) {
        try {
            // A row without a song record (a favourite whose song left the
            // catalogue) has nothing to play.
            const QString songNo = source.FieldByName(QStringLiteral("SongNo")).AsString();
            if (!songNo.isEmpty()) {
                FrmData->OrderSong(&source);
                ordered = FrmData->IsQueued(songNo);
            }
        } catch (const std::exception& e) {
            UiLog(QStringLiteral("OrderSong: ") + QString::fromUtf8(e.what()));
        }
    }
    if (!ordered && list)
        list->Draw();
    return ordered;
}

int SaveToFavourites(const QString& songNo)
{
    if (!FrmData || FrmData->m_sUserId.isEmpty() || songNo.isEmpty())
        return 0;
    const QString user = FrmData->m_sUserId;
    {
        DataSet query;
        query.SetConnection(&FrmData->ado);
        query.SetReadOnly(true);
        query.SetCommandText(QStringLiteral("select * from mylove where userid=? and songno=?"));
        query.SetParameters({user, songNo});
        query.Open();
        if (!query.IsEmpty())
            return 2;
    }
    return FrmData->RunSql(QStringLiteral("insert into mylove (UserId,SongNo)  Values (?,?)"), {user, songNo}) ? 1 : 0;
}

TItemList* MakeSongList(TKVFormXML& screen, bool focus, std::function<void()> songClick,
                        std::function<void(TSubTitle*)> singerClick, std::function<void(TItemList*)> layout)
{
    auto* list = new TItemList(&screen);
    try {
        ReadListColours(list, screen.m_pNode);
    } catch (...) {
        delete list;
        throw;
    }
    list->SetColCount(3);
    list->m_aFieldName = QStringList{QStringLiteral("Name"), QStringLiteral("Lan_name"), QStringLiteral("Singer_nam")};
    list->m_aColumnClick[0] = [songClick = std::move(songClick)](QObject*) { songClick(); };
    list->m_aColumnClick[1] = [singerClick = std::move(singerClick)](QObject* sender) {
        singerClick(qobject_cast<TSubTitle*>(sender));
    };
    list->m_bNumbers = false;
    list->m_bRechoose = false;
    list->m_bFocus = focus;
    list->m_bHoverFocus = false;
    list->m_bDblClickPlays = false;
    list->m_bCursor = false;
    list->m_bSkinLabels = true;
    list->OnLayout = std::move(layout);
    list->Arrange(false);
    if (FrmData)
        list->SetDataSet(&FrmData->CD_Song);
    list->Draw();
    return list;
}

void BindSongRows(TKVFormXML& screen, TItemList& list, const std::function<void(TSubTitle*)>& singerClick)
{
    const int rows = BindRowLabels(screen, list, 0, QStringLiteral("songname"));
    if (rows < kMaxRowLabels)
        list.m_nPageItems = rows;
    BindRowLabels(screen, list, 1, QStringLiteral("songlang"));
    BindRowLabels(screen, list, 2, QStringLiteral("songsinger"), singerClick);
    list.m_pPageLabel = screen.FindLabel(QStringLiteral("pagelabel"));
}

void FindSearchLabels(TKVFormXML& screen, QPointer<TSubTitle>& title, QPointer<TSubTitle>& notFound,
                      QPointer<TSubTitle>& input)
{
    title = screen.FindLabel(QStringLiteral("title"));
    notFound = screen.FindLabel(QStringLiteral("notfound"));
    input = screen.FindLabel(QStringLiteral("Input"));
    if (notFound) {
        notFound->SetCaption(UiText(QStringLiteral("NotFound")));
        notFound->hide();
    }
}

void ShowNotFound(TSubTitle* notFound, const TItemList* list)
{
    if (!notFound || !list)
        return;
    if (list->m_nLastRow < 0) {
        notFound->SetCaption(UiText(QStringLiteral("NotFound")));
        notFound->show();
        notFound->repaint();
    } else {
        notFound->hide();
    }
}

bool OrderListedSong(TItemList* list)
{
    if (!FrmData)
        return false;
    DataSet& songs = FrmData->CD_Song;
    const TSetting* setting = UiSetting();
    if (setting && setting->HotelVod && songs.Active() && !songs.Eof()) {
        const Field price = songs.FindField(QStringLiteral("price"));
        if (price.IsValid() && price.AsFloat() > 0) {
            if (list)
                list->Draw();
            return false;
        }
    }
    return OrderChosenSong(songs, list);
}
