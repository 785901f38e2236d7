#pragma once
// Shared set-up of the interface tests: a temporary installation folder with a
// skin (buttons.xml, ico.bmp, pictures), a settings object with the default
// key map, a form manager, and hooks reset to their defaults.
#include "core/Exception.h"
#include "core/Log.h"
#include "core/Setting.h"
#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"
#include "ui/SubTitle.h"
#include "ui/UiHooks.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace uitest {

inline void FlushEvents()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

// A picture whose every pixel tells where it is: red = x % 256,
// green = y % 256, blue = x / 256 * 64 + 32.
inline QImage CoordinatePicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x / 256) * 64 + 32));
    return image;
}

class UiTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_sExe = m_dir.path() + QStringLiteral("/");
        m_sSkin = m_sExe + QStringLiteral("skin/");
        QDir().mkpath(m_sSkin);
        QDir().mkpath(m_sExe + QStringLiteral("Images/Star"));
        // The focus frame: a magenta (transparent) field with a green border.
        QImage frame(133, 112, QImage::Format_RGB32);
        frame.fill(qRgb(255, 0, 255));
        for (int x = 0; x < 133; ++x) {
            frame.setPixel(x, 0, qRgb(0, 255, 0));
            frame.setPixel(x, 111, qRgb(0, 255, 0));
        }
        for (int y = 0; y < 112; ++y) {
            frame.setPixel(0, y, qRgb(0, 255, 0));
            frame.setPixel(132, y, qRgb(0, 255, 0));
        }
        frame.setPixel(0, 111, qRgb(255, 0, 255)); // the transparent colour's pixel
        ASSERT_TRUE(frame.save(m_sSkin + QStringLiteral("ico.bmp"), "BMP"));

        m_pSetting = std::make_unique<TSetting>(m_sExe);
        m_pSetting->LoadKeyMap();
        m_pSetting->BuildCommandWords();
        m_pSetting->ShowMouse = true;
        m_pSetting->Disco = QStringLiteral("1");
        m_pSetting->Sex = QStringLiteral("1");
        m_pSetting->Cursor.Width = 25;
        m_pSetting->Cursor.Height = 25;
        g_pSetting = m_pSetting.get();
        ResetUiHooks();
        m_pManager = std::make_unique<TKVFormManager>();
        g_pFrmManager = m_pManager.get();
    }

    void TearDown() override
    {
        m_pManager->CloseAll();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<TKVFormXML*>(w))
                w->close();
        FlushEvents();
        g_pFrmManager = nullptr;
        m_pManager.reset();
        g_pSetting = nullptr;
        m_pSetting.reset();
        ResetUiHooks();
    }

    // Writes buttons.xml with the portal's children and further nodes of
    // root, and loads it.
    void LoadSkin(const QString& portal, const QString& rest = QString(),
                  const QString& portalAttrs = QStringLiteral("left=\"0\" top=\"0\" width=\"800\" height=\"600\""))
    {
        WriteSkin(QStringLiteral(
                      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root>\n<portal %1>\n%2\n</portal>\n%3\n</root>\n")
                      .arg(portalAttrs, portal, rest));
        m_pManager->LoadSkin(m_sSkin + QStringLiteral("buttons.xml"));
        if (qEnvironmentVariableIsSet("VOD_UI_KEEP_SKIN"))
            QFile::copy(m_sSkin + QStringLiteral("buttons.xml"), QStringLiteral("/tmp/last-buttons.xml"));
    }

    void WriteSkin(const QString& text)
    {
        QFile file(m_sSkin + QStringLiteral("buttons.xml"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    }

    void SavePicture(const QString& name, const QImage& image, const char* format = "JPG")
    {
        ASSERT_TRUE(image.save(m_sSkin + name, format, 100));
    }

    QTemporaryDir m_dir;
    QString m_sExe;
    QString m_sSkin;
    std::unique_ptr<TSetting> m_pSetting;
    std::unique_ptr<TKVFormManager> m_pManager;
};

// A button element of a skin.
inline QString Button(const QString& name, int left, int top, int width, int height, const QString& key,
                      const QString& extra = QString())
{
    return QStringLiteral("<%1 type=\"button\" visible=\"1\" enabled=\"1\" left=\"%2\" top=\"%3\" width=\"%4\" "
                          "height=\"%5\" key=\"%6\" %7/>")
        .arg(name)
        .arg(left)
        .arg(top)
        .arg(width)
        .arg(height)
        .arg(key, extra);
}

} // namespace uitest
