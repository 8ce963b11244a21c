// zip_progress.h: the progress bar of `qor zip`, drawn on stderr from the archive engine's monitor
// callback, and only when stderr is a terminal.
#pragma once

#include "ALMonitor.h"

namespace qor::tool {

class ZipProgress {
public:
    ZipProgress();
    ~ZipProgress() { Finish(); }
    ZipProgress(const ZipProgress &) = delete;
    ZipProgress &operator=(const ZipProgress &) = delete;

    // The callback for the engine's monitor: null when no bar is drawn.
    ALCallbackFunction Callback() const;
    // Clears the bar's line.
    void Finish();
};

} // namespace qor::tool
