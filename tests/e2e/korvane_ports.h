// Ports of the simulated hosts of the end-to-end runs, with the commands the
// program runs for each while it reads the adapter list.
#pragma once

#include "e2e/simulated_host.h"

namespace vornup {
namespace ports {

// A two-port 16G Fibre Channel adapter (KF1602: firmware type ZF, universal
// boot code ZU), boot code enabled.
inline const SimulatedPort kKf1602 = {
    "[port]\nwwn = 10:00:00:00:c9:7d:00:01\nflags = 80007e0d\nserial = KF1602A0001\n"
    "port-type = FC\nbus = 0B\ndevice-id = 7D00\nvendor-id = 1A5C\nsub-device-id = 7D99\n"
    "sub-vendor-id = 1A5C\nheader-type = 80\nfw-version = 2.82A4\nsli3-fw = 2.82A4\n"
    "sli2-fw = 2.82A4\nboot-code = Enabled\nboot-version = 5.12A0\nwakeup-token = 0000E700\n",
    {"hbaattrib 10:00:00:00:C9:7D:00:01", "wakeup 10:00:00:00:C9:7D:00:01",
     "pcidata 10:00:00:00:C9:7D:00:01"}};
constexpr char kKf1602Wwn[] = "10:00:00:00:C9:7D:00:01";

// A single-port 8G Fibre Channel adapter (KF810: firmware BF, x86 boot code
// BB), boot code disabled: the program enables it to read its version and
// disables it again, and disables it once more after a boot code download.
inline const SimulatedPort kKf810 = {
    "[port]\nwwn = 10:00:00:00:c9:54:00:01\nflags = 80005400\nserial = KF810C0042\n"
    "port-type = FC\nbus = 0C\ndevice-id = 5400\nvendor-id = 1A5C\nsub-device-id = 5401\n"
    "sub-vendor-id = 1A5C\nheader-type = 00\nfw-version = 2.10A6\nboot-code = Disabled\n"
    "boot-version = 4.30A2\nwakeup-token = 0000C100\n",
    {"hbaattrib 10:00:00:00:C9:54:00:01", "enablebootcode 10:00:00:00:C9:54:00:01 E",
     "hbaattrib 10:00:00:00:C9:54:00:01", "wakeup 10:00:00:00:C9:54:00:01",
     "enablebootcode 10:00:00:00:C9:54:00:01 D"}};
constexpr char kKf810Wwn[] = "10:00:00:00:C9:54:00:01";

// A first-generation converged adapter (KC2100, KX2 images) with a NIC and an
// FCoE function; its downloads ask for a reboot.
inline const SimulatedPort kKc2100Nic = {
    "[port]\nmac = 00-90-fa-3a-00-01\nflags = 80000000\nserial = KC2100B0007\nport-type = NIC\n"
    "bus = 21\ndevice-id = 3A00\nvendor-id = 1A5C\nsub-device-id = 3A01\nsub-vendor-id = 1A5C\n"
    "fw-version = 4.0.360.15\nboot-code = 4.0.360.15\nreboot = yes\n",
    {"hbaattrib 00-90-FA-3A-00-01"}};
inline const SimulatedPort kKc2100Fcoe = {
    "[port]\nwwn = 10:00:00:90:fa:3a:00:02\nflags = 80000000\nserial = KC2100B0007\n"
    "port-type = FCoE\nbus = 21\ndevice-id = 3A04\nvendor-id = 1A5C\nsub-device-id = 3A05\n"
    "sub-vendor-id = 1A5C\nfw-version = 4.0.360.15\nboot-code = 4.0.360.15\nreboot = yes\n",
    {"hbaattrib 10:00:00:90:FA:3A:00:02"}};
constexpr char kKc2100Mac[] = "00-90-FA-3A-00-01";

// A second-generation converged adapter (KC3200, KX3 images) with a NIC and
// an FCoE function; its downloads complete without asking for a reboot.
inline const SimulatedPort kKc3200Nic = {
    "[port]\nmac = 00-90-fa-3b-00-01\nflags = 80000000\nserial = KC3200D0002\nport-type = NIC\n"
    "bus = 31\ndevice-id = 3A10\nvendor-id = 1A5C\nsub-device-id = 3A11\nsub-vendor-id = 1A5C\n"
    "fw-version = 4.1.0.0\nboot-code = 4.1.0.0\n",
    {"hbaattrib 00-90-FA-3B-00-01"}};
inline const SimulatedPort kKc3200Fcoe = {
    "[port]\nwwn = 10:00:00:90:fa:3b:00:02\nflags = 80000000\nserial = KC3200D0002\n"
    "port-type = FCoE\nbus = 31\ndevice-id = 3A14\nvendor-id = 1A5C\nsub-device-id = 3A15\n"
    "sub-vendor-id = 1A5C\nfw-version = 4.1.0.0\nboot-code = 4.1.0.0\n",
    {"hbaattrib 10:00:00:90:FA:3B:00:02"}};
constexpr char kKc3200Mac[] = "00-90-FA-3B-00-01";

// Converged adapters of the gated OEM group: one still below the fpga
// version 4.0.360.15 (unsupported), one at it.
inline const SimulatedPort kGatedOld = {
    "[port]\nmac = 00-90-fa-3c-00-01\nflags = 80000000\nserial = KC2100G0001\nport-type = NIC\n"
    "bus = 41\ndevice-id = 3A00\nvendor-id = 1A5C\nsub-device-id = 174B\nsub-vendor-id = 103C\n"
    "fw-version = 4.0.300.1\nboot-code = 4.0.300.1\n",
    {"hbaattrib 00-90-FA-3C-00-01"}};
inline const SimulatedPort kGatedCurrent = {
    "[port]\nwwn = 10:00:00:90:fa:3d:00:02\nflags = 80000000\nserial = KC2100G0002\n"
    "port-type = FCoE\nbus = 42\ndevice-id = 3A04\nvendor-id = 1A5C\nsub-device-id = 1749\n"
    "sub-vendor-id = 103C\nfw-version = 4.0.360.15\nboot-code = 4.0.360.15\n",
    {"hbaattrib 10:00:00:90:FA:3D:00:02"}};
constexpr char kGatedCurrentWwn[] = "10:00:00:90:FA:3D:00:02";

// A Fibre Channel port whose device ID names no model the program knows.
inline const SimulatedPort kUnknownModel = {
    "[port]\nwwn = 10:00:00:00:c9:12:00:01\nflags = 80001200\nserial = KF999X0001\n"
    "port-type = FC\nbus = 12\ndevice-id = 1200\nvendor-id = 1A5C\nsub-device-id = 1201\n"
    "sub-vendor-id = 1A5C\nfw-version = 1.00A0\nboot-code = Enabled\nboot-version = 1.00A0\n"
    "wakeup-token = 0000E700\n",
    {"hbaattrib 10:00:00:00:C9:12:00:01", "wakeup 10:00:00:00:C9:12:00:01"}};

}  // namespace ports
}  // namespace vornup
