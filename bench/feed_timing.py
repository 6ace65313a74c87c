#!/usr/bin/python3
# simulate 146 with and without a feed (default lines, a 4:1 balun), interleaved, wall and CPU time
# of the program and its nec2c runs. Usage: bench/feed_timing.py [BUILD_DIR]
import resource, statistics, subprocess, sys, time
B = (sys.argv[1] if len(sys.argv) > 1 else 'build') + '/cli/brimalox-cli'
runs = {'without': [B, 'simulate', '146'], 'with': [B, 'simulate', '146', '--balun', '4']}
wall = {k: [] for k in runs}
cpu = {k: [] for k in runs}
for _ in range(9):
    for k, cmd in runs.items():
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        wall[k].append(time.perf_counter() - start)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu[k].append(after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime)
for k in runs:
    print(f"{k}: wall median {statistics.median(wall[k]):.3f} s, cpu median {statistics.median(cpu[k]):.3f} s")
print(f"with / without: wall {statistics.median(wall['with']) / statistics.median(wall['without']):.3f}, "
      f"cpu {statistics.median(cpu['with']) / statistics.median(cpu['without']):.3f}")
