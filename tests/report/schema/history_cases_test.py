#!/usr/bin/env python3
"""The run history's schema, case by case.

    history_cases_test.py <history.schema.json> <this folder>

Every line of history/valid.jsonl must pass; every change in CHANGES (made to
its second line, a run with a completed and a failed download) must fail,
and name the expected place.
"""

import json
import os
import sys

import jsonschema

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from json_changes import DELETE, changed  # noqa: E402

# What, the path to change, the new value (or DELETE), the place named.
CHANGES = [
    ("schema version 2", ["schema_version"], 2, "schema_version"),
    ("no user", ["user"], DELETE, ""),
    ("local time", ["time"], "2026-12-10T23:14:03+01:00", "time"),
    ("exit code outside the table", ["exit_code"], 8, "exit_code"),
    ("interrupted with exit code 0", ["interrupted"], True, "exit_code"),
    ("unknown field", ["extra"], 1, ""),
    ("unknown port type", ["adapters", 0, "port_type"], "Ethernet", "adapters/0/port_type"),
    ("upper-case digest", ["adapters", 0, "firmware", "image", "sha256"], "9F" * 32,
     "adapters/0/firmware/image/sha256"),
    ("short digest", ["adapters", 0, "firmware", "image", "sha256"], "ab", "adapters/0/firmware/image/sha256"),
    ("downloaded without image", ["adapters", 0, "firmware", "image"], None, "adapters/0/firmware/image"),
    ("failed without reason", ["adapters", 1, "boot_code", "reason"], None,
     "adapters/1/boot_code/reason"),
    ("failed but a version after", ["adapters", 1, "boot_code", "after"], "BB440A0",
     "adapters/1/boot_code/after"),
    ("unknown outcome", ["adapters", 0, "firmware", "outcome"], "flashed", "adapters/0/firmware/outcome"),
]


def place(error):
    return "/".join(str(part) for part in error.absolute_path)


def near(found, expected):
    """The place named is the expected one, inside it, or (for a rule on an
    object) the object that holds it."""
    return (found == expected or found.startswith(expected + "/") or
            (expected.startswith(found + "/") if found else expected == ""))


def main(argv):
    schema_path, folder = argv[1:3]
    with open(schema_path, encoding="utf-8") as schema_file:
        validator = jsonschema.Draft202012Validator(json.load(schema_file))
    with open(os.path.join(folder, "history", "valid.jsonl"), encoding="utf-8") as lines:
        valid = [json.loads(line) for line in lines]
    failures = [f"valid line {n}: {e.message}" for n, line in enumerate(valid, 1)
                for e in validator.iter_errors(line)]
    for name, path, value, expected in CHANGES:
        line = changed(valid[1], path, value)
        places = {place(e) for e in validator.iter_errors(line)}
        if not places:
            failures.append(f"{name}: passed")
        elif not any(near(p, expected) for p in places):
            failures.append(f"{name}: named {sorted(places)}, not {expected!r}")
    for failure in failures:
        print(failure, file=sys.stderr)
    print(f"{len(valid)} valid lines, {len(CHANGES)} changes, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
