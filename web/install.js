// The served edition (index.html beside its manifest and sw.js, over https or from localhost)
// registers its service worker, which keeps the page for offline use, and says when a newer version
// has been published: "A new version is ready: reload". The single file names no manifest and
// registers nothing, so opened from disk it is what it always was. Registered once the calculator
// is ready, so that the worker's download of the page never competes with the page's own start.
(function () {
  'use strict';

  // In an app window the browser writes the app's name before the page's title, so there the title
  // is the window's caption alone, as the desktop program's is: "BRIMALOX antenna calculator - QZ9ZZQ BX".
  if (window.matchMedia && matchMedia('(display-mode: standalone)').matches)
    document.title = document.title.split(' - ')[0];

  if (!document.querySelector('link[rel="manifest"]') || !('serviceWorker' in navigator) ||
      !/^https?:$/.test(location.protocol))
    return;

  var notice = document.getElementById('update');
  var asked = false;

  // The waiting version takes over when the user asks; the page then loads again from it.
  function offer(next) {
    notice.hidden = false;
    document.getElementById('update-reload').onclick = function () {
      asked = true;
      next.postMessage('take over');
    };
  }
  navigator.serviceWorker.addEventListener('controllerchange', function () {
    if (asked) location.reload();
  });

  function register() {
    navigator.serviceWorker.register('sw.js').then(function (registration) {
      // A version that was published while this page was open, or that an earlier visit found.
      if (registration.waiting && navigator.serviceWorker.controller) offer(registration.waiting);
      // One installing now (the browser checks at each visit) or later; the first version of all
      // has no page to replace and says nothing.
      function follow(next) {
        next.addEventListener('statechange', function () {
          if (next.state === 'installed' && navigator.serviceWorker.controller) offer(next);
        });
      }
      if (registration.installing) follow(registration.installing);
      registration.addEventListener('updatefound', function () { follow(registration.installing); });
    }, function () {
      // A host that serves no sw.js or no https: the page works as it is, only not offline.
    });
  }
  brimalox.page.core.then(register, register);
})();
