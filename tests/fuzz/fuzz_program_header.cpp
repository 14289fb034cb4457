// ReadProgramHeader on any file content: no crash, no hang, and only the lines it needs.
#include "FuzzEnvironment.h"
#include "platform/Paths.h"
#include "platform/UnattendedMessageBoxes.h"
#include "program/ProgramHeaderReader.h"

#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzEnvironment::Get().ResetLog();
    const QString pathText = QStringLiteral("C:\\PROG\\F.CNC");
    const QString native = Paths::ToNative(pathText);
    QDir().mkpath(QFileInfo(native).absolutePath());
    {
        QFile file(native);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            FuzzFailure("cannot write the program file");
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }

    UnattendedMessageBoxes boxes;
    ProgramHeaderReader reader(boxes);
    float x = -1;
    float y = -1;
    float z = -1;
    QString comment = QStringLiteral("stale");
    reader.ReadProgramHeader(pathText, x, y, z, comment);
    if (comment.size() > static_cast<qsizetype>(size))
        FuzzFailure("a comment longer than the file");
    return 0;
}
