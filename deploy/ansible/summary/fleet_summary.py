#!/usr/bin/env python3
"""Writes the fleet summary of one vornup rollout: fleet-summary.csv and
fleet-summary.html in the report folder.

The folder holds what the playbooks left there: <host>.json (the run report
fetched from the host), <host>.verdict.json (how Ansible judged the run) and
batch-*.json (the hosts of each batch that was started). A host with neither
report nor verdict was unreachable when its batch ran, or never reached when
the rollout stopped earlier.

Standard library only, so it runs with any Python 3 on the controller.
"""

import argparse
import csv
import glob
import html
import json
import os
import sys
import tempfile

STATES = ("updated", "nothing to do", "failed", "unreachable", "not reached")
IMAGE_KINDS = ("firmware", "boot_code")
CSV_COLUMNS = [
    "host", "host_state", "port", "model", "port_type", "address",
    "firmware_before", "firmware_after", "firmware_image", "firmware_decision", "firmware_outcome",
    "boot_before", "boot_after", "boot_image", "boot_decision", "boot_outcome",
    "below_newest_image", "reboot_required",
]


def read_json(path):
    """The parsed file, or None when it is missing or not valid JSON."""
    try:
        with open(path, encoding="utf-8") as f:
            value = json.load(f)
    except (OSError, ValueError):
        return None
    return value if isinstance(value, dict) or isinstance(value, list) else None


def attempted_hosts(folder):
    hosts = set()
    for path in glob.glob(os.path.join(folder, "batch-*.json")):
        batch = read_json(path)
        if isinstance(batch, list):
            hosts.update(str(h) for h in batch)
    return hosts


def host_state(verdict, report, attempted):
    if isinstance(verdict, dict):
        if verdict.get("failed"):
            return "failed"
        return "updated" if verdict.get("changed") else "nothing to do"
    if isinstance(report, dict):
        # A report without a verdict: the playbook stopped in between.
        return "failed" if report.get("exit_code") not in (0, 1, 5, 11, 12) else "nothing to do"
    return "unreachable" if attempted else "not reached"


def image_entry(port, kind):
    entry = (port.get("images") or {}).get(kind)
    return entry if isinstance(entry, dict) else {}


def below_newest(port):
    """yes: an image newer than what the port runs was found and not
    installed; no: the port runs the image found (or none was needed);
    unknown: the run chose no images (a query)."""
    seen_decision = False
    for kind in IMAGE_KINDS:
        entry = image_entry(port, kind)
        decision = entry.get("decision")
        if decision is None or decision == "skipped":
            continue
        seen_decision = True
        if decision == "update" and entry.get("outcome") != "downloaded":
            return "yes"
    return "no" if seen_decision else "unknown"


def versions(port, kind):
    v = port.get(kind)
    return v if isinstance(v, dict) else {}


def port_rows(host, state, report):
    ports = report.get("ports") if isinstance(report, dict) else None
    reboot = "yes" if isinstance(report, dict) and report.get("reboot_required") else "no"
    if not ports:
        yield {"host": host, "host_state": state, "reboot_required": reboot if report else ""}
        return
    for port in ports:
        if not isinstance(port, dict):
            continue
        row = {
            "host": host, "host_state": state,
            "port": port.get("number"), "model": port.get("model"),
            "port_type": port.get("port_type"), "address": port.get("address"),
            "below_newest_image": below_newest(port), "reboot_required": reboot,
        }
        for kind, prefix in (("firmware", "firmware"), ("boot_code", "boot")):
            entry = image_entry(port, kind)
            row[prefix + "_before"] = versions(port, kind).get("before")
            row[prefix + "_after"] = versions(port, kind).get("after")
            row[prefix + "_image"] = (entry.get("image") or {}).get("file")
            row[prefix + "_decision"] = entry.get("decision")
            row[prefix + "_outcome"] = entry.get("outcome")
        yield row


def collect(folder, hosts):
    attempted = attempted_hosts(folder)
    fleet = []
    for host in hosts:
        report = read_json(os.path.join(folder, host + ".json"))
        verdict = read_json(os.path.join(folder, host + ".verdict.json"))
        report = report if isinstance(report, dict) else None
        verdict = verdict if isinstance(verdict, dict) else None
        state = host_state(verdict, report, host in attempted)
        fleet.append({
            "host": host, "state": state, "report": report, "verdict": verdict,
            "rows": list(port_rows(host, state, report)),
        })
    return fleet


def overview(fleet):
    counts = {state: 0 for state in STATES}
    below = 0
    unknown = 0
    for host in fleet:
        counts[host["state"]] += 1
        for row in host["rows"]:
            if row.get("below_newest_image") == "yes":
                below += 1
            elif row.get("below_newest_image") == "unknown":
                unknown += 1
    return counts, below, unknown


def write_atomically(path, text):
    folder = os.path.dirname(os.path.abspath(path))
    fd, tmp = tempfile.mkstemp(dir=folder, prefix=".summary-")
    try:
        with os.fdopen(fd, "w", encoding="utf-8", newline="") as f:
            f.write(text)
        os.chmod(tmp, 0o644)
        os.replace(tmp, path)
    except BaseException:
        os.unlink(tmp)
        raise


def csv_text(fleet):
    import io
    out = io.StringIO()
    writer = csv.DictWriter(out, fieldnames=CSV_COLUMNS, extrasaction="ignore", lineterminator="\n")
    writer.writeheader()
    for host in fleet:
        for row in host["rows"]:
            writer.writerow({k: ("" if row.get(k) is None else row.get(k)) for k in CSV_COLUMNS})
    return out.getvalue()


CSS = """
body { font-family: sans-serif; margin: 1.5em; color: #222; }
h1 { font-size: 1.4em; } h2 { font-size: 1.1em; margin-top: 1.6em; }
table { border-collapse: collapse; margin: 0.5em 0; }
th, td { border: 1px solid #bbb; padding: 0.25em 0.6em; text-align: left; font-size: 0.9em; }
th { background: #eee; }
.state { font-weight: bold; padding: 0.1em 0.5em; border-radius: 3px; }
.updated { background: #cfe8ff; } .nothing-to-do { background: #d9f2d9; }
.failed { background: #f8c8c8; } .unreachable { background: #ffe3b3; }
.not-reached { background: #e4e4e4; }
.msg { font-family: monospace; white-space: pre-wrap; }
"""


def e(value):
    return html.escape("" if value is None else str(value))


def html_text(fleet, title):
    counts, below, unknown = overview(fleet)
    preview = any(h["report"] and h["report"].get("preview") for h in fleet)
    parts = ["<!DOCTYPE html>", "<html lang=\"en\"><head><meta charset=\"utf-8\">",
             "<title>{}</title><style>{}</style></head><body>".format(e(title), CSS),
             "<h1>{}</h1>".format(e(title))]
    if preview:
        parts.append("<p id=\"preview\">Preview (check mode): nothing was downloaded; "
                     "&ldquo;updated&rdquo; means a download would happen.</p>")
    parts.append("<h2>Fleet overview</h2><table id=\"overview\"><tr><th>Hosts</th><th>Count</th></tr>")
    for state in STATES:
        parts.append("<tr data-state=\"{0}\"><td>{0}</td><td>{1}</td></tr>".format(e(state), counts[state]))
    parts.append("<tr data-state=\"total\"><td>total</td><td>{}</td></tr>".format(len(fleet)))
    parts.append("<tr id=\"below-newest\"><td>adapter ports below the newest image</td><td>{}</td></tr>".format(below))
    if unknown:
        parts.append("<tr id=\"below-unknown\"><td>adapter ports not compared (query only)</td>"
                     "<td>{}</td></tr>".format(unknown))
    parts.append("</table>")
    for host in fleet:
        css = host["state"].replace(" ", "-")
        parts.append("<section class=\"host\" data-host=\"{0}\" data-state=\"{1}\">"
                     "<h2>{0} <span class=\"state {2}\">{1}</span></h2>".format(e(host["host"]), e(host["state"]), css))
        report, verdict = host["report"], host["verdict"]
        if verdict and verdict.get("msg"):
            parts.append("<p class=\"msg\">{}</p>".format(e(verdict["msg"])))
        if report:
            status = report.get("status") or {}
            parts.append("<p>Status: {} (exit code {}); reboot needed: {}</p>".format(
                e(status.get("text")), e(report.get("exit_code")),
                "yes" if report.get("reboot_required") else "no"))
        if not report or not report.get("ports"):
            parts.append("<p>No adapters listed.</p></section>")
            continue
        parts.append("<table class=\"ports\"><tr><th>Port</th><th>Model</th><th>Type</th><th>Address</th>"
                     "<th>Firmware before</th><th>after</th><th>image</th><th>decision</th><th>outcome</th>"
                     "<th>Boot code before</th><th>after</th><th>image</th><th>decision</th><th>outcome</th>"
                     "<th>Below newest image</th></tr>")
        for row in host["rows"]:
            cells = [row.get(k) for k in ("port", "model", "port_type", "address",
                                          "firmware_before", "firmware_after", "firmware_image",
                                          "firmware_decision", "firmware_outcome",
                                          "boot_before", "boot_after", "boot_image",
                                          "boot_decision", "boot_outcome", "below_newest_image")]
            parts.append("<tr>" + "".join("<td>{}</td>".format(e(c)) for c in cells) + "</tr>")
        parts.append("</table></section>")
    parts.append("</body></html>\n")
    return "\n".join(parts)


def main(argv=None):
    parser = argparse.ArgumentParser(description="Write the fleet summary of a vornup rollout.")
    parser.add_argument("--reports", required=True, help="the controller's report folder")
    parser.add_argument("--host", action="append", default=[], help="a host of the fleet (repeat)")
    parser.add_argument("--title", default="vornup fleet summary")
    args = parser.parse_args(argv)
    hosts = list(dict.fromkeys(args.host))
    if not hosts:
        # Without a host list, every host that left a report or verdict.
        names = set()
        for path in glob.glob(os.path.join(args.reports, "*.json")):
            name = os.path.basename(path)
            if not name.startswith("batch-"):
                names.add(name[:-len(".verdict.json")] if name.endswith(".verdict.json") else name[:-5])
        hosts = sorted(names)
    fleet = collect(args.reports, hosts)
    write_atomically(os.path.join(args.reports, "fleet-summary.csv"), csv_text(fleet))
    write_atomically(os.path.join(args.reports, "fleet-summary.html"), html_text(fleet, args.title))
    counts, below, _ = overview(fleet)
    print("; ".join("{} {}".format(counts[s], s) for s in STATES) + "; {} ports below the newest image".format(below))
    return 0


if __name__ == "__main__":
    sys.exit(main())
