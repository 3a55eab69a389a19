#pragma once

#include <QLockFile>
#include <QString>

namespace sw::files {

// How long a writer waits for another writer of the same configuration before it gives up.
inline constexpr int ProjectLockWaitMs = 3000;

// The file in a configuration's folder that its writers lock.
inline constexpr char ProjectLockName[] = ".sw61942.lock";

// Held while a configuration's documents or images are written, so that two writers (the
// configurator and the image tool, or two tools) never interleave their files: the second waits
// up to `waitMs`, then throws sw::Error naming the configuration. A lock left by a process that
// died is taken over. When the lock cannot be made at all (a folder that is missing, read-only or
// full), the error names `writing`, the file that could then not be written either. Not
// reentrant: take it once, where the files are written.
class ProjectLock
{
public:
    ProjectLock(const QString &projectFolder, const QString &writing, int waitMs = ProjectLockWaitMs);
    ProjectLock(const ProjectLock &) = delete;
    ProjectLock &operator=(const ProjectLock &) = delete;

private:
    QLockFile m_lock;
};

} // namespace sw::files
