#include "cAccessible.h"

#include <string>

#include "ComRef.h"

namespace {

// oleacc.dll is loaded when a reader first asks, from the system folder only
// (never from beside the program), and kept: the objects it marshals outlive
// any one call.
template <typename Function>
Function OleaccFunction(const char* name) noexcept {
    static const HMODULE module = [] {
        wchar_t folder[MAX_PATH];
        const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return HMODULE{};
        return LoadLibraryW((std::wstring(folder, length) + L"\\oleacc.dll").c_str());
    }();
    if (!module) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// IID_IAccessible, defined here: the program links no oleacc import library.
constexpr IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

using LresultFromObjectProc = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using AccessibleObjectFromWindowProc = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);

void SetChild(VARIANT* v, long child) {
    VariantInit(v);
    v->vt = VT_I4;
    v->lVal = child;
}

}  // namespace

LRESULT cAccessible::Answer(WPARAM wParam, const std::shared_ptr<IAccessibleSource>& source) noexcept {
    const auto lresultFromObject = OleaccFunction<LresultFromObjectProc>("LresultFromObject");
    if (!lresultFromObject || !source) return 0;
    // The object is marshalled through COM, which needs this thread in an
    // apartment. Entered once and kept: the window's thread serves the
    // reader's calls from its message loop for as long as it runs.
    static thread_local const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    (void)com;
    ComRef<cAccessible> object;
    try {
        object = ComRef<cAccessible>(new cAccessible(source));
    } catch (...) {
        return 0;
    }
    // LresultFromObject takes its own reference for the reader.
    const LRESULT result = lresultFromObject(kIidAccessible, wParam, object.get());
    return result > 0 ? result : 0;
}

std::wstring cAccessible::MenuName(const std::wstring& text) {
    std::wstring name = text.substr(0, text.find(L'\t'));
    // "(&N)" after a Chinese or Japanese name: the letter is only the key.
    if (const size_t at = name.find(L"(&"); at != std::wstring::npos && at + 3 < name.size() && name[at + 3] == L')')
        name.erase(at, 4);
    std::wstring shown;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == L'&' && ++i == name.size()) break;
        shown += name[i];
    }
    while (!shown.empty() && shown.back() == L' ') shown.pop_back();
    return shown;
}

wchar_t cAccessible::Mnemonic(const std::wstring& text) noexcept {
    for (size_t i = 0; i + 1 < text.size() && text[i] != L'\t'; ++i) {
        if (text[i] != L'&') continue;
        if (text[i + 1] != L'&') return static_cast<wchar_t>(reinterpret_cast<UINT_PTR>(CharUpperW(
                                     reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(text[i + 1])))));
        ++i;  // "&&" is a shown "&"
    }
    return 0;
}

STDMETHODIMP cAccessible::QueryInterface(REFIID riid, void** object) noexcept {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == kIidAccessible) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) cAccessible::AddRef() noexcept { return ++m_refs; }

STDMETHODIMP_(ULONG) cAccessible::Release() noexcept {
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP cAccessible::GetTypeInfoCount(UINT* count) noexcept {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP cAccessible::GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP cAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept { return E_NOTIMPL; }

STDMETHODIMP cAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) noexcept {
    return E_NOTIMPL;
}

HRESULT cAccessible::Describe(const VARIANT& child, AccessibleElement& element) noexcept {
    if (child.vt != VT_I4) return E_INVALIDARG;
    try {
        const std::shared_ptr<IAccessibleSource> source = m_source.lock();
        if (!source) return RPC_E_DISCONNECTED;
        if (child.lVal < 0 || child.lVal > source->AccessibleChildCount()) return E_INVALIDARG;
        return source->DescribeElement(static_cast<int>(child.lVal), element) ? S_OK : E_INVALIDARG;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT cAccessible::Text(const VARIANT& child, std::wstring AccessibleElement::*field, BSTR* out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    AccessibleElement element;
    if (const HRESULT hr = Describe(child, element); FAILED(hr)) return hr;
    const std::wstring& text = element.*field;
    if (text.empty()) return S_FALSE;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT cAccessible::NoText(const VARIANT& child, BSTR* out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    AccessibleElement element;
    const HRESULT hr = Describe(child, element);
    return FAILED(hr) ? hr : S_FALSE;
}

STDMETHODIMP cAccessible::get_accParent(IDispatch** parent) noexcept {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    const std::shared_ptr<IAccessibleSource> source = m_source.lock();
    if (!source) return RPC_E_DISCONNECTED;
    // The part belongs to its window, whose object is the system's.
    const auto fromWindow = OleaccFunction<AccessibleObjectFromWindowProc>("AccessibleObjectFromWindow");
    if (!fromWindow) return S_FALSE;
    HWND window = nullptr;
    try {
        window = source->AccessibleWindow();
    } catch (...) {
        return E_FAIL;
    }
    const HRESULT hr =
        fromWindow(window, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch, reinterpret_cast<void**>(parent));
    return SUCCEEDED(hr) && *parent ? S_OK : S_FALSE;
}

STDMETHODIMP cAccessible::get_accChildCount(long* count) noexcept {
    if (!count) return E_POINTER;
    *count = 0;
    try {
        const std::shared_ptr<IAccessibleSource> source = m_source.lock();
        if (!source) return RPC_E_DISCONNECTED;
        *count = source->AccessibleChildCount();
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

STDMETHODIMP cAccessible::get_accChild(VARIANT child, IDispatch** object) noexcept {
    if (!object) return E_POINTER;
    *object = nullptr;
    AccessibleElement element;
    if (const HRESULT hr = Describe(child, element); FAILED(hr)) return hr;
    return S_FALSE;  // every child is a simple element, addressed by its number
}

STDMETHODIMP cAccessible::get_accName(VARIANT child, BSTR* name) noexcept {
    return Text(child, &AccessibleElement::name, name);
}

STDMETHODIMP cAccessible::get_accValue(VARIANT child, BSTR* value) noexcept {
    return NoText(child, value);
}

STDMETHODIMP cAccessible::get_accDescription(VARIANT child, BSTR* description) noexcept {
    return NoText(child, description);
}

STDMETHODIMP cAccessible::get_accHelp(VARIANT child, BSTR* help) noexcept {
    return NoText(child, help);
}

STDMETHODIMP cAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) noexcept {
    return Text(child, &AccessibleElement::keyboardShortcut, shortcut);
}

STDMETHODIMP cAccessible::get_accDefaultAction(VARIANT child, BSTR* action) noexcept {
    return Text(child, &AccessibleElement::defaultAction, action);
}

HRESULT cAccessible::Number(const VARIANT& child, long AccessibleElement::*field, VARIANT* out) noexcept {
    if (!out) return E_POINTER;
    VariantInit(out);
    AccessibleElement element;
    if (const HRESULT hr = Describe(child, element); FAILED(hr)) return hr;
    SetChild(out, element.*field);
    return S_OK;
}

STDMETHODIMP cAccessible::get_accRole(VARIANT child, VARIANT* role) noexcept {
    return Number(child, &AccessibleElement::role, role);
}

STDMETHODIMP cAccessible::get_accState(VARIANT child, VARIANT* state) noexcept {
    return Number(child, &AccessibleElement::state, state);
}

STDMETHODIMP cAccessible::get_accHelpTopic(BSTR* file, VARIANT, long* topic) noexcept {
    if (file) *file = nullptr;
    if (topic) *topic = -1;
    return S_FALSE;
}

STDMETHODIMP cAccessible::get_accFocus(VARIANT* focus) noexcept {
    if (!focus) return E_POINTER;
    VariantInit(focus);
    long count = 0;
    if (const HRESULT hr = get_accChildCount(&count); FAILED(hr)) return hr;
    for (long i = 1; i <= count; ++i) {
        VARIANT child;
        SetChild(&child, i);
        AccessibleElement element;
        if (Describe(child, element) == S_OK && (element.state & STATE_SYSTEM_FOCUSED)) {
            *focus = child;
            return S_OK;
        }
    }
    return S_FALSE;
}

STDMETHODIMP cAccessible::get_accSelection(VARIANT* selection) noexcept {
    if (!selection) return E_POINTER;
    VariantInit(selection);
    return S_FALSE;
}

STDMETHODIMP cAccessible::accSelect(long, VARIANT) noexcept { return E_NOTIMPL; }

STDMETHODIMP cAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) noexcept {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    AccessibleElement element;
    if (const HRESULT hr = Describe(child, element); FAILED(hr)) return hr;
    *left = element.screen.left;
    *top = element.screen.top;
    *width = element.screen.right - element.screen.left;
    *height = element.screen.bottom - element.screen.top;
    return S_OK;
}

STDMETHODIMP cAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) noexcept {
    if (!end) return E_POINTER;
    VariantInit(end);
    AccessibleElement element;
    if (const HRESULT hr = Describe(start, element); FAILED(hr)) return hr;
    long count = 0;
    get_accChildCount(&count);
    long to = 0;
    switch (direction) {
        case NAVDIR_FIRSTCHILD: to = start.lVal == CHILDID_SELF && count > 0 ? 1 : 0; break;
        case NAVDIR_LASTCHILD: to = start.lVal == CHILDID_SELF ? count : 0; break;
        case NAVDIR_NEXT: case NAVDIR_RIGHT: to = start.lVal != CHILDID_SELF && start.lVal < count ? start.lVal + 1 : 0; break;
        case NAVDIR_PREVIOUS: case NAVDIR_LEFT: to = start.lVal > 1 ? start.lVal - 1 : 0; break;
        default: return E_NOTIMPL;
    }
    if (to == 0) return S_FALSE;
    SetChild(end, to);
    return S_OK;
}

STDMETHODIMP cAccessible::accHitTest(long x, long y, VARIANT* child) noexcept {
    if (!child) return E_POINTER;
    VariantInit(child);
    long count = 0;
    if (const HRESULT hr = get_accChildCount(&count); FAILED(hr)) return hr;
    const POINT at{x, y};
    for (long i = 0; i <= count; ++i) {
        // The children first, then the part around them.
        VARIANT candidate;
        SetChild(&candidate, i == count ? CHILDID_SELF : i + 1);
        AccessibleElement element;
        if (Describe(candidate, element) != S_OK || (element.state & STATE_SYSTEM_INVISIBLE)) continue;
        if (PtInRect(&element.screen, at)) {
            *child = candidate;
            return S_OK;
        }
    }
    return S_FALSE;
}

STDMETHODIMP cAccessible::accDoDefaultAction(VARIANT child) noexcept {
    AccessibleElement element;
    if (const HRESULT hr = Describe(child, element); FAILED(hr)) return hr;
    if (element.defaultAction.empty()) return DISP_E_MEMBERNOTFOUND;
    try {
        const std::shared_ptr<IAccessibleSource> source = m_source.lock();
        if (!source) return RPC_E_DISCONNECTED;
        return source->DoDefaultAction(static_cast<int>(child.lVal)) ? S_OK : DISP_E_MEMBERNOTFOUND;
    } catch (...) {
        return E_FAIL;
    }
}

STDMETHODIMP cAccessible::put_accName(VARIANT, BSTR) noexcept { return E_NOTIMPL; }
STDMETHODIMP cAccessible::put_accValue(VARIANT, BSTR) noexcept { return E_NOTIMPL; }
