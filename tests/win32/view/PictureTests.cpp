// Win32UiServices' pictures: the ones built into the program and files
// decoded with WIC.

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "runtime/Files.h"
#include "view/win32/Win32Picture.h"
#include "ViewFixture.h"
#include "view/win32/Win32UiServices.h"

namespace tavro::win32ui {
namespace {

namespace fs = std::filesystem;

const Win32Picture& AsWin32(const PicturePtr& picture) {
  return dynamic_cast<const Win32Picture&>(*picture);
}

// A picture file of the source tree, whose pixels the program holds built in.
std::string SourceBytes(const char* name) {
  std::ifstream file(std::string(TAVRO_TEST_RESOURCES) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string BmpHeaders(std::uint32_t width, std::uint32_t height);

class PictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder = fs::path(temp) / (L"tavro-pictures-" + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(folder);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(folder, ec);
  }
  std::string Write(const std::wstring& name, const std::string& bytes) {
    std::ofstream(folder / name, std::ios::binary) << bytes;
    return Utf8(folder / name);
  }

  Win32Dialogs window;  // no window yet: the system's DPI
  Win32UiPictures services{window};
  fs::path folder;
};

TEST_F(PictureTest, TheBuiltInPicturesHaveTheirDrawnSizes) {
  const auto background = services.LoadResourcePicture(ResourcePicture::kBackground);
  const auto logo = services.LoadResourcePicture(ResourcePicture::kLogo);
  const auto donate = services.LoadResourcePicture(ResourcePicture::kDonate);
  const auto hand = services.LoadResourcePicture(ResourcePicture::kHand);
  const auto icon = services.LoadResourcePicture(ResourcePicture::kIcon);
  EXPECT_EQ(services.LoadResourcePicture(ResourcePicture::kNone), nullptr);

  EXPECT_EQ(background->Width(), 1091);
  EXPECT_EQ(background->Height(), 460);
  EXPECT_EQ(logo->Width(), 201);
  EXPECT_EQ(logo->Height(), 113);
  EXPECT_EQ(donate->Width(), 266);
  EXPECT_EQ(donate->Height(), 142);
  EXPECT_NE(AsWin32(logo).Bitmap(), nullptr);
  // The hand and the window icon are icons (the hand becomes a pointer).
  EXPECT_EQ(hand->Width(), 32);
  EXPECT_NE(AsWin32(hand).Icon(), nullptr);
  EXPECT_NE(AsWin32(icon).Icon(), nullptr);
  EXPECT_EQ(icon->Width(), GetSystemMetrics(SM_CXICON));
}

TEST_F(PictureTest, AFileWithAUnicodeNameDecodesToThePixelsBuiltIn) {
  const auto bytes = SourceBytes("logo.jpg");
  ASSERT_FALSE(bytes.empty());
  const std::string path = Write(L"Cover \u00e9\u4e2d.jpg", bytes);
  const auto loaded = services.LoadPictureToFit(path, 0, 0);
  const auto built_in = services.LoadResourcePicture(ResourcePicture::kLogo);
  ASSERT_EQ(loaded->Width(), 201);
  ASSERT_EQ(loaded->Height(), 113);
  for (POINT at : {POINT{0, 0}, POINT{100, 50}, POINT{200, 112}}) {
    EXPECT_EQ(test::PixelOf(AsWin32(loaded), at.x, at.y),
              test::PixelOf(AsWin32(built_in), at.x, at.y));
  }
  // A GIF under a .jpg name decodes by its content.
  const auto gif = services.LoadPictureToFit(Write(L"donate.jpg", SourceBytes("donate.gif")), 0, 0);
  EXPECT_EQ(gif->Width(), 266);
}

TEST_F(PictureTest, WhatCannotBeReadRaisesTheClassicErrors) {
  auto number_of = [this](const std::string& path) {
    try {
      services.LoadPictureToFit(path, 0, 0);
    } catch (const RuntimeError& e) {
      return e.Number();
    }
    return 0;
  };
  EXPECT_EQ(number_of(Write(L"text.jpg", "this is no picture")), err::kInvalidPicture);
  EXPECT_EQ(number_of(Write(L"empty.jpg", "")), err::kInvalidPicture);
  const auto jpeg = SourceBytes("logo.jpg");
  EXPECT_EQ(number_of(Write(L"cut.jpg", jpeg.substr(0, 40))), err::kInvalidPicture);
  // Cut short before the last row: shown, the missing rows would be grey.
  const auto gif = SourceBytes("donate.gif");
  EXPECT_EQ(number_of(Write(L"half.jpg", jpeg.substr(0, jpeg.size() / 2))), err::kInvalidPicture);
  EXPECT_EQ(number_of(Write(L"half.gif", gif.substr(0, gif.size() / 2))), err::kInvalidPicture);
  EXPECT_EQ(number_of(Write(L"half.bmp", BmpHeaders(64, 64) + std::string(64 * 64 * 2, '\x40'))),
            err::kInvalidPicture);
  EXPECT_EQ(number_of(Utf8(folder / L"missing.jpg")), err::kFileNotFound);
  EXPECT_EQ(number_of(Utf8(folder)), err::kFileNotFound) << "a folder is no picture file";
}

// A BMP file's headers declaring a size, and no pixels at all.
std::string BmpHeaders(std::uint32_t width, std::uint32_t height) {
  std::string out(54, '\0');
  auto put = [&out](size_t at, std::uint32_t value) {
    for (size_t i = 0; i < 4; ++i)
      out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  out[0] = 'B';
  out[1] = 'M';
  put(2, 54);
  put(10, 54);
  put(14, 40);
  put(18, width);
  put(22, height);
  put(26, 1 | (32u << 16));  // one plane, 32 bits a pixel
  return out;
}

// A whole BMP file of width x height pixels of one colour, 8 bits a pixel,
// run-length encoded: a few bytes a row however large the picture.
std::string RunLengthBmp(std::uint32_t width, std::uint32_t height) {
  std::string rows;
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t left = width; left > 0;) {
      const std::uint32_t run = std::min<std::uint32_t>(left, 255);
      rows += {static_cast<char>(run), '\0'};
      left -= run;
    }
    rows += {'\0', '\0'};  // end of the row
  }
  rows += {'\0', '\1'};  // end of the picture
  std::string out(58, '\0');
  auto put = [&out](size_t at, std::uint32_t value) {
    for (size_t i = 0; i < 4; ++i)
      out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  out[0] = 'B';
  out[1] = 'M';
  put(2, static_cast<std::uint32_t>(58 + rows.size()));
  put(10, 58);
  put(14, 40);
  put(18, width);
  put(22, height);
  put(26, 1 | (8u << 16));  // one plane, 8 bits a pixel
  put(30, 1);               // BI_RLE8
  put(34, static_cast<std::uint32_t>(rows.size()));
  put(46, 1);           // one palette entry
  put(54, 0x00808080);  // the colour: grey
  return out + rows;
}

// A cover file that declares a size beyond what is decoded is refused
// before anything of that size is allocated: a complete picture a pixel
// wider than the limit, one of 64 million pixels, headers alone declaring
// 20000 x 20000, and 10 MB of noise.
TEST_F(PictureTest, AHostileOrOversizedFileIsNoPicture) {
  // The same kind of file at a sane size is a picture: what is refused
  // below is refused for its size.
  const auto sane = services.LoadPictureToFit(Write(L"sane.jpg", RunLengthBmp(300, 200)), 0, 0);
  ASSERT_EQ(sane->Width(), 300);
  EXPECT_EQ(test::PixelOf(AsWin32(sane), 150, 100), RGB(0x80, 0x80, 0x80));

  std::string noise(10 * 1024 * 1024, '\0');
  std::uint32_t seed = 12345;
  for (auto& byte : noise) {
    seed = seed * 1664525u + 1013904223u;
    byte = static_cast<char>(seed >> 24);
  }
  const std::string files[] = {
      Write(L"wide.jpg", RunLengthBmp(16385, 1)),
      Write(L"large.jpg", RunLengthBmp(8000, 8000)),
      Write(L"huge.jpg", BmpHeaders(20000, 20000)),
      Write(L"noise.jpg", noise),
  };
  for (const auto& path : files) {
    SCOPED_TRACE(path);
    try {
      services.LoadPictureToFit(path, 0, 0);
      ADD_FAILURE() << "a picture was made";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.Number(), err::kInvalidPicture);
    }
  }
}

TEST_F(PictureTest, AStretchedPictureIsAveragedAndACursorKeepsItsHotSpot) {
  const auto donate = services.LoadResourcePicture(ResourcePicture::kDonate);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP target = CreateCompatibleBitmap(screen, 90, 46);
  HGDIOBJ old = SelectObject(memory, target);
  RECT all{0, 0, 90, 46};
  FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  AsWin32(donate).Draw(memory, all);
  // The logo's yellow button fills the middle of the picture.
  const COLORREF middle = GetPixel(memory, 45, 23);
  EXPECT_GT(GetRValue(middle), 150);
  EXPECT_GT(GetGValue(middle), 120);
  SelectObject(memory, old);
  DeleteObject(target);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  const auto cursor = AsWin32(donate).MakeCursor(POINT{3, 4});
  ASSERT_TRUE(cursor);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(cursor.get(), &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 3u);
  EXPECT_EQ(info.yHotspot, 4u);
  DeleteObject(info.hbmMask);
  if (info.hbmColor != nullptr)
    DeleteObject(info.hbmColor);
}

}  // namespace
}  // namespace tavro::win32ui
