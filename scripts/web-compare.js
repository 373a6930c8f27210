// Compares two runs of the headless play-through: node web-compare.js NATIVE-DIR WEB-DIR
// Prints "same score (...) and N frames", or what differs. Frames are the PNG shots, compared by pixels.
// node web-compare.js --audio NATIVE.raw WEB.raw compares what the headless host heard (--audio): prints
// "alike: ..." with the figures when both have the same length, levels within 2 dB, and envelopes (levels
// of half-second blocks) that follow each other, or what differs.
// node web-compare.js --maths DIR compares the files of tests/web/maths.cpp made natively (DIR/native-own,
// DIR/native-library) and in WebAssembly (DIR/web-...): prints "identical: ..." with how often the C
// libraries differ from the platform's, or where the platform's differ.
"use strict";
const fs = require("fs");
const path = require("path");
const zlib = require("zlib");

function pixels(file) {
  const d = fs.readFileSync(file);
  let pos = 8, w = 0, h = 0;
  const idat = [];
  while (pos < d.length) {
    const n = d.readUInt32BE(pos), type = d.toString("latin1", pos + 4, pos + 8);
    if (type === "IHDR") (w = d.readUInt32BE(pos + 8)), (h = d.readUInt32BE(pos + 12));
    if (type === "IDAT") idat.push(d.subarray(pos + 8, pos + 8 + n));
    pos += 12 + n;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat)), stride = w * 3, out = Buffer.alloc(stride * h);
  for (let y = 0; y < h; ++y) {
    const f = raw[y * (stride + 1)], src = y * (stride + 1) + 1, row = y * stride;
    for (let i = 0; i < stride; ++i) {
      const a = i >= 3 ? out[row + i - 3] : 0, b = y ? out[row - stride + i] : 0;
      const c = i >= 3 && y ? out[row - stride + i - 3] : 0;
      let p = 0;
      if (f === 1) p = a;
      else if (f === 2) p = b;
      else if (f === 3) p = (a + b) >> 1;
      else if (f === 4) {
        const q = a + b - c, pa = Math.abs(q - a), pb = Math.abs(q - b), pc = Math.abs(q - c);
        p = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      out[row + i] = (raw[src + i] + p) & 255;
    }
  }
  return out;
}

// Root mean square levels of half-second blocks of 16-bit stereo at 44100 Hz.
function blockLevels(file) {
  const b = fs.readFileSync(file), s = new Int16Array(b.buffer, b.byteOffset, b.length >> 1), out = [];
  const size = 44100;
  for (let i = 0; i + size <= s.length; i += size) {
    let e = 0;
    for (let j = 0; j < size; j++) e += s[i + j] * s[i + j];
    out.push(Math.sqrt(e / size));
  }
  return out;
}

function compareAudio(nativeFile, webFile) {
  const a = blockLevels(nativeFile), b = blockLevels(webFile);
  const db = (v) => 20 * Math.log10(Math.max(v, 1) / 32768);
  const rms = (x) => Math.sqrt(x.reduce((sum, v) => sum + v * v, 0) / x.length);
  if (!a.length || a.length !== b.length) return `${a.length} half seconds natively, ${b.length} in WebAssembly`;
  const ma = a.reduce((x, y) => x + y) / a.length, mb = b.reduce((x, y) => x + y) / b.length;
  let ab = 0, aa = 0, bb = 0;
  for (let i = 0; i < a.length; i++) (ab += (a[i] - ma) * (b[i] - mb)), (aa += (a[i] - ma) ** 2), (bb += (b[i] - mb) ** 2);
  const correlation = ab / Math.sqrt(aa * bb), la = db(rms(a)), lb = db(rms(b));
  const silent = b.filter((v, i) => a[i] > 300 && v < 30).length;
  const figures = `${a.length / 2} s, ${la.toFixed(1)} dBFS natively and ${lb.toFixed(1)} in WebAssembly, ` +
    `envelopes correlated ${correlation.toFixed(3)}`;
  if (la < -50) return `no music natively (${figures})`;
  if (Math.abs(la - lb) > 2 || !(correlation > 0.8) || silent) return `not alike: ${figures}, ${silent} silent blocks`;
  return `alike: ${figures}`;
}

function compareMaths(dir) {
  const read = (name) => {
    const b = fs.readFileSync(path.join(dir, name));
    return new BigUint64Array(b.buffer, b.byteOffset, b.length >> 3);
  };
  const own = read("native-own"), ownWeb = read("web-own"), glibc = read("native-library"), musl = read("web-library");
  const differ = (a, b) => a.reduce((n, v, i) => n + (v !== b[i]), 0);
  if (own.length !== ownWeb.length || !own.length) return `${own.length} values natively, ${ownWeb.length} in WebAssembly`;
  const d = differ(own, ownWeb);
  if (d) return `the platform's maths differ between the roads in ${d} of ${own.length} values`;
  const share = (n) => `${n} (${((100 * n) / own.length).toFixed(2)} %)`;
  return `identical: ${own.length} values; the C libraries differ from them in ${share(differ(own, glibc))} ` +
    `natively and ${share(differ(own, musl))} in WebAssembly, from each other in ${share(differ(glibc, musl))}`;
}

if (process.argv[2] === "--maths") {
  console.log(compareMaths(process.argv[3]));
  process.exit(0);
}

if (process.argv[2] === "--audio") {
  console.log(compareAudio(process.argv[3], process.argv[4]));
  process.exit(0);
}

const [native, web] = process.argv.slice(2);
const read = (dir) => (fs.existsSync(path.join(dir, "zqt.sss")) ? fs.readFileSync(path.join(dir, "zqt.sss"), "latin1") : "(none)");
const bad = [];
if (read(native) !== read(web)) bad.push(`score ${read(native)} natively, ${read(web)} in WebAssembly`);
const frames = fs.readdirSync(native).filter((n) => n.endsWith(".png")).map((n) => parseInt(n)).sort((a, b) => a - b);
for (const f of frames) {
  const w = path.join(web, f + ".png");
  if (!fs.existsSync(w)) bad.push(`frame ${f} missing`);
  else {
    const a = pixels(path.join(native, f + ".png")), b = pixels(w);
    let differ = 0;
    for (let i = 0; i < a.length; i += 3) if (a[i] !== b[i] || a[i + 1] !== b[i + 1] || a[i + 2] !== b[i + 2]) ++differ;
    if (differ || a.length !== b.length) bad.push(`frame ${f}: ${differ} pixels differ`);
  }
}
console.log(bad.length ? bad.join("; ") : `same score (${read(native)}) and ${frames.length} frames`);
