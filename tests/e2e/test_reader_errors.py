"""Documents the reader or libxml2 rejects through the program: status 1,
the line report on standard output, the message on standard error, and no
solving at all; and a document read across 4096-byte chunk borders from a
pipe."""
import re
import unittest

from vantor_e2e import run

HEAD = (b'<instance><presentation name="x"/><domains nbDomains="1">'
        b'<domain name="D" nbValues="2">0 1</domain></domains>'
        b'<variables nbVariables="2"><variable name="X" domain="D"/>'
        b'<variable name="Y" domain="D"/></variables>')
TAIL = (b'<constraints nbConstraints="1"><constraint name="C" arity="2" scope="X Y" '
        b'reference="global:allDifferent"/></constraints></instance>')


class RejectedDocuments(unittest.TestCase):
    def assert_stopped(self, data, message):
        rc, out, err = run(["-complete"], stdin_bytes=data)
        self.assertEqual(rc, 1, out + err)
        self.assertRegex(out, r"^Exception at line \d+\n$")
        self.assertNotIn("s SATISFIABLE", out)
        self.assertTrue(err.endswith("\n\tUnexpected exception :\n\t" + message + "\n"), err)
        return err

    def test_libxml_verdict_ends_the_run(self):
        cases = [
            (HEAD.replace(b"</domains>", b"</domain>") + TAIL,
             "Opening and ending tag mismatch: domains"),
            (HEAD + b'<relations nbRelations="1"><relation name="R" arity="2" nbTuples="1" '
             b'semantics="supports">0 ', "Extra content at the end of the document"),
            (HEAD.replace(b"0 1", b"0 \xff 1") + TAIL, "Input is not proper UTF-8, indicate encoding !"),
            (HEAD + b"&undeclared;" + TAIL, "Entity 'undeclared' not defined"),
        ]
        for data, libxml in cases:
            with self.subTest(libxml=libxml):
                rc, out, err = run(["-complete"], stdin_bytes=data)
                self.assertEqual(rc, 1, out + err)
                self.assertRegex(out, r"^Exception at line \d+\n$")
                self.assertNotIn("s SATISFIABLE", out)
                # libxml2's own report, then the reader's message quoting it.
                m = re.search(r"\n\tUnexpected exception :\n\tthe document is not well-formed XML "
                              r"\(libxml2: ([^\n]*)\)\n$", err)
                self.assertIsNotNone(m, err)
                self.assertTrue(m.group(1).startswith(libxml), m.group(1))
                self.assertLess(err.index(libxml), m.start(), err)

    def test_external_entity_is_refused(self):
        data = b'<!DOCTYPE instance [<!ENTITY e SYSTEM "/etc/hostname">]>' + HEAD + b"&e;" + TAIL
        self.assert_stopped(data, "external entities are not supported")

    def test_reader_rules_beyond_xml(self):
        relation = (b'<relations nbRelations="1"><relation name="R" arity="2" nbTuples="1" '
                    b'semantics="supports">%s</relation></relations>')
        cases = [
            (HEAD + relation % b"0 1 1" + TAIL, "tuple has more values than the relation's arity"),
            (HEAD.replace(b"0 1", b"0 ..1") + TAIL, "missing bound in domain interval ..1"),
            (HEAD + TAIL.replace(b"/></constraints>",
                                 b"><parameters>[X Y</parameters></constraint></constraints>"),
             "missing ']' or '}' in parameters"),
            (b"<parameters>int X</parameters>", "unexpected <parameters> tag"),
        ]
        for data, message in cases:
            with self.subTest(message=message):
                self.assert_stopped(data, message)


class ChunkBorders(unittest.TestCase):
    def test_tuples_across_borders_from_a_pipe(self):
        # X + Y = 999 and X = 500: the only solution uses the tuple (500, 499),
        # placed across each position of the first chunk border in turn.
        tuples = b"|".join(b"%d %d" % (a, 999 - a) for a in range(1000))
        body = (b'<instance><domains nbDomains="1"><domain name="D" nbValues="1000">0..999</domain>'
                b'</domains><variables nbVariables="2"><variable name="X" domain="D"/>'
                b'<variable name="Y" domain="D"/></variables><relations nbRelations="2">'
                b'<relation name="S" arity="2" nbTuples="1000" semantics="supports">' + tuples +
                b'</relation><relation name="U" arity="1" nbTuples="1" semantics="supports">500'
                b'</relation></relations><constraints nbConstraints="2">'
                b'<constraint name="C" arity="2" scope="X Y" reference="S"/>'
                b'<constraint name="D1" arity="1" scope="X" reference="U"/></constraints></instance>')
        at = body.index(b"|500 499|") + 1
        for cut in range(1, 8):
            # A chunk ends after `cut` bytes of "500 499".
            start = 4096 * ((at + 7) // 4096 + 1) - cut
            data = b"<!--" + b"x" * (start - at - len(b"<!---->")) + b"-->" + body
            self.assertEqual(data.index(b"500 499"), start)
            with self.subTest(cut=cut):
                rc, out, err = run(["-complete"], stdin_bytes=data)
                self.assertEqual(rc, 10, out + err)
                self.assertIn("\nv 500 499\n", "\n" + out)


if __name__ == "__main__":
    unittest.main(verbosity=2)
