#pragma once
// Small station-wide helpers: paths, text splitting, folder listing, file
// copying, the task bar and bringing a window to the front.
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// Backslashes become the platform separator '/', so paths written for the
// original platform ("Data\", "d:\rec\") work here.
QString NormalisePath(const QString& path);
// NormalisePath plus a final '/' when the text does not end with one. An
// empty text stays empty.
QString WithSeparator(const QString& dir);

// Cuts text at every separator; each separator ends a piece, even an empty
// one; the text after the last separator is a piece only when not empty.
void SplitText(const QString& text, QChar separator, QStringList& list);

// When the folder exists and has entries, the list is replaced by its entry
// names (folders included, "." and ".." left out) in the order the file
// system returns them; otherwise the list is left as it is.
void ListFolder(const QString& folder, QStringList& list);

// Deletes target when it exists, then copies source to it. True when the
// copy succeeded.
bool CopyReplacing(const QString& source, const QString& target);

// The desktop's task bar: nothing to hide or show on this platform.
void ShowTaskBar(bool show);

// Brings one of the station's own windows to the front.
void SwitchToWindow(QWidget* window);
// Brings the top-level window of another program, named by its caption, to
// the front. Goes through the window switcher installed by the window link
// (SetWindowSwitcher); without one it does nothing.
void SwitchToWindow(const QString& caption);

// The window link's answers about other programs' windows. Installed once at
// start-up by the window link; the station asks through these.
using TWindowSwitcher = std::function<void(const QString& caption)>;
using TWindowFinder = std::function<bool(const QString& caption)>;
void SetWindowSwitcher(TWindowSwitcher switcher);
void SetWindowFinder(TWindowFinder finder);
// Whether a top-level window with that caption exists (false without a finder).
bool WindowExists(const QString& caption);
