#!/usr/bin/env python3
"""Builds the simulated fleet of the Ansible tests in a scratch folder, or
starts its simulated hosts afresh (--fresh)."""

import argparse
import hashlib
import json
import os
import shutil
import subprocess
import sys

HOSTS = ["alpha", "bravo", "charlie", "delta", "echo", "foxtrot", "golf"]
# delta first: its downloads fail, so the canary batch stops the rollout.
CANARY_ORDER = ["delta", "alpha", "bravo", "charlie", "echo", "foxtrot", "golf"]
# A first batch of three (serial 3): two hosts that need a reboot beside
# delta, whose downloads fail.
BATCH_ORDER = ["bravo", "delta", "alpha", "charlie", "echo", "foxtrot", "golf"]
MODES = {"bravo": "fwmatrix"}
# Host variables of single hosts: foxtrot has no adapter of a known model
# (exit code 5, ok by choice); golf's tool hangs, and its run is stopped
# at a short time limit (a hung query: vornup ends it at the interrupt,
# where a download in progress would be left to finish).
HOST_VARS = {
    "foxtrot": {"vornup_no_adapters_ok": True},
    "golf": {"vornup_time_limit": 4, "vornup_poll_interval": 1},
}
HOST_ENVIRONMENT = {"golf": {"TANDREL_SIM_DELAY": "listhbas 600000"}}

KF1602 = """[port]
wwn = 10:00:00:00:c9:7d:00:01
flags = 80007e0d
serial = KF1602A0001
port-type = FC
bus = 0B
device-id = 7D00
vendor-id = 1A5C
sub-device-id = 7D99
sub-vendor-id = 1A5C
header-type = 80
fw-version = {fw}
sli3-fw = {fw}
sli2-fw = {fw}
boot-code = Enabled
boot-version = {boot}
wakeup-token = 0000E700
"""

KF810_FAILING = """[port]
wwn = 10:00:00:00:c9:54:00:01
flags = 80005400
serial = KF810C0042
port-type = FC
bus = 0C
device-id = 5400
vendor-id = 1A5C
sub-device-id = 5401
sub-vendor-id = 1A5C
header-type = 00
fw-version = 2.10A6
boot-code = Disabled
boot-version = 4.30A2
wakeup-token = 0000C100
download = fail
"""

UNKNOWN = """[port]
wwn = 10:00:00:00:c9:99:00:01
flags = 80007e0d
serial = XX0001
port-type = FC
bus = 0D
device-id = 9999
vendor-id = 1A5C
sub-device-id = 9999
sub-vendor-id = 1A5C
header-type = 00
fw-version = 1.00A0
boot-code = Disabled
boot-version = 1.00A0
wakeup-token = 0000C100
"""

IMAGES = [
    ["all", "--sub", "dwc,7,225,0x2911,4096", "-o", "firmware/zf290a1.all"],
    ["all", "--sub", "dwc,7,193,0x2610,4096", "-o", "firmware/bf260a0.all"],
    ["ufi", "--chip", "kx2", "--version", "4.1.0.0", "-o", "firmware/kc2100-4100.ufi"],
    ["prg", "--image-id", "231", "--version", "0x5193", "--rom-device-id", "0x7D00", "-o", "boot/zu512a3.prg"],
    ["prg", "--image-id", "193", "--version", "0x4351", "--rom-device-id", "0x5400", "-o", "boot/bb431a1.prg"],
]


def host_text(name, source):
    if name in ("alpha", "bravo", "echo", "golf") or name.startswith("scale"):
        with open(os.path.join(source, "sim", "hosts", "example.txt")) as f:
            return f.read().replace("name = dbserver01", "name = " + name)
    body = {
        "charlie": KF1602.format(fw="2.90A1", boot="5.12A3"),
        "delta": KF810_FAILING,
        "foxtrot": UNKNOWN,
    }[name]
    return "[host]\nname = {}\n\n{}".format(name, body)


def fresh(scratch):
    for name in HOSTS:
        quenmar = os.path.join(scratch, "hosts", name, "korvane", "Quenmar")
        state = os.path.join(quenmar, "host.txt.state")
        if os.path.exists(state):
            os.unlink(state)
        open(os.path.join(scratch, "hosts", name, "sim.log"), "w").close()
        marker = os.path.join(scratch, "hosts", name, "vornup", "reboot-pending")
        if os.path.exists(marker):
            os.unlink(marker)


def inventory(scratch, controller, order, program):
    hosts = {}
    for name in order:
        h = os.path.join(scratch, "hosts", name)
        hosts[name] = dict(HOST_VARS.get(name, {}), **{
            "vornup_install_dir": os.path.join(h, "vornup"),
            "vornup_mode": MODES.get(name, "auto"),
            # Each host's boot; the test writes a new one for a reboot.
            "vornup_boot_id_file": os.path.join(h, "boot_id"),
            # The history's place is the host's HistoryFile setting (build()).
            "vornup_history_file": os.path.join(h, "history.jsonl"),
            "vornup_metrics_file": os.path.join(h, "vornup.prom"),
            "vornup_environment": dict(HOST_ENVIRONMENT.get(name, {}), **{
                "VORNUP_REGISTRY_ROOT": os.path.join(h, "registry"),
                # Each simulated host takes a host lock of its own.
                "VORNUP_TEST_LOCK_DIRECTORY": h,
                "TEMP": os.path.join(h, "temp"),
                "TANDREL_SIM_LOG": os.path.join(h, "sim.log"),
            }),
        })
    return {"all": {"children": {"vornup_fleet": {
        "hosts": hosts,
        "vars": {
            "ansible_connection": "local",
            "ansible_python_interpreter": "/usr/bin/python3",
            "vornup_program_src": program,
            "vornup_firmware_src": os.path.join(controller, "firmware"),
            "vornup_boot_src": os.path.join(controller, "boot"),
            "vornup_fwmatrix_src": os.path.join(controller, "fwmatrix.txt"),
            "vornup_lock_retries": 2,
            "vornup_lock_delay": 1,
            "vornup_poll_interval": 1,
            "vornup_collect_history": True,
            "vornup_collect_metrics": True,
            "vornup_reboot_allowed": False,
            "vornup_gather_os": False,
            "vornup_is_windows": False,
        }}}}}


def signed_baseline(controller, source):
    """A key made now, and a baseline signed with it that approves every
    image but blocks zf290a1.all (controller/signed/)."""
    signed = os.path.join(controller, "signed")
    os.makedirs(signed, exist_ok=True)
    key, public = os.path.join(signed, "key.pem"), os.path.join(signed, "fleet-key.pem")
    run = lambda *args: subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    run("openssl", "ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", key)
    run("openssl", "ec", "-in", key, "-pubout", "-out", public)
    with open(os.path.join(controller, "firmware", "zf290a1.all"), "rb") as f:
        blocked = hashlib.sha256(f.read()).hexdigest()
    with open(os.path.join(signed, "baseline.json"), "w") as f:
        subprocess.run([sys.executable, os.path.join(source, "tools", "make-baseline.py"), "--version", "1",
                        "--expires", "2099-01-01T00:00:00Z", "--key", public, "--block", blocked, controller],
                       check=True, stdout=f)
    run("openssl", "dgst", "-sha256", "-sign", key, "-out", os.path.join(signed, "baseline.json.sig"),
        os.path.join(signed, "baseline.json"))


def build(scratch, source, build_dir, program, scale=0, delay=0):
    global HOSTS
    if scale:
        # A fleet of like hosts whose every download takes `delay` ms.
        HOSTS = ["scale{:04d}".format(n) for n in range(1, scale + 1)]
        for name in HOSTS:
            HOST_ENVIRONMENT[name] = {"TANDREL_SIM_DELAY": "download {}".format(delay)}
    controller = os.path.join(scratch, "controller")
    for sub in ("firmware", "boot"):
        os.makedirs(os.path.join(controller, sub), exist_ok=True)
    maker = os.path.join(build_dir, "tools", "imagemaker", "vornup-imagemaker")
    for args in IMAGES:
        subprocess.run([maker] + args, cwd=controller, check=True, stdout=subprocess.DEVNULL)
    shutil.copy(os.path.join(source, "examples", "fwmatrix.txt"), controller)
    if not scale:
        signed_baseline(controller, source)
    for name in HOSTS:
        h = os.path.join(scratch, "hosts", name)
        quenmar = os.path.join(h, "korvane", "Quenmar")
        key = os.path.join(h, "registry", "SOFTWARE", "Korvane", "Quenmar")
        for d in (quenmar, key, os.path.join(h, "temp")):
            os.makedirs(d, exist_ok=True)
        shutil.copy(os.path.join(build_dir, "sim", "Tandrel"), quenmar)
        with open(os.path.join(quenmar, "host.txt"), "w") as f:
            f.write(host_text(name, source))
        with open(os.path.join(key, "QuenmarDir"), "w") as f:
            f.write(os.path.join(h, "korvane") + "/")
        settings = os.path.join(h, "registry", "SOFTWARE", "Korvane", "vornup")
        os.makedirs(settings, exist_ok=True)
        with open(os.path.join(settings, "HistoryFile"), "w") as f:
            f.write(os.path.join(h, "history.jsonl"))
        with open(os.path.join(h, "boot_id"), "w") as f:
            f.write("boot-1\n")
    orders = (("inventory.yml", HOSTS), ("inventory-canary.yml", CANARY_ORDER),
              ("inventory-batch.yml", BATCH_ORDER))
    for file_name, order in orders[:1] if scale else orders:
        with open(os.path.join(scratch, file_name), "w") as f:
            json.dump(inventory(scratch, controller, order, program), f, indent=1)
    fresh(scratch)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--scratch", required=True)
    parser.add_argument("--fresh", action="store_true")
    parser.add_argument("--source")
    parser.add_argument("--build")
    parser.add_argument("--program")
    parser.add_argument("--scale", type=int, default=0, help="build this many like hosts instead")
    parser.add_argument("--delay", type=int, default=0, help="milliseconds each download of --scale hosts takes")
    args = parser.parse_args()
    if args.fresh:
        fresh(args.scratch)
    else:
        build(args.scratch, args.source, args.build, args.program, args.scale, args.delay)


if __name__ == "__main__":
    main()
