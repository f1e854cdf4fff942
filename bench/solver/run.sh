#!/usr/bin/env bash
# Solver benchmark: "-complete" on a fixed list of instances; for each, the
# median over 3 runs of the processor time (user + system), the decisions
# ("d ASSIGNMENTS"), checks per second and peak memory; beside it
# toulbar2's median processor time on the same file (extension-only
# instances: toulbar2 reads no predicates or globals) and the ratio
# ours / toulbar2.
#
#   bench/solver/run.sh BUILD_DIR [INSTANCE_ROOT]
#   environment: LIMIT (seconds per run, default 60), RUNS (default 3)
set -u
build=$(cd "${1:-build}" && pwd)
root=${2:-/work/shared/instances}
exec python3 - "$build/vantor" "$root" "${LIMIT:-60}" "${RUNS:-3}" <<'PY'
import os, shutil, statistics, subprocess, sys, tempfile

vantor, root, limit, runs = sys.argv[1], sys.argv[2], float(sys.argv[3]), int(sys.argv[4])
INSTANCES = """
rb/rb-n20-p0.25-s1.xml rb/rb-n25-p0.25-s1.xml rb/rb-n30-p0.20-s1.xml
rb/rb-n30-p0.23-s1.xml rb/rb-n30-p0.25-s1.xml rb/rb-n35-p0.23-s1.xml
rb/rb-n35-p0.28-s1.xml rb/frb-n30-p0.25-s1.xml rb/rb-n40-p0.23-s1.xml
rb/rb-n40-p0.28-s1.xml
real/18/20_8_200_11.xml real/18/20_8_200_22.xml real/18/20_8_200_33.xml
real/18/20_8_200_44.xml
real/v32_d8_p20/v32_d8_p20_t10/v32_d8_p20_t10_0.xcsp
real/v32_d8_p20/v32_d8_p20_t30/v32_d8_p20_t30_0.xcsp
real/v32_d8_p20/v32_d8_p20_t40/v32_d8_p20_t40_0.xcsp
real/v32_d8_p20/v32_d8_p20_t50/v32_d8_p20_t50_0.xcsp
real/v32_d8_p20/v32_d8_p20_t70/v32_d8_p20_t70_0.xcsp
real/v32_d8_p20/v32_d8_p20_t90/v32_d8_p20_t90_0.xcsp
queens/queens-10-int.xml queens/queens-12-int.xml queens/queens-10-alldiff.xml
coloring/col-queen6_6-k7-ext.xml coloring/col-queen6_6-k7-int.xml
coloring/col-myciel5-k6-ext.xml coloring/col-le450_5a-k5-ext.xml
""".split()


def measure(cmd, stdin_path=None):
    """Runs cmd once; returns (cpu seconds, peak KB, stdout).  Past the
    limit the program gets SIGALRM, as from a harness.  The peak memory is
    read by /usr/bin/time, whose small image is what the program is forked
    from (a fork of this Python process would count Python's pages)."""
    memfile = os.path.join(tmpdir, "mem")
    wrapped = ["/usr/bin/time", "-f", "%M", "-o", memfile, "timeout", "--preserve-status",
               "-s", "ALRM", str(int(limit))] + cmd
    with tempfile.TemporaryFile() as out:
        fin = open(stdin_path, "rb") if stdin_path else subprocess.DEVNULL
        p = subprocess.Popen(wrapped, stdin=fin, stdout=out, stderr=subprocess.DEVNULL)
        # The rusage of the wrapper includes the program it waited for.
        _, _, ru = os.wait4(p.pid, 0)
        p.returncode = 0
        if stdin_path:
            fin.close()
        with open(memfile) as f:
            peak = int(f.read().split()[-1])
        out.seek(0)
        return ru.ru_utime + ru.ru_stime, peak, out.read().decode("utf-8", "replace")


def field(out, prefix):
    for line in out.splitlines():
        if line.startswith(prefix):
            return line[len(prefix):].strip()
    return None


toulbar2 = shutil.which("toulbar2")
tmpdir = tempfile.mkdtemp()
print("%-52s %-6s %9s %10s %11s %8s | %9s %7s" % ("instance", "status", "time(s)", "decisions",
                                                    "checks/s", "mem(MB)", "tb2(s)", "ratio"))
ratios = {}
for rel in INSTANCES:
    path = os.path.join(root, rel)
    if not os.path.exists(path):
        print("%-52s missing" % rel)
        continue
    times, mems, outs = [], [], []
    for _ in range(runs):
        t, m, out = measure([vantor, "-complete"], path)
        times.append(t)
        mems.append(m)
        outs.append(out)
    t = statistics.median(times)
    out = outs[0]
    status = {"SATISFIABLE": "SAT", "UNSATISFIABLE": "UNSAT", "UNKNOWN": "UNK"}.get(field(out, "s ") or "", "-")
    dec = field(out, "d ASSIGNMENTS ") or "-"
    checks = int(field(out, "d CHECKS ") or 0)
    cps = "%.3g" % (checks / t) if t > 0 else "-"
    tb, ratio = "-", "-"
    text = open(path, "rb").read()
    if toulbar2 and b"<predicates" not in text and b'reference="global:' not in text:
        # toulbar2 picks its reader from the file extension.
        copy = os.path.join(tmpdir, "instance.xml")
        shutil.copyfile(path, copy)
        tbt = statistics.median(measure([toulbar2, copy, "-timer=%d" % int(limit)])[0]
                                for _ in range(runs))
        tb = "%.3f" % tbt
        if tbt > 0:
            ratio = "%.2f" % (t / tbt)
            ratios.setdefault(rel.split("/")[0] if not rel.startswith("real/") else "/".join(rel.split("/")[:2]), []).append(t / tbt)
    print("%-52s %-6s %9.3f %10s %11s %8.1f | %9s %7s" % (rel, status, t, dec, cps,
                                                         statistics.median(mems) / 1024, tb, ratio))
for family, rs in sorted(ratios.items()):
    print("median ratio ours/toulbar2 on %-20s %.2f (%d instances)" % (family, statistics.median(rs), len(rs)))
shutil.rmtree(tmpdir)
PY
