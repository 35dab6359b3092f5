#!/usr/bin/env python3
"""Writes the fleet summary of one vornup rollout: fleet-summary.csv and
fleet-summary.html in the report folder.

The folder holds what the playbooks left there: <host>.json (the run report
fetched from the host), <host>.verdict.json (how Ansible judged the run),
<host>.history.jsonl (the host's run history, when the role collects it)
and batch-*.json (the hosts of each batch that was started). A host with neither
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

STATES = ("updated", "nothing to do", "failed", "unreachable", "not reached", "skipped")
# The order of the page's groups: what needs the administrator first.
PAGE_ORDER = ("failed", "unreachable", "updated", "nothing to do", "not reached", "skipped")
IMAGE_KINDS = ("firmware", "boot_code")
CSV_COLUMNS = [
    "host", "host_state", "port", "model", "port_type", "address",
    "firmware_before", "firmware_after", "firmware_image", "firmware_decision", "firmware_outcome",
    "boot_before", "boot_after", "boot_image", "boot_decision", "boot_outcome",
    "below_newest_image", "reboot_required",
    "exit_code", "status", "message", "reboot",
    "firmware_refusal", "boot_refusal", "last_change",
]
# The longest history read per host (the host rotates it at 4 MiB).
HISTORY_LIMIT = 8 << 20


def read_json(path):
    """The parsed file, or None when it is missing or not valid JSON."""
    try:
        with open(path, encoding="utf-8") as f:
            value = json.load(f)
    except (OSError, ValueError):
        return None
    return value if isinstance(value, dict) or isinstance(value, list) else None


def read_history(path):
    """The history's lines that are JSON objects, oldest first; [] without
    a history. A line cut short or not JSON is skipped, as the host's own
    readers do."""
    try:
        with open(path, "rb") as f:
            data = f.read(HISTORY_LIMIT + 1)
    except OSError:
        return []
    if len(data) > HISTORY_LIMIT:
        # Keep the newest lines: from the first whole line of the last part.
        data = data[-HISTORY_LIMIT:].split(b"\n", 1)[-1]
    lines = []
    for raw in data.splitlines():
        try:
            value = json.loads(raw.decode("utf-8", "replace"))
        except ValueError:
            continue
        if isinstance(value, dict):
            lines.append(value)
    return lines


def _changes(kinds, when):
    """(when, [(kind, from, to)]) of the kinds that were downloaded, or None."""
    done = [(label, entry.get("before"), entry.get("after")) for label, entry in kinds
            if isinstance(entry, dict) and entry.get("outcome") == "downloaded"]
    return (when, done) if done else None


def last_changes(history, report):
    """The last change per adapter address (lower case): (when, [(kind,
    from, to)]), from the history's newest line that downloaded to it, else
    from this run's report."""
    found = {}
    for line in history:
        for adapter in line.get("adapters") or []:
            if isinstance(adapter, dict) and adapter.get("address"):
                change = _changes([("firmware", adapter.get("firmware")),
                                   ("boot code", adapter.get("boot_code"))], line.get("time"))
                if change:
                    found[str(adapter["address"]).lower()] = change
    for port in (report or {}).get("ports") or []:
        if not isinstance(port, dict) or not port.get("address"):
            continue
        address = str(port["address"]).lower()
        if address in found:
            continue
        kinds = []
        for kind, label in (("firmware", "firmware"), ("boot_code", "boot code")):
            entry = dict(image_entry(port, kind))
            entry.update(before=versions(port, kind).get("before"), after=versions(port, kind).get("after"))
            kinds.append((label, entry))
        change = _changes(kinds, report.get("ended"))
        if change:
            found[address] = change
    return found


def change_text(change, arrow="->"):
    if not change:
        return ""
    when, kinds = change
    return "{}: {}".format(when or "time unknown", "; ".join(
        "{} {} {} {}".format(kind, before or "none", arrow, after or "none") for kind, before, after in kinds))


def refusal_text(entry):
    """Why a baseline refused the image, with the baseline, or empty."""
    refusal = entry.get("refusal")
    if not isinstance(refusal, dict):
        return ""
    text = "{}: {}".format((entry.get("image") or {}).get("file") or "image",
                           str(refusal.get("reason") or "refused").replace("_", " "))
    baseline = refusal.get("baseline")
    if isinstance(baseline, dict):
        text += " (baseline version {}, expires {})".format(baseline.get("version"), baseline.get("expires"))
    elif not refusal.get("signed_mode"):
        text += " (unsigned baseline)"
    return text


def attempted_hosts(folder):
    hosts = set()
    for path in glob.glob(os.path.join(folder, "batch-*.json")):
        batch = read_json(path)
        if isinstance(batch, list):
            hosts.update(str(h) for h in batch)
    return hosts


def host_state(verdict, report, attempted, skipped=False):
    if skipped:
        return "skipped"
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


def reboot_text(verdict):
    """pending, done, failed: ..., or empty when no reboot was asked for."""
    if not isinstance(verdict, dict) or not verdict.get("reboot_required"):
        return ""
    return str(verdict.get("reboot") or "pending")


def host_columns(report, verdict):
    report = report if isinstance(report, dict) else {}
    verdict = verdict if isinstance(verdict, dict) else {}
    status = report.get("status") if isinstance(report.get("status"), dict) else {}
    exit_code = verdict.get("exit_code", report.get("exit_code"))
    return {"exit_code": exit_code, "status": status.get("text") or verdict.get("status"),
            "message": verdict.get("msg"), "reboot": reboot_text(verdict)}


def port_rows(host, state, report, verdict=None, history=()):
    ports = report.get("ports") if isinstance(report, dict) else None
    # A reboot still pending from an earlier run counts too (the verdict).
    asked = [v.get("reboot_required") for v in (report, verdict) if isinstance(v, dict)]
    reboot = "yes" if any(asked) else "no"
    common = host_columns(report, verdict)
    changes = last_changes(history, report if isinstance(report, dict) else None)
    if not ports:
        row = {"host": host, "host_state": state, "reboot_required": reboot if report else ""}
        row.update(common)
        yield row
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
        row.update(common)
        for kind, prefix in (("firmware", "firmware"), ("boot_code", "boot")):
            entry = image_entry(port, kind)
            row[prefix + "_before"] = versions(port, kind).get("before")
            row[prefix + "_after"] = versions(port, kind).get("after")
            row[prefix + "_image"] = (entry.get("image") or {}).get("file")
            row[prefix + "_decision"] = entry.get("decision")
            row[prefix + "_outcome"] = entry.get("outcome")
            row[prefix + "_refusal"] = refusal_text(entry)
        row["change"] = changes.get(str(port.get("address") or "").lower())
        row["last_change"] = change_text(row["change"])
        yield row


def collect(folder, hosts, skipped=()):
    attempted = attempted_hosts(folder)
    skipped = set(skipped)
    fleet = []
    for host in hosts:
        report = read_json(os.path.join(folder, host + ".json"))
        verdict = read_json(os.path.join(folder, host + ".verdict.json"))
        report = report if isinstance(report, dict) else None
        verdict = verdict if isinstance(verdict, dict) else None
        history = read_history(os.path.join(folder, host + ".history.jsonl"))
        state = host_state(verdict, report, host in attempted, host in skipped)
        fleet.append({
            "host": host, "state": state, "report": report, "verdict": verdict,
            "rows": list(port_rows(host, state, report, verdict, history)),
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
h1 { font-size: 1.4em; } h2 { font-size: 1.15em; margin-top: 1.6em; } h3 { font-size: 1em; margin: 0.8em 0 0.2em; }
table { border-collapse: collapse; margin: 0.5em 0; }
th, td { border: 1px solid #bbb; padding: 0.25em 0.6em; text-align: left; font-size: 0.9em; vertical-align: top; }
th { background: #eee; }
.state { font-weight: bold; padding: 0.1em 0.5em; border-radius: 3px; }
.updated { background: #cfe8ff; } .nothing-to-do { background: #d9f2d9; }
.failed { background: #f8c8c8; } .unreachable { background: #ffe3b3; }
.not-reached, .skipped { background: #e4e4e4; }
.msg { font-family: monospace; white-space: pre-wrap; margin: 0.2em 0; }
.host { border-left: 4px solid #ddd; padding-left: 0.6em; margin: 0.4em 0; }
.host[data-state="failed"] { border-left-color: #d33; }
.host[data-state="unreachable"] { border-left-color: #e90; }
#filter { font-size: 1em; padding: 0.3em; width: 30em; }
.hidden { display: none; }
"""

# Hides the hosts whose text does not hold every word typed into the filter
# box, and counts what is left per group. The page reads the same without it.
SCRIPT = """
(function () {
  var box = document.getElementById('filter');
  var hosts = Array.prototype.slice.call(document.querySelectorAll('section.host'));
  var texts = hosts.map(function (h) { return h.textContent.toLowerCase(); });
  function apply() {
    var words = box.value.toLowerCase().split(/\\s+/).filter(Boolean);
    var shown = 0;
    hosts.forEach(function (h, i) {
      var match = words.every(function (w) { return texts[i].indexOf(w) >= 0; });
      h.classList.toggle('hidden', !match);
      if (match) shown++;
    });
    document.querySelectorAll('section.group').forEach(function (g) {
      var left = g.querySelectorAll('section.host:not(.hidden)').length;
      g.querySelector('.shown').textContent = left;
      g.classList.toggle('hidden', left === 0);
    });
    document.getElementById('filter-count').textContent = shown + ' of ' + hosts.length + ' hosts shown';
  }
  // A link may carry the filter: fleet-summary.html#filter=failed%20KF810
  var given = /^#filter=(.*)$/.exec(location.hash);
  if (given) box.value = decodeURIComponent(given[1]);
  box.addEventListener('input', apply);
  apply();
})();
"""


def e(value):
    return html.escape("" if value is None else str(value))


PORT_COLUMNS = ("port", "model", "port_type", "address",
                "firmware_before", "firmware_after", "firmware_image", "firmware_decision", "firmware_outcome",
                "boot_before", "boot_after", "boot_image", "boot_decision", "boot_outcome", "below_newest_image",
                "refused")


def host_html(host):
    css = host["state"].replace(" ", "-")
    parts = ["<section class=\"host\" id=\"host-{0}\" data-host=\"{0}\" data-state=\"{1}\">"
             "<h3>{0} <span class=\"state {2}\">{1}</span></h3>".format(e(host["host"]), e(host["state"]), css)]
    report, verdict = host["report"], host["verdict"]
    if verdict and verdict.get("msg"):
        parts.append("<p class=\"msg\">{}</p>".format(e(verdict["msg"])))
    if report:
        status = report.get("status") or {}
        reboot = reboot_text(verdict) or ("yes" if report.get("reboot_required") else "no")
        parts.append("<p>Status: {} (exit code {}); reboot needed: {}</p>".format(
            e(status.get("text")), e(report.get("exit_code")), e(reboot)))
    if not report or not report.get("ports"):
        parts.append("<p>No adapters listed.</p></section>")
        return "".join(parts)
    # Failed hosts show their ports at once; the others on request.
    parts.append("<details{}><summary>{} adapter port(s)</summary>".format(
        " open" if host["state"] == "failed" else "", len(host["rows"])))
    parts.append("<table class=\"ports\"><tr><th>Port</th><th>Model</th><th>Type</th><th>Address</th>"
                 "<th>Firmware before</th><th>after</th><th>image</th><th>decision</th><th>outcome</th>"
                 "<th>Boot code before</th><th>after</th><th>image</th><th>decision</th><th>outcome</th>"
                 "<th>Below newest image</th><th>Refused by the baseline</th><th>Last change</th></tr>")
    for row in host["rows"]:
        row = dict(row, refused="; ".join(r for r in (row.get("firmware_refusal"), row.get("boot_refusal")) if r))
        parts.append("<tr>" + "".join("<td>{}</td>".format(e(row.get(k))) for k in PORT_COLUMNS)
                     + "<td class=\"change\">{}</td></tr>".format(e(change_text(row.get("change"), "\u2192"))))
    parts.append("</table></details></section>")
    return "".join(parts)


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
    parts.append("<p><label for=\"filter\">Filter: </label><input id=\"filter\" type=\"search\" "
                 "placeholder=\"host, state, model, address, image or message\"> "
                 "<span id=\"filter-count\"></span></p>")
    attention = [h for h in fleet if h["state"] in ("failed", "unreachable")]
    if attention:
        # One line per host that needs the administrator, with the reason.
        parts.append("<h2>Needs attention</h2><table id=\"attention\"><tr><th>Host</th><th>State</th>"
                     "<th>Reason</th></tr>")
        for h in sorted(attention, key=lambda h: PAGE_ORDER.index(h["state"])):
            reason = (h["verdict"] or {}).get("msg") or ("no result from the host" if h["state"] == "unreachable" else "")
            parts.append("<tr><td><a href=\"#host-{0}\">{0}</a></td><td>{1}</td><td class=\"msg\">{2}</td></tr>"
                         .format(e(h["host"]), e(h["state"]), e(reason)))
        parts.append("</table>")
    for state in PAGE_ORDER:
        group = [h for h in fleet if h["state"] == state]
        if not group:
            continue
        parts.append("<section class=\"group\" id=\"group-{0}\" data-group=\"{1}\">"
                     "<h2>{1} (<span class=\"shown\">{2}</span>)</h2>".format(
                         state.replace(" ", "-"), e(state), len(group)))
        parts.extend(host_html(h) for h in group)
        parts.append("</section>")
    parts.append("<script>{}</script>".format(SCRIPT))
    parts.append("</body></html>\n")
    return "\n".join(parts)


def main(argv=None):
    parser = argparse.ArgumentParser(description="Write the fleet summary of a vornup rollout.")
    parser.add_argument("--reports", required=True, help="the controller's report folder")
    parser.add_argument("--host", action="append", default=[], help="a host of the fleet (repeat)")
    parser.add_argument("--skipped", action="append", default=[], help="a host left out of the run (repeat)")
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
    hosts = list(dict.fromkeys(hosts + args.skipped))
    fleet = collect(args.reports, hosts, args.skipped)
    write_atomically(os.path.join(args.reports, "fleet-summary.csv"), csv_text(fleet))
    write_atomically(os.path.join(args.reports, "fleet-summary.html"), html_text(fleet, args.title))
    counts, below, _ = overview(fleet)
    print("; ".join("{} {}".format(counts[s], s) for s in STATES) + "; {} ports below the newest image".format(below))
    return 0


if __name__ == "__main__":
    sys.exit(main())
