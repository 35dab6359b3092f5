#!/usr/bin/env python3
"""The run report schema and its checker, case by case.

    schema_cases_test.py <check-report.py> <report.schema.json> <this folder>

Every document in valid/ must pass. Every document in invalid/ (bytes that
are no report's JSON) and every change in CHANGES below (made to the full
report valid/fwmatrix_update_reboot.json) must fail, and for its own reason:
the checker names the expected place (or a place inside it) and words, and
no other place.
"""

import contextlib
import copy
import importlib.util
import io
import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from json_changes import DELETE, changed as changed_at  # noqa: E402

BASE = "fwmatrix_update_reboot.json"

# Raw documents: file name, words the checker must print.
RAW = [
    ("not_utf8.json", "not UTF-8 at byte"),
    ("duplicate_name.json", "duplicate name 'schema_version'"),
    ("nan_number.json", "non-standard number NaN"),
    ("byte_order_mark.json", "byte order mark"),
    ("truncated.json", "not JSON"),
    ("raw_control_character.json", "not JSON"),
]

# Changes to the base report: what, the path to change, the new value (or
# DELETE), the place the checker must name, words it must print there.
CHANGES = [
    ("schema version 2", ["schema_version"], 2, "/schema_version", "1"),
    ("schema version as text", ["schema_version"], "1", "/schema_version", "1"),
    ("no schema version", ["schema_version"], DELETE, "the document", "schema_version"),
    ("unknown top-level field", ["extra"], True, "the document", "extra"),
    ("other program name", ["program", "name"], "fwupdate", "/program/name", "vornup"),
    ("three-part version", ["program", "version"], "6.0.23", "/program/version", "6.0.23"),
    ("no host", ["host"], DELETE, "the document", "host"),
    ("local time with offset", ["started"], "2026-12-08T22:40:00+01:00", "/started", "+01:00"),
    ("time without seconds", ["ended"], "2026-12-08T21:40Z", "/ended", "21:40Z"),
    ("month 13", ["ended"], "2026-13-08T21:40:03Z", "/ended", "2026-13"),
    ("command line as one string", ["command_line"], "/update /json=r.json", "/command_line",
     "/update"),
    ("number in command line", ["command_line", 0], 7, "/command_line/0", "7"),
    ("unknown mode", ["mode"], "matrix", "/mode", "matrix"),
    ("unknown operation", ["operation"], "flash", "/operation", "flash"),
    ("preview as text", ["preview"], "false", "/preview", "false"),
    ("tool path as number", ["tool_path"], 0, "/tool_path", "0"),
    ("no tool path field", ["tool_path"], DELETE, "the document", "tool_path"),
    ("ports as object", ["ports"], {}, "/ports", "{}"),
    ("exit code outside the table", ["exit_code"], 8, "/exit_code", "8 is not one of"),
    ("exit code as text", ["exit_code"], "3", "/exit_code", "3"),
    ("status without text", ["status", "text"], DELETE, "/status", "text"),
    ("empty status text", ["status", "text"], "", "/status/text", "''"),
    ("status exit code outside the table", ["status", "exit_code"], 9, "/status/exit_code", "9"),
    ("exit codes disagree", ["status", "exit_code"], 2, "/exit_code", "status line names 2"),
    ("reboot flag as number", ["reboot_required"], 1, "/reboot_required", "1"),
    ("no interrupted flag", ["interrupted"], DELETE, "the document", "interrupted"),
    ("interrupted but exit code 3", ["interrupted"], True, "/exit_code", "3"),
    ("interrupt code but not interrupted", None, None, "/exit_code", "130"),
    ("in progress flag as text", ["in_progress"], "yes", "/in_progress", "yes"),
    ("in progress with an exit code", None, None, "/exit_code", "3"),
    # Ports.
    ("port numbered from 0", ["ports", 0, "number"], 0, "/ports/0/number", "0"),
    ("ports out of order", ["ports", 1, "number"], 3, "/ports/1/number", "expected 2"),
    ("unknown port type", ["ports", 0, "port_type"], "Ethernet", "/ports/0/port_type",
     "Ethernet"),
    ("lower-case port type", ["ports", 2, "port_type"], "nic", "/ports/2/port_type", "nic"),
    ("address kind ip", ["ports", 0, "address_kind"], "ip", "/ports/0/address_kind", "ip"),
    ("lower-case PCI id", ["ports", 0, "pci", "vendor_id"], "1a5c", "/ports/0/pci/vendor_id",
     "1a5c"),
    ("PCI id as number", ["ports", 0, "pci", "device_id"], 32000, "/ports/0/pci/device_id",
     "32000"),
    ("no subsystem id", ["ports", 0, "pci", "subsystem_id"], DELETE, "/ports/0/pci",
     "subsystem_id"),
    ("extra PCI field", ["ports", 0, "pci", "revision"], "01", "/ports/0/pci", "revision"),
    ("negative bus", ["ports", 0, "bus"], -1, "/ports/0/bus", "-1"),
    ("bus as hex text", ["ports", 0, "bus"], "0B", "/ports/0/bus", "0B"),
    ("firmware before null", ["ports", 0, "firmware", "before"], None, "/ports/0/firmware/before",
     "None"),
    ("firmware without after", ["ports", 0, "firmware", "after"], DELETE, "/ports/0/firmware",
     "after"),
    ("boot code after as number", ["ports", 0, "boot_code", "after"], 512,
     "/ports/0/boot_code/after", "512"),
    ("boot code enabled as number", ["ports", 0, "boot_code_enabled"], 1,
     "/ports/0/boot_code_enabled", "1"),
    ("support yes", ["ports", 0, "support"], "yes", "/ports/0/support", "yes"),
    ("unknown port field", ["ports", 0, "slot"], 3, "/ports/0", "slot"),
    ("no boot code result", ["ports", 0, "images", "boot_code"], DELETE, "/ports/0/images",
     "boot_code"),
    # Image results.
    ("unknown decision", ["ports", 0, "images", "firmware", "decision"], "upgrade",
     "/ports/0/images/firmware/decision", "upgrade"),
    ("unknown outcome", ["ports", 0, "images", "firmware", "outcome"], "flashed",
     "/ports/0/images/firmware/outcome", "flashed"),
    ("image without path", ["ports", 0, "images", "firmware", "image", "path"], DELETE,
     "/ports/0/images/firmware/image", "path"),
    ("empty image file name", ["ports", 0, "images", "firmware", "image", "file"], "",
     "/ports/0/images/firmware/image", "''"),
    ("image as file name", ["ports", 0, "images", "firmware", "image"], "zf290a1.all",
     "/ports/0/images/firmware/image", "zf290a1.all"),
    ("no reason field", ["ports", 0, "images", "firmware", "reason"], DELETE,
     "/ports/0/images/firmware", "reason"),
    ("failed without reason", ["ports", 1, "images", "boot_code", "reason"], None,
     "/ports/1/images/boot_code/reason", "None"),
    ("tool reply as list", ["ports", 1, "images", "boot_code", "tool_reply"], ["Download failed"],
     "/ports/1/images/boot_code/tool_reply", "Download failed"),
    ("downloaded without image", ["ports", 0, "images", "firmware", "image"], None,
     "/ports/0/images/firmware/image", "None"),
    ("downloaded though not required", ["ports", 0, "images", "firmware", "decision"],
     "not_required", "/ports/0/images/firmware/decision", "not_required"),
    ("previewed though skipped", None, None, "/ports/3/images/firmware", "skipped"),
    ("digest in capitals", ["ports", 0, "images", "firmware", "image", "sha256"], "AB" * 32,
     "/ports/0/images/firmware/image", "ABAB"),
    ("unknown refusal reason", None, None, "/ports/1/images/boot_code/refusal", "forged"),
    ("refused but downloaded", None, None, "/ports/0/images/firmware", "'failed' was expected"),
]


def special_change(name, report):
    """Changes of more than one field, named in CHANGES without a path."""
    if name == "interrupt code but not interrupted":
        report["exit_code"] = 130
        report["status"]["exit_code"] = 130
    elif name in ("unknown refusal reason", "refused but downloaded"):
        port, kind = (1, "boot_code") if name.startswith("unknown") else (0, "firmware")
        report["ports"][port]["images"][kind]["refusal"] = {
            "reason": "forged" if name.startswith("unknown") else "not_listed",
            "signed_mode": True, "baseline": None}
    elif name == "in progress with an exit code":
        report.update({"in_progress": True, "ended": None, "status": None, "ports": [],
                       "reboot_required": False, "interrupted": False})
    elif name == "previewed though skipped":
        report["ports"][3]["images"]["firmware"]["outcome"] = "previewed"
    else:
        raise KeyError(name)


def changed(base, name, path, value):
    if path is not None:
        return changed_at(base, path, value)
    report = copy.deepcopy(base)
    special_change(name, report)
    return report


def load_checker(path):
    loader_spec = importlib.util.spec_from_file_location("check_report", path)
    module = importlib.util.module_from_spec(loader_spec)
    loader_spec.loader.exec_module(module)
    return module


def check(checker, schema, document):
    """The checker's exit status and what it printed on standard error."""
    errors = io.StringIO()
    with contextlib.redirect_stderr(errors):
        code = checker.main(["check-report.py", schema, document])
    return code, errors.getvalue()


def check_as_program(checker, schema, document):
    """The same, as a program of its own: the way tests and scripts call it."""
    result = subprocess.run([sys.executable, checker, schema, document], capture_output=True,
                            text=True, errors="replace")
    return result.returncode, result.stderr


def fault_places(stderr, document):
    """The places the checker named, one per fault line."""
    places = []
    for line in stderr.splitlines():
        if not line.startswith(document + ": "):
            places.append(None)
            continue
        fault = line[len(document) + 2:]
        places.append(fault.split(":", 1)[0] if fault.startswith("/") or
                      fault.startswith("the document") else fault)
    return places


def within(found, place):
    """A fault at the expected place or inside it."""
    return found is not None and (found == place or found.startswith(place + "/"))


def main(argv):
    checker_path, schema, folder = argv[1], argv[2], argv[3]
    checker = load_checker(checker_path)
    failures = []
    cases = 0

    # As a program: the exit status tells valid from invalid.
    for subfolder, name, expected in [("valid", BASE, 0), ("invalid", "truncated.json", 1)]:
        cases += 1
        code, stderr = check_as_program(checker_path, schema, os.path.join(folder, subfolder, name))
        if code != expected:
            failures.append(f"{checker_path} {subfolder}/{name}: exit {code}, expected "
                            f"{expected}\n{stderr}")

    valid = sorted(os.listdir(os.path.join(folder, "valid")))
    for name in valid:
        cases += 1
        code, stderr = check(checker, schema, os.path.join(folder, "valid", name))
        if code != 0:
            failures.append(f"valid/{name}: exit {code}\n{stderr}")

    for name, words in RAW:
        cases += 1
        document = os.path.join(folder, "invalid", name)
        code, stderr = check(checker, schema, document)
        if code != 1 or words not in stderr:
            failures.append(f"invalid/{name}: exit {code}, expected 1 and '{words}':\n{stderr}")

    with open(os.path.join(folder, "valid", BASE), encoding="utf-8") as file:
        base = json.load(file)
    with tempfile.TemporaryDirectory() as scratch:
        for name, path, value, place, words in CHANGES:
            cases += 1
            document = os.path.join(scratch, "report.json")
            with open(document, "w", encoding="utf-8") as file:
                json.dump(changed(base, name, path, value), file)
            code, stderr = check(checker, schema, document)
            places = fault_places(stderr, document)
            lines = [line for line in stderr.splitlines() if line.startswith(place, len(document) + 2)]
            if code != 1:
                failures.append(f"{name}: exit {code}, expected 1:\n{stderr}")
            elif not places or not all(within(p, place) for p in places):
                failures.append(f"{name}: expected faults at {place} only, got:\n{stderr}")
            elif not any(words in line for line in lines):
                failures.append(f"{name}: no '{words}' at {place}:\n{stderr}")

    for failure in failures:
        print("FAILED " + failure, file=sys.stderr)
    print(f"{cases - len(failures)} of {cases} cases as expected")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
