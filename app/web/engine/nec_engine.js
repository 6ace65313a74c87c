// The NEC-2 engine (Debian's nec2c compiled to WebAssembly) behind a small synchronous API, for a
// Web Worker or Node. The build appends this file to emscripten's glue (its factory createNec2c)
// as nec2c_engine.js; the WebAssembly comes separately, gzip-compressed, as nec2c.wasm.gz or as
// its base64 text nec2c.wasm.gz.b64, so that the page can inline it.
//
//   const engine = await loadNecEngine(wasm);
//     wasm: the module's bytes (Uint8Array, ArrayBuffer or Node Buffer) or their base64 text, gzip
//     compressed (unpacked with DecompressionStream('gzip')) or not. Compiles the module once.
//
//   const { output, exitCode, messages, frequencies } = engine.run(deckText, onProgress);
//     Synchronous: returns when nec2c has finished, so that code running inside another
//     WebAssembly module can call it through a JavaScript import. Each run gets a fresh nec2c
//     instance (nec2c keeps state in globals, getopt's among them, and cannot run twice in one).
//     deckText: the NEC-2 input deck; comment cards (CM, CE) of at most 80 characters, others
//       of at most 132.
//     onProgress(done), optional: called during the run with the number of frequencies whose
//       results nec2c has written so far, and once at the end with all of them.
//     output: nec2c's output file as text; exitCode: 0; messages: the lines nec2c printed on
//     standard output and error; frequencies: how many frequency blocks the output holds.
//   Throws a NecEngineError (name 'NecEngineError', an Error) when nec2c rejects the deck or stops
//   in any other way: its message is nec2c's reason (what it printed, else the output's last
//   line), with exitCode, messages and the output up to there as properties.
//
// In a worker the script defines the globals loadNecEngine and NecEngineError; under Node,
// require() returns { loadNecEngine, NecEngineError, createNec2c }.
(function () {
  'use strict';

  // nec2c starts each frequency's block of results with this line.
  const FREQUENCY_MARK = '--------- FREQUENCY --------';
  // nec2c reads comment cards into 81 bytes and the others into 133: a longer card would overrun
  // the first or be cut in two by the second.
  const MAX_COMMENT = 80;
  const MAX_CARD = 132;

  class NecEngineError extends Error {
    constructor(message, details) {
      super(message);
      this.name = 'NecEngineError';
      Object.assign(this, details);
    }
  }

  function bytesOf(wasm) {
    if (typeof wasm === 'string') {
      const text = atob(wasm.replace(/\s+/g, ''));
      const bytes = new Uint8Array(text.length);
      for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
      return bytes;
    }
    if (ArrayBuffer.isView(wasm)) return new Uint8Array(wasm.buffer, wasm.byteOffset, wasm.byteLength);
    return new Uint8Array(wasm);
  }

  async function gunzip(bytes) {
    const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'));
    return new Uint8Array(await new Response(stream).arrayBuffer());
  }

  async function loadNecEngine(wasm) {
    let bytes = bytesOf(wasm);
    if (bytes[0] === 0x1f && bytes[1] === 0x8b) bytes = await gunzip(bytes);
    return new NecEngine(await WebAssembly.compile(bytes));
  }

  // The output file, taken byte by byte as nec2c's stdio flushes it, so that the frequency blocks
  // can be counted while the run goes.
  class OutputFile {
    constructor(onProgress) {
      this.bytes = new Uint8Array(1 << 16);
      this.length = 0;
      this.lineStart = 0;
      this.frequencies = 0;
      this.onProgress = onProgress;
    }

    put(byte) {
      if (this.length === this.bytes.length) {
        const grown = new Uint8Array(this.bytes.length * 2);
        grown.set(this.bytes);
        this.bytes = grown;
      }
      this.bytes[this.length++] = byte;
      if (byte === 10) {
        // The mark stands alone on its line, after spaces: short lines only need decoding.
        const line = this.bytes.subarray(this.lineStart, this.length);
        this.lineStart = this.length;
        if (line.length < 100 &&
            String.fromCharCode.apply(null, line).includes(FREQUENCY_MARK)) {
          // The next block starting means the previous one is complete.
          if (this.frequencies > 0 && this.onProgress) this.onProgress(this.frequencies);
          ++this.frequencies;
        }
      }
    }

    text() {
      return new TextDecoder().decode(this.bytes.subarray(0, this.length));
    }
  }

  function checkDeck(deck) {
    if (typeof deck !== 'string') throw new NecEngineError('the deck is not text', {});
    const lines = deck.split('\n');
    for (let i = 0; i < lines.length; ++i) {
      const line = lines[i].replace(/\r$/, '');
      // nec2c skips a line that starts with '#' or a space.
      if (/^[# ]/.test(line)) continue;
      const comment = /^C[ME]/i.test(line);
      const limit = comment ? MAX_COMMENT : MAX_CARD;
      if (line.length > limit) {
        throw new NecEngineError(
          `deck line ${i + 1} is longer than ${limit} characters, the most nec2c reads of a ` +
          `${comment ? 'comment ' : ''}card`, {});
      }
    }
  }

  function lastLine(text) {
    const lines = text.split('\n').map((line) => line.trim()).filter((line) => line !== '');
    return lines.length ? lines[lines.length - 1] : '';
  }

  class NecEngine {
    constructor(module) {
      this.module = module;
    }

    run(deck, onProgress) {
      checkDeck(deck);
      const messages = [];
      const output = new OutputFile(onProgress);
      const compiled = this.module;
      let started = false;
      const nec = {
        print: (line) => messages.push(line),
        printErr: (line) => messages.push(line),
        // nec2c ends with exit(): unwind to callMain rather than end the process (the default
        // under Node) or leave its status as the process's exit code.
        quit: (status, toThrow) => { throw toThrow; },
        // A synchronous instance from the module compiled once, so that the factory below has the
        // runtime ready when it returns.
        instantiateWasm: (imports, receive) => {
          const instance = new WebAssembly.Instance(compiled, imports);
          receive(instance, compiled);
          return instance.exports;
        },
        onRuntimeInitialized: () => { started = true; },
      };
      // The factory's promise only matters when it rejects (an abort), which the run below sees.
      createNec2c(nec).catch(() => {});
      if (!started) throw new NecEngineError('the NEC-2 engine did not start', { messages });

      let exitCode;
      let crash = null;
      try {
        nec.FS.writeFile('/x.nec', deck);
        nec.FS.createDevice('/', 'x.out', null, (byte) => output.put(byte));
        exitCode = nec.callMain(['-i', 'x.nec', '-o', 'x.out']);
        nec._fflush(0);
      } catch (error) {
        // An abort (e.g. memory exhausted) or a trap in nec2c.
        crash = error;
      }
      const text = output.text();
      if (crash || exitCode !== 0) {
        const said = messages.filter((line) => line.trim() !== '').join('\n');
        const reason = said || lastLine(text) ||
          (crash ? `nec2c stopped: ${crash.message || crash}` : `nec2c stopped with status ${exitCode}`);
        throw new NecEngineError(reason, { exitCode: crash ? null : exitCode, messages, output: text });
      }
      if (onProgress) onProgress(output.frequencies);
      return { output: text, exitCode, messages, frequencies: output.frequencies };
    }
  }

  if (typeof module === 'object' && module.exports) {
    module.exports = { loadNecEngine, NecEngineError, createNec2c };
  } else {
    globalThis.loadNecEngine = loadNecEngine;
    globalThis.NecEngineError = NecEngineError;
  }
})();
