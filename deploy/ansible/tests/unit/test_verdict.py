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
