// Loads encoded scripts into one page in headless Chromium and compares what the DOM shows.
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { browserCorpus } = require('./corpus');

const cli = process.argv[2];
const browser = process.argv[3] || 'chromium';
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'mantello-browser-'));
let passed = 0;
let failed = 0;

function check(name, ok, why) {
  if (ok) {
    passed++;
    console.log(`ok - browser ${name}`);
  } else {
    failed++;
    console.log(`not ok - browser ${name}: ${why}`);
  }
}

try {
  const blocks = browserCorpus.map(([, text], i) => {
    const script = execFileSync(cli, ['encode'], { input: Buffer.from(text, 'utf8') });
    return `<div id="out${i}">${script.toString('latin1')}</div>`;
  });
  // The report goes into the title, URI-encoded so that serializing the DOM changes nothing.
  const page = `<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>pending</title></head><body>
${blocks.join('\n')}
<script>
var results = [];
for (var i = 0; i < ${blocks.length}; i++) {
  var copy = document.getElementById('out' + i).cloneNode(true);
  copy.querySelectorAll('script, noscript').forEach(function (e) { e.remove(); });
  results.push({ text: copy.textContent, html: copy.innerHTML });
}
document.title = encodeURIComponent(JSON.stringify(results));
</script>
</body></html>
`;
  const file = path.join(dir, 'page.html');
  fs.writeFileSync(file, page, 'utf8');
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'mantello-profile-'));
  const dom = execFileSync(browser, [
    '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    `--user-data-dir=${profile}`, '--dump-dom', `file://${file}`,
  ], { timeout: 120000, maxBuffer: 1 << 26, stdio: ['ignore', 'pipe', 'ignore'] }).toString('utf8');
  fs.rmSync(profile, { recursive: true, force: true });
  const title = /<title>([^<]*)<\/title>/.exec(dom);
  if (!title || title[1] === 'pending') throw new Error('the page did not report its results');
  const results = JSON.parse(decodeURIComponent(title[1]));
  browserCorpus.forEach(([name, text, compare], i) => {
    // The line ends after </script> and </noscript> follow the written text.
    const want = `${text}\n\n`;
    const got = results[i][compare];
    check(`${name} (${compare})`, got === want, `got ${JSON.stringify(got)}, want ${JSON.stringify(want)}`);
  });
} catch (e) {
  check('page', false, e.message);
}

fs.rmSync(dir, { recursive: true, force: true });
console.log(`RESULT ${passed} ${failed}`);
