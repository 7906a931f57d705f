// Runs each encoded script's JavaScript in Node with a stand-in for document.write.
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const vm = require('vm');
const { nodeCorpus, withReferences, resolveReferences } = require('./corpus');

const cli = process.argv[2];
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'mantello-node-'));
let passed = 0;
let failed = 0;

function check(name, ok, why) {
  if (ok) {
    passed++;
    console.log(`ok - ${name}`);
  } else {
    failed++;
    console.log(`not ok - ${name}: ${why}`);
  }
}

function firstDifference(a, b) {
  let i = 0;
  while (i < a.length && i < b.length && a[i] === b[i]) i++;
  const show = (s) => JSON.stringify(s.slice(Math.max(0, i - 10), i + 10));
  return `at ${i}: got ${show(a)}, want ${show(b)}`;
}

function run(args, input) {
  return execFileSync(cli, args, { input, maxBuffer: 1 << 26 });
}

nodeCorpus.forEach(([name, text], i) => {
  try {
    const file = path.join(dir, `text${i}.txt`);
    fs.writeFileSync(file, text, 'utf8');
    // The file and standard input must give the same script shape.
    const script = run(['encode', file]).toString('latin1');
    const viaStdin = run(['encode'], Buffer.from(text, 'utf8')).toString('latin1');
    const lines = script.split('\r\n');
    check(`${name}: six CR LF lines`, lines.length === 7 && lines[6] === '' &&
          !/[\r\n]/.test(lines.slice(0, 6).join('')) && viaStdin.length === script.length,
          `${lines.length - 1} lines`);

    const begin = script.indexOf('<!--');
    const end = script.indexOf('//-->');
    let written = '';
    vm.runInNewContext(script.slice(begin + 4, end), { document: { write: (s) => { written += s; } } });
    const want = withReferences(text);
    check(`${name}: page receives the text with references`, written === want,
          firstDifference(written, want));
    check(`${name}: resolving the references gives the text back`,
          resolveReferences(written) === text, firstDifference(resolveReferences(written), text));

    const scriptFile = path.join(dir, `script${i}.html`);
    fs.writeFileSync(scriptFile, script, 'latin1');
    const decoded = run(['decode', scriptFile]).toString('utf8');
    check(`${name}: mantello-cli decode agrees with the browser's decoder`, decoded === written,
          firstDifference(decoded, written));
  } catch (e) {
    check(name, false, e.message);
  }
});

fs.rmSync(dir, { recursive: true, force: true });
console.log(`RESULT ${passed} ${failed}`);
