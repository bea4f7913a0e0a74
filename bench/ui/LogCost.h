#pragma once

#include <QString>

#include <functional>

namespace tovr::bench {

// One sheet's log under test: `open` presents it with `lines` lines, `shown` says every line is
// on screen, `close` ends it.
struct LogUnderTest {
    const char* sheet;
    int lines;
    std::function<QString(int)> lineAt;
    std::function<void()> open;
    std::function<bool()> shown;
    std::function<void()> close;
};

// What a sheet's log costs, round by round against a bare list view holding the same lines:
// heap per line beyond the text, the time closing takes, and the resident memory that stays
// after. Prints `<sheet>_log_bytes_per_line`, `<sheet>_log_close_ms` and
// `<sheet>_log_memory_returned_mb`.
void printLogCost(const LogUnderTest& log);

} // namespace tovr::bench
