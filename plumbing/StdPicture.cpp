#include "StdPicture.h"

#include <wincodec.h>

#include "ComRef.h"
#include "ScopeGuard.h"

namespace {

// The PNG's pixels as a 24-bit top-down DIB section; 0 when it cannot be read.
HBITMAP DecodePng(const void* data, DWORD size) {
    ComRef<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                factory.putVoid())))
        return nullptr;
    ComRef<IWICStream> stream;
    if (FAILED(factory->CreateStream(stream.put()))) return nullptr;
    // The resource stays mapped while the module is loaded; WIC only reads it.
    if (FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), size))) return nullptr;

    ComRef<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.put())))
        return nullptr;
    ComRef<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.put()))) return nullptr;
    ComRef<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.put()))) return nullptr;
    if (FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)))
        return nullptr;

    UINT width = 0, height = 0;
    if (FAILED(converter->GetSize(&width, &height)) || !width || !height || width > 0x4000 || height > 0x4000)
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down, as WIC hands out rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return nullptr;
    const UINT stride = (width * 3 + 3) & ~3u;
    if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)))) return nullptr;
    return bitmap.release();
}

}  // namespace

std::shared_ptr<StdPicture> StdPicture::FromResource(HINSTANCE module, int id) {
    HANDLE image = LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    return std::make_shared<StdPicture>(UniqueBitmap(static_cast<HBITMAP>(image)));
}

std::shared_ptr<StdPicture> StdPicture::FromPngResource(HINSTANCE module, int id) {
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
    const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return std::make_shared<StdPicture>(UniqueBitmap{});
    // WIC is a COM server: the thread needs COM for the decoding. A thread
    // that already has it in another model keeps it (RPC_E_CHANGED_MODE);
    // every successful initialisation is undone here.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const ScopeGuard uninitialise([com]() noexcept {
        if (SUCCEEDED(com)) CoUninitialize();
    });
    return std::make_shared<StdPicture>(UniqueBitmap(DecodePng(data, SizeofResource(module, found))));
}
