// Catches an enlarged 32-bit window whose colours are not the picture's RGB565 channels
// shifted up with their low bits clear, as SDL shows a 16-bit picture on such a display.
#include "platform/sdl_shell.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

TEST(ScaledSdlScreen, ThirtyTwoBitWindowShowsEachChannelShiftedUp) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
  SDL_Surface* window = SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 32, 0xFF0000, 0xFF00, 0xFF, 0);
  ASSERT_NE(window, nullptr) << SDL_GetError();
  {
    ScaledSdlScreen screen(window, 2);
    for (const auto& [picture, shown] : {std::pair<uint32_t, uint32_t>{0xF800, 0xF80000}, {0x07E0, 0x00FC00},
                                         {0x001F, 0x0000F8}, {0x8410, 0x808080}}) {
      screen.Fill(picture);
      screen.Flip();
      const auto* row = static_cast<const uint32_t*>(window->pixels);
      EXPECT_EQ(row[0], shown) << picture;
      EXPECT_EQ(row[479 * window->pitch / 4 + 639], shown) << picture;
    }
  }
  SDL_FreeSurface(window);
  SDL_Quit();
}
