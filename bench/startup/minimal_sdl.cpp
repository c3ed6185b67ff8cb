// The reference for the start-up benchmark: the least an SDL2 program does to show a
// frame (a borderless 800x600 window, one filled surface presented), then it ends.
#include <SDL.h>

#include <cstdlib>

int main() {
  // The same software window surface the launcher presents through, so both programs
  // take the same road to the screen.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_Window* window = SDL_CreateWindow("minimal", 0, 0, 800, 600, SDL_WINDOW_BORDERLESS);
  if (window == nullptr) return 1;
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 90, 160, 220));
  SDL_UpdateWindowSurface(window);
  // Ends the way the launcher does under TAZU_EXIT_AFTER_FIRST_FRAME.
  std::_Exit(0);
}
