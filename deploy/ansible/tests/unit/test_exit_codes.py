"""The verdict's exit-code table against the program's own: every name and
number of src/core/exit_codes.h, the lock and interrupt codes of each host."""

import importlib.util
import os
import re
import signal
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.normpath(os.path.join(HERE, "..", "..", "..", ".."))
PLUGIN = os.path.join(HERE, "..", "..", "roles", "vornup", "filter_plugins", "vornup_verdict.py")
loader_spec = importlib.util.spec_from_file_location("vornup_verdict", PLUGIN)
verdict = importlib.util.module_from_spec(loader_spec)
loader_spec.loader.exec_module(verdict)


def read(*parts):
    with open(os.path.join(SOURCE, *parts), encoding="utf-8") as f:
        return f.read()


def host_constants():
    """{"windows": {name: value}, "posix": {...}} from the #ifdef _WIN32 / #else halves."""
    text = read("src", "platform", "host_names.h")
    windows, posix = re.search(r"#ifdef _WIN32(.*?)#else(.*?)#endif", text, re.S).groups()
    pick = lambda half: {m.group(1): int(m.group(2))
                         for m in re.finditer(r"constexpr int (k\w+) = (-?\d+);", half)}
    return {"windows": pick(windows), "posix": pick(posix)}


def program_exit_codes(family):
    """{number: {names}} of enum class ExitCode for one host family."""
    body = re.search(r"enum class ExitCode : int \{(.*?)\};", read("src", "core", "exit_codes.h"), re.S).group(1)
    constants = host_constants()[family]
    codes = {}
    for name, value in re.findall(r"^\s*(\w+) = (\w+),", body, re.M):
        number = int(value) if value.isdigit() else constants[value]
        codes.setdefault(number, set()).add(name)
    return codes


class ExitCodeTable(unittest.TestCase):
    def test_table_names_every_code_of_the_program(self):
        for family, windows in (("posix", False), ("windows", True)):
            with self.subTest(family):
                program = program_exit_codes(family)
                lock = verdict.LOCK_CODES[family]
                self.assertEqual(program.pop(lock), {"anotherRunInProgress"})
                self.assertTrue(verdict.is_lock_code(lock, windows))
                interrupted = host_constants()[family]["kInterruptedExitCode"]
                self.assertEqual(program.pop(interrupted), {"interrupted"})
                self.assertIn(interrupted, verdict.INTERRUPT_CODES[family])
                table = {rc: set(entry[1]) for rc, entry in verdict.EXIT_CODES.items()}
                self.assertEqual(table, program)

    def test_interrupt_codes_are_the_signals_the_program_stops_on(self):
        text = read("src", "platform", "posix_interrupts.cpp")
        names = re.search(r"kInterruptSignals\[\] = \{([^}]*)\}", text).group(1).replace(" ", "").split(",")
        self.assertEqual(set(names), set(verdict.INTERRUPT_SIGNALS))
        self.assertEqual(verdict.INTERRUPT_CODES["posix"], {128 + signal.Signals[n].value for n in names})
        for rc, want in ((143, True), (137, False), (128, False), (1602, False)):
            self.assertEqual(verdict.is_interrupt_code(rc), want, rc)


if __name__ == "__main__":
    unittest.main()
