"""Interrupts during a long search: the report of the search so far, "s
UNKNOWN" and status 30, whichever of the three signals arrives."""
import signal
import subprocess
import time
import unittest

from vantor_e2e import VANTOR, fixture

HARD = fixture("instances", "rb", "rb-n40-p0.25-s1.xml")


class Interrupts(unittest.TestCase):
    def test_signal_during_search_reports_unknown(self):
        for sig in (signal.SIGALRM, signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=sig.name):
                with open(HARD, "rb") as f:
                    p = subprocess.Popen([VANTOR, "-complete"], stdin=f,
                                         stdout=subprocess.PIPE, stderr=subprocess.PIPE)
                # Wait until the search has started (it writes the header of
                # its restart table), then a little more.
                while True:
                    line = p.stderr.readline().decode()
                    self.assertNotEqual(line, "", "the search never started")
                    if "numtry" in line:
                        break
                time.sleep(1.0)
                p.send_signal(sig)
                out, err = p.communicate(timeout=60)
                out = out.decode()
                self.assertEqual(p.returncode, 30, out + err.decode())
                lines = out.splitlines()
                self.assertEqual([l for l in lines if l.startswith("s ")], ["s UNKNOWN"])
                self.assertTrue(any(l.startswith("d ASSIGNMENTS ") for l in lines))
                self.assertTrue(any(l.startswith("d CHECKS ") for l in lines))
                self.assertFalse(any(l.startswith("v") for l in lines))

    def test_external_time_limit(self):
        # The usual harness set-up: timeout sends SIGALRM after 2 seconds
        # (and passes the program's own status on).
        with open(HARD, "rb") as f:
            p = subprocess.run(["timeout", "--preserve-status", "-s", "ALRM", "2", VANTOR,
                                "-complete"], stdin=f,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
        self.assertEqual(p.returncode, 30)
        self.assertIn("s UNKNOWN\n", p.stdout.decode())


if __name__ == "__main__":
    unittest.main(verbosity=2)
