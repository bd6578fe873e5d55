// The page in a real browser: serves the built page on 127.0.0.1, drives the
// system's Chromium through puppeteer-core, and checks the wiring against
// the real command-line tools. Usage:
//   node page_test.js PAGE_DIR SPINLOAD SPINDISK SOURCE_DIR [SCREENSHOT.png]
'use strict';

const assert = require('assert');
const {execFileSync} = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

const [pageDir, spinload, spindisk, sourceDir, screenshotPath] = process.argv.slice(2).map((a) => path.resolve(a));
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';
const PAGE_BUDGET = 1024 * 1024;  // the page with its module
const WAIT_MS = 60000;
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'spinload-page-'));
const downloads = path.join(work, 'downloads');
fs.mkdirSync(downloads);

const TYPES = {'.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.png': 'image/png'};

// A static server for the page's folder, nothing else.
function serve(root) {
  const server = http.createServer((request, response) => {
    const name = path.basename(decodeURIComponent(new URL(request.url, 'http://x').pathname)) || 'index.html';
    const file = path.join(root, name);
    if (!fs.existsSync(file)) { response.writeHead(404); response.end(); return; }
    response.writeHead(200, {'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream'});
    response.end(fs.readFileSync(file));
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

function run(program, args) { return execFileSync(program, args, {cwd: work, stdio: ['ignore', 'pipe', 'pipe']}); }

// The file the browser saved under this name, once it is complete.
async function downloaded(name) {
  const file = path.join(downloads, name);
  for (let waited = 0; waited < WAIT_MS; waited += 100) {
    if (fs.existsSync(file) && !fs.existsSync(file + '.crdownload')) return fs.readFileSync(file);
    await new Promise((r) => setTimeout(r, 100));
  }
  throw new Error('no download ' + name);
}

async function makeDisk(page, file, fields) {
  await (await page.$('#make-file')).uploadFile(file);
  for (const [id, value] of Object.entries(fields)) {
    await page.$eval(id, (e, v) => { e.value = v; }, value);
  }
  await page.$eval('#make-summary', (e) => { e.textContent = ''; });
  const started = Date.now();
  await page.click('#make-button');
  await page.waitForFunction(() => document.getElementById('make-summary').textContent !== '');
  return {summary: await page.$eval('#make-summary', (e) => e.textContent), ms: Date.now() - started};
}

async function screenText(page) { return page.$eval('#screen-text', (e) => e.textContent); }

// Pixels of a PNG that differ from its top-left pixel, counted by the
// browser's own decoder.
async function pixelsUnlike(page, png) {
  return page.evaluate(async (data) => {
    const image = new Image();
    image.src = 'data:image/png;base64,' + data;
    await image.decode();
    const canvas = document.createElement('canvas');
    canvas.width = image.width;
    canvas.height = image.height;
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0);
    const pixels = context.getImageData(0, 0, image.width, image.height).data;
    let unlike = 0;
    for (let i = 0; i < pixels.length; i += 4) {
      if (pixels[i] !== pixels[0] || pixels[i + 1] !== pixels[1] || pixels[i + 2] !== pixels[2]) unlike++;
    }
    return unlike;
  }, png.toString('base64'));
}

const checks = [];
function check(name, test) { checks.push({name, test}); }

check('the page and its module fit the budget', async () => {
  const size = fs.readdirSync(pageDir).reduce((sum, f) => sum + fs.statSync(path.join(pageDir, f)).size, 0);
  console.log(`  page size: ${size} bytes`);
  assert(size < PAGE_BUDGET, `${size} bytes`);
});

check('the page starts from file://', async (page) => {
  await page.goto('file://' + path.resolve(pageDir, 'index.html'));
  await page.waitForFunction(() => document.getElementById('status').textContent === 'Ready.', {timeout: WAIT_MS});
});

check('a raw program makes the bytes SpinLoad and spindisk write', async (page, url) => {
  await page.goto(url);
  await page.waitForFunction(() => document.getElementById('status').textContent === 'Ready.', {timeout: WAIT_MS});
  const program = path.join(sourceDir, 'examples', 'hello.bin');
  const made = await makeDisk(page, program, {'#make-load': '$0300', '#make-start': '', '#make-label': 'HELLO'});
  console.log(`  made and verified in ${made.ms} ms: ${made.summary}`);
  assert.match(made.summary, /verified: starts after/);
  await page.click('#download-65d');
  await page.click('#download-hfe');
  await page.click('#download-osi');
  run(spinload, ['-l0300', '-nHELLO', program, 'expected.65d']);
  run(spindisk, ['make', program, '--load', '0300', '--label', 'HELLO', '-o', 'expected.hfe']);
  run(spindisk, ['make', program, '--load', '0300', '--label', 'HELLO', '-o', 'expected.os5']);
  for (const extension of ['.65d', '.hfe', '.os5']) {
    const expected = fs.readFileSync(path.join(work, 'expected' + extension));
    assert((await downloaded('hello' + extension)).equals(expected), extension + ' differs');
  }
});

check('a 40 KB program is made and verified, the bytes SpinLoad writes', async (page) => {
  const program = path.join(work, 'big.bin');
  fs.writeFileSync(program, Buffer.from(Array.from({length: 40960}, (_, i) => (i * 7 + (i >> 8)) & 0xFF)));
  const made = await makeDisk(page, program, {'#make-load': '0300', '#make-label': ''});
  console.log(`  made and verified in ${made.ms} ms: ${made.summary}`);
  assert.match(made.summary, /verified: starts after/);
  await page.click('#download-65d');
  run(spinload, ['-l0300', program, 'big.65d']);
  assert((await downloaded('big.65d')).equals(fs.readFileSync(path.join(work, 'big.65d'))), '.65d differs');
});

check('65V monitor text makes the disk its bytes make', async (page) => {
  // The greeting as typed into the monitor: address mode, data mode, a
  // Return after each byte, and G to start it.
  const bytes = fs.readFileSync(path.join(sourceDir, 'examples', 'hello.bin'));
  const text = '.0300/' + Array.from(bytes, (b) => b.toString(16).toUpperCase().padStart(2, '0') + '\r').join('') + '.0300G';
  fs.writeFileSync(path.join(work, 'greeting.65v'), text);
  const made = await makeDisk(page, path.join(work, 'greeting.65v'), {'#make-load': '', '#make-label': ''});
  assert.match(made.summary, /verified: starts after/);
  await page.click('#download-65d');
  run(spindisk, ['make', 'greeting.65v', '-o', 'expected-65v.65d']);
  run(spinload, ['-l0300', path.join(sourceDir, 'examples', 'hello.bin'), 'expected-raw.65d']);
  const disk = await downloaded('greeting.65d');
  assert(disk.equals(fs.readFileSync(path.join(work, 'expected-65v.65d'))), 'differs from spindisk make');
  assert(disk.equals(fs.readFileSync(path.join(work, 'expected-raw.65d'))), 'differs from the raw bytes\' disk');
});

check('a layout that would not boot is refused', async (page) => {
  const program = path.join(sourceDir, 'examples', 'hello.bin');
  const made = await makeDisk(page, program, {'#make-load': '0080', '#make-label': ''});
  assert.strictEqual(made.summary, 'Refused: the disk would not boot or would not load the program intact');
  const findings = await page.$$eval('#make-findings li', (items) => items.map((li) => li.textContent));
  assert(findings.some((f) => /^error: track 1 stores \$0080-/.test(f)), findings.join('\n'));
  assert(await page.$eval('#download-65d', (e) => e.disabled), 'a refused disk can be downloaded');
});

check('an opened disk is listed, from any of its formats', async (page) => {
  for (const name of ['expected.65d', 'expected.hfe', 'expected.os5']) {
    await page.$eval('#open-summary', (e) => { e.textContent = ''; });
    await (await page.$('#open-file')).uploadFile(path.join(work, name));
    await page.waitForFunction(() => document.getElementById('open-summary').textContent !== '');
  }
  const summary = await page.$eval('#open-summary', (e) => e.textContent);
  assert.match(summary, /^osiemu bit stream, 40 tracks/);
  assert.match(summary, /SpinLoad's loader, start \$0300/);
  assert.match(summary, /label: HELLO/);
  const cells = await page.$$eval('#open-tracks td', (tds) => tds.map((td) => td.textContent));
  const end = 0x0300 + fs.statSync(path.join(sourceDir, 'examples', 'hello.bin')).size - 1;
  assert.deepStrictEqual(cells.slice(0, 3), ['1', '1', '$0300-$' + end.toString(16).toUpperCase().padStart(4, '0')]);
});

check('the opened osiemu stream boots and its greeting is on the screen', async (page) => {
  await page.click('#speed-fast');
  const started = Date.now();
  await page.click('#open-boot-button');
  await page.waitForFunction(() => document.getElementById('screen-text').textContent.includes('HELLO FROM SPINLOAD'),
                             {timeout: WAIT_MS});
  const wall = (Date.now() - started) / 1000;
  const status = await page.$eval('#boot-status', (e) => e.textContent);
  console.log(`  booted in ${wall.toFixed(2)} s wall time: ${status}`);
  assert.match(status, /^Started at \$0300 after 1\.\d\d s\. /);
  // How fast "as fast as it can" runs here: emulated seconds per second.
  const emulated = async () => Number((await page.$eval('#boot-status', (e) => e.textContent)).match(/([\d.]+) s emulated/)[1]);
  const before = await emulated();
  await new Promise((r) => setTimeout(r, 1000));
  console.log(`  as fast as it can: ${((await emulated()) - before).toFixed(0)} times real time`);
  assert.match(await page.$eval('#strip-text', (e) => e.textContent), /^Track \d+: revolution \d+, \d+ bytes read/);
  const shot = await (await page.$('#screen')).screenshot();
  const unlike = await pixelsUnlike(page, shot);
  assert(unlike > 100, `the screenshot is blank (${unlike} pixels differ)`);
  if (screenshotPath) fs.writeFileSync(screenshotPath, await page.screenshot({fullPage: true}));
});

check('a cc65 program boots, is typed to, and answers', async (page) => {
  let cl65 = true;
  try { run('cl65', ['--version']); } catch (e) { cl65 = false; }
  if (!cl65) { console.log('  skipped: no cl65 (apt-get install cc65)'); return; }
  // cc65's hybrid output: 65V text for the monitor, then the program; the
  // page reads its addresses from it. cl65 leaves its object file beside
  // the source, so it compiles a copy in the work folder.
  fs.copyFileSync(path.join(sourceDir, 'tests', 'spindisk', 'cc65', 'greet.c'), path.join(work, 'greet.c'));
  run('cl65', ['-t', 'osic1p', '-u', '__BOOT__', '-o', 'greet.lod', 'greet.c']);
  const made = await makeDisk(page, path.join(work, 'greet.lod'), {'#make-load': '', '#make-label': ''});
  assert.match(made.summary, /verified: starts after/);
  await page.click('#make-boot-button');
  await page.waitForFunction(() => document.getElementById('screen-text').textContent.includes('NAME?'));
  await page.click('#screen');
  await page.keyboard.type('Spin');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => document.getElementById('screen-text').textContent.includes('HELLO, Spin'));
  const text = await screenText(page);
  assert.match(text, /^NAME\?Spin {15}\n {24}\nHELLO, Spin {13}\n/);
  if (screenshotPath) fs.writeFileSync(screenshotPath, await page.screenshot({fullPage: true}));
});

(async () => {
  const server = await serve(pageDir);
  const url = `http://127.0.0.1:${server.address().port}/index.html`;
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    userDataDir: path.join(work, 'profile'),
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync'],
  });
  let failed = 0;
  try {
    const page = await browser.newPage();
    page.setDefaultTimeout(WAIT_MS);
    page.on('pageerror', (e) => console.log('  page error: ' + e.message));
    const cdp = await page.createCDPSession();
    await cdp.send('Browser.setDownloadBehavior', {behavior: 'allow', downloadPath: downloads});
    for (const {name, test} of checks) {
      try {
        await test(page, url);
        console.log('ok   ' + name);
      } catch (e) {
        failed++;
        console.log('FAIL ' + name + '\n  ' + (e.stack || e));
      }
    }
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(work, {recursive: true, force: true});
  }
  console.log(failed ? `${failed} of ${checks.length} page checks failed` : `all ${checks.length} page checks passed`);
  process.exit(failed ? 1 : 0);
})();
