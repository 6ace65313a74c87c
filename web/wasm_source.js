// Put before the module's JavaScript (emcc --pre-js): where the module's WebAssembly comes from
// when the caller gives none. In the page: the text of #core-wasm, LZMA-compressed as Ascii85,
// which unlzma.js's brimaloxUnpacked unpacks. In Node (the tests and tools): the file
// brimalox_core.wasm beside this script, read directly, as Node's fetch takes no file paths.
if (!Module['wasmBinary'] && !Module['instantiateWasm']) {
  if (typeof process == 'object' && process.versions && process.versions.node) {
    Module['wasmBinary'] = require('fs').readFileSync(require('path').join(__dirname, 'brimalox_core.wasm'));
  } else if (typeof document == 'object' && document.getElementById('core-wasm')) {
    Module['instantiateWasm'] = function (imports, receive) {
      brimaloxUnpacked('core-wasm').then(function (bytes) {
        return WebAssembly.instantiate(bytes, imports);
      }).then(function (result) {
        receive(result.instance, result.module);
      }, function (error) {
        abort(error);  // rejects the factory's promise, as a module that fails to start does
      });
      return {};
    };
  }
}
