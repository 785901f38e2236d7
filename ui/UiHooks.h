#pragma once
// Seams between the interface framework and the parts of the station that
// are built on top of it: the catalogue data module (loader state, song
// filter, play-queue views), the room-service module, the station-wide key
// handling and the hidden main window. Each hook has a safe default so the
// framework runs on its own (the loader is idle, the queue is empty, the
// filter does nothing); the modules install their functions at start-up.
#include <QString>
#include <functional>

class QWidget;

struct TUiHooks
{
    // ---- catalogue data module ----
    // The catalogue loader thread is still building the indexes.
    std::function<bool()> LoaderRunning = [] { return false; };
    // Closes and reopens the queue view (m_pOrder) / the playing view.
    std::function<void()> ReopenQueueView = [] {};
    std::function<void()> ReopenPlayingView = [] {};
    // Entries of the queue view; Name of its first entry; Name of the
    // playing view's first entry. The views move to their first entry.
    std::function<int()> QueueCount = [] { return 0; };
    std::function<QString()> QueueFirstName = [] { return QString(); };
    std::function<QString()> PlayingFirstName = [] { return QString(); };
    // Whether a song number is waiting in the queue view (exact match).
    std::function<bool(const QString& songNo)> IsQueued = [](const QString&) { return false; };
    // A favourites user is signed in.
    std::function<bool()> FavouritesUserSignedIn = [] { return false; };

    // ---- song filter ----
    std::function<void()> ClearCriteria = [] {};
    std::function<void(int)> SetSingerClass = [](int) {};
    std::function<void(int)> SetSongCount = [](int) {};
    std::function<void(const QString&)> SetLanguage = [](const QString&) {};
    std::function<void(const QString&)> SetSongType = [](const QString&) {};
    std::function<void(const QString&)> SetRanking = [](const QString&) {};
    std::function<void(const QString&)> SetFilmType = [](const QString&) {};
    std::function<void(const QString&)> SetAdultType = [](const QString&) {};
    std::function<void(const QString&)> SetDanceType = [](const QString&) {};
    std::function<void(const QString&)> SetNewSongs = [](const QString&) {};

    // ---- room service ----
    // Checks that this computer's room is open at the front desk (the
    // room-service module's CheckRoomOpen, which shows its own message on
    // failure); the food and bill screens open only when it holds.
    // Installed by the room-service module; called through CallHook.
    std::function<bool()> RoomServiceConnects;

    // ---- station ----
    // The station-wide key handling for keys a screen did not use up.
    std::function<void(int key)> DispatchKey = [](int) {};
    // The application's main form (the hidden media player window), or null.
    std::function<QWidget*()> MainForm = [] { return static_cast<QWidget*>(nullptr); };
    // Brings the player program's window to the front without sending a key.
    // Installed at start-up; called through CallHook.
    std::function<void()> ShowPlayerWindow;
    // Asks the player program to show its picture show on the video screen.
    // Installed at start-up; called through CallHook.
    std::function<void()> ShowPicturesOnVideo;
    // Switches the interface language to that index (closes all screens and
    // reloads the skin).
    std::function<void(int index)> SwitchLanguage = [](int) {};
    // Pause of the press effect (blocks the GUI thread as designed).
    std::function<void(int ms)> Pause;
};

// The installed hooks. Modules assign their members at start-up.
TUiHooks& UiHooks();
// Restores every default (tests).
void ResetUiHooks();
