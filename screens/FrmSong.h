#pragma once
// TFrmSong: the song list screen (skin node frmsong). It shows the catalogue
// view CD_Song a page at a time as the song filter left it, narrows it by
// typed first letters (or keypad letters on remote-driven stations) and by a
// word count, jumps to a singer's songs and orders the chosen song into the
// play queue.
#include "ui/KVFormXML.h"

#include <QPointer>
#include <QString>
#include <memory>

class TFlashPlayerControl;
class TInputChars;
class TItemList;
class TSubTitle;

class TFrmSong : public TKVFormXML
{
    Q_OBJECT
public:
    explicit TFrmSong(QWidget* parent = nullptr);
    ~TFrmSong() override;

    void Build(const QDomElement& node = QDomElement()) override;
    void FormKeyDown(int& key) override;

    // Orders the song on the chosen row (CD_Song's current record).
    void SongClick();
    // Shows every song of the singer the clicked control names.
    void SingerClick(TSubTitle* label);
    // Applies the word count chosen in m_pWords.
    void WordClick();
    // A command of the pinyin keyboard movie: its first character becomes a
    // key press of the screen.
    void pyFlashFSCommand(const QString& command, const QString& args);
    void FormDestroy();

    // The text of the Input label (empty without one).
    QString InputText() const;

    QString m_sLastInput;
    QPointer<TSubTitle> m_pInput, m_pTitle, m_pNotFound;
    QPointer<TFlashPlayerControl> m_pPyFlash;
    // The word-count tabs; null when the skin has none.
    TItemList* m_pWords = nullptr;
    TItemList* m_pList = nullptr;
    std::unique_ptr<TInputChars> m_pInputChars;

private:
    void SetInputText(const QString& text);
    void BindSongLabels(TItemList* list);
    void BuildWords();
    // Shows the not-found label (with its text) when the page has no rows.
    void UpdateNotFound();
    // Redraws the list from page 1 after its criteria changed.
    void ShowFirstPage();
};
