#pragma once

#include <QString>

// Receives the progress of a long load: first the caption (the path being read), then a reset,
// then the percentage done whenever it changes. Data sources hold a borrowed pointer to one;
// a null pointer means nobody listens. Calls arrive on the thread that runs the load.
class IProgressListener
{
public:
    virtual ~IProgressListener() = default;
    virtual void SetCaption(const QString& path) = 0;
    virtual void Reset() = 0;
    virtual void SetPercent(int percent) = 0;
};
