// The served edition's service worker (sw.js beside index.html): keeps the page, its manifest and
// icons in a cache named by the version that published them and answers from it, so the installed
// calculator opens without a network. A newly published version installs beside the one running
// and takes over only when the page asks (its notice "A new version is ready: reload"): a page
// never runs half of one version and half of another. The generator fills in the marks.
'use strict';

var CACHE = '@CACHE@';
var FILES = [@FILES@];

self.addEventListener('install', function (event) {
  // From the server, never from the browser's HTTP cache, which may hold the version before.
  event.waitUntil(caches.open(CACHE).then(function (cache) {
    return cache.addAll(FILES.map(function (file) { return new Request(file, { cache: 'reload' }); }));
  }));
});

// The first version takes the page that installed it at once; older versions' caches go.
self.addEventListener('activate', function (event) {
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) { return /^brimalox-/.test(name) && name !== CACHE; })
      .map(function (name) { return caches.delete(name); }));
  }).then(function () { return self.clients.claim(); }));
});

self.addEventListener('message', function (event) {
  if (event.data === 'take over') self.skipWaiting();
});

// The page's own files from the cache; any address in the folder opens the page (its design is in
// the fragment, which no request carries). Anything else goes to the network as usual.
self.addEventListener('fetch', function (event) {
  var request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(caches.open(CACHE).then(function (cache) {
    return cache.match(request, { ignoreSearch: true }).then(function (hit) {
      if (hit) return hit;
      if (request.mode === 'navigate') return cache.match('./').then(function (page) { return page || fetch(request); });
      return fetch(request);
    });
  }));
});
