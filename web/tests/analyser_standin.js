// A stand-in for Web Serial and a NanoVNA on it, put into the page before its scripts run: the
// shell written from its public description (a command ends with CR, is echoed, answered in CRLF
// lines, then "ch> "), measuring an antenna given as a table of [hz, re, im] (S11 against 50 ohms,
// linear between rows). window.brimaloxStandIn.fault makes it misbehave as a broken device does:
// 'garbage', 'silent', 'cut short', 'refuses', 'unplug' (mid-sweep), 'busy' (another program has it).
(function () {
  'use strict';
  var antenna = BRIMALOX_ANTENNA;  // replaced by the test
  var standIn = window.brimaloxStandIn = { fault: '', scans: 0, port: null };
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

  function Port() {
    var port = this;
    var line = '';
    var controller = null;
    this.getInfo = function () { return { usbVendorId: 0x0483, usbProductId: 0x5740 }; };
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
