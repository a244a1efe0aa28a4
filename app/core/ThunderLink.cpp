#include "ThunderLink.h"

#include <optional>

#include "link/engine/LinkCodec.h"
#include "link/engine/Utf8.h"

namespace ThunderLink {

std::wstring FromAddress(std::wstring_view address) {
    const std::string utf8 = ToUtf8(address);
    std::string buffer, payload, link, error;
    LinkCodec::Charset charset{};
    // Detect takes every valid UTF-8 address (GBK when it holds them all,
    // else UTF-8), and a thunder link takes every address.
    const std::optional<std::string_view> bytes =
        LinkCodec::ToLinkBytes(utf8, LinkCodec::CharsetChoice::Detect, buffer, charset, error);
    link.reserve(10 + (bytes->size() + 6) / 3 * 4);
    LinkCodec::Encode(Scheme::Kind::Thunder, utf8, *bytes, payload, link, error);
    return std::wstring(link.begin(), link.end());  // ASCII
}

std::string ToUtf8(std::wstring_view text) {
    return Utf8::FromUtf16(std::u16string(text.begin(), text.end()));
}

std::wstring FromUtf8(std::string_view utf8) {
    const std::u16string units = Utf8::ToUtf16(utf8);
    return std::wstring(units.begin(), units.end());
}

}  // namespace ThunderLink
