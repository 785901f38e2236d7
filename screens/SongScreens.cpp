#include "screens/SongScreens.h"

#include "catalogue/FrmData.h"
#include "core/Exception.h"
#include "platform/db/DataSet.h"
#include "screens/FrmSelect.h"
#include "screens/FrmSing.h"
#include "screens/FrmSong.h"
#include "ui/ItemList.h"
#include "ui/KVFormManager.h"

void RegisterSongScreens()
{
    // Registering again replaces a factory by the same one: harmless.
    RegisterScreenFactory(QStringLiteral("frmsong"), [] { return new TFrmSong(); });
    RegisterScreenFactory(QStringLiteral("frmorder"), [] { return new TFrmSelect(); });
    RegisterScreenFactory(QStringLiteral("sing"), [] { return new TFrmSing(); });
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
