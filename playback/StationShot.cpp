#include "playback/StationShot.h"

#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"
#include "ui/SubTitle.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cstdio>

bool SaveScreenshot(const QString& path)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return false;
    const QString platform = QGuiApplication::platformName();
    const bool display = platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
    QPixmap shot = display ? screen->grabWindow(0) : QPixmap();
    if (shot.isNull()) {
        // The station's screens cover at most the portal; the picture is cut
        // to the windows shown.
        QRect area;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->width() > 1)
                area |= w->geometry();
        }
        if (area.isEmpty())
            area = screen->geometry();
        QImage image(area.size(), QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        // Other windows first, then the open screens oldest first, so the
        // front screen is painted over them.
        QList<QWidget*> order;
        const QList<TKVFormXML*> screens = g_pFrmManager ? g_pFrmManager->OpenScreens() : QList<TKVFormXML*>();
        for (QWidget* w : QApplication::topLevelWidgets()) {
            // Compare as widgets: most top-level windows are not screens.
            const bool isScreen = std::any_of(screens.begin(), screens.end(),
                                              [w](const TKVFormXML* s) { return static_cast<const QWidget*>(s) == w; });
            if (!isScreen)
                order.append(w);
        }
        for (TKVFormXML* screen : screens)
            order.append(screen);
        // Windows that stay in front of the screens (the advert pictures) last.
        std::stable_partition(order.begin(), order.end(),
                              [](const QWidget* w) { return !(w->windowFlags() & Qt::WindowStaysOnTopHint); });
        for (QWidget* w : order) {
            if (w->isVisible() && w->width() > 1)
                painter.drawPixmap(w->geometry().topLeft() - area.topLeft(), w->grab());
        }
        painter.end();
        shot = QPixmap::fromImage(image);
    }
    if (!shot.save(path, "PNG")) {
        std::fprintf(stderr, "vod: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool TestControlEnabled()
{
    return qEnvironmentVariable("VOD_TEST_CONTROL") == QLatin1String("1");
}

bool SaveFrontLabels(const QString& path)
{
    TKVFormXML* top = g_pFrmManager ? g_pFrmManager->TopScreen() : nullptr;
    QByteArray text;
    if (top) {
        text += "screen=" + top->objectName().toUtf8() + "\n";
        for (TSubTitle* label : top->findChildren<TSubTitle*>())
            text += label->objectName().toUtf8() + "=" + label->Caption().toUtf8() + "\n";
        // The inputs of the screen (the maintenance screen's record) as well.
        for (QLineEdit* edit : top->findChildren<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly))
            text += edit->objectName().toUtf8() + "=" + edit->text().toUtf8() + "\n";
        for (QComboBox* list : top->findChildren<QComboBox*>(QString(), Qt::FindDirectChildrenOnly))
            text += list->objectName().toUtf8() + "=" + list->currentText().toUtf8() + "\n";
    }
    QFile part(path + QStringLiteral(".part"));
    if (!part.open(QIODevice::WriteOnly) || part.write(text) != text.size())
        return false;
    part.close();
    QFile::remove(path);
    return QFile::rename(path + QStringLiteral(".part"), path);
}

void TypeTestKey(int qtKey, int modifiers)
{
    QWidget* target = QApplication::focusWidget();
    if (!target)
        target = QApplication::activeWindow();
    if (!target)
        return;
    const auto mods = Qt::KeyboardModifiers(modifiers);
    QKeyEvent press(QEvent::KeyPress, qtKey, mods);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, mods);
    if (QApplication::focusWidget())
        QCoreApplication::sendEvent(QApplication::focusWidget(), &release);
}
