// The page's two large WebAssembly modules, the core's and the NEC-2 engine's, travel LZMA-compressed
// (pack_wasm.py's .lzma, some 52 KB less than their best gzip), which no browser unpacks: a small
// module of the page's own does, the LZMA SDK's decoder (unlzma.c), itself gzip-compressed, which
// the browser unpacks (DecompressionStream). Each travels as Ascii85 text (base85.js).
// brimaloxUnpacked(id) resolves to the bytes of the module whose text is the element #id, unpacked
// once for every caller: the calculator and the check's worker both take the core's.
var brimaloxUnpacked = (function () {
  'use strict';

  var decoder = null;  // the decoder's compiled module, once
  var unpacked = {};   // element id: promise of the bytes

  function packed(id) { return brimaloxBase85(document.getElementById(id).textContent); }

  function gunzip(bytes) {
    return new Response(new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'))).arrayBuffer();
  }

  // The decoder's words for its faults (the LZMA SDK's SZ_ERROR_ numbers).
  var FAULTS = { 1: 'damaged data', 2: 'properties this decoder does not take', 4: 'properties this decoder does not take',
                 6: 'data cut short' };

  // The .lzma file's bytes unpacked by a fresh instance of the decoder: the packed bytes are copied
  // above the decoder's own memory, the output goes after them.
  function unlzma(code, bytes) {
    var size = 0;
    for (var i = 12; i >= 5; --i) size = size * 256 + (bytes[i] | 0);
    if (bytes.length < 13 || size > 0x40000000) throw new Error('the WebAssembly could not be unpacked: not LZMA');
    var at = code.unlzma_heap(), out = at + bytes.length;
    var short = out + size - code.memory.buffer.byteLength;
    if (short > 0) code.memory.grow(Math.ceil(short / 65536));
    new Uint8Array(code.memory.buffer, at, bytes.length).set(bytes);
    var fault = code.unlzma_start(out, size, at, bytes.length) || code.unlzma_run(size);
    if (fault) throw new Error('the WebAssembly could not be unpacked: ' + (FAULTS[fault] || 'LZMA fault ' + fault));
    return new Uint8Array(code.memory.buffer, out, size).slice();
  }

  return function (id) {
    if (!unpacked[id]) {
      decoder = decoder || gunzip(packed('lzma-wasm')).then(function (b) { return WebAssembly.compile(b); });
      unpacked[id] = decoder.then(function (module) { return WebAssembly.instantiate(module); })
        .then(function (instance) { return unlzma(instance.exports, packed(id)); });
    }
    return unpacked[id];
  };
})();
