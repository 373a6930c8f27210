// Runs the browser build under node, as the headless play-through does natively:
//   node radire-node.js --headless --input SCRIPT --frames N ...   (in the directory of the data files)
// The program sees the working directory, the machine's IPA faces under /fonts, and FluidSynth's module where
// RADIRE_FLUIDSYNTH_JS names it (libfluidsynth-*.js), with the soundfont beside this file, as the page gives
// them the site's.
"use strict";
const fs = require("fs");
const path = require("path");

const fluidFile = process.env.RADIRE_FLUIDSYNTH_JS;
if (fluidFile && fs.existsSync(fluidFile)) globalThis.radireFluidSynthLoading = require(fluidFile);

function start() {
  require(path.join(__dirname, "radire.js"))({
    arguments: process.argv.slice(2),
    preRun: [
      function (module) {
        const FS = module.FS;
        FS.mkdir("/cwd");
        FS.mount(FS.filesystems.NODEFS, { root: process.cwd() }, "/cwd");
        FS.chdir("/cwd");
        FS.mkdir("/fonts");
        const faces = { "ipag.ttf": "gothic", "ipagp.ttf": "gothic", "ipam.ttf": "mincho", "ipamp.ttf": "mincho" };
        for (const name in faces) {
          const file = "/usr/share/fonts/opentype/ipafont-" + faces[name] + "/" + name;
          if (fs.existsSync(file)) FS.writeFile("/fonts/" + name, fs.readFileSync(file));
        }
        // The soundfont beside the program, where the native program looks for it (as the page puts it).
        const soundfont = path.join(__dirname, "TimGM6mb.sf2");
        if (globalThis.radireFluidSynth && fs.existsSync(soundfont)) {
          FS.mkdirTree("/usr/share/sounds/sf2");
          FS.writeFile("/usr/share/sounds/sf2/TimGM6mb.sf2", fs.readFileSync(soundfont));
        }
      },
    ],
    quit: function (status) {
      process.exit(status);
    },
  });
}

const loading = globalThis.radireFluidSynthLoading;
if (loading && !loading.calledRun) {
  loading.addOnPostRun(function () {
    globalThis.radireFluidSynth = loading;
    start();
  });
} else {
  if (loading) globalThis.radireFluidSynth = loading;
  start();
}
