"""Runs -muc over instances x approaches x aids and prints one table."""
import os
import re
import subprocess
import sys
import time

vantor, *dirs = sys.argv[1:]
INSTANCES = [
    ("php-5-ne.xml", 1), ("col-myciel3-k3-ext.xml", 1), ("nary-con-s4.xml", 0),
    ("20_8_200_22.xml", 0), ("rb-n20-p0.25-s1.xml", 1),
]
APPROACHES = ["-del", "-cons", "-dich", "-xplain"]
AIDS = [("none", []), ("rmr", ["-rmr"]), ("lsmr", ["-lsmr", "-rnovelty", "-useSelect=3"]),
        ("wcore+", ["-wcore+", "-rmInactive"])]

print("| instance | approach | aid | cpu s | wall s | calls (approach) | calls (all, last progress row) | core |")
print("|---|---|---|---:|---:|---:|---:|---:|")
for name, d in INSTANCES:
    path = os.path.join(dirs[d], name)
    for a in APPROACHES:
        for aid, opts in AIDS:
            with open(path, "rb") as f:
                t0 = time.time()
                p = subprocess.run([vantor, "-muc", a] + opts, stdin=f, stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL, timeout=600)
                wall = time.time() - t0
            out = p.stdout.decode()
            if p.returncode != 20:
                print("| %s | %s | %s | status %d | | | | |" % (name, a, aid, p.returncode))
                continue
            cpu = float(re.search(r"^c times: (\S+)", out, re.M).group(1))
            calls = int(re.search(r"^c Number of call CSP solver: (\d+)", out, re.M).group(1))
            rows = re.findall(r"^c \|\s+\d+\s+\S+\s+(\d+) \|", out, re.M)
            allc = rows[-1] if rows else "-"
            core = int(re.search(r"^c Number of constraints in the final MUC: (\d+)", out, re.M).group(1))
            print("| %s | %s | %s | %.3f | %.3f | %d | %s | %d |" % (name, a, aid, cpu, wall, calls, allc, core))
    sys.stdout.flush()
