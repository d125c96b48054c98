#include <gtest/gtest.h>

#include <set>
#include <string>

#include "window/Layout.h"
#include "runtime/MakerInfo.h"
#include "runtime/Text.h"

namespace tavro {
namespace {

TEST(Layout, HoldsTwentySevenUniqueInstancesWithContainersFirst) {
  const auto rows = Form1Controls();
  ASSERT_EQ(rows.size(), 27u);
  std::set<std::string> seen{kFormName};
  std::set<std::string> containers{kFormName};
  for (const auto& row : rows) {
    EXPECT_TRUE(containers.count(row.container)) << row.Id() << " comes before its container";
    EXPECT_TRUE(seen.insert(row.Id()).second) << row.Id() << " twice";
    if (row.IsContainer())
      containers.insert(row.name);
  }
  EXPECT_EQ(Form1Control("Option2(1)").left, 5040);
  EXPECT_THROW(Form1Control("Option3(0)"), std::out_of_range);
}

// Some controls reach past their container's edge and are cut off there (the
// legend labels, Label1); each still starts inside it.
TEST(Layout, VisibleControlsStartInsideTheirContainers) {
  const auto& form = Form1Design();
  for (const auto& row : Form1Controls()) {
    if (!row.visible)
      continue;
    int width = form.client_width, height = form.client_height;
    if (std::string(row.container) != kFormName) {
      const auto& c = Form1Control(row.container);
      width = c.width;
      height = c.height;
    }
    EXPECT_LT(row.left, width) << row.Id();
    EXPECT_LT(row.top, height) << row.Id();
  }
  // The page text box lies wholly below the client area and is never shown.
  const auto& text1 = Form1Control("Text1");
  EXPECT_FALSE(text1.visible);
  EXPECT_GT(text1.top, form.client_height);
}

TEST(Layout, TabIndexesAreUniqueAndOnlyFocusableKindsCarryNone) {
  std::set<int> tabs;
  for (const auto& row : Form1Controls()) {
    if (row.tab_index == kNoTabIndex) {
      EXPECT_TRUE(row.kind == ControlKind::kTimer || row.kind == ControlKind::kImage) << row.Id();
      continue;
    }
    EXPECT_TRUE(tabs.insert(row.tab_index).second) << row.Id();
  }
  EXPECT_EQ(tabs.size(), 24u);
}

TEST(Layout, TwipsBecomePixelsByTheScreensDpi) {
  const auto& form = Form1Design();
  EXPECT_EQ(TwipsToPixels(form.client_width, 96), 802);
  EXPECT_EQ(TwipsToPixels(form.client_height, 96), 386);
  EXPECT_EQ(TwipsToPixels(form.client_width, 144), 1203);
  EXPECT_EQ(TwipsToPixels(255, 96), 17);
  EXPECT_EQ(TwipsToPixels(680, 96), 45);  // 45.3 rounds down
  EXPECT_EQ(TwipsToPixels(460, 96), 31);  // 30.7 rounds up
}

TEST(Layout, OptionButtonsAreNamedByTheLabelBesideThem) {
  EXPECT_EQ(AccessibleName(Form1Control("Option1(0)")), "Windowed");
  EXPECT_EQ(AccessibleName(Form1Control("Option1(1)")), "FullScreen");
  EXPECT_EQ(AccessibleName(Form1Control("Option2(0)")), "*.wud *.wux");
  EXPECT_EQ(AccessibleName(Form1Control("Option2(1)")), "*.rpx");
  EXPECT_EQ(AccessibleName(Form1Control("Command1")), "Play Game");
}

TEST(Layout, TheDonationPageIsSixTagLinesEachEndingInCrLf) {
  const auto page = DonationPageText();
  EXPECT_EQ(Form1Control("Text1").caption, page);
  ASSERT_TRUE(page.ends_with("</form>\r\n"));
  const auto lines = text::Split(page, '\n');
  ASSERT_EQ(lines.size(), 7u);  // six lines and what follows the last break
  EXPECT_EQ(lines[6], "");
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_TRUE(lines[i].starts_with("<") && lines[i].ends_with(">\r")) << lines[i];
  }
  EXPECT_EQ(lines[1], "<input type=\"hidden\" name=\"cmd\" value=\"_s-xclick\">\r");
  EXPECT_EQ(std::string(maker::kButtonId).size(), 13u);
  EXPECT_NE(lines[2].find(maker::kButtonId), std::string::npos);
  EXPECT_TRUE(lines[0].starts_with("<form action=\"https://"));
  EXPECT_NE(lines[3].find("/en_US/i/btn/btn_donate_LG.gif\" border=\"0\" name=\"submit\" alt=\""),
            std::string::npos);
  EXPECT_NE(lines[4].find("/pt_BR/i/scr/pixel.gif\" width=\"1\" height=\"1\">"), std::string::npos);
  // Every host is a reserved example domain.
  EXPECT_NE(std::string(maker::kEmail).find("example."), std::string::npos);
  EXPECT_NE(std::string(maker::kWebPage).find("example."), std::string::npos);
}

}  // namespace
}  // namespace tavro
