#include "screens/FrmNumber.h"

#include "catalogue/FrmData.h"
#include "platform/db/DataSet.h"
#include "screens/KeyInput.h"
#include "ui/SubTitle.h"
#include "ui/UiHooks.h"
#include "ui/UiStation.h"

#include <QPointer>

namespace {

// Song numbers are at most ten characters long in the catalogue: further
// digits could match nothing.
constexpr int kMaxDigits = 10;

void SetText(TSubTitle* label, const QString& text)
{
    if (label)
        label->SetCaption(text);
}

} // namespace

TFrmNumber::TFrmNumber(QWidget* parent) : TKVFormXML(parent) {}

void TFrmNumber::Build(const QDomElement& node)
{
    TKVFormXML::Build(node);
    m_pInput = FindLabel(QStringLiteral("Input"));
    m_pName = FindLabel(QStringLiteral("Name"));
    m_pSinger = FindLabel(QStringLiteral("Singer"));
    SetNumber(QString());
    ShowResult(QString(), QString());
    m_bResultShown = false;
}

void TFrmNumber::SetNumber(const QString& number)
{
    m_sNumber = number;
    SetText(m_pInput, number);
}

void TFrmNumber::ShowResult(const QString& name, const QString& singer)
{
    SetText(m_pName, name);
    SetText(m_pSinger, singer);
    m_bResultShown = true;
}

void TFrmNumber::FormKeyDown(int& key)
{
    const TKeyMap& keys = UiKeys();
    QPointer<TFrmNumber> self(this);
    UiHooks().DispatchKey(key);
    if (!self)
        return;
    if (key == keys.RETURN) {
        close();
        return;
    }
    if (m_bResultShown) {
        SetNumber(QString());
        ShowResult(QString(), QString());
        m_bResultShown = false;
    }
    if (key == keys.ENTER && !m_sNumber.isEmpty()) {
        OrderNumber();
        return;
    }
    SetNumber(EditDigits(m_sNumber, key, kMaxDigits));
}

void TFrmNumber::OrderNumber()
{
    if (!FrmData || !FrmData->m_pFilter)
        return;
    if (!FrmData->m_pFilter->FindSongNo(m_sNumber)) {
        ShowResult(UiText(QStringLiteral("NotFound")), QString());
        return;
    }
    DataSet& songs = FrmData->CD_Song;
    ShowResult(songs.FieldByName(QStringLiteral("Name")).AsString(),
               songs.FieldByName(QStringLiteral("Singer_Nam")).AsString());
    FrmData->OrderSong(&songs);
}
