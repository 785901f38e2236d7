#include "screens/SongScreens.h"

#include "catalogue/FrmData.h"
#include "core/Exception.h"
#include "platform/db/DataSet.h"
#include "screens/FrmLove.h"
#include "screens/FrmMyLove.h"
#include "screens/FrmNumber.h"
#include "screens/FrmPY.h"
#include "screens/FrmSelect.h"
#include "screens/FrmSing.h"
#include "screens/FrmSinger.h"
#include "screens/FrmSong.h"
#include "screens/FrmStorke.h"
#include "ui/ItemList.h"
#include "ui/KVFormManager.h"
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
