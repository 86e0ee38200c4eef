#pragma once

// What every fuzz target needs: a check that stops the run with a readable reason, a scratch
// path for inputs that must be files, and a progress listener that checks the order in which
// readers report.

#include "platform/ProgressListener.h"

#include <QDir>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

inline void Check(bool ok, const char* what)
{
    if (!ok)
    {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// A path unique to this process in memory-backed scratch space (/dev/shm where there is one):
// the targets write every input to a file, and a disk would slow them down.
inline QString ScratchPath(const char* target, const char* name)
{
    const QString folder = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return folder + QStringLiteral("/%1_%2_%3").arg(QLatin1String(target)).arg(getpid()).arg(QLatin1String(name));
}

// Readers report a caption, then a reset, then percentages rising within 0 to 100.
struct CheckedProgress : IProgressListener
{
    int stage = 0; // 0 nothing yet, 1 caption, 2 reset
    int last = -1;
    void SetCaption(const QString&) override
    {
        Check(stage == 0, "caption comes first");
        stage = 1;
    }
    void Reset() override
    {
        Check(stage == 1, "reset follows the caption");
        stage = 2;
    }
    void SetPercent(int percent) override
    {
        Check(stage == 2, "percentages follow the reset");
        Check(percent > last && percent >= 0 && percent <= 100, "percentages rise within 0..100");
        last = percent;
    }
};
