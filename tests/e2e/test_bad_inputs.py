"""Malformed and invalid documents through the program: the line report on
standard output, the reader's exact message on standard error, status 1 and
no solving."""
import os
import unittest

from vantor_e2e import fixture, run

BAD = fixture("bad")


def manifest():
    with open(os.path.join(BAD, "MANIFEST.tsv")) as f:
        next(f)
        return [line.rstrip("\n").split("\t")[:2] for line in f if line.strip()]


class BadInputs(unittest.TestCase):
    def test_every_bad_document_stops_with_its_message(self):
        rows = manifest()
        self.assertGreater(len(rows), 0)
        for name, message in rows:
            with self.subTest(file=name):
                rc, out, err = run(["-complete"], stdin_path=os.path.join(BAD, name))
                self.assertEqual(rc, 1, out + err)
                lines = out.splitlines()
                self.assertEqual(len(lines), 1, out)
                self.assertRegex(lines[0], r"^Exception at line \d+$")
                if message.startswith("(libxml2: "):
                    # Rejected by libxml2 itself: its own text is in the report.
                    self.assertIn(message[len("(libxml2: "):-1], err)
                else:
                    self.assertTrue(err.endswith("\n\tUnexpected exception :\n\t" + message + "\n"),
                                    err)

    def test_truncated_document_is_not_solved(self):
        with open(fixture("instances", "real", "05_ColAustralia-conflicts.xml"), "rb") as f:
            data = f.read()
        cut = data[:data.index(b"</constraints>")]
        for mode in (["-complete"], ["-infosCSP"], ["-vHyper"]):
            with self.subTest(mode=mode):
                rc, out, err = run(mode, stdin_bytes=cut)
                self.assertEqual(rc, 1)
                self.assertNotIn("s ", out)
                self.assertNotIn("#Vars", out)
                self.assertIn("Unexpected exception", err)

    def test_builder_errors(self):
        # Faults only the network builder can see: a relation of the wrong
        # arity, a predicate given too few parameters, a parameter outside
        # the scope, a weighted-sum term without its variable, a domain too
        # large to number its values, a variable without any value.
        head = (b'<instance><presentation name="x"/><domains nbDomains="1">'
                b'<domain name="D" nbValues="2">0 1</domain></domains>'
                b'<variables nbVariables="3"><variable name="X" domain="D"/>'
                b'<variable name="Y" domain="D"/><variable name="Z" domain="D"/></variables>')
        pred = (b'<predicates nbPredicates="1"><predicate name="P"><parameters>int A int B'
                b'</parameters><expression><functional>ne(A,B)</functional></expression>'
                b'</predicate></predicates>')
        cases = [
            ("relation arity",
             head + b'<relations nbRelations="1"><relation name="R" arity="3" nbTuples="1" '
             b'semantics="supports">0 0 1</relation></relations><constraints nbConstraints="1">'
             b'<constraint name="C" arity="2" scope="X Y" reference="R"/></constraints></instance>'),
            ("too few parameters",
             head + pred + b'<constraints nbConstraints="1"><constraint name="C" arity="2" '
             b'scope="X Y" reference="P"><parameters>X</parameters></constraint></constraints></instance>'),
            ("parameter outside the scope",
             head + pred + b'<constraints nbConstraints="1"><constraint name="C" arity="2" '
             b'scope="X Y" reference="P"><parameters>X Z</parameters></constraint></constraints></instance>'),
            ("scope size",
             head + pred + b'<constraints nbConstraints="1"><constraint name="C" arity="3" '
             b'scope="X Y" reference="P"/></constraints></instance>'),
            ("weighted sum without var",
             head + b'<constraints nbConstraints="1"><constraint name="C" arity="2" scope="X Y" '
             b'reference="global:weightedSum"><parameters>[ { /coef 1 } { 1 Y } ] <le/> 1'
             b'</parameters></constraint></constraints></instance>'),
            ("domain too large to number",
             b'<instance><presentation name="x"/><domains nbDomains="1">'
             b'<domain name="D" nbValues="2000000001">0..2000000000</domain></domains></instance>'),
            ("variable over an empty domain",
             b'<instance><presentation name="x"/><domains nbDomains="1">'
             b'<domain name="D" nbValues="0"></domain></domains><variables nbVariables="1">'
             b'<variable name="X" domain="D"/></variables></instance>'),
        ]
        for what, data in cases:
            with self.subTest(case=what):
                rc, out, err = run(["-complete"], stdin_bytes=data)
                self.assertEqual(rc, 1, out + err)
                self.assertRegex(out, r"^Exception at line \d+\n$")
                self.assertIn("\n\tUnexpected exception :\n\t", err)


if __name__ == "__main__":
    unittest.main(verbosity=2)
