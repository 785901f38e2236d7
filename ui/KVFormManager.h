#pragma once
// TKVFormManager: the form manager. It holds the skin file buttons.xml, the
// portal rectangle and the list of open screens (oldest first), creates the
// screen class that a skin node's element name names, and performs the
// actions of skin buttons. There is one, g_pFrmManager.
#include "ui/SkinErrorScreen.h"

#include <QDomDocument>
#include <QDomElement>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>
#include <functional>

class TKVFormXML;

// The largest skin file the manager reads (4 MB; a skin is a few hundred KB).
constexpr qint64 kMaxSkinFileBytes = 4 * 1024 * 1024;

// Creates a screen of one class (hidden, not yet given its node).
using TScreenFactory = std::function<TKVFormXML*()>;
// Registers the class for an element name, replacing an earlier one.
void RegisterScreenFactory(const QString& elementName, TScreenFactory factory);
// The class for an element name; null when none is registered (the plain
// skinned screen is then used).
TScreenFactory FindScreenFactory(const QString& elementName);
// Registers the framework's own screen classes (the portal). Safe to call
// more than once; keeps classes that were registered before.
void RegisterUiScreens();

// The lock screen's opener interface: the lock screen class implements it;
// the manager sets the purpose flags before showing it and the prompt after.
class ILockScreen
{
public:
    virtual ~ILockScreen() = default;
    bool InputAllowed = false;
    bool ShutdownMode = false;
    bool LockMode = false;
    bool DrinkMode = false;
    bool AddSongMode = false;
    bool SexMode = false;
    bool DiscoMode = false;
    virtual void SetPrompt(const QString& text) = 0;
    // RETURN no longer closes the screen (its Return button is disabled).
    virtual void DisableReturn() {}
    // The screen closes itself after ms milliseconds (a time warning).
    virtual void StartCloseTimer(int /*ms*/) {}
    virtual bool CloseTimerActive() const { return false; }
    // The station powers off 10 seconds later (a shutdown from the server).
    virtual void StartShowTimer() {}
};

// The lock screen that is open (station-wide reference), or null.
extern QPointer<TKVFormXML> g_pLockScreen;

class TKVFormManager : public QObject
{
    Q_OBJECT
public:
    explicit TKVFormManager(QObject* owner = nullptr);
    ~TKVFormManager() override;

    // ---- skin document ----
    QDomElement SelectNode(const QString& path) const;
    static QString NodeName(const QDomElement& node);
    static QString NodeAttr(const QDomElement& node, const QString& name);
    // Decimal, or hexadecimal after "$" or "0x"; empty or malformed text is 0.
    static int AttrToInt(const QString& text);
    // The same, but malformed text raises Exception ("'x' is not a valid
    // integer value").
    static int StrictInt(const QString& text);
    QDomElement FindButton(const QDomElement& screenNode, const QString& name) const;
    int ButtonKey(const QDomElement& button, bool second) const;
    QDomElement FindButtonByKey(const QDomElement& screenNode, int keyCode) const;
    // The loaded skin file and its folder (ending with '/').
    QString SkinFile() const { return m_sSkinFile; }
    QString SkinFolder() const { return m_sSkinFolder; }
    // "file:line: message", for skin errors a venue can mend.
    QString SkinErrorText(const QDomNode& node, const QString& message) const;

    // ---- operations ----
    // Loads the skin file and shows the portal. A file that is missing, too
    // large, does not parse or has no portal shows the skin error screen
    // instead (and logs the error); the lookups then find nothing.
    void LoadSkin(const QString& path);
    // Whether the file is a skin that can be shown: it reads, parses and has
    // a portal.
    static bool SkinHasPortal(const QString& path);
    // The last load's error ("file:line:column: reason"; empty: none) and its
    // error screen while it is open.
    QString SkinError() const { return m_sSkinError; }
    TSkinErrorScreen* SkinErrorScreen() const { return m_pErrorScreen; }
    TKVFormXML* ShowNode(const QDomElement& node, bool show);
    virtual bool ButtonAction(const QDomElement& screenNode, const QDomElement& button);

    void PushScreen(TKVFormXML* screen);
    void RemoveScreen(TKVFormXML* screen);
    TKVFormXML* FindOpenScreen(const QDomElement& node);
    TKVFormXML* TopScreen() const;
    // Closes screens from the newest down to the portal; keep (a lock screen
    // that must stay) is passed over.
    void CloseToPortal(const TKVFormXML* keep = nullptr);
    void CloseAll();
    // Open screens, oldest first (tests and diagnostics).
    QList<TKVFormXML*> OpenScreens() const;

    // ---- named openers ----
    TKVFormXML* ShowPortal();
    TKVFormXML* ShowOrderSong();
    TKVFormXML* ShowTop();
    TKVFormXML* ShowSingerType();
    TKVFormXML* ShowNumber();
    TKVFormXML* ShowSongType();
    TKVFormXML* ShowLanguage();
    TKVFormXML* ShowWords();
    TKVFormXML* ShowStroke();
    bool ShowSongByPy();
    TKVFormXML* ShowMovie();
    TKVFormXML* ShowDisco();
    TKVFormXML* ShowSex();
    TKVFormXML* ShowFoodType();
    TKVFormXML* ShowSongList();
    TKVFormXML* ShowSinger();
    TKVFormXML* ShowOrdered();
    TKVFormXML* ShowLock(bool show);
    TKVFormXML* ShowMsg();
    TKVFormXML* ShowOsd();
    TKVFormXML* ShowOcr();
    TKVFormXML* ShowRepair();
    TKVFormXML* ShowMyLove();
    TKVFormXML* ShowMyLoveList();
    TKVFormXML* ShowFood();
    TKVFormXML* ShowFoodFjx();
    TKVFormXML* ShowFoodCount();
    TKVFormXML* ShowBillDetail();
    TKVFormXML* ShowFoodOrder();
    TKVFormXML* ShowBill();
    TKVFormXML* ShowVolume(bool asScreen);
    TKVFormXML* ShowRecord(bool asScreen);
    TKVFormXML* FindVolume();
    TKVFormXML* ShowShutdownLock();
    // Opens the lock screen with a purpose (flags set before it shows, the
    // prompt after; a null prompt is not set) and keeps it as the
    // station-wide lock screen.
    TKVFormXML* OpenLock(const std::function<void(ILockScreen&)>& flags, const QString& prompt);

    QList<QPair<QString, QPointer<TKVFormXML>>> m_pScreens;
    QDomDocument m_pDocument;
    QDomElement m_pPortal;
    QDomElement m_pPublicButtons;
    int m_nLeft = 0;
    int m_nTop = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;

private:
    TKVFormXML* ShowPath(const QString& path);
    TKVFormXML* ShowFlashOverlay(bool asScreen, const QString& movie, const QString& path);
    bool IsMainForm(const TKVFormXML* screen) const;
    // Builds an open screen anew; a skin error is logged and leaves it as it is.
    void Rebuild(TKVFormXML* screen);
    void Prune();
    void ShowSkinError(const QString& error);

    QString m_sSkinFile;
    QString m_sSkinFolder;
    QString m_sSkinError;
    QPointer<TSkinErrorScreen> m_pErrorScreen;
};

extern TKVFormManager* g_pFrmManager;
