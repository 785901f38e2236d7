#pragma once
// TItemList: a paged list drawn on a screen's labels. It shows a data set (or
// a list of texts) one page at a time, a fixed number of rows of one shadow
// label per column, with an optional number column, a focus highlight with an
// optional cursor picture and a chosen mark. It pages with wrap-around, moves
// the focus with the arrow keys and chooses rows by ENTER, a click, a digit
// key or a double click, calling the screen's handler with the data set on
// the chosen record. The screen owns the labels; the list drives them.
//
// Rows and columns are numbered from 0. Colours are Windows colour numbers.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>

class DataSet;
class Field;
class QLabel;
class TKVFormXML;
class TSubTitle;

class TItemList : public QObject
{
    Q_OBJECT
public:
    using TEvent = std::function<void(QObject* sender)>;

    explicit TItemList(TKVFormXML* owner);
    ~TItemList() override;

    // ---- virtual operations ----
    virtual void SetSelected(int row);
    virtual void SetDataSet(DataSet* dataSet);
    virtual void SetCurFocus(int row);
    virtual void PaintRow(int colour, int shadowColour);
    virtual void CreateCells();
    virtual void CreateNumberLabels();
    virtual void CreateNumberPictures();
    virtual void CreateCursor();
    virtual void Draw();
    virtual void PointAt(int row);
    virtual void SetItemCount(int n);
    virtual void SetColCount(int n);
    virtual void SetRowCount(int n);
    virtual void MoveLeft(int n);
    virtual void MoveRight(int n);
    virtual void MoveUp(int n);
    virtual void MoveDown(int n);
    virtual void PriorPage();
    virtual void NextPage();
    virtual int GetSelected();
    virtual void GotoPage();
    virtual void Refresh();
    virtual void Reset();
    virtual void HandleKey(QObject* sender, int& key, Qt::KeyboardModifiers shift = {});

    // ---- other operations ----
    // takeKeys: the owner's key-down handling becomes HandleKey.
    void Arrange(bool takeKeys);
    void SetSelPage(int n);
    void ResetRows();
    void CellClick(TSubTitle* label);
    void CellHover(TSubTitle* label);
    void CellDblClick(TSubTitle* label);
    // Adds a screen's label to a column as row `row` (its Tag), clicking
    // through CellClick (or `click` when given). For OnLayout handlers.
    void BindLabel(int column, TSubTitle* label, int row, std::function<void(TSubTitle*)> click = {});
    // The label of a column and row, or null.
    TSubTitle* Label(int column, int row) const;

    // Property readers.
    int ItemCount() const { return FItemCount; }
    int ColCount() const { return FColCount; }
    int RowCount() const { return FRowCount; }
    int SelPage() const { return FSelPage; }
    int CurFocus() const { return FCurFocus; }
    DataSet* GetDataSet() const { return FDataSet; }

    // ---- members ----
    QPointer<QLabel> m_pCursor;
    DataSet* FDataSet = nullptr;
    int m_aChosen[100] = {};
    int FColCount = 0;
    int m_nSelIndex = 0;
    int m_nHoverTag = 0;
    int FSelPage = 1;
    int FItemCount = 0;
    int m_nFirstItem = 0;
    int FCurFocus = 0;
    int m_nSelRow = 0;
    int FRowCount = 0;
    QString m_sFontName;
    int m_nPageCount = 0;
    int m_nListLeft = 0, m_nListTop = 0;
    int m_nRowHeight = 0, m_nSpace = 0;
    int m_nPageItems = 10;
    int m_nFontSize = 0;
    int m_nSelColor = 0;
    int m_nFontColor = 0;
    int m_nNumberColor = 0;
    int m_nOverColor = 0;
    int m_nShadowColor = 0, m_nShadowWidth = 0, m_nShadowStyle = 0;
    bool m_bCursor = false;
    bool m_bNumbers = false;
    bool m_bRechoose = true;
    int m_nOverShadowColor = 0;
    bool m_bNumberPictures = false;
    int m_nLastRow = 0;
    bool m_bFocus = true;
    bool m_bHoverFocus = true;
    bool m_bSkinLabels = false;
    bool m_bDblClickPlays = false;
    QList<TEvent> m_aColumnClick;
    QList<int> m_aColumnWidth;
    QStringList m_aFieldName;
    QList<QList<QPointer<TSubTitle>>> m_aColumnLabels;
    QList<QPointer<TSubTitle>> m_pNumberLabels;
    QList<QPointer<QLabel>> m_pNumberPictures;
    QStringList m_aItems;
    std::function<void(TItemList*)> OnLayout;
    // Runs after each drawing of the rows (row buttons follow the rows).
    std::function<void(TItemList*)> OnDrawn;
    // The text of a data set cell (the field's own text when unset).
    std::function<QString(const Field&)> OnCellText;
    QList<int> m_aRowTop;
    QPointer<TKVFormXML> m_pOwner;
    QPointer<TSubTitle> m_pPageLabel;

protected:
    // ResetRows, leaving the labels of rows below keepShown as they are.
    void ClearRows(int keepShown);
    bool IsMarked(int row) const;
    void Mark(int row);
    void ShowNumber(int row, bool show);
    // The column index must exist (the list raises on others).
    void CheckColumn(int column) const;
    // Texts of the current record for the columns; false past the end.
    QString CellText(int column);
    void ApplyLanguageFont(TSubTitle* label);
    TSubTitle* NewLabel();

    bool m_bTookKeys = false;
};
