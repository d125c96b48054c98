#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "FakeServices.h"
#include "TestUtil.h"
#include "runtime/EventDispatch.h"
#include "runtime/PathLiterals.h"
#include "window/Layout.h"
#include "window/controls/ListBoxes.h"

namespace tavro {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

class FolderList : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"beta", "Alpha", "gamma", ".hidden", "Gamma2"}) {
      fs::create_directory(root.Path() / name);
    }
    test::WriteAll(root.Path() / "file.wud", "x");
    dir.Change = [this] {
      changes.push_back(dir.Path());
      // A handler that reads the control sees the new folder already.
      EXPECT_EQ(dir.Path(), changes.back());
    };
  }
  std::string Sub(const std::string& name) const { return test::TempDir::Utf8Of(root, name); }

  TempDir root;
  DirListBox dir{Form1Control("Dir1")};
  std::vector<std::string> changes;
};

TEST_F(FolderList, RaisesChangeOnceForANewFolderAndNeverForTheSameOne) {
  dir.SetPath(root.Utf8());
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(dir.Path(), root.Utf8());
  dir.SetPath(root.Utf8());
  dir.SetPath(root.Utf8() + std::string(paths::kSep));  // the same folder, spelled with a separator
  EXPECT_EQ(changes.size(), 1u);
  dir.SetPath(Sub("beta"));
  EXPECT_EQ(changes.size(), 2u);
  EXPECT_EQ(dir.Path(), Sub("beta"));
}

TEST_F(FolderList, RefusesWhatItCannotShowAndKeepsItsFolder) {
  dir.SetPath(root.Utf8());
  for (const auto& bad : {Sub("missing"), Sub("file.wud"), std::string()}) {
    try {
      dir.SetPath(bad);
      ADD_FAILURE() << "no error for " << bad;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.Number(), err::kPathNotFound);
    }
  }
  EXPECT_EQ(dir.Path(), root.Utf8());
  EXPECT_EQ(changes.size(), 1u);
}

TEST_F(FolderList, ListsAncestorsThenSubfoldersSortedWithoutCase) {
  dir.SetPath(root.Utf8());
  const auto& list = dir.List();
  ASSERT_GE(dir.ListIndex(), 1);
  const auto& current = list[dir.ListIndex()];
  EXPECT_EQ(current.path, root.Utf8());
  EXPECT_EQ(current.name, root.Path().filename().string());
  EXPECT_EQ(list.front().depth, 0);
  EXPECT_EQ(list.front().path, Utf8(root.Path().root_path()));
  std::vector<std::string> subfolders;
  for (size_t i = dir.ListIndex() + 1; i < list.size(); ++i) {
    EXPECT_EQ(list[i].depth, current.depth + 1);
    subfolders.push_back(list[i].name);
  }
  // Files stay out, and so do hidden folders where a dot hides them.
  std::vector<std::string> expected{"Alpha", "beta", "gamma", "Gamma2"};
  if (!paths::kDotNamesHidden)
    expected.insert(expected.begin(), ".hidden");
  EXPECT_EQ(subfolders, expected);
  EXPECT_EQ(list[dir.ListIndex() + 1].path, Sub(expected.front()));
}

TEST_F(FolderList, AChangeHandlerMayMoveTheListAgainNested) {
  dir.SetPath(root.Utf8());
  changes.clear();
  bool redirected = false;
  dir.Change = [&] {
    changes.push_back(dir.Path());
    if (!redirected) {
      redirected = true;
      dir.SetPath(Sub("gamma"));  // nested inside the first change
    }
  };
  dir.SetPath(Sub("beta"));
  EXPECT_EQ(changes, (std::vector<std::string>{Sub("beta"), Sub("gamma")}));
  EXPECT_EQ(dir.Path(), Sub("gamma"));
}

TEST(FileList, ListsMatchingFilesSortedAndSelectsWithClick) {
  TempDir root;
  for (const char* name : {"b.WUX", "a.wud", "c.rpx", "notes.txt", "D.wud"}) {
    test::WriteAll(root.Path() / name, "x");
  }
  fs::create_directory(root.Path() / "folder.wud");  // folders are no files
  FileListBox files{Form1Control("File1")};
  EXPECT_EQ(files.Pattern(), "*.wux;*.wud");
  int clicks = 0;
  files.Click = [&] { ++clicks; };
  files.SetPath(root.Utf8());
  EXPECT_EQ(files.List(), (std::vector<std::string>{"a.wud", "b.WUX", "D.wud"}));
  EXPECT_EQ(files.FileName(), "");
  files.SetListIndex(1);
  EXPECT_EQ(files.FileName(), "b.WUX");
  EXPECT_EQ(clicks, 1);
  files.SetPattern("*.rpx");  // lists anew at once and drops the selection
  EXPECT_EQ(files.List(), (std::vector<std::string>{"c.rpx"}));
  EXPECT_EQ(files.FileName(), "");
  EXPECT_THROW(files.SetListIndex(5), RuntimeError);
}

TEST(FileList, AcceptsAFolderWithATrailingSeparatorAndRefusesAMissingOne) {
  TempDir root;
  fs::create_directory(root.Path() / "code");
  test::WriteAll(root.Path() / "code" / "game.rpx", "x");
  FileListBox files{Form1Control("File1")};
  files.SetPattern("*.rpx");
  files.SetPath(root.Utf8() + paths::Lit({"code"}, true));
  EXPECT_EQ(files.List(), (std::vector<std::string>{"game.rpx"}));
  EXPECT_THROW(files.SetPath(root.Utf8() + paths::Lit({"nothing"}, true)), RuntimeError);
  EXPECT_EQ(files.List(), (std::vector<std::string>{"game.rpx"}));  // the old list stays
}

TEST(DriveList, ChangesOnlyForAnotherDriveAndRefusesAnUnknownOne) {
  DriveListBox drives{Form1Control("Drive1")};
  drives.SetDrives({"c:", "d:"});
  int changes = 0;
  drives.Change = [&] { ++changes; };
  drives.SelectInitial("c:");
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(drives.Drive(), "c:");
  drives.SetDrive("d:");
  drives.SetDrive("d:");
  EXPECT_EQ(changes, 1);
  EXPECT_THROW(drives.SetDrive("q:"), RuntimeError);
  EXPECT_EQ(drives.Drive(), "d:");
}

TEST(OptionGroup, SelectingClearsTheOthersAndTellsTheView) {
  OptionButton a{Form1Control("Option1(0)")}, b{Form1Control("Option1(1)")};
  a.JoinGroup({&a, &b});
  b.JoinGroup({&a, &b});
  std::vector<std::string> seen;
  a.PropertyChanged = [&](Property) { seen.push_back("a" + std::to_string(a.Value())); };
  b.PropertyChanged = [&](Property) { seen.push_back("b" + std::to_string(b.Value())); };
  int clicks = 0;
  b.Click = [&] { ++clicks; };
  EXPECT_TRUE(a.Value());
  EXPECT_FALSE(b.Value());
  b.Select();
  b.Select();  // already selected: nothing
  EXPECT_FALSE(a.Value());
  EXPECT_TRUE(b.Value());
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(seen, (std::vector<std::string>{"a0", "b1"}));
}

TEST(EventDispatch, ShowsWhatEscapesAHandlerAndGoesOn) {
  TempDir app;
  test::FakeServices services(app.Utf8());
  RunEvent(services, [] { throw RuntimeError(err::kPathNotFound, "Path not found: x"); });
  RunEvent(services, [] { throw std::runtime_error("boom"); });
  RunEvent(services, [] {});
  ASSERT_EQ(services.messages.size(), 2u);
  EXPECT_EQ(services.messages[0].prompt, "Path not found: x");
  EXPECT_EQ(services.messages[0].title, "Error");
  EXPECT_EQ(services.messages[1].prompt, "boom");
  // A message box that itself fails does not take the program down.
  services.on_message = [](const auto&) { throw std::runtime_error("no box"); };
  RunEvent(services, [] { throw std::runtime_error("again"); });
  EXPECT_EQ(services.messages.size(), 3u);
}

}  // namespace
}  // namespace tavro
