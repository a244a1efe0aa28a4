#include "StdFont.h"

#include <cwchar>

#include "Dpi.h"

LONG StdFont::Height(int pixelsPerInch) const noexcept {
    return -static_cast<LONG>(Dpi::FromPoints(m_size, pixelsPerInch));
}

LOGFONTW StdFont::ToLogFont(int pixelsPerInch) const {
    LOGFONTW lf{};
    lf.lfHeight = Height(pixelsPerInch);
    lf.lfWeight = m_bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = m_italic;
    lf.lfUnderline = m_underline;
    lf.lfStrikeOut = m_strikethrough;
    lf.lfCharSet = m_charset;
    wcsncpy(lf.lfFaceName, m_name.c_str(), LF_FACESIZE - 1);
    return lf;
}

HFONT StdFont::Handle() { return Handle(Dpi::System()); }

HFONT StdFont::Handle(int pixelsPerInch) {
    if (!m_font || m_fontPixelsPerInch != pixelsPerInch) {
        const LOGFONTW lf = ToLogFont(pixelsPerInch);
        m_font.reset(CreateFontIndirectW(&lf));
        m_fontPixelsPerInch = pixelsPerInch;
    }
    return m_font.get();
}
