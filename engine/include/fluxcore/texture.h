// Texture and Font: pictures uploaded from the data archive.
#pragma once

#include "fluxcore/api.h"

namespace QUASAR_FLUXCORE {

class FLUXCORE_API Texture {
public:
    Texture(unsigned int id, int width, int height);
    unsigned int getID() const;  // the OpenGL texture name
    int getWidth() const;        // picture width in pixels
    int getHeight() const;       // picture height in pixels

private:
    unsigned int id_;
    int width_, height_;
};

// A bitmap font: a sheet of equal glyph cells, one per character code from
// firstGlyph on, row by row. A plain 708-byte record, copied as one block.
class FLUXCORE_API Font {
public:
    char fileName[168];             // archive name of the sheet, zero-terminated
    unsigned int textureId;         // OpenGL name of the uploaded sheet (0 before upload)
    int cellWidth, cellHeight;      // one glyph cell, pixels
    int sheetWidth, sheetHeight;    // the whole sheet, pixels
    int firstGlyph;                 // character code of the first cell
    int glyphCount;                 // cells on the sheet
    unsigned char glyphLeft[256];   // first inked column of each glyph within its cell
    unsigned char glyphWidth[256];  // inked width of each glyph, pixels (0: blank)

    FLUXCORE_EXTERN_DEFINED Font& operator=(const Font& other);  // defined by the program
};

static_assert(sizeof(Font) == 708, "Font is a 708-byte record");

}  // namespace QUASAR_FLUXCORE
