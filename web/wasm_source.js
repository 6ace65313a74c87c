// Put before the module's JavaScript (emcc --pre-js): where the module's WebAssembly comes from
// when the caller gives none. In the page: the text of #core-wasm, gzip-compressed as Ascii85
// (base85.js's brimaloxBase85 reads it), unpacked by the browser. In Node (the tests and tools):
// the file brimalox_core.wasm beside this script, read directly, as Node's fetch takes no file paths.
if (!Module['wasmBinary'] && !Module['instantiateWasm']) {
  if (typeof process == 'object' && process.versions && process.versions.node) {
    Module['wasmBinary'] = require('fs').readFileSync(require('path').join(__dirname, 'brimalox_core.wasm'));
  } else if (typeof document == 'object' && document.getElementById('core-wasm')) {
    Module['instantiateWasm'] = function (imports, receive) {
      Promise.resolve().then(function () {
        var bytes = brimaloxBase85(document.getElementById('core-wasm').textContent);
        // Compiled while it is unpacked, rather than after.
        var stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'));
        return WebAssembly.instantiateStreaming(new Response(stream, { headers: { 'Content-Type': 'application/wasm' } }),
                                                imports);
      }).then(function (result) {
        receive(result.instance, result.module);
      }, function (error) {
        abort(error);  // rejects the factory's promise, as a module that fails to start does
      });
      return {};
    };
  }
}
