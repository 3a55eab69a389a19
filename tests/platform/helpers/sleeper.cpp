// A program for the launcher tests, started with no arguments: its instructions come from the
// environment it inherits. It sleeps SW_SLEEPER_MS milliseconds; SW_SLEEPER_PID names a file that
// receives its process id at the start, SW_SLEEPER_END one that receives, just before it ends,
// "<CLOCK_MONOTONIC nanoseconds> <argc> <working folder>".
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <unistd.h>

namespace {

bool writeFile(const char *path, const char *text)
{
    // Written under a temporary name and renamed, so a reader never sees half a line.
    char partial[PATH_MAX];
    std::snprintf(partial, sizeof partial, "%s.part", path);
    std::FILE *file = std::fopen(partial, "w");
    if (!file)
        return false;
    const bool written = std::fputs(text, file) >= 0;
    return std::fclose(file) == 0 && written && std::rename(partial, path) == 0;
}

} // namespace

int main(int argc, char **)
{
    char line[PATH_MAX + 64];
    if (const char *pidFile = std::getenv("SW_SLEEPER_PID")) {
        std::snprintf(line, sizeof line, "%ld", long(::getpid()));
        if (!writeFile(pidFile, line))
            return 2;
    }
    const char *ms = std::getenv("SW_SLEEPER_MS");
    std::this_thread::sleep_for(std::chrono::milliseconds(ms ? std::atol(ms) : 100));
    if (const char *endFile = std::getenv("SW_SLEEPER_END")) {
        char folder[PATH_MAX];
        if (!::getcwd(folder, sizeof folder))
            return 2;
        timespec now {};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        std::snprintf(line, sizeof line, "%lld %d %s", now.tv_sec * 1000000000LL + now.tv_nsec, argc, folder);
        if (!writeFile(endFile, line))
            return 2;
    }
    return 0;
}
