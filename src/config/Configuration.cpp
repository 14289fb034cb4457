#include "config/Configuration.h"

#include "platform/Files.h"
#include "platform/FileSearch.h"
#include "platform/ImmediateExit.h"
#include "platform/Log.h"
#include "platform/MessageBoxes.h"
#include "platform/Paths.h"
#include "platform/ProfileFile.h"
#include "platform/RuntimeError.h"

#include "station/StationState.h"

#include <QDir>

namespace {
const QString defaultGCodePath = QStringLiteral("C:\\KARN\\PRODUCT\\");
constexpr int textBuffer = 128;  // main keys: at most 127 characters
constexpr int valueBuffer = 80;  // ReadIniValue: at most 79 characters
const QString missingMarker = QStringLiteral("END.-");

FileFinder& systemFiles()
{
    static FileSearch files;
    return files;
}

ProcessExit& systemExit()
{
    static ImmediateExit exit;
    return exit;
}

QString dropOneTrailingBackslash(QString text)
{
    if (text.endsWith(QLatin1Char('\\')))
        text.chop(1);
    return text;
}
} // namespace

Configuration::Configuration(MessageBoxes& boxes) : Configuration(boxes, systemFiles(), systemExit())
{
}

Configuration::Configuration(MessageBoxes& boxes, FileFinder& files, ProcessExit& exit)
    : boxes_(boxes), files_(files), exit_(exit)
{
}

QString Configuration::SampleFile()
{
    return QDir::cleanPath(Paths::ToNative(Paths::ProgramFolder()) + QStringLiteral("/../share/doc/tarvex/ZEM.INI.sample"));
}

bool Configuration::LoadSettings(StationState& state)
{
    WindowsDirectory = Paths::WindowsDirectory();
    IniFilePath = Paths::ProgramFolder() + QLatin1Char('\\') + FileName;
    if (!FileExists(IniFilePath)) {
        IniFilePath = WindowsDirectory + QLatin1Char('\\') + FileName;
        if (!FileExists(IniFilePath)) {
            Log::Warning(QStringLiteral("no configuration file; settings will be written to %1").arg(NativeIniFilePath()));
            // Where it was looked for, where it will be, and where to start from.
            boxes_.Show(QStringLiteral("File ZEM.INI Not Found") +
                            QStringLiteral("\n\nLooked in:\n%1\n%2\n\nTarvex starts with the default settings; the first "
                                           "setting saved creates %2.\nA commented sample to copy there: %3")
                                .arg(Paths::ToNative(Paths::ProgramFolder() + QLatin1Char('\\') + FileName),
                                     NativeIniFilePath(), SampleFile()),
                        MessageBoxes::Icon::Critical);
            return false;
        }
    }
    Log::Info(QStringLiteral("configuration file %1").arg(NativeIniFilePath()));
    const QString refusal = ProfileFile::Refusal(NativeIniFilePath());
    if (!refusal.isEmpty()) {
        // Read on every setting, a huge file would slow every scan; and no setting may be saved
        // over it, which would throw its other settings away.
        Log::Error(QStringLiteral("configuration file refused: %1; starting with the default settings").arg(refusal));
        boxes_.Show(QStringLiteral("File ZEM.INI Not Read\n\n%1\n\nTarvex starts with the default settings and saves no "
                                   "setting to it. It reads a ZEM.INI of at most %2 bytes (1 MiB).")
                        .arg(refusal)
                        .arg(ProfileFile::MaxFileSize),
                    MessageBoxes::Icon::Critical);
    }

    state.HideShowEd();

    SerialSettings = readText(QStringLiteral("Settings"), QStringLiteral("9600,N,8,1"));
    ReadFolders();

    CommPort = readChoice(QStringLiteral("CommPort"), 1, -32768, 32767);
    const int pollTime = readChoice(QStringLiteral("CommPollTime"), 1000, -65536, 65535);
    if (pollTime > 99)
        TimerInterval = pollTime;

    bool known = true;
    const QString suffix = readText(ScanSuffix::Key, QString());
    Suffix = ScanSuffix::FromValue(suffix, &known);
    if (!known)
        Log::Warning(QStringLiteral("%1=%2 in %3 is not CR, LF, CRLF or TAB; scans end by silence alone")
                         .arg(ScanSuffix::Key, Log::Printable(suffix), NativeIniFilePath()));

    state.SetOption(StationState::Option::AutoStart, readChoice(QStringLiteral("AutoStart"), 1, 0, 2));
    state.SetOption(StationState::Option::Overwrite, readChoice(QStringLiteral("Overwrite"), 1, 0, 2));
    state.SetOption(StationState::Option::AClear, readChoice(QStringLiteral("AutoClear"), 1, 0, 2));
    return true;
}

void Configuration::ReadFolders()
{
    GCodePath = readText(QStringLiteral("GCodePath"), defaultGCodePath);
    ListPath = readText(QStringLiteral("ListPath"), defaultGCodePath + QStringLiteral("lsx\\"));
    GCodePath = GCodePath.trimmed();
    if (!GCodePath.endsWith(QLatin1Char('\\')))
        GCodePath += QLatin1Char('\\');
    ListPath = ListPath.trimmed();
    CSVInPath = dropOneTrailingBackslash(readText(QStringLiteral("CSVInPath"), QStringLiteral("C:\\")).trimmed());
    CSVOutPath = dropOneTrailingBackslash(readText(QStringLiteral("CSVOutPath"), QStringLiteral("C:\\Tarvex.csv")).trimmed());
}

bool Configuration::FileExists(const QString& path, Unexpected unexpected)
{
    const QString native = Paths::ToNative(path);
    for (;;) {
        try {
            return files_.FindFirst(native);
        } catch (const RuntimeError& e) {
            switch (e.Number()) {
            case RuntimeError::DiskNotReady:
                if (boxes_.Show(QStringLiteral("Insert Disk"), MessageBoxes::Icon::Question,
                                MessageBoxes::Buttons::OkCancel) == MessageBoxes::Answer::Ok)
                    continue;
                return false;
            case RuntimeError::DeviceIoError:
                if (boxes_.Show(QStringLiteral("Unformatted Disk"), MessageBoxes::Icon::Question,
                                MessageBoxes::Buttons::RetryCancel) == MessageBoxes::Answer::Retry)
                    continue;
                return false;
            case RuntimeError::DeviceUnavailable:
            case RuntimeError::PathNotFound:
                return false;
            case RuntimeError::PermissionDenied:
                // A folder the program may not look into holds no file it can use; ending the
                // program for it would stop the station over one unreadable path.
                Log::Warning(QStringLiteral("cannot look for %1: %2").arg(native, e.Description()));
                return false;
            default:
                if (unexpected == Unexpected::Throw)
                    throw;
                boxes_.ReportUnexpectedError(e.Number(), e.Description());
                exit_.EndProcess(1);
                return false;
            }
        }
    }
}

QString Configuration::ReadIniValue(const QString& section, const QString& key) const
{
    return readValue(section, key, valueBuffer);
}

QString Configuration::ReadIniText(const QString& section, const QString& key) const
{
    return readValue(section, key, 0);
}

bool Configuration::WriteIniValue(const QString& section, const QString& key, const QString& value)
{
    QString error;
    // With no configuration file anywhere, the first setting saved creates it and its folder.
    QString folder;
    if (!Files::MakeFolderOf(NativeIniFilePath(), folder))
        error = QStringLiteral("the folder %1 cannot be created").arg(folder);
    else if (ProfileFile::WriteString(NativeIniFilePath(), section, key, value, &error))
        return true;
    Log::Error(QStringLiteral("could not write %1=%2 to %3: %4").arg(key, Log::Printable(value), NativeIniFilePath(), error));
    return false;
}

bool Configuration::WriteIniText(const QString& section, const QString& key, const QString& text)
{
    const auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    const bool quotedPair = text.size() >= 2 && (text.front() == QLatin1Char('"') || text.front() == QLatin1Char('\'')) &&
                            text.back() == text.front();
    const bool needsQuotes = !text.isEmpty() && (blank(text.front()) || blank(text.back()) || quotedPair);
    return WriteIniValue(section, key, needsQuotes ? QLatin1Char('"') + text + QLatin1Char('"') : text);
}

QString Configuration::NativeIniFilePath() const
{
    return Paths::ToNative(IniFilePath);
}

QHash<QChar, QString> Configuration::DriveRoots() const
{
    QHash<QChar, QString> roots;
    for (const auto& [key, value] : ProfileFile::ReadSection(NativeIniFilePath(), QStringLiteral("Drives"))) {
        const QString root = value.trimmed();
        if (key.size() == 1 && key[0].isLetter() && !root.isEmpty())
            roots.insert(key[0].toUpper(), root);
    }
    return roots;
}

QString Configuration::readValue(const QString& section, const QString& key, int bufferSize) const
{
    const QString value = ProfileFile::ReadString(NativeIniFilePath(), section, key, missingMarker, bufferSize);
    if (value == missingMarker || value.isEmpty())
        return QString();
    return value;
}

QString Configuration::readText(const QString& key, const QString& defaultValue) const
{
    return ProfileFile::ReadString(NativeIniFilePath(), Section, key, defaultValue, textBuffer);
}

int Configuration::readChoice(const QString& key, int defaultValue, qint64 low, qint64 high) const
{
    const qint64 value = ProfileFile::ReadInt(NativeIniFilePath(), Section, key, defaultValue);
    if (value < low || value > high) {
        Log::Warning(QStringLiteral("%1=%2 in %3 is out of range; using %4").arg(key).arg(value).arg(NativeIniFilePath()).arg(defaultValue));
        return defaultValue;
    }
    return static_cast<int>(value);
}
