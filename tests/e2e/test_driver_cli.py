"""Command line of the program: help text, argument pre-scan, the mode table,
the information modes and the graph export."""
import os
import tempfile
import unittest

from vantor_e2e import fixture, run

HELP = "\n".join([
    "#####################################",
    "# HELP                              #",
    "#####################################",
    "",
    "Translate the CSP into a CNF formula (by default output.cnf = /tmp/toCNF.cnf) : ",
    "    ./vantor -toCNF -type [output.cnf] < BENCHNAME",
    "    Where type can take the following values: ",
    "          - conflict: Direct Conflict Encoding",
    "          - support: Direct support Encoding",
    "          - log: Log Conflict Encoding",
    "          - logsup: Log support Encoding",
    "          - mixed: Mixed Direct Encoding",
    "",
    "Translate the CSP into MDDG: ",
    "    ./kelmar -cn2mddg [-noCache] [-noDecomp] [-noUniv] [-heuristic] < BENCHNAME",
    "    With heuristic can take the following value: ",
    "       - dwdeg, dom/wdeg is used",
    "       - centrality, centrality is used",
]) + "\n"

MERGE = fixture("instances", "driver", "merge.xml")
GRAPH = fixture("instances", "driver", "graph.xml")
QUEENS4 = fixture("instances", "queens", "queens-4-int.xml")
AUSTRALIA = fixture("instances", "real", "05_ColAustralia-conflicts.xml")
ZEBRA_NARY = fixture("instances", "real", "12_zebra-intension-nonbinary.xml")
NARY_MIX = fixture("instances", "nary", "nary-mix-s1-planted.xml")
MAGIC = fixture("instances", "globals", "magic-3.xml")


def hyper_count(out):
    """Number of constraints in the hypergraph text."""
    return int(out.splitlines()[0].split()[0])


class HelpAndPrescan(unittest.TestCase):
    def test_help_text(self):
        # (arguments, expected status): the help text is written exactly, on
        # standard error only.
        cases = [
            ([], 0),
            (["-h"], 0),
            (["-h", "-complete"], 0),     # "-h" first wins whatever follows
            (["-noSuchMode"], 0),         # an unknown mode is not an error
            (["-cn2mddg", "-bogus"], 1),
            (["-toCNF", "-nope"], 1),
            (["-toCNF", "-mixed", "a.cnf", "extra"], 1),
            (["-infosCSP", "extra"], 1),
            (["-constType", "-h"], 1),    # "-h" later is an ordinary argument
        ]
        for args, status in cases:
            with self.subTest(args=args):
                rc, out, err = run(args, stdin_path=AUSTRALIA)
                self.assertEqual(rc, status)
                self.assertEqual(err, HELP)
                self.assertEqual(out, "")

    def test_help_needs_no_input(self):
        rc, out, err = run([], stdin_bytes=b"not xml at all")
        self.assertEqual((rc, out, err), (0, "", HELP))

    def test_merge_switch(self):
        # merge.xml: C1 and C2 share the scope (X, Y) and merge into one
        # constraint; C3 over (Y, X) stays apart.  Naming a core, coherence
        # or rewriting mode anywhere turns merging off; prefixes do not.
        cases = [
            (["-vHyper"], 2),
            (["-vHyper", "-muc"], 3),
            (["-vHyper", "-mucX"], 2),
            (["-vHyper", "x", "-restoreLS"], 3),
            (["-vHyper", "-preemptedTal"], 3),
            (["-decExtN", "-vHyper", "-coMSSApp"], 3),
        ]
        for args, n in cases:
            with self.subTest(args=args):
                rc, out, err = run(args, stdin_path=MERGE)
                self.assertEqual(rc, 0, err)
                self.assertEqual(hyper_count(out), n)

    def test_decExtN_only_first(self):
        # First position: dropped, the mode follows; later: an ordinary
        # argument ("-infosCSP" then refuses it).
        rc, out, _ = run(["-decExtN", "-infosCSP"], stdin_path=AUSTRALIA)
        self.assertEqual(rc, 0)
        self.assertIn("#Vars: 7\n", out)
        rc, out, err = run(["-infosCSP", "-decExtN"], stdin_path=AUSTRALIA)
        self.assertEqual((rc, err), (1, HELP))
        rc, out, err = run(["-decExtN"], stdin_path=AUSTRALIA)
        self.assertEqual((rc, err), (0, HELP))

    def test_empty_input_runs_on_empty_network(self):
        rc, out, _ = run(["-infosCSP"], stdin_bytes=b"")
        self.assertEqual(rc, 0)
        self.assertEqual(out, "#Vars: 0\n#Constraints: 0\nMax arity: 0\nMax domain: 0\nType: M\n")
        rc, out, _ = run(["-complete"], stdin_bytes=b"")
        self.assertEqual(rc, 10)
        self.assertIn("s SATISFIABLE\nv\n", out)


class ModeTable(unittest.TestCase):
    def test_modes_not_in_this_build_fail_clearly(self):
        # Rows whose solver is not in this build end with a message and
        # status 1, never a crash or a silent success; rows that are built
        # are tested with their solvers.
        cases = [
            ["-cn2mddg"], ["-muc"], ["-restoreMUC"], ["-restoreLS"], ["-coMSSConstructive"],
            ["-coMSSDestructive"], ["-slsPrepros", "-rnovelty", "10"],
            ["-hybridSolver", "-rnovelty"], ["-partialMaxCSPSolver", "-rnovelty"],
            ["-localSearch", "-rnovelty"], ["-generateConstraint", "2", "3", "3"],
            ["-preemptedMin", "/nonexistent"], ["-preemptedTal", "/nonexistent"],
            ["-toCNF", "-conflict", "/nonexistent/x.cnf"],
        ]
        for args in cases:
            with self.subTest(args=args):
                rc, out, err = run(args, stdin_path=AUSTRALIA, timeout=60)
                self.assertGreaterEqual(rc, 0, "killed by a signal")
                if "not available" in err:
                    self.assertEqual(rc, 1)
                    self.assertNotIn("s ", out)

    def test_missing_mode_arguments(self):
        cases = [
            ["-slsPrepros"], ["-slsPrepros", "-rnovelty"], ["-slsPrepros", "-rnovelty", "ten"],
            ["-hybridSolver"], ["-localSearch"], ["-partialMaxCSPSolver"], ["-toCNF"],
            ["-generateConstraint", "2", "3"], ["-generateConstraint", "99", "1", "1"],
            ["-preemptedMin"], ["-interpretationToFalsifiedConstraints"],
        ]
        for args in cases:
            with self.subTest(args=args):
                rc, out, err = run(args, stdin_path=AUSTRALIA)
                self.assertEqual(rc, 1)
                self.assertNotEqual(err.strip(), "")
                self.assertNotIn("s ", out)

    def test_infosCSP(self):
        cases = [
            (AUSTRALIA, "#Vars: 7\n#Constraints: 9\nMax arity: 2\nMax domain: 3\nType: E\n"),
            (QUEENS4, "#Vars: 4\n#Constraints: 6\nMax arity: 2\nMax domain: 4\nType: I\n"),
            (MAGIC, "#Vars: 9\n#Constraints: 9\nMax arity: 9\nMax domain: 9\nType: M\n"),
        ]
        for path, expected in cases:
            with self.subTest(path=os.path.basename(path)):
                rc, out, _ = run(["-infosCSP"], stdin_path=path)
                self.assertEqual((rc, out), (0, expected))

    def test_infosCSP_counts_hidden_variables(self):
        # Every constraint over a decomposed support relation adds one hidden
        # variable and replaces itself by one binary constraint per position.
        rc, plain, _ = run(["-infosCSP"], stdin_path=fixture("instances", "driver", "decext-unsat.xml"))
        self.assertEqual(rc, 0)
        self.assertIn("#Vars: 4\n#Constraints: 5\nMax arity: 3\nMax domain: 3\n", plain)
        rc, dec, _ = run(["-decExtN", "-infosCSP"],
                         stdin_path=fixture("instances", "driver", "decext-unsat.xml"))
        self.assertEqual(rc, 0)
        # C1, C2 over S become 2 x 3 binary constraints with 2 hidden
        # variables over S's 4 tuple indices; the binary NEG (negative value)
        # has 3 tuples; K (conflicts) is kept whole.
        self.assertIn("#Vars: 8\n#Constraints: 11\nMax arity: 3\nMax domain: 4\n", dec)

    def test_constType(self):
        cases = [(AUSTRALIA, 0, "Binary CSP\n"), (QUEENS4, 0, "Binary CSP\n"),
                 (ZEBRA_NARY, 1, "N-ary CSP\n"), (NARY_MIX, 1, "N-ary CSP\n")]
        for path, status, text in cases:
            with self.subTest(path=os.path.basename(path)):
                rc, out, _ = run(["-constType"], stdin_path=path)
                self.assertEqual((rc, out), (status, text))
        rc, out, _ = run(["-constType"], stdin_bytes=b"")
        self.assertEqual((rc, out), (0, "Binary CSP\n"))


class GraphExport(unittest.TestCase):
    def test_hypergraph(self):
        rc, out, _ = run(["-vHyper"], stdin_path=GRAPH)
        self.assertEqual(rc, 0)
        self.assertEqual(out, "3 4\n3 3 1 2 \n2 0 1 \n2 1 0 \n")

    def test_primal_dimacs(self):
        # The ternary constraint over ids 3, 1, 2 gives 2 4, 2 3, 3 4; the
        # two binary constraints on the same pair give the same edge twice.
        rc, out, _ = run(["-vPrimalDimacs"], stdin_path=GRAPH)
        self.assertEqual(rc, 0)
        self.assertEqual(out, "p edge 4 5\ne 2 4\ne 2 3\ne 3 4\ne 1 2\ne 1 2\n")

    def test_empty_network(self):
        rc, out, _ = run(["-vPrimalDimacs"], stdin_bytes=b"")
        self.assertEqual((rc, out), (0, "p edge 0 0\n"))
        rc, out, _ = run(["-vHyper"], stdin_bytes=b"")
        self.assertEqual((rc, out), (0, "0 0\n"))


class FalsifiedConstraints(unittest.TestCase):
    MODE = "-interpretationToFalsifiedConstraints"

    def check(self, line, instance=AUSTRALIA):
        with tempfile.NamedTemporaryFile("w", suffix=".sol", delete=False) as f:
            f.write(line)
            name = f.name
        try:
            return run([self.MODE, name], stdin_path=instance)
        finally:
            os.unlink(name)

    def test_lists_falsified_constraints(self):
        # merge.xml with merging off (this mode turns it off): C1 ne, C2 gt
        # over (X, Y), C3: Y + X <= 2.
        cases = [
            ("v 1 0\n", "v \n"),
            ("v 2 0\nignored second line\n", "v \n"),
            ("v 0 0\n", "v C1 C2 \n"),
            ("v 0 2\n", "v C2 \n"),
            ("v 2 1\n", "v C3 \n"),
            ("v 2 2", "v C1 C2 C3 \n"),
        ]
        for line, expected in cases:
            with self.subTest(line=line):
                rc, out, err = self.check(line, MERGE)
                self.assertEqual((rc, out), (0, expected), err)

    def test_bad_assignment_files(self):
        cases = [
            "v 1 0 1\n",                      # fewer values than variables
            "",                               # empty file
            "d ASSIGNMENTS 12\nv 0 1 2 0 1 2 0\n",  # not the value line first
            "v 1 2 3 1 2 x 1\n",              # not an integer
            "v 1 2 3 1 2 7 1\n",              # outside the variable's domain
        ]
        for line in cases:
            with self.subTest(line=line):
                rc, out, err = self.check(line)
                self.assertEqual(rc, 1)
                self.assertEqual(out, "")
                self.assertTrue(err.startswith("c "), err)

    def test_missing_file(self):
        rc, out, err = run([self.MODE, "/nonexistent/assignment"], stdin_path=AUSTRALIA)
        self.assertEqual((rc, out), (1, ""))
        self.assertIn("/nonexistent/assignment", err)


if __name__ == "__main__":
    unittest.main(verbosity=2)
