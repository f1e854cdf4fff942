"""The local-search modes end to end: every strategy of "-localSearch" on
satisfiable instances with each solution checked independently, the
preprocessing and hybrid solvers against "-complete" on satisfiable and
unsatisfiable instances, reproducible runs for a fixed seed, interrupts, the
error texts and missing arguments, and the coherence-restoring report."""
import os
import re
import signal
import subprocess
import tempfile
import time
import unittest
import xml.etree.ElementTree as ET

import xcsp_check
from vantor_e2e import VANTOR, fixture, run

STRATEGIES = ["-alea", "-gcsp", "-wcsp", "-best", "-novelty", "-rnovelty", "-wcspSatCont",
              "-noveltySatCont"]

# Satisfiable instances every strategy solves within a fraction of a second,
# over every constraint kind (extension, intension, n-ary, globals).
SAT = [
    ("instances", "queens", "queens-8-int.xml"),
    ("instances", "queens", "queens-8-alldiff.xml"),
    ("instances", "coloring", "col-myciel3-k4-int.xml"),
    ("instances", "real", "06_ColAustralia-intension.xml"),
    ("instances", "real", "14_zebra-extension.xml"),
    ("instances", "globals", "element-v8-c8-s1.xml"),
    ("instances", "globals", "wsum-v8-c12-s1.xml"),
    ("instances", "globals", "assign-5-s1-sat.xml"),
    ("instances", "nary", "nary-mix-s1-planted.xml"),
    ("localsearch", "php5-wide-sat.xml"),
]
# Unsatisfiable instances the hybrid solver decides quickly; the last one
# needs its engine phases (small stagnation credit).
UNSAT_HYBRID = [
    ("instances", "globals", "php-5-alldiff.xml"),
    ("instances", "globals", "wsum-v8-c12-s6-unsat.xml"),
    ("instances", "real", "03_3queens-conflicts.xml"),
    ("instances", "real", "04_3queens-intension.xml"),
    ("instances", "real", "v32_d8_p20", "v32_d8_p20_t90", "v32_d8_p20_t90_0.xcsp"),
    ("localsearch", "php6-wide-unsat.xml"),
]
UNSAT_COMPLETE = [
    ("instances", "coloring", "col-myciel3-k3-ext.xml"),
    ("instances", "coloring", "col-queen5_5-k4-int.xml"),
    ("instances", "globals", "php-5-ne.xml"),
    ("instances", "globals", "knapsack-12-s1-unsat.xml"),
    ("instances", "nary", "nary-con-s4.xml"),
    ("instances", "rb", "rb-n20-p0.28-s1.xml"),
] + UNSAT_HYBRID


def value_line(out):
    v = [l for l in out.splitlines() if l == "v" or l.startswith("v ")]
    return v[0] if v else None


def status(out):
    s = [l for l in out.splitlines() if l.startswith("s ")]
    return s[0] if s else None


def table_rows(err):
    """Statistics rows of stderr without the columns that hold times."""
    rows = []
    for l in err.splitlines():
        if l.startswith("c |") and re.match(r"c \|\s+\d", l):
            cells = [c.strip() for c in l.split("|")[1:-1]]
            rows.append([c for c in cells if "." not in c])
    return rows


_runs = {}


def run_once(args, path):
    """run() for runs that several tests read: made once per process."""
    key = (tuple(args), path)
    if key not in _runs:
        _runs[key] = run(args, stdin_path=path, timeout=120)
    return _runs[key]


def complete_status(path):
    rc, out, _ = run(["-complete"], stdin_path=path)
    return rc


class LocalSearchCase(unittest.TestCase):
    def assertSolved(self, path, rc, out, err):
        self.assertEqual(rc, 10, err[-2000:])
        self.assertEqual(status(out), "s SATISFIABLE")
        vline = value_line(out)
        self.assertIsNotNone(vline, out)
        inst = xcsp_check.Instance(path)
        self.assertEqual(inst.violated(xcsp_check.parse_solution(vline)), [], vline)


class Strategies(LocalSearchCase):
    def test_every_strategy_solves_and_every_solution_checks(self):
        for parts in SAT:
            path = fixture(*parts)
            for m in STRATEGIES:
                with self.subTest(instance=parts[-1], strategy=m):
                    rc, out, err = run(["-localSearch", m], stdin_path=path, timeout=60)
                    self.assertSolved(path, rc, out, err)
                    self.assertIn("c Metaheuristic : " + m, err)
                    self.assertRegex(out, r"d ASSIGNMENTS \d+\nd CHECKS \d+\n")

    def test_network_without_constraints_is_solved_before_any_flip(self):
        path = fixture("localsearch", "no-constraints.xml")
        rc, out, err = run(["-localSearch", "-wcsp"], stdin_path=path)
        self.assertSolved(path, rc, out, err)
        self.assertIn("c # nombre de switch effectué : 0", out)
        self.assertEqual(len(value_line(out).split()), 4)

    def test_same_seed_same_statistics(self):
        cases = [(["-localSearch", "-gcsp"], ("instances", "real", "12_zebra-intension-nonbinary.xml")),
                 (["-localSearch", "-novelty"], ("instances", "rb", "frb-n20-p0.25-s1.xml")),
                 (["-hybridSolver", "-rnovelty"], ("localsearch", "php6-wide-unsat.xml"))]
        for args, parts in cases:
            with self.subTest(args=args, instance=parts[-1]):
                a = run_once(args, fixture(*parts))
                b = run(args, stdin_path=fixture(*parts), timeout=120)
                self.assertEqual(a[0], b[0])
                self.assertEqual(a[1], b[1])
                rows = table_rows(a[2])
                self.assertGreaterEqual(len(rows), 2, a[2][-2000:])
                self.assertEqual(rows, table_rows(b[2]))

    def test_try_rows_follow_the_luby_budgets(self):
        rc, out, err = run_once(["-localSearch", "-gcsp"],
                                fixture("instances", "real", "12_zebra-intension-nonbinary.xml"))
        self.assertEqual(rc, 10)
        rows = table_rows(err)
        luby = [1, 1, 2, 1, 1, 2, 4, 1, 1, 2, 1, 1, 2, 4, 8]
        self.assertGreaterEqual(len(rows), 3)
        for i, r in enumerate(rows):
            self.assertEqual(int(r[0]), i + 1)
            self.assertEqual(int(r[1]), luby[i] * 100000)
            self.assertEqual(int(r[2]), 0)  # nullFlip

    def test_interrupt_reports_unknown(self):
        p = subprocess.Popen([VANTOR, "-localSearch", "-alea"],
                             stdin=open(fixture("instances", "rb", "rb-n40-p0.25-s1.xml"), "rb"),
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            for line in p.stderr:
                if b"numtry" in line:
                    break
            p.send_signal(signal.SIGALRM)
            out, _ = p.communicate(timeout=60)
        finally:
            if p.poll() is None:
                p.kill()
        self.assertEqual(p.returncode, 30)
        out = out.decode()
        self.assertEqual(status(out), "s UNKNOWN")
        self.assertIsNone(value_line(out))


class Errors(unittest.TestCase):
    def test_unknown_strategy(self):
        path = fixture("instances", "queens", "queens-4-int.xml")
        for args in (["-localSearch", "-tabu"], ["-hybridSolver", "-Wcsp"], ["-slsPrepros", "-x", "1"]):
            with self.subTest(args=args):
                rc, out, err = run(args, stdin_path=path)
                self.assertEqual(rc, 1)
                self.assertIn("Métaheuristique inconnu", err)
                self.assertIsNone(status(out))

    def test_missing_or_bad_arguments(self):
        path = fixture("instances", "queens", "queens-4-int.xml")
        for args in (["-localSearch"], ["-hybridSolver"], ["-slsPrepros"], ["-slsPrepros", "-wcsp"],
                     ["-slsPrepros", "-wcsp", "ten"], ["-slsPrepros", "-wcsp", "-3"]):
            with self.subTest(args=args):
                rc, out, err = run(args, stdin_path=path)
                self.assertEqual(rc, 1)
                self.assertTrue(err.strip(), "an error message is expected")
                self.assertIsNone(status(out))


class SlsPrepros(LocalSearchCase):
    def test_agrees_with_complete(self):
        for parts in SAT:
            with self.subTest(instance=parts[-1]):
                path = fixture(*parts)
                rc, out, err = run(["-slsPrepros", "-rnovelty", "1"], stdin_path=path)
                self.assertSolved(path, rc, out, err)
        for parts in UNSAT_COMPLETE:
            with self.subTest(instance=parts[-1]):
                path = fixture(*parts)
                self.assertEqual(complete_status(path), 20)
                rc, out, err = run(["-slsPrepros", "-wcsp", "0"], stdin_path=path)
                self.assertEqual(rc, 20, err[-2000:])
                self.assertEqual(status(out), "s UNSATISFIABLE")

    def test_zero_budget_goes_straight_to_complete_search(self):
        path = fixture("instances", "rb", "rb-n20-p0.28-s1.xml")
        rc, out, err = run(["-slsPrepros", "-novelty", "0"], stdin_path=path)
        self.assertEqual(rc, 20)
        self.assertIn("c # nombre de switch effectué : 0", out)
        titles = [l for l in err.splitlines() if "numtry" in l]
        self.assertEqual(len(titles), 2, err)  # local-search table, then complete-search table
        rows = table_rows(err)
        self.assertGreaterEqual(len(rows), 3)
        born = 10
        for r in rows:
            # A restart comes past the limit: 10, 15, 22, 33, ... conflicts.
            self.assertGreater(int(r[1]), born)
            born += born // 2

    def test_one_second_budget_then_proof(self):
        path = fixture("instances", "globals", "php-5-ne.xml")
        rc, out, err = run(["-slsPrepros", "-wcsp", "1", "extra"], stdin_path=path)
        self.assertEqual(rc, 20)
        flips = int(re.search(r"c # nombre de switch effectué : (\d+)", out).group(1))
        self.assertGreater(flips, 0)


class Hybrid(LocalSearchCase):
    def test_agrees_with_complete(self):
        for parts in SAT:
            with self.subTest(instance=parts[-1]):
                path = fixture(*parts)
                rc, out, err = run(["-hybridSolver", "-rnovelty"], stdin_path=path)
                self.assertSolved(path, rc, out, err)
        for parts in UNSAT_HYBRID:
            for m in ("-rnovelty", "-wcsp"):
                with self.subTest(instance=parts[-1], strategy=m):
                    path = fixture(*parts)
                    self.assertEqual(complete_status(path), 20)
                    rc, out, err = run(["-hybridSolver", m], stdin_path=path, timeout=120)
                    self.assertEqual(rc, 20, err[-2000:])
                    self.assertEqual(status(out), "s UNSATISFIABLE")

    def test_engine_phases_run_when_the_credit_is_small(self):
        rc, out, err = run_once(["-hybridSolver", "-rnovelty"], fixture("localsearch", "php6-wide-unsat.xml"))
        self.assertEqual(rc, 20)
        self.assertRegex(err, r"c lastNumFlipRestart = \d+\n")
        self.assertIn("c # boundaries augmentation : ", err)

    def test_initial_credit(self):
        # Arity 2, domain 10, at most 5 constraints per variable.
        rc, out, err = run(["-hybridSolver", "-wcsp"], stdin_path=fixture("localsearch", "star-d10.xml"))
        self.assertEqual(rc, 10)
        init = 2 ** 30 // 101 + 1
        self.assertIn("c lastNumFlipRestart init = %d : %d - %d ---> 2 5 10" % (init, init // 16 + 1, init // 8 + 1),
                      err)
        self.assertIn("c Hybrid CSP solver : version 3.01", err)


def without_constraints(path, names):
    """A copy of the instance without the named constraints."""
    tree = ET.parse(path)
    cons = tree.getroot().find("constraints")
    for c in list(cons):
        if c.get("name") in names:
            cons.remove(c)
    cons.set("nbConstraints", str(len(cons)))
    f = tempfile.NamedTemporaryFile("wb", suffix=".xml", delete=False)
    tree.write(f)
    f.close()
    return f.name


class RestoreLS(unittest.TestCase):
    def test_satisfiable_network(self):
        rc, out, err = run(["-restoreLS"], stdin_path=fixture("instances", "queens", "queens-8-int.xml"))
        self.assertEqual(rc, 10)
        self.assertEqual(status(out), "s SATISFIABLE")
        self.assertIsNone(value_line(out))
        self.assertIn("c times = ", out)

    def test_reported_constraints_restore_satisfiability(self):
        for parts in (("instances", "coloring", "col-myciel3-k3-ext.xml"), ("instances", "globals", "php-5-ne.xml"),
                      ("instances", "real", "03_3queens-conflicts.xml"), ("localsearch", "php6-wide-unsat.xml")):
            with self.subTest(instance=parts[-1]):
                path = fixture(*parts)
                rc, out, err = run(["-restoreLS"], stdin_path=path)
                self.assertEqual(rc, 20, err)
                self.assertEqual(status(out), "s UNSATISFIABLE")
                names = value_line(out).split()[1:]
                self.assertGreaterEqual(len(names), 1)
                self.assertIn("c Number of constraint: %d" % len(names), out)
                order = [c.get("name") for c in ET.parse(path).getroot().find("constraints")]
                self.assertEqual(names, sorted(names, key=order.index))
                again = run(["-restoreLS"], stdin_path=path)[1]
                self.assertEqual(value_line(again), value_line(out))
                rest = without_constraints(path, set(names))
                try:
                    self.assertEqual(complete_status(rest), 10)
                finally:
                    os.unlink(rest)

    def test_interrupt_before_the_oracle_answers_is_unknown(self):
        p = subprocess.Popen([VANTOR, "-restoreLS"], stdin=open(fixture("instances", "rb", "rb-n40-p0.25-s1.xml"), "rb"),
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            time.sleep(2)
            p.send_signal(signal.SIGALRM)
            out, _ = p.communicate(timeout=60)
        finally:
            if p.poll() is None:
                p.kill()
        self.assertEqual(p.returncode, 30)
        self.assertEqual(status(out.decode()), "s UNKNOWN")

    def test_single_falsified_constraint_at_the_domain_heads(self):
        rc, out, err = run(["-restoreLS"], stdin_path=fixture("localsearch", "eq-and-ne.xml"))
        self.assertEqual(rc, 20)
        self.assertEqual(value_line(out), "v C1 ")


if __name__ == "__main__":
    unittest.main(verbosity=2)
