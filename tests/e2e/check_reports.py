#!/usr/bin/env python3
"""Checks every run report that the end-to-end runs kept against the schema.

    check_reports.py <check-report.py> <report.schema.json> <folder> [<history.schema.json>]

The checker's own rules apply (tools/check-report.py): UTF-8 JSON without
duplicate names, the schema, the two exit codes, the port numbers. Exit
status 0 when every report passes; 1 when one does not, or when the folder
holds no report at all (the end-to-end tests did not run). With the history
schema, every line of every kept run history (*.jsonl) must be a JSON object
that the schema accepts.
"""

import contextlib
import importlib.util
import io
import json
import os
import sys


def check_histories(schema_path, folder):
    import jsonschema
    with open(schema_path, encoding="utf-8") as schema_file:
        validator = jsonschema.Draft202012Validator(json.load(schema_file))
    lines = failed = 0
    for name in sorted(n for n in os.listdir(folder) if n.endswith(".jsonl")):
        with open(os.path.join(folder, name), "rb") as history:
            data = history.read()
        if data and not data.endswith(b"\n"):
            print(f"{name}: the last line has no line end", file=sys.stderr)
            failed += 1
        for number, line in enumerate(data.splitlines(), 1):
            lines += 1
            try:
                errors = [e.message for e in validator.iter_errors(json.loads(line.decode("utf-8")))]
            except ValueError as error:
                errors = [f"not JSON: {error}"]
            if errors:
                failed += 1
                print(f"{name}:{number}: {'; '.join(errors)}", file=sys.stderr)
    print(f"{lines - failed} of {lines} history lines valid")
    return failed


def main(argv):
    if len(argv) not in (4, 5):
        print("usage: check_reports.py <check-report.py> <schema> <folder> [<history schema>]",
              file=sys.stderr)
        return 2
    checker_path, schema_path, folder = argv[1:4]
    loader_spec = importlib.util.spec_from_file_location("check_report", checker_path)
    checker = importlib.util.module_from_spec(loader_spec)
    loader_spec.loader.exec_module(checker)

    names = sorted(name for name in os.listdir(folder) if name.endswith(".json")) \
        if os.path.isdir(folder) else []
    if not names:
        print(f"no run reports in {folder}: the end-to-end tests kept none", file=sys.stderr)
        return 1
    failed = 0
    for name in names:
        errors = io.StringIO()
        with contextlib.redirect_stderr(errors):
            status = checker.main(["check-report.py", schema_path, os.path.join(folder, name)])
        if status != 0:
            failed += 1
            print(errors.getvalue(), end="", file=sys.stderr)
    print(f"{len(names) - failed} of {len(names)} run reports valid")
    if len(argv) == 5:
        failed += check_histories(argv[4], folder)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
