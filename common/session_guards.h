#pragma once
#include <windows.h>
#include <objbase.h>
#include <gdiplus.h>

// Starts GDI+ for the lifetime of the guard. Every GDI+ object must be gone before the
// guard is: Wine's GDI+ faults on an object destroyed after shutdown.
struct GdiplusSession {
  GdiplusSession()
  {
    const Gdiplus::GdiplusStartupInput input;
    started = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }
  ~GdiplusSession()
  {
    if (started)
      Gdiplus::GdiplusShutdown(token);
  }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;

  ULONG_PTR token = 0;
  bool started = false;
};

// A single-threaded COM apartment on the calling thread, which the folder picker needs.
struct ComApartment {
  ComApartment() : initialized(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment()
  {
    if (initialized)
      CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  bool initialized;
};
