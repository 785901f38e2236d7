#include "roomservice/FoodList.h"

#include "roomservice/FrmAdo.h"
#include "screens/RowLabels.h"
#include "screens/SongScreens.h"
#include "ui/ItemList.h"
#include "ui/KVFormManager.h"
#include "ui/SubTitle.h"

TFoodListForm::TFoodListForm(QWidget* parent) : TKVFormXML(parent) {}

TFoodListForm::~TFoodListForm()
{
    FormDestroy();
}

void TFoodListForm::FormDestroy()
{
    try {
        delete m_pList;
    } catch (...) {
    }
    m_pList = nullptr;
}

void TFoodListForm::Build(const QDomElement& node)
{
    FormDestroy();
    TKVFormXML::Build(node);
    const TFoodListLayout layout = Layout();
    m_pList = new TItemList(this);
    ReadListColours(m_pList, m_pNode);
    m_pList->SetColCount(int(layout.fields.size()));
    m_pList->m_aFieldName = layout.fields;
    if (layout.onChoose)
        m_pList->m_aColumnClick[0] = [choose = layout.onChoose](QObject*) { choose(); };
    m_pList->m_bNumbers = false;
    m_pList->m_bCursor = false;
    m_pList->m_bRechoose = true;
    m_pList->m_bHoverFocus = false;
    m_pList->m_bSkinLabels = true;
    // Money as "#0.00", quantities as typed.
    m_pList->OnCellText = [](const Field& field) { return TFrmAdo::DisplayText(field); };
    m_pList->OnDrawn = [this, buttons = layout.rowButtons](TItemList* list) {
        ShowButtonsOfRows(*this, *list, buttons);
    };
    m_pList->OnLayout = [this, labels = layout.labels](TItemList* list) {
        // A label with a skin key keeps it (the key chooses its row); any
        // other chooses its row when touched.
        const auto keep = [this](TSubTitle* label) { KeepButtonKey(*this, label); };
        const int rows = BindRowLabels(*this, *list, 0, labels.value(0), {}, keep);
        if (rows < kMaxRowLabels)
            list->m_nPageItems = rows;
        for (int column = 1; column < labels.size(); ++column)
            BindRowLabels(*this, *list, column, labels[column], {}, keep);
        list->m_pPageLabel = FindLabel(QStringLiteral("pagelabel"));
        BindMoreLabels();
    };
    m_pList->Arrange(false);
    if (DataSet* data = Data())
        m_pList->SetDataSet(data);
    m_pList->Draw();
    m_pList->SetCurFocus(0);
}

void TFoodListForm::FormKeyDown(int& key)
{
    if (m_pList)
        m_pList->HandleKey(this, key);
}
