#include "TuningDrawing.h"

namespace {

void Circle(HDC dc, int centre, int radius, COLORREF colour, int width, int style = PS_SOLID) {
    const HPEN pen = CreatePen(style, width, colour);
    const HGDIOBJ oldPen = SelectObject(dc, pen);
    const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Ellipse(dc, centre - radius, centre - radius, centre + radius + 1, centre + radius + 1);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

} // namespace

void DrawTuningPicture(HDC dc, int size, const TuningPicture& picture, bool forwardOnly,
                       bool keyHeld, const std::vector<POINT>& trail, int largestPush,
                       bool innerHeld, bool paused) {
    const RECT all = {0, 0, size, size};
    const HBRUSH background = CreateSolidBrush(PictureBackground);
    FillRect(dc, &all, background);
    DeleteObject(background);
    Circle(dc, picture.centre, picture.reachRadius, ReachColour, 1);
    // A worn stick that never reaches the edge shows it at once.
    if (largestPush > 0)
        Circle(dc, picture.centre, largestPush, StickColour, 1, PS_DOT);
    if (forwardOnly) {
        // The cone within which a push counts: 60 degrees either side of forward.
        const HPEN pen = CreatePen(PS_DOT, 1, OnCircleColour);
        const HGDIOBJ old = SelectObject(dc, pen);
        const int across = picture.reachRadius * 866 / 1000, up = picture.reachRadius / 2;
        for (const int side : {-1, 1}) {
            MoveToEx(dc, picture.centre, picture.centre, nullptr);
            LineTo(dc, picture.centre + side * across, picture.centre - up);
        }
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    if (picture.innerRing) {
        Circle(dc, picture.centre, picture.innerOffRadius, InnerRingColour, 1, PS_DASH);
        Circle(dc, picture.centre, picture.innerOnRadius, InnerRingColour, 2);
    }
    Circle(dc, picture.centre, picture.offRadius, OffCircleColour, 2);
    if (paused) {
        Circle(dc, picture.centre, picture.onRadius, OnCircleColour, 1, PS_DOT);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, OnCircleColour);
        const wchar_t text[] = L"Trigger pulled: the key is let go";
        TextOutW(dc, 4, 4, text, static_cast<int>(sizeof text / sizeof text[0]) - 1);
    } else {
        Circle(dc, picture.centre, picture.onRadius, OnCircleColour, 2);
    }
    const HBRUSH trailBrush = CreateSolidBrush(TrailColour);
    const HGDIOBJ oldTrailBrush = SelectObject(dc, trailBrush);
    const HGDIOBJ oldTrailPen = SelectObject(dc, GetStockObject(NULL_PEN));
    for (std::size_t i = 0; i < trail.size(); ++i) {
        const int radius =
            1 + static_cast<int>(3 * (i + 1) / trail.size()); // the older, the smaller
        Ellipse(dc, trail[i].x - radius, trail[i].y - radius, trail[i].x + radius + 1,
                trail[i].y + radius + 1);
    }
    SelectObject(dc, oldTrailPen);
    SelectObject(dc, oldTrailBrush);
    DeleteObject(trailBrush);
    const HBRUSH dot = CreateSolidBrush(keyHeld     ? StickHeldColour
                                        : innerHeld ? InnerRingColour
                                                    : StickColour);
    const HGDIOBJ oldBrush = SelectObject(dc, dot);
    const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    Ellipse(dc, picture.dotX - 5, picture.dotY - 5, picture.dotX + 6, picture.dotY + 6);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(dot);
}

bool WriteTuningSnapshot(const std::wstring& path, int size, const TuningPicture& picture,
                         bool forwardOnly, bool keyHeld, bool innerHeld) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = size; // bottom-up, as bitmap files are
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC dc = CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dc == nullptr || bitmap == nullptr) {
        if (dc != nullptr)
            DeleteDC(dc);
        return false;
    }
    const HGDIOBJ old = SelectObject(dc, bitmap);
    DrawTuningPicture(dc, size, picture, forwardOnly, keyHeld, {}, 0, innerHeld);
    GdiFlush();
    const DWORD stride = (static_cast<DWORD>(size) * 3 + 3) & ~3u;
    const DWORD imageBytes = stride * static_cast<DWORD>(size);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageBytes;
    info.bmiHeader.biSizeImage = imageBytes;
    const HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    const auto write = [out](const void* data, DWORD length) {
        DWORD written = 0;
        return WriteFile(out, data, length, &written, nullptr) && written == length;
    };
    const bool ok = out != INVALID_HANDLE_VALUE && write(&file, sizeof file) &&
                    write(&info.bmiHeader, sizeof info.bmiHeader) && write(bits, imageBytes);
    if (out != INVALID_HANDLE_VALUE)
        CloseHandle(out);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return ok;
}
