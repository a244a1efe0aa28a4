#include "StdPicture.h"

std::shared_ptr<StdPicture> StdPicture::FromResource(HINSTANCE module, int id) {
    HANDLE image = LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    return std::make_shared<StdPicture>(UniqueBitmap(static_cast<HBITMAP>(image)));
}
