#pragma once
// Calling the hooks through which one module reaches another that the
// station's start-up installs (the room service, the serial devices, the
// picture show, the player's window). A hook nobody installed does nothing
// and gives its result type's default, and says so once per run, so a
// module left out of the start-up never fails silently.
#include <functional>
#include <utility>

// Logs (and writes to standard error) that the named hook was called while
// not installed; only the first call for a name is reported.
void ReportMissingHook(const char* name);

template <typename R, typename... Params, typename... Args>
R CallHook(const char* name, const std::function<R(Params...)>& hook, Args&&... args)
{
    if (hook)
        return hook(std::forward<Args>(args)...);
    ReportMissingHook(name);
    return R();
}
