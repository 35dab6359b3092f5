#include "sim/replies.h"

#include <gtest/gtest.h>

#include <string>

namespace tandrelsim {
namespace {

Host hostFrom(const std::string& text) {
  Host host;
  std::string error;
  EXPECT_TRUE(parseHost(text, host, error)) << error;
  return host;
}

TEST(RenderAdapterList, OneEntryPerPortWithItsLabels) {
  Host host = hostFrom(
      "[host]\nname = web7\n[port]\nwwn = 10:00:00:00:c9:00:00:01\nflags = 80007e0d\n"
      "serial = s1\nport-type = FC\n[port]\nmac = 00-90-fa-00-00-02\nremote = yes\n");
  EXPECT_EQ(renderAdapterList(host, true),
            "Manageable HBA List\n\n"
            "Port WWN        : 10:00:00:00:c9:00:00:01\n"
            "Flags           : 80007e0d\n"
            "Host Name       : web7\n"
            "Mfg             : Korvane Systems\n"
            "Serial No.      : s1\n"
            "Mode            : Initiator\n"
            "Discovery       : Local\n"
            "Port Type       : FC\n"
            "\n"
            "Permanent MAC   : 00-90-fa-00-00-02\n"
            "Host Name       : web7\n"
            "Mfg             : Korvane Systems\n"
            "Mode            : Initiator\n"
            "Discovery       : Remote\n"
            "\n");
  EXPECT_EQ(renderAdapterList(host, false).find("Permanent MAC"), std::string::npos);
}

TEST(RenderAdapterList, ErrorTextStandsAtItsLine) {
  Host host = hostFrom("[host]\nlisthbas-error = brackmond-not-running\nlisthbas-error-line = 2\n"
                       "[port]\nwwn = 1\n");
  std::string text = renderAdapterList(host, false);
  EXPECT_EQ(text.substr(0, text.find("Port WWN")),
            std::string("Manageable HBA List\n") + kBrackmondNotRunningText + "\n\n");
  host.listError = ListError::driverNotLoaded;
  host.listErrorLine = 6;
  host.ports.clear();
  EXPECT_EQ(renderAdapterList(host, false),
            std::string("Manageable HBA List\n\n\n\n\n") + kDriverNotLoadedText + "\n");
}

TEST(RenderAttributes, DeviceIdComesBeforeSubDeviceIdAndDisabledBootCodeHidesItsVersion) {
  Host host = hostFrom("[port]\nwwn = 1\ndevice-id = 7D00\nsub-device-id = 7D2E\n"
                       "boot-code = disabled\nboot-version = 5.12A0\nfw-version = 2.82A4\n");
  std::string text = renderAttributes(host, host.ports[0]);
  EXPECT_LT(text.find("Device ID       : 7D00\n"), text.find("Sub Device ID   : 7D2E\n"));
  EXPECT_NE(text.find("Boot Code       : disabled\n"), std::string::npos);
  EXPECT_EQ(text.find("Boot Version"), std::string::npos);
  EXPECT_NE(text.find("FW Version      : 2.82A4\n"), std::string::npos);
  EXPECT_TRUE(isBootCodeDisabled(host.ports[0]));
  host.ports[0].fields["boot-code"] = "Enabled";
  text = renderAttributes(host, host.ports[0]);
  EXPECT_NE(text.find("Boot Version    : 5.12A0\n"), std::string::npos);
  EXPECT_EQ(text.find("SLI3 FW"), std::string::npos);
}

TEST(RenderPciDataAndWakeup, CarryTheirOneLabelEach) {
  Host host = hostFrom("[port]\nwwn = 1\nheader-type = 80\nwakeup-token = 0000E700\n");
  EXPECT_NE(renderPciData(host.ports[0]).find("Header Type     : 80\n"), std::string::npos);
  std::string wakeup = renderWakeup(host.ports[0]);
  EXPECT_NE(wakeup.find("Boot Code       : 0000E700\n"), std::string::npos);
  EXPECT_EQ(wakeup.find("Boot Code"), wakeup.find("Boot Code       : 0000E700"));
  host.ports[0].fields.clear();
  EXPECT_EQ(renderPciData(host.ports[0]).find("Header Type"), std::string::npos);
  EXPECT_EQ(renderWakeup(host.ports[0]).find("Boot Code"), std::string::npos);
}

TEST(SwitchableBootCode, OnlyEnabledOrDisabled) {
  Port port;
  EXPECT_FALSE(hasSwitchableBootCode(port));
  const char* states[] = {"Enabled", "DISABLED", "None", "4.0.1.0"};
  const bool switchable[] = {true, true, false, false};
  for (int i = 0; i < 4; ++i) {
    port.fields["boot-code"] = states[i];
    EXPECT_EQ(hasSwitchableBootCode(port), switchable[i]) << states[i];
  }
}

}  // namespace
}  // namespace tandrelsim
