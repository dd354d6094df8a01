// The page's service worker: after one visit the program opens with no
// network, and a new version replaces the stored one whole.
//
// precache.py writes the build below when the page is made: its version,
// and each of the page's files with the SHA-256 of its bytes. Any change
// to any file changes this script, which is how the browser learns of a new
// version: it installs the new worker beside the one in use.
//
// One version's files live in one cache, named after the version. The page
// is served from that cache and from nothing else, so a page never mixes
// two versions' files:
// - install stores every file (cache.addAll: all or none) and checks each
//   against its digest, so a site caught half-uploaded, with files of two
//   versions, is refused and the version in use stays;
// - the new worker waits while a page of the old one is open, unless the
//   page asks it to take over (app.js does, before the pupil has touched
//   anything, and then reloads);
// - activate deletes the older versions' caches;
// - a cache found incomplete when the page is opened is never served
//   from: it is deleted, the page comes whole from the network, and the
//   worker stores its files again, checked as at install.
'use strict';

const BUILD = /* COLLINEAR_BUILD */ { version: '', digest: '', files: {} };

// Every deployment of the program on an origin has its own caches, told
// apart by the folder it was put in.
const SCOPE = self.registration.scope;
const PREFIX = 'collinear ';
const CACHE = `${PREFIX}${BUILD.version} ${BUILD.digest} ${SCOPE}`;
const NAMES = Object.keys(BUILD.files);

async function sha256(response) {
  const digest = await crypto.subtle.digest('SHA-256', await response.arrayBuffer());
  return [...new Uint8Array(digest)].map((byte) => byte.toString(16).padStart(2, '0')).join('');
}

async function install() {
  const cache = await caches.open(CACHE);
  try {
    // no-cache: the browser's HTTP cache may still hold an older version's
    // file under the same name; it is asked to check with the server.
    await cache.addAll(NAMES.map((name) => new Request(name, { cache: 'no-cache' })));
    for (const name of NAMES) {
      const stored = await cache.match(name);
      if (!stored || (await sha256(stored)) !== BUILD.files[name]) {
        throw new Error(`${name} on the server is not the file of version ${BUILD.version}`);
      }
    }
  } catch (error) {
    await caches.delete(CACHE);
    throw error;
  }
}

self.addEventListener('install', (event) => event.waitUntil(install()));

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith(PREFIX) && name.endsWith(` ${SCOPE}`) && name !== CACHE) {
        await caches.delete(name);
      }
    }
  })());
});

// The page asks a waiting worker to take over, which it does when that is
// the only page of the program open: a second one, still loading, could
// otherwise get the rest of its files from the new version. It answers
// 'busy' otherwise, and the page may ask again.
self.addEventListener('message', (event) => {
  if (event.data !== 'take-over') {
    return;
  }
  event.waitUntil((async () => {
    const pages = await self.clients.matchAll({ type: 'window', includeUncontrolled: true });
    if (pages.filter((page) => page.url.startsWith(SCOPE)).length <= 1) {
      await self.skipWaiting();
    } else {
      event.source?.postMessage('busy');
    }
  })());
});

async function isWhole() {
  if (!(await caches.has(CACHE))) {
    return false;
  }
  const stored = new Set((await (await caches.open(CACHE)).keys()).map((request) => request.url));
  return NAMES.every((name) => stored.has(new URL(name, SCOPE).href));
}

// The files are stored again only when the site still has this version's:
// so a page that came from the network while they were stored, and gets
// the rest of its files from the cache, gets the same bytes.
async function respond(event, name) {
  if (event.request.mode === 'navigate' && !(await isWhole())) {
    await caches.delete(CACHE);
    event.waitUntil(install().catch(() => {}));
    return fetch(event.request);
  }
  const cached = await caches.match(new URL(name, SCOPE).href, { cacheName: CACHE });
  return cached || fetch(event.request);
}

self.addEventListener('fetch', (event) => {
  const url = new URL(event.request.url);
  const path = url.origin + url.pathname;
  const name = path.slice(SCOPE.length);
  // Anything else on the site, or sent with another method, is the
  // network's as if there were no worker.
  if (event.request.method !== 'GET' || !path.startsWith(SCOPE)
      || !Object.prototype.hasOwnProperty.call(BUILD.files, name)) {
    return;
  }
  event.respondWith(respond(event, name));
});
