// What recording costs a frame: the host calls of one game frame through the recording host, beside the same
// calls answered by the host alone, and the frame checksum beside memcpy of the same 640 x 480 x 2 bytes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "host/headless/headless.h"
#include "host/record/record.h"

namespace {

// A host whose answers cost nothing, so that only the recording's own work is timed.
class QuietHost : public host::HeadlessHost {
 public:
  void Present(const uint16_t*, int, int, int, bool) override { AdvanceClock(16); }
};

std::vector<uint16_t> frame(640 * 480, 0x1234);

// What the game asks of the host in a frame of play: tick readings, the message loop's polls (a key now and
// then), both pads, and the presentation.
void Frame(host::Host& h, QuietHost& inner, int n) {
  for (int i = 0; i < 6; ++i) benchmark::DoNotOptimize(h.Ticks());
  if (n % 8 == 0) inner.QueueEvent(host::Event{host::EventType::KeyDown, 0x20});
  host::Event e{host::EventType::Close};
  while (h.PollEvent(&e)) {
  }
  benchmark::DoNotOptimize(h.Joystick(0));
  benchmark::DoNotOptimize(h.Joystick(1));
  h.Present(frame.data(), 640, 480, 640 * 2, false);
}

void BM_FrameCallsHostAlone(benchmark::State& state) {
  QuietHost h;
  int n = 0;
  for (auto _ : state) Frame(h, h, n++);
}
BENCHMARK(BM_FrameCallsHostAlone);

void BM_FrameCallsRecorded(benchmark::State& state) {
  QuietHost inner;
  char path[] = "/tmp/radire-record-bench-XXXXXX";
  int fd = mkstemp(path);
  close(fd);
  host::record::Header header;
  header.version = host::record::Version();
  header.startTick = inner.Ticks();
  long bytes = 0;
  {
    host::record::RecordingHost h(&inner, path, header);
    int n = 0;
    for (auto _ : state) Frame(h, inner, n++);
    h.Finish("zqt.sss");
    FILE* f = std::fopen(path, "rb");
    if (f) std::fseek(f, 0, SEEK_END), bytes = std::ftell(f), std::fclose(f);
  }
  unlink(path);
  state.counters["record_bytes_per_frame"] = state.iterations() ? double(bytes) / double(state.iterations()) : 0;
}
BENCHMARK(BM_FrameCallsRecorded);

void BM_FrameChecksum(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(host::record::FrameChecksum(frame.data(), 640, 480, 1280, false));
  state.SetBytesProcessed(int64_t(state.iterations()) * 640 * 480 * 2);
}
BENCHMARK(BM_FrameChecksum);

void BM_FrameMemcpy(benchmark::State& state) {
  std::vector<uint16_t> copy(frame.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), frame.data(), frame.size() * 2);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * 640 * 480 * 2);
}
BENCHMARK(BM_FrameMemcpy);

}  // namespace

BENCHMARK_MAIN();
