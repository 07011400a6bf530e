/* Preloaded into a program to end it right after its first presented frame:
 * wraps SDL_GL_SwapWindow, lets the first swap finish (glFinish makes sure
 * the frame was really drawn) and exits at once. The start-up benchmark
 * times the whole process, so it measures process start to first frame. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <unistd.h>

typedef struct SDL_Window SDL_Window;
typedef void (*SwapFunction)(SDL_Window*);
typedef void (*FinishFunction)(void);

void SDL_GL_SwapWindow(SDL_Window* window) {
  SwapFunction swap = (SwapFunction)dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
  if (swap != 0) swap(window);
  FinishFunction finish = (FinishFunction)dlsym(RTLD_DEFAULT, "glFinish");
  if (finish == 0) finish = (FinishFunction)dlsym(RTLD_DEFAULT, "epoxy_glFinish");
  if (finish != 0) finish();
  _exit(0);
}
