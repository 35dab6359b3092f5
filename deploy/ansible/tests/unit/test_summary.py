"""The fleet summary from a folder of reports and verdicts."""

import csv
import importlib.util
import json
import os
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
loader_spec = importlib.util.spec_from_file_location(
    "fleet_summary", os.path.join(HERE, "..", "..", "summary", "fleet_summary.py"))
summary = importlib.util.module_from_spec(loader_spec)
loader_spec.loader.exec_module(summary)


def port(n, fw_decision, fw_outcome, model="KF1602"):
    return {"number": n, "model": model, "port_type": "FC", "address": "<10:00&%d>" % n,
            "firmware": {"before": "ZF282A4", "after": "ZF290A1" if fw_outcome == "downloaded" else None},
            "boot_code": {"before": None, "after": None},
            "images": {"firmware": {"image": {"file": "zf290a1.all"}, "decision": fw_decision, "outcome": fw_outcome},
                       "boot_code": {"image": None, "decision": "not_required", "outcome": "none"}}}


class Summary(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.path = self.dir.name

    def tearDown(self):
        self.dir.cleanup()

    def read(self, name):
        with open(os.path.join(self.path, name), encoding="utf-8") as f:
            return f.read()

    def put(self, name, value):
        with open(os.path.join(self.path, name), "w") as f:
            f.write(value if isinstance(value, str) else json.dumps(value))

    def test_states_rows_and_page(self):
        self.put("up.json", {"ports": [port(1, "update", "downloaded")], "exit_code": 0, "reboot_required": True})
        self.put("up.verdict.json", {"changed": True, "failed": False, "msg": "ok"})
        self.put("bad.json", {"ports": [port(1, "update", "failed")], "exit_code": 2})
        self.put("bad.verdict.json", {"changed": False, "failed": True, "msg": "<b>port 1</b> failed"})
        self.put("calm.json", {"ports": [port(1, "not_required", "none")], "exit_code": 1})
        self.put("calm.verdict.json", {"changed": False, "failed": False})
        self.put("torn.json", "{not json")
        self.put("batch-up.json", ["up", "bad", "calm", "gone", "torn"])
        summary.main(["--reports", self.path] + ["--host=" + h for h in ("up", "bad", "calm", "gone", "torn", "later")])
        with open(os.path.join(self.path, "fleet-summary.csv"), newline="") as f:
            rows = list(csv.DictReader(f))
        states = {r["host"]: r["host_state"] for r in rows}
        self.assertEqual(states, {"up": "updated", "bad": "failed", "calm": "nothing to do",
                                  "gone": "unreachable", "torn": "unreachable", "later": "not reached"})
        up = [r for r in rows if r["host"] == "up"][0]
        self.assertEqual((up["firmware_before"], up["firmware_after"], up["firmware_outcome"], up["reboot_required"]),
                         ("ZF282A4", "ZF290A1", "downloaded", "yes"))
        below = {r["host"]: r["below_newest_image"] for r in rows if r["port"]}
        self.assertEqual(below, {"up": "no", "bad": "yes", "calm": "no"})
        page = self.read("fleet-summary.html")
        self.assertIn("&lt;b&gt;port 1&lt;/b&gt;", page)
        self.assertIn("&lt;10:00&amp;1&gt;", page)
        self.assertNotIn("<b>port", page)
        self.assertIn('<tr data-state="updated"><td>updated</td><td>1</td>', page)
        self.assertIn('<tr id="below-newest"><td>adapter ports below the newest image</td><td>1</td>', page)

    def test_hosts_from_folder_and_query_only(self):
        query_port = port(1, "skipped", "none")
        query_port["images"]["boot_code"]["decision"] = "skipped"
        self.put("q.json", {"ports": [query_port], "exit_code": 0})
        self.put("q.verdict.json", {"changed": False, "failed": False})
        summary.main(["--reports", self.path, "--skipped=bad"])
        with open(os.path.join(self.path, "fleet-summary.csv"), newline="") as f:
            self.assertEqual({r["host"]: r["host_state"] for r in csv.DictReader(f)},
                             {"q": "nothing to do", "bad": "skipped"})
        summary.main(["--reports", self.path])
        page = self.read("fleet-summary.html")
        self.assertIn('id="below-unknown"', page)
        self.assertIn('data-host="q" data-state="nothing to do"', page)

    def test_last_change_per_adapter(self):
        def line(when, address, before, after, outcome="downloaded"):
            return json.dumps({"time": when, "adapters": [{"address": address, "firmware": {
                "before": before, "after": after, "outcome": outcome}, "boot_code": None}]})
        history = "\n".join([
            line("2026-01-01T00:00:00Z", "<10:00&1>", "A", "B"),
            line("2026-02-01T00:00:00Z", "<10:00&1>", "B", "C"),
            line("2026-03-01T00:00:00Z", "<10:00&1>", "C", None, "failed"),
            '{"time": "2026-04-01T00:00:00Z", "adapters": [{"addr', "[1, 2]", ""])
        downloaded = port(2, "update", "downloaded")
        downloaded["images"]["firmware"]["refusal"] = None
        refused = port(3, "update", "failed")
        refused["images"]["firmware"]["refusal"] = {"reason": "not_listed", "signed_mode": True,
                                                     "baseline": {"version": 7, "expires": "2027-06-30T00:00:00Z"}}
        cases = [  # history file, port, last change, refusal
            (history, port(1, "not_required", "none"), "2026-02-01T00:00:00Z: firmware B -> C", ""),
            (history, downloaded, "2026-05-01T00:00:00Z: firmware ZF282A4 -> ZF290A1", ""),
            (None, port(1, "not_required", "none"), "", ""),
            (None, refused, "", "zf290a1.all: not listed (baseline version 7, expires 2027-06-30T00:00:00Z)"),
        ]
        for history_text, p, change, refusal in cases:
            with self.subTest(port=p["number"], history=history_text is not None):
                for name in os.listdir(self.path):
                    os.unlink(os.path.join(self.path, name))
                if history_text is not None:
                    self.put("h.history.jsonl", history_text)
                self.put("h.json", {"ports": [p], "exit_code": 0, "ended": "2026-05-01T00:00:00Z"})
                summary.main(["--reports", self.path, "--host=h"])
                with open(os.path.join(self.path, "fleet-summary.csv"), newline="") as f:
                    row = list(csv.DictReader(f))[0]
                self.assertEqual((row["last_change"], row["firmware_refusal"]), (change, refusal))
                if change:
                    self.assertIn(change.replace("->", "\u2192"), self.read("fleet-summary.html"))


if __name__ == "__main__":
    unittest.main()
