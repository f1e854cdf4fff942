"""The complete solver end to end: status and exit code on a table of
instances with known status, every reported solution checked twice (by the
program's own falsified-constraint listing and by an independent checker),
reproducible counters, the hidden-variable decomposition against the plain
network, and instances with very large values."""
import os
import resource
import subprocess
import tempfile
import unittest

import xcsp_check
from vantor_e2e import FIXTURES, VANTOR, fixture, run

STATUS_FILE = fixture("instances", "EXPECTED-STATUS.tsv")
EXIT = {"SAT": 10, "UNSAT": 20}
LINE = {"SAT": "s SATISFIABLE", "UNSAT": "s UNSATISFIABLE"}


def expected_statuses():
    rows = []
    with open(STATUS_FILE) as f:
        next(f)
        for line in f:
            path, status = line.rstrip("\n").split("\t")[:2]
            if status in EXIT:
                rows.append((path, status))
    return rows


def lines_with(out, prefix):
    return [l for l in out.splitlines() if l.startswith(prefix)]


def value_line(out):
    v = [l for l in out.splitlines() if l == "v" or l.startswith("v ")]
    return v[0] if v else None


def falsified_by_program(instance, vline):
    with tempfile.NamedTemporaryFile("w", suffix=".sol", delete=False) as f:
        f.write(vline + "\n")
        name = f.name
    try:
        rc, out, err = run(["-interpretationToFalsifiedConstraints", name], stdin_path=instance)
    finally:
        os.unlink(name)
    if rc != 0:
        raise AssertionError("falsified-constraint listing failed: " + err)
    return out


class CompleteSolver(unittest.TestCase):
    def assertSolution(self, instance, out, nb_vars=None):
        vline = value_line(out)
        self.assertIsNotNone(vline, out)
        values = xcsp_check.parse_solution(vline)
        inst = xcsp_check.Instance(instance)
        if nb_vars is not None:
            self.assertEqual(len(values), nb_vars)
        self.assertEqual(inst.violated(values[:len(inst.variables)]), [])
        return vline

    def test_status_and_solutions(self):
        for rel, status in expected_statuses():
            path = fixture("instances", rel)
            with self.subTest(instance=rel):
                rc, out, err = run(["-complete"], stdin_path=path)
                self.assertEqual(rc, EXIT[status], out + err)
                self.assertEqual(lines_with(out, "s "), [LINE[status]])
                self.assertEqual(len(lines_with(out, "d ASSIGNMENTS ")), 1)
                self.assertEqual(len(lines_with(out, "d CHECKS ")), 1)
                self.assertIn("c # temps = ", err)
                if status == "SAT":
                    vline = self.assertSolution(path, out)
                    self.assertEqual(falsified_by_program(path, vline), "v \n")
                else:
                    self.assertIsNone(value_line(out))

    def test_counters_are_reproducible(self):
        for rel in ["rb/rb-n20-p0.28-s1.xml", "real/13_zebra-intension-binary.xml",
                    "nary/nary-mix-s4.xml", "globals/magic-3-rhsvar.xml"]:
            with self.subTest(instance=rel):
                path = fixture("instances", rel)
                first = run(["-complete"], stdin_path=path)[1]
                second = run(["-complete"], stdin_path=path)[1]
                self.assertEqual(lines_with(first, "d "), lines_with(second, "d "))
                self.assertEqual(value_line(first), value_line(second))

    def test_merged_intension_constraints_are_conjoined(self):
        # C1 (X != Y) and C2 (X > Y) merge over (X, Y): only X > Y, X + Y <= 2
        # solutions remain; losing either predicate would let X = 0 through.
        path = fixture("instances", "driver", "merge.xml")
        rc, out, _ = run(["-complete"], stdin_path=path)
        self.assertEqual(rc, 10)
        self.assertSolution(path, out, nb_vars=2)

    def test_decomposition_keeps_the_meaning(self):
        # "-decExtN" replaces every support relation by binary constraints
        # with a hidden tuple-index variable: same status as the plain
        # network, and the solution (hidden values after the instance's own
        # variables) satisfies the original constraints.
        cases = ["nary/nary-sup-s1-planted.xml", "nary/nary-mix-s1-planted.xml",
                 "nary/nary-con-s4.xml", "driver/decext-unsat.xml",
                 "real/15_zebra-supports.xml", "real/08_4queens-supports.xml"]
        for rel in cases:
            path = fixture("instances", rel)
            with self.subTest(instance=rel):
                rc_plain, out_plain, _ = run(["-complete"], stdin_path=path)
                rc_dec, out_dec, err = run(["-decExtN", "-complete"], stdin_path=path)
                self.assertIn(rc_plain, (10, 20))
                self.assertEqual(rc_dec, rc_plain, err)
                if rc_dec == 10:
                    self.assertSolution(path, out_dec)

    def test_large_values_stay_small(self):
        # Values near 10^9 in binary relations and in an all-different: the
        # answer is right and memory stays far from a value-indexed table.
        path = fixture("instances", "driver", "bigvalues.xml")
        for args in (["-complete"], ["-decExtN", "-complete"]):
            with self.subTest(args=args):
                before = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
                with open(path, "rb") as f:
                    p = subprocess.run([VANTOR] + args, stdin=f, stdout=subprocess.PIPE,
                                       stderr=subprocess.PIPE, timeout=120)
                peak_kb = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
                out = p.stdout.decode()
                self.assertEqual(p.returncode, 10, out + p.stderr.decode())
                self.assertSolution(path, out)
                # The largest child so far (sanitizer builds included) stays
                # well under what a 10^9-cell table would take.
                self.assertLess(max(before, peak_kb), 1024 * 1024)

    def test_problem_without_constraints(self):
        data = (b'<instance><presentation name="x"/><domains nbDomains="1">'
                b'<domain name="D" nbValues="3">4 2 7</domain></domains>'
                b'<variables nbVariables="2"><variable name="A" domain="D"/>'
                b'<variable name="B" domain="D"/></variables></instance>')
        rc, out, _ = run(["-complete"], stdin_bytes=data)
        self.assertEqual(rc, 10)
        self.assertEqual(lines_with(out, "s "), ["s SATISFIABLE"])
        self.assertEqual(value_line(out), "v 4 4")


if __name__ == "__main__":
    unittest.main(verbosity=2)
