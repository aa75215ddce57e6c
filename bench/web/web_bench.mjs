// What the web build costs, for the bench table: the download (the page,
// its .js and .wasm and the data files; raw and gzip -9), the time from
// navigation to the end of the first frame, and then frames per second and
// the main-thread time of a pass (the program's frame: render and updates)
// in headless Chromium with WebGL on SwiftShader, at the browser's own
// frame rate.
//   node bench/web/web_bench.mjs --web out/web --driver build/tests/web/driver [--seconds 10]
import fs from "node:fs";
import path from "node:path";
import { gzipSync } from "node:zlib";

import { launch, open, options, serve, sleep, useDriver, waitFor } from "../../tests/web/web_test.mjs";

const args = options(process.argv.slice(2));
const root = path.resolve(args.web);
const seconds = Number(args.seconds || 10);
useDriver(args.driver);

function download() {
  const files = ["index.html", "moonlit-harbor.js", "moonlit-harbor.wasm", "spartanic.xm",
                 ...fs.readdirSync(path.join(root, "data"), { recursive: true }).map((f) => `data/${f}`)]
    .filter((f) => fs.statSync(path.join(root, f)).isFile());
  return files.reduce((sum, f) => {
    const bytes = fs.readFileSync(path.join(root, f));
    return { raw: sum.raw + bytes.length, gzip: sum.gzip + gzipSync(bytes, { level: 9 }).length };
  }, { raw: 0, gzip: 0 });
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

const size = download();
const server = await serve(root);
const browser = await launch(true);
const view = await open(browser, "", server);
await waitFor(view, "Playing");
await sleep(seconds * 1000);
const { passes, work } = await view.page.evaluate(() => ({ passes: window.passes, work: window.work }));
await browser.close();
server.close();

// The first two seconds warm up (compilation, the first textures).
const warm = passes.findIndex((t) => t > passes[0] + 2000);
const fps = (passes.length - 1 - warm) / ((passes[passes.length - 1] - passes[warm]) / 1000);
console.log(`download: ${(size.raw / 1024).toFixed(0)} KiB raw, ${(size.gzip / 1024).toFixed(0)} KiB gzip`);
console.log(`first frame: ${passes[0].toFixed(0)} ms after navigation`);
console.log(`frames: ${fps.toFixed(1)} fps, main thread ${median(work.slice(warm)).toFixed(2)} ms per frame (median of ${work.length - warm})`);
