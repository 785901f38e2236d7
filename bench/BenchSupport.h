#pragma once
// What the benchmarks share: medians of timed runs, and the options that open
// the catalogue data module on an installation folder in the benchmark's own
// process (no other station is looked for, no player program started).
#include "catalogue/FrmData.h"

#include <QElapsedTimer>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace bench {

inline double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Milliseconds the call takes.
inline double TimeMs(const std::function<void()>& f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

class NoOtherStation : public IInstanceWindows
{
public:
    bool FindAndRestore(const QString&) override { return false; }
};

// Options for TFrmData on the installation folder; errors go to stderr.
inline TFrmDataOptions StationOptions(const QString& exeDir)
{
    static NoOtherStation none;
    TFrmDataOptions options;
    options.exeDir = exeDir;
    options.instances = &none;
    options.runProgram = [] {};
    options.showError = [](const QString& e) { std::fprintf(stderr, "%s\n", qPrintable(e)); };
    return options;
}

} // namespace bench
