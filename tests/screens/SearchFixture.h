#pragma once
// The screens on which guests find songs, driven as a guest drives them:
// touches pressed and released at the screen's window where a control is
// drawn, keys pressed at the window that holds the keyboard, both seen first
// by the station's message handler. The catalogue is the demo installation's
// SQLite file or, for fixtures that ask, a PostgreSQL database.
#include "ScreenFixture.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

class QWidget;
class TKVFormXML;

class SearchTest : public ScreenTest
{
protected:
    void SetUp() override;
    void Install() override;

    // Press and release at the centre of the control, at its window.
    static void Touch(QWidget* control);
    // The control of that name on the screen, touched.
    void Touch(TKVFormXML* screen, const QString& name);
    // Press and release a key at the window holding the keyboard, which must
    // be the screen's.
    static void Key(TKVFormXML* screen, int qtKey, Qt::KeyboardModifiers modifiers = {});
    // Types the characters (digits and letters) one key each.
    static void Type(TKVFormXML* screen, const QString& text);
    // The newest open screen and its element name.
    TKVFormXML* Top() const;
    QString TopName() const;
    // Waits (running events) until the condition holds; false on time-out.
    template <typename Pred> static bool WaitFor(Pred pred, int timeoutMs = 8000);
    static bool WaitForImpl(const std::function<bool()>& pred, int timeoutMs);
    // Runs one statement on the catalogue and gives its first value.
    QVariant Scalar(const QString& sql, const QVariantList& params = {});

    // Set by a fixture before SetUp: the catalogue is a PostgreSQL database
    // of the test server loaded with the demo catalogue.
    bool m_bPostgres = false;
};

template <typename Pred> bool SearchTest::WaitFor(Pred pred, int timeoutMs)
{
    return WaitForImpl(std::function<bool()>(pred), timeoutMs);
}
