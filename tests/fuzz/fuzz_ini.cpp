// The profile file reader and writer on any file content. Besides not crashing: a key just
// written reads back as written, the write leaves every other key as it was, and a section read
// whole gives what its keys give one by one.
#include "FuzzEnvironment.h"
#include "platform/ProfileFile.h"

#include <QFile>
#include <QList>
#include <QSet>

#include <cstddef>
#include <cstdint>

namespace {
// Names the file itself uses, so the reads hit real sections and keys.
void namesIn(const QByteArray& content, QStringList& sections, QStringList& keys)
{
    for (const QByteArray& raw : content.split('\n')) {
        const QByteArray line = raw.trimmed();
        // A few of each: every read parses the whole file again.
        if (line.startsWith('[') && sections.size() < 3) {
            const qsizetype close = line.indexOf(']');
            sections << QString::fromLatin1(line.mid(1, close < 0 ? -1 : close - 1)).trimmed();
        } else if (const qsizetype eq = line.indexOf('='); eq > 0 && keys.size() < 8) {
            keys << QString::fromLatin1(line.left(eq)).trimmed();
        }
    }
    sections << QStringLiteral("GESTBCOD") << QStringLiteral("Drives");
    keys << QStringLiteral("Settings") << QStringLiteral("CommPort") << QStringLiteral("C");
}

QString read(const QString& file, const QString& section, const QString& key)
{
    return ProfileFile::ReadString(file, section, key, QStringLiteral("\x01missing"), 128);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString file = FuzzEnvironment::Get().Root() + QStringLiteral("/ZEM.INI");
    const QByteArray content(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            FuzzFailure("cannot write the profile file");
        f.write(content);
    }

    QStringList sections;
    QStringList keys;
    namesIn(content, sections, keys);
    QList<QString> before;
    for (const QString& section : sections) {
        for (const QString& key : keys)
            before << read(file, section, key);
    }
    for (const QString& key : keys)
        ProfileFile::ReadInt(file, sections.first(), key, -7);
    // A whole section reads as its keys do one by one.
    for (const QString& s : sections) {
        for (const auto& [key, value] : ProfileFile::ReadSection(file, s)) {
            if (ProfileFile::ReadString(file, s, key, QStringLiteral("\x01missing"), 0) != value)
                FuzzFailure("a section's key reads differently alone");
        }
    }

    const QString section = sections.first();
    const QString written = QStringLiteral("fuzz value 42");
    if (!ProfileFile::WriteString(file, section, QStringLiteral("FuzzKey"), written))
        return 0;
    if (read(file, section, QStringLiteral("FuzzKey")) != written)
        FuzzFailure("a written key does not read back");

    qsizetype i = 0;
    for (const QString& s : sections) {
        for (const QString& key : keys) {
            const bool same = s.compare(section, Qt::CaseInsensitive) == 0 && key.compare(QStringLiteral("FuzzKey"), Qt::CaseInsensitive) == 0;
            if (!same && read(file, s, key) != before[i])
                FuzzFailure("writing one key changed another");
            ++i;
        }
    }
    return 0;
}
