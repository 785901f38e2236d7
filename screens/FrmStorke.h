#pragma once
// TFrmStorke: the stroke screen (skin node storke). The guest enters the
// strokes of the first character of a song name with the five stroke
// buttons (horizontal, vertical, left-falling, right-falling, turning); the
// matching songs show at once in the screen's own list and are ordered from
// it. A touch on a singer shows that singer's songs on the same list.
#include "ui/KVFormXML.h"

#include <QPointer>
#include <QString>

class TItemList;
class TSubTitle;

class TFrmStorke : public TKVFormXML
{
    Q_OBJECT
public:
    explicit TFrmStorke(QWidget* parent = nullptr);
    ~TFrmStorke() override;

    void Build(const QDomElement& node = QDomElement()) override;
    void FormKeyDown(int& key) override;

    // Orders the chosen row (CD_Song's current record).
    void SongClick();
    // Shows the clicked singer's songs on the list.
    void SingerClick(TSubTitle* label);
    void FormDestroy();

    // The strokes typed ("横竖撇"), and the digit code they stand for ("123").
    const QString& Strokes() const { return m_sStrokes; }
    static QString StrokeCode(const QString& strokes);

    QString m_sLastInput;
    QPointer<TSubTitle> m_pInput, m_pTitle, m_pNotFound;
    TItemList* m_pList = nullptr;

private:
    void BindLabels(TItemList* list);
    void SetStrokes(const QString& strokes);
    void UpdateNotFound();
    void ShowFirstPage();

    QString m_sStrokes;
};
