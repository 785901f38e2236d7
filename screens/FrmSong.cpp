#include "screens/FrmSong.h"

#include "catalogue/FrmData.h"
#include "core/Gbk.h"
#include "core/Log.h"
#include "core/Setting.h"
#include "platform/Tick.h"
#include "platform/db/DataSet.h"
#include "platform/keys/VirtualKeys.h"
#include "screens/RowLabels.h"
#include "screens/SongScreens.h"
#include "ui/FlashControl.h"
#include "ui/InputChars.h"
#include "ui/ItemList.h"
#include "ui/SubTitle.h"
#include "ui/UiStation.h"

#include <QTimer>

namespace {

constexpr int kWordItems = 9;
constexpr int kMaxInput = 6;

bool ShowMouse()
{
    const TSetting* setting = UiSetting();
    return !setting || setting->ShowMouse;
}

} // namespace

TFrmSong::TFrmSong(QWidget* parent) : TKVFormXML(parent), m_pInputChars(std::make_unique<TInputChars>()) {}

TFrmSong::~TFrmSong()
{
    FormDestroy();
}

void TFrmSong::FormDestroy()
{
    delete m_pList;
    m_pList = nullptr;
    delete m_pWords;
    m_pWords = nullptr;
    m_pInputChars.reset();
}

QString TFrmSong::InputText() const
{
    return m_pInput ? m_pInput->Caption() : QString();
}

void TFrmSong::SetInputText(const QString& text)
{
    if (m_pInput)
        m_pInput->SetCaption(text);
}

void TFrmSong::BindSongLabels(TItemList* list)
{
    BindSongRows(*this, *list, [this](TSubTitle* label) { SingerClick(label); });
    FindSearchLabels(*this, m_pTitle, m_pNotFound, m_pInput);
    m_pPyFlash = qobject_cast<TFlashPlayerControl*>(FindControl(QStringLiteral("pyflash")));
    if (m_pPyFlash)
        connect(m_pPyFlash, &TFlashPlayerControl::FSCommand, this,
                [this](const QString& command, const QString& args) { pyFlashFSCommand(command, args); });
}

void TFrmSong::Build(const QDomElement& node)
{
    // A rebuild starts from new lists: the old ones drove labels that the
    // inherited build replaces.
    delete m_pList;
    m_pList = nullptr;
    delete m_pWords;
    m_pWords = nullptr;
    m_sLastInput.clear();

    TKVFormXML::Build(node);
    const bool mouse = ShowMouse();

    m_pList = MakeSongList(
        *this, !mouse, [this] { SongClick(); }, [this](TSubTitle* label) { SingerClick(label); },
        [this](TItemList* list) { BindSongLabels(list); });

    // The word-count tabs work in either mode: a guest may touch them on a
    // keypad-driven station too, and the arrow keys step through them.
    if (FindLabel(QStringLiteral("words0")))
        BuildWords();

    SetInputText(QString());
    if (m_pTitle)
        m_pTitle->SetCaption(QString());
    UpdateNotFound();
}

void TFrmSong::BuildWords()
{
    m_pWords = new TItemList(this);
    // The selector's labels take the list's colours.
    m_pWords->m_nFontColor = m_pList->m_nFontColor;
    m_pWords->m_nSelColor = m_pList->m_nSelColor;
    m_pWords->m_nOverColor = m_pList->m_nOverColor;
    m_pWords->m_nShadowColor = m_pList->m_nShadowColor;
    m_pWords->m_nShadowWidth = m_pList->m_nShadowWidth;
    m_pWords->m_nShadowStyle = m_pList->m_nShadowStyle;
    m_pWords->m_nPageItems = kWordItems;
    m_pWords->SetColCount(1);
    m_pWords->m_aColumnClick[0] = [this](QObject*) { WordClick(); };
    m_pWords->m_bRechoose = true;
    m_pWords->m_bCursor = true;
    m_pWords->m_bSkinLabels = true;
    m_pWords->OnLayout = [this](TItemList* list) {
        for (int i = 0; i < kWordItems; ++i) {
            TSubTitle* label = FindLabel(QStringLiteral("words%1").arg(i));
            if (!label) {
                list->m_nPageItems = i;
                break;
            }
            list->BindLabel(0, label, i);
        }
    };
    m_pWords->Arrange(false);
    // The items keep the skin's own captions.
    m_pWords->SetItemCount(kWordItems);
    for (int i = 0; i < kWordItems; ++i) {
        if (TSubTitle* label = m_pWords->Label(0, i))
            m_pWords->m_aItems[i] = label->Caption();
    }
    m_pWords->Draw();
}

void TFrmSong::UpdateNotFound()
{
    ShowNotFound(m_pNotFound, m_pList);
}

void TFrmSong::FormKeyDown(int& key)
{
    const uint32_t start = GetTickCount();
    const TKeyMap& keys = UiKeys();
    QPointer<TFrmSong> self(this);

    if (m_pWords) {
        const int count = m_pWords->m_nLastRow + 1;
        if ((key == keys.Left || key == keys.Right) && count > 0) {
            const int step = key == keys.Left ? -1 : 1;
            m_pWords->SetSelected((m_pWords->CurFocus() + step + count) % count);
            return;
        }
        if (key == keys.Left || key == keys.Right)
            return;
    }

    if (key == keys.FIRSTPLAY && FrmData && FrmData->m_pOrder && FrmData->m_pOrder->Active()) {
        TimerPlaying->stop();
        DataSet& queue = *FrmData->m_pOrder;
        queue.Last();
        if (m_pNotFound) {
            const Field name = queue.FindField(QStringLiteral("Name"));
            m_pNotFound->SetCaption(QStringLiteral("已优先:") +
                                    (name.IsValid() && !queue.IsEmpty() ? name.AsString() : QString()));
            m_pNotFound->show();
        }
        FrmData->MoveToFront();
        TimerPlaying->start();
    }

    QString input = InputText();
    if (input.size() >= kMaxInput)
        input.clear();
    if (key == keys.BACKSPACE)
        input.chop(1);
    if (key == keys.DELSONG)
        input.clear();
    const TKeyBinding* letter = nullptr;
    for (const TKeyBinding& b : KeyBindings()) {
        if (qstrlen(b.FileKey) == 1 && b.FileKey[0] >= 'A' && b.FileKey[0] <= 'Z' && keys.*b.Field == key) {
            letter = &b;
            break;
        }
    }
    if (letter)
        input += QLatin1Char(letter->FileKey[0]);
    const bool keypad = !ShowMouse();
    if (keypad && m_pInputChars) {
        m_pInputChars->m_sText = input;
        input = m_pInputChars->PressKey(key);
    }
    SetInputText(input);
    input = InputText();
    if (input != m_sLastInput) {
        if (FrmData && FrmData->m_pFilter)
            FrmData->m_pFilter->SetFirstLetters(input.toUpper());
        ShowFirstPage();
        m_sLastInput = input;
    }

    if (keypad && UiDigitOfKey(key) >= 0)
        return;

    if (m_pList)
        m_pList->HandleKey(this, key);
    if (!self)
        return;
    LogElapsed(QStringLiteral("操作"), start);
}

void TFrmSong::SongClick()
{
    // Refused, skipped or failed: the row has lost its chosen mark.
    if (!OrderListedSong(m_pList))
        return;
    SetInputText(QString());
    m_sLastInput = InputText();
}

void TFrmSong::SingerClick(TSubTitle* label)
{
    if (label && !label->Caption().isEmpty() && FrmData && FrmData->m_pFilter)
        FrmData->m_pFilter->SetSinger(label->Caption());
    ShowFirstPage();
}

void TFrmSong::ShowFirstPage()
{
    if (!m_pList)
        return;
    // A new criterion gives a new list: it starts on its first page, with
    // the focus on its first row.
    m_pList->Reset();
    m_pList->Refresh();
    UpdateNotFound();
}

void TFrmSong::WordClick()
{
    if (!m_pWords)
        return;
    const int index = m_pWords->GetSelected();
    if (FrmData && FrmData->m_pFilter)
        FrmData->m_pFilter->SetSongCount(index);
    ShowFirstPage();
}

void TFrmSong::pyFlashFSCommand(const QString& command, const QString&)
{
    // An empty command presses no key.
    const QString upper = command.toUpper();
    if (upper.isEmpty())
        return;
    const QByteArray narrow = ToNarrow(upper.left(1));
    const int code = static_cast<signed char>(narrow.isEmpty() ? 0 : narrow.at(0));
    if (code != 0)
        PostVkKeyDown(this, code);
}
