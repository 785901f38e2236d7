#pragma once
// The one guard of the station's event handlers. Whatever the event loop
// calls into (a click, a row button, a deferred action, a message of another
// program) runs through it: an error raised by database or device work is
// written to the log and to the developer output under the handler's name
// and goes no further, so it never ends the station. Database and device
// errors are not shown to the guest; a handler that has something to tell
// the guest does so itself.
#include <QString>
#include <exception>
#include <utility>

// Writes an error a handler raised to the station log (while Debug is on)
// and to the developer output.
void LogHandlerError(const QString& handler, const QString& message);

// Runs the work; gives false when it raised an error (then logged).
template <typename Work> bool RunGuarded(const QString& handler, Work&& work)
{
    try {
        std::forward<Work>(work)();
        return true;
    } catch (const std::exception& e) {
        LogHandlerError(handler, QString::fromUtf8(e.what()));
    } catch (...) {
        LogHandlerError(handler, QStringLiteral("unknown error"));
    }
    return false;
}
