// File handling on both hosts: only regular files are read or written, logs
// are appended to or emptied, copies go to new files, and stale private
// directories of runs that are gone are removed.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/file_copy.h"
#include "platform/platform.h"
#include "platform/safe_files.h"
#include "platform_test_files.h"

namespace vornup {
namespace {

namespace fs = std::filesystem;

const char* nullDevice() { return kWindows ? "NUL" : "/dev/null"; }

TEST(SafeFiles, OnlyRegularFilesAreRead) {
  TestDirectory scratch;
  ASSERT_TRUE(scratch.write("image.all", "bytes\r\n"));
  fs::create_directory(fs::u8path(scratch.file("directory")));
  struct Case {
    std::string path;
    bool opened;
  };
  const Case cases[] = {{scratch.file("image.all"), true},
                        {scratch.file("directory"), false},
                        {nullDevice(), false},
                        {scratch.file("absent"), false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::FILE* file = openRegularFileForReading(c.path);
    EXPECT_EQ(file != nullptr, c.opened);
    if (file != nullptr) {
      EXPECT_EQ(readAll(file), "bytes\r\n");  // binary: line ends as they are
      std::fclose(file);
    }
    // The same rule for reading by position.
    ReadOnlyFile byPosition;
    uint64_t size = 99;
    EXPECT_EQ(byPosition.open(c.path.c_str(), size), c.opened);
    EXPECT_EQ(byPosition.isOpen(), c.opened);
    if (c.opened) {
      EXPECT_EQ(size, 7u);
    }
  }
}

// Reads by position: anywhere in the file, across its end, past it, and
// after the file grew; nothing once closed.
TEST(SafeFiles, ReadsByPosition) {
  TestDirectory scratch;
  ASSERT_TRUE(scratch.write("image.all", "0123456789"));
  ReadOnlyFile file;
  uint64_t size = 0;
  ASSERT_TRUE(file.open(scratch.file("image.all").c_str(), size));
  ASSERT_EQ(size, 10u);
  struct Case {
    uint64_t position;
    std::size_t count;
    const char* bytes;
  };
  const Case cases[] = {{0, 4, "0123"},       {7, 2, "78"},           {6, 10, "6789"},
                        {10, 5, ""},          {4000000000ull, 3, ""}, {(uint64_t(1) << 40), 1, ""},
                        {3, 0, ""},           {0, 10, "0123456789"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    char buffer[16] = {};
    std::size_t arrived = 99;
    EXPECT_TRUE(file.readAt(c.position, reinterpret_cast<uint8_t*>(buffer), c.count, arrived));
    EXPECT_EQ(std::string(buffer, arrived), c.bytes);
  }
  ASSERT_TRUE(scratch.write("image.all", "0123456789ab"));
  char buffer[4] = {};
  std::size_t arrived = 0;
  EXPECT_TRUE(file.readAt(9, reinterpret_cast<uint8_t*>(buffer), sizeof buffer, arrived));
  EXPECT_EQ(std::string(buffer, arrived), "9ab");
  file.close();
  EXPECT_FALSE(file.isOpen());
  EXPECT_FALSE(file.readAt(0, reinterpret_cast<uint8_t*>(buffer), 1, arrived));
  EXPECT_EQ(arrived, 0u);
}

TEST(SafeFiles, LogsAreAppendedToOrEmptied) {
  TestDirectory scratch;
  const std::string log = scratch.file("vornup.log");
  struct Step {
    WriteMode mode;
    const char* text;
    const char* content;
  };
  const Step steps[] = {{WriteMode::append, "one\n", "one\n"},
                        {WriteMode::append, "two\n", "one\ntwo\n"},
                        {WriteMode::truncate, "new\n", "new\n"},
                        {WriteMode::append, "more\n", "new\nmore\n"}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.text);
    ASSERT_TRUE(writeThrough(log, step.mode, step.text));
    EXPECT_EQ(scratch.read("vornup.log"), step.content);
  }
}

TEST(SafeFiles, OnlyRegularFilesAreWritten) {
  TestDirectory scratch;
  fs::create_directory(fs::u8path(scratch.file("directory")));
  const std::string refused[] = {scratch.file("directory"), nullDevice(),
                                 scratch.file("absent") + kPathSeparator + "x.log"};
  for (const std::string& path : refused) {
    for (WriteMode mode : {WriteMode::append, WriteMode::truncate}) {
      SCOPED_TRACE(path);
      EXPECT_EQ(openFileForWriting(path, mode), nullptr);
    }
  }
}

TEST(SafeFiles, CopyGoesIntoANewFile) {
  TestDirectory scratch;
  std::string content;
  for (int i = 0; i < 150000; ++i) content += static_cast<char>(i * 13 % 256);
  ASSERT_TRUE(scratch.write("image.all", content));
  ASSERT_EQ(copyRegularFile(scratch.file("image.all"), scratch.file("copy")), CopyOutcome::copied);
  EXPECT_EQ(scratch.read("copy"), content);
  ASSERT_TRUE(scratch.write("empty", ""));
  ASSERT_EQ(copyRegularFile(scratch.file("empty"), scratch.file("empty copy")), CopyOutcome::copied);
  EXPECT_TRUE(scratch.exists("empty copy"));
  EXPECT_EQ(copyRegularFile(scratch.file("image.all"), scratch.file("copy")),
            CopyOutcome::destinationUnusable);
  EXPECT_EQ(copyRegularFile(scratch.path(), scratch.file("c2")), CopyOutcome::sourceUnusable);
  EXPECT_EQ(copyRegularFile(nullDevice(), scratch.file("c3")), CopyOutcome::sourceUnusable);
  EXPECT_FALSE(scratch.exists("c2"));
  EXPECT_FALSE(scratch.exists("c3"));
}

TEST(PrivateDirectories, StaleOnesOfRunsThatAreGoneAreRemoved) {
  TestDirectory scratch;
  // No process has this id on either host.
  const std::string gone = kWindows ? "vornup-4294967292" : "vornup-999999999";
  std::string own;
  ASSERT_TRUE(hostPlatform().createPrivateDirectory(scratch.path(), own));
  const std::string names[] = {gone + "-1234", gone + "-holds", gone, "other-999999999-1"};
  for (const std::string& name : names) {
    fs::create_directory(fs::u8path(scratch.file(name)));
    ASSERT_TRUE(scratch.write(name + kPathSeparator + "temp.txt", "reply")) << name;
  }
  fs::create_directory(fs::u8path(scratch.file(gone + "-holds" + kPathSeparator + "sub")));
  ASSERT_TRUE(scratch.write("vornup-999999999-file", "not a directory"));

  EXPECT_EQ(hostPlatform().removeStalePrivateDirectories(scratch.path()), 1);
  EXPECT_FALSE(scratch.exists(gone + "-1234"));
  EXPECT_FALSE(scratch.exists(gone + "-holds" + kPathSeparator + "temp.txt"));
  EXPECT_TRUE(scratch.exists(gone + "-holds" + kPathSeparator + "sub"));
  EXPECT_EQ(scratch.read(gone + kPathSeparator + "temp.txt"), "reply");
  EXPECT_EQ(scratch.read(std::string("other-999999999-1") + kPathSeparator + "temp.txt"), "reply");
  EXPECT_EQ(scratch.read("vornup-999999999-file"), "not a directory");
  EXPECT_TRUE(fs::is_directory(fs::u8path(own)));
}

}  // namespace
}  // namespace vornup
