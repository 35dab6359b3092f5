// The POSIX directory search against what stat says of every entry: links,
// FIFOs, directories named like files, a directory given without its
// trailing separator and one whose entries cannot be examined.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>

#include "platform/platform.h"
#include "support/captured_run.h"

namespace vornup {
namespace {

struct Seen {
  bool isDirectory = false;
  bool isRegularFile = false;
};

std::map<std::string, Seen> search(const std::string& directory) {
  std::map<std::string, Seen> seen;
  EXPECT_TRUE(hostPlatform().forEachDirectoryEntry(directory, [&](const DirectoryEntry& entry) {
    seen[entry.name] = Seen{entry.isDirectory, entry.isRegularFile};
  }));
  return seen;
}

// Every entry is what stat of the directory path followed by its name says
// (neither a file nor a directory when that stat fails).
void expectSameAsStat(const std::string& directory, const std::map<std::string, Seen>& seen) {
  for (const auto& [name, entry] : seen) {
    struct stat info;
    const bool known = ::stat((directory + name).c_str(), &info) == 0;
    EXPECT_EQ(entry.isRegularFile, known && S_ISREG(info.st_mode)) << directory << name;
    EXPECT_EQ(entry.isDirectory, known && S_ISDIR(info.st_mode)) << directory << name;
  }
}

class PosixDirectorySearch : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch.write("image.all", "a");
    ASSERT_EQ(::mkdir(scratch.file("sub.ufi").c_str(), 0700), 0);
    ASSERT_EQ(::symlink("image.all", scratch.file("link.all").c_str()), 0);
    ASSERT_EQ(::symlink("sub.ufi", scratch.file("dirlink.ufi").c_str()), 0);
    ASSERT_EQ(::symlink("absent.all", scratch.file("dangling.all").c_str()), 0);
    ASSERT_EQ(::symlink("loop.all", scratch.file("loop.all").c_str()), 0);
    ASSERT_EQ(::mkfifo(scratch.file("pipe.all").c_str(), 0600), 0);
  }

  ScratchDirectory scratch;
};

TEST_F(PosixDirectorySearch, LinksCountAsWhatTheyPointAt) {
  const std::map<std::string, Seen> seen = search(scratch.path());
  const struct {
    const char* name;
    bool isRegularFile;
    bool isDirectory;
  } expected[] = {
      {"image.all", true, false},     {"link.all", true, false},
      {"sub.ufi", false, true},       {"dirlink.ufi", false, true},
      {"dangling.all", false, false}, {"loop.all", false, false},
      {"pipe.all", false, false},     {".", false, true},
  };
  for (const auto& entry : expected) {
    ASSERT_EQ(seen.count(entry.name), 1u) << entry.name;
    EXPECT_EQ(seen.at(entry.name).isRegularFile, entry.isRegularFile) << entry.name;
    EXPECT_EQ(seen.at(entry.name).isDirectory, entry.isDirectory) << entry.name;
  }
  expectSameAsStat(scratch.path(), seen);
}

// Without the trailing separator the entries' paths run into the directory
// name; they are then taken as stat finds them, as before.
TEST_F(PosixDirectorySearch, ADirectoryWithoutItsSeparatorIsExaminedEntryByEntry) {
  std::string directory = scratch.path();
  directory.pop_back();
  const std::map<std::string, Seen> seen = search(directory);
  EXPECT_EQ(seen.count("image.all"), 1u);
  expectSameAsStat(directory, seen);
}

// A directory that may be read but not searched: its entries cannot be
// examined (unless the tests run with the rights to do so anyway).
TEST_F(PosixDirectorySearch, ADirectoryThatCannotBeSearchedIsExaminedEntryByEntry) {
  const std::string locked = scratch.file("locked") + "/";
  ASSERT_EQ(::mkdir(locked.c_str(), 0700), 0);
  scratch.write("locked/inside.all", "b");
  // Read but no search right while the search runs; all rights again after,
  // so the scratch directory can be removed.
  struct Unlock {
    std::string path;
    ~Unlock() { ::chmod(path.c_str(), 0700); }
  } unlock{locked};
  ASSERT_EQ(::chmod(locked.c_str(), 0400), 0);
  const std::map<std::string, Seen> seen = search(locked);
  ASSERT_EQ(seen.count("inside.all"), 1u);
  if (::geteuid() != 0) {
    EXPECT_FALSE(seen.at("inside.all").isRegularFile);
  }
  expectSameAsStat(locked, seen);
}

}  // namespace
}  // namespace vornup
