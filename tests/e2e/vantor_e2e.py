"""Shared helpers for the end-to-end tests: run the vantor program on a
fixture and return its exit status, standard output and standard error."""
import os
import subprocess
import unittest

VANTOR = os.environ.get("VANTOR", os.path.join(os.path.dirname(__file__), "../../build/vantor"))
FIXTURES = os.environ.get("FIXTURES", os.path.join(os.path.dirname(__file__), "../fixtures"))


def fixture(*parts):
    return os.path.join(FIXTURES, *parts)


def run(args, stdin_path=None, stdin_bytes=None, timeout=120, env=None):
    """Runs vantor with args; stdin from a file, from bytes, or empty."""
    if stdin_path is not None:
        with open(stdin_path, "rb") as f:
            stdin_bytes = f.read()
    p = subprocess.run([VANTOR] + list(args), input=stdin_bytes or b"",
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                       timeout=timeout, env=env)
    return p.returncode, p.stdout.decode("utf-8", "replace"), p.stderr.decode("utf-8", "replace")


def main():
    unittest.main(verbosity=2)
