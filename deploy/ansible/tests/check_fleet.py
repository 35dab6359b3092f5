#!/usr/bin/env python3
"""Assertions of the Ansible tests on what the playbook runs left behind:
Ansible's JSON output, the fetched reports, the summary and the simulators'
command logs."""

import argparse
import csv
import json
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
HOSTS = ["alpha", "bravo", "charlie", "delta", "echo", "foxtrot", "golf"]
VERDICT_TASK = "Report the result of the vornup run"
failures = []


def check(condition, text):
    if not condition:
        failures.append(text)


def load(path):
    with open(path, encoding="utf-8") as f:
        return json.load(f)


def sim_log(scratch, host):
    with open(os.path.join(scratch, "hosts", host, "sim.log")) as f:
        return f.read().splitlines()


def downloads(lines):
    return [line for line in lines if line.startswith("download ")]


class Run:
    def __init__(self, scratch, name):
        self.name = name
        self.rc = int(open(os.path.join(scratch, "runs", name + ".rc")).read())
        self.out = load(os.path.join(scratch, "runs", name + ".json"))
        self.reports = os.path.join(scratch, "reports", name)
        self.verdicts = {}
        for play in self.out.get("plays", []):
            for task in play.get("tasks", []):
                if task["task"]["name"].split(" : ")[-1] == VERDICT_TASK:
                    for host, result in task["hosts"].items():
                        self.verdicts[host] = result

    def state(self, host):
        r = self.verdicts.get(host)
        if r is None:
            return "absent"
        if r.get("failed"):
            return "failed"
        return "changed" if r.get("changed") else "ok"

    def expect(self, states):
        for host, want in states.items():
            got = self.state(host)
            check(got == want, "{}: {} was {}, expected {} ({})".format(
                self.name, host, got, want, (self.verdicts.get(host) or {}).get("msg")))

    def report(self, host):
        path = os.path.join(self.reports, host + ".json")
        return load(path) if os.path.exists(path) else None

    def csv_rows(self):
        with open(os.path.join(self.reports, "fleet-summary.csv"), newline="") as f:
            return list(csv.DictReader(f))


def outcomes(report):
    return [e.get("outcome") for p in report.get("ports", [])
            for e in (p.get("images") or {}).values() if isinstance(e, dict)]


def snapshot(scratch, name):
    with open(os.path.join(scratch, "snapshot-" + name + ".json"), "w") as f:
        json.dump({h: len(sim_log(scratch, h)) for h in HOSTS}, f)


def check_all(scratch, dom_path, screenshot):
    # The first rollout: canary alpha, then bravo, then the rest in one batch.
    rollout = Run(scratch, "rollout")
    check(rollout.rc != 0, "rollout: failing hosts must make ansible-playbook fail")
    rollout.expect({"alpha": "changed", "bravo": "changed", "charlie": "ok",
                    "delta": "failed", "echo": "failed", "foxtrot": "ok", "golf": "failed"})
    check("time limit of 4 s" in rollout.verdicts.get("golf", {}).get("msg", ""),
          "rollout: golf's hung run was stopped at its time limit")
    check("3 attempt(s)" in rollout.verdicts.get("echo", {}).get("msg", ""),
          "rollout: echo tried three times (two retries)")
    check("KF810" in rollout.verdicts.get("delta", {}).get("msg", ""),
          "rollout: delta's failure names the failing adapter")
    check("another vornup run is in progress" in rollout.verdicts.get("echo", {}).get("msg", ""),
          "rollout: echo's failure says another run is in progress")
    for host in ("alpha", "bravo"):
        rep = rollout.report(host)
        check(rep is not None and "downloaded" in outcomes(rep), "rollout: {}'s report shows downloads".format(host))
        check(rep is not None and rep.get("reboot_required") is True, "rollout: {}'s report asks for a reboot".format(host))
    rep = rollout.report("delta")
    check(rep is not None and "failed" in outcomes(rep), "rollout: delta's report shows the failed download")
    rep = rollout.report("echo")
    check(rep is not None and rep.get("exit_code") == 75, "rollout: echo's report says exit code 75")
    rep = rollout.report("charlie")
    check(rep is not None and rep.get("exit_code") == 1, "rollout: charlie's report says nothing needed (1)")
    rows = rollout.csv_rows()
    states = {r["host"]: r["host_state"] for r in rows}
    check(states == {"alpha": "updated", "bravo": "updated", "charlie": "nothing to do",
                     "delta": "failed", "echo": "failed", "foxtrot": "nothing to do", "golf": "failed"},
          "rollout: summary CSV host states {}".format(states))
    check(any(r["host"] == "delta" and r["exit_code"] == "2" and "KF810" in r["message"]
              and r["status"].endswith("all required updates failed") for r in rows)
          and any(r["host"] == "golf" and r["exit_code"] == "143" for r in rows),
          "rollout: CSV has each host's exit code, status and message")
    alpha = [r for r in rows if r["host"] == "alpha"]
    check(len(alpha) == 4 and all(r["firmware_outcome"] == "downloaded" for r in alpha),
          "rollout: CSV lists alpha's four ports, firmware downloaded")
    check(any(r["model"] == "KF1602" and r["firmware_before"].endswith("282A4")
              and r["firmware_after"].endswith("290A1") for r in alpha),
          "rollout: CSV has alpha's KF1602 firmware before/after")
    change = re.compile(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ: firmware ZF282A4 -> ZF290A1; boot code ZU512A0 -> ZU512A3$")
    check(any(r["model"] == "KF1602" and change.match(r["last_change"]) for r in alpha)
          and all(r["last_change"] == "" for r in rows if r["host"] == "charlie"),
          "rollout: last change of alpha's KF1602 port: {}".format([r["last_change"] for r in alpha]))
    with open(os.path.join(rollout.reports, "alpha.prom")) as f:
        check("\nvornup_last_run_exit_code 0\n" in f.read(), "rollout: alpha's metrics file collected")
    check(any(r["host"] == "delta" and r["firmware_outcome"] == "failed"
              and r["below_newest_image"] == "yes" for r in rows),
          "rollout: CSV shows delta's failed download, adapter below the newest image")

    # The second rollout has nothing left to do.
    again = Run(scratch, "again")
    again.expect({"alpha": "ok", "bravo": "ok", "charlie": "ok", "delta": "failed",
                  "echo": "failed", "foxtrot": "ok"})
    # The last change comes from the host's history: this run's report has none.
    alpha = [r for r in again.csv_rows() if r["host"] == "alpha"]
    check(any(r["model"] == "KF1602" and change.match(r["last_change"]) and r["firmware_outcome"] != "downloaded"
              for r in alpha), "again: alpha's last change from its history: {}".format([r["last_change"] for r in alpha]))
    for host in HOSTS:
        stats = again.out.get("stats", {}).get(host, {})
        check(stats.get("changed", 0) == 0, "again: {} reports {} changes".format(host, stats.get("changed")))

    # Check mode on fresh hosts: previews, no downloads anywhere.
    preview = Run(scratch, "preview")
    preview.expect({"alpha": "changed", "bravo": "changed", "charlie": "ok", "delta": "changed",
                    "echo": "failed", "foxtrot": "ok"})
    rep = preview.report("alpha")
    check(rep is not None and rep.get("preview") is True and "previewed" in outcomes(rep)
          and "downloaded" not in outcomes(rep), "preview: alpha's report is a preview")

    # The inventory run (no fresh start since the preview): queries only.
    inventory = Run(scratch, "inventory")
    inventory.expect({"alpha": "ok", "bravo": "ok", "charlie": "ok", "delta": "ok", "echo": "failed", "foxtrot": "ok"})
    check("query completed" in inventory.verdicts.get("alpha", {}).get("msg", ""),
          "inventory: a query reads as a query: {}".format(inventory.verdicts.get("alpha", {}).get("msg")))

    # The canary run: delta first fails, nobody else is touched.
    canary = Run(scratch, "canary")
    check(canary.rc != 0, "canary: the stopped rollout must fail")
    canary.expect({"delta": "failed"})
    states = {r["host"]: r["host_state"] for r in canary.csv_rows()}
    check(states.get("delta") == "failed" and all(states.get(h) == "not reached" for h in HOSTS if h != "delta"),
          "canary: summary CSV host states {}".format(states))

    # The summary page as Chromium shows it.
    dom = open(dom_path, encoding="utf-8").read()
    def count(state):
        m = re.search(r'<tr data-state="{}"><td>[^<]*</td><td>(\d+)</td>'.format(re.escape(state)), dom)
        return int(m.group(1)) if m else None
    check(count("updated") == 2 and count("failed") == 3 and count("nothing to do") == 2
          and count("unreachable") == 0 and count("total") == 7,
          "page: overview counts updated={} failed={} nothing={}".format(
              count("updated"), count("failed"), count("nothing to do")))
    check(len(re.findall(r'<section class="host"', dom)) == 7, "page: one section per host")
    check('data-host="delta" data-state="failed"' in dom, "page: delta's section says failed")
    check(re.search(r'id="below-newest"><td>[^<]*</td><td>[1-9]', dom) is not None,
          "page: some adapter ports below the newest image")
    check(re.search(r'<script[^>]*\ssrc|<link|<img|<iframe|url\(', dom) is None
          and "http" not in dom.replace("http-equiv", ""),
          "page: no external scripts or assets")
    check(re.search(r'data-host="alpha".*?<td class="change">[^<]*ZF282A4 \u2192 ZF290A1; [^<]*</td>', dom, re.S),
          "page: alpha's last change")
    check(dom.index('data-group="failed"') < dom.index('data-group="updated"'),
          "page: failed hosts come first")
    with open(screenshot, "rb") as f:
        head = f.read(8)
    check(head == b"\x89PNG\r\n\x1a\n" and os.path.getsize(screenshot) > 10000, "page: screenshot taken")


def check_canary_logs(scratch):
    """Right after the canary run: only delta's simulator was called."""
    canary = Run(scratch, "canary")
    for host in HOSTS:
        lines = sim_log(scratch, host)
        if host == "delta":
            check(len(downloads(lines)) > 0, "canary: delta tried its downloads")
        else:
            check(lines == [], "canary: {}'s simulator was called: {}".format(host, lines[:3]))
        if host != "delta":
            check(canary.state(host) == "absent", "canary: {} ran vornup".format(host))


def marker(scratch, host):
    return os.path.exists(os.path.join(scratch, "hosts", host, "vornup", "reboot-pending"))


def check_batch(scratch):
    """A first batch of three: bravo and alpha need reboots, delta fails.
    The healthy hosts' reboots still run (and fail here: Ansible refuses to
    reboot through a local connection); a failed reboot fails the host, with
    its reason in the summary, and its marker stays."""
    batch = Run(scratch, "batch")
    check(batch.rc != 0, "batch: the failing batch must fail the playbook")
    batch.expect({"bravo": "changed", "alpha": "changed", "delta": "failed"})
    for host in ("charlie", "echo", "foxtrot", "golf"):
        check(batch.state(host) == "absent", "batch: the rollout went on to {}".format(host))
    for host in ("alpha", "bravo"):
        v = load(os.path.join(batch.reports, host + ".verdict.json"))
        check(str(v.get("reboot")).startswith("failed: ") and v.get("failed") and "reboot failed" in v.get("msg", ""),
              "batch: {}'s reboot ran and its failure fails the host: {}".format(host, v.get("reboot")))
    rows = {r["host"]: r for r in batch.csv_rows()}
    states = {host: r["host_state"] for host, r in rows.items()}
    check(states == {"alpha": "failed", "bravo": "failed", "delta": "failed", "charlie": "not reached",
                     "echo": "not reached", "foxtrot": "not reached", "golf": "not reached"},
          "batch: summary states {}".format(states))
    check(rows["alpha"]["reboot"].startswith("failed: ") and "reboot failed" in rows["alpha"]["message"],
          "batch: the summary gives alpha's failed reboot with its reason: {}".format(rows["alpha"]))
    check(marker(scratch, "alpha") and marker(scratch, "bravo") and not marker(scratch, "delta"),
          "batch: pending-reboot markers")


def check_pending(scratch):
    """The next run, where a tolerance of 100 % reaches every batch: the
    failed reboot is still pending; bravo, rebooted by hand in between, is
    pending no more."""
    pending = Run(scratch, "pending")
    pending.expect({"alpha": "ok", "bravo": "ok", "delta": "failed", "charlie": "ok", "golf": "failed"})
    rows = {r["host"]: r for r in pending.csv_rows()}
    check(rows["alpha"]["reboot"] == "pending" and rows["alpha"]["reboot_required"] == "yes"
          and "still pending" in rows["alpha"]["message"], "pending: alpha's reboot is still pending: {}".format(rows["alpha"]))
    check(rows["bravo"]["reboot"] == "" and not marker(scratch, "bravo") and marker(scratch, "alpha"),
          "pending: bravo has rebooted: {}".format(rows["bravo"]["reboot"]))


def check_limit(scratch):
    """--limit with two hosts; then a variable of the wrong type."""
    limit = Run(scratch, "limit")
    check(limit.rc == 0, "limit: exit code {}".format(limit.rc))
    limit.expect({"alpha": "changed", "charlie": "ok"})
    check(sorted({r["host"] for r in limit.csv_rows()}) == ["alpha", "charlie"],
          "limit: the summary lists the limited hosts: {}".format([r["host"] for r in limit.csv_rows()]))
    err = open(os.path.join(scratch, "runs", "limit.err")).read()
    check("Could not match" not in err, "limit: pattern warning: " + err[:200])
    refused = Run(scratch, "refused")
    check(refused.rc != 0 and "vornup_lock_retries" in json.dumps(refused.out),
          "refused: vornup_lock_retries=abc is refused, naming the variable")
    before = load(os.path.join(scratch, "snapshot-after-refused.json"))
    check(before["bravo"] == 0, "refused: bravo's simulator was called")
    signed = Run(scratch, "signed")
    signed.expect({"bravo": "failed"})
    msg = signed.verdicts.get("bravo", {}).get("msg", "")
    check("zf290a1.all failed: refused by the baseline: blocked" in msg, "signed: bravo's refusal: " + msg)
    rows = [r for r in signed.csv_rows() if r["host"] == "bravo"]
    check(any(r["firmware_refusal"] == "zf290a1.all: blocked (baseline version 1, expires 2099-01-01T00:00:00Z)"
              for r in rows) and any(r["firmware_outcome"] == "downloaded" for r in rows),
          "signed: the summary names the refused image: {}".format([r["firmware_refusal"] for r in rows]))
    installed = os.path.join(scratch, "hosts", "bravo", "vornup")
    check(all(os.path.isfile(os.path.join(installed, f)) for f in
              ("baseline.json", "baseline.json.sig", os.path.join("trusted-keys", "fleet-key.pem"))),
          "signed: the baseline, its signature and the key are installed")
    d = downloads(sim_log(scratch, "bravo"))
    check(d and not any("zf290a1" in line for line in d), "signed: bravo's downloads: {}".format(d))


def make_page800(scratch):
    """800 generated hosts: 99 failed with their reasons, 20 unreachable,
    200 updated, the rest with nothing to do; names in an order that hides
    the failed ones among the others."""
    folder = os.path.join(scratch, "reports", "page800")
    os.makedirs(folder, exist_ok=True)
    hosts = ["host{:04d}".format(n) for n in range(800)]
    with open(os.path.join(folder, "batch-host0000.json"), "w") as f:
        json.dump(hosts, f)
    for n, host in enumerate(hosts):
        failed, unreachable, updated = n % 8 == 3 and n < 792, n % 40 == 7, n % 8 in (1, 5)
        if unreachable:
            continue
        outcome = "failed" if failed else "downloaded" if updated else "none"
        port = {"number": 1, "model": "KF810", "port_type": "FC", "address": "10:00:00:00:c9:54:{:02x}:{:02x}".format(n // 256, n % 256),
                "firmware": {"before": "BF210A6", "after": "BF260A0" if updated else None},
                "images": {"firmware": {"image": {"file": "bf260a0.all"},
                                        "decision": "update" if outcome != "none" else "not_required",
                                        "outcome": outcome}}}
        rc = 2 if failed else 0 if updated else 1
        with open(os.path.join(folder, host + ".json"), "w") as f:
            json.dump({"exit_code": rc, "ports": [port], "status": {"text": "status of " + host},
                       "ended": "2026-12-10T22:00:00Z"}, f)
        with open(os.path.join(folder, host + ".verdict.json"), "w") as f:
            json.dump({"failed": failed, "changed": updated, "exit_code": rc,
                       "msg": "vornup failed on {}: the adapter rejected the image".format(host) if failed else "ok"}, f)
    subprocess.run([sys.executable, os.path.join(os.path.dirname(HERE), "summary", "fleet_summary.py"),
                    "--reports", folder] + ["--host=" + h for h in hosts], check=True, stdout=subprocess.DEVNULL)


def check_page800(scratch, dom_path, screenshot):
    dom = open(dom_path, encoding="utf-8").read()
    groups = re.findall(r'<section class="group[^"]*" id="group-[^"]*" data-group="([^"]*)"><h2>[^<]*\(<span class="shown">(\d+)', dom)
    check(groups[:4] == [("failed", "99"), ("unreachable", "20"), ("updated", "200"), ("nothing to do", "481")],
          "page800: groups in order with their counts: {}".format(groups))
    failed = re.findall(r'data-state="failed"><h3>(host\d+)[^\n]*?<p class="msg">([^<]*)', dom)
    check(len(failed) == 99 and all(h in m and "rejected the image" in m for h, m in failed),
          "page800: each failed host shows its reason ({} found)".format(len(failed)))
    changes = dom.count('<td class="change">2026-12-10T22:00:00Z: firmware BF210A6 \u2192 BF260A0</td>')
    check(changes == 200, "page800: the updated hosts' last change ({} found)".format(changes))
    filtered = open(dom_path.replace("page800-dom", "page800-filtered"), encoding="utf-8").read()
    check(len(re.findall(r'<section class="host hidden"', filtered)) == 799
          and "1 of 800 hosts shown" in filtered, "page800: the filter leaves one host")
    with open(screenshot, "rb") as f:
        check(f.read(8) == b"\x89PNG\r\n\x1a\n" and os.path.getsize(screenshot) > 10000, "page800: screenshot taken")


def check_quiet_logs(scratch):
    """Between the fresh start before check mode and the canary's fresh
    start, only previews and queries ran: no download at all."""
    for host in HOSTS:
        d = downloads(sim_log(scratch, host))
        check(d == [], "preview/inventory: {}'s simulator got downloads: {}".format(host, d[:2]))


def check_again_logs(scratch):
    before = load(os.path.join(scratch, "snapshot-after-rollout.json"))
    for host in ("alpha", "bravo", "charlie", "foxtrot"):
        new = sim_log(scratch, host)[before[host]:]
        check(downloads(new) == [], "again: {} got downloads: {}".format(host, downloads(new)[:2]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("what", choices=["snapshot", "check", "quiet", "again", "canary", "batch", "pending", "limit", "page800"])
    parser.add_argument("--scratch", required=True)
    parser.add_argument("--name")
    parser.add_argument("--dom")
    parser.add_argument("--screenshot")
    args = parser.parse_args()
    if args.what == "snapshot":
        snapshot(args.scratch, args.name)
        return 0
    if args.what == "quiet":
        check_quiet_logs(args.scratch)
    elif args.what == "again":
        check_again_logs(args.scratch)
    elif args.what == "page800" and not args.dom:
        make_page800(args.scratch)
    elif args.what == "page800":
        check_page800(args.scratch, args.dom, args.screenshot)
    elif args.what == "canary":
        check_canary_logs(args.scratch)
    elif args.what == "batch":
        check_batch(args.scratch)
    elif args.what == "pending":
        check_pending(args.scratch)
    elif args.what == "limit":
        check_limit(args.scratch)
    else:
        check_all(args.scratch, args.dom, args.screenshot)
    for text in failures:
        print("FAILED: " + text, file=sys.stderr)
    if not failures:
        print("ansible tests: {} passed".format(args.what))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
