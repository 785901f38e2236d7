#include "screens/FrmRepair.h"

#include "catalogue/FrmData.h"
#include "core/Gbk.h"
#include "core/Guard.h"
#include "core/KeyMap.h"
#include "platform/db/DataSet.h"
#include "platform/keys/VirtualKeys.h"
#include "screens/RepairLists.h"
#include "ui/KVFormManager.h"
#include "ui/SubTitle.h"
#include "ui/UiStation.h"

#include <QApplication>
#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSet>
#include <algorithm>
#include <memory>

namespace {

// Texts with fewer GBK bytes than this count as not filled in.
constexpr int kMinFilledBytes = 3;
constexpr int kVkF12 = 123;

bool Filled(const QString& text)
{
    return ToNarrow(text).size() >= kMinFilledBytes;
}

QString TextOf(const QLineEdit* edit)
{
    return edit ? edit->text() : QString();
}

QString TextOf(const QComboBox* list)
{
    return list ? list->currentText() : QString();
}

void SetText(QLineEdit* edit, const QString& text)
{
    if (edit)
        edit->setText(text);
}

// Shows the text; the item of that text is chosen when the list has one.
void SetListText(QComboBox* list, const QString& text)
{
    if (!list)
        return;
    const int index = list->findText(text, Qt::MatchExactly);
    list->setCurrentIndex(index);
    if (list->isEditable())
        list->setEditText(text);
}

// Chooses the item at a position; nothing (an empty text) when the list has
// no such position.
void SetListPosition(QComboBox* list, int position)
{
    if (!list)
        return;
    if (position >= 0 && position < list->count()) {
        list->setCurrentIndex(position);
        return;
    }
    list->setCurrentIndex(-1);
    if (list->isEditable())
        list->setEditText(QString());
}

// The position of the shown text among the items, -1 when it is none of them.
int PositionOf(const QComboBox* list)
{
    return list ? list->findText(list->currentText(), Qt::MatchExactly) : -1;
}

bool ShowsAnItem(const QComboBox* list)
{
    return PositionOf(list) >= 0;
}

void ReplaceItems(QComboBox* list, const QStringList& items)
{
    list->clear();
    list->addItems(items);
}

// Control characters cannot be part of a record field (0x01 separates them).
QString RecordField(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() >= 0x20)
            out.append(c);
    }
    return out;
}

// The playing entry's song number; empty when nothing plays or the queue
// cannot be read now.
QString PlayingSongNo()
{
    DataSet* playing = FrmData ? FrmData->m_pPlaying : nullptr;
    if (!playing || !playing->Active())
        return QString();
    try {
        playing->First();
        if (playing->Eof())
            return QString();
        return playing->FieldByName(QStringLiteral("SongNo")).AsString().trimmed();
    } catch (const std::exception& e) {
        UiLog(QStringLiteral("FrmRepair.PlayingSongNo: ") + QString::fromUtf8(e.what()));
        return QString();
    }
}

QString CatalogueSongNo()
{
    if (!FrmData || !FrmData->CD_Song.Active() || FrmData->CD_Song.Eof())
        return QString();
    return FrmData->CD_Song.FieldByName(QStringLiteral("SongNo")).AsString().trimmed();
}

// The song's record as the catalogue holds it now: the player program writes
// the corrections into the database, which the loaded view does not see, so
// a song shown again (after going back) shows what was saved. The view's row
// serves when the database cannot be asked.
class SongRow
{
public:
    explicit SongRow(const QString& songNo)
    {
        try {
            m_query.SetConnection(&FrmData->ado);
            m_query.SetCommandText(QStringLiteral("select * from qu_song where SongNo=?"));
            m_query.SetParameters({songNo});
            m_query.Open();
            if (!m_query.Eof())
                m_pSet = &m_query;
        } catch (const std::exception& e) {
            UiLog(QStringLiteral("FrmRepair.SongRow: ") + QString::fromUtf8(e.what()));
        }
        if (!m_pSet)
            m_pSet = &FrmData->CD_Song;
    }
    // The field's text; empty when it is null or the catalogue lacks it.
    QString Text(const char* name) const
    {
        const Field field = m_pSet->FindField(QLatin1String(name));
        return field.IsValid() ? field.AsString().trimmed() : QString();
    }
    // The field's number; -1 when it is empty or not a number.
    int Position(const char* name) const
    {
        bool ok = false;
        const int value = Text(name).toInt(&ok);
        return ok ? value : -1;
    }

private:
    DataSet m_query;
    DataSet* m_pSet = nullptr;
};

} // namespace

TRepairLink& RepairLink()
{
    static TRepairLink link;
    return link;
}

void RefreshRepairScreen()
{
    if (auto* repair = qobject_cast<TFrmRepair*>(g_pFrmManager ? g_pFrmManager->TopScreen() : nullptr))
        repair->ShowCurrentSong();
}

TFrmRepair::TFrmRepair(QWidget* parent) : TKVFormXML(parent)
{
    // The staff review every song of the catalogue.
    if (FrmData && FrmData->CD_Song.Active())
        FrmData->CD_Song.SetFiltered(false);
    CheckBox1 = new QCheckBox(QStringLiteral("放出来就是原唱"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox2 = new QCheckBox(QStringLiteral("始终保持焦点在前台"), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setChecked(true);
    for (QCheckBox* box : {CheckBox1, CheckBox2}) {
        QPalette palette = box->palette();
        palette.setColor(QPalette::WindowText, Qt::white);
        box->setPalette(palette);
        box->installEventFilter(this);
    }
    connect(CheckBox1, &QCheckBox::clicked, this,
            [this] { RunGuarded(QStringLiteral("FrmRepair.CheckBox1Click"), [this] { CheckBox1Click(); }); });
    connect(CheckBox2, &QCheckBox::clicked, this,
            [this] { RunGuarded(QStringLiteral("FrmRepair.CheckBox2Click"), [this] { CheckBox2Click(); }); });
}

void TFrmRepair::Build(const QDomElement& node)
{
    TKVFormXML::Build(node);
    m_bGuide = false;
    FindControls();
    // NextName and PlayingName are this screen's message and progress lines,
    // not the now-playing labels the base screen refreshes.
    m_pPlayingName = nullptr;
    m_pNextName = nullptr;
    if (m_pProgress)
        m_pProgress->OnClick = [this](TSubTitleLabel*) {
            RunGuarded(QStringLiteral("FrmRepair.ClickToSum"), [this] { ClickToSum(); });
        };
    if (m_pNumber)
        m_pNumber->setReadOnly(true);
    FillFixedLists();
    FillSingers();
    PlaceCheckBoxes();
    FillTypes(1);
    // A rebuilt screen has empty controls: the playing song is shown anew.
    m_sLastSongNo.clear();
    ShowCurrentSong();
    if (m_sLastSongNo.isEmpty()) {
        // No song to show: the lists still offer their usual choice.
        SetListPosition(m_pVersion, 0);
        SetListPosition(m_pMusicVersion, 0);
    }
    ClickToSum();
}

void TFrmRepair::FindControls()
{
    const auto edit = [this](const char* name) { return qobject_cast<QLineEdit*>(FindControl(QLatin1String(name))); };
    const auto list = [this](const char* name) {
        auto* combo = qobject_cast<QComboBox*>(FindControl(QLatin1String(name)));
        if (combo) {
            // The staff may type a choice; only the listed ones are accepted.
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->setMaxVisibleItems(16);
        }
        return combo;
    };
    m_pName = edit("Name");
    m_pNumber = edit("Number");
    m_pTimes = edit("Times");
    m_pPy = edit("Py");
    m_pDate = edit("Date");
    m_pRemark = list("Remark");
    m_pType = list("Type");
    m_pVersion = list("Version");
    m_pLang = list("Lang");
    m_pSinger = list("Singer");
    m_pMusicVersion = list("MusicVersion");
    m_pNote = FindLabel(QStringLiteral("NextName"));
    m_pProgress = FindLabel(QStringLiteral("PlayingName"));
}

void TFrmRepair::FillFixedLists()
{
    m_bFilling = true;
    const std::pair<QComboBox*, const QStringList*> lists[] = {{m_pLang, &repairlists::Languages()},
                                                               {m_pVersion, &repairlists::Versions()},
                                                               {m_pMusicVersion, &repairlists::MusicVersions()},
                                                               {m_pRemark, &repairlists::Remarks()}};
    for (const auto& [list, items] : lists) {
        if (list)
            ReplaceItems(list, *items);
    }
    m_bFilling = false;
    if (m_pLang)
        connect(m_pLang, &QComboBox::currentTextChanged, this, [this] {
            if (!m_bFilling)
                RunGuarded(QStringLiteral("FrmRepair.ComboBox1Change"), [this] { ComboBox1Change(); });
        });
    if (m_pVersion && m_pVersion->isEnabled())
        m_pVersion->setFocus();
}

void TFrmRepair::FillSingers()
{
    if (!m_pSinger || !FrmData)
        return;
    DataSet& singers = FrmData->CD_Singer;
    QStringList names;
    if (singers.Active()) {
        singers.SetFiltered(false);
        QSet<QString> seen;
        const Field name = singers.FindField(QStringLiteral("SingerName"));
        if (name.IsValid()) {
            for (singers.First(); !singers.Eof(); singers.Next()) {
                const QString text = name.AsString().trimmed();
                if (!text.isEmpty() && !seen.contains(text)) {
                    seen.insert(text);
                    names.append(text);
                }
            }
        }
    }
    QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
    std::sort(names.begin(), names.end(),
              [&collator](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    m_bFilling = true;
    ReplaceItems(m_pSinger, names);
    SetListPosition(m_pSinger, -1);
    m_bFilling = false;
}

void TFrmRepair::PlaceCheckBoxes()
{
    // Below the inputs, left-aligned with them, unless the skin places them.
    int left = 20, bottom = 20;
    bool first = true;
    for (QWidget* input : std::initializer_list<QWidget*>{m_pName, m_pNumber, m_pTimes, m_pPy, m_pDate, m_pRemark,
                                                          m_pType, m_pVersion, m_pLang, m_pSinger, m_pMusicVersion}) {
        if (!input)
            continue;
        left = first ? input->x() : std::min(left, input->x());
        bottom = first ? input->geometry().bottom() + 10 : std::max(bottom, input->geometry().bottom() + 10);
        first = false;
    }
    QRect place(left, bottom, 300, 32);
    for (QCheckBox* box : {CheckBox1, CheckBox2}) {
        const QDomElement e = m_pNode.firstChildElement(box->objectName());
        QFont font = box->font();
        if (!e.isNull()) {
            const auto value = [&e](const char* name) {
                return TKVFormManager::AttrToInt(TKVFormManager::NodeAttr(e, QLatin1String(name)));
            };
            place = QRect(value("left"), value("top"), value("width"), value("height"));
            if (value("fontsize") > 0)
                font.setPointSize(value("fontsize"));
            // A skin in another language names the boxes in it.
            const QString caption = TKVFormManager::NodeAttr(e, QStringLiteral("caption"));
            if (!caption.isEmpty())
                box->setText(caption);
        } else {
            font.setPointSize(std::max(font.pointSize(), 12));
        }
        box->setFont(font);
        box->setGeometry(place);
        box->show();
        box->raise();
        place.translate(place.width() + 10, 0);
    }
}

void TFrmRepair::FillTypes(int languagePosition)
{
    if (!m_pType)
        return;
    const int chosen = PositionOf(m_pType);
    m_bFilling = true;
    ReplaceItems(m_pType, repairlists::TypesOf(languagePosition));
    SetListPosition(m_pType, chosen);
    m_bFilling = false;
}

void TFrmRepair::ComboBox1Change()
{
    FillTypes(PositionOf(m_pLang));
}

void TFrmRepair::ShowCurrentSong()
{
    if (!FrmData)
        return;
    const QString songNo = PlayingSongNo();
    if (songNo == m_sLastSongNo)
        return;
    m_sLastSongNo = songNo;
    bool found = false;
    try {
        found = !songNo.isEmpty() && (FrmData->m_pFilter ? FrmData->m_pFilter->FindSongNo(songNo)
                                                         : FrmData->CD_Song.Locate(QStringLiteral("SongNo"), songNo));
    } catch (const std::exception& e) {
        UiLog(QStringLiteral("FrmRepair.ShowCurrentSong: ") + QString::fromUtf8(e.what()));
    }
    if (found) {
        const SongRow row(songNo);
        m_bFilling = true;
        SetText(m_pName, row.Text("Name"));
        SetText(m_pNumber, row.Text("SongNo"));
        SetText(m_pTimes, row.Text("TotalTimes"));
        SetText(m_pPy, row.Text("First_Char"));
        SetText(m_pDate, row.Text("CreateDate"));
        SetListText(m_pSinger, row.Text("Singer_Nam"));
        const int language = row.Position("Lan_Type");
        SetListPosition(m_pLang, language);
        const QString remark = row.Text("Remark");
        if (Filled(remark)) {
            SetListText(m_pRemark, remark);
        } else {
            SetListPosition(m_pRemark, 0);
            SetListText(m_pRemark, QStringLiteral("清晰"));
        }
        const QString version = row.Text("Version");
        SetListText(m_pVersion, Filled(version) ? version : m_sLastVersion);
        const QString music = row.Text("Music");
        if (Filled(music))
            SetListText(m_pMusicVersion, music);
        else
            SetListPosition(m_pMusicVersion, 0);
        m_bFilling = false;
        FillTypes(PositionOf(m_pLang));
        SetListPosition(m_pType, row.Position("Type"));
    }
    if (m_pVersion && m_pVersion->isEnabled())
        m_pVersion->setFocus();
    ShowNote(QString());
    // The count follows the review: a new song means one more was done.
    ClickToSum();
}

QStringList TFrmRepair::SongRecord() const
{
    const auto position = [](const QComboBox* list) { return list ? QString::number(PositionOf(list)) : QString(); };
    QStringList fields{TextOf(m_pNumber), TextOf(m_pName),    TextOf(m_pTimes),  TextOf(m_pPy),
                       TextOf(m_pDate),   TextOf(m_pVersion), TextOf(m_pSinger), TextOf(m_pMusicVersion),
                       position(m_pLang), position(m_pType),  TextOf(m_pRemark)};
    for (QString& field : fields)
        field = RecordField(field);
    return fields;
}

bool TFrmRepair::Refuse(const QString& text, QWidget* focus)
{
    ShowNote(text);
    if (focus && focus->isEnabled())
        focus->setFocus();
    return false;
}

bool TFrmRepair::SaveAndMove(int direction)
{
    const QString playing = PlayingSongNo();
    if (playing.isEmpty() || playing != CatalogueSongNo()) {
        ShowNote(QStringLiteral("歌表和正放表的歌曲编号不一致"));
        return false;
    }
    if (m_pType && !ShowsAnItem(m_pType))
        return Refuse(QStringLiteral("歌曲类型输入有误,请重输"), m_pType);
    if (m_pLang && !ShowsAnItem(m_pLang))
        return Refuse(QStringLiteral("歌曲语种输入有误,请重输"), m_pLang);
    // An unusable song needs its reason in the remark (where there is one to write it in).
    const bool unusable =
        TextOf(m_pVersion) == repairlists::Unusable() || TextOf(m_pMusicVersion) == repairlists::Unusable();
    if (unusable && m_pRemark && TextOf(m_pRemark).trimmed().isEmpty())
        return Refuse(QStringLiteral("输入不能要的原因"), m_pRemark);
    if (m_pVersion)
        m_sLastVersion = TextOf(m_pVersion);
    const TRepairLink& link = RepairLink();
    if (!link.SendSongRecord || !link.SendSongRecord(direction ? 1 : 0, SongRecord())) {
        // Nothing was stored and the song stays: the staff must know.
        ShowNote(QStringLiteral("没有找到播放器,修改未保存"));
        return false;
    }
    return true;
}

void TFrmRepair::ClickToSum()
{
    if (!m_pProgress || !FrmData)
        return;
    try {
        DataSet count;
        count.SetConnection(&FrmData->ado);
        count.SetCommandText(QStringLiteral("SELECT count(SongNo) as nCount FROM original WHERE music is not null"));
        count.Open();
        const qint64 done = count.Eof() ? 0 : count.Fields(0).AsInteger();
        int left = 0;
        if (DataSet* queue = FrmData->m_pOrder; queue && queue->Active()) {
            queue->First();
            left = queue->RecordCount();
        }
        m_pProgress->SetCaption(QStringLiteral("已消灭: ") + QString::number(done) + QStringLiteral(" ,还剩余:") +
                                QString::number(left) + QStringLiteral(" ,冲啊!"));
    } catch (const std::exception& e) {
        UiLog(QStringLiteral("FrmRepair.ClickToSum: ") + QString::fromUtf8(e.what()));
    }
}

void TFrmRepair::ShowNote(const QString& text)
{
    if (m_pNote)
        m_pNote->SetCaption(text);
}

void TFrmRepair::CheckBox1Click()
{
    if (RepairLink().SendVocalCheck)
        RepairLink().SendVocalCheck(CheckBox1->isChecked());
}

void TFrmRepair::CheckBox2Click()
{
    if (RepairLink().KeepInFront)
        RepairLink().KeepInFront(CheckBox2->isChecked());
}

void TFrmRepair::FormClose()
{
    // The station keeps its screen in front again once the staff are done.
    if (!CheckBox2->isChecked() && RepairLink().KeepInFront)
        RepairLink().KeepInFront(true);
    TKVFormXML::FormClose();
}

void TFrmRepair::FormKeyDown(int& key)
{
    const TKeyMap& keys = UiKeys();
    if (key == vk::Return) {
        // Enter moves on to the next input, as Tab does.
        QWidget* focus = QApplication::focusWidget();
        QWidget* target = focus && isAncestorOf(focus) ? focus : this;
        QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier));
    }
    // The keyboard's own keys stand for the player's commands here.
    switch (key) {
    case vk::Next:
        key = keys.STOP;
        break;
    case vk::Prior:
        key = keys.GUIDE;
        break;
    case vk::Insert:
        key = keys.PLAY;
        break;
    case vk::Delete:
        key = keys.YUANCHANG;
        break;
    case vk::End:
        key = keys.FASTPRIOR;
        break;
    case vk::Home:
        key = keys.FASTBACK;
        break;
    case kVkF12:
        key = keys.REPEATSONG;
        break;
    default:
        break;
    }
    if (key == keys.STOP) {
        ShowNote(UiText(QStringLiteral("RepairSaveNext")));
        SaveAndMove(1);
        return;
    }
    if (key == keys.GUIDE) {
        ShowNote(UiText(QStringLiteral("RepairSavePrevious")));
        SaveAndMove(0);
        return;
    }
    // What the key does, before the station does it, in the station's language.
    const auto note = [this](const char* text) { ShowNote(UiText(QLatin1String(text))); };
    if (key == keys.PAUSE || key == keys.PLAY)
        note(FrmData && FrmData->m_bPlayerPaused ? "RepairPlay" : "RepairPause");
    if (key == keys.BANCHANG || key == keys.YUANCHANG)
        note(FrmData && FrmData->m_bOriginalVocal ? "RepairVocal" : "RepairBacking");
    if (key == keys.FASTPRIOR)
        note("RepairForward");
    if (key == keys.FASTBACK)
        note("RepairRewind");
    if (key == keys.REPEATSONG)
        note("RepairReplay");
    if (key == keys.VOLUME_ADD || key == keys.VOLUME_DEC)
        ShowNote(UiText(QStringLiteral("VolVol")) + QString::number(FrmData ? FrmData->m_nMusicVolume : 0));
    // Keys that would take the staff off this screen or change the queue.
    if (key == vk::Space || key == keys.POINT || key == keys.FIRSTPLAY || key == keys.DELSONG)
        return;
    TKVFormXML::FormKeyDown(key);
}

bool TFrmRepair::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched != this) {
        auto* e = static_cast<QKeyEvent*>(event);
        const bool input = qobject_cast<QLineEdit*>(watched) || qobject_cast<QComboBox*>(watched);
        const bool command = e->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
        const QString text = e->text();
        const bool printable =
            !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
        // What the staff type into an input is the input's: a letter or a
        // "-" in a title must not open another screen.
        if (input && printable && !command)
            return TKVFormBase::eventFilter(watched, event);
        // Enter and the keys that stand for player commands are the
        // screen's alone: the inputs do not also act on them.
        switch (VkFromKeyEvent(e)) {
        case vk::Return:
        case vk::Next:
        case vk::Prior:
        case vk::Insert:
        case vk::Delete:
        case vk::End:
        case vk::Home:
        case kVkF12:
            KeyDown(VkFromKeyEvent(e));
            return true;
        default:
            break;
        }
    }
    return TKVFormXML::eventFilter(watched, event);
}
