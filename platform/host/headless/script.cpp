// The input script: one event a line, "F what ...", F being the presentation after which it is queued.
#include <cctype>
#include <cstdlib>
#include <sstream>

#include "headless.h"

namespace host {

namespace {

bool ParseInt(const std::string& text, long low, long high, int* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < low || v > high) return false;
  *value = int(v);
  return true;
}

}  // namespace

int KeyNameToVirtualKey(const std::string& name) {
  static const struct {
    const char* name;
    int code;
  } kNames[] = {{"RETURN", 0x0D}, {"ENTER", 0x0D}, {"SPACE", 0x20}, {"ESCAPE", 0x1B}, {"LEFT", 0x25},
                {"UP", 0x26},     {"RIGHT", 0x27}, {"DOWN", 0x28},  {"SHIFT", 0x10},  {"CONTROL", 0x11},
                {"ALT", 0x12},    {"TAB", 0x09},   {"BACK", 0x08},  {"F10", 0x79}};
  for (const auto& k : kNames)
    if (name == k.name) return k.code;
  if (name.size() == 1 && (std::isupper(static_cast<unsigned char>(name[0])) || std::isdigit(static_cast<unsigned char>(name[0]))))
    return name[0];
  if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F') {
    int n;
    if (ParseInt(name.substr(1), 1, 24, &n)) return 0x6F + n;
  }
  int code;
  if (ParseInt(name, 1, 254, &code)) return code;
  return -1;
}

std::vector<std::string> LineWords(std::string* line) {
  size_t hash = line->find('#');
  if (hash != std::string::npos) line->resize(hash);
  std::istringstream words(*line);
  std::vector<std::string> w;
  for (std::string word; words >> word;) w.push_back(word);
  return w;
}

bool ParseInputScript(const std::string& text, std::vector<ScriptedEvent>* events, std::string* error) {
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    std::vector<std::string> w = LineWords(&line);
    if (w.empty()) continue;
    auto fail = [&](const std::string& why) {
      *error = "input script line " + std::to_string(number) + ": " + why + ": " + line;
      return false;
    };
    ScriptedEvent e;
    if (!ParseInt(w[0], 0, 100000000, &e.frame)) return fail("bad frame number");
    if (w.size() < 2) return fail("missing event");
    const std::string& what = w[1];
    auto args = [&](size_t n) { return w.size() == n + 2; };
    if (what == "key" || what == "syskey") {
      if (!args(2)) return fail("expected " + what + " down|up|tap KEY");
      int vk = KeyNameToVirtualKey(w[3]);
      if (vk < 0) return fail("unknown key");
      e.event.code = vk;
      e.event.flag = what == "syskey";
      if (w[2] == "down" || w[2] == "tap") {
        e.event.type = EventType::KeyDown;
        events->push_back(e);
        if (w[2] == "tap") {
          e.event.type = EventType::KeyUp;
          ++e.frame;  // held across one frame, so a poll sees it
          events->push_back(e);
        }
      } else if (w[2] == "up") {
        e.event.type = EventType::KeyUp;
        events->push_back(e);
      } else {
        return fail("expected down, up or tap");
      }
    } else if (what == "joy") {
      if (w.size() < 4) return fail("expected joy ID X Y BUTTONS or joy ID unplug");
      if (!ParseInt(w[2], 0, 1, &e.joyId)) return fail("joystick id must be 0 or 1");
      if (w[3] == "unplug" && args(2)) {
        e.kind = ScriptedEvent::JoyUnplug;
      } else {
        int x, y, buttons;
        if (!args(4) || !ParseInt(w[3], 0, 65535, &x) || !ParseInt(w[4], 0, 65535, &y) ||
            !ParseInt(w[5], 0, 0xffffffffL, &buttons))
          return fail("expected joy ID X Y BUTTONS with axes 0..65535");
        e.kind = ScriptedEvent::Joy;
        e.joy.connected = true;
        e.joy.x = x;
        e.joy.y = y;
        e.joy.buttons = unsigned(buttons);
        e.joy.buttonCount = 4;
      }
      events->push_back(e);
    } else if (what == "activate") {
      int on;
      if (!args(1) || !ParseInt(w[2], 0, 1, &on)) return fail("expected activate 0|1");
      e.event.type = EventType::Activate;
      e.event.code = on;
      events->push_back(e);
    } else if (what == "close") {
      if (!args(0)) return fail("close takes no arguments");
      e.event.type = EventType::Close;
      events->push_back(e);
    } else if (what == "mouse") {
      if (!args(2) || !ParseInt(w[2], -32768, 65535, &e.event.x) || !ParseInt(w[3], -32768, 65535, &e.event.y))
        return fail("expected mouse X Y");
      e.event.type = EventType::MouseMove;
      events->push_back(e);
    } else if (what == "click") {
      if (!args(1) || (w[2] != "left" && w[2] != "right")) return fail("expected click left|right");
      e.event.type = EventType::ButtonDown;
      e.event.code = w[2] == "right";
      events->push_back(e);
      e.event.type = EventType::ButtonUp;
      ++e.frame;
      events->push_back(e);
    } else {
      return fail("unknown event");
    }
  }
  return true;
}

}  // namespace host
