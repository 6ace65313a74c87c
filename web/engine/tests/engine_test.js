// The NEC-2 engine in WebAssembly against Debian's native nec2c, in one Node process: the same
// decks must give the same output, run after run; progress must count every frequency; broken
// decks must fail with nec2c's reason.
// Usage: node --expose-gc engine_test.js nec2c_engine.js nec2c_engine.wasm.gz.b64 brimalox-cli nec2c DECK...
'use strict';
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const [enginePath, wasmPath, cliPath, nativePath, ...deckPaths] = process.argv.slice(2);
const { loadNecEngine, NecEngineError } = require(path.resolve(enginePath));

const FREQUENCY_MARK = '--------- FREQUENCY --------';

// nec2c reads a card into 81 bytes; a longer comment card overruns that buffer, in the native
// program too, so each side would print something else. The stored decks have such comments:
// they are split into cards of 80 characters, the same deck for both sides.
function withShortCards(deck) {
  return deck.split('\n').flatMap((line) => {
    if (line.length <= 80 || !line.startsWith('CM')) return [line];
    const words = line.slice(3);
    const cards = [];
    for (let i = 0; i < words.length; i += 77) cards.push('CM ' + words.slice(i, i + 77));
    return cards;
  }).join('\n');
}

function runNative(deck) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'nec2c-native-'));
  try {
    fs.writeFileSync(path.join(dir, 'x.nec'), deck);
    execFileSync(nativePath, ['-i', 'x.nec', '-o', 'x.out'], { cwd: dir, stdio: 'ignore' });
    return fs.readFileSync(path.join(dir, 'x.out'), 'utf8');
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

// Timing lines ("FILL: 10 msec", "TOTAL RUN TIME: 30 msec") differ from run to run: their numbers
// are left out. Every other number must be printed the same, but for rounding: the two builds use
// different maths libraries, so a value that is zero in exact arithmetic (a cross-polar field)
// comes out as noise of about 1e-16 of its table's largest value, and differs in its last digits.
// So magnitudes in E notation may differ by 1e-9 of the largest in their table (the rows between
// two other lines), the phase that follows such a magnitude by what that error turns it by, and a
// gain in dB when both sides are below -140 dB (a field 1e-7 of the strongest).
const SCIENTIFIC = /^-?\d\.\d+E[+-]\d+$/;
const NOISE_DB = -140;

function tableScales(lines) {
  const scales = new Array(lines.length).fill(0);
  let start = 0;
  let largest = 0;
  for (let i = 0; i <= lines.length; ++i) {
    const row = i < lines.length && /^\s*-?\d/.test(lines[i]);
    if (row) {
      for (const token of lines[i].trim().split(/\s+/)) {
        if (SCIENTIFIC.test(token)) largest = Math.max(largest, Math.abs(Number(token)));
      }
      continue;
    }
    scales.fill(largest, start, i);
    start = i + 1;
    largest = 0;
  }
  return scales;
}

function compareOutputs(native, wasm, name) {
  const nativeLines = native.split('\n');
  const wasmLines = wasm.split('\n');
  assert.equal(wasmLines.length, nativeLines.length, `${name}: number of lines`);
  const scales = tableScales(nativeLines);
  let noisy = 0;
  for (let i = 0; i < nativeLines.length; ++i) {
    if (nativeLines[i] === wasmLines[i]) continue;
    const where = `${name}, line ${i + 1}:\n  native: ${nativeLines[i]}\n  wasm:   ${wasmLines[i]}`;
    if (/msec/.test(nativeLines[i])) {
      assert.equal(wasmLines[i].replace(/\d+ msec/g, 'msec'), nativeLines[i].replace(/\d+ msec/g, 'msec'), where);
      continue;
    }
    const a = nativeLines[i].trim().split(/\s+/);
    const b = wasmLines[i].trim().split(/\s+/);
    assert.equal(b.length, a.length, where);
    const tolerance = 1e-9 * scales[i];
    let magnitude = null;  // of the number before, when in E notation on both sides
    for (let k = 0; k < a.length; ++k) {
      const [x, y] = [Number(a[k]), Number(b[k])];
      const scientific = SCIENTIFIC.test(a[k]) && SCIENTIFIC.test(b[k]);
      if (a[k] !== b[k]) {
        let close;
        if (x === y) {
          close = true;  // -0.00 and 0.00
        } else if (scientific) {
          close = Math.abs(x - y) <= tolerance;
        } else if (magnitude !== null) {
          const turn = Math.abs(x - y) % 360;
          close = Math.min(turn, 360 - turn) <= 0.01 + (180 / Math.PI) * tolerance / magnitude;
        } else {
          close = x < NOISE_DB && y < NOISE_DB;
        }
        assert.ok(close, where);
        ++noisy;
      }
      magnitude = scientific ? Math.min(Math.abs(x), Math.abs(y)) : null;
    }
  }
  return noisy;
}

function frequencyBlocks(output) {
  return output.split(FREQUENCY_MARK).length - 1;
}

function decks() {
  const list = deckPaths.map((file) => ({ name: path.basename(file), text: fs.readFileSync(file, 'utf8') }));
  for (const args of [['146'], ['146', '--ground', 'average', '--height', '5']]) {
    list.push({ name: 'brimalox-cli nec ' + args.join(' '), text: execFileSync(cliPath, ['nec', ...args], { encoding: 'utf8' }) });
  }
  return list.map((deck) => ({ ...deck, text: withShortCards(deck.text) }));
}

function runWithProgress(engine, deck) {
  const progress = [];
  const result = engine.run(deck, (done) => progress.push(done));
  return { result, progress };
}

async function main() {
  const engine = await loadNecEngine(fs.readFileSync(wasmPath, 'utf8'));

  for (const deck of decks()) {
    const native = runNative(deck.text);
    const { result, progress } = runWithProgress(engine, deck.text);
    const noisy = compareOutputs(native, result.output, deck.name);
    assert.equal(result.exitCode, 0, deck.name);
    const blocks = frequencyBlocks(native);
    assert.ok(blocks > 0, `${deck.name}: the deck computes something`);
    assert.equal(result.frequencies, blocks, deck.name);
    // One call as each block completes, then the last one at the end.
    assert.deepEqual(progress, Array.from({ length: blocks }, (_, i) => i + 1), deck.name);
    console.log(`${deck.name}: same output as native nec2c (${blocks} frequencies, ${noisy} numbers at rounding noise)`);
  }

  // Runs in a row in one engine: nec2c's globals must not carry over.
  const deck = withShortCards(fs.readFileSync(deckPaths[0], 'utf8'));
  const first = engine.run(deck).output;
  for (let i = 0; i < 2; ++i) {
    compareOutputs(first, engine.run(deck).output, `run ${i + 2} in a row`);
  }

  // Many runs inside one synchronous call, as the model check may make them: each instance's
  // memory (16 MB at least) must be free once the run returns, not when the caller yields.
  const small = 'CE\nGW 1 11 0 0 -0.5 0 0 0.5 0.001\nGE 0\nEX 0 1 6 0 1 0\nFR 0 1 0 0 146 0\nXQ\nEN\n';
  for (let i = 0; i < 50; ++i) engine.run(small);
  // V8 frees array buffers' memory in a sweep that may run on after a collection returns; a second
  // full collection waits for the first one's sweep, so the figure does not depend on that timing.
  global.gc();
  global.gc();
  const held = process.memoryUsage().external / 2 ** 20;
  assert.ok(held < 200, `${held.toFixed(0)} MB still held after 50 runs`);

  const wire = 'CE\nGW 1 11 0 0 -0.5 0 0 0.5 0.001\nGE 0\n';
  const broken = [
    { what: 'unknown card', deck: `${wire}EX 0 1 6 0 1 0\nFR 0 1 0 0 146 0\nXX\nEN\n`, reason: /FAULTY DATA CARD LABEL/ },
    { what: 'excitation on a missing wire', deck: `${wire}EX 0 7 1 0 1 0\nFR 0 1 0 0 146 0\nXQ\nEN\n`,
      reason: /NO SEGMENT HAS AN ITAG OF 7/ },
    // The native program dies of SIGFPE here; in WebAssembly the division traps.
    { what: 'wire of no segments', deck: 'CE\nGW 1 0 0 0 -0.5 0 0 0.5 0.001\nGE 0\nEX 0 1 1 0 1 0\nFR 0 1 0 0 146 0\nXQ\nEN\n',
      reason: /^nec2c stopped: .*divide by zero/ },
    { what: 'wire without radius', deck: 'CE\nGW 1 11 0 0 -0.5 0 0 0.5\nGE 0\nEN\n', reason: /GEOMETRY DATA CARD ERROR/ },
    { what: 'empty deck', deck: '', reason: /Error reading input file/ },
    { what: 'more memory than WebAssembly has', reason: /memory allocation request has failed/,
      deck: 'CE\nGW 1 13000 0 0 -0.5 0 0 0.5 0.00001\nGE 0\nEX 0 1 6500 0 1 0\nFR 0 1 0 0 146 0\nXQ\nEN\n' },
    { what: 'comment too long', deck: `CM ${'x'.repeat(78)}\n${wire}EN\n`, reason: /line 1 is longer than 80 characters/ },
    { what: 'card too long', deck: `CE\n${'GW 1 11 0 0 -0.5 0 0 0.5 0.001'.padEnd(133)}\nGE 0\nEN\n`,
      reason: /line 2 is longer than 132 characters/ },
    { what: 'not text', deck: 42, reason: /not text/ },
  ];
  for (const { what, deck: text, reason } of broken) {
    assert.throws(() => engine.run(text), (error) => {
      assert.ok(error instanceof NecEngineError, what);
      assert.match(error.message, reason, what);
      return true;
    }, what);
  }
  // And the engine still works after all of that.
  compareOutputs(first, engine.run(deck).output, 'run after the failures');
  console.log('runs in a row and broken decks: ok');
}

main().catch((error) => {
  console.error(error);
  process.exitCode = 1;
});
