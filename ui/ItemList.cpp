#include "ui/ItemList.h"

#include "core/Exception.h"
#include "core/Setting.h"
#include "platform/db/DataSet.h"
#include "platform/keys/VirtualKeys.h"
#include "ui/KVFormXML.h"
#include "ui/SubTitle.h"
#include "ui/UiHooks.h"
#include "ui/UiStation.h"

#include <QFileInfo>
#include <QLabel>
#include <QPixmap>

namespace {

constexpr int kMarkedRows = 12; // every redraw clears the marks of rows 0 to 11

int PagesFor(int records, int perPage)
{
    return perPage > 0 ? (records + perPage - 1) / perPage : 0;
}

const QString kChosenMark = QStringLiteral("√");

} // namespace

TItemList::TItemList(TKVFormXML* owner) : QObject(owner), m_pOwner(owner) {}

TItemList::~TItemList()
{
    if (m_bTookKeys && m_pOwner)
        m_pOwner->OnKeyDown = nullptr;
    delete m_pCursor.data();
}

bool TItemList::IsMarked(int row) const
{
    return row >= 0 && row < 100 && m_aChosen[row] == 1;
}

void TItemList::Mark(int row)
{
    if (row >= 0 && row < 100)
        m_aChosen[row] = 1;
}

void TItemList::CheckColumn(int column) const
{
    if (column < 0 || column >= FColCount || column >= m_aColumnLabels.size())
        throw Exception(QStringLiteral("Range check error: column %1 of %2").arg(column).arg(FColCount));
}

TSubTitle* TItemList::Label(int column, int row) const
{
    if (column < 0 || column >= m_aColumnLabels.size() || row < 0 || row >= m_aColumnLabels[column].size())
        return nullptr;
    return m_aColumnLabels[column][row];
}

// ---- set-up ----

void TItemList::SetColCount(int n)
{
    FColCount = std::max(n, 0);
    m_aColumnClick.resize(FColCount);
    m_aColumnWidth.resize(FColCount);
    m_aFieldName.resize(FColCount);
    m_aColumnLabels.resize(FColCount);
}

void TItemList::SetRowCount(int n)
{
    FRowCount = std::max(n, 0);
    m_aRowTop.resize(FRowCount);
}

void TItemList::SetItemCount(int n)
{
    n = std::max(n, 0);
    m_aItems.resize(n);
    FItemCount = std::min(n, m_nPageItems);
    if (!FDataSet)
        m_nPageCount = PagesFor(n, m_nPageItems);
    SetSelPage(m_nPageCount > 0 ? 1 : 0);
}

void TItemList::SetDataSet(DataSet* dataSet)
{
    if (!dataSet)
        return;
    FDataSet = dataSet;
    FItemCount = m_nPageItems;
    if (FDataSet->Active()) {
        if (m_nPageItems != 0)
            m_nPageCount = PagesFor(FDataSet->RecordCount(), m_nPageItems);
        FDataSet->First();
    }
    SetSelPage(m_nPageCount > 0 ? 1 : 0);
}

void TItemList::SetSelPage(int n)
{
    FSelPage = n;
    if (FSelPage > m_nPageCount)
        FSelPage = m_nPageCount > 0 ? 1 : 0;
    if (m_pPageLabel)
        m_pPageLabel->SetCaption(QStringLiteral("%1/%2").arg(FSelPage).arg(m_nPageCount));
}

TSubTitle* TItemList::NewLabel()
{
    auto* label = new TSubTitle(m_pOwner);
    label->hide();
    label->SetTransparent(true);
    label->SetWordWrap(false);
    label->SetAutoSize(false);
    label->SetShadowColor(m_nShadowColor);
    label->SetShadowWidth(m_nShadowWidth);
    label->SetShadowStyle(m_nShadowStyle);
    return label;
}

void TItemList::BindLabel(int column, TSubTitle* label, int row, std::function<void(TSubTitle*)> click)
{
    CheckColumn(column);
    if (!label)
        return;
    label->Tag = row;
    m_aColumnLabels[column].append(label);
    if (click)
        label->OnClick = [click](TSubTitleLabel* sender) { click(static_cast<TSubTitle*>(sender)); };
    else
        label->OnClick = [this](TSubTitleLabel* sender) { CellClick(static_cast<TSubTitle*>(sender)); };
}

void TItemList::Arrange(bool takeKeys)
{
    if (takeKeys && m_pOwner) {
        m_bTookKeys = true;
        m_pOwner->OnKeyDown = [this](QObject* sender, int& key) { HandleKey(sender, key); };
    }
    if (!m_bSkinLabels) {
        if (m_bNumbers) {
            if (m_bNumberPictures)
                CreateNumberPictures();
            else
                CreateNumberLabels();
        }
        CreateCells();
    }
    if (m_bCursor)
        CreateCursor();
    if (OnLayout)
        OnLayout(this);
}

void TItemList::CreateCells()
{
    for (int i = 0; i < FItemCount; ++i) {
        const int top = m_nListTop + i * (m_nRowHeight + m_nSpace);
        int left = m_bNumbers ? m_nListLeft + m_nFontSize + m_nSpace : m_nListLeft;
        for (int j = 0; j < FColCount; ++j) {
            TSubTitle* label = NewLabel();
            bool right = false;
            if (FDataSet && FDataSet->Active()) {
                const Field field = FDataSet->FindField(m_aFieldName[j]);
                right = field.IsValid() && field.DataType() == FieldType::Float;
            }
            label->SetAlignment(right ? TSubTitle::taRightJustify : TSubTitle::taLeftJustify);
            label->setGeometry(left, top, m_aColumnWidth[j], m_nRowHeight);
            QFont font = label->font();
            if (!m_sFontName.isEmpty())
                font.setFamily(m_sFontName);
            if (j == 0) {
                if (m_nFontSize > 0)
                    font.setPointSize(m_nFontSize);
                label->SetFontColor(WinColor(m_nFontColor));
                label->SetLayout(TSubTitle::tlTop);
            } else {
                if (m_nFontSize > 2)
                    font.setPointSize(m_nFontSize - 2);
                const TSetting* setting = UiSetting();
                label->SetFontColor(WinColor(setting ? setting->Song.SingerColor : 0));
                label->SetLayout(TSubTitle::tlCenter);
            }
            label->setFont(font);
            label->Tag = i;
            label->OnClick = [this](TSubTitleLabel* sender) { CellClick(static_cast<TSubTitle*>(sender)); };
            if (m_bDblClickPlays)
                label->OnDblClick = [this](TSubTitleLabel* sender) { CellDblClick(static_cast<TSubTitle*>(sender)); };
            if (m_bHoverFocus)
                label->OnMouseMove = [this](TSubTitleLabel* sender, QMouseEvent*) {
                    CellHover(static_cast<TSubTitle*>(sender));
                };
            m_aColumnLabels[j].append(label);
            left = label->x() + label->width() + m_nSpace;
        }
    }
}

void TItemList::CreateNumberLabels()
{
    for (int i = 0; i < FItemCount; ++i) {
        const int top = m_nListTop + i * (m_nRowHeight + m_nSpace);
        TSubTitle* label = NewLabel();
        label->setGeometry(m_nListLeft, top, label->width(), m_nRowHeight);
        label->SetFontColor(WinColor(m_nNumberColor));
        QFont font = label->font();
        if (!m_sFontName.isEmpty())
            font.setFamily(m_sFontName);
        if (m_nFontSize > 0)
            font.setPointSize(m_nFontSize);
        label->setFont(font);
        label->SetCaption(i == 9 ? QStringLiteral("0.") : QString::number(i + 1) + QLatin1Char('.'));
        label->Tag = i;
        label->OnClick = [this](TSubTitleLabel* sender) { CellClick(static_cast<TSubTitle*>(sender)); };
        if (m_bHoverFocus)
            label->OnMouseMove = [this](TSubTitleLabel* sender, QMouseEvent*) {
                CellHover(static_cast<TSubTitle*>(sender));
            };
        m_pNumberLabels.append(label);
    }
}

void TItemList::CreateNumberPictures()
{
    for (int i = 0; i < FItemCount; ++i) {
        const int top = m_nListTop + i * (m_nRowHeight + m_nSpace);
        auto* picture = new QLabel(m_pOwner);
        picture->hide();
        const QPixmap pixmap(UiExeDir() + QStringLiteral("Images/%1.bmp").arg(i + 1));
        picture->setPixmap(pixmap);
        picture->resize(pixmap.isNull() ? QSize(0, 0) : pixmap.size());
        picture->move(m_nListLeft, top + (m_nRowHeight - picture->height()) / 2);
        picture->setProperty("Tag", i);
        m_pNumberPictures.append(picture);
    }
}

void TItemList::CreateCursor()
{
    const TSetting* setting = UiSetting();
    const int width = setting ? setting->Cursor.Width : 25;
    const int height = setting ? setting->Cursor.Height : 25;
    delete m_pCursor.data();
    m_pCursor = new QLabel(m_pOwner);
    m_pCursor->hide();
    m_pCursor->setScaledContents(true);
    m_pCursor->setAttribute(Qt::WA_TranslucentBackground);
    m_pCursor->resize(width, height);
    const QString path = UiExeDir() + QStringLiteral("Images/Cursor.BMP");
    if (QFileInfo::exists(path))
        m_pCursor->setPixmap(QPixmap(path));
}

// ---- pages ----

void TItemList::GotoPage()
{
    if (!FDataSet || !FDataSet->Active())
        return;
    FDataSet->DisableControls();
    FDataSet->First();
    FDataSet->MoveBy((FSelPage - 1) * m_nPageItems);
    FDataSet->EnableControls();
}

void TItemList::PriorPage()
{
    if (!FDataSet) {
        m_nFirstItem -= m_nPageItems;
        if (m_nFirstItem < 0)
            m_nFirstItem = std::max(m_nPageCount - 1, 0) * m_nPageItems;
    }
    SetSelPage(FSelPage - 1);
    if (FSelPage <= 0)
        SetSelPage(m_nPageCount);
    Draw();
}

void TItemList::NextPage()
{
    if (!FDataSet) {
        m_nFirstItem += m_nPageItems;
        if (m_nFirstItem >= m_aItems.size())
            m_nFirstItem = 0;
    }
    SetSelPage(FSelPage + 1);
    Draw();
}

void TItemList::Refresh()
{
    if (!FDataSet)
        return;
    const int focus = FCurFocus;
    const int page = FSelPage;
    SetDataSet(FDataSet);
    SetSelPage(std::min(page, m_nPageCount));
    if (FSelPage <= 0 && m_nPageCount > 0)
        SetSelPage(1);
    Draw();
    SetCurFocus(focus);
}

void TItemList::Reset()
{
    FSelPage = 1;
    m_nSelIndex = 0;
    SetCurFocus(0);
}

// ---- drawing ----

void TItemList::ResetRows()
{
    ClearRows(0);
}

void TItemList::ClearRows(int keepShown)
{
    for (int i = 0; i < kMarkedRows; ++i)
        m_aChosen[i] = 0;
    const QColor normal = WinColor(m_nFontColor);
    for (const auto& column : std::as_const(m_aColumnLabels)) {
        for (qsizetype row = 0; row < column.size(); ++row) {
            TSubTitle* label = column[row];
            if (!label)
                continue;
            if (row >= keepShown)
                label->hide();
            label->SetFontColor(normal);
        }
    }
    const QColor number = WinColor(m_nNumberColor);
    for (const QPointer<TSubTitle>& label : std::as_const(m_pNumberLabels)) {
        if (label)
            label->SetFontColor(number);
    }
}

void TItemList::ShowNumber(int row, bool show)
{
    if (row >= 0 && row < m_pNumberLabels.size() && m_pNumberLabels[row])
        m_pNumberLabels[row]->setVisible(show);
    if (row >= 0 && row < m_pNumberPictures.size() && m_pNumberPictures[row])
        m_pNumberPictures[row]->setVisible(show);
}

void TItemList::ApplyLanguageFont(TSubTitle* label)
{
    const TSetting* setting = UiSetting();
    if (!setting || FDataSet->objectName() != QLatin1String("CD_Song"))
        return;
    const Field language = FDataSet->FindField(QStringLiteral("Lan_Type"));
    if (!language.IsValid() || language.AsString().isEmpty())
        return;
    const int n = language.AsInt();
    if (n < 0 || n >= int(setting->LangFont.size()) || setting->LangFont[size_t(n)].isEmpty())
        return;
    QFont font = label->font();
    font.setFamily(setting->LangFont[size_t(n)]);
    label->setFont(font);
}

QString TItemList::CellText(int column)
{
    const QString fieldName = m_aFieldName.value(column);
    const Field field = FDataSet->FieldByName(fieldName);
    QString text = OnCellText ? OnCellText(field) : field.DisplayText();
    const TSetting* setting = UiSetting();
    if (setting && setting->ShowVersion && FDataSet->objectName() == QLatin1String("CD_Song") &&
        fieldName.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0) {
        const Field version = FDataSet->FindField(QStringLiteral("Version"));
        if (version.IsValid() && !version.AsString().isEmpty())
            text += QStringLiteral(" [") + version.AsString() + QLatin1Char(']');
    }
    return text;
}

void TItemList::Draw()
{
    m_nLastRow = FItemCount - 1;
    // The rows drawn below are shown or hidden one by one; hiding them all
    // first would take the pointer's grab from a label pressed meanwhile (a
    // drag across a periodic redraw) and make the list flicker.
    ClearRows(FItemCount);
    GotoPage();
    DataSet* ds = FDataSet && FDataSet->Active() ? FDataSet : nullptr;
    const bool marking =
        ds && (ds->objectName() == QLatin1String("CD_Song") || ds->objectName() == QLatin1String("MyLoveDetail"));
    if (ds)
        ds->DisableControls();
    for (int i = 0; i < FItemCount; ++i) {
        const bool past = FDataSet ? (!ds || ds->Eof()) : m_nFirstItem + i >= m_aItems.size();
        for (int j = 0; j < FColCount; ++j) {
            TSubTitle* label = Label(j, i);
            if (!label)
                continue;
            if (!FDataSet) {
                if (!past) {
                    label->SetCaption(m_aItems[m_nFirstItem + i]);
                    label->show();
                    ShowNumber(i, true);
                } else {
                    label->hide();
                    ShowNumber(i, false);
                }
            } else if (past) {
                label->hide();
                label->SetCaption(QString());
                ShowNumber(i, false);
            } else {
                try {
                    label->SetCaption(CellText(j));
                    ApplyLanguageFont(label);
                } catch (const std::exception&) {
                    // The cell keeps its previous text.
                }
                label->show();
                ShowNumber(i, true);
            }
        }
        if (ds && !past) {
            if (marking) {
                try {
                    const QString songNo = ds->FieldByName(QStringLiteral("SongNo")).AsString();
                    if (UiHooks().IsQueued(songNo)) {
                        if (TSubTitle* first = Label(0, i))
                            first->SetCaption(kChosenMark + first->Caption());
                        FCurFocus = i;
                        Mark(i);
                        PaintRow(m_nSelColor, m_nShadowColor);
                    }
                } catch (const std::exception&) {
                }
            }
            ds->Next();
        }
    }
    if (ds)
        ds->EnableControls();
    for (int i = 0; i < FItemCount; ++i) {
        TSubTitle* first = Label(0, i);
        if (!first || first->isHidden()) {
            m_nLastRow = i - 1;
            break;
        }
    }
    SetCurFocus(FCurFocus);
    if (OnDrawn)
        OnDrawn(this);
}

void TItemList::PaintRow(int colour, int shadowColour)
{
    TSubTitle* first = Label(0, FCurFocus);
    if (!first)
        return;
    const QColor text = WinColor(colour);
    for (int j = 0; j < FColCount; ++j) {
        if (TSubTitle* label = Label(j, FCurFocus)) {
            label->SetFontColor(text);
            label->SetShadowColor(shadowColour);
        }
    }
    if (FCurFocus < m_pNumberLabels.size() && m_pNumberLabels[FCurFocus])
        m_pNumberLabels[FCurFocus]->SetFontColor(text);
    if (m_bCursor && m_pCursor) {
        const TSetting* setting = UiSetting();
        const int cursorWidth = setting ? setting->Cursor.Width : 25;
        m_pCursor->move(first->x() - cursorWidth, first->y() + (first->height() - m_pCursor->height()) / 2);
        m_pCursor->show();
    }
}

void TItemList::SetCurFocus(int row)
{
    if (!m_bFocus)
        return;
    if (IsMarked(FCurFocus))
        PaintRow(m_nSelColor, m_nShadowColor);
    else
        PaintRow(m_nFontColor, m_nShadowColor);
    FCurFocus = std::max(std::min(row, m_nLastRow), 0);
    if (IsMarked(FCurFocus))
        PaintRow(m_nSelColor, m_nShadowColor);
    else
        PaintRow(m_nOverColor, m_nOverShadowColor);
}

// ---- moves and choice ----

void TItemList::MoveLeft(int) {}

void TItemList::MoveRight(int) {}

void TItemList::MoveUp(int n)
{
    int target = FCurFocus - n;
    if (target > m_nLastRow)
        target = 0;
    if (target < 0)
        target = m_nLastRow;
    SetCurFocus(target);
}

void TItemList::MoveDown(int n)
{
    int target = FCurFocus + n;
    if (target > m_nLastRow)
        target = 0;
    if (target < 0)
        target = m_nLastRow;
    SetCurFocus(target);
}

void TItemList::SetSelected(int row)
{
    if (row < 0 || row > FItemCount || row > m_nLastRow || (!m_bRechoose && IsMarked(row)))
        return;
    m_nSelIndex = row;
    m_nSelRow = row;
    SetCurFocus(row);
    Mark(row);
    if (!m_bRechoose) {
        if (TSubTitle* first = Label(0, row))
            first->SetCaption(kChosenMark + first->Caption());
        FCurFocus = row;
        PaintRow(m_nSelColor, m_nShadowColor);
    }
    GetSelected();
    if (!m_aColumnClick.isEmpty() && m_aColumnClick[0])
        m_aColumnClick[0](this);
}

int TItemList::GetSelected()
{
    if (FDataSet) {
        GotoPage();
        if (FDataSet->Active()) {
            FDataSet->DisableControls();
            FDataSet->MoveBy(m_nSelIndex);
            FDataSet->EnableControls();
        }
    } else {
        m_nSelIndex = m_nFirstItem + m_nSelRow;
    }
    return m_nSelIndex;
}

void TItemList::PointAt(int row)
{
    if (row < 0 || row > FItemCount || row > m_nLastRow)
        return;
    m_nSelIndex = row;
    m_nSelRow = row;
    SetCurFocus(row);
    GetSelected();
}

void TItemList::CellClick(TSubTitle* label)
{
    if (!label)
        return;
    if (FColCount > 2 && m_aColumnWidth.size() > 2 && m_aColumnWidth[2] == label->width() &&
        m_aColumnClick.size() > 1 && m_aColumnClick[1]) {
        m_aColumnClick[1](label);
        return;
    }
    SetSelected(label->Tag);
}

void TItemList::CellHover(TSubTitle* label)
{
    if (!label || label->Tag == m_nHoverTag)
        return;
    m_nHoverTag = label->Tag;
    SetCurFocus(label->Tag);
}

void TItemList::CellDblClick(TSubTitle* label)
{
    if (!label)
        return;
    SetSelected(label->Tag);
    const TKeyMap& keys = UiKeys();
    QPointer<TKVFormXML> owner = m_pOwner;
    SendVkKeyDown(owner, keys.FIRSTPLAY);
    if (owner)
        SendVkKeyDown(owner, keys.STOP);
}

void TItemList::HandleKey(QObject* sender, int& key, Qt::KeyboardModifiers)
{
    QPointer<TItemList> self(this);
    UiHooks().DispatchKey(key);
    if (!self)
        return;
    const TKeyMap& keys = UiKeys();
    if (key == keys.RETURN) {
        auto* screen = qobject_cast<QWidget*>(sender);
        if (screen && UiHooks().MainForm() != screen)
            screen->close();
    }
    if (key == keys.ENTER)
        SetSelected(FCurFocus);
    if (key == keys.UP)
        MoveUp(1);
    if (key == keys.DOWN)
        MoveDown(1);
    if (key == keys.Left)
        MoveLeft(1);
    if (key == keys.Right)
        MoveRight(1);
    if (key == keys.PAGEUP || key == keys.PAGEUP1)
        PriorPage();
    if (key == keys.PAGEDOWN || key == keys.PAGEDOWN1)
        NextPage();
    if (sender != m_pOwner)
        return;
    const int digit = UiDigitOfKey(key);
    if (digit >= 1 && digit <= 9)
        SetSelected(digit - 1);
    else if (digit == 0)
        SetSelected(9);
    if (key == keys.POINT)
        SetSelected(10);
}
