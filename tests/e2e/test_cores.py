"""Cores and correction sets end to end: every approach and option of -muc
prints a core that is checked by rewriting the instance with only those
constraints (unsatisfiable) and without each one of them (satisfiable), with
-complete as the judge; -restoreMUC, -restoreLS and the coMSS modes leave a
satisfiable network, and each coMSS constraint put back makes it
unsatisfiable again.  Option handling, the report and the progress table."""
import os
import re
import signal
import subprocess
import unittest
import xml.etree.ElementTree as ET

from vantor_e2e import VANTOR, fixture, main, run

CORES = lambda name: fixture("cores", name)
UNSAT = ["two-cores.xml", "nary-sum.xml", "unary-empty.xml", "03_3queens-conflicts.xml",
         "php-5-ne.xml", "col-myciel3-k3-ext.xml"]
SAT = CORES("05_ColAustralia-conflicts.xml")
APPROACHES = ["-del", "-cons", "-dich", "-xplain"]
OPTIONS = [
    [], ["-rmInactive", "-pickDyn"], ["-wcore", "-pickDyn+", "-tryApprox=1"],
    ["-wcore+", "-rmInactive", "-pickStaticDom", "-dynDich"],
    ["-rmr", "-pickDyn+Dom", "-p2queue", "-tryApprox=2"],
    ["-lsmr", "-rnovelty", "-useSelect=3", "-pstack", "-dynDich"],
]

class Instance:
    """An instance file whose constraint list can be cut down and decided."""
    _cache = {}

    def __init__(self, path):
        self.path = path
        self.tree = ET.parse(path)
        cons = self.tree.getroot().find("constraints")
        self.names = [c.get("name") for c in cons.findall("constraint")]

    @classmethod
    def get(cls, path):
        if path not in cls._cache:
            cls._cache[path] = Instance(path)
        return cls._cache[path]

    def decide(self, keep):
        """-complete's exit status on the instance reduced to `keep`."""
        keep = frozenset(keep)
        key = (self.path, keep)
        if key in Instance._cache:
            return Instance._cache[key]
        root = ET.fromstring(ET.tostring(self.tree.getroot()))
        cons = root.find("constraints")
        for c in list(cons):
            if c.get("name") not in keep:
                cons.remove(c)
        cons.set("nbConstraints", str(len(cons)))
        data = b'<?xml version="1.0" encoding="UTF-8"?>\n' + ET.tostring(root)
        rc, _, _ = run(["-complete"], stdin_bytes=data)
        assert rc in (10, 20), rc
        Instance._cache[key] = rc
        return rc

    def is_muc(self, core):
        return self.decide(core) == 20 and all(
            self.decide(set(core) - {c}) == 10 for c in core)

    def is_comss(self, co):
        rest = set(self.names) - set(co)
        return self.decide(rest) == 10 and all(self.decide(rest | {c}) == 20 for c in co)


def v_line(out):
    lines = [l for l in out.splitlines() if l.startswith("v ")]
    assert len(lines) == 1, out
    return lines[0][2:].split()


class Muc(unittest.TestCase):
    def check_core(self, name, args):
        inst = Instance.get(CORES(name))
        rc, out, err = run(["-muc"] + args, stdin_path=inst.path)
        self.assertEqual(rc, 20, err)
        self.assertIn("\ns UNSATISFIABLE\n", out)
        core = v_line(out)
        self.assertEqual(core[-1], "0")
        core = core[:-1]
        # Names in ascending constraint number, each once.
        self.assertEqual(core, sorted(core, key=inst.names.index))
        self.assertTrue(inst.is_muc(core), core)
        m = re.search(r"^c Number of constraints in the final MUC: (\d+)$", out, re.M)
        self.assertEqual(int(m.group(1)), len(core))
        return core

    def test_every_approach_and_option_prints_a_verified_core(self):
        # Every option set on the fixture with two disjoint cores; on the
        # others each approach with one aid in turn (the in-memory tests
        # cover the whole option matrix on random networks).
        for a in APPROACHES:
            for o in OPTIONS:
                with self.subTest(instance="two-cores.xml", args=[a] + o):
                    self.check_core("two-cores.xml", [a] + o)
        for name in UNSAT[1:]:
            for i, a in enumerate(APPROACHES):
                o = OPTIONS[(i + UNSAT.index(name)) % len(OPTIONS)]
                with self.subTest(instance=name, args=[a] + o):
                    self.check_core(name, [a] + o)

    def test_disjoint_cores_give_one_of_them(self):
        cores = {("ab", "bc", "ac"), ("de", "dne")}
        for a in APPROACHES:
            with self.subTest(approach=a):
                core = self.check_core("two-cores.xml", [a])
                self.assertIn(tuple(core), cores)

    def test_one_unsatisfiable_constraint(self):
        for a in APPROACHES:
            with self.subTest(approach=a):
                rc, out, _ = run(["-muc", a], stdin_path=CORES("unary-empty.xml"))
                self.assertEqual(rc, 20)
                self.assertIn("\nv xnone 0\n", out)

    def test_satisfiable_network(self):
        for a, o in zip(APPROACHES, ([], ["-wcore"], ["-wcore+"], ["-rmInactive", "-rmr"])):
            with self.subTest(args=[a] + o):
                rc, out, _ = run(["-muc", a] + o, stdin_path=SAT)
                self.assertEqual(rc, 10)
                self.assertTrue(out.endswith("Warning: the problem is satisfiable\ns SATISFIABLE\n"),
                                out[-200:])
                self.assertNotIn("\nv ", out)

    def test_banner_and_report(self):
        rc, out, _ = run(["-muc", "-del", "-dich", "-dynDich", "-wcore+", "-pickDyn+Dom", "-pstack",
                          "-useSelect=3", "-tryApprox=2", "-scoreLS", "-rmInactive"],
                         stdin_path=CORES("two-cores.xml"))
        self.assertEqual(rc, 20)
        banner = "\n".join([
            "c --------------------------------------------------------------",
            "c Model rotation technique used: NO",
            "c Dichotomy approach with optDynDich: 1",
            "c Preproc: wcore+",
            "c Score function: dynamic+ + dom",
            "c Data structure to propagate: stack",
            "c Size of selectors save: 3",
            "c Freq to call TryRemove function: 2",
            "c Option heuristic local search: 1",
            "c Remove the inactive constraint after an UNSAT result: 1",
            "c --------------------------------------------------------------"])
        self.assertIn(banner, out)
        self.assertIn("c Initialization of the local search used in the model rotation process\n", out)
        lines = out.splitlines()
        start = lines.index("c ")
        report = lines[start:]
        self.assertTrue(report[1].startswith("c times: "))
        if report[2].startswith("c Memory used"):
            self.assertRegex(report[2], r"^c Memory used {11}: [0-9.e+]+Mb$")
            del report[2]
        fixed = [
            "c", "c Number of constraints: 9", "c Number of variables: 7", "c",
            "c Info complete appraoch "]
        self.assertEqual(report[2:7], fixed)
        self.assertRegex(report[7], r"^c ASSIGNMENTS \d+$")
        self.assertRegex(report[8], r"^c CHECKS \d+$")
        self.assertEqual(report[9], "c")
        self.assertRegex(report[10], r"^c Number of call CSP solver: \d+$")
        nums = {}
        for l in report[12:19]:
            k, v = l.rsplit(": ", 1)
            nums[k] = int(v)
        total = nums["c Number of constraints removed because not active during the MAC calls"]
        search = nums["c Number of inactive constraints remove during the search"]
        pre = nums["c Number of inactive constraints remove during the preprocessing step"]
        self.assertEqual(total, search + pre)
        # wcore+ drops the satisfiable links, which take no part in a refutation.
        self.assertGreater(pre, 0)
        found = nums["c Number of constraints in the final MUC"]
        self.assertEqual(found, nums["c Number of constraints in the MUC detected by MAC"] +
                         nums["c Number of constraints in the MUC detected by MR"] +
                         nums["c Number of constraints in the MUC detected by selectors propagation"])
        self.assertEqual(report[19:21], ["c", "s UNSATISFIABLE"])
        self.assertIn(report[21], ("v de dne 0", "v ab bc ac 0"))
        self.assertEqual(len(report), 22)

    def test_preprocessing_runs(self):
        for name in ("two-cores.xml", "nary-sum.xml", "php-5-ne.xml"):
            with self.subTest(instance=name, preproc="-wcore"):
                rc, out, _ = run(["-muc", "-wcore", "-dich"], stdin_path=CORES(name))
                self.assertEqual(rc, 20)
                pairs = [(int(a), int(b)) for a, b in re.findall(r"^c we can remove (\d+) (-?\d+)$", out, re.M)]
                self.assertEqual(len(pairs), len(re.findall(r"^c Preproc times: ", out, re.M)))
                # Runs go on while each leaves more constraints inactive than
                # every earlier one; the pair is (now, best before).
                self.assertEqual(pairs[0][1], 0)
                for k, (now, best) in enumerate(pairs):
                    self.assertEqual(best, max([0] + [p[0] for p in pairs[:k]]))
                    self.assertEqual(now > best, k < len(pairs) - 1)
            with self.subTest(instance=name, preproc="-wcore+"):
                rc, out, _ = run(["-muc", "-wcore+", "-dich"], stdin_path=CORES(name))
                self.assertEqual(rc, 20)
                full = len(Instance.get(CORES(name)).names)
                sizes = [full] + [int(n) for n in re.findall(r"^c size of set of constraints (\d+)$", out, re.M)]
                # Removal goes on until a run leaves every constraint active.
                self.assertGreaterEqual(len(sizes), 2)
                self.assertEqual(sizes[-1], sizes[-2])
                self.assertTrue(all(a > b for a, b in zip(sizes, sizes[1:-1])))
                total = int(re.search(r"^c Number of inactive constraints remove during the preprocessing step: (\d+)$",
                                      out, re.M).group(1))
                self.assertEqual(total, full - sizes[-1])

    def test_later_options_override_and_lsmr_consumes_its_name(self):
        # Each run's banner shows the effect of every option given.
        cases = [
            (["-dich", "-del", "-rmr", "-wcore", "-noPreproc", "-pqueue", "-pickDyn+Dom", "-pickStatic",
              "-useSelect=12"],
             ["c Deletion approach", "c Model rotation technique used: RECURSIVE", "c Preproc: not used",
              "c Data structure to propagate: queue", "c Score function: static",
              "c Size of selectors save: 12"]),
            (["-del", "-cons", "-p2queue", "-pickDynDom", "-rmInactive", "-normInactive"],
             ["c constructive approach", "c Data structure to propagate: double queue",
              "c Score function: dynamic + dom",
              "c Remove the inactive constraint after an UNSAT result: 0"]),
            (["-lsmr", "-rnovelty", "-dich"],
             ["c Dichotomy approach with optDynDich: 0", "c Model rotation technique used: LS",
              "c The local search model rotation is used with the metaheuristic: -rnovelty"]),
            (["-xplain"], ["c QuickXPlain approach"]),
        ]
        for args, lines in cases:
            with self.subTest(args=args):
                rc, out, _ = run(["-muc"] + args, stdin_path=CORES("two-cores.xml"))
                self.assertEqual(rc, 20)
                for line in lines:
                    self.assertIn("\n" + line + "\n", out)

    def test_option_errors(self):
        cases = [
            (["-bogus"], "error: the option -bogus is not defined (in this context)"),
            (["-del", "-rmr", "-dell"], "error: the option -dell is not defined (in this context)"),
            (["-lsmr"], "-lsmr needs a metaheuristic name"),
            (["-lsmr", "-nosuch"], "Unknown Metaheuristic"),
            (["-useSelect=x"], "-useSelect= needs a non-negative integer"),
            (["-tryApprox="], "-tryApprox= needs a non-negative integer"),
            (["-tryApprox=-3"], "-tryApprox= needs a non-negative integer"),
        ]
        for args, msg in cases:
            with self.subTest(args=args):
                rc, out, err = run(["-muc"] + args, stdin_path=CORES("two-cores.xml"))
                self.assertEqual(rc, 1)
                self.assertIn(msg, err)
                self.assertNotIn("s ", out.replace("c ", ""))

    def test_progress_table_header_every_50_lines(self):
        # Sixty satisfiable links around the triangle core: the deletion
        # approach prints one progress line per candidate.
        root = ET.parse(CORES("two-cores.xml")).getroot()
        cons = root.find("constraints")
        for i in range(60):
            ET.SubElement(cons, "constraint", name="x%d" % i, arity="2", scope="F G",
                          reference="NE").append(ET.fromstring("<parameters>F G</parameters>"))
        cons.set("nbConstraints", str(len(cons)))
        data = b'<?xml version="1.0"?>\n' + ET.tostring(root)
        rc, out, _ = run(["-muc", "-del"], stdin_bytes=data)
        self.assertEqual(rc, 20)
        lines = out.splitlines()
        rows = [i for i, l in enumerate(lines) if re.match(r"^c \| +\d+ ", l)]
        titles = [i for i, l in enumerate(lines) if l.startswith("c |     run")]
        self.assertEqual(len(rows), 69)
        self.assertEqual(len(titles), 2)
        # A header (dashes, titles, dashes) before rows 1 and 51.
        for t, r in zip(titles, (rows[0], rows[50])):
            self.assertEqual(t + 2, r)
            self.assertEqual(lines[t - 1], lines[t + 1])
        self.assertEqual(lines[titles[0]],
                         "c |     run    time   #call |  in muc     MAC      MR      PU | removed |    stay |")
        self.assertRegex(lines[rows[0]], r"^c \|       1 +\d+\.\d\d +\d+ \| +\d+ +\d+ +\d+ +\d+ \| +\d+ \| +\d+ \|$")

    def test_interrupt_reports_unknown(self):
        with open(CORES("rb-n20-p0.25-s1.xml"), "rb") as f:
            p = subprocess.Popen([VANTOR, "-muc", "-cons"], stdin=f, stdout=subprocess.PIPE,
                                 stderr=subprocess.PIPE)
        # The first progress row: the extraction is under way.
        head = b""
        while not re.search(rb"^c \|       1 ", head, re.M):
            line = p.stdout.readline()
            self.assertNotEqual(line, b"", "the extraction never started")
            head += line
        p.send_signal(signal.SIGINT)
        out, _ = p.communicate(timeout=60)
        out = (head + out).decode()
        self.assertEqual(p.returncode, 30, out[-300:])
        self.assertEqual([l for l in out.splitlines() if l.startswith("s ")], ["s UNKNOWN"])
        self.assertIn("\nc Number of constraints in the final MUC: ", out)
        self.assertNotIn("\nv ", out)


class Restore(unittest.TestCase):
    def test_restore_muc_leaves_a_satisfiable_network(self):
        for name in UNSAT:
            with self.subTest(instance=name):
                inst = Instance.get(CORES(name))
                rc, out, _ = run(["-restoreMUC"], stdin_path=inst.path)
                self.assertEqual(rc, 20)
                removed = v_line(out)
                self.assertTrue(removed)
                self.assertEqual(removed, sorted(removed, key=inst.names.index))
                self.assertEqual(inst.decide(set(inst.names) - set(removed)), 10)
                said = re.findall(r"^The name of removed constraint: (\S+)$", out, re.M)
                self.assertEqual(sorted(said), sorted(removed))

    def test_restore_muc_takes_one_constraint_per_disjoint_core(self):
        rc, out, _ = run(["-restoreMUC"], stdin_path=CORES("two-cores.xml"))
        removed = set(v_line(out))
        self.assertEqual(len(removed), 2)
        self.assertEqual(len(removed & {"ab", "bc", "ac"}), 1)
        self.assertEqual(len(removed & {"de", "dne"}), 1)
        # The same choices on every run.
        self.assertEqual(v_line(run(["-restoreMUC"], stdin_path=CORES("two-cores.xml"))[1]),
                         v_line(out))

    def test_restore_ls_leaves_a_satisfiable_network(self):
        for name in UNSAT:
            with self.subTest(instance=name):
                inst = Instance.get(CORES(name))
                rc, out, _ = run(["-restoreLS"], stdin_path=inst.path)
                self.assertEqual(rc, 20)
                removed = v_line(out)
                self.assertTrue(removed)
                self.assertEqual(inst.decide(set(inst.names) - set(removed)), 10)

    def test_satisfiable_network(self):
        for mode in ("-restoreMUC", "-restoreLS", "-coMSSConstructive", "-coMSSDestructive"):
            with self.subTest(mode=mode):
                rc, out, _ = run([mode], stdin_path=SAT)
                self.assertEqual(rc, 10)
                self.assertIn("\ns SATISFIABLE\n", out)
                self.assertNotIn("\nv ", out)


class CoMSS(unittest.TestCase):
    def test_both_extractors_give_a_verified_comss(self):
        for mode in ("-coMSSConstructive", "-coMSSDestructive"):
            for name in UNSAT:
                with self.subTest(mode=mode, instance=name):
                    inst = Instance.get(CORES(name))
                    rc, out, _ = run([mode], stdin_path=inst.path)
                    self.assertEqual(rc, 20)
                    co = v_line(out)
                    self.assertEqual(co, sorted(co, key=inst.names.index))
                    self.assertIn("\nc Number of constraint: %d\n" % len(co), out)
                    self.assertTrue(inst.is_comss(co), co)

    def test_unsatisfiable_unary_constraint(self):
        for mode in ("-coMSSConstructive", "-coMSSDestructive"):
            with self.subTest(mode=mode):
                rc, out, _ = run([mode], stdin_path=CORES("unary-empty.xml"))
                self.assertEqual(rc, 20)
                self.assertEqual(v_line(out), ["xnone"])


if __name__ == "__main__":
    main()
