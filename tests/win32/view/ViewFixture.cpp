#include "ViewFixture.h"

namespace tavro::win32ui::test {

COLORREF PixelOf(const Win32Picture& picture, int x, int y) {
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(memory, picture.Bitmap());
  const COLORREF pixel = GetPixel(memory, x, y);
  SelectObject(memory, old);
  DeleteDC(memory);
  return pixel;
}

void Pump(MainWindow& view) {
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT)
      continue;
    if (view.PreTranslate(msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool PumpUntil(MainWindow& view, const std::function<bool()>& done) {
  const ULONGLONG give_up = GetTickCount64() + 10000;
  while (!done() && GetTickCount64() < give_up) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    Pump(view);
  }
  return done();
}

void ViewTest::SetUp() {
  view.Create();
  // As the program starts it, without Form_Load (which provisions folders
  // and loads settings beside the test program).
  view.Show(SW_SHOWNORMAL);
  form.Timer1.Start();
  Pump(view);
}

void ViewTest::TearDown() {
  if (IsWindow(Main()))
    DestroyWindow(Main());
  Pump(view);
}

RECT ViewTest::RectInContainer(const ControlDesign& row) const {
  HWND window = Win(row.Id().c_str());
  RECT rect{};
  GetWindowRect(window, &rect);
  POINT origin{0, 0};
  if (std::string_view(row.container) == kFormName) {
    ClientToScreen(Main(), &origin);
  } else {
    RECT frame{};
    GetWindowRect(Win(row.container), &frame);
    origin = POINT{frame.left, frame.top};
  }
  OffsetRect(&rect, -origin.x, -origin.y);
  return rect;
}

void ViewTest::MoveToDpi(UINT dpi) {
  RECT suggested{0, 0, MulDiv(1300, static_cast<int>(dpi), 144),
                 MulDiv(700, static_cast<int>(dpi), 144)};
  SendMessageW(Main(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

COLORREF ViewTest::PixelAt(HWND window, int x, int y) const {
  RedrawWindow(Main(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  UpdateWindow(Main());
  HDC dc = GetDC(window);
  const COLORREF pixel = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return pixel;
}

}  // namespace tavro::win32ui::test
