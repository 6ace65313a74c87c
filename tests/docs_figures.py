"""The model's figures that docs/nec.md quotes in its tables, held to what brimalox-cli prints now;
with --write the tables' rows are written from it instead.

    python3 tests/docs_figures.py --cli build/cli/brimalox-cli docs/nec.md [--write]
"""
import argparse
import concurrent.futures
import pathlib
import re
import shutil
import subprocess
import sys


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", required=True)
    parser.add_argument("--write", action="store_true", help="write the rows into the document")
    parser.add_argument("document")
    args = parser.parse_args()
    if not shutil.which("nec2c"):
        print("nec2c is not installed: skipped")
        return 77

    def simulate(*options):
        done = subprocess.run([args.cli, "simulate", *options], capture_output=True, text=True, timeout=600)
        if done.returncode != 0:
            raise SystemExit(f"brimalox-cli simulate {' '.join(options)}: exit {done.returncode}\n{done.stderr}")
        return done.stdout

    def grab(pattern, text):
        found = re.search(pattern, text, re.M)
        if not found:
            raise SystemExit(f"not in brimalox-cli's output: {pattern}\n{text}")
        return found.groups()

    def pattern_at(text, mhz):
        return grab(rf"^pattern at {re.escape(mhz)} MHz: maximum (\S+) dBi at elevation (\S+) deg", text)

    pool = concurrent.futures.ThreadPoolExecutor(2)
    rows = {}  # the start of a row in the document: the whole row

    # Free space, the default designs.
    designs = [("146", "3", "three sided"), ("146", "4", "four sided"), ("170", "3", "three sided")]
    free = dict(zip(designs, pool.map(lambda d: simulate(d[0], "--sides", d[1]), designs)))
    for (mhz, sides, name) in designs[:2]:
        out = free[(mhz, sides, name)]
        z, swr = grab(r"^\s+146\s+(\S+ \S+)\s.*\s(\S+)$", out)
        lowest = grab(r"lowest SWR: (\S+) at (\S+) MHz \(within 0.05 of it from (\S+) to (\S+) MHz\)", out)
        below = grab(r"^SWR below 2:1: (\S+) to (\S+) MHz", out)
        gain = grab(r"^maximum gain: (\S+) dBi", out)[0]
        rows[f"| {name}, now |"] = (f"| {name}, now | {z} | {swr} | {lowest[0]} at {lowest[1]} MHz (within 0.05: "
                                    f"{lowest[2]} to {lowest[3]}) | {below[0]} to {below[1]} MHz | {gain} dBi |")

    # Over average ground at three heights, at the design frequency and at the free-space 2:1 ends.
    runs = {}
    for design in designs:
        low, high = grab(r"^SWR below 2:1: (\S+) to (\S+) MHz", free[design])
        for ground in (["free"], ["average", "2"], ["average", "5"], ["average", "10"]):
            options = [design[0], "--sides", design[1], "--pattern-at", low, "--pattern-at", high]
            if ground != ["free"]:
                options += ["--ground", ground[0], "--height", ground[1]]
            runs[(design, ground[-1])] = (low, high, pool.submit(simulate, *options))
    for design in designs:
        mhz, _, name = design
        cells, ends = [], []
        for height in ("free", "2", "5", "10"):
            low, high, run = runs[(design, height)]
            out = run.result()
            gain, elevation = pattern_at(out, mhz)
            (low_gain, low_elevation), (high_gain, high_elevation) = pattern_at(out, low), pattern_at(out, high)
            if height == "free":
                cells.append(f"{gain} dBi ({low_gain} at {low}, {high_gain} at {high}) at {elevation} deg")
            else:
                cells.append(f"{gain} dBi at {elevation} deg")
                ends.append(f"{low_gain} at {low_elevation} / {high_gain} at {high_elevation}")
        rows[f"| {mhz} MHz {name} |"] = f"| {mhz} MHz {name} | " + " | ".join(cells) + " |"
        rows[f"| {mhz} MHz {name} | and then"] = f"| same, at {low} / {high} MHz | | " + " | ".join(ends) + " |"

    # The coat's shortening.
    for sides, name in (("3", "three-sided"), ("4", "four-sided")):
        out = simulate("146", "--sides", sides, "--mm", "1.626", "--insulation", "0.5,PVC")
        ratio, shorter, check, count = grab(
            r"scale the height and the side by (\S+) \((\S+) % shorter\).* to a scale of (\S+) \((\d+) check run", out)
        rows[f"| {name} |"] = f"| {name} | {ratio} | {shorter} % | {check} | {count} |"

    path = pathlib.Path(args.document)
    lines = path.read_text().split("\n")
    wrong = []
    for start, row in rows.items():
        after = start.endswith(" and then")
        key = start.removesuffix(" and then")
        at = next((i for i, line in enumerate(lines) if line.startswith(key)), None)
        if at is None:
            wrong.append(f"no row {key!r} in {path}")
            continue
        at += after
        if lines[at] != row:
            wrong.append(f"{path}:{at + 1}: {lines[at]}\n  brimalox-cli now: {row}")
            lines[at] = row
    if args.write:
        path.write_text("\n".join(lines))
        print(f"{len(wrong)} rows written")
        return 0
    for said in wrong:
        print(said)
    print(f"docs figures: {len(rows) - len(wrong)} of {len(rows)} rows as brimalox-cli prints them")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
