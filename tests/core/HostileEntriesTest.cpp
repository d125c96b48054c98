// Every place that opens a file by name, against what else can sit under the
// name on Linux: nothing waits, nothing reads without end, nothing is written
// through a link, and nothing of the user's is lost.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "FakeServices.h"
#include "TestUtil.h"
#include "window/Layout.h"
#include "settings/Module_File_ini.h"
#include "settings/Module_FirstStartApp.h"
#include "settings/Module_Load.h"
#include "window/Form1.h"
#include "window/ViewContract.h"

namespace tavro {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;

struct Kind {
  const char* name;
  void (*make)(const fs::path& at, const fs::path& outside);
  bool leads_to_a_file;  // a link to an ordinary file elsewhere
  bool page_replaced;    // a link, which the donation page replaces by name
};
const Kind kKinds[] = {
    {"FIFO", [](const fs::path& at, const fs::path&) { ASSERT_EQ(mkfifo(at.c_str(), 0644), 0); },
     false, false},
    {"link to a device",
     [](const fs::path& at, const fs::path&) { fs::create_symlink("/dev/zero", at); }, false, true},
    {"link to nothing",
     [](const fs::path& at, const fs::path&) { fs::create_symlink("/nowhere/unmounted", at); },
     false, true},
    {"folder", [](const fs::path& at, const fs::path&) { fs::create_directory(at); }, false, false},
    {"link to a file outside",
     [](const fs::path& at, const fs::path& outside) { fs::create_symlink(outside, at); }, true,
     true},
};

TEST(HostileEntries, EveryPlaceThatOpensAFileByName) {
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    test::TempDir app, elsewhere;
    const fs::path outside = elsewhere.Path() / "outside.txt";
    test::WriteAll(outside, "outside\r\n");
    const auto at = [&](const char* name) { return app.Path() / name; };
    const auto type = [&](const char* name) { return fs::symlink_status(at(name)).type(); };
    for (const char* name : {"Image", "Tavro_FrontEnd.ini", "Tavro_FrontEnd.ini.bak",
                             "Tavro_FrontEnd-donate.html", "cover.jpg"}) {
      kind.make(at(name), outside);
    }
    const fs::file_type made = type("Image");

    // A folder's name, the settings file and its backups: present, never
    // written over; what fails to load goes to the next free backup whole.
    test::FakeServices services{app.Utf8()};
    Form1 form{services};
    PrepareFirstStart(services.AppFolder(), services);
    EXPECT_TRUE(services.messages.empty());
    if (kind.leads_to_a_file) {
      form.LoadSettings();  // read through the link: the defaults of an empty file
      EXPECT_EQ(form.Dir1.Path(), app.Utf8() + "/Game/WUD_WUX");
    } else {
      EXPECT_THROW(form.LoadSettings(), test::EndCalled);
      ASSERT_EQ(services.messages.size(), 1u);
      EXPECT_EQ(type("Tavro_FrontEnd.ini.bak1"), made);
      EXPECT_EQ(type("Tavro_FrontEnd.ini"), fs::file_type::not_found);
      test::FakeServices next{app.Utf8()};
      Form1 again{next};
      PrepareFirstStart(next.AppFolder(), next);
      again.LoadSettings();
      EXPECT_TRUE(next.messages.empty());
      EXPECT_EQ(again.Settings().FileExe, "Cemu.exe");
    }
    EXPECT_EQ(type("Image"), made);
    EXPECT_EQ(type("Tavro_FrontEnd.ini.bak"), made);

    // The donation page: a link is replaced by name; anything else is kept
    // and refused with the message.
    services.messages.clear();
    view::Click(form, form.Image12);
    EXPECT_EQ(services.messages.size(), kind.page_replaced ? 0u : 1u);
    EXPECT_EQ(type("Tavro_FrontEnd-donate.html"),
              kind.page_replaced ? fs::file_type::regular : made);

    // A cover: read only when it leads to an ordinary file.
    if (kind.leads_to_a_file)
      EXPECT_EQ(ReadPictureFile(Utf8(at("cover.jpg"))), "outside\r\n");
    else
      EXPECT_THROW(ReadPictureFile(Utf8(at("cover.jpg"))), RuntimeError);
    EXPECT_EQ(ReadAll(outside), "outside\r\n");
  }
}

TEST(HostileEntries, AWriteCutShortLeavesTheOldBytesAndNoLitter) {
  // A full disk, or here a file-size limit: the write fails midway, in a
  // child so that the limit stays there.
  test::TempDir dir;
  const auto ini = dir.Path() / "Tavro_FrontEnd.ini";
  const std::string old = "[S]\r\nK=old\r\n";
  test::WriteAll(ini, old);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(WriteIniValue("S", "K", std::string(100000, 'x'), Utf8(ini)) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);  // reported as failed
  EXPECT_EQ(ReadAll(ini), old);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace tavro
