// Where the settings file and the program's folders live: beside the
// program, or for a packaged install (a marker under the prefix that holds
// bin/) in the user's data folder. A real program tree is laid out per case
// and the probe, copied into its bin/, says which folder it got.
#include <gtest/gtest.h>

#include <set>

#include "TestSupport.h"

namespace tavro {
namespace {

namespace fs = test::fs;

std::set<std::string> Listing(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

TEST(AppFolder, BesideTheProgramUnlessAPackagedInstallsMarkerSendsItToTheUsersDataFolder) {
  // Paths in the table are relative to the case's own temporary folder; an
  // environment value starting with '@' is made absolute there. The expected
  // folder "bin" is the program's own folder.
  struct Case {
    const char* name;
    const char* marker;  // made as an empty file; nullptr: none
    std::vector<std::string> environment;
    const char* expected;  // nullptr: the probe must refuse to start
    bool second = false;   // another instance runs: the folder is not made
  } const cases[] = {
      {"no marker: the program's folder, whatever the environment says",
       nullptr,
       {"HOME=@home", "XDG_DATA_HOME=@data"},
       "bin"},
      {"a marker beside the program is not the packaged one",
       "bin/share/tavro-frontend/packaged",
       {"HOME=@home", "XDG_DATA_HOME=@data"},
       "bin"},
      {"marker: XDG_DATA_HOME, made with its parents",
       "share/tavro-frontend/packaged",
       {"HOME=@home", "XDG_DATA_HOME=@data/deeper"},
       "data/deeper/tavro-frontend"},
      {"marker, no HOME: XDG_DATA_HOME alone",
       "share/tavro-frontend/packaged",
       {"XDG_DATA_HOME=@data"},
       "data/tavro-frontend"},
      {"marker, a second start",
       "share/tavro-frontend/packaged",
       {"HOME=@home", "XDG_DATA_HOME=@data"},
       "data/tavro-frontend",
       true},
      {"marker, no XDG_DATA_HOME: ~/.local/share",
       "share/tavro-frontend/packaged",
       {"HOME=@home"},
       "home/.local/share/tavro-frontend"},
      {"marker, an empty XDG_DATA_HOME is ignored",
       "share/tavro-frontend/packaged",
       {"HOME=@home", "XDG_DATA_HOME="},
       "home/.local/share/tavro-frontend"},
      {"marker, a relative XDG_DATA_HOME is ignored",
       "share/tavro-frontend/packaged",
       {"HOME=@home", "XDG_DATA_HOME=data"},
       "home/.local/share/tavro-frontend"},
      {"marker, a data folder that cannot be made (a file in the way)",
       "share/tavro-frontend/packaged",
       {"HOME=@home", "XDG_DATA_HOME=@blocked/data"},
       nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir tree;
    const fs::path exe =
        test::CopyExecutable(test::HelperPath("instance_probe"), tree.path() / "bin" / "probe");
    if (c.marker != nullptr) {
      fs::create_directories((tree.path() / c.marker).parent_path());
      std::ofstream(tree.path() / c.marker).flush();
    }
    std::ofstream(tree.path() / "blocked").flush();

    std::vector<std::string> argv{"/usr/bin/env", "-i"};
    for (const auto& variable : c.environment) {
      const auto eq = variable.find('=');
      argv.push_back(variable[eq + 1] == '@' ? variable.substr(0, eq + 1) +
                                                   (tree.path() / variable.substr(eq + 2)).string()
                                             : variable);
    }
    const std::string lock = test::UniqueLockName();
    test::Child other({"/usr/bin/env", "-i", test::HelperPath("instance_probe"), "lock",
                       c.second ? lock : lock + "-other"});
    other.Write("go\n");
    ASSERT_TRUE(other.ReadLine());  // it holds its lock
    argv.insert(argv.end(), {exe.string(), "lock", lock});
    test::Child probe(argv);
    probe.Write("go\n");
    const auto line = probe.ReadLine();
    probe.CloseInput();
    ASSERT_TRUE(line.has_value());
    ASSERT_TRUE(probe.WaitExit());

    if (c.expected == nullptr) {
      EXPECT_TRUE(line->starts_with("RuntimeError: The data folder ")) << *line;
      EXPECT_FALSE(fs::exists(tree.path() / "blocked" / "data"));
    } else {
      const fs::path expected = tree.path() / c.expected;
      EXPECT_EQ(*line, (c.second ? "11 " : "00 ") + expected.string());
      EXPECT_EQ(fs::exists(expected), !c.second);
    }
    // The program's folder holds nothing but the program (and a marker of
    // the wrong place): the lock and the data folder are elsewhere.
    auto beside = Listing(tree.path() / "bin");
    beside.erase("share");
    EXPECT_EQ(beside, std::set<std::string>{"probe"});
  }
}

}  // namespace
}  // namespace tavro
