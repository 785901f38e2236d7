#pragma once
// TFrmSinger: the singer screen (skin nodes frmsinger, with photos, and
// frmsingerlist). It shows the singers of the chosen class as a grid of
// photos and names, a page at a time, narrows the grid at each typed first
// letter of the singer's pinyin (or keypad letter on remote-driven
// stations), and on a choice opens the song list with all songs of that
// singer. The skin's node must give the grid's colours and its column and
// row counts; without them the screen is not shown.
#include "ui/KVFormXML.h"

#include <QPointer>
#include <QString>
#include <memory>

class TFlashPlayerControl;
class TInputChars;
class TStarList;
class TSubTitle;

class TFrmSinger : public TKVFormXML
{
    Q_OBJECT
public:
    explicit TFrmSinger(QWidget* parent = nullptr);
    ~TFrmSinger() override;

    void Build(const QDomElement& node = QDomElement()) override;
    void FormKeyDown(int& key) override;

    // The grid's choice: the chosen singer is current in CD_Singer.
    void StarClick();
    // A command of the pinyin keyboard movie: its first character becomes a
    // key press of the screen.
    void pyFlashFSCommand(const QString& command, const QString& args);
    void FormDestroy();

    // The letters typed (shown in the Input label when the skin has one).
    QString InputText() const;

    QString m_sLastInput;
    QPointer<TSubTitle> m_pInput, m_pTitle, m_pNotFound;
    TStarList* m_pList = nullptr;
    std::unique_ptr<TInputChars> m_pInputChars;
    QPointer<TFlashPlayerControl> m_pPyFlash;

private:
    void BindCells(TStarList* grid, int columns, int rows);
    void SetInputText(const QString& text);

    QString m_sInput;
};
