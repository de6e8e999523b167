#!/usr/bin/env python3
# Runs every bench/script/*.vbs with vornscript and the .py of the same name with
# this Python, best of three each, and prints the CPU times and the ratio.
import os, resource, subprocess, sys, time

here = os.path.dirname(os.path.abspath(__file__))
host = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', '..', 'build', 'bin', 'vornscript')
runs = int(os.environ.get('BENCH_RUNS', '3'))

def best(cmd):
    t = None
    out = None
    for _ in range(runs):
        # CPU time of the child: the machine is shared, wall time is noisy
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        r = subprocess.run(cmd, capture_output=True, text=True)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        el = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        if r.returncode != 0:
            raise SystemExit('failed: %s\n%s%s' % (' '.join(cmd), r.stdout, r.stderr))
        out = r.stdout.strip()
        t = el if t is None else min(t, el)
    return t, out

print('%-10s %10s %10s %8s  %s' % ('bench', 'vbscript', 'python3', 'py/vbs', 'check'))
for name in sorted(f[:-4] for f in os.listdir(here) if f.endswith('.vbs')):
    tv, ov = best([host, os.path.join(here, name + '.vbs')])
    tp, op = best([sys.executable, os.path.join(here, name + '.py')])
    print('%-10s %9.3fs %9.3fs %8.2f  %s' % (name, tv, tp, tp / tv, 'same' if ov == op else 'DIFFER: %r vs %r' % (ov, op)))
