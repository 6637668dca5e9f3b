#include "pump_while.h"

#include <windows.h>

#include <thread>

#include "app/globals.h"

void PumpWhile(const std::function<void()>& work)
{
  std::thread worker([&work] {
    work();
    PostMessageW(g_mainWindow, WM_CLOSE, 0, 0);
  });
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  worker.join();
}
