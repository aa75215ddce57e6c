// The web build in a real browser: Debian's Chromium, headless, with WebGL
// on SwiftShader, driven through puppeteer-core. out/web is served from
// 127.0.0.1 by a small server of this script.
//
//   node web_test.mjs show|bad_data --web DIR --capture EXE --driver DIR --work DIR
//
// bench/web/web_bench.mjs takes its serving and browsing from here.
//
// show:     the page prints the tune's line and the music sounds (autoplay
//           allowed; and blocked until a click); frames drawn in the browser
//           equal the native capture's; the scroller keeps 50 updates a
//           second at 30, 60 and 144 frames a second.
// bad_data: missing or broken data files behave as on the desktop.
import { execFileSync } from "node:child_process";
import { createRequire } from "node:module";
import fs from "node:fs";
import http from "node:http";
import path from "node:path";

import { pathToFileURL } from "node:url";

// "--name value" pairs after the first argument.
export function options(argv) {
  return Object.fromEntries(argv.reduce((pairs, v, i, all) => (i % 2 ? pairs : [...pairs, [v.slice(2), all[i + 1]]]), []));
}
const args = options(process.argv.slice(3));
let puppeteer = null;
// puppeteer-core from the folder npm installed it into.
export function useDriver(folder) {
  puppeteer = createRequire(path.join(path.resolve(folder), "node_modules/"))("puppeteer-core");
}

const kWidth = 640, kHeight = 480;
const kPlayingLine = "Playing Low Tide Lanterns (8 chn)";
// Rows the scroller's glyphs can reach (base line 400, wave ±16, glyphs of
// 16), up to the bottom bar; and the columns the logo strip sways over.
const kScrollerBand = [376, 448];
const kLogoRight = 160;
const kCaptureFrames = 200;
// The plasma's colours: in the scroller band right of the logo strip,
// anything else is a glyph of the scroller.
const kPlasma = ["8,16,10", "16,32,24", "32,64,48", "64,128,98", "128,255,196", "112,223,148", "96,195,128"];

let failures = 0;
function check(ok, what) {
  console.log(`${ok ? "ok  " : "FAIL"} ${what}`);
  if (!ok) failures++;
}

// ---- serving, browsing ----------------------------------------------------

const kTypes = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm" };
export function serve(root) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, "http://x").pathname);
    const file = path.join(root, name === "/" ? "index.html" : path.normalize(name));
    fs.readFile(file, (error, bytes) => {
      if (error || !file.startsWith(root)) return response.writeHead(404).end();
      response.writeHead(200, { "Content-Type": kTypes[path.extname(file)] || "application/octet-stream" });
      response.end(bytes);
    });
  });
  return new Promise((ok) => server.listen(0, "127.0.0.1", () => ok(server)));
}

export function launch(autoplay) {
  const flags = ["--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--mute-audio"];
  if (autoplay) flags.push("--autoplay-policy=no-user-gesture-required");
  return puppeteer.launch({ executablePath: "/usr/bin/chromium", headless: true, args: flags });
}

// Runs in the page before its own scripts: taps what reaches the speakers
// (an analyser beside each connection to the destination), and when asked
// (?rate=HZ) drives the animation frames by a timer at that rate, recording
// when each pass began.
function instrument() {
  const connect = AudioNode.prototype.connect;
  window.analysers = [];
  AudioNode.prototype.connect = function (target, ...rest) {
    const result = connect.call(this, target, ...rest);
    if (target instanceof AudioDestinationNode) {
      if (!this.context.tap) window.analysers.push((this.context.tap = this.context.createAnalyser()));
      connect.call(this, this.context.tap);
    }
    return result;
  };
  window.soundPeak = () => window.analysers.reduce((peak, a) => {
    const samples = new Float32Array(a.fftSize);
    a.getFloatTimeDomainData(samples);
    return samples.reduce((p, v) => Math.max(p, Math.abs(v)), peak);
  }, 0);
  // ?rate=HZ: animation frames come from a timer, and the page's clock
  // stands still during a pass and moves on by exactly one frame between
  // passes, as a display of that rate would have it (a virtual clock, so the
  // rate holds however long SwiftShader takes to draw). Without it the
  // browser's own frames and clock run; passes records when each ended.
  window.passes = [];
  const rate = Number(new URLSearchParams(location.search).get("rate"));
  const realNow = performance.now.bind(performance);
  let virtual = null;
  if (rate > 0) {
    performance.now = () => (virtual === null ? realNow() : virtual);
    window.requestAnimationFrame = (pass) => setTimeout(() => {
      virtual = virtual === null ? realNow() : virtual + 1000 / rate;
      pass(virtual);
      window.passes.push(virtual);
    }, 0);
  } else {
    const raf = window.requestAnimationFrame.bind(window);
    window.work = [];  // each pass's main-thread time, for the bench
    window.requestAnimationFrame = (pass) => raf((t) => {
      const start = realNow();
      pass(t);
      window.passes.push(realNow());
      window.work.push(realNow() - start);
    });
  }
}

export async function open(browser, query, server) {
  const page = await browser.newPage();
  await page.setViewport({ width: 800, height: 640, deviceScaleFactor: 1 });
  const log = [], errors = [];
  page.on("console", (m) => log.push(m.text()));
  page.on("pageerror", (e) => errors.push(e.message));
  page.on("dialog", (d) => { errors.push(`dialog: ${d.message()}`); d.dismiss(); });
  await page.evaluateOnNewDocument(instrument);
  await page.goto(`http://127.0.0.1:${server.address().port}/${query}`);
  return { page, log, errors };
}

export async function waitFor(view, text, seconds = 30) {
  for (let t = 0; t < seconds * 10; t++) {
    if (view.log.some((line) => line.includes(text))) return true;
    await new Promise((ok) => setTimeout(ok, 100));
  }
  return false;
}

export const sleep = (ms) => new Promise((ok) => setTimeout(ok, ms));

// The loudest sample heard over about a second.
async function loudness(page) {
  let peak = 0;
  for (let i = 0; i < 10; i++, await sleep(100)) peak = Math.max(peak, await page.evaluate(() => window.soundPeak()));
  return peak;
}

// ---- pictures -------------------------------------------------------------

function pixels(png) {
  return execFileSync("convert", [png, "-depth", "8", "rgb:-"], { maxBuffer: 1 << 24 });
}

async function canvasPixels(page, file) {
  await (await page.$("#canvas")).screenshot({ path: file });
  return pixels(file);
}

const at = (rgb, x, y) => { const i = (y * kWidth + x) * 3; return `${rgb[i]},${rgb[i + 1]},${rgb[i + 2]}`; };

// A pixel of the logo strip whose neighbour has another colour: the edges of
// blocks at fractional positions, which two rasterisers may round apart.
function logoEdge(rgb, x, y) {
  if (x >= kLogoRight) return false;
  const c = at(rgb, x, y);
  return [[1, 0], [-1, 0], [0, 1], [0, -1]].some(([dx, dy]) => {
    const u = x + dx, v = y + dy;
    return u >= 0 && v >= 0 && u < kWidth && v < kHeight && at(rgb, u, v) !== c;
  });
}

// Pixels that differ between the browser's frame and the native one, by
// kind. Translucent glyph edges may differ by one step of 255 (the blend's
// rounding differs between GPUs); anything else counts as a fault.
// Each kind's count and the box its pixels lie in.
function compare(web, native) {
  const kinds = {}, wrong = [];
  const note = (kind, x, y) => {
    const k = (kinds[kind] ||= { n: 0, box: [x, y, x, y] });
    k.n++;
    k.box = [Math.min(k.box[0], x), Math.min(k.box[1], y), Math.max(k.box[2], x), Math.max(k.box[3], y)];
  };
  for (let y = 0; y < kHeight; y++)
    for (let x = 0; x < kWidth; x++) {
      const i = (y * kWidth + x) * 3;
      const step = Math.max(...[0, 1, 2].map((c) => Math.abs(web[i + c] - native[i + c])));
      if (step === 0) continue;
      const kind = y >= kScrollerBand[0] && y < kScrollerBand[1] ? "in the scroller band"
        : logoEdge(native, x, y) ? "on logo block edges" : step === 1 ? "by one step at glyph edges" : "elsewhere";
      note(kind, x, y);
      if (kind === "elsewhere" && wrong.length < 8) wrong.push(`(${x},${y}) ${at(web, x, y)} vs ${at(native, x, y)}`);
    }
  const where = Object.entries(kinds).map(([kind, { n, box }]) => `${n} ${kind} (x ${box[0]}-${box[2]}, y ${box[1]}-${box[3]})`);
  return { wrong: kinds.elsewhere ? kinds.elsewhere.n : 0, where: [...where, ...wrong].join(", ") || "none" };
}

// The scroller's glyph pixels right of the logo strip, as "x,y" keys.
function glyphs(rgb) {
  const set = new Set();
  for (let y = kScrollerBand[0]; y < kScrollerBand[1]; y++)
    for (let x = kLogoRight; x < kWidth; x++) if (!kPlasma.includes(at(rgb, x, y))) set.add(`${x},${y}`);
  return set;
}

// The capture frame whose scroller matches best: frame k of the capture has
// had k updates, so its scroller stands at 640 - 4k.
function updatesShown(rgb, captured) {
  const mine = glyphs(rgb);
  let best = { k: -1, miss: Infinity };
  captured.forEach((g, k) => {
    let miss = 0;
    for (const p of mine) if (!g.has(p)) miss++;
    for (const p of g) if (!mine.has(p)) miss++;
    if (miss < best.miss) best = { k, miss };
  });
  return best;
}

// ---- the cases ------------------------------------------------------------

async function music(root) {
  const server = await serve(root);
  for (const autoplay of [true, false]) {
    const browser = await launch(autoplay);
    const view = await open(browser, "", server);
    check(await waitFor(view, kPlayingLine), `${autoplay ? "autoplay" : "no autoplay"}: the console says "${kPlayingLine}"`);
    if (!autoplay) {
      await sleep(1000);
      const before = await loudness(view.page);
      const hint = await view.page.$eval("#hint", (h) => getComputedStyle(h).display !== "none");
      check(before === 0 && hint, `no autoplay: silent (peak ${before}) with the hint shown until a click`);
      await view.page.click("#canvas");
    }
    await sleep(1500);
    const peak = await loudness(view.page);
    const state = await view.page.evaluate(() => window.analysers.map((a) => a.context.state).join());
    check(peak > 0.02 && state === "running", `${autoplay ? "autoplay" : "after a click"}: the music sounds (peak ${peak.toFixed(3)}, audio ${state})`);
    check(view.errors.length === 0, `no page errors ${view.errors.join("; ")}`);
    await browser.close();
  }
  server.close();
}

function capture(work) {
  const out = path.join(work, "capture");
  fs.rmSync(out, { recursive: true, force: true });
  execFileSync(args.capture, ["--png", "--fps", "50", "--frames", String(kCaptureFrames), "--out", out],
    { stdio: ["ignore", "ignore", "inherit"], env: { ...process.env, ALSOFT_DRIVERS: "null" } });
  return (k) => path.join(out, "frames", `frame_${String(k).padStart(6, "0")}.png`);
}

async function frames(root, work, framePath) {
  const server = await serve(root);
  const browser = await launch(true);
  for (const n of [1, 60, 101]) {
    const view = await open(browser, `?frames=${n}`, server);
    const stopped = await waitFor(view, `stopped after ${n} frames`);
    const web = await canvasPixels(view.page, path.join(work, `web_${n}.png`));
    const { wrong, where } = compare(web, pixels(framePath(n - 1)));
    console.log(`     frame ${n}: pixels that differ: ${where}`);
    check(stopped && wrong === 0, `frame ${n} equals the native capture's frame ${n}`);
    await view.page.close();
  }
  await browser.close();
  server.close();
}

// The host's schedule replayed on the times the passes ended: updates after
// each pass's render, 0 to 4, the backlog dropped after 4.
function scheduledUpdates(passes) {
  let next = 0, updates = 0;
  for (const ms of passes) {
    const now = ms / 1000;
    if (next !== 0 && next > now) continue;
    if (next === 0) next = now;
    let i = 0;
    for (; i < 4; i++) {
      updates++;
      next += 0.02;
      if (next > now) break;
    }
    if (i === 4) next = 0;
  }
  return updates;
}

async function schedule(root, work, framePath) {
  const captured = [];
  for (let k = 0; k < kCaptureFrames; k++) captured.push(glyphs(pixels(framePath(k))));
  const server = await serve(root);
  const browser = await launch(true);
  // 2.5 s at frame rates of displays (on the virtual clock: exact), and 30
  // frames at the browser's own rate and clock (at most 4 updates a pass, so
  // however slow the machine, fewer than the capture's frames; the host reads
  // its clock a little before the pass ends, hence the slack).
  for (const c of [{ rate: 30, n: 75, slack: 0 }, { rate: 60, n: 150, slack: 0 }, { rate: 144, n: 360, slack: 0 },
                   { rate: 0, n: 30, slack: 2 }]) {
    const view = await open(browser, `?frames=${c.n}&rate=${c.rate}`, server);
    await waitFor(view, `stopped after ${c.n} frames`, 60);
    const passes = await view.page.evaluate(() => window.passes);
    const shown = updatesShown(await canvasPixels(view.page, path.join(work, `rate_${c.rate}.png`)), captured);
    // The last pass stops after its render, before updates.
    const expected = scheduledUpdates(passes.slice(0, c.n - 1));
    const seconds = (passes[c.n - 2] - passes[0]) / 1000;
    const name = c.rate ? `${c.rate} Hz` : "the browser's own frames";
    console.log(`     ${name}: ${c.n} frames in ${seconds.toFixed(3)} s, ${shown.k} updates shown ` +
      `(scroller at x = ${640 - 4 * shown.k}, ${shown.miss} glyph pixels off), ${expected} scheduled`);
    check(Math.abs(shown.k - expected) <= c.slack && shown.miss < 200 && (!c.rate || Math.abs(expected - 1 - seconds * 50) <= 1),
      `${name}: the scroller moved 4 px per update, 50 updates a second`);
    await view.page.close();
  }
  await browser.close();
  server.close();
}

// Copies of out/web with one change each, as on the desktop's table.
const kBadData = [
  { what: "data/fonti.png missing", change: (d) => fs.rmSync(path.join(d, "data/fonti.png")), runs: true },
  { what: "data/fonti.png not a PNG", change: (d) => fs.writeFileSync(path.join(d, "data/fonti.png"), "not a picture"), runs: true },
  { what: "both fonts missing", change: (d) => fs.rmSync(path.join(d, "data"), { recursive: true }), runs: true,
    says: "No font could be loaded (data/fonti.png, data/kova_font.png): the text is left out" },
  { what: "spartanic.xm missing", change: (d) => fs.rmSync(path.join(d, "spartanic.xm")), runs: false,
    says: 'Could not load module "spartanic.xm", reason:' },
];

async function badData(root, work) {
  const browser = await launch(true);
  for (const c of kBadData) {
    const copy = path.join(work, "bad-data");
    fs.rmSync(copy, { recursive: true, force: true });
    fs.cpSync(root, copy, { recursive: true });
    c.change(copy);
    const server = await serve(copy);
    const view = await open(browser, "?frames=5", server);
    const ran = await waitFor(view, "stopped after 5 frames", c.runs ? 30 : 5);
    const said = !c.says || view.log.some((l) => l.includes(c.says));
    const note = await view.page.$eval("#hint", (h) => h.textContent);
    const calm = view.errors.every((e) => !c.runs && /Aborted/.test(e));
    check(ran === c.runs && said && calm && (c.runs || /stopped/.test(note)),
      `${c.what}: ${c.runs ? "the show runs" : "the show stops and the page says so"}${c.says ? `, the console says "${c.says}"` : ""}`);
    await view.page.close();
    server.close();
  }
  await browser.close();
}

async function main() {
  useDriver(args.driver);
  const root = path.resolve(args.web);
  fs.mkdirSync(args.work, { recursive: true });
  if (process.argv[2] === "show") {
    await music(root);
    const framePath = capture(args.work);
    await frames(root, args.work, framePath);
    await schedule(root, args.work, framePath);
  } else {
    await badData(root, args.work);
  }
  console.log(failures ? `${failures} check(s) failed` : "all checks passed");
  process.exit(failures ? 1 : 0);
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) await main();
