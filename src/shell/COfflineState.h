#pragma once

// The engine's offline switch. It lives in the engine store, not in the program, so
// every running copy and the engine itself see the same state, and a change made
// elsewhere shows at the next look.

// True unless the engine store says the engine works offline. Cheap enough to ask for
// every request the engine makes: the store is read again only after it changed on disk.
// Safe to call from any thread.
bool IsOnline();

// Switches the engine online or offline. False when the store cannot be written;
// pErrorCode then receives an errno value that explains why.
bool SetOnline(bool bOnline, int *pErrorCode = nullptr);
