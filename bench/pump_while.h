#pragma once
#include <functional>

// Runs work on a second thread while this thread pumps its messages, as the program's
// UI thread does during a run; work's thread closes the main window when done.
void PumpWhile(const std::function<void()>& work);
