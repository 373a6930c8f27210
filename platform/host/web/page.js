// The page around the program (index.html for the game, demo.html for the demo): it fetches the program's
// files, starts it on the first click or key (so that the browser lets it sound), keeps the player's files
// in the browser's storage, scales the canvas sharply, offers the kept replays and plays a dropped record.
// What goes wrong is said in one line on the page; the game plays on where it can.
"use strict";
(function () {
  const program = document.body.dataset.program;
  const canvas = document.getElementById("canvas");
  const stage = document.getElementById("stage");
  const cover = document.getElementById("cover");
  const coverText = document.getElementById("cover-text");
  const notes = document.getElementById("notes");
  const replays = document.getElementById("replays");
  // The keys told on the cover are the game's.
  if (program !== "radire") for (const help of document.querySelectorAll(".help")) help.hidden = true;

  // As natively: the player's files under the home directory (kept in IndexedDB), the game in the data
  // directory, where its data files lie beside its high-score file.
  const HOME = "/home/web_user";
  const PLACE = HOME + "/.local/share/radire";
  const REPLAYS = PLACE + "/replays";
  const DROPPED = "/tmp/dropped.rec";

  // What the check and the player can see of the program's progress.
  const page = {
    state: "loading", // loading, ready, running, ended
    frames: 0, // animation frames the program waited for, in this run
    runs: 0,
    exitCode: null,
    storage: "unknown", // ok, refused
    synced: 0, // successful writes to the browser's storage
    music: "none", // none, loading, ready, missing
    startedAt: 0,
    // Set by a test: take(frame, canvas) is called after each of the first `frames` presentations.
    trace: null,
    notes: [],
    stdout: [],
    stderr: [],
  };
  window.radire = page;
  // The program running, or else the one that ran last (its files are still there to read).
  page.module = () => current || previous;

  // One line per kind of trouble; a newer line of the same kind takes the older's place.
  function note(kind, text) {
    let li = notes.querySelector('[data-kind="' + kind + '"]');
    if (!text) {
      if (li) li.remove();
      page.notes = page.notes.filter((n) => n.kind !== kind);
      return;
    }
    if (!li) {
      li = document.createElement("li");
      li.dataset.kind = kind;
      notes.appendChild(li);
    }
    li.textContent = text;
    page.notes = page.notes.filter((n) => n.kind !== kind).concat([{ kind: kind, text: text }]);
  }

  async function fetchBytes(url) {
    const response = await fetch(url);
    if (!response.ok) throw new Error(url + ": " + response.status + " " + response.statusText);
    return new Uint8Array(await response.arrayBuffer());
  }

  function loadScript(url) {
    return new Promise((resolve, reject) => {
      const s = document.createElement("script");
      s.src = url;
      s.onload = resolve;
      s.onerror = () => reject(new Error(url + " could not be loaded"));
      document.head.appendChild(s);
    });
  }

  // Everything the program needs before it starts, fetched while the page waits for the player.
  const files = { data: {}, faces: {}, soundfont: null, dropped: null };
  const failedFaces = {};
  let compiled = null;
  let site = null;

  async function loadMusic() {
    if (!site.fluidsynth || !site.soundfont) {
      page.music = "missing";
      note("music", "No music: the synthesizer or the soundfont is not on the server; the game plays silently.");
      return;
    }
    page.music = "loading";
    try {
      const [bytes] = await Promise.all([fetchBytes(site.soundfont), loadScript(site.fluidsynth)]);
      // The synthesizer's build is a module of its own, set up under the global name "Module".
      const fluid = globalThis.Module;
      if (!fluid) throw new Error(site.fluidsynth + " set up no module");
      if (!fluid.calledRun) await new Promise((resolve) => fluid.addOnPostRun(resolve));
      files.soundfont = bytes;
      globalThis.radireFluidSynth = fluid;
      page.music = "ready";
    } catch (e) {
      page.music = "missing";
      note("music", "No music (" + e.message + "); the game plays silently.");
    }
  }

  async function load() {
    try {
      site = await (await fetch(program + ".json")).json();
    } catch (e) {
      note("site", "The site's list of files could not be read (" + e.message + ").");
      site = { data: [], faces: [], prefetch: [] };
    }
    const wanted = [];
    for (const name of site.data)
      wanted.push(
        fetchBytes("data/" + name).then(
          (bytes) => (files.data[name] = bytes),
          (e) => note("data-" + name, "A file of the game is missing on the server: " + e.message + ".")
        )
      );
    for (const face of site.prefetch) wanted.push(fetchFace(null, "/fonts/" + face));
    wanted.push(loadMusic());
    wanted.push(loadScript(program + ".js"));
    // Compiled while the page waits for the player, so that the start takes only the instantiation.
    wanted.push(
      (async () => {
        const response = await fetch(program + ".wasm");
        if (!response.ok) throw new Error(program + ".wasm: " + response.status + " " + response.statusText);
        // Compiled as it comes, unless the server does not call it application/wasm.
        if ((response.headers.get("Content-Type") || "").startsWith("application/wasm"))
          compiled = await WebAssembly.compileStreaming(response);
        else compiled = await WebAssembly.compile(await response.arrayBuffer());
      })()
    );
    await Promise.all(wanted);
    if (typeof Radire !== "function") throw new Error("the program " + program + ".js could not be loaded");
  }

  // A face the program asks for; kept for the next run, fetched once.
  async function fetchFace(module, path) {
    const name = path.replace(/^\/fonts\//, "");
    if (failedFaces[name]) return 0;
    if (!files.faces[name]) {
      if (!site.faces.includes(name)) return 0;
      try {
        files.faces[name] = fetchBytes("fonts/" + name);
        files.faces[name] = await files.faces[name];
      } catch (e) {
        delete files.faces[name];
        failedFaces[name] = true;
        note("face-" + name, "A font is missing on the server (" + e.message + "): texts in it are not drawn as letters.");
        return 0;
      }
    }
    const bytes = await files.faces[name];
    if (module) {
      module.FS.mkdirTree("/fonts");
      module.FS.writeFile(path, bytes);
    }
    return 1;
  }

  // The browser's storage: filled from IndexedDB before the program starts, written back after the
  // program changed something there. If it could not be read, it is never written, so nothing kept
  // there is lost.
  let dirty = false;
  let syncing = false;
  let retryAt = 0;

  function watchWrites(FS) {
    const mine = (path) => typeof path === "string" && path.startsWith(HOME);
    for (const name of ["write", "rename", "unlink", "rmdir", "mkdir", "truncate", "symlink"]) {
      const original = FS[name];
      FS[name] = function () {
        const first = arguments[0];
        const path = first && typeof first === "object" ? first.path : first;
        if (mine(path) || mine(arguments[1])) dirty = true;
        return original.apply(this, arguments);
      };
    }
  }

  function storageRefused(why) {
    page.storage = "refused";
    note(
      "storage",
      "This browser keeps no files for this page (" + why + "): scores and replays last until the page closes."
    );
  }

  // Writes what changed to IndexedDB; `then` runs once everything changed so far is written (or refused).
  let waiting = [];
  function sync(module, then) {
    if (then) waiting.push(then);
    if (page.storage !== "ok") {
      for (const f of waiting.splice(0)) f();
      return;
    }
    if (syncing) {
      if (then) dirty = true; // written again after the write under way
      return;
    }
    if (!dirty) {
      for (const f of waiting.splice(0)) f();
      return;
    }
    dirty = false;
    syncing = true;
    const after = waiting.splice(0);
    module.FS.syncfs(false, (err) => {
      syncing = false;
      if (err) {
        dirty = true;
        retryAt = page.frames + 300;
        const why = err.name || err.message || String(err);
        note("storage", "The browser's storage refused the newest files (" + why + "): they last until the page closes.");
      } else {
        page.synced++;
        note("storage", null);
        listReplays(module);
      }
      for (const f of after) f();
      if (waiting.length) sync(module);
    });
  }
  // Whether something the program wrote is not in the browser's storage yet.
  page.unsaved = () => dirty || syncing;

  function prepare(module) {
    const FS = module.FS;
    module.addRunDependency("storage");
    const ready = () => {
      FS.mkdirTree(REPLAYS);
      for (const name in files.data) FS.writeFile(PLACE + "/" + name, files.data[name]);
      FS.chdir(PLACE);
      for (const name in files.faces)
        if (!(files.faces[name] instanceof Promise)) {
          FS.mkdirTree("/fonts");
          FS.writeFile("/fonts/" + name, files.faces[name]);
        }
      if (files.soundfont) {
        FS.mkdirTree("/usr/share/sounds/sf2");
        FS.writeFile("/usr/share/sounds/sf2/" + site.soundfont.replace(/^.*\//, ""), files.soundfont);
      }
      if (files.dropped) FS.writeFile(DROPPED, files.dropped);
      try {
        recordsBefore = FS.readdir(REPLAYS);
      } catch (e) {
        recordsBefore = [];
      }
      watchWrites(FS);
      dirty = true;
      listReplays(module);
      module.removeRunDependency("storage");
    };
    try {
      if (typeof indexedDB === "undefined" || !indexedDB) throw new Error("it offers no IndexedDB");
      FS.mount(FS.filesystems.IDBFS, {}, HOME);
    } catch (e) {
      storageRefused(e.message || String(e));
      ready();
      return;
    }
    FS.syncfs(true, (err) => {
      if (err) storageRefused(err.name || err.message || String(err));
      else page.storage = "ok";
      ready();
    });
  }

  // The last and the best game, offered for download.
  let recordsBefore = [];
  function listReplays(module) {
    let names = [];
    try {
      names = module.FS.readdir(REPLAYS).filter((n) => n.endsWith(".rec"));
    } catch (e) {
      return;
    }
    // While a game runs, its own record is still being written: the last game is the one before.
    if (page.state === "running") names = names.filter((n) => n === "best.rec" || recordsBefore.includes(n));
    const games = names.filter((n) => n !== "best.rec").sort();
    const offer = [];
    if (games.length) offer.push(["last game", games[games.length - 1], "radire-last.rec"]);
    if (names.includes("best.rec")) offer.push(["best game", "best.rec", "radire-best.rec"]);
    replays.textContent = "";
    for (const [label, file, download] of offer) {
      let bytes;
      try {
        bytes = module.FS.readFile(REPLAYS + "/" + file);
      } catch (e) {
        continue;
      }
      const a = document.createElement("a");
      a.href = URL.createObjectURL(new Blob([bytes], { type: "application/octet-stream" }));
      a.download = download;
      a.textContent = "Download the " + label + "'s replay";
      a.dataset.file = file;
      replays.appendChild(a);
    }
  }

  // The picture keeps its 4:3 and its sharpness: the largest whole factor that fits, centred on black.
  let lastLayout = "";
  function layout() {
    const w = stage.clientWidth,
      h = stage.clientHeight;
    const key = w + "x" + h;
    if (key === lastLayout) return;
    lastLayout = key;
    const factor = Math.max(1, Math.floor(Math.min(w / 640, h / 480)));
    canvas.style.width = 640 * factor + "px";
    canvas.style.height = 480 * factor + "px";
  }
  window.addEventListener("resize", layout);
  document.addEventListener("fullscreenchange", () => {
    lastLayout = "";
    layout();
  });

  function switchFullScreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
      return;
    }
    stage.requestFullscreen().catch((e) => note("fullscreen", "Full screen was refused (" + e.message + ")."));
  }
  document.getElementById("fullscreen").addEventListener("click", () => {
    switchFullScreen();
    canvas.focus();
  });

  let current = null;
  let previous = null;
  let lastStartSecond = 0;

  // What the program calls: once per presentation, and when it asks for a face.
  const hooks = {
    frame(module) {
      page.frames++;
      if (page.trace && page.frames <= page.trace.frames) page.trace.take(page.frames, canvas);
      layout();
      if (dirty && page.frames >= retryAt) sync(module);
    },
    switchFullScreen: switchFullScreen,
    fetchFace: fetchFace,
  };

  function ended(module, code) {
    page.state = "ended";
    page.exitCode = code;
    current = null;
    previous = module;
    // A browser allows a page only a few audio outputs: the next run opens its own.
    try {
      if (module.SDL2 && module.SDL2.audioContext) module.SDL2.audioContext.close();
    } catch (e) {}
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    const last = page.stderr.length ? page.stderr[page.stderr.length - 1] : "";
    if (code !== 0 && last) note("program", last.replace(/^radire: /, ""));
    const matched = page.stdout.filter((l) => l.startsWith("replay matched"));
    coverText.textContent =
      (matched.length ? matched[matched.length - 1] + ". " : "") + "The game has ended. Click or press a key to play again.";
    cover.hidden = false;
    sync(module, () => listReplays(module));
  }

  async function start(args) {
    if (page.state === "running" || page.state === "starting") return;
    page.state = "starting";
    cover.hidden = true;
    page.startedAt = performance.now();
    try {
      await loading;
    } catch (e) {
      note("program", "The game could not be loaded: " + e.message);
      page.state = "ended";
      return;
    }
    // A kept game's record is named by the second it began (and the process, which is always the same here):
    // a game begun in the same second as the one before would write over that one's record.
    if (Math.floor(Date.now() / 1000) === lastStartSecond)
      await new Promise((resolve) => setTimeout(resolve, 1005 - (Date.now() % 1000)));
    lastStartSecond = Math.floor(Date.now() / 1000);
    page.frames = 0;
    page.runs++;
    page.exitCode = null;
    note("program", null);
    page.state = "running";
    const module = {
      canvas: canvas,
      arguments: args,
      radirePage: hooks,
      preRun: [prepare],
      instantiateWasm: (imports, receive) => {
        WebAssembly.instantiate(compiled, imports).then((instance) => receive(instance, compiled));
        return {};
      },
      print: (text) => {
        page.stdout.push(text);
        console.log(text);
      },
      printErr: (text) => {
        page.stderr.push(text);
        console.log(text);
      },
      onExit: (code) => ended(current || module, code),
    };
    try {
      const running = await Radire(module);
      if (page.state === "running") current = running;
    } catch (e) {
      note("program", "The game stopped: " + (e.message || e));
      page.state = "ended";
    }
  }

  // The first click or key starts the game: the browser lets the page sound only after one.
  function begin(event) {
    if (page.state !== "ready" && page.state !== "ended" && page.state !== "loading") return;
    if (event.type === "keydown" && (event.key === "F11" || event.altKey || event.ctrlKey || event.metaKey)) return;
    event.preventDefault();
    files.dropped = null;
    start([]);
  }
  cover.addEventListener("click", begin);
  window.addEventListener("keydown", begin);
  window.addEventListener(
    "keydown",
    (event) => {
      // F11 is the game's own key for full screen; the browser's would fight it.
      if (page.state === "running" && event.key === "F11") event.preventDefault();
    },
    true
  );

  // A record dropped on the page is played, once the game in progress has ended.
  window.addEventListener("dragover", (event) => event.preventDefault());
  window.addEventListener("drop", async (event) => {
    event.preventDefault();
    const file = event.dataTransfer && event.dataTransfer.files[0];
    if (!file) return;
    const bytes = new Uint8Array(await file.arrayBuffer());
    const head = new TextDecoder("latin1").decode(bytes.subarray(0, 14));
    if (head !== "radire-record ") {
      note("drop", '"' + file.name + '" is not a record of this game; nothing was played.');
      return;
    }
    note("drop", null);
    files.dropped = bytes;
    const play = () => start(["--replay", DROPPED]);
    if (current && page.state === "running") {
      const was = current;
      const wait = setInterval(() => {
        if (page.state !== "running" || current !== was) {
          clearInterval(wait);
          play();
        }
      }, 50);
      was.radireCloseAsked = true;
    } else {
      play();
    }
  });

  // The program's end comes as an exception that unwinds it; once it reached onExit it is no error.
  window.addEventListener("unhandledrejection", (event) => {
    if (event.reason && event.reason.name === "ExitStatus") event.preventDefault();
  });

  layout();
  const loading = load();
  loading.then(
    () => {
      if (page.state === "loading") page.state = "ready";
      coverText.textContent = "Click or press a key to start.";
    },
    (e) => {
      page.state = "ended";
      note("program", "The game could not be loaded: " + e.message);
    }
  );
})();
