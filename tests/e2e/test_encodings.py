"""End-to-end tests of "-toCNF": the files of every encoding are handed to
real SAT solvers (clasp counts models, picosat decides satisfiability) and
compared with the complete solver and with the number of solutions."""
import os
import re
import shutil
import subprocess
import tempfile
import unittest

from vantor_e2e import fixture, main, run

ENCODINGS = ["-conflict", "-support", "-0AC", "-mixed", "-log", "-logsup", "-order", "-ordersup"]
PICOSAT = shutil.which("picosat")
CLASP = shutil.which("clasp")

# Instances of every kind of constraint (binary and n-ary extension with
# supports or conflicts, binary and n-ary intension, weighted sum, element),
# their status by construction and, where small enough to enumerate, their
# number of solutions: every encoding is bijective on solutions, so the CNF
# has exactly as many models.
CASES = [
    ("queens-4-int.xml", "SAT", 2),
    ("queens-5-int.xml", "SAT", 10),
    ("queens-6-int.xml", "SAT", 4),
    ("queens-7-int.xml", "SAT", 40),
    ("queens-8-int.xml", "SAT", 92),
    ("08_4queens-supports.xml", "SAT", 2),
    ("05_ColAustralia-conflicts.xml", "SAT", 18),
    ("12_zebra-intension-nonbinary.xml", "SAT", 1),
    ("nary-mix-s4.xml", "SAT", 4),
    ("04_3queens-intension.xml", "UNSAT", 0),
    ("col-myciel3-k3-ext.xml", "UNSAT", None),
    ("element-unsat-identity.xml", "UNSAT", None),
    ("knapsack-12-s1-unsat.xml", "UNSAT", None),
]


def inst(name):
    return fixture("encodings", name)


def header_and_clauses(path):
    with open(path) as f:
        lines = f.read().splitlines()
    m = re.fullmatch(r"p cnf (\d+) (\d+)", lines[0])
    assert m, lines[0]
    return int(m.group(1)), int(m.group(2)), lines[1:]


class Workdir(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="vantor-e2e-enc-")

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def encode(self, option, instance, name="out.cnf"):
        out = os.path.join(self.dir, name)
        rc, stdout, err = run(["-toCNF", option, out], stdin_path=instance)
        self.assertEqual(rc, 0, err)
        self.assertEqual(stdout, "")
        self.assertFalse(os.path.exists(out + ".tmp"))
        return out


class WellFormed(Workdir):
    def test_header_counts_and_clause_lines(self):
        # Every line is a clause of literals within the declared range, each
        # followed by one blank, and ended by 0; no comment line.
        clause_re = re.compile(r"(-?[1-9][0-9]* )*0")
        for option in ENCODINGS:
            for name in ["nary-mix-s4.xml", "knapsack-12-s1-unsat.xml"]:
                with self.subTest(option=option, instance=name):
                    n, m, clauses = header_and_clauses(self.encode(option, inst(name)))
                    self.assertEqual(len(clauses), m)
                    top = 0
                    for c in clauses:
                        self.assertTrue(clause_re.fullmatch(c), c)
                        for lit in c.split()[:-1]:
                            top = max(top, abs(int(lit)))
                    self.assertLessEqual(top, n)

    def test_tiny_instance_through_the_reader(self):
        # The numbering of the builder: variables in declaration order,
        # values in domain order (same files as the in-memory networks).
        expected = {
            "-conflict": "p cnf 5 11\n1 2 0\n-1 -2 0\n3 4 5 0\n-3 -4 0\n-3 -5 0\n-4 -5 0\n"
                         "-1 -3 0\n-1 -5 0\n-2 -3 0\n-2 -4 0\n-2 0\n",
            "-order": "p cnf 7 14\n-1 0\n3 0\n-1 2 0\n-2 3 0\n-4 0\n7 0\n-4 5 0\n-5 6 0\n-6 7 0\n"
                      "-2 -5 0\n-2 6 -7 0\n2 -3 -5 0\n2 -3 5 -6 0\n2 -3 0\n",
        }
        for option, text in expected.items():
            with self.subTest(option=option):
                with open(self.encode(option, inst("tiny.xml"))) as f:
                    self.assertEqual(f.read(), text)

    def test_report_on_standard_error(self):
        out = os.path.join(self.dir, "m.cnf")
        rc, stdout, err = run(["-toCNF", "-mixed", out], stdin_path=inst("tiny.xml"))
        self.assertEqual(rc, 0)
        lines = err.splitlines()
        self.assertEqual(lines[:4], ["c ", "c # conflicts/supports : 1/1",
                                     "c # conflict clauses : 1", "c # suppport clauses : 7"])
        self.assertRegex(lines[4], r"^c # temps = [0-9.e-]+$")
        rc, stdout, err = run(["-toCNF", "-log", out], stdin_path=inst("tiny.xml"))
        self.assertEqual(err.splitlines()[0], "c ")
        self.assertRegex(err.splitlines()[1], r"^c # temps = ")
        self.assertNotIn("s ", stdout)


class CommandLine(Workdir):
    def test_unknown_encoding_or_too_many_arguments(self):
        for args in (["-toCNF", "-direct"], ["-toCNF", "conflict"],
                     ["-toCNF", "-mixed", os.path.join(self.dir, "a.cnf"), "extra"]):
            with self.subTest(args=args):
                rc, out, err = run(args, stdin_path=inst("tiny.xml"))
                self.assertEqual(rc, 1)
                self.assertIn("-toCNF -type [output.cnf]", err)
                self.assertEqual(os.listdir(self.dir), [])

    def test_default_output_file(self):
        # Without a file name the encoding goes to /tmp/toCNF.cnf.
        rc, out, err = run(["-toCNF", "-conflict"], stdin_path=inst("tiny.xml"))
        self.assertEqual(rc, 0, err)
        with open("/tmp/toCNF.cnf") as f:
            self.assertTrue(f.read().startswith("p cnf 5 11\n"))
        self.assertFalse(os.path.exists("/tmp/toCNF.cnf.tmp"))

    def test_unwritable_output_fails_and_leaves_nothing(self):
        missing = os.path.join(self.dir, "no", "such", "out.cnf")
        folder = os.path.join(self.dir, "folder")
        os.mkdir(folder)
        for out in (missing, folder):
            with self.subTest(out=out):
                rc, stdout, err = run(["-toCNF", "-support", out], stdin_path=inst("tiny.xml"))
                self.assertEqual(rc, 1)
                self.assertIn("cannot create the CNF file", err)
                self.assertFalse(os.path.exists(out + ".tmp"))
        self.assertEqual(os.listdir(self.dir), ["folder"])


@unittest.skipUnless(PICOSAT and CLASP, "picosat or clasp is not installed")
class AgainstSatSolvers(Workdir):
    def picosat(self, path):
        p = subprocess.run([PICOSAT, path], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                           timeout=120)
        self.assertIn(p.returncode, (10, 20), p.stderr)
        return "SAT" if p.returncode == 10 else "UNSAT"

    def models(self, path):
        p = subprocess.run([CLASP, "-n", "0", "-q", path], stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, timeout=120, universal_newlines=True)
        m = re.search(r"^c Models\s*:\s*(\d+)\s*$", p.stdout, re.M)
        self.assertIsNotNone(m, p.stdout)
        return int(m.group(1))

    def test_status_and_model_counts(self):
        for name, status, solutions in CASES:
            rc, out, _ = run(["-complete"], stdin_path=inst(name))
            self.assertEqual({10: "SAT", 20: "UNSAT"}.get(rc), status, name)
            for option in ENCODINGS:
                with self.subTest(instance=name, option=option):
                    cnf = self.encode(option, inst(name))
                    if solutions is None:
                        self.assertEqual(self.picosat(cnf), status)
                    else:
                        self.assertEqual(self.models(cnf), solutions)


if __name__ == "__main__":
    main()
