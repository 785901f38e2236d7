#pragma once
// The steps that write the demo installation, in order. Adding a part to the
// demo installation is adding one step to DemoSteps().
#include "tools/demo/DemoInstallation.h"

#include <QString>
#include <functional>
#include <vector>

struct TDemoStep
{
    const char* name; // what the step writes, for messages
    // Writes into the installation folder; false with a message on failure.
    std::function<bool(const QString& exeDir, const DemoOptions& options, QString& error)> write;
};

std::vector<TDemoStep> DemoSteps();

// Runs every step; false with "<step>: <message>" at the first failure.
bool WriteDemoInstallation(const QString& exeDir, const DemoOptions& options, QString& error);
