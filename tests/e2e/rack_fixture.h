// The rack of most end-to-end runs: two Fibre Channel adapters and a
// converged adapter, with images of several versions per type in the
// firmware and boot directories (newer than, equal to and older than what
// the adapters run).
#pragma once

#include <cstdint>
#include <string>

#include "e2e/korvane_ports.h"
#include "e2e/simulated_host.h"

namespace vornup {

// Image ids: ALL files of image type 7 and PRG files.
constexpr uint8_t kAllZF = 225;
constexpr uint8_t kAllBF = 193;
constexpr uint8_t kPrgZP = 230;  // pair
constexpr uint8_t kPrgZU = 231;  // universal
constexpr uint8_t kPrgBB = 193;  // x86

// The start of each adapter's download result lines.
constexpr char kKf1602Line[] = "HBA=KF1602, Port Type=FC, WWN=10:00:00:00:C9:7D:00:01, ";
constexpr char kKf810Line[] = "HBA=KF810, Port Type=FC, WWN=10:00:00:00:C9:54:00:01, ";
constexpr char kKc2100NicLine[] = "HBA=KC2100-FCoE, Port Type=NIC, MAC=00-90-FA-3A-00-01, ";
constexpr char kKc2100FcoeLine[] = "HBA=KC2100-FCoE, Port Type=FCoE, WWN=10:00:00:90:FA:3A:00:02, ";
constexpr char kKc3200NicLine[] = "HBA=KC3200-FCoE, Port Type=NIC, MAC=00-90-FA-3B-00-01, ";
constexpr char kKc3200FcoeLine[] = "HBA=KC3200-FCoE, Port Type=FCoE, WWN=10:00:00:90:FA:3B:00:02, ";

// KF810's boot code is disabled again after a boot code download.
constexpr char kKf810BootOff[] = "enablebootcode 10:00:00:00:C9:54:00:01 D";

class RackTest : public SimulatedHostTest {
 protected:
  RackTest() {
    describeHost({ports::kKf1602, ports::kKf810, ports::kKc2100Nic, ports::kKc2100Fcoe});
    // KF1602 runs ZF 282A4 and ZU 512A0.
    writeFirmwareAll("zf290a1.all", kAllZF, "290A1");
    writeFirmwareAll("zf283a0.all", kAllZF, "283A0");
    writeFirmwareAll("zf282a4.all", kAllZF, "282A4");
    writeFirmwareAll("zf280a2.all", kAllZF, "280A2");
    writeFirmwareAll("zf270a0.all", kAllZF, "270A0");
    writeBootPrg("zu512a0.prg", kPrgZU, "512A0");
    writeBootPrg("zu500a0.prg", kPrgZU, "500A0");
    writeBootPrg("zp530a0.prg", kPrgZP, "530A0");
    // KF810 runs BF 210A6 and BB 430A2.
    writeFirmwareAll("bf210a6.all", kAllBF, "210A6");
    writeBootPrg("bb440a0.prg", kPrgBB, "440A0");
    writeBootPrg("bb430a2.prg", kPrgBB, "430A2");
    writeBootPrg("bb420a0.prg", kPrgBB, "420A0");
    // KC2100 (KX2) runs 4.0.360.15, KC3200 (KX3) 4.1.0.0.
    writeFirmwareUfi("kc21-4100.ufi", "4.1.0.0");
    writeFirmwareUfi("kc21-4030.ufi", "4.0.300.0");
    writeFirmwareUfi("kc32-4200.ufi", "4.2.0.0", imagemaker::UfiChip::kx3);
    writeFirmwareUfi("kc32-4100.ufi", "4.1.0.0", imagemaker::UfiChip::kx3);
    writeFirmwareUfi("kc32-4030.ufi", "4.0.300.0", imagemaker::UfiChip::kx3);
  }
};

}  // namespace vornup
