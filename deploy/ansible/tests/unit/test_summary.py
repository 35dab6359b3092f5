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
        summary.main(["--reports", self.path])
        page = self.read("fleet-summary.html")
        self.assertIn('id="below-unknown"', page)
        self.assertIn('data-host="q" data-state="nothing to do"', page)


if __name__ == "__main__":
    unittest.main()
