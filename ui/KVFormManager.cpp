#include "ui/KVFormManager.h"

#include "core/Convert.h"
#include "core/Exception.h"
#include "core/Gbk.h"
#include "core/Helpers.h"
#include "core/Hooks.h"
#include "core/Log.h"
#include "core/Setting.h"
#include "ui/KVFormXML.h"
#include "ui/SkinFlash.h"
#include "ui/SubTitle.h"
#include "ui/UiHooks.h"
#include "ui/UiStation.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTimer>

TKVFormManager* g_pFrmManager = nullptr;
QPointer<TKVFormXML> g_pLockScreen;

// ---- screen classes ----

static QHash<QString, TScreenFactory>& Factories()
{
    static QHash<QString, TScreenFactory> factories;
    return factories;
}

void RegisterScreenFactory(const QString& elementName, TScreenFactory factory)
{
    Factories().insert(elementName, std::move(factory));
}

TScreenFactory FindScreenFactory(const QString& elementName)
{
    return Factories().value(elementName);
}

void RegisterUiScreens()
{
    if (!Factories().contains(QStringLiteral("portal")))
        RegisterScreenFactory(QStringLiteral("portal"), [] { return new TFrmMain(); });
}

static TKVFormXML* CreateScreen(const QString& elementName)
{
    const TScreenFactory factory = FindScreenFactory(elementName);
    return factory ? factory() : new TKVFormXML();
}

// ---- construction ----

TKVFormManager::TKVFormManager(QObject* owner) : QObject(owner)
{
    RegisterUiScreens();
}

TKVFormManager::~TKVFormManager()
{
    delete m_pErrorScreen.data();
    if (g_pFrmManager == this)
        g_pFrmManager = nullptr;
}

// ---- skin document ----

QDomElement TKVFormManager::SelectNode(const QString& path) const
{
    if (path.isEmpty())
        return QDomElement();
    QDomNode node = m_pDocument;
    for (const QString& step : path.split(QLatin1Char('/'))) {
        if (step.isEmpty())
            return QDomElement();
        node = node.firstChildElement(step);
        if (node.isNull())
            return QDomElement();
    }
    return node.toElement();
}

QString TKVFormManager::NodeName(const QDomElement& node)
{
    return node.isNull() ? QString() : node.tagName();
}

QString TKVFormManager::NodeAttr(const QDomElement& node, const QString& name)
{
    if (node.isNull() || name.isEmpty())
        return QString();
    return node.attribute(name);
}

int TKVFormManager::AttrToInt(const QString& text)
{
    return TextToInt(text).value_or(0);
}

int TKVFormManager::StrictInt(const QString& text)
{
    const std::optional<int> value = TextToInt(text);
    if (!value)
        throw Exception(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return *value;
}

QDomElement TKVFormManager::FindButton(const QDomElement& screenNode, const QString& name) const
{
    if (name.isEmpty())
        return QDomElement();
    QDomElement button = screenNode.isNull() ? QDomElement() : screenNode.firstChildElement(name);
    if (button.isNull() && !m_pPublicButtons.isNull())
        button = m_pPublicButtons.firstChildElement(name);
    return button;
}

int TKVFormManager::ButtonKey(const QDomElement& button, bool second) const
{
    const QString key = NodeAttr(button, QStringLiteral("key"));
    if (key.isEmpty())
        return 0;
    const qsizetype hash = key.indexOf(QLatin1Char('#'));
    QString word;
    if (second)
        word = hash < 0 ? QString() : key.mid(hash + 1);
    else
        word = hash < 0 ? key : key.left(hash);
    if (word.isEmpty())
        return 0;
    return UiCodeOfWord(word);
}

QDomElement TKVFormManager::FindButtonByKey(const QDomElement& screenNode, int keyCode) const
{
    if (keyCode == 0)
        return QDomElement();
    auto search = [&](const QDomElement& parent) {
        for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
            if ((ButtonKey(e, false) == keyCode || ButtonKey(e, true) == keyCode) &&
                e.attribute(QStringLiteral("visible")) == QLatin1String("1") &&
                e.attribute(QStringLiteral("enabled")) == QLatin1String("1"))
                return e;
        }
        return QDomElement();
    };
    QDomElement button = screenNode.isNull() ? QDomElement() : search(screenNode);
    if (button.isNull() && !m_pPublicButtons.isNull())
        button = search(m_pPublicButtons);
    return button;
}

QString TKVFormManager::SkinErrorText(const QDomNode& node, const QString& message) const
{
    const QString file = m_sSkinFile.isEmpty() ? QStringLiteral("buttons.xml") : m_sSkinFile;
    return QStringLiteral("%1:%2: %3").arg(file).arg(node.isNull() ? 0 : node.lineNumber()).arg(message);
}

// ---- loading ----

// Skin files may declare a legacy encoding (gb2312, GBK); those are read as
// GBK. Everything else is left to the XML reader, which refuses documents
// that expand entities beyond its limit. An error gives "line:column: reason".
static bool ParseSkin(QDomDocument& document, const QByteArray& bytes, QString& error)
{
    static const QRegularExpression declaration(
        QStringLiteral("^\\s*<\\?xml[^>]*encoding\\s*=\\s*[\"']([^\"']+)[\"']"));
    const QRegularExpressionMatch match = declaration.match(QString::fromLatin1(bytes.left(200)));
    QString message;
    int line = 0;
    int column = 0;
    bool ok = false;
    if (match.hasMatch() && !match.captured(1).toLower().startsWith(QLatin1String("utf")))
        ok = document.setContent(ToWide(bytes), &message, &line, &column);
    else
        ok = document.setContent(bytes, &message, &line, &column);
    if (!ok)
        error = QStringLiteral("%1:%2: %3").arg(line).arg(column).arg(message);
    return ok;
}

// Reads and parses the skin file; gives the error ("file:line:column: reason"
// or "file: reason") when it cannot be used.
static QString ReadSkin(QDomDocument& document, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return path + QStringLiteral(": ") + file.errorString();
    // A skin file is a few hundred kilobytes; the document takes about twenty
    // times its size in memory, so a huge file is refused before it is read.
    if (file.size() > kMaxSkinFileBytes)
        return path + QStringLiteral(": %1 bytes, more than the %2 a skin file may have")
                          .arg(file.size())
                          .arg(kMaxSkinFileBytes);
    QString error;
    if (!ParseSkin(document, file.read(kMaxSkinFileBytes + 1), error))
        return path + QLatin1Char(':') + error;
    return QString();
}

void TKVFormManager::ShowSkinError(const QString& error)
{
    m_sSkinError = error;
    // Written whether Debug is on or not: the station cannot serve guests.
    WriteLog(QStringLiteral("皮肤文件错误:") + error, true);
    DebugOutput(QStringLiteral("皮肤文件错误:") + error);
    delete m_pErrorScreen.data();
    m_pErrorScreen = new TSkinErrorScreen(error);
    m_pErrorScreen->setAttribute(Qt::WA_DeleteOnClose);
    m_pErrorScreen->show();
}

bool TKVFormManager::SkinHasPortal(const QString& path)
{
    QDomDocument document;
    if (!ReadSkin(document, path).isEmpty())
        return false;
    return !document.firstChildElement(QStringLiteral("root")).firstChildElement(QStringLiteral("portal")).isNull();
}

void TKVFormManager::LoadSkin(const QString& path)
{
    m_pDocument = QDomDocument();
    m_pPortal = QDomElement();
    m_pPublicButtons = QDomElement();
    m_sSkinError.clear();
    delete m_pErrorScreen.data();
    m_sSkinFile = path;
    const QFileInfo info(path);
    m_sSkinFolder = info.absolutePath();
    if (!m_sSkinFolder.endsWith(QLatin1Char('/')))
        m_sSkinFolder += QLatin1Char('/');

    // A skin that cannot be used shows the error instead of the portal; the
    // lookups then find nothing.
    QString error = ReadSkin(m_pDocument, path);
    if (error.isEmpty() && SelectNode(QStringLiteral("root/portal")).isNull())
        error = path + QStringLiteral(": no root/portal element");
    if (!error.isEmpty()) {
        m_pDocument = QDomDocument();
        ShowSkinError(error);
        return;
    }

    const QDomElement portal = SelectNode(QStringLiteral("root/portal"));
    if (portal.isNull())
        return;
    m_pPortal = portal;
    m_nLeft = AttrToInt(NodeAttr(portal, QStringLiteral("left")));
    m_nTop = AttrToInt(NodeAttr(portal, QStringLiteral("top")));
    m_nWidth = AttrToInt(NodeAttr(portal, QStringLiteral("width")));
    m_nHeight = AttrToInt(NodeAttr(portal, QStringLiteral("height")));
    m_pPublicButtons = SelectNode(QStringLiteral("root/public/button"));

    ShowNode(portal, true);

    const TSetting* setting = UiSetting();
    if (setting && setting->NeedLogin) {
        TKVFormXML* lock = OpenLock([](ILockScreen& l) { l.InputAllowed = true; }, QString());
        if (lock) {
            // RETURN must not leave the login, with or without a Return button.
            if (auto* purpose = dynamic_cast<ILockScreen*>(lock))
                purpose->DisableReturn();
            if (TSubTitle* back = lock->FindLabel(QStringLiteral("Return")))
                back->setEnabled(false);
            SwitchToWindow(lock);
        }
    }
}

// ---- screens ----

TKVFormXML* TKVFormManager::OpenLock(const std::function<void(ILockScreen&)>& flags, const QString& prompt)
{
    TKVFormXML* lock = ShowLock(false);
    if (!lock)
        return nullptr;
    g_pLockScreen = lock;
    auto* purpose = dynamic_cast<ILockScreen*>(lock);
    if (purpose)
        flags(*purpose);
    try {
        lock->ShowScreen();
    } catch (const Exception& e) {
        UiLog(e.Message());
        DebugOutput(e.Message());
        delete lock;
        return nullptr;
    }
    if (!prompt.isNull()) {
        if (purpose) {
            purpose->SetPrompt(prompt);
        } else if (TSubTitle* msg = lock->FindLabel(QStringLiteral("Msg"))) {
            msg->SetCaption(prompt);
        }
    }
    return lock;
}

TKVFormXML* TKVFormManager::ShowNode(const QDomElement& node, bool show)
{
    if (node.isNull() || node.firstChildElement().isNull())
        return nullptr;
    if (TKVFormXML* open = FindOpenScreen(node)) {
        // Shown again: built anew from its node, as a new showing would be,
        // so it shows what the catalogue views hold now (a new criterion
        // set by the screen that asked for it).
        if (show)
            Rebuild(open);
        return nullptr;
    }

    const QString name = node.tagName();
    const TSetting* setting = UiSetting();
    auto passwordGate = [&](const QString& value, bool disco) {
        // "1": open; "0" or empty: closed; anything else is the password
        // that the lock screen asks for.
        if (value.isEmpty() || value == QLatin1String("0"))
            return false;
        if (value == QLatin1String("1"))
            return true;
        OpenLock(
            [disco](ILockScreen& l) {
                l.InputAllowed = true;
                (disco ? l.DiscoMode : l.SexMode) = true;
            },
            UiText(disco ? QStringLiteral("GoDisco") : QStringLiteral("GoSex")));
        return false;
    };
    if (name == QLatin1String("Disco") && !passwordGate(setting ? setting->Disco : QStringLiteral("1"), true))
        return nullptr;
    if (name == QLatin1String("Sex") && !passwordGate(setting ? setting->Sex : QStringLiteral("1"), false))
        return nullptr;

    if ((name == QLatin1String("storke") || name == QLatin1String("number")) && UiHooks().LoaderRunning())
        return nullptr;
    if ((name == QLatin1String("foodtype") || name == QLatin1String("frmbill")) &&
        !CallHook("RoomServiceConnects", UiHooks().RoomServiceConnects))
        return nullptr;

    TKVFormXML* screen = CreateScreen(name);
    screen->m_pNode = node;
    if (show) {
        try {
            screen->ShowScreen();
        } catch (const Exception& e) {
            // A skin error: this screen is not shown; the station goes on.
            UiLog(QStringLiteral("皮肤错误:") + e.Message());
            DebugOutput(QStringLiteral("皮肤错误:") + e.Message());
            delete screen;
            return nullptr;
        }
    }
    return screen;
}

bool TKVFormManager::ButtonAction(const QDomElement& screenNode, const QDomElement& button)
{
    if (button.isNull())
        return false;
    TUiHooks& hooks = UiHooks();
    const QString buttonName = button.tagName();
    const QString parameter = NodeAttr(button, QStringLiteral("parameter"));
    const QString click = NodeAttr(button, QStringLiteral("click"));
    const QString screenName = NodeName(screenNode);
    const QString pyStyle = NodeAttr(m_pPortal, QStringLiteral("PyStyle"));

    if (!button.firstChildElement().isNull()) {
        if (buttonName == QLatin1String("songbypy")) {
            if (hooks.LoaderRunning())
                return false;
            if (pyStyle == QLatin1String("touch")) {
                hooks.ClearCriteria();
                return ShowSongList() != nullptr;
            }
            ShowNode(button, true);
            return true;
        }
        if (buttonName == QLatin1String("singerbypy")) {
            if (hooks.LoaderRunning())
                return false;
            if (pyStyle == QLatin1String("touch")) {
                hooks.SetSingerClass(1);
                return ShowSinger() != nullptr;
            }
            ShowNode(button, true);
            return true;
        }
        ShowNode(button, true);
        return true;
    }

    if (click == QLatin1String("frmsong")) {
        if (hooks.LoaderRunning())
            return false;
        if (!parameter.isEmpty()) {
            if (screenName == QLatin1String("Language")) {
                hooks.SetLanguage(parameter);
            } else if (screenName == QLatin1String("SongType")) {
                hooks.SetSongType(parameter);
            } else if (screenName == QLatin1String("Words")) {
                hooks.ClearCriteria();
                hooks.SetSongCount(AttrToInt(parameter));
            } else if (screenName == QLatin1String("Top")) {
                hooks.SetRanking(parameter);
            } else if (screenName == QLatin1String("Movie")) {
                hooks.SetFilmType(parameter);
            } else if (screenName == QLatin1String("Sex")) {
                hooks.SetAdultType(parameter);
            } else if (screenName == QLatin1String("Disco")) {
                hooks.SetDanceType(parameter);
            }
        }
        if (buttonName == QLatin1String("NewSong"))
            hooks.SetNewSongs(QStringLiteral("1"));
        ShowSongList();
        return false;
    }
    if (click == QLatin1String("frmsinger")) {
        if (hooks.LoaderRunning())
            return false;
        if (screenName == QLatin1String("SingerType")) {
            if (!parameter.isEmpty())
                hooks.SetSingerClass(AttrToInt(parameter));
            ShowSinger();
        }
        return false;
    }
    if (click == QLatin1String("frmorder"))
        ShowOrdered();
    else if (click == QLatin1String("frmlock"))
        ShowLock(true);
    else if (click == QLatin1String("frmosd"))
        ShowOsd();
    else if (click == QLatin1String("frmocr"))
        ShowOcr();
    else if (click == QLatin1String("frmvolume"))
        ShowVolume(false);
    else if (click == QLatin1String("frmrecord"))
        ShowRecord(false);
    else if (click == QLatin1String("frmfoodorder"))
        ShowFoodOrder();
    else if (click == QLatin1String("frmbill"))
        ShowBill();
    else if (click == QLatin1String("frmbilldetail"))
        ShowBillDetail();
    else if (click == QLatin1String("frmrepair"))
        ShowRepair();
    else if (click == QLatin1String("frmmylove")) {
        ShowMyLove();
        return true;
    } else if (click == QLatin1String("frmskin")) {
        const int language = parameter == QLatin1String(".") ? 10 : AttrToInt(parameter);
        hooks.SwitchLanguage(language);
        return true;
    }
    return false;
}

// ---- open-screen list ----

void TKVFormManager::Prune()
{
    m_pScreens.removeIf([](const QPair<QString, QPointer<TKVFormXML>>& entry) { return entry.second.isNull(); });
}

void TKVFormManager::PushScreen(TKVFormXML* screen)
{
    if (!screen)
        return;
    Prune();
    if (!m_pScreens.isEmpty() && m_pScreens.last().second == screen)
        return;
    m_pScreens.append({screen->objectName(), screen});
}

void TKVFormManager::RemoveScreen(TKVFormXML* screen)
{
    m_pScreens.removeIf([screen](const QPair<QString, QPointer<TKVFormXML>>& entry) {
        return entry.second.isNull() || entry.second == screen;
    });
}

TKVFormXML* TKVFormManager::FindOpenScreen(const QDomElement& node)
{
    if (node.isNull())
        return nullptr;
    Prune();
    const QString name = node.tagName();
    for (qsizetype i = m_pScreens.size() - 1; i >= 0; --i) {
        if (m_pScreens[i].first != name)
            continue;
        TKVFormXML* screen = m_pScreens[i].second;
        // Brought forward it is the front screen: the newest entry, which
        // keys, swipes and the front-keeping timer go to.
        m_pScreens.append(m_pScreens.takeAt(i));
        if (screen->isHidden())
            screen->show();
        screen->BringToFront();
        return screen;
    }
    return nullptr;
}

void TKVFormManager::Rebuild(TKVFormXML* screen)
{
    // A Flash overlay is not built from the skin.
    if (!screen->m_bShowHandler)
        return;
    try {
        screen->Build();
    } catch (const Exception& e) {
        UiLog(QStringLiteral("皮肤错误:") + e.Message());
        DebugOutput(QStringLiteral("皮肤错误:") + e.Message());
    }
}

TKVFormXML* TKVFormManager::TopScreen() const
{
    for (qsizetype i = m_pScreens.size() - 1; i >= 0; --i) {
        if (m_pScreens[i].second)
            return m_pScreens[i].second;
    }
    return nullptr;
}

QList<TKVFormXML*> TKVFormManager::OpenScreens() const
{
    QList<TKVFormXML*> screens;
    for (const auto& entry : m_pScreens) {
        if (entry.second)
            screens.append(entry.second);
    }
    return screens;
}

bool TKVFormManager::IsMainForm(const TKVFormXML* screen) const
{
    return screen && UiHooks().MainForm() == static_cast<const QWidget*>(screen);
}

void TKVFormManager::CloseToPortal(const TKVFormXML* keep)
{
    Prune();
    const auto screens = m_pScreens;
    for (qsizetype i = screens.size() - 1; i >= 0; --i) {
        TKVFormXML* screen = screens[i].second;
        if (!screen || screen == keep)
            continue;
        if (NodeName(screen->m_pNode) == QLatin1String("portal") || IsMainForm(screen))
            break;
        screen->close();
    }
}

void TKVFormManager::CloseAll()
{
    Prune();
    const auto screens = m_pScreens;
    for (qsizetype i = screens.size() - 1; i >= 0; --i) {
        try {
            if (screens[i].second)
                screens[i].second->close();
        } catch (...) {
        }
    }
}

// ---- named openers ----

TKVFormXML* TKVFormManager::ShowPath(const QString& path)
{
    return ShowNode(SelectNode(path), true);
}

TKVFormXML* TKVFormManager::ShowPortal()
{
    return ShowPath(QStringLiteral("root/portal"));
}
TKVFormXML* TKVFormManager::ShowOrderSong()
{
    return ShowPath(QStringLiteral("root/portal/ordersong"));
}
TKVFormXML* TKVFormManager::ShowTop()
{
    return ShowPath(QStringLiteral("root/portal/ordersong/Top"));
}
TKVFormXML* TKVFormManager::ShowSingerType()
{
    return ShowPath(QStringLiteral("root/portal/ordersong/SingerType"));
}
TKVFormXML* TKVFormManager::ShowNumber()
{
    return ShowPath(QStringLiteral("root/portal/ordersong/number"));
}
TKVFormXML* TKVFormManager::ShowSongType()
{
    return ShowPath(QStringLiteral("root/portal/ordersong/SongType"));
}
TKVFormXML* TKVFormManager::ShowLanguage()
{
    return ShowPath(QStringLiteral("root/portal/ordersong/Language"));
}
TKVFormXML* TKVFormManager::ShowWords()
{
    return ShowPath(QStringLiteral("root/portal/ordersong/Words"));
}
TKVFormXML* TKVFormManager::ShowStroke()
{
    return ShowPath(QStringLiteral("root/portal/ordersong/storke"));
}

bool TKVFormManager::ShowSongByPy()
{
    return ButtonAction(SelectNode(QStringLiteral("root/portal/ordersong")),
                        SelectNode(QStringLiteral("root/portal/ordersong/songbypy")));
}

TKVFormXML* TKVFormManager::ShowMovie()
{
    return ShowPath(QStringLiteral("root/portal/Movie"));
}

TKVFormXML* TKVFormManager::ShowDisco()
{
    const TSetting* setting = UiSetting();
    if (setting && setting->Disco != QLatin1String("1"))
        return nullptr;
    return ShowPath(QStringLiteral("root/portal/Disco"));
}

TKVFormXML* TKVFormManager::ShowSex()
{
    const TSetting* setting = UiSetting();
    if (setting && setting->Sex != QLatin1String("1"))
        return nullptr;
    return ShowPath(QStringLiteral("root/portal/Movie/Sex"));
}

TKVFormXML* TKVFormManager::ShowFoodType()
{
    return ShowPath(QStringLiteral("root/portal/foodtype"));
}
TKVFormXML* TKVFormManager::ShowSongList()
{
    return ShowPath(QStringLiteral("root/public/form/frmsong"));
}

TKVFormXML* TKVFormManager::ShowSinger()
{
    if (NodeAttr(m_pPortal, QStringLiteral("SingerStyle")) == QLatin1String("pic"))
        return ShowPath(QStringLiteral("root/public/form/frmsinger"));
    return ShowPath(QStringLiteral("root/public/form/frmsingerlist"));
}

TKVFormXML* TKVFormManager::ShowOrdered()
{
    return ShowPath(QStringLiteral("root/public/form/frmorder"));
}

TKVFormXML* TKVFormManager::ShowLock(bool show)
{
    return ShowNode(SelectNode(QStringLiteral("root/public/form/frmlock")), show);
}

TKVFormXML* TKVFormManager::ShowMsg()
{
    return ShowPath(QStringLiteral("root/public/form/frmmsg"));
}
TKVFormXML* TKVFormManager::ShowOsd()
{
    return ShowPath(QStringLiteral("root/public/form/frmosd"));
}

TKVFormXML* TKVFormManager::ShowOcr()
{
    if (UiHooks().LoaderRunning())
        return nullptr;
    return ShowPath(QStringLiteral("root/public/form/frmocr"));
}

TKVFormXML* TKVFormManager::ShowRepair()
{
    if (UiHooks().LoaderRunning())
        return nullptr;
    return ShowPath(QStringLiteral("root/public/form/frmrepair"));
}

TKVFormXML* TKVFormManager::ShowMyLove()
{
    if (!UiHooks().FavouritesUserSignedIn())
        return ShowPath(QStringLiteral("root/public/form/frmmylovelogin"));
    return ShowPath(QStringLiteral("root/public/form/frmmylove"));
}

TKVFormXML* TKVFormManager::ShowMyLoveList()
{
    return ShowPath(QStringLiteral("root/public/form/frmmylove"));
}
TKVFormXML* TKVFormManager::ShowFood()
{
    return ShowPath(QStringLiteral("root/public/form/frmfood"));
}
TKVFormXML* TKVFormManager::ShowFoodFjx()
{
    return ShowPath(QStringLiteral("root/public/form/frmfoodfjx"));
}
TKVFormXML* TKVFormManager::ShowFoodCount()
{
    return ShowPath(QStringLiteral("root/public/form/frmfoodcount"));
}
TKVFormXML* TKVFormManager::ShowBillDetail()
{
    return ShowPath(QStringLiteral("root/public/form/frmbilldetail"));
}
TKVFormXML* TKVFormManager::ShowFoodOrder()
{
    return ShowPath(QStringLiteral("root/public/form/frmfoodorder"));
}
TKVFormXML* TKVFormManager::ShowBill()
{
    return ShowPath(QStringLiteral("root/public/form/frmbill"));
}

TKVFormXML* TKVFormManager::ShowVolume(bool asScreen)
{
    return ShowFlashOverlay(asScreen, QStringLiteral("volume.swf"), QStringLiteral("root/public/form/frmvolume"));
}

TKVFormXML* TKVFormManager::ShowRecord(bool asScreen)
{
    return ShowFlashOverlay(asScreen, QStringLiteral("Record.swf"), QStringLiteral("root/public/form/frmrecord"));
}

TKVFormXML* TKVFormManager::ShowFlashOverlay(bool asScreen, const QString& movie, const QString& path)
{
    const QString moviePath = UiSkinFolder() + movie;
    if (!QFileInfo::exists(moviePath))
        asScreen = true;
    const QDomElement node = SelectNode(path);
    TKVFormXML* screen = ShowNode(node, asScreen);
    if (asScreen)
        return screen;
    if (!screen)
        return FindOpenScreen(node);

    // The overlay: not built from the skin. It does go on the open-screen
    // list under its node's name, so the next key of its kind brings this
    // one forward instead of opening another, RETURN and the home key close
    // it, and it stays in front while it is open.
    screen->m_bShowHandler = false;
    screen->setObjectName(node.tagName());
    try {
        screen->setGeometry(
            StrictInt(NodeAttr(node, QStringLiteral("left"))), StrictInt(NodeAttr(node, QStringLiteral("top"))),
            StrictInt(NodeAttr(node, QStringLiteral("width"))), StrictInt(NodeAttr(node, QStringLiteral("height"))));
    } catch (...) {
        delete screen;
        throw;
    }
    screen->m_bPaintBackground = false;
    ShowOverlayFlash(screen, moviePath);
    screen->ShowScreen();
    PushScreen(screen);
    screen->TimerPlaying->start();
    return screen;
}

TKVFormXML* TKVFormManager::FindVolume()
{
    return FindOpenScreen(SelectNode(QStringLiteral("root/public/form/frmvolume")));
}

TKVFormXML* TKVFormManager::ShowShutdownLock()
{
    return OpenLock(
        [](ILockScreen& l) {
            l.InputAllowed = true;
            l.ShutdownMode = true;
        },
        UiText(QStringLiteral("LockForShutDown")));
}
