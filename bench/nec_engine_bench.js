// The page's NEC-2 engine: its size, and the time of one run against native nec2c on the same deck.
// Usage: node nec_engine_bench.js nec2c_engine.js nec2c_engine.wasm brimalox-cli nec2c [RUNS]
// The deck is `brimalox-cli nec 146` (free space), its comment cards cut to the 80 characters
// nec2c reads. Times are the median of RUNS runs (default 7), wall clock, one after the other.
'use strict';
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');

const [enginePath, wasmPath, cliPath, nativePath, runsText] = process.argv.slice(2);
const runs = Number(runsText || 7);
const { loadNecEngine } = require(path.resolve(enginePath));

function median(values) {
  const sorted = values.slice().sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

function kb(bytes) {
  return `${(bytes / 1024).toFixed(1)} KiB (${bytes} bytes)`;
}

async function main() {
  const wasm = fs.readFileSync(wasmPath);
  const gzipped = fs.readFileSync(wasmPath + '.gz');
  const base64 = fs.readFileSync(wasmPath + '.gz.b64');
  const glue = fs.readFileSync(enginePath);
  console.log(`WebAssembly           ${kb(wasm.length)}`);
  console.log(`  gzip -9             ${kb(gzipped.length)}`);
  console.log(`  base64 of the gzip  ${kb(base64.length)}   <- what the page inlines`);
  console.log(`glue + API script     ${kb(glue.length)}, gzip ${kb(zlib.gzipSync(glue, { level: 9 }).length)}`);

  const deck = execFileSync(cliPath, ['nec', '146'], { encoding: 'utf8' })
    .split('\n').map((line) => (line.startsWith('CM') ? line.slice(0, 80) : line)).join('\n');

  let start = process.hrtime.bigint();
  const engine = await loadNecEngine(base64.toString());
  const load = Number(process.hrtime.bigint() - start) / 1e6;
  console.log(`unpack + compile      ${load.toFixed(0)} ms`);

  const wasmTimes = [];
  let frequencies = 0;
  for (let i = 0; i < runs; ++i) {
    start = process.hrtime.bigint();
    frequencies = engine.run(deck).frequencies;
    wasmTimes.push(Number(process.hrtime.bigint() - start) / 1e6);
  }

  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'nec2c-bench-'));
  fs.writeFileSync(path.join(dir, 'x.nec'), deck);
  const nativeTimes = [];
  for (let i = 0; i < runs; ++i) {
    start = process.hrtime.bigint();
    execFileSync(nativePath, ['-i', 'x.nec', '-o', 'x.out'], { cwd: dir, stdio: 'ignore' });
    nativeTimes.push(Number(process.hrtime.bigint() - start) / 1e6);
  }
  fs.rmSync(dir, { recursive: true, force: true });

  const w = median(wasmTimes);
  const n = median(nativeTimes);
  console.log(`brimalox-cli nec 146 (${frequencies} frequencies), median of ${runs}:`);
  console.log(`  WebAssembly in Node ${w.toFixed(0)} ms (a fresh instance each run; the first ` +
              `${wasmTimes[0].toFixed(0)} ms, before V8 has optimised the hot functions)`);
  console.log(`  native nec2c        ${n.toFixed(0)} ms (process start included)`);
  console.log(`  ratio               ${(w / n).toFixed(2)}`);
}

main().catch((error) => {
  console.error(error);
  process.exitCode = 1;
});
