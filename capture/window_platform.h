// The little the capture tool needs of the window system directly.
#pragma once

namespace capture {

// The GL drawable size of the engine's window (an SDL_Window*).
void drawableSize(void* window, int& width, int& height);

// Swaps the window's buffers and handles pending window events.
void presentWindow(void* window);

}  // namespace capture
