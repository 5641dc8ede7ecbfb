// Test harness for the engine: drive textures, the archive and the engine's
// state without a window, for tests that link the recording GL layer.
#pragma once

namespace testsupport {

// Makes dmsGetTexture(name) answer a texture with this GL name and size.
void addTestTexture(const char* name, unsigned int glName, int width, int height);

// Opens a data archive at exactly this path without a window; dmsUploadTextures
// then decodes its pictures and uploads them into the recording GL layer.
// Failures are thrown as `const char*`, as dmsInitEx throws them.
void openArchiveHeadless(const char* pakPath);

// Sets up drawing as dmsInitEx does once its window is open, without one:
// the mode width x height, windowed or full screen, on a drawable of the
// given size. Failures are thrown as dmsInitEx throws them.
void startDrawingHeadless(int width, int height, bool fullscreen, int drawableWidth, int drawableHeight);

// What dmsPresentFrame does for a window whose drawable has this size.
void presentHeadless(int drawableWidth, int drawableHeight);

// Back to the state before dmsInitEx: timeline emptied (effects deleted),
// textures, fonts and archive released, state cache cleared, logging off,
// clock restarted and not fixed.
void resetEngine();

}  // namespace testsupport
