"""Driver of bench/encodings/run.sh (see there)."""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

ENCODINGS = ["-conflict", "-support", "-0AC", "-mixed", "-log", "-logsup", "-order", "-ordersup"]
NB_VARS = int(os.environ.get("NB_VARS", 400))
DOM = int(os.environ.get("DOM", 30))
SMALL = int(os.environ.get("SMALL", 2000))
LARGE = int(os.environ.get("LARGE", 8000))


def instance(path, nb_cons, seed=1):
    """n variables over 0..d-1, one conflicts relation holding half of the
    pairs, nb_cons constraints on random pairs of distinct variables."""
    rnd = random.Random(seed)
    pairs = [(a, b) for a in range(DOM) for b in range(DOM)]
    conflicts = sorted(rnd.sample(pairs, len(pairs) // 2))
    with open(path, "w") as f:
        f.write('<instance>\n<presentation name="bench" format="XCSP 2.1"/>\n')
        f.write('<domains nbDomains="1">\n<domain name="D" nbValues="%d">0..%d</domain>\n'
                '</domains>\n' % (DOM, DOM - 1))
        f.write('<variables nbVariables="%d">\n' % NB_VARS)
        for i in range(NB_VARS):
            f.write('<variable name="X%d" domain="D"/>\n' % i)
        f.write('</variables>\n<relations nbRelations="1">\n')
        f.write('<relation name="R" arity="2" nbTuples="%d" semantics="conflicts">' % len(conflicts))
        f.write("|".join("%d %d" % t for t in conflicts))
        f.write('</relation>\n</relations>\n<constraints nbConstraints="%d">\n' % nb_cons)
        for i in range(nb_cons):
            a, b = rnd.sample(range(NB_VARS), 2)
            f.write('<constraint name="C%d" arity="2" scope="X%d X%d" reference="R"/>\n' % (i, a, b))
        f.write('</constraints>\n</instance>\n')


GNU_TIME = shutil.which("time", path="/usr/bin:/bin")


def measure(vantor, args, stdin_path):
    """Elapsed seconds, processor seconds and peak resident KB of one run.
    The peak comes from GNU time: the resource usage of a child forked from
    this interpreter would count the interpreter's own pages."""
    cmd = [vantor] + args
    fd, mem_file = tempfile.mkstemp()
    os.close(fd)
    if GNU_TIME:
        cmd = [GNU_TIME, "-f", "%M", "-o", mem_file] + cmd
    with open(stdin_path, "rb") as inp:
        t0 = time.time()
        p = subprocess.Popen(cmd, stdin=inp, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
        _, status, ru = os.wait4(p.pid, 0)
        elapsed = time.time() - t0
    code = os.waitstatus_to_exitcode(status)
    if code != 0:
        sys.exit("vantor %s failed with status %d" % (" ".join(args), code))
    peak = float("nan")
    if GNU_TIME:
        with open(mem_file) as f:
            peak = float(f.read().split()[-1])
    os.remove(mem_file)
    return elapsed, ru.ru_utime + ru.ru_stime, peak


def header(path):
    with open(path) as f:
        _, _, nv, nc = f.readline().split()
    return int(nv), int(nc)


def main():
    vantor = sys.argv[1]
    work = tempfile.mkdtemp(prefix="vantor-bench-enc-")
    try:
        small, large = os.path.join(work, "small.xml"), os.path.join(work, "large.xml")
        instance(small, SMALL)
        instance(large, LARGE)
        out = os.path.join(work, "out.cnf")
        print("network: %d variables, domain %d, %d (small) / %d (large) binary constraints, "
              "half of the pairs forbidden" % (NB_VARS, DOM, SMALL, LARGE))
        base = {}
        for name, path in (("small", small), ("large", large)):
            e, c, m = measure(vantor, ["-infosCSP"], path)
            base[name] = m
            print("reading only (-infosCSP), %s: %.2f s elapsed, %.2f s cpu, peak %.1f MB"
                  % (name, e, c, m / 1024.0))
        if not GNU_TIME:
            print("(peak memory needs GNU time, /usr/bin/time: package time)")
        print("rates per processor second on the large network; the encoder's own peak memory "
              "is the peak of -toCNF minus that of reading only")
        print("| encoding  |    clauses | MB written | elapsed s |  cpu s | Mclauses/s |   MB/s "
              "| peak MB large | own MB small | own MB large |")
        print("|-----------|-----------:|-----------:|----------:|-------:|-----------:|-------:"
              "|--------------:|-------------:|-------------:|")
        for enc in ENCODINGS:
            _, _, peak_small = measure(vantor, ["-toCNF", enc, out], small)
            e, c, peak = measure(vantor, ["-toCNF", enc, out], large)
            _, nc = header(out)
            mb = os.path.getsize(out) / 1e6
            c = max(c, 1e-6)
            print("| %-9s | %10d | %10.1f | %9.2f | %6.2f | %10.2f | %6.1f | %13.1f | %12.1f | %12.1f |"
                  % (enc, nc, mb, e, c, nc / c / 1e6, mb / c, peak / 1024.0,
                     (peak_small - base["small"]) / 1024.0, (peak - base["large"]) / 1024.0))
            os.remove(out)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
