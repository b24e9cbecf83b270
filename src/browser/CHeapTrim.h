#pragma once

#include <QLoggingCategory>

// What the program gives back and when (QT_LOGGING_RULES="quillbrow.memory.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcMemory)

// Hands the heap's free pages back to the system a moment after the last of a batch
// of browser windows went. The engine's side of a window in this process frees a lot
// (a page with thousands of frames, hundreds of pop-ups) in small blocks that the C
// library keeps for reuse; without a trim the program stays at its peak size long
// after those windows closed. Calls within the delay make one trim; a second one
// later catches what the engine frees in its own time after a page went.
namespace HeapTrim {
constexpr int kDelayMs = 1000;
constexpr int kLateDelayMs = 5000;
void Schedule();
} // namespace HeapTrim
