#pragma once

#include <windows.h>

#include <oleacc.h>

#include <atomic>
#include <memory>
#include <string>

#include "IAccessibleSource.h"

// The IAccessible object of a window part the program draws itself, for
// screen readers (Microsoft Active Accessibility, which UI Automation also
// reads through its proxy). Its children are simple elements; everything it
// says comes from its source when asked, so it is never out of date. Once the
// source has gone, every call answers RPC_E_DISCONNECTED.
class cAccessible final : public IAccessible {
public:
    // The answer to WM_GETOBJECT (with its wParam) for the part `source`; 0
    // (the message's "not handled") when oleacc.dll cannot be loaded.
    static LRESULT Answer(WPARAM wParam, const std::shared_ptr<IAccessibleSource>& source) noexcept;
    // A menu text as a reader says it: without its accelerator label (after
    // a tab), its mnemonic in brackets ("最小化(&N)") or its "&" marks.
    static std::wstring MenuName(const std::wstring& text);
    // The menu text's mnemonic character, upper-cased; 0 for none.
    static wchar_t Mnemonic(const std::wstring& text) noexcept;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) noexcept override;
    STDMETHODIMP_(ULONG) AddRef() noexcept override;
    STDMETHODIMP_(ULONG) Release() noexcept override;
    // IDispatch: no type information; readers call the IAccessible members.
    STDMETHODIMP GetTypeInfoCount(UINT* count) noexcept override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override;
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) noexcept override;
    // IAccessible
    STDMETHODIMP get_accParent(IDispatch** parent) noexcept override;
    STDMETHODIMP get_accChildCount(long* count) noexcept override;
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) noexcept override;
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) noexcept override;
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) noexcept override;
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) noexcept override;
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) noexcept override;
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) noexcept override;
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) noexcept override;
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, long* topic) noexcept override;
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) noexcept override;
    STDMETHODIMP get_accFocus(VARIANT* focus) noexcept override;
    STDMETHODIMP get_accSelection(VARIANT* selection) noexcept override;
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) noexcept override;
    STDMETHODIMP accSelect(long flags, VARIANT child) noexcept override;
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT child) noexcept override;
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) noexcept override;
    STDMETHODIMP accHitTest(long x, long y, VARIANT* child) noexcept override;
    STDMETHODIMP accDoDefaultAction(VARIANT child) noexcept override;
    STDMETHODIMP put_accName(VARIANT child, BSTR name) noexcept override;
    STDMETHODIMP put_accValue(VARIANT child, BSTR value) noexcept override;

private:
    explicit cAccessible(std::weak_ptr<IAccessibleSource> source) : m_source(std::move(source)) {}
    ~cAccessible() = default;
    // Describes `child` into `element`: S_OK, E_INVALIDARG for no such child,
    // RPC_E_DISCONNECTED when the part has gone.
    HRESULT Describe(const VARIANT& child, AccessibleElement& element) noexcept;
    // One text of an element, S_FALSE (and no string) when it is empty.
    HRESULT Text(const VARIANT& child, std::wstring AccessibleElement::*field, BSTR* out) noexcept;
    // A number of an element (role, state) as a VT_I4 variant.
    HRESULT Number(const VARIANT& child, long AccessibleElement::*field, VARIANT* out) noexcept;
    // A text the elements never have (value, description, help): S_FALSE.
    HRESULT NoText(const VARIANT& child, BSTR* out) noexcept;

    std::atomic<ULONG> m_refs{1};
    std::weak_ptr<IAccessibleSource> m_source;
};
