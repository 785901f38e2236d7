#include "screens/FrmStorke.h"

#include "catalogue/FrmData.h"
#include "platform/db/DataSet.h"
#include "screens/KeyInput.h"
#include "screens/RowLabels.h"
#include "screens/SongScreens.h"
#include "ui/ItemList.h"
#include "ui/KVFormManager.h"
#include "ui/SubTitle.h"
#include "ui/UiStation.h"

namespace {

// The stroke buttons by skin name, the character each adds and its digit.
struct TStroke
{
    const char* button;
    QChar character;
    QChar digit;
};
const TStroke kStrokes[] = {
    {"heng", u'横', u'1'}, {"shu", u'竖', u'2'}, {"bei", u'撇', u'3'}, {"na", u'捺', u'4'}, {"ze", u'折', u'5'}};

// A tenth stroke empties the input: nine are the most.
constexpr int kMaxStrokes = 9;

// The list's fixed column widths; a label as wide as the singer column is a
// singer.
constexpr int kNameWidth = 390, kLanguageWidth = 22, kSingerWidth = 155;

} // namespace

TFrmStorke::TFrmStorke(QWidget* parent) : TKVFormXML(parent) {}

TFrmStorke::~TFrmStorke()
{
    FormDestroy();
}

void TFrmStorke::FormDestroy()
{
    delete m_pList;
    m_pList = nullptr;
}

QString TFrmStorke::StrokeCode(const QString& strokes)
{
    QString code = strokes;
    for (const TStroke& s : kStrokes)
        code.replace(s.character, s.digit);
    return code;
}

void TFrmStorke::BindLabels(TItemList* list)
{
    BindSongRows(*this, *list, [this](TSubTitle* l) { SingerClick(l); });
    FindSearchLabels(*this, m_pTitle, m_pNotFound, m_pInput);
}

void TFrmStorke::Build(const QDomElement& node)
{
    delete m_pList;
    m_pList = nullptr;
    m_sLastInput.clear();

    TKVFormXML::Build(node);
    m_pList = MakeSongList(
        *this, !MouseStation(), [this] { SongClick(); }, [this](TSubTitle* label) { SingerClick(label); },
        [this](TItemList* list) { BindLabels(list); });
    // A label as wide as the singer column is a singer.
    m_pList->m_aColumnWidth = QList<int>{kNameWidth, kLanguageWidth, kSingerWidth};

    SetStrokes(QString());
    if (m_pTitle)
        m_pTitle->SetCaption(QString());
    UpdateNotFound();
}

void TFrmStorke::SetStrokes(const QString& strokes)
{
    m_sStrokes = strokes;
    if (m_pInput)
        m_pInput->SetCaption(strokes);
}

void TFrmStorke::UpdateNotFound()
{
    ShowNotFound(m_pNotFound, m_pList);
}

void TFrmStorke::FormKeyDown(int& key)
{
    const TKeyMap& keys = UiKeys();
    QString strokes = m_sStrokes;
    if (g_pFrmManager) {
        for (const TStroke& s : kStrokes) {
            const QDomElement button = g_pFrmManager->FindButton(m_pNode, QLatin1String(s.button));
            if (!button.isNull() && g_pFrmManager->ButtonKey(button, false) == key)
                strokes += s.character;
        }
    }
    if (strokes.size() > kMaxStrokes)
        strokes.clear();
    if (key == keys.BACKSPACE)
        strokes.chop(1);
    if (key == keys.DELSONG)
        strokes.clear();
    SetStrokes(strokes);
    if (strokes != m_sLastInput) {
        if (FrmData && FrmData->m_pFilter)
            FrmData->m_pFilter->SetStrokes(StrokeCode(strokes));
        if (m_pTitle)
            m_pTitle->SetCaption(QString());
        ShowFirstPage();
        m_sLastInput = strokes;
    }
    HandOnToList(m_pList, this, key);
}

void TFrmStorke::SongClick()
{
    if (FrmData)
        OrderChosenSong(FrmData->CD_Song, m_pList);
}

void TFrmStorke::SingerClick(TSubTitle* label)
{
    if (!label || label->Caption().isEmpty() || !FrmData || !FrmData->m_pFilter)
        return;
    // The list now shows the singer's songs: the strokes no longer apply,
    // and the title says whose songs these are. The next stroke starts anew.
    const QString singer = label->Caption();
    FrmData->m_pFilter->SetSinger(singer);
    SetStrokes(QString());
    m_sLastInput.clear();
    if (m_pTitle)
        m_pTitle->SetCaption(singer);
    ShowFirstPage();
}

void TFrmStorke::ShowFirstPage()
{
    if (!m_pList)
        return;
    // A new criterion gives a new list: its first page, focus on its first row.
    m_pList->Reset();
    m_pList->Refresh();
    UpdateNotFound();
}
