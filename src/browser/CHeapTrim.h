#pragma once

#include <QLoggingCategory>

// What the program gives back and when (QT_LOGGING_RULES="quillbrow.memory.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcMemory)

// Hands the heap's free pages back to the system after the last of a batch of browser
// windows went. The engine's side of a window in this process frees a lot (a page with
// thousands of frames, hundreds of pop-ups) in small blocks that the C library keeps
// for reuse; without a trim the program stays at its peak size long after those windows
// closed. The engine frees in its own time after a page went, so there are three
// trims, the last half a minute on; each call starts all three again.
namespace HeapTrim {
constexpr int kDelaysMs[] = {1000, 5000, 30000};
void Schedule();
} // namespace HeapTrim
