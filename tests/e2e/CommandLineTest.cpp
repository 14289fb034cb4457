#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

// The real executable with no display of any kind, so that a window system asked for would fail.
Outcome tarvex(const QTemporaryDir& home, const QStringList& arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TARVEX_EXECUTABLE), arguments);
    Outcome run;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

TEST(CommandLineTest, VersionAndHelpPrintAndEndWithoutADisplayOrAStart)
{
    QTemporaryDir home;
    const Outcome version = tarvex(home, {"--version"});
    EXPECT_EQ(version.exitCode, 0) << version.err.toStdString();
    const QString first = QStringLiteral("tarvex %1.%2.%3\n").arg(TARVEX_VERSION_MAJOR).arg(TARVEX_VERSION_MINOR).arg(TARVEX_VERSION_PATCH);
    EXPECT_TRUE(version.out.startsWith(first)) << version.out.toStdString();

    // Help wins over the version and over the switches beside it, in any letter case.
    for (const QStringList& arguments : {QStringList{"--help"}, QStringList{"NOAPP", "-H", "--version"}}) {
        const Outcome help = tarvex(home, arguments);
        EXPECT_EQ(help.exitCode, 0) << help.err.toStdString();
        EXPECT_TRUE(help.out.startsWith("Usage: tarvex")) << help.out.toStdString();
        for (const char* word : {"NOAPP", "UNATTENDED", "KEEPCSV", "--version"})
            EXPECT_TRUE(help.out.contains(word)) << word;
        // The files where they are for this user.
        const QString data = home.path() + "/data/tarvex/";
        for (const QString& file : {home.path() + "/config/tarvex/ZEM.INI", data + "tarvex.log", data + "listmanager.log",
                                    data + "worklist.lst"})
            EXPECT_TRUE(help.out.contains(file)) << file.toStdString();
    }
    // Nothing was started: no log was written.
    EXPECT_FALSE(QFile::exists(home.path() + "/data/tarvex/tarvex.log"));
}

} // namespace
