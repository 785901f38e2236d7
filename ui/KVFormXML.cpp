#include "ui/KVFormXML.h"

#include "core/Exception.h"
#include "core/Guard.h"
#include "core/Hooks.h"
#include "core/IniFile.h"
#include "core/Setting.h"
#include "platform/image/Jpeg.h"
#include "platform/keys/VirtualKeys.h"
#include "ui/ItemList.h"
#include "ui/KVFormManager.h"
#include "ui/OutsideClose.h"
#include "ui/PhoneJoin.h"
#include "ui/PictureCache.h"
#include "ui/SkinFlash.h"
#include "ui/SubTitle.h"
#include "ui/UiHooks.h"
#include "ui/UiStation.h"

#include <QComboBox>
#include <QCursor>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTimer>
#include <cstdlib>

namespace {

// Written after "出错,Key:" when a background picture cannot be shown.
constexpr int kBackgroundErrorKey = 1;
constexpr int kFar = 10000;

bool IsIdentifier(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return pattern.match(name).hasMatch();
}

QString Attr(const QDomElement& node, const char* name)
{
    return TKVFormManager::NodeAttr(node, QString::fromLatin1(name));
}

int IntAttr(const QDomElement& node, const char* name)
{
    return TKVFormManager::AttrToInt(Attr(node, name));
}

QFont SkinFont(QFont font, const QDomElement& element)
{
    const QString name = Attr(element, "fontname");
    if (!name.isEmpty())
        font.setFamily(name);
    const int size = IntAttr(element, "fontsize");
    if (size > 0)
        font.setPointSize(size);
    return font;
}

void SetTextColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Text, color);
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

} // namespace

TKVFormXML::TKVFormXML(QWidget* parent) : TKVFormBase(parent)
{
    setGeometry(0, 0, 1, 1);
    m_pAutoClose = new QTimer(this);
    m_pAutoClose->setTimerType(Qt::PreciseTimer);
    connect(m_pAutoClose, &QTimer::timeout, this, [this] { m_pAutoCloseTimer(); });
    TimerPlaying = new QTimer(this);
    TimerPlaying->setInterval(2000);
    connect(TimerPlaying, &QTimer::timeout, this,
            [this] { RunGuarded(objectName() + QStringLiteral(".TimerPlaying"), [this] { TimerPlayingTimer(); }); });
}

TKVFormXML::~TKVFormXML()
{
    if (g_pFrmManager)
        g_pFrmManager->RemoveScreen(this);
    // The screen's lists go first, while the screen is still whole: they
    // refer back to it and to its labels.
    OnKeyDown = nullptr;
    const QObjectList kids = children();
    for (QObject* child : kids) {
        if (auto* list = qobject_cast<TItemList*>(child))
            delete list;
    }
}

bool TKVFormXML::IsPopup() const
{
    return m_pAutoClose->isActive();
}

bool TKVFormXML::IsShowing() const
{
    return m_bShowing || isVisible();
}

void TKVFormXML::ShowScreen()
{
    if (objectName().isEmpty()) {
        QString name = QString::fromLatin1(metaObject()->className());
        if (name.startsWith(QLatin1Char('T')))
            name.remove(0, 1);
        setObjectName(name);
    }
    m_bShowing = true;
    if (m_bShowHandler) {
        try {
            FormShow();
        } catch (...) {
            m_bShowing = false;
            throw;
        }
    }
    show();
    BringToFront();
}

void TKVFormXML::BringToFront()
{
    // In front and active: without a window manager a newly shown window
    // does not take the keyboard, so keys would keep going to the screen
    // behind it. The offscreen platform (tests, headless runs) has no
    // stacking order but does track the active window.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        raise();
    if (isVisible())
        activateWindow();
}

void TKVFormXML::FormShow()
{
    UiLog(objectName() + QStringLiteral(".FormShow()"));
    Build();
    if (g_pFrmManager)
        g_pFrmManager->PushScreen(this);
}

void TKVFormXML::FormClose()
{
    UiLog(objectName() + QStringLiteral(".FormClose()"));
    m_pAutoClose->stop();
    TimerPlaying->stop();
    const bool active = isActiveWindow();
    TKVFormBase::FormClose();
    if (g_pFrmManager) {
        g_pFrmManager->RemoveScreen(this);
        // The screen behind takes the keyboard over, as it would on the
        // original platform when the active window goes.
        TKVFormXML* next = g_pFrmManager->TopScreen();
        if (active && next && next != this)
            next->BringToFront();
    }
    m_bShowing = false;
}

void TKVFormXML::ClearBuiltControls()
{
    // A rebuild may run while one of the old controls is handling its own
    // click: they leave the screen now (hidden, nameless, so lookups find
    // only the new ones) and are freed once that handling is over.
    for (const QPointer<QWidget>& control : std::as_const(m_aBuilt)) {
        if (!control)
            continue;
        control->hide();
        control->setObjectName(QString());
        control->deleteLater();
    }
    m_aBuilt.clear();
    m_pFocusList.clear();
    m_pHover = nullptr;
    m_pFocus = nullptr;
}

void TKVFormXML::Build(const QDomElement& node)
{
    if (!node.isNull())
        m_pNode = node;
    if (m_pNode.isNull())
        return;
    TKVFormManager* manager = g_pFrmManager;
    auto skinError = [&](const QDomNode& at, const QString& message) {
        return Exception(manager ? manager->SkinErrorText(at, message) : message);
    };

    ClearBuiltControls();
    const QString name = TKVFormManager::NodeName(m_pNode);
    if (!IsIdentifier(name))
        throw skinError(m_pNode, QStringLiteral("\"%1\" is not a valid component name").arg(name));
    setObjectName(name);

    const QString canGuide = Attr(m_pNode, "CanGuide");
    m_bGuide = canGuide.isEmpty() || canGuide == QLatin1String("1");

    m_pAutoClose->stop();
    const QString autoClose = Attr(m_pNode, "autoclose");
    if (!autoClose.isEmpty()) {
        try {
            const int left = TKVFormManager::StrictInt(Attr(m_pNode, "left"));
            const int top = TKVFormManager::StrictInt(Attr(m_pNode, "top"));
            const int width = TKVFormManager::StrictInt(Attr(m_pNode, "width"));
            const int height = TKVFormManager::StrictInt(Attr(m_pNode, "height"));
            setGeometry(left, top, width, height);
            m_pAutoClose->setInterval(TKVFormManager::StrictInt(autoClose) * 1000);
        } catch (const Exception& e) {
            throw skinError(m_pNode, e.Message());
        }
        m_pAutoClose->start();
    } else if (manager) {
        setGeometry(manager->m_nLeft, manager->m_nTop, manager->m_nWidth, manager->m_nHeight);
    }

    if (Attr(m_pNode, "type") != QLatin1String("flash")) {
        const QString file = Attr(m_pNode, "file");
        const QString path = UiSkinFolder() + file;
        if (!file.isEmpty() && QFileInfo(path).isFile()) {
            // Screens open and close all the time and decoding a full-screen
            // picture is most of opening one: it is decoded once per file.
            const QPixmap picture = TPictureCache::Backgrounds().Picture(
                path, QSize(), [](const QString& file, const QSize&) { return LoadJpeg(file); });
            if (picture.isNull())
                UiLog(QStringLiteral("出错,Key:") + QString::number(kBackgroundErrorKey));
            else
                SetBackground(picture.toImage());
        }
    }

    BuildControls(m_pNode);

    if (!m_pAutoClose->isActive()) {
        if (manager) {
            const QDomElement flash = manager->SelectNode(QStringLiteral("root/public/flash"));
            if (!flash.isNull())
                BuildPublicFlash(flash);
            const QDomElement buttons = manager->SelectNode(QStringLiteral("root/public/button"));
            if (!buttons.isNull())
                BuildPublicButtons(buttons);
        }
        m_pPlayingLabel = FindLabel(QStringLiteral("PlayingLabel"));
        m_pPlayingName = FindLabel(QStringLiteral("PlayingName"));
        m_pNextLabel = FindLabel(QStringLiteral("NextLabel"));
        m_pNextName = FindLabel(QStringLiteral("NextName"));
        m_pAgentTel = FindLabel(QStringLiteral("AgentTel"));
        m_pAgentName = FindLabel(QStringLiteral("AgentName"));
        m_pUserTel = FindLabel(QStringLiteral("UserTel"));
        m_pUserName = FindLabel(QStringLiteral("UserName"));
        m_pSofterTel = FindLabel(QStringLiteral("SofterTel"));
        m_pSofterName = FindLabel(QStringLiteral("SofterName"));
        m_pSongs = FindLabel(QStringLiteral("Songs"));
        TimerPlayingTimer();
        FillInformationLabels();
    }

    if (m_pAutoClose->isActive())
        TimerPlaying->stop();
    else
        TimerPlaying->start();

    m_bGuide = !manager || manager->FindButtonByKey(m_pNode, 13).isNull();
}

void TKVFormXML::FillInformationLabels()
{
    // The dealer's details come from the installation's vod.ini, section
    // Dealer (AgentTel, AgentName, UserTel, SofterName).
    const TIniFile ini(UiExeDir() + QStringLiteral("vod.ini"));
    const QString section = QStringLiteral("Dealer");
    if (m_pAgentTel)
        m_pAgentTel->SetCaption(ini.ReadString(section, QStringLiteral("AgentTel"), QString()));
    if (m_pAgentName)
        m_pAgentName->SetCaption(ini.ReadString(section, QStringLiteral("AgentName"), QString()));
    if (m_pUserTel)
        m_pUserTel->SetCaption(ini.ReadString(section, QStringLiteral("UserTel"), QString()));
    if (m_pSofterName)
        m_pSofterName->SetCaption(ini.ReadString(section, QStringLiteral("SofterName"), QString()));
    if (m_pUserName)
        m_pUserName->SetCaption(QStringLiteral("欢迎光临"));
    if (m_pSofterTel)
        m_pSofterTel->SetCaption(QStringLiteral("服务请按呼叫键"));
}

void TKVFormXML::BuildControls(const QDomElement& node)
{
    for (QDomElement e = node.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        CreateControl(e);
}

void TKVFormXML::BuildPublicButtons(const QDomElement& node)
{
    BuildControls(node);
}

void TKVFormXML::BuildPublicFlash(const QDomElement& node)
{
    BuildControls(node);
}

void TKVFormXML::CheckControlName(const QDomElement& element)
{
    const QString name = element.tagName();
    QString problem;
    if (!IsIdentifier(name)) {
        problem = QStringLiteral("\"%1\" is not a valid component name").arg(name);
    } else {
        for (const QPointer<QWidget>& control : std::as_const(m_aBuilt)) {
            if (control && control->objectName() == name) {
                problem = QStringLiteral("a component named %1 already exists").arg(name);
                break;
            }
        }
    }
    if (!problem.isEmpty())
        throw Exception(g_pFrmManager ? g_pFrmManager->SkinErrorText(element, problem) : problem);
}

QWidget* TKVFormXML::CreateControl(const QDomElement& element)
{
    if (Attr(element, "visible") != QLatin1String("1"))
        return nullptr;
    const QString type = Attr(element, "type");
    if (type != QLatin1String("button") && type != QLatin1String("flash") && type != QLatin1String("edit") &&
        type != QLatin1String("panel") && type != QLatin1String("image") && type != QLatin1String("combobox"))
        return nullptr;
    CheckControlName(element);

    QWidget* control = nullptr;
    if (type == QLatin1String("button")) {
        control = CreateButton(element);
    } else if (type == QLatin1String("flash")) {
        control = CreateFlash(element);
    } else if (type == QLatin1String("edit")) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(element.tagName());
        edit->setText(Attr(element, "hint"));
        edit->setGeometry(IntAttr(element, "left"), IntAttr(element, "top"), IntAttr(element, "width"),
                          IntAttr(element, "height"));
        edit->setFont(SkinFont(edit->font(), element));
        SetTextColor(edit, WinColor(IntAttr(element, "fontcolor")));
        edit->setEnabled(Attr(element, "enabled") == QLatin1String("1"));
        edit->installEventFilter(this);
        control = edit;
    } else if (type == QLatin1String("panel")) {
        auto* panel = new QFrame(this);
        panel->setObjectName(element.tagName());
        panel->setFrameShape(QFrame::NoFrame);
        panel->setToolTip(Attr(element, "hint"));
        panel->setGeometry(IntAttr(element, "left"), IntAttr(element, "top"), IntAttr(element, "width"),
                           IntAttr(element, "height"));
        panel->setFont(SkinFont(panel->font(), element));
        SetTextColor(panel, WinColor(IntAttr(element, "fontcolor")));
        panel->setEnabled(Attr(element, "enabled") == QLatin1String("1"));
        control = panel;
    } else if (type == QLatin1String("image")) {
        auto* image = new QLabel(this);
        image->setObjectName(element.tagName());
        image->setScaledContents(true);
        image->setGeometry(IntAttr(element, "left"), IntAttr(element, "top"), IntAttr(element, "width"),
                           IntAttr(element, "height"));
        image->setEnabled(Attr(element, "enabled") == QLatin1String("1"));
        control = image;
    } else {
        auto* combo = new QComboBox(this);
        combo->setObjectName(element.tagName());
        combo->setGeometry(IntAttr(element, "left"), IntAttr(element, "top"), IntAttr(element, "width"),
                           IntAttr(element, "height"));
        combo->setFont(SkinFont(combo->font(), element));
        combo->setEnabled(Attr(element, "enabled") == QLatin1String("1"));
        combo->installEventFilter(this);
        control = combo;
    }
    if (!control)
        return nullptr;
    m_aBuilt.append(control);
    control->show();
    TPhoneJoin::Bind(control);
    return control;
}

QWidget* TKVFormXML::CreateButton(const QDomElement& element)
{
    auto* label = new TSubTitle(this);
    label->setObjectName(element.tagName());
    label->SetAutoSize(false);
    label->SetTransparent(true);
    label->SetAlpha(200);

    const int left = IntAttr(element, "left");
    const int top = IntAttr(element, "top");
    label->resize(IntAttr(element, "width"), IntAttr(element, "height"));
    QFont font = SkinFont(label->font(), element);
    label->SetFontColor(WinColor(IntAttr(element, "fontcolor")));
    if (Attr(element, "blod") == QLatin1String("1")) {
        // Bold and only bold.
        font.setBold(true);
        font.setItalic(false);
        font.setUnderline(false);
        font.setStrikeOut(false);
    }
    if (Attr(element, "italic") == QLatin1String("1"))
        font.setItalic(true);
    label->setFont(font);
    label->SetLayout(IntAttr(element, "layout"));
    label->SetAlignment(IntAttr(element, "align"));
    label->setEnabled(Attr(element, "enabled") == QLatin1String("1"));
    label->SetShadowStyle(IntAttr(element, "shadowstyle"));
    label->SetShadowColor(IntAttr(element, "shadowcolor"));
    label->SetShadowWidth(IntAttr(element, "shadowwidth"));
    const QString style = Attr(element, "style");
    if (style == QLatin1String("rect"))
        label->SetStyle(1);
    else if (style == QLatin1String("ellipse"))
        label->SetStyle(2);
    else if (style == QLatin1String("icon"))
        label->SetStyle(3);
    else if (style == QLatin1String("memo"))
        label->SetWordWrap(true);
    label->OverJpg = Attr(element, "overjpg");
    label->SetCaption(Attr(element, "showcaption") == QLatin1String("1") ? Attr(element, "caption") : QString());

    const QString key = Attr(element, "key");
    const bool guided =
        key.size() == 1 && ((key[0] >= QLatin1Char('0') && key[0] <= QLatin1Char('9')) || key[0] == QLatin1Char('.'));
    if (label->width() > 0 && guided) {
        m_pFocusList.append(label);
        if (!m_pFocus)
            m_pFocus = label;
    }

    label->OnClick = [this](TSubTitleLabel* sender) { ControlClick(sender); };
    label->OnMouseMove = [this](TSubTitleLabel* sender, QMouseEvent*) {
        try {
            HoverControl(static_cast<TSubTitle*>(sender));
        } catch (const std::exception& e) {
            UiLog(QString::fromUtf8(e.what()));
        }
    };
    auto press = [this](TSubTitleLabel* sender, QMouseEvent*) { PressControl(static_cast<TSubTitle*>(sender)); };
    label->OnMouseDown = press;
    label->OnMouseUp = press;
    label->move(left, top);
    return label;
}

QWidget* TKVFormXML::CreateFlash(const QDomElement& element)
{
    return CreateSkinFlash(this, element, UiSkinFolder() + Attr(element, "file"));
}

QWidget* TKVFormXML::FindControl(const QString& name) const
{
    if (name.isEmpty())
        return nullptr;
    return findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
}

TSubTitle* TKVFormXML::FindLabel(const QString& name) const
{
    return qobject_cast<TSubTitle*>(FindControl(name));
}

// ---- arrow-key guidance ----

// The nearest button in one direction (dirX, dirY is one of (0,-1), (0,1),
// (-1,0), (1,0)) whose position across that direction differs from the
// focused one's by less than its width (vertical moves) or height
// (horizontal moves). Ties go to the earlier button of the focus list.
TSubTitle* TKVFormXML::NearestInDirection(int dirX, int dirY) const
{
    TSubTitle* c = m_pFocus;
    TSubTitle* best = nullptr;
    int bestDistance = kFar;
    for (const QPointer<TSubTitle>& q : std::as_const(m_pFocusList)) {
        if (!q || q == c)
            continue;
        const int along = dirX != 0 ? (q->x() - c->x()) * dirX : (q->y() - c->y()) * dirY;
        const int across = dirX != 0 ? std::abs(c->y() - q->y()) : std::abs(c->x() - q->x());
        const int band = dirX != 0 ? c->height() : c->width();
        if (along > 0 && across < band && along < bestDistance) {
            bestDistance = along;
            best = q;
        }
    }
    return best;
}

bool TKVFormXML::FocusUp()
{
    if (!m_pFocus)
        return false;
    TSubTitle* best = NearestInDirection(0, -1);
    if (!best)
        return false;
    m_pFocus = best;
    return true;
}

bool TKVFormXML::FocusDown()
{
    if (!m_pFocus)
        return false;
    TSubTitle* best = NearestInDirection(0, 1);
    if (!best)
        return false;
    m_pFocus = best;
    return true;
}

bool TKVFormXML::FocusLeft()
{
    TSubTitle* c = m_pFocus;
    if (!c)
        return false;
    TSubTitle* best = NearestInDirection(-1, 0);
    if (!best) {
        // The rightmost button of a row above.
        int bestLeft = 0;
        int limit = kFar;
        for (const QPointer<TSubTitle>& q : std::as_const(m_pFocusList)) {
            if (!q || q == c)
                continue;
            const int dy = c->y() - q->y();
            if (dy > 0 && q->x() >= bestLeft && dy <= limit) {
                best = q;
                bestLeft = q->x();
                limit = std::max(dy, c->height());
            }
        }
    }
    if (!best)
        return false;
    m_pFocus = best;
    return true;
}

bool TKVFormXML::FocusRight()
{
    TSubTitle* c = m_pFocus;
    if (!c)
        return false;
    TSubTitle* best = NearestInDirection(1, 0);
    if (!best) {
        // The leftmost button of a row below.
        int bestLeft = kFar;
        int limit = kFar;
        for (const QPointer<TSubTitle>& q : std::as_const(m_pFocusList)) {
            if (!q || q == c)
                continue;
            const int dy = c->y() - q->y();
            if (dy < 0 && q->x() <= bestLeft && std::abs(dy) <= std::abs(limit)) {
                best = q;
                bestLeft = q->x();
                limit = std::max(dy, c->height());
            }
        }
    }
    if (!best)
        return false;
    m_pFocus = best;
    return true;
}

void TKVFormXML::MoveCursorTo(QWidget* control)
{
    if (!control)
        return;
    // The control's own coordinates serve as screen coordinates.
    const QPoint cursor = QCursor::pos();
    const QRect r = control->geometry();
    const bool inside = cursor.x() >= r.left() && cursor.x() <= r.left() + r.width() && cursor.y() >= r.top() &&
                        cursor.y() <= r.top() + r.height();
    if (!inside)
        QCursor::setPos(r.left() + 1, r.top() + 1);
}

bool TKVFormXML::ShowFirstFocus()
{
    if (!m_pFocus)
        return false;
    const TSetting* setting = UiSetting();
    if (setting && !setting->ShowMouse)
        MoveCursorTo(m_pFocus);
    m_pHover = nullptr;
    HoverControl(m_pFocus);
    return true;
}

// ---- keys and clicks ----

void TKVFormXML::FormKeyDown(int& key)
{
    const TKeyMap& keys = UiKeys();
    TKVFormManager* manager = g_pFrmManager;
    if (m_bGuide) {
        if (key == keys.ENTER && m_pFocus)
            ControlClick(m_pFocus);
        bool moved = false;
        if (key == keys.UP)
            moved = FocusUp();
        if (key == keys.DOWN)
            moved = FocusDown();
        if (key == keys.Left)
            moved = FocusLeft();
        if (key == keys.Right)
            moved = FocusRight();
        if (moved && m_pFocus) {
            MoveCursorTo(m_pFocus);
            HoverControl(m_pFocus);
        }
    }
    RestartAutoClose();
    if (key == keys.RETURN && UiHooks().MainForm() != this) {
        if (TKVFormManager::NodeName(m_pNode) == QLatin1String("portal")) {
            const TSetting* setting = UiSetting();
            if (setting && setting->SmallScreen)
                CallHook("ShowPlayerWindow", UiHooks().ShowPlayerWindow);
        } else {
            close();
        }
    }
    const QDomElement button = manager ? manager->FindButtonByKey(m_pNode, key) : QDomElement();
    if (!manager || !manager->ButtonAction(m_pNode, button))
        UiHooks().DispatchKey(key);
}

void TKVFormXML::KeyDown(int key)
{
    if (key == 0)
        return;
    RunGuarded(objectName() + QStringLiteral(".KeyDown"), [this, &key] {
        if (OnKeyDown)
            OnKeyDown(this, key);
        else
            FormKeyDown(key);
    });
}

void TKVFormXML::ControlClick(QWidget* control)
{
    if (!control || !g_pFrmManager)
        return;
    const QDomElement button = g_pFrmManager->FindButton(m_pNode, control->objectName());
    const int returnKey = UiKeys().RETURN;
    QPointer<TKVFormXML> self(this);
    for (const bool second : {false, true}) {
        const int code = g_pFrmManager->ButtonKey(button, second);
        if (code == 0 || !self)
            continue;
        if (code == returnKey)
            SendVkKeyDown(this, code);
        else
            PostVkKeyDown(this, code);
    }
}

void TKVFormXML::RestartAutoClose()
{
    if (m_pAutoClose->isActive())
        m_pAutoClose->start();
}

void TKVFormXML::TimerPlayingTimer()
{
    if (!IsShowing() || m_pAutoClose->isActive())
        return;
    TUiHooks& hooks = UiHooks();
    const TSetting* setting = UiSetting();
    if (setting && setting->SaloonMode) {
        const TKVFormXML* top = g_pFrmManager ? g_pFrmManager->TopScreen() : nullptr;
        if (!top || top->objectName() != QLatin1String("FrmSelect"))
            hooks.ReopenQueueView();
        hooks.ReopenPlayingView();
    }
    const int count = hooks.QueueCount();
    const QString next = hooks.QueueFirstName();
    const QString playing = hooks.PlayingFirstName();
    if (m_pSongs)
        m_pSongs->SetCaption(QString::number(count));
    if (m_pPlayingLabel)
        m_pPlayingLabel->SetCaption(UiText(QStringLiteral("Playing")));
    if (m_pPlayingName)
        m_pPlayingName->SetCaption(playing);
    if (m_pNextLabel)
        m_pNextLabel->SetCaption(UiText(QStringLiteral("NextSong")));
    if (m_pNextName)
        m_pNextName->SetCaption(next);
}

void TKVFormXML::FormPaint(QPainter& painter)
{
    if (!m_bFocusShown) {
        m_bFocusShown = true;
        try {
            ShowFirstFocus();
        } catch (const std::exception& e) {
            UiLog(QString::fromUtf8(e.what()));
        }
    }
    TKVFormBase::FormPaint(painter);
}

void TKVFormXML::FormActivate()
{
    m_bFocusShown = false;
    update();
}

void TKVFormXML::FormMouseMove()
{
    RestartAutoClose();
    TKVFormBase::FormMouseMove();
}

void TKVFormXML::m_pAutoCloseTimer()
{
    close();
}

bool TKVFormXML::event(QEvent* event)
{
    if (event->type() == TVkKeyEvent::EventType()) {
        KeyDown(static_cast<TVkKeyEvent*>(event)->Vk());
        return true;
    }
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return TKVFormBase::event(event);
}

void TKVFormXML::keyPressEvent(QKeyEvent* event)
{
    if ((event->modifiers() & Qt::AltModifier) && !event->text().isEmpty()) {
        for (TSubTitle* label : findChildren<TSubTitle*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (label->DialogChar(event->text().at(0)))
                return;
        }
    }
    const int vk = VkFromKeyEvent(event);
    if (vk == 0) {
        TKVFormBase::keyPressEvent(event);
        return;
    }
    KeyDown(vk);
}

bool TKVFormXML::eventFilter(QObject* watched, QEvent* event)
{
    // The screen sees every key before its input controls.
    if (event->type() == QEvent::KeyPress && watched != this) {
        const int vk = VkFromKeyEvent(static_cast<QKeyEvent*>(event));
        if (vk != 0) {
            QPointer<QObject> target(watched);
            KeyDown(vk);
            if (!target)
                return true;
        }
    }
    return TKVFormBase::eventFilter(watched, event);
}

void TFrmMain::closeEvent(QCloseEvent* event)
{
    if (!EndStationOnOutsideClose(event))
        TKVFormXML::closeEvent(event);
}

void TFrmMain::FormKeyDown(int& key)
{
    const TSetting* setting = UiSetting();
    if (key == UiKeys().POINT && (!setting || setting->Test == 0))
        return;
    TKVFormXML::FormKeyDown(key);
}
