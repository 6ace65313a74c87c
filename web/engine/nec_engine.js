// The NEC-2 engine (Debian's nec2c compiled to WebAssembly) behind a small synchronous API, for a
// Web Worker or Node. The build appends this file to emscripten's glue (its factory createNec2c)
// as nec2c_engine.js; the WebAssembly comes separately: LZMA-compressed for the page, which unpacks
// it (unlzma.js), and gzip-compressed as nec2c_engine.wasm.gz or its base64 text for Node.
//
//   const engine = await loadNecEngine(wasm);
//     wasm: the module's bytes (Uint8Array, ArrayBuffer or Node Buffer) or their base64 text, gzip
//     compressed (unpacked with DecompressionStream('gzip')) or not. Compiles the module once.
//     Or a WebAssembly.Module already compiled (engine.module, posted from another worker): its
//     code, and what the browser has optimised of it while it ran, is then shared, not compiled again.
//
//   const { output, exitCode, messages, frequencies } = engine.run(deckText, onProgress);
//     Synchronous: returns when nec2c has finished, so that code running inside another
//     WebAssembly module can call it through a JavaScript import. Each run gets a fresh nec2c
//     instance (nec2c keeps state in globals, getopt's among them, and cannot run twice in one),
//     freed when the run returns.
//     deckText: the NEC-2 input deck; comment cards (CM, CE) of at most 80 characters, others
//       of at most 132.
//     onProgress(done), optional: called during the run with the number of frequencies whose
//       results nec2c has written so far, and once at the end with all of them.
//     output: nec2c's output file as text; exitCode: 0; messages: the lines nec2c printed on
//     standard output and error; frequencies: how many frequency blocks the output holds.
//   Throws a NecEngineError (name 'NecEngineError', an Error) when the deck has a card too long,
//   or nec2c rejects it or stops in any other way. Its message is the reason: what nec2c printed,
//   else the output's last line (where nec2c writes most of its reasons), else for a trap (the
//   native program's signal) "nec2c stopped: " and the trap. Its properties: exitCode (null when
//   nec2c did not reach exit()), messages, and the output up to there.
//   Some degenerate decks (a wire of zero length) keep nec2c busy forever, natively too: a
//   synchronous call cannot be interrupted, so the page ends the worker after a time limit.
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
    if (typeof WebAssembly.Module === 'function' && wasm instanceof WebAssembly.Module) return new NecEngine(wasm);
    let bytes = bytesOf(wasm);
    if (bytes[0] === 0x1f && bytes[1] === 0x8b) bytes = await gunzip(bytes);
    return new NecEngine(await WebAssembly.compile(bytes));
  }

  // emscripten's errno numbers.
  const EBADF = 8;
  const EINVAL = 28;
  const ENOENT = 44;
  const ESPIPE = 70;

  // The output file, taken as nec2c's stdio flushes it, so that the frequency blocks can be
  // counted while the run goes.
  class OutputFile {
    constructor(onProgress) {
      this.bytes = new Uint8Array(1 << 16);
      this.length = 0;
      this.lineStart = 0;
      this.frequencies = 0;
      this.onProgress = onProgress;
    }

    write(chunk) {
      if (this.length + chunk.length > this.bytes.length) {
        const grown = new Uint8Array(Math.max(2 * this.bytes.length, this.length + chunk.length));
        grown.set(this.bytes.subarray(0, this.length));
        this.bytes = grown;
      }
      this.bytes.set(chunk, this.length);
      const end = this.length + chunk.length;
      for (let i = this.length; i < end; ++i) {
        if (this.bytes[i] !== 10) continue;
        // The mark stands alone on its line, after spaces: only short lines need decoding.
        const line = this.bytes.subarray(this.lineStart, i);
        this.lineStart = i + 1;
        if (line.length < 100 && String.fromCharCode.apply(null, line).includes(FREQUENCY_MARK)) {
          // The next block starting means the previous one is complete.
          if (this.frequencies > 0 && this.onProgress) this.onProgress(this.frequencies);
          ++this.frequencies;
        }
      }
      this.length = end;
    }

    text() {
      return new TextDecoder().decode(this.bytes.subarray(0, this.length));
    }
  }

  // Standard output and error as lines.
  class Messages {
    constructor() {
      this.lines = [];
      this.partial = '';
      this.decoder = new TextDecoder();
    }

    write(chunk) {
      const parts = (this.partial + this.decoder.decode(chunk, { stream: true })).split('\n');
      this.partial = parts.pop();
      this.lines.push(...parts);
    }

    end() {
      if (this.partial !== '') this.lines.push(this.partial);
      this.partial = '';
      return this.lines;
    }
  }

  // The files of one run, as nec_files.js asks for them: the deck (read, and rewound when it has
  // no comment cards), the output file, standard output and error.
  const DECK = 3;
  const OUTPUT = 4;

  class RunFiles {
    constructor(deck, output, messages) {
      this.deck = new TextEncoder().encode(deck);
      this.position = 0;
      this.output = output;
      this.messages = messages;
    }

    open(name) {
      if (name === 'x.nec') {
        this.position = 0;
        return DECK;
      }
      if (name === 'x.out') return OUTPUT;
      return -ENOENT;
    }

    read(fd, buffer) {
      if (fd === 0) return 0;
      if (fd !== DECK) return -EBADF;
      const got = Math.min(buffer.length, this.deck.length - this.position);
      buffer.set(this.deck.subarray(this.position, this.position + got));
      this.position += got;
      return got;
    }

    write(fd, bytes) {
      if (fd === OUTPUT) this.output.write(bytes);
      else if (fd === 1 || fd === 2) this.messages.write(bytes);
      else return -EBADF;
      return bytes.length;
    }

    seek(fd, offset, whence) {
      if (fd === OUTPUT && offset === 0 && whence === 1) return this.output.length;
      if (fd !== DECK) return -ESPIPE;
      const position = [0, this.position, this.deck.length][whence] + offset;
      if (!(position >= 0)) return -EINVAL;
      this.position = position;
      return position;
    }
  }

  function checkDeck(deck) {
    const none = { exitCode: null, messages: [], output: '' };
    if (typeof deck !== 'string') throw new NecEngineError('the deck is not text', none);
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
          `${comment ? 'comment ' : ''}card`, none);
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
      const output = new OutputFile(onProgress);
      const messages = new Messages();
      const compiled = this.module;
      let started = false;
      const nec = {
        necFiles: new RunFiles(deck, output, messages),
        // What the runtime itself says (an abort's reason) joins nec2c's messages.
        print: (line) => messages.lines.push(line),
        printErr: (line) => messages.lines.push(line),
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
      // The factory's promise is fulfilled before it returns, so a later abort cannot reject it.
      // No handler on it otherwise: a handler's job would hold this instance and its memory until
      // the caller's synchronous code yields, which may be after many runs.
      const ready = createNec2c(nec);
      if (!started) {
        ready.catch(() => {});
        throw new NecEngineError('the NEC-2 engine did not start',
                                 { exitCode: null, messages: messages.end(), output: '' });
      }

      let exitCode;
      let crash = null;
      try {
        exitCode = nec.callMain(['-i', 'x.nec', '-o', 'x.out']);
        nec._fflush(0);
      } catch (error) {
        // An abort or a trap in nec2c.
        crash = error;
      }
      const text = output.text();
      const lines = messages.end();
      if (crash || exitCode !== 0) {
        const said = lines.filter((line) => line.trim() !== '').join('\n');
        // nec2c writes most of its reasons at the end of the output; a trap (the native program's
        // signal) leaves whatever was being written there, so the runtime's word is taken.
        const reason = said || (crash ? `nec2c stopped: ${crash.message || crash}`
                                      : lastLine(text) || `nec2c stopped with status ${exitCode}`);
        throw new NecEngineError(reason, { exitCode: crash ? null : exitCode, messages: lines, output: text });
      }
      if (onProgress) onProgress(output.frequencies);
      return { output: text, exitCode, messages: lines, frequencies: output.frequencies };
    }
  }

  if (typeof module === 'object' && module.exports) {
    module.exports = { loadNecEngine, NecEngineError, createNec2c };
  } else {
    globalThis.loadNecEngine = loadNecEngine;
    globalThis.NecEngineError = NecEngineError;
  }
})();
