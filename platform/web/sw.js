// The page's service worker: keeps a copy of the page's files, so that a later visit starts
// without the server, and takes each file from the server first, so that a new build replaces
// the kept copy on the first visit it is served to.
'use strict';

const CACHE = 'sorvelin-page';
const FILES = ['./', 'index.html', 'page.css', 'page.js', 'sorvelin.js', 'sorvelin.wasm',
               'manifest.webmanifest', 'sorvelin-32.png', 'sorvelin-192.png', 'sorvelin-512.png'];

// Past the browser's own cache, which might hold an older build's file.
function fetchFresh(request) {
  return fetch(request, {cache: 'no-cache'});
}

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE)
                      .then((cache) => cache.addAll(FILES.map((file) => new Request(
                                                                  file, {cache: 'no-cache'}))))
                      .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(self.clients.claim());
});

// The server's file when it answers, kept for later; the kept one when it does not.
self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) {
    return;
  }
  event.respondWith(caches.open(CACHE).then((cache) => fetchFresh(request).then(
      (response) => {
        if (response.ok) {
          cache.put(request, response.clone());
        }
        return response;
      },
      () => cache.match(request, {ignoreSearch: true}).then(
          (kept) => kept || Response.error()))));
});
