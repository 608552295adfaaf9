// A small static file server for the web build: serves one folder on 127.0.0.1 with the
// MIME types browsers insist on (application/wasm for streaming compilation) and no caching.
//   node web/serve.mjs [folder] [port]     folder defaults to ., port 0 picks a free one
// Prints the address ("http://127.0.0.1:PORT/") as its first line. Importable:
//   const { url, close } = await serve(folder, port);

import { createServer } from 'node:http';
import { createReadStream, statSync } from 'node:fs';
import { extname, join, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';

const MIME_TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.json': 'application/json',
  '.png': 'image/png',
  '.svg': 'image/svg+xml',
  '.ico': 'image/x-icon',
  '.txt': 'text/plain; charset=utf-8',
  '.csv': 'text/csv; charset=utf-8',
  '.cif': 'text/plain; charset=utf-8',
  '.data': 'application/octet-stream',
};

export function serve(folder, port = 0) {
  const root = resolve(folder);
  const server = createServer((req, res) => {
    let path;
    try {
      path = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    } catch {
      res.writeHead(400).end();
      return;
    }
    let file = resolve(join(root, path));
    if (file !== root && !file.startsWith(root + sep)) {   // no way out of the folder
      res.writeHead(403).end();
      return;
    }
    let stat;
    try {
      stat = statSync(file);
      if (stat.isDirectory()) { file = join(file, 'index.html'); stat = statSync(file); }
    } catch {
      res.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
      return;
    }
    res.writeHead(200, {
      'Content-Type': MIME_TYPES[extname(file).toLowerCase()] ?? 'application/octet-stream',
      'Content-Length': stat.size,
      'Cache-Control': 'no-store',
    });
    if (req.method === 'HEAD') { res.end(); return; }
    createReadStream(file).pipe(res);
  });
  return new Promise((resolveServe, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => {
      const url = `http://127.0.0.1:${server.address().port}/`;
      // close() also ends idle keep-alive connections, which would hold it for seconds.
      const close = () => new Promise((r) => { server.close(r); server.closeAllConnections(); });
      resolveServe({ url, server, close });
    });
  });
}

if (process.argv[1] && resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const [folder = '.', port = '0'] = process.argv.slice(2);
  const { url } = await serve(folder, Number(port));
  console.log(url);
}
