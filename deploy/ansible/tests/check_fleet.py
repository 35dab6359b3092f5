#!/usr/bin/env python3
"""Assertions of the Ansible tests on what the playbook runs left behind:
Ansible's JSON output, the fetched reports, the summary and the simulators'
command logs."""

import argparse
import csv
import json
import os
import re
import sys

HOSTS = ["alpha", "bravo", "charlie", "delta", "echo", "foxtrot"]
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
                    "delta": "failed", "echo": "failed", "foxtrot": "ok"})
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
                     "delta": "failed", "echo": "failed", "foxtrot": "nothing to do"},
          "rollout: summary CSV host states {}".format(states))
    alpha = [r for r in rows if r["host"] == "alpha"]
    check(len(alpha) == 4 and all(r["firmware_outcome"] == "downloaded" for r in alpha),
          "rollout: CSV lists alpha's four ports, firmware downloaded")
    check(any(r["model"] == "KF1602" and r["firmware_before"].endswith("282A4")
              and r["firmware_after"].endswith("290A1") for r in alpha),
          "rollout: CSV has alpha's KF1602 firmware before/after")
    check(any(r["host"] == "delta" and r["firmware_outcome"] == "failed"
              and r["below_newest_image"] == "yes" for r in rows),
          "rollout: CSV shows delta's failed download, adapter below the newest image")

    # The second rollout has nothing left to do.
    again = Run(scratch, "again")
    again.expect({"alpha": "ok", "bravo": "ok", "charlie": "ok", "delta": "failed",
                  "echo": "failed", "foxtrot": "ok"})
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
    inventory.expect({"alpha": "ok", "bravo": "ok", "charlie": "ok", "delta": "ok", "echo": "failed"})

    # The canary run: delta first fails, nobody else is touched.
    canary = Run(scratch, "canary")
    check(canary.rc != 0, "canary: the stopped rollout must fail")
    canary.expect({"delta": "failed"})
    for host in HOSTS:
        lines = sim_log(scratch, host)
        if host == "delta":
            check(len(downloads(lines)) > 0, "canary: delta tried its downloads")
        else:
            check(lines == [], "canary: {}'s simulator was called: {}".format(host, lines[:3]))
        if host != "delta":
            check(canary.state(host) == "absent", "canary: {} ran vornup".format(host))
    states = {r["host"]: r["host_state"] for r in canary.csv_rows()}
    check(states.get("delta") == "failed" and all(states.get(h) == "not reached" for h in HOSTS if h != "delta"),
          "canary: summary CSV host states {}".format(states))

    # The summary page as Chromium shows it.
    dom = open(dom_path, encoding="utf-8").read()
    def count(state):
        m = re.search(r'<tr data-state="{}"><td>[^<]*</td><td>(\d+)</td>'.format(re.escape(state)), dom)
        return int(m.group(1)) if m else None
    check(count("updated") == 2 and count("failed") == 2 and count("nothing to do") == 2
          and count("unreachable") == 0 and count("total") == 6,
          "page: overview counts updated={} failed={} nothing={}".format(
              count("updated"), count("failed"), count("nothing to do")))
    check(len(re.findall(r'<section class="host"', dom)) == 6, "page: one section per host")
    check('data-host="delta" data-state="failed"' in dom, "page: delta's section says failed")
    check(re.search(r'id="below-newest"><td>[^<]*</td><td>[1-9]', dom) is not None,
          "page: some adapter ports below the newest image")
    check("<script" not in dom and "http" not in dom.replace("http-equiv", ""),
          "page: no scripts, no external assets")
    with open(screenshot, "rb") as f:
        head = f.read(8)
    check(head == b"\x89PNG\r\n\x1a\n" and os.path.getsize(screenshot) > 10000, "page: screenshot taken")


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
    parser.add_argument("what", choices=["snapshot", "check", "quiet", "again"])
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
    else:
        check_all(args.scratch, args.dom, args.screenshot)
    for text in failures:
        print("FAILED: " + text, file=sys.stderr)
    if not failures:
        print("ansible tests: {} passed".format(args.what))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
