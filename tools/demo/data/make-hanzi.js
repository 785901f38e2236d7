// Builds hanzi.tsv: every GB2312 character with its pinyin (first reading,
// lower case, no tone) and its stroke classes (1 横 2 竖 3 撇 4 点/捺 5 折).
const cnchar = require('cnchar'); const order = require('cnchar-order'); cnchar.use(order);
const dec = new TextDecoder('gbk');
function cls(name) {
  name = name.split('|')[0].replace(/[0-9]/g, '');
  if (name === '横' || name === '提') return '1';
  if (name === '竖') return '2';
  if (name === '撇') return '3';
  if (name === '点' || name === '捺') return '4';
  if (name === '竖钩') return '5';
  return '5';
}
const out = [];
let missing = 0;
for (let hi = 0xB0; hi <= 0xF7; hi++) for (let lo = 0xA1; lo <= 0xFE; lo++) {
  if (hi === 0xD7 && lo > 0xF9) continue;
  const ch = dec.decode(new Uint8Array([hi, lo]));
  if (ch.length !== 1 || ch === '\ufffd') continue;
  let py = cnchar.spell(ch, 'low');
  const names = cnchar.stroke(ch, 'order', 'name')[0];
  if (!names || !py || py === ch) { missing++; continue; }
  out.push(ch + '\t' + py + '\t' + names.map(cls).join(''));
}
process.stdout.write(out.join('\n') + '\n');
console.error('chars', out.length, 'missing', missing);
