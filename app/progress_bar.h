#pragma once
#include <windows.h>

// Moves the progress bar to position, returning once it is there. Callable from any
// thread: from another, in one synchronous message to the main window,
// kSetProgressMessage, answered before the bar is drawn.
void SetProgress(int position);

// The main window's answer to kSetProgressMessage.
void OnSetProgressMessage(WPARAM position);
