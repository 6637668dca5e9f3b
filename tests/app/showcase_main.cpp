#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "quillmere_session.h"

// Usage: quillmere_showcase <quillmere.exe> <folder> [file]
// Starts the program, chooses folder through its picker and starts a batch with the
// window's initial sizes. Returns, leaving the program open for a picture, once the run
// has reached its file-th file, or has ended if no file is given. Prints the window's
// rectangle on the screen as WIDTHxHEIGHT+X+Y.
int wmain(int argc, wchar_t** argv)
{
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: quillmere_showcase <quillmere.exe> <folder> [file]\n");
    return 2;
  }
  const int stopAtFile = argc == 4 ? static_cast<int>(std::wcstol(argv[3], nullptr, 10)) : 0;
  try {
    driver::QuillmereSession app(driver::WindowsPath(argv[1]));
    const std::wstring folder = driver::WindowsPath(argv[2]);
    app.ChooseFolder(folder);
    if (!app.WaitForLine(L"已选择目录: " + folder, driver::kUiTimeoutMs))
      throw driver::DriverError("the program did not log the chosen folder");
    app.Click(driver::kStartId);
    const bool reached = driver::WaitUntil(
        [&] {
          return app.StartEnabled() || (stopAtFile > 0 && app.Progress().position >= stopAtFile);
        },
        60000);
    if (!reached)
      throw driver::DriverError("the run did not get on");

    RECT rect;
    GetWindowRect(app.Window(), &rect);
    std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left,
                rect.top);
    app.Process().Detach();
    return 0;
  } catch (const driver::DriverError& error) {
    std::fprintf(stderr, "quillmere_showcase: %s\n", error.what());
    return 1;
  }
}
