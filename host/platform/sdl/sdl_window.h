// The engine's window seen through SDL, the library that opened it: the one
// place that turns the engine's window handle (dmsGetHDC) back into an
// SDL_Window, for the demo and the capture tool alike.
#pragma once

namespace glassmeridian {

// Shows the frame drawn: the engine puts it on the window (dmsPresentFrame),
// then the buffers are swapped; no-op for a null window.
void presentFrame(void* window);

// The window's GL drawable size in pixels.
void drawableSize(void* window, int& width, int& height);

// Lets the window system handle pending window events without taking them
// from the queue.
void pumpWindowEvents();

}  // namespace glassmeridian
