# -*- coding: utf-8 -*-
"""Turns one vornup run (its exit code and its JSON run report) into an
Ansible result: changed, ok or failed, with a message an administrator can
act on.

The logic is plain Python so that it can be tested without Ansible; the
FilterModule at the end exposes it to the role as the `vornup_verdict`
filter.
"""

from __future__ import annotations

# Exit codes of one run and what they mean for a rollout. A report, where
# there is one, says more (which adapters, which images); the table decides
# when there is none.
SUCCESS_CODES = {0, 11}            # the required downloads succeeded
NOTHING_CODES = {1, 5, 12}         # nothing needed / no known adapter here
FAILURE_CODES = {2, 3, 4, 6, 7, 13, 14, 15, 16}
LOCK_CODES = {"posix": 75, "windows": 1618}
INTERRUPT_CODE_WINDOWS = 1602

CODE_MEANINGS = {
    0: "all required downloads succeeded",
    1: "no download was needed",
    2: "setup error, or every required download failed",
    3: "some required downloads failed",
    4: "switch error, or the management tool is missing or unusable",
    5: "no adapter of a known model found",
    6: "the firmware or boot folder beside the program is missing",
    7: "no usable image for any adapter",
    11: "required downloads succeeded; some adapters unsupported",
    12: "no download was needed; some adapters unsupported",
    13: "every required download failed; some adapters unsupported",
    14: "some required downloads failed; some adapters unsupported",
    15: "every adapter unsupported",
    16: "no usable image; some adapters unsupported",
    75: "another vornup run is in progress",
    1618: "another vornup run is in progress",
    1602: "the run was interrupted",
}

IMAGE_KINDS = ("firmware", "boot_code")


def _family(windows):
    return "windows" if windows else "posix"


def is_lock_code(rc, windows=False):
    """True when the exit code says another run holds the host-wide lock."""
    return rc == LOCK_CODES[_family(windows)]


def is_interrupt_code(rc, windows=False):
    if rc is None:
        return False
    if windows:
        return rc == INTERRUPT_CODE_WINDOWS
    return rc >= 128


def _port_name(port):
    return "port {} {} {}".format(port.get("number", "?"),
                                  port.get("model") or "unknown model",
                                  port.get("address") or "no address")


def _images(port):
    images = port.get("images") or {}
    for kind in IMAGE_KINDS:
        entry = images.get(kind)
        if isinstance(entry, dict):
            yield kind, entry


def _image_file(entry):
    image = entry.get("image") or {}
    return image.get("file") or "no image"


def port_events(report):
    """Lists (port, kind, entry) for every image entry of the report."""
    for port in report.get("ports") or []:
        if isinstance(port, dict):
            for kind, entry in _images(port):
                yield port, kind, entry


def describe_failures(report):
    """One line per image download that failed."""
    lines = []
    for port, kind, entry in port_events(report):
        if entry.get("outcome") == "failed":
            line = "{}: {} {} failed".format(_port_name(port), kind.replace("_", " "),
                                              _image_file(entry))
            if entry.get("reason"):
                line += ": " + str(entry["reason"])
            if entry.get("tool_reply"):
                line += " (tool: " + " ".join(str(entry["tool_reply"]).split()) + ")"
            lines.append(line)
    return lines


def describe_unserved(report):
    """Ports the run could not serve although it found them (no image, unsupported)."""
    lines = []
    for port, kind, entry in port_events(report):
        if entry.get("decision") in ("no_compatible_image", "unsupported"):
            lines.append("{}: {} {}".format(_port_name(port), kind.replace("_", " "),
                                            entry["decision"].replace("_", " ")))
    return lines


def _downloads(report, outcome):
    return ["{}: {} {}".format(_port_name(port), kind.replace("_", " "), _image_file(entry))
            for port, kind, entry in port_events(report) if entry.get("outcome") == outcome]


def judge(report, rc, windows=False, check_mode=False, attempts=1, operation=None):
    """Decides the Ansible result of one run.

    report: the parsed run report, or None when the run left none.
    rc: the program's exit code (None when it did not start).
    check_mode: the run was a preview; would-be downloads count as changes.
    attempts: how many times the run was started (lock retries included).
    operation: the operation asked for; a query never counts as a change.
    """
    verdict = {
        "changed": False,
        "failed": False,
        "msg": "",
        "exit_code": rc,
        "status": None,
        "failing_adapters": [],
        "downloads": [],
        "would_download": [],
        "reboot_required": False,
        "interrupted": False,
        "lock_busy": False,
        "report_missing": report is None,
    }
    if report is not None and not isinstance(report, dict):
        verdict.update(failed=True, msg="the run report is not a JSON object")
        return verdict

    if rc is None:
        verdict.update(failed=True, msg="vornup did not run")
        return verdict

    if is_lock_code(rc, windows):
        verdict.update(failed=True, lock_busy=True,
                       msg="another vornup run is in progress on this host; "
                           "gave up after {} attempt(s)".format(attempts))
        return verdict

    if report is not None:
        status = report.get("status") or {}
        verdict["status"] = status.get("text")
        verdict["reboot_required"] = bool(report.get("reboot_required"))
        verdict["downloads"] = _downloads(report, "downloaded")
        verdict["would_download"] = _downloads(report, "previewed")
        verdict["failing_adapters"] = describe_failures(report)
        reported_rc = report.get("exit_code")
        if reported_rc is not None and reported_rc != rc:
            verdict.update(failed=True,
                           msg="vornup ended with exit code {} but its report says {}"
                               .format(rc, reported_rc))
            return verdict

    interrupted = is_interrupt_code(rc, windows) or bool(report and report.get("interrupted"))
    # A download that completed before the interruption still changed the host.
    verdict["changed"] = bool(verdict["downloads"]) or (check_mode and bool(verdict["would_download"]))
    if interrupted:
        verdict.update(failed=True, interrupted=True,
                       msg=_with_status("vornup was interrupted (exit code {})".format(rc),
                                        verdict))
        return verdict

    if rc in FAILURE_CODES or verdict["failing_adapters"] or rc not in SUCCESS_CODES | NOTHING_CODES:
        if report is not None and not verdict["failing_adapters"]:
            verdict["failing_adapters"] = describe_unserved(report)
        meaning = CODE_MEANINGS.get(rc, "an exit code vornup does not document")
        verdict.update(failed=True,
                       msg=_with_status("vornup failed with exit code {} ({})".format(rc, meaning),
                                        verdict))
        return verdict

    if report is None and rc in SUCCESS_CODES and not check_mode and operation != "query":
        # Without a report the code cannot say whether anything was flashed;
        # a success code of an operation run is taken as a change.
        verdict["changed"] = True
    verdict["msg"] = _with_status(CODE_MEANINGS[rc], verdict)
    return verdict


def _with_status(text, verdict):
    parts = [text]
    if verdict["status"]:
        parts.append("status: " + verdict["status"])
    if verdict["failing_adapters"]:
        parts.append("failing: " + "; ".join(verdict["failing_adapters"]))
    if verdict["report_missing"]:
        parts.append("no run report")
    return " - ".join(parts)


def vornup_verdict(report, rc, windows=False, check_mode=False, attempts=1, operation=None):
    if isinstance(rc, str):
        rc = int(rc) if rc.strip().lstrip("-").isdigit() else None
    return judge(report, rc, windows=bool(windows), check_mode=bool(check_mode),
                 attempts=int(attempts or 1), operation=operation)


def vornup_is_lock_code(rc, windows=False):
    return is_lock_code(rc, bool(windows))


class FilterModule(object):
    def filters(self):
        return {
            "vornup_verdict": vornup_verdict,
            "vornup_is_lock_code": vornup_is_lock_code,
        }
