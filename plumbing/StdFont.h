#pragma once

#include <windows.h>

#include <string>

#include "UniqueHandle.h"

// A font description shared by reference (std::shared_ptr<StdFont>): whoever
// holds the object and changes it changes the font for every holder.
//
// A new font is "MS Sans Serif", 9 points, regular, DEFAULT_CHARSET. It hands
// out a GDI font for its current attributes; the font is owned here and made
// again only after an attribute has changed.
class StdFont {
public:
    StdFont() = default;
    StdFont(const StdFont&) = delete;
    StdFont& operator=(const StdFont&) = delete;

    const std::wstring& Name() const noexcept { return m_name; }
    void Name(const std::wstring& name) { Change(m_name, name); }
    double Size() const noexcept { return m_size; }  // points
    void Size(double points) { Change(m_size, points); }
    bool Bold() const noexcept { return m_bold; }
    void Bold(bool bold) { Change(m_bold, bold); }
    bool Italic() const noexcept { return m_italic; }
    void Italic(bool italic) { Change(m_italic, italic); }
    bool Underline() const noexcept { return m_underline; }
    void Underline(bool underline) { Change(m_underline, underline); }
    bool Strikethrough() const noexcept { return m_strikethrough; }
    void Strikethrough(bool strikethrough) { Change(m_strikethrough, strikethrough); }
    BYTE Charset() const noexcept { return m_charset; }
    void Charset(BYTE charset) { Change(m_charset, charset); }

    // The GDI font for the current attributes, at the system's DPI. Valid until the next change or the object's end.
    HFONT Handle();
    // The same at `pixelsPerInch` (a window's DPI). The font is made again
    // when asked for another resolution, so holders of one object should
    // ask for one resolution: that of the window they draw in.
    HFONT Handle(int pixelsPerInch);

    // The description as a LOGFONTW with its height for `pixelsPerInch`.
    LOGFONTW ToLogFont(int pixelsPerInch) const;
    // The LOGFONT height (negative: the character height) of the size at
    // `pixelsPerInch`, rounded to the nearest pixel, halves away from zero.
    // Every font of the window is made with this height.
    LONG Height(int pixelsPerInch) const noexcept;

private:
    template <typename T>
    void Change(T& field, const T& value) {
        if (field == value) return;
        field = value;
        m_font.reset();
    }

    std::wstring m_name = L"MS Sans Serif";
    double m_size = 9.0;
    bool m_bold = false;
    bool m_italic = false;
    bool m_underline = false;
    bool m_strikethrough = false;
    BYTE m_charset = DEFAULT_CHARSET;
    UniqueFont m_font;
    int m_fontPixelsPerInch = 0;  // the resolution m_font was made for
};
