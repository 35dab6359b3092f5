#!/usr/bin/env python3
"""Checks a vornup run report (/json=<file>) against the report schema.

    tools/check-report.py docs/report.schema.json report.json

Exit status: 0 the report is valid; 1 it is not (every fault is listed on
standard error); 2 the schema or the report cannot be read, or the jsonschema
module is missing.

Beyond the schema the report must be UTF-8 JSON without duplicate names or
non-standard numbers (NaN, Infinity), its two exit codes must agree, and its
ports must be numbered 1, 2, 3, ... in order.
"""

import json
import sys


class ReportError(Exception):
    """The document is not JSON as a report must be."""


def reject_duplicates(pairs):
    names = set()
    for name, _ in pairs:
        if name in names:
            raise ReportError(f"duplicate name {name!r} in one object")
        names.add(name)
    return dict(pairs)


def reject_constant(name):
    raise ReportError(f"non-standard number {name}")


def load_json(path):
    with open(path, "rb") as file:
        data = file.read()
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError as error:
        raise ReportError(f"not UTF-8 at byte {error.start}") from None
    if text.startswith("\ufeff"):
        raise ReportError("starts with a byte order mark")
    try:
        return json.loads(text, object_pairs_hook=reject_duplicates,
                          parse_constant=reject_constant)
    except json.JSONDecodeError as error:
        raise ReportError(f"not JSON: {error}") from None


def location(path):
    return "/" + "/".join(str(part) for part in path) if path else "the document"


def consistency_faults(report):
    """Rules between fields that the schema cannot state."""
    faults = []
    if report.get("in_progress") is True:
        return faults
    status = report.get("status") or {}
    if status.get("exit_code") != report.get("exit_code"):
        faults.append(f"/exit_code: {report.get('exit_code')!r} but the status line names "
                      f"{status.get('exit_code')!r}")
    for index, port in enumerate(report.get("ports", [])):
        if port.get("number") != index + 1:
            faults.append(f"/ports/{index}/number: {port.get('number')!r}, expected {index + 1}")
    return faults


def main(argv):
    if len(argv) != 3:
        print("usage: check-report.py <schema.json> <report.json>", file=sys.stderr)
        return 2
    schema_path, report_path = argv[1], argv[2]
    try:
        import jsonschema
        import jsonschema.validators
    except ImportError:
        print("check-report: the Python module jsonschema is missing "
              "(Debian: apt-get install python3-jsonschema)", file=sys.stderr)
        return 2

    try:
        schema = load_json(schema_path)
        validator_class = jsonschema.validators.validator_for(schema)
        validator_class.check_schema(schema)
    except (OSError, ReportError, jsonschema.exceptions.SchemaError) as error:
        print(f"check-report: unusable schema {schema_path}: {error}", file=sys.stderr)
        return 2
    try:
        report = load_json(report_path)
    except OSError as error:
        print(f"check-report: cannot read {report_path}: {error}", file=sys.stderr)
        return 2
    except ReportError as error:
        print(f"{report_path}: {error}", file=sys.stderr)
        return 1

    validator = validator_class(schema)
    faults = [f"{location(error.absolute_path)}: {error.message}"
              for error in sorted(validator.iter_errors(report),
                                  key=lambda e: [str(p) for p in e.absolute_path])]
    if not faults and isinstance(report, dict):
        faults = consistency_faults(report)
    for fault in faults:
        print(f"{report_path}: {fault}", file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
