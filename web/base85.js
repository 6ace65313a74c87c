// The page's two WebAssembly modules travel as text in Ascii85 (five characters for four bytes,
// where base64 takes five and a third): the characters '!' to 'u', with 'v' standing for '<' so that
// no run of them can end or open anything in the page. brimaloxBase85(text) gives the bytes back
// (the gzip stream the page generator encoded, see page_generator.cpp's base85).
function brimaloxBase85(text) {
  'use strict';
  text = text.trim();
  var whole = Math.floor(text.length / 5), rest = text.length % 5;
  var bytes = new Uint8Array(whole * 4 + (rest ? rest - 1 : 0));
  function digit(i) {
    var c = text.charCodeAt(i);
    return c === 118 ? 27 : c - 33;  // 'v' is '<', 60 - 33
  }
  for (var g = 0, at = 0; g * 5 < text.length; ++g) {
    var value = 0;
    for (var i = 0; i < 5; ++i) value = value * 85 + (g * 5 + i < text.length ? digit(g * 5 + i) : 84);
    for (var b = 3; b >= 0; --b, value = Math.floor(value / 256))
      if (at + b < bytes.length && (g < whole || b < rest - 1)) bytes[at + b] = value % 256;
    at += 4;
  }
  return bytes;
}
