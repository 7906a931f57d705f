// Texts for the round trips: markup, script ends, quotes, backslashes, umlauts, euro, emoji.
'use strict';

// Every character U+0001..U+00FF, the C1 controls among them.
function latin1() {
  let s = '';
  for (let c = 1; c <= 0xff; c++) s += String.fromCharCode(c);
  return s;
}

// About one megabyte of mixed German HTML; deterministic so a failure can be repeated.
function megabyte() {
  const parts = [
    '<p class="x">Gr\u00fc\u00dfe aus K\u00f6ln</p>\r\n', 'Preis: 9,50 \u20ac; ',
    '\u201eZitat\u201c ', '\u{1F600}', 'C:\\Pfad\\', '"@"', '</script>', '\t\u00ff\u0100 ',
  ];
  let s = '';
  let seed = 7;
  while (s.length < 1 << 20) {
    seed = (seed * 1103515245 + 12345) >>> 0;
    s += parts[seed % parts.length];
  }
  return s;
}

// [name, text]; none holds a literal "&#N;", so that decoding the references is unambiguous.
const nodeCorpus = [
  ['markup', '<div id="a"><p class=\'b\'>Hallo <b>Welt</b></p><br/></div>'],
  ['script end', 'vorher</script><script>alert("x")</script>nachher'],
  ['quotes', '"gerade" \'einfach\' \u201edeutsch\u201c \u00bbGuillemets\u00ab'],
  ['backslashes', 'C:\\Pfad\\datei.txt \\n \\" \\\\'],
  ['umlauts', 'Gr\u00fc\u00dfe aus K\u00f6ln: \u00c4\u00d6\u00dc\u00e4\u00f6\u00fc\u00df'],
  ['euro', '5 \u20ac und 10\u20ac'],
  ['emoji', '\u{1F600} \u{1F44D}\u{1F3FD} \u{1F468}\u200d\u{1F469}\u200d\u{1F467} \u{1D11E}'],
  ['at signs', '@ @@ info@example.org'],
  ['line ends', 'Zeile 1\r\nZeile 2\nZeile 3\r\tTab'],
  ['latin1', latin1()],
  ['empty', ''],
  ['one megabyte', megabyte()],
];

// [name, text, compare]: plain texts compare textContent, markup compares innerHTML. No CR,
// which the HTML parser turns into LF.
const browserCorpus = [
  ['umlauts', 'Gr\u00fc\u00dfe aus K\u00f6ln \u2013 \u00c4\u00d6\u00dc \u00e4\u00f6\u00fc \u00df', 'text'],
  ['quotes and euro', '5 \u20ac \u201eZitat\u201c "gerade" \'einfach\' \\ Backslash @', 'text'],
  ['emoji', 'Emoji \u{1F600} \u{1F44D}\u{1F3FD} und \u{1D11E}', 'text'],
  ['markup', '<p class="x">Gr\u00fc\u00dfe <b>fett</b> &amp; 5 \u20ac \u{1F600}</p>', 'html'],
  ['list', '<ul><li>eins</li><li>zwei \u201edrei\u201c</li></ul>', 'html'],
];

// What document.write receives: every character above U+00FF as a decimal reference.
function withReferences(text) {
  let out = '';
  for (const ch of text) {
    const cp = ch.codePointAt(0);
    out += cp > 0xff ? `&#${cp};` : ch;
  }
  return out;
}

function resolveReferences(text) {
  return text.replace(/&#(\d+);/g, (_, n) => String.fromCodePoint(Number(n)));
}

module.exports = { nodeCorpus, browserCorpus, withReferences, resolveReferences };
