// The frame-rate meter: frames counted over two-second windows, shown at the top left.
#include "ox.h"

namespace oxDraw {

// The first deadline is the process's start, so the first call samples at once.
FpsMeter fpsMeter = {0, 0.0f, 0.0f, 99.9f, GetTickCount()};

void ShowFps() {
  FpsMeter& m = fpsMeter;
  if (GetTickCount() >= m.sampleAt) {
    m.fps = float(m.frames / 2.0);
    if (m.fps > m.maxFps) m.maxFps = m.fps;
    if (m.fps > 0 && m.fps < m.minFps) m.minFps = m.fps;
    m.sampleAt = GetTickCount() + 2000;
    m.frames = 0;
  }
  if (m.frames < 999) ++m.frames;
  Printf(0, 0, "%3.1f fps ( max %3.1f / min %3.1f )", m.fps, m.maxFps, m.minFps);
}

}  // namespace oxDraw
