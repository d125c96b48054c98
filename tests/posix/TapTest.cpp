// A tap of 30 ms, shorter than a tick, is seen at exactly one read: through
// the stand-in SDL library (sdl_standin.cpp), pressed and let go by a thread
// at moments the reads do not know.
#include <SDL2/SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "runtime/Runtime.h"
#include "runtime/posix/Controllers.h"

namespace tavro {
namespace {

TEST(Taps, AThirtyMillisecondTapActsAtOneReadWhereverItFalls) {
  const std::string library = TAVRO_SDL_STANDIN;
  void* module = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr);
  const auto set = reinterpret_cast<void (*)(int, bool)>(dlsym(module, "StandInSet"));
  ASSERT_NE(set, nullptr);
  Controllers pads("", library);
  ASSERT_EQ(pads.Buttons(), std::vector<std::uint32_t>{0});
  const std::uint32_t a = PadBits({PadButton::kA});
  // The tap at several offsets within a 100 ms tick.
  for (const int offset : {0, 20, 45, 69, 90}) {
    std::thread tapper([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(offset));
      set(SDL_CONTROLLER_BUTTON_A, true);
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      set(SDL_CONTROLLER_BUTTON_A, false);
    });
    int seen = 0;
    for (int read = 0; read < 3; ++read) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      const auto held = pads.Buttons();
      seen += !held.empty() && (held[0] & a) != 0;
    }
    tapper.join();
    EXPECT_EQ(seen, 1) << "tap at " << offset << " ms";
  }
  dlclose(module);
}

}  // namespace
}  // namespace tavro
