#!/usr/bin/env python3
"""Checks every run report that the end-to-end runs kept against the schema.

    check_reports.py <check-report.py> <report.schema.json> <folder>

The checker's own rules apply (tools/check-report.py): UTF-8 JSON without
duplicate names, the schema, the two exit codes, the port numbers. Exit
status 0 when every report passes; 1 when one does not, or when the folder
holds no report at all (the end-to-end tests did not run).
"""

import contextlib
import importlib.util
import io
import os
import sys


def main(argv):
    if len(argv) != 4:
        print("usage: check_reports.py <check-report.py> <schema> <folder>", file=sys.stderr)
        return 2
    checker_path, schema_path, folder = argv[1:]
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
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
