"""The judgement of one run: exit code and report to changed / ok / failed."""

import importlib.util
import os
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
PLUGIN = os.path.join(HERE, "..", "..", "roles", "vornup", "filter_plugins", "vornup_verdict.py")
loader_spec = importlib.util.spec_from_file_location("vornup_verdict", PLUGIN)
verdict = importlib.util.module_from_spec(loader_spec)
loader_spec.loader.exec_module(verdict)


def image(outcome, decision="update", file="zf290a1.all", reason=None, reply=None):
    return {"image": {"file": file, "path": "/opt/vornup/firmware/" + file, "identifier": "ZF290A1"},
            "decision": decision, "outcome": outcome, "reason": reason, "tool_reply": reply}


def report(rc, *outcomes, text="status", reboot=False, interrupted=False, preview=False):
    ports = []
    for n, (fw, boot) in enumerate(outcomes, 1):
        ports.append({"number": n, "model": "KF1602", "address": "10:00:00:00:C9:7D:00:0%d" % n,
                      "firmware": {"before": "ZF282A4", "after": None},
                      "boot_code": {"before": "ZU512A0", "after": None},
                      "images": {"firmware": fw, "boot_code": boot}})
    return {"schema_version": 1, "ports": ports, "status": {"text": text, "exit_code": rc},
            "exit_code": rc, "reboot_required": reboot, "interrupted": interrupted, "preview": preview}


NONE = image("none", "not_required")


def unknown_model(rep):
    rep["ports"].append({"number": 9, "model": "UNKNOWN_MODEL", "support": "unknown",
                         "firmware": {"before": "XX100A0"}, "images": {}})
    return rep


class VerdictTable(unittest.TestCase):
    def test_cases(self):
        # (name, report, rc, windows, check_mode, operation, changed, failed, words in msg)
        cases = [
            ("downloads", report(0, (image("downloaded"), NONE)), 0, False, False, "update", True, False, []),
            ("nothing needed", report(1, (NONE, NONE)), 1, False, False, "update", False, False, []),
            ("query", report(0, (image("none", "skipped"), NONE)), 0, False, False, "query", False, False, []),
            ("no known adapter", report(5), 5, False, False, "update", False, False, []),
            ("some failed", report(3, (image("downloaded"), NONE),
                                   (image("failed", reason="tool failed", reply="Download failed:\n x"), NONE)),
             3, False, False, "update", True, True, ["port 2", "zf290a1.all", "Download failed: x", "exit code 3"]),
            ("all failed", report(2, (image("failed"), NONE)), 2, False, False, "update", False, True, ["port 1 KF1602"]),
            ("no image", report(7, (image("none", "no_compatible_image"), NONE)), 7, False, False, "update",
             False, True, ["no compatible image"]),
            ("lock posix", None, 75, False, False, "update", False, True, ["another vornup run", "3 attempt"]),
            ("lock windows", report(1618), 1618, True, False, "update", False, True, ["another vornup run"]),
            ("75 on windows is not the lock", None, 75, True, False, "update", False, True, ["exit code 75"]),
            ("sigterm", None, 143, False, False, "update", False, True, ["interrupted"]),
            ("interrupted after a download", report(130, (image("downloaded"), NONE), interrupted=True),
             130, False, False, "update", True, True, ["interrupted"]),
            ("report says interrupted", report(0, (NONE, NONE), interrupted=True), 0, False, False, "update",
             False, True, ["interrupted"]),
            ("windows cancelled", None, 1602, True, False, "update", False, True, ["interrupted"]),
            ("preview would download", report(0, (image("previewed"), NONE), preview=True), 0, False, True,
             "update", True, False, []),
            ("preview of nothing", report(1, (NONE, NONE), preview=True), 1, False, True, "update", False, False, []),
            ("report disagrees", report(0, (image("downloaded"), NONE)), 3, False, False, "update",
             False, True, ["report says 0"]),
            ("no report, success", None, 0, False, False, "update", True, False, ["no run report"]),
            ("no report, query", None, 0, False, False, "query", False, False, []),
            ("no report, tool missing", None, 4, False, False, "update", False, True, ["exit code 4"]),
            ("undocumented code", None, 9, False, False, "update", False, True, ["does not document"]),
            ("did not start", None, None, False, False, "update", False, True, ["did not run"]),
            ("report not an object", [1], 0, False, False, "update", False, True, ["not a JSON object"]),
        ]
        for name, rep, rc, windows, check_mode, op, changed, failed, words in cases:
            with self.subTest(name):
                v = verdict.judge(rep, rc, windows=windows, check_mode=check_mode, attempts=3, operation=op)
                self.assertEqual(v["changed"], changed, v["msg"])
                self.assertEqual(v["failed"], failed, v["msg"])
                for word in words:
                    self.assertIn(word, v["msg"])

    def test_settings_and_what_the_message_shows(self):
        # (name, report, rc, keyword arguments, failed, words in msg)
        err = "vornup: the tool did not end within its time limit of 60 second(s)\n"
        cases = [
            ("stderr of a failure", report(2, (image("failed"), NONE)), 2, {"stderr": err}, True,
             ["vornup said: vornup: the tool did not end within its time limit of 60 second(s)"]),
            ("stderr without a report", None, 4, {"stderr": "a\nb\nc\nd\n"}, True, ["vornup said: b / c / d"]),
            ("stopped at the time limit", report(143, (NONE, NONE), interrupted=True), 143,
             {"time_limit": 60, "elapsed": "0:01:00.20"}, True, ["per-host time limit of 60 s"]),
            ("killed", None, -9, {}, True, ["killed by signal 9"]),
            ("137 is not an interrupt", None, 137, {}, True, ["does not document"]),
            ("no adapters, setting off", report(5), 5, {"no_adapters_ok": False}, True, ["exit code 5"]),
            ("query completed", report(0, (image("none", "skipped"), NONE)), 0, {"operation": "query"},
             False, ["the query completed"]),
            ("reboot still pending", report(1, (NONE, NONE)), 1, {"reboot_pending": True}, False, ["still pending"]),
            ("query beside an unknown model", unknown_model(report(3, (image("none", "skipped"), NONE))), 3,
             {"operation": "query"}, False, ["1 adapter port(s) of an unknown model"]),
            ("query of unknown models only", unknown_model(report(2)), 2, {"operation": "query"}, False, ["unknown model"]),
            ("... where adapters are expected", unknown_model(report(2)), 2,
             {"operation": "query", "no_adapters_ok": False}, True, ["exit code 2"]),
            ("query of an unread port", report(3, (image("none", "skipped"), NONE)), 3, {"operation": "query"}, True, []),
        ]
        for name, rep, rc, kwargs, failed, words in cases:
            with self.subTest(name):
                v = verdict.vornup_verdict(rep, rc, **kwargs)
                self.assertEqual(v["failed"], failed, v["msg"])
                for word in words:
                    self.assertIn(word, v["msg"])
        self.assertTrue(verdict.vornup_verdict(report(1, (NONE, NONE)), 1, reboot_pending=True)["reboot_required"])

    def test_reboot_and_lists(self):
        v = verdict.judge(report(0, (image("downloaded"), image("downloaded", file="zu512a3.prg")), reboot=True), 0)
        self.assertTrue(v["reboot_required"])
        self.assertEqual(len(v["downloads"]), 2)
        self.assertIn("boot code zu512a3.prg", v["downloads"][1])

    def test_filter_takes_text_exit_codes(self):
        f = verdict.FilterModule().filters()["vornup_verdict"]
        self.assertTrue(f(None, "75", attempts="2")["lock_busy"])
        self.assertTrue(f(None, "junk")["failed"])


if __name__ == "__main__":
    unittest.main()
