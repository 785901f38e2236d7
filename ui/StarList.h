#pragma once
// TStarList: the item list laid out as a grid of singers, each cell a name
// label and, where the skin gives one, a photo box. Cells are numbered
// column by column: k = column * RowCount + row; the records of a page fill
// them in that order. Left/Right step one cell, Up/Down ColCount cells.
#include "ui/ItemList.h"

#include <QImage>

class TPictureCache;

class TStarList : public TItemList
{
    Q_OBJECT
public:
    explicit TStarList(TKVFormXML* owner);

    void SetSelected(int cell) override;
    void SetDataSet(DataSet* dataSet) override;
    void PaintRow(int colour, int shadowColour) override;
    void CreateCells() override;
    void CreateNumberLabels() override {}
    void Draw() override; // throws Exception when neither photo nor default.jpg can be read
    void SetColCount(int n) override;
    void MoveLeft(int n) override;
    void MoveRight(int n) override;
    void MoveUp(int n) override;
    void MoveDown(int n) override;

    // The photo box of a cell position, or null.
    QLabel* Photo(int column, int row) const;
    // Puts a skin photo box at a cell position (SetColCount and SetRowCount
    // first); a touch on the photo chooses the cell, as one on its name does.
    void BindPhoto(int column, int row, QLabel* photo);
    // The picture file for a record's photo value: the file-name part in the
    // program's Images/Star/ folder, or Images/Star/default.jpg.
    static QString PhotoPath(const QString& photo);
    // The picture of a photo file; one that cannot be read (not a picture)
    // gives the default picture. Throws Exception when that cannot be read
    // either. Decoded once, scaled to `size` (the photo box) and kept in
    // PhotoCache while the file is unchanged.
    static QPixmap CachedPhoto(const QString& path, const QSize& size = QSize());
    // The decoded photos of every singer grid, kept between redraws (32 MB
    // of pixels at most).
    static TPictureCache& PhotoCache();

    // Per column, the photo boxes by row position.
    QList<QList<QPointer<QLabel>>> m_aPhotos;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void MoveTo(int target);
};
