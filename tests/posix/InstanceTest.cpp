// The per-user instance lock and the end of the process, across real
// processes.
#include <gtest/gtest.h>

#include <set>

#include "runtime/posix/InstanceLock.h"

#include "TestSupport.h"
#include "ProbeServices.h"

namespace tavro {
namespace {

using test::Child;

std::set<std::string> Listing(const test::fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : test::fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

std::unique_ptr<Child> StartProbe(const std::string& lock) {
  return std::make_unique<Child>(
      std::vector<std::string>{test::HelperPath("instance_probe").string(), "lock", lock});
}

// The probe's answers: first and second PreviousInstance, as "00", "11"...
std::string Answers(Child& probe) {
  const auto line = probe.ReadLine();
  return line ? line->substr(0, 2) : "no answer";
}

TEST(InstanceLock, SecondProcessSeesTheFirstUntilItEnds) {
  const std::string lock = test::UniqueLockName();
  const auto folder = test::HelperPath("instance_probe").parent_path();
  const auto before = Listing(folder);

  auto first = StartProbe(lock);
  first->Write("go\n");
  const auto line = first->ReadLine();
  ASSERT_TRUE(line.has_value());
  // Asking again in the same process keeps the answer: the lock is ours.
  EXPECT_EQ(line->substr(0, 2), "00");
  EXPECT_EQ(line->substr(3), folder.string());

  auto second = StartProbe(lock);
  second->Write("go\n");
  EXPECT_EQ(Answers(*second), "11");
  second.reset();

  // The holder ends: the lock goes with it, whoever comes next gets it.
  first->CloseInput();
  ASSERT_TRUE(first->WaitExit());
  first.reset();
  auto third = StartProbe(lock);
  third->Write("go\n");
  EXPECT_EQ(Answers(*third), "00");

  EXPECT_EQ(Listing(folder), before) << "the lock must leave no file beside the program";
}

TEST(InstanceLock, ProcessesStartedTogetherLetExactlyOneIn) {
  for (int round = 0; round < 10; ++round) {
    const std::string lock = test::UniqueLockName();
    std::vector<std::unique_ptr<Child>> probes;
    for (int i = 0; i < 4; ++i)
      probes.push_back(StartProbe(lock));
    for (auto& probe : probes)
      probe->Write("go\n");
    int first_ones = 0;
    int others = 0;
    for (auto& probe : probes) {
      const auto answers = Answers(*probe);
      if (answers == "00")
        ++first_ones;
      if (answers == "11")
        ++others;
    }
    EXPECT_EQ(first_ones, 1) << "round " << round;
    EXPECT_EQ(others, 3) << "round " << round;
  }
}

TEST(InstanceLock, LocksWithinOneProcessAndPerName) {
  PosixOptions options;
  options.instance_name = test::UniqueLockName();
  test::ProbeServices holder(options);
  EXPECT_FALSE(holder.PreviousInstance());
  test::ProbeServices another(options);
  EXPECT_TRUE(another.PreviousInstance());
  EXPECT_FALSE(holder.PreviousInstance());

  options.instance_name = test::UniqueLockName();
  test::ProbeServices unrelated(options);
  EXPECT_FALSE(unrelated.PreviousInstance());
}

TEST(InstanceLock, LivesOnlyInAFolderNoOtherUserCanEnter) {
  namespace fs = test::fs;
  test::TempDir root;
  // The first candidate as each case lays it out (a folder of that mode, one
  // given to another user, a link to a private folder, a file, nothing); the
  // second, private, takes the lock when the first is passed over.
  struct Case {
    const char* name;
    const char* kind;
    fs::perms mode;
    bool make, used;
  } const cases[] = {
      {"private", "folder", fs::perms::owner_all, false, true},
      {"open to others", "folder", fs::perms::owner_all | fs::perms::others_exec, false, false},
      {"open to the group", "folder", fs::perms::owner_all | fs::perms::group_exec, false, false},
      {"another user's", "given", fs::perms::owner_all, false, geteuid() != 0},
      {"a link to a private folder", "link", {}, false, false},
      {"a file", "file", {}, true, false},
      {"missing, made", "", {}, true, true},
      {"missing", "", {}, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto first = root.path() / c.name;
    if (c.mode != fs::perms{} && fs::create_directory(first))
      fs::permissions(first, c.mode);
    if (c.kind == std::string("given"))
      (void)!chown(first.c_str(), 65534, 65534);  // only root can: else the folder stays ours
    if (c.kind == std::string("link"))
      fs::create_directory_symlink(root.path(), first);
    if (c.kind == std::string("file"))
      std::ofstream(first).flush();
    const std::vector<LockFolder> folders{{first, c.make}, {root.path() / "else", true}};
    InstanceLock lock(folders, "tavro");
    EXPECT_EQ(lock.state(), InstanceLock::State::kTaken);
    EXPECT_EQ(lock.folder(), folders[c.used ? 0 : 1].path);
    EXPECT_EQ(fs::status(lock.folder()).permissions(), fs::perms::owner_all);
    EXPECT_TRUE(InstanceLock(folders, "tavro").HeldByAnother());
  }
  // Nowhere to put it: the program starts rather than be kept from starting,
  // a second start as well (neither is told another one runs).
  const std::vector<LockFolder> none_usable{{root.path() / "open to others"},
                                            {root.path() / "open to the group"},
                                            {root.path() / "a file"},
                                            {root.path() / "missing"}};
  const InstanceLock first(none_usable, "t");
  EXPECT_EQ(first.state(), InstanceLock::State::kUnavailable);
  EXPECT_FALSE(first.HeldByAnother());
  EXPECT_FALSE(InstanceLock(none_usable, "t").HeldByAnother());
}

TEST(End, FlushesOutputAndRunsNoDestructor) {
  Child probe({test::HelperPath("instance_probe").string(), "end"});
  EXPECT_EQ(probe.ReadAll(), "before");
  EXPECT_TRUE(probe.WaitExit());
}

TEST(AppFolder, IsTheFolderOfTheRunningProgram) {
  test::ProbeServices services;
  EXPECT_EQ(services.AppFolder(), test::fs::read_symlink("/proc/self/exe").parent_path().string());
  EXPECT_FALSE(services.AppFolder().ends_with('/'));
}

}  // namespace
}  // namespace tavro
