#include "DemoInstall.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <system_error>

namespace testsupport {

namespace {

QString Generator()
{
    return qEnvironmentVariable("VOD_EXE_DIR") + QStringLiteral("/vod-demo");
}

QString Generate(const QString& dir, const QStringList& args)
{
    QProcess demo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    demo.setProcessEnvironment(env);
    demo.start(Generator(), QStringList{dir} + args);
    if (!demo.waitForFinished(240000)) {
        demo.kill();
        demo.waitForFinished();
        return QStringLiteral("the demo generator timed out");
    }
    if (demo.exitStatus() != QProcess::NormalExit || demo.exitCode() != 0)
        return QStringLiteral("the demo generator failed: ") + QString::fromUtf8(demo.readAllStandardError());
    return {};
}

QString CacheKey(const QStringList& args)
{
    const QFileInfo generator(Generator());
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(args.join(QChar(0)).toUtf8());
    hash.addData(QByteArray::number(generator.lastModified().toMSecsSinceEpoch()));
    hash.addData(QByteArray::number(generator.size()));
    return QString::fromLatin1(hash.result().toHex().left(16));
}

QString CopyTree(const QString& from, const QString& to)
{
    std::error_code error;
    std::filesystem::copy(from.toStdString(), to.toStdString(),
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing,
                          error);
    if (error)
        return QStringLiteral("copying the cached demo installation failed: ") +
               QString::fromStdString(error.message());
    return {};
}

} // namespace

QString MakeDemoInstallation(const QString& dir, const QStringList& args)
{
    const QString buildDir = qEnvironmentVariable("VOD_BUILD_DIR");
    if (buildDir.isEmpty() || args.contains(QStringLiteral("--postgres")))
        return Generate(dir, args);

    const QString cacheRoot = buildDir + QStringLiteral("/demo-cache");
    QDir().mkpath(cacheRoot);
    const QString cached = cacheRoot + u'/' + CacheKey(args);
    // Tests run in parallel: one generates, the others wait for it.
    QLockFile lock(cached + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    if (!lock.lock())
        return QStringLiteral("cannot lock the demo cache");
    if (!QFileInfo::exists(cached)) {
        const QString partial = cached + QStringLiteral(".partial");
        QDir(partial).removeRecursively();
        QDir().mkpath(partial);
        if (const QString error = Generate(partial, args); !error.isEmpty())
            return error;
        if (!QDir().rename(partial, cached))
            return QStringLiteral("cannot move the generated demo installation into the cache");
    }
    lock.unlock();
    return CopyTree(cached, dir);
}

} // namespace testsupport
