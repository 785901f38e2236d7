#pragma once
// TFrmOCR: the handwriting screen (skin node frmocr). The guest writes a
// Chinese character on the writing pad; the recognizer offers candidates on
// the labels words0..words9, and the one the guest touches is added to the
// input, narrowing the screen's song list to the songs whose name begins
// with the characters chosen so far. Songs are ordered from that list; a
// touch on a singer shows that singer's songs. Without a pad in the skin
// (or without a recognizer model) the screen is a plain song list.
#include "ui/KVFormXML.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

class QLabel;
class QMouseEvent;
class THandWriteX;
class TItemList;
class TSubTitle;

class TFrmOCR : public TKVFormXML
{
    Q_OBJECT
public:
    explicit TFrmOCR(QWidget* parent = nullptr);
    ~TFrmOCR() override;

    void Build(const QDomElement& node = QDomElement()) override;
    void FormKeyDown(int& key) override;

    // Orders the chosen row (CD_Song's current record).
    void SongClick();
    // Shows the clicked singer's songs on the list.
    void SingerClick(TSubTitle* label);
    // The candidates from the recognizer, one per line, best first.
    void HandWriteRecognizerContext(QObject* sender, const QString& candidates);
    // Gives the writing pad the focus.
    void FormClick();
    void FormDestroy();

    // The characters chosen so far.
    QString InputText() const;
    // The candidate label the UP and DOWN keys have reached (-1: none).
    int FocusedCandidate() const { return m_nFocusedCandidate; }

    static constexpr int kMaxCandidates = 10;

    THandWriteX* HandWrite = nullptr;
    QString m_sLastInput;
    int m_nCandidates = 0;
    QList<QPointer<TSubTitle>> m_aCandidates;
    QPointer<QWidget> m_pWrite;
    QStringList m_pCandidateList;
    QPointer<QLabel> m_pPadImage;
    QPointer<TSubTitle> m_pInput, m_pTitle, m_pNotFound;
    TItemList* m_pList = nullptr;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void BindLabels(TItemList* list);
    void ConnectPad();
    void CandidateClick(TSubTitle* label);
    void ClearHandwriting();
    void SetInputText(const QString& text);
    // Narrows the list to the input when it changed since last time.
    void ApplyInput();
    void ShowFirstPage();
    void FocusCandidate(int index);
    void MoveCandidateFocus(int step);

    int m_nFocusedCandidate = -1;
    QList<QColor> m_aCandidateColours;
};
