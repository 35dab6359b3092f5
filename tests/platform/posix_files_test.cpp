// POSIX file handling where another user or a changed file system put
// something unexpected in place: the lock file, files opened for reading and
// writing, the rights probe, and stale private directories.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/file_copy.h"
#include "platform/host_lock.h"
#include "platform/platform.h"
#include "platform/safe_files.h"
#include "platform_test_files.h"

namespace vornup {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for one test and puts the old value back.
class Setting {
 public:
  Setting(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    hadOld_ = old != nullptr;
    if (hadOld_) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~Setting() {
    if (hadOld_) {
      ::setenv(name_, old_.c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool hadOld_ = false;
  std::string old_;
};

// Sets VORNUP_REGISTRY_ROOT for one test.
class RegistryRoot : public Setting {
 public:
  explicit RegistryRoot(const std::string& root) : Setting("VORNUP_REGISTRY_ROOT", root) {}
};

// Gives the lock of one test its own directory.
class LockDirectory : public Setting {
 public:
  explicit LockDirectory(const std::string& directory)
      : Setting("VORNUP_TEST_LOCK_DIRECTORY", directory) {}
};

mode_t modeOf(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

TEST(PosixHostLock, OneLockFileWhateverTheRegistryRoot) {
  TestDirectory scratch;
  {
    LockDirectory product("");
    EXPECT_EQ(HostLock::name(), "/run/vornup.lock");
  }
  LockDirectory lockDirectory(scratch.path() + "//");
  const std::string lockFile = scratch.file("vornup-test.lock");
  EXPECT_EQ(HostLock::name(), lockFile);
  {
    HostLock lock;
    ASSERT_EQ(lock.acquire(), HostLockResult::acquired);
    EXPECT_EQ(modeOf(lockFile) & 07777, 0600u);
  }
  // Never truncated by taking it.
  ASSERT_TRUE(scratch.write("vornup-test.lock", "kept"));
  HostLock lock;
  EXPECT_EQ(lock.acquire(), HostLockResult::acquired);
  EXPECT_EQ(scratch.read("vornup-test.lock"), "kept");
}

// Each command's record is the whole file, whatever the file held before,
// and the file is empty again after each command.
TEST(PosixHostLock, EachCommandsRecordIsTheWholeFile) {
  for (const char* before : {"", "text of another kind, longer than any record\n"}) {
    TestDirectory scratch;
    LockDirectory lockDirectory(scratch.path());
    ASSERT_TRUE(scratch.write("vornup-test.lock", before));
    HostLock lock;
    ASSERT_EQ(lock.acquire(), HostLockResult::acquired);
    for (int command = 0; command < 2; ++command) {
      lock.commandStarted(::getpid());
      ToolProcess recorded;
      const std::string record = scratch.read("vornup-test.lock");
      ASSERT_TRUE(parseToolRecord(record, recorded)) << before << command;
      EXPECT_EQ(recorded.id, ::getpid());
      EXPECT_NE(recorded.started, 0u);
      EXPECT_EQ(record, toolRecordText(recorded));
      lock.commandEnded();
      EXPECT_EQ(scratch.read("vornup-test.lock"), "");
    }
  }
}

TEST(PosixHostLock, NoRegularLockFileMeansUnavailable) {
  TestDirectory scratch;
  ASSERT_TRUE(scratch.write("target", "t"));
  for (const char* directory : {"fifo", "link", "directory"}) {
    ASSERT_EQ(::mkdir(scratch.file(directory).c_str(), 0700), 0);
  }
  ASSERT_EQ(::mkfifo(scratch.file("fifo/vornup-test.lock").c_str(), 0600), 0);
  ASSERT_EQ(
      ::symlink(scratch.file("target").c_str(), scratch.file("link/vornup-test.lock").c_str()), 0);
  ASSERT_EQ(::mkdir(scratch.file("directory/vornup-test.lock").c_str(), 0700), 0);
  for (const char* directory : {"fifo", "link", "directory", "absent"}) {
    SCOPED_TRACE(directory);
    LockDirectory setting(scratch.file(directory));
    HostLock lock;
    EXPECT_EQ(lock.acquire(), HostLockResult::unavailable);
    EXPECT_FALSE(lock.held());
  }
  EXPECT_EQ(scratch.read("target"), "t");
}

TEST(PosixHostLock, HeldByAnotherProcessThroughFlock) {
  TestDirectory scratch;
  LockDirectory setting(scratch.path());
  HostLock lock;
  ASSERT_EQ(lock.acquire(), HostLockResult::acquired);
  // flock(1), when installed, sees the same lock as the helper.
  if (hostPlatform().runCommand("command -v flock >/dev/null") == 0) {
    EXPECT_EQ(hostPlatform().runCommand("flock -n \"" + HostLock::name() + "\" true"), 1);
  }
  EXPECT_EQ(hostPlatform().runCommand(helperCommand() + " lock"), kHelperLockHeld);
}

TEST(PosixReading, OnlyRegularFilesAreOpenedAndNothingBlocks) {
  TestDirectory scratch;
  ASSERT_TRUE(scratch.write("image.all", "bytes"));
  ASSERT_EQ(::mkfifo(scratch.file("fifo").c_str(), 0600), 0);
  ASSERT_EQ(::symlink(scratch.file("image.all").c_str(), scratch.file("link").c_str()), 0);
  ASSERT_EQ(::symlink("/dev/zero", scratch.file("zero link").c_str()), 0);
  struct Case {
    std::string path;
    bool opened;
  };
  // The null device and an absent file: see files_test.cpp.
  const Case cases[] = {{scratch.file("image.all"), true},  {scratch.file("link"), true},
                        {scratch.file("fifo"), false},      {scratch.path(), false},
                        {"/dev/zero", false},               {scratch.file("zero link"), false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::FILE* file = openRegularFileForReading(c.path);
    EXPECT_EQ(file != nullptr, c.opened);
    if (file == nullptr) continue;
    char buffer[8] = {};
    EXPECT_EQ(std::fread(buffer, 1, sizeof buffer, file), 5u);
    EXPECT_STREQ(buffer, "bytes");
    // Blocking again, and not inherited by commands.
    EXPECT_EQ(::fcntl(::fileno(file), F_GETFL) & O_NONBLOCK, 0);
    EXPECT_NE(::fcntl(::fileno(file), F_GETFD) & FD_CLOEXEC, 0);
    std::fclose(file);
  }
  // Reading by position refuses the same, without blocking either.
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    ReadOnlyFile file;
    uint64_t size = 0;
    EXPECT_EQ(file.open(c.path.c_str(), size), c.opened);
    if (!c.opened) continue;
    char buffer[8] = {};
    std::size_t arrived = 0;
    EXPECT_TRUE(file.readAt(0, reinterpret_cast<uint8_t*>(buffer), sizeof buffer, arrived));
    EXPECT_STREQ(buffer, "bytes");
  }
}

// Appending to and emptying regular files: see files_test.cpp.
TEST(PosixWriting, OwnSymbolicLinkIsFollowed) {
  TestDirectory scratch;
  ASSERT_EQ(::symlink(scratch.file("vornup.log").c_str(), scratch.file("own link").c_str()), 0);
  struct Case {
    WriteMode mode;
    const char* content;
  };
  const Case cases[] = {{WriteMode::append, "new\nmore\n"}, {WriteMode::truncate, "more\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    ASSERT_TRUE(scratch.write("vornup.log", "new\n"));
    ASSERT_TRUE(writeThrough(scratch.file("own link"), c.mode, "more\n"));
    EXPECT_EQ(scratch.read("vornup.log"), c.content);
  }
}

// The null device: see files_test.cpp.
TEST(PosixWriting, FifoAndDirectoryAreRefusedWithoutBlocking) {
  TestDirectory scratch;
  ASSERT_EQ(::mkfifo(scratch.file("dbg.log").c_str(), 0600), 0);
  // A reader on the FIFO: an open for writing would succeed.
  int reader = ::open(scratch.file("dbg.log").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  for (const std::string& path : {scratch.file("dbg.log"), scratch.path()}) {
    for (WriteMode mode : {WriteMode::append, WriteMode::truncate}) {
      SCOPED_TRACE(path);
      EXPECT_EQ(openFileForWriting(path, mode), nullptr);
    }
  }
  ::close(reader);
  ::unlink(scratch.file("dbg.log").c_str());
  ASSERT_EQ(::mkfifo(scratch.file("dbg.log").c_str(), 0600), 0);
  EXPECT_EQ(openFileForWriting(scratch.file("dbg.log"), WriteMode::truncate), nullptr);
}

TEST(PosixWriting, ForeignSymbolicLinkIsNotFollowed) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a link to another user needs root";
  TestDirectory scratch;
  ASSERT_EQ(::chmod(scratch.path().c_str(), 0777 | S_ISVTX), 0);
  ASSERT_TRUE(scratch.write("target", "precious"));
  const std::string link = scratch.file("dbg.log");
  ASSERT_EQ(::symlink(scratch.file("target").c_str(), link.c_str()), 0);
  ASSERT_EQ(::lchown(link.c_str(), 65534, 65534), 0);
  for (WriteMode mode : {WriteMode::append, WriteMode::truncate}) {
    EXPECT_EQ(openFileForWriting(link, mode), nullptr);
  }
  EXPECT_EQ(scratch.read("target"), "precious");
  // The same link as the user's own is followed.
  ASSERT_EQ(::lchown(link.c_str(), ::geteuid(), ::getegid()), 0);
  EXPECT_TRUE(writeThrough(link, WriteMode::truncate, "log"));
  EXPECT_EQ(scratch.read("target"), "log");
}

TEST(PosixCopy, BytesAreCopiedIntoANewOwnerOnlyFile) {
  TestDirectory scratch;
  std::string content;
  for (int i = 0; i < 200000; ++i) content += static_cast<char>(i * 7 % 251);
  ASSERT_TRUE(scratch.write("image.all", content));
  ASSERT_EQ(copyRegularFile(scratch.file("image.all"), scratch.file("copy")), CopyOutcome::copied);
  EXPECT_EQ(scratch.read("copy"), content);
  EXPECT_EQ(modeOf(scratch.file("copy")) & 07777, 0600u);

  ASSERT_EQ(::mkfifo(scratch.file("fifo").c_str(), 0600), 0);
  ASSERT_EQ(::symlink(scratch.file("elsewhere").c_str(), scratch.file("planted").c_str()), 0);
  struct Case {
    const char* from;
    const char* to;
    CopyOutcome outcome;
  };
  const Case cases[] = {{"fifo", "c1", CopyOutcome::sourceUnusable},
                        {"absent", "c2", CopyOutcome::sourceUnusable},
                        {"", "c3", CopyOutcome::sourceUnusable},
                        {"image.all", "copy", CopyOutcome::destinationUnusable},
                        {"image.all", "planted", CopyOutcome::destinationUnusable},
                        {"image.all", "absent/c4", CopyOutcome::destinationUnusable}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from + std::string(" -> ") + c.to);
    EXPECT_EQ(copyRegularFile(scratch.file(c.from), scratch.file(c.to)), c.outcome);
  }
  EXPECT_FALSE(scratch.exists("c1"));
  EXPECT_FALSE(scratch.exists("elsewhere"));
  EXPECT_EQ(scratch.read("copy"), content);
}

TEST(PosixRightsProbe, LeavesNoParentItCreated) {
  TestDirectory scratch;
  {
    RegistryRoot setting(scratch.file("new root") + "/registry");
    EXPECT_TRUE(hostPlatform().probeAdminRights());
  }
  EXPECT_FALSE(scratch.exists("new root"));
  // Parents that were there stay, with what they hold.
  ASSERT_TRUE(fs::create_directories(fs::u8path(scratch.file("old/SOFTWARE/Korvane"))));
  {
    RegistryRoot setting(scratch.file("old"));
    EXPECT_TRUE(hostPlatform().probeAdminRights());
  }
  EXPECT_TRUE(scratch.exists("old/SOFTWARE/Korvane"));
  EXPECT_FALSE(scratch.exists("old/SOFTWARE/KorvaneFwupdate"));
}

TEST(PosixRightsProbe, RunsSideBySideDoNotFailEachOther) {
  TestDirectory scratch;
  RegistryRoot setting(scratch.file("registry"));
  const std::string probe = helperCommand() + " probe 300";
  CommandResult result = hostPlatform().runLimitedCommand(
      probe + " & a=$!; " + probe + "; b=$?; " + probe + " & c=$!; wait $a || exit 1; wait $c || exit 1; exit $b",
      CommandLimits());
  EXPECT_EQ(result.end, CommandEnd::exited);
  EXPECT_EQ(result.status, 0);
  // A parent one probe made may stay when another probe was inside it at the
  // time; the probe key itself never does.
  EXPECT_FALSE(scratch.exists("registry/SOFTWARE/KorvaneFwupdate"));
}

// The id of a process that has ended and was reaped.
class DeadProcess {
 public:
  DeadProcess() {
    pid_ = ::fork();
    if (pid_ == 0) ::_exit(0);
    ::waitpid(pid_, nullptr, 0);
  }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_;
};

TEST(PosixPrivateDirectories, NameCarriesTheProcessId) {
  TestDirectory scratch;
  std::string created;
  ASSERT_TRUE(hostPlatform().createPrivateDirectory(scratch.path(), created));
  const std::string prefix = scratch.file("vornup-" + std::to_string(::getpid()) + "-");
  EXPECT_EQ(created.compare(0, prefix.size(), prefix), 0) << created;
  EXPECT_EQ(hostPlatform().removeStalePrivateDirectories(scratch.path()), 0);
  EXPECT_TRUE(fs::is_directory(fs::u8path(created)));
}

TEST(PosixPrivateDirectories, OnlyStaleDirectoriesOfOursAreRemoved) {
  TestDirectory scratch;
  DeadProcess dead;
  const std::string gone = "vornup-" + std::to_string(dead.pid());
  const std::string alive = "vornup-" + std::to_string(::getppid());
  for (const std::string& name :
       {gone + "-aB3dE6", gone + "-holds", gone + "-x", alive + "-aB3dE6", gone, std::string("vornup--1"),
        "other-" + std::to_string(dead.pid()) + "-aB3dE6"}) {
    ASSERT_EQ(::mkdir(scratch.file(name).c_str(), 0700), 0) << name;
    ASSERT_TRUE(scratch.write(name + "/temp.txt", "reply"));
  }
  // Links inside are removed, never followed; anything else keeps its directory.
  ASSERT_TRUE(scratch.write("outside", "kept"));
  ASSERT_EQ(::symlink(scratch.file("outside").c_str(), scratch.file(gone + "-x/link").c_str()), 0);
  ASSERT_EQ(::mkdir(scratch.file(gone + "-holds/sub").c_str(), 0700), 0);
  // A link with the name of a stale directory is left alone.
  ASSERT_EQ(::symlink(scratch.file(gone + "-holds").c_str(), scratch.file(gone + "-link").c_str()), 0);

  EXPECT_EQ(hostPlatform().removeStalePrivateDirectories(scratch.path()), 1);
  EXPECT_FALSE(scratch.exists(gone + "-aB3dE6"));
  EXPECT_TRUE(scratch.exists(gone + "-x"));
  EXPECT_FALSE(scratch.exists(gone + "-x/temp.txt"));
  EXPECT_TRUE(scratch.exists(gone + "-x/link"));
  EXPECT_EQ(scratch.read("outside"), "kept");
  EXPECT_TRUE(scratch.exists(gone + "-holds/sub"));
  EXPECT_FALSE(scratch.exists(gone + "-holds/temp.txt"));
  EXPECT_TRUE(scratch.exists(gone + "-link"));
  for (const std::string& name : {alive + "-aB3dE6", gone, std::string("vornup--1"),
                                  "other-" + std::to_string(dead.pid()) + "-aB3dE6"}) {
    EXPECT_EQ(scratch.read(name + "/temp.txt"), "reply") << name;
  }
  EXPECT_EQ(hostPlatform().removeStalePrivateDirectories(scratch.file("absent")), 0);
}

TEST(PosixPrivateDirectories, DirectoriesOfOtherUsersStay) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a directory to another user needs root";
  TestDirectory scratch;
  DeadProcess dead;
  const std::string name = "vornup-" + std::to_string(dead.pid()) + "-aB3dE6";
  ASSERT_EQ(::mkdir(scratch.file(name).c_str(), 0700), 0);
  ASSERT_TRUE(scratch.write(name + "/temp.txt", "reply"));
  ASSERT_EQ(::chown(scratch.file(name).c_str(), 65534, 65534), 0);
  EXPECT_EQ(hostPlatform().removeStalePrivateDirectories(scratch.path()), 0);
  EXPECT_EQ(scratch.read(name + "/temp.txt"), "reply");
}

}  // namespace
}  // namespace vornup
