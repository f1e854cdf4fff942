#!/usr/bin/env python3
"""Writes a large valid XCSP 2.1 extension instance to standard output: one
relation R0 of arity K with N distinct tuples over 0..D-1 and a few
constraints referencing it.  Deterministic.

  gen_extension.py [--tuples N] [--arity K]
"""
import argparse
import sys


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--tuples", type=int, default=4800000)
    ap.add_argument("--arity", type=int, default=3)
    a = ap.parse_args()
    n, k = a.tuples, a.arity
    d = 2
    while d ** k < 2 * n:
        d += 1
    space = d ** k
    step = 2654435761 % space
    while gcd(step, space) != 1:
        step += 1
    nvars = 2 * k
    out = sys.stdout
    out.write('<?xml version="1.0" encoding="UTF-8"?>\n<instance>\n')
    out.write('<presentation name="extension-%d-%d" maxConstraintArity="%d" format="XCSP 2.1"/>\n' % (n, k, k))
    out.write('<domains nbDomains="1">\n<domain name="D0" nbValues="%d">0..%d</domain>\n</domains>\n' % (d, d - 1))
    out.write('<variables nbVariables="%d">\n' % nvars)
    for v in range(nvars):
        out.write('<variable name="X%d" domain="D0"/>\n' % v)
    out.write('</variables>\n<relations nbRelations="1">\n')
    out.write('<relation name="R0" arity="%d" nbTuples="%d" semantics="supports">' % (k, n))
    buf = []
    x = 12345 % space
    for t in range(n):
        x = (x + step) % space
        vals = []
        y = x
        for _ in range(k):
            vals.append(str(y % d))
            y //= d
        buf.append(" ".join(vals))
        if len(buf) == 10000:
            out.write("|".join(buf))
            buf = []
            if t + 1 < n:
                out.write("|")
    out.write("|".join(buf))
    out.write('</relation>\n</relations>\n<constraints nbConstraints="2">\n')
    for c in range(2):
        scope = " ".join("X%d" % (c * k + i) for i in range(k))
        out.write('<constraint name="C%d" arity="%d" scope="%s" reference="R0"/>\n' % (c, k, scope))
    out.write('</constraints>\n</instance>\n')


def gcd(a, b):
    while b:
        a, b = b, a % b
    return a


if __name__ == "__main__":
    main()
