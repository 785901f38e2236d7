#include "screens/FrmSinger.h"

#include "catalogue/FrmData.h"
#include "core/Exception.h"
#include "platform/db/DataSet.h"
#include "screens/KeyInput.h"
#include "screens/SongScreens.h"
#include "ui/FlashControl.h"
#include "ui/InputChars.h"
#include "ui/KVFormManager.h"
#include "ui/StarList.h"
#include "ui/SubTitle.h"
#include "ui/UiStation.h"

#include <QLabel>

TFrmSinger::TFrmSinger(QWidget* parent) : TKVFormXML(parent), m_pInputChars(std::make_unique<TInputChars>()) {}

TFrmSinger::~TFrmSinger()
{
    FormDestroy();
}

void TFrmSinger::FormDestroy()
{
    m_pPyFlash = nullptr;
    delete m_pList;
    m_pList = nullptr;
    m_pInputChars.reset();
}

QString TFrmSinger::InputText() const
{
    return m_sInput;
}

void TFrmSinger::SetInputText(const QString& text)
{
    m_sInput = text;
    if (m_pInput)
        m_pInput->SetCaption(text);
}

void TFrmSinger::BindCells(TStarList* grid, int columns, int rows)
{
    grid->m_nPageItems = columns * rows;
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            const int cell = rows * c + r;
            if (auto* photo = qobject_cast<QLabel*>(FindControl(QStringLiteral("singerpic%1").arg(cell))))
                grid->BindPhoto(c, r, photo);
            TSubTitle* name = FindLabel(QStringLiteral("singername%1").arg(cell));
            if (!name) {
                // The grid ends here; later columns may end it again.
                grid->m_nPageItems = cell;
                break;
            }
            grid->BindLabel(c, name, cell);
        }
    }
    grid->m_pPageLabel = FindLabel(QStringLiteral("pagelabel"));
    m_pTitle = FindLabel(QStringLiteral("title"));
    m_pNotFound = FindLabel(QStringLiteral("notfound"));
    m_pInput = FindLabel(QStringLiteral("Input"));
    m_pPyFlash = qobject_cast<TFlashPlayerControl*>(FindControl(QStringLiteral("pyflash")));
    if (m_pPyFlash)
        connect(m_pPyFlash, &TFlashPlayerControl::FSCommand, this,
                [this](const QString& command, const QString& args) { pyFlashFSCommand(command, args); });
    if (m_pNotFound) {
        m_pNotFound->SetCaption(UiText(QStringLiteral("NotFound")));
        m_pNotFound->hide();
    }
    SetInputText(QString());
}

void TFrmSinger::Build(const QDomElement& node)
{
    delete m_pList;
    m_pList = nullptr;
    m_sLastInput.clear();

    TKVFormXML::Build(node);
    auto* grid = new TStarList(this);
    m_pList = grid;
    ReadListColours(grid, m_pNode);
    const auto count = [this](const char* name) {
        const QString text = TKVFormManager::NodeAttr(m_pNode, QString::fromLatin1(name));
        try {
            return TKVFormManager::StrictInt(text);
        } catch (const Exception& e) {
            const QString message = QString::fromLatin1(name) + QStringLiteral(": ") + e.Message();
            throw Exception(g_pFrmManager ? g_pFrmManager->SkinErrorText(m_pNode, message) : message);
        }
    };
    const int columns = count("colcount");
    const int rows = count("rowcount");
    grid->SetColCount(columns);
    grid->SetRowCount(rows);
    grid->m_aFieldName[0] = QStringLiteral("SINGERNAME");
    grid->m_bNumbers = false;
    grid->m_bCursor = false;
    grid->m_bSkinLabels = true;
    grid->m_aColumnClick[0] = [this](QObject*) { StarClick(); };
    grid->OnLayout = [this, columns, rows](TItemList* list) {
        BindCells(static_cast<TStarList*>(list), columns, rows);
    };
    grid->Arrange(false);
    if (FrmData)
        grid->SetDataSet(&FrmData->CD_Singer);
    grid->Draw();
}

void TFrmSinger::FormKeyDown(int& key)
{
    QString input = EditLetters(InputText(), key, m_pInputChars.get());
    SetInputText(input);
    if (input != m_sLastInput) {
        if (FrmData && FrmData->m_pFilter)
            FrmData->m_pFilter->SetSingerInitials(input.toUpper());
        if (m_pList) {
            // A new criterion gives a new grid: its first page, first cell.
            m_pList->Reset();
            m_pList->Refresh();
        }
        m_sLastInput = input;
    }
    if (!MouseStation() && UiDigitOfKey(key) >= 0)
        return;
    HandOnToList(m_pList, this, key);
}

void TFrmSinger::StarClick()
{
    if (!FrmData || !FrmData->CD_Singer.Active() || FrmData->CD_Singer.Eof())
        return;
    SetInputText(QString());
    const QString singer = FrmData->CD_Singer.FieldByName(QStringLiteral("SINGERNAME")).AsString();
    if (FrmData->m_pFilter)
        FrmData->m_pFilter->SetSinger(singer);
    if (g_pFrmManager)
        g_pFrmManager->ShowSongList();
}

void TFrmSinger::pyFlashFSCommand(const QString& command, const QString&)
{
    PostMovieKey(this, command);
}
