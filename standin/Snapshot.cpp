#include "standin/Snapshot.h"

#include <cstdio>
#include <vector>

namespace standin {

namespace {

// A screen device context, released when it goes.
class CScreenDC {
public:
    CScreenDC() : m_dc(GetDC(nullptr)) {}
    ~CScreenDC() { ReleaseDC(nullptr, m_dc); }
    CScreenDC(const CScreenDC&) = delete;
    CScreenDC& operator=(const CScreenDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};


// Writes the bitmap, selected into no context, as a 24-bit BMP file.
bool WriteBitmap(HDC context, HBITMAP bitmap, int width, int height, const std::string& path)
{
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);
    std::vector<BYTE> pixels(stride * height);
    GetDIBits(context, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
              DIB_RGB_COLORS);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    std::fwrite(&file, sizeof(file), 1, out);
    std::fwrite(&header, sizeof(header), 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    return std::fclose(out) == 0;
}

// A memory picture of the given size, released with the object.
class CCanvas {
public:
    CCanvas(HDC screen, int width, int height)
        : m_context(CreateCompatibleDC(screen)),
          m_bitmap(CreateCompatibleBitmap(screen, width, height)),
          m_previous(SelectObject(m_context, m_bitmap)), m_width(width), m_height(height)
    {
    }
    ~CCanvas()
    {
        DeleteObject(m_bitmap);
        DeleteDC(m_context);
    }
    CCanvas(const CCanvas&) = delete;
    CCanvas& operator=(const CCanvas&) = delete;

    HDC Context() const { return m_context; }
    bool Save(const std::string& path)
    {
        SelectObject(m_context, m_previous);
        return WriteBitmap(m_context, m_bitmap, m_width, m_height, path);
    }

private:
    HDC m_context;
    HBITMAP m_bitmap;
    HGDIOBJ m_previous;
    int m_width;
    int m_height;
};

}  // namespace

bool SaveWindowSnapshot(HWND window, const std::string& path)
{
    RECT rect;
    if (!GetWindowRect(window, &rect))
        return false;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    CScreenDC screen;
    CCanvas canvas(screen.Get(), width, height);
    BitBlt(canvas.Context(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY);
    return canvas.Save(path);
}

bool SaveIconPicture(HICON icon, int size, const std::string& path)
{
    CScreenDC screen;
    CCanvas canvas(screen.Get(), size, size);
    RECT all = {0, 0, size, size};
    FillRect(canvas.Context(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(canvas.Context(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    return canvas.Save(path);
}

}  // namespace standin
