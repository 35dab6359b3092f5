// One sample adapter port of every kind the reports tell apart.
#pragma once

#include "core/adapter.h"

namespace vornup {

inline Adapter sampleFcAdapter() {
  Adapter a;
  a.adapterNumber = 1;
  a.cnaType = kCnaTypeFc;
  a.personality = kCnaTypeFc;
  a.model.set("KV7100");
  a.vornupType.set("KV7100");
  a.portType.set("FC");
  a.wwn.set("10:00:00:00:5E:AA:BB:01");
  a.serialNumber.set("KV71A0001");
  a.fwType.set("KF");
  a.fwVersion.set("282A4");
  a.bootCodeType.set("KU");
  a.bootCodeVersion.set("510A3");
  a.bootEnabled = 1;
  a.supported = 1;
  a.bus = 0x0B;
  a.pciID = 0x7D00;
  a.vendorID = 0x1A5C;
  a.subSysDevID = 0x7D21;
  a.subVenDevID = 0x1A5C;
  return a;
}

inline Adapter sampleFcoeFunction() {
  Adapter a;
  a.adapterNumber = 2;
  a.cnaType = kCnaTypeFcoe;
  a.personality = kCnaTypeFcoe;
  a.model.set("KC20-FCoE");
  a.vornupType.set("KC20-FCoE");
  a.portType.set("FCoE");
  a.wwn.set("10:00:00:00:5E:CC:DD:02");
  a.serialNumber.set("KC20B0002");
  a.fwType.set("C");
  a.fwVersion.set("4.0.360.15");
  a.bootCodeVersion.set("2.1.3.0");
  a.supported = 1;
  a.imageFamily = ImageFamily::kx2;
  a.CNAMajorVer = 4;
  a.CNAReleaseVer = 360;
  a.CNABuildVer = 15;
  a.bus = 0x21;
  a.pciID = 0x3A00;
  a.vendorID = 0x1A5C;
  a.subSysDevID = 0x3A01;
  a.subVenDevID = 0x1A5C;
  return a;
}

inline Adapter sampleNicFunction() {
  Adapter a = sampleFcoeFunction();
  a.adapterNumber = 3;
  a.cnaType = kCnaTypeNic;
  a.model.set("KC20-NIC");
  a.vornupType.set("KC20-NIC");
  a.portType.set("NIC");
  a.wwn.clear();
  a.mac.set("00-11-22-33-44-55");
  return a;
}

inline Adapter sampleIscsiFunction() {
  Adapter a = sampleNicFunction();
  a.adapterNumber = 4;
  a.cnaType = kCnaTypeIscsi;
  a.personality = kCnaTypeIscsi;
  a.model.set("KC30-iSCSI");
  a.vornupType.set("KC30-iSCSI");
  a.portType.set("iSCSI");
  a.mac.set("00-11-22-33-44-66");
  a.fwType.set("D");
  a.fwVersion.set("4.1.0.0");
  a.bootCodeVersion.set("N/A");
  a.imageFamily = ImageFamily::kx3;
  a.pciID = 0x3A10;
  return a;
}

inline Adapter sampleHalvardAdapter() {
  Adapter a;
  a.adapterNumber = 5;
  a.cnaType = kCnaTypeFc;
  a.personality = kCnaTypeFc;
  a.model.set("KH16");
  a.vornupType.set("KH16");
  a.portType.set("FCoE");
  a.wwn.set("20:00:00:00:5E:EE:FF:05");
  a.serialNumber.set("KH16C0005");
  a.fwType.set("H");
  a.fwVersion.set("1.2.30.4");
  a.bootCodeVersion.set("NONE");
  a.supported = 1;
  a.imageFamily = ImageFamily::halvard;
  a.CNAMajorVer = 1;
  a.CNAMinorVer = 2;
  a.CNAReleaseVer = 30;
  a.CNABuildVer = 4;
  a.bus = 0x42;
  a.pciID = 0x6C00;
  a.vendorID = 0x1A5C;
  a.subSysDevID = 0x6C01;
  a.subVenDevID = 0x1A5C;
  return a;
}

}  // namespace vornup
