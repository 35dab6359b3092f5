#include "sim/host.h"

#include <gtest/gtest.h>

#include <string>

#include "sim/key_value_text.h"

namespace tandrelsim {
namespace {

TEST(ParseHost, ReadsHostKnobsAndPortsInOrder) {
  Host host;
  std::string error;
  ASSERT_TRUE(parseHost(R"(
# comment
[host]
name = web7
listhbas-error = Driver-Not-Loaded
listhbas-error-line = 12
fail-call = 3 garbage
fault.hbaattrib = crlf

[Port]
WWN = 10:00:00:00:c9:00:00:01
remote = yes
download = fail
reboot = yes
fault.download = no-output
serial =   ab 12 ,x
  ; indented comment
[port]
mac = 00-90-fa-00-00-02
port-type =
)",
                        host, error))
      << error;
  EXPECT_EQ(host.name, "web7");
  EXPECT_EQ(host.listError, ListError::driverNotLoaded);
  EXPECT_EQ(host.listErrorLine, 12u);
  EXPECT_EQ(host.failCall.call, 3u);
  EXPECT_EQ(host.failCall.mode, FaultMode::garbage);
  EXPECT_EQ(host.faults.at("hbaattrib"), FaultMode::crLf);
  ASSERT_EQ(host.ports.size(), 2u);
  const Port& first = host.ports[0];
  EXPECT_EQ(first.address, "10:00:00:00:c9:00:00:01");
  EXPECT_FALSE(first.namedByMac);
  EXPECT_TRUE(first.remote);
  EXPECT_TRUE(first.downloadFails);
  EXPECT_TRUE(first.reboot);
  EXPECT_EQ(first.faults.at("download"), FaultMode::noOutput);
  ASSERT_NE(first.field("serial"), nullptr);
  EXPECT_EQ(*first.field("serial"), "ab 12 ,x");
  EXPECT_EQ(first.field("flags"), nullptr);
  const Port& second = host.ports[1];
  EXPECT_TRUE(second.namedByMac);
  ASSERT_NE(second.field("port-type"), nullptr);
  EXPECT_EQ(*second.field("port-type"), "");
  EXPECT_EQ(host.findPort("00-90-FA-00-00-02"), &host.ports[1]);
  EXPECT_EQ(host.findPort("00-90-FA-00-00-03"), nullptr);
}

TEST(ParseHost, EmptyFileIsAHostWithoutPorts) {
  Host host;
  std::string error;
  EXPECT_TRUE(parseHost("", host, error));
  EXPECT_TRUE(host.ports.empty());
  EXPECT_EQ(host.name, "localhost");
}

struct BadHost {
  std::string text;
  std::string message;
};

TEST(ParseHost, MalformedFilesNameTheirLine) {
  const BadHost cases[] = {
      {"[host]\nname\n", "line 2: expected \"key = value\""},
      {"[host]\n= x\n", "line 2: expected"},
      {"[hots]\n", "line 1: unknown section [hots]"},
      {"[port\n", "line 1: a section header is written [name]"},
      {"name = x\n", "line 1: settings belong under [host] or [port]"},
      {"[host]\ncolour = red\n", "line 2: unknown [host] key \"colour\""},
      {"[port]\nwwn = 1\nspeed = 8\n", "line 3: unknown [port] key \"speed\""},
      {"[port]\nflags = 1\n", "line 1: a [port] needs a wwn or a mac"},
      {"[port]\nwwn = 1\nmac = 2\n", "line 3: a port has one address"},
      {"[port]\nwwn =\n", "line 2: wwn needs a value"},
      {"[port]\nwwn = a\n[port]\nwwn = A\n", "line 3: a second port with the address A"},
      {"[port]\nwwn = a\nremote = maybe\n", "line 3: remote is yes or no"},
      {"[port]\nwwn = a\ndownload = later\n", "line 3: download is complete or fail"},
      {"[port]\nwwn = a\nfault.listhba = crlf\n", "line 3: no command \"listhba\""},
      {"[host]\nfault.wakeup = loud\n", "line 2: fault modes are none, no-output"},
      {"[host]\nfail-call = x crlf\n", "line 2: fail-call is"},
      {"[host]\nfail-call = 3\n", "line 2: fail-call is"},
      {"[host]\nlisthbas-error = yes\n", "line 2: listhbas-error is"},
      {"[host]\nlisthbas-error-line = 0\n", "line 2: listhbas-error-line"},
      {std::string("[host]\nname = a\0b\n", 16), "NUL byte"},
  };
  for (const BadHost& c : cases) {
    Host host;
    std::string error;
    EXPECT_FALSE(parseHost(c.text, host, error)) << c.text;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.text << " -> " << error;
  }
}

TEST(FaultModes, NamesRoundTrip) {
  const FaultMode modes[] = {FaultMode::none,       FaultMode::noOutput, FaultMode::garbage,
                             FaultMode::cutOff,     FaultMode::exitStatus, FaultMode::huge,
                             FaultMode::longLines,  FaultMode::nulFf,    FaultMode::crLf};
  for (FaultMode mode : modes) {
    FaultMode parsed;
    ASSERT_TRUE(faultModeByName(faultModeName(mode), parsed));
    EXPECT_EQ(parsed, mode);
  }
  FaultMode parsed;
  EXPECT_FALSE(faultModeByName("CRLF", parsed));
}

TEST(ParseCallFault, NumberBlankMode) {
  CallFault fault;
  std::string error;
  EXPECT_TRUE(parseCallFault("17 \t cut-off", fault, error));
  EXPECT_EQ(fault.call, 17u);
  EXPECT_EQ(fault.mode, FaultMode::cutOff);
  EXPECT_TRUE(parseCallFault("2 Huge", fault, error));
  EXPECT_EQ(fault.mode, FaultMode::huge);
  EXPECT_FALSE(parseCallFault("1234567890 huge", fault, error));
  EXPECT_FALSE(parseCallFault("-1 huge", fault, error));
  EXPECT_FALSE(parseCallFault("huge", fault, error));
}

}  // namespace
}  // namespace tandrelsim
