#pragma once
// Station-wide operations on the screens: the language switch, the reload of
// the whole interface, and a message shown on the message screen.
#include <QString>
#include <functional>

// Switches the interface to language n: nothing when the language list has
// no entry n, its folder under Images/ is missing, n is already in use or its
// skin for this screen (buttons.xml) is missing or has no portal (logged);
// otherwise LangType becomes n, the station is reloaded and the skin choice
// saved and the game table read again.
void SwitchLanguage(int n);
// Closes every screen, reads the texts of the current language, renews the
// main window's level names and loads the skin of the current skin folder
// (which shows the portal).
void ReloadStation();
// The message screen's own way to take a text (it shows it anew).
class IMessageScreen
{
public:
    virtual ~IMessageScreen() = default;
    virtual void SetMessage(const QString& text) = 0;
};

// Opens the message screen with the text in its Msg label. When the message
// screen is already open the text replaces the one it shows.
void ShowMessageText(const QString& text);

// The main window's RefreshLevelNames, installed at start-up.
void SetLevelNamesRefresher(std::function<void()> refresh);
