"""End-to-end tests of the auxiliary tools: the partial Max-CSP solver
against exhaustive enumeration, the configuration generator and the two
readers of its preempted-constraint file, and the selector instance written
by -preemptedMin, read back and solved under chosen selector values."""
import itertools
import os
import re
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(__file__))
from vantor_e2e import fixture, main, run  # noqa: E402
import xcsp_check  # noqa: E402


def tools(name):
    return fixture("tools", name)


def assignments(inst):
    """Every complete assignment, one value per variable in order."""
    doms = [inst.domains[d] for _, d in inst.variables]
    return itertools.product(*doms)


def optimum(path):
    inst = xcsp_check.Instance(path)
    return min(len(inst.violated(list(a))) for a in assignments(inst))


def write_temp(text, suffix):
    f = tempfile.NamedTemporaryFile("w", suffix=suffix, delete=False)
    f.write(text)
    f.close()
    return f.name


class PartialMaxCSP(unittest.TestCase):
    CASES = ["over.xml", "unsat.xml", "mixed.xml", "alldiff.xml"]
    METHODS = ["-rnovelty", "-alea", "-wcsp"]

    def test_optimal_score_and_value_line_achieves_it(self):
        for name in self.CASES:
            best = optimum(tools(name))
            inst = xcsp_check.Instance(tools(name))
            for meth in self.METHODS:
                with self.subTest(instance=name, method=meth):
                    rc, out, err = run(["-partialMaxCSPSolver", meth], stdin_path=tools(name))
                    self.assertEqual(rc, 0, err)
                    m = re.search(r"^s maxCSP for the soft part (\d+)$", out, re.M)
                    self.assertIsNotNone(m, out)
                    self.assertEqual(int(m.group(1)), best)
                    vline = [l for l in out.splitlines() if l.startswith("v ")]
                    self.assertEqual(len(vline), 1)
                    self.assertTrue(vline[0].endswith(" "))
                    values = xcsp_check.parse_solution(vline[0])
                    self.assertEqual(len(values), len(inst.variables))
                    self.assertEqual(len(inst.violated(values)), best)
                    self.assertIn("c Hybrid CSP solver : version 3.01", err)
                    self.assertIn("c Metaheuristic : " + meth, err)

    def test_option_errors(self):
        rc, out, err = run(["-partialMaxCSPSolver", "-nothing"], stdin_path=tools("over.xml"))
        self.assertEqual(rc, 1)
        self.assertIn("Métaheuristique inconnu", err)
        self.assertNotIn("s ", out)
        rc, out, err = run(["-partialMaxCSPSolver"], stdin_path=tools("over.xml"))
        self.assertEqual(rc, 1)
        self.assertNotIn("s ", out)


def parse_preempted(text):
    """(seed, (nbT, nbSat, nbUnsat), variable names, tuples) of a file."""
    lines = text.splitlines()
    seed = None
    if lines and lines[0].startswith("c The seed is: "):
        seed = int(lines.pop(0).split(":")[1])
    assert lines[0].startswith("i "), lines
    head = tuple(int(x) for x in lines[0].split()[1:])
    assert lines[1].startswith("a ")
    names = lines[2].split()[1:]
    assert lines[1].split()[1] == str(len(names))
    tuples = [tuple(int(x) for x in l.split()) for l in lines[3:]]
    return seed, head, names, tuples


def classify(path, names):
    """The value combinations of the named variables that extend to a
    solution, and those that do not, by enumeration."""
    inst = xcsp_check.Instance(path)
    order = [n for n, _ in inst.variables]
    idx = [order.index(n) for n in names]
    good = set()
    for a in assignments(inst):
        if not inst.violated(list(a)):
            good.add(tuple(a[i] for i in idx))
    doms = [inst.domains[inst.variables[i][1]] for i in idx]
    every = set(itertools.product(*doms))
    return good, every - good


class GenerateConstraint(unittest.TestCase):
    def generate(self, name, n, rt, rf):
        rc, out, err = run(["-generateConstraint", str(n), str(rt), str(rf)], stdin_path=tools(name))
        self.assertEqual(rc, 0, err)
        return parse_preempted(out)

    def test_tuples_classified_by_their_extension_to_a_solution(self):
        for name, n in [("mixed.xml", 2), ("mixed.xml", 3), ("over.xml", 2), ("unsat.xml", 2)]:
            with self.subTest(instance=name, n=n):
                seed, (total, nbt, nbf), names, tuples = self.generate(name, n, 100, 100)
                self.assertIsNotNone(seed)
                self.assertEqual(len(names), n)
                self.assertEqual(len(set(names)), n)
                good, bad = classify(tools(name), names)
                self.assertEqual((nbt, nbf, total), (len(good), len(bad), len(good) + len(bad)))
                self.assertEqual(set(tuples[:nbt]), good)
                self.assertEqual(set(tuples[nbt:]), bad)
                self.assertEqual(len(tuples), total)
                if name == "unsat.xml":
                    self.assertEqual(nbt, 0)

    def test_sample_sizes(self):
        # mixed.xml over all four variables: every combination is a tuple.
        good, bad = classify(tools("mixed.xml"), ["A", "B", "C", "D"])
        cases = [(0, 100, 0, len(bad)), (100, 0, len(good), 0),
                 (1, 1, 1, 1), (50, 10, len(good) // 2, len(bad) // 10)]
        for rt, rf, et, ef in cases:
            with self.subTest(rt=rt, rf=rf):
                _, (total, nbt, nbf), names, tuples = self.generate("mixed.xml", 4, rt, rf)
                self.assertEqual((nbt, nbf, total), (et, ef, et + ef))
                self.assertEqual(len(tuples), et + ef)
                g, b = classify(tools("mixed.xml"), names)
                self.assertTrue(set(tuples[:nbt]) <= g)
                self.assertTrue(set(tuples[nbt:]) <= b)

    def test_errors(self):
        for args in (["5", "100", "100"], ["2", "100"], ["x", "1", "1"], ["-1", "1", "1"], []):
            with self.subTest(args=args):
                rc, out, err = run(["-generateConstraint"] + args, stdin_path=tools("mixed.xml"))
                self.assertEqual(rc, 1)
                self.assertNotIn("i ", out)
                self.assertTrue(err.strip())


PREEMPTED = """c a comment before the header
i 4 2 2
c another
a 2
v A D
c tuples; the last one has a value too many and is passed over
0 2
1 1
2 0
1 2
1 2 0
"""


class PreemptedModes(unittest.TestCase):
    def setUp(self):
        self.tmp = []

    def tearDown(self):
        for p in self.tmp:
            os.unlink(p)

    def temp(self, text, suffix=".txt"):
        p = write_temp(text, suffix)
        self.tmp.append(p)
        return p

    def test_tal_pairs_true_tuples_and_false_ones_with_each_true(self):
        path = self.temp(PREEMPTED)
        rc, out, err = run(["-preemptedTal", path], stdin_path=tools("mixed.xml"))
        self.assertEqual(rc, 0, err)
        self.assertIn("c Number of tuple in the new constraint: 4", err)
        self.assertIn("c Number of variable in the new constraint: 2", err)
        lines = out.splitlines()
        self.assertEqual(lines[0], "v A D A' D' ")
        good, bad = classify(tools("mixed.xml"), ["A", "D"])
        tuples = [(0, 2), (1, 1), (2, 0), (1, 2)]
        t_good = [t for t in tuples if t in good]
        t_bad = [t for t in tuples if t in bad]
        expected = ["s " + " ".join(map(str, t + t)) + " " for t in t_good]
        expected += ["s " + " ".join(map(str, f + t)) + " " for f in t_bad for t in t_good]
        self.assertEqual(lines[1:], expected)

    def test_generated_file_read_by_both_modes(self):
        rc, gen, err = run(["-generateConstraint", "2", "100", "100"], stdin_path=tools("mixed.xml"))
        self.assertEqual(rc, 0, err)
        _, (total, nbt, nbf), names, tuples = parse_preempted(gen)
        path = self.temp(gen)
        rc, out, err = run(["-preemptedTal", path], stdin_path=tools("mixed.xml"))
        self.assertEqual(rc, 0, err)
        self.assertEqual(len(out.splitlines()) - 1, nbt + nbf * nbt)
        rc, out, err = run(["-preemptedMin", path], stdin_path=tools("mixed.xml"))
        self.assertEqual(rc, 0, err)
        root = ET.fromstring(out)
        nb = int(root.find("variables").get("nbVariables"))
        self.assertEqual(nb, nbf * 4 + 4)

    def test_header_errors(self):
        for text in ("a 2\nv A D\n0 1\n", "i 1 1 0\nv A D\n", "i 1 1 0\na 2\n", ""):
            with self.subTest(text=text):
                path = self.temp(text)
                for mode in ("-preemptedMin", "-preemptedTal"):
                    rc, out, err = run([mode, path], stdin_path=tools("mixed.xml"))
                    self.assertEqual(rc, 1)
                    self.assertIn("collectPreemptedInfo: error during the file parsing", err)
                    self.assertEqual(out, "")
        rc, out, err = run(["-preemptedMin", "/nonexistent/file"], stdin_path=tools("mixed.xml"))
        self.assertEqual(rc, 1)
        path = self.temp("i 1 1 0\na 2\nv A D\n0 x\n")
        rc, out, err = run(["-preemptedTal", path], stdin_path=tools("mixed.xml"))
        self.assertEqual(rc, 1)

    def test_min_already_preempted_and_value_outside_the_domain(self):
        good, _ = classify(tools("mixed.xml"), ["A", "D"])
        t = sorted(good)[0]
        path = self.temp("i 1 1 0\na 2\nv A D\n%d %d\n" % t)
        rc, out, err = run(["-preemptedMin", path], stdin_path=tools("mixed.xml"))
        self.assertEqual((rc, out), (0, "the constraint is already preemted\n"))
        path = self.temp("i 1 1 0\na 2\nv A D\n0 7\n")
        rc, out, err = run(["-preemptedMin", path], stdin_path=tools("mixed.xml"))
        self.assertEqual(rc, 30)
        self.assertIn("A variable cannot assign a value of the set of tuples", err)
        self.assertEqual(out, "")

    def test_min_refuses_global_constraints(self):
        path = self.temp("i 1 0 1\na 2\nv W X\n1 2\n")
        rc, out, err = run(["-preemptedMin", path], stdin_path=tools("alldiff.xml"))
        self.assertEqual(rc, 1)
        self.assertNotIn("<instance>", out)


class SelectorInstance(unittest.TestCase):
    """The instance of -preemptedMin: read back by vantor, unsatisfiable with
    every selector at 0; with the constraints of a set S switched on
    (selectors 0) and the others off, satisfiable exactly when every false
    tuple extends to an assignment that satisfies every constraint of S."""

    def write_instance(self, name, names, tuples):
        text = "i %d 0 %d\na %d\nv %s\n" % (len(tuples), len(tuples), len(names), " ".join(names))
        text += "".join(" ".join(map(str, t)) + "\n" for t in tuples)
        path = write_temp(text, ".txt")
        try:
            rc, out, err = run(["-preemptedMin", path], stdin_path=tools(name))
        finally:
            os.unlink(path)
        self.assertEqual(rc, 0, err)
        return out

    def extends(self, inst, names, t, active):
        order = [n for n, _ in inst.variables]
        idx = [order.index(n) for n in names]
        for a in assignments(inst):
            if all(a[i] == v for i, v in zip(idx, t)):
                bad = set(inst.violated(list(a)))
                if not (bad & active):
                    return True
        return False

    def with_selectors(self, text, on):
        """The written instance with the unary selector constraints dropped and
        each selector fixed: 0 (constraint on) for the indices in `on`."""
        root = ET.fromstring(text)
        doms = root.find("domains")
        for v, name in ((0, "Zon"), (1, "Zoff")):
            d = ET.SubElement(doms, "domain", name=name, nbValues="1")
            d.text = str(v)
        doms.set("nbDomains", str(len(doms)))
        sel_dom = None
        cons = root.find("constraints")
        unary = [c for c in cons if c.get("arity") == "1"]
        sels = [c.get("scope") for c in unary]
        for c in unary:
            cons.remove(c)
        cons.set("nbConstraints", str(len(cons)))
        for v in root.find("variables"):
            if v.get("name") in sels:
                k = sels.index(v.get("name"))
                v.set("domain", "Zon" if k in on else "Zoff")
        return ET.tostring(root, encoding="unicode")

    def check(self, name, names, tuples):
        text = self.write_instance(name, names, tuples)
        path = write_temp(text, ".xml")
        try:
            rc, out, err = run(["-complete"], stdin_path=path)
            self.assertEqual(rc, 20, err)
            rc, out, err = run(["-infosCSP"], stdin_path=path)
            self.assertEqual(rc, 0, err)
        finally:
            os.unlink(path)
        inst = xcsp_check.Instance(tools(name))
        cnames = [c[0] for c in inst.constraints]
        false = [t for t in tuples if not self.extends(inst, names, t, set(cnames))]
        root = ET.fromstring(text)
        self.assertEqual(int(root.find("variables").get("nbVariables")),
                         len(false) * len(inst.variables) + len(cnames))
        self.assertEqual(int(root.find("constraints").get("nbConstraints")),
                         len(cnames) * (len(false) + 1))
        subsets = [set(range(len(cnames)))] + [{k} for k in range(len(cnames))]
        subsets += [set(range(len(cnames))) - {k} for k in range(len(cnames))] + [set()]
        for on in subsets:
            active = {cnames[k] for k in on}
            expect_sat = all(self.extends(inst, names, t, active) for t in false)
            variant = write_temp(self.with_selectors(text, on), ".xml")
            try:
                rc, out, err = run(["-complete"], stdin_path=variant)
            finally:
                os.unlink(variant)
            with self.subTest(instance=name, on=sorted(active)):
                self.assertEqual(rc, 10 if expect_sat else 20, err)
        return text

    def test_mixed_network(self):
        good, bad = classify(tools("mixed.xml"), ["D", "B"])
        tuples = sorted(bad)[:3] + sorted(good)[:1]
        text = self.check("mixed.xml", ["D", "B"], tuples)
        # Relations shortest name first; a shared relation written once with
        # the union of the domains at each position.
        root = ET.fromstring(text)
        rels = [r.get("name") for r in root.iter("relation")]
        self.assertEqual(rels, ["Ne", "Abc3"])
        self.assertIn('<relation name="Ne" arity="3" nbTuples="4" semantics="conflicts">'
                      "0 0 0|1 1 0|2 2 0|2 5 0\n</relation>", text)
        # Network domains shortest name first, then the selector domain, then
        # one singleton domain per value of the false tuples.
        doms = [d.get("name") for d in root.iter("domain")]
        self.assertEqual(doms[:3], ["wide", "small", "D2"])
        self.assertEqual(root.find("domains").get("nbDomains"), str(len(doms)))

    def test_unsatisfiable_network_makes_every_tuple_false(self):
        tuples = [(0, 0), (0, 1), (1, 1)]
        text = self.check("unsat.xml", ["P", "R"], tuples)
        root = ET.fromstring(text)
        self.assertIsNone(root.find("relations"))
        # Each value of a false tuple gets one singleton domain, created at
        # its first occurrence.
        single = [d.text for d in root.iter("domain") if d.get("nbValues") == "1"]
        self.assertEqual(single, ["0", "1"])

    def test_over_constrained_network(self):
        good, bad = classify(tools("over.xml"), ["A", "C"])
        self.check("over.xml", ["A", "C"], sorted(bad)[:2] + sorted(good)[:2])


if __name__ == "__main__":
    main()
