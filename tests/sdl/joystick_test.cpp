// The SDL host's pads, driven through SDL's virtual joysticks: game controllers and plain joysticks,
// pads present at start and pads plugged in and out while running, up to the library's queries.
#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>

#include "host/sdl/sdl_host.h"
#include "ox.h"

namespace {

class SdlJoystickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    if (SDL_NumJoysticks() > 0) GTEST_SKIP() << "a real joystick is attached";
  }
  void TearDown() override {
    for (SDL_Joystick*& handle : handles_)
      if (handle) SDL_JoystickClose(handle);
    host::Install(nullptr);
    host_.reset();  // quits SDL
    SDL_Quit();
  }
  void StartHost() {
    host_ = std::make_unique<host::SdlHost>(host::SdlOptions{}, host::kStartTick);
  }

  // Attaches a virtual pad and returns our handle to drive it.
  SDL_Joystick* Attach(bool controller, int plainButtons = 6) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    if (controller) {
      desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
      desc.naxes = SDL_CONTROLLER_AXIS_MAX;
      desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
      desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
      desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
      desc.name = "virtual pad";
    } else {
      desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
      desc.naxes = 2;
      desc.nbuttons = plainButtons;
      desc.nhats = 1;
      desc.name = "virtual stick";
    }
    int index = SDL_JoystickAttachVirtualEx(&desc);
    EXPECT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* handle = SDL_JoystickOpen(index);
    EXPECT_NE(handle, nullptr) << SDL_GetError();
    for (SDL_Joystick*& slot : handles_)
      if (!slot) {
        slot = handle;
        break;
      }
    return handle;
  }
  void Detach(SDL_Joystick* handle) {
    SDL_JoystickID id = SDL_JoystickInstanceID(handle);
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
      if (SDL_JoystickGetDeviceInstanceID(i) == id) {
        ASSERT_EQ(SDL_JoystickDetachVirtual(i), 0);
      }
    }
    for (SDL_Joystick*& slot : handles_)
      if (slot == handle) slot = nullptr;
    SDL_JoystickClose(handle);
  }

  std::unique_ptr<host::SdlHost> host_;
  SDL_Joystick* handles_[4] = {};
};

TEST_F(SdlJoystickTest, ControllerReadsStickDpadAndButtonsInOrder) {
  SDL_Joystick* pad = Attach(true);
  StartHost();  // the pad was there first: found without any event being taken
  ASSERT_TRUE(SDL_IsGameController(0)) << "SDL offers the virtual pad as a game controller";
  host::JoyReading r = host_->Joystick(0);
  ASSERT_TRUE(r.connected);
  EXPECT_EQ(r.x, 32767u);
  EXPECT_EQ(r.y, 32767u);
  EXPECT_EQ(r.buttons, 0u);
  EXPECT_EQ(r.buttonCount, 10u);
  EXPECT_FALSE(host_->Joystick(1).connected);

  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 32767);
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, -32768);
  r = host_->Joystick(0);
  EXPECT_EQ(r.x, 65535u);
  EXPECT_EQ(r.y, 0u) << "up is low";
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 0);
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, 0);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN, 1);
  r = host_->Joystick(0);
  EXPECT_EQ(r.x, 0u);
  EXPECT_EQ(r.y, 65535u);
  EXPECT_EQ(r.buttons, 0u) << "the d-pad steers, it is no button";
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN, 0);

  struct Case {
    SDL_GameControllerButton button;
    uint32_t bit;
  } cases[] = {{SDL_CONTROLLER_BUTTON_A, 1u << 0},         {SDL_CONTROLLER_BUTTON_B, 1u << 1},
               {SDL_CONTROLLER_BUTTON_X, 1u << 2},         {SDL_CONTROLLER_BUTTON_Y, 1u << 3},
               {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, 1u << 4}, {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 1u << 5},
               {SDL_CONTROLLER_BUTTON_BACK, 1u << 6},      {SDL_CONTROLLER_BUTTON_START, 1u << 7},
               {SDL_CONTROLLER_BUTTON_LEFTSTICK, 1u << 8}, {SDL_CONTROLLER_BUTTON_RIGHTSTICK, 1u << 9}};
  for (const Case& c : cases) {
    SDL_JoystickSetVirtualButton(pad, c.button, 1);
    r = host_->Joystick(0);
    EXPECT_EQ(r.buttons, c.bit) << SDL_GameControllerGetStringForButton(c.button);
    EXPECT_EQ(r.x, 32767u);
    SDL_JoystickSetVirtualButton(pad, c.button, 0);
  }
}

// Start (button 8) pauses as a loss of focus would, and goes on again; a plain joystick's eighth button is its Start.
TEST_F(SdlJoystickTest, StartPausesAndGoesOn) {
  for (bool controller : {true, false}) {
    SCOPED_TRACE(controller ? "game controller" : "plain joystick");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();  // the first host quit SDL
    SDL_Joystick* pad = Attach(controller, 8);
    StartHost();
    const int start = controller ? SDL_CONTROLLER_BUTTON_START : 7;
    auto activations = [&] {
      std::string seen;
      host::Event e;
      while (host_->PollEvent(&e))
        if (e.type == host::EventType::Activate) seen += std::to_string(e.code);
      return seen;
    };
    EXPECT_EQ(activations(), "");
    for (const char* want : {"0", "1"}) {
      SDL_JoystickSetVirtualButton(pad, start, 1);
      EXPECT_EQ(activations(), want);
      SDL_JoystickSetVirtualButton(pad, start, 0);
      EXPECT_EQ(activations(), "");
    }
    SDL_JoystickSetVirtualButton(pad, controller ? SDL_CONTROLLER_BUTTON_BACK : 6, 1);
    EXPECT_EQ(activations(), "") << "only Start pauses";
    Detach(pad);
    host_.reset();
  }
}

TEST_F(SdlJoystickTest, PlainJoystickReadsAxesHatAndButtons) {
  StartHost();
  SDL_Joystick* stick = Attach(false);
  ASSERT_FALSE(SDL_IsGameController(0));
  SDL_JoystickSetVirtualAxis(stick, 0, -16384);
  SDL_JoystickSetVirtualAxis(stick, 1, 16383);
  SDL_JoystickSetVirtualButton(stick, 5, 1);
  host::JoyReading r = host_->Joystick(0);
  ASSERT_TRUE(r.connected);
  EXPECT_EQ(r.x, 16384u);
  EXPECT_EQ(r.y, 49151u);
  EXPECT_EQ(r.buttons, 1u << 5);
  EXPECT_EQ(r.buttonCount, 6u);
  SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_RIGHTUP);
  r = host_->Joystick(0);
  EXPECT_EQ(r.x, 65535u);
  EXPECT_EQ(r.y, 0u);
}

TEST_F(SdlJoystickTest, PadsPluggedInWhileRunningKeepTheirNumbers) {
  StartHost();
  EXPECT_FALSE(host_->Joystick(0).connected);
  SDL_Joystick* first = Attach(true);
  // No event is taken from the queue: the reading itself finds the pad.
  EXPECT_TRUE(host_->Joystick(0).connected);
  SDL_Joystick* second = Attach(false);
  EXPECT_TRUE(host_->Joystick(1).connected);
  SDL_JoystickSetVirtualButton(second, 2, 1);

  Detach(first);
  EXPECT_FALSE(host_->Joystick(0).connected) << "the first pad's number stays empty";
  host::JoyReading r = host_->Joystick(1);
  ASSERT_TRUE(r.connected) << "the second pad keeps number 1";
  EXPECT_EQ(r.buttons, 1u << 2);

  // The events of all this are taken in passing, and change nothing.
  host::Event e;
  while (host_->PollEvent(&e)) {
  }
  EXPECT_TRUE(host_->Joystick(1).connected);
  Attach(true);
  EXPECT_TRUE(host_->Joystick(0).connected) << "a new pad takes the free number";
  while (host_->PollEvent(&e)) {
  }
  EXPECT_TRUE(host_->Joystick(0).connected);
  EXPECT_TRUE(host_->Joystick(1).connected);
  EXPECT_FALSE(host_->Joystick(2).connected);
  EXPECT_FALSE(host_->Joystick(-1).connected);
  EXPECT_FALSE(host_->Joystick(99).connected);
}

TEST_F(SdlJoystickTest, LibraryReadsAVirtualPad) {
  SDL_Joystick* pad = Attach(true);
  StartHost();
  host::Install(host_.get());
  libraryState.FrameTime = 0.016f;
  oxSystem::InitJoystick();
  int cx, cy;
  oxSystem::GetJoystickCenter(0, &cx, &cy);
  EXPECT_EQ(cx, 32767);
  EXPECT_EQ(cy, 32767);
  int dx, dy;
  oxSystem::GetJoyDirection(0, &dx, &dy);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 0);

  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 30000);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_UP, 1);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, 1);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_Y, 1);
  oxSystem::GetJoyDirection(0, &dx, &dy);
  EXPECT_EQ(dx, 1);
  EXPECT_EQ(dy, -1);
  EXPECT_EQ(oxSystem::GetJoyKeypadDirection(0), 9);
  int b[4];
  oxSystem::GetJoyButtons(0, &b[0], &b[1], &b[2], &b[3]);
  EXPECT_EQ(b[0], 1);
  EXPECT_EQ(b[1], 0);
  EXPECT_EQ(b[2], 0);
  EXPECT_EQ(b[3], 1);
  EXPECT_EQ(oxSystem::GetJoyButtonState(0, 1), 1);
  EXPECT_EQ(oxSystem::GetJoyButtonState(0, 1), 3);

  Detach(pad);
  oxSystem::GetJoyButtons(0, &b[0], &b[1], &b[2], &b[3]);
  EXPECT_EQ(b[0], 0);
  EXPECT_EQ(oxSystem::GetJoyKeypadDirection(0), 5);
}

}  // namespace
