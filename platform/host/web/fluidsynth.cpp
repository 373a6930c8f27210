// FluidSynth in the browser: its WebAssembly build (js-synthesizer's) runs as a module of its own, with its
// own memory, set up by the page as globalThis.radireFluidSynth before the program starts. Handles are its
// addresses; strings, files and samples are copied between the two memories. Without that module there is
// no synthesizer, as natively without a soundfont: the music is silent and the game plays on.
#include <emscripten.h>
#include <fluidsynth.h>

#include <cstdint>

namespace {

// Each returns the other module's result, or 0 where the module is missing.
EM_JS(int, FsCall, (const char* name, int a, int b, int c), {
  const F = globalThis.radireFluidSynth;
  if (!F) return 0;
  return F["_" + UTF8ToString(name)](a, b, c);
});

// Copies a string or block into the other module's memory; 0 without it. The caller frees it with FsFree.
EM_JS(int, FsCopyIn, (const void* data, int size), {
  const F = globalThis.radireFluidSynth;
  if (!F) return 0;
  const p = F._malloc(size);
  if (p) F.HEAPU8.set(HEAPU8.subarray(data, data + size), p);
  return p;
});

EM_JS(void, FsFree, (int p), {
  const F = globalThis.radireFluidSynth;
  if (F && p) F._free(p);
});

EM_JS(int, FsSetNum, (int settings, const char* name, double value), {
  const F = globalThis.radireFluidSynth;
  if (!F) return -1;
  const s = UTF8ToString(name);
  const bytes = lengthBytesUTF8(s) + 1;
  const p = F._malloc(bytes);
  F.HEAPU8.set(HEAPU8.subarray(name, name + bytes), p);
  const r = F._fluid_settings_setnum(settings, p, value);
  F._free(p);
  return r;
});

EM_JS(void, FsSetGain, (int synth, double gain), {
  const F = globalThis.radireFluidSynth;
  if (F) F._fluid_synth_set_gain(synth, gain);
});

// The file named `path` in this program's file system, read into the other module's as the same path.
EM_JS(int, FsShareFile, (const char* path), {
  const F = globalThis.radireFluidSynth;
  if (!F) return 0;
  const name = UTF8ToString(path);
  try {
    const data = FS.readFile(name);
    const dir = name.substring(0, name.lastIndexOf("/"));
    if (dir) F.FS.mkdirTree(dir);
    F.FS.writeFile(name, data);
    return 1;
  } catch (e) {
    return 0;
  }
});

// len frames of the synthesizer's output, rendered in the other memory and copied into left and right.
EM_JS(int, FsWriteFloat, (int synth, int len, float* left, float* right), {
  const F = globalThis.radireFluidSynth;
  if (!F) return -1;
  const bytes = len * 4;
  const p = F._malloc(bytes * 2);
  if (!p) return -1;
  const r = F._fluid_synth_write_float(synth, len, p, 0, 1, p + bytes, 0, 1);
  HEAPF32.set(F.HEAPF32.subarray(p >> 2, (p >> 2) + len), left >> 2);
  HEAPF32.set(F.HEAPF32.subarray((p + bytes) >> 2, ((p + bytes) >> 2) + len), right >> 2);
  F._free(p);
  return r;
});

int Handle(const void* p) { return int(reinterpret_cast<uintptr_t>(p)); }
template <typename T>
T* Pointer(int handle) {
  return reinterpret_cast<T*>(uintptr_t(unsigned(handle)));
}

int CallWithString(const char* function, int handle, const char* text, int extra) {
  int length = 0;
  while (text[length]) ++length;
  int p = FsCopyIn(text, length + 1);
  if (!p) return FLUID_FAILED;
  int r = FsCall(function, handle, p, extra);
  FsFree(p);
  return r;
}

}  // namespace

extern "C" {

// Only silence crosses over: a function of ours cannot be called from the other module. Its log would
// otherwise go to the console, with errors about stubs of its own that it reports on every soundfont.
fluid_log_function_t fluid_set_log_function(int level, fluid_log_function_t, void*) {
  FsCall("fluid_set_log_function", level, 0, 0);
  return nullptr;
}

fluid_settings_t* new_fluid_settings(void) { return Pointer<fluid_settings_t>(FsCall("new_fluid_settings", 0, 0, 0)); }
void delete_fluid_settings(fluid_settings_t* settings) { FsCall("delete_fluid_settings", Handle(settings), 0, 0); }

int fluid_settings_setnum(fluid_settings_t* settings, const char* name, double value) {
  return FsSetNum(Handle(settings), name, value);
}
int fluid_settings_setstr(fluid_settings_t* settings, const char* name, const char* value) {
  int length = 0;
  while (value[length]) ++length;
  int p = FsCopyIn(value, length + 1);
  if (!p) return FLUID_FAILED;
  int r = CallWithString("fluid_settings_setstr", Handle(settings), name, p);
  FsFree(p);
  return r;
}
int fluid_settings_setint(fluid_settings_t* settings, const char* name, int value) {
  return CallWithString("fluid_settings_setint", Handle(settings), name, value);
}

fluid_synth_t* new_fluid_synth(fluid_settings_t* settings) {
  return Pointer<fluid_synth_t>(FsCall("new_fluid_synth", Handle(settings), 0, 0));
}
void delete_fluid_synth(fluid_synth_t* synth) { FsCall("delete_fluid_synth", Handle(synth), 0, 0); }

int fluid_synth_sfload(fluid_synth_t* synth, const char* filename, int reset_presets) {
  if (!FsShareFile(filename)) return FLUID_FAILED;
  return CallWithString("fluid_synth_sfload", Handle(synth), filename, reset_presets);
}

int fluid_synth_write_float(fluid_synth_t* synth, int len, void* lout, int loff, int lincr, void* rout, int roff,
                            int rincr) {
  // The mixer asks for plain blocks: each channel contiguous from its start.
  if (lincr != 1 || rincr != 1) return FLUID_FAILED;
  return FsWriteFloat(Handle(synth), len, static_cast<float*>(lout) + loff, static_cast<float*>(rout) + roff);
}

void fluid_synth_set_gain(fluid_synth_t* synth, float gain) { FsSetGain(Handle(synth), gain); }

int fluid_synth_all_notes_off(fluid_synth_t* synth, int chan) {
  return FsCall("fluid_synth_all_notes_off", Handle(synth), chan, 0);
}
int fluid_synth_all_sounds_off(fluid_synth_t* synth, int chan) {
  return FsCall("fluid_synth_all_sounds_off", Handle(synth), chan, 0);
}

fluid_player_t* new_fluid_player(fluid_synth_t* synth) {
  return Pointer<fluid_player_t>(FsCall("new_fluid_player", Handle(synth), 0, 0));
}
void delete_fluid_player(fluid_player_t* player) { FsCall("delete_fluid_player", Handle(player), 0, 0); }

int fluid_player_add_mem(fluid_player_t* player, const void* buffer, size_t len) {
  // The player copies the song, so the block is freed at once.
  int p = FsCopyIn(buffer, int(len));
  if (!p) return FLUID_FAILED;
  int r = FsCall("fluid_player_add_mem", Handle(player), p, int(len));
  FsFree(p);
  return r;
}
int fluid_player_play(fluid_player_t* player) { return FsCall("fluid_player_play", Handle(player), 0, 0); }
int fluid_player_stop(fluid_player_t* player) { return FsCall("fluid_player_stop", Handle(player), 0, 0); }
int fluid_player_get_status(fluid_player_t* player) {
  return FsCall("fluid_player_get_status", Handle(player), 0, 0);
}
int fluid_player_get_total_ticks(fluid_player_t* player) {
  return FsCall("fluid_player_get_total_ticks", Handle(player), 0, 0);
}
int fluid_player_get_current_tick(fluid_player_t* player) {
  return FsCall("fluid_player_get_current_tick", Handle(player), 0, 0);
}
}
