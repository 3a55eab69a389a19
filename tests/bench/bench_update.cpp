// Prints how long the reachability check of the update takes against loopback (two answered
// echoes, as the dialog asks for) and how late the end of a short updater is noticed.
#include "core/Error.h"
#include "platform/posix/PosixIcmpEcho.h"
#include "platform/posix/PosixLauncher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

double milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void report(const char *what, std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    double sum = 0;
    for (double v : values)
        sum += v;
    std::printf("%s: mean %.3f ms, median %.3f ms, max %.3f ms (%zu rounds)\n", what, sum / double(values.size()),
        values[values.size() / 2], values.back(), values.size());
}

} // namespace

int main()
{
    sw::PosixIcmpEcho echo;
    std::vector<double> checks;
    try {
        for (int round = 0; round < 50; ++round) {
            const Clock::time_point start = Clock::now();
            int answers = 0;
            while (answers < 2 && Clock::now() - start < 5000ms)
                answers += echo.echo(QStringLiteral("127.0.0.1"), "127.0.0.1", 400ms) ? 1 : 0;
            checks.push_back(milliseconds(Clock::now() - start));
        }
        report("reachability check, two echoes to 127.0.0.1", checks);
    } catch (const sw::Error &error) {
        std::printf("reachability check not measured: %s\n", qPrintable(error.message()));
    }

    QTemporaryDir dir;
    const QString endFile = dir.filePath(QStringLiteral("end"));
    qputenv("SW_SLEEPER_MS", "50");
    qputenv("SW_SLEEPER_END", QFile::encodeName(endFile));
    std::vector<double> lateness;
    sw::PosixLauncher launcher;
    for (int round = 0; round < 20; ++round) {
        QFile::remove(endFile);
        if (!launcher.Start_Program(QStringLiteral(SW_SLEEPER_PATH), 5000ms).started())
            return 1;
        const Clock::time_point returned = Clock::now();
        QFile file(endFile);
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        const Clock::time_point ended(std::chrono::nanoseconds(file.readLine().split(' ').value(0).toLongLong()));
        lateness.push_back(milliseconds(returned - ended));
    }
    report("end of a 50 ms program noticed after its last step", lateness);
    return 0;
}
