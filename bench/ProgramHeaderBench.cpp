// ReadProgramHeader on a small and a 100 MB program: the time should not depend on the size.
#include "BenchEnvironment.h"
#include "platform/MessageBoxes.h"
#include "program/ProgramHeaderReader.h"

#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

namespace {
class SilentBoxes : public MessageBoxes {
protected:
    Answer Ask(const QString&, Icon, Buttons buttons, const QString&) override { return SafeAnswer(buttons); }
};

// Writes a program of about the given size once per run; returns its Windows path text.
QString programFile(qint64 bytes)
{
    const QString name = QStringLiteral("BENCH%1.CNC").arg(bytes);
    const QString native = BenchEnvironment::Instance().DriveC() + QStringLiteral("/KARN/PRODUCT/") + name;
    if (!QFile::exists(native)) {
        QDir().mkpath(QFileInfo(native).absolutePath());
        QFile f(native);
        if (!f.open(QIODevice::WriteOnly))
            return QString();
        f.write("G71 X600 Y400 Z20\r\n(BENCH PANEL)\r\n");
        QByteArray block;
        for (int i = 0; block.size() < 1 << 20; ++i)
            block += "N" + QByteArray::number(i) + " G1 X123.456 Y654.321 F3000\r\n";
        qint64 written = 0;
        while (written < bytes) {
            const QByteArray part = block.left(qMin<qint64>(block.size(), bytes - written));
            written += f.write(part);
        }
    }
    return QStringLiteral("C:\\KARN\\PRODUCT\\") + name;
}

void BM_ReadProgramHeader(benchmark::State& state)
{
    const QString path = programFile(state.range(0));
    SilentBoxes boxes;
    ProgramHeaderReader reader(boxes);
    for (auto _ : state) {
        float x = 0, y = 0, z = 0;
        QString comment;
        reader.ReadProgramHeader(path, x, y, z, comment);
        if (z != 20)
            state.SkipWithError("header not read");
        benchmark::DoNotOptimize(comment.constData());
    }
}
} // namespace

BENCHMARK(BM_ReadProgramHeader)->Arg(1000)->Arg(100LL * 1000 * 1000);
