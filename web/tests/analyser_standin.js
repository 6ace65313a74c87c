// A stand-in for Web Serial and a NanoVNA on it, put into the page before its scripts run, written
// from the public descriptions: the shell (a command ends with CR, is echoed, answered in CRLF
// lines, then "ch> ") or, with window.brimaloxStandIn.kind 'v2' before the port is chosen, the V2's
// registers (a CR answers "2"; 32-byte FIFO records, S11 = rev0 / fwd0). It measures an antenna given
// as a table of [hz, re, im] (S11 against 50 ohms, linear between rows). window.brimaloxStandIn.fault
// makes the shell misbehave as a broken device does: 'garbage', 'silent', 'cut short', 'refuses',
// 'unplug' (mid-sweep), 'busy' (another program has it).
(function () {
  'use strict';
  var antenna = BRIMALOX_ANTENNA;  // replaced by the test
  var standIn = window.brimaloxStandIn = { fault: '', kind: 'shell', scans: 0, port: null };
  var listeners = [];

  function s11(hz) {
    var i = 1;
    while (i < antenna.length - 1 && antenna[i][0] < hz) ++i;
    var a = antenna[i - 1], b = antenna[i], t = (hz - a[0]) / (b[0] - a[0]);
    return [a[1] + t * (b[1] - a[1]), a[2] + t * (b[2] - a[2])];
  }

  function answer(command) {
    var words = command.split(/\s+/).filter(function (w) { return w; });
    var body = '';
    if (standIn.fault === 'garbage') return '\x01\xfe\x13 #?\x7f\x80';
    if (words[0] === 'info') body = 'Board: NanoVNA-H\r\nVersion: 1.2.20\r\n';
    else if (words[0] === 'scan') {
      ++standIn.scans;
      var start = Number(words[1]), stop = Number(words[2]), points = Number(words[3]);
      if (standIn.fault === 'refuses' || points > 101) return command + '\r\nsweep points exceeds range 101\r\nch> ';
      for (var p = 0; p < points; ++p) {
        if ((standIn.fault === 'cut short' || standIn.fault === 'unplug') && p === Math.floor(points / 2)) {
          if (standIn.fault === 'unplug') setTimeout(unplug, 50);
          return command + '\r\n' + body;
        }
        var hz = start + Math.floor((stop - start) * p / (points - 1));
        var s = s11(hz);
        body += hz + ' ' + s[0].toFixed(9) + ' ' + s[1].toFixed(9) + ' \r\n';
      }
    } else if (words[0] && words[0] !== 'resume') body = words[0] + '?\r\n';
    return command + '\r\n' + body + 'ch> ';
  }

  // The V2: register writes of 1, 2 and 8 bytes, reads of one byte, and the FIFO's records, the
  // sweep going on from where it was when the FIFO is cleared.
  function V2() {
    var pending = [], start = 0, step = 0, points = 1, next = 0;
    var sizes = { 0x10: 2, 0x20: 3, 0x21: 4, 0x23: 10, 0x18: 3 };
    function value(c, from, bytes) {
      var v = 0;
      for (var i = bytes; i-- > 0;) v = v * 256 + c[from + i];
      return v;
    }
    function put(out, v, bytes) {
      for (var i = 0; i < bytes; ++i) out.push(Math.floor(v / Math.pow(256, i)) % 256);
    }
    function int32(v) { return v < 0 ? v + 4294967296 : v; }
    function act(c) {
      if (c[0] === 0x0d) return [0x32];
      if (c[0] === 0x10) return [{ 0xF0: 2, 0xF1: 1, 0xF2: 3, 0xF3: 1, 0xF4: 5 }[c[1]] || 0];
      if (c[0] === 0x23 && c[1] === 0x00) start = value(c, 2, 8);
      if (c[0] === 0x23 && c[1] === 0x10) step = value(c, 2, 8);
      if (c[0] === 0x21 && c[1] === 0x20) points = value(c, 2, 2);
      if (c[0] === 0x20 && c[1] === 0x30) next = points > 7 ? 7 : 0;
      if (c[0] !== 0x18) return [];
      var out = [];
      for (var n = c[2]; n > 0; --n) {
        if (next === 0) ++standIn.scans;
        var s = s11(start + step * next);
        var scale = 1 << 30;
        put(out, scale, 4);
        put(out, 0, 4);
        put(out, int32(Math.round(s[0] * scale)), 4);
        put(out, int32(Math.round(s[1] * scale)), 4);
        put(out, 0, 8);
        put(out, next, 2);
        put(out, 0, 6);
        next = (next + 1) % points;
      }
      return out;
    }
    this.take = function (bytes) {
      var out = [];
      for (var i = 0; i < bytes.length; ++i) pending.push(bytes[i]);
      while (pending.length && pending.length >= (sizes[pending[0]] || 1)) out = out.concat(act(pending.splice(0, sizes[pending[0]] || 1)));
      return String.fromCharCode.apply(null, out);
    };
  }

  function Port() {
    var port = this;
    var line = '';
    var controller = null;
    var v2 = standIn.kind === 'v2' ? new V2() : null;
    this.getInfo = function () {
      return v2 ? { usbVendorId: 0x04b4, usbProductId: 0x0008 } : { usbVendorId: 0x0483, usbProductId: 0x5740 };
    };
    // Bytes back in chunks of 64, a moment apart, as the USB link delivers them.
    function send(text) {
      for (var at = 0; at < text.length; at += 64) {
        var part = text.slice(at, at + 64);
        setTimeout(function (bytes) {
          if (controller) controller.enqueue(bytes);
        }, 1 + at / 64, Uint8Array.from(part, function (c) { return c.charCodeAt(0); }));
      }
    }
    function unplugged() {
      if (controller) controller.error(new DOMException('The device has been lost.', 'NetworkError'));
      controller = null;
      listeners.forEach(function (listener) { listener({ type: 'disconnect', target: port }); });
    }
    unplug = unplugged;
    this.open = function () {
      if (standIn.fault === 'busy') return Promise.reject(new DOMException('Failed to open serial port.', 'NetworkError'));
      port.readable = new ReadableStream({ start: function (c) { controller = c; } });
      port.writable = new WritableStream({
        write: function (chunk) {
          if (!controller) throw new DOMException('The device has been lost.', 'NetworkError');
          if (v2) {
            send(v2.take(chunk));
            return;
          }
          for (var i = 0; i < chunk.length; ++i) {
            var c = String.fromCharCode(chunk[i]);
            if (c !== '\r') {
              line += c;
              continue;
            }
            if (standIn.fault !== 'silent') send(answer(line));
            line = '';
          }
        }
      });
      return Promise.resolve();
    };
    this.close = function () {
      controller = null;
      return Promise.resolve();
    };
  }
  var unplug = function () {};

  var serial = {
    requestPort: function () {
      standIn.port = new Port();
      return Promise.resolve(standIn.port);
    },
    getPorts: function () { return Promise.resolve(standIn.port ? [standIn.port] : []); },
    addEventListener: function (type, listener) { if (type === 'disconnect') listeners.push(listener); }
  };
  Object.defineProperty(Navigator.prototype, 'serial', { get: function () { return serial; }, configurable: true });
})();
