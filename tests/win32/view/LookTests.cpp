// How the view looks at 96 and 144 DPI: pictures at their place and size,
// covers fitted into Picture1, every caption whole in the design's font.

#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "ViewFixture.h"
#include "runtime/Files.h"
#include "window/Layout.h"
#include "view/win32/Wide.h"
#include "view/win32/Win32Picture.h"

namespace tavro::win32ui::test {
namespace {

namespace fs = std::filesystem;
using Microsoft::WRL::ComPtr;

const Win32Picture& AsWin32(const PicturePtr& picture) {
  return dynamic_cast<const Win32Picture&>(*picture);
}

// Every channel within tolerance: a scaled picture blends neighbours.
::testing::AssertionResult Near(COLORREF actual, COLORREF expected, int tolerance = 24) {
  const int d[3] = {GetRValue(actual) - GetRValue(expected),
                    GetGValue(actual) - GetGValue(expected),
                    GetBValue(actual) - GetBValue(expected)};
  for (int c : d) {
    if (std::abs(c) > tolerance) {
      return ::testing::AssertionFailure()
             << std::hex << "0x" << actual << " is not near 0x" << expected;
    }
  }
  return ::testing::AssertionSuccess();
}

// A 32-bit BMP file: the left half one colour, the right half another.
std::string TwoColourBmp(int width, int height, COLORREF left, COLORREF right, int stripe = 0) {
  const std::uint32_t pixels = static_cast<std::uint32_t>(width * height * 4);
  std::string out(54, '\0');
  auto put = [&out](size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
      out[at + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  out[0] = 'B';
  out[1] = 'M';
  put(2, 54 + pixels, 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<std::uint32_t>(width), 4);
  put(22, static_cast<std::uint32_t>(height), 4);
  put(26, 1, 2);
  put(28, 32, 2);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      // Halves, or with stripe columns of each in turn.
      const COLORREF c = (stripe > 0 ? x / stripe % 2 == 0 : x < width / 2) ? left : right;
      out.push_back(static_cast<char>(GetBValue(c)));
      out.push_back(static_cast<char>(GetGValue(c)));
      out.push_back(static_cast<char>(GetRValue(c)));
      out.push_back(static_cast<char>(0xFF));
    }
  }
  return out;
}

// The same two halves as a JPEG, made by WIC's encoder.
std::string TwoColourJpeg(int width, int height, COLORREF left, COLORREF right) {
  std::string pixels;
  for (int i = 0; i < width * height; ++i) {
    const COLORREF c = i % width < width / 2 ? left : right;
    pixels += {static_cast<char>(GetBValue(c)), static_cast<char>(GetGValue(c)),
               static_cast<char>(GetRValue(c))};
  }
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  HGLOBAL memory = nullptr;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(factory.GetAddressOf()))) ||
      FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.GetAddressOf())) ||
      FAILED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.GetAddressOf())) ||
      FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(frame.GetAddressOf(), nullptr)) ||
      FAILED(frame->Initialize(nullptr)) || FAILED(frame->SetSize(width, height)) ||
      FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat24bppBGR ||
      FAILED(frame->WritePixels(height, width * 3, static_cast<UINT>(pixels.size()),
                                reinterpret_cast<BYTE*>(pixels.data()))) ||
      FAILED(frame->Commit()) || FAILED(encoder->Commit()) ||
      FAILED(GetHGlobalFromStream(stream.Get(), &memory))) {
    return {};
  }
  STATSTG stat{};
  stream->Stat(&stat, STATFLAG_NONAME);
  const std::string bytes(static_cast<const char*>(GlobalLock(memory)), stat.cbSize.QuadPart);
  GlobalUnlock(memory);
  return bytes;
}

class LookTest : public ViewTest {
 protected:
  void TearDown() override {
    ViewTest::TearDown();
    std::error_code ec;
    if (!folder.empty())
      fs::remove_all(folder, ec);
  }
  std::string CoverFile(const std::string& bytes) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder = fs::path(temp) / (L"tavro-look-" + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(folder);
    std::ofstream(folder / L"Cover \u00e9.jpg", std::ios::binary) << bytes;
    return Utf8(folder / L"Cover \u00e9.jpg");
  }
  PicturePtr PictureFile(const std::string& bytes) {
    return services.LoadPictureToFit(CoverFile(bytes), 0, 0);
  }
  COLORREF BoxBackground() const {
    HDC dc = GetDC(Win("Picture1"));
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(Main(), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(Win("Picture1"))));
    ReleaseDC(Win("Picture1"), dc);
    LOGBRUSH info{};
    GetObjectW(brush, sizeof(info), &info);
    return info.lbColor;
  }
  SIZE ClientSize(HWND window) const {
    RECT rect{};
    GetClientRect(window, &rect);
    return SIZE{rect.right, rect.bottom};
  }

  fs::path folder;
};

TEST_F(LookTest, ACoverOfAnotherShapeIsScaledToFitPicture1AndCentred) {
  const COLORREF red = RGB(220, 20, 30);
  const COLORREF blue = RGB(20, 40, 230);
  // 400 x 100 into 201 x 113: 201 x 50, 31 rows of the box's colour above.
  form.Picture1.SetPicture(PictureFile(TwoColourBmp(400, 100, red, blue)));
  HWND box = Win("Picture1");
  ASSERT_EQ(ClientSize(box).cx, 201);
  ASSERT_EQ(ClientSize(box).cy, 113);
  const COLORREF band = BoxBackground();
  ASSERT_NE(band, red);
  EXPECT_EQ(PixelAt(box, 100, 30), band);
  EXPECT_EQ(PixelAt(box, 0, 31), red);
  EXPECT_EQ(PixelAt(box, 50, 56), red);
  EXPECT_EQ(PixelAt(box, 150, 56), blue);
  EXPECT_EQ(PixelAt(box, 200, 80), blue);
  EXPECT_EQ(PixelAt(box, 100, 81), band);
  // A tall one: 50 x 200 into 201 x 113 is 28 x 113, from column 86.
  form.Picture1.SetPicture(PictureFile(TwoColourBmp(50, 200, red, blue)));
  EXPECT_EQ(PixelAt(box, 85, 56), band);
  EXPECT_EQ(PixelAt(box, 87, 0), red);
  EXPECT_EQ(PixelAt(box, 112, 112), blue);
  EXPECT_EQ(PixelAt(box, 114, 56), band);
}

TEST_F(LookTest, AGamesIconIsFittedAndItsSeeThroughPartShowsTheBox) {
  HWND box = Win("Picture1");
  const COLORREF band = BoxBackground();
  // 2 x 1: opaque red, a half-covering green, a see-through blue whose
  // colour must never show. Fitted it is 201 x 100 from row 6 (even shares
  // above and below), each pixel a 100-wide half.
  const std::vector<std::uint8_t> rgba = {230, 20, 20, 255, 0, 200, 0, 128};
  form.Picture1.SetPicture(services.PictureFromRgba(2, 1, rgba));
  ASSERT_NE(band, RGB(230, 20, 20));
  EXPECT_EQ(PixelAt(box, 100, 3), band);
  EXPECT_EQ(PixelAt(box, 100, 110), band);
  EXPECT_EQ(PixelAt(box, 30, 56), RGB(230, 20, 20));
  // Half of the green over the box's colour, channel by channel.
  const COLORREF mixed = PixelAt(box, 170, 56);
  const auto half = [](int over, int under) { return (over * 128 + under * 127) / 255; };
  EXPECT_NEAR(GetRValue(mixed), half(0, GetRValue(band)), 3);
  EXPECT_NEAR(GetGValue(mixed), half(200, GetGValue(band)), 3);
  EXPECT_NEAR(GetBValue(mixed), half(0, GetBValue(band)), 3);
  // A fully see-through pixel is the box itself; a wrong size is no picture.
  const std::vector<std::uint8_t> clear = {0, 0, 255, 0, 230, 20, 20, 255};
  form.Picture1.SetPicture(services.PictureFromRgba(2, 1, clear));
  EXPECT_EQ(PixelAt(box, 30, 56), band);
  EXPECT_EQ(PixelAt(box, 170, 56), RGB(230, 20, 20));
  EXPECT_THROW(services.PictureFromRgba(2, 2, clear), RuntimeError);
}

TEST_F(LookTest, ALargeCoverIsHeldAtTheBoxSizeAndFillsItAsBefore) {
  const COLORREF red = RGB(220, 20, 30);
  const COLORREF blue = RGB(20, 40, 230);
  HWND box = Win("Picture1");
  const POINT points[] = {{0, 0},    {99, 0},  {102, 0},  {200, 0},   {50, 56},
                          {150, 56}, {0, 112}, {99, 112}, {102, 112}, {200, 112}};
  // Eight times the box's size: decoded whole before, fitted to the box now.
  // Columns of black and white in turn shrink to their mean, grey, as the
  // whole picture drawn into the box did: no pixel of each block is picked.
  const COLORREF grey = RGB(127, 127, 127);
  const struct {
    std::string bytes;
    COLORREF left, right;
  } cases[] = {{TwoColourBmp(1608, 904, red, blue), red, blue},
               {TwoColourJpeg(1608, 904, red, blue), red, blue},
               {TwoColourBmp(1608, 904, RGB(0, 0, 0), RGB(255, 255, 255), 1), grey, grey}};
  for (const auto& [bytes, left, right] : cases) {
    ASSERT_FALSE(bytes.empty());
    const std::string path = CoverFile(bytes);
    form.Picture1.SetPicture(services.LoadPictureToFit(path, 0, 0));
    std::vector<COLORREF> before;
    for (const POINT p : points)
      before.push_back(PixelAt(box, p.x, p.y));
    form.ShowCover(path);
    const Picture& held = *form.Picture1.Picture();
    EXPECT_TRUE(held.Width() >= 201 && held.Width() <= 402) << held.Width();
    EXPECT_TRUE(held.Height() >= 113 && held.Height() <= 226) << held.Height();
    for (size_t i = 0; i < before.size(); ++i)
      EXPECT_TRUE(Near(PixelAt(box, points[i].x, points[i].y), before[i])) << i;
    EXPECT_TRUE(Near(PixelAt(box, 0, 0), left));
    EXPECT_TRUE(Near(PixelAt(box, 200, 112), right));
  }
}

TEST_F(LookTest, PicturesGrowWithTheDpiAndAreDrawnPixelForPixelAt96) {
  const auto& logo = AsWin32(form.Picture1.Picture());
  const auto& background = AsWin32(form.Picture());
  HWND box = Win("Picture1");
  auto at_96 = [&] {
    ASSERT_EQ(view.Dpi(), 96u);
    for (POINT at : {POINT{0, 0}, POINT{100, 56}, POINT{200, 112}})
      EXPECT_EQ(PixelAt(box, at.x, at.y), PixelOf(logo, at.x, at.y));
    for (POINT at : {POINT{3, 3}, POINT{60, 300}, POINT{200, 333}})
      EXPECT_EQ(PixelAt(Main(), at.x, at.y), PixelOf(background, at.x, at.y));
  };
  at_96();

  MoveToDpi(144);
  const SIZE size = ClientSize(box);
  ASSERT_EQ(size.cx, TwipsToPixels(3015, 144));
  // The logo fills the larger box, corner to corner.
  EXPECT_TRUE(Near(PixelAt(box, size.cx / 2, size.cy / 2), PixelOf(logo, 100, 56)));
  EXPECT_TRUE(Near(PixelAt(box, size.cx - 1, size.cy - 1), PixelOf(logo, 200, 112)));
  EXPECT_TRUE(Near(PixelAt(box, 1, 1), PixelOf(logo, 0, 0)));
  // The background is drawn half as large again: what lay at (133, 333)
  // lies at (200, 500), where the unscaled picture left a grey band below
  // it (it is 460 pixels high).
  EXPECT_TRUE(Near(PixelAt(Main(), 200, 500), PixelOf(background, 133, 333)));
  EXPECT_TRUE(Near(PixelAt(Main(), 90, 450), PixelOf(background, 60, 300)));

  MoveToDpi(96);
  at_96();
}

// What a caption needs: its text in the control's font.
SIZE TextSize(HWND window, const std::wstring& text, UINT format, int width) {
  HDC dc = GetDC(window);
  auto font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
  HGDIOBJ old = SelectObject(dc, font);
  RECT rect{0, 0, width, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
            format | DT_CALCRECT | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return SIZE{rect.right, rect.bottom};
}

std::wstring FaceOf(HWND window) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return face;
}

TEST_F(LookTest, EveryCaptionShowsWholeInMsSansSerifAt96And144Dpi) {
  for (UINT dpi : {96u, 144u}) {
    SCOPED_TRACE(dpi);
    MoveToDpi(dpi);
    for (const auto& row : Form1Controls()) {
      if (!row.visible || (row.kind != ControlKind::kLabel && row.kind != ControlKind::kFrame &&
                           row.kind != ControlKind::kCommandButton)) {
        continue;
      }
      SCOPED_TRACE(row.Id());
      HWND window = Win(row.Id().c_str());
      const std::wstring face = FaceOf(window);
      EXPECT_TRUE(face == L"MS Sans Serif" || face == L"Microsoft Sans Serif") << win32::Utf8(face);
      // The part of the control its frame leaves visible.
      RECT shown{};
      GetClientRect(window, &shown);
      HRGN region = CreateRectRgn(0, 0, 0, 0);
      if (GetWindowRgn(window, region) != ERROR)
        GetRgnBox(region, &shown);
      DeleteObject(region);
      const int width = shown.right - shown.left;
      const int height = shown.bottom - shown.top;
      const std::wstring caption = Widen(row.caption);
      if (row.kind == ControlKind::kCommandButton) {
        // Wrapped inside the button's edges.
        const SIZE need = TextSize(window, caption, DT_WORDBREAK, width - 6);
        EXPECT_LE(need.cx, width - 6);
        EXPECT_LE(need.cy, height - 4);
      } else if (row.kind == ControlKind::kFrame) {
        // On the frame's line, a character's width in from either side.
        TEXTMETRICW metrics{};
        HDC dc = GetDC(window);
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(window, dc);
        EXPECT_LE(TextSize(window, caption, DT_SINGLELINE, 0).cx,
                  width - 2 * metrics.tmAveCharWidth);
      } else {
        // A label inside a frame ends before the frame's edge.
        const int edge = row.container != std::string_view(kFormName) ? 2 : 0;
        const SIZE need = TextSize(window, caption, DT_SINGLELINE, 0);
        EXPECT_LE(need.cx, width - edge);
        EXPECT_LE(need.cy, height);
      }
    }
  }
}

// A frame's caption too long for it ends in an ellipsis: the last inked
// columns of the caption are the three dots on the baseline, not a letter
// cut in half.
TEST_F(LookTest, AFrameCaptionTooLongEndsInAnEllipsis) {
  form.Frame1.SetCaption("Games " + std::string(80, 'W'));
  HWND frame = Win("Frame1");
  const COLORREF paper = PixelAt(frame, 1, 1);  // redrawn; above the frame's line
  RECT client{};
  GetClientRect(frame, &client);
  TEXTMETRICW metrics{};
  SIZE dots{};
  HDC dc = GetDC(frame);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(frame, WM_GETFONT, 0, 0)));
  GetTextMetricsW(dc, &metrics);
  GetTextExtentPoint32W(dc, L"...", 3, &dots);
  SelectObject(dc, old);
  // The caption's strip, copied once: a pixel read at a time is slow under Wine.
  const int width = client.right, height = metrics.tmHeight;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP strip = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC copy = CreateCompatibleDC(dc);
  HGDIOBJ was = SelectObject(copy, strip);
  BitBlt(copy, 0, 0, width, height, dc, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* pixel = static_cast<const std::uint32_t*>(bits);
  const std::uint32_t blank = (GetRValue(paper) << 16) | (GetGValue(paper) << 8) | GetBValue(paper);
  const auto inked = [&](int x, int y) { return (pixel[y * width + x] & 0xFFFFFF) != blank; };
  // Rightmost inked column of the text, a character in from the right.
  int last = client.right - metrics.tmAveCharWidth - 1;
  const auto column_inked = [&](int x) {
    for (int y = 0; y < height; ++y) {
      if (inked(x, y))
        return true;
    }
    return false;
  };
  while (last > 0 && !column_inked(last))
    --last;
  int top = height;  // the highest inked row of the caption's last dots' width
  for (int x = std::max(0, last - static_cast<int>(dots.cx) + 2); x <= last; ++x) {
    for (int y = 0; y < height; ++y) {
      if (inked(x, y))
        top = std::min(top, y);
    }
  }
  SelectObject(copy, was);
  DeleteDC(copy);
  DeleteObject(strip);
  ReleaseDC(frame, dc);
  ASSERT_GT(last, client.right / 2);
  EXPECT_GE(top, metrics.tmAscent * 2 / 3) << "a letter where the dots belong";
}

}  // namespace
}  // namespace tavro::win32ui::test
