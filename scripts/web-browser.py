#!/usr/bin/python3
# The browser part of scripts/web-check: serves the site on 127.0.0.1 and plays it in headless Chromium as a
# player would. The frames are read from the page's canvas by presentation number and compared with the
# native headless program's (pictures pixel for pixel, texts by strokes). Waits follow the program's
# presentations and states; the wall-clock limits only catch a page that hangs.
#   web-browser.py SITE REFERENCE-DIR SHOT-DIR NATIVE-PROGRAM
# REFERENCE-DIR holds the native frames title.png (presentation 120) and result.png; the title with the
# high-score file the browser's game wrote is made here, by NATIVE-PROGRAM.
import functools
import gzip
import http.server
import json
import os
import subprocess
import sys
import threading
import time
import urllib.parse

from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

SITE, REF, SHOTS, NATIVE = sys.argv[1:5]
TITLE_FRAME = 120
HANG = 300  # seconds: only a page that stopped altogether takes this long
PLACE = "/home/web_user/.local/share/radire"

failures = []
refused = set()  # paths the server answers with 404 (a file missing on the server)


def say(text):
    print("  " + text, flush=True)


def fail(text):
    print("FAIL " + text, flush=True)
    failures.append(text)


class Files(http.server.SimpleHTTPRequestHandler):
    def translate_path(self, path):
        path = urllib.parse.unquote(path.split("?")[0])
        if path.startswith("/reference/"):
            return os.path.join(REF, os.path.basename(path))
        return os.path.join(SITE, path.lstrip("/")) if path != "/" else os.path.join(SITE, "index.html")

    def do_GET(self):
        if urllib.parse.unquote(self.path.split("?")[0]).lstrip("/") in refused:
            self.send_error(404)
            return
        super().do_GET()

    def end_headers(self):
        self.send_header("Cache-Control", "no-store")
        super().end_headers()

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Files)
threading.Thread(target=server.serve_forever, daemon=True).start()
URL = "http://127.0.0.1:%d/" % server.server_address[1]
say("site served at " + URL)

# In the page: frames of the canvas, the reference frames, and their comparisons.
HELPERS = r"""
window.check = {
  grab() { return document.getElementById("canvas").getContext("2d").getImageData(0, 0, 640, 480).data; },
  async image(url) {
    const img = new Image();
    img.src = url;
    await img.decode();
    const c = document.createElement("canvas");
    c.width = img.naturalWidth; c.height = img.naturalHeight;
    const g = c.getContext("2d");
    g.drawImage(img, 0, 0);
    return { w: c.width, h: c.height, px: g.getImageData(0, 0, c.width, c.height).data };
  },
  key(px, i) { return ((px[i] >> 3) << 11) | ((px[i + 1] >> 2) << 5) | (px[i + 2] >> 3); },
  // Pixels of rows y0..y1 whose 16-bit colour differs.
  differ(a, b, y0, y1) {
    let n = 0;
    for (let i = y0 * 640 * 4; i < y1 * 640 * 4; i += 4) if (this.key(a, i) !== this.key(b, i)) n++;
    return n;
  },
  mask(px, x0, y0, x1, y1, colour) {
    const m = new Set();
    for (let y = y0; y < y1; y++)
      for (let x = x0; x < x1; x++) {
        const i = (y * 640 + x) * 4;
        let on = true;
        for (let c = 0; c < 3; c++) on = on && (colour[c] === "1" ? px[i + c] > 160 : px[i + c] < 110);
        if (on) m.add(x * 1000 + y);
      }
    return m;
  },
  near(a, b) {
    if (!a.size) return 0;
    let hit = 0;
    for (const p of a) {
      const x = Math.floor(p / 1000), y = p % 1000;
      let found = false;
      for (let dx = -2; dx <= 2 && !found; dx++) for (let dy = -2; dy <= 2 && !found; dy++) found = b.has((x + dx) * 1000 + y + dy);
      if (found) hit++;
    }
    return hit / a.size;
  },
  // How far the strokes of a text of one colour lie along the other's (1: all of them).
  strokes(a, b, x0, y0, x1, y1, colour) {
    const ma = this.mask(a, x0, y0, x1, y1, colour), mb = this.mask(b, x0, y0, x1, y1, colour);
    if (!ma.size || !mb.size) return 0;
    return Math.min(this.near(ma, mb), this.near(mb, ma));
  },
  // Colours of the ship's sprite that no other picture uses.
  async shipColours() {
    const colours = async (name) => {
      const p = (await this.image("data/" + name)).px, s = new Set();
      for (let i = 0; i < p.length; i += 4) s.add(this.key(p, i));
      return s;
    };
    const own = await colours("CHARA.BMP");
    for (const n of ["TEKI", "TAMA", "HAIKEI", "BOS", "BOST", "HIT", "END", "TITLE", "TITLEB", "STAF"])
      for (const c of await colours(n + ".BMP")) own.delete(c);
    own.delete(0);
    this.own = own;
    return own.size;
  },
  // The ship's horizontal centre on stage 1; -2 off the stage (no score line on navy), -1 not found.
  shipX(px) {
    let navy = 0;
    for (let y = 468; y < 480; y++)
      for (let x = 0; x < 130; x++) {
        const i = (y * 640 + x) * 4;
        if (px[i] < 40 && px[i + 1] < 40 && px[i + 2] > 100 && px[i + 2] < 160) navy++;
      }
    if (navy / (130 * 12) <= 0.3) return -2;
    let sum = 0, n = 0;
    for (let i = 0; i < 640 * 464 * 4; i += 4)
      if (this.own.has(this.key(px, i))) { sum += (i / 4) % 640; n++; }
    return n >= 20 ? sum / n : -1;
  },
  // A trace of the first presentations: when each came, a digest of its picture, and the frames asked for.
  trace(frames, keep) {
    const t = { frames: frames, times: {}, digests: {}, kept: {} };
    t.take = (f, canvas) => {
      const px = canvas.getContext("2d").getImageData(0, 16, 640, 280).data;
      let h = 0;
      for (let i = 0; i < px.length; i += 4) h = (h * 31 + ((px[i] << 16) | (px[i + 1] << 8) | px[i + 2])) | 0;
      t.times[f] = performance.now();
      t.digests[f] = h;
      if (keep.includes(f)) t.kept[f] = canvas.getContext("2d").getImageData(0, 0, 640, 480).data;
    };
    radire.trace = t;
  },
};
"""


# A pad as the Gamepad API shows it; the check presses its buttons through window.pad.
FAKE_PAD = """
window.pad = { id: "check pad", index: 0, connected: true, mapping: "standard", timestamp: 1,
  axes: [0, 0, 0, 0], buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 })) };
window.pad.press = (i, down) => {
  window.pad.buttons[i] = { pressed: down, touched: down, value: down ? 1 : 0 };
  window.pad.timestamp++;
};
Object.defineProperty(navigator, "getGamepads", { value: () => [window.pad, null, null, null] });
"""


def open_browser(block_storage=False, pad=False):
    o = webdriver.ChromeOptions()
    o.binary_location = "/usr/bin/chromium"
    for a in ["--headless=new", "--no-sandbox", "--window-size=800,700", "--disable-dev-shm-usage",
              "--autoplay-policy=user-gesture-required"]:
        o.add_argument(a)
    o.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    d = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=o)
    d.set_script_timeout(HANG)
    if pad:
        d.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": FAKE_PAD})
    if block_storage:
        # As a private window that refuses storage: the page finds no IndexedDB.
        d.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                          {"source": "Object.defineProperty(window, 'indexedDB', {get: () => undefined});"})
    return d


def wait(d, condition, what, limit=HANG):
    """Polls a JavaScript expression until it is true; the limit only catches a page that stopped."""
    end = time.time() + limit
    while time.time() < end:
        try:
            if d.execute_script("return !!(" + condition + ")"):
                return True
        except WebDriverException:
            pass
        time.sleep(0.05)
    raise RuntimeError("waited in vain for " + what + " (" + condition + "); page: " + state(d))


def state(d):
    try:
        return d.execute_script(
            "return JSON.stringify({state: radire.state, frames: radire.frames, notes: radire.notes,"
            " stderr: radire.stderr.slice(-3), storage: radire.storage})")
    except WebDriverException as e:
        return str(e)


def frames(d):
    return d.execute_script("return radire.frames")


def run_frames(d, n):
    """Lets the game present n more frames."""
    start = frames(d)
    wait(d, "radire.frames >= %d || radire.state !== 'running'" % (start + n), "%d frames" % n)


def load_page(d, page="index.html"):
    d.get(URL + page)
    d.execute_script(HELPERS)
    wait(d, "window.radire && radire.state === 'ready'", "the page to load")


def shot(d, name):
    d.save_screenshot(os.path.join(SHOTS, name))


def file_in_game(d, name):
    return d.execute_script(
        "const m = radire.module(); if (!m) return null;"
        "const p = m.FS.analyzePath(arguments[0]); return p.exists ? m.FS.readFile(arguments[0], {encoding: 'utf8'}) : null;",
        PLACE + "/" + name)


def compare_title(d, frame_js, reference, label):
    d.execute_script(HELPERS)
    r = d.execute_async_script(
        """const done = arguments[arguments.length - 1];
        (async () => {
          const a = %s, b = (await check.image(arguments[0])).px;
          done({ picture: check.differ(a, b, 16, 296),
                 enter: check.strokes(a, b, 0, 300, 640, 340, "110"),
                 select: check.strokes(a, b, 0, 395, 640, 475, "110") });
        })().catch((e) => done({ error: String(e) }));""" % frame_js, "reference/" + reference)
    if "error" in r:
        fail(label + ": " + r["error"])
        return
    if r["picture"] == 0:
        say(label + ": logo and background equal the native frame, pixel for pixel")
    else:
        fail(label + ": %d pixels of the logo and background differ from the native frame" % r["picture"])
    for key, text in (("enter", "PUSH ENTER ..."), ("select", "STAGE SELECT ...")):
        if r[key] >= 0.85:
            say(label + ": text %s: strokes agree with the native frame (%.3f)" % (text, r[key]))
        else:
            fail(label + ": text %s is not drawn as natively (strokes %.3f)" % (text, r[key]))


def native_title(high_score):
    """The native headless title with the given high-score file, as REFERENCE-DIR/title-kept.png."""
    work = os.path.join(REF, "kept")
    os.makedirs(work, exist_ok=True)
    for name in ("data.dat", "teki.dat", "teki2.dat"):
        with open(os.path.join(SITE, "data", name), "rb") as f, open(os.path.join(work, name), "wb") as g:
            g.write(f.read())
    with open(os.path.join(work, "zqt.sss"), "w") as f:
        f.write(high_score)
    subprocess.run([NATIVE, "--headless", "--frames", str(TITLE_FRAME + 10), "--shot",
                    "%d:%s" % (TITLE_FRAME, os.path.join(REF, "title-kept.png"))], cwd=work, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=HANG)


def replay_natively(d):
    """The game's record, made in the page, replayed by the native program."""
    record = d.execute_script(
        "const FS = radire.module().FS, dir = '%s/replays';"
        "const last = FS.readdir(dir).filter((n) => n.endsWith('.rec') && n !== 'best.rec').sort().pop();"
        "return FS.readFile(dir + '/' + last, {encoding: 'utf8'})" % PLACE)
    work = os.path.join(REF, "replay")
    os.makedirs(work, exist_ok=True)
    for name in os.listdir(os.path.join(SITE, "data")):
        with open(os.path.join(SITE, "data", name), "rb") as f, open(os.path.join(work, name), "wb") as g:
            g.write(f.read())
    with open(os.path.join(work, "browser.rec"), "w", encoding="utf-8") as f:
        f.write(record)
    run = subprocess.run([NATIVE, "--headless", "--replay", "browser.rec"], cwd=work, capture_output=True, text=True,
                         timeout=HANG)
    verdict = [l for l in (run.stdout + run.stderr).splitlines() if "replay" in l]
    if run.returncode == 0 and verdict and verdict[0].startswith("replay matched"):
        say("the page's record replayed natively: " + verdict[0])
    else:
        fail("the page's record did not replay natively (exit %d): %s" % (run.returncode, verdict or run.stderr))


def transfer_size(d):
    """The compressed size of every file the page fetched (gzip, as a server would send them)."""
    urls = d.execute_script(
        "return [location.href].concat(performance.getEntriesByType('resource').map((e) => e.name))")
    total, seen = 0, set()
    for u in urls:
        path = urllib.parse.unquote(urllib.parse.urlparse(u).path).lstrip("/") or "index.html"
        file = os.path.join(SITE, path)
        if path in seen or not os.path.isfile(file):
            continue
        seen.add(path)
        with open(file, "rb") as f:
            total += len(gzip.compress(f.read(), 6))
    return total, sorted(seen)


def console_errors(d):
    return [e["message"] for e in d.get_log("browser") if e["level"] == "SEVERE"]


def main_session():
    d = open_browser()
    try:
        load_page(d)
        # ---- the click, the title ----
        d.execute_script("check.trace(%d, [%d])" % (TITLE_FRAME, TITLE_FRAME))
        d.find_element(By.ID, "cover").click()
        wait(d, "radire.trace.kept[%d]" % TITLE_FRAME, "the title (presentation %d)" % TITLE_FRAME)
        shot(d, "title.png")
        t = d.execute_script(
            "const t = radire.trace, last = t.digests[%d];"
            "for (let f = 1; f <= %d; f++) if (t.digests[f] === last) return [f, t.times[f] - radire.startedAt];"
            % (TITLE_FRAME, TITLE_FRAME))
        say("the title showed at presentation %d, %.2f s after the click" % (t[0], t[1] / 1000))
        title_seconds = t[1] / 1000
        if title_seconds > 3:
            say("the title took %.2f s after the click: above the goal of 3 s (a loaded machine?)" % title_seconds)
        compare_title(d, "radire.trace.kept[%d]" % TITLE_FRAME, "title.png", "title")
        d.execute_script("radire.trace = null")
        # after the title: everything the page fetched to show it, and what the game asked for since
        size, fetched = transfer_size(d)
        say("compressed transfer: %.2f MB (%s)" % (size / 1e6, ", ".join(fetched)))
        if size > 16e6:
            fail("the page transfers %.2f MB compressed (at most 16 MB)" % (size / 1e6))

        # ---- the music, once the build has it ----
        music = d.execute_script("return radire.music")
        if music == "ready":
            peak = d.execute_async_script(
                """const done = arguments[arguments.length - 1];
                const sdl = radire.module().SDL2, ctx = sdl.audioContext, node = sdl.audio.scriptProcessorNode;
                const an = ctx.createAnalyser(), buf = new Float32Array(an.fftSize);
                node.connect(an);
                let peak = 0, until = radire.frames + 120;
                const look = () => {
                  an.getFloatTimeDomainData(buf);
                  for (const v of buf) peak = Math.max(peak, Math.abs(v));
                  if (radire.frames >= until) { node.disconnect(an); done(peak); } else requestAnimationFrame(look);
                };
                look();""")
            if peak > 0.001:
                say("music: the audio output's peak over 120 frames is %.3f" % peak)
            else:
                fail("the music is silent (peak %.5f over 120 frames)" % peak)
        elif os.path.isdir(os.path.join(SITE, "music")):
            fail("the site has its music, but the page did not start it: " + d.execute_script(
                "return (radire.notes.find((n) => n.kind === 'music') || {}).text || radire.music"))
        else:
            say("music: not in this build (" + d.execute_script(
                "return (radire.notes.find((n) => n.kind === 'music') || {}).text || radire.music") + ")")

        # ---- Enter, stage 1, the ship ----
        d.execute_script(HELPERS)
        d.execute_async_script("const done = arguments[arguments.length - 1]; check.shipColours().then(done)")
        start_x = -2
        for attempt in range(3):
            ActionChains(d).key_down(Keys.ENTER).perform()
            end = frames(d) + 600
            while frames(d) < end:
                start_x = d.execute_script("return check.shipX(check.grab())")
                if start_x >= 0:
                    break
                run_frames(d, 2)
            ActionChains(d).key_up(Keys.ENTER).perform()
            if start_x >= 0:
                break
        if start_x < 0:
            raise RuntimeError("Enter did not start stage 1: " + state(d))
        say("Enter started stage 1; the ship is at x %.1f" % start_x)
        stage_frames = frames(d)
        stage_clock = d.execute_script("return performance.now()")
        moved = False
        for attempt in range(20):
            ActionChains(d).key_down(Keys.ARROW_RIGHT).perform()
            run_frames(d, 6)
            ActionChains(d).key_up(Keys.ARROW_RIGHT).perform()
            x = d.execute_script("return check.shipX(check.grab())")
            if x == -2:
                break
            if x >= start_x + 40:
                moved = True
                shot(d, "stage.png")
                say("the ship moved right, to x %.1f" % x)
                break
        if not moved:
            fail("the ship was not seen moving right of x %.1f" % start_x)

        # ---- a death, the result, the high score kept; shooting all the while, so that the game scores ----
        ActionChains(d).key_down(Keys.SPACE).perform()
        wait(d, "radire.module() && radire.module().FS.analyzePath('%s/zqt.sss').exists" % PLACE,
             "the result screen (zqt.sss)")
        synced = d.execute_script("return radire.synced")
        ActionChains(d).key_up(Keys.SPACE).perform()
        fps_frames = frames(d) - stage_frames
        fps_ms = d.execute_script("return performance.now()") - stage_clock
        fps = fps_frames * 1000 / fps_ms
        run_frames(d, 30)
        shot(d, "result.png")
        kept = file_in_game(d, "zqt.sss")
        r = d.execute_async_script(
            """const done = arguments[arguments.length - 1];
            check.image("reference/result.png").then((b) => done(check.strokes(check.grab(), b.px, 190, 340, 450, 370, "111")))""")
        if r >= 0.85:
            say("the ship was lost; the result's score line agrees with the native frame (%.3f); zqt.sss \"%s\"" % (r, kept))
        else:
            fail("the result screen's score line is not drawn as natively (strokes %.3f)" % r)
        say("frames a second on stage 1: %.1f (%d frames in %.1f s)" % (fps, fps_frames, fps_ms / 1000))
        if fps < 50:
            fail("the game ran at %.1f frames a second on stage 1 (the display's 60)" % fps)
        wait(d, "radire.synced > %d" % synced, "the high-score file to be stored")

        # ---- a hidden page stops the game, as a lost focus does; shown again, it goes on ----
        d.execute_script("""
            Object.defineProperty(document, "hidden", { configurable: true, get: () => true });
            Object.defineProperty(document, "visibilityState", { configurable: true, get: () => "hidden" });
            document.dispatchEvent(new Event("visibilitychange"));""")
        # stopped: no frame presented in a whole second (a game that runs on presents some 60)
        d.execute_async_script("""const done = arguments[arguments.length - 1];
            let last = -1;
            const look = () => { if (radire.frames === last) done(); else { last = radire.frames; setTimeout(look, 1000); } };
            look();""")
        hidden_at = frames(d)
        d.execute_script("""
            delete document.hidden; delete document.visibilityState;
            document.dispatchEvent(new Event("visibilitychange"));""")
        wait(d, "radire.frames > %d + 30" % hidden_at, "the game to go on after the page is shown")
        say("hidden, the page stopped the game at presentation %d; shown again, it went on" % hidden_at)

        # ---- Escape ends the game; the page offers another, and the replays the game kept ----
        ActionChains(d).key_down(Keys.ESCAPE).perform()
        wait(d, "radire.state === 'ended'", "the end after Escape")
        ActionChains(d).key_up(Keys.ESCAPE).perform()
        shot(d, "ended.png")
        say("Escape ended the game (exit code %s); the page says: \"%s\"" % (
            d.execute_script("return radire.exitCode"), d.find_element(By.ID, "cover-text").text))
        events = d.execute_script(
            "const FS = radire.module().FS, dir = '%s/replays';"
            "const last = FS.readdir(dir).filter((n) => n.endsWith('.rec') && n !== 'best.rec').sort().pop();"
            "return FS.readFile(dir + '/' + last, {encoding: 'utf8'}).split('\\n')"
            ".filter((l) => l.includes('activate')).map((l) => l.split(' ').slice(-2).join(' '))" % PLACE)
        replay_natively(d)
        if "activate 0" in events and "activate 1" in events[events.index("activate 0"):]:
            say("the game's record shows the focus lost and regained: " + ", ".join(events))
        else:
            fail("the game's record shows no focus lost and regained while hidden: %s" % events)
        # A best game is kept when it raised the high score above nothing.
        scored = bool(kept) and int(kept.split()[0]) > 0
        wait(d, "document.querySelectorAll('#replays a').length >= %d && !radire.unsaved()" % (2 if scored else 1),
             "the replays offered and stored")

        # ---- a reload: the high score and the replays are still there, the title shows as natively ----
        load_page(d)
        d.execute_script("check.trace(%d, [%d])" % (TITLE_FRAME, TITLE_FRAME))
        d.find_element(By.ID, "cover").click()
        wait(d, "radire.trace.kept[%d]" % TITLE_FRAME, "the title after the reload")
        again = file_in_game(d, "zqt.sss")
        if again == kept:
            say("after a reload zqt.sss still holds \"%s\"" % again)
        else:
            fail("after a reload zqt.sss holds %r, not %r" % (again, kept))
        if kept:
            native_title(kept)
            compare_title(d, "radire.trace.kept[%d]" % TITLE_FRAME, "title-kept.png", "title after the reload")
        links = d.execute_script("return [...document.querySelectorAll('#replays a')].map((a) => a.dataset.file)")
        if any(l != "best.rec" for l in links) and ("best.rec" in links) == scored:
            say("after a reload the page offers the replays kept: " + ", ".join(links))
        else:
            fail("after a reload the page offers the replays %s (zqt.sss %r)" % (links, kept))

        # ---- full screen: the button; the picture scaled by a whole factor, centred on black ----
        d.find_element(By.ID, "fullscreen").click()
        wait(d, "document.fullscreenElement", "full screen")
        run_frames(d, 10)
        shot(d, "fullscreen.png")
        box = d.execute_script(
            "const r = document.getElementById('canvas').getBoundingClientRect();"
            "return [r.left, r.top, r.width, r.height, innerWidth, innerHeight]")
        whole = box[2] % 640 == 0 and box[3] == box[2] * 3 / 4
        centred = abs(box[0] * 2 + box[2] - box[4]) <= 1 and abs(box[1] * 2 + box[3] - box[5]) <= 1
        if whole and centred:
            say("full screen: the picture is %dx%d, centred in %dx%d" % (box[2], box[3], box[4], box[5]))
        else:
            fail("full screen: the picture is %s" % box)
        d.execute_script("document.exitFullscreen()")
        wait(d, "!document.fullscreenElement", "the end of full screen")
        # the game's own keys: F11, then Alt+Enter back
        ActionChains(d).send_keys(Keys.F11).perform()
        wait(d, "document.fullscreenElement", "full screen by F11")
        ActionChains(d).key_down(Keys.ALT).send_keys(Keys.ENTER).key_up(Keys.ALT).perform()
        wait(d, "!document.fullscreenElement", "the end of full screen by Alt+Enter")
        say("F11 took the screen and Alt+Enter gave it back")

        # ---- bad input: a dropped file that is no record; a record of another build ----
        drop = """const dt = new DataTransfer();
            dt.items.add(new File([arguments[0]], arguments[1]));
            window.dispatchEvent(new DragEvent("drop", { dataTransfer: dt, bubbles: true, cancelable: true }));"""
        d.execute_script(drop, "just a picture", "holiday.png")
        wait(d, "radire.notes.some((n) => n.kind === 'drop')", "a line about the dropped file")
        running = d.execute_script("return radire.state")
        say("a dropped file that is no record: \"%s\"; the game is still %s" % (
            d.execute_script("return radire.notes.find((n) => n.kind === 'drop').text"), running))
        if running != "running":
            fail("a dropped file that is no record stopped the game")
        d.execute_script(drop, "radire-record 1\nversion 0.9.0\nseed 1\n", "old.rec")
        wait(d, "radire.state === 'ended' && radire.exitCode === 2", "the refusal of a record of another build")
        line = d.execute_script("return (radire.notes.find((n) => n.kind === 'program') || {}).text")
        if line and "cannot replay" in line:
            say("a record of another build: \"%s\"" % line)
        else:
            fail("a record of another build gave no clear line (%r)" % line)

        # ---- the page offers another game after the refusal ----
        ActionChains(d).send_keys(Keys.SPACE).perform()
        wait(d, "radire.state === 'running' && radire.frames > 30", "a game played again")
        say("a key played again after the refusal")

        errors = console_errors(d)
        if errors:
            fail("the console shows errors: " + " | ".join(errors))
        else:
            say("the console shows no error")
        return title_seconds, fps, size
    finally:
        d.quit()


def troubled_session():
    """Storage refused (as a private window might) and a face missing on the server."""
    refused.add("fonts/ipag.ttf")
    d = open_browser(block_storage=True)
    try:
        load_page(d)
        d.find_element(By.ID, "cover").click()
        wait(d, "radire.frames > 120", "the game without storage and without its face")
        notes = d.execute_script("return radire.notes.map((n) => n.text)")
        storage = [n for n in notes if "keeps no files" in n]
        face = [n for n in notes if "font is missing" in n and "ipag.ttf" in n]
        if storage and face and d.execute_script("return radire.state") == "running":
            say("storage refused and a font missing: the game plays on; the page says \"%s\" and \"%s\"" % (
                storage[0], face[0]))
        else:
            fail("storage refused and a font missing: the page says %s (state %s)" % (
                notes, d.execute_script("return radire.state")))
        shot(d, "troubled.png")
    finally:
        refused.clear()
        d.quit()


def pad_session():
    """A pad through the Gamepad API: its first button starts the game, as Enter does."""
    d = open_browser(pad=True)
    try:
        load_page(d)
        d.find_element(By.ID, "cover").click()
        wait(d, "radire.frames > %d" % TITLE_FRAME, "the title")
        d.execute_async_script("const done = arguments[arguments.length - 1]; check.shipColours().then(done)")
        d.execute_script("window.pad.press(0, true)")
        end = frames(d) + 600
        x = -2
        while frames(d) < end and x < 0:
            run_frames(d, 2)
            x = d.execute_script("return check.shipX(check.grab())")
        d.execute_script("window.pad.press(0, false)")
        if x >= 0:
            say("the pad's first button (Gamepad API, joystick 0) started stage 1")
        else:
            fail("the pad's first button did not start stage 1: " + state(d))
    finally:
        d.quit()


def demo_session():
    d = open_browser()
    try:
        load_page(d, "demo.html")
        d.find_element(By.ID, "cover").click()
        wait(d, "radire.frames > 120", "the demo")
        shot(d, "demo.png")
        say("the demo page runs (%d frames)" % frames(d))
    finally:
        d.quit()


try:
    title_seconds, fps, size = main_session()
    troubled_session()
    pad_session()
    demo_session()
    print("figures: title %.2f s after the click; %.1f frames a second; %.2f MB compressed transfer" % (
        title_seconds, fps, size / 1e6), flush=True)
except RuntimeError as e:
    fail(str(e))
server.shutdown()
sys.exit(1 if failures else 0)
