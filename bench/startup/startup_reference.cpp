// The trivial program the game's start-up is measured against: opens a window and presents one picture (a BMP
// file named on the command line) the way the host layer presents frames, through a streaming RGB888 texture, then
// waits for the window to be closed.
#include <SDL.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: startup_reference <picture.bmp>\n");
    return 2;
  }
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_Surface* loaded = SDL_LoadBMP(argv[1]);
  SDL_Surface* picture = loaded != nullptr ? SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB888, 0) : nullptr;
  if (picture == nullptr) return 1;
  SDL_Window* window = SDL_CreateWindow("Start-up reference", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                        picture->w, picture->h, SDL_WINDOW_HIDDEN);
  const bool headless = std::strcmp(SDL_GetCurrentVideoDriver(), "dummy") == 0;
  SDL_Renderer* renderer = window != nullptr ? SDL_CreateRenderer(window, -1, headless ? SDL_RENDERER_SOFTWARE : 0)
                                             : nullptr;
  if (renderer == nullptr) return 1;
  SDL_Texture* texture =
      SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, picture->w, picture->h);
  SDL_ShowWindow(window);
  SDL_UpdateTexture(texture, nullptr, picture->pixels, picture->pitch);
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
  SDL_RenderClear(renderer);
  SDL_RenderCopy(renderer, texture, nullptr, nullptr);
  SDL_RenderPresent(renderer);
  SDL_Event event;
  while (SDL_WaitEvent(&event) && event.type != SDL_QUIT) {
  }
  SDL_Quit();
  return 0;
}
