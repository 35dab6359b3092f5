# -*- coding: utf-8 -*-
"""Turns one vornup run (its exit code and its JSON run report) into an
Ansible result: changed, ok or failed, with a message an administrator can
act on.

The logic is plain Python so that it can be tested without Ansible; the
FilterModule at the end exposes it to the role as the `vornup_verdict`
filter.
"""

from __future__ import annotations

# Exit codes of one run and what they mean for a rollout, with the names the
# program gives them (src/core/exit_codes.h; the unit tests hold this table
# against that header). A report, where there is one, says more (which
# adapters, which images); the table decides when there is none.
#   number: (verdict, names in the program, meaning)
EXIT_CODES = {
    0: ("success", ("success",), "all required downloads succeeded"),
    1: ("nothing", ("noneRequired",), "no download was needed"),
    2: ("failure", ("allFailed", "insufficientPrivileges", "invalidSwitchOptions", "fwmatrixNotFound",
                    "baselineUnusable"),
        "setup error, or every required download failed"),
    3: ("failure", ("someFailed",), "some required downloads failed"),
    4: ("failure", ("switchError", "toolNotInstalled", "toolFailure", "programDirectoryUnusable",
                    "hostLockUnusable"),
        "switch error, or the management tool is missing or unusable"),
    5: ("no_adapters", ("noAdapters",), "no adapter of a known model found"),
    6: ("failure", ("imageDirectoryMissing",), "the firmware or boot folder beside the program is missing"),
    7: ("failure", ("noCompatibleImage",), "no usable image for any adapter"),
    11: ("success", ("allSucceededWithUnsupported",),
         "required downloads succeeded; some adapters unsupported"),
    12: ("nothing", ("noneRequiredWithUnsupported",),
         "no download was needed; some adapters unsupported"),
    13: ("failure", ("allFailedWithUnsupported",),
         "every required download failed; some adapters unsupported"),
    14: ("failure", ("someFailedWithUnsupported",),
         "some required downloads failed; some adapters unsupported"),
    15: ("failure", ("everyAdapterUnsupported",), "every adapter unsupported"),
    16: ("failure", ("noCompatibleImageWithUnsupported",), "no usable image; some adapters unsupported"),
}

# What a query's success codes mean (a query downloads nothing).
QUERY_MEANINGS = {
    0: "the query completed",
    11: "the query completed; some adapters unsupported",
}

# A query counts every port of an unknown model as a failed query: 2 when
# there is no other port, 3 beside known ones (13, 14 with unsupported ones).
QUERY_FAILURE_CODES = {2, 3, 13, 14}

# The codes that differ between the hosts: another run holds the host-wide
# lock (anotherRunInProgress), the run was interrupted (interrupted; on POSIX
# 128 + the number of each signal the program stops on).
LOCK_CODES = {"posix": 75, "windows": 1618}
INTERRUPT_SIGNALS = ("SIGINT", "SIGTERM", "SIGHUP", "SIGPIPE")
_SIGNAL_NUMBERS = {"SIGHUP": 1, "SIGINT": 2, "SIGPIPE": 13, "SIGTERM": 15}
INTERRUPT_CODES = {
    "posix": frozenset(128 + _SIGNAL_NUMBERS[name] for name in INTERRUPT_SIGNALS),
    "windows": frozenset({1602}),
}

SUCCESS_CODES = {rc for rc, entry in EXIT_CODES.items() if entry[0] == "success"}
NOTHING_CODES = {rc for rc, entry in EXIT_CODES.items() if entry[0] == "nothing"}
FAILURE_CODES = {rc for rc, entry in EXIT_CODES.items() if entry[0] == "failure"}
NO_ADAPTERS_CODES = {rc for rc, entry in EXIT_CODES.items() if entry[0] == "no_adapters"}


def meaning_of(rc, windows=False, operation=None):
    if operation == "query" and rc in QUERY_MEANINGS:
        return QUERY_MEANINGS[rc]
    if rc in EXIT_CODES:
        return EXIT_CODES[rc][2]
    if is_lock_code(rc, windows):
        return "another vornup run is in progress"
    if is_interrupt_code(rc, windows):
        return "the run was interrupted"
    return "an exit code vornup does not document"


IMAGE_KINDS = ("firmware", "boot_code")


def _family(windows):
    return "windows" if windows else "posix"


def is_lock_code(rc, windows=False):
    """True when the exit code says another run holds the host-wide lock."""
    return rc == LOCK_CODES[_family(windows)]


def is_interrupt_code(rc, windows=False):
    """True for the exit codes of a run that stopped on an interrupt."""
    return rc in INTERRUPT_CODES[_family(windows)]


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
            if isinstance(entry.get("refusal"), dict):
                # The baseline refused the image: it never reached the tool.
                line += ": refused by the baseline: " + str(entry.get("reason") or entry["refusal"].get("reason"))
            elif entry.get("reason"):
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


def stderr_lines(stderr, limit=3):
    """vornup's last few diagnostics (standard error), each on one line."""
    lines = [" ".join(line.split()) for line in str(stderr or "").splitlines()]
    lines = [line for line in lines if line]
    return list(dict.fromkeys(lines[-limit:]))


def judge(report, rc, windows=False, check_mode=False, attempts=1, operation=None,
          stderr=None, no_adapters_ok=True, time_limit=None, elapsed=None, reboot_pending=False):
    """Decides the Ansible result of one run.

    report: the parsed run report, or None when the run left none.
    rc: the program's exit code (None when it did not start; negative when a
        signal ended it, as Python reports it).
    check_mode: the run was a preview; would-be downloads count as changes.
    attempts: how many times the run was started (lock retries included).
    operation: the operation asked for; a query never counts as a change.
    stderr: the program's standard error; its last lines join a failure's message.
    no_adapters_ok: exit code 5 (no adapter of a known model) is ok; false makes it a failure.
    time_limit, elapsed: the per-host limit and how long the run took, in
        seconds; a run stopped at the limit says so.
    reboot_pending: an earlier run asked for a reboot that has not happened.
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
        "reboot_required": bool(reboot_pending),
        "reboot_pending": bool(reboot_pending),
        "interrupted": False,
        "timed_out": False,
        "lock_busy": False,
        "attempts": attempts,
        "report_missing": report is None,
        "stderr": stderr_lines(stderr),
    }
    if report is not None and not isinstance(report, dict):
        verdict.update(failed=True, msg=_with_status("the run report is not a JSON object", verdict))
        return verdict

    verdict["timed_out"] = bool(time_limit and elapsed is not None and elapsed >= time_limit)
    if rc is None:
        text = "vornup did not run"
        if verdict["timed_out"]:
            text = "vornup did not end within the per-host time limit of {} s".format(time_limit)
        verdict.update(failed=True, msg=_with_status(text, verdict))
        return verdict

    if is_lock_code(rc, windows):
        verdict.update(failed=True, lock_busy=True,
                       msg="another vornup run is in progress on this host; "
                           "gave up after {} attempt(s)".format(attempts))
        return verdict

    if report is not None:
        status = report.get("status") or {}
        verdict["status"] = status.get("text")
        verdict["reboot_required"] = bool(report.get("reboot_required")) or bool(reboot_pending)
        verdict["downloads"] = _downloads(report, "downloaded")
        verdict["would_download"] = _downloads(report, "previewed")
        verdict["failing_adapters"] = describe_failures(report)
        reported_rc = report.get("exit_code")
        if reported_rc is not None and reported_rc != rc:
            verdict.update(failed=True,
                           msg=_with_status("vornup ended with exit code {} but its report says {}"
                                            .format(rc, reported_rc), verdict))
            return verdict

    interrupted = is_interrupt_code(rc, windows) or bool(report and report.get("interrupted"))
    # A download that completed before the interruption still changed the host.
    verdict["changed"] = bool(verdict["downloads"]) or (check_mode and bool(verdict["would_download"]))
    if interrupted or rc < 0:
        if verdict["timed_out"]:
            text = "vornup was stopped at the per-host time limit of {} s (exit code {})".format(time_limit, rc)
        elif rc < 0:
            text = "vornup was killed by signal {}".format(-rc)
        else:
            text = "vornup was interrupted (exit code {})".format(rc)
        verdict.update(failed=True, interrupted=True, msg=_with_status(text, verdict))
        return verdict

    unknown = _unknown_models_only(report, rc, operation)
    if unknown is not None and (unknown[0] < unknown[1] or no_adapters_ok):
        verdict["msg"] = _with_status("the query completed; {} adapter port(s) of an unknown model"
                                      .format(unknown[0]), verdict)
        return verdict

    if rc in NO_ADAPTERS_CODES and no_adapters_ok:
        verdict["msg"] = _with_status(meaning_of(rc, windows, operation), verdict)
        return verdict

    if rc in FAILURE_CODES | NO_ADAPTERS_CODES or verdict["failing_adapters"] \
            or rc not in SUCCESS_CODES | NOTHING_CODES:
        if report is not None and not verdict["failing_adapters"]:
            verdict["failing_adapters"] = describe_unserved(report)
        verdict.update(failed=True,
                       msg=_with_status("vornup failed with exit code {} ({})"
                                        .format(rc, meaning_of(rc, windows, operation)), verdict))
        return verdict

    if report is None and rc in SUCCESS_CODES and not check_mode and operation != "query":
        # Without a report the code cannot say whether anything was flashed;
        # a success code of an operation run is taken as a change.
        verdict["changed"] = True
    verdict["msg"] = _with_status(meaning_of(rc, windows, operation), verdict)
    return verdict


def _unknown_models_only(report, rc, operation):
    """(unknown, ports) when a query failed only because of ports of an
    unknown model, every other port read; else None."""
    if operation != "query" or report is None or rc not in QUERY_FAILURE_CODES:
        return None
    ports = [p for p in report.get("ports") or [] if isinstance(p, dict)]
    unknown = [p for p in ports if p.get("support") == "unknown"]
    read = all(p.get("support") == "unknown" or (p.get("firmware") or {}).get("before") for p in ports)
    return (len(unknown), len(ports)) if unknown and read else None


def _with_status(text, verdict):
    parts = [text]
    if verdict["status"]:
        parts.append("status: " + verdict["status"])
    if verdict["failing_adapters"]:
        parts.append("failing: " + "; ".join(verdict["failing_adapters"]))
    if verdict["report_missing"]:
        parts.append("no run report")
    if verdict["reboot_pending"]:
        parts.append("a reboot asked for by an earlier run is still pending")
    if verdict["stderr"] and (verdict["failed"] or verdict["report_missing"] or text.startswith("vornup")):
        parts.append("vornup said: " + " / ".join(verdict["stderr"]))
    return " - ".join(parts)


def _number(value):
    """An int from a number or its text; seconds from a duration H:MM:SS.ffffff."""
    if isinstance(value, str):
        value = value.strip()
        if ":" in value:
            try:
                hours, minutes, seconds = value.split(":")
                return int(hours) * 3600 + int(minutes) * 60 + int(float(seconds))
            except ValueError:
                return None
        return int(value) if value.lstrip("-").isdigit() else None
    return value


def vornup_verdict(report, rc, windows=False, check_mode=False, attempts=1, operation=None,
                   stderr=None, no_adapters_ok=True, time_limit=None, elapsed=None,
                   reboot_pending=False):
    return judge(report, _number(rc), windows=bool(windows), check_mode=bool(check_mode),
                 attempts=int(attempts or 1), operation=operation, stderr=stderr,
                 no_adapters_ok=bool(no_adapters_ok), time_limit=_number(time_limit),
                 elapsed=_number(elapsed), reboot_pending=bool(reboot_pending))


def vornup_is_lock_code(rc, windows=False):
    return is_lock_code(_number(rc), bool(windows))


class FilterModule(object):
    def filters(self):
        return {
            "vornup_verdict": vornup_verdict,
            "vornup_is_lock_code": vornup_is_lock_code,
        }
