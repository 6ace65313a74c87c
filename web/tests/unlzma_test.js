// The page's LZMA decoder (unlzma.js with its WebAssembly, unlzma.c) on the two modules the page
// carries, and on damaged streams: each must give back exactly the module, or be refused with the
// fault said, never a wrong module. Usage:
//   node unlzma_test.js unlzma.js unlzma.wasm.gz brimalox_core.wasm nec2c_engine.wasm
// (each MODULE.wasm with the MODULE.wasm.lzma that pack_wasm.py writes beside it).
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');

const [script, decoderGz, ...modules] = process.argv.slice(2);

// unlzma.js as the page runs it, with its elements' texts as bytes already (base85.js is the page
// tests' part).
const texts = { 'lzma-wasm': fs.readFileSync(decoderGz) };
const document = { getElementById: (id) => ({ textContent: texts[id] }) };
const unpack = new Function('document', 'brimaloxBase85', fs.readFileSync(script, 'utf8') + '\nreturn brimaloxUnpacked;')(
  document, (bytes) => bytes);

function changed(bytes, change) {
  const copy = Buffer.from(bytes);
  change(copy);
  return copy;
}

async function main() {
  for (const wasm of modules) {
    const module = fs.readFileSync(wasm);
    const packed = fs.readFileSync(wasm + '.lzma');
    const size = (n) => changed(packed, (b) => b.writeBigUInt64LE(BigInt(n), 5));
    // [case, packed bytes, the fault said, or null for the module itself]
    const cases = [
      ['whole', packed, null],
      ['cut short', packed.subarray(0, packed.length - 40), 'data cut short'],
      ['no end mark', packed.subarray(0, packed.length - 5), 'data cut short'],
      ['a byte more after the end', Buffer.concat([packed, Buffer.from([0])]), 'damaged data'],
      ['a byte changed in the middle', changed(packed, (b) => { b[b.length >> 1] ^= 0x55; }), /damaged data|cut short/],
      ['the size one more', size(module.length + 1), 'data cut short'],
      ['the size one less', size(module.length - 1), 'damaged data'],
      ['lc 4, lp 1: a larger table', changed(packed, (b) => { b[0] = (2 * 5 + 1) * 9 + 4; }), 'properties this decoder does not take'],
      ['properties out of range', changed(packed, (b) => { b[0] = 225; }), 'properties this decoder does not take'],
      ['the header alone', packed.subarray(0, 12), 'not LZMA'],
      ['a size of 2 GB', size(2 ** 31), 'not LZMA'],
    ];
    for (const [name, bytes, fault] of cases) {
      const id = `${wasm} ${name}`;
      texts[id] = bytes;
      const what = `${wasm}: ${name}`;
      if (fault === null) {
        const out = await unpack(id);
        assert.ok(Buffer.from(out).equals(module), `${what}: not the module`);
        assert.equal(unpack(id), unpack(id), `${what}: unpacked again for a second caller`);
      } else {
        await assert.rejects(unpack(id), (error) => {
          assert.match(error.message, /^the WebAssembly could not be unpacked: /, what);
          assert.match(error.message, typeof fault === 'string' ? new RegExp(fault + '$') : fault, what);
          return true;
        });
      }
    }
  }
  console.log(`unlzma: ${modules.length} modules, whole and damaged, as expected`);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
