#pragma once
// One window procedure per window class: the object that owns the window is
// stored in GWLP_USERDATA when the window is made (WM_NCCREATE), and each
// message goes to T::HandleMessage. The window dies with its object; after
// WM_NCDESTROY no message reaches the object any more.

#include <windows.h>

namespace tavro::win32ui {

template <typename T>
class BaseWindow {
 public:
  BaseWindow() = default;
  BaseWindow(const BaseWindow&) = delete;
  BaseWindow& operator=(const BaseWindow&) = delete;

  HWND Window() const { return window_; }

  // Registers T's class once per process; later calls find it registered.
  static void Register(HICON icon = nullptr, HICON small_icon = nullptr,
                       HBRUSH background = nullptr, UINT style = 0) {
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(GetModuleHandleW(nullptr), T::kClassName, &wc))
      return;
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = &BaseWindow::WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = icon;
    wc.hIconSm = small_icon;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.lpszClassName = T::kClassName;
    RegisterClassExW(&wc);
  }

 protected:
  ~BaseWindow() { Destroy(); }

  HWND CreateAs(DWORD ex_style, const wchar_t* title, DWORD style, int x, int y, int width,
                int height, HWND parent, HMENU menu_or_id) {
    T::Register();
    return CreateWindowExW(ex_style, T::kClassName, title, style, x, y, width, height, parent,
                           menu_or_id, GetModuleHandleW(nullptr), this);
  }

  // Destroys the window without letting its last messages reach a dying
  // object.
  void Destroy() {
    if (window_ == nullptr)
      return;
    HWND window = window_;
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    window_ = nullptr;
    DestroyWindow(window);
  }

  LRESULT Default(UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcW(window_, message, wparam, lparam);
  }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    BaseWindow* self = nullptr;
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
      self = static_cast<BaseWindow*>(create->lpCreateParams);
      self->window_ = window;
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
      self = reinterpret_cast<BaseWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (self == nullptr)
      return DefWindowProcW(window, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      self->window_ = nullptr;
      return DefWindowProcW(window, message, wparam, lparam);
    }
    return static_cast<T*>(self)->HandleMessage(message, wparam, lparam);
  }

  HWND window_ = nullptr;
};

}  // namespace tavro::win32ui
