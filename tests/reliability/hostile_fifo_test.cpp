// FIFOs named like images (POSIX only): nothing writes to them, so opening
// one would block the run for ever. Only regular files are opened: the run
// goes on and ends soundly.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "reliability/reliability_run.h"

namespace vornup {
namespace {

void makeFifo(const InProcessInstall& install, const std::string& relativePath) {
  ASSERT_EQ(mkfifo(install.path(relativePath).c_str(), 0600), 0) << relativePath;
}

TEST(HostileFifo, AutomaticRunSkipsFifosNamedLikeImages) {
  InProcessInstall install;
  for (const char* name : {"firmware/fifo.all", "firmware/fifo.ufi", "firmware/fifo.grp",
                           "boot/fifo.prg"}) {
    makeFifo(install, name);
  }
  ObservedRun run = install.run({"/auto", "/update"});
  expectSoundEnd(run, install.installDirectory(), "fifos in the image directories");
  EXPECT_EQ(run.exitCode, 0) << run.console;
  EXPECT_TRUE(downloads(run, "zf290a1.all"));
  EXPECT_TRUE(downloads(run, "kh3201.grp"));
  EXPECT_FALSE(downloads(run, "fifo.")) << run.console;
}

TEST(HostileFifo, FwmatrixNamingFifosFailsThoseDownloadsWithoutBlocking) {
  InProcessInstall install;
  makeFifo(install, "firmware/fifo.all");
  makeFifo(install, "boot/fifo.prg");
  install.write("fwmatrix.txt", withFirstLine("KF1602 fifo.all fifo.prg\n"));
  ObservedRun run = install.run({"/f"});
  expectSoundEnd(run, install.installDirectory(), "fwmatrix naming fifos");
  EXPECT_FALSE(downloads(run, "fifo."));
  EXPECT_TRUE(downloads(run, "bf220a1.all"));
  // The two downloads of that adapter failed, the others succeeded.
  EXPECT_EQ(run.exitCode, 3) << run.console;
}

TEST(HostileFifo, FwmatrixTxtThatIsAFifoIsNotFound) {
  InProcessInstall install;
  std::remove(install.path("fwmatrix.txt").c_str());
  makeFifo(install, "fwmatrix.txt");
  ObservedRun run = install.run({"/f"});
  expectSoundEnd(run, install.installDirectory(), "fwmatrix.txt a fifo");
  EXPECT_EQ(run.exitCode, 2) << run.console;
  EXPECT_TRUE(run.calls.empty());
}

}  // namespace
}  // namespace vornup
