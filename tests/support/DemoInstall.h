#pragma once

#include <QString>
#include <QStringList>

namespace testsupport {

// Makes a demo installation in `dir` (an existing, empty folder) with the demo
// generator's extra arguments `args` (e.g. "--songs", "50"). Generating draws
// the whole skin and fills the catalogue, which is the slow part of many
// tests, so the first call for a set of arguments generates into a cache under
// the build folder and every call copies that tree. The cache key covers the
// arguments and the generator binary, so a rebuilt generator starts afresh.
// Arguments that write outside the folder (a PostgreSQL catalogue) bypass the
// cache. Returns an empty string on success, else what went wrong.
QString MakeDemoInstallation(const QString& dir, const QStringList& args);

} // namespace testsupport
