// Runs a replay script (read from standard input) through the WebAssembly module alone, the way
// the page does, and prints each click's outcome as JSON: the message a failed click shows and the
// window a click asks for. The page tests compare what the page shows with this, so that the page
// shows the core's words, whatever they are. Usage: node module_outcomes.js brimalox_core.js < script
'use strict';
const path = require('node:path');
const fs = require('node:fs');

async function main() {
  const core = await require(path.resolve(process.argv[2]))();
  let texts = core.texts();
  const options = [false, false];
  const outcomes = [];
  for (const line of fs.readFileSync(0, 'utf8').split('\n')) {
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
      outcomes.push({ button: click[1], ok: out.ok, message: out.message, window: out.window });
    } else if (line !== '') {
      throw new Error('script line not understood: ' + line);
    }
  }
  process.stdout.write(JSON.stringify(outcomes));
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
