#include "screens/FrmOCR.h"

#include "catalogue/FrmData.h"
#include "platform/db/DataSet.h"
#include "screens/KeyInput.h"
#include "screens/SongScreens.h"
#include "ui/HandWriteX.h"
#include "ui/ItemList.h"
#include "ui/SubTitle.h"
#include "ui/UiStation.h"

#include <QLabel>
#include <QMouseEvent>
#include <QRegularExpression>

TFrmOCR::TFrmOCR(QWidget* parent) : TKVFormXML(parent)
{
    HandWrite = new THandWriteX(this);
    HandWrite->OnRecognizerContext = [this](QObject* sender, const QString& candidates) {
        HandWriteRecognizerContext(sender, candidates);
    };
    // The screen starts from the whole catalogue view.
    if (FrmData && FrmData->m_pFilter)
        FrmData->m_pFilter->ClearCriteria();
}

TFrmOCR::~TFrmOCR()
{
    FormDestroy();
}

void TFrmOCR::FormDestroy()
{
    delete m_pList;
    m_pList = nullptr;
}

void TFrmOCR::Build(const QDomElement& node)
{
    // A rebuild starts from a new list and a pad without ink: the old ones
    // belonged to controls the inherited build replaces.
    delete m_pList;
    m_pList = nullptr;
    HandWrite->SetHwnd(nullptr);
    m_pCandidateList.clear();
    m_aCandidates.clear();
    m_aCandidateColours.clear();
    m_nCandidates = 0;
    m_nFocusedCandidate = -1;

    TKVFormXML::Build(node);
    m_pList = MakeSongList(
        *this, false, [this] { SongClick(); }, [this](TSubTitle* label) { SingerClick(label); },
        [this](TItemList* list) { BindLabels(list); });

    SetInputText(QString());
    m_sLastInput.clear();
    if (m_pTitle)
        m_pTitle->SetCaption(QString());
    ShowNotFound(m_pNotFound, m_pList);
}

void TFrmOCR::BindLabels(TItemList* list)
{
    BindSongRows(*this, *list, [this](TSubTitle* label) { SingerClick(label); });
    FindSearchLabels(*this, m_pTitle, m_pNotFound, m_pInput);

    for (int i = 0; i < kMaxCandidates; ++i) {
        TSubTitle* label = FindLabel(QStringLiteral("words%1").arg(i));
        if (!label)
            break;
        label->OnClick = [this](TSubTitleLabel* sender) { CandidateClick(static_cast<TSubTitle*>(sender)); };
        label->SetCaption(QString());
        m_aCandidates.append(label);
        m_aCandidateColours.append(label->FontColor());
    }
    m_nCandidates = int(m_aCandidates.size());

    m_pWrite = FindControl(QStringLiteral("write"));
    if (m_pWrite)
        ConnectPad();
}

void TFrmOCR::ConnectPad()
{
    // The pad shows the piece of the background under it; the recognizer's
    // ink is drawn over that.
    m_pPadImage = new QLabel(m_pWrite);
    m_pPadImage->setObjectName(QStringLiteral("PadImage"));
    m_pPadImage->setGeometry(m_pWrite->rect());
    m_pPadImage->setScaledContents(true);
    const QImage& background = Canvas().isNull() ? m_pBackground : Canvas();
    if (!background.isNull())
        m_pPadImage->setPixmap(QPixmap::fromImage(background.copy(m_pWrite->geometry())));
    m_pPadImage->show();

    HandWrite->SetHwnd(m_pWrite);
    HandWrite->SetBrushColor(m_pWrite->palette().color(QPalette::WindowText));
    HandWrite->SetBrushWidth(m_pWrite->font().pointSize());
    HandWrite->SetRecognizerEnabled(true);
    FormClick();
}

void TFrmOCR::FormClick()
{
    if (m_pWrite && m_pWrite->isEnabled() && m_pWrite->focusPolicy() != Qt::NoFocus)
        m_pWrite->setFocus();
}

void TFrmOCR::mousePressEvent(QMouseEvent* event)
{
    TKVFormXML::mousePressEvent(event);
    FormClick();
}

void TFrmOCR::HandWriteRecognizerContext(QObject*, const QString& candidates)
{
    static const QRegularExpression lineBreak(QStringLiteral("[\r\n]+"));
    m_pCandidateList = candidates.split(lineBreak, Qt::SkipEmptyParts);
    FocusCandidate(-1);
    // The pen has been on the pad since the pointer last hovered a control:
    // no cell stays lit as if it were chosen.
    UnhoverControl();
    for (const QPointer<TSubTitle>& label : std::as_const(m_aCandidates)) {
        if (label)
            label->SetCaption(QString());
    }
    const int shown = std::min(int(m_pCandidateList.size()), m_nCandidates);
    for (int k = 0; k < shown; ++k) {
        if (m_aCandidates[k])
            m_aCandidates[k]->SetCaption(m_pCandidateList[k]);
    }
}

void TFrmOCR::CandidateClick(TSubTitle* label)
{
    if (!label || label->Caption().isEmpty())
        return;
    SetInputText(InputText() + label->Caption());
    ClearHandwriting();
    ApplyInput();
}

void TFrmOCR::ClearHandwriting()
{
    HandWrite->ClearStroke();
    m_pCandidateList.clear();
    FocusCandidate(-1);
    for (const QPointer<TSubTitle>& label : std::as_const(m_aCandidates)) {
        if (label)
            label->SetCaption(QString());
    }
}

QString TFrmOCR::InputText() const
{
    return m_pInput ? m_pInput->Caption() : QString();
}

void TFrmOCR::SetInputText(const QString& text)
{
    if (m_pInput)
        m_pInput->SetCaption(text);
}

void TFrmOCR::ApplyInput()
{
    const QString input = InputText();
    if (input == m_sLastInput)
        return;
    if (FrmData && FrmData->m_pFilter)
        FrmData->m_pFilter->SetNameStart(input.toUpper());
    if (m_pTitle)
        m_pTitle->SetCaption(QString());
    ShowFirstPage();
    m_sLastInput = input;
}

void TFrmOCR::ShowFirstPage()
{
    if (!m_pList)
        return;
    // A new criterion gives a new list: its first page.
    m_pList->Reset();
    m_pList->Refresh();
    ShowNotFound(m_pNotFound, m_pList);
}

void TFrmOCR::FocusCandidate(int index)
{
    if (m_nFocusedCandidate >= 0 && m_nFocusedCandidate < m_aCandidates.size() && m_aCandidates[m_nFocusedCandidate])
        m_aCandidates[m_nFocusedCandidate]->SetFontColor(m_aCandidateColours[m_nFocusedCandidate]);
    m_nFocusedCandidate = index;
    if (index >= 0 && index < m_aCandidates.size() && m_aCandidates[index] && m_pList)
        m_aCandidates[index]->SetFontColor(WinColor(m_pList->m_nSelColor));
}

void TFrmOCR::MoveCandidateFocus(int step)
{
    int filled = 0;
    while (filled < m_aCandidates.size() && m_aCandidates[filled] && !m_aCandidates[filled]->Caption().isEmpty())
        ++filled;
    if (filled == 0)
        return;
    // From no focus, DOWN reaches the first candidate and UP the last.
    const int from = m_nFocusedCandidate < 0 ? (step > 0 ? -1 : filled) : m_nFocusedCandidate;
    FocusCandidate((from + step + filled) % filled);
}

void TFrmOCR::FormKeyDown(int& key)
{
    const TKeyMap& keys = UiKeys();
    // The arrow keys step through the candidates, ENTER takes the one they
    // reached: the remote keypad's way of choosing a candidate.
    if (key == keys.UP || key == keys.DOWN) {
        MoveCandidateFocus(key == keys.UP ? -1 : 1);
        return;
    }
    if (key == keys.ENTER && m_nFocusedCandidate >= 0) {
        CandidateClick(m_aCandidates.value(m_nFocusedCandidate));
        return;
    }

    QString input = InputText();
    if (key == keys.BACKSPACE && !input.isEmpty())
        input.chop(input.size() > 1 && input.back().isLowSurrogate() ? 2 : 1);
    if (key == keys.DELSONG) {
        // A first press erases the ink, a second the chosen characters.
        if (!m_pCandidateList.isEmpty() || !HandWrite->Strokes().isEmpty())
            ClearHandwriting();
        else
            input.clear();
    }
    SetInputText(input);
    ApplyInput();
    HandOnToList(m_pList, this, key);
}

void TFrmOCR::SongClick()
{
    // Refused, skipped or failed: the row has lost its chosen mark.
    if (!OrderListedSong(m_pList))
        return;
    // The name criterion stays, so the list keeps its songs; the guest
    // starts a new name.
    SetInputText(QString());
    m_sLastInput = InputText();
    ClearHandwriting();
}

void TFrmOCR::SingerClick(TSubTitle* label)
{
    if (label && !label->Caption().isEmpty() && FrmData && FrmData->m_pFilter)
        FrmData->m_pFilter->SetSinger(label->Caption());
    ShowFirstPage();
}
