// Runs a replay script (read from standard input) through the WebAssembly module alone, the way
// the page does, and prints each click's outcome as JSON: the message a failed click shows and the
// window a click asks for. The page tests compare what the page shows with this, so that the page
// shows the core's words, whatever they are; binding_test.js runs its scripts through runScript too.
// Usage: node module_outcomes.js brimalox_core.js < script
'use strict';
const path = require('node:path');
const fs = require('node:fs');

// Runs a replay script through the module the way the page does: it keeps the 24 texts and the option
// states, and hands them over with each click. onClick(button, outcome, index, lines) is told of each
// click, at its line's index. Gives back the texts at the end.
function runScript(core, script, onClick) {
  let texts = core.texts();
  const options = [false, false];
  const lines = script.split('\n');
  for (const [index, line] of lines.entries()) {
    const set = /^set Text(\d+)(?: (.*))?$/.exec(line);
    const select = /^select Option([12])$/.exec(line);
    const click = /^click (Command[1-7])$/.exec(line);
    if (set) {
      texts[Number(set[1]) - 1] = set[2] ?? '';
    } else if (select) {
      options[0] = select[1] === '1';
      options[1] = select[1] === '2';
    } else if (click) {
      const out = core.press(click[1], texts, options);
      texts = out.texts;
      onClick(click[1], out, index, lines);
    } else if (line !== '') {
      throw new Error('script line not understood: ' + line);
    }
  }
  return texts;
}

async function main() {
  const core = await require(path.resolve(process.argv[2]))();
  const outcomes = [];
  runScript(core, fs.readFileSync(0, 'utf8'), (button, out) =>
    outcomes.push({ button, ok: out.ok, message: out.message, window: out.window }));
  process.stdout.write(JSON.stringify(outcomes));
}

module.exports = { runScript };

if (require.main === module) {
  main().catch((error) => {
    console.error(error);
    process.exit(1);
  });
}
