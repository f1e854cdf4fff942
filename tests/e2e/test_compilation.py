"""Model counting with -cn2mddg: exact counts (established independently)
under every option, counts past 64 bits, the root failure, the options'
effect on the start-up lines, unknown options, and an interrupt."""
import itertools
import signal
import subprocess
import time
import unittest

from vantor_e2e import VANTOR, fixture, run


def inst(name):
    return fixture("compilation", name)


# Counts checked against Gecode's enumeration, or known from the problem.
COUNTS = [
    ("queens-4-int.xml", "2"),
    ("queens-5-int.xml", "10"),
    ("queens-6-int.xml", "4"),
    ("queens-8-int.xml", "92"),
    ("queens-8-alldiff.xml", "92"),
    ("05_ColAustralia-conflicts.xml", "18"),
    ("12_zebra-intension-nonbinary.xml", "1"),
    ("col-queen5_5-k5-ext.xml", "240"),
    ("col-myciel3-k4-int.xml", "12480"),
    ("nary-mix-s1-planted.xml", "350"),
    ("nary-sup-s2-planted.xml", "15"),
    ("element-v8-c8-s3.xml", "87975"),
    ("magic-3-rhsvar.xml", "8"),
    ("php-5-ne.xml", "0"),  # unsatisfiable below the root
]

# Instances small enough to be compiled under every option combination.
SMALL = ["queens-6-int.xml", "05_ColAustralia-conflicts.xml", "nary-sup-s2-planted.xml",
         "element-v8-c8-s3.xml", "magic-3-rhsvar.xml", "col-queen5_5-k5-ext.xml"]

HEURISTICS = [[], ["-dwdeg"], ["-centrality"], ["-centrality+dwdeg"]]


def counts(out):
    return [l[2:] for l in out.splitlines() if l.startswith("s ")]


class Counting(unittest.TestCase):
    def test_counts_with_default_options(self):
        for name, expected in COUNTS:
            with self.subTest(instance=name):
                rc, out, err = run(["-cn2mddg"], stdin_path=inst(name))
                self.assertEqual(rc, 0, err)
                self.assertEqual(counts(out), [expected])
                self.assertIn("c # time to compile: ", err)

    def test_counts_agree_under_every_option(self):
        expected = dict(COUNTS)
        flags = ["-noCache", "-noDecomp", "-noUniv"]
        # Every set of flags, each with two of the heuristics in turn, so
        # that every heuristic meets the flags switched on and off.
        runs = []
        for k in range(len(flags) + 1):
            runs += [list(c) for c in itertools.combinations(flags, k)]
        for i, name in enumerate(SMALL):
            for j, chosen in enumerate(runs):
                h = HEURISTICS[(i + j) % len(HEURISTICS)]
                args = ["-cn2mddg"] + chosen + h
                with self.subTest(instance=name, args=" ".join(args[1:])):
                    rc, out, err = run(args, stdin_path=inst(name))
                    self.assertEqual(counts(out), [expected[name]], err[-2000:])

    def test_count_past_64_bits(self):
        # 30 independent pairs x != y over 4 values: 12^30.
        rc, out, err = run(["-cn2mddg"], stdin_path=inst("pairs30-ne.xml"))
        self.assertEqual(counts(out), [str(12 ** 30)])
        self.assertIn("c Number of decomposable AND nodes: 1\n", err)

    def test_root_failure_prints_no_count(self):
        rc, out, err = run(["-cn2mddg"], stdin_path=inst("03_3queens-conflicts.xml"))
        self.assertEqual(rc, 0)
        self.assertEqual(counts(out), [])
        self.assertNotIn("c # time to compile: ", err)
        self.assertIn("c Number of OR nodes: 0\n", err)
        self.assertIn("d ASSIGNMENTS 0\n", out)
        self.assertIn("d CHECKS ", out)


class Options(unittest.TestCase):
    def start_lines(self, args):
        rc, out, err = run(["-cn2mddg"] + args, stdin_path=inst("queens-4-int.xml"))
        self.assertEqual(counts(out), ["2"])
        return out, err

    def test_flags_and_heuristic_shown(self):
        cases = [
            ([], "1", "1", "1", "CENTRALITY"),
            (["-noCache", "-dwdeg"], "1", "0", "1", "DOM/WDEG"),
            (["-noDecomp", "-noUniv", "-centrality"], "0", "1", "0", "CENTRALITY"),
            (["-centrality+dwdeg"], "1", "1", "1", "CENTRALITY + DOM/WDEG"),
            (["-dwdeg", "-centrality"], "1", "1", "1", "CENTRALITY"),  # the last one wins
        ]
        for args, decomp, cache, univ, heur in cases:
            with self.subTest(args=args):
                out, err = self.start_lines(args)
                self.assertIn("c Using decomposition: %s\n" % decomp, err)
                self.assertIn("c Using caching: %s\n" % cache, err)
                self.assertIn("c Using universal detection: %s\n" % univ, err)
                self.assertIn("c Selected heuristic: %s\n" % heur, err)
                self.assertEqual(out.startswith("+++\n"), "-centrality+dwdeg" in args)

    def test_cache_off_counts_no_hits(self):
        out, err = self.start_lines(["-noCache"])
        self.assertIn("c Number of positive hits: 0\n", err)
        self.assertIn("c Number of negative hits: 0\n", err)

    def test_unknown_option_prints_help_and_fails(self):
        for bad in (["-cache"], ["-noCache", "-centralit"], ["-dwdeg", "extra"]):
            with self.subTest(args=bad):
                rc, out, err = run(["-cn2mddg"] + bad, stdin_path=inst("queens-4-int.xml"))
                self.assertEqual(rc, 1)
                self.assertIn("# HELP", err)
                self.assertEqual(counts(out), [])


class Interrupt(unittest.TestCase):
    def test_interrupt_prints_statistics_without_count(self):
        # Without components and cache the 30 pairs take 12^30 branches.
        with open(inst("pairs30-ne.xml"), "rb") as f:
            p = subprocess.Popen([VANTOR, "-cn2mddg", "-noDecomp", "-noCache"], stdin=f,
                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        while True:
            line = p.stderr.readline().decode()
            self.assertNotEqual(line, "", "the compilation never started")
            if "Arc consistency is performing" in line or line.startswith("c |"):
                break
        time.sleep(1.0)
        p.send_signal(signal.SIGINT)
        out, err = p.communicate(timeout=60)
        out, err = out.decode(), err.decode()
        self.assertEqual(p.returncode, 0, err[-2000:])
        self.assertEqual(counts(out), [])
        self.assertIn("c Information about the compilation process\n", err)
        self.assertRegex(err, r"c Number of OR nodes: [1-9]")
        self.assertIn("d ASSIGNMENTS ", out)


if __name__ == "__main__":
    unittest.main(verbosity=2)
