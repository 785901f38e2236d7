#pragma once
// TFrmRepair: the song maintenance screen (skin node frmrepair), the staff's
// tool for reviewing the catalogue while the queued songs play. It shows the
// catalogue record of the playing song in the skin's edit boxes and lists,
// checks the corrections, and hands the corrected record to the player
// program, which stores it and moves to the next (Page Down) or previous
// (Page Up) song. The player's next report makes the station call
// ShowCurrentSong, which then shows the new song.
//
// Skin controls (each may be absent): edits Name, Number (read-only), Times,
// Py, Date; lists Lang, Type, Version, MusicVersion, Remark, Singer; labels
// NextName (the message line) and PlayingName (the progress count; a touch
// counts again). Elements CheckBox1 and CheckBox2 (type "checkbox") place the
// screen's two check boxes, and their caption names them in the skin's
// language; without them the boxes sit below the inputs. What a key does is
// told in the station's language (texts RepairSaveNext ... RepairReplay).
//
// The screen has no timer of its own: the player's report of each new song
// drives ShowCurrentSong, and the base screen's now-playing refresh is left
// to the queue count.
#include "ui/KVFormXML.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;

// What the screen asks of the station beyond the catalogue: the player
// program's messages and the main window's keep-in-front timer. Installed at
// start-up; an empty function does nothing (and a send gives false).
struct TRepairLink
{
    // The song record (its fields in order) with the direction: 1 next, 0 previous.
    std::function<bool(int direction, const QStringList& fields)> SendSongRecord;
    // Whether what the player plays now is the singer's own vocal track.
    std::function<bool(bool vocal)> SendVocalCheck;
    // The main window keeps the front screen in front (on) or not.
    std::function<void(bool on)> KeepInFront;
};
TRepairLink& RepairLink();
// A player report: the front screen, when it is the maintenance screen,
// shows the song that plays now.
void RefreshRepairScreen();

class TFrmRepair : public TKVFormXML
{
    Q_OBJECT
public:
    explicit TFrmRepair(QWidget* parent = nullptr);

    void Build(const QDomElement& node = QDomElement()) override;
    void FormKeyDown(int& key) override;

    // Shows the playing song's record when the playing song has changed.
    void ShowCurrentSong();
    // Fills Type with the types of a language position, keeping the chosen
    // position where the new list has it.
    void FillTypes(int languagePosition);
    // Checks the entries and sends the record: direction 1 next, 0 previous.
    // False when a check refused it or the player did not take it.
    bool SaveAndMove(int direction);
    // Counts the reviewed songs and the songs left into PlayingName.
    void ClickToSum();
    void ShowNote(const QString& text);

    void ComboBox1Change();
    void CheckBox1Click();
    void CheckBox2Click();

    // The song record as it would be sent now (fields in order).
    QStringList SongRecord() const;

    QPointer<QLineEdit> m_pName, m_pNumber, m_pTimes, m_pPy, m_pDate;
    QPointer<QComboBox> m_pRemark, m_pType, m_pVersion, m_pLang, m_pSinger, m_pMusicVersion;
    QPointer<TSubTitle> m_pNote, m_pProgress; // NextName, PlayingName
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;

    const QString& LastSongNo() const { return m_sLastSongNo; }
    const QString& LastVersion() const { return m_sLastVersion; }

protected:
    void FormClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FindControls();
    void FillFixedLists();
    void FillSingers();
    void PlaceCheckBoxes();
    // Shows a check's message and puts the focus on the list to correct.
    bool Refuse(const QString& text, QWidget* focus);

    QString m_sLastSongNo;
    QString m_sLastVersion = QStringLiteral("MTV");
    // The screen itself is changing the lists (no change handlers).
    bool m_bFilling = false;
};
