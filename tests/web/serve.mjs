// A static web server on this machine for the page's tests, as a school's
// site serves the page folder: any file under the folder, with its type.
//
//   const site = await serve(folder);
//   site.origin                       http://127.0.0.1:PORT
//   site.folder = other               serve another folder from now on
//   site.down = true                  every request fails, as offline
//   site.fault = (name) => ...        a request's answer replaced, see below
//   site.requests                     the names asked for, in order
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import path from 'node:path';

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json',
  '.png': 'image/png',
  '.txt': 'text/plain; charset=utf-8',
};

export async function serve(folder) {
  const site = { folder, down: false, fault: null, requests: [] };
  const server = createServer(async (request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://localhost').pathname).replace(/^\/+/, '');
    site.requests.push(name);
    if (site.down) {
      request.socket.destroy();
      return;
    }
    // A fault answers in place of the file: a status, or 'cut' for a
    // connection dropped halfway through the body.
    const fault = site.fault?.(name);
    const file = path.resolve(site.folder, name);
    try {
      if (!file.startsWith(path.resolve(site.folder) + path.sep)) {
        throw new Error('outside the folder');
      }
      const body = await readFile(file);
      if (typeof fault === 'number') {
        response.writeHead(fault);
        response.end();
        return;
      }
      response.writeHead(200, {
        'Content-Type': types[path.extname(name)] ?? 'application/octet-stream',
        'Content-Length': body.length,
        // Each test's answer is the folder's file now, never the browser's
        // copy of an earlier one.
        'Cache-Control': 'no-cache',
      });
      if (fault === 'cut') {
        response.write(body.subarray(0, body.length >> 1));
        setTimeout(() => request.socket.destroy(), 50);
        return;
      }
      response.end(body);
    } catch {
      response.writeHead(404);
      response.end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  site.origin = `http://127.0.0.1:${server.address().port}`;
  site.close = () => new Promise((resolve) => {
    server.closeAllConnections();
    server.close(resolve);
  });
  return site;
}
