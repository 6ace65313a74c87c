// The WebAssembly module against brimalox-cli replay: the same actions must leave the same field
// texts and click outcomes. Usage: node binding_test.js brimalox_core.js path/to/brimalox-cli
'use strict';
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const path = require('node:path');

const [modulePath, cliPath] = process.argv.slice(2);
const createBrimaloxCore = require(path.resolve(modulePath));

const { runScript } = require('./module_outcomes.js');
const form = require('../../tests/form1.json');

// Replay's twelve reported fields, by their numbers (Text1 is index 0 of the module's 24 texts).
const reported = [...form.input_fields, ...form.result_fields].map((name) => Number(name.slice('Text'.length)));

function reportOf(texts, clicks) {
  const fields = {};
  for (const n of reported) fields['Text' + n] = texts[n - 1];
  return { fields, clicks: clicks.slice() };
}

// Runs a replay script through the module the way the page does. After each click it notes what
// replay would print for the script up to that line.
async function runOnModule(script) {
  const clicks = [];
  const outcomes = [];
  const afterClicks = [];
  const texts = runScript(await createBrimaloxCore(), script, (button, out, index, lines) => {
    outcomes.push(out);
    clicks.push(out.ok ? { button, ok: true } : { button, ok: false, failure: out.family, kind: out.kind });
    afterClicks.push({ prefix: lines.slice(0, index + 1).join('\n') + '\n', report: reportOf(out.texts, clicks) });
  });
  return { afterClicks, texts, outcomes };
}

function runReplay(script) {
  return JSON.parse(execFileSync(cliPath, ['replay'], { input: script, encoding: 'utf8' }));
}

const scripts = {
  road: 'set Text2 50\nclick Command7\nset Text4 8\nclick Command1\nselect Option1\nclick Command4\n',
  // COMPUTE writes the series match length in both units, then fails on the millimetre field.
  partialFailure: 'set Text2 146\nset Text8 x\nselect Option1\nclick Command4\n',
  // Values the handlers share stay in the module from click to click: a COMPUTE before any option
  // is selected shows the side length held since start, and designs follow one another.
  sideCarriedOver: 'set Text2 146\nclick Command7\nclick Command4\nselect Option2\nclick Command4\n' +
                   'set Text2 28.4\nclick Command7\nclick Command4\n',
  changes: 'set Text6 0.25\nclick Command2\nset Text8 2,5\nclick Command3\nset Text8 12.7\nclick Command3\n' +
           'set Text4 0000\nclick Command1\nset Text4 -0\nclick Command1\n',
  hostile: 'set Text2 inf\nclick Command7\nset Text2 0x10\nclick Command7\nset Text2 1E39\nclick Command7\n' +
           'set Text2  146 \nclick Command7\nset Text2 0\nselect Option1\nclick Command4\n' +
           'set Text2 1E-40\nclick Command4\nset Text2 \nclick Command4\nset Text2 µ146\nclick Command7\n',
  windows: 'click Command5\nclick Command6\nset Text2 7.1\nclick Command7\n',
};

async function main() {
  let compared = 0;
  for (const [name, script] of Object.entries(scripts)) {
    for (const { prefix, report } of (await runOnModule(script)).afterClicks)
      assert.deepEqual(report, runReplay(prefix), name + ', after:\n' + prefix), ++compared;
  }

  // The failed click's words are the desktop's, and only the fields before the failing step changed.
  const start = (await createBrimaloxCore()).texts();
  const { texts, outcomes } = await runOnModule(scripts.partialFailure);
  assert.equal(outcomes[0].message,
               'COMPUTE stopped while reading the millimetre field (Text8).\n\n' +
               'Conversion failure: type mismatch. The text is not a number. ' +
               'Type the diameter in millimetres, such as 1.626.\n\n' +
               'Fields already written keep their new values; the others are unchanged.');
  const changed = texts.map((t, i) => (t === start[i] ? null : 'Text' + (i + 1))).filter(Boolean);
  assert.deepEqual(changed, ['Text2', 'Text8', 'Text22', 'Text23']);

  // NOTES and WEBSITE ask the page for their dialogs and change no field.
  const windows = await runOnModule('click Command6\nclick Command5\nclick Command7\n');
  assert.deepEqual(windows.outcomes.map((o) => o.window), ['notes', 'website', null]);
  assert.deepEqual(windows.outcomes[0].texts, start);

  // A label handed over with other words keeps them: the page's texts are the form's texts.
  const core = await createBrimaloxCore();
  const relabelled = core.texts();
  relabelled[0] = 'FREQ\u00a0\u2192 MHz';
  relabelled[1] = '\u0000146';
  const out = core.press(7, relabelled, [false, false]);
  assert.equal(out.texts[0], relabelled[0]);
  assert.equal(out.texts[1], relabelled[1]);
  assert.equal(out.kind, 'type mismatch');
  assert.throws(() => core.press('Command8', relabelled, [false, false]), RangeError);
  // Texts cross into the module as JSON: a lone surrogate comes back as the encoder makes it of any
  // typed text, and a window of the wrong size is refused, not half handed over.
  relabelled[2] = 'A\ud800B';
  assert.equal(core.press('Command7', relabelled, [false, false]).texts[2], 'A\ufffdB');
  assert.throws(() => core.press('Command7', relabelled.slice(1), [false, false]), RangeError);
  // The design road in the module: the fields and the failed click replay gives for the user's
  // clicks, starting from a fresh window or from one that already showed a design.
  const before = 'set Text2 28.4\nclick Command7\nselect Option2\nclick Command4\n';
  const designs = [
    [{ frequency: '146', sides: 3 }, '', 'set Text2 146\nclick Command7\nselect Option1\nclick Command4\n'],
    [{ frequency: '50', sides: 4, unit: 'awg', conductor: '8' }, before,
     'set Text2 50\nclick Command7\nset Text4 8\nclick Command1\nselect Option2\nclick Command4\n'],
    [{ frequency: '222', sides: 3, unit: 'inch', conductor: '0.25' }, '',
     'set Text2 222\nclick Command7\nset Text6 0.25\nclick Command2\nselect Option1\nclick Command4\n'],
    [{ frequency: '7.1', sides: 4, unit: 'mm', conductor: '0' }, before,
     'set Text2 7.1\nclick Command7\nset Text8 0\nclick Command3\nselect Option2\nclick Command4\n'],
    [{ frequency: 'abc', sides: 3 }, before, 'set Text2 abc\nclick Command7\n'],
    [{ frequency: '146', sides: 4, unit: 'awg', conductor: 'thick' }, '',
     'set Text2 146\nclick Command7\nset Text4 thick\nclick Command1\n'],
    // No form chosen: COMPUTE with neither option, showing the side length the window holds.
    [{ frequency: '146', sides: 5 }, '', 'set Text2 146\nclick Command7\nclick Command4\n'],
  ];
  for (const [design, earlier, script] of designs) {
    const road = await createBrimaloxCore();
    const shown = runScript(road, earlier, () => {});
    const options = earlier ? [false, true] : [false, false];
    const out = road.design(design, shown, options);
    const expected = runReplay(earlier + script);
    const failed = expected.clicks.slice(earlier ? 2 : 0).find((c) => !c.ok);
    const what = JSON.stringify(design);
    assert.deepEqual(reportOf(out.texts, []).fields, expected.fields, what);
    assert.equal(out.failed, failed ? failed.button : null, what);
    assert.deepEqual(out.options, failed ? options : [design.sides === 3, design.sides === 4], what);
    ++compared;
  }

  // The value fields as the page asks for them: the window's twelve, keyed as the command line's JSON.
  const fields = (await createBrimaloxCore()).valueFields();
  assert.deepEqual(fields.map((f) => f.field), reported.sort((a, b) => a - b).map((n) => 'Text' + n));
  const row = JSON.parse(execFileSync(cliPath, ['design', '146', '--format', 'json'], { encoding: 'utf8' }))[0];
  assert.deepEqual(fields.map((f) => f.key), Object.keys(row).filter((k) => k !== 'sides' && !k.startsWith('recommended_')));
  assert.deepEqual(fields.filter((f) => f.change).map((f) => [f.unit, f.change]),
                   [['AWG', 'Command1'], ['inch', 'Command2'], ['mm', 'Command3']]);

  console.log('ok: ' + compared + ' clicks of ' + Object.keys(scripts).length + ' scripts match replay');
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
