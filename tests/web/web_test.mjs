// The web build (out/web, served on 127.0.0.1) in Debian's Chromium, headless,
// WebGL on SwiftShader, driven by puppeteer-core; the bench borrows the driving.
//   node web_test.mjs show|bad_data --web DIR --capture EXE --driver DIR --work DIR
import { execFileSync } from "node:child_process";
import { createRequire } from "node:module";
import fs from "node:fs";
import http from "node:http";
import path from "node:path";
import { pathToFileURL } from "node:url";

// "--name value" pairs; puppeteer-core from the folder npm installed it into.
export const options = (argv) => Object.fromEntries(argv.flatMap((v, i) => (i % 2 ? [] : [[v.slice(2), argv[i + 1]]])));
const args = options(process.argv.slice(3));
let puppeteer = null;
export const useDriver = (folder) => (puppeteer = createRequire(path.join(path.resolve(folder), "node_modules/"))("puppeteer-core"));

const kWidth = 640, kHeight = 480, kCaptureFrames = 200;
const kPlayingLine = "Playing Low Tide Lanterns (8 chn)";
// Rows the scroller's glyphs reach (base line 400, wave ±16, glyphs of 16)
// down to the bottom bar; the columns the logo strip sways over; the
// plasma's colours (in the band right of the strip, any other is a glyph).
const kScrollerBand = [376, 448], kLogoRight = 160;
const kPlasma = ["8,16,10", "16,32,24", "32,64,48", "64,128,98", "128,255,196", "112,223,148", "96,195,128"];

let failures = 0;
function check(ok, what) {
  console.log(`${ok ? "ok  " : "FAIL"} ${what}`);
  if (!ok) failures++;
}

const kTypes = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm" };
// `replaced`: paths ("/spartanic.xm") served with other bytes, or not found (null).
export function serve(root, replaced = {}) {
  const server = http.createServer((request, response) => {
    const name = request.url.split("?")[0], file = path.join(root, name === "/" ? "index.html" : name);
    const reply = (error, bytes) => (error || !bytes ? response.writeHead(404).end()
      : response.writeHead(200, { "Content-Type": kTypes[path.extname(file)] || "application/octet-stream" }).end(bytes));
    name in replaced ? reply(null, replaced[name]) : fs.readFile(file, reply);
  });
  return new Promise((ok) => server.listen(0, "127.0.0.1", () => ok(server)));
}

export const launch = (autoplay) => puppeteer.launch({ executablePath: "/usr/bin/chromium", headless: true,
  args: ["--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--mute-audio",
         ...(autoplay ? ["--autoplay-policy=no-user-gesture-required"] : [])] });

// Runs in the page first: an analyser hears what the speakers would play.
// The page's clock stands still during a pass (`seen`: at what time); with
// ?rate=HZ a timer drives the passes and the clock moves by one frame between
// them, however slowly SwiftShader draws. `passes` and `work` are the bench's.
function instrument() {
  const connect = AudioNode.prototype.connect;
  AudioNode.prototype.connect = function (target, ...rest) {
    if (target instanceof AudioDestinationNode) connect.call(this, (window.tap ||= this.context.createAnalyser()));
    return connect.call(this, target, ...rest);
  };
  window.soundPeak = (samples = new Float32Array(2048)) => {
    window.tap?.getFloatTimeDomainData(samples);
    return Math.max(...samples.map(Math.abs));
  };
  [window.seen, window.passes, window.work] = [[], [], []];
  const rate = Number(new URLSearchParams(location.search).get("rate"));
  const realNow = performance.now.bind(performance), raf = window.requestAnimationFrame.bind(window);
  let now = null;
  performance.now = () => now ?? realNow();
  window.requestAnimationFrame = (pass) => (rate ? (f) => setTimeout(f, 0) : raf)((t) => {
    const start = realNow();
    window.seen.push((now = rate ? (now ?? start) + 1000 / rate : start));
    pass(rate ? now : t);
    if (!rate) now = null;
    window.passes.push(realNow());
    window.work.push(realNow() - start);
  });
}

export async function open(browser, query, server) {
  const page = await browser.newPage(), log = [], errors = [];
  page.on("console", (m) => log.push(m.text()));
  page.on("pageerror", (e) => errors.push(e.message));
  page.on("dialog", (d) => { errors.push(`dialog: ${d.message()}`); d.dismiss(); });
  await page.evaluateOnNewDocument(instrument);
  await page.goto(`http://127.0.0.1:${server.address().port}/${query}`);
  return { page, log, errors };
}

export const sleep = (ms) => new Promise((ok) => setTimeout(ok, ms));
async function until(condition, seconds) {
  for (let t = 0; t < seconds * 10; t++, await sleep(100)) if (await condition()) return true;
  return false;
}
const logged = (view, text) => view.log.some((line) => line.includes(text));
export const waitFor = (view, text, seconds = 30) => until(() => logged(view, text), seconds);

// The tune's line on the console, then the music: at once with autoplay
// allowed; else silence, the audio suspended and the hint shown, until a click.
async function music(browser, server, autoplay) {
  const view = await open(browser, "", server), how = autoplay ? "autoplay" : "autoplay blocked";
  const state = () => view.page.evaluate((peak = window.soundPeak()) => `audio ${window.tap?.context.state}, hint ` +
    `${document.getElementById("hint").style.display === "none" ? "hidden" : "shown"}, ${peak > 0.02 ? "sound" : "silence"} (peak ${peak})`);
  check(await waitFor(view, kPlayingLine), `${how}: the console says "${kPlayingLine}"`);
  if (!autoplay) {
    const before = await state();
    check(before.startsWith("audio suspended, hint shown, silence"), `${how}: ${before} until a click`);
    await view.page.click("#canvas");
  }
  let after = "";
  const sounds = await until(async () => (after = await state()).startsWith("audio running, hint hidden, sound"), 20);
  check(sounds && !view.errors.length, `${how}: ${after} ${view.errors.join("; ")}`);
  await view.page.close();
}

const pixels = (png) => execFileSync("convert", [png, "-depth", "8", "rgb:-"], { maxBuffer: 1 << 24 });
const at = (rgb, x, y) => { const i = (y * kWidth + x) * 3; return `${rgb[i]},${rgb[i + 1]},${rgb[i + 2]}`; };

// The browser's frame against `drawn` (as many frames drawn) outside the
// scroller band, but for logo block edges at fractional positions and one
// step of 255 (translucent glyph edges), which GPUs round apart; against
// `scrolled` (as many updates run) in the band right of the logo strip.
function differences(web, drawn, scrolled) {
  const wrong = [], near = [[1, 0], [-1, 0], [0, 1], [0, -1]], glyph = (rgb, x, y) => !kPlasma.includes(at(rgb, x, y));
  const edge = (x, y) => x < kLogoRight && near.some(([dx, dy]) => at(drawn, x + dx, y + dy) !== at(drawn, x, y));
  let glyphsOff = 0;
  for (let y = 0, i = 0; y < kHeight; y++)
    for (let x = 0; x < kWidth; x++, i += 3) {
      const step = Math.max(...[0, 1, 2].map((c) => Math.abs(web[i + c] - drawn[i + c])));
      if (y >= kScrollerBand[0] && y < kScrollerBand[1]) glyphsOff += x >= kLogoRight && glyph(web, x, y) !== glyph(scrolled, x, y);
      else if (step > 1 && !edge(x, y)) wrong.push(`(${x},${y}) ${at(web, x, y)} vs ${at(drawn, x, y)}`);
    }
  return { wrong, glyphsOff };
}

// The host's schedule replayed on the passes' times: after each pass's
// render the updates due, at most 4, the backlog dropped after 4.
function scheduledUpdates(passes) {
  let next = 0, updates = 0;
  for (const now of passes.map((ms) => ms / 1000)) {
    if (next > now) continue;
    let due = 0;
    for (next ||= now; due < 4 && next <= now; due++) next += 0.02;
    updates += due;
    if (next <= now) next = 0;
  }
  return updates;
}

// Pages stopped after n frames, at a display's rate or the browser's own (0).
const kRuns = [{ n: 1, rate: 60 }, { n: 60, rate: 30 }, { n: 101, rate: 60 }, { n: 180, rate: 144 }, { n: 30, rate: 0 }];
async function frames(browser, server) {
  const out = path.join(args.work, "capture");
  execFileSync(args.capture, ["--png", "--fps", "50", "--frames", String(kCaptureFrames), "--out", out],
    { stdio: ["ignore", "ignore", "inherit"], env: { ...process.env, ALSOFT_DRIVERS: "null" } });
  // Native frame k: k + 1 frames drawn, k updates run (the scroller at 640 - 4k).
  const native = (k) => pixels(path.join(out, "frames", `frame_${String(k).padStart(6, "0")}.png`));
  for (const { n, rate } of kRuns) {
    const view = await open(browser, `?frames=${n}&rate=${rate}`, server), name = `frame ${n} at ${rate || "the browser's"} Hz`;
    const stopped = await waitFor(view, `stopped after ${n} frames`, 60);
    const file = path.join(args.work, `web_${n}.png`);
    await (await view.page.$("#canvas")).screenshot({ path: file });
    // The last pass stops after its render, before its updates.
    const updates = scheduledUpdates((await view.page.evaluate(() => window.seen)).slice(0, n - 1));
    const { wrong, glyphsOff } = differences(pixels(file), native(n - 1), native(updates));
    check(stopped && !wrong.length, `${name} equals the native capture's frame ${n} (wrong: ${wrong.length} ${wrong.slice(0, 8)})`);
    check(glyphsOff < 200, `${name}: the scroller moved 4 px on each of the ${updates} updates due (glyph pixels off: ${glyphsOff})`);
  }
}

// Files missing or broken, as on the desktop: what the console says; whether the show stops.
const kRan = "stopped after 5 frames", kBadData = [
  { what: "data/fonti.png missing", files: { "/data/fonti.png": null }, says: [kRan] },
  { what: "data/fonti.png not a PNG", files: { "/data/fonti.png": "not a picture" }, says: [kRan] },
  { what: "both fonts missing", files: { "/data/fonti.png": null, "/data/kova_font.png": null },
    says: ["No font could be loaded (data/fonti.png, data/kova_font.png): the text is left out", kRan] },
  { what: "spartanic.xm missing", files: { "/spartanic.xm": null }, says: ['Could not load module "spartanic.xm", reason:'], stops: true },
];
async function badData(browser, root) {
  for (const { what, files, says, stops = false } of kBadData) {
    const server = await serve(root, files), view = await open(browser, "?frames=5", server);
    const said = await until(() => says.every((line) => logged(view, line)), 30);
    const noted = /stopped/.test(await view.page.$eval("#hint", (h) => h.textContent));
    const calm = view.errors.every((e) => stops && /Aborted/.test(e));
    check(said && noted === stops && calm, `${what}: the console says "${says.join('", "')}"${stops ? ", the page that the show stopped" : ""}`);
  }
}

async function main() {
  useDriver(args.driver);
  const root = path.resolve(args.web), server = await serve(root), browser = await launch(true);
  if (process.argv[2] === "show") {
    await music(browser, server, true);
    await frames(browser, server);
    const blocked = await launch(false);
    await music(blocked, server, false);
    await blocked.close();
  } else await badData(browser, root);
  await browser.close();
  console.log(failures ? `${failures} check(s) failed` : "all checks passed");
  process.exit(failures ? 1 : 0);
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) await main();
