#!/usr/bin/env python3
"""The baseline schema and the script that writes baselines.

    baseline_schema_test.py <make-baseline.py> <baseline.schema.json>

A baseline that tools/make-baseline.py writes for a folder of images must
pass the schema and list each image with its digest; every change in
CHANGES must fail it.
"""

import hashlib
import json
import os
import subprocess
import sys
import tempfile

import jsonschema

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from json_changes import DELETE, changed  # noqa: E402

DIGEST = "ab" * 32

# What, the path to change, the new value (or DELETE).
CHANGES = [
    ("version 0", ["version"], 0),
    ("version as text", ["version"], "5"),
    ("fractional version", ["version"], 5.5),
    ("expiry without zone", ["expires"], "2027-01-31T12:00:00"),
    ("no expiry", ["expires"], DELETE),
    ("unknown key", ["owner"], "ops"),
    ("short digest", ["images", 0, "sha256"], DIGEST[:-1]),
    ("digest with a non-hex digit", ["images", 0, "sha256"], DIGEST[:-1] + "g"),
    ("file with a folder", ["images", 0, "file"], "sub/zf290a1.all"),
    ("unknown kind", ["images", 0, "kind"], "bios"),
    ("empty model list", ["images", 0, "models"], []),
    ("blocked digest as number", ["blocked"], [7]),
]


def main(argv):
    script, schema_path = argv[1], argv[2]
    with open(schema_path, encoding="utf-8") as file:
        schema = json.load(file)
    validator = jsonschema.Draft202012Validator(schema)
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        contents = {"firmware/zf290a1.all": b"firmware bytes", "boot/zu520a0.prg": b"boot bytes"}
        for name, data in contents.items():
            os.makedirs(os.path.join(folder, os.path.dirname(name)), exist_ok=True)
            with open(os.path.join(folder, name), "wb") as file:
                file.write(data)
        result = subprocess.run([sys.executable, script, "--version", "3", "--expires",
                                 "2027-01-31T12:00:00Z", "--model", "zf290a1.all=KF1602",
                                 "--block", DIGEST.upper(), folder],
                                capture_output=True, text=True, check=True)
        baseline = json.loads(result.stdout)
    expected = [{"sha256": hashlib.sha256(b"firmware bytes").hexdigest(), "file": "zf290a1.all",
                 "kind": "firmware", "models": ["KF1602"]},
                {"sha256": hashlib.sha256(b"boot bytes").hexdigest(), "file": "zu520a0.prg",
                 "kind": "boot_code"}]
    if baseline["images"] != expected or baseline["blocked"] != [DIGEST]:
        failures.append(f"the script wrote {baseline}")
    for error in validator.iter_errors(baseline):
        failures.append(f"the script's baseline fails the schema: {error.message}")
    for what, path, value in CHANGES:
        if validator.is_valid(changed(baseline, path, value)):
            failures.append(f"{what}: passes the schema")
    for failure in failures:
        print(failure, file=sys.stderr)
    print(f"{len(CHANGES) + 1} cases, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
