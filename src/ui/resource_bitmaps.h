// The program's numbered bitmaps, read from the application root
// ("\res\bitmap\<id>.png", see platform/resources.h) and kept in a small cache
// so that every window asking for bitmap 135 shares one copy. UI thread only.
#pragma once

#include <string>
#include <string_view>

#include <wx/bitmap.h>
#include <wx/icon.h>
#include <wx/image.h>

namespace vestora {

// Bitmap resource `id` below GetRootDir(); an invalid wxBitmap (IsOk() false)
// when the file is missing or cannot be decoded. Never shows a wx log message.
wxBitmap LoadBitmapResource(int id);

// The same below an explicit application root (tests, tools).
wxBitmap LoadBitmapResource(std::string_view root, int id);

// The application icon (resource 128, kApplicationIconPath); invalid when missing.
wxIcon LoadApplicationIcon();

// Decodes a PNG, JPEG, BMP or TGA file (file-system path, UTF-8), chosen by
// its first bytes (a file without a known signature is read as TGA). An
// invalid image when the file cannot be opened or decoded; never shows or
// prints a message.
wxImage LoadImageFile(const std::string& path);

// Makes sure wxImage can decode PNG, JPEG, BMP and TGA files (idempotent).
void EnsureImageHandlers();

// Forgets every cached bitmap (a later load reads the file again).
void ClearBitmapResourceCache();

}  // namespace vestora
