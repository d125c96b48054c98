// The donate image: the page's bytes, its opening, and the one message.

#include <gtest/gtest.h>

#include <string>

#include "FakeServices.h"
#include "TestUtil.h"
#include "window/Layout.h"
#include "window/Form1.h"
#include "window/ViewContract.h"

namespace tavro {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;

constexpr const char* kMessage =
    "Error in Load WebPage (Use tavro@example.com to Donate in payments.example.net)!";

// The page as the maker's provider gives it, the form and its fields to the
// byte, and the line end the text output adds.
const std::string kPage =
    "<form action=\"https://www.payments.example.net/cgi-bin/webscr\" method=\"post\" "
    "target=\"_top\">\r\n"
    "<input type=\"hidden\" name=\"cmd\" value=\"_s-xclick\">\r\n"
    "<input type=\"hidden\" name=\"hosted_button_id\" value=\"TAVRO7EX4MPL3\">\r\n"
    "<input type=\"image\" src=\"https://images.payments.example.net/en_US/i/btn/"
    "btn_donate_LG.gif\" border=\"0\" name=\"submit\" alt=\"Example Payments - the safer, "
    "easier way to pay online!\">\r\n"
    "<img alt=\"\" border=\"0\" src=\"https://images.payments.example.net/pt_BR/i/scr/"
    "pixel.gif\" width=\"1\" height=\"1\">\r\n"
    "</form>\r\n"
    "\r\n";

TEST(Donation, WritesThePageAndOpensItEachClick) {
  test::TempDir app("tavro donate \xC3\xBC");  // blanks and more in the folder
  test::FakeServices services{app.Utf8()};
  Form1 form{services};
  const fs::path page = app.Path() / "Tavro_FrontEnd-donate.html";
  test::WriteAll(page, std::string(5000, 'x'));  // an older, longer file is replaced whole
  view::Click(form, form.Image12);
  view::Click(form, form.Image12);
  const std::string bytes = ReadAll(page);
  EXPECT_EQ(bytes, kPage);
  EXPECT_TRUE(bytes.ends_with("</form>\r\n\r\n"));
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 7);
  EXPECT_EQ(services.started,
            (std::vector<std::string>{"view|" + Utf8(page), "view|" + Utf8(page)}));
  EXPECT_TRUE(services.messages.empty());
}

TEST(Donation, AFailureShowsOneMessageAndAnUnwrittenPageOpensNothing) {
  test::TempDir app;
  test::FakeServices services{app.Utf8()};
  Form1 form{services};
  const fs::path page = app.Path() / "Tavro_FrontEnd-donate.html";
  test::WriteAll(page, "kept");
  test::MakeReadOnly(page);
  view::Click(form, form.Image12);
  EXPECT_EQ(ReadAll(page), "kept");
  EXPECT_TRUE(services.started.empty());
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].prompt, kMessage);
  EXPECT_EQ(services.messages[0].title, "Error");

  // The viewer cannot be started: the page stays written, one message.
  fs::permissions(page, fs::perms::owner_write, fs::perm_options::add);
  services.messages.clear();
  services.fail_starts = true;
  view::Click(form, form.Image12);
  EXPECT_EQ(ReadAll(page), DonationPageText() + "\r\n");
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].prompt, kMessage);
}

}  // namespace
}  // namespace tavro
