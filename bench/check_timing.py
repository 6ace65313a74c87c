#!/usr/bin/python3
# simulate 146 (free space, and over average ground at 5 m) against one bare nec2c run of the same
# deck, the two run in turn, pair after pair: wall and CPU time (the program's and its nec2c runs').
# Usage: bench/check_timing.py [BUILD_DIR [PAIRS]]
import os, resource, statistics, subprocess, sys, tempfile, time

build = sys.argv[1] if len(sys.argv) > 1 else 'build'
pairs = int(sys.argv[2]) if len(sys.argv) > 2 else 9
cli = os.path.abspath(os.path.join(build, 'cli', 'brimalox-cli'))
cases = {'free space': ['146'], 'average ground at 5 m': ['146', '--ground', 'average', '--height', '5']}


def timed(cmd, cwd):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run(cmd, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return wall, after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime


print(f'{os.cpu_count()} cores, load {os.getloadavg()[0]:.1f} at the start, {pairs} pairs after one unmeasured')
with tempfile.TemporaryDirectory() as tmp:
    for name, args in cases.items():
        subprocess.run([cli, 'nec', *args, '-o', 'deck.nec'], cwd=tmp, stderr=subprocess.DEVNULL, check=True)
        runs = {'nec2c': ['nec2c', '-i', 'deck.nec', '-o', 'deck.out'], 'simulate': [cli, 'simulate', *args]}
        times = {k: [] for k in runs}
        for i in range(pairs + 1):
            for k, cmd in runs.items():
                t = timed(cmd, tmp)
                if i: times[k].append(t)
        wall = {k: statistics.median(w for w, _ in v) for k, v in times.items()}
        cpu = {k: statistics.median(c for _, c in v) for k, v in times.items()}
        least = {k: min(w for w, _ in v) for k, v in times.items()}
        print(f"{name}: simulate {wall['simulate']:.3f} s wall ({cpu['simulate']:.3f} s CPU), "
              f"bare nec2c {wall['nec2c']:.3f} s ({cpu['nec2c']:.3f} s CPU): "
              f"{wall['simulate'] / wall['nec2c']:.2f}x wall, {cpu['simulate'] / cpu['nec2c']:.2f}x CPU (medians); "
              f"fastest {least['simulate']:.3f} against {least['nec2c']:.3f} s: {least['simulate'] / least['nec2c']:.2f}x")
print(f'load {os.getloadavg()[0]:.1f} at the end')
