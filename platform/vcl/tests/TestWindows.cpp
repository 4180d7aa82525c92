#include "TestWindows.h"
#include "TestPng.h"

void PumpMessages(int rounds) {
  for (int i = 0; i < rounds; ++i) {
    Application->ProcessMessages();
    Sleep(10);
  }
  Application->ProcessMessages();
}

std::string WriteWindowPng(TWinControl* control, const std::string& name) {
  HWND h = control->Handle();
  UpdateWindow(h);
  RECT r;
  GetWindowRect(h, &r);
  TBitmap bmp(r.right - r.left, r.bottom - r.top, pf24bit);
  HDC screen = GetDC(nullptr);
  BitBlt(bmp.Canvas()->Handle(), 0, 0, bmp.Width(), bmp.Height(), screen, r.left, r.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  return WriteTestPng(&bmp, name);
}

COLORREF ClientPixel(TWinControl* control, int x, int y) {
  UpdateWindow(control->Handle());
  POINT p{x, y};
  ClientToScreen(control->Handle(), &p);
  HDC screen = GetDC(nullptr);
  COLORREF c = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return c;
}

