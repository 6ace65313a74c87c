// The analyser in the check: a NanoVNA-class analyser on USB, reached through the browser's Web
// Serial, swept over the model's frequencies by the core's own conversation (vna_binding.cpp, the
// command line's and the window's code). Each sweep becomes the check's measured file, as a chosen
// file would: the check is run with it (its trace on the model's SWR and Smith charts, at the plane
// the feed settings describe) and the trim's answer is put in one line, sweep after sweep.
(function () {
  'use strict';

  function byId(id) { return document.getElementById(id); }

  var connectButton = byId('analyser-connect');
  var onceButton = byId('analyser-once');
  var continuousButton = byId('analyser-continuous');
  var stopButton = byId('analyser-stop');
  var saveLink = byId('analyser-save');
  var status = byId('analyser-status');
  var answer = byId('analyser-answer');

  var serial = navigator.serial;
  if (!serial || typeof serial.requestPort !== 'function') {
    connectButton.disabled = true;
    status.textContent = 'This browser has no Web Serial, so the page cannot reach an analyser (Chrome, Edge, ' +
        'Opera and Chromium on a desktop computer have it). A file works everywhere: sweep with the ' +
        'analyser\'s own program, save a .s1p file and choose it above.';
    return;
  }

  // Between two sweeps of SWEEP CONTINUOUSLY: time to read the answer, and to cut.
  var BETWEEN_SWEEPS_MS = 2000;

  var link = null;        // the open port
  var sweeping = false;   // a sweep, or the model runs after it, going
  var continuous = false;
  var next = 0;           // the timer of the next continuous sweep
  var saveUrl = '';

  function Stopped() {}

  function hexOf(bytes) {
    var out = '';
    for (var i = 0; i < bytes.length; ++i) out += (bytes[i] < 16 ? '0' : '') + bytes[i].toString(16);
    return out;
  }
  function bytesOf(hex) {
    var out = new Uint8Array(hex.length / 2);
    for (var i = 0; i < out.length; ++i) out[i] = parseInt(hex.substr(2 * i, 2), 16);
    return out;
  }

  // The port's bytes as they come, read all the time (Web Serial's read takes no time limit), so a
  // read with a wait takes what has come or, the wait over, nothing.
  function openLink(port, name) {
    var queue = [];
    var waiting = null;
    var lost = '';
    var reader = port.readable.getReader();
    var writer = port.writable.getWriter();
    function wake() { if (waiting) waiting(); }
    (function pump() {
      reader.read().then(function (got) {
        if (got.done) {
          lost = 'the port closed';
        } else {
          if (got.value && got.value.length) queue.push(got.value);
          pump();
        }
        wake();
      }, function (error) {
        lost = String(error && error.message || error);
        wake();
      });
    })();
    var opened = {
      name: name,
      port: port,
      flush: function () { queue = []; },
      write: function (bytes) {
        if (lost) return Promise.reject(new Error(lost));
        return writer.write(bytes);
      },
      // The bytes that came within `ms`, or null; a port gone fails the read.
      read: function (ms) {
        return new Promise(function (resolve, reject) {
          var timer = 0;
          function settle() {
            clearTimeout(timer);
            waiting = null;
            if (opened.stopped) reject(new Stopped());
            else if (queue.length) {
              var size = queue.reduce(function (n, part) { return n + part.length; }, 0);
              var bytes = new Uint8Array(size);
              var at = 0;
              queue.forEach(function (part) { bytes.set(part, at); at += part.length; });
              queue = [];
              resolve(bytes);
            } else if (lost) reject(new Error(lost));
            else resolve(null);
          }
          if (queue.length || lost || opened.stopped) {
            settle();
            return;
          }
          waiting = settle;
          timer = setTimeout(settle, ms);
        });
      },
      stopped: false,
      stop: function () { opened.stopped = true; wake(); },
      close: function () {
        lost = lost || 'the port closed';
        wake();
        reader.cancel().catch(function () {});
        writer.close().catch(function () {});
        try { reader.releaseLock(); } catch (error) { /* a read still pending */ }
        try { writer.releaseLock(); } catch (error) { /* a write still pending */ }
        return port.close().catch(function () {});
      },
      isLost: function () { return lost; }
    };
    return opened;
  }

  // "NanoVNA (text shell) on USB 0483:5740": what the port is, as the browser tells no device path.
  function portName(core, info) {
    var hex = function (id) { return ('000' + (id || 0).toString(16)).slice(-4); };
    var kinds = core.vna.kinds();
    var kind = 'the serial port';
    for (var i = 0; i < kinds.length; ++i)
      if (kinds[i].vendor === info.usbVendorId && kinds[i].product === info.usbProductId) kind = kinds[i].name;
    return info.usbVendorId === undefined ? kind : kind + ' on USB ' + hex(info.usbVendorId) + ':' + hex(info.usbProductId);
  }

  function setButtons() {
    var open = link !== null;
    connectButton.textContent = open ? 'DISCONNECT' : 'CONNECT AN ANALYSER';
    connectButton.disabled = sweeping && !continuous;
    onceButton.disabled = !open || sweeping || continuous;
    continuousButton.disabled = !open || sweeping || continuous;
    stopButton.disabled = !(sweeping || continuous);
  }

  function said(message) {
    return /[.?]$/.test(message) ? message : message + '.';
  }

  // The analyser failed, or its port did: what was shown stays, and no sweep follows on its own.
  function sweepFailed(message) {
    continuous = false;
    status.textContent = 'The sweep failed: ' + said(link ? link.name + ': ' + message : message) +
        ' The last sweep stays.';
    if (link && link.isLost()) dropLink();
  }

  function dropLink() {
    var gone = link;
    link = null;
    if (gone) gone.close();
    setButtons();
  }

  function connect() {
    if (link) {
      stop();
      dropLink();
      status.textContent = 'Disconnected.';
      return;
    }
    brimalox.page.core.then(function (core) {
      var filters = core.vna.kinds().map(function (k) { return { usbVendorId: k.vendor, usbProductId: k.product }; });
      return serial.requestPort({ filters: filters }).then(function (port) {
        var name = portName(core, port.getInfo ? port.getInfo() : {});
        // The shell ignores the rate; the V2 takes the same.
        return port.open({ baudRate: 115200 }).then(function () {
          link = openLink(port, name);
          status.textContent = 'Connected to ' + name + '. Calibrate it (open, short, load) at the plane it will ' +
              'measure, then sweep.';
          setButtons();
        }, function (error) {
          status.textContent = name + ' cannot be opened: ' + String(error && error.message || error) +
              ' Is another program using it?';
        });
      }, function () {
        status.textContent = 'No analyser chosen.';
      });
    }, function () {
      status.textContent = 'The calculator could not be loaded, so no analyser can be used.';
    });
  }

  // One sweep, to its end, by the core's steps: bytes out, a wait, the bytes in.
  function sweep(core) {
    var begun = core.vna.begin(JSON.stringify(brimalox.check.request()));
    if (!begun.ok) return Promise.reject(begun);
    status.textContent = 'Sweeping ' + begun.startHz / 1e6 + ' to ' + begun.stopHz / 1e6 + ' MHz in ' + begun.points +
        ' points on ' + link.name + '...';
    link.flush();
    var port = link;
    function step(s) {
      if (!s.ok) return Promise.reject(s);
      var written = s.send ? port.write(bytesOf(s.send)) : Promise.resolve();
      return written.then(function () {
        if (s.done) return core.vna.sweep(new Date().toISOString().replace('T', ' ').slice(0, 19) + ' UTC');
        return port.read(s.waitMs).then(function (bytes) {
          return step(bytes ? core.vna.received(hexOf(bytes)) : core.vna.silence());
        });
      });
    }
    return step(begun.step).then(function (swept) { return swept.ok ? swept : Promise.reject(swept); });
  }

  function keep(swept) {
    if (saveUrl) URL.revokeObjectURL(saveUrl);
    saveUrl = URL.createObjectURL(new Blob([swept.touchstone], { type: 'text/plain' }));
    saveLink.href = saveUrl;
    saveLink.download = 'brimalox-analyser-' + new Date().toISOString().slice(0, 19).replace(/[-:]/g, '') + '.s1p';
    saveLink.hidden = false;
  }

  // The sweep's model: the check with it drawn over the model, then the trim's one line. A stop of
  // the worker meanwhile (STOP, or the check's or the trim's CANCEL) ends it, and the sweeps.
  var modelEnd = null;
  brimalox.worker.onStop(function () { if (modelEnd) modelEnd(false); });
  function model(swept) {
    brimalox.check.useMeasured({ name: link.name + ' (' + swept.analyser + ')', text: swept.touchstone });
    byId('trim-source-file').checked = true;
    return new Promise(function (resolve, reject) {
      function ended(ran) {
        if (!modelEnd) return;
        modelEnd = null;
        if (ran) resolve();
        else reject(new Stopped());
      }
      brimalox.check.run(function (checked) {
        if (!checked || !checked.ok) {
          answer.textContent = 'No trim: the model failed.';
          ended(true);
          return;
        }
        var asked = brimalox.check.request();
        asked.trim = { source: 'file', low: '', high: '', dip: '', builtSide: byId('trim-built-side').value,
                       builtHeight: byId('trim-built-height').value };
        brimalox.worker.ask({ type: 'trim', request: JSON.stringify(asked) }, {
          progress: function () {},
          done: function (trimmed) {
            // A withheld cut list says why: the builder may be changing the feed, and sweeps again.
            answer.textContent = trimmed.ok ? trimmed.answer : trimmed.message;
            ended(true);
          },
          failed: function (message) {
            answer.textContent = 'No trim: the model could not run: ' + message;
            ended(true);
          }
        });
      });
      modelEnd = ended;  // after run(), whose own stop of a check going is not this one's
    });
  }

  function begin() {
    if (!link || sweeping) return;
    sweeping = true;
    link.stopped = false;
    setButtons();
    brimalox.page.core.then(function (core) {
      return sweep(core).then(function (swept) {
        keep(swept);
        status.textContent = 'Swept ' + swept.points + ' points from ' + swept.analyser + ' on ' + link.name +
            ', calibrated at the plane it measured (' + new Date().toISOString().slice(11, 19) + ' UTC).';
        return model(swept);
      });
    }).then(function () {
      sweeping = false;
      if (continuous) next = setTimeout(begin, BETWEEN_SWEEPS_MS);
      setButtons();
    }, function (failure) {
      sweeping = false;
      if (failure instanceof Stopped) status.textContent = 'Stopped; the last sweep stays.';
      else if (failure && failure.kind === 'refused') {
        continuous = false;
        status.textContent = 'The sweep cannot start: ' + failure.message;
      } else sweepFailed(failure && failure.message ? failure.message : String(failure));
      setButtons();
    });
  }

  function stop() {
    continuous = false;
    clearTimeout(next);
    if (link) link.stop();
    if (modelEnd) brimalox.worker.stop();
    if (!sweeping) status.textContent = 'Stopped; the last sweep stays.';
    setButtons();
  }

  connectButton.addEventListener('click', connect);
  onceButton.addEventListener('click', begin);
  continuousButton.addEventListener('click', function () {
    continuous = true;
    begin();
  });
  stopButton.addEventListener('click', stop);
  // Unplugged: said at once, whether or not a sweep was going.
  serial.addEventListener('disconnect', function (event) {
    if (!link || event.target !== link.port) return;
    var wasSweeping = sweeping;
    if (!wasSweeping) {
      status.textContent = link.name + ' went away (unplugged?). The last sweep stays.';
      dropLink();
    }
  });
  setButtons();
})();
