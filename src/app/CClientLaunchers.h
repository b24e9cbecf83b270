#pragma once

class CSettings;
class QWidget;

// The programs the Tools menu starts: the user's default mail and news programs (the
// desktop's handlers of mailto: and news:) and the command that updates the offline
// content. Failures are told to the user with the program's error reports.

// Starts the default mail (news) program. Without one, or without a command in its
// entry, says so (51447, 51448) over the main window; when its command cannot be
// started, says so with the program's name (51449, 51450) over pOwner. Returns whether
// a process was started.
bool LaunchMailClient(QWidget *pOwner);
bool LaunchNewsClient(QWidget *pOwner);

// Asks first while ConfirmSynchronize is on (the answer's box switches the question
// off), then starts the engine store's synchronisation command; says 51452 when there
// is none or it cannot be started.
void StartSynchronize(CSettings &settings, QWidget *pParent);
