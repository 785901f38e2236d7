#include "ui/StarList.h"

#include "platform/db/DataSet.h"
#include "platform/image/Jpeg.h"
#include "ui/KVFormXML.h"
#include "ui/PictureCache.h"
#include "ui/SubTitle.h"
#include "ui/UiStation.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

TStarList::TStarList(TKVFormXML* owner) : TItemList(owner)
{
    m_bFocus = true;
}

void TStarList::SetColCount(int n)
{
    TItemList::SetColCount(n);
    m_aPhotos.clear();
    m_aPhotos.resize(FColCount);
}

void TStarList::SetDataSet(DataSet* dataSet)
{
    if (!dataSet)
        return;
    FDataSet = dataSet;
    if (FDataSet->Active()) {
        if (m_nPageItems != 0)
            m_nPageCount = (FDataSet->RecordCount() + m_nPageItems - 1) / m_nPageItems;
        FDataSet->First();
    }
    SetSelPage(m_nPageCount > 0 ? 1 : 0);
}

QLabel* TStarList::Photo(int column, int row) const
{
    if (column < 0 || column >= m_aPhotos.size() || row < 0 || row >= m_aPhotos[column].size())
        return nullptr;
    return m_aPhotos[column][row];
}

void TStarList::BindPhoto(int column, int row, QLabel* photo)
{
    if (!photo || column < 0 || column >= m_aPhotos.size() || row < 0 || row >= FRowCount)
        return;
    QList<QPointer<QLabel>>& photos = m_aPhotos[column];
    while (photos.size() <= row)
        photos.append(nullptr);
    photos[row] = photo;
    photo->setProperty("Tag", column * FRowCount + row);
    photo->installEventFilter(this);
}

bool TStarList::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* photo = qobject_cast<QLabel*>(watched);
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (photo && mouse->button() == Qt::LeftButton && photo->rect().contains(mouse->position().toPoint())) {
            const QVariant cell = photo->property("Tag");
            if (cell.isValid())
                SetSelected(cell.toInt());
            return true;
        }
    }
    return TItemList::eventFilter(watched, event);
}

TPictureCache& TStarList::PhotoCache()
{
    return TPictureCache::Photos();
}

QPixmap TStarList::CachedPhoto(const QString& path, const QSize& size)
{
    const QString fallback = UiExeDir() + QStringLiteral("Images/Star/default.jpg");
    QPixmap picture = PhotoCache().Picture(path, size, &LoadPicture);
    if (picture.isNull() && path != fallback)
        picture = PhotoCache().Picture(fallback, size, &LoadPicture);
    if (picture.isNull())
        picture = QPixmap::fromImage(LoadPicture(fallback)); // raises why it cannot be read
    return picture;
}

QString TStarList::PhotoPath(const QString& photo)
{
    QString name = photo.trimmed();
    const qsizetype cut = std::max(name.lastIndexOf(QLatin1Char('\\')), name.lastIndexOf(QLatin1Char('/')));
    if (cut >= 0)
        name = name.mid(cut + 1);
    const QString folder = UiExeDir() + QStringLiteral("Images/Star/");
    if (!name.isEmpty() && QFileInfo(folder + name).isFile())
        return folder + name;
    return folder + QStringLiteral("default.jpg");
}

void TStarList::Draw()
{
    GotoPage();
    DataSet* ds = FDataSet && FDataSet->Active() ? FDataSet : nullptr;
    for (int c = 0; c < FColCount; ++c) {
        for (int r = 0; r < FRowCount; ++r) {
            TSubTitle* label = Label(c, r);
            QLabel* photo = Photo(c, r);
            if (!ds || ds->Eof()) {
                if (photo)
                    photo->hide();
                if (label)
                    label->hide();
                continue;
            }
            if (label) {
                try {
                    label->SetCaption(ds->FieldByName(m_aFieldName.value(0)).DisplayText());
                } catch (const std::exception&) {
                }
                label->show();
            }
            if (photo) {
                const Field field = ds->FindField(QStringLiteral("PHOTO"));
                const QString path = PhotoPath(field.IsValid() ? field.AsString() : QString());
                photo->show();
                photo->setPixmap(CachedPhoto(path, photo->size()));
            }
            ds->Next();
        }
    }
    m_nLastRow = FColCount * FRowCount - 1;
    bool found = false;
    for (int c = 0; c < FColCount && !found; ++c) {
        for (int r = 0; r < FRowCount; ++r) {
            TSubTitle* label = Label(c, r);
            if (label && label->isHidden()) {
                m_nLastRow = label->Tag - 1;
                found = true;
                break;
            }
        }
    }
    SetCurFocus(FCurFocus);
}

void TStarList::PaintRow(int colour, int shadowColour)
{
    if (FCurFocus > m_nLastRow || FRowCount <= 0)
        return;
    if (TSubTitle* label = Label(FCurFocus / FRowCount, FCurFocus % FRowCount)) {
        label->SetFontColor(WinColor(colour));
        label->SetShadowColor(shadowColour);
    }
}

void TStarList::CreateCells()
{
    for (int r = 0; r < FRowCount; ++r) {
        for (int c = 0; c < FColCount; ++c) {
            TSubTitle* label = NewLabel();
            const int width = m_aColumnWidth.value(0);
            label->setGeometry(m_nListLeft + c * (width + m_nSpace), m_aRowTop.value(r), width, m_nRowHeight);
            QFont font = label->font();
            if (!m_sFontName.isEmpty())
                font.setFamily(m_sFontName);
            if (m_nFontSize > 0)
                font.setPointSize(m_nFontSize);
            label->setFont(font);
            label->SetFontColor(WinColor(m_nFontColor));
            label->Tag = r + c * FRowCount;
            label->OnClick = [this](TSubTitleLabel* sender) { CellClick(static_cast<TSubTitle*>(sender)); };
            m_aColumnLabels[c].append(label);
        }
    }
}

void TStarList::SetSelected(int cell)
{
    if (cell < 0 || cell > m_nPageItems || cell > m_nLastRow)
        return;
    m_nSelIndex = cell;
    GetSelected();
    if (!m_aColumnClick.isEmpty() && m_aColumnClick[0])
        m_aColumnClick[0](this);
}

void TStarList::MoveTo(int target)
{
    if (target > m_nLastRow)
        target = 0;
    if (target < 0)
        target = m_nLastRow;
    SetCurFocus(target);
}

void TStarList::MoveLeft(int n)
{
    MoveTo(FCurFocus - n);
}
void TStarList::MoveRight(int n)
{
    MoveTo(FCurFocus + n);
}
void TStarList::MoveUp(int)
{
    MoveTo(FCurFocus - FColCount);
}
void TStarList::MoveDown(int)
{
    MoveTo(FCurFocus + FColCount);
}
